#pragma once
// Limit page: current limit and speed limit.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(limiti)
