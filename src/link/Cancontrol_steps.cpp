// CANopen power sequence.
#include "link/Cancontrol_steps.h"

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "link/Busctrl_steps.h"

namespace {

using namespace CanStatus;

bool in_fault(uint16_t s)
{
    return (s & Mask6F) == Fault || (s & Mask6F) == FaultReaction;
}

// Requests dropped: disable voltage once when the stored word still holds command bits, and
// while the drive shows any of bits 0-2 outside switch on disabled.
void release(uint16_t s)
{
    const uint16_t word = BusCtrlWord.can_ctrl;
    const bool drive_on = (s & Mask4F) != SwitchOnDisabled && (s & AnyOn) != 0;
    if ((word & CanCtrl::CommandMask) != 0 || drive_on)
        Busctrl_write_ctrl_word_periodic(static_cast<uint16_t>(word & ~CanCtrl::CommandMask));
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~BUSCTRL_REQUEST_BITS));
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
    const uint16_t s6f = s & Mask6F;
    if ((s & Mask4F) == SwitchOnDisabled)
        send(CanCtrl::Shutdown);
    else if (s6f == Ready)
        send(CanCtrl::SwitchOn);
    if (req & UiFlag::Operative) {
        if (s6f == SwitchedOn || (s6f == QuickStop && !(req & UiFlag::QuickStopHold)))
            send(CanCtrl::EnableOperation);
        return;
    }
    if (s6f == OperationEnabled)
        send(CanCtrl::SwitchOn);
}
