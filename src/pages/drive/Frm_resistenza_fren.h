#pragma once
// Braking resistor page (second family, reserved node): the external braking resistor's value,
// nominal power and overload time, polled.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(resistenza_fren)
