#pragma once
// The gear box ratio and the positioning flags, as the Modbus and the CiA 402 profile place them
// in DriveRecord. The gear box, positioner, position setting and Input-1 pages share them.
#include <cstdint>

// Ratio of the electronic gear: numerator (i16) and denominator (u16, never 0), side by side; each
// is written as its own parameter.
struct GearBoxRatio {
    uint16_t numerator;    // DriveRecord offset
    uint16_t denominator;  // DriveRecord offset
};
inline constexpr GearBoxRatio GearBoxRatioModbus = {730, 732};    // 0701h, 0702h
inline constexpr GearBoxRatio GearBoxRatioCanopen = {2268, 2270};  // 2200h, 2201h

// Positioning flags: one word per profile with the same meanings on other bits. A page changes
// only its own bit and writes the whole word.
struct PosFlags {
    uint16_t ofs;        // DriveRecord offset
    uint8_t size;        // bytes: 2 (hex "0006h") or 1 (hex "06h")
    uint16_t limits;     // position limits on
    uint16_t torque;     // position-torque limit on
    uint16_t rounding;   // rounding by time (clear: by jerk)
    uint16_t input1;     // positioning by digital input 1 on
};
inline constexpr PosFlags PosFlagsModbus = {670, 2, 1u << 1, 1u << 2, 1u << 3, 1u << 4};   // 0600h
inline constexpr PosFlags PosFlagsCanopen = {2265, 1, 1u << 0, 1u << 1, 1u << 2, 1u << 3};  // 201Ah
