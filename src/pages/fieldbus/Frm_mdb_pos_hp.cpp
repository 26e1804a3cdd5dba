#include "pages/fieldbus/Frm_mdb_pos_hp.h"

#include "drivedata/Utx.h"

int Homing_row_of(int32_t method) { return HomingMethodList_row(method); }

bool Homing_method_of(int row, int32_t* method)
{
    if (row < 0 || row >= HOMING_METHOD_ROWS)
        return false;
    *method = Utx_index_to_homing_method(static_cast<uint16_t>(row));
    return true;
}

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_pos_hp_vel_search", "Search Speed S.", 700, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_hp_vel_sensor", "Exit Speed S.", 704, EditType::U32, 1, 2147483647, 0},
    {"FlowPanel_pos_hp_accel_decel", "Accel./Decel.", 708, EditType::U32, 1, 2147483647, 0},
};
const PollSpec POLL[] = {{712, 712}, {700, 702}, {702, 700, true}, {704, 706}, {706, 704, true}, {708, 710}, {710, 708, true}};
static_assert(std::size(POLL) == 7);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

ParamPage& page() { return Frm_mdb_pos_hp_page(); }

void ComboBox_hp_modoChange(int index);
const FieldCombo COMBOS[] = {
    {"Panel_hp_modo", "ComboBox_hp_modo", 712, 2, false, &HomingCombo, Homing_row_of, Homing_method_of,
     ComboBox_hp_modoChange},
};
void ComboBox_hp_modoChange(int index) { Field_combo_change(page(), COMBOS[0], index); }

const FieldbusUnit UNIT = {.combos = COMBOS, .combo_count = std::size(COMBOS)};

void build(ParamPage& p, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    layout->insertWidget(0, Field_combo_build(p, COMBOS[0], box, nullptr));
}

const PageSpec SPEC = {
    "TFrame_mdb_pos_hp", "GroupBox_pos_hp", {"Ricerca Origine", "Home Position", "Position Initiale"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), Fieldbus_hooks<UNIT>(Fieldbus_modbus_list, build),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_pos_hp, SPEC)
