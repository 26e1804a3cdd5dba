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

// ---- sample ring ----
constexpr uint32_t SCOPE_RING_SLOTS = 40002;
constexpr unsigned SCOPE_CHANNELS = 4;

struct ScopeSample {
    int32_t ch[SCOPE_CHANNELS];
};

struct ScopeSampleRingRec {
    ScopeSample slot[SCOPE_RING_SLOTS];
    std::atomic<uint32_t> write_index{0};  // receive thread
    std::atomic<uint32_t> read_index{0};   // GUI timers; pushed on by the writer when caught up
    std::atomic<uint32_t> fill{0};         // samples held, SCOPE_RING_SLOTS once full
};
extern ScopeSampleRingRec ScopeSampleRing;

// Advances the write index by n modulo SCOPE_RING_SLOTS and updates the fill count.
void Fz_cmp_ring_advance(uint32_t n);
// Empties the ring (capture start).
void Scope_ring_reset();

// ---- compressed sample stream ----
constexpr std::size_t SCOPE_STREAM_BUF = 512;

struct ScopeStreamState {
    uint8_t buf[SCOPE_STREAM_BUF];  // bytes not yet decoded, from buf[0]
    uint16_t leftover;              // bytes held in buf
    uint16_t position;              // stream position acknowledged to the drive
    uint16_t modulus;               // stream modulus from the capture-start reply
    uint16_t scaling;               // scaling value from the capture-start reply
    int32_t history[3][SCOPE_CHANNELS];  // previous values: [0] x1, [1] x2, [2] x3
    uint32_t bit_position;          // decoder position in buf, in bits
    std::atomic<uint16_t> trigger_mark{0};  // 65535 at the end of a capture
};
extern ScopeStreamState ScopeStream;

// Clears history, bit position, leftover and position (capture start).
void Scope_stream_reset();

// (a + b) mod m for a and b below m.
uint16_t Fz_cmp_add_mod(uint16_t a, uint16_t b, uint16_t m);

// Decodes one four-channel sample of differences from stream[0..count) starting at *bit_pos.
// True and *bit_pos advanced when a whole sample was there; false when the bytes left do not
// hold one. Calls ScopeEntries.stream_decode; false while it is not installed, so the link keeps
// the bytes for later.
bool ScopeStreamDecode(const uint8_t* stream, uint32_t* bit_pos, int32_t out[SCOPE_CHANNELS], uint16_t count);

// Moving average of received frame lengths; FrameLengthLast holds the length of the frame just
// accepted.
extern std::atomic<uint32_t> FrameLengthLast;
void FrameLengthAverage();
uint32_t Frame_length_average_value();

// ---- signal catalogue ----
struct ScopeSignal {
    uint16_t code;          // drive code; its low byte goes out in the capture start
    uint8_t scaled;         // 1: numerator and denominator follow the drive's scaling value
    uint8_t group;
    uint32_t numerator;
    uint32_t denominator;
    int32_t scale_max;
    int32_t scale_min;
    uint8_t decimals;
};

struct ScopeSignalTableRec {
    ScopeSignal* entries = nullptr;
    uint16_t count = 0;
};
extern ScopeSignalTableRec ScopeSignalTable;
// Catalogues of the first and the second family: the oscilloscope fills them when it prepares its
// tables; the family switch makes the family's one current. An empty catalogue leaves the current
// one in place.
extern ScopeSignalTableRec ScopeFamilyCatalogue[2];

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

// ---- capture flags ----
extern std::atomic<uint8_t> ScopeCaptureOn;  // a capture runs
extern std::atomic<uint8_t> ScopeGenLive;    // the regulator panel is open

// ---- entries of the oscilloscope ----
// What the oscilloscope provides to the link and to the main window, installed by the
// oscilloscope at start-up. Until then every entry is null and its callers skip it.
struct ScopeEntriesRec {
    // The stream format of ScopeStreamDecode (same contract).
    bool (*stream_decode)(const uint8_t* stream, uint32_t* bit_pos, int32_t out[SCOPE_CHANNELS],
                          uint16_t count) = nullptr;
    // Recomputes the motor-dependent scales of the signal catalogues and of the scope settings.
    void (*apply_scales)() = nullptr;
    // Refreshes the open oscilloscope window for a new catalogue.
    void (*apply_channels)() = nullptr;
};
extern ScopeEntriesRec ScopeEntries;
// Calls ScopeEntries.apply_channels when installed.
void Oscx_apply_channels();

// Calls ScopeEntries.apply_scales when installed; the main window calls it once after each
// whole-image read.
void Oscx_set_apply_scales();
