#pragma once
// What the drive link and the main window share with the oscilloscope: the sample ring, the
// compressed-stream state, the signal catalogues, the scope settings the capture start sends, the
// signal generator, the capture flags and the oscilloscope's entries. The oscilloscope window
// builds on the same data.
//
// Threads: the receive thread writes the ring, the stream state and the signal scales; the GUI
// reads the ring through its read index and writes settings, generator values and the capture
// flags.
#include <atomic>
#include <cstddef>
#include <cstdint>

// ---- sample ring, stream state and decoder ----
#include "link/Scope_link_core.h"

// ---- signal catalogue ----
// One signal the drive can sample. num and den of the current rows are written by the receive
// thread at each capture start: read and write them through Scope_signal_num/den.
struct ScopeSignal {
    uint16_t code;                   // drive code; its low byte goes out in the capture start
    uint16_t group;                  // 0 common, 1 inputs and outputs, 2 CANopen, 3 Modbus
    const char* const* group_names;  // three texts by language
    const char* const* names;        // three texts by language
    char unit[10];                   // rotary motor
    char linear_unit[10];            // linear motor
    uint32_t num;                    // physical value = raw x num / den
    uint32_t den;
    uint32_t current;                // 1: num and den follow the drive's current scale
    int32_t max;                     // limits of a channel's scale edits
    int32_t min;
    int32_t default_max;             // a channel's scale when the signal is chosen
    int32_t default_min;
    uint32_t decimals;
};

inline uint32_t Scope_signal_num(const ScopeSignal& s)
{
    return std::atomic_ref<const uint32_t>(s.num).load(std::memory_order_relaxed);
}
inline uint32_t Scope_signal_den(const ScopeSignal& s)
{
    return std::atomic_ref<const uint32_t>(s.den).load(std::memory_order_relaxed);
}
inline void Scope_signal_set_ratio(ScopeSignal& s, uint32_t num, uint32_t den)
{
    std::atomic_ref<uint32_t>(s.num).store(num, std::memory_order_relaxed);
    std::atomic_ref<uint32_t>(s.den).store(den, std::memory_order_relaxed);
}

struct ScopeSignalTableRec {
    ScopeSignal* entries = nullptr;
    uint16_t count = 0;
};
extern ScopeSignalTableRec ScopeSignalTable;
// Catalogues of the first and the second family, filled by the main window's creation; the
// family switch makes the family's one current. An empty catalogue leaves the current one in place.
extern ScopeSignalTableRec ScopeFamilyCatalogue[2];

// The signal at a channel's index in the current catalogue; null when the index is at or beyond
// its count (the channel then counts as signal 0 until a signal is picked).
const ScopeSignal* Scope_signal_at(uint16_t index);

// ---- scope settings ----
struct ScopeChannel {
    int32_t scale_max;
    int32_t scale_min;
    uint32_t colour;
    uint8_t flags;
    uint8_t unused1;
    uint16_t signal_index;  // into the current catalogue
    uint16_t signal_code;
    uint8_t decimals;
    uint8_t unused2;
};
static_assert(sizeof(ScopeChannel) == 20);

struct ScopeSettingsRec {
    ScopeChannel channel[SCOPE_CHANNELS];
    float marker[2];
    int32_t trigger_scale_max;
    int32_t trigger_scale_min;
    uint8_t trigger_decimals;
    uint8_t unused1[3];
    uint32_t record_length;
    uint8_t trigger_flags;
    uint8_t unused2;
    uint8_t trigger_channel;
    uint8_t trigger_type;
    uint8_t axis_left;
    uint8_t axis_right;
    uint16_t sample_time;  // sampling-time index, period = index + 1 ms
};
static_assert(sizeof(ScopeSettingsRec) == 112);
extern ScopeSettingsRec ScopeSettings;

// ---- signal generator ----
// Field ids on the link: 1 on/off, 2 waveform, 3..5 the three items.
struct SignalGeneratorRec {
    std::atomic<uint8_t> on{0};
    std::atomic<uint8_t> waveform{0};
    std::atomic<uint16_t> item[3]{};  // items 3, 4, 5
    // Copies of the values last sent to the drive.
    std::atomic<uint8_t> sent_on{0};
    std::atomic<uint8_t> sent_waveform{0};
    std::atomic<uint16_t> sent_item[3]{};
};
extern SignalGeneratorRec SignalGenerator;
constexpr uint8_t GEN_WAVEFORM_LAST = 5;  // 0..2 on the speed reference, 3..5 on the current reference

// ---- capture flags ----
extern std::atomic<uint8_t> ScopeCaptureOn;  // a capture runs
extern std::atomic<uint8_t> OscxPidOpen;     // the regulator panel is open

// ---- entries of the oscilloscope ----
// What the oscilloscope provides to the link and to the main window, installed by the
// oscilloscope at start-up. Until then every entry is null and its callers skip it.
struct ScopeEntriesRec {
    // Refreshes the open oscilloscope window for a new catalogue.
    void (*apply_channels)() = nullptr;
    // Redraws the open oscilloscope window's status pane (1: the active colours, whatever the blink).
    void (*draw_cmp_status)(uint8_t active) = nullptr;
};
extern ScopeEntriesRec ScopeEntries;
// Calls ScopeEntries.apply_channels when installed.
void Oscx_apply_channels();
// Calls ScopeEntries.draw_cmp_status when installed.
void Oscx_draw_cmp_status(uint8_t active);
