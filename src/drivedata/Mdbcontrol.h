#pragma once
// State decoder of the Modbus status register 0301h. The power sequence that sends is in
// link/Mdbcontrol_steps.h.
#include <cstdint>

// State 1-7 of a Modbus status word: bit 4 -> 7, bit 14 -> 6, bit 2 -> 4, bit 3 -> 5, bit 1 -> 3,
// bit 0 -> 2, none -> 1 (first match wins). Pure.
uint16_t Mdbcontrol_state(uint16_t status);
