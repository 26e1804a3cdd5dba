#pragma once
// The scope's sample stream and ring: the compressed four-channel stream of the drive, its
// decoder and predictor, the ring the receive thread fills and the scope window empties, and the
// received-frame-length average shown as the link load.
//
// Threads: only the receive thread writes the stream state and the ring's write index; the GUI
// owns the read index (the receive thread pushes it on only when the ring is full) and asks for a
// restart through ScopeStream.restart. The receive thread never waits for the GUI: a window that
// falls a whole ring behind finds its slots rewritten, checks every copy it takes
// (Scope_ring_copy) and never moves the read index back behind a push (Scope_ring_consumed).
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr unsigned SCOPE_CHANNELS = 4;

// ---- field widths of the stream, by 2-bit code ----
struct ScopeStreamWidth {
    uint32_t limit;  // exclusive magnitude limit of the encoder, 0: none
    uint8_t width;   // bits
    uint8_t code;
};
extern const ScopeStreamWidth ScopeStreamWidths[4];

// Decodes one sample at the cursor (bit index into buf) from the first `available` bytes.
// True with the four raw residuals and the cursor past the sample; false, cursor unchanged,
// while the sample is not followed by at least one more bit of the buffer.
bool ScopeStreamDecode(const uint8_t* buf, uint32_t* bit_position, int32_t out[SCOPE_CHANNELS],
                       uint16_t available);

// ---- sample ring ----
// Twice the longest record (40,001 samples) and two: a record replayed at its completion is
// never overwritten by the samples that arrived behind it.
constexpr uint32_t SCOPE_RING_SLOTS = 80004;

struct ScopeSample {
    int32_t ch[SCOPE_CHANNELS];
};

// A slot the receive thread may rewrite while the window reads it.
struct ScopeRingSlot {
    std::atomic<int32_t> ch[SCOPE_CHANNELS];
};

struct ScopeSampleRingRec {
    ScopeRingSlot slot[SCOPE_RING_SLOTS];
    std::atomic<uint32_t> write_index{0};  // receive thread only
    std::atomic<uint32_t> read_index{0};   // GUI; pushed on by the writer when the ring is full
};
extern ScopeSampleRingRec ScopeSampleRing;

// GUI: slot i as it stood when the write index was w (the caller's reading of it). False when the
// receive thread has come round to the slot since: the copy may mix two samples.
bool Scope_ring_copy(uint32_t i, uint32_t w, ScopeSample& out);
// GUI: the read index moved on from `from` (where the caller found it) to `to`, unless the
// receive thread pushed it at least as far meanwhile.
void Scope_ring_consumed(uint32_t from, uint32_t to);

uint32_t Fz_cmp_add_mod(uint32_t a, uint32_t b, uint32_t m);       // a + b, less m once
uint32_t Fz_cmp_sub_mod(uint32_t a, uint32_t b, uint32_t m);       // a - b, plus m once
uint32_t Fz_cmp_ring_distance(uint32_t w, uint32_t r, uint32_t m);  // steps from r forward to w
// Receive thread: write index += n modulo SCOPE_RING_SLOTS.
void Fz_cmp_ring_advance(uint32_t n);
// GUI: drops what waits (read index up to the write index; only the receive thread writes the
// write index), zeroes the trigger's sample count and notes the slot it left the read index at.
void Fz_cmp_ring_reset();

// Working values of the scope trigger (GUI thread only).
struct ScopeTriggerStateRec {
    uint8_t state = 0;            // 0 armed, 1 collecting, 2 complete
    uint32_t sample_counter = 0;  // samples taken since arming
    uint32_t pretrigger_count = 0;
    float level = 0.0f;
    uint8_t first_search = 0;
    uint8_t forced_live = 0;
    uint32_t reset_index = 0;     // read index the last ring reset left: the first search's own slot
};
extern ScopeTriggerStateRec ScopeTriggerState;

// ---- stream state ----
constexpr std::size_t SCOPE_CARRY_SIZE = 4000;

namespace ScopeReply {
constexpr uint8_t SliceMask = 0x0F;
constexpr uint8_t Overflow = 0x10;      // the drive's sample buffer overflowed: sampling ends
constexpr uint8_t StatusWanted = 0x40;  // the PC is to ask for the full status
}  // namespace ScopeReply

struct ScopeStreamState {
    std::atomic<uint8_t> reply_flags{0};  // flags of the last data reply; the scope window clears bit 4
    std::atomic<uint8_t> restart{0};      // set by a capture start until its reply resets the stream
    uint8_t carry[SCOPE_CARRY_SIZE];      // received stream bytes not yet decoded
    uint16_t carry_len;
    uint32_t bit_position;                // decoder cursor in carry, in bits
    uint16_t position;                    // stream bytes received, modulo the modulus
    uint16_t modulus;                     // from the capture-start reply
    uint16_t scale;                       // current scale from the capture-start reply
    int32_t history[3][SCOPE_CHANNELS];   // [0] x[n-1], [1] x[n-2], [2] x[n-3]
};
extern ScopeStreamState ScopeStream;

// Receive thread: clears history, cursor, carry and position (the capture-start reply).
void Scope_stream_reset();
// Receive thread: appends n stream bytes to the carry, decodes every whole sample into the ring
// (Serrx_scope_rebuild) and keeps the rest. A carry that would overflow is dropped with the data.
void Scope_stream_take(const uint8_t* data, std::size_t n);

// ---- link load ----
// 16.16 exponential average of received frame lengths, called by the receive thread for every
// accepted frame with its length stored just before in FrameLengthLast.
extern std::atomic<uint32_t> FrameLengthLast;
void FrameLengthAverage();
uint16_t Frame_length_average_value();
void Frame_length_average_reset();
extern std::atomic<uint16_t> ScopeLoadShown;  // the scope window's last drawn load, 65535 forces a redraw
