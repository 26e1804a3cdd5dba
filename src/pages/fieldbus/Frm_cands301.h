#pragma once
// "CanOpen DS301" identity page: device type (1000h), device name (1008h), software version
// (100Ah) and identity object (1018h subs 1-3) of the connected drive. Display only.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(cands301)

// The timer's display step.
void Frm_cands301_update();
// The text the page shows in context 0 for a text object, device name (LiveLoc::DeviceName, 1008h)
// or software version (LiveLoc::SwVersion, 100Ah): the drive's reply, from a whole copy
// (Ds301Identity_text); empty for other objects.
QString Frm_cands301_drive_text(Loc var);
