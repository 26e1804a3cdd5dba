#pragma once
// Modbus "Pos. - Input 1" page: positioning by digital input 1 (a bit of PosFlags 0600h), its
// position, and the measured position.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_pos_in1_tac)

// Both twins' group box and check box texts.
inline const char* const In1Title[3] = {"Posizionamento - Input 1", "Positioning - Input 1",
                                        "Positionnement - Entrée 1"};
inline const char* const In1EnableText[3] = {"Abilita posizionamento - input 1", "Enable positioning - input 1",
                                             "Activer positionnement - Entrée 1"};
