#include "tools/Load_motor.h"

#include <cstring>
#include <filesystem>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "link/Seriale.h"
#include "platform/Msgbox.h"
#include "shell/Data_file_load.h"
#include "shell/Form_send_motor.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Main_menus.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbarcmx.h"
#include "tools_core/Load_motor_core.h"
#include "tools/Pid_corrente.h"
#include "tools/Tar_pos_sensor.h"

TForm_load_motor* Form_load_motor = nullptr;

namespace {

constexpr uint16_t MOTOR_LINEAR = 1;
constexpr uint16_t MOTOR_DC = 2;
constexpr int FEEDBACK_PAGES = 4;  // 4 (sensorless) has no page
constexpr int POLE_ITEMS = 25;
constexpr int BIT_SUM_MAX = 31;
constexpr int TIMER_MS = 50;
constexpr uint16_t FLAG_REVERSE = 1u << 1;
constexpr uint16_t FLAG_COGGING = 1u << 2;
constexpr uint16_t FLAG_OPEN_COLLECTOR = 1u << 3;

Text3 MOTOR_TYPES[3] = {
    {"0 - Sincrono MP, rotativo", "0 - PM rotary motor", "0 - Rotative, aimants permanents"},
    {"1 - Sincrono MP, lineare", "1 - PM linear motor", "1 - Linéaire, aimants permanents"},
    {"2 - Corrente C. - DC, rotativo", "2 - Rotary, Brushed DC motor", "2 - Rotative, brossé DC moteur"}};
Text3 FEEDBACK_TYPES[5] = {
    {"0 - Encoder Incr. senza Halls", "0 -Incr. Encoder without Halls", "0 - Codeur Incr. sans Halls"},
    {"1 - Encoder Incr. con Halls", "1 - Incr. Encoder with Halls", "1 - Codeur Incr. avec Halls"},
    {"2 - Solo sonde Halls", "2 - Halls only", "2 - Halls seules"},
    {"3 - Encoder SSI", "3 - Encoder SSI", "3 - Codeur SSI"},
    {"4 - Sensorless", "4 - Sensorless", "4 - Sensorless"}};
const char* const INPUT_TYPES[2] = {"0 - Line driver/TTL", "1 - Open collector"};

Text3 SPEED = {"Velocità Nominale", "Nominal Speed", "Vitesse Nominale"};
Text3 CURRENT = {"Corrente nominale", "Nominal current", "Courant nominal"};
Text3 PEAK = {"Corrente Picco", "Peak Current", "Courant de Crête"};
Text3 STALL = {"Corrente Stallo", "Stall Current", "Courant Blocage"};
Text3 VOLTAGE = {"Tensione Nominale", "Nominal Voltage", "Tension Nominale"};
Text3 RESISTANCE = {"Resistenza Fase", "Phase Resistor", "Résistance Phase"};
Text3 INDUCTANCE = {"Induttanza Sincrona", "Synchrony Inductance", "Inductance Synchrone"};
Text3 I2T = {"Tempo I2t", "I2t Time", "Temps I2t"};
Text3 POLE_PITCH = {"Passo polare", "Pole pitch", "Pas polaire"};
Text3 MULTI_OFFSET = {"Offset applicazione", "Application Offset", "Offset l'application"};
Text3 REVERSE = {"Inverti feedback", "Reverse feedback", "Inverser réaction"};
Text3 COGGING = {"Compensazione cogging", "Cogging compensation", "Compensation cogging"};
Text3 MOTOR_DATA = {"Dati Motore", "Motor Data", "Données Moteur"};
Text3 MOTOR_TYPE = {"Tipo Motore", "Type Motor", "Type Moteur"};
Text3 POLES = {"Poli Motore", "Motor Poles", "Pôles Moteur"};
Text3 FEEDBACK_SELECT = {"Selezione feedback", "Selection feedback", "Sélection rétroaction"};
Text3 FEEDBACK_TYPE = {"Tipo feedback", "Feedback type", "Type rétroaction"};
Text3 ENCODER_INPUT = {"Ingresso encoder", "Encoder input", "Entrée du encoder"};
Text3 HINT_NEW = {"Carica i dati motore default", "Load the default motor", "Charge le moteur par défaut"};
Text3 HINT_OPEN = {"Carica i dati motore da file", "Load the motor data from file",
                   "Chargez les données du moteur à partir du fichier"};
Text3 HINT_SAVE = {"Salva i dati motore su file", "Save the motor data on file",
                   "Enregistrer les données du moteur sur fichier"};
Text3 ASK_SAVE_NEW = {"Vuoi Salvare i  Dati su File ?", "Do you want to save Data on File ?",
                      "Voulez vous Enregistrer les Données dans un Fichier?"};
Text3 ASK_SAVE_FILE = {"Vuoi Salvare le Modifiche al File : ", "Do you want to save changes on File : ",
                       "Voulez vous enregistrer les changements au fichier : "};
Text3 SAVE_TITLE = {"Salva", "Save", "Enregistrer"};
Text3 SAVE_AS_TITLE = {"Salva con Nome", "Save as", "Enregistrer sous"};
Text3 OPEN_TITLE = {"Apri", "Open", "Ouvrir"};
Text3 ASK_DEFAULTS = {"Impostare Dati Default", "Default Data Set", "Configurer Données par Défaut"};
Text3 DEFAULTS_SET = {"Dati Default Impostati", "Default Data Set", "Données par Dèfaut Configurées"};
Text3 LOADED = {"Dati Caricati", "Data Loaded", "Données Chargée"};
Text3 SAVED = {"Dati Salvati", "Data Saved", "Données Enregistrées"};
Text3 SEND_TITLE = {"Carica dati da file", "Load data from file", "Charger Données du Fichier"};
Text3 SEND_WARNING = {"I dati Motore saranno riscritti!", "Motor data will be rewritten!",
                      "Les données du Moteur vont être réécrites! "};

// The bound u16 edits without validator: panel, field, raw maximum and minimum, decimals.
struct PlainEdit {
    FlowPanel* TForm_load_motor::*panel;
    std::size_t field;
    double max;
    double min;
    uint16_t decimals;
};
const PlainEdit PLAIN_EDITS[] = {
    {&TForm_load_motor::FlowPanel_vel_nom, MotorField::NominalSpeed, 20000, 0, 0},
    {&TForm_load_motor::FlowPanel_corr_nom, MotorField::NominalCurrent, 60000, 0, 2},
    {&TForm_load_motor::FlowPanel_corr_picco, MotorField::PeakCurrent, 60000, 0, 2},
    {&TForm_load_motor::FlowPanel_corr_stallo, MotorField::StallCurrent, 60000, 0, 2},
    {&TForm_load_motor::FlowPanel_volt_nom, MotorField::NominalVoltage, 460, 10, 0},
    {&TForm_load_motor::FlowPanel_resist_fase, MotorField::PhaseResistance, 25000, 1, 2},
    {&TForm_load_motor::FlowPanel_indutt_sincrona, MotorField::Inductance, 65000, 1, 2},
    {&TForm_load_motor::FlowPanel_I2t_time, MotorField::I2tTime, 3000, 1, 0},
};
constexpr double OFFSET_MAX = 36000;
constexpr uint16_t OFFSET_DECIMALS = 2;
constexpr int EDIT_WIDTH = 70;
constexpr int WIDE_EDIT_WIDTH = 90;

// Fixed captions: panel, text, unit.
struct Caption {
    FlowPanel* TForm_load_motor::*panel;
    const char* const* text;
    const char* unit;
};
const Caption CAPTIONS[] = {
    {&TForm_load_motor::FlowPanel_corr_nom, CURRENT, " [A]"},
    {&TForm_load_motor::FlowPanel_corr_picco, PEAK, " [A]"},
    {&TForm_load_motor::FlowPanel_corr_stallo, STALL, " [A]"},
    {&TForm_load_motor::FlowPanel_volt_nom, VOLTAGE, " [V]"},
    {&TForm_load_motor::FlowPanel_resist_fase, RESISTANCE, " [Ohm]"},
    {&TForm_load_motor::FlowPanel_indutt_sincrona, INDUCTANCE, " [H]"},
    {&TForm_load_motor::FlowPanel_I2t_time, I2T, ""},
    {&TForm_load_motor::FlowPanel_passo_polare, POLE_PITCH, " [mm]"},
    {&TForm_load_motor::FlowPanel_offset_multigiro, MULTI_OFFSET, ""},
};

template <typename T>
T* field_of(std::size_t field)
{
    return reinterpret_cast<T*>(MotorEditCopy.b + field);
}
uint16_t edit_u16(std::size_t field) { return Rec_get<uint16_t>(MotorEditCopy.b, field); }
uint32_t edit_u32(std::size_t field) { return Rec_get<uint32_t>(MotorEditCopy.b, field); }

void message(MsgIcon icon, const QString& text)
{
    Msgbox_show({icon, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

FileDialogSpec motor_dialog(const char* const title[3], bool save)
{
    FileDialogSpec spec;
    spec.title = Tool_text(title);
    spec.folder = Filedlg_folder(MotorDataFolder);
    spec.filter = MOTOR_FILE_FILTER;
    spec.default_suffix = "mot";
    spec.save = save;
    return spec;
}

QLabel* flag_panel(QWidget* parent, const char* name) { return Tool_label(parent, name, true); }

QComboBox* combo(QWidget* parent, const char* name)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    return c;
}

QCheckBox* check_box(QWidget* parent, const char* name)
{
    auto* c = new QCheckBox(parent);
    c->setObjectName(name);
    return c;
}

QHBoxLayout* row(QBoxLayout* into, std::initializer_list<QWidget*> widgets)
{
    auto* r = new QHBoxLayout;
    for (QWidget* w : widgets)
        r->addWidget(w);
    into->addLayout(r);
    return r;
}

void refill(QComboBox* box, const QStringList& items)
{
    const QSignalBlocker quiet(box);
    const int index = box->currentIndex();
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index);
}

// The painters of the editor's own panes.
void paint_modified(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    Stbarcmx_paint_modified(picture, panes, index, Form_load_motor != nullptr && Form_load_motor->Modified);
}

void paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    Stbarcmx_paint_file(picture, panes, index, MotorDataFileName);
}

enum Pane : uint16_t { PaneLink, PaneDrive, PaneModified, PaneFile };

}  // namespace

// ---- the motor file loader ----

bool Load_motor_load(const QString& file_name, MotorRecord* destination, FileDialogSpec& save_dialog)
{
    if (destination == nullptr || file_name.isEmpty() || !QFileInfo::exists(file_name))
        return false;
    uint8_t buffer[MOTOR_FILE_SIZE];
    uint8_t version[2] = {0, 0};
    if (!Load_motor_read_file(file_name.toStdString(), buffer, MOTOR_FILE_SIZE, version)) {
        DataFile_warn_corrupt();
        return false;
    }
    switch (DataFile_accept(DataFileKind::Motor, buffer, MOTOR_FILE_SIZE, MOTOR_DATA_CONVERTIBLE_MAJOR)) {
    case DataFileAccept::Refused:
        return false;
    case DataFileAccept::Current:
        std::memcpy(destination->b, buffer + DataFileOfs::Payload, MOTOR_RECORD_SIZE);
        MotorDataFileName = QFileInfo(file_name).absoluteFilePath();
        return true;
    case DataFileAccept::Convert:
        break;
    }
    const QString name = DataFile_convert_name(version, save_dialog);
    if (name.isEmpty())
        return false;
    MotorRecord converted;
    ConvertMotorData(buffer + DataFileOfs::Payload, &converted);
    if (!WriteMotorFile(name, &converted))
        return false;  // the writer has shown why
    *destination = converted;
    MotorDataFileName = QFileInfo(name).absoluteFilePath();
    return true;
}

// ---- construction ----

TForm_load_motor::TForm_load_motor(QWidget* parent) : ToolDialog(parent, "Form_load_motor")
{
    auto* root = new QVBoxLayout(this);
    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName("MainMenu");
    root->setMenuBar(MainMenu);
    QMenu* file = MainMenu->addMenu("File");
    const auto action = [](QMenu* menu, const char* name, const char* text) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    Menu_Nuovo = action(file, "Menu_Nuovo", "Nuovo");
    Menu_Apri = action(file, "Menu_Apri", "Apri");
    Menu_Salva = action(file, "Menu_Salva", "Salva");
    Menu_Save_as = action(file, "Menu_Save_as", "Salva con Nome");
    Menu_Chiudi = action(file, "Menu_Chiudi", "Chiudi");
    Menu_Visualizza = action(MainMenu->addMenu("PID Corrente"), "Menu_Visualizza", "Visualizza");

    BitBtn_open_dati_motor_def = Tool_button(this, "BitBtn_open_dati_motor_def", QString());
    BitBtn_load_dati_motor = Tool_button(this, "BitBtn_load_dati_motor", QString());
    BitBtn_salva_dati_motor = Tool_button(this, "BitBtn_salva_dati_motor", QString());
    BitBtn_invia = Tool_button(this, "BitBtn_invia", " Invia");
    BitBtn_open_dati_motor_def->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    BitBtn_load_dati_motor->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    BitBtn_salva_dati_motor->setIcon(style()->standardIcon(QStyle::SP_DriveFDIcon));
    QHBoxLayout* tools =
        row(root, {BitBtn_open_dati_motor_def, BitBtn_load_dati_motor, BitBtn_salva_dati_motor, BitBtn_invia});
    tools->addStretch(1);

    build_motor_group();
    build_feedback_group();
    auto* body = new QHBoxLayout;
    body->addWidget(GroupBox_dati_motore);
    body->addWidget(GroupBox_feedback);
    root->addLayout(body);
    Panel_Load_dat_MOTSBar = new QWidget(this);
    Panel_Load_dat_MOTSBar->setObjectName("Panel_Load_dat_MOTSBar");
    Panel_Load_dat_MOTSBar->setFixedHeight(22);
    root->addWidget(Panel_Load_dat_MOTSBar);

    Timer_run = Tool_timer(this, "Timer_run", TIMER_MS);
    Timer_chk = Tool_timer(this, "Timer_chk", TIMER_MS);

    connect(Menu_Nuovo, &QAction::triggered, this, &TForm_load_motor::BitBtn_open_dati_motor_defClick);
    connect(Menu_Apri, &QAction::triggered, this, &TForm_load_motor::BitBtn_load_dati_motorClick);
    connect(Menu_Salva, &QAction::triggered, this, &TForm_load_motor::BitBtn_salva_dati_motorClick);
    connect(Menu_Save_as, &QAction::triggered, this, &TForm_load_motor::Menu_Save_asClick);
    connect(Menu_Chiudi, &QAction::triggered, this, &TForm_load_motor::Menu_ChiudiClick);
    connect(Menu_Visualizza, &QAction::triggered, this, &TForm_load_motor::Menu_VisualizzaClick);
    connect(BitBtn_open_dati_motor_def, &QPushButton::clicked, this, &TForm_load_motor::BitBtn_open_dati_motor_defClick);
    connect(BitBtn_load_dati_motor, &QPushButton::clicked, this, &TForm_load_motor::BitBtn_load_dati_motorClick);
    connect(BitBtn_salva_dati_motor, &QPushButton::clicked, this, &TForm_load_motor::BitBtn_salva_dati_motorClick);
    connect(BitBtn_invia, &QPushButton::clicked, this, &TForm_load_motor::BitBtn_inviaClick);
    connect(ComboBox_motor_type, &QComboBox::activated, this, &TForm_load_motor::ComboBox_motor_typeChange);
    connect(ComboBox_poli_motore_rotativo, &QComboBox::activated, this,
            &TForm_load_motor::ComboBox_poli_motore_rotativoChange);
    connect(ComboBox_feedback_type, &QComboBox::activated, this, &TForm_load_motor::ComboBox_feedback_typeChange);
    connect(CheckBox_feedback_reverse, &QCheckBox::clicked, this, &TForm_load_motor::CheckBox_feedback_reverseClick);
    for (QCheckBox* box :
         {CheckBox_cogging_compensa_encoder_only, CheckBox_cogging_compensa_encoder_and_hall, CheckBox_cogging_compensa_SSI})
        connect(box, &QCheckBox::clicked, this, [this, box] { CheckBox_cogging_compensaClick(box); });
    for (QComboBox* box : {ComboBox_enc_type_input_hall, ComboBox_enc_type_input_no_hall})
        connect(box, &QComboBox::activated, this, &TForm_load_motor::ComboBox_enc_type_inputChange);
    connect(Timer_run, &QTimer::timeout, this, &TForm_load_motor::Timer_runTimer);
    connect(Timer_chk, &QTimer::timeout, this, &TForm_load_motor::Timer_chkTimer);

    // FormCreate: the status bar.
    const int16_t widths[4] = {114, 114, 80, 1000};
    const StbarPaint painters[4] = {Stbarcmx_paint_link, Stbarcmx_paint_drive, paint_modified, paint_file};
    for (int i = 0; i < 4; ++i) {
        panes_[i] = StbarPane{};
        panes_[i].width = widths[i];
        panes_[i].paint = painters[i];
        pane_list_[i] = &panes_[i];
    }
    pane_list_[4] = nullptr;
    stb_ = new Stbarx(Panel_Load_dat_MOTSBar, pane_list_, 0);
    Main_attach_bar(TForm_main::BarLoadMotor, stb_);
    Form_load_motor = this;
}

void TForm_load_motor::build_motor_group()
{
    GroupBox_dati_motore = new QGroupBox(this);
    GroupBox_dati_motore->setObjectName("GroupBox_dati_motore");
    QWidget* g = GroupBox_dati_motore;
    auto* box = new QVBoxLayout(g);
    Panel_motor_type = Tool_label(g, "Panel_motor_type");
    ComboBox_motor_type = combo(g, "ComboBox_motor_type");
    row(box, {Panel_motor_type, ComboBox_motor_type});
    Panel_poli_motore = new QWidget(g);
    Panel_poli_motore->setObjectName("Panel_poli_motore");
    Panel_poli_motore_caption = Tool_label(Panel_poli_motore, "Panel_poli_motore_caption");
    ComboBox_poli_motore_rotativo = combo(Panel_poli_motore, "ComboBox_poli_motore_rotativo");
    for (int i = 1; i <= POLE_ITEMS; ++i)
        ComboBox_poli_motore_rotativo->addItem(QString::number(2 * i));
    Panel_poli_motore_linear = Tool_label(Panel_poli_motore, "Panel_poli_motore_linear", true);
    Panel_poli_motore_linear->setText("2 ");
    auto* poles = new QHBoxLayout(Panel_poli_motore);
    poles->setContentsMargins(0, 0, 0, 0);
    poles->addWidget(Panel_poli_motore_caption, 1);
    poles->addWidget(ComboBox_poli_motore_rotativo);
    poles->addWidget(Panel_poli_motore_linear);
    box->addWidget(Panel_poli_motore);
    for (FlowPanel** p : {&FlowPanel_vel_nom, &FlowPanel_corr_nom, &FlowPanel_corr_picco, &FlowPanel_corr_stallo,
                          &FlowPanel_volt_nom, &FlowPanel_resist_fase, &FlowPanel_indutt_sincrona, &FlowPanel_I2t_time,
                          &FlowPanel_passo_polare}) {
        *p = new FlowPanel(g);
        box->addWidget(*p);
    }
    const char* const names[] = {"FlowPanel_vel_nom",     "FlowPanel_corr_nom",        "FlowPanel_corr_picco",
                                 "FlowPanel_corr_stallo", "FlowPanel_volt_nom",        "FlowPanel_resist_fase",
                                 "FlowPanel_indutt_sincrona", "FlowPanel_I2t_time", "FlowPanel_passo_polare"};
    FlowPanel* const panels[] = {FlowPanel_vel_nom,     FlowPanel_corr_nom,        FlowPanel_corr_picco,
                                 FlowPanel_corr_stallo, FlowPanel_volt_nom,        FlowPanel_resist_fase,
                                 FlowPanel_indutt_sincrona, FlowPanel_I2t_time, FlowPanel_passo_polare};
    for (std::size_t i = 0; i < std::size(panels); ++i)
        panels[i]->setObjectName(names[i]);
    box->addStretch(1);
}

QWidget* TForm_load_motor::build_encoder_page(bool halls)
{
    auto* page = new QWidget;
    page->setObjectName(halls ? "TabSheet_encoder_increment_and_halls" : "TabSheet_encoder_increment_only");
    auto* box = new QVBoxLayout(page);
    const char* suffix = halls ? "increment_and_halls" : "increment_only";
    auto name = [suffix](const char* stem) { return QByteArray(stem) + suffix; };
    auto* pulses = new FlowPanel(QString(name("FlowPanel_encoder_imp_")), page);
    QLabel* res = Tool_label(page, name("Panel_encoder_risoluzione_giro_").constData());
    QLabel* res_value = Tool_label(page, name("Panel_encoder_risoluzione_giro_dat_").constData(), true);
    box->addWidget(pulses);
    row(box, {res, res_value});
    FlowPanel* offset = nullptr;
    if (halls) {
        offset = new FlowPanel("FlowPanel_encoder_offset_increment_and_halls", page);
        box->addWidget(offset);
    }
    QLabel* input = Tool_label(page, halls ? "Panel_enc_type_input_hall" : "Panel_enc_type_input_no_hall");
    QComboBox* input_box = combo(page, halls ? "ComboBox_enc_type_input_hall" : "ComboBox_enc_type_input_no_hall");
    for (const char* item : INPUT_TYPES)
        input_box->addItem(item);
    QLabel* input_flags =
        flag_panel(page, halls ? "Panel_par_mot_flg_enc_type_input_hall" : "Panel_par_mot_flg_enc_type_input_no_hall");
    row(box, {input, input_box, input_flags});
    QCheckBox* cogging = check_box(page, halls ? "CheckBox_cogging_compensa_encoder_and_hall"
                                               : "CheckBox_cogging_compensa_encoder_only");
    QLabel* cogging_flags = flag_panel(page, halls ? "Panel_par_mot_flg_dat_cogging_compensa_encoder_and_hall"
                                                   : "Panel_par_mot_flg_dat_cogging_compensa_encoder_only");
    row(box, {cogging, cogging_flags});
    box->addStretch(1);
    if (halls) {
        FlowPanel_encoder_imp_increment_and_halls = pulses;
        Panel_encoder_risoluzione_giro_increment_and_halls = res;
        Panel_encoder_risoluzione_giro_dat_increment_and_halls = res_value;
        FlowPanel_encoder_offset_increment_and_halls = offset;
        Panel_enc_type_input_hall = input;
        ComboBox_enc_type_input_hall = input_box;
        Panel_par_mot_flg_enc_type_input_hall = input_flags;
        CheckBox_cogging_compensa_encoder_and_hall = cogging;
        Panel_par_mot_flg_dat_cogging_compensa_encoder_and_hall = cogging_flags;
    } else {
        FlowPanel_encoder_imp_increment_only = pulses;
        Panel_encoder_risoluzione_giro_increment_only = res;
        Panel_encoder_risoluzione_giro_dat_increment_only = res_value;
        Panel_enc_type_input_no_hall = input;
        ComboBox_enc_type_input_no_hall = input_box;
        Panel_par_mot_flg_enc_type_input_no_hall = input_flags;
        CheckBox_cogging_compensa_encoder_only = cogging;
        Panel_par_mot_flg_dat_cogging_compensa_encoder_only = cogging_flags;
    }
    return page;
}

QWidget* TForm_load_motor::build_ssi_page()
{
    auto* page = new QWidget;
    page->setObjectName("TabSheet_encoder_serial_ssi");
    auto* box = new QVBoxLayout(page);
    FlowPanel_encoder_bit_single_turn = new FlowPanel("FlowPanel_encoder_bit_single_turn", page);
    FlowPanel_encoder_bit_multi_turn = new FlowPanel("FlowPanel_encoder_bit_multi_turn", page);
    FlowPanel_encoder_offset_serial_ssi = new FlowPanel("FlowPanel_encoder_offset_serial_ssi", page);
    FlowPanel_offset_multigiro = new FlowPanel("FlowPanel_offset_multigiro", page);
    for (FlowPanel* p : {FlowPanel_encoder_bit_single_turn, FlowPanel_encoder_bit_multi_turn,
                         FlowPanel_encoder_offset_serial_ssi, FlowPanel_offset_multigiro})
        box->addWidget(p);
    CheckBox_cogging_compensa_SSI = check_box(page, "CheckBox_cogging_compensa_SSI");
    Panel_par_mot_flg_dat_cogging_compensa_SSI = flag_panel(page, "Panel_par_mot_flg_dat_cogging_compensa_SSI");
    row(box, {CheckBox_cogging_compensa_SSI, Panel_par_mot_flg_dat_cogging_compensa_SSI});
    box->addStretch(1);
    return page;
}

void TForm_load_motor::build_feedback_group()
{
    GroupBox_feedback = new QGroupBox(this);
    GroupBox_feedback->setObjectName("GroupBox_feedback");
    QWidget* g = GroupBox_feedback;
    auto* box = new QVBoxLayout(g);
    Panel_feedback_type = Tool_label(g, "Panel_feedback_type");
    ComboBox_feedback_type = combo(g, "ComboBox_feedback_type");
    row(box, {Panel_feedback_type, ComboBox_feedback_type});
    CheckBox_feedback_reverse = check_box(g, "CheckBox_feedback_reverse");
    Panel_par_mot_flg_dat_feedback_reverse = flag_panel(g, "Panel_par_mot_flg_dat_feedback_reverse");
    row(box, {CheckBox_feedback_reverse, Panel_par_mot_flg_dat_feedback_reverse});
    PageControl_feedback_type = new QTabWidget(g);
    PageControl_feedback_type->setObjectName("PageControl_feedback_type");
    PageControl_feedback_type->tabBar()->hide();
    auto* halls_only = new QWidget;
    halls_only->setObjectName("TabSheet_halls_only");
    for (QWidget* page : {build_encoder_page(false), build_encoder_page(true), halls_only, build_ssi_page()})
        PageControl_feedback_type->addTab(page, QString());
    box->addWidget(PageControl_feedback_type, 1);
}

TForm_load_motor::~TForm_load_motor()
{
    if (!closed_)
        finish_close();
    if (Form_load_motor == this)
        Form_load_motor = nullptr;
}

// ---- showing and closing ----

void TForm_load_motor::create_edits()
{
    for (const PlainEdit& e : PLAIN_EDITS)
        plain_.push_back(std::make_unique<MemoUpDwx<uint16_t>>(this->*e.panel, field_of<uint16_t>(e.field), 0, e.max,
                                                               e.min, e.decimals, EDIT_WIDTH, 0));
    FlowPanel* const offset_panels[2] = {FlowPanel_encoder_offset_increment_and_halls,
                                         FlowPanel_encoder_offset_serial_ssi};
    for (int i = 0; i < 2; ++i)
        offset_[i] = std::make_unique<MemoUpDwx<uint16_t>>(offset_panels[i], field_of<uint16_t>(MotorField::EncoderOffset),
                                                           0, OFFSET_MAX, 0, OFFSET_DECIMALS, EDIT_WIDTH, 0);
    pole_pitch_ = std::make_unique<MemoUpDwx<uint32_t>>(FlowPanel_passo_polare, field_of<uint32_t>(MotorField::PolePitch),
                                                        0, 1000000, 1, 3, WIDE_EDIT_WIDTH, 0);
    const auto pulses_check = [this](Loc, double v, uint16_t, double, double) -> uint8_t {
        show_resolution(static_cast<uint32_t>(v));
        return 0;
    };
    FlowPanel* const pulse_panels[2] = {FlowPanel_encoder_imp_increment_only, FlowPanel_encoder_imp_increment_and_halls};
    for (int i = 0; i < 2; ++i)
        pulses_[i] = std::make_unique<MemoUpDwx<uint32_t>>(pulse_panels[i], field_of<uint32_t>(MotorField::Pulses), 0,
                                                           16777216, 100, 0, WIDE_EDIT_WIDTH, 0, MemoUpDwx_write_fn{},
                                                           pulses_check);
    single_turn_ = std::make_unique<MemoUpDwx<uint16_t>>(
        FlowPanel_encoder_bit_single_turn, field_of<uint16_t>(MotorField::SingleTurn), 0, 31, 4, 0, EDIT_WIDTH, 0,
        MemoUpDwx_write_fn{},
        [this](Loc, double v, uint16_t, double, double) { return check_bits(v, MotorField::MultiTurn); });
    multi_turn_ = std::make_unique<MemoUpDwx<uint16_t>>(
        FlowPanel_encoder_bit_multi_turn, field_of<uint16_t>(MotorField::MultiTurn), 0, 31, 0, 0, EDIT_WIDTH, 0,
        MemoUpDwx_write_fn{},
        [this](Loc, double v, uint16_t, double, double) { return check_bits(v, MotorField::SingleTurn); });
    multi_offset_ = std::make_unique<MemoUpDwx<int32_t>>(FlowPanel_offset_multigiro,
                                                         field_of<int32_t>(MotorField::MultiTurnOffset), 0, 2147483647,
                                                         -2147483648.0, 0, WIDE_EDIT_WIDTH, 0);
}

void TForm_load_motor::delete_edits()
{
    plain_.clear();
    pole_pitch_.reset();
    pulses_[0].reset();
    pulses_[1].reset();
    offset_[0].reset();
    offset_[1].reset();
    single_turn_.reset();
    multi_turn_.reset();
    multi_offset_.reset();
}

void TForm_load_motor::FormShow()
{
    Ready = 0;
    Modified = 0;
    create_edits();
    Stbarx_repaint(stb_);
    Load_motor_set_texts();  // the lists first: the values select their items
    Load_motor_show_values();
    Menu_Salva->setEnabled(false);
    BitBtn_salva_dati_motor->setEnabled(false);
    Load_motor_update_send_button();
    Timer_run->start();
}

void TForm_load_motor::done(int result)
{
    if (!closed_) {
        if (!Load_motor_ask_save())
            return;  // the record could not be written: the editor stays open
        finish_close();
    }
    ToolDialog::done(result);
}

void TForm_load_motor::finish_close()
{
    closed_ = true;
    Timer_run->stop();
    Timer_chk->stop();
    delete_edits();
    Ready = 0;
    Modified = 0;
    Main_detach_bar(TForm_main::BarLoadMotor, stb_);
    Stbarx_free(stb_);
}

// ---- values and texts ----

void TForm_load_motor::show_resolution(uint32_t pulses)
{
    const QString text = QString::number(4ull * pulses);
    Panel_encoder_risoluzione_giro_dat_increment_only->setText(text);
    Panel_encoder_risoluzione_giro_dat_increment_and_halls->setText(text);
}

void TForm_load_motor::Load_motor_show_values()
{
    Ready = 0;
    for (auto& e : plain_)
        e->show();
    for (MemoUpDwxBase* e : std::initializer_list<MemoUpDwxBase*>{pole_pitch_.get(), pulses_[0].get(), pulses_[1].get(),
                                                                  offset_[0].get(), offset_[1].get(),
                                                                  single_turn_.get(), multi_turn_.get(),
                                                                  multi_offset_.get()})
        if (e != nullptr)
            e->show();
    ComboBox_motor_type->setCurrentIndex(edit_u16(MotorField::MotorType) < 3 ? edit_u16(MotorField::MotorType) : -1);
    Load_motor_apply_motor_type();
    const uint16_t pairs = edit_u16(MotorField::PolePairs);
    ComboBox_poli_motore_rotativo->setCurrentIndex(pairs >= 1 && pairs <= POLE_ITEMS ? pairs - 1 : -1);
    const uint16_t feedback = edit_u16(MotorField::FeedbackType);
    ComboBox_feedback_type->setCurrentIndex(feedback < 5 ? feedback : -1);
    CheckBox_feedback_reverse->setChecked(edit_u16(MotorField::Flags) & FLAG_REVERSE);
    Load_motor_show_flags();
    show_resolution(edit_u32(MotorField::Pulses));
    Load_motor_apply_feedback_type();
    Ready = 1;
}

void TForm_load_motor::Load_motor_apply_motor_type()
{
    const uint16_t type = edit_u16(MotorField::MotorType);
    const bool linear = type == MOTOR_LINEAR;
    FlowPanel_vel_nom->setCaption(Tool_text(SPEED) + (linear ? " [mm/s]" : " [rpm]"));
    Panel_encoder_risoluzione_giro_increment_only->setText(Tool_motor_label(ToolLabelResolution, type));
    Panel_encoder_risoluzione_giro_increment_and_halls->setText(Tool_motor_label(ToolLabelResolution, type));
    FlowPanel_encoder_imp_increment_only->setCaption(Tool_motor_label(ToolLabelPulses, type));
    FlowPanel_encoder_imp_increment_and_halls->setCaption(Tool_motor_label(ToolLabelPulses, type));
    FlowPanel_encoder_bit_single_turn->setCaption(Tool_motor_label(ToolLabelSingle, type));
    FlowPanel_encoder_bit_multi_turn->setCaption(Tool_motor_label(ToolLabelMulti, type));
    Panel_poli_motore->setVisible(type != MOTOR_DC);
    ComboBox_poli_motore_rotativo->setVisible(!linear);
    Panel_poli_motore_linear->setVisible(linear);
    FlowPanel_passo_polare->setVisible(linear);
}

void TForm_load_motor::Load_motor_apply_feedback_type()
{
    const uint16_t feedback = edit_u16(MotorField::FeedbackType);
    if (feedback >= FEEDBACK_PAGES) {  // sensorless or unknown: no page
        PageControl_feedback_type->hide();
        return;
    }
    PageControl_feedback_type->setCurrentIndex(feedback);
    PageControl_feedback_type->show();
    const uint16_t flags = edit_u16(MotorField::Flags);
    const bool cogging = flags & FLAG_COGGING;
    const int input = (flags & FLAG_OPEN_COLLECTOR) ? 1 : 0;
    switch (feedback) {
    case 0:
        pulses_[0]->show();
        ComboBox_enc_type_input_no_hall->setCurrentIndex(input);
        CheckBox_cogging_compensa_encoder_only->setChecked(cogging);
        break;
    case 1:
        pulses_[1]->show();
        offset_[0]->show();
        ComboBox_enc_type_input_hall->setCurrentIndex(input);
        CheckBox_cogging_compensa_encoder_and_hall->setChecked(cogging);
        break;
    case 3:
        single_turn_->show();
        multi_turn_->show();
        offset_[1]->show();
        multi_offset_->show();
        CheckBox_cogging_compensa_SSI->setChecked(cogging);
        break;
    default:
        break;
    }
}

void TForm_load_motor::Load_motor_show_flags()
{
    const QString text = QString("%1").arg(edit_u16(MotorField::Flags), 4, 16, QLatin1Char('0')).toUpper() + "h";
    for (QLabel* l : {Panel_par_mot_flg_dat_feedback_reverse, Panel_par_mot_flg_dat_cogging_compensa_encoder_only,
                      Panel_par_mot_flg_dat_cogging_compensa_encoder_and_hall, Panel_par_mot_flg_dat_cogging_compensa_SSI,
                      Panel_par_mot_flg_enc_type_input_hall, Panel_par_mot_flg_enc_type_input_no_hall})
        l->setText(text);
}

void TForm_load_motor::Load_motor_set_texts()
{
    GroupBox_dati_motore->setTitle(Tool_text(MOTOR_DATA));
    Panel_motor_type->setText(Tool_text(MOTOR_TYPE));
    Panel_poli_motore_caption->setText(Tool_text(POLES));
    GroupBox_feedback->setTitle(Tool_text(FEEDBACK_SELECT));
    Panel_feedback_type->setText(Tool_text(FEEDBACK_TYPE));
    Panel_enc_type_input_hall->setText(Tool_text(ENCODER_INPUT));
    Panel_enc_type_input_no_hall->setText(Tool_text(ENCODER_INPUT));
    CheckBox_feedback_reverse->setText(Tool_text(REVERSE));
    for (QCheckBox* box :
         {CheckBox_cogging_compensa_encoder_only, CheckBox_cogging_compensa_encoder_and_hall, CheckBox_cogging_compensa_SSI})
        box->setText(Tool_text(COGGING));
    BitBtn_open_dati_motor_def->setToolTip(Tool_text(HINT_NEW));
    BitBtn_load_dati_motor->setToolTip(Tool_text(HINT_OPEN));
    BitBtn_salva_dati_motor->setToolTip(Tool_text(HINT_SAVE));
    for (const Caption& c : CAPTIONS)
        (this->*c.panel)->setCaption(Tool_text(c.text) + c.unit);
    for (FlowPanel* p : {FlowPanel_encoder_offset_increment_and_halls, FlowPanel_encoder_offset_serial_ssi})
        p->setCaption(QString("Offset") + " [°]");
    QStringList types;
    for (Text3& t : MOTOR_TYPES)
        types << Tool_text(t);
    refill(ComboBox_motor_type, types);
    QStringList feedbacks;
    for (Text3& t : FEEDBACK_TYPES)
        feedbacks << Tool_text(t);
    refill(ComboBox_feedback_type, feedbacks);
    Load_motor_apply_motor_type();
}

// ---- change handlers ----

void TForm_load_motor::set_flag(uint16_t bit, bool on)
{
    uint16_t flags = edit_u16(MotorField::Flags);
    flags = on ? (flags | bit) : (flags & ~bit);
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::Flags, flags);
    Load_motor_show_flags();
}

void TForm_load_motor::ComboBox_motor_typeChange(int index)
{
    if (!Ready || index < 0)
        return;
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::MotorType, static_cast<uint16_t>(index));
    Load_motor_apply_motor_type();
}

void TForm_load_motor::ComboBox_poli_motore_rotativoChange(int index)
{
    if (!Ready || index < 0)
        return;
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::PolePairs, static_cast<uint16_t>(index + 1));
}

void TForm_load_motor::ComboBox_feedback_typeChange(int index)
{
    if (!Ready || index < 0)
        return;
    Rec_set<uint16_t>(MotorEditCopy.b, MotorField::FeedbackType, static_cast<uint16_t>(index));
    Load_motor_apply_feedback_type();
}

void TForm_load_motor::CheckBox_feedback_reverseClick()
{
    if (Ready)
        set_flag(FLAG_REVERSE, CheckBox_feedback_reverse->isChecked());
}

void TForm_load_motor::CheckBox_cogging_compensaClick(QCheckBox* box)
{
    if (Ready && box->isEnabled())
        set_flag(FLAG_COGGING, box->isChecked());
}

void TForm_load_motor::ComboBox_enc_type_inputChange(int index)
{
    if (Ready && index >= 0)
        set_flag(FLAG_OPEN_COLLECTOR, index & 1);
}

uint8_t TForm_load_motor::check_bits(double candidate, std::size_t other_field)
{
    if (candidate + edit_u16(other_field) <= BIT_SUM_MAX)
        return 0;
    Timer_chk->start();
    return 1;
}

void TForm_load_motor::Timer_chkTimer()
{
    Timer_chk->stop();
    Tool_warn(Tool_bit_sum_text(edit_u16(MotorField::MotorType)));
}

// ---- modification, send button ----

void TForm_load_motor::Timer_runTimer()
{
    Load_motor_update_send_button();
    Load_motor_check_modified();
}

void TForm_load_motor::Load_motor_check_modified()
{
    if (Modified || std::memcmp(MotorEditCopy.b, MotorEditRef.b, MOTOR_RECORD_SIZE) == 0)
        return;
    Modified = 1;
    Menu_Salva->setEnabled(true);
    BitBtn_salva_dati_motor->setEnabled(true);
    Stbarx_repaint_pane(stb_, PaneModified);
}

void TForm_load_motor::Load_motor_mark_saved()
{
    const bool running = Timer_run->isActive();
    Timer_run->stop();
    Modified = 0;
    Menu_Salva->setEnabled(false);
    BitBtn_salva_dati_motor->setEnabled(false);
    MotorEditRef = MotorEditCopy;
    Stbarx_repaint_pane(stb_, PaneModified);
    if (running)
        Timer_run->start();
}

void TForm_load_motor::Load_motor_update_send_button()
{
    const bool ready = Ser_link_flags.load() & LinkFlag::Ready;
    Tool_enable(BitBtn_invia, ready && !(EditStateFlags & EditState::Status5));
}

// ---- files ----

bool TForm_load_motor::write_file(const QString& name)
{
    return WriteMotorFile(name, &MotorEditCopy);  // a failure has been shown by the writer
}

bool TForm_load_motor::Load_motor_ask_save()
{
    if (!Modified)
        return true;
    const QString question = MotorDataFileName.isEmpty()
                                 ? Tool_text(ASK_SAVE_NEW)
                                 : Tool_text(ASK_SAVE_FILE) + Main_file_part(MotorDataFileName) + " ?";
    if (Msgbox_show({MsgIcon::Question, Msgbox_title(Lang_index()), question.toStdString(), MsgYes | MsgNo}) != MsgYes)
        return true;
    if (MotorDataFileName.isEmpty()) {
        const QString name = Filedlg_run(this, motor_dialog(SAVE_TITLE, true));
        if (!name.isEmpty()) {
            if (!write_file(name))
                return false;
            MotorDataFileName = QFileInfo(name).absoluteFilePath();
            Stbarx_repaint_pane(stb_, PaneFile);
        }
    } else if (!write_file(MotorDataFileName)) {
        return false;
    }
    Load_motor_mark_saved();
    return true;
}

void TForm_load_motor::BitBtn_open_dati_motor_defClick()
{
    if (!Load_motor_ask_save())
        return;
    const QString question = Tool_text(ASK_DEFAULTS) + " ?";
    if (Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), question.toStdString(), MsgOk | MsgCancel}) != MsgOk)
        return;
    MotorEditCopy = MotorRecord{};
    Init_motor_defaults(MotorEditCopy);
    Load_motor_mark_saved();
    Load_motor_show_values();
    message(MsgIcon::Information, Tool_text(DEFAULTS_SET) + " !");
}

void TForm_load_motor::BitBtn_load_dati_motorClick()
{
    if (!Load_motor_ask_save())
        return;
    const QString name = Filedlg_run(this, motor_dialog(OPEN_TITLE, false));
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    FileDialogSpec save = motor_dialog(SAVE_TITLE, true);
    if (!Load_motor_load(name, &MotorEditCopy, save))
        return;
    Load_motor_mark_saved();
    Stbarx_repaint_pane(stb_, PaneFile);
    Load_motor_show_values();
    message(MsgIcon::Information, Tool_text(LOADED) + " !");
}

void TForm_load_motor::BitBtn_salva_dati_motorClick()
{
    QString name = MotorDataFileName;
    if (name.isEmpty()) {
        name = Filedlg_run(this, motor_dialog(SAVE_TITLE, true));
        if (name.isEmpty())
            return;
    }
    if (!write_file(name))
        return;
    MotorDataFileName = QFileInfo(name).absoluteFilePath();
    Stbarx_repaint_pane(stb_, PaneFile);
    Load_motor_mark_saved();
    message(MsgIcon::Information, Tool_text(SAVED) + " !");
}

void TForm_load_motor::Menu_Save_asClick()
{
    const QString name = Filedlg_run(this, motor_dialog(SAVE_AS_TITLE, true));
    if (name.isEmpty() || !write_file(name))
        return;
    MotorDataFileName = QFileInfo(name).absoluteFilePath();
    Stbarx_repaint_pane(stb_, PaneFile);
    Load_motor_mark_saved();
}

void TForm_load_motor::Menu_ChiudiClick() { done(2); }

void TForm_load_motor::Menu_VisualizzaClick()
{
    TForm_PID_corrente dialog(this);
    dialog.exec();
}

// ---- send ----

void TForm_load_motor::BitBtn_inviaClick()
{
    if (!(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    MotorRecord wire = MotorEditCopy;
    Init_motor_swap(wire.b);
    Ser_block_job.length.store(MOTOR_RECORD_SIZE);
    std::memcpy(Ser_block_job.data, wire.b, MOTOR_RECORD_SIZE);
    TForm_send_motor dialog(MotorEditCopy, this);
    dialog.Panel_dat_send->setText(Tool_text(SEND_TITLE));
    dialog.set_message({"      ", Tool_text(SEND_WARNING)});
    dialog.exec();
}
