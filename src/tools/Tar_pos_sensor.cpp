#include "tools/Tar_pos_sensor.h"

#include <numbers>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
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

namespace {

constexpr int BIT_SUM_MAX = 31;
constexpr uint16_t MOTOR_TYPE_LINEAR = 1;
constexpr uint8_t CALIB_FINISHED = 6;
constexpr uint16_t STEADY_ARROW_FROM = 0xFC00;
constexpr uint32_t BLINK_MS = 300;
constexpr uint32_t PROGRESS_MS = 300;
constexpr int DIAL_SIZE = 162;

// ---- texts ----
Text3 CK_CAPTION = {"Impostazioni Taratura", "calibration settings", "Paramètres de calibrage"};
Text3 CK_SETTINGS = {"Impostazioni", "Setting", "Configurations"};
Text3 CK_MODE = {"Modo", "Mode", "Mode"};
Text3 MODE_ITEMS[2] = {{"Poli Motore + Offset", "Motor Poles + Offset", "Pôles Moteur + Offset"},
                       {"Poli Motore", "Motor Poles", "Pôles Moteur"}};
Text3 CK_BEFORE = {"prima di iniziare la Taratura!", "berore start Tuning!", "avant d’effectuer le réglage!"};
Text3 CK_CURRENT = {"Corrente nominale motore", "Motor nominal current", "Courant nominal moteur"};
// Labels by motor type (row 0 other types, row 1 linear): pulses, resolution, single, multi.
Text3 LABELS[2][4] = {
    {{"Impulsi/giro", "Pulses/revolution", "Impulsions/Tour"},
     {"Risoluzione/giro", "Resolution/revolution", "Résolution/Tour"},
     {"Bit singolo giro", "Bit single-turn", "Bit monotour"},
     {"Bit multi giro", "Bit multi-turn", "Bit multitours"}},
    {{"Impulsi/passo polare", "Pulses/magnet pitch", "Impulsions/pas aimant"},
     {"Risoluzione/passo polare", "Resolution/magnet pitch", "Résolution/pas aimant"},
     {"Bit singolo passo polare", "Bit single magnet pitch", "Bit pas seul aimant"},
     {"Bit multi passo polare", "Bit multi magnet pitch", "Bit multi/aimant terrain"}}};
Text3 SUM_HEAD = {"La somma di ", "The sum of ", "La somme de "};
Text3 SUM_AND = {"  e  ", "  and  ", "  et  "};
Text3 SUM_TAIL = {"\n non deve superare il valore 31!", "\n must not exceed the value 31!",
                  "\n ne doit pas dépasser la valeur 31!"};

Text3 CAL_CAPTION = {"Taratura Sensore Pos.", "Pos. Sensor Tuning", "Régl. Capteur de Pos."};
Text3 CAL_POSITION = {"Posizione", "Position", "Position"};
Text3 CAL_POLES = {"Poli Motore", "Motor Poles", "Pôles Moteur"};
Text3 CAL_TUNING = {"Taratura", "Tuning", "Réglage"};
Text3 CAL_RESTART = {"Riavviare la Taratura per completarla!", "Restart Tuning to complete it!",
                     "Redémarrer le Réglage et l’achever!"};
constexpr ToolMsgStyle CAL_START{0x008000, false, false, 15};
constexpr ToolMsgStyle CAL_STOPPED{0x0000FF, false, true, 12};
const char* const NO_VALUE = "-----";

uint16_t rec16(std::size_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[0], ofs); }
uint32_t rec32(std::size_t ofs) { return Rec_get<uint32_t>(DriveRecordBank[0], ofs); }
bool alarm() { return Drive_status_get().alarm_word != 0; }
bool power_on() { return Drive_status_word() & StatusBit::State5; }  // power stage enabled

}  // namespace

uint32_t Tool_position_hundredths(uint16_t position) { return (uint32_t{position} * 36000u) >> 16; }

QString Tool_position_text(uint16_t position)
{
    return Graph_format_float("#0.00", Tool_position_hundredths(position) * 0.01) + " °";
}

double Tool_position_angle(uint16_t position) { return position * 2.0 * std::numbers::pi / 65536.0; }

// ---- shared settings edits ----

ToolSettingsEdits::ToolSettingsEdits(FlowPanel* current_panel, FlowPanel* pulses_panel, FlowPanel* single_panel,
                                     FlowPanel* multi_panel, QLabel* resolution, QTimer* sum_timer)
    : resolution_(resolution), sum_timer_(sum_timer), current_copy_(rec16(MotorOfs::NominalCurrent)),
      pulses_copy_(rec32(MotorOfs::Pulses))
{
    current = std::make_unique<MemoUpDwx<uint16_t>>(current_panel, RecLoc(MotorOfs::NominalCurrent), 0, 60000, 0, 2,
                                                    70, 0, Sertx_write_var);
    pulses = std::make_unique<MemoUpDwx<uint32_t>>(
        pulses_panel, RecLoc(MotorOfs::Pulses), 0, 16777216, 100, 0, 90, 0, Sertx_write_var,
        [this](Loc, double v, uint16_t, double, double) { return show_resolution(v); });
    single_turn = std::make_unique<MemoUpDwx<uint16_t>>(
        single_panel, RecLoc(MotorOfs::SingleTurn), 0, 31, 4, 0, 70, 0, Sertx_write_var,
        [this](Loc, double v, uint16_t, double, double) { return check_single_turn(v); });
    multi_turn = std::make_unique<MemoUpDwx<uint16_t>>(
        multi_panel, RecLoc(MotorOfs::MultiTurn), 0, 31, 0, 0, 70, 0, Sertx_write_var,
        [this](Loc, double v, uint16_t, double, double) { return check_multi_turn(v); });
}

ToolSettingsEdits::~ToolSettingsEdits() = default;

uint8_t ToolSettingsEdits::show_resolution(double candidate)
{
    if (resolution_ != nullptr)
        resolution_->setText(QString::number(4ull * static_cast<uint64_t>(candidate)));
    return 0;
}

// In full width: a stored count near 65535 must not wrap the sum below the limit.
uint8_t ToolSettingsEdits::check_sum(double candidate, std::size_t other_ofs)
{
    if (candidate + rec16(other_ofs) <= BIT_SUM_MAX)
        return 0;
    if (sum_timer_ != nullptr)
        sum_timer_->start();
    return 1;
}

uint8_t ToolSettingsEdits::check_single_turn(double candidate) { return check_sum(candidate, MotorOfs::MultiTurn); }

uint8_t ToolSettingsEdits::check_multi_turn(double candidate) { return check_sum(candidate, MotorOfs::SingleTurn); }

QString Tool_motor_label(int row, uint16_t motor_type)
{
    return Tool_text(LABELS[motor_type == MOTOR_TYPE_LINEAR ? 1 : 0][row]);
}

QString Tool_bit_sum_text(uint16_t motor_type)
{
    return Tool_text(SUM_HEAD) + "'" + Tool_motor_label(ToolLabelSingle, motor_type) + "'" + Tool_text(SUM_AND) +
           "'" + Tool_motor_label(ToolLabelMulti, motor_type) + "'" + Tool_text(SUM_TAIL);
}

QString ToolSettingsEdits::label(int row) { return Tool_motor_label(row, rec16(MotorOfs::MotorType)); }

QString ToolSettingsEdits::bit_sum_text() { return Tool_bit_sum_text(rec16(MotorOfs::MotorType)); }

void ToolSettingsEdits::watch_motor_page()
{
    const uint16_t c = rec16(MotorOfs::NominalCurrent);
    const uint32_t p = rec32(MotorOfs::Pulses);
    if (c == current_copy_ && p == pulses_copy_)
        return;
    current_copy_ = c;
    pulses_copy_ = p;
    Frm_motore_show_values(0);
}

// ---- settings check dialogs ----

ToolSettingsDialog::ToolSettingsDialog(QWidget* parent, const char* name) : ToolDialog(parent, name)
{
    auto* root = new QVBoxLayout(this);
    GroupBox_impostazioni = new QGroupBox(this);
    GroupBox_impostazioni->setObjectName("GroupBox_impostazioni");
    auto* settings = new QVBoxLayout(GroupBox_impostazioni);
    top_row_ = new QHBoxLayout;
    settings->addLayout(top_row_);
    FlowPanel_corr_nom = new FlowPanel("FlowPanel_corr_nom", GroupBox_impostazioni);
    settings->addWidget(FlowPanel_corr_nom);

    PageControl_feedback_type = new QTabWidget(GroupBox_impostazioni);
    PageControl_feedback_type->setObjectName("PageControl_feedback_type");
    PageControl_feedback_type->tabBar()->hide();
    TabSheet_mot_feedback_encoder_increment = new QWidget;
    TabSheet_mot_feedback_encoder_increment->setObjectName("TabSheet_mot_feedback_encoder_increment");
    auto* inc = new QVBoxLayout(TabSheet_mot_feedback_encoder_increment);
    FlowPanel_encoder_imp = new FlowPanel("FlowPanel_encoder_imp", TabSheet_mot_feedback_encoder_increment);
    inc->addWidget(FlowPanel_encoder_imp);
    auto* res_row = new QHBoxLayout;
    Panel_encoder_risoluzione_giro_increment =
        Tool_label(TabSheet_mot_feedback_encoder_increment, "Panel_encoder_risoluzione_giro_increment");
    Panel_encoder_risoluzione_giro_dat_increment =
        Tool_label(TabSheet_mot_feedback_encoder_increment, "Panel_encoder_risoluzione_giro_dat_increment", true);
    res_row->addWidget(Panel_encoder_risoluzione_giro_increment, 1);
    res_row->addWidget(Panel_encoder_risoluzione_giro_dat_increment);
    inc->addLayout(res_row);
    TabSheet_mot_feedback_encoder_serial_ssi = new QWidget;
    TabSheet_mot_feedback_encoder_serial_ssi->setObjectName("TabSheet_mot_feedback_encoder_serial_ssi");
    auto* ssi = new QVBoxLayout(TabSheet_mot_feedback_encoder_serial_ssi);
    FlowPanel_encoder_bit_single_turn =
        new FlowPanel("FlowPanel_encoder_bit_single_turn", TabSheet_mot_feedback_encoder_serial_ssi);
    FlowPanel_encoder_bit_multi_turn =
        new FlowPanel("FlowPanel_encoder_bit_multi_turn", TabSheet_mot_feedback_encoder_serial_ssi);
    ssi->addWidget(FlowPanel_encoder_bit_single_turn);
    ssi->addWidget(FlowPanel_encoder_bit_multi_turn);
    PageControl_feedback_type->addTab(TabSheet_mot_feedback_encoder_increment, QString());
    PageControl_feedback_type->addTab(TabSheet_mot_feedback_encoder_serial_ssi, QString());
    settings->addWidget(PageControl_feedback_type);
    root->addWidget(GroupBox_impostazioni);

    GroupBox_attenzione = new QGroupBox(this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    auto* attention = new QVBoxLayout(GroupBox_attenzione);
    RichEdit_dialog = Tool_message_box(GroupBox_attenzione, "RichEdit_dialog");
    BitBtn_conferma_corrente = Tool_button(GroupBox_attenzione, "BitBtn_conferma_corrente", QString());
    attention->addWidget(RichEdit_dialog);
    attention->addWidget(BitBtn_conferma_corrente, 0, Qt::AlignHCenter);
    root->addWidget(GroupBox_attenzione);

    auto* buttons = new QHBoxLayout;
    BitBtn_close = Tool_button(this, "BitBtn_close", QString());
    BitBtn_continua = Tool_button(this, "BitBtn_continua", QString());
    BitBtn_continua->setEnabled(false);
    buttons->addWidget(BitBtn_close);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn_continua);
    root->addLayout(buttons);

    Timer_monitor_seriale = Tool_timer(this, "Timer_monitor_seriale", 50);
    Timer_chk = Tool_timer(this, "Timer_chk", 50);
    edits = std::make_unique<ToolSettingsEdits>(FlowPanel_corr_nom, FlowPanel_encoder_imp,
                                                FlowPanel_encoder_bit_single_turn, FlowPanel_encoder_bit_multi_turn,
                                                Panel_encoder_risoluzione_giro_dat_increment, Timer_chk);
    connect(BitBtn_conferma_corrente, &QPushButton::clicked, this, [this] { BitBtn_conferma_correnteClick(); });
    connect(BitBtn_continua, &QPushButton::clicked, this, [this] { done(1); });
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(7); });
    connect(Timer_monitor_seriale, &QTimer::timeout, this, &ToolSettingsDialog::Timer_monitor_serialeTimer);
    connect(Timer_chk, &QTimer::timeout, this, &ToolSettingsDialog::Timer_chkTimer);
    Timer_monitor_seriale->start();
}

ToolSettingsDialog::~ToolSettingsDialog() = default;

void ToolSettingsDialog::done(int result)
{
    Timer_monitor_seriale->stop();
    Timer_chk->stop();
    edits.reset();
    ToolDialog::done(result);
}

void ToolSettingsDialog::show_settings(bool hide_for_halls)
{
    setWindowTitle(Tool_text(CK_CAPTION));
    GroupBox_impostazioni->setTitle(Tool_text(CK_SETTINGS));
    Tool_message(RichEdit_dialog, ToolStyle::Stopped, {"      ", Tool_text(TOOL_ROTOR_FREE), Tool_text(CK_BEFORE)});
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    BitBtn_continua->setText(Tool_text(TOOL_CONTINUE));
    GroupBox_attenzione->setTitle(Tool_text(TOOL_ATTENTION));
    FlowPanel_corr_nom->setCaption(Tool_text(CK_CURRENT) + " [A]");
    FlowPanel_encoder_imp->setCaption(ToolSettingsEdits::label(ToolLabelPulses));
    Panel_encoder_risoluzione_giro_increment->setText(ToolSettingsEdits::label(ToolLabelResolution));
    FlowPanel_encoder_bit_single_turn->setCaption(ToolSettingsEdits::label(ToolLabelSingle));
    FlowPanel_encoder_bit_multi_turn->setCaption(ToolSettingsEdits::label(ToolLabelMulti));
    edits->show_resolution(rec32(MotorOfs::Pulses));
    edits->current->show();
    edits->pulses->show();
    const uint16_t feedback = rec16(MotorOfs::FeedbackType);
    if (feedback == 0 || feedback == 1) {
        PageControl_feedback_type->setCurrentWidget(TabSheet_mot_feedback_encoder_increment);
        edits->pulses->show();
    } else if (feedback == 3) {
        PageControl_feedback_type->setCurrentWidget(TabSheet_mot_feedback_encoder_serial_ssi);
        edits->single_turn->show();
        edits->multi_turn->show();
    } else if (feedback == 2 && hide_for_halls) {
        PageControl_feedback_type->hide();
    }
}

void ToolSettingsDialog::confirm(const QString& warning)
{
    Tool_warn(warning);
    BitBtn_continua->setEnabled(true);
}

void ToolSettingsDialog::Timer_monitor_serialeTimer()
{
    if (edits)
        edits->watch_motor_page();
}

void ToolSettingsDialog::Timer_chkTimer()
{
    Timer_chk->stop();
    Tool_warn(ToolSettingsEdits::bit_sum_text());
}

// ---- pre-check dialog of the calibration ----

TForm_tar_pos_sensor_ck::TForm_tar_pos_sensor_ck(QWidget* parent)
    : ToolSettingsDialog(parent, "Form_tar_pos_sensor_ck")
{
    Panel_modo = Tool_label(GroupBox_impostazioni, "Panel_modo");
    ComboBox_modo_tar = new QComboBox(GroupBox_impostazioni);
    ComboBox_modo_tar->setObjectName("ComboBox_modo_tar");
    top_row()->addWidget(Panel_modo);
    top_row()->addWidget(ComboBox_modo_tar, 1);
    connect(ComboBox_modo_tar, &QComboBox::activated, this, &TForm_tar_pos_sensor_ck::ComboBox_modo_tarChange);
}

TForm_tar_pos_sensor_ck::~TForm_tar_pos_sensor_ck() = default;

void TForm_tar_pos_sensor_ck::FormShow()
{
    Panel_modo->setText(Tool_text(CK_MODE));
    ComboBox_modo_tar->clear();
    for (Text3& item : MODE_ITEMS)
        ComboBox_modo_tar->addItem(Tool_text(item));
    BitBtn_conferma_corrente->setText(Tool_text(TOOL_CONFIRM_CURRENT));
    const uint16_t feedback = rec16(MotorOfs::FeedbackType);
    const bool with_offset = feedback == 1 || feedback == 3;
    ComboBox_modo_tar->setEnabled(with_offset);
    if (with_offset) {
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::CalibVariant));
    } else {
        Graph_set_text_colour(Panel_modo, clGray);
        Graph_set_text_colour(ComboBox_modo_tar, clGray);
        DriveUiFlags.fetch_or(UiFlag::CalibVariant);
    }
    ComboBox_modo_tar->setCurrentIndex((DriveUiFlags.load() & UiFlag::CalibVariant) ? 1 : 0);
    show_settings(false);
}

void TForm_tar_pos_sensor_ck::ComboBox_modo_tarChange(int index)
{
    if (index & 1)
        DriveUiFlags.fetch_or(UiFlag::CalibVariant);
    else
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::CalibVariant));
}

void TForm_tar_pos_sensor_ck::BitBtn_conferma_correnteClick() { confirm(Tool_text(TOOL_CURRENT_WARNING)); }

// ---- calibration window ----

TForm_tar_pos_sensor::TForm_tar_pos_sensor(QWidget* parent) : ToolDialog(parent, "Form_tar_pos_sensor")
{
    auto* root = new QVBoxLayout(this);
    GroupBox_taratura_pos_sensor = new QGroupBox(this);
    GroupBox_taratura_pos_sensor->setObjectName("GroupBox_taratura_pos_sensor");
    auto* group = new QHBoxLayout(GroupBox_taratura_pos_sensor);
    Image_rotor = new ImageBox(GroupBox_taratura_pos_sensor);
    Image_rotor->setObjectName("Image_rotor");
    Image_rotor->setFixedSize(DIAL_SIZE, DIAL_SIZE);
    Image_rotor->set_image_size(DIAL_SIZE, DIAL_SIZE);
    group->addWidget(Image_rotor);
    auto* values = new QVBoxLayout;
    Panel_str_position = Tool_label(GroupBox_taratura_pos_sensor, "Panel_str_position");
    Panel_posizione = Tool_label(GroupBox_taratura_pos_sensor, "Panel_posizione", true);
    Panel_str_coppie = Tool_label(GroupBox_taratura_pos_sensor, "Panel_str_coppie");
    Panel_poli_motore = Tool_label(GroupBox_taratura_pos_sensor, "Panel_poli_motore", true);
    Panel_offset_pos_sensor = Tool_label(GroupBox_taratura_pos_sensor, "Panel_offset_pos_sensor", true);
    Panel_offset_pos_sensor_grad = Tool_label(GroupBox_taratura_pos_sensor, "Panel_offset_pos_sensor_grad", true);
    for (QWidget* w : {static_cast<QWidget*>(Panel_str_position), static_cast<QWidget*>(Panel_posizione),
                       static_cast<QWidget*>(Panel_str_coppie), static_cast<QWidget*>(Panel_poli_motore),
                       static_cast<QWidget*>(Panel_offset_pos_sensor),
                       static_cast<QWidget*>(Panel_offset_pos_sensor_grad)})
        values->addWidget(w);
    group->addLayout(values);
    root->addWidget(GroupBox_taratura_pos_sensor);

    const ToolRunControls run = Tool_run_controls(this, root, "ProgressBar_tar_resolv", false);
    ProgressBar_tar_resolv = run.progress;
    RichEdit_taratura = run.message;
    BitBtn_start = run.start;
    BitBtn_stop = run.stop;
    BitBtn_close = run.close;
    BitBtn_close->setEnabled(false);
    PanelTar_Pos_SensorStb = run.status_panel;

    status_ = std::make_unique<ToolStatusBar>(PanelTar_Pos_SensorStb, TForm_main::BarTarPosSensor, 0);
    Timer_monitor_seriale = Tool_timer(this, "Timer_monitor_seriale", 1);
    connect(BitBtn_start, &QPushButton::clicked, this, &TForm_tar_pos_sensor::BitBtn_startClick);
    connect(BitBtn_stop, &QPushButton::clicked, this, &TForm_tar_pos_sensor::BitBtn_stopClick);
    connect(BitBtn_close, &QPushButton::clicked, this, [this] { done(2); });
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { TarPosSensorMonitor(Tick_ms()); });
    Timer_monitor_seriale->start();
}

TForm_tar_pos_sensor::~TForm_tar_pos_sensor() = default;

void TForm_tar_pos_sensor::done(int result)
{
    if (!closed_) {
        closed_ = true;
        Timer_monitor_seriale->stop();
        if ((Ser_link_flags.load() & LinkFlag::Ready) && TarPosSensorRunning) {
            Sertx_drive_func(0, 0);
            TarPosSensorRunning = false;
        }
        status_.reset();
    }
    QDialog::done(result);
}

bool TForm_tar_pos_sensor::poles_only() const { return DriveUiFlags.load() & UiFlag::CalibVariant; }

QString TForm_tar_pos_sensor::mode_name() const { return Tool_text(MODE_ITEMS[poles_only() ? 1 : 0]); }

void TForm_tar_pos_sensor::FormShow()
{
    setWindowTitle(Tool_text(CAL_CAPTION));
    GroupBox_taratura_pos_sensor->setTitle(Tool_text(CAL_CAPTION));
    Panel_str_position->setText(Tool_text(CAL_POSITION));
    Panel_str_coppie->setText(Tool_text(CAL_POLES));
    BitBtn_close->setText(Tool_text(TOOL_CLOSE));
    for (QLabel* l : {Panel_posizione, Panel_poli_motore, Panel_offset_pos_sensor, Panel_offset_pos_sensor_grad})
        l->setText(NO_VALUE);
    RichEdit_taratura->clear();
    TarPosSensorArmed = true;
    Graph_rotx_dial(Image_rotor, 0.0, DialFlag::Arrow);
}

void TForm_tar_pos_sensor::BitBtn_startClick()
{
    if (alarm())
        return;
    CalibReply.CalibPosition.store(0);
    CalibReply.CalibPolePairs.store(0);
    CalibReply.CalibPhase.store(0);
    DriveProcMode.store(0);
    TarPosSensorBlinkTick = Tick_ms();
    TarPosSensorLastPoles = 0;
    TarPosSensorLastMode = 0;
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply));
    for (QLabel* l : {Panel_posizione, Panel_poli_motore, Panel_offset_pos_sensor_grad, Panel_offset_pos_sensor})
        l->setText(NO_VALUE);
    Tool_message(RichEdit_taratura, CAL_START, {Tool_text(CAL_TUNING) + " " + mode_name() + "...."});
    if (poles_only())
        Sertx_drive_func(5, 1);
    else
        Sertx_drive_func(0, 1);
    TarPosSensorRunning = true;
}

void TForm_tar_pos_sensor::BitBtn_stopClick()
{
    if (alarm())
        return;
    Sertx_drive_func(0, 0);
    TarPosSensorRunning = false;
    Tool_enable(BitBtn_stop, false);
    Tool_enable(BitBtn_close, true);
    Tool_message(RichEdit_taratura, CAL_STOPPED, {Tool_text(TOOL_INCOMPLETE), Tool_text(CAL_RESTART)});
}

void TForm_tar_pos_sensor::incomplete()
{
    TarPosSensorRunning = false;
    Tool_message(RichEdit_taratura, ToolStyle::Incomplete, {Tool_text(TOOL_INCOMPLETE)});
}

void TForm_tar_pos_sensor::TarPosSensorMonitor(uint32_t now)
{
    if (link.lost(now)) {
        if (TarPosSensorArmed) {
            if (TarPosSensorRunning)
                incomplete();
            Tool_enable(BitBtn_start, false);
            Tool_enable(BitBtn_stop, false);
            Tool_enable(BitBtn_close, true);
            TarPosSensorArmed = false;
            TarPosSensorRunning = false;
        }
        return;
    }
    if (!power_on() && !alarm()) {
        if (!TarPosSensorRunning)
            Tool_enable(BitBtn_start, true);
    } else {
        Tool_enable(BitBtn_start, false);
    }
    if (BitBtn_stop->isEnabled() == BitBtn_start->isEnabled())
        BitBtn_stop->setEnabled(!BitBtn_start->isEnabled());
    if (!TarPosSensorRunning) {
        Tool_enable(BitBtn_close, true);
    } else {
        if (Seriale_count() < TOOL_QUEUE_ROOM)
            Sertx_read_info(2);
        if (Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ProcReply)) & DataFlag::ProcReply) {
            Tool_enable(BitBtn_close, false);
            follow_reply(now);
        }
    }
    TarPosSensorArmed = true;
}

void TForm_tar_pos_sensor::finish(const ProcReplySnapshot& r)
{
    const uint16_t position = r.calib_position;
    TarPosSensorRunning = false;
    Tool_enable(BitBtn_start, true);
    Tool_enable(BitBtn_close, true);
    const uint32_t offset = Tool_position_hundredths(position);
    if (!poles_only()) {
        Panel_posizione->setText(Tool_position_text(position));
        Panel_offset_pos_sensor_grad->setText(Tool_position_text(position));
        Panel_offset_pos_sensor->setText(QString::number(position));
    }
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs, r.calib_poles);
    if (!poles_only())
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset, static_cast<uint16_t>(offset));
    Graph_rotx_dial(Image_rotor, Tool_position_angle(position), DialFlag::Arrow);
    ProgressBar_tar_resolv->setValue(ProgressBar_tar_resolv->maximum());
    Tool_message(RichEdit_taratura, ToolStyle::Progress, {Tool_text(CAL_TUNING) + " " + mode_name() + " Ok!"});
    Frm_motore_refresh(0);
    Frm_mot_feedback_refresh(0);
}

void TForm_tar_pos_sensor::follow_reply(uint32_t now)
{
    const ProcReplySnapshot r = Proc_reply_snapshot();
    const uint8_t phase = r.calib_phase;
    const uint16_t position = r.calib_position;
    if (phase >= CALIB_FINISHED) {
        finish(r);
    } else {
        if (static_cast<uint32_t>(now - TarPosSensorProgressTick) > PROGRESS_MS) {
            TarPosSensorProgressTick = now;
            Tool_progress_step(ProgressBar_tar_resolv);
        }
        if (phase <= 3) {
            uint8_t flags = DialFlag::Arrow | DialFlag::Sweep;
            if (phase <= 1) {
                if (static_cast<uint32_t>(now - TarPosSensorBlinkTick) > BLINK_MS) {
                    TarPosSensorBlink = !TarPosSensorBlink;
                    TarPosSensorBlinkTick = now;
                }
                flags = position < STEADY_ARROW_FROM && !TarPosSensorBlink ? 0 : DialFlag::Arrow;
            }
            Graph_rotx_dial(Image_rotor, Tool_position_angle(position), flags);
            Panel_posizione->setText(Tool_position_text(position));
        }
        const uint8_t poles = r.calib_poles;
        if ((phase == 2 || phase == 3) && poles != TarPosSensorLastPoles) {
            TarPosSensorLastPoles = poles;
            Panel_poli_motore->setText(QString::number(2 * poles) + "  ");
        }
    }
    const uint8_t mode = r.mode;
    if (mode != TarPosSensorLastMode || alarm()) {
        TarPosSensorLastMode = mode;
        if (alarm() || (mode != ProcMode::Calibration && phase != CALIB_FINISHED))
            incomplete();
    }
}
