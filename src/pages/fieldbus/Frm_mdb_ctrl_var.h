#pragma once
// Control Setting page (Modbus): operational and halt decelerations, communication time-out,
// fault reaction, halt option and speed-window check.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_ctrl_var)

// The timer's update step (copy condition checked).
void Frm_mdb_ctrl_var_update();
// Items of the time-out option (0411h).
extern const ComboSpec& MdbTimeoutCombo;
// Items of the fault reaction option (0415h).
extern const ComboSpec& MdbFaultCombo;
// Items of the halt option (0419h).
extern const ComboSpec& MdbHaltCombo;
