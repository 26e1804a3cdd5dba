#include "pages/fieldbus/Frm_mdb_speed_aux.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "diagrams/Blockgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Page_tabs.h"
#include "pages/fieldbus/Speed_flags.h"

namespace {

constexpr uint16_t OFS_TYPE = 598;
constexpr uint16_t OFS_MAX = 560;
constexpr uint16_t OFS_OFFSET = 564;
constexpr uint16_t OFS_INSIDE = 568;
constexpr uint16_t OFS_TORQUE_MAX = 602;
constexpr uint16_t OFS_TORQUE_OFFSET = 604;
const char* const TABS = "PageControl_rif_aux_vel";
const char* const SHEETS[3] = {"TabSheet_rif_aux_speed_analog", "TabSheet_rif_aux_speed_interno",
                               "TabSheet_rif_aux_lim_coppia"};

const FieldSpec FIELDS[] = {
    {"FlowPanel_vel_max_aux", "Maximum Speed", OFS_MAX, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_vel_offset_aux", "Speed Offset", OFS_OFFSET, EditType::I32, -2147483648.0, 2147483647, 1, 100},
    {"FlowPanel_vel_interna_aux", "Inside Speed", OFS_INSIDE, EditType::I32, -2147483648.0, 2147483647, 0, 100},
    {"FlowPanel_lim_coppia_max", "Max Torque Limit", OFS_TORQUE_MAX, EditType::U16, 0, 2500, 1, 70},
    {"FlowPanel_lim_coppia_offset", "Torque Limit Offset", OFS_TORQUE_OFFSET, EditType::I16, -1000, 1000, 1, 70},
};
constexpr int FIELD_SHEET[] = {0, 0, 1, 2, 2};

const PollSpec POLL_ANALOG[] = {ONE_ITEM(OFS_TYPE), MDB_PAIR_ITEMS(OFS_MAX), MDB_PAIR_ITEMS(OFS_OFFSET),
                                ONE_ITEM(OFS_SPEED_FLAGS)};
const PollSpec POLL_INSIDE[] = {ONE_ITEM(OFS_TYPE), MDB_PAIR_ITEMS(OFS_INSIDE), ONE_ITEM(OFS_SPEED_FLAGS)};
const PollSpec POLL_TORQUE[] = {ONE_ITEM(OFS_TYPE), ONE_ITEM(OFS_TORQUE_MAX), ONE_ITEM(OFS_TORQUE_OFFSET),
                                ONE_ITEM(OFS_SPEED_FLAGS)};
static_assert(std::size(POLL_ANALOG) == 6 && std::size(POLL_INSIDE) == 4 && std::size(POLL_TORQUE) == 4);
const PollList LISTS[] = {{POLL_ANALOG, std::size(POLL_ANALOG), 0x03},
                          {POLL_INSIDE, std::size(POLL_INSIDE), 0x03},
                          {POLL_TORQUE, std::size(POLL_TORQUE), 0x03}};

const BitSpec BITS[] = {{"CheckBox_enable_aux_speed", SPEED_AUX, false, "Panel_par_cm_vel_flg_dat_enable_aux_speed",
                         OFS_SPEED_FLAGS, "Panel_dato_enable_aux_on_off"}};

const char* const TAB_TEXT[3][3] = {{"Analogica", "Interna", "Limite coppia"},
                                    {"Analog", "Inside", "Torque limit"},
                                    {"Analogique", "Intérieure", "Limite de la couple"}};
const char* const TYPE_IT[] = {"Velocità Analogica", "Velocità  Interna", "Limite coppia"};
const char* const TYPE_EN[] = {"Analog Speed", "Inside Speed", "Torque limit"};
const char* const TYPE_FR[] = {"Vitesse Analogique", "Vitesse Intérieure", "Limite de la couple"};
const ComboSpec TYPE_COMBO = {{TYPE_IT, TYPE_EN, TYPE_FR}, 3};
const char* const ENABLE_TEXT[3] = {"Abilita", "Enable", "Activer"};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }

void mark_status()
{
    if (PagesHost.mark_status_display != nullptr)
        PagesHost.mark_status_display();
}

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

void ComboBox_rif_aux_velChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || index < 0)
        return;
    Page_select_tab(page(), ctx, TABS, index);
    Page_show_sheet(page(), ctx, find<QTabWidget>(ctx, TABS)->widget(index));
    if (index == field(ctx, OFS_TYPE))
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_TYPE, static_cast<uint16_t>(index));
    Blockgraph_redraw_current();
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_TYPE));
}

// The tab show handlers run on user tab changes only.
void TabSheetShow(int index)
{
    const uint16_t ctx = PageContext.load();
    if (ctx <= 1 && index >= 0 && index < 3)
        Page_show_sheet(page(), static_cast<uint8_t>(ctx), find<QWidget>(static_cast<uint8_t>(ctx), SHEETS[index]));
}

// The enable box was stored: the status display and the diagram follow.
void bit_changed(ParamPage&, uint8_t, int)
{
    mark_status();
    Blockgraph_redraw_current();
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* top = Page_flow(box, nullptr, "Panelx1");
    layout->insertWidget(0, top);
    auto* check = new QCheckBox(top);
    check->setObjectName(QStringLiteral("CheckBox_enable_aux_speed"));
    top->addRightToLeft(Page_label(top, nullptr, "Panel_par_cm_vel_flg_dat_enable_aux_speed"));
    top->addRightToLeft(Page_label(top, nullptr, "Panel_dato_enable_aux_on_off"));
    top->addRightToLeft(check);
    auto* type = Page_combo(Page_flow(box, nullptr, "Panel_tipo_aux_speed", "Type"), "ComboBox_rif_aux_vel");
    layout->insertWidget(1, type->parentWidget());
    for (const char* item : TYPE_IT)
        type->addItem(QString::fromUtf8(item));
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1], SHEETS[2]});
    for (std::size_t i = 0; i < std::size(FIELDS); ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    QObject::connect(type, &QComboBox::activated, type, ComboBox_rif_aux_velChange);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    auto* type = find<QComboBox>(ctx, "ComboBox_rif_aux_vel");
    Combo_select(type, TYPE_COMBO, field(ctx, OFS_TYPE));
    Page_select_tab(p, ctx, TABS, type->currentIndex());
    mark_status();
}

// The type combo's items are replaced in place.
void set_language(ParamPage&, uint8_t ctx)
{
    const unsigned lang = Lang_index();
    auto* tabs = find<QTabWidget>(ctx, TABS);
    auto* type = find<QComboBox>(ctx, "ComboBox_rif_aux_vel");
    for (int i = 0; i < 3; ++i) {
        tabs->setTabText(i, QString::fromUtf8(TAB_TEXT[lang][i]));
        type->setItemText(i, QString::fromUtf8(TYPE_COMBO.items[lang][i]));
    }
    if (!ParamPage::bus_known(ctx))
        return;
    Utxgraph_set_caption(SlotLoc(ctx, OFS_TYPE), find<QWidget>(ctx, "Panel_tipo_aux_speed"), ctx);
    Utxgraph_set_caption_txt3(SlotLoc(ctx, OFS_SPEED_FLAGS), find<QWidget>(ctx, "CheckBox_enable_aux_speed"),
                              ENABLE_TEXT[lang], nullptr, ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_TYPE), find<QComboBox>(0, "ComboBox_rif_aux_vel"),
                          find<QWidget>(0, "Panel_tipo_aux_speed"), state);
}

// Reference type (the tab stays), the enable bit alone (marking the status display), the edits.
void copy(ParamPage& p)
{
    if (p.copy_polled(OFS_TYPE))
        Combo_select(find<QComboBox>(0, "ComboBox_rif_aux_vel"), TYPE_COMBO, field(0, OFS_TYPE));
    const uint16_t before = field(0, OFS_SPEED_FLAGS);
    p.step_copy_bits();
    if (field(0, OFS_SPEED_FLAGS) != before)
        mark_status();
    p.step_copy_edits();
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    p.refresh(ctx);
    p.set_language(ctx);
    if (ctx == 0)
        p.set_access(0);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return Page_tab_shown(page(), TABS); },
                         .copy = copy,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .bit_changed = bit_changed,
                         .create_steps = create_steps};

const PageSpec SPEC = {
    "TFrame_mdb_speed_aux", "GroupBox_rif_speed",
    {"Velocità Aux", "Aux Speed", "Vitesse Aux"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_speed_aux, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_speed_aux_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& MdbSpeedAuxTypeCombo = TYPE_COMBO;
