#include "tools/Formx_tar_cog.h"

#include <cmath>

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_rotx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "link/Tools_link.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "pages/drive/Frm_motore.h"
#include "platform/Tick.h"
#include "shell/Main.h"
#include "tools/Tar_pos_sensor.h"

namespace {

constexpr uint8_t DRIVE_FUNC_COGGING = 8;
constexpr uint8_t INFO_COGGING = 9;
constexpr uint8_t PHASE_SEARCH = 1;
constexpr uint8_t PHASE_ACQUIRE = 2;
constexpr uint8_t PHASE_END = 4;
constexpr int32_t SEARCH_LIMIT = 196608;
constexpr uint16_t STEADY_ARROW_FROM = 0xFC00;
constexpr uint16_t STATUS_POLL_RELEASE = 1u << 7;  // lets an encoder-only drive be followed
constexpr uint32_t STEP_MS = 300;
constexpr int DIAL_SIZE = 162;

Text3 CK_CAPTION = {"Acquisizione cogging motore", "Acquisition motor cogging", "Acquisition moteur cogging"};
Text3 CK_BEFORE = {"prima di iniziare l'acquisizione!", "berore start Acquisition!",
                   "avant d’effectuer le acquisition!"};
Text3 COG_CAPTION = {"Taratura cogging motore", "Calibration motor cogging", "Calibration moteur cogging"};
Text3 COG_GROUP = {"Taratura cogging", "Calibration cogging", "Cogging calibration"};
Text3 COG_POSITION = {"Posizione", "Position", "Position"};
Text3 COG_TABLE = {"Tabella", "Table", "Table"};
Text3 COG_DATA = {"Dati", "Data", "Données"};
Text3 COG_SEARCH = {"Ricerca dello zero del sensore", "Search for zero sensor", "Homing capteur"};
Text3 COG_ERROR = {"Errore: Ricerca dello zero del sensore!", "Error: search for zero sensor!",
                   "Erreur: Homing capteur!"};

bool alarm() { return Drive_status_get().alarm_word != 0; }

// Paints a grid cell as the cogging grids draw it.
class CoggingCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const auto* grid = qobject_cast<const CoggingGrid*>(parent());
        if (grid == nullptr)
            return;
        Canvas c(painter);
        const QRect r = option.rect;
        const bool fixed = index.row() == 0 || index.column() == 0;
        DrawRect cell{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
        if (fixed) {
            c.font = QFont("Arial");
            c.font.setPointSize(9);
            c.font.setBold(true);
            c.font_colour = index.row() == 0 ? clBlue : clNavy;
            c.brush = QBrush(clBtnFace);
            Graph_draw_text_rect(c, cell, AlignCentre, grid->cell_text(index.row(), index.column()));
            return;
        }
        c.brush = QBrush(clWhite);
        c.fill_rect(cell);
        cell.right -= 4;
        c.font = QFont("Arial");
        c.font.setPointSize(10);
        c.font_colour = clBlack;
        Graph_draw_text_rect(c, cell, AlignRight, grid->cell_text(index.row(), index.column()));
    }
};

}  // namespace

int8_t* Cogging_table(uint8_t slot)
{
    return reinterpret_cast<int8_t*>(DriveRecordBank[slot & 3].b + RecOfs::CoggingTable);
}

CoggingGrid::CoggingGrid(QWidget* parent, uint8_t slot) : QTableWidget(COGGING_ENTRIES + 1, 2, parent), slot_(slot)
{
    setObjectName("StringGrid_cog");
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setColumnWidth(0, 33);
    setColumnWidth(1, 76);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new CoggingCellDelegate(this));
    setFixedWidth(33 + 76 + 24);
}

QString CoggingGrid::cell_text(int row, int column) const
{
    if (row == 0)
        return column == 1 ? Tool_text(COG_DATA) : QString();
    if (row > COGGING_ENTRIES)
        return {};
    if (column == 0)
        return QString::number(row - 1);
    return QString::number(Cogging_table(slot_)[row - 1]);
}

void Cogging_fill_chart(DiagramxLt& chart, const int8_t* table)
{
    int largest = 0;
    for (int i = 0; i < COGGING_ENTRIES; ++i) {
        const double v = table[i];
        chart.Add_sample(&v, 1);
        largest = std::max(largest, std::abs(int{table[i]}));
    }
    ChartChannelView& ch = chart.view.channels[0];
    ch.fixed_maximum = 1.5 * largest;
    ch.fixed_minimum = -1.5 * largest;
    ch.fixed = 1;
    chart.time_name_shown = 0;
    chart.title_shown = 0;
    chart.Redraw();
}

// ---- confirmation dialog ----

TForm_tar_cog_ck::TForm_tar_cog_ck(QWidget* parent) : ToolDialog(parent, "Form_tar_cog_ck")
{
    auto* root = new QVBoxLayout(this);
    GroupBox_attenzione = new QGroupBox(this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    auto* box = new QVBoxLayout(GroupBox_attenzione);
    RichEdit_dialog = Tool_message_box(GroupBox_attenzione, "RichEdit_dialog");
    box->addWidget(RichEdit_dialog);
    root->addWidget(GroupBox_attenzione);
    auto* buttons = new QHBoxLayout;
    BitBtn_close = Tool_button(this, "BitBtn_close", QString());
    BitBtn_continua = Tool_button(this, "BitBtn_continua", QString());
    buttons->addWidget(BitBtn_close);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_continua);
    root->addLayout(buttons);
    connect(BitBtn_continua, &QPushButton::clicked, this, [this] { done(1); });
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(7); });
}

void TForm_tar_cog_ck::FormShow()
{
    setWindowTitle(Tool_text(CK_CAPTION));
    GroupBox_attenzione->setTitle(Tool_text(TOOL_ATTENTION));
    Tool_message(RichEdit_dialog, ToolStyle::Stopped, {"      ", Tool_text(TOOL_ROTOR_FREE), Tool_text(CK_BEFORE)});
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    BitBtn_continua->setText(Tool_text(TOOL_CONTINUE));
}

// ---- acquisition window ----

TForm_tar_cog::TForm_tar_cog(QWidget* parent) : ToolDialog(parent, "Form_tar_cog")
{
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    GroupBox_taratura_pos_sensor = new QGroupBox(this);
    GroupBox_taratura_pos_sensor->setObjectName("GroupBox_taratura_pos_sensor");
    auto* dial = new QVBoxLayout(GroupBox_taratura_pos_sensor);
    Image_rotor = new ImageBox(GroupBox_taratura_pos_sensor);
    Image_rotor->setObjectName("Image_rotor");
    Image_rotor->setFixedSize(DIAL_SIZE, DIAL_SIZE);
    Image_rotor->set_image_size(DIAL_SIZE, DIAL_SIZE);
    Panel_str_position = Tool_label(GroupBox_taratura_pos_sensor, "Panel_str_position");
    Panel_posizione = Tool_label(GroupBox_taratura_pos_sensor, "Panel_posizione", true);
    dial->addWidget(Image_rotor);
    dial->addWidget(Panel_str_position);
    dial->addWidget(Panel_posizione);
    top->addWidget(GroupBox_taratura_pos_sensor);
    GroupBox_cam_table = new QGroupBox(this);
    GroupBox_cam_table->setObjectName("GroupBox_cam_table");
    auto* table = new QVBoxLayout(GroupBox_cam_table);
    StringGrid_cog = new CoggingGrid(GroupBox_cam_table, 0);
    table->addWidget(StringGrid_cog);
    top->addWidget(GroupBox_cam_table);
    Panel_graph = new QWidget(this);
    Panel_graph->setObjectName("Panel_graph");
    Panel_graph->setMinimumSize(360, 240);
    top->addWidget(Panel_graph, 1);
    root->addLayout(top, 1);

    const ToolRunControls run = Tool_run_controls(this, root, "ProgressBar_tar_sensor", true);
    ProgressBar_tar_sensor = run.progress;
    RichEdit_taratura = run.message;
    BitBtn_start = run.start;
    BitBtn_stop = run.stop;
    BitBtn_terminal = run.terminal;
    BitBtn_close = run.close;
    BitBtn_close->setEnabled(false);
    PanelTar_Pos_SensorStb = run.status_panel;

    status_ = std::make_unique<ToolStatusBar>(PanelTar_Pos_SensorStb, TForm_main::BarTarCog, 0);
    chart = std::make_unique<DiagramxLt>(Panel_graph, 1, COGGING_ENTRIES + 1);
    Formx_tar_cog_fill_chart(*this);
    Timer_monitor_seriale = Tool_timer(this, "Timer_monitor_seriale", 1);
    Timer_ctrl = Tool_timer(this, "Timer_ctrl", 30);
    connect(BitBtn_start, &QPushButton::clicked, this, &TForm_tar_cog::BitBtn_startClick);
    connect(BitBtn_stop, &QPushButton::clicked, this, &TForm_tar_cog::BitBtn_stopClick);
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(2); });
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { CoggingMonitorTick(Tick_ms()); });
    connect(Timer_ctrl, &QTimer::timeout, this, &TForm_tar_cog::Timer_ctrlTimer);
    Timer_monitor_seriale->start();
}

TForm_tar_cog::~TForm_tar_cog() = default;

void Formx_tar_cog_fill_chart(TForm_tar_cog& window)
{
    if (window.chart)
        Cogging_fill_chart(*window.chart, Cogging_table(0));
}

void TForm_tar_cog::done(int result)
{
    if (!closed_) {
        closed_ = true;
        Timer_monitor_seriale->stop();
        Timer_ctrl->stop();
        if ((Ser_link_flags.load() & LinkFlag::Ready) && running) {
            Sertx_drive_func(DRIVE_FUNC_COGGING, 0);
            running = false;
        }
        Cogging_take(reinterpret_cast<uint8_t*>(Cogging_table(0)));
        chart.reset();
        status_.reset();
    }
    ToolDialog::done(result);
}

void TForm_tar_cog::FormShow()
{
    setWindowTitle(Tool_text(COG_CAPTION));
    GroupBox_taratura_pos_sensor->setTitle(Tool_text(COG_GROUP));
    Panel_str_position->setText(Tool_text(COG_POSITION));
    GroupBox_cam_table->setTitle(Tool_text(COG_TABLE));
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    if (chart)
        chart->Redraw();
    Panel_posizione->setText("-----");
    StringGrid_cog->setRowCount(COGGING_ENTRIES + 1);
    RichEdit_taratura->clear();
    Graph_rotx_dial(Image_rotor, 0.0, DialFlag::Arrow);
}

void TForm_tar_cog::BitBtn_startClick()
{
    if (alarm())
        return;
    CoggingMonitorRec& m = CoggingMonitor;
    m.phase.store(0);
    m.largest = 0.0;
    m.range_limit = 0.0;
    m.counter.store(0);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply));
    last_phase = 0xFF;
    m.flags.fetch_and(static_cast<uint8_t>(~(CoggingFlag::SearchFailed | CoggingFlag::FailureReported)));
    Tool_message(RichEdit_taratura, ToolStyle::Start, {});
    Sertx_drive_func(DRIVE_FUNC_COGGING, 1);
    running = true;
}

void TForm_tar_cog::BitBtn_stopClick()
{
    if (alarm())
        return;
    Sertx_drive_func(DRIVE_FUNC_COGGING, 0);
    running = false;
    Tool_enable(BitBtn_stop, false);
    Tool_enable(BitBtn_close, true);
    Tool_enable(BitBtn_start, true);
    ProgressBar_tar_sensor->setValue(0);
    Tool_message(RichEdit_taratura, ToolStyle::Stopped, {Tool_text(TOOL_DONE)});
}

void TForm_tar_cog::Timer_ctrlTimer()
{
    const uint8_t f = CoggingMonitor.flags.load();
    if (!(f & CoggingFlag::SearchFailed) || (f & CoggingFlag::FailureReported))
        return;
    CoggingMonitor.flags.fetch_or(CoggingFlag::FailureReported);
    Sertx_drive_func(DRIVE_FUNC_COGGING, 0);
    Timer_ctrl->stop();
    running = false;
    Tool_enable(BitBtn_stop, false);
    Tool_enable(BitBtn_close, true);
    Tool_enable(BitBtn_start, true);
    ProgressBar_tar_sensor->setValue(0);
    Tool_warn(Tool_text(COG_ERROR));
}

void TForm_tar_cog::incomplete()
{
    running = false;
    Tool_message(RichEdit_taratura, ToolStyle::Incomplete, {Tool_text(TOOL_INCOMPLETE)});
}

void TForm_tar_cog::CoggingMonitorTick(uint32_t now)
{
    if (link.lost(now)) {
        if (link_seen) {
            if (running)
                incomplete();
            Tool_enable(BitBtn_start, false);
            Tool_enable(BitBtn_stop, false);
            Tool_enable(BitBtn_close, true);
            link_seen = false;
            running = false;
        }
        return;
    }
    const uint16_t word = Drive_status_word();
    if (!(word & StatusBit::State5) && !alarm()) {
        if (!running)
            Tool_enable(BitBtn_start, true);
    } else {
        Tool_enable(BitBtn_start, false);
    }
    if (BitBtn_stop->isEnabled() == BitBtn_start->isEnabled())
        BitBtn_stop->setEnabled(!BitBtn_start->isEnabled());
    const bool encoder_only = Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType) == 0;
    if (!running || (encoder_only && !(word & STATUS_POLL_RELEASE))) {
        Tool_enable(BitBtn_close, true);
        link_seen = true;
        return;
    }
    if (Seriale_count() < TOOL_QUEUE_ROOM)
        Sertx_read_info(INFO_COGGING);
    if (Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply)) & DataFlag::ProcReply)
        follow_reply(now);
    link_seen = true;
}

void TForm_tar_cog::follow_reply(uint32_t now)
{
    CoggingMonitorRec& m = CoggingMonitor;
    const ProcReplySnapshot r = Proc_reply_snapshot();
    const uint8_t phase = r.cog_phase;
    const uint16_t position = r.cog_position;
    if (phase == PHASE_SEARCH && r.cog_counter > SEARCH_LIMIT) {
        if (!(m.flags.fetch_or(CoggingFlag::SearchFailed) & CoggingFlag::FailureReported))
            Timer_ctrl->start();
    }
    Tool_enable(BitBtn_close, false);
    if (phase >= PHASE_END) {
        finish(position);
    } else if (static_cast<uint32_t>(now - progress_tick) > STEP_MS) {
        progress_tick = now;
        Tool_progress_step(ProgressBar_tar_sensor);
    }
    take_table();
    if (phase <= PHASE_END)
        show_dial(phase, position, now);
    phase_words(phase, r.mode);
}

void TForm_tar_cog::finish(uint16_t position)
{
    running = false;
    Tool_enable(BitBtn_start, true);
    Tool_enable(BitBtn_close, true);
    Graph_rotx_dial(Image_rotor, Tool_position_angle(position), DialFlag::Arrow);
    ProgressBar_tar_sensor->setValue(ProgressBar_tar_sensor->maximum());
    Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(CK_CAPTION) + " Ok!"});
    Frm_motore_refresh(0);
    Frm_mot_feedback_refresh(0);
}

// The staged bytes go into slot 0's table; the curve takes every entry and the fixed range grows
// to 1.2 x the largest magnitude seen since Start.
void TForm_tar_cog::take_table()
{
    CoggingMonitorRec& m = CoggingMonitor;
    if (!(m.flags.fetch_and(static_cast<uint8_t>(~CoggingFlag::TableArrived)) & CoggingFlag::TableArrived))
        return;
    const int8_t* table = Cogging_table(0);
    Cogging_take(reinterpret_cast<uint8_t*>(Cogging_table(0)));
    for (int i = 0; i < COGGING_ENTRIES; ++i) {
        const double v = table[i];
        m.largest = std::max(m.largest, std::fabs(v));
        if (chart)
            chart->Set_sample_at(&v, 1, static_cast<uint32_t>(i));
    }
    m.range_limit = 1.2 * m.largest;
    if (chart) {
        ChartChannelView& ch = chart->view.channels[0];
        if (m.range_limit > ch.fixed_maximum) {
            ch.fixed_maximum = m.range_limit;
            ch.fixed_minimum = -m.range_limit;
        }
        chart->Redraw();
    }
    StringGrid_cog->viewport()->update();
}

void TForm_tar_cog::show_dial(uint8_t phase, uint16_t position, uint32_t now)
{
    uint8_t flags = DialFlag::Arrow | DialFlag::Sweep;
    if (phase <= PHASE_SEARCH) {
        if (static_cast<uint32_t>(now - blink_tick) > STEP_MS) {
            blink_tick = now;
            blink = !blink;
        }
        flags = position < STEADY_ARROW_FROM && !blink ? 0 : DialFlag::Arrow;
    }
    Graph_rotx_dial(Image_rotor, Tool_position_angle(position), flags);
    Panel_posizione->setText(Tool_position_text(position));
}

void TForm_tar_cog::phase_words(uint8_t phase, uint8_t mode)
{
    const bool failed = CoggingMonitor.flags.load() & CoggingFlag::SearchFailed;
    if (mode == last_mode && !alarm() && !failed) {
        if (phase != last_phase && phase < PHASE_END) {
            last_phase = phase;
            if (phase == PHASE_SEARCH)
                Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(TOOL_ATTENTION), Tool_text(COG_SEARCH)});
            else if (phase == PHASE_ACQUIRE)
                Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(TOOL_ATTENTION), Tool_text(CK_CAPTION)});
            else
                Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(TOOL_ATTENTION)});
        }
        return;
    }
    last_mode = mode;
    if (alarm() || failed || (mode != ProcMode::Cogging && phase != PHASE_END))
        incomplete();
}
