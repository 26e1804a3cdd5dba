#pragma once
// The speed flags word (SpeedFlags, 0500h, DriveRecord +594) shared by the speed and ramp pages,
// and the Modbus poll items of a 32-bit field.
#include <cstdint>

#include "drivedata/Busx.h"

constexpr uint16_t OFS_SPEED_FLAGS = 594;
constexpr uint16_t SPEED_FREQ_MODE = 0x0003;  // bits 0-1
constexpr uint16_t SPEED_AUX = 1u << 2;
constexpr uint16_t SPEED_RAMPS = 1u << 3;
constexpr uint16_t SPEED_RAMPS_S = 1u << 4;

// A 32-bit field as its register pair: the first register into the upper half of the read-back.
#define MDB_PAIR_ITEMS(ofs) {ofs, static_cast<uint16_t>((ofs) + 2)}, {static_cast<uint16_t>((ofs) + 2), ofs, true}
#define ONE_ITEM(ofs) {ofs, ofs}
