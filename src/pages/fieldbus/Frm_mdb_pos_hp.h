#pragma once
// Modbus "Home Position" page: homing method and the search speeds and ramp.
#include "pages/fieldbus/Fieldbus_page.h"
#include "pages/fieldbus/HomingMethodList.h"

PARAM_PAGE_UNIT_DECL(mdb_pos_hp)

// The method combo of both homing twins: rows of HomingMethodList; a method without a row
// (outside 0..35) selects none, and only rows 0..31 stand for a method.
inline const ComboSpec HomingCombo = {{HomingMethodList[0], HomingMethodList[1], HomingMethodList[2]},
                                      HOMING_METHOD_ROWS};
int Homing_row_of(int32_t method);
bool Homing_method_of(int row, int32_t* method);
