#pragma once
// CiA 402 "Interpol. Mode" page: the interpolated position mode's objects of the connected drive,
// read-only.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_interp)
