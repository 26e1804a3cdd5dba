#include "pages/drive/Frm_pid_cor.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_PID_corr_kp", "Current Kp", 156, EditType::U16, 1, 2000, 0},
    {"FlowPanel_PID_corr_ki", "Current Ki", 158, EditType::U16, 0, 2000, 0},
    {"FlowPanel_PID_corr_kd", "Current Kd", 160, EditType::U16, 0, 1000, 0},
};
const PollSpec POLL[] = {{156, 156}, {158, 158}, {160, 160}};
static_assert(std::size(POLL) <= SER_READ_LIST_MAX);
const PollList LISTS[] = {{POLL, std::size(POLL)}};

const PageSpec SPEC = {
    "TFrame_pid_cor", "GroupBox_BR_PID_corrente",
    {"Regolatore Corrente", "Current Regulator", "Régulateur de Courant"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
};

}  // namespace

PARAM_PAGE_UNIT(pid_cor, SPEC)
