#include "pages/fieldbus/Frm_cands402_profile_vel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Page_tabs.h"

namespace {

constexpr uint16_t OFS_ERROR_FLAGS = 2314;  // VelErrorFlags: bit 0 supervision on
constexpr uint16_t OFS_SENSOR = 2076;
constexpr uint16_t OFS_DEMAND = 2080;
constexpr uint16_t OFS_ACTUAL = 2084;
const char* const TABS = "PageControl_prf_vel_control";
const char* const SHEETS[3] = {"TabSheet_prf_vel_dat", "TabSheet_prf_vel_set", "TabSheet_prf_vel_view"};

const FieldSpec FIELDS[] = {
    {"FlowPanel_prf_vel_target_velocity", "Target velocity", 2236, EditType::I32, -2147483647, 2147483647, 0, 120},
    {"FlowPanel_prf_vel_acceleration", "Acceleration", 2120, EditType::U32, 1, 4294967295.0, 0},
    {"FlowPanel_prf_vel_deceleration", "Deceleration", 2124, EditType::U32, 1, 4294967295.0, 0},
    {"FlowPanel_prf_vel_window", "Velocity window", 2088, EditType::U16, 0, 65535, 0},
    {"FlowPanel_prf_vel_window_time", "Vel. window time", 2090, EditType::U16, 0, 20000, 0},
    {"FlowPanel_prf_vel_threshold", "Velocity threshold", 2092, EditType::U16, 0, 65535, 0},
    {"FlowPanel_prf_vel_threshold_time", "Vel. threshold time", 2094, EditType::U16, 0, 20000, 0},
    {"FlowPanel_prf_vel_error", "Velocity error", 2316, EditType::U32, 0, 2147483647, 0},
    {"FlowPanel_prf_vel_error_time", "Time vel. error", 2320, EditType::U16, 1, 60000, 0},
};
constexpr std::size_t FIRST_ERROR_EDIT = 7;  // the error group's edits come after the flags word
constexpr int FIELD_SHEET[] = {0, 0, 0, 1, 1, 1, 1, 1, 1};

#define ITEM(ofs) {ofs, ofs}
const PollSpec POLL_VELOCITY[] = {ITEM(2236), ITEM(2120), ITEM(2124), ITEM(OFS_ACTUAL)};
const PollSpec POLL_SETTING[] = {ITEM(2088), ITEM(2090), ITEM(2092), ITEM(2094), ITEM(OFS_ERROR_FLAGS),
                                 ITEM(2316), ITEM(2320), ITEM(OFS_ACTUAL)};
const PollSpec POLL_DATA[] = {ITEM(OFS_SENSOR), ITEM(OFS_DEMAND), ITEM(OFS_ACTUAL)};
#undef ITEM
const PollList LISTS[] = {{POLL_VELOCITY, std::size(POLL_VELOCITY), 0x04},
                          {POLL_SETTING, std::size(POLL_SETTING), 0x04},
                          {POLL_DATA, std::size(POLL_DATA), 0x04}};

const BitSpec BITS[] = {
    {"CheckBox_enable_error_vel", 1u << 0, false, "Panel_varflg", OFS_ERROR_FLAGS, "Panel_enable_error_vel_on_off"}};

const LiveSpec LIVES[] = {
    {RecLoc(OFS_SENSOR), "Panel_prf_vel_velocity_sensor_actual_value_dat", LiveSpec::Int, 4},
    {RecLoc(OFS_DEMAND), "Panel_prf_vel_velocity_demand_value_dat", LiveSpec::Int, 4},
    {RecLoc(OFS_ACTUAL), "Panel_prf_vel_velocity_actual_value_dat", LiveSpec::Int, 4},
};

const char* const TAB_TEXT[3][3] = {
    {"Velocità", "Impostazioni", "Dati"}, {"Velocity", "Setting", "Data"}, {"Vitesse", "Configurations", "Données"}};
const char* const ERROR_TEXT[3] = {"Abilita errore velocità", "Enable error speed", "Activer vitesse d'erreur"};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }

// A display and its caption panel (the display's name with _str for _dat).
void add_display(QWidget* parent, QVBoxLayout* layout, const LiveSpec& live)
{
    QByteArray caption(live.label);
    caption.replace("_dat", "_str");
    auto* panel = Page_flow(parent, layout, caption.constData());
    panel->addRightToLeft(Page_label(panel, nullptr, live.label));
}

// TabSheet_prf_vel_datShow, TabSheet_prf_vel_setShow.
void TabSheetShow(int index)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() == 1 && ctx <= 1 && index >= 0 && index < 2)
        Page_show_sheet(page(), static_cast<uint8_t>(ctx), find<QWidget>(static_cast<uint8_t>(ctx), SHEETS[index]));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1], SHEETS[2]});
    for (std::size_t i = 0; i < FIRST_ERROR_EDIT; ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    QWidget* setting = tabs->widget(1);
    QGroupBox* group = Page_group(setting, qobject_cast<QVBoxLayout*>(setting->layout()), "GroupBox_unita_mis_applicazione");
    auto* column = new QVBoxLayout(group);
    auto* panel27 = Page_flow(group, column, "Panel27");
    auto* check = new QCheckBox(panel27);
    check->setObjectName(QString::fromLatin1(BITS[0].control));
    panel27->addRightToLeft(Page_label(panel27, nullptr, "Panel_varflg"));
    panel27->addRightToLeft(Page_label(panel27, nullptr, "Panel_enable_error_vel_on_off"));
    panel27->addRightToLeft(check);
    for (std::size_t i = FIRST_ERROR_EDIT; i < std::size(FIELDS); ++i)
        Page_move_flow(box, group, FIELDS[i].panel);
    QWidget* data = tabs->widget(2);
    add_display(data, qobject_cast<QVBoxLayout*>(data->layout()), LIVES[0]);
    add_display(data, qobject_cast<QVBoxLayout*>(data->layout()), LIVES[1]);
    add_display(box, layout, LIVES[2]);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

void set_language(ParamPage&, uint8_t ctx)
{
    const unsigned lang = Lang_index();
    auto* tabs = find<QTabWidget>(ctx, TABS);
    for (int i = 0; tabs != nullptr && i < 3; ++i)
        tabs->setTabText(i, QString::fromUtf8(TAB_TEXT[lang][i]));
    if (!ParamPage::bus_known(ctx))
        return;
    Utxgraph_set_caption_txt3(SlotLoc(ctx, OFS_ERROR_FLAGS), find<QWidget>(ctx, BITS[0].control), ERROR_TEXT[lang],
                              nullptr, ctx);
    for (const LiveSpec& l : LIVES) {
        QByteArray caption(l.label);
        caption.replace("_dat", "_str");
        Utxgraph_set_caption(SlotLoc(ctx, l.value.ofs), find<QWidget>(ctx, caption.constData()), ctx);
    }
}

// The window edits, the whole flags word, then the error edits.
void copy(ParamPage& p)
{
    for (std::size_t i = 0; i < FIRST_ERROR_EDIT; ++i)
        p.step_copy_field(FIELDS[i].ofs);
    if (p.copy_polled(OFS_ERROR_FLAGS))
        p.step_show_bits(0);
    for (std::size_t i = FIRST_ERROR_EDIT; i < std::size(FIELDS); ++i)
        p.step_copy_field(FIELDS[i].ofs);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return Page_tab_shown(page(), TABS); },
                         .copy = copy,
                         .lives_on_list_reads = true,
                         .build = build,
                         .set_language = set_language};

const PageSpec SPEC = {
    "TFrame_CanDS402_Profile_Vel", "GroupBox_DS402_Profile_Vel",
    {"Profile Velocity", "Profile Velocity", "Profile Velocity"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS), LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(cands402_profile_vel, SPEC)

namespace {
ParamPage& page() { return Frm_cands402_profile_vel_page(); }
}  // namespace
