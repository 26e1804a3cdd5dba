// Main window: its widgets, creation, first showing and closing.
#include "shell/Main.h"

#include <cstring>

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "controls/Window_place.h"
#include "drivedata/Busx.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print_core/Printer_data.h"
#include "link/Scope_link.h"
#include "scope_core/Oscx_signals_core.h"
#include "shell/Main_menus.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Splash.h"
#include "shell/Stbar.h"
#include "shell/Treectrl.h"

TForm_main* Form_main = nullptr;
Stbarx* MainStb = nullptr;
QPointer<QWidget> Form_Oscx;
QPointer<QWidget> Form_monitor_I2t;
QPointer<QWidget> Form_FlashSH;
MainFlashEntriesRec MainFlashEntries;

QString CommandLine;
uint8_t CloseRequested = 0;
uint8_t WritePending = 0;
uint8_t WriteReplyFlag = 0;
uint32_t WriteStartMs = 0;

namespace {

constexpr int CLIENT_WIDTH = 996;
constexpr int CLIENT_HEIGHT = 693;
constexpr int TIMER_MS = 30;
constexpr int STATUS_BAR_HEIGHT = 22;
constexpr int SCREEN_DPI = 96;
constexpr int MONITOR_FONT_SMALL = 8;
constexpr uint32_t FORCED_BAUD = 57600;
constexpr int INPUT_ROWS = 6;
constexpr int LAYOUT_GAP = 2;        // margins and spacing inside the left column's groups
constexpr int TREE_MIN_HEIGHT = 40;  // the splitter leaves the tree at least this
constexpr int IO_IMAGE_MIN_WIDTH = 160;  // label, function text and LED of an I/O row

const char* const SAVE_QUESTION[3] = {"Salvare i dati?", "Save the data?", "Enregistrer les données?"};

QToolButton* make_button(QWidget* parent, QLayout* layout, const char* name, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(Graph_tool_icon(parent->style()->standardIcon(icon)));
    b->setAutoRaise(true);
    layout->addWidget(b);
    return b;
}

// A toggle that stays down until pressed again.
QToolButton* make_speed(QWidget* parent, QLayout* layout, const char* name, const char* text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setCheckable(true);
    layout->addWidget(b);
    return b;
}

// Small margins and spacing for a group box's layout, so that the monitor rows leave the tree room.
QBoxLayout* compact(QBoxLayout* layout)
{
    layout->setContentsMargins(LAYOUT_GAP, LAYOUT_GAP, LAYOUT_GAP, LAYOUT_GAP);
    layout->setSpacing(LAYOUT_GAP);
    return layout;
}

QWidget* make_bar(QWidget* parent, QLayout* layout, const char* name, QHBoxLayout*& row)
{
    auto* bar = new QWidget(parent);
    bar->setObjectName(name);
    row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    layout->addWidget(bar);
    return bar;
}

QLabel* make_panel(QWidget* parent, const char* name, const char* text, bool sunken)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (sunken) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return l;
}

QAction* make_action(QObject* owner, QMenu* menu, const char* name, const char* text)
{
    auto* a = new QAction(QString::fromUtf8(text), owner);
    a->setObjectName(name);
    menu->addAction(a);
    return a;
}

QMenu* make_menu(QWidget* owner, const char* name, const char* title)
{
    auto* m = new QMenu(QString::fromUtf8(title), owner);
    m->setObjectName(name);
    return m;
}

}  // namespace

// ---- construction ----

TForm_main::TForm_main(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("TForm_main");
    setWindowTitle("Pendrix");
    QFont f = font();
    f.setPointSize(8);
    f.setBold(true);
    setFont(f);
    resize(CLIENT_WIDTH, CLIENT_HEIGHT);

    build_menus();
    build_body();
    Utx_fit_texts(this);
    Timer_com = new QTimer(this);
    Timer_com->setObjectName("Timer_com");
    Timer_com->setInterval(TIMER_MS);
    Timer_ctrl = new QTimer(this);
    Timer_ctrl->setObjectName("Timer_ctrl");
    Timer_ctrl->setInterval(TIMER_MS);
    connect_handlers();
    Main_control_connect();
    Main_files_connect();
    Main_menus_connect();

    Form_main = this;
    Window_place_main_window(this);
    FormCreate();
}

TForm_main::~TForm_main()
{
    Timer_com->stop();
    Timer_ctrl->stop();
    if (!closing_) {
        // Destroyed without the closing sequence: still end the link and leave no page behind.
        Seriale_close();
        PageNode* node = CurrentPageNode[0];
        CurrentPageNode[0] = nullptr;
        if (node != nullptr && node->PageDestroy != nullptr)
            node->PageDestroy(0);
        Stbarx_free(MainStb);
    }
    Serrx_record_handover(false);
    if (Form_main == this)
        Form_main = nullptr;
}

void TForm_main::build_menus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu_Main");

    Menu_ArchivioDrive = make_menu(this, "Menu_ArchivioDrive", "Archivio Drive");
    Menu_Carica_Drive = make_action(this, Menu_ArchivioDrive, "Menu_Carica_Drive", "Carica");
    Menu_Salva_Drive = make_action(this, Menu_ArchivioDrive, "Menu_Salva_Drive", "Salva");
    bar->addMenu(Menu_ArchivioDrive);

    Menu_ArchivioMotore = make_menu(this, "Menu_ArchivioMotore", "Archivio Motore");
    Menu_Carica_Motore = make_action(this, Menu_ArchivioMotore, "Menu_Carica_Motore", "Carica");
    Menu_Salva_Motore = make_action(this, Menu_ArchivioMotore, "Menu_Salva_Motore", "Salva");
    bar->addMenu(Menu_ArchivioMotore);

    Menu_Comandi = make_menu(this, "Menu_Comandi", "Comandi");
    Menu_CaricaDefault = make_action(this, Menu_Comandi, "Menu_CaricaDefault", "Carica i dati drive default");
    Menu_tar_sensor_pos = make_action(this, Menu_Comandi, "Menu_tar_sensor_pos", "Taratura Sensore Pos.");
    FlashWrite = make_action(this, Menu_Comandi, "FlashWrite", "Flash Write");
    bar->addMenu(Menu_Comandi);

    Menu_Opzioni1 = make_menu(this, "Menu_Opzioni1", "Opzioni");
    Menu_lingua = make_menu(this, "Menu_lingua", "Lingua");
    Group_lingua = new QActionGroup(this);
    Group_lingua->setExclusive(true);
    Menu_Italiano = make_action(this, Menu_lingua, "Menu_Italiano", "Italiano");
    Menu_Inglese = make_action(this, Menu_lingua, "Menu_Inglese", "Inglese");
    Menu_Francese = make_action(this, Menu_lingua, "Menu_Francese", "Francese");
    for (QAction* a : {Menu_Italiano, Menu_Inglese, Menu_Francese}) {
        a->setCheckable(true);
        Group_lingua->addAction(a);
    }
    Menu_Opzioni1->addMenu(Menu_lingua);
    Menu_TipoDrive1 = make_menu(this, "Menu_TipoDrive1", "Tipo drive");
    Group_tipo_drive = new QActionGroup(this);
    Group_tipo_drive->setExclusive(true);
    Menu_ORVEL1 = make_action(this, Menu_TipoDrive1, "Menu_ORVEL1", "ORVEL");
    Menu_PELSAN1 = make_action(this, Menu_TipoDrive1, "Menu_PELSAN1", "PELSAN");
    for (QAction* a : {Menu_ORVEL1, Menu_PELSAN1}) {
        a->setCheckable(true);
        Group_tipo_drive->addAction(a);
    }
    Menu_Opzioni1->addMenu(Menu_TipoDrive1);
    Menu_Autosalva1 = make_action(this, Menu_Opzioni1, "Menu_Autosalva1", "Auto salva");
    Menu_Autosalva1->setCheckable(true);
    bar->addMenu(Menu_Opzioni1);

    Menu_Printx = make_menu(this, "Menu_Printx", "Stampa");
    Menu_Stampa = make_action(this, Menu_Printx, "Menu_Stampa", "Stampa");
    Menu_AnteprimadiStampa = make_action(this, Menu_Printx, "Menu_AnteprimadiStampa", "Anteprima Stampa");
    bar->addMenu(Menu_Printx);

    Menu_Monitor = make_menu(this, "Menu_Monitor", "Monitor");
    Menu_MonitorI2t = make_action(this, Menu_Monitor, "Menu_MonitorI2t", "I2t");
    Menu_Terminal = make_action(this, Menu_Monitor, "Menu_Terminal", "Terminal");
    bar->addMenu(Menu_Monitor);

    Menu_Help = make_menu(this, "Menu_Help", "?");
    Menu_Password = make_action(this, Menu_Help, "Menu_Password", "Password");
    Menu_Ver_Drive = make_action(this, Menu_Help, "Menu_Ver_Drive", "Orvel Drive");
    bar->addMenu(Menu_Help);

    Menu_Exit = new QAction("Esci", this);
    Menu_Exit->setObjectName("Menu_Exit");
    bar->addAction(Menu_Exit);

    // Enabled once the first whole image of a drive has been read.
    for (QAction* a : {Menu_Salva_Drive, Menu_Salva_Motore, Menu_Stampa, Menu_AnteprimadiStampa})
        a->setEnabled(false);
}

void TForm_main::build_toolbar()
{
    Panel_toolbar = new QWidget(this);
    Panel_toolbar->setObjectName("Panel_toolbar");
    auto* row = new QHBoxLayout(Panel_toolbar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(1);
    QWidget* p = Panel_toolbar;
    BitBtn_open_dati_drive_def = make_button(p, row, "BitBtn_open_dati_drive_def", QStyle::SP_FileIcon);
    BitBtn_load_dati_drive = make_button(p, row, "BitBtn_load_dati_drive", QStyle::SP_DialogOpenButton);
    BitBtn_salva_dati_drive = make_button(p, row, "BitBtn_salva_dati_drive", QStyle::SP_DialogSaveButton);
    row->addSpacing(6);
    BitBtn_open_dati_motor_def = make_button(p, row, "BitBtn_open_dati_motor_def", QStyle::SP_FileIcon);
    BitBtn_load_dati_motor = make_button(p, row, "BitBtn_load_dati_motor", QStyle::SP_DirOpenIcon);
    BitBtn_salva_dati_motor = make_button(p, row, "BitBtn_salva_dati_motor", QStyle::SP_DriveFDIcon);
    row->addSpacing(6);
    BitBtn_preview = make_button(p, row, "BitBtn_preview", QStyle::SP_FileDialogContentsView);
    BitBtn_print = make_button(p, row, "BitBtn_print", QStyle::SP_FileDialogDetailedView);
    row->addSpacing(6);
    BitBtn_carica_default = make_button(p, row, "BitBtn_carica_default", QStyle::SP_DialogResetButton);
    BitBtn_invia = make_button(p, row, "BitBtn_invia", QStyle::SP_ArrowUp);
    BitBtn_tar_sensor_pos = make_button(p, row, "BitBtn_tar_sensor_pos", QStyle::SP_BrowserReload);
    BitBtn_pos_test = make_button(p, row, "BitBtn_pos_test", QStyle::SP_ArrowRight);
    BitBtn_pos_test->setEnabled(false);
    row->addSpacing(6);
    BitBtn_oscx = make_button(p, row, "BitBtn_oscx", QStyle::SP_ComputerIcon);
    BitBtn_oscx_open = make_button(p, row, "BitBtn_oscx_open", QStyle::SP_DirIcon);
    BitBtn_stato = make_button(p, row, "BitBtn_stato", QStyle::SP_MessageBoxWarning);
    row->addSpacing(6);
    Panel_ComboBox_porta = new QWidget(p);
    Panel_ComboBox_porta->setObjectName("Panel_ComboBox_porta");
    auto* port_row = new QHBoxLayout(Panel_ComboBox_porta);
    port_row->setContentsMargins(0, 0, 0, 0);
    ComboBox_porta_com = new QComboBox(Panel_ComboBox_porta);
    ComboBox_porta_com->setObjectName("ComboBox_porta_com");
    ComboBox_porta_com->setMinimumWidth(110);
    port_row->addWidget(ComboBox_porta_com);
    row->addWidget(Panel_ComboBox_porta);
    BitBtn_connect = make_button(p, row, "BitBtn_connect", QStyle::SP_MediaPlay);
    BitBtn_disconnect = make_button(p, row, "BitBtn_disconnect", QStyle::SP_MediaStop);
    BitBtn_disconnect->setEnabled(false);
    row->addStretch(1);

    // Enabled once the first whole image of a drive has been read.
    for (QToolButton* b : {BitBtn_preview, BitBtn_print, BitBtn_salva_dati_drive, BitBtn_salva_dati_motor, BitBtn_oscx})
        b->setEnabled(false);
}

void TForm_main::build_bus_toolbars()
{
    Panel_bus_toolbars = new QWidget(this);
    Panel_bus_toolbars->setObjectName("Panel_bus_toolbars");
    auto* bars = new QHBoxLayout(Panel_bus_toolbars);
    bars->setContentsMargins(2, 0, 2, 0);
    bars->setSpacing(2);
    QWidget* p = Panel_bus_toolbars;
    QHBoxLayout* r = nullptr;

    ToolBar_remoto_ctrl = make_bar(p, bars, "ToolBar_remoto_ctrl", r);
    SpeedButton_bus_remote = make_speed(ToolBar_remoto_ctrl, r, "SpeedButton_bus_remote", "Remote");
    SpeedButton_bus_remote->setEnabled(false);

    ToolBar_bus_power_operational = make_bar(p, bars, "ToolBar_bus_power_operational", r);
    QWidget* b = ToolBar_bus_power_operational;
    SpeedButton_bus_power = make_speed(b, r, "SpeedButton_bus_power", "Power");
    SpeedButton_bus_operative = make_speed(b, r, "SpeedButton_bus_operative", "Oper.");
    BitBtn_bus_reset_alarm = make_speed(b, r, "BitBtn_bus_reset_alarm", "Reset");
    BitBtn_bus_reset_alarm->setCheckable(false);
    SpeedButton_bus_halt = make_speed(b, r, "SpeedButton_bus_halt", "Halt");

    ToolBar_io_power_operational = make_bar(p, bars, "ToolBar_io_power_operational", r);
    b = ToolBar_io_power_operational;
    SpeedButton_io_I0_power = make_speed(b, r, "SpeedButton_io_I0_power", "I.0 Power");
    SpeedButton_io_I1_operative = make_speed(b, r, "SpeedButton_io_I1_operative", "I.1 Oper.");
    SpeedButton_io_I2_CW = make_speed(b, r, "SpeedButton_io_I2_CW", "I.2 CW");
    SpeedButton_io_I3_CCW = make_speed(b, r, "SpeedButton_io_I3_CCW", "I.3 CCW");
    SpeedButton_io_I4_input = make_speed(b, r, "SpeedButton_io_I4_input", "I.4 Input");
    SpeedButton_io_I5_reset_alarm = make_speed(b, r, "SpeedButton_io_I5_reset_alarm", "I.5 Reset");

    ToolBar_mdb_pos = make_bar(p, bars, "ToolBar_mdb_pos", r);
    b = ToolBar_mdb_pos;
    SpeedButton_mdb_pos_start_quota = make_speed(b, r, "SpeedButton_mdb_pos_start_quota", "Start");
    SpeedButton_mdb_pos_ass_relativ = make_speed(b, r, "SpeedButton_mdb_pos_ass_relativ", "Abs/Rel");
    SpeedButton_mdb_pos_jog_piu = make_speed(b, r, "SpeedButton_mdb_pos_jog_piu", "Jog+");
    SpeedButton_mdb_pos_jog_meno = make_speed(b, r, "SpeedButton_mdb_pos_jog_meno", "Jog-");
    SpeedButton_mdb_set_home = make_speed(b, r, "SpeedButton_mdb_set_home", "Home");

    ToolBar_mdb_grbx = make_bar(p, bars, "ToolBar_mdb_grbx", r);
    b = ToolBar_mdb_grbx;
    SpeedButton_mdb_grbx_start = make_speed(b, r, "SpeedButton_mdb_grbx_start", "Start");
    SpeedButton_mdb_grbx_res_enc = make_speed(b, r, "SpeedButton_mdb_grbx_res_enc", "Res. Enc.");
    SpeedButton_mdb_grbx_res_pos = make_speed(b, r, "SpeedButton_mdb_grbx_res_pos", "Res. Pos.");
    SpeedButton_mdb_grbx_sfasa = make_speed(b, r, "SpeedButton_mdb_grbx_sfasa", "Sfasa");

    ToolBar_can_pos = make_bar(p, bars, "ToolBar_can_pos", r);
    b = ToolBar_can_pos;
    SpeedButton_can_pos_start_quota = make_speed(b, r, "SpeedButton_can_pos_start_quota", "Start");
    SpeedButton_can_pos_ass_rel = make_speed(b, r, "SpeedButton_can_pos_ass_rel", "Abs/Rel");
    SpeedButton_can_pos_fly_change = make_speed(b, r, "SpeedButton_can_pos_fly_change", "Change");

    ToolBar_can_vel_mode = make_bar(p, bars, "ToolBar_can_vel_mode", r);
    b = ToolBar_can_vel_mode;
    SpeedButton_can_vel_mode_RFG_on_off = make_speed(b, r, "SpeedButton_can_vel_mode_RFG_on_off", "RFG");
    SpeedButton_can_vel_mode_lock_on_off = make_speed(b, r, "SpeedButton_can_vel_mode_lock_on_off", "Lock");
    SpeedButton_can_vel_mode_Ref_on_off = make_speed(b, r, "SpeedButton_can_vel_mode_Ref_on_off", "Ref");

    ToolBar_can_hp = make_bar(p, bars, "ToolBar_can_hp", r);
    SpeedButton_can_hp_start = make_speed(ToolBar_can_hp, r, "SpeedButton_can_hp_start", "Homing");

    ToolBar_can_grbx = make_bar(p, bars, "ToolBar_can_grbx", r);
    b = ToolBar_can_grbx;
    SpeedButton_can_grbx_start = make_speed(b, r, "SpeedButton_can_grbx_start", "Start");
    SpeedButton_can_grbx_res_enc = make_speed(b, r, "SpeedButton_can_grbx_res_enc", "Res. Enc.");
    SpeedButton_can_grbx_res_pos = make_speed(b, r, "SpeedButton_can_grbx_res_pos", "Res. Pos.");
    SpeedButton_can_grbx_sfasa = make_speed(b, r, "SpeedButton_can_grbx_sfasa", "Sfasa");
    bars->addStretch(1);

    // Jog+ and Jog- share one group: at most one of them is down.
    connect(SpeedButton_mdb_pos_jog_piu, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            SpeedButton_mdb_pos_jog_meno->setChecked(false);
    });
    connect(SpeedButton_mdb_pos_jog_meno, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            SpeedButton_mdb_pos_jog_piu->setChecked(false);
    });

    for (QWidget* bar : {ToolBar_bus_power_operational, ToolBar_mdb_pos, ToolBar_mdb_grbx, ToolBar_can_pos,
                         ToolBar_can_vel_mode, ToolBar_can_hp, ToolBar_can_grbx})
        bar->hide();
}

void TForm_main::build_monitor()
{
    Panel_monitor = new QWidget(this);
    Panel_monitor->setObjectName("Panel_monitor");
    // Two columns under the tree: the data monitor, and the inputs above the outputs.
    auto* columns = new QHBoxLayout(Panel_monitor);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(LAYOUT_GAP);
    auto* column = new QVBoxLayout;
    column->setSpacing(LAYOUT_GAP);
    auto* io_column = new QVBoxLayout;
    io_column->setSpacing(LAYOUT_GAP);
    columns->addLayout(column);
    columns->addLayout(io_column, 1);

    GroupBoxmonitor_dati = new QGroupBox("Monitor Dati", Panel_monitor);
    GroupBoxmonitor_dati->setObjectName("GroupBoxmonitor_dati");
    QWidget* g = GroupBoxmonitor_dati;
    auto* grid = new QGridLayout(g);
    grid->setContentsMargins(LAYOUT_GAP, LAYOUT_GAP, LAYOUT_GAP, LAYOUT_GAP);
    grid->setVerticalSpacing(2);
    Panel_taglia_drive_str = make_panel(g, "Panel_taglia_drive_str", "Taglia", false);
    Panel_taglia_drive = make_panel(g, "Panel_taglia_drive", "-----", true);
    Panel_crtl_type_str = make_panel(g, "Panel_crtl_type_str", "Modo", false);
    Panel_crtl_type = new QFrame(g);  // a panel whose two texts (bus, mode) size it
    Panel_crtl_type->setObjectName("Panel_crtl_type");
    Panel_crtl_type->setFrameShape(QFrame::Panel);
    Panel_crtl_type->setFrameShadow(QFrame::Sunken);
    Panel_str_speed = make_panel(g, "Panel_str_speed", "Velocità", false);
    Panel_speed = make_panel(g, "Panel_speed", "-----", true);
    Panel_vel_unit_mis = make_panel(g, "Panel_vel_unit_mis", "rpm", false);
    Panel_str_current = make_panel(g, "Panel_str_current", "Corrente", false);
    Panel_corr = make_panel(g, "Panel_corr", "-----", true);
    Panel_str_radtemp = make_panel(g, "Panel_str_radtemp", "Temp.", false);
    Panel_radtemp = make_panel(g, "Panel_radtemp", "-----", true);
    grid->addWidget(Panel_taglia_drive_str, 0, 0);
    grid->addWidget(Panel_taglia_drive, 0, 1, 1, 2);
    grid->addWidget(Panel_crtl_type_str, 1, 0);
    grid->addWidget(Panel_crtl_type, 1, 1, 1, 2);
    grid->addWidget(Panel_str_speed, 2, 0);
    grid->addWidget(Panel_speed, 2, 1);
    grid->addWidget(Panel_vel_unit_mis, 2, 2);
    grid->addWidget(Panel_str_current, 3, 0);
    grid->addWidget(Panel_corr, 3, 1);
    grid->addWidget(make_panel(g, "Panel_corr_unit", "A", false), 3, 2);
    grid->addWidget(Panel_str_radtemp, 4, 0);
    grid->addWidget(Panel_radtemp, 4, 1);
    grid->addWidget(make_panel(g, "Panel_radtemp_unit", "°C", false), 4, 2);

    GroupBox_pos_mis = new QGroupBox("Posizione (Giri/Offset)", g);
    GroupBox_pos_mis->setObjectName("GroupBox_pos_mis");
    auto* pos = new QVBoxLayout(GroupBox_pos_mis);
    pos->setContentsMargins(3, 3, 3, 3);
    pos->setSpacing(2);
    Panel_pos_giri_offset_mis = new QWidget(GroupBox_pos_mis);
    Panel_pos_giri_offset_mis->setObjectName("Panel_pos_giri_offset_mis");
    auto* turns_row = new QHBoxLayout(Panel_pos_giri_offset_mis);
    turns_row->setContentsMargins(0, 0, 0, 0);
    Panel_giri = make_panel(Panel_pos_giri_offset_mis, "Panel_giri", "-----", true);
    Panel_offset_giro = make_panel(Panel_pos_giri_offset_mis, "Panel_offset_giro", "-----", true);
    Panel_pos_unit_mis = make_panel(Panel_pos_giri_offset_mis, "Panel_pos_unit_mis", "Counts", false);
    turns_row->addWidget(Panel_giri);
    turns_row->addWidget(Panel_offset_giro);
    turns_row->addWidget(Panel_pos_unit_mis);
    Panel_pos_mis_var = new QWidget(GroupBox_pos_mis);
    Panel_pos_mis_var->setObjectName("Panel_pos_mis_var");
    auto* counts_row = new QHBoxLayout(Panel_pos_mis_var);
    counts_row->setContentsMargins(0, 0, 0, 0);
    Panel_pos_mis = make_panel(Panel_pos_mis_var, "Panel_pos_mis", "-----", true);
    counts_row->addWidget(Panel_pos_mis);
    pos->addWidget(Panel_pos_giri_offset_mis);
    pos->addWidget(Panel_pos_mis_var);
    grid->addWidget(GroupBox_pos_mis, 5, 0, 1, 3);
    column->addWidget(GroupBoxmonitor_dati);
    column->addStretch(1);

    GroupBox_Input = new QGroupBox("Input", Panel_monitor);
    GroupBox_Input->setObjectName("GroupBox_Input");
    Panel_Image_Input = new QWidget(GroupBox_Input);
    Panel_Image_Input->setObjectName("Panel_Image_Input");
    Image_Input = new ImageBox(Panel_Image_Input);
    Image_Input->setObjectName("Image_Input");
    compact(new QVBoxLayout(GroupBox_Input))->addWidget(Panel_Image_Input);
    Panel_Image_Input->setMinimumWidth(IO_IMAGE_MIN_WIDTH);
    io_column->addWidget(GroupBox_Input);

    GroupBox_Output = new QGroupBox("Output", Panel_monitor);
    GroupBox_Output->setObjectName("GroupBox_Output");
    Panel_Image_Output = new QWidget(GroupBox_Output);
    Panel_Image_Output->setObjectName("Panel_Image_Output");
    Image_Output = new ImageBox(Panel_Image_Output);
    Image_Output->setObjectName("Image_Output");
    compact(new QVBoxLayout(GroupBox_Output))->addWidget(Panel_Image_Output);
    Panel_Image_Output->setMinimumWidth(IO_IMAGE_MIN_WIDTH);
    io_column->addWidget(GroupBox_Output);
    io_column->addStretch(1);

    Panel_Image_Input->installEventFilter(this);
    Panel_Image_Output->installEventFilter(this);
}

void TForm_main::build_body()
{
    auto* central = new QWidget(this);
    central->setObjectName("Panel_main");
    auto* main_column = new QVBoxLayout(central);
    main_column->setContentsMargins(0, 0, 0, 0);
    main_column->setSpacing(0);

    build_toolbar();
    build_bus_toolbars();
    main_column->addWidget(Panel_toolbar);
    main_column->addWidget(Panel_bus_toolbars);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(2, 2, 2, 2);
    Splitter_menu_monitor = new QSplitter(Qt::Vertical, central);
    Splitter_menu_monitor->setObjectName("Splitter_menu_monitor");
    Splitter_menu_monitor->setChildrenCollapsible(false);
    GroupBox_menu = new QGroupBox("Menù", Splitter_menu_monitor);
    GroupBox_menu->setObjectName("GroupBox_menu");
    TreeView_menu = new QTreeWidget(GroupBox_menu);
    TreeView_menu->setObjectName("TreeView_menu");
    TreeView_menu->setHeaderHidden(true);
    TreeView_menu->setMinimumHeight(TREE_MIN_HEIGHT);
    compact(new QVBoxLayout(GroupBox_menu))->addWidget(TreeView_menu);
    build_monitor();
    Splitter_menu_monitor->addWidget(GroupBox_menu);
    Splitter_menu_monitor->addWidget(Panel_monitor);
    Splitter_menu_monitor->setStretchFactor(0, 1);
    Splitter_menu_monitor->setStretchFactor(1, 0);
    body->addWidget(Splitter_menu_monitor, 0);

    const PageArea area = Treectrl_build_page_area(central, "Dati Azionamento");
    GroupBox_dati_drive = area.group;
    ScrollBox_Menu = area.scroll;
    ScrollBox_Menu_host = area.host;
    body->addWidget(GroupBox_dati_drive, 1);
    main_column->addLayout(body, 1);

    Panel_debug = new QWidget(central);
    Panel_debug->setObjectName("Panel_debug");
    main_column->addWidget(Panel_debug);
    auto* debug_bar = new QHBoxLayout(Panel_debug);
    debug_bar->setContentsMargins(0, 0, 0, 0);
    BitBtn_F6 = new QPushButton(QStringLiteral("F6"), Panel_debug);
    BitBtn_F6->setObjectName("BitBtn_F6");
    debug_bar->addWidget(BitBtn_F6);
    debug_bar->addStretch(1);
    Panel_filedat_flashx = new QWidget(central);
    Panel_filedat_flashx->setObjectName("Panel_filedat_flashx");
    main_column->addWidget(Panel_filedat_flashx);
    build_flash_controls();

    PanelMainStb = new QWidget(central);
    PanelMainStb->setObjectName("PanelMainStb");
    PanelMainStb->setFixedHeight(STATUS_BAR_HEIGHT);
    main_column->addWidget(PanelMainStb);
    setCentralWidget(central);
}

void TForm_main::connect_handlers()
{
    connect(Timer_com, &QTimer::timeout, this, [this] { Timer_comTimer(); });
    connect(Timer_ctrl, &QTimer::timeout, this, [this] { Timer_ctrlTimer(); });
    connect(BitBtn_connect, &QToolButton::clicked, this, [this] { BitBtn_connectClick(); });
    connect(BitBtn_disconnect, &QToolButton::clicked, this, [this] { BitBtn_disconnectClick(); });
    // Only the user's choice: refills of the list must not rewrite the saved port.
    connect(ComboBox_porta_com, &QComboBox::activated, this, [this](int) { ComboBox_porta_comChange(); });
    connect(TreeView_menu, &QTreeWidget::currentItemChanged, this, [this] { TreeView_menuChange(); });
    connect(TreeView_menu, &QTreeWidget::itemClicked, this, [this] { TreeView_menuClick(); });
    connect(Group_lingua, &QActionGroup::triggered, this, [this](QAction* a) {
        Menu_languageClick(a == Menu_Italiano ? 0 : a == Menu_Inglese ? 1 : 2);
    });
    connect(Menu_Exit, &QAction::triggered, this, [this] { Menu_ExitClick(); });
}

bool TForm_main::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == Panel_Image_Input)
            Panel_Image_InputResize();
        else if (watched == Panel_Image_Output)
            Panel_Image_OutputResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- creation ----

void TForm_main::FormCreate()
{
    Frm_output_build_size_tables();
    CurrentSizeTable = SizeTableOrvel;
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Normal);
    Ser_mode_changed.store(1);
    Oscx_set_sort_signals(ScopeCatalogueOrvel, &ScopeCatalogueOrvelCount);
    Oscx_set_sort_signals(ScopeCataloguePelsan, &ScopeCataloguePelsanCount);
    ScopeFamilyCatalogue[0] = {ScopeCatalogueOrvel, ScopeCatalogueOrvelCount};
    ScopeFamilyCatalogue[1] = {ScopeCataloguePelsan, ScopeCataloguePelsanCount};
    ScopeSignalTable = ScopeFamilyCatalogue[1];  // until the family of the settings is applied
    Sortdat_sort(PrtDat, PRT_DAT_COUNT);
    Sortdat_sort(MdbDat, MDB_DAT_COUNT);
    Sortdat_sort(CanDat, CAN_DAT_COUNT);
    DriveDeviceId.store(DRIVE_TYPE_ORVEL);
    LoadSettings();
    OutputRows[0] = 2;
    OutputRows[1] = 3;
    BuiltBusType[0] = 0xFFFF;
    BuiltBusType[1] = 0xFFFF;
    std::memset(PageStateArea, 0xFF, sizeof PageStateArea);
    Seriale_poll_ports(Tick_ms());
    Main_fill_port_box();
    Serrx_record_handover(true);  // the records are read here: received data is committed by the display tick
    Seriale_init_link();
    SettingsBlock.baud = FORCED_BAUD;
    Settings_publish_link();
}

// ---- first showing ----

void TForm_main::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (show_posted_)
        return;
    show_posted_ = true;
    // The size from the settings (the window is placed at it as it appears).
    if (SettingsBlock.main_height > 0 && SettingsBlock.main_width > 0)
        resize(SettingsBlock.main_width, SettingsBlock.main_height);
    // The rest runs once the window is on screen, so the splash shows over it.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TForm_main::FormShow()
{
    QAction* const languages[3] = {Menu_Italiano, Menu_Inglese, Menu_Francese};
    languages[Lang_index()]->setChecked(true);
    (Settings_second_family() ? Menu_PELSAN1 : Menu_ORVEL1)->setChecked(true);
    Menu_Terminal->setVisible(false);
    Panel_debug->setVisible(false);
    Menu_Monitor->menuAction()->setVisible(false);
    FlashWrite->setVisible(false);
    Panel_filedat_flashx->setVisible(false);

    QPointer<TForm_main> self(this);
    auto* splash = new TForm_Splash(this);
    splash->exec();  // closes itself after SplashDurationMs and deletes itself
    if (!self)
        return;

    if (CommandLine == QLatin1String(SERVICE_SWITCH)) {
        AccessFlags = Access::Reserved | Access::FlashWrite | Access::Remote;
        Menu_Monitor->menuAction()->setVisible(true);
    } else {
        AccessFlags = 0;
    }
    if (AccessFlags & Access::FlashWrite)
        FlashWrite->setVisible(true);

    InitPageTree(TreeView_menu, DrivePageRoots, 0);
    if (TreeView_menu->topLevelItemCount() > 0)
        TreeView_menu->setCurrentItem(TreeView_menu->topLevelItem(0));
    SelectPage(PageContext.load(), ScrollBox_Menu_host);

    PrintPage = {};
    PrintPage.printer_count = static_cast<uint16_t>(Print_printer_count());
    if (PrintPage.printer_count != 0)
        PrintPage.printer_index = static_cast<uint16_t>(Print_default_printer());

    Menu_Autosalva1->setChecked(Settings_auto_save());
    Ser_link_flags.fetch_or(LinkFlag::Connect);

    if (QScreen* s = screen(); s != nullptr && qRound(s->logicalDotsPerInch()) != SCREEN_DPI) {
        for (QLabel* l : {Panel_speed, Panel_corr, Panel_giri, Panel_offset_giro, Panel_pos_mis, Panel_radtemp}) {
            QFont f = l->font();
            f.setPointSize(MONITOR_FONT_SMALL);
            l->setFont(f);
        }
    }

    UpdateCommandButtons(0);
    ShowControlType();
    Main_io_image_layout(Image_Input, IoGeometryInput, "I.0", INPUT_ROWS, GroupBox_Input);
    Main_io_image_layout(Image_Output, IoGeometryOutput, "O.0", OutputRows[Settings_second_family() ? 1 : 0],
                         GroupBox_Output);

    ApplyLanguage(Lang_index());
    Stbarx_free(MainStb);
    MainStb = new Stbarx(PanelMainStb, MainStbPanes, 1);
    Timer_com->start();
    Timer_ctrl->start();
    shown_done_ = true;
}

// ---- closing ----

void TForm_main::closeEvent(QCloseEvent* event)
{
    if (closing_) {  // already closed (the quit below closes every window once more)
        event->accept();
        return;
    }
    int action = 0;
    FormClose(action);
    if (action == 0) {
        event->ignore();
        return;
    }
    event->accept();
    // The terminal and alarm windows are top-level too: end the program explicitly.
    QCoreApplication::quit();
}

void TForm_main::FormClose(int& action)
{
    CloseRequested = 1;
    if (Form_Oscx)
        Form_Oscx->close();
    if (ToolsEntries.pos_test_close != nullptr)
        ToolsEntries.pos_test_close();  // restores the drive; the close waits for its writes
    if (Form_monitor_I2t)
        delete Form_monitor_I2t.data();
    if (WritePending) {
        action = 0;
        return;
    }
    action = AskSaveData();
    if (action != 2) {
        CloseRequested = 0;  // the close was refused: a later acknowledged write must not retry it
        return;
    }
    Main_release_remote();  // a drive under the program's control gets it back before the port closes
    closing_ = true;
    Timer_com->stop();
    Timer_ctrl->stop();
    Seriale_close();
    SettingsBlock.main_height = static_cast<uint16_t>(height());
    SettingsBlock.main_width = static_cast<uint16_t>(width());
    SaveSettings();
    Print_list_clear_lines();
    Print_list_clear_marks();
    PageNode* node = CurrentPageNode[0];
    CurrentPageNode[0] = nullptr;
    if (node != nullptr && node->PageDestroy != nullptr)
        node->PageDestroy(0);
    if (Form_monitor_I2t)
        delete Form_monitor_I2t.data();
    Stbarx_free(MainStb);
}

int TForm_main::AskSaveData()
{
    // The data-modified flag is raised by the display tick; check now so that an edit committed
    // just before is asked about.
    Main_check_data_modified();
    const bool answers = Ser_link_flags.load() & LinkFlag::Answers;
    const bool modified = DriveUiFlags.load() & UiFlag::Modified;
    if (!answers || Settings_auto_save() || !modified)
        return 2;
    const unsigned l = Lang_index();
    const MsgButton b = Msgbox_show({MsgIcon::Question, Msgbox_title(l), SAVE_QUESTION[l], MsgYes | MsgNo | MsgCancel});
    if (b == MsgYes)
        return Main_send_all_and_save() ? 2 : 0;
    if (b == MsgNo)
        return 2;
    return 0;
}

void TForm_main::CompleteDeferredClose()
{
    if (!WritePending)
        return;
    const bool can_complete = Ser_port.is_open() && Ser_tx_state.load() == LinkState::Run &&
                              (Ser_link_flags.load() & LinkFlag::Answers) &&
                              Tick_diff(Tick_ms(), WriteStartMs) < DEFERRED_CLOSE_MS;
    if (!can_complete) {
        WritePending = 0;
        CloseRequested = 0;  // a dropped deferral does not close the window later
        return;
    }
    if (WriteReplyFlag != 1)
        return;
    const uint16_t queued = Seriale_count();
    if (queued > 1 || (queued == 1 && !ScopeCaptureOn.load()))
        return;
    WritePending = 0;
    if (CloseRequested) {
        CloseRequested = 0;
        close();
    }
}

void TForm_main::Menu_ExitClick()
{
    close();
}
