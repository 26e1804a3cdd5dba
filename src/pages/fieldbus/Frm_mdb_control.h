#pragma once
// Control Set page of the Modbus profile (BusType 1): control type at offset 466 (0401h), items
// 0 to 3; it polls the six values its diagram shows and takes them over together.
#include "pages/fieldbus/Control_set.h"

PARAM_PAGE_UNIT_DECL(mdb_control)

// The frame of ctx, null when none.
QWidget* Frm_mdb_control_frame(uint8_t ctx);

inline const ComboSpec MdbControlTypeCombo = {{ControlTypeItemsIt, ControlTypeItemsEn, ControlTypeItemsFr}, 4};
