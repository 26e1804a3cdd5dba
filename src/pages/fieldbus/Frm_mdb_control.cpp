#include "pages/fieldbus/Frm_mdb_control.h"

#include <QComboBox>

#include "diagrams/Blockgraph.h"
#include "drivedata/Globvar.h"

namespace {

constexpr uint16_t OFS_CONTROL = 466;
// Control type, speed flags, torque flags, main and aux speed reference types, filter flags.
constexpr uint16_t POLLED[6] = {OFS_CONTROL, 594, 792, 596, 598, 182};
const PollSpec POLL[] = {{POLLED[0], POLLED[0]}, {POLLED[1], POLLED[1]}, {POLLED[2], POLLED[2]},
                         {POLLED[3], POLLED[3]}, {POLLED[4], POLLED[4]}, {POLLED[5], POLLED[5]}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

bool built[2] = {};
uint16_t taken[6] = {};  // the values last taken over (the control type is compared with slot 0)

ParamPage& page();
const ControlSetUnit UNIT = {page, OFS_CONTROL, MdbControlTypeCombo, nullptr, true, built};

uint16_t readback(uint16_t ofs) { return Rec_get<uint16_t>(DriveReadBack, ofs); }

// Any of the six changed: all six into slot 0, the combo and the diagram follow. A new control
// type also drops the block under the pointer.
void Timer_com_copy(ParamPage& p)
{
    if (!p.polled(OFS_CONTROL))
        return;
    bool changed = readback(OFS_CONTROL) != Rec_get<uint16_t>(DriveRecordBank[0], OFS_CONTROL);
    const bool new_type = changed;
    for (int i = 1; i < 6; ++i)
        changed = changed || readback(POLLED[i]) != taken[i];
    if (!changed)
        return;
    for (int i = 0; i < 6; ++i) {
        taken[i] = readback(POLLED[i]);
        Rec_set<uint16_t>(DriveRecordBank[0], POLLED[i], taken[i]);
    }
    Combo_select(p.find<QComboBox>(0, "ComboBox_type_control"), MdbControlTypeCombo, taken[0]);
    if (new_type)
        Blockgraph_current[0] = nullptr;
    Control_set_draw(UNIT, 0);
}

constexpr PageHooks hooks()
{
    PageHooks h = ControlSetHooks<UNIT>::hooks();
    h.copy = Timer_com_copy;
    return h;
}

const PageSpec SPEC = {
    "TFrame_mdb_control", "", {"", "", ""}, nullptr, 0, LISTS, std::size(LISTS), hooks(),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_control, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_control_page(); }
}  // namespace

QWidget* Frm_mdb_control_frame(uint8_t ctx) { return Frm_mdb_control_page().frame(ctx); }
