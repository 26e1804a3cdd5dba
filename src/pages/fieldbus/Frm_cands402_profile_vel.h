#pragma once
// Profile Velocity page (CiA 402): target velocity and its ramps, the velocity window and
// threshold, the velocity-error supervision (204Ch, copied whole) and the actual values.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_profile_vel)
