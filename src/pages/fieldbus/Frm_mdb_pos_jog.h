#pragma once
// Modbus "Position Jog" page: speed and ramps of the jog movement in positioning mode.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_pos_jog)
