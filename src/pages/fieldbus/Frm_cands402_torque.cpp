#include "pages/fieldbus/Frm_cands402_torque.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "pages/Page_controls.h"

namespace {

constexpr uint16_t OFS_TARGET = 2096;
constexpr uint16_t OFS_ACTUAL = 2098;
constexpr uint16_t OFS_SLOPE = 2132;
constexpr uint16_t OFS_PROFILE = 2136;

const FieldSpec FIELDS[] = {
    {"FlowPanel_target_torque", "Target torque", OFS_TARGET, EditType::I16, -2500, 2500, 0, 80},
    {"FlowPanel_torque_slope", "Torque slope", OFS_SLOPE, EditType::U32, 1, 25000, 0, 80},
};

const PollSpec POLL[] = {{OFS_TARGET, OFS_TARGET}, {OFS_ACTUAL, OFS_ACTUAL}, {OFS_SLOPE, OFS_SLOPE},
                         {OFS_PROFILE, OFS_PROFILE}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const LiveSpec LIVES[] = {{RecLoc(OFS_ACTUAL), "Panel_prf_torque_actual_value_dat", LiveSpec::Int, 2}};

const char* const PROFILE_IT[] = {"[-1] Immediato", "[ 0] Rampa lineare"};
const char* const PROFILE_EN[] = {"[-1] Immediate", "[ 0] Linear ramp"};
const char* const PROFILE_FR[] = {"[-1] Immédiat", "[ 0] Linear ramp"};
const ComboSpec PROFILE_COMBO = {{PROFILE_IT, PROFILE_EN, PROFILE_FR}, 2};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }

void show_profile(uint8_t ctx)
{
    if (auto* combo = find<QComboBox>(ctx, "ComboBox_torque_profile_type")) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(Utx_torque_profile_to_index(Rec_get<int16_t>(DriveRecordBank[ctx & 1], OFS_PROFILE)));
    }
}

// Item 0 stands for -1, any other for 0.
void ComboBox_torque_profile_typeChange(int index)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() != 1 || ctx > 1 || index < 0)
        return;
    Rec_set<int16_t>(DriveRecordBank[ctx], OFS_PROFILE, static_cast<int16_t>(index == 0 ? -1 : 0));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_PROFILE));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* actual = Page_flow(box, nullptr, "Panel_torque_actual_value_str", "Torque actual value");
    actual->addRightToLeft(Page_label(actual, nullptr, "Panel_prf_torque_actual_value_dat"));
    layout->insertWidget(0, actual);
    auto* combo = Page_combo(Page_flow(box, layout, "Panel_torque_profile_type", "Torque profile type"),
                             "ComboBox_torque_profile_type");
    QObject::connect(combo, &QComboBox::activated, combo, ComboBox_torque_profile_typeChange);
}

void refresh(ParamPage&, uint8_t ctx) { show_profile(ctx); }

void set_language(ParamPage&, uint8_t ctx)
{
    Combo_fill(find<QComboBox>(ctx, "ComboBox_torque_profile_type"), PROFILE_COMBO);
    show_profile(ctx);
    if (!ParamPage::bus_known(ctx))
        return;
    Utxgraph_set_caption(SlotLoc(ctx, OFS_PROFILE), find<QWidget>(ctx, "Panel_torque_profile_type"), ctx);
    Utxgraph_set_caption(SlotLoc(ctx, OFS_ACTUAL), find<QWidget>(ctx, "Panel_torque_actual_value_str"), ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_PROFILE), find<QComboBox>(0, "ComboBox_torque_profile_type"),
                          find<QWidget>(0, "Panel_torque_profile_type"), state);
}

void copy_controls(ParamPage& p)
{
    if (p.copy_polled(OFS_PROFILE))
        show_profile(0);
}

const PageHooks HOOKS = {.copy_controls = copy_controls,
                         .lives_on_list_reads = true,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access};

const PageSpec SPEC = {
    "TFrame_CanDS402_Torque", "GroupBox_DS402_Torque",
    {"Modo Coppia", "Torque Mode", "Mode Couple "},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_torque, SPEC)

namespace {
ParamPage& page() { return Frm_cands402_torque_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& CanTorqueProfileCombo = PROFILE_COMBO;
