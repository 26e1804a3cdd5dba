#include "pages/drive/Frm_pid_vel.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_PID_speed_kp", "Speed Kp", 186, EditType::U16, 1, 3000, 0},
    {"FlowPanel_PID_speed_ki", "Speed Ki", 188, EditType::U16, 0, 3000, 0},
    {"FlowPanel_PID_speed_kd", "Speed Kd", 190, EditType::U16, 0, 1000, 0},
};
const PollSpec POLL[] = {{186, 186}, {188, 188}, {190, 190}};
static_assert(std::size(POLL) <= SER_READ_LIST_MAX);
const PollList LISTS[] = {{POLL, std::size(POLL)}};

const PageSpec SPEC = {
    "TFrame_pid_vel", "GroupBox_PID_vel",
    {"Regolatore Velocità", "Speed Regulator", "Régulateur de Vitesse"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
};

}  // namespace

PARAM_PAGE_UNIT(pid_vel, SPEC)
