#pragma once
// CiA 402 "Position Setting" page: following-error window and time-out, software position
// limits, home offset, the limit bits of PosFlags (201Ah), measured position and position error.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_pos_crtl)
