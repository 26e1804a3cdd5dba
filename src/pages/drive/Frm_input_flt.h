#pragma once
// Filter Inputs page: the debounce filter time of each of the six digital inputs, polled.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(input_flt)
