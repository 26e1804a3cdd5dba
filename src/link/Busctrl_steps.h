#pragma once
// Field-bus control-word writes: the Modbus control register 0300h and the CANopen control word
// 6040h (BusCtrlWord), the fault-reset pulse and the halt bit of the connected drive's profile
// (Busctrl_bus_type; other types write nothing).
//
// Two write paths:
// - user writes (buttons, the reset pulse) always queue their request;
// - periodic writes (the power steps, the remote synchronisation) queue nothing while the last
//   queued write of the same control word already carries the value, so a drive that does not
//   follow cannot fill the request queue.
// Both store the value into BusCtrlWord first and write it unmerged and not stored permanently.
// GUI thread only.
#include <cstdint>

#include "drivedata/Busctrl.h"
#include "drivedata/Globvar.h"

// Status polls queued between the set and the clear of the fault-reset bit.
constexpr int BUSCTRL_RESET_POLLS = 9;

// DriveUiFlags bits of the power requests that the power steps drop.
constexpr uint8_t BUSCTRL_REQUEST_BITS = UiFlag::Power | UiFlag::Operative | UiFlag::QuickStopHold;

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
