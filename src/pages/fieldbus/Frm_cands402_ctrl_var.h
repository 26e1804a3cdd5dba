#pragma once
// Control Setting page (CiA 402): option codes 6007h, 605Ah, 605Dh, 605Eh, the vl velocity
// reference and ramp times, and the fault torque limit.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_ctrl_var)

// The timer's update step (copy condition checked).
void Frm_cands402_ctrl_var_update();
// Items of the abort connection option (6007h).
extern const ComboSpec& CanAbortCombo;
// Items of the quick stop option (605Ah), rows by Utx_quick_stop_to_index.
extern const ComboSpec& CanQuickStopCombo;
// Items of the halt option (605Dh).
extern const ComboSpec& CanHaltCombo;
// Items of the fault reaction option (605Eh).
extern const ComboSpec& CanFaultCombo;
