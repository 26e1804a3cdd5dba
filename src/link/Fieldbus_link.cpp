#include "link/Fieldbus_link.h"

Ds301StoreRec Ds301StoreState[3] = {};
