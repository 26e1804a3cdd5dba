#pragma once
// CiA 402 "Homing Mode" page: homing method (6098h), search speeds, acceleration and the measured
// position.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_homing)
