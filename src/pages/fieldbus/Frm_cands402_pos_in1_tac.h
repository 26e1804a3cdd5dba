#pragma once
// CiA 402 "Pos. - Input 1" page: positioning by digital input 1 (a bit of PosFlags 201Ah), its
// position, measured position and position error.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_pos_in1_tac)
