#include "pages/drive/Frm_resistenza_fren.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_resistenza", "Braking resistor", 54, EditType::U16, 10, 10000, 0, 60},
    {"FlowPanel_power_nom", "Nominal power", 56, EditType::U16, 30, 10000, 0, 60},
    {"FlowPanel_time_overload", "Overload time", 58, EditType::U16, 1, 255, 0, 60},
};
const PollSpec POLL[] = {{54, 54}, {56, 56}, {58, 58}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};

const PageSpec SPEC = {
    "TFrame_resistenza_fren", "GroupBox_resistenza_fren",
    {"Resist. frenatura", "Braking resistor", "Résisatnce freinage"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS),
};

}  // namespace

PARAM_PAGE_UNIT(resistenza_fren, SPEC)
