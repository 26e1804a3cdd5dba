// Modbus power sequence.
#include "link/Mdbcontrol_steps.h"

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "link/Busctrl_steps.h"

namespace {

// Status register bits.
constexpr uint16_t ST_ENABLED = 1u << 0;
constexpr uint16_t ST_RUNNING = 1u << 1;
constexpr uint16_t ST_FAULT = 1u << 4;

constexpr uint16_t ENABLE_BITS = MdbCtrl::Enable | MdbCtrl::Run;

}  // namespace

void Mdbcontrol_enable_step()
{
    if (Busctrl_bus_type() != BusTypeId::Modbus)
        return;
    const uint16_t s = Busctrl_status_word();
    const uint8_t req = DriveUiFlags.load();
    uint16_t c = BusCtrlWord.mdb_ctrl;
    const auto send = [&c](uint16_t set, uint16_t clear) {
        c = static_cast<uint16_t>((c | set) & ~clear);
        Busctrl_write_ctrl_word_periodic(c);
    };
    if (!(req & UiFlag::Power) || (s & ST_FAULT)) {
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~BUSCTRL_REQUEST_BITS));
        if ((s & ST_ENABLED) || (c & ENABLE_BITS))
            send(0, ENABLE_BITS);
        return;
    }
    if (!(s & ST_ENABLED))
        send(MdbCtrl::Enable, 0);
    if (req & UiFlag::Operative) {
        if (!((s & ST_RUNNING) && (c & MdbCtrl::Run)))
            send(MdbCtrl::Run, 0);
        return;
    }
    if ((s & ST_RUNNING) || (c & MdbCtrl::Run))
        send(0, MdbCtrl::Run);
}
