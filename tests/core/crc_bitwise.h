#pragma once
// CRC-16/MODBUS by its definition, bit by bit: the reference the link's table CRC is held to.
#include <cstddef>
#include <cstdint>

inline uint16_t crc_bitwise(const uint8_t* p, std::size_t n)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}
