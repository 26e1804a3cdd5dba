#include "pages/fieldbus/Frm_cands402_ctrl_var.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "pages/fieldbus/Option_combo.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_vl_velocity_reference", "Velocity reference", 2252, EditType::U32, 0, 2147483647, 0, 120},
    {"FlowPanel_vl_slow_down_time", "Slow down time", 2040, EditType::U32, 0, 60000, 0, 120},
    {"FlowPanel_vl_quick_stop_time", "Quick down time", 2044, EditType::U32, 0, 60000, 0, 120},
    {"FlowPanel_emerg_lim_torque", "Fault torque limit", 2310, EditType::U16, 1, 3000, 1, 60},
};

#define ITEM(ofs) {ofs, ofs}
const PollSpec POLL[] = {ITEM(2000), ITEM(2048), ITEM(2050), ITEM(2308), ITEM(2252), ITEM(2040), ITEM(2044), ITEM(2310)};
#undef ITEM
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const char* const ABORT_IT[] = {"[0] Nessuna azione", "[1] Malfunzionamento", "[2] Disabilta Tensione", "[3] Stop veloce"};
const char* const ABORT_EN[] = {"[0] No action", "[1] Malfunction", "[2] Disable Voltage", "[3] Quick stop"};
const char* const ABORT_FR[] = {"[0] Aucune action", "[1] Anomalie", "[2] Désactiver la tension", "[3] Arrêt rapide"};
const char* const STOP_IT[] = {"[0] Disabilita drive", "[1] Rampa lenta", "[2] Rampa veloce", "[5] Rampa lenta(Q.S.)",
                               "[6] Rampa veloce(Q.S.)"};
const char* const STOP_EN[] = {"[0] Disable drive", "[1] Slow down ramp", "[2] Quick stop ramp",
                               "[5] Slow stop ramp(Q.S.)", "[6] Quick stop ramp(Q.S.)"};
const char* const STOP_FR[] = {"[0] Désactiver drive", "[1] Ralent. rampe", "[2] Arrêt rapide",
                               "[5] Ralent. rampe(Q.S.)", "[6] Arrêt rapide(Q.S.)"};
const char* const FAULT_IT[] = {"[0] Disabilita drive", "[1] Rampa lenta", "[2] Rampa veloce", "[3] Limite coppia"};
const char* const FAULT_EN[] = {"[0] Disable drive", "[1] Slow down ramp", "[2] Quick stop ramp", "[3] Torque limit"};
const char* const FAULT_FR[] = {"[0] Désactiver drive", "[1] Ralent. rampe", "[2] Arrêt rapide", "[3] Limite couple"};
const ComboSpec ABORT = {{ABORT_IT, ABORT_EN, ABORT_FR}, 4};
const ComboSpec QUICK_STOP = {{STOP_IT, STOP_EN, STOP_FR}, 5};
const ComboSpec HALT = {{STOP_IT, STOP_EN, STOP_FR}, 3};  // the first three of the quick stop's
const ComboSpec FAULT = {{FAULT_IT, FAULT_EN, FAULT_FR}, 4};

const OptionCombo OPTIONS[] = {
    {"ComboBox_abort_connection_option_code", "Panel_abort_connection_option_code", 2000, &ABORT},
    {"ComboBox_quick_stop_option_code", "Panel_quick_stop_option_code", 2048, &QUICK_STOP, true},
    {"ComboBox_halt_option_code", "Panel_halt_option_code", 2050, &HALT},
    {"ComboBox_fault_reaction_option_code", "Panel_fault_reaction_option_code", 2308, &FAULT},
};
// Where each combo goes among the edits.
constexpr int OPTION_AT[] = {0, 1, 2, 6};

ParamPage& page();

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    for (std::size_t i = 0; i < std::size(OPTIONS); ++i)
        Option_build(p, ctx, OPTIONS[i], box, layout, OPTION_AT[i]);
}

void refresh(ParamPage& p, uint8_t ctx) { Options_show(p, ctx, OPTIONS, std::size(OPTIONS)); }

void set_language(ParamPage& p, uint8_t ctx) { Options_set_language(p, ctx, OPTIONS, std::size(OPTIONS)); }

void set_access(ParamPage& p, uint8_t state) { Options_access(p, OPTIONS, std::size(OPTIONS), state); }

void copy(ParamPage& p) { Options_copy(p, OPTIONS, std::size(OPTIONS)); }

const PageHooks HOOKS = {.copy = copy,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .stamp_at_create = true};

const PageSpec SPEC = {
    "TFrame_CanDS402_Ctrl_Var", "GroupBox_DS402_ctrl_var",
    {"Impost. Controllo", "Control Setting", "Réglage commande"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(cands402_ctrl_var, SPEC)

void Frm_cands402_ctrl_var_update()
{
    if (page().frame(0) != nullptr && ParamPage::default_may_copy())
        copy(page());
}

namespace {
ParamPage& page() { return Frm_cands402_ctrl_var_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& CanAbortCombo = ABORT;
const ComboSpec& CanQuickStopCombo = QUICK_STOP;
const ComboSpec& CanHaltCombo = HALT;
const ComboSpec& CanFaultCombo = FAULT;
