#pragma once
// Main Speed page (I/O control and Modbus): the speed reference type (0501h) selects the tab of
// its source; bits 0-1 of the speed flags word (0500h) hold the frequency reference mode.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_speed_main)
// Items of the main speed reference type (0501h).
extern const ComboSpec& MdbSpeedMainTypeCombo;
// Items of the frequency mode (bits 0-1 of 0500h).
extern const ComboSpec& MdbSpeedFreqModeCombo;
