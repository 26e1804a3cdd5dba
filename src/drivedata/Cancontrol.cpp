// CANopen state decoder.
#include "drivedata/Cancontrol.h"

namespace {

struct StateRow {
    uint16_t mask;
    uint16_t pattern;
    uint16_t state;
};

// First match wins.
constexpr StateRow STATE_ROWS[] = {
    {CanStatus::Mask4F, CanStatus::Fault, CanState::Fault},
    {CanStatus::Mask4F, CanStatus::FaultReaction, CanState::FaultReactionActive},
    {CanStatus::Mask4F, CanStatus::NotReady, CanState::NotReadyToSwitchOn},
    {CanStatus::Mask4F, CanStatus::SwitchOnDisabled, CanState::SwitchOnDisabled},
    {CanStatus::Mask6F, CanStatus::QuickStop, CanState::QuickStopActive},
    {CanStatus::Mask6F, CanStatus::Ready, CanState::ReadyToSwitchOn},
    {CanStatus::Mask6F, CanStatus::SwitchedOn, CanState::SwitchedOn},
    {CanStatus::Mask6F, CanStatus::OperationEnabled, CanState::OperationEnabled},
};

}  // namespace

uint16_t Cancontrol_state(uint16_t status)
{
    for (const StateRow& r : STATE_ROWS)
        if ((status & r.mask) == r.pattern)
            return r.state;
    return CanState::Unknown;
}
