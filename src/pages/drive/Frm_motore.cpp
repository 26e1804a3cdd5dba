#include "pages/drive/Frm_motore.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"

namespace {

constexpr uint16_t OFS_MOTOR_TYPE = 132;
constexpr uint16_t OFS_POLE_PAIRS = 150;
constexpr uint16_t OFS_NOMINAL_SPEED = 134;
constexpr uint16_t MOTOR_LINEAR = 1;
constexpr uint16_t MOTOR_DC = 2;

const FieldSpec FIELDS[] = {
    {"FlowPanel_vel_nom", "Nominal Speed", 134, EditType::U16, 0, 20000, 0, 70},
    {"FlowPanel_corr_nom", "Nominal current", 136, EditType::U16, 0, 60000, 2, 70},
    {"FlowPanel_corr_picco", "Peak Current", 138, EditType::U16, 0, 60000, 2, 70},
    {"FlowPanel_corr_stallo", "Stall Current", 140, EditType::U16, 0, 60000, 2, 70},
    {"FlowPanel_volt_nom", "Nominal Voltage", 142, EditType::U16, 10, 460, 0, 70},
    {"FlowPanel_resist_fase", "Phase Resistor", 144, EditType::U16, 1, 25000, 2, 70},
    {"FlowPanel_indutt_sincrona", "Synchrony Inductance", 146, EditType::U16, 1, 65000, 2, 70},
    {"FlowPanel_flux_magnete", "Magnet Flow", 168, EditType::U16, 1, 65000, 3, 70},
    {"FlowPanel_I2t_time", "I2t Time", 148, EditType::U16, 1, 3000, 0, 70},
    {"FlowPanel_passo_polare", "Pole pitch", 124, EditType::U32, 1, 1000000, 3, 90},
};

// "Magnet Flow" (168) is in neither list: it is shown at Refresh and after an image read only.
#define MOTOR_COMMON_ITEMS                                                                            \
    {130, 130}, {132, 132}, {134, 134}, {136, 136}, {138, 138}, {140, 140}, {142, 142}, {150, 150}, \
        {144, 144}, {146, 146}, {148, 148}
const PollSpec POLL_MODBUS[] = {MOTOR_COMMON_ITEMS, {124, 126}, {126, 124, true}};
const PollSpec POLL_CANOPEN[] = {MOTOR_COMMON_ITEMS, {124, 124}};
#undef MOTOR_COMMON_ITEMS
static_assert(std::size(POLL_MODBUS) == 13 && std::size(POLL_CANOPEN) == 12);
const PollList LISTS[] = {{POLL_MODBUS, std::size(POLL_MODBUS), 0x03}, {POLL_CANOPEN, std::size(POLL_CANOPEN), 0x04}};

ParamPage& page() { return Frm_motore_page(); }

uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }

// Poles and pitch controls for the motor type of ctx's record; the nominal speed's unit first.
void show_by_type(uint8_t ctx)
{
    if (ParamPage::bus_known(ctx))
        if (MemoUpDwxBase* speed = page().edit_of(ctx, OFS_NOMINAL_SPEED))
            speed->set_language(ctx);
    auto* poles = page().find<QWidget>(ctx, "Panel_poli_motore");
    auto* combo = page().find<QWidget>(ctx, "ComboBox_poli_motore_rotativo");
    auto* linear = page().find<QWidget>(ctx, "Panel_poli_motore_linear");
    auto* pitch = page().find<QWidget>(ctx, "FlowPanel_passo_polare");
    if (poles == nullptr || combo == nullptr || linear == nullptr || pitch == nullptr)
        return;
    switch (field(ctx, OFS_MOTOR_TYPE)) {
    case MOTOR_LINEAR:
        poles->setVisible(true);
        combo->setVisible(false);
        linear->setVisible(true);
        pitch->setVisible(true);
        break;
    case MOTOR_DC:
        pitch->setVisible(false);
        poles->setVisible(false);
        break;
    default:
        poles->setVisible(true);
        combo->setVisible(true);
        linear->setVisible(false);
        pitch->setVisible(false);
        break;
    }
}

void ComboBox_motor_typeChange(int index)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() != 1 || ctx > 1 || Combo_value_of(MotorTypeCombo, index) < 0)
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_MOTOR_TYPE, static_cast<uint16_t>(index));
    show_by_type(static_cast<uint8_t>(ctx));
    if (PagesHost.monitor_layout != nullptr)
        PagesHost.monitor_layout();
    if (ctx != 0)
        return;
    if (PagesHost.enable_drive_commands != nullptr)
        PagesHost.enable_drive_commands(Page_edit_state());
    Sertx_write_var(RecLoc(OFS_MOTOR_TYPE));
}

void ComboBox_poli_motore_rotativoChange(int index)
{
    const uint16_t ctx = PageContext.load();
    const int32_t pairs = Combo_value_of(MotorPolesCombo, index);
    if (page().ready() != 1 || ctx > 1 || pairs < 0)
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_POLE_PAIRS, static_cast<uint16_t>(pairs));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_POLE_PAIRS));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    FlowPanel* type_panel = Page_flow(box, nullptr, "Panel_motor_type", "Type Motor");
    layout->insertWidget(0, type_panel);
    auto* type_combo = Page_combo(type_panel, "ComboBox_motor_type");
    FlowPanel* poles_panel = Page_flow(box, layout, "Panel_poli_motore", "Motor Poles");
    auto* poles_combo = Page_combo(poles_panel, "ComboBox_poli_motore_rotativo");
    poles_panel->addRightToLeft(Page_label(poles_panel, nullptr, "Panel_poli_motore_linear"));

    QObject::connect(type_combo, &QComboBox::activated, type_combo, ComboBox_motor_typeChange);
    QObject::connect(poles_combo, &QComboBox::activated, poles_combo, ComboBox_poli_motore_rotativoChange);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    Combo_select(p.find<QComboBox>(ctx, "ComboBox_motor_type"), MotorTypeCombo, field(ctx, OFS_MOTOR_TYPE));
    Combo_select(p.find<QComboBox>(ctx, "ComboBox_poli_motore_rotativo"), MotorPolesCombo, field(ctx, OFS_POLE_PAIRS));
    show_by_type(ctx);
}

// Type caption, title, both combos' items, then the captions of the edits and the poles panel.
void language_steps(ParamPage& p, uint8_t ctx)
{
    const bool known = ParamPage::bus_known(ctx);
    if (known)
        Utxgraph_set_caption(SlotLoc(ctx, OFS_MOTOR_TYPE), p.find<QWidget>(ctx, "Panel_motor_type"), ctx);
    p.step_title(ctx);
    auto* poles = p.find<QComboBox>(ctx, "ComboBox_poli_motore_rotativo");
    Combo_fill(poles, MotorPolesCombo);
    Combo_select(poles, MotorPolesCombo, field(ctx, OFS_POLE_PAIRS));
    auto* type = p.find<QComboBox>(ctx, "ComboBox_motor_type");
    Combo_fill(type, MotorTypeCombo);
    Combo_select(type, MotorTypeCombo, field(ctx, OFS_MOTOR_TYPE));
    p.step_caption_edits(ctx);
    if (known)
        Utxgraph_set_caption(SlotLoc(ctx, OFS_POLE_PAIRS), p.find<QWidget>(ctx, "Panel_poli_motore"), ctx);
}

// The two combos with their panels, then the edits.
void access_steps(ParamPage& p, uint8_t state)
{
    auto* type = p.find<QComboBox>(0, "ComboBox_motor_type");
    auto* poles = p.find<QComboBox>(0, "ComboBox_poli_motore_rotativo");
    if (ParamPage::bus_known(0)) {
        Utxgraph_enable_combo(RecLoc(OFS_MOTOR_TYPE), type, p.find<QWidget>(0, "Panel_motor_type"), state);
        Utxgraph_enable_combo(RecLoc(OFS_POLE_PAIRS), poles, p.find<QWidget>(0, "Panel_poli_motore"), state);
    } else {
        type->setEnabled(false);
        poles->setEnabled(false);
    }
    p.step_access_edits(state);
}

// Motor type and pole pairs before the edits.
void copy_controls(ParamPage& p)
{
    if (p.copy_polled(OFS_MOTOR_TYPE)) {
        Combo_select(p.find<QComboBox>(0, "ComboBox_motor_type"), MotorTypeCombo, field(0, OFS_MOTOR_TYPE));
        show_by_type(0);
    }
    if (p.copy_polled(OFS_POLE_PAIRS))
        Combo_select(p.find<QComboBox>(0, "ComboBox_poli_motore_rotativo"), MotorPolesCombo, field(0, OFS_POLE_PAIRS));
}

int select_list(uint16_t bus_type) { return bus_type == 2 ? 1 : 0; }

const PageHooks HOOKS = {.select_list = select_list,
                         .copy_controls = copy_controls,
                         .build = build,
                         .refresh = refresh,
                         .language_steps = language_steps,
                         .access_steps = access_steps};

const PageSpec SPEC = {
    "TFrame_motore", "GroupBox_dati_motore",
    {"Dati Motore", "Motor Data", "Données Moteur"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(motore, SPEC)

void Frm_motore_show_values(uint8_t ctx) { page().show_values(ctx); }
