#pragma once
// Modbus profile part of the drive record: byte-order conversion and control-type row.
#include <cstdint>

#include "drivedata/Init.h"

namespace MdbSections {
constexpr RecordSection Record{464, 1152};
constexpr RecordSection Ctrl{464, 548};    // control and fault reaction
constexpr RecordSection Speed{548, 616};   // speed mode
constexpr RecordSection Pos{616, 728};     // position mode and homing
constexpr RecordSection Gear{728, 792};    // electric gear
constexpr RecordSection Torque{792, 800};  // torque mode
constexpr RecordSection Tail{800, 1152};   // reserved and cleared tail with the cogging table
}  // namespace MdbSections

// Converts the Modbus section; section points at record byte 464.
void Mdb_swap(uint8_t* section);
// Sub-section converters, each given a pointer to its sub-section start.
void Mdb_ctrl_swap(uint8_t* section);
void Mdb_speed_swap(uint8_t* section);
void Mdb_pos_swap(uint8_t* section);
void Mdb_gear_swap(uint8_t* section);
void Mdb_torque_swap(uint8_t* section);
void Mdb_tail_swap(uint8_t* section);  // never converted

// Combo row of a Modbus control type: 0..3 as is, anything else 0.
uint16_t Mdb_control_type_index(int16_t v);
