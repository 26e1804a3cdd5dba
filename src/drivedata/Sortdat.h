#pragma once
// Orders an object dictionary by variable location for the lookups of Busx.
#include <cstdint>

#include "drivedata/Busx.h"

// Stable in-place bottom-up merge sort by location; entries with equal locations keep their order.
void Sortdat_sort(BusObjectEntry* table, uint16_t count);
