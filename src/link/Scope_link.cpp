// Oscilloscope data shared with the drive link and the main window, and the oscilloscope entries.
#include "link/Scope_link.h"

#include <cstring>

ScopeSampleRingRec ScopeSampleRing;
ScopeStreamState ScopeStream{};
ScopeSignalTableRec ScopeSignalTable;
ScopeSignalTableRec ScopeFamilyCatalogue[2];
ScopeSettingsRec ScopeSettings{};
SignalGeneratorRec SignalGenerator;
std::atomic<uint8_t> ScopeCaptureOn{0};
std::atomic<uint8_t> ScopeGenLive{0};
std::atomic<uint32_t> FrameLengthLast{0};
ScopeEntriesRec ScopeEntries;

namespace {

constexpr uint32_t AVERAGE_SHIFT = 4;       // average over about 16 frames
std::atomic<uint32_t> frame_length_avg{0};  // in 1/256 bytes

}  // namespace

void Fz_cmp_ring_advance(uint32_t n)
{
    const uint32_t w = ScopeSampleRing.write_index.load(std::memory_order_relaxed);
    ScopeSampleRing.write_index.store((w + n) % SCOPE_RING_SLOTS, std::memory_order_release);
    const uint32_t fill = ScopeSampleRing.fill.load(std::memory_order_relaxed) + n;
    ScopeSampleRing.fill.store(fill < SCOPE_RING_SLOTS ? fill : SCOPE_RING_SLOTS, std::memory_order_release);
}

void Scope_ring_reset()
{
    ScopeSampleRing.write_index.store(0);
    ScopeSampleRing.read_index.store(0);
    ScopeSampleRing.fill.store(0);
}

void Scope_stream_reset()
{
    std::memset(ScopeStream.history, 0, sizeof ScopeStream.history);
    ScopeStream.bit_position = 0;
    ScopeStream.leftover = 0;
    ScopeStream.position = 0;
}

uint16_t Fz_cmp_add_mod(uint16_t a, uint16_t b, uint16_t m)
{
    const uint32_t s = uint32_t{a} + b;
    return static_cast<uint16_t>(s >= m ? s - m : s);
}

bool ScopeStreamDecode(const uint8_t* stream, uint32_t* bit_pos, int32_t out[SCOPE_CHANNELS], uint16_t count)
{
    return ScopeEntries.stream_decode != nullptr && ScopeEntries.stream_decode(stream, bit_pos, out, count);
}

void Oscx_set_apply_scales()
{
    if (ScopeEntries.apply_scales != nullptr)
        ScopeEntries.apply_scales();
}

void FrameLengthAverage()
{
    const uint32_t len = FrameLengthLast.load(std::memory_order_relaxed) << 8;
    const uint32_t avg = frame_length_avg.load(std::memory_order_relaxed);
    frame_length_avg.store(avg - (avg >> AVERAGE_SHIFT) + (len >> AVERAGE_SHIFT), std::memory_order_relaxed);
}

uint32_t Frame_length_average_value()
{
    return frame_length_avg.load(std::memory_order_relaxed) >> 8;
}

void Oscx_apply_channels()
{
    if (ScopeEntries.apply_channels != nullptr)
        ScopeEntries.apply_channels();
}
