// The recording viewer.
#include "scope/Oscx_load_dat.h"

#include <cstring>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Utx_combo.h"
#include "platform/Msgbox.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope/Oscx_panes.h"
#include "scope_core/Oscx_read_recording.h"
#include "scope_core/Oscx_signals_core.h"
#include "scope/Oscx_texts.h"
#include "shell/Colordlg.h"
#include "shell/Filedlg.h"
#include "shell/Settings.h"
#include "shell/Stbarcmx.h"

ScopeSettingsRec ViewerSettings{};
QString ViewerFilePath;
QString ViewerPaneText[2];

namespace {

constexpr uint32_t CHART_CAPACITY = 40002;
constexpr QSize WINDOW_SIZE(1000, 680);  // the form's size, as the screen allows
constexpr uint8_t FLAG_SHOWN = 0x01, FLAG_FIXED = 0x02;
constexpr uint8_t FAMILY_FIRST = 2;
constexpr uint32_t DEFAULT_COLOURS[SCOPE_CHANNELS] = {0x008000, 0xFF0000, 0x000080, 0x0000FF};

OscxText BAD_FILE = {"File Dati Errato!!", "Wrong Data File!", "Données Fichier Erronnées!"};
OscxText INCOMPATIBLE = {"Dati incompatibili!", "Incompatible data file!", "Données Fichier Incompatibles!"};

void warn(const char* const text[3])
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk});
}

const ScopeSignal* signal_at(uint16_t index)
{
    const ScopeSignalTableRec& t = ScopeSignalTable;
    if (t.entries == nullptr || t.count == 0)
        return nullptr;
    return &t.entries[index < t.count ? index : 0];
}

// Name and unit of a channel by the recording's motor type (1: linear).
QString channel_name(const ScopeChannel& ch)
{
    const ScopeSignal* s = signal_at(ch.signal_index);
    return s ? QString::fromUtf8(Oscx_signal_name(*s)) : QString();
}

QString channel_unit(const ScopeChannel& ch)
{
    const ScopeSignal* s = signal_at(ch.signal_index);
    if (s == nullptr)
        return {};
    const bool linear = ((ViewerSettings.trigger_flags & SCOPE_FLAGS_MOTOR_MASK) >> 3) == 1;
    const char* unit = linear ? s->linear_unit : s->unit;
    return QString::fromUtf8(unit, static_cast<int>(strnlen(unit, sizeof s->unit)));
}

void set_shape(QFrame* shape, uint32_t colour)
{
    QPalette p = shape->palette();
    p.setColor(QPalette::Window, bgr(colour));
    shape->setPalette(p);
}

QFrame* shape(QWidget* parent, const QString& name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFixedSize(14, 14);
    f->setBackgroundRole(QPalette::Window);  // not the role of a parent button
    f->setAutoFillBackground(true);
    f->setFrameShape(QFrame::Box);
    return f;
}

QLabel* panel(QWidget* parent, const QString& name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::StyledPanel);
    return l;
}

void paint_period(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Graph_draw_text_rect(c, r, AlignLeft, QString());
    ViewerPaneText[0] = Oscx_draw_pieces(c, r, r.left,
                                         {{"Tc:", clBlack, true},
                                          {QString::number(ViewerSettings.sample_time + 1), clBlue, true},
                                          {"ms", clBlack, false}});
    Stbarcmx_done(picture, r);
}

void paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Graph_draw_text_rect(c, r, AlignLeft, QString());
    ViewerPaneText[1] = Oscx_draw_pieces(
        c, r, r.left, {{"File:", clBlack, true}, {QFileInfo(ViewerFilePath).fileName(), clNavy, false}});
    Stbarcmx_done(picture, r);
}

}  // namespace

// ---- data ----

ViewerScaleBindingsRec& ViewerScaleBindings()
{
    static ViewerScaleBindingsRec b{
        {{&ViewerSettings.channel[0].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[1].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[2].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[3].scale_max, INT32_MAX, INT32_MIN, 0}},
        {{&ViewerSettings.channel[0].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[1].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[2].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ViewerSettings.channel[3].scale_min, INT32_MAX, INT32_MIN, 0}},
    };
    return b;
}

void Oscx_load_dat_defaults()
{
    ScopeSettingsRec& s = ViewerSettings;
    s = {};
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        ScopeChannel& ch = s.channel[c];
        ch.signal_index = static_cast<uint16_t>(c + 1);
        ch.colour = DEFAULT_COLOURS[c];
        ch.flags = FLAG_SHOWN;
        if (const ScopeSignal* sig = signal_at(ch.signal_index)) {
            ch.scale_max = sig->default_max;
            ch.scale_min = sig->default_min;
            ch.decimals = static_cast<uint8_t>(Dato_decimals(sig->decimals));
        }
    }
    s.marker[0] = s.marker[1] = 0.5f;
    s.trigger_flags = 0x06;
    if (const ScopeSignal* sig = signal_at(s.channel[0].signal_index)) {
        s.trigger_scale_max = sig->default_max;
        s.trigger_scale_min = sig->default_min;
        s.trigger_decimals = static_cast<uint8_t>(Dato_decimals(sig->decimals));
    }
    s.record_length = RECORDING_MAX_LENGTH;
    s.axis_left = 0;
    s.axis_right = 1;
}

// ---- window ----

TForm_Oscx_load_dat::TForm_Oscx_load_dat(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_Oscx_load_dat");
    build();
    Utx_fit_texts(this);
    // FormCreate
    Oscx_load_dat_defaults();
    ViewerChart = std::make_unique<Diagramx>(Panel_graph, SCOPE_CHANNELS, CHART_CAPACITY);
    ViewerChart->time_axis_name = QStringLiteral("Time [s]");
    panes_[0] = std::make_unique<StbarPane>();
    panes_[0]->width = 70;
    panes_[0]->paint = paint_period;
    panes_[1] = std::make_unique<StbarPane>();
    panes_[1]->width = 1000;
    panes_[1]->paint = paint_file;
    pane_list_[0] = panes_[0].get();
    pane_list_[1] = panes_[1].get();
    stb_ = new Stbarx(Panel_Oscx_Load_SBar, pane_list_, 1);
}

TForm_Oscx_load_dat::~TForm_Oscx_load_dat()
{
    FormClose();
}

TForm_Oscx_load_dat* TForm_Oscx_load_dat_new(QWidget* parent)
{
    return new TForm_Oscx_load_dat(parent);
}

void TForm_Oscx_load_dat::build()
{
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    auto* menus = new QMenuBar(this);
    QMenu* file = menus->addMenu(QStringLiteral("File"));
    Menu_open = file->addAction(QString());
    Menu_open->setObjectName("Menu_open");
    Menu_Chiudi = file->addAction(QString());
    Menu_Chiudi->setObjectName("Menu_Chiudi");
    QMenu* print = menus->addMenu(QString());
    Menu_Printx = print->menuAction();
    Menu_Printx->setObjectName("Menu_Printx");
    Menu_Stampa = print->addAction(QString());
    Menu_Stampa->setObjectName("Menu_Stampa");
    Menu_AnteprimadiStampa = print->addAction(QString());
    Menu_AnteprimadiStampa->setObjectName("Menu_AnteprimadiStampa");
    v->setMenuBar(menus);

    auto* bar = new QToolBar(this);
    bar->setObjectName("ControlBar_main");
    const auto tool = [this, bar](const char* name) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        bar->addWidget(b);
        return b;
    };
    BitBtn_open = tool("BitBtn_open");
    BitBtn_print = tool("BitBtn_print");
    BitBtn_preview = tool("BitBtn_preview");
    BitBtn_unzoom = tool("BitBtn_unzoom");
    BitBtn_unzoom->setText(QStringLiteral("1:1"));
    v->addWidget(bar);
    v->addWidget(build_channel_bar());

    auto* middle = new QHBoxLayout;
    Panel_graph = new QWidget(this);
    Panel_graph->setObjectName("Panel_graph");
    middle->addWidget(Panel_graph, 1);
    PageControl_scope = new QTabWidget(this);
    PageControl_scope->setObjectName("PageControl_scope");
    PageControl_scope->setFixedWidth(OSCX_SIDE_PANEL_WIDTH);
    TabSheet_cursori = build_cursor_tab();
    TabSheet_scala = build_scale_tab();
    PageControl_scope->addTab(TabSheet_cursori, QString());
    PageControl_scope->addTab(TabSheet_scala, QString());
    middle->addWidget(PageControl_scope);
    v->addLayout(middle, 1);
    Panel_Oscx_Load_SBar = new QWidget(this);
    Panel_Oscx_Load_SBar->setObjectName("Panel_Oscx_Load_SBar");
    Panel_Oscx_Load_SBar->setFixedHeight(22);
    v->addWidget(Panel_Oscx_Load_SBar);

    for (QWidget* w : {static_cast<QWidget*>(BitBtn_print), static_cast<QWidget*>(BitBtn_preview)})
        w->setEnabled(false);
    Menu_Stampa->setEnabled(false);
    Menu_AnteprimadiStampa->setEnabled(false);

    connect(BitBtn_open, &QToolButton::clicked, this, &TForm_Oscx_load_dat::BitBtn_openClick);
    connect(Menu_open, &QAction::triggered, this, &TForm_Oscx_load_dat::BitBtn_openClick);
    connect(Menu_Chiudi, &QAction::triggered, this, &QDialog::close);
    connect(BitBtn_print, &QToolButton::clicked, this, &TForm_Oscx_load_dat::BitBtn_printClick);
    connect(Menu_Stampa, &QAction::triggered, this, &TForm_Oscx_load_dat::BitBtn_printClick);
    connect(BitBtn_preview, &QToolButton::clicked, this, &TForm_Oscx_load_dat::BitBtn_previewClick);
    connect(Menu_AnteprimadiStampa, &QAction::triggered, this, &TForm_Oscx_load_dat::BitBtn_previewClick);
    connect(BitBtn_unzoom, &QToolButton::clicked, this, &TForm_Oscx_load_dat::BitBtn_unzoomClick);
    connect(CheckBox_cursor_asseY, &QCheckBox::clicked, this, &TForm_Oscx_load_dat::CheckBox_cursor_asseYClick);
    connect(CheckBox_cursor_asseT, &QCheckBox::clicked, this, &TForm_Oscx_load_dat::CheckBox_cursor_asseTClick);
    connect(ComboBox_index_asse_y_left, &QComboBox::activated, this, [this] { ComboBox_index_asse_yChange(false); });
    connect(ComboBox_index_asse_y_right, &QComboBox::activated, this, [this] { ComboBox_index_asse_yChange(true); });
    connect(PageControl_scope, &QTabWidget::currentChanged, this, [this](int i) {
        if (PageControl_scope->widget(i) == TabSheet_scala)
            TabSheet_scalaShow();
    });
}

QWidget* TForm_Oscx_load_dat::build_channel_bar()
{
    auto* w = new QWidget(this);
    auto* h = new QHBoxLayout(w);
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const QString n = QString::number(c);
        SpeedButton_CH[c] = new QToolButton(w);
        SpeedButton_CH[c]->setObjectName("SpeedButton_CH" + n);
        SpeedButton_CH[c]->setCheckable(true);
        SpeedButton_CH[c]->setText(QStringLiteral("CH%1 ").arg(c + 1));
        SpeedButton_color_CH[c] = new QToolButton(w);
        SpeedButton_color_CH[c]->setObjectName("SpeedButton_color_CH" + n);
        SpeedButton_color_CH[c]->setAutoRaise(true);
        Shape_color_CH[c] = shape(SpeedButton_color_CH[c], "Shape_color_CH" + n);
        Shape_color_CH[c]->move(4, 4);
        SpeedButton_color_CH[c]->setFixedSize(22, 22);
        Panel_nome_CH[c] = panel(w, "Panel_nome_CH" + n);
        h->addWidget(SpeedButton_CH[c]);
        h->addWidget(SpeedButton_color_CH[c]);
        h->addWidget(Panel_nome_CH[c], 1);
        connect(SpeedButton_CH[c], &QToolButton::clicked, this, [this, c] { SpeedButton_CHClick(c); });
        connect(SpeedButton_color_CH[c], &QToolButton::clicked, this, [this, c] { SpeedButton_color_CHClick(c); });
    }
    return w;
}

QWidget* TForm_Oscx_load_dat::build_cursor_tab()
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet_cursori");
    auto* g = new QGridLayout(tab);
    CheckBox_cursor_asseY = new QCheckBox(tab);
    CheckBox_cursor_asseY->setObjectName("CheckBox_cursor_asseY");
    CheckBox_cursor_asseT = new QCheckBox(tab);
    CheckBox_cursor_asseT->setObjectName("CheckBox_cursor_asseT");
    g->addWidget(CheckBox_cursor_asseY, 0, 0, 1, 4);
    g->addWidget(CheckBox_cursor_asseT, 1, 0, 1, 4);
    static const char* const SUFFIX[3] = {"_y1", "_y2", "_dy"};
    static const char* const TIME_SUFFIX[3] = {"_t1", "_t2", "_dt"};
    int row = 2;
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const QString n = QString::number(c);
        Shape_cursor[c] = shape(tab, "Shape_cursor" + n);
        Panel_cursor_nome[c] = panel(tab, "Panel_cursor" + n + "_nome");
        g->addWidget(Shape_cursor[c], row, 0);
        g->addWidget(Panel_cursor_nome[c], row++, 1, 1, 3);
        for (int k = 0; k < 3; ++k) {
            Panel_cursor_y[c][k] = panel(tab, "Panel_cursor" + n + SUFFIX[k]);
            Oscx_readout_panel(Panel_cursor_y[c][k]);
            g->addWidget(Panel_cursor_y[c][k], row, 1 + k);
        }
        ++row;
    }
    Panel_cursor_time_nome = panel(tab, "Panel_cursor_time_nome");
    g->addWidget(Panel_cursor_time_nome, row++, 1, 1, 3);
    for (int k = 0; k < 3; ++k) {
        Panel_cursor_time[k] = panel(tab, QStringLiteral("Panel_cursor_time") + TIME_SUFFIX[k]);
        Oscx_readout_panel(Panel_cursor_time[k]);
        g->addWidget(Panel_cursor_time[k], row, 1 + k);
    }
    g->setRowStretch(row + 1, 1);
    return tab;
}

QWidget* TForm_Oscx_load_dat::build_scale_tab()
{
    auto* tab = new QWidget;
    tab->setObjectName("TabSheet_scala");
    auto* g = new QGridLayout(tab);
    int row = 0;
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const QString n = QString::number(c);
        Shape_scala[c] = shape(tab, "Shape_scala" + n);
        Panel_scala_nome[c] = panel(tab, "Panel_scala" + n + "_nome");
        g->addWidget(Shape_scala[c], row, 0);
        g->addWidget(Panel_scala_nome[c], row++, 1, 1, 4);
        auto* group = new QWidget(tab);  // one radio group per channel
        auto* gh = new QHBoxLayout(group);
        gh->setContentsMargins(0, 0, 0, 0);
        RadioButton_scala_aut[c] = new QRadioButton(group);
        RadioButton_scala_aut[c]->setObjectName("RadioButton_scala" + n + "_aut");
        RadioButton_scala_fix[c] = new QRadioButton(group);
        RadioButton_scala_fix[c]->setObjectName("RadioButton_scala" + n + "_fix");
        gh->addWidget(RadioButton_scala_aut[c]);
        gh->addWidget(RadioButton_scala_fix[c]);
        g->addWidget(group, row, 1);
        Memo_scala_max[c] = new QLineEdit(tab);
        Memo_scala_max[c]->setObjectName("Memo_scala_ch" + n + "_max");
        UpDown_scala_max[c] = new UpDownButton(tab);
        UpDown_scala_max[c]->setObjectName("UpDown_scala_ch" + n + "_max");
        Memo_scala_min[c] = new QLineEdit(tab);
        Memo_scala_min[c]->setObjectName("Memo_scala_ch" + n + "_min");
        UpDown_scala_min[c] = new UpDownButton(tab);
        UpDown_scala_min[c]->setObjectName("UpDown_scala_ch" + n + "_min");
        g->addWidget(Memo_scala_max[c], row, 2);
        g->addWidget(UpDown_scala_max[c], row, 3);
        g->addWidget(Memo_scala_min[c], row + 1, 2);
        g->addWidget(UpDown_scala_min[c], row + 1, 3);
        row += 2;
        connect(RadioButton_scala_aut[c], &QRadioButton::clicked, this, [this, c] { RadioButton_scalaClick(c, false); });
        connect(RadioButton_scala_fix[c], &QRadioButton::clicked, this, [this, c] { RadioButton_scalaClick(c, true); });
        Fz_cmp_route_scale_edits(c, [this, c] { return scale_edits(c); }, [this] { return chart(); }, ViewerSettings,
                                 [this, c] { return Panel_scala_nome[c]->text(); });
    }
    Panel_left_axis = panel(tab, "Panel_left_axis");
    ComboBox_index_asse_y_left = new QComboBox(tab);
    ComboBox_index_asse_y_left->setObjectName("ComboBox_index_asse_y_left");
    Panel_right_axis = panel(tab, "Panel_right_axis");
    ComboBox_index_asse_y_right = new QComboBox(tab);
    ComboBox_index_asse_y_right->setObjectName("ComboBox_index_asse_y_right");
    g->addWidget(Panel_left_axis, row, 0, 1, 2);
    g->addWidget(ComboBox_index_asse_y_left, row++, 2, 1, 2);
    g->addWidget(Panel_right_axis, row, 0, 1, 2);
    g->addWidget(ComboBox_index_asse_y_right, row++, 2, 1, 2);
    g->setRowStretch(row, 1);
    return tab;
}

FzScaleEdits TForm_Oscx_load_dat::scale_edits(unsigned c)
{
    ViewerScaleBindingsRec& b = ViewerScaleBindings();
    return {&b.max[c], &b.min[c], Memo_scala_max[c], Memo_scala_min[c], UpDown_scala_max[c], UpDown_scala_min[c]};
}

void TForm_Oscx_load_dat::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    if (!std::exchange(placed_, true))
        resize(WINDOW_SIZE);
}

void TForm_Oscx_load_dat::FormShow()
{
    ViewerFilePath.clear();
    PageControl_scope->setCurrentIndex(0);
    Oscx_load_dat_language();
    Oscx_load_dat_link_readouts();
    Oscx_load_dat_apply_settings();
    if (ViewerChart)
        ViewerChart->Redraw();
    Stbarx_repaint(stb_);
}

void TForm_Oscx_load_dat::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TForm_Oscx_load_dat::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    ViewerChart.reset();
    Stbarx_free(stb_);
    // The scope window and the next viewer see the current family's catalogue again.
    const ScopeSignalTableRec& family = ScopeFamilyCatalogue[Settings_second_family() ? 1 : 0];
    if (family.entries != nullptr && family.count != 0)
        ScopeSignalTable = family;
}

void TForm_Oscx_load_dat::Oscx_load_dat_set_caption(uint8_t family_code)
{
    setWindowTitle(Oscx_text(OSCX_TITLE) + (family_code == FAMILY_FIRST ? " [ORVEL]" : " [PELSAN]"));
}

void TForm_Oscx_load_dat::Oscx_load_dat_language()
{
    setWindowTitle(Oscx_text(OSCX_TITLE));
    for (QToolButton* b : {BitBtn_open, BitBtn_print, BitBtn_preview}) {
        const QString text = Oscx_caption(b->objectName().toLatin1().constData());
        b->setText(text);  // as the scope's tool bar shows it
        b->setToolTip(text);
    }
    Menu_open->setText(Oscx_caption("Menu_open"));
    Menu_Chiudi->setText(Oscx_caption("Menu_Chiudi"));
    Menu_Printx->setText(Oscx_caption("Menu_Stampa"));
    Menu_Stampa->setText(Oscx_caption("Menu_Stampa"));
    Menu_AnteprimadiStampa->setText(Oscx_caption("Menu_AnteprimadiStampa"));
    BitBtn_unzoom->setToolTip(Oscx_caption("BitBtn_unzoom"));
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        SpeedButton_CH[c]->setToolTip(Oscx_text(OSCX_SHOW_HIDE));
        SpeedButton_color_CH[c]->setToolTip(Oscx_text(OSCX_CHANGE_COLOUR));
        RadioButton_scala_aut[c]->setText(Oscx_text(OSCX_AUTOMATIC));
        RadioButton_scala_fix[c]->setText(Oscx_text(OSCX_FIXED));
    }
    PageControl_scope->setTabText(0, Oscx_caption("TabSheet_cursori"));
    PageControl_scope->setTabText(1, Oscx_caption("TabSheet_scala"));
    CheckBox_cursor_asseY->setText(Oscx_caption("CheckBox_cursor_asseY"));
    CheckBox_cursor_asseT->setText(Oscx_caption("CheckBox_cursor_asseT"));
    Panel_left_axis->setText(Oscx_caption("Label_asse_left"));
    Panel_right_axis->setText(Oscx_caption("Label_asse_right"));
}

void TForm_Oscx_load_dat::Oscx_load_dat_link_readouts()
{
    if (!ViewerChart)
        return;
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
        for (int k = 0; k < 3; ++k)
            ViewerChart->level_readouts[k][c] = Panel_cursor_y[c][k];
    for (int k = 0; k < 3; ++k)
        ViewerChart->time_readouts[k] = Panel_cursor_time[k];
    Oscx_load_dat_show_level_readouts();
    Oscx_load_dat_show_time_readouts();
}

void TForm_Oscx_load_dat::Oscx_load_dat_show_level_readouts()
{
    std::vector<QLabel*> panels;
    for (auto& row : Panel_cursor_y)
        panels.insert(panels.end(), std::begin(row), std::end(row));
    Oscx_readouts_look(panels, CheckBox_cursor_asseY->isChecked());
}

void TForm_Oscx_load_dat::Oscx_load_dat_show_time_readouts()
{
    Oscx_readouts_look({std::begin(Panel_cursor_time), std::end(Panel_cursor_time)}, CheckBox_cursor_asseT->isChecked());
}

void TForm_Oscx_load_dat::Oscx_load_dat_apply_settings()
{
    Diagramx* chart = ViewerChart.get();
    const ScopeSettingsRec& s = ViewerSettings;
    if (chart != nullptr) {
        chart->sample_period = (s.sample_time + 1) * 0.001;
        chart->view.record_length = s.record_length;
    }
    for (QComboBox* box : {ComboBox_index_asse_y_left, ComboBox_index_asse_y_right}) {
        box->clear();
        for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
            box->addItem(QStringLiteral("CH %1").arg(c + 1));
    }
    ComboBox_index_asse_y_left->setCurrentIndex(s.axis_left);
    ComboBox_index_asse_y_right->setCurrentIndex(s.axis_right);
    if (chart != nullptr) {
        chart->view.left_channel = s.axis_left;
        chart->view.right_channel = s.axis_right;
    }
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const ScopeChannel& ch = s.channel[c];
        const QString name = channel_name(ch);
        const QString unit = channel_unit(ch);
        const bool fixed = (ch.flags & FLAG_FIXED) != 0;
        if (chart != nullptr) {
            ChartChannelView& cv = chart->view.channels[c];
            cv.set_name(name);
            cv.set_unit(unit);
            cv.fixed = fixed ? 1 : 0;
            const double scale = Dato_scale(ch.decimals);
            cv.fixed_maximum = ch.scale_max / scale;
            cv.fixed_minimum = ch.scale_min / scale;
            chart->colours[c] = ch.colour;
        }
        SpeedButton_CH[c]->setChecked((ch.flags & FLAG_SHOWN) != 0);
        if (chart != nullptr)
            chart->Set_channel_show(ch.flags & FLAG_SHOWN, static_cast<uint8_t>(c));
        Panel_nome_CH[c]->setText(name);
        Panel_cursor_nome[c]->setText(name + " [" + unit + "]");
        Panel_scala_nome[c]->setText(name + " [" + unit + "]");
        for (QFrame* f : {Shape_color_CH[c], Shape_cursor[c], Shape_scala[c]})
            set_shape(f, ch.colour);
        RadioButton_scala_aut[c]->setChecked(!fixed);
        RadioButton_scala_fix[c]->setChecked(fixed);
        FzScaleEdits e = scale_edits(c);
        Fz_cmp_scale_mode(e, fixed);
    }
    Panel_cursor_time_nome->setText(QStringLiteral("Time [s]"));
}

// ---- handlers ----

void TForm_Oscx_load_dat::BitBtn_openClick()
{
    FileDialogSpec spec;
    spec.title = Oscx_caption("BitBtn_open");
    spec.folder = Filedlg_folder(StartFolder);
    spec.filter = QStringLiteral("(*.dmg)|*.dmg");
    QPointer<TForm_Oscx_load_dat> self(this);
    const QString file = Filedlg_run(this, spec);
    if (!self || closed_ || file.isEmpty() || !QFileInfo::exists(file))
        return;
    load(file);
}

void TForm_Oscx_load_dat::load(const QString& path)
{
    QFile f(path);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        bytes.clear();
    const ScopeRecordingRead r =
        Oscx_read_recording(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (r.result == RecordingRead::BadFile) {
        warn(BAD_FILE);
        return;
    }
    const ScopeSignalTableRec& family = ScopeFamilyCatalogue[r.header.family.code == FAMILY_FIRST ? 0 : 1];
    if (family.entries != nullptr && family.count != 0)
        ScopeSignalTable = family;
    Oscx_load_dat_set_caption(r.header.family.code);
    if (r.result == RecordingRead::Incompatible) {
        warn(INCOMPATIBLE);
        return;
    }
    ScopeSettingsRec settings = r.header.settings;
    Oscx_recording_signals(settings, ScopeSignalTable.entries, ScopeSignalTable.count);
    ViewerFilePath = path;
    Diagramx& chart = *ViewerChart;
    chart.Clear();
    for (uint32_t i = 0; i < r.sample_count; ++i)
        std::memcpy(chart.Row(i), r.samples + std::size_t(i) * SCOPE_SAMPLE_BYTES, SCOPE_SAMPLE_BYTES);
    chart.ring_start = 0;
    chart.ring_end = r.sample_count;
    ViewerSettings = settings;
    Oscx_load_dat_apply_settings();
    TabSheet_scalaShow();
    chart.Redraw();
    const bool print = Oscx_print_request != nullptr;
    BitBtn_unzoom->setEnabled(true);
    for (QWidget* w : {static_cast<QWidget*>(BitBtn_print), static_cast<QWidget*>(BitBtn_preview)})
        w->setEnabled(print);
    Menu_Stampa->setEnabled(print);
    Menu_AnteprimadiStampa->setEnabled(print);
    Stbarx_repaint(stb_);
}

void TForm_Oscx_load_dat::print_command(uint8_t preview)
{
    if (Oscx_print_request != nullptr && ViewerChart)
        Oscx_print_request(this, ViewerChart.get(), preview);
}

void TForm_Oscx_load_dat::BitBtn_printClick()
{
    print_command(0);
}

void TForm_Oscx_load_dat::BitBtn_previewClick()
{
    print_command(1);
}

void TForm_Oscx_load_dat::BitBtn_unzoomClick()
{
    if (!ViewerChart)
        return;
    ViewerChart->view.automatic = 1;
    ViewerChart->Redraw();
}

void TForm_Oscx_load_dat::SpeedButton_CHClick(unsigned c)
{
    uint8_t& f = ViewerSettings.channel[c].flags;
    const bool on = SpeedButton_CH[c]->isChecked();
    f = static_cast<uint8_t>(on ? f | FLAG_SHOWN : f & ~FLAG_SHOWN);
    if (ViewerChart)
        ViewerChart->Set_channel_show(on ? 1 : 0, static_cast<uint8_t>(c));
}

void TForm_Oscx_load_dat::SpeedButton_color_CHClick(unsigned c)
{
    QPointer<TForm_Oscx_load_dat> self(this);
    const std::optional<uint32_t> colour = Colordlg_run(this, ViewerSettings.channel[c].colour);
    if (!colour || !self || closed_)
        return;
    ViewerSettings.channel[c].colour = *colour;
    for (QFrame* f : {Shape_color_CH[c], Shape_cursor[c], Shape_scala[c]})
        set_shape(f, *colour);
    ViewerChart->colours[c] = *colour;
    ViewerChart->Redraw();
}

void TForm_Oscx_load_dat::CheckBox_cursor_asseYClick()
{
    if (ViewerChart) {
        ViewerChart->level_cursors_shown = CheckBox_cursor_asseY->isChecked() ? 1 : 0;
        ViewerChart->Redraw();
    }
    Oscx_load_dat_show_level_readouts();
}

void TForm_Oscx_load_dat::CheckBox_cursor_asseTClick()
{
    if (ViewerChart) {
        ViewerChart->time_cursors_shown = CheckBox_cursor_asseT->isChecked() ? 1 : 0;
        ViewerChart->Redraw();
    }
    Oscx_load_dat_show_time_readouts();
}

void TForm_Oscx_load_dat::ComboBox_index_asse_yChange(bool right)
{
    QComboBox* box = right ? ComboBox_index_asse_y_right : ComboBox_index_asse_y_left;
    const uint8_t ch = static_cast<uint8_t>(std::max(0, box->currentIndex()));
    (right ? ViewerSettings.axis_right : ViewerSettings.axis_left) = ch;
    if (!ViewerChart)
        return;
    (right ? ViewerChart->view.right_channel : ViewerChart->view.left_channel) = ch;
    ViewerChart->Redraw();
}

void TForm_Oscx_load_dat::RadioButton_scalaClick(unsigned c, bool fixed)
{
    uint8_t& f = ViewerSettings.channel[c].flags;
    f = static_cast<uint8_t>(fixed ? f | FLAG_FIXED : f & ~FLAG_FIXED);
    if (ViewerChart) {
        ViewerChart->view.channels[c].fixed = fixed ? 1 : 0;
        ViewerChart->Rescale();
    }
    FzScaleEdits e = scale_edits(c);
    Fz_cmp_scale_mode(e, fixed);
}

void TForm_Oscx_load_dat::TabSheet_scalaShow()
{
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c) {
        const ScopeChannel& ch = ViewerSettings.channel[c];
        ViewerScaleBindingsRec& b = ViewerScaleBindings();
        const uint8_t d = Dato_decimals(ch.decimals);
        b.max[c].Set_range(ch.scale_max, static_cast<int32_t>(std::max<int64_t>(INT32_MIN, int64_t(ch.scale_min) + 1)), d);
        b.min[c].Set_range(static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t(ch.scale_max) - 1)), ch.scale_min, d);
        b.max[c].Setup_updown(Memo_scala_max[c], UpDown_scala_max[c]);
        b.min[c].Setup_updown(Memo_scala_min[c], UpDown_scala_min[c]);
        b.max[c].Show_value(Memo_scala_max[c]);
        b.min[c].Show_value(Memo_scala_min[c]);
    }
}
