#include "pages/fieldbus/Fieldbus_link_core.h"

Ds301StoreRec Ds301StoreState[3] = {};
