#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_vel_aggc_acc", "Acceleration", 744, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_grbx_vel_aggc_jerk", "Jerk", 748, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_grbx_pos_aggc_quota", "Position", 752, EditType::I32, 0, 2147483647, 0},
};

constexpr uint16_t MASTER = LiveLoc::MeasuredEncoderCount.ofs;
const PollSpec POLL[] = {
    {734, 734}, {744, 746}, {746, 744, true}, {748, 750}, {750, 748, true}, {752, 754}, {754, 752, true},
    {MASTER, MASTER + 2, false, 0, 0, Area::Live}, {MASTER + 2, MASTER, true, 0, 0, Area::Live},
};
static_assert(std::size(POLL) == 9);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

ParamPage& page() { return Frm_mdb_gearbox_aggc_page(); }

void ComboBox_grbx_mode_aggcChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_aggc", "ComboBox_grbx_mode_aggc", 734, 2, false, &GearboxModeCombo, nullptr, nullptr,
     ComboBox_grbx_mode_aggcChange},
};
void ComboBox_grbx_mode_aggcChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .texts = GearboxEngageTexts,
                           .text_count = std::size(GearboxEngageTexts)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout) { Gearbox_engage_build(p, COMBOS[0], box, layout); }

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build);

const PageSpec SPEC = {
    "TFrame_mdb_gearbox_aggc", "GroupBox_mdb_gearbox_aggc", {"Aggancio", "Engaging", "Engageant"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(mdb_gearbox_aggc, SPEC)

void Gearbox_engage_build(ParamPage& page, const FieldCombo& mode, QGroupBox* box, QVBoxLayout* layout)
{
    layout->insertWidget(0, Field_combo_build(page, mode, box, nullptr));
    QVBoxLayout* vel = nullptr;
    QVBoxLayout* pos = nullptr;
    Fieldbus_group(box, layout, "GroupBox_data_aggancio_vel", &vel);
    Fieldbus_group(box, layout, "GroupBox_data_aggancio_pos", &pos);
    Fieldbus_move(box, "FlowPanel_grbx_vel_aggc_acc", vel);
    Fieldbus_move(box, "FlowPanel_grbx_vel_aggc_jerk", vel);
    Fieldbus_move(box, "FlowPanel_grbx_pos_aggc_quota", pos);
}
