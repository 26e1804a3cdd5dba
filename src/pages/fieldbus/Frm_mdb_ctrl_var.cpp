#include "pages/fieldbus/Frm_mdb_ctrl_var.h"

#include <QGroupBox>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Option_combo.h"
#include "pages/fieldbus/Speed_flags.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_decel_op", "Decel. operat.", 468, EditType::U32, 1, 2147483647, 0, 110},
    {"FlowPanel_decel_halt", "Decel. halt", 472, EditType::U32, 1, 2147483647, 0, 110},
    {"FlowPanel_dec_com_time_out", "Deceleration", 500, EditType::U32, 10, 2147483647, 0, 110},
    {"FlowPanel_dec_fault_reaction", "Deceleration", 508, EditType::U32, 10, 2147483647, 0, 110},
    {"FlowPanel_emerg_lim_torque", "Fault torque limit", 512, EditType::U16, 1, 3000, 1, 60},
    {"FlowPanel_vel_window", "Velocity window", 516, EditType::U32, 1, 2147483647, 0, 110},
    {"FlowPanel_vel_win_dtime", "Vel. window time", 520, EditType::U16, 1, 10000, 0, 60},
};

// As the drive lists them: 0418h before the pair 0416h, 0417h.
const PollSpec POLL[] = {MDB_PAIR_ITEMS(468), MDB_PAIR_ITEMS(472), ONE_ITEM(498), MDB_PAIR_ITEMS(500),
                         ONE_ITEM(506),       ONE_ITEM(512),       MDB_PAIR_ITEMS(508), ONE_ITEM(514),
                         MDB_PAIR_ITEMS(516), ONE_ITEM(520)};
static_assert(std::size(POLL) == 15);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const char* const TIMEOUT_IT[] = {"[0] Nessuna azione", "[1] Disabilita potenza", "[2] Decelerazione"};
const char* const TIMEOUT_EN[] = {"[0] No action", "[1] Disable power", "[2] Deceleration"};
const char* const TIMEOUT_FR[] = {"[0] Aucune action", "[1] Désactiver l'énergie", "[2] Décélération"};
const char* const FAULT_IT[] = {"[0] Disabilita potenza", "[1] Rampa decelerazione", "[2] Limite coppia"};
const char* const FAULT_EN[] = {"[0] Disable power", "[1] Deceleration ramp", "[2] Torque limit"};
const char* const FAULT_FR[] = {"[0] Désactiver l'énergie", "[1] Ralent. rampe", "[2] Limite couple"};
const char* const HALT_IT[] = {"[0] Disabilita potenza", "[1] Rampa power off", "[2] Rampa power on"};
const char* const HALT_EN[] = {"[0] Disable power", "[1] Ramp power off", "[2] Ramp power on"};
const char* const HALT_FR[] = {"[0] Désactiver l'énergie", "[1] Rampe power off", "[2] Rampe power on"};
const ComboSpec TIMEOUT = {{TIMEOUT_IT, TIMEOUT_EN, TIMEOUT_FR}, 3};
const ComboSpec FAULT = {{FAULT_IT, FAULT_EN, FAULT_FR}, 3};
const ComboSpec HALT = {{HALT_IT, HALT_EN, HALT_FR}, 3};
const char* const TIMEOUT_TEXT[3] = {"Modo timeout", "Mode timeout", "Time out en mode"};
const char* const FAULT_TEXT[3] = {"Modo fault reaction", "Fault reaction set", "Mode réaction défaut"};
const char* const HALT_TEXT[3] = {"Opzioni halt", "Halt option code", "Halt code d'option"};

const OptionCombo OPTIONS[] = {
    {"ComboBox_modo_com_time_out", "Panel_modo_com_time_out", 498, &TIMEOUT, false, TIMEOUT_TEXT},
    {"ComboBox_modo_fault_reaction", "Panel_modo_fault_reaction", 506, &FAULT, false, FAULT_TEXT},
    {"ComboBox_modo_halt", "Panel_modo_halt", 514, &HALT, false, HALT_TEXT},
};

// The group boxes, their captions and contents: combos (OPTIONS index) and edits (panel names).
const struct {
    const char* name;
    const char* title[3];
    int option;
    const char* edits[3];
} GROUPS[] = {
    {"GroupBox_timeout_comunicazione",
     {"Timeout comunicazione", "Communication timeout", "Time out communication"},
     0,
     {"FlowPanel_dec_com_time_out"}},
    {"GroupBox_fault_reaction",
     {"Fault reaction", "Fault reaction", "Réaction défaut"},
     1,
     {"FlowPanel_dec_fault_reaction", "FlowPanel_emerg_lim_torque"}},
    {"GroupBox_halt", {"Halt", "Halt", "Halt"}, 2, {"FlowPanel_decel_halt"}},
    {"GroupBox_verification_speed",
     {"Verifica velocità", "Verification speed", "Vitesse de vérification"},
     -1,
     {"FlowPanel_vel_window", "FlowPanel_vel_win_dtime"}},
};

ParamPage& page();

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    for (const auto& g : GROUPS) {
        QGroupBox* group = Page_group(box, layout, g.name);
        group->setTitle(QString::fromUtf8(g.title[0]));
        auto* column = new QVBoxLayout(group);
        if (g.option >= 0)
            Option_build(p, ctx, OPTIONS[g.option], group, column, -1);
        for (const char* e : g.edits) {
            if (e == nullptr)
                break;
            auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(e));
            panel->setParent(group);
            column->addWidget(panel);
        }
    }
}

void refresh(ParamPage& p, uint8_t ctx) { Options_show(p, ctx, OPTIONS, std::size(OPTIONS)); }

void set_language(ParamPage& p, uint8_t ctx)
{
    for (const auto& g : GROUPS)
        if (auto* group = p.find<QGroupBox>(ctx, g.name))
            group->setTitle(QString::fromUtf8(g.title[Lang_index()]));
    Options_set_language(p, ctx, OPTIONS, std::size(OPTIONS));
}

void set_access(ParamPage& p, uint8_t state) { Options_access(p, OPTIONS, std::size(OPTIONS), state); }

void copy(ParamPage& p) { Options_copy(p, OPTIONS, std::size(OPTIONS)); }

const PageHooks HOOKS = {.copy = copy,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .stamp_at_create = true};

const PageSpec SPEC = {
    "TFrame_mdb_ctrl_var", "GroupBox_mdb_ctrl_var",
    {"Impost. Controllo", "Control Setting", "Réglage commande"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(mdb_ctrl_var, SPEC)

void Frm_mdb_ctrl_var_update()
{
    if (page().frame(0) != nullptr && ParamPage::default_may_copy())
        copy(page());
}

namespace {
ParamPage& page() { return Frm_mdb_ctrl_var_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& MdbTimeoutCombo = TIMEOUT;
const ComboSpec& MdbFaultCombo = FAULT;
const ComboSpec& MdbHaltCombo = HALT;
