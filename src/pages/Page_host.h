#pragma once
// What a page unit offers the page tree (its six entry points) and what it uses of the main
// window (the host). The shell hands its host to Pages_install at start-up; until then every
// host entry is null and the pages skip what it would do.
#include <cstdint>

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
    field_bus, motore, pid_vel, pid_cor, pid_pos,
    mdb_gearbox, cands402_gearbox,
    mdb_gearbox_aggc, cands402_gearbox_aggc, mdb_gearbox_sgnc, cands402_gearbox_sgnc,
    mdb_pos, cands402_position,
    mdb_pos_ctrl, mdb_pos_par, cands402_pos_crtl,
    mdb_pos_hp, cands402_homing,
    mdb_pos_in1_tac, cands402_pos_in1_tac, mdb_pos_jog, cands402_interp,
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
};
extern PageHostRec PagesHost;

// EditStateFlags through the host; 0 without one.
uint8_t Page_edit_state();
