#pragma once
// CANopen (CiA 402) status word 6041h: its state patterns and the state decoder. The power
// sequence that sends is in link/Cancontrol_steps.h.
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

// Status word patterns under their masks.
namespace CanStatus {
constexpr uint16_t Mask4F = 0x4F;
constexpr uint16_t Mask6F = 0x6F;
constexpr uint16_t NotReady = 0x00;          // under Mask4F
constexpr uint16_t SwitchOnDisabled = 0x40;  // under Mask4F
constexpr uint16_t Ready = 0x21;             // under Mask6F from here on
constexpr uint16_t SwitchedOn = 0x23;
constexpr uint16_t OperationEnabled = 0x27;
constexpr uint16_t QuickStop = 0x07;
constexpr uint16_t Fault = 0x08;          // also under Mask4F
constexpr uint16_t FaultReaction = 0x0F;  // also under Mask4F
constexpr uint16_t AnyOn = 0x07;          // bits 0-2: ready, switched on, operation enabled
}  // namespace CanStatus

// State 0-8 of a CiA 402 status word (CanState). Pure.
uint16_t Cancontrol_state(uint16_t status);
