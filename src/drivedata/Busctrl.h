#pragma once
// Field-bus control words: writes of the Modbus control register 0300h and the CANopen control
// word 6040h (BusCtrlWord), the fault-reset pulse and the halt bit of the connected drive's
// profile (BusType of DriveRecordBank slot 0: 1 Modbus, 2 CANopen; other types write nothing).
//
// Two write paths:
// - user writes (buttons, the reset pulse) always queue their request;
// - periodic writes (the power steps, the remote synchronisation) queue nothing while the last
//   queued write of the same control word already carries the value, so a drive that does not
//   follow cannot fill the request queue.
// Both store the value into BusCtrlWord first and write it unmerged and not stored permanently.
// GUI thread only.
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

// Status polls queued between the set and the clear of the fault-reset bit.
constexpr int BUSCTRL_RESET_POLLS = 9;

// BusType of DriveRecordBank slot 0.
uint16_t Busctrl_bus_type();
// The field-bus status word of the decoded drive status.
uint16_t Busctrl_status_word();

// User write: stores the value into the active profile's control word and queues its write.
void Busctrl_write_ctrl_word(uint16_t value);
// Periodic write: stores the value; queues the write unless the last queued write of the control
// word carries the same value.
void Busctrl_write_ctrl_word_periodic(uint16_t value);
// Fault-reset pulse: reset bit cleared, set, nine status polls, cleared. Without a power request
// the pulse also carries the enable bits cleared (Modbus 0-1, CANopen 0-3).
void Busctrl_fault_reset();
// Sets (on non-zero) or clears the halt bit and writes the word.
void Busctrl_set_halt(uint8_t on);
