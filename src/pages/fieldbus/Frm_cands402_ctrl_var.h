#pragma once
// Control Setting page (CiA 402): option codes 6007h, 605Ah, 605Dh, 605Eh, the vl velocity
// reference and ramp times, and the fault torque limit.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_ctrl_var)

// The timer's update step (copy condition checked).
void Frm_cands402_ctrl_var_update();
