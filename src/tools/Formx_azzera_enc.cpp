#include "tools/Formx_azzera_enc.h"

#include <cmath>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
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
#include "platform/Tick.h"
#include "shell/Main.h"
#include "shell/Terminal.h"

const uint8_t HallSectorTable[8] = {255, 2, 4, 3, 0, 1, 5, 255};

namespace {

constexpr uint16_t FEEDBACK_ENCODER_HALLS = 1;
constexpr uint16_t FEEDBACK_HALLS = 2;
constexpr uint16_t FEEDBACK_SSI = 3;
constexpr uint16_t SECTOR_COUNTS = 10923;
constexpr uint16_t HALLS_REFERENCE_ANGLE = 49152;
constexpr uint32_t BLINK_MS = 1000;
constexpr uint32_t PROGRESS_MS = 300;
constexpr double TURN_COUNTS = 65536.0;

Text3 CK_POLES = {"Poli Motore", "Motor Poles", "Pôles Moteur"};
Text3 CK_CONFIRM_POLES = {"Conferma corrente - Poli Motore", "Current confirm. - Motor Poles",
                          "Curren de confirm. - Pôles Moteur"};
Text3 CK_WARNING_POLES = {
    "L'errata impostazione della corrente può danneggiare il motore!\nL'errata impostazione dei poli motore\n "
    "comporta un errato calcolo dello zero del sensore!\n",
    "Incorrect setting of the current\n can damage the motor!\nIncorrect setting of the motor poles\n leads to an "
    "incorrect calculation of the zero of the sensor!\n",
    "Mauvais réglage du courant\n peut endommager le moteur!\nMauvais réglage du pôles moteur\n implique un calcul "
    "incorrect de la zéro du capteur de position"};

Text3 Z_CAPTION = {"Azzera encoder", "Reset encoder", "Réinitialiser encodeur"};
Text3 Z_GROUP = {"Azzera offset encoder", "Reset encoder offset", "Réinitialiser offset du codeur"};
Text3 Z_ANGLE = {"Angolo elettrico", "Electrical angle", "Angle électrique"};
Text3 Z_OFFSET = {"Offset sensore", "Sensor offset", "Offset capteur"};
Text3 Z_HALL = {"Indice hall", "Hall index", "Hall index"};
Text3 Z_WAIT = {"Attendere posizionamento rotore", "Wait rotor positioning", "Attendez positionnement rotor"};

const char* const HALL_LETTERS[3] = {"C", "B", "A"};
const QColor PICTURE_BACKGROUND = bgr(0xE2FEF9);
const QColor ROTOR = bgr(0x408080);
const QColor SECTOR = bgr(0xF0CAA6);

uint16_t rec16(std::size_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[0], ofs); }
bool alarm() { return Drive_status_get().alarm_word != 0; }
bool power_on() { return Drive_status_word() & StatusBit::State5; }

double counts_to_radians(uint16_t counts) { return counts * 2.0 * M_PI / TURN_COUNTS; }

}  // namespace

uint16_t Zeroing_sector_angle(uint8_t hall_code)
{
    return static_cast<uint16_t>(HallSectorTable[hall_code & 7] * SECTOR_COUNTS + SECTOR_COUNTS);
}

double Zeroing_offset_degrees(uint16_t offset)
{
    const double deg = offset * 360.0 / TURN_COUNTS;
    return offset > 32768 ? deg - 360.0 : deg;
}

QString Zeroing_degrees_text(double degrees) { return Graph_format_float("0.00", degrees) + "°"; }

// ---- check dialog ----

TForm_Azzera_Enc_Ck::TForm_Azzera_Enc_Ck(QWidget* parent) : ToolSettingsDialog(parent, "Form_Azzera_Enc_Ck")
{
    Panel_poli_motore = Tool_label(GroupBox_impostazioni, "Panel_poli_motore");
    ComboBox_poli_motore_rotativo = new QComboBox(GroupBox_impostazioni);
    ComboBox_poli_motore_rotativo->setObjectName("ComboBox_poli_motore_rotativo");
    top_row()->addWidget(Panel_poli_motore);
    top_row()->addWidget(ComboBox_poli_motore_rotativo, 1);
}

TForm_Azzera_Enc_Ck::~TForm_Azzera_Enc_Ck() = default;

// The pole list shows 2 x pole pairs; a selection changes nothing.
void TForm_Azzera_Enc_Ck::FormShow()
{
    Panel_poli_motore->setText(Tool_text(CK_POLES));
    ComboBox_poli_motore_rotativo->clear();
    for (int i = 0; i < 25; ++i)
        ComboBox_poli_motore_rotativo->addItem(QString::number(2 * (i + 1)));
    ComboBox_poli_motore_rotativo->setCurrentIndex(static_cast<int>(rec16(MotorOfs::PolePairs)) - 1);
    const bool ssi = rec16(MotorOfs::FeedbackType) == FEEDBACK_SSI;
    BitBtn_conferma_corrente->setFixedWidth(ssi ? 225 : 155);
    BitBtn_conferma_corrente->setText(Tool_text(ssi ? CK_CONFIRM_POLES : TOOL_CONFIRM_CURRENT));
    show_settings(true);
}

void TForm_Azzera_Enc_Ck::BitBtn_conferma_correnteClick()
{
    confirm(Tool_text(rec16(MotorOfs::FeedbackType) == FEEDBACK_SSI ? CK_WARNING_POLES : TOOL_CURRENT_WARNING));
}

// ---- zeroing windows ----

ZeroingWindow::ZeroingWindow(QWidget* parent, const ZeroingKind& kind) : ToolDialog(parent, kind.name), kind_(kind)
{
    auto* root = new QVBoxLayout(this);
    GroupBox_azzera_offset_encoder = new QGroupBox(this);
    GroupBox_azzera_offset_encoder->setObjectName("GroupBox_azzera_offset_encoder");
    auto* group = new QHBoxLayout(GroupBox_azzera_offset_encoder);
    Image_encoder_and_hall = new ImageBox(GroupBox_azzera_offset_encoder);
    Image_encoder_and_hall->setObjectName("Image_encoder_and_hall");
    Image_encoder_and_hall->setFixedSize(200, 200);
    Image_encoder_and_hall->set_image_size(200, 200);
    group->addWidget(Image_encoder_and_hall);
    values_ = new QWidget(GroupBox_azzera_offset_encoder);
    auto* values = new QVBoxLayout(values_);
    values->setContentsMargins(0, 0, 0, 0);
    Panel_offset_sensor = Tool_label(values_, "Panel_offset_sensor");
    Panel_offset_pos_sensor_count = Tool_label(values_, "Panel_offset_pos_sensor_count", true);
    Panel_offset_pos_sensor_grad = Tool_label(values_, "Panel_offset_pos_sensor_grad", true);
    Panel_angolo_elettrico = Tool_label(values_, "Panel_angolo_elettrico");
    Panel_angolo_elettrico_count = Tool_label(values_, "Panel_angolo_elettrico_count", true);
    Panel_angolo_elettrico_grad = Tool_label(values_, "Panel_angolo_elettrico_grad", true);
    for (QLabel* l : {Panel_offset_sensor, Panel_offset_pos_sensor_count, Panel_offset_pos_sensor_grad,
                      Panel_angolo_elettrico, Panel_angolo_elettrico_count, Panel_angolo_elettrico_grad})
        values->addWidget(l);
    group->addWidget(values_);
    Image_bar_current = new ImageBox(GroupBox_azzera_offset_encoder);
    Image_bar_current->setObjectName("Image_bar_current");
    Image_bar_current->setFixedSize(70, 200);
    Image_bar_current->set_image_size(70, 200);
    group->addWidget(Image_bar_current);
    root->addWidget(GroupBox_azzera_offset_encoder);

    const ToolRunControls run = Tool_run_controls(this, root, "ProgressBar_tar_sensor", true);
    ProgressBar_tar_sensor = run.progress;
    RichEdit_taratura = run.message;
    BitBtn_start = run.start;
    BitBtn_stop = run.stop;
    BitBtn_terminal = run.terminal;
    BitBtn_close = run.close;
    PanelTar_Pos_SensorStb = run.status_panel;

    status_ = std::make_unique<ToolStatusBar>(PanelTar_Pos_SensorStb, kind.bar, 0);
    Timer_monitor_seriale = Tool_timer(this, "Timer_monitor_seriale", 1);
    connect(BitBtn_start, &QPushButton::clicked, this, &ZeroingWindow::BitBtn_startClick);
    connect(BitBtn_stop, &QPushButton::clicked, this, &ZeroingWindow::BitBtn_stopClick);
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(2); });
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { monitor_tick(Tick_ms()); });
    Timer_monitor_seriale->start();
}

ZeroingWindow::~ZeroingWindow() = default;

void ZeroingWindow::done(int result)
{
    if (!closed_) {
        closed_ = true;
        Timer_monitor_seriale->stop();
        if ((Ser_link_flags.load() & LinkFlag::Ready) && running) {
            Sertx_drive_func(kind_.close_code, 0);
            running = false;
        }
        status_.reset();
    }
    ToolDialog::done(result);
}

void ZeroingWindow::FormShow()
{
    setWindowTitle(Tool_text(Z_CAPTION));
    GroupBox_azzera_offset_encoder->setTitle(Tool_text(Z_GROUP));
    Panel_angolo_elettrico->setText(Tool_text(Z_ANGLE) + " [Count,°]");
    Panel_offset_sensor->setText(Tool_text(Z_OFFSET) + " [Count,°]");
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    kind_.phase->store(0);
    ZeroingReply.ZeroingOffset.store(0);
    ZeroingReply.ZeroingAngle.store(0);
    flags = 0;
    blink_tick = 0;
    last_offset = 0;
    last_angle = 0;
    invalidate();
    show_values();
    last_current = 0;
    gauge(0);
}

void ZeroingWindow::gauge(int16_t current)
{
    Graph_rotx_gauge(Image_bar_current, current, rec16(MotorOfs::NominalCurrent), "0.00", "A");
}

void ZeroingWindow::waiting_message(bool attention)
{
    Tool_message(RichEdit_taratura, ToolStyle::Start,
                 {attention ? Tool_text(TOOL_ATTENTION) : QString(), Tool_text(Z_WAIT)});
}

void ZeroingWindow::incomplete()
{
    Tool_message(RichEdit_taratura, ToolStyle::Incomplete, {Tool_text(TOOL_INCOMPLETE)});
}

void ZeroingWindow::BitBtn_startClick()
{
    if (alarm())
        return;
    kind_.phase->store(0);
    blink_tick = Tick_ms();
    flags = 1;
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply));
    waiting_message(true);
    Sertx_drive_func(kind_.start_code, 1);
    running = true;
}

void ZeroingWindow::BitBtn_stopClick()
{
    if (alarm())
        return;
    Sertx_drive_func(kind_.stop_code, 0);
    running = false;
    Tool_enable(BitBtn_stop, false);
    Tool_enable(BitBtn_close, true);
    Tool_enable(BitBtn_start, true);
    ProgressBar_tar_sensor->setValue(0);
    Tool_message(RichEdit_taratura, ToolStyle::Stopped, {Tool_text(TOOL_DONE)});
}

void ZeroingWindow::monitor_tick(uint32_t now)
{
    if (link.lost(now)) {
        if (last_current != 0) {
            last_current = 0;
            gauge(0);
        }
        if (armed) {
            if (running) {
                incomplete();
                invalidate();
                show_values();
            }
            armed = false;
            running = false;
        }
        flags &= static_cast<uint8_t>(~2u);
        Tool_enable(BitBtn_start, false);
        Tool_enable(BitBtn_stop, false);
        Tool_enable(BitBtn_close, true);
        return;
    }
    const int16_t current = Drive_status_get().current;
    if (current != last_current) {
        last_current = current;
        gauge(current);
    }
    if (alarm()) {
        Tool_enable(BitBtn_start, false);
        Tool_enable(BitBtn_stop, false);
        Tool_enable(BitBtn_close, true);
    } else {
        Tool_enable(BitBtn_start, !power_on());
        if (BitBtn_stop->isEnabled() == BitBtn_start->isEnabled())
            BitBtn_stop->setEnabled(!BitBtn_start->isEnabled());
        if (BitBtn_close->isEnabled() != BitBtn_start->isEnabled())
            BitBtn_close->setEnabled(BitBtn_start->isEnabled());
    }
    if (Seriale_count() < TOOL_QUEUE_ROOM)
        Sertx_read_info(kind_.info_sub);
    running = DriveProcMode.load() == kind_.mode;
    if (!running) {
        if (ProgressBar_tar_sensor->value() != 0)
            ProgressBar_tar_sensor->setValue(0);
    } else if (Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply)) & DataFlag::ProcReply) {
        follow_reply(now);
    }
    armed = true;
}

void ZeroingWindow::follow_reply(uint32_t now)
{
    show_values();
    const ProcReplySnapshot r = Proc_reply_snapshot();
    if ((kind_.halls ? r.zero_phase : r.abs_phase) < kind_.move_phase) {
        if (static_cast<uint32_t>(now - blink_tick) > BLINK_MS) {
            flags = static_cast<uint8_t>((flags & ~2u) ^ 1u);
            blink_tick = now;
            waiting_message(flags & 1u);
        }
    } else if (!(flags & 2u)) {
        flags |= 2u;
        Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(TOOL_MOVE_SENSOR)});
    }
    if (static_cast<uint32_t>(now - progress_tick) > PROGRESS_MS) {
        progress_tick = now;
        Tool_progress_step(ProgressBar_tar_sensor);
    }
    if (alarm()) {
        running = false;
        incomplete();
        ProgressBar_tar_sensor->setValue(0);
    }
}

void ZeroingWindow::show_counts(uint16_t offset, uint16_t angle, double offset_deg, double angle_deg)
{
    Panel_offset_pos_sensor_grad->setText(Zeroing_degrees_text(offset_deg));
    Panel_angolo_elettrico_grad->setText(Zeroing_degrees_text(angle_deg));
    Panel_offset_pos_sensor_count->setText(QString::number(offset));
    Panel_angolo_elettrico_count->setText(QString::number(angle));
}

// Circle of the sensor, the electrical angle and the offset as two radii with the sector and arc
// between them, their degrees as labels, the Hall bits in boxes and the rotor with its marker.
void ZeroingWindow::paint_picture(uint8_t hall_code, uint16_t angle, uint16_t offset, bool halls_only, bool grey)
{
    ImageBox* box = Image_encoder_and_hall;
    Canvas& c = box->canvas();
    if (!c.active())
        return;
    c.painter()->setRenderHint(QPainter::Antialiasing, false);
    const int w = box->image().width();
    const int h = box->image().height();
    const int radius = std::min(w, h) / 2 - 2;
    c.brush = QBrush(PICTURE_BACKGROUND, Qt::SolidPattern);
    c.fill_rect({0, 0, w, h});
    c.font = QFont("Arial");
    c.font.setPointSize(8);
    const int cx = w / 2 + (halls_only ? 5 : 0);
    const int cy = h / 2;
    const double a_el = counts_to_radians(angle);
    const double a_off = counts_to_radians(offset);
    auto at = [&](double r, double a) {
        double x = 0;
        double y = 0;
        Graph_rotx_rotate(0, r, &x, &y, a);
        return QPoint(cx + static_cast<int>(std::trunc(x)), cy - static_cast<int>(std::trunc(y)));
    };
    c.pen = QPen(clBlack, 1);
    c.brush = QBrush(Qt::NoBrush);
    c.painter()->setPen(c.pen);
    c.painter()->setBrush(Qt::NoBrush);
    c.painter()->drawEllipse(QPoint(cx, cy), radius - 7, radius - 7);
    // Sector from the offset to the electrical angle (clockwise), filled.
    const int r_sector = radius - 7;
    const double start = 90.0 - a_off * 180.0 / M_PI;
    double span = (a_off - a_el) * 180.0 / M_PI;
    if (!grey) {  // before the sensor may be moved: the angles alone
        c.painter()->setBrush(SECTOR);
        c.painter()->drawPie(QRect(cx - r_sector, cy - r_sector, 2 * r_sector, 2 * r_sector), int(start * 16),
                             int(span * 16));
        c.painter()->drawLine(QPoint(cx, cy), at(r_sector, a_off));
    }
    c.painter()->drawLine(QPoint(cx, cy), at(r_sector, a_el));
    // Rotor.
    c.painter()->setBrush(ROTOR);
    c.painter()->drawEllipse(QPoint(cx, cy), radius / 4, radius / 4);
    Graph_rotx_marker(c, cx, cy, radius - 8, a_el);
    // Labels.
    c.font_colour = grey ? clGray : clBlack;
    const QString off_text = Graph_format_float(halls_only ? "#0" : "#0.00", Zeroing_offset_degrees(offset)) + "°";
    const QString el_text = Graph_format_float("#0.00", angle * 360.0 / TURN_COUNTS) + " °";
    c.text_out(2, 2, off_text);
    c.text_out(w - c.text_width("-000,00 °") - 2, 2, el_text);
    if (!kind_.halls)
        return;
    for (int i = 0; i < 3; ++i) {
        const int x = 2 + i * 16;
        const DrawRect head{x, h - 30, x + 14, h - 16};
        const DrawRect bit{x, h - 15, x + 14, h - 1};
        c.brush = QBrush(clSilver);
        c.pen = QPen(clBlack, 1);
        c.rectangle(head);
        Graph_draw_text_rect(c, {head.left + 1, head.top + 1, head.right - 1, head.bottom - 1}, AlignCentre,
                             HALL_LETTERS[i]);
        c.brush = QBrush(clWhite);
        c.rectangle(bit);
        Graph_draw_text_rect(c, {bit.left + 1, bit.top + 1, bit.right - 1, bit.bottom - 1}, AlignCentre,
                             QString::number((hall_code >> (2 - i)) & 1));
    }
    box->update();
}

// ---- encoder zeroing ----

namespace {
const ZeroingKind ENCODER_KIND = {"Form_Azzera_Enc", 8, ProcMode::Zeroing, 7, 0, 7, 4,
                                  &ZeroingReply.ZeroingPhase, TForm_main::BarAzzeraEnc, true};
}  // namespace

TForm_Azzera_Enc::TForm_Azzera_Enc(QWidget* parent) : ZeroingWindow(parent, ENCODER_KIND)
{
    auto* rows = qobject_cast<QVBoxLayout*>(values_box()->layout());
    Panel_encoder_and_hall_indice_hall = Tool_label(values_box(), "Panel_encoder_and_hall_indice_hall");
    Panel_encoder_and_hall_indice_hall_dat = Tool_label(values_box(), "Panel_encoder_and_hall_indice_hall_dat", true);
    StringGrid_encoder_and_hall_indice_hall = new QTableWidget(2, 3, values_box());
    StringGrid_encoder_and_hall_indice_hall->setObjectName("StringGrid_encoder_and_hall_indice_hall");
    StringGrid_encoder_and_hall_indice_hall->horizontalHeader()->hide();
    StringGrid_encoder_and_hall_indice_hall->verticalHeader()->hide();
    StringGrid_encoder_and_hall_indice_hall->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_encoder_and_hall_indice_hall->setFixedHeight(52);
    QFont head("Arial");
    head.setPointSize(9);
    head.setBold(true);
    for (int col = 0; col < 3; ++col) {
        StringGrid_encoder_and_hall_indice_hall->setColumnWidth(col, 30);
        auto* letter = new QTableWidgetItem(HALL_LETTERS[col]);
        letter->setFont(head);
        letter->setForeground(clBlue);
        letter->setTextAlignment(Qt::AlignCenter);
        StringGrid_encoder_and_hall_indice_hall->setItem(0, col, letter);
        auto* bit = new QTableWidgetItem;
        bit->setBackground(clWhite);
        bit->setTextAlignment(Qt::AlignCenter);
        StringGrid_encoder_and_hall_indice_hall->setItem(1, col, bit);
    }
    FlowPanel_encoder_offset_only_halls = new FlowPanel("FlowPanel_encoder_offset_only_halls", values_box());
    for (QWidget* wdg : {static_cast<QWidget*>(Panel_encoder_and_hall_indice_hall),
                         static_cast<QWidget*>(Panel_encoder_and_hall_indice_hall_dat),
                         static_cast<QWidget*>(StringGrid_encoder_and_hall_indice_hall),
                         static_cast<QWidget*>(FlowPanel_encoder_offset_only_halls)})
        rows->addWidget(wdg);
}

TForm_Azzera_Enc::~TForm_Azzera_Enc() = default;

void TForm_Azzera_Enc::done(int result)
{
    ZeroingWindow::done(result);
    offset_edit.reset();
}

void TForm_Azzera_Enc::FormShow()
{
    Panel_encoder_and_hall_indice_hall->setText(Tool_text(Z_HALL));
    ZeroingWindow::FormShow();
    const bool halls_only = rec16(MotorOfs::FeedbackType) == FEEDBACK_HALLS;
    FlowPanel_encoder_offset_only_halls->setVisible(halls_only);
    for (QLabel* l : {Panel_offset_sensor, Panel_offset_pos_sensor_count, Panel_offset_pos_sensor_grad})
        l->setVisible(!halls_only);
    offset_edit = std::make_unique<MemoUpDwx<uint16_t>>(FlowPanel_encoder_offset_only_halls,
                                                        RecLoc(MotorOfs::SensorOffset), 0, 36000, 0, 2, 70, 0,
                                                        Sertx_write_var);
    offset_edit->set_language(0);
}

void TForm_Azzera_Enc::invalidate() { last_hall = static_cast<uint8_t>(~Frm_mot_feedback_hall_index()); }

void TForm_Azzera_Enc::show_hall(uint8_t code)
{
    last_hall = code;
    Panel_encoder_and_hall_indice_hall_dat->setText(QString::number(code));
    for (int col = 0; col < 3; ++col)
        StringGrid_encoder_and_hall_indice_hall->item(1, col)->setText(QString::number((code >> (2 - col)) & 1));
}

void TForm_Azzera_Enc::show_values()
{
    const uint16_t offset = ZeroingReply.ZeroingOffset.load();
    const uint8_t hall = Frm_mot_feedback_hall_index();
    const bool encoder = rec16(MotorOfs::FeedbackType) == FEEDBACK_ENCODER_HALLS;
    const uint16_t angle = encoder ? ZeroingReply.ZeroingAngle.load() : HALLS_REFERENCE_ANGLE;
    if (offset == last_offset && angle == last_angle && hall == last_hall)
        return;
    last_offset = offset;
    last_angle = angle;
    if (hall != last_hall)
        show_hall(hall);
    const double angle_deg = angle * 360.0 / TURN_COUNTS;
    if (encoder) {
        show_counts(offset, angle, Zeroing_offset_degrees(offset), angle_deg);
        paint_picture(hall, angle, offset, false, false);
        return;
    }
    const uint16_t sector = Zeroing_sector_angle(hall);
    double deg = std::trunc((sector * 360.0 / TURN_COUNTS + 0.5) / 60.0) * 60.0;
    if (offset > 32768)
        deg -= 360.0;
    show_counts(offset, angle, deg, angle_deg);
    paint_picture(hall, angle, sector, true, false);
}
