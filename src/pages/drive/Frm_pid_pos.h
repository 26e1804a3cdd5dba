#pragma once
// Position Regulator page. The regulator panel of the oscilloscope calls Frm_pid_pos_refresh(0) after it changed gains.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(pid_pos)
