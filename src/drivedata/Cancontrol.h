#pragma once
// CANopen (CiA 402) power sequence on control word 6040h and the state decoder of status word
// 6041h.
#include <cstdint>

// States of Cancontrol_state.
namespace CanState {
constexpr uint16_t Unknown = 0;
constexpr uint16_t NotReadyToSwitchOn = 1;
constexpr uint16_t SwitchOnDisabled = 2;
constexpr uint16_t ReadyToSwitchOn = 3;
constexpr uint16_t SwitchedOn = 4;
constexpr uint16_t OperationEnabled = 5;
constexpr uint16_t QuickStopActive = 6;
constexpr uint16_t FaultReactionActive = 7;
constexpr uint16_t Fault = 8;
}  // namespace CanState

// One step of the power sequence, for a CANopen drive only (BusType 2): from DriveUiFlags bits
// 0-2 (power, operative, quick-stop hold) and the status word, sends at most the next command
// (shutdown, switch on, enable or disable operation) as a periodic control-word write. Without a
// power request, or in fault, it clears the three request bits and disables voltage: the command
// bits are cleared and written when they were set, or while the drive shows any of bits 0-2
// outside switch on disabled.
void Cancontrol_enable_step();

// State 0-8 of a CiA 402 status word (CanState). Pure.
uint16_t Cancontrol_state(uint16_t status);
