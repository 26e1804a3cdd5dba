#include "pages/fieldbus/Frm_cands402_position.h"

#include <QGroupBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "pages/fieldbus/Frm_mdb_pos.h"
#include "pages/fieldbus/Positioning.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_rif", "Target Position", 2100, EditType::I32, -2147483647, 2147483647, 0},
    {"FlowPanel_pos_speed", "Velocity", 2116, EditType::U32, 1, 4294967295.0, 0},
    {"FlowPanel_pos_accel", "Acceleration", 2120, EditType::U32, 1, 4294967295.0, 0},
    {"FlowPanel_pos_decel", "Deceleration", 2124, EditType::U32, 1, 4294967295.0, 0},
    {"FlowPanel_pos_jerk", "Jerk", 2256, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_time_smooth", "Time", 2312, EditType::U16, 1, 65535, 0},
};

// List A for the "Position" tab, list B for the "Data" tab.
const PollSpec POLL_A[] = {
    {2128, 2128}, {2100, 2100}, {2116, 2116}, {2120, 2120}, {2124, 2124},
    {2265, 2265}, {2256, 2256}, {2312, 2312}, {2064, 2064}, {2224, 2224},
};
const PollSpec POLL_B[] = {{2056, 2056}, {2228, 2228}, {2060, 2060}, {2064, 2064}, {2224, 2224}};
static_assert(std::size(POLL_A) == 10 && std::size(POLL_B) == 5);
const PollList LISTS[] = {{POLL_A, std::size(POLL_A), 0x04}, {POLL_B, std::size(POLL_B), 0x04}};

const BitSpec BITS[] = {
    {"ComboBox_pos_jerk_time", PosFlagsCanopen.rounding, true, "Panel_flgx_pos_jerk_time", PosFlagsCanopen.ofs,
     nullptr, PosFlagsCanopen.size, true},
};
const FlagCaption FLAG_CAPTIONS[] = {
    {"Panel_rounding_mode", PosFlagsCanopen.ofs, {RoundingModeText[0], RoundingModeText[1], RoundingModeText[2]}},
};
const FixedText TEXTS[] = {
    {"GroupBox_rounding", {"Arrotondamento", "Rounding", "Arrondir"}},
    {"TabSheet_pos_dat", {"Posizione", "Position", "Position"}},
    {"TabSheet_pos_view", {"Dati", "Data", "Données"}},
};

// The connected drive's values in both contexts, as they stand at Refresh in the archive.
const LiveSpec LIVES[] = {
    {RecLoc(2064), "Panel_pos_mis_dat", LiveSpec::Int, 4, true},
    {RecLoc(2224), "Panel_pos_error_dat", LiveSpec::Int, 4, true},
    {RecLoc(2056), "Panel_pos_deman_value_dat", LiveSpec::Int, 4, true},
    {RecLoc(2228), "Panel_pos_deman_value_inc_dat", LiveSpec::Int, 4, true},
    {RecLoc(2060), "Panel_pos_mis_inc_dat", LiveSpec::Int, 4, true},
};
const LiveCaption LIVE_CAPTIONS[] = {
    {"Panel_pos_mis_str"}, {"Panel_pos_error_str"}, {"Panel_pos_deman_value_str"}, {"Panel_pos_deman_value_inc_str"},
    {"Panel_pos_mis_inc_str"},
};

ParamPage& page() { return Frm_cands402_position_page(); }

int profile_index(int32_t value) { return Utx_motion_profile_to_index(static_cast<int16_t>(value)); }
bool profile_value(int index, int32_t* value)
{
    *value = index >= 0 && index < static_cast<int>(std::size(CanProfileValues)) ? CanProfileValues[index] : 0;
    return true;
}

void ComboBox_pos_type_profiloChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_pos_motion_profile_type", "ComboBox_pos_type_profilo", 2128, 2, true, &CanProfileCombo, profile_index,
     profile_value, ComboBox_pos_type_profiloChange},
};
void ComboBox_pos_type_profiloChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

// The "Position" tab shown again: its edits from the record of PageContext.
void TabSheet_pos_datShow()
{
    if (page().ready() == 1)
        page().show_values(static_cast<uint8_t>(PageContext.load() & 1));
}

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
    auto* tabs = new QTabWidget(box);
    tabs->setObjectName(QStringLiteral("PageControl_pos_control"));
    layout->addWidget(tabs);
    auto* data = new QWidget(tabs);
    data->setObjectName(QStringLiteral("TabSheet_pos_dat"));
    tabs->addTab(data, QString::fromUtf8(TEXTS[1].text[0]));
    auto* view = new QWidget(tabs);
    view->setObjectName(QStringLiteral("TabSheet_pos_view"));
    tabs->addTab(view, QString::fromUtf8(TEXTS[2].text[0]));

    auto* data_column = new QVBoxLayout(data);
    data_column->addWidget(Field_combo_build(p, COMBOS[0], data, nullptr));
    for (const char* name : {"FlowPanel_pos_rif", "FlowPanel_pos_speed", "FlowPanel_pos_accel", "FlowPanel_pos_decel"})
        Fieldbus_move(box, name, data_column);
    Positioner_rounding_build(box, data_column);

    auto* view_column = new QVBoxLayout(view);
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, view, view_column, 2);
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, box, layout, 0, 2);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [](int index) {
        if (index == 0)
            TabSheet_pos_datShow();
    });
}

// The list of the tab shown in context 0; none without an active tab.
int select_list(uint16_t bus_type)
{
    if (bus_type != 2)
        return -1;
    auto* tabs = page().find<QTabWidget>(0, "PageControl_pos_control");
    return tabs != nullptr ? tabs->currentIndex() : -1;
}

const PageSpec SPEC = {
    "TFrame_CanDS402_Position", "GroupBox_DS402_Position", {"Posizionatore", "Position", "Positionneur"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(select_list, build),
    BITS, std::size(BITS), LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_position, SPEC)
