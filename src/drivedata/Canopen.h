#pragma once
// CANopen profile part of the drive record: byte-order conversion, mode rows, emergency codes.
#include <cstdint>

#include "drivedata/Init.h"

namespace CanopenSections {
constexpr RecordSection Ds301{1536, 1980};
constexpr RecordSection Ds402{2000, 2330};
}  // namespace CanopenSections

// Section converters, given a pointer to record byte 1536 (resp. 2000).
void Canopen_ds301_swap(uint8_t* section);
void Canopen_ds402_swap(uint8_t* section);

// CiA 402 modes of operation <-> combo row.
uint16_t Canopen_mode_to_index(int16_t mode);
int16_t Canopen_index_to_mode(int16_t row);

// Entry a + 1 is the emergency code of drive alarm a; entry 0 is unused.
constexpr uint16_t EMCY_CODE_COUNT = 27;
extern const uint16_t EmcyCodeTable[EMCY_CODE_COUNT];
extern const uint16_t EmcyCodeCount;

// Alarm number whose emergency code equals code (zero-extended compare), -1 when none.
int16_t Canopen_emcy_to_alarm(uint32_t code);
