#pragma once
// Field-bus control words of the connected drive's profile (BusType of DriveRecordBank slot 0:
// 1 Modbus, 2 CANopen): the bus types, the control-word bits of both profiles and the two values
// the sequences decide on. The writes that send are in link/Busctrl_steps.h.
#include <cstdint>

// Bus types of the record field BusType.
namespace BusTypeId {
constexpr uint16_t Io = 0;
constexpr uint16_t Modbus = 1;
constexpr uint16_t Canopen = 2;
}  // namespace BusTypeId

// Control-word bits the sequences use.
namespace CanCtrl {
constexpr uint16_t CommandMask = 0x000F;  // CiA 402 command bits 0-3
constexpr uint16_t Shutdown = 0x0006;
constexpr uint16_t SwitchOn = 0x0007;    // also disable operation
constexpr uint16_t EnableOperation = 0x000F;
constexpr uint16_t FaultReset = 0x0080;
constexpr uint16_t Halt = 0x0100;
}  // namespace CanCtrl

namespace MdbCtrl {
constexpr uint16_t Enable = 0x0001;  // power
constexpr uint16_t Run = 0x0002;     // operative
constexpr uint16_t FaultReset = 0x0004;
constexpr uint16_t Halt = 0x0008;
}  // namespace MdbCtrl

// BusType of DriveRecordBank slot 0.
uint16_t Busctrl_bus_type();
// The field-bus status word of the decoded drive status.
uint16_t Busctrl_status_word();
