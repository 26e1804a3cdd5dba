// Oscilloscope set-up services. The motor-dependent scales come with the oscilloscope; until then
// the catalogues keep the scales they were built with.
#include "scope/Oscx_set.h"

void Oscx_set_apply_scales() {}
