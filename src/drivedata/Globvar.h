#pragma once
// Globals shared by the link threads and the GUI: decoded drive status, identification, link and
// data flag bytes, link mode, and a few small program-wide values.
//
// Threads: the receive thread writes status and identification; the send thread writes link flags
// and the link mode; the GUI reads everything on its timers. Flag bytes are atomics: a writer sets a
// flag with release after the data it announces, a reader loads it with acquire before the data.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

// ---- program version ----
struct ProgramVersionRec {
    uint8_t major;
    uint8_t minor;
};
constexpr ProgramVersionRec ProgramVersion{3, 20};

// ---- decoded status block ----
constexpr std::size_t DRIVE_STATUS_BLOCK_LEN = 28;  // bytes on the link
constexpr uint16_t DRIVE_FW_NEW_STATUS = 0x309;     // firmware from which the new layout is used

// Drive status word bits used by the link.
namespace StatusBit {
constexpr uint16_t Boot = 1u << 0;         // the drive runs its boot loader
constexpr uint16_t BootState = 1u << 2;    // with Boot: keep polling the boot loader
constexpr uint16_t WritesHeld = 1u << 3;   // queued writes (commands 4, 6, 9) are held back
constexpr uint16_t Generator = 1u << 4;    // signal generator or input simulation active
constexpr uint16_t State5 = 1u << 5;       // drive state shown by the main window
constexpr uint16_t State6 = 1u << 6;
}  // namespace StatusBit

// The 28-byte status block in host order; the same record for both wire layouts.
struct Drive_status {
    uint16_t status_word;
    uint8_t outputs;        // output states, as sent
    uint8_t control_mode;   // control-mode index, as sent
    uint32_t alarm_word;    // DriveAlarmWord
    uint16_t bus_status;    // field-bus status word (6041h / register 0301h)
    uint16_t bus_second;    // field-bus second word
    int32_t speed;          // rpm
    int16_t current;
    int16_t voltage;        // DC bus, V
    int16_t turns;
    uint16_t turn_pos;      // position within the turn
    int16_t heat_sink;      // tenths of a degree Celsius
    uint8_t inputs[2];      // input states, as sent (never swapped)
};

// Alarm bits of DriveAlarmWord; the others are warnings.
constexpr uint32_t DRIVE_ALARM_MASK = 0x3F0384F;

// Replaces the whole decoded status (receive thread). Readers never see a half-written record.
void Drive_status_publish(const Drive_status& s);
// Consistent copy of the decoded status.
Drive_status Drive_status_get();
// The status word alone, without locking.
uint16_t Drive_status_word();
// Clears then sets bits of the status word (identification, boot poll).
void Drive_status_update_word(uint16_t clear_bits, uint16_t set_bits);

// ---- identification ----
constexpr std::size_t DRIVE_IDENT_LEN = 52;
constexpr uint32_t DRIVE_TYPE_ORVEL = 0xC0458;   // first family
constexpr uint32_t DRIVE_TYPE_PELSAN = 0xC0465;  // second family

namespace IdentFlag {
constexpr uint16_t BootLoader = 1u << 0;     // the boot loader answers
constexpr uint16_t BootCondition = 1u << 1;  // boot condition used by the firmware update
}  // namespace IdentFlag

// The identification block, numbers in host order.
struct DriveIdentRec {
    uint32_t ident1;
    uint32_t device_id;  // drive type
    uint32_t ident3;
    uint8_t fw_major;
    uint8_t fw_minor;
    uint16_t flags;      // IdentFlag bits
    char text[36];       // zero-terminated when shorter than 36
};
static_assert(sizeof(DriveIdentRec) == DRIVE_IDENT_LEN);

// Replaced whole by the receive thread at every identification reply (also one sent as a fence
// after a repeated request), before it announces it (Ser_link_flags bit 5, or the reply handed
// to the send thread, which then sets bit 2); readers take a whole copy under the writer's lock.
void Drive_ident_publish(const DriveIdentRec& ident);
DriveIdentRec Drive_ident_get();
// The firmware version of an identification as the program writes it: "M.mm".
std::string Drive_ident_version(const DriveIdentRec& ident);
extern char DriveNameText[32];  // identification text, at most 31 characters and a zero
extern char DriveSwText[32];    // "Software Vers: M.mm" of a drive in its operating firmware
// Live values of CANopen 1018h sub 2 and 3 (product code = drive type, revision = third number);
// the object dictionary refers to them like to record fields.
extern uint32_t CanIdentProductCode;
extern uint32_t CanIdentRevision;

extern std::atomic<uint16_t> DriveFwVersion;    // major << 8 | minor
extern std::atomic<uint16_t> DriveBootVersion;  // major << 8 | minor of the boot loader
extern std::atomic<uint32_t> DriveDeviceId;     // drive type of the connected (or assumed) drive

// ---- flag bytes ----
// Every bit of a flag byte is named here, with a check that no two names share a bit.

// True when no two of the masks share a bit.
constexpr bool Flag_bits_disjoint(std::initializer_list<uint8_t> masks)
{
    unsigned seen = 0;
    for (const uint8_t m : masks) {
        if (seen & m)
            return false;
        seen |= m;
    }
    return true;
}

// Ser_link_flags: the link's bits (LinkFlag) and the main window's (LinkUiFlag).
namespace LinkFlag {
constexpr uint8_t Answers = 1u << 0;        // a drive answers
constexpr uint8_t IdentReceived = 1u << 2;  // identification received in this connection
constexpr uint8_t Connect = 1u << 4;        // set by the main window at connect
constexpr uint8_t Ready = 1u << 5;          // compatible drive in its operating firmware, normal mode
}  // namespace LinkFlag
namespace LinkUiFlag {
constexpr uint8_t AnswerShown = 1u << 1;  // the drive's answer is shown
constexpr uint8_t ErrorBlink = 1u << 3;   // link-error blink phase
constexpr uint8_t ReadyShown = 1u << 6;   // the link-ready state has been handled
constexpr uint8_t AlarmBlink = 1u << 7;   // alarm blink phase
}  // namespace LinkUiFlag
static_assert(Flag_bits_disjoint({LinkFlag::Answers, LinkFlag::IdentReceived, LinkFlag::Connect, LinkFlag::Ready,
                                  LinkUiFlag::AnswerShown, LinkUiFlag::ErrorBlink, LinkUiFlag::ReadyShown,
                                  LinkUiFlag::AlarmBlink}));

// Ser_data_flags: the link's bits (DataFlag) and the main window's (DataUiFlag).
namespace DataFlag {
constexpr uint8_t ImageRead = 1u << 1;   // whole image read and committed
constexpr uint8_t ListReads = 1u << 2;   // parameter-list reads enabled
constexpr uint8_t AlarmMem = 1u << 3;    // alarm memory arrived
constexpr uint8_t InfoSub1 = 1u << 4;    // information sub-reply 1 arrived
constexpr uint8_t ProcReply = 1u << 6;   // a procedure sub-reply arrived
}  // namespace DataFlag
namespace DataUiFlag {
constexpr uint8_t AlarmShown = 1u << 0;  // an alarm is being shown
}  // namespace DataUiFlag
static_assert(Flag_bits_disjoint({DataFlag::ImageRead, DataFlag::ListReads, DataFlag::AlarmMem, DataFlag::InfoSub1,
                                  DataFlag::ProcReply, DataUiFlag::AlarmShown}));

// DriveUiFlags.
namespace UiFlag {
constexpr uint8_t Power = 1u << 0;
constexpr uint8_t Operative = 1u << 1;
constexpr uint8_t QuickStopHold = 1u << 2;
constexpr uint8_t Remote = 1u << 3;
constexpr uint8_t FieldBus = 1u << 4;
constexpr uint8_t Modified = 1u << 5;
constexpr uint8_t CalibVariant = 1u << 6;
constexpr uint8_t FreshStatus = 1u << 7;  // a status block was decoded
}  // namespace UiFlag
static_assert(Flag_bits_disjoint({UiFlag::Power, UiFlag::Operative, UiFlag::QuickStopHold, UiFlag::Remote,
                                  UiFlag::FieldBus, UiFlag::Modified, UiFlag::CalibVariant, UiFlag::FreshStatus}));

// FlashModeFlags.
namespace FlashModeFlag {
constexpr uint8_t Container = 1u << 0;    // a firmware container is loaded
constexpr uint8_t BootProgram = 1u << 1;  // the loaded S-record image is a boot-program image
constexpr uint8_t DriveKnown = 1u << 3;   // set by identification and whole-image read
}  // namespace FlashModeFlag
static_assert(Flag_bits_disjoint({FlashModeFlag::Container, FlashModeFlag::BootProgram, FlashModeFlag::DriveKnown}));

// FlashProgressFlags.
namespace FlashProgressFlag {
constexpr uint8_t Waiting = 1u << 0;   // link check before programming waits for the drive
constexpr uint8_t Answered = 1u << 1;  // the link check ended with the drive answering (not accepted)
constexpr uint8_t StartRequested = 1u << 2;   // container download: start requested
constexpr uint8_t BitRateAccepted = 1u << 3;  // boot loader: 57600 baud accepted
constexpr uint8_t BitRateRefused = 1u << 4;   // boot loader: bit rate refused
constexpr uint8_t KernelAccepted = 1u << 5;   // boot loader: first kernel accepted
constexpr uint8_t AllWritten = 1u << 7;       // every page written
}  // namespace FlashProgressFlag
static_assert(Flag_bits_disjoint({FlashProgressFlag::Waiting, FlashProgressFlag::Answered,
                                  FlashProgressFlag::StartRequested, FlashProgressFlag::BitRateAccepted,
                                  FlashProgressFlag::BitRateRefused, FlashProgressFlag::KernelAccepted,
                                  FlashProgressFlag::AllWritten}));

extern std::atomic<uint8_t> Ser_link_flags;
extern std::atomic<uint8_t> Ser_data_flags;
extern std::atomic<uint8_t> DriveUiFlags;
extern std::atomic<uint8_t> FlashModeFlags;
extern std::atomic<uint8_t> FlashProgressFlags;

// ---- link mode ----
namespace LinkMode {
constexpr uint8_t Flash = 0;   // firmware download
constexpr uint8_t Normal = 1;  // drive protocol
constexpr uint8_t Check = 2;   // link check before programming
}  // namespace LinkMode

extern std::atomic<uint8_t> Ser_link_mode_req;  // asked for by the GUI
extern std::atomic<uint8_t> Ser_link_mode;      // in force (send thread)
extern std::atomic<uint8_t> Ser_status_len;     // status block length, set by identification

// ---- small shared values ----
extern std::atomic<uint8_t> I2tTestActive;     // i2t test running (page sets, link clears)
extern std::atomic<uint8_t> FieldBusInfoByte;  // information sub-reply 7
extern uint8_t LanguageIndex;                  // 0 Italian, 1 English, 2 French (GUI thread)
// Index of the texts to show: LanguageIndex, English when it is out of range.
inline unsigned Lang_index() { return LanguageIndex < 3 ? LanguageIndex : 1; }

// The drive data's shared run state as at program start: flag bytes, link mode, decoded status,
// identification, the records and the small shared values (LanguageIndex excepted).
struct DriveDataState {
    static void reset();
};
