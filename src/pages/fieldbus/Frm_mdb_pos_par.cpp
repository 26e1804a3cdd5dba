#include "pages/fieldbus/Frm_mdb_pos_par.h"

#include "pages/fieldbus/Fieldbus_page.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_home_offset", "Home Offset", 640, EditType::I32, -2147483648.0, 2147483647, 0},
    {"FlowPanel_pos_limit_max", "Max limit pos.", 648, EditType::I32, -2147483648.0, 2147483647, 0},
    {"FlowPanel_pos_limit_min", "Min limit pos.", 644, EditType::I32, -2147483648.0, 2147483647, 0},
};
const PollSpec POLL[] = {
    {640, 642}, {642, 640, true}, {648, 650}, {650, 648, true}, {644, 646}, {646, 644, true}, {670, 670},
};
static_assert(std::size(POLL) == 7);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

// A box changes its own bit; the tick takes the whole flags word.
const BitSpec BITS[] = {
    {"CheckBox_limit_pos", PosFlagsModbus.limits, false, "Panel_par_pos_flg_dat_enable_limit_pos", PosFlagsModbus.ofs,
     "Panel_enable_limit_pos_on_off", PosFlagsModbus.size, true},
    {"CheckBox_pos_torque_limit", PosFlagsModbus.torque, false, "Panel_par_pos_flg_dat_enable_torque_limit",
     PosFlagsModbus.ofs, "Panel_pos_torque_limit", PosFlagsModbus.size, true},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"CheckBox_limit_pos", PosFlagsModbus.ofs, {"Abilita limiti pos.", "Enable limits pos.", "Activer limites pos."}},
    {"CheckBox_pos_torque_limit", PosFlagsModbus.ofs,
     {PosTorqueLimitText[0], PosTorqueLimitText[1], PosTorqueLimitText[2]}},
};

const FieldbusUnit UNIT = {.flags = FLAG_CAPTIONS, .flag_count = std::size(FLAG_CAPTIONS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Fieldbus_check_rows(p.spec(), box, layout);
}

const PageSpec SPEC = {
    "TFrame_mdb_pos_par", "GroupBox_pos_par", {"Parametri Posizione", "Position Parameters", "Paramètres Position"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build),
    BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos_par, SPEC)
