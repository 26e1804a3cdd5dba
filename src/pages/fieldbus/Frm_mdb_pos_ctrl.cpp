#include "pages/fieldbus/Frm_mdb_pos_ctrl.h"

#include "pages/fieldbus/Fieldbus_page.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_error_max", "Max Pos. Error", 492, EditType::U32, 1, 2147483647, 0, 120},
    {"FlowPanel_error_time", "Time Error", 496, EditType::U16, 10, 10000, 0},
};
const PollSpec POLL[] = {{492, 494}, {494, 492, true}, {496, 496}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const PageSpec SPEC = {
    "TFrame_mdb_pos_ctrl", "GroupBox_pos_set", {"Pos. Impostazioni", "Position Setting", "Réglage position"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), {.select_list = Fieldbus_modbus_list},
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos_ctrl, SPEC)
