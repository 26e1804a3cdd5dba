#pragma once
// An independent ones'-complement fold for the recording tests: the sum of all little-endian
// words (an odd last byte padded), folded at the end.
#include <cstdint>
#include <vector>

inline uint16_t recording_fold(const std::vector<uint8_t>& b)
{
    uint64_t acc = 0;
    for (std::size_t i = 0; i < b.size(); i += 2)
        acc += b[i] + (i + 1 < b.size() ? 256u * b[i + 1] : 0u);
    while (acc >> 16)
        acc = (acc & 0xFFFF) + (acc >> 16);
    return static_cast<uint16_t>(acc);
}
