#pragma once
// "CanOpen 402" page: the CiA 402 state machine of the drive, its control and status words
// (6040h, 6041h) and error code (603Fh).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_stm)

// State names by language and state 0 to 8.
extern const char Ds402StateNameTable[3][9][35];
// The timer's display step.
void Frm_cands402_stm_update();
