#pragma once
// CiA 402 positioner page (profile position mode): target, speed, ramps, motion profile and
// rounding on the "Position" tab, demand values on the "Data" tab, measured position and position
// error below; each tab polls its own list.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_position)

// Motion profile type (6086h): item 0 stands for -1, 1 for 0, 2 for 3; another stored value
// shows item 0 (Utx_motion_profile_to_index).
inline const char* const CanProfileItemsIt[] = {"[-1] Rampa lineare(limit.)", "[ 0] Rampa lineare",
                                               "[ 3] Jerk-rampe limitate"};
inline const char* const CanProfileItemsEn[] = {"[-1] Linear ramp(limit)", "[ 0] Linear ramp", "[ 3] Jerk-limited ramp"};
inline const ComboSpec CanProfileCombo = {{CanProfileItemsIt, CanProfileItemsEn, CanProfileItemsEn}, 3};
inline constexpr int16_t CanProfileValues[] = {-1, 0, 3};
