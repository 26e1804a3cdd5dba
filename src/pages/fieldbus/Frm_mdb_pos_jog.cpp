#include "pages/fieldbus/Frm_mdb_pos_jog.h"

#include "pages/fieldbus/Fieldbus_page.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_jog_rif", "Velocity", 664, EditType::I32, 1, 2147483647, 0},
    {"FlowPanel_pos_jog_acc", "Accel.", 652, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_jog_dec", "Decel.", 656, EditType::U32, 1, 2147483647, 0},
};
const PollSpec POLL[] = {{664, 666}, {666, 664, true}, {652, 654}, {654, 652, true}, {656, 658}, {658, 656, true}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const PageSpec SPEC = {
    "TFrame_mdb_pos_jog", "GroupBox_pos_jog", {"Jog Posizione", "Position Jog", "Jog Position"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), {.select_list = Fieldbus_modbus_list},
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos_jog, SPEC)
