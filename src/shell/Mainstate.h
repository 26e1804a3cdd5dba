#pragma once
// State the main window keeps for the rest of the program: the access byte handed to every page
// (EditStateFlags), the service access bits, the status block as last shown (StatusShown), the
// data-modified check, the enable rule of related controls and the first-alarm code.
// DriveUiFlags itself is in drivedata/Globvar.h; it is written only with fetch_or and fetch_and
// because the receive thread sets its bit 7.
//
// Everything here runs on the GUI thread and works on plain globals, so it can run without the
// main window; the parts of the main window it updates are skipped while there is none.
#include <array>
#include <cstdint>

#include <QColor>

class QTreeWidget;

#include "drivedata/Globvar.h"

struct PageNode;

// EditStateFlags bits.
namespace EditState {
constexpr uint8_t Linked = 1u << 0;   // link ready
constexpr uint8_t Status5 = 1u << 1;  // drive status word bit 5
constexpr uint8_t Status6 = 1u << 2;  // drive status word bit 6
constexpr uint8_t Remote = 1u << 3;   // remote control active
}  // namespace EditState
extern uint8_t EditStateFlags;

// AccessFlags bits: raised by the service switch or the password dialog, cleared only at start.
namespace Access {
constexpr uint8_t Reserved = 1u << 0;    // reserved pages, Monitor menu, service-only controls
constexpr uint8_t FlashWrite = 1u << 1;  // Flash Write menu item
constexpr uint8_t Remote = 1u << 2;      // remote-control button
}  // namespace Access
extern uint8_t AccessFlags;

// The decoded status block as last shown or acted on. A field is shown again at the next tick
// when its twin holds the complement of the current value.
extern Drive_status StatusShown;
// The twin of the output byte; a page writes the complement of the shown value to force the
// input/output display to redraw.
extern uint8_t& MainStatusShadow;
// Fills StatusShown with 0xFF bytes (connect and disconnect): every field is shown anew.
void Main_status_shown_invalidate();

// Drive-size index and voltage class of the image last read (used for default data sets).
struct DriveSizeReadRec {
    uint8_t size_index;
    uint8_t voltage_class;
};
extern DriveSizeReadRec DriveSizeRead;

// UpdateEditState modes.
namespace EditMode {
constexpr uint8_t Reset = 0;     // link lost or closed
constexpr uint8_t Force = 1;     // recompute
constexpr uint8_t OnChange = 2;  // recompute only when an input changed
}  // namespace EditMode

// Recomputes EditStateFlags and DriveUiFlags bits 3 and 4 from the decoded status, the link flags
// and the connected drive's BusType, and hands the result to the open page of the main window,
// the diagram pop-up page, and the main window's drive command buttons, bus tool bars and
// control-type texts.
void UpdateEditState(uint8_t mode);

// Sets DriveUiFlags bit 5 when parameter-list reads run, a drive answers, auto-save is off and the
// working copy (slot 0) differs from the drive's last known content (slot 2); the main status bar
// is repainted then.
void Main_check_data_modified();

// Enabled flag and font colour of one of two or three related controls.
struct ControlEnable {
    bool enabled;
    QColor colour;  // window text when enabled, inactive caption when disabled
};
std::array<ControlEnable, 2> Main_enable_by_state2(uint8_t state);
std::array<ControlEnable, 3> Main_enable_by_state3(uint8_t state);

// Lowest set bit n of bits 0 to 25 of the alarm word, plus 128 when it is an alarm; 0 without any
// bit, 26 when only higher bits are set.
uint8_t Main_first_alarm_of(uint32_t alarm_word);
// The same for DriveAlarmWord of the decoded status.
uint8_t Main_first_alarm();

// ---- entries of the control diagrams ----
// Filled by the shell at start-up from the diagrams' unit; null until then, and no pop-up page
// follows the edit state or the language.
// The main window's parts that the state rules and the pages drive (nothing without a main window).
void Main_enable_drive_commands(uint8_t edit_state);  // Load Default, Send and calibration commands
void Main_arrange_bus_toolbars();
void Main_show_control_type();
// The drive-family switch applied to the global tables and to a page tree (null: tables only).
void ApplyBrand(QTreeWidget* tree);

struct DiagramEntriesRec {
    PageNode* (*popup_page)() = nullptr;  // the page node of the diagram pop-up, null while it is closed
};
extern DiagramEntriesRec DiagramEntries;
// The page node of the diagram pop-up; null while it is closed or without the entry.
PageNode* Main_popup_page();

// The shell's shared run state as at program start: access bits, the close and write-pending
// flags, the command line, the current page of each context, the motor edit copy. install()
// makes State_reset_all reset it too.
struct ShellState {
    static void reset();
    static void install();
};
