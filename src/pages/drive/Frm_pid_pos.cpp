#include "pages/drive/Frm_pid_pos.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_PID_kp_pos", "Position Kp", 192, EditType::U16, 0, 4000, 0},
};
const PollSpec POLL[] = {{192, 192}};
static_assert(std::size(POLL) <= SER_READ_LIST_MAX);
const PollList LISTS[] = {{POLL, std::size(POLL)}};

const PageSpec SPEC = {
    "TFrame_pid_pos", "GroupBox_PID_position",
    {"Regolatore Posizione", "Position Regulator", "Régulateur de Position"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
};

}  // namespace

PARAM_PAGE_UNIT(pid_pos, SPEC)
