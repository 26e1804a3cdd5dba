#include "pages/fieldbus/Frm_mdb_pos_in1_tac.h"

#include "pages/fieldbus/Fieldbus_page.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_tac", "Position - Input 1", 676, EditType::U32, 0, 2147483647, 0},
};
constexpr uint16_t MEASURED = LiveLoc::MeasuredPosition.ofs;
const PollSpec POLL[] = {
    {670, 670}, {676, 678}, {678, 676, true},
    {MEASURED, MEASURED + 2, false, 0x061C, 0, Area::Live}, {MEASURED + 2, MEASURED, true, 0x061D, 0, Area::Live},
};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const BitSpec BITS[] = {
    {"CheckBox_enable_in1_tac", PosFlagsModbus.input1, false, "Panel_flgx_pos", PosFlagsModbus.ofs,
     "Panel_enable_in1_tac_on_off", PosFlagsModbus.size, true},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"CheckBox_enable_in1_tac", PosFlagsModbus.ofs, {In1EnableText[0], In1EnableText[1], In1EnableText[2]}},
};
// The measured position of the connected drive, in context 0 only.
const LiveSpec LIVES[] = {{LiveLoc::MeasuredPosition, "Panel_mdb_pos_mis_dat", LiveSpec::Int, 4}};
const LiveCaption LIVE_CAPTIONS[] = {{"Panel_mdb_pos_mis_str", 0x061C}};

const FieldbusUnit UNIT = {.live_captions = LIVE_CAPTIONS, .flags = FLAG_CAPTIONS, .flag_count = std::size(FLAG_CAPTIONS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Fieldbus_check_rows(p.spec(), box, layout);
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, box, layout);
}

const PageSpec SPEC = {
    "TFrame_mdb_pos_in1_tac", "GroupBox_In1_posizionamento", {In1Title[0], In1Title[1], In1Title[2]},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build),
    BITS, std::size(BITS), LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos_in1_tac, SPEC)
