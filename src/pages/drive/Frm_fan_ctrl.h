#pragma once
// Fan page (second family, reserved node): the heat-sink temperature that starts the fan and its
// hysteresis. No poll list and no timer.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(fan_ctrl)
