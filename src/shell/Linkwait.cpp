// The link-wait dialog comes with the link check before firmware programming, which alone asks
// for it (FlashProgressFlags bit 0); until that check exists nothing waits and nothing is shown.
#include "shell/Linkwait.h"

void ShowLinkWait(uint32_t, const QString&) {}

bool LinkWaitOpen() { return false; }
