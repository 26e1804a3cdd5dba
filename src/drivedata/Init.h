#pragma once
// Drive record storage and byte-order conversion (drive order <-> host order), section by section.
// Every converter is its own inverse.
#include <cstdint>

#include "drivedata/Record.h"

// Byte range [first, end) of a record section, in record offsets.
struct RecordSection {
    uint16_t first;
    uint16_t end;
};

namespace SwapSections {
constexpr RecordSection Header{0, 28};
constexpr RecordSection Protection{28, 66};
constexpr RecordSection BusSetup{94, 112};
constexpr RecordSection ControlType{118, 120};
constexpr RecordSection Motor{120, 180};
constexpr RecordSection Regulator{180, 266};
constexpr RecordSection PosTable{304, 410};
}  // namespace SwapSections

// Reverses the bytes of every multi-byte field of the field table that the conversion touches and
// that lies in sec; section points at the record byte sec.first. Shared by all section converters.
void Init_swap_fields(uint8_t* section, RecordSection sec);

// Converts a whole record in place by calling the section converters in record order.
void Init_swap_image(uint8_t* record);

// Section converters, each given a pointer to its section start.
void Init_header_swap(uint8_t* section);  // header is never converted
void Init_protection_swap(uint8_t* section);
void Init_bus_setup_swap(uint8_t* section);
void Init_control_type_swap(uint8_t* section);
void Init_motor_swap(uint8_t* section);  // also a lone 60-byte MotorRecord
void Init_regulator_swap(uint8_t* section);
void Init_pos_table_swap(uint8_t* section);

// ==== defaults ====
// Declarations of the defaults routines (Init_defaults.cpp) go below this line.
// Factory defaults. Plain values come from the field table's Default column; a routine given a
// section pointer fills only that section (the words whose defaults touch some bits keep the
// others), so the motor editor and the file conversion can use one on its own.

struct DriveSizeTable;

// Drive family flag (settings flags bit 2): 0 first family "ORVEL", anything else "PELSAN".
constexpr uint8_t FAMILY_FLAG_ORVEL = 0;
constexpr uint8_t FAMILY_FLAG_PELSAN = 1;

// Builds a whole factory record: zeroes it, sets the size index (byte 2, kept as given) and the
// voltage class (low 2 bits), runs the section routines in record order, then the record mark,
// the end marker and the check byte. Also sets the live CANopen values the defaults own.
void Init_default_image(DriveRecord& record, uint8_t size_index, uint8_t voltage_class,
                        uint8_t family_flag);

// Over-temperature limit of a size row: field 8 for voltage class 0, field 9 for any other.
// A size index outside the table takes row 0.
uint16_t Init_overtemp_limit(const DriveSizeTable& table, uint8_t size_index, uint8_t voltage_class);

// Header: alarm memory byte 0, data version = ProgramVersion. Given the record start.
void Init_header_defaults(uint8_t* header);
// Protection limits (28-65) from the size index (byte 2) and voltage class (byte 64) of the record
// and the current size table. Given the record start.
void Init_protection_defaults(uint8_t* record, uint8_t family_flag);
// Voltage limits 38-44 by family and voltage class. Given the record start.
void Init_voltage_limits(uint8_t* record, uint8_t family_flag);
void Init_bus_setup_defaults(uint8_t* section);    // record byte 94
void Init_control_type_default(uint8_t* section);  // record byte 118
void Init_motor_defaults(uint8_t* section);        // record byte 120, or a MotorRecord
void Init_motor_defaults(MotorRecord& motor);
void Init_regulator_defaults(uint8_t* section);    // record byte 180
void Init_pos_table_defaults(uint8_t* section);    // record byte 304

// Modbus profile; Mdb_defaults is given record byte 464 and runs the others in this order, each
// given its own sub-section start (464, 548, 616, 728, 792, 872).
void Mdb_defaults(uint8_t* section);
void Mdb_ctrl_defaults(uint8_t* section);
void Mdb_speed_defaults(uint8_t* section);
void Mdb_pos_defaults(uint8_t* section);
void Mdb_gear_defaults(uint8_t* section);
void Mdb_torque_defaults(uint8_t* section);
void Mdb_clear_tail(uint8_t* section);  // zeroes record bytes 872-1151, the cogging table included

// CANopen profile. Canopen_ds301_defaults is given record byte 1536; COB-IDs are base + node_id.
// It sets the 1010h store values and runs Canopen_pdo_defaults (mappings, 1000h, 1005h, 1018h).
void Canopen_ds301_defaults(uint8_t* section, uint8_t node_id);
void Canopen_pdo_defaults(uint8_t* section);
// Given record byte 2000; also sets the live modes-of-operation display to 6060h's default.
void Canopen_ds402_defaults(uint8_t* section);
