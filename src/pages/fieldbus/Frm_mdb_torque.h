#pragma once
// Torque page (I/O control and Modbus): bit 0 of the torque flags word (0800h) chooses the
// analog or the internal reference, each with its tab.
#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mdb_torque)
// Items of the torque reference (bit 0 of 0800h).
extern const ComboSpec& MdbTorqueSourceCombo;
