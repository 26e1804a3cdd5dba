// Reading a scope recording for the viewer.
#include "scope_core/Oscx_read_recording.h"

#include <algorithm>
#include <cstring>

#include "drivedata/Globvar.h"

namespace {

constexpr std::size_t SUM_PIECE = 1024;
constexpr uint8_t AXIS_LEFT_DEFAULT = 0, AXIS_RIGHT_DEFAULT = 1;

bool sum_valid(const uint8_t* bytes, std::size_t size)
{
    uint16_t sum = 0;
    for (std::size_t at = 0; at < size; at += SUM_PIECE)
        OnesComplementSum(bytes + at, &sum, static_cast<uint32_t>(std::min(SUM_PIECE, size - at)));
    return static_cast<uint16_t>(~sum) == 0;
}

void clamp_settings(ScopeSettingsRec& s, uint32_t n)
{
    const uint32_t floor = std::max(RECORDING_MIN_LENGTH, n > 0 ? n - 1 : 0);
    s.record_length = std::clamp(s.record_length, floor, RECORDING_MAX_LENGTH);
    if (s.axis_left >= SCOPE_CHANNELS)
        s.axis_left = AXIS_LEFT_DEFAULT;
    if (s.axis_right >= SCOPE_CHANNELS)
        s.axis_right = AXIS_RIGHT_DEFAULT;
    for (ScopeChannel& c : s.channel)
        c.decimals = std::min(c.decimals, RECORDING_MAX_DECIMALS);
    s.trigger_decimals = std::min(s.trigger_decimals, RECORDING_MAX_DECIMALS);
}

}  // namespace

ScopeRecordingRead Oscx_read_recording(const uint8_t* bytes, std::size_t size)
{
    ScopeRecordingRead r;
    if (bytes == nullptr || size <= sizeof(ScopeRecordingHeader) || !sum_valid(bytes, size))
        return r;
    ScopeRecordingHeader h;
    std::memcpy(&h, bytes, sizeof h);
    const std::size_t held = (size - sizeof h) / SCOPE_SAMPLE_BYTES;
    if (h.sample_count > RECORDING_MAX_SAMPLES || h.sample_count > held)
        return r;
    r.header = h;
    if (h.family.version_major > ProgramVersion.major) {
        r.result = RecordingRead::Incompatible;
        return r;
    }
    clamp_settings(r.header.settings, h.sample_count);
    r.sample_count = h.sample_count;
    r.samples = bytes + sizeof h;
    r.result = RecordingRead::Ok;
    return r;
}

void Oscx_recording_signals(ScopeSettingsRec& s, const ScopeSignal* catalogue, uint16_t count)
{
    // The first row with the code, else row 0: never at or beyond the count.
    for (ScopeChannel& c : s.channel)
        c.signal_index = Oscx_find_signal(c.signal_code, catalogue, count);
}
