#pragma once
// Modbus "Control" page: the control register 0300h, the status register 0301h and the auxiliary
// status register 0302h bit by bit, with the bit names of the drive's control type.
#include "pages/ParamPage.h"
#include "pages/fieldbus/Word_bits.h"

PARAM_PAGE_UNIT_DECL(mdb_ctrl)

constexpr uint16_t MDB_TYPE_COUNT = 4;
// By control type: speed, torque, electric axis, positioner.
extern const WordBits MdbControlBits[MDB_TYPE_COUNT];    // 0300h
extern const WordBits MdbStatusBits[MDB_TYPE_COUNT];     // 0301h
extern const WordBits MdbStatusAuxBits[MDB_TYPE_COUNT];  // 0302h

// The timer's display step.
void Frm_mdb_ctrl_update();
