#pragma once
// Unit-factor application records: what the settings defaults need of the unit-factor tool.
#include "drivedata/Records_ext.h"

// Fills the default application (bytes 0 to 58); the other bytes keep their value.
void Factor_tool_set_defaults(FactorApplicationRec* rec);
