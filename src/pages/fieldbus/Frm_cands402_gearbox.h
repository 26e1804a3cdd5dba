#pragma once
// CiA 402 "GearBox Mode" page: ratio, master encoder, phase shift with its send button, master
// encoder count, measured position and position error.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_gearbox)
