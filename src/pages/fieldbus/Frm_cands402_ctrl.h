#pragma once
// CiA 402 "Control" page: the mode of operation (6060h, offset 2052) chosen in a combo, the mode
// the drive reports (6061h), and the control and status words (6040h, 6041h) bit by bit with the
// bit names of the mode.
#include "pages/ParamPage.h"
#include "pages/fieldbus/Word_bits.h"

PARAM_PAGE_UNIT_DECL(cands402_ctrl)

constexpr uint16_t DS402_MODE_COUNT = 7;
// By combo index: Position, Velocity, Prof. Vel., Torque, Homing, Interpol., GearBox.
extern const WordBits Ds402ControlBits[DS402_MODE_COUNT];  // 6040h
extern const WordBits Ds402StatusBits[DS402_MODE_COUNT];   // 6041h
// The combo's items (the same in every language); item index i stands for Canopen_index_to_mode(i).
extern const ComboSpec Ds402ModeCombo;

// The timer's display step.
void Frm_cands402_ctrl_update();
// The combo's user handler (item index chosen).
void ComboBox_modes_of_operationChange(int index);
