#pragma once
// The main window: menus, tool buttons, port box, page tree and page host, monitor panels, LED
// images, status-bar panel and the two 30 ms timers; start-up, connect/disconnect, page hosting,
// caption and language.
#include <cstdint>
#include <string>

#include <QMainWindow>
#include <QPointer>
#include <QString>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDate;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QMenu;
class QScrollArea;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class ImageBox;
class Stbarx;
struct PageNode;
struct StbarPane;

// Geometry of an LED image: row height, image width, label width.
struct IoGeometry {
    uint16_t row_height = 0;
    uint16_t image_width = 0;
    uint16_t label_width = 0;
};

class TForm_main : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_main(QWidget* parent = nullptr);
    ~TForm_main() override;

    // ---- lifecycle (Main.cpp) ----
    void FormCreate();
    void FormShow();
    // action: 0 none (the window stays), 2 go on (the window closes).
    void FormClose(int& action);
    int AskSaveData();
    void CompleteDeferredClose();
    void Menu_ExitClick();
    // The control timer's tick (drive-state dialogs); filled by the control-timer unit.
    void Timer_ctrlTimer();
    bool form_shown() const { return shown_done_; }

    // ---- link (Main_link.cpp) ----
    void OpenLink(uint8_t mode);
    void CloseLink();
    void BitBtn_connectClick();
    void BitBtn_disconnectClick();
    void ComboBox_porta_comChange();
    void Panel_ComboBox_portaResize();
    void UpdateMainDisplay();
    // Refills the port box from the current port list, keeping the settings' port selected.
    void Main_fill_port_box();

    // ---- pages and language (Main_pages.cpp) ----
    void SelectPage(uint16_t context, QWidget* parent);
    void RefreshCurrentPage();
    // The page tree of context 0 after a change of the image's bus type: with a page open and the
    // bus type other than the tree's, the first node is selected, the tree rebuilt and the page
    // reopened (true); otherwise the tree is only rebuilt when needed (false).
    bool Main_rebuild_bus_pages();
    void SetPageTreeTexts(uint16_t context, uint8_t language);
    void ApplyCaptionAndVersion();
    void ApplyLanguage(uint8_t language);
    void TreeView_menuChange();
    void TreeView_menuClick();
    void Menu_languageClick(uint8_t language);

    // ---- command buttons and family switch ----
    // The drive command buttons (remote, power, operation, simulated inputs); their unit fills
    // UpdateCommandButtons and Main_bus_enable_step.
    void UpdateCommandButtons(uint8_t ready);
    void Main_bus_enable_step();
    void Main_family_from_drive();

    // ---- widgets ----
    // Menus.
    QMenu* Menu_ArchivioDrive = nullptr;
    QAction* Menu_Carica_Drive = nullptr;
    QAction* Menu_Salva_Drive = nullptr;
    QMenu* Menu_ArchivioMotore = nullptr;
    QAction* Menu_Carica_Motore = nullptr;
    QAction* Menu_Salva_Motore = nullptr;
    QMenu* Menu_Comandi = nullptr;
    QAction* Menu_tar_sensor_pos = nullptr;
    QAction* Menu_CaricaDefault = nullptr;
    QAction* FlashWrite = nullptr;
    QMenu* Menu_Opzioni1 = nullptr;
    QAction* Menu_Autosalva1 = nullptr;
    QMenu* Menu_lingua = nullptr;
    QActionGroup* Group_lingua = nullptr;
    QAction* Menu_Italiano = nullptr;
    QAction* Menu_Inglese = nullptr;
    QAction* Menu_Francese = nullptr;
    QMenu* Menu_TipoDrive1 = nullptr;
    QActionGroup* Group_tipo_drive = nullptr;
    QAction* Menu_ORVEL1 = nullptr;
    QAction* Menu_PELSAN1 = nullptr;
    QMenu* Menu_Printx = nullptr;
    QAction* Menu_Stampa = nullptr;
    QAction* Menu_AnteprimadiStampa = nullptr;
    QMenu* Menu_Monitor = nullptr;
    QAction* Menu_MonitorI2t = nullptr;
    QAction* Menu_Terminal = nullptr;
    QMenu* Menu_Help = nullptr;
    QAction* Menu_Password = nullptr;
    QAction* Menu_Ver_Drive = nullptr;
    QAction* Menu_Exit = nullptr;

    // File dialog titles (the dialogs are created when used).
    QString OpenDialog_open_motor;
    QString OpenDialog_open_drive;
    QString SaveDialog_dati_drive;
    QString SaveDialog_dati_motor;

    // Main tool bar.
    QWidget* Panel_toolbar = nullptr;
    QToolButton* BitBtn_open_dati_drive_def = nullptr;
    QToolButton* BitBtn_load_dati_drive = nullptr;
    QToolButton* BitBtn_salva_dati_drive = nullptr;
    QToolButton* BitBtn_open_dati_motor_def = nullptr;
    QToolButton* BitBtn_load_dati_motor = nullptr;
    QToolButton* BitBtn_salva_dati_motor = nullptr;
    QToolButton* BitBtn_preview = nullptr;
    QToolButton* BitBtn_print = nullptr;
    QToolButton* BitBtn_carica_default = nullptr;
    QToolButton* BitBtn_invia = nullptr;
    QToolButton* BitBtn_tar_sensor_pos = nullptr;
    QToolButton* BitBtn_pos_test = nullptr;  // enabled while the link is ready
    QToolButton* BitBtn_oscx = nullptr;
    QToolButton* BitBtn_oscx_open = nullptr;
    QToolButton* BitBtn_stato = nullptr;
    QWidget* Panel_ComboBox_porta = nullptr;
    QComboBox* ComboBox_porta_com = nullptr;
    QToolButton* BitBtn_connect = nullptr;
    QToolButton* BitBtn_disconnect = nullptr;

    // Drive command tool bars (every speed button is checkable).
    QWidget* Panel_bus_toolbars = nullptr;
    QWidget* ToolBar_remoto_ctrl = nullptr;
    QToolButton* SpeedButton_bus_remote = nullptr;
    QWidget* ToolBar_bus_power_operational = nullptr;
    QToolButton* SpeedButton_bus_power = nullptr;
    QToolButton* SpeedButton_bus_operative = nullptr;
    QToolButton* BitBtn_bus_reset_alarm = nullptr;
    QToolButton* SpeedButton_bus_halt = nullptr;
    QWidget* ToolBar_io_power_operational = nullptr;
    QToolButton* SpeedButton_io_I0_power = nullptr;
    QToolButton* SpeedButton_io_I1_operative = nullptr;
    QToolButton* SpeedButton_io_I2_CW = nullptr;
    QToolButton* SpeedButton_io_I3_CCW = nullptr;
    QToolButton* SpeedButton_io_I4_input = nullptr;
    QToolButton* SpeedButton_io_I5_reset_alarm = nullptr;
    QWidget* ToolBar_mdb_pos = nullptr;
    QToolButton* SpeedButton_mdb_pos_start_quota = nullptr;
    QToolButton* SpeedButton_mdb_pos_ass_relativ = nullptr;
    QToolButton* SpeedButton_mdb_pos_jog_piu = nullptr;
    QToolButton* SpeedButton_mdb_pos_jog_meno = nullptr;
    QToolButton* SpeedButton_mdb_set_home = nullptr;
    QWidget* ToolBar_mdb_grbx = nullptr;
    QToolButton* SpeedButton_mdb_grbx_start = nullptr;
    QToolButton* SpeedButton_mdb_grbx_res_enc = nullptr;
    QToolButton* SpeedButton_mdb_grbx_res_pos = nullptr;
    QToolButton* SpeedButton_mdb_grbx_sfasa = nullptr;
    QWidget* ToolBar_can_pos = nullptr;
    QToolButton* SpeedButton_can_pos_start_quota = nullptr;
    QToolButton* SpeedButton_can_pos_fly_change = nullptr;
    QToolButton* SpeedButton_can_pos_ass_rel = nullptr;
    QWidget* ToolBar_can_vel_mode = nullptr;
    QToolButton* SpeedButton_can_vel_mode_RFG_on_off = nullptr;
    QToolButton* SpeedButton_can_vel_mode_lock_on_off = nullptr;
    QToolButton* SpeedButton_can_vel_mode_Ref_on_off = nullptr;
    QWidget* ToolBar_can_hp = nullptr;
    QToolButton* SpeedButton_can_hp_start = nullptr;
    QWidget* ToolBar_can_grbx = nullptr;
    QToolButton* SpeedButton_can_grbx_start = nullptr;
    QToolButton* SpeedButton_can_grbx_res_enc = nullptr;
    QToolButton* SpeedButton_can_grbx_res_pos = nullptr;
    QToolButton* SpeedButton_can_grbx_sfasa = nullptr;

    // Page tree and page host. The tree takes the height the monitor panels leave; the splitter
    // moves the boundary between them.
    QSplitter* Splitter_menu_monitor = nullptr;
    QGroupBox* GroupBox_menu = nullptr;
    QTreeWidget* TreeView_menu = nullptr;
    QGroupBox* GroupBox_dati_drive = nullptr;
    QScrollArea* ScrollBox_Menu = nullptr;
    // Page host inside ScrollBox_Menu, the parent handed to PageCreate: a page frame created in
    // it joins its layout.
    QWidget* ScrollBox_Menu_host = nullptr;

    // Monitor panels ("Monitor Dati"). Created with the window; Main_monitor_layout sizes them.
    QWidget* Panel_monitor = nullptr;
    QGroupBox* GroupBoxmonitor_dati = nullptr;
    QLabel* Panel_taglia_drive_str = nullptr;
    QLabel* Panel_taglia_drive = nullptr;
    QLabel* Panel_crtl_type_str = nullptr;
    QFrame* Panel_crtl_type = nullptr;
    QLabel* Panel_str_speed = nullptr;
    QLabel* Panel_speed = nullptr;
    QLabel* Panel_vel_unit_mis = nullptr;
    QLabel* Panel_str_current = nullptr;
    QLabel* Panel_corr = nullptr;
    QLabel* Panel_str_radtemp = nullptr;
    QLabel* Panel_radtemp = nullptr;
    QGroupBox* GroupBox_pos_mis = nullptr;
    QWidget* Panel_pos_giri_offset_mis = nullptr;  // turns, position within the turn, unit
    QLabel* Panel_giri = nullptr;
    QLabel* Panel_offset_giro = nullptr;
    QLabel* Panel_pos_unit_mis = nullptr;
    QWidget* Panel_pos_mis_var = nullptr;  // the counts line
    QLabel* Panel_pos_mis = nullptr;
    // LED images: the picture of each image is drawn by Main_draw_io.
    QGroupBox* GroupBox_Input = nullptr;
    QWidget* Panel_Image_Input = nullptr;
    ImageBox* Image_Input = nullptr;
    QGroupBox* GroupBox_Output = nullptr;
    QWidget* Panel_Image_Output = nullptr;
    ImageBox* Image_Output = nullptr;

    // Service panels, hidden at the first showing.
    QWidget* Panel_debug = nullptr;
    QPushButton* BitBtn_F6 = nullptr;  // debug tool bar: the zeroing check dialog
    void BitBtn_F6Click();
    QWidget* Panel_filedat_flashx = nullptr;
    // Its firmware controls: the file panel, drive reset, program, reload of the settings' file.
    ImageBox* Image_file_flash = nullptr;
    QToolButton* BitBtn_Reset = nullptr;
    QToolButton* BitBtn_prog = nullptr;
    QToolButton* BitBtn_load = nullptr;

    // Status-bar host.
    QWidget* PanelMainStb = nullptr;

    QTimer* Timer_com = nullptr;
    QTimer* Timer_ctrl = nullptr;

    // Number of drive outputs shown per family (first, second).
    uint16_t OutputRows[2] = {2, 3};

    // ---- display (Stbarcmx/Main_panes/Main_display) ----
    // Display timer, monitor panels, LED images and status panes. Implemented in
    // Main_display.cpp / Main_panes.cpp; members below may be extended by those files only.
    void Timer_comTimer();
    void UpdateMonitorNormal();
    void UpdateMonitorBoot();
    void UpdateDriveStateIndex();
    // The scope window's status pane with the active colours (after its pane 4).
    void OscxDrawCmpStatus(uint8_t active);
    void Main_monitor_layout();
    void Main_monitor_values(uint8_t mode);
    void Main_draw_io(uint8_t mode);
    void Main_io_image_layout(ImageBox* image, IoGeometry& geometry, const QString& sample, uint16_t rows,
                              QGroupBox* group);
    void Panel_Image_InputResize();
    void Panel_Image_OutputResize();
    void Main_repaint_other_bars();
    void Main_close_drive_dialogs();
    void Main_close_e2p_chks_if_lost();
    void Main_close_e2p_offset_if_lost();
    void Main_show_link_wait();
    IoGeometry IoGeometryInput;
    IoGeometry IoGeometryOutput;
    uint32_t BaudShown = 0;  // baud rate last shown; OpenLink stores ~Ser_baud to force a repaint
    // Main bar panes by index.
    static constexpr uint16_t MAIN_PANE_LINK = 0, MAIN_PANE_DRIVE = 1, MAIN_PANE_STATE = 2, MAIN_PANE_DC_BUS = 3,
                              MAIN_PANE_FIRMWARE = 4, MAIN_PANE_AUTO_SAVE = 5;
    // Status bars of the windows opened on demand: each window stores its bar here while the bar
    // exists and clears it when the bar goes (the terminal's bar is TerminalStb).
    enum OtherBar : uint8_t {
        BarSendDrive, BarSendMotor, BarTarPosSensor, BarArchive, BarLoadMotor, BarOscx, BarOscxPid, BarFlash,
        BarPosQuoteTest, BarComOff, BarAzzeraEnc, BarAzzeraEncAbs, BarTarCog, BarCogData, OTHER_BAR_COUNT
    };
    Stbarx* OtherStb[OTHER_BAR_COUNT] = {};
    // Drive-state dialogs, closed when the drive is lost; null while not open.
    QPointer<QWidget> Form_com_off;
    QPointer<QWidget> Form_e2p_chks;
    QPointer<QWidget> Form_e2p_offset_er;
    // Display state: drive size and voltage class shown, bus type and sub-type of the LED images,
    // the two blink stamps (ms) and the firmware progress count last drawn.
    uint8_t SizeShown[2] = {0xFF, 0xFF};
    uint16_t IoBusShown = 0xFFFF;
    uint16_t IoSubShown = 0xFFFF;
    uint32_t BlinkErrorMs = 0;
    uint32_t BlinkAlarmMs = 0;
    uint32_t FlashCountShown = 0;
    // ---- end display ----

    // ---- files and transfers (Main_files.cpp; owned by the data-files work) ----
    // Connects the drive data commands (buttons and menu items). Called once by the constructor;
    // later calls do nothing.
    void Main_files_connect();
    void BitBtn_salva_dati_driveClick();
    void BitBtn_load_dati_driveClick();
    void BitBtn_carica_defaultClick();
    void BitBtn_tar_sensor_posClick();
    void BitBtn_statoClick();
    // The enable rule of the drive commands (UpdateEditState).
    void Main_apply_drive_commands(uint8_t edit_state);
    // Opens the archive window on slot 1 (loaded or defaulted by the caller) with PageContext 1,
    // then PageContext 0, the edit state recomputed and the main page refreshed.
    void Main_open_archive();
    // Drive data folder (absolute), created when missing.
    QString Main_drive_folder() const;
    bool files_connected_ = false;
    // ---- end files ----

    // ---- drive control (Main_control.cpp, Main_buttons.cpp; owned by the drive-control work) ----
    // Connects the drive command buttons and the drive-type items to their handlers and creates
    // the bus and control-type panels. Called once by the constructor; later calls do nothing.
    void Main_control_connect();

    // Control timer (Main_control.cpp). Each opens its window modally with Timer_ctrl stopped.
    void Main_ctrl_drive_dialogs();
    void Main_ctrl_flash_window();
    // Closes the tool windows that must not stay under the link-incompatible window. True while a
    // counted window was open: closed now, or still open because it refused to close (it is not
    // asked again; the caller waits until it is gone).
    bool Main_close_tool_windows();
    // Drive lost (link ready before, not now): command buttons off, power requests and the stored
    // power/run bits dropped, queued remote, input and control-word commands removed.
    void Main_ctrl_link_lost();
    // Before the port closes (disconnect, program end): a drive under the program's control gets
    // control word 0, inputs off and control back (function 3 value 1); the queue may drain for up
    // to 500 ms. Nothing while remote control is off.
    void Main_release_remote();

    // Drive command buttons and tool bars (Main_buttons.cpp). The click handlers read the button's
    // state after the click; the test bench calls them after setting the button.
    void SpeedButton_bus_remoteClick();
    void SpeedButton_bus_powerClick();
    void SpeedButton_bus_operativeClick();
    void SpeedButton_bus_haltClick();
    void BitBtn_bus_reset_alarmClick();
    // Simulated input n (0..5): SimInputMask bit n := the button's state, then drive function 4.
    void SpeedButton_io_inputClick(uint8_t n);
    // A mode button of the six mode tool bars: its bit of the control word := the button's state.
    void Main_ctrl_word_buttonClick(QToolButton* button);
    // Tool bars by bus type and control mode (UpdateEditState).
    void ArrangeBusToolbars();
    void Main_hide_bus_toolbars();
    void Main_show_can_toolbar();
    void Main_show_mdb_toolbar();
    // Bus type and control-type texts (UpdateEditState).
    void ShowControlType();
    QLabel* Panel_bus_control_type = nullptr;
    QLabel* Panel_crtl_type_dat = nullptr;

    // Family switch (Main_family.cpp).
    void Menu_ORVEL1Click();
    void Menu_PELSAN1Click();
    // The family of the settings applied to the global tables and to a page tree (and, with the
    // main window, to its output image, page and caption).
    static void Main_apply_brand(QTreeWidget* tree);
    // ---- end drive control ----

    // ---- menus and tool windows (Main_menus.cpp; owned by the menus work) ----
    // Binds every command of the menus and the tool bar to its handler, one QAction per command
    // (a tool button triggers its command's action), then Main_menus_update. Called once by the
    // constructor; later calls do nothing.
    void Main_menus_connect();
    // Enables the commands whose windows or services are registered and disables the others
    // (commands that wait for the first image are only disabled here). Call after registering.
    void Main_menus_update();
    void BitBtn_open_dati_drive_defClick();
    void BitBtn_open_dati_motor_defClick();
    void BitBtn_load_dati_motorClick();
    void BitBtn_salva_dati_motorClick();
    void BitBtn_previewClick();
    void BitBtn_printClick();
    void BitBtn_inviaClick();
    void BitBtn_oscxClick();
    void BitBtn_oscx_openClick();
    // Creates the positioning test bench when none is open, and shows it.
    void BitBtn_pos_testClick();
    void FlashWriteClick();
    void BitBtn_ResetClick();
    void BitBtn_progClick();
    void BitBtn_loadClick();
    void Menu_PasswordClick();
    void Menu_Ver_DriveClick();
    void Menu_MonitorI2tClick();
    void Menu_Autosalva1Click();
    void Menu_TerminalClick();
    // Print (mode 0) or preview (mode 1) of the connected drive's data set.
    void Main_print(uint8_t mode);
    // Actions of the commands that have a tool button only.
    QAction* Act_open_dati_drive_def = nullptr;
    QAction* Act_open_dati_motor_def = nullptr;
    QAction* Act_invia = nullptr;
    QAction* Act_oscx = nullptr;
    QAction* Act_oscx_open = nullptr;
    bool menus_connected_ = false;
    // ---- end menus ----

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    void build_flash_controls();
    void build_toolbar();
    void build_bus_toolbars();
    void build_monitor();
    void build_body();
    void connect_handlers();

    bool show_posted_ = false;
    bool shown_done_ = false;
    bool closing_ = false;
};

extern TForm_main* Form_main;

// The main status bar, null before the first showing and after closing.
extern Stbarx* MainStb;
// The main bar's six panes, null-terminated (display unit, Main_panes.cpp).
extern StbarPane* const MainStbPanes[];

// Windows created on demand, reached through these pointers; null while the window is not open.
extern QPointer<QWidget> Form_Oscx;          // oscilloscope
extern QPointer<QWidget> Form_monitor_I2t;   // i2t monitor
extern QPointer<QWidget> Form_FlashSH;       // firmware update (its port box: "ComboBox_porta_com")
// What the firmware update gives the main window's firmware controls (null until registered; the
// buttons stay disabled without them).
struct MainFlashEntriesRec {
    void (*reset_drive)() = nullptr;                // Flashcom_mot_reset_drive
    void (*start_prog)() = nullptr;                 // Flashsh7047_start_prog
    void (*load_file)() = nullptr;                  // Flashsh7047_load_file of the settings' path
    void (*draw_file_panel)(ImageBox*) = nullptr;  // Flashctrl_draw_file_panel
};
extern MainFlashEntriesRec MainFlashEntries;

// ---- lifecycle state ----
extern QString CommandLine;       // the arguments after the program name, joined by single blanks
extern uint8_t CloseRequested;
extern uint8_t WritePending;      // a write whose end the close waits for
extern uint8_t WriteReplyFlag;    // 1: the pending write completed
extern uint32_t WriteStartMs;     // Tick_ms when the write was started
constexpr const char* SERVICE_SWITCH = "-S";  // grants every access level at start
constexpr uint32_t SPLASH_MS = 2000;
constexpr uint32_t DEFERRED_CLOSE_MS = 2000;

// Elapsed ms from `since` to `now` on the wrapping ms clock.
inline uint32_t Main_elapsed(uint32_t now, uint32_t since) { return now - since; }

// Sends the whole working copy and saves (Yes of the save question). True only when the send
// finished; until the send dialog exists it sends nothing and returns false.
bool Main_send_all_and_save();

// ---- pages ----
// On/Off label of a check box of the pages.
void Main_set_check_on_off(QCheckBox* box, QLabel* label, bool on);
uint8_t Main_get_check_on_off(QCheckBox* box, QLabel* label);
// Day and month in two digits, year plain, joined by the system's date separator.
QString Main_date_text(const QDate& date);

// The message of a port that did not open: the setting error, then the system's reason (errno
// err, none when 0) and, for a port in use or not permitted, what to do about it.
QString Main_port_error_text(int err, const std::string& port);

// ---- what the shell's dialogs reach of the main window (nothing while there is none) ----
// A dialog's status bar, repainted with the main window's; detached only while it is still that bar.
void Main_attach_bar(TForm_main::OtherBar which, Stbarx* bar);
void Main_detach_bar(TForm_main::OtherBar which, const Stbarx* bar);
// A drive-state dialog of the main window (Form_e2p_chks, ...), registered unless one is open.
void Main_register_dialog(QPointer<QWidget> TForm_main::*slot, QWidget* dialog);
void Main_close_link();
void Main_select_page(uint16_t context, QWidget* host);
QTreeWidget* Main_page_tree();
// Access granted by a password: the Flash Write item, the Monitor menu.
void Main_show_flash_write();
void Main_show_monitor_menu();
