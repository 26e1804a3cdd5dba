#include "pages/fieldbus/Frm_mdb_gearbox.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_ratio_num", "Numerator ratio", GearBoxRatioModbus.numerator, EditType::I16, -32768, 32767, 0, 80},
    {"FlowPanel_grbx_ratio_den", "Denominator ratio", GearBoxRatioModbus.denominator, EditType::U16, 1, 32767, 0, 80},
    {"FlowPanel_grbx_enc_imp", "Encoder Impulses", 740, EditType::U32, 100, 268435456, 0},
    {"FlowPanel_pos_reach", "Pulse position reached", 772, EditType::U16, 1, 65535, 0},
    {"FlowPanel_grbx_imp_sfasa", "Phase Shift", 776, EditType::I32, -16777215, 16777215, 0},
    {"FlowPanel_grbx_sfasa_vel", "Velocity", 774, EditType::U16, 1, 200, 0, 70},
    {"FlowPanel_grbx_sfasa_acc", "Ramp", 780, EditType::U16, 1, 60000, 0, 70},
};

constexpr uint16_t MASTER = LiveLoc::MeasuredEncoderCount.ofs;
const PollSpec POLL[] = {
    {730, 730}, {732, 732}, {738, 738}, {740, 742}, {742, 740, true}, {776, 778}, {778, 776, true}, {774, 774},
    {780, 780}, {MASTER, MASTER + 2, false, 0, 0, Area::Live}, {MASTER + 2, MASTER, true, 0, 0, Area::Live},
    {772, 772},
};
static_assert(std::size(POLL) == 12);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const LiveSpec LIVES[] = {{LiveLoc::MeasuredEncoderCount, "Panel_grbx_enc_master_dat", LiveSpec::Int, 4}};
const LiveCaption LIVE_CAPTIONS[] = {{"Panel_grbx_enc_master_str"}};

ParamPage& page() { return Frm_mdb_gearbox_page(); }

void ComboBox_grbx_mode_encChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_enc", "ComboBox_grbx_mode_enc", 738, 2, false, &GearboxEncoderCombo, nullptr, nullptr,
     ComboBox_grbx_mode_encChange},
};
void ComboBox_grbx_mode_encChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .live_captions = LIVE_CAPTIONS,
                           .hints = GearboxHints,
                           .hint_count = std::size(GearboxHints)};

// The Modbus twin's send button has no action.
void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    Gearbox_build(p, COMBOS[0], box, layout, LIVE_CAPTIONS);
}

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build);

const PageSpec SPEC = {
    "TFrame_mdb_gearbox", "GroupBox_mdb_gearbox", {"Asse Elettrico", "GearBox Mode", "Axe Électrique"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_gearbox, SPEC)

QPushButton* Gearbox_build(ParamPage& page, const FieldCombo& encoder, QGroupBox* box, QVBoxLayout* layout,
                           const LiveCaption* captions)
{
    layout->insertWidget(0, Field_combo_build(page, encoder, box, nullptr));
    QVBoxLayout* shift = nullptr;
    layout->addWidget(Fieldbus_group(box, nullptr, "GroupBox_Sfasamento", &shift));
    for (const char* name : {"FlowPanel_grbx_imp_sfasa", "FlowPanel_grbx_sfasa_vel", "FlowPanel_grbx_sfasa_acc"})
        Fieldbus_move(box, name, shift);
    auto* send_panel = new QFrame(shift->parentWidget());
    send_panel->setObjectName(QStringLiteral("Panel_invia_sfasamento"));
    auto* send = new QPushButton(send_panel);
    send->setObjectName(QStringLiteral("BitBtn_invia_sfasamento"));
    shift->addWidget(send_panel);
    send_panel->hide();
    Fieldbus_live_rows(page.spec(), captions, box, layout);
    return send;
}
