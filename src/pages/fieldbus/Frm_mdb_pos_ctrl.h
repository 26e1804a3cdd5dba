#pragma once
// Modbus "Position Setting" page: the following-error window and its time.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_pos_ctrl)
