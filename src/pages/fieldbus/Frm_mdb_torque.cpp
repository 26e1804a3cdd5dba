#include "pages/fieldbus/Frm_mdb_torque.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Page_tabs.h"
#include "pages/fieldbus/Speed_flags.h"

namespace {

constexpr uint16_t OFS_FLAGS = 792;  // TorqueFlags: bit 0 internal reference
const char* const TABS = "PageControl_rif_coppia";
const char* const SHEETS[2] = {"TabSheet8", "TabSheet6"};

const FieldSpec FIELDS[] = {
    {"FlowPanel_coppia_max", "Maximum Torque Value", 794, EditType::U16, 0, 2500, 1, 60},
    {"FlowPanel_coppia_offset", "Torque Offset", 796, EditType::I16, -1000, 1000, 1, 60},
    {"FlowPanel_coppia_interna", "Inside Torque", 798, EditType::I16, -2500, 2500, 1, 60},
};
constexpr int FIELD_SHEET[] = {0, 0, 1};

const PollSpec POLL[] = {ONE_ITEM(OFS_FLAGS), ONE_ITEM(794), ONE_ITEM(796), ONE_ITEM(798)};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

const BitSpec BITS[] = {{"ComboBox_rif_coppia", 1u << 0, true, "Panel_par_cm_trq_flg_dat_rif_torque", OFS_FLAGS}};

const char* const SOURCE_IT[] = {"[0]Coppia Analogica", "[1]Coppia Interna"};
const char* const SOURCE_EN[] = {"[0]Analog Torque", "[1]Inside Torque"};
const char* const SOURCE_FR[] = {"[0]Couple Analogique", "[1]Couple Intérieure"};
const ComboSpec SOURCE_COMBO = {{SOURCE_IT, SOURCE_EN, SOURCE_FR}, 2};
const char* const TYPE_TEXT[3] = {"Tipo", "Type", "Type"};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }

// The tab of the source item: bit 0 of the record's flags.
void show_tab_of_combo(uint8_t ctx)
{
    Page_select_tab(page(), ctx, TABS, Rec_get<uint16_t>(DriveRecordBank[ctx & 1], OFS_FLAGS) & 1);
}

// TabSheet8Show, TabSheet6Show (user tab changes).
void TabSheetShow(int index)
{
    const uint16_t ctx = PageContext.load();
    if (ctx <= 1 && index >= 0 && index < 2)
        Page_show_sheet(page(), static_cast<uint8_t>(ctx), find<QWidget>(static_cast<uint8_t>(ctx), SHEETS[index]));
}

void bit_changed(ParamPage&, uint8_t ctx, int) { show_tab_of_combo(ctx); }

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* type_panel = Page_flow(box, nullptr, "Panel_tipo_coppia", "Tipo");
    layout->insertWidget(0, type_panel);
    type_panel->addRightToLeft(Page_label(type_panel, nullptr, "Panel_par_cm_trq_flg_dat_rif_torque"));
    Page_combo(type_panel, "ComboBox_rif_coppia");
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1]});
    tabs->setTabText(0, QStringLiteral("Analog"));
    tabs->setTabText(1, QStringLiteral("Interna"));
    for (std::size_t i = 0; i < std::size(FIELDS); ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

void refresh(ParamPage&, uint8_t ctx) { show_tab_of_combo(ctx); }

void set_language(ParamPage& p, uint8_t ctx)
{
    Combo_fill(find<QComboBox>(ctx, "ComboBox_rif_coppia"), SOURCE_COMBO);
    p.step_show_bits(ctx);
    if (ParamPage::bus_known(ctx))
        Utxgraph_set_caption_txt(SlotLoc(ctx, OFS_FLAGS), find<QWidget>(ctx, "Panel_tipo_coppia"),
                                 TYPE_TEXT[Lang_index()], nullptr, ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_FLAGS), find<QComboBox>(0, "ComboBox_rif_coppia"),
                          find<QWidget>(0, "Panel_tipo_coppia"), state);
}

const PageHooks HOOKS = {.build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .bit_changed = bit_changed};

const PageSpec SPEC = {
    "TFrame_mdb_torque", "GroupBox_rif_torque",
    {"Riferimento Coppia", "Torque Reference", "Référence Couple"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_torque, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_torque_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& MdbTorqueSourceCombo = SOURCE_COMBO;
