// Main window state flags: EditStateFlags, StatusShown, the data-modified check, the enable rules
// of related controls and the first-alarm code.
#include "shell/Mainstate.h"

#include <cstring>

#include "drivedata/Record.h"
#include "drivedata/Utx.h"
#include "link/Link_state.h"
#include "link/Sertx.h"
#include "shell/Main.h"
#include "shell/Main_menus.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Treectrl.h"

uint8_t EditStateFlags = 0;
uint8_t AccessFlags = 0;
Drive_status StatusShown{};
uint8_t& MainStatusShadow = StatusShown.outputs;
DriveSizeReadRec DriveSizeRead{};

DiagramEntriesRec DiagramEntries;

void Main_enable_drive_commands(uint8_t edit_state)
{
    if (Form_main != nullptr)
        Form_main->Main_apply_drive_commands(edit_state);
}

void Main_arrange_bus_toolbars()
{
    if (Form_main != nullptr)
        Form_main->ArrangeBusToolbars();
}

void Main_show_control_type()
{
    if (Form_main != nullptr)
        Form_main->ShowControlType();
}

void ApplyBrand(QTreeWidget* tree)
{
    TForm_main::Main_apply_brand(tree);
}

namespace {

constexpr uint16_t STATUS_BITS = StatusBit::State5 | StatusBit::State6;
constexpr uint16_t BUS_REMOTE_OFF = 1u << 9;  // field-bus status word: the drive ignores the program
constexpr uint8_t FIRST_ALARM_BITS = 26;
const QColor ColourEnabled(0x00, 0x00, 0x00);         // clWindowText
const QColor ColourDisabled(0xBF, 0xCD, 0xDB);        // clInactiveCaption

// Inputs of the last recomputation.
uint8_t last_control_mode = 0;
uint16_t last_bus_type = 0;

// The main window's drive command buttons and control-type texts.
void main_window_follow(uint8_t edit_state)
{
    Main_enable_drive_commands(edit_state);
    Main_show_control_type();
}

void set_ui_flag(uint8_t bit, bool on)
{
    if (on)
        DriveUiFlags.fetch_or(bit);
    else
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~bit));
}

void set_page_access(PageNode* node, uint8_t state)
{
    if (node != nullptr && node->PageSetAccess != nullptr)
        node->PageSetAccess(state);
}

ControlEnable enable(bool on)
{
    return {on, on ? ColourEnabled : ColourDisabled};
}

}  // namespace

void Main_status_shown_invalidate()
{
    std::memset(&StatusShown, 0xFF, sizeof StatusShown);
}

void UpdateEditState(uint8_t mode)
{
    if (mode == EditMode::Reset) {
        EditStateFlags = 0;
        set_page_access(CurrentPageNode[0], 0);
        set_page_access(Main_popup_page(), 0);
        Main_arrange_bus_toolbars();
        main_window_follow(0);
        return;
    }

    const Drive_status status = Drive_status_get();
    const uint16_t bus_type = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType);
    const bool remote = (status.bus_status & BUS_REMOTE_OFF) == 0;
    const bool unchanged = ((status.status_word ^ StatusShown.status_word) & STATUS_BITS) == 0 &&
                           ((DriveUiFlags.load() & UiFlag::Remote) != 0) == remote &&
                           status.control_mode == last_control_mode && bus_type == last_bus_type;
    if (unchanged && mode != EditMode::Force)
        return;

    StatusShown.status_word =
        static_cast<uint16_t>((StatusShown.status_word & ~STATUS_BITS) | (status.status_word & STATUS_BITS));
    last_control_mode = status.control_mode;
    last_bus_type = bus_type;

    set_ui_flag(UiFlag::FieldBus, bus_type != 0);
    set_ui_flag(UiFlag::Remote, remote);
    Main_arrange_bus_toolbars();

    const uint16_t shown = StatusShown.status_word;
    EditStateFlags = static_cast<uint8_t>(((Ser_link_flags.load() & LinkFlag::Ready) ? EditState::Linked : 0) |
                                          ((shown & StatusBit::State5) ? EditState::Status5 : 0) |
                                          ((shown & StatusBit::State6) ? EditState::Status6 : 0) |
                                          ((DriveUiFlags.load() & UiFlag::Remote) ? EditState::Remote : 0));

    set_page_access(CurrentPageNode[0], EditStateFlags);
    if (PageContext.load() == 0)
        set_page_access(Main_popup_page(), EditStateFlags);
    main_window_follow(EditStateFlags);
}

void Main_check_data_modified()
{
    if (!(Ser_data_flags.load() & DataFlag::ListReads) || !(Ser_link_flags.load() & LinkFlag::Answers))
        return;
    if (Settings_auto_save() || (DriveUiFlags.load() & UiFlag::Modified))
        return;
    if (Utx_mem_differ(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE)) {
        DriveUiFlags.fetch_or(UiFlag::Modified);
        Stbarx_repaint(MainStb);
    }
}

std::array<ControlEnable, 3> Main_enable_by_state3(uint8_t state)
{
    if (PageContext.load() != 0)
        return {enable(true), enable(true), enable(true)};
    if (!(state & EditState::Linked))
        return {enable(false), enable(false), enable(false)};
    if (!(state & EditState::Status5))
        return {enable(true), enable(true), enable(true)};
    return {enable(false), enable(!(state & EditState::Status6)), enable(true)};
}

std::array<ControlEnable, 2> Main_enable_by_state2(uint8_t state)
{
    if (PageContext.load() != 0)
        return {enable(true), enable(true)};
    if (!(state & EditState::Linked))
        return {enable(false), enable(false)};
    return {enable(!(state & EditState::Status5)), enable(true)};
}

uint8_t Main_first_alarm_of(uint32_t alarm_word)
{
    if (alarm_word == 0)
        return 0;
    for (uint8_t n = 0; n < FIRST_ALARM_BITS; ++n) {
        const uint32_t bit = 1u << n;
        if (alarm_word & bit)
            return (DRIVE_ALARM_MASK & bit) ? static_cast<uint8_t>(n + 128) : n;
    }
    return FIRST_ALARM_BITS;
}

uint8_t Main_first_alarm()
{
    return Main_first_alarm_of(Drive_status_get().alarm_word);
}

PageNode* Main_popup_page()
{
    return DiagramEntries.popup_page != nullptr ? DiagramEntries.popup_page() : nullptr;
}

void ShellState::reset()
{
    AccessFlags = 0;
    EditStateFlags = 0;
    CloseRequested = 0;
    WritePending = 0;
    WriteReplyFlag = 0;
    CommandLine.clear();
    CurrentPageNode[0] = CurrentPageNode[1] = nullptr;
    MotorEditCopy = MotorEditRef = MotorRecord{};
}

void ShellState::install()
{
    StateResets.upper = &ShellState::reset;
}
