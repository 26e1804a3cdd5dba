// Modbus "Factors" page (TFrame_mdb_factor): factor registers 0609h-060Ch and 0406h-040Dh, the
// polarity bits 0 of 0600h and 0400h; "Calcola fattori" opens the result dialog only when all three
// pairs were computed.
#include "factors/Factor_tool.h"
#include "factors/Form_factor_tool.h"
#include "pages/fieldbus/Factor_page.h"

namespace {

constexpr double U32_MAX = 4294967295.0;

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_factor_num", "Fattore pos - num", 632, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_pos_factor_den", "Fattore pos - den", 636, EditType::U32, 1, U32_MAX, 0, 120},
    {"FlowPanel_vel_factor_num", "Fattore vel. - num", 476, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_vel_factor_den", "Fattore vel. - den", 480, EditType::U32, 1, U32_MAX, 0, 120},
    {"FlowPanel_acc_factor_num", "Fattore acc. - num", 484, EditType::U32, 0, U32_MAX, 0, 120},
    {"FlowPanel_acc_factor_den", "Fattore acc. - den", 488, EditType::U32, 1, U32_MAX, 0, 120},
};

// 0400h, the six factors as their register pairs, 0400h again and 0600h.
const PollSpec POLL[] = {
    {464, 464},         {632, 634}, {634, 632, true}, {636, 638}, {638, 636, true}, {476, 478},
    {478, 476, true},   {480, 482}, {482, 480, true}, {484, 486}, {486, 484, true}, {488, 490},
    {490, 488, true},   {464, 464}, {670, 670},
};
static_assert(std::size(POLL) == 15);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

// The Modbus registers exist for bus types 0 and 1 only.
int select_list(uint16_t bus_type) { return bus_type <= 1 ? 0 : -1; }

void calculate(uint8_t, QWidget* frame)
{
    if (!Factor_tool_compute_all())
        return;
    TForm_mdb_factor_tool dialog(Frm_mdb_factor_refresh, frame);
    dialog.exec();
}

// Bit 0 of 0600h and of 0400h; the tick copies only that bit.
const BitSpec BITS[] = {
    {"CheckBox_pos_polarity", 1u << 0, false, "Panel_par_pos_flg_dat_pos_polarity", 670, "Panel_pos_polarity_on_off"},
    {"CheckBox_vel_polarity", 1u << 0, false, "Panel_par_set_flg_dat_vel_polarity", 464, "Panel_vel_polarity_on_off"},
};

const FactorTwin TWIN = {
    Frm_mdb_factor_page,
    {{&BITS[0], {"Inverti posizione", "Reverse position", "Inverser position"}, true},
     {&BITS[1], {"Inverti Velocità", "Reverse Speed", "Inverser Vitesse"}, true}},
    {},
    {},
    calculate,
};

const PageHooks HOOKS = Factor_page_hooks<TWIN>(select_list, false);

const PageSpec SPEC = {
    "TFrame_mdb_factor", "GroupBox_mdb_factor",
    {"Fattori", "Factors", "Facteurs"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_factor, SPEC)
