#pragma once
// Iq Filter page: time constant and bit 1 of the filter flags word.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(fpb_iq)
