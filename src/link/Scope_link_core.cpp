// The scope's sample stream decoder, the sample ring and the link-load average.
#include "link/Scope_link_core.h"

#include <cstring>

#include "link/Serrx.h"

const ScopeStreamWidth ScopeStreamWidths[4] = {
    {8, 4, 0},
    {64, 7, 1},
    {512, 10, 2},
    {0, 32, 3},
};

ScopeSampleRingRec ScopeSampleRing;
ScopeTriggerStateRec ScopeTriggerState;
ScopeStreamState ScopeStream{};
std::atomic<uint32_t> FrameLengthLast{0};
std::atomic<uint16_t> ScopeLoadShown{0};

namespace {

constexpr unsigned CODE_BITS = 8;  // four 2-bit codes
constexpr uint32_t AVERAGE_NEW = 10000;
constexpr uint32_t AVERAGE_OLD = 55535;
std::atomic<uint32_t> frame_average{0};  // 16.16: integer part above, fraction below

// w bits (1..32) from bit position pos on, least significant first.
uint32_t read_bits(const uint8_t* buf, uint32_t pos, unsigned w)
{
    const unsigned shift = pos & 7u;
    const uint8_t* p = buf + (pos >> 3);
    const unsigned bytes = (shift + w + 7) / 8;
    uint64_t v = 0;
    for (unsigned i = 0; i < bytes; ++i)
        v |= uint64_t{p[i]} << (8 * i);
    v >>= shift;
    return static_cast<uint32_t>(w == 32 ? v : v & ((uint64_t{1} << w) - 1));
}

int32_t sign_extend(uint32_t v, unsigned w)
{
    if (w < 32 && (v & (1u << (w - 1))))
        v |= ~0u << w;
    return static_cast<int32_t>(v);
}

void store_sample(const int32_t d[SCOPE_CHANNELS])
{
    ScopeSampleRingRec& ring = ScopeSampleRing;
    int32_t(&h)[3][SCOPE_CHANNELS] = ScopeStream.history;
    const uint32_t w = ring.write_index.load(std::memory_order_relaxed);
    ScopeRingSlot& slot = ring.slot[w];
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
        const int32_t x = Serrx_scope_rebuild(d[ch], h[0][ch], h[2][ch]);
        h[2][ch] = h[1][ch];
        h[1][ch] = h[0][ch];
        h[0][ch] = x;
        // Released: a copy that sees the new value also sees the write index at this slot.
        slot.ch[ch].store(x, std::memory_order_release);
    }
    // A full ring drops its oldest sample before the write index reaches it, unless the window
    // has just taken it.
    const uint32_t next = Fz_cmp_add_mod(w, 1, SCOPE_RING_SLOTS);
    uint32_t oldest = next;
    ring.read_index.compare_exchange_strong(oldest, Fz_cmp_add_mod(next, 1, SCOPE_RING_SLOTS),
                                            std::memory_order_acq_rel, std::memory_order_acquire);
    Fz_cmp_ring_advance(1);
}

}  // namespace

bool ScopeStreamDecode(const uint8_t* buf, uint32_t* bit_position, int32_t out[SCOPE_CHANNELS],
                       uint16_t available)
{
    const uint32_t cursor = *bit_position;
    const uint32_t b = cursor >> 3;
    const uint32_t k = cursor & 7u;
    if (b + 1 >= available)
        return false;
    uint8_t width[SCOPE_CHANNELS];
    uint32_t sum = 0;
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
        width[ch] = ScopeStreamWidths[read_bits(buf, cursor + 2 * ch, 2)].width;
        sum += width[ch];
    }
    if (b + ((k + sum + CODE_BITS) >> 3) >= available)
        return false;
    uint32_t pos = cursor + CODE_BITS;
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
        out[ch] = sign_extend(read_bits(buf, pos, width[ch]), width[ch]);
        pos += width[ch];
    }
    *bit_position = pos;
    return true;
}

uint32_t Fz_cmp_add_mod(uint32_t a, uint32_t b, uint32_t m)
{
    const uint32_t s = a + b;
    return s >= m ? s - m : s;
}

uint32_t Fz_cmp_sub_mod(uint32_t a, uint32_t b, uint32_t m)
{
    return a < b ? a - b + m : a - b;
}

uint32_t Fz_cmp_ring_distance(uint32_t w, uint32_t r, uint32_t m)
{
    return Fz_cmp_sub_mod(w, r, m);
}

void Fz_cmp_ring_advance(uint32_t n)
{
    std::atomic<uint32_t>& w = ScopeSampleRing.write_index;
    w.store((w.load(std::memory_order_relaxed) + n) % SCOPE_RING_SLOTS, std::memory_order_release);
}

bool Scope_ring_copy(uint32_t i, uint32_t w, ScopeSample& out)
{
    const ScopeRingSlot& slot = ScopeSampleRing.slot[i];
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch)
        out.ch[ch] = slot.ch[ch].load(std::memory_order_acquire);
    const uint32_t now = ScopeSampleRing.write_index.load(std::memory_order_acquire);
    // The writer has filled the slots from w up to now and may be filling now itself.
    return Fz_cmp_ring_distance(i, w, SCOPE_RING_SLOTS) > Fz_cmp_ring_distance(now, w, SCOPE_RING_SLOTS);
}

void Scope_ring_consumed(uint32_t from, uint32_t to)
{
    const uint32_t step = Fz_cmp_ring_distance(to, from, SCOPE_RING_SLOTS);
    uint32_t r = from;
    while (!ScopeSampleRing.read_index.compare_exchange_weak(r, to, std::memory_order_acq_rel,
                                                             std::memory_order_acquire))
        if (Fz_cmp_ring_distance(r, from, SCOPE_RING_SLOTS) >= step)
            return;
}

void Fz_cmp_ring_reset()
{
    const uint32_t w = ScopeSampleRing.write_index.load(std::memory_order_acquire);
    ScopeSampleRing.read_index.store(w, std::memory_order_release);
    ScopeTriggerState.sample_counter = 0;
    ScopeTriggerState.reset_index = w;
}

void Scope_stream_reset()
{
    ScopeStreamState& s = ScopeStream;
    std::memset(s.history, 0, sizeof s.history);
    s.bit_position = 0;
    s.carry_len = 0;
    s.position = 0;
}

void Scope_stream_take(const uint8_t* data, std::size_t n)
{
    ScopeStreamState& s = ScopeStream;
    if (n == 0)
        return;
    if (s.carry_len + n > SCOPE_CARRY_SIZE) {
        s.carry_len = 0;
        s.bit_position = 0;
        return;
    }
    std::memcpy(s.carry + s.carry_len, data, n);
    const uint16_t available = static_cast<uint16_t>(s.carry_len + n);
    s.bit_position &= 7u;
    int32_t d[SCOPE_CHANNELS];
    while (ScopeStreamDecode(s.carry, &s.bit_position, d, available))
        store_sample(d);
    const uint16_t used = static_cast<uint16_t>(s.bit_position >> 3);
    s.carry_len = static_cast<uint16_t>(available - used);
    std::memmove(s.carry, s.carry + used, s.carry_len);
    s.bit_position &= 7u;
}

void FrameLengthAverage()
{
    const uint32_t avg = frame_average.load(std::memory_order_relaxed);
    const uint32_t t = FrameLengthLast.load(std::memory_order_relaxed) * AVERAGE_NEW + (avg >> 16) * AVERAGE_OLD +
                       (avg & 0xFFFFu);
    frame_average.store(t, std::memory_order_relaxed);
}

uint16_t Frame_length_average_value()
{
    return static_cast<uint16_t>(frame_average.load(std::memory_order_relaxed) >> 16);
}

void Frame_length_average_reset()
{
    frame_average.store(0, std::memory_order_relaxed);
}
