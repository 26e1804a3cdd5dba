// The oscilloscope window: construction, showing, closing, texts and the controls' refresh.
#include "scope/Oscx.h"

#include <utility>

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "link/Sertx.h"
#include "scope/Diagramx.h"
#include "scope/Oscx_chart.h"
#include "scope/Oscx_panes.h"
#include "scope_core/Oscx_signals_core.h"
#include "scope/Oscx_texts.h"
#include "shell/Main.h"
#include "shell/Main_menus.h"
#include "shell/Settings.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"

uint8_t ScopeDisplayFlags = 0;
void (*Oscx_print_request)(QWidget* parent, Diagramx* chart, uint8_t preview) = nullptr;

namespace {

constexpr uint32_t CHART_CAPACITY = 40002;
constexpr QSize WINDOW_SIZE(1000, 680);  // the form's size, as the screen allows
constexpr int DIAGRAMX_MS = 1, MONITOR_MS = 2, OVERFLOW_MS = 2;
constexpr int IDLE_MS = 40;  // both timers while nothing is sampled
constexpr int LEVEL_SLIDER_HEIGHT = 124;
constexpr int TIME_SLIDER_WIDTH = 218;

QTimer* precise_timer(QObject* parent, const char* name, int ms)
{
    auto* t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(ms);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

QToolButton* tool_button(QWidget* parent, const QString& name)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

QLabel* value_panel(QWidget* parent, const QString& name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(70);
    return l;
}

QLabel* label(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QLineEdit* memo(QWidget* parent, const QString& name)
{
    auto* m = new QLineEdit(parent);
    m->setObjectName(name);
    m->setAlignment(Qt::AlignRight);
    m->setMaximumWidth(90);
    return m;
}

UpDownButton* updown(QWidget* parent, const QString& name)
{
    auto* u = new UpDownButton(parent);
    u->setObjectName(name);
    return u;
}

QString channel_name(unsigned c, const char* stem, const char* suffix = "")
{
    return QString::fromLatin1(stem) + QString::number(c) + QString::fromLatin1(suffix);
}

}  // namespace

TForm_Oscx::TForm_Oscx(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("TForm_Oscx");
    setAttribute(Qt::WA_DeleteOnClose);
    port_ = std::make_unique<ScopeDiagramxChart>([this] { return chart_.get(); },
                                                 [this] { Oscx_draw_cmp_status(0); });
    FormCreate();
    Utx_fit_texts(this);
}

TForm_Oscx::~TForm_Oscx()
{
    free_status_bar();
}

void TForm_Oscx::FormCreate()
{
    build();
    build_status();
    create_chart();
    connect_edits();
    Timer_diagramx = precise_timer(this, "Timer_diagramx", IDLE_MS);
    Timer_monitor = precise_timer(this, "Timer_monitor", IDLE_MS);
    Timer_buffer_overflow = precise_timer(this, "Timer_buffer_overflow", OVERFLOW_MS);
    connect(Timer_diagramx, &QTimer::timeout, this, &TForm_Oscx::Timer_diagramxTimer);
    connect(Timer_monitor, &QTimer::timeout, this, &TForm_Oscx::Timer_monitorTimer);
    connect(Timer_buffer_overflow, &QTimer::timeout, this, &TForm_Oscx::Timer_buffer_overflowTimer);
}

void TForm_Oscx::create_chart()
{
    if (chart_)
        return;
    chart_ = std::make_unique<Diagramx>(Panel_graph, SCOPE_CHANNELS, CHART_CAPACITY);
    chart_->time_axis_name = QStringLiteral("Time [s]");
}

namespace {

// The side panel in a window shorter than the panel (a small screen) scrolls, a scroll bar beside it.
QScrollArea* side_scroller(QWidget* parent, QWidget* panel)
{
    auto* scroller = new QScrollArea(parent);
    scroller->setObjectName("ScrollBox_side");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidgetResizable(true);
    scroller->setWidget(panel);
    scroller->setFixedWidth(OSCX_SIDE_PANEL_WIDTH);
    QScrollBar* bar = scroller->verticalScrollBar();
    QObject::connect(bar, &QScrollBar::rangeChanged, scroller, [scroller, bar](int, int maximum) {
        scroller->setFixedWidth(OSCX_SIDE_PANEL_WIDTH + (maximum > 0 ? bar->sizeHint().width() : 0));
    });
    return scroller;
}

}  // namespace

void TForm_Oscx::build()
{
    build_menus();
    build_toolbar();
    auto* central = new QWidget(this);
    central->setObjectName("Panel_main");
    auto* root = new QVBoxLayout(central);
    root->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    Panel_graph = new QWidget(central);
    Panel_graph->setObjectName("Panel_graph");
    Panel_graph->setMinimumSize(400, 300);
    row->addWidget(Panel_graph, 1);
    PageControl = new QTabWidget(central);
    PageControl->setObjectName("PageControl");
    PageControl->setFixedWidth(OSCX_SIDE_PANEL_WIDTH);
    row->addWidget(side_scroller(central, PageControl));
    root->addLayout(row, 1);
    build_cursor_tab();
    build_scale_tab();
    build_trigger_tab();
    auto* bottom = new QHBoxLayout;
    Image_stato_cmp = new ImageBox(central);
    Image_stato_cmp->setObjectName("Image_stato_cmp");
    Image_stato_cmp->setFixedSize(40, 20);
    Image_buf_cmp = new ImageBox(central);
    Image_buf_cmp->setObjectName("Image_buf_cmp");
    Image_buf_cmp->setFixedSize(120, 20);
    Image_trigger_state = new ImageBox(central);
    Image_trigger_state->setObjectName("Image_trigger_state");
    Image_trigger_state->setFixedSize(200, 20);
    PanelOscxStb = new QWidget(central);
    PanelOscxStb->setObjectName("PanelOscxStb");
    PanelOscxStb->setFixedHeight(22);
    bottom->addWidget(Image_stato_cmp);
    bottom->addWidget(Image_buf_cmp);
    bottom->addWidget(Image_trigger_state);
    bottom->addWidget(PanelOscxStb, 1);
    root->addLayout(bottom);
    setCentralWidget(central);
}

void TForm_Oscx::build_menus()
{
    const auto action = [this](QMenu* menu, QAction*& a, const char* name, void (TForm_Oscx::*handler)()) {
        a = menu->addAction(QString());
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, handler);
    };
    QMenu* file = menuBar()->addMenu(QString());
    file->setObjectName("Menu_file");
    action(file, Menu_open, "Menu_open", &TForm_Oscx::BitBtn_openClick);
    action(file, Menu_Save, "Menu_Save", &TForm_Oscx::BitBtn_saveClick);
    action(file, Menu_Stampa, "Menu_Stampa", &TForm_Oscx::BitBtn_printClick);
    action(file, Menu_AnteprimadiStampa, "Menu_AnteprimadiStampa", &TForm_Oscx::BitBtn_previewClick);
    Menu_Chiudi = file->addAction(QString());
    Menu_Chiudi->setObjectName("Menu_Chiudi");
    connect(Menu_Chiudi, &QAction::triggered, this, &QWidget::close);
    QMenu* commands = menuBar()->addMenu(QString());
    commands->setObjectName("Menu_comandi");
    action(commands, Menu_cmp_start, "Menu_cmp_start", &TForm_Oscx::BitBtn_cmp_startClick);
    action(commands, Menu_cmp_stop, "Menu_cmp_stop", &TForm_Oscx::BitBtn_cmp_stopClick);
    action(commands, Menu_Retrigger, "Menu_Retrigger", &TForm_Oscx::BitBtn_retriggerClick);
    action(commands, Menu_clear, "Menu_clear", &TForm_Oscx::BitBtn_clearClick);
    action(commands, Menu_unzoom, "Menu_unzoom", &TForm_Oscx::BitBtn_unzoomClick);
    QMenu* settings = menuBar()->addMenu(QString());
    settings->setObjectName("Menu_impostazioni");
    action(settings, Menu_ImpostaCanali, "Menu_ImpostaCanali", &TForm_Oscx::BitBtn_channels_setClick);
    action(settings, Menu_Regolatori, "Menu_Regolatori", &TForm_Oscx::BitBtn_PIDClick);
}

void TForm_Oscx::build_toolbar()
{
    QToolBar* bar = nullptr;
    const auto next_bar = [this, &bar](const char* name) {
        bar = new QToolBar(this);
        bar->setObjectName(name);
        bar->setMovable(false);
        addToolBar(bar);
        tool_bars_.push_back(bar);
    };
    const auto button = [this, &bar](QToolButton*& b, const char* name, void (TForm_Oscx::*handler)()) {
        b = tool_button(bar, name);
        bar->addWidget(b);
        connect(b, &QToolButton::clicked, this, handler);
    };
    next_bar("ToolBar_file");
    button(BitBtn_open, "BitBtn_open", &TForm_Oscx::BitBtn_openClick);
    button(BitBtn_save, "BitBtn_save", &TForm_Oscx::BitBtn_saveClick);
    button(BitBtn_print, "BitBtn_print", &TForm_Oscx::BitBtn_printClick);
    button(BitBtn_preview, "BitBtn_preview", &TForm_Oscx::BitBtn_previewClick);
    next_bar("ToolBar_cmp");
    button(BitBtn_cmp_start, "BitBtn_cmp_start", &TForm_Oscx::BitBtn_cmp_startClick);
    button(BitBtn_cmp_stop, "BitBtn_cmp_stop", &TForm_Oscx::BitBtn_cmp_stopClick);
    button(BitBtn_retrigger, "BitBtn_retrigger", &TForm_Oscx::BitBtn_retriggerClick);
    button(BitBtn_forza_trigger, "BitBtn_forza_trigger", &TForm_Oscx::BitBtn_forza_triggerClick);
    next_bar("ToolBar_tools");
    button(BitBtn_channels_set, "BitBtn_channels_set", &TForm_Oscx::BitBtn_channels_setClick);
    button(BitBtn_PID, "BitBtn_PID", &TForm_Oscx::BitBtn_PIDClick);
    button(BitBtn_pos_test, "BitBtn_pos_test", &TForm_Oscx::BitBtn_pos_testClick);
    button(BitBtn_clear, "BitBtn_clear", &TForm_Oscx::BitBtn_clearClick);
    button(BitBtn_unzoom, "BitBtn_unzoom", &TForm_Oscx::BitBtn_unzoomClick);
    button(BitBtn_terminal, "BitBtn_terminal", &TForm_Oscx::BitBtn_terminalClick);
}

// The tool bars follow the window's width: a bar that does not fit beside those before it starts
// a new row, so that no command is moved into a bar's overflow menu.
void TForm_Oscx::wrap_tool_bars()
{
    int row = 0;
    for (QToolBar* bar : tool_bars_) {
        const int w = bar->sizeHint().width();
        const bool wrap = row > 0 && row + w > width();
        if (wrap != toolBarBreak(bar)) {
            if (wrap)
                insertToolBarBreak(bar);
            else
                removeToolBarBreak(bar);
        }
        row = (wrap ? 0 : row) + w;
    }
}

void TForm_Oscx::build_cursor_tab()
{
    TabSheet_cursori = new QWidget(PageControl);
    TabSheet_cursori->setObjectName("TabSheet_cursori");
    PageControl->addTab(TabSheet_cursori, QString());
    auto* grid = new QGridLayout(TabSheet_cursori);
    CheckBox_cursor_asseY = new QCheckBox(TabSheet_cursori);
    CheckBox_cursor_asseY->setObjectName("CheckBox_cursor_asseY");
    CheckBox_cursor_asseT = new QCheckBox(TabSheet_cursori);
    CheckBox_cursor_asseT->setObjectName("CheckBox_cursor_asseT");
    connect(CheckBox_cursor_asseY, &QCheckBox::clicked, this, [this] { CheckBox_cursorClick(false); });
    connect(CheckBox_cursor_asseT, &QCheckBox::clicked, this, [this] { CheckBox_cursorClick(true); });
    grid->addWidget(CheckBox_cursor_asseY, 0, 0, 1, 3);
    int row = 1;
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c, ++row) {
        Panel_cursor_CH[c] = value_panel(TabSheet_cursori, channel_name(c, "Panel_cursor_CH"));
        grid->addWidget(Panel_cursor_CH[c], row++, 0, 1, 3);
        const char* parts[3] = {"_y1", "_y2", "_dy"};
        for (int k = 0; k < 3; ++k) {
            Panel_cursor_y[c][k] = value_panel(TabSheet_cursori, channel_name(c, "Panel_cursor", parts[k]));
            Oscx_readout_panel(Panel_cursor_y[c][k]);
            grid->addWidget(Panel_cursor_y[c][k], row, k);
        }
    }
    grid->addWidget(CheckBox_cursor_asseT, row++, 0, 1, 3);
    const char* times[3] = {"Panel_cursor_time_t1", "Panel_cursor_time_t2", "Panel_cursor_time_dt"};
    for (int k = 0; k < 3; ++k) {
        Panel_cursor_time[k] = value_panel(TabSheet_cursori, times[k]);
        Oscx_readout_panel(Panel_cursor_time[k]);
        grid->addWidget(Panel_cursor_time[k], row, k);
    }
    grid->setRowStretch(row + 1, 1);
}

void TForm_Oscx::build_scale_tab()
{
    TabSheet_scala = new QWidget(PageControl);
    TabSheet_scala->setObjectName("TabSheet_scala");
    PageControl->addTab(TabSheet_scala, QString());
    auto* grid = new QGridLayout(TabSheet_scala);
    int row = 0;
    grid->addWidget(label(TabSheet_scala, "Label_asse_left"), row, 0);
    ComboBox_index_asse_y_left = new QComboBox(TabSheet_scala);
    ComboBox_index_asse_y_left->setObjectName("ComboBox_index_asse_y_left");
    grid->addWidget(ComboBox_index_asse_y_left, row++, 1, 1, 3);
    grid->addWidget(label(TabSheet_scala, "Label_asse_right"), row, 0);
    ComboBox_index_asse_y_right = new QComboBox(TabSheet_scala);
    ComboBox_index_asse_y_right->setObjectName("ComboBox_index_asse_y_right");
    grid->addWidget(ComboBox_index_asse_y_right, row++, 1, 1, 3);
    connect(ComboBox_index_asse_y_left, &QComboBox::activated, this, [this] { ComboBox_index_asse_yChange(false); });
    connect(ComboBox_index_asse_y_right, &QComboBox::activated, this, [this] { ComboBox_index_asse_yChange(true); });
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        SpeedButton_CH[c] = tool_button(TabSheet_scala, channel_name(c, "SpeedButton_CH"));
        SpeedButton_CH[c]->setCheckable(true);
        SpeedButton_CH[c]->setText(QStringLiteral("CH") + QString::number(c + 1));
        SpeedButton_color_CH[c] = tool_button(TabSheet_scala, channel_name(c, "SpeedButton_color_CH"));
        SpeedButton_color_CH[c]->setText(QStringLiteral("..."));
        Shape_CH[c] = new QFrame(TabSheet_scala);
        Shape_CH[c]->setObjectName(channel_name(c, "Shape_CH"));
        Shape_CH[c]->setFixedSize(16, 16);
        Shape_CH[c]->setAutoFillBackground(true);
        Panel_name_CH[c] = value_panel(TabSheet_scala, channel_name(c, "Panel_name_CH"));
        Panel_scala_CH[c] = value_panel(TabSheet_scala, channel_name(c, "Panel_scala_CH"));
        RadioButton_scala_aut[c] = new QRadioButton(TabSheet_scala);
        RadioButton_scala_aut[c]->setObjectName(channel_name(c, "RadioButton_scala", "_aut"));
        RadioButton_scala_fix[c] = new QRadioButton(TabSheet_scala);
        RadioButton_scala_fix[c]->setObjectName(channel_name(c, "RadioButton_scala", "_fix"));
        auto* group = new QButtonGroup(TabSheet_scala);
        group->addButton(RadioButton_scala_aut[c]);
        group->addButton(RadioButton_scala_fix[c]);
        Memo_scala_max[c] = memo(TabSheet_scala, channel_name(c, "Memo_scala_ch", "_max"));
        Memo_scala_min[c] = memo(TabSheet_scala, channel_name(c, "Memo_scala_ch", "_min"));
        UpDown_scala_max[c] = updown(TabSheet_scala, channel_name(c, "UpDown_scala_ch", "_max"));
        UpDown_scala_min[c] = updown(TabSheet_scala, channel_name(c, "UpDown_scala_ch", "_min"));
        connect(SpeedButton_CH[c], &QToolButton::clicked, this, [this, c] { SpeedButton_CHClick(c); });
        connect(SpeedButton_color_CH[c], &QToolButton::clicked, this, [this, c] { SpeedButton_color_CHClick(c); });
        connect(RadioButton_scala_aut[c], &QRadioButton::clicked, this, [this, c] { RadioButton_scalaClick(c, false); });
        connect(RadioButton_scala_fix[c], &QRadioButton::clicked, this, [this, c] { RadioButton_scalaClick(c, true); });
        // The name panel takes the rest of the row, whatever the columns below need.
        auto* head = new QHBoxLayout;
        head->addWidget(SpeedButton_CH[c]);
        head->addWidget(Shape_CH[c]);
        head->addWidget(SpeedButton_color_CH[c]);
        head->addWidget(Panel_name_CH[c], 1);
        grid->addLayout(head, row++, 0, 1, 4);
        grid->addWidget(Panel_scala_CH[c], row++, 0, 1, 4);
        grid->addWidget(RadioButton_scala_aut[c], row, 0, 1, 2);
        grid->addWidget(Memo_scala_max[c], row, 2);
        grid->addWidget(UpDown_scala_max[c], row++, 3, Qt::AlignLeft);
        grid->addWidget(RadioButton_scala_fix[c], row, 0, 1, 2);
        grid->addWidget(Memo_scala_min[c], row, 2);
        grid->addWidget(UpDown_scala_min[c], row++, 3, Qt::AlignLeft);
    }
    grid->setRowStretch(row, 1);
}

void TForm_Oscx::build_trigger_tab()
{
    TabSheet_trigger = new QWidget(PageControl);
    TabSheet_trigger->setObjectName("TabSheet_trigger");
    PageControl->addTab(TabSheet_trigger, QString());
    auto* grid = new QGridLayout(TabSheet_trigger);
    int row = 0;
    grid->addWidget(label(TabSheet_trigger, "Label_trigger_type"), row, 0);
    ComboBox_trigger_type = new QComboBox(TabSheet_trigger);
    ComboBox_trigger_type->setObjectName("ComboBox_trigger_type");
    grid->addWidget(ComboBox_trigger_type, row++, 1, 1, 2);
    grid->addWidget(label(TabSheet_trigger, "Label_trigger_pendenza"), row, 0);
    ComboBox_trigger_pendenza = new QComboBox(TabSheet_trigger);
    ComboBox_trigger_pendenza->setObjectName("ComboBox_trigger_pendenza");
    grid->addWidget(ComboBox_trigger_pendenza, row++, 1, 1, 2);
    ComboBox_trigger_ch = new QComboBox(TabSheet_trigger);
    ComboBox_trigger_ch->setObjectName("ComboBox_trigger_ch");
    grid->addWidget(ComboBox_trigger_ch, row++, 1, 1, 2);
    CheckBox_trigger_dynamic = new QCheckBox(TabSheet_trigger);
    CheckBox_trigger_dynamic->setObjectName("CheckBox_trigger_dynamic");
    CheckBox_trigger_show = new QCheckBox(TabSheet_trigger);
    CheckBox_trigger_show->setObjectName("CheckBox_trigger_show");
    grid->addWidget(CheckBox_trigger_dynamic, row++, 0, 1, 3);
    grid->addWidget(CheckBox_trigger_show, row++, 0, 1, 3);
    connect(ComboBox_trigger_type, &QComboBox::activated, this, &TForm_Oscx::ComboBox_trigger_typeChange);
    connect(ComboBox_trigger_pendenza, &QComboBox::activated, this, &TForm_Oscx::ComboBox_trigger_pendenzaChange);
    connect(ComboBox_trigger_ch, &QComboBox::activated, this, &TForm_Oscx::ComboBox_trigger_chChange);
    connect(CheckBox_trigger_dynamic, &QCheckBox::clicked, this, &TForm_Oscx::CheckBox_trigger_dynamicClick);
    connect(CheckBox_trigger_show, &QCheckBox::clicked, this, &TForm_Oscx::CheckBox_trigger_showClick);

    auto* ybox = new QGroupBox(TabSheet_trigger);
    ybox->setObjectName("GroupBox_trigger_y");
    auto* y = new QGridLayout(ybox);
    Image_trigger_asse_y = new ImageBox(ybox);
    Image_trigger_asse_y->setObjectName("Image_trigger_asse_y");
    Image_trigger_asse_y->setFixedSize(24, LEVEL_SLIDER_HEIGHT);
    Image_trigger_asse_y->installEventFilter(this);
    Image_trigger_asse_y->setMouseTracking(true);
    Memo_trigger_y_max = memo(ybox, "Memo_trigger_y_max");
    Memo_trigger_y_min = memo(ybox, "Memo_trigger_y_min");
    UpDown_trigger_y_max = updown(ybox, "UpDown_trigger_y_max");
    UpDown_trigger_y_min = updown(ybox, "UpDown_trigger_y_min");
    Label_trigger_asse = label(ybox, "Label_trigger_asse");
    Panel_trigger_level = value_panel(ybox, "Panel_trigger_level");
    Panel_trigger_level_pct = value_panel(ybox, "Panel_trigger_level_pct");
    y->addWidget(Image_trigger_asse_y, 0, 0, 4, 1);
    y->addWidget(Memo_trigger_y_max, 0, 1);
    y->addWidget(UpDown_trigger_y_max, 0, 2);
    y->addWidget(Label_trigger_asse, 1, 1, 1, 2);
    y->addWidget(Panel_trigger_level, 2, 1, 1, 2);
    y->addWidget(Panel_trigger_level_pct, 3, 1, 1, 2);
    y->addWidget(Memo_trigger_y_min, 4, 1);
    y->addWidget(UpDown_trigger_y_min, 4, 2);
    grid->addWidget(ybox, row++, 0, 1, 3);

    auto* xbox = new QGroupBox(TabSheet_trigger);
    xbox->setObjectName("GroupBox_trigger_x");
    auto* x = new QGridLayout(xbox);
    Image_time_set = new ImageBox(xbox);
    Image_time_set->setObjectName("Image_time_set");
    Image_time_set->setFixedSize(TIME_SLIDER_WIDTH, 24);
    Image_time_set->installEventFilter(this);
    Image_time_set->setMouseTracking(true);
    Panel_time_pre_pct = value_panel(xbox, "Panel_time_pre_pct");
    Panel_time_pre_s = value_panel(xbox, "Panel_time_pre_s");
    ScrollBar_time_data_set = new QScrollBar(Qt::Horizontal, xbox);
    ScrollBar_time_data_set->setObjectName("ScrollBar_time_data_set");
    ScrollBar_time_data_set->setRange(ScopeTrigger::RecordMin, ScopeTrigger::RecordMax);
    Panel_record_time = value_panel(xbox, "Panel_record_time");
    connect(ScrollBar_time_data_set, &QScrollBar::valueChanged, this, &TForm_Oscx::ScrollBar_time_data_setChange);
    x->addWidget(Image_time_set, 0, 0, 1, 2);
    x->addWidget(Panel_time_pre_pct, 1, 0);
    x->addWidget(Panel_time_pre_s, 1, 1);
    x->addWidget(ScrollBar_time_data_set, 2, 0, 1, 2);
    x->addWidget(Panel_record_time, 3, 0, 1, 2);
    grid->addWidget(xbox, row++, 0, 1, 3);
    grid->setRowStretch(row, 1);
}

void TForm_Oscx::build_status()
{
    Oscx_status_panes(panes_, pane_list_);
    stb_ = new Stbarx(PanelOscxStb, pane_list_, 0);
    Main_attach_bar(TForm_main::BarOscx, stb_);
}

void TForm_Oscx::free_status_bar()
{
    if (stb_ == nullptr)
        return;
    Main_detach_bar(TForm_main::BarOscx, stb_);
    Stbarx_free(stb_);
}

// ---- scale and trigger edits ----

FzScaleEdits TForm_Oscx::scale_edits(unsigned c)
{
    OscxScaleBindings& b = Oscx_scale_bindings();
    return {&b.max[c], &b.min[c], Memo_scala_max[c], Memo_scala_min[c], UpDown_scala_max[c], UpDown_scala_min[c]};
}

FzScaleEdits TForm_Oscx::trigger_edits()
{
    OscxScaleBindings& b = Oscx_scale_bindings();
    return {&b.trigger_max, &b.trigger_min, Memo_trigger_y_max, Memo_trigger_y_min, UpDown_trigger_y_max,
            UpDown_trigger_y_min};
}

void TForm_Oscx::set_trigger_ranges()
{
    const ScopeSettingsRec& st = ScopeSettings;
    const ScopeSignal& s = Oscx_channel_signal(st.channel[st.trigger_channel % SCOPE_CHANNELS]);
    FzScaleEdits e = trigger_edits();
    Fz_cmp_scale_ranges(e, s, st.trigger_scale_max, st.trigger_scale_min, st.trigger_decimals);
}

void TForm_Oscx::set_scale_ranges()
{
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        FzScaleEdits e = scale_edits(c);
        const ScopeChannel& ch = ScopeSettings.channel[c];
        Fz_cmp_scale_ranges(e, Oscx_channel_signal(ch), ch.scale_max, ch.scale_min, ch.decimals);
    }
}

void TForm_Oscx::trigger_edit_changed()
{
    Scope_trigger_recompute();
    Oscx_draw_level();
    if (chart_)
        chart_->Rescale();
}

void TForm_Oscx::connect_edits()
{
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
        Fz_cmp_route_scale_edits(c, [this, c] { return scale_edits(c); }, [this] { return chart(); }, ScopeSettings,
                                 [this, c] { return Panel_scala_CH[c]->text(); });
    for (const bool is_max : {true, false}) {
        QLineEdit* m = is_max ? Memo_trigger_y_max : Memo_trigger_y_min;
        const auto binding = [is_max]() -> Dato_long& {
            return is_max ? Oscx_scale_bindings().trigger_max : Oscx_scale_bindings().trigger_min;
        };
        Dato_route(m, is_max ? UpDown_trigger_y_max : UpDown_trigger_y_min,
                   {[this, m, binding] {
                        binding().Edit_change(m);
                        trigger_edit_changed();
                    },
                    [this, m, binding] {
                        set_trigger_ranges();
                        binding().Edit_enter(m);
                    },
                    [this, m, binding] {
                        set_trigger_ranges();
                        binding().Edit_exit(m);
                        trigger_edit_changed();
                    },
                    [this, m, binding](char& key) {
                        const int64_t before = binding().bound();
                        binding().Edit_key_press(m, Label_trigger_asse->text(), key);
                        if (binding().bound() != before)
                            trigger_edit_changed();
                    },
                    [this, m, binding](int direction) {
                        bool allow = true;
                        binding().Updown_changing(m, direction, allow);
                        trigger_edit_changed();
                    }});
    }
}

// ---- show and close ----

void TForm_Oscx::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    if (!std::exchange(placed_, true))
        resize(WINDOW_SIZE);
}

void TForm_Oscx::FormShow()
{
    Oscx_set_apply_scales();
    create_chart();
    if (stb_ == nullptr)
        build_status();
    Oscx_set_language();
    Oscx_refresh_controls();
    set_scale_ranges();
    set_trigger_ranges();
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        for (int k = 0; k < 3; ++k)
            chart_->level_readouts[k][c] = Panel_cursor_y[c][k];
        Oscx_scale_bindings().max[c].Setup_updown(Memo_scala_max[c], UpDown_scala_max[c]);
        Oscx_scale_bindings().min[c].Setup_updown(Memo_scala_min[c], UpDown_scala_min[c]);
    }
    Oscx_scale_bindings().trigger_max.Setup_updown(Memo_trigger_y_max, UpDown_trigger_y_max);
    Oscx_scale_bindings().trigger_min.Setup_updown(Memo_trigger_y_min, UpDown_trigger_y_min);
    for (int k = 0; k < 3; ++k)
        chart_->time_readouts[k] = Panel_cursor_time[k];
    CheckBox_cursorClick(false);
    CheckBox_cursorClick(true);
    Scope_trigger_recompute();
    Oscx_draw_time_set();
    Oscx_draw_level();
    indicator_shown = 255;
    ScopeLoadShown.store(65535);
    Oscx_draw_cmp_status(0);
    if (TerminalOpen)
        Terminal_show();
    if (QWidget* test = Toolwin_open(ToolWin::PosQuoteTest))
        test->raise();
    Timer_diagramx->start();
    Timer_monitor->start();
    Timer_monitorTimer();
}

void TForm_Oscx::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm_Oscx::FormClose()
{
    if (!chart_)
        return;  // closed already
    ScopeCaptureOn.store(0);
    if (QWidget* pid = Toolwin_open(ToolWin::OscxPID))
        delete pid;
    Timer_diagramx->stop();
    Timer_monitor->stop();
    Timer_buffer_overflow->stop();
    if (Drive_status_word() & StatusBit::Generator) {
        SignalGenerator.on.store(0);
        Sertx_signal_gen(1);
        Sertx_drive_func(4, 0);
    }
    if (ToolsEntries.pos_test_close != nullptr)
        ToolsEntries.pos_test_close();  // restores the drive's set-up
    chart_.reset();
    SaveSettings();
    free_status_bar();
}

// The timers follow the capture: 1 ms and 2 ms while sampling, the idle rate otherwise. The end of
// a capture paints the chart's final state once.
void TForm_Oscx::follow_capture()
{
    const bool sampling = ScopeCaptureOn.load() != 0;
    if (sampling == sampling_)
        return;
    sampling_ = sampling;
    Timer_diagramx->setInterval(sampling ? DIAGRAMX_MS : IDLE_MS);
    Timer_monitor->setInterval(sampling ? MONITOR_MS : IDLE_MS);
    if (!sampling && chart_)
        chart_->Redraw();
}

void TForm_Oscx::Timer_diagramxTimer()
{
    if (chart_)
        ScopeTransferTick(*port_);
}

bool TForm_Oscx::alive(const QPointer<TForm_Oscx>& self) const
{
    return !self.isNull() && self->chart_ != nullptr;
}

void TForm_Oscx::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    wrap_tool_bars();
    if (chart_)
        chart_->Resize();
}

// ---- texts and controls ----

void TForm_Oscx::Oscx_set_language()
{
    setWindowTitle(Oscx_text(OSCX_TITLE));
    for (std::size_t i = 0; i < OscxCaptionCount; ++i) {
        const OscxCaption& c = OscxCaptions[i];
        const QString text = QString::fromUtf8(c.text[Lang_index()]);
        QObject* o = findChild<QObject*>(QString::fromLatin1(c.name));
        if (auto* a = qobject_cast<QAction*>(o))
            a->setText(text);
        else if (auto* m = qobject_cast<QMenu*>(o))
            m->setTitle(text);
        else if (auto* b = qobject_cast<QAbstractButton*>(o))
            b->setText(text);
        else if (auto* l = qobject_cast<QLabel*>(o))
            l->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(o))
            g->setTitle(text);
        else if (auto* w = qobject_cast<QWidget*>(o))
            PageControl->setTabText(PageControl->indexOf(w), text);
    }
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        SpeedButton_CH[c]->setToolTip(Oscx_text(OSCX_SHOW_HIDE));
        SpeedButton_color_CH[c]->setToolTip(Oscx_text(OSCX_CHANGE_COLOUR));
        RadioButton_scala_aut[c]->setText(Oscx_text(OSCX_AUTOMATIC));
        RadioButton_scala_fix[c]->setText(Oscx_text(OSCX_FIXED));
    }
    const QSignalBlocker b1(ComboBox_trigger_type), b2(ComboBox_trigger_pendenza);
    ComboBox_trigger_type->clear();
    for (uint8_t t = 0; t < 3; ++t)
        ComboBox_trigger_type->addItem(QString::fromUtf8(Scope_trigger_type_text(t, Lang_index())));
    ComboBox_trigger_pendenza->clear();
    for (uint8_t s = 0; s < 2; ++s)
        ComboBox_trigger_pendenza->addItem(QString::fromUtf8(Scope_trigger_slope_text(s, Lang_index())));
    ComboBox_trigger_type->setCurrentIndex(ScopeSettings.trigger_type);
    ComboBox_trigger_pendenza->setCurrentIndex((ScopeSettings.trigger_flags & ScopeTrigger::FlagRising) ? 1 : 0);
    wrap_tool_bars();
}

void TForm_Oscx::Oscx_apply_channels()
{
    if (!chart_)
        return;  // closing
    Oscx_refresh_controls();
    set_scale_ranges();
    Oscx_draw_level();
    const ScopeSettingsRec& st = ScopeSettings;
    const ScopeSignal& t = Oscx_channel_signal(st.channel[st.trigger_channel % SCOPE_CHANNELS]);
    ScopeSettings.trigger_scale_max = t.default_max;
    ScopeSettings.trigger_scale_min = t.default_min;
    ScopeSettings.trigger_decimals = static_cast<uint8_t>(t.decimals);
    set_trigger_ranges();
    Oscx_scale_bindings().trigger_max.Show_value(Memo_trigger_y_max);
    Oscx_scale_bindings().trigger_min.Show_value(Memo_trigger_y_min);
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        Oscx_scale_bindings().max[c].Show_value(Memo_scala_max[c]);
        Oscx_scale_bindings().min[c].Show_value(Memo_scala_min[c]);
    }
    Scope_trigger_recompute();
    Oscx_draw_level();
    chart_->sample_period = (ScopeSettings.sample_time + 1) * 0.001;
    chart_->Clear();
    chart_->Redraw();
}

void TForm_Oscx::Oscx_refresh_controls()
{
    ScopeSettingsRec& st = ScopeSettings;
    const uint16_t count = ScopeSignalTable.count;
    for (ScopeChannel& ch : st.channel) {
        if (ch.signal_index >= count) {
            ch.signal_index = 0;
            if (const ScopeSignal* s = Scope_signal_at(0))
                ch.signal_code = s->code;
        }
    }
    Diagramx& d = *chart_;
    d.sample_period = (st.sample_time + 1) * 0.001;
    for (QComboBox* box : {ComboBox_index_asse_y_left, ComboBox_index_asse_y_right, ComboBox_trigger_ch}) {
        const QSignalBlocker block(box);
        box->clear();
        for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
            box->addItem(QStringLiteral("CH ") + QString::number(c + 1));
    }
    {
        const QSignalBlocker b1(ComboBox_index_asse_y_left), b2(ComboBox_index_asse_y_right);
        ComboBox_index_asse_y_left->setCurrentIndex(st.axis_left % SCOPE_CHANNELS);
        ComboBox_index_asse_y_right->setCurrentIndex(st.axis_right % SCOPE_CHANNELS);
    }
    d.view.left_channel = st.axis_left;
    d.view.right_channel = st.axis_right;
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const ScopeChannel& ch = st.channel[c];
        const ScopeSignal& s = Oscx_channel_signal(ch);
        const QString name = QString::fromUtf8(Oscx_signal_name(s));
        const QString unit = QString::fromUtf8(Oscx_signal_unit(s));
        ChartChannelView& v = d.view.channels[c];
        v.set_name(name);
        v.set_unit(unit);
        v.fixed = (ch.flags & 0x02) ? 1 : 0;
        const double scale = Dato_scale(ch.decimals);
        v.fixed_maximum = ch.scale_max / scale;
        v.fixed_minimum = ch.scale_min / scale;
        d.colours[c] = ch.colour;
        d.shown[c] = ch.flags & 0x01;
        SpeedButton_CH[c]->setChecked(ch.flags & 0x01);
        channel_colour(c);
        const QString caption = name + QStringLiteral(" [") + unit + QLatin1Char(']');
        Panel_name_CH[c]->setText(caption);
        Panel_scala_CH[c]->setText(caption);
        Panel_cursor_CH[c]->setText(caption);
        RadioButton_scala_aut[c]->setChecked(!(ch.flags & 0x02));
        RadioButton_scala_fix[c]->setChecked(ch.flags & 0x02);
        FzScaleEdits e = scale_edits(c);
        Fz_cmp_scale_mode(e, ch.flags & 0x02);
    }
    {
        const QSignalBlocker b1(ComboBox_trigger_ch), b2(ComboBox_trigger_pendenza), b3(ComboBox_trigger_type),
            b4(CheckBox_trigger_dynamic), b5(CheckBox_trigger_show), b6(ScrollBar_time_data_set);
        ComboBox_trigger_ch->setCurrentIndex(st.trigger_channel % SCOPE_CHANNELS);
        ComboBox_trigger_pendenza->setCurrentIndex((st.trigger_flags & ScopeTrigger::FlagRising) ? 1 : 0);
        ComboBox_trigger_type->setCurrentIndex(st.trigger_type < 3 ? st.trigger_type : 0);
        CheckBox_trigger_dynamic->setChecked(st.trigger_flags & ScopeTrigger::FlagLive);
        CheckBox_trigger_show->setChecked(st.trigger_flags & ScopeTrigger::FlagShow);
        ScrollBar_time_data_set->setRange(ScopeTrigger::RecordMin, ScopeTrigger::RecordMax);
        ScrollBar_time_data_set->setValue(int(st.record_length));
    }
    d.trigger_channel = st.trigger_channel;
    d.trigger_shown = st.trigger_flags & ScopeTrigger::FlagShow;
    Oscx_draw_record_time();
    Oscx_trigger_controls();
}

void TForm_Oscx::Oscx_trigger_controls()
{
    const bool on = ScopeSettings.trigger_type != ScopeTrigger::Rolling;
    for (QWidget* w : std::initializer_list<QWidget*>{ComboBox_trigger_pendenza, ComboBox_trigger_ch,
                                                       CheckBox_trigger_dynamic, CheckBox_trigger_show,
                                                       Memo_trigger_y_max, Memo_trigger_y_min, UpDown_trigger_y_max,
                                                       UpDown_trigger_y_min, Panel_trigger_level,
                                                       Panel_trigger_level_pct, Panel_time_pre_pct, Panel_time_pre_s}) {
        w->setEnabled(on);
        Graph_set_text_colour(w, on ? clBlack : clGray);
    }
    Oscx_draw_time_set();
    Oscx_draw_level();
}

void TForm_Oscx::channel_colour(unsigned c)
{
    const QColor colour = bgr(ScopeSettings.channel[c].colour);
    for (QWidget* w : {static_cast<QWidget*>(Shape_CH[c])}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, colour);
        w->setPalette(p);
    }
    for (QLabel* l : {Panel_name_CH[c], Panel_scala_CH[c], Panel_cursor_CH[c]})
        Graph_set_text_colour(l, colour);
}

TForm_Oscx* Oscx_open_window()
{
    QWidget* w = Toolwin_open(ToolWin::Oscx);
    return qobject_cast<TForm_Oscx*>(w != nullptr ? w : Form_Oscx.data());
}

void Oscx_register_window()
{
    Toolwin_register(ToolWin::Oscx, [](QWidget* parent) -> QWidget* { return new TForm_Oscx(parent); });
    ScopeEntries.apply_channels = [] {
        if (TForm_Oscx* w = Oscx_open_window())
            w->Oscx_apply_channels();
    };
    ScopeEntries.draw_cmp_status = [](uint8_t active) {
        if (TForm_Oscx* w = Oscx_open_window())
            w->Oscx_draw_cmp_status(active);
    };
}
