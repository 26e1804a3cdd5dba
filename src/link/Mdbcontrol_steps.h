#pragma once
// Modbus power sequence on control register 0300h.
#include "drivedata/Mdbcontrol.h"

// One step of the power sequence, for a Modbus drive only (BusType 1): from DriveUiFlags bits 0-1
// (power, operative) and the status word, sets or clears the enable and run bits and sends them as
// periodic control-word writes (at most two). Without a power request, or with status bit 4
// (fault), it clears request bits 0-2 and clears enable and run, writing them when the drive is
// enabled or the stored word held either bit.
void Mdbcontrol_enable_step();
