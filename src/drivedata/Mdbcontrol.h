#pragma once
// Modbus power sequence on control register 0300h and the state decoder of status register 0301h.
#include <cstdint>

// One step of the power sequence, for a Modbus drive only (BusType 1): from DriveUiFlags bits 0-1
// (power, operative) and the status word, sets or clears the enable and run bits and sends them as
// periodic control-word writes (at most two). Without a power request, or with status bit 4
// (fault), it clears request bits 0-2 and clears enable and run, writing them when the drive is
// enabled or the stored word held either bit.
void Mdbcontrol_enable_step();

// State 1-7 of a Modbus status word: bit 4 -> 7, bit 14 -> 6, bit 2 -> 4, bit 3 -> 5, bit 1 -> 3,
// bit 0 -> 2, none -> 1 (first match wins). Pure.
uint16_t Mdbcontrol_state(uint16_t status);
