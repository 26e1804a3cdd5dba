#pragma once
// Torque Mode page (CiA 402): target torque, torque slope, profile type (6088h) and the actual
// torque (6077h), shown also while the other values are held.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_torque)
// Items of the torque profile type (6088h), rows by Utx_torque_profile_to_index.
extern const ComboSpec& CanTorqueProfileCombo;
