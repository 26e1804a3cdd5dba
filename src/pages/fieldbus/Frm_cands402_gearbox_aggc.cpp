#include "pages/fieldbus/Frm_cands402_gearbox_aggc.h"

#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_vel_aggc_acc", "Acceleration", 2276, EditType::U32, 1, 6000000, 0},
    {"FlowPanel_grbx_vel_aggc_jerk", "Jerk", 2280, EditType::U32, 1, 6000000, 0},
    {"FlowPanel_grbx_pos_aggc_quota", "Position", 2284, EditType::I32, 0, 2147483647, 0},
};

const PollSpec POLL[] = {
    {2272, 2272}, {2276, 2276}, {2280, 2280}, {2284, 2284},
    {LiveLoc::MeasuredEncoderCount.ofs, LiveLoc::MeasuredEncoderCount.ofs, false, 0, 0, Area::Live},
    {2064, 2064}, {2224, 2224},
};
static_assert(std::size(POLL) == 7);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

ParamPage& page() { return Frm_cands402_gearbox_aggc_page(); }

void ComboBox_grbx_mode_aggcChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_aggc", "ComboBox_grbx_mode_aggc", 2272, 1, false, &GearboxModeCombo, nullptr, nullptr,
     ComboBox_grbx_mode_aggcChange},
};
void ComboBox_grbx_mode_aggcChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .texts = GearboxEngageTexts,
                           .text_count = std::size(GearboxEngageTexts)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout) { Gearbox_engage_build(p, COMBOS[0], box, layout); }

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build);

const PageSpec SPEC = {
    "TFrame_CanDS402_GearBox_aggc", "GroupBox_DS402_GearBox_aggc", {"Aggancio", "Engaging", "Engageant"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(cands402_gearbox_aggc, SPEC)
