#pragma once
// Digital Input page (CiA 402): the setting byte 201Bh (+2266), the digital inputs 60FDh and the
// capture results; fixed layout.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands402_input)

// The five echo panels show the setting byte of ctx.
void Frm_cands402_input_show_hex(uint8_t ctx);
// The timer's update step.
void Frm_cands402_input_update();
