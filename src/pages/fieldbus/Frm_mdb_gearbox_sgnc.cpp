#include "pages/fieldbus/Frm_mdb_gearbox_sgnc.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Frm_mdb_gearbox_aggc.h"

namespace {

constexpr uint16_t OFS_GEAR_FLAGS = 728;  // 0700h

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_vel_sgnc_acc", "Deceleration", 756, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_grbx_vel_sgnc_jerk", "Jerk", 760, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_grbx_pos_sgnc_vel", "Velocity", 764, EditType::U16, 1, 10000, 0},
    {"FlowPanel_grbx_pos_sgnc_acc", "Accel./Decel.", 766, EditType::U16, 1, 60000, 0},
    {"FlowPanel_grbx_pos_sgnc_quota", "Position", 768, EditType::I32, -2147483648.0, 2147483647, 0},
};

constexpr uint16_t MASTER = LiveLoc::MeasuredEncoderCount.ofs;
const PollSpec POLL[] = {
    {728, 728}, {736, 736}, {756, 758}, {758, 756, true}, {760, 762}, {762, 760, true}, {764, 764}, {766, 766},
    {768, 770}, {770, 768, true}, {MASTER, MASTER + 2, false, 0, 0, Area::Live},
    {MASTER + 2, MASTER, true, 0, 0, Area::Live},
};
static_assert(std::size(POLL) == 12);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

// Only bit 0 of 0700h is the page's: its own bit is copied at the tick, the others follow at Refresh.
const BitSpec BITS[] = {
    {"ComboBox_grbx_pos_sgnc_as_rel", 1u << 0, true, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel", OFS_GEAR_FLAGS},
};
const BitComboItems BIT_COMBOS[] = {
    {"ComboBox_grbx_pos_sgnc_as_rel", &GearboxPosTypeCombo, "Panel_grbx_pos_sgnc_as_rel"},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"Panel_grbx_pos_sgnc_as_rel", OFS_GEAR_FLAGS, {"Tipo Posizione", "Position type", "Type Position"}},
};

ParamPage& page() { return Frm_mdb_gearbox_sgnc_page(); }

void ComboBox_grbx_mode_sgncChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_sgnc", "ComboBox_grbx_mode_sgnc", 736, 2, false, &GearboxModeCombo, nullptr, nullptr,
     ComboBox_grbx_mode_sgncChange},
};
void ComboBox_grbx_mode_sgncChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .flags = FLAG_CAPTIONS,
                           .flag_count = std::size(FLAG_CAPTIONS),
                           .texts = GearboxDisengageTexts,
                           .text_count = std::size(GearboxDisengageTexts),
                           .bit_combos = BIT_COMBOS,
                           .bit_combo_count = std::size(BIT_COMBOS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    FlowPanel* type = Page_flow(box, nullptr, "Panel_grbx_pos_sgnc_as_rel");
    Page_combo(type, "ComboBox_grbx_pos_sgnc_as_rel");
    Gearbox_disengage_build(p, COMBOS[0], box, layout, type, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel");
}

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build);

const PageSpec SPEC = {
    "TFrame_mdb_gearbox_sgnc", "GroupBox_mdb_gearbox_sgnc", {"Sgancio", "Disengaging", "Désengager"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_gearbox_sgnc, SPEC)

void Gearbox_disengage_build(ParamPage& page, const FieldCombo& mode, QGroupBox* box, QVBoxLayout* layout,
                             QWidget* pos_type, const char* hex)
{
    layout->insertWidget(0, Field_combo_build(page, mode, box, nullptr));
    QVBoxLayout* vel = nullptr;
    QVBoxLayout* pos = nullptr;
    Fieldbus_group(box, layout, "GroupBox_data_sgancio_vel", &vel);
    QGroupBox* pos_box = Fieldbus_group(box, layout, "GroupBox_data_sgancio_pos", &pos);
    for (const char* name : {"FlowPanel_grbx_vel_sgnc_acc", "FlowPanel_grbx_vel_sgnc_jerk"})
        Fieldbus_move(box, name, vel);
    for (const char* name : {"FlowPanel_grbx_pos_sgnc_vel", "FlowPanel_grbx_pos_sgnc_acc", "FlowPanel_grbx_pos_sgnc_quota"})
        Fieldbus_move(box, name, pos);
    pos_type->setParent(pos_box);
    pos->addWidget(pos_type);
    if (hex != nullptr)
        Page_label(pos_box, pos, hex);
}
