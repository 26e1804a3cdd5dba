#pragma once
// "ModBus" page: the Modbus profile's state machine of the drive and its control and status
// registers (0300h, 0301h).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_stm)

// State names by language and state 0 to 7.
extern const char MdbStateNameTable[3][8][35];
// The timer's display step.
void Frm_mdb_stm_update();
