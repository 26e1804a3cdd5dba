#include "pages/fieldbus/Frm_cands402_gearbox_sgnc.h"

#include <QGroupBox>

#include "controls/FlowPanel.h"
#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"
#include "pages/fieldbus/Frm_mdb_gearbox_sgnc.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_vel_sgnc_acc", "Deceleration", 2288, EditType::U32, 1, 6000000, 0},
    {"FlowPanel_grbx_vel_sgnc_jerk", "Jerk", 2292, EditType::U32, 1, 6000000, 0},
    {"FlowPanel_grbx_pos_sgnc_vel", "Velocity", 2296, EditType::U16, 1, 10000, 0},
    {"FlowPanel_grbx_pos_sgnc_acc", "Accel./Decel.", 2298, EditType::U16, 1, 60000, 0},
    {"FlowPanel_grbx_pos_sgnc_quota", "Position", 2300, EditType::I32, -2147483648.0, 2147483647, 0},
};

const PollSpec POLL[] = {
    {2273, 2273}, {2288, 2288}, {2275, 2275}, {2292, 2292}, {2296, 2296}, {2298, 2298}, {2300, 2300},
    {LiveLoc::MeasuredEncoderCount.ofs, LiveLoc::MeasuredEncoderCount.ofs, false, 0, 0, Area::Live},
    {2064, 2064}, {2224, 2224},
};
static_assert(std::size(POLL) == 10);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

ParamPage& page() { return Frm_cands402_gearbox_sgnc_page(); }

void ComboBox_grbx_mode_sgncChange(int index);
void ComboBox_grbx_pos_sgnc_as_relChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_sgnc", "ComboBox_grbx_mode_sgnc", 2273, 1, false, &GearboxModeCombo, nullptr, nullptr,
     ComboBox_grbx_mode_sgncChange},
    {"Panel_grbx_pos_sgnc_as_rel", "ComboBox_grbx_pos_sgnc_as_rel", 2275, 1, false, &GearboxPosTypeCombo, nullptr,
     nullptr, ComboBox_grbx_pos_sgnc_as_relChange},
};
void ComboBox_grbx_mode_sgncChange(int index) { Field_combo_change(page(), COMBOS[0], index); }
void ComboBox_grbx_pos_sgnc_as_relChange(int index) { Field_combo_change(page(), COMBOS[1], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .texts = GearboxDisengageTexts,
                           .text_count = std::size(GearboxDisengageTexts)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Gearbox_disengage_build(p, COMBOS[0], box, layout, Field_combo_build(p, COMBOS[1], box, nullptr), nullptr);
}

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build);

const PageSpec SPEC = {
    "TFrame_CanDS402_GearBox_sgnc", "GroupBox_DS402_GearBox_sgnc", {"Sgancio", "Disengaging", "Désengager"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(cands402_gearbox_sgnc, SPEC)
