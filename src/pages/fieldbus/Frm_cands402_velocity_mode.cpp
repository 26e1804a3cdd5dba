#include "pages/fieldbus/Frm_cands402_velocity_mode.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Page_tabs.h"

namespace {

constexpr uint16_t OFS_DEMAND = 2006;
constexpr uint16_t OFS_EFFORT = 2008;
const char* const TABS = "PageControl_prf_vel_control";
const char* const SHEETS[2] = {"TabSheet_vel_mode_dat", "TabSheet_vel_mode_set"};

const FieldSpec FIELDS[] = {
    {"FlowPanel_vl_target_velocity", "Target velocity", 2004, EditType::I16, -32768, 32767, 0, 0},
    {"FlowPanel_vl_acc_delta_speed", "Acc. delta speed", 2024, EditType::U32, 1, 4294967295.0, 0, 120},
    {"FlowPanel_vl_acc_delta_time", "Acc. delta time", 2028, EditType::U16, 0, 65535, 0, 120},
    {"FlowPanel_vl_dec_delta_speed", "Dec. delta speed", 2032, EditType::U32, 1, 4294967295.0, 0, 120},
    {"FlowPanel_vl_dec_delta_time", "Dec. delta time", 2036, EditType::U16, 0, 65535, 0, 120},
    {"FlowPanel_vl_velocity_min_amount", "Velocity min amount", 2016, EditType::U32, 0, 2147483647, 0, 120},
    {"FlowPanel_vl_velocity_max_amount", "Velocity max amount", 2020, EditType::U32, 0, 2147483647, 0, 120},
    {"FlowPanel_vl_dim_factor_num", "Dim. factor - num", 2240, EditType::I32, -2147483647, 2147483647, 0, 120, nullptr,
     true},
    {"FlowPanel_vl_dim_factor_den", "Dim. factor - den", 2244, EditType::I32, -2147483647, 2147483647, 0, 120, nullptr,
     true},
};
constexpr int FIELD_SHEET[] = {0, 0, 0, 0, 0, 1, 1, 1, 1};

#define ITEM(ofs) {ofs, ofs}
const PollSpec POLL_VELOCITY[] = {ITEM(2004), ITEM(2024), ITEM(2028), ITEM(2032), ITEM(2036), ITEM(OFS_DEMAND),
                                  ITEM(OFS_EFFORT)};
const PollSpec POLL_SETTING[] = {ITEM(2016), ITEM(2020), ITEM(2240), ITEM(2244), ITEM(OFS_DEMAND), ITEM(OFS_EFFORT)};
#undef ITEM
const PollList LISTS[] = {{POLL_VELOCITY, std::size(POLL_VELOCITY), 0x04},
                          {POLL_SETTING, std::size(POLL_SETTING), 0x04}};

const LiveSpec LIVES[] = {
    {RecLoc(OFS_DEMAND), "Panel_vel_mode_velocity_demand_dat", LiveSpec::Int, 2},
    {RecLoc(OFS_EFFORT), "Panel_vel_mode_control_effort_dat", LiveSpec::Int, 2},
};
const char* const CAPTIONS[] = {"Panel_vel_mode_velocity_demand_str", "Panel_vel_mode_control_effort_str"};

ParamPage& page();

// TabSheet_vel_mode_datShow, TabSheet_vel_mode_setShow.
void TabSheetShow(int index)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() == 1 && ctx <= 1 && index >= 0 && index < 2)
        Page_show_sheet(page(), static_cast<uint8_t>(ctx),
                        page().find<QWidget>(static_cast<uint8_t>(ctx), SHEETS[index]));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1]});
    tabs->setTabText(0, QString::fromUtf8("Velocità"));
    tabs->setTabText(1, QStringLiteral("Impostazioni"));
    for (std::size_t i = 0; i < std::size(FIELDS); ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    for (std::size_t i = 0; i < std::size(LIVES); ++i) {
        auto* panel = Page_flow(box, layout, CAPTIONS[i]);
        panel->addRightToLeft(Page_label(panel, nullptr, LIVES[i].label));
    }
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    if (!ParamPage::bus_known(ctx))
        return;
    for (std::size_t i = 0; i < std::size(LIVES); ++i)
        Utxgraph_set_caption(SlotLoc(ctx, LIVES[i].value.ofs), p.find<QWidget>(ctx, CAPTIONS[i]), ctx);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return Page_tab_shown(page(), TABS); },
                         .lives_on_list_reads = true,
                         .build = build,
                         .set_language = set_language};

const PageSpec SPEC = {
    "TFrame_CanDS402_Velocity_Mode", "GroupBox_DS402_Profile_Vel",
    {"Velocity Mode", "Velocity Mode", "Velocity Mode"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_velocity_mode, SPEC)

namespace {
ParamPage& page() { return Frm_cands402_velocity_mode_page(); }
}  // namespace
