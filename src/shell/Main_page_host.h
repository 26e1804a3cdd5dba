#pragma once
// The main window's services for the page units (PageHostRec), handed to Pages_install by main
// and by the page tests.
#include "pages/Page_host.h"

PageHostRec Main_page_host();
