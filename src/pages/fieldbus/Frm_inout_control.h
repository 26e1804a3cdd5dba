#pragma once
// Control Set page of the I/O profile (BusType 0): control type at offset 118, items 0 to 2.
#include "pages/fieldbus/Control_set.h"

PARAM_PAGE_UNIT_DECL(inout_control)

// The frame of ctx, null when none.
QWidget* Frm_inout_control_frame(uint8_t ctx);

inline const ComboSpec IoControlTypeCombo = {{ControlTypeItemsIt, ControlTypeItemsEn, ControlTypeItemsFr}, 3};
inline const char* const IoControlCaption[3] = {"Controllo In Out", "Control In Out", "Commande Entrées Sorties"};
