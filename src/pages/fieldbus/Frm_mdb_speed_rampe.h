#pragma once
// Ramps page (I/O control and Modbus): accelerations and decelerations per direction, the jerk of
// S-shaped ramps, the ramp bits 3 and 4 of the speed flags word, and the ramp sketch. Its timer
// runs in both contexts from Create.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_speed_rampe)

// One pass of the sketch's tracker for the frame of ctx (none without it).
void Frm_mdb_speed_rampe_track(uint8_t ctx);
