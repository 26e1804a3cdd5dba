// CANopen power sequence and state decoder.
#include "drivedata/Cancontrol.h"

#include "drivedata/Busctrl.h"
#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"

namespace {

// Status word patterns under their masks.
constexpr uint16_t MASK_4F = 0x4F;
constexpr uint16_t MASK_6F = 0x6F;
constexpr uint16_t ST_SWITCH_ON_DISABLED = 0x40;  // under 0x4F
constexpr uint16_t ST_READY = 0x21;               // under 0x6F from here on
constexpr uint16_t ST_SWITCHED_ON = 0x23;
constexpr uint16_t ST_OPERATION_ENABLED = 0x27;
constexpr uint16_t ST_QUICK_STOP = 0x07;
constexpr uint16_t ST_FAULT = 0x08;
constexpr uint16_t ST_FAULT_REACTION = 0x0F;
constexpr uint16_t ST_ANY_ON = 0x07;  // bits 0-2: ready, switched on, operation enabled

constexpr uint8_t REQUEST_BITS = UiFlag::Power | UiFlag::Operative | UiFlag::QuickStopHold;

struct StateRow {
    uint16_t mask;
    uint16_t pattern;
    uint16_t state;
};

// First match wins.
constexpr StateRow STATE_ROWS[] = {
    {MASK_4F, 0x08, CanState::Fault},
    {MASK_4F, 0x0F, CanState::FaultReactionActive},
    {MASK_4F, 0x00, CanState::NotReadyToSwitchOn},
    {MASK_4F, 0x40, CanState::SwitchOnDisabled},
    {MASK_6F, 0x07, CanState::QuickStopActive},
    {MASK_6F, 0x21, CanState::ReadyToSwitchOn},
    {MASK_6F, 0x23, CanState::SwitchedOn},
    {MASK_6F, 0x27, CanState::OperationEnabled},
};

bool in_fault(uint16_t s)
{
    return (s & MASK_6F) == ST_FAULT || (s & MASK_6F) == ST_FAULT_REACTION;
}

// Requests dropped: disable voltage once when the stored word still holds command bits, and
// while the drive shows any of bits 0-2 outside switch on disabled.
void release(uint16_t s)
{
    const uint16_t word = BusCtrlWord.can_ctrl;
    const bool drive_on = (s & MASK_4F) != ST_SWITCH_ON_DISABLED && (s & ST_ANY_ON) != 0;
    if ((word & CanCtrl::CommandMask) != 0 || drive_on)
        Busctrl_write_ctrl_word_periodic(static_cast<uint16_t>(word & ~CanCtrl::CommandMask));
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~REQUEST_BITS));
}

}  // namespace

void Cancontrol_enable_step()
{
    if (Busctrl_bus_type() != BusTypeId::Canopen)
        return;
    const uint16_t s = Busctrl_status_word();
    const uint8_t req = DriveUiFlags.load();
    if (!(req & UiFlag::Power) || in_fault(s)) {
        release(s);
        return;
    }
    uint16_t c = static_cast<uint16_t>(BusCtrlWord.can_ctrl & ~CanCtrl::CommandMask);
    const auto send = [&c](uint16_t bits) {
        c |= bits;
        Busctrl_write_ctrl_word_periodic(c);
    };
    const uint16_t s6f = s & MASK_6F;
    if ((s & MASK_4F) == ST_SWITCH_ON_DISABLED)
        send(CanCtrl::Shutdown);
    else if (s6f == ST_READY)
        send(CanCtrl::SwitchOn);
    if (req & UiFlag::Operative) {
        if (s6f == ST_SWITCHED_ON || (s6f == ST_QUICK_STOP && !(req & UiFlag::QuickStopHold)))
            send(CanCtrl::EnableOperation);
        return;
    }
    if (s6f == ST_OPERATION_ENABLED)
        send(CanCtrl::SwitchOn);
}

uint16_t Cancontrol_state(uint16_t status)
{
    for (const StateRow& r : STATE_ROWS)
        if ((status & r.mask) == r.pattern)
            return r.state;
    return CanState::Unknown;
}
