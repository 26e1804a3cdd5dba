#include "pages/drive/Frm_fan_ctrl.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_fan_temp_max", "Temperature enables fan", 50, EditType::U16, 0, 2000, 1, 60},
    {"FlowPanel_fan_temp_ist", "Temperature fan hysteresis", 52, EditType::U16, 10, 2000, 1, 60},
};

const PageHooks HOOKS = {.no_timer = true};

const PageSpec SPEC = {
    "TFrame_fan_ctrl", "GroupBox_fan_ctrl",
    {"Ventola radiatore", "Radiator fan", "Ventilateur du radiateur"},
    FIELDS, std::size(FIELDS), nullptr, 0, HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(fan_ctrl, SPEC)
