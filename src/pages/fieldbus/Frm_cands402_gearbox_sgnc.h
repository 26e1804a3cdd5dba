#pragma once
// CiA 402 "Disengaging" page of the gear box: disengage mode, ramp, and disengage position with
// its type (2205h).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_gearbox_sgnc)
