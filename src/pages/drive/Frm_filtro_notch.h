#pragma once
// Notch Filter page: frequency, damping (scroll bar) and bit 0 of the filter flags word.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(filtro_notch)

// Range of the damping scroll bar (raw value, 0.8000 to 0.9900).
constexpr int NOTCH_DAMPING_MIN = 8000;
constexpr int NOTCH_DAMPING_MAX = 9900;
