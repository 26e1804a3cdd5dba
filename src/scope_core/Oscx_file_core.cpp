// Scope recordings: header, checksum and file image.
#include "scope_core/Oscx_file_core.h"

#include <cstring>

void OnesComplementSum(const void* bytes, uint16_t* sum, uint32_t length)
{
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint32_t acc = *sum;
    uint32_t i = 0;
    for (; i + 1 < length; i += 2) {
        acc += uint32_t(p[i]) | uint32_t(p[i + 1]) << 8;
        if (acc > 0xFFFF)
            acc = (acc & 0xFFFF) + (acc >> 16);
    }
    if (i < length)
        acc += p[i];
    while (acc > 0xFFFF)
        acc = (acc & 0xFFFF) + (acc >> 16);
    *sum = static_cast<uint16_t>(acc);
}

uint16_t Oscx_find_signal(uint16_t code, const ScopeSignal* catalogue, uint16_t count)
{
    for (uint16_t i = 0; catalogue != nullptr && i < count; ++i)
        if (catalogue[i].code == code)
            return i;
    return 0;
}

uint8_t Scope_recording_flags(uint8_t flags, uint16_t motor_type)
{
    return static_cast<uint8_t>((flags & ~SCOPE_FLAGS_MOTOR_MASK) | ((motor_type & 3u) << 3));
}

std::vector<uint8_t> Scope_recording_image(const ScopeSettingsRec& settings, const DriveFamilyRecord& family,
                                           uint16_t motor_type, const ScopeSamplePiece* pieces, std::size_t n)
{
    uint32_t count = 0;
    for (std::size_t k = 0; k < n; ++k)
        count += pieces[k].count;
    ScopeRecordingHeader h{};
    h.family = family;
    h.sample_count = count;
    h.settings = settings;
    h.settings.trigger_flags = Scope_recording_flags(settings.trigger_flags, motor_type);
    std::vector<uint8_t> image(sizeof h + std::size_t(count) * SCOPE_SAMPLE_BYTES);
    uint16_t sum = 0;
    OnesComplementSum(&h, &sum, sizeof h);
    uint8_t* out = image.data() + sizeof h;
    for (std::size_t k = 0; k < n; ++k) {
        const uint32_t bytes = pieces[k].count * uint32_t(SCOPE_SAMPLE_BYTES);
        OnesComplementSum(pieces[k].rows, &sum, bytes);
        std::memcpy(out, pieces[k].rows, bytes);
        out += bytes;
    }
    h.checksum = static_cast<uint16_t>(~sum);
    std::memcpy(image.data(), &h, sizeof h);
    return image;
}
