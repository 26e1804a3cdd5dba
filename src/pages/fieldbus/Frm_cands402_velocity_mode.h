#pragma once
// Velocity Mode page (CiA 402): vl target velocity, delta-speed/delta-time ramps, amount limits,
// the dimension factor (zero excluded) and the demand and control effort values.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_velocity_mode)
