#include "pages/fieldbus/Frm_cands402_gearbox.h"

#include <QPushButton>

#include "drivedata/Globvar.h"
#include "pages/fieldbus/Frm_mdb_gearbox.h"
#include "pages/fieldbus/Positioning.h"

namespace {

constexpr uint16_t OFS_PHASE_SHIFT = 2324;  // 2210h

const FieldSpec FIELDS[] = {
    {"FlowPanel_grbx_ratio_num", "Numerator ratio", GearBoxRatioCanopen.numerator, EditType::I16, -32768, 32767, 0, 80},
    {"FlowPanel_grbx_ratio_den", "Denominator ratio", GearBoxRatioCanopen.denominator, EditType::U16, 1, 32767, 0, 80},
    {"FlowPanel_grbx_enc_imp", "Encoder Impulses", 2304, EditType::U32, 100, 65536, 0},
    {"FlowPanel_grbx_imp_sfasa", "Phase Shift", OFS_PHASE_SHIFT, EditType::I32, -16777215, 16777215, 0},
    {"FlowPanel_grbx_sfasa_vel", "Velocity", 2322, EditType::U16, 1, 200, 0, 70},
    {"FlowPanel_grbx_sfasa_acc", "Ramp", 2328, EditType::U16, 1, 60000, 0, 70},
};

constexpr uint16_t MASTER = LiveLoc::MeasuredEncoderCount.ofs;
const PollSpec POLL[] = {
    {2268, 2268}, {2270, 2270}, {2274, 2274}, {2304, 2304}, {2324, 2324}, {2322, 2322}, {2328, 2328},
    {MASTER, MASTER, false, 0, 0, Area::Live}, {2064, 2064}, {2224, 2224},
};
static_assert(std::size(POLL) == 10);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const LiveSpec LIVES[] = {
    {LiveLoc::MeasuredEncoderCount, "Panel_grbx_enc_master_dat", LiveSpec::Int, 4},
    {RecLoc(2064), "Panel_pos_mis_dat", LiveSpec::Int, 4, true},
    {RecLoc(2224), "Panel_pos_error_dat", LiveSpec::Int, 4, true},
};
const LiveCaption LIVE_CAPTIONS[] = {{"Panel_grbx_enc_master_str"}, {"Panel_pos_mis_str"}, {"Panel_pos_error_str"}};

ParamPage& page() { return Frm_cands402_gearbox_page(); }

void ComboBox_grbx_mode_encChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_grbx_mode_enc", "ComboBox_grbx_mode_enc", 2274, 1, false, &GearboxEncoderCombo, nullptr, nullptr,
     ComboBox_grbx_mode_encChange},
};
void ComboBox_grbx_mode_encChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

// Sends the connected drive's phase shift again.
void BitBtn_invia_sfasamentoClick()
{
    if (page().ready() == 1 && PageContext.load() == 0)
        Sertx_write_var(RecLoc(OFS_PHASE_SHIFT));
}

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .live_captions = LIVE_CAPTIONS,
                           .hints = GearboxHints,
                           .hint_count = std::size(GearboxHints)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QPushButton* send = Gearbox_build(p, COMBOS[0], box, layout, LIVE_CAPTIONS);
    QObject::connect(send, &QPushButton::clicked, send, BitBtn_invia_sfasamentoClick);
}

const PageHooks HOOKS = Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build);

const PageSpec SPEC = {
    "TFrame_CanDS402_GearBox", "GroupBox_DS402_GearBox", {"Asse Elettrico", "GearBox Mode", "Axe Électrique"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_gearbox, SPEC)
