#include "pages/fieldbus/Frm_cands402_pos_crtl.h"

#include "pages/fieldbus/Fieldbus_page.h"
#include "pages/fieldbus/Frm_mdb_pos_par.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_error_win", "Pos. error win.", 2068, EditType::U32, 0, 4294967295.0, 0},
    {"FlowPanel_pos_error_time_out", "Timeout error", 2072, EditType::U16, 1, 10000, 0},
    {"FlowPanel_pos_LimitPosMax", "Max limit pos.", 2108, EditType::I32, -2147483648.0, 2147483647, 0},
    {"FlowPanel_pos_LimitPosMin", "Min limit pos.", 2104, EditType::I32, -2147483648.0, 2147483647, 0},
    {"FlowPanel_pos_home_offset", "Home Offset", 2180, EditType::I32, -2147483648.0, 2147483647, 0},
};
const PollSpec POLL[] = {
    {2068, 2068}, {2072, 2072}, {2108, 2108}, {2104, 2104}, {2180, 2180}, {2265, 2265}, {2064, 2064}, {2224, 2224},
};
static_assert(std::size(POLL) == 8);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const BitSpec BITS[] = {
    {"CheckBox_enable_pos_limit", PosFlagsCanopen.limits, false, "Panel_posflg_lim_pos", PosFlagsCanopen.ofs,
     "Panel_enable_pos_limit", PosFlagsCanopen.size, true},
    {"CheckBox_pos_torque_limit", PosFlagsCanopen.torque, false, "Panel_posflg_torque_lim", PosFlagsCanopen.ofs,
     "Panel_pos_torque_limit", PosFlagsCanopen.size, true},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"CheckBox_enable_pos_limit", PosFlagsCanopen.ofs,
     {"Abilita limiti posizione", "Enable position limits", "Activer les limites de position"}},
    {"CheckBox_pos_torque_limit", PosFlagsCanopen.ofs,
     {PosTorqueLimitText[0], PosTorqueLimitText[1], PosTorqueLimitText[2]}},
};


const FieldbusUnit UNIT = {.live_captions = CanPositionCaptions, .flags = FLAG_CAPTIONS, .flag_count = std::size(FLAG_CAPTIONS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Fieldbus_check_rows(p.spec(), box, layout);
    Fieldbus_live_rows(p.spec(), CanPositionCaptions, box, layout);
}

const PageSpec SPEC = {
    "TFrame_CanDS402_Pos_Crtl", "GroupBox_DS402_Pos_crtl", {"Pos. Impostazioni", "Position Setting", "Réglage position"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build),
    BITS, std::size(BITS), CanPositionLives, std::size(CanPositionLives),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_pos_crtl, SPEC)
