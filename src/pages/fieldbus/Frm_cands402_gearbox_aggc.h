#pragma once
// CiA 402 "Engaging" page of the gear box: engage mode, velocity ramp and engage position.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_gearbox_aggc)
