#include "pages/fieldbus/Frm_mdb_pos.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_rif", "Position", 616, EditType::I32, -2147483648.0, 2147483647, 0},
    {"FlowPanel_pos_speed", "Velocity", 660, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_accel", "Accel.", 620, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_decel", "Decel.", 624, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_jerk", "Jerk", 628, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_time_smooth", "Time", 672, EditType::U16, 1, 65535, 0},
};

// The measured position has two key pairs; the list names 061Ch/061Dh. The flags 0600h are not
// in the list: their read-back comes from the Pos Parameters and Input-1 lists, so the rounding
// bit follows the drive at Refresh.
constexpr uint16_t MEASURED = LiveLoc::MeasuredPosition.ofs;
const PollSpec POLL[] = {
    {668, 668}, {660, 662}, {662, 660, true}, {616, 618}, {618, 616, true}, {620, 622}, {622, 620, true},
    {624, 626}, {626, 624, true}, {628, 630}, {630, 628, true},
    {MEASURED, MEASURED + 2, false, 0x061C, 0, Area::Live}, {MEASURED + 2, MEASURED, true, 0x061D, 0, Area::Live},
    {672, 672},
};
static_assert(std::size(POLL) == 14);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const BitSpec BITS[] = {
    {"ComboBox_pos_jerk_time", PosFlagsModbus.rounding, true, "Panel_flgx_pos_jerk_time", PosFlagsModbus.ofs},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"Panel_rounding_mode", PosFlagsModbus.ofs, {RoundingModeText[0], RoundingModeText[1], RoundingModeText[2]}},
};
const FixedText TEXTS[] = {{"GroupBox_rounding", {"Arrotondamento", "Rounding", "Arrondir"}}};

const LiveSpec LIVES[] = {{LiveLoc::MeasuredPosition, "Panel_mdb_pos_mis_dat", LiveSpec::Int, 4}};
const LiveCaption LIVE_CAPTIONS[] = {{"Panel_mdb_pos_mis_str", 0x061C}};

ParamPage& page() { return Frm_mdb_pos_page(); }

void ComboBox_pos_type_profiloChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_pos_type_profilo", "ComboBox_pos_type_profilo", 668, 2, false, &MdbProfileCombo, nullptr, nullptr,
     ComboBox_pos_type_profiloChange},
};
void ComboBox_pos_type_profiloChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS,
                           .combo_count = std::size(COMBOS),
                           .live_captions = LIVE_CAPTIONS,
                           .flags = FLAG_CAPTIONS,
                           .flag_count = std::size(FLAG_CAPTIONS),
                           .texts = TEXTS,
                           .text_count = std::size(TEXTS),
                           .bit_combos = RoundingBitCombo,
                           .bit_combo_count = std::size(RoundingBitCombo)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    layout->insertWidget(0, Field_combo_build(p, COMBOS[0], box, nullptr));
    Positioner_rounding_build(box, layout);
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, box, layout);
}

// This page's language comes before its values.
void create_steps(ParamPage& p, uint8_t ctx)
{
    p.set_language(ctx);
    p.refresh(ctx);
    if (ctx == 0)
        p.set_access(0);
}

constexpr PageHooks hooks()
{
    PageHooks h = Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build);
    h.create_steps = create_steps;
    return h;
}

const PageSpec SPEC = {
    "TFrame_mdb_pos", "GroupBox_posizionatore", {"Posizionatore", "Position", "Positionneur"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), hooks(), BITS, std::size(BITS), LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos, SPEC)

void Positioner_rounding_build(QGroupBox* box, QBoxLayout* layout)
{
    QVBoxLayout* column = nullptr;
    QGroupBox* rounding = Fieldbus_group(box, layout, "GroupBox_rounding", &column);
    Fieldbus_move(box, "FlowPanel_pos_jerk", column);
    Fieldbus_move(box, "FlowPanel_pos_time_smooth", column);
    Page_combo(Page_flow(rounding, column, "Panel_rounding_mode"), "ComboBox_pos_jerk_time");
    Page_label(rounding, column, "Panel_flgx_pos_jerk_time");
}
