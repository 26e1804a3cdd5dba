#pragma once
// Modbus "Pos Parameters" page: home offset, software position limits and the limit and
// position-torque limit bits of PosFlags (0600h).
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_pos_par)

// Captions after the flags' address tag, both profiles' position-torque limit box.
inline const char* const PosTorqueLimitText[3] = {"Abilita Pos-limite coppia", "Enable Pos-Torque limit",
                                                  "Activer Pos-Limite de couple"};
