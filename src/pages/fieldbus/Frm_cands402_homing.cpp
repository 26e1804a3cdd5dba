#include "pages/fieldbus/Frm_cands402_homing.h"

#include "pages/fieldbus/Frm_mdb_pos_hp.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_hp_speed_switch_search", "Speed switch search", 2188, EditType::U32, 1, 4294967295.0, 0, 100},
    {"FlowPanel_hp_speed_zero_search", "Speed zero search", 2192, EditType::U32, 1, 4294967295.0, 0, 100},
    {"FlowPanel_hp_accel", "Acceleration", 2200, EditType::U32, 1, 4294967295.0, 0},
};
const PollSpec POLL[] = {{2184, 2184}, {2188, 2188}, {2192, 2192}, {2200, 2200}, {2064, 2064}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const LiveSpec LIVES[] = {{RecLoc(2064), "Panel_pos_mis_dat", LiveSpec::Int, 4, true}};
const LiveCaption LIVE_CAPTIONS[] = {{"Panel_pos_mis_str"}};

ParamPage& page() { return Frm_cands402_homing_page(); }

// 6098h is signed: a negative method has no row.
void ComboBox_hp_homing_methodChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_hp_homing_method", "ComboBox_hp_homing_method", 2184, 1, true, &HomingCombo, Homing_row_of,
     Homing_method_of, ComboBox_hp_homing_methodChange},
};
void ComboBox_hp_homing_methodChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS, .combo_count = std::size(COMBOS), .live_captions = LIVE_CAPTIONS};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    layout->insertWidget(0, Field_combo_build(p, COMBOS[0], box, nullptr));
    Fieldbus_live_rows(p.spec(), LIVE_CAPTIONS, box, layout);
}

const PageSpec SPEC = {
    "TFrame_CanDS402_Homing", "GroupBox_DS402_Homing", {"Ricerca Origine", "Home Position", "Position Initiale"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_canopen_list, build),
    nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_homing, SPEC)
