#pragma once
// Voltage Threshold page: the DC-bus over- and under-voltage thresholds with their hystereses,
// ranged by drive family and voltage class, and (second family) the braking-resistor switching
// voltage. No poll list and no timer.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(soglie_tensione)

// The four DC-bus edits of ctx get the limits of the settings' family and record ctx's voltage
// class (up-down range and hint applied again).
void Frm_soglie_tensione_apply_ranges(uint8_t ctx);
