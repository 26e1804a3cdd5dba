#pragma once
// Installs the host and every built page unit into its page node. The pages sit in a static
// library, so each unit is named here; nothing registers itself.
#include "pages/Page_host.h"

void Pages_install(const PageHostRec& host);
