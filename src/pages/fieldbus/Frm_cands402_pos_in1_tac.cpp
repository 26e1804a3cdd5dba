#include "pages/fieldbus/Frm_cands402_pos_in1_tac.h"

#include "pages/fieldbus/Fieldbus_page.h"
#include "pages/fieldbus/Frm_mdb_pos_in1_tac.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_tac", "Position - Input 1", 2260, EditType::U32, 0, 2147483647, 0},
};
const PollSpec POLL[] = {{2260, 2260}, {2265, 2265}, {2064, 2064}, {2224, 2224}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const BitSpec BITS[] = {
    {"CheckBox_enable_in1_tac", PosFlagsCanopen.input1, false, "Panel_flgx_pos", PosFlagsCanopen.ofs,
     "Panel_enable_in1_tac_on_off", PosFlagsCanopen.size, true},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"CheckBox_enable_in1_tac", PosFlagsCanopen.ofs, {In1EnableText[0], In1EnableText[1], In1EnableText[2]}},
};

const FieldbusUnit UNIT = {.live_captions = CanPositionCaptions, .flags = FLAG_CAPTIONS, .flag_count = std::size(FLAG_CAPTIONS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Fieldbus_check_rows(p.spec(), box, layout);
    Fieldbus_live_rows(p.spec(), CanPositionCaptions, box, layout);
}

const PageSpec SPEC = {
    "TFrame_CanDS402_Pos_In1_Tac", "GroupBox_In1_posizionamento", {In1Title[0], In1Title[1], In1Title[2]},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build),
    BITS, std::size(BITS), CanPositionLives, std::size(CanPositionLives),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_pos_in1_tac, SPEC)
