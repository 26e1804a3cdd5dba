#pragma once
// CANopen (CiA 402) power sequence on control word 6040h.
#include "drivedata/Cancontrol.h"

// One step of the power sequence, for a CANopen drive only (BusType 2): from DriveUiFlags bits
// 0-2 (power, operative, quick-stop hold) and the status word, sends at most the next command
// (shutdown, switch on, enable or disable operation) as a periodic control-word write. Without a
// power request, or in fault, it clears the three request bits and disables voltage: the command
// bits are cleared and written when they were set, or while the drive shows any of bits 0-2
// outside switch on disabled.
void Cancontrol_enable_step();
