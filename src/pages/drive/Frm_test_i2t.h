#pragma once
// I2t Test page: the two current levels and times of the drive's i2t test (common entries 0020h
// to 0023h) and, for the connected drive, the switch that starts and stops the test. No poll list
// and no timer.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(test_i2t)
