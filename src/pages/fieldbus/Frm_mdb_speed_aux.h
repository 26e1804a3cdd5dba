#pragma once
// Aux Speed page (I/O control and Modbus): the auxiliary reference type (0502h) and its enable,
// bit 2 of the speed flags word (0500h).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_speed_aux)
// Items of the auxiliary speed reference type (0502h).
extern const ComboSpec& MdbSpeedAuxTypeCombo;
