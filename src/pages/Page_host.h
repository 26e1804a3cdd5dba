#pragma once
// What a page unit offers the page tree (its six entry points) and what it uses of the main
// window (the host). The shell hands its host to Pages_install at start-up; until then every
// host entry is null and the pages skip what it would do.
#include <cstdint>

#include <QString>

struct FactorApplicationRec;
class QCheckBox;
class QColor;
class QLabel;
class QWidget;

struct PageSize {
    int32_t height;
    int32_t width;
};

// Entry points of a page; a null entry point is not called.
using PageCreateFn = void (*)(uint8_t context, QWidget* parent);
using PageContextFn = void (*)(uint8_t context);
using PageSetAccessFn = void (*)(uint8_t edit_state);
using PageGetSizeFn = void (*)(uint8_t context, PageSize* size);

struct PageEntryPoints {
    PageCreateFn create;
    PageContextFn destroy;
    PageContextFn refresh;
    PageContextFn set_language;
    PageSetAccessFn set_access;
    PageGetSizeFn get_size;
};

// The page units that Pages_install puts into their nodes, named after the units.
enum class PageUnit : uint8_t {
    field_bus,
    motore,
    pid_vel,
    pid_cor,
    pid_pos,
    taglia_drive,
    mot_feedback,
    mdb_factor,
    cands402_factor,
    limiti,
    filtro_notch,
    fpb_iq,
    inout_control,
    mdb_control,
    setup_avanzato,
    mem_alarm,
    test_i2t,
    output,
    soglie_tensione,
    modo_allarmi,
    resistenza_fren,
    fan_ctrl,
    input_flt,
    mdb_gearbox,
    cands402_gearbox,
    mdb_gearbox_aggc,
    cands402_gearbox_aggc,
    mdb_gearbox_sgnc,
    cands402_gearbox_sgnc,
    mdb_pos,
    cands402_position,
    mdb_pos_ctrl,
    mdb_pos_par,
    cands402_pos_crtl,
    mdb_pos_hp,
    cands402_homing,
    mdb_pos_in1_tac,
    cands402_pos_in1_tac,
    mdb_pos_jog,
    cands402_interp,
    cands402_stm,
    mdb_stm,
    cands402_ctrl,
    mdb_ctrl,
    cands301,
    cands301_dat_com,
    cands301_emerg_store,
    cands301_rpdo_map,
    cands301_tpdo_map,
    mdb_speed_main,
    mdb_speed_aux,
    mdb_speed_rampe,
    mdb_torque,
    cands402_torque,
    cands402_profile_vel,
    cands402_velocity_mode,
    mdb_ctrl_var,
    cands402_ctrl_var,
    mdb_input,
    cands402_input,
};

// The tool windows a page opens through the shell's window registry (ToolWin kinds of the same
// names): zeroing check, encoder zeroing, absolute-encoder zeroing, cogging confirmation, cogging
// acquisition, cogging table view.
enum class PageTool : uint8_t { AzzeraEncCk, AzzeraEnc, AzzeraEncAbs, TarCogCk, TarCog, CogDat };

// An open or save dialog asked of the shell (Filedlg_run's FileDialogSpec).
struct PageFileDialog {
    QString title;
    QString folder;  // initial folder (absolute)
    QString filter;  // "Factor files (*.ftl)|*.ftl"
    QString suffix;  // default extension of a save
    bool save = false;
};

struct PageHostRec {
    // Puts a unit's entry points into its page node.
    void (*install)(PageUnit unit, const PageEntryPoints& entries) = nullptr;
    // EditStateFlags of the main window.
    uint8_t (*edit_state)() = nullptr;
    void (*monitor_layout)() = nullptr;                        // Form_main->Main_monitor_layout()
    void (*enable_drive_commands)(uint8_t edit_state) = nullptr;  // Main_enable_drive_commands
    void (*build_page_tree)(uint8_t context) = nullptr;         // BuildPageTree
    uint8_t (*wait_queue)(uint16_t threshold) = nullptr;        // Formdattxrx_wait_queue
    void (*mark_image_display)() = nullptr;                     // Main_mark_image_display
    void (*set_check_on_off)(QCheckBox* box, QLabel* label, bool on) = nullptr;
    uint8_t (*get_check_on_off)(QCheckBox* box, QLabel* label) = nullptr;
    // Main_enable_by_state2: enabled flags and font colours of two related controls.
    void (*enable_by_state2)(uint8_t edit_state, bool enabled[2], QColor colour[2]) = nullptr;
    bool (*second_family)() = nullptr;  // Settings_second_family
    uint8_t (*access_flags)() = nullptr;  // AccessFlags
    // The registry's factory of a tool window exists / creates the window (null without one).
    bool (*tool_available)(PageTool tool) = nullptr;
    QWidget* (*tool_create)(PageTool tool, QWidget* parent) = nullptr;
    // The unit-factor application records of page contexts 0 and 1 (SettingsBlock.factor).
    FactorApplicationRec* factor_records = nullptr;
    // The drive-data folder (DriveDataFolder), created when missing; empty when there is none.
    QString (*data_folder)() = nullptr;
    // Filedlg_run: the chosen absolute file name, empty when cancelled.
    QString (*file_dialog)(QWidget* parent, const PageFileDialog& spec) = nullptr;
    // Main_enable_by_state3: the same for three related controls.
    void (*enable_by_state3)(uint8_t edit_state, bool enabled[3], QColor colour[3]) = nullptr;
    // Name of drive alarm bit `bit` (0-31) in `language` (AlarmTexts, UTF-8); null for another bit.
    const char* (*alarm_text)(int bit, unsigned language) = nullptr;
    // MainStatusShadow = complement of the status block's outputs: the I/O display redraws.
    void (*mark_io_display)() = nullptr;
    // The drive alarm's name (AlarmTexts) in LanguageIndex; null for an alarm number out of range.
    const char* (*alarm_name)(uint16_t alarm) = nullptr;
    // Marks the main window's status display for repainting (MainStatusShadow = ~outputs).
    void (*mark_status_display)() = nullptr;
};
extern PageHostRec PagesHost;

// EditStateFlags through the host; 0 without one.
uint8_t Page_edit_state();
