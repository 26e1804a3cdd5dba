#include "pages/fieldbus/Frm_mdb_speed_main.h"

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

constexpr uint16_t OFS_TYPE = 596;
constexpr uint16_t OFS_MAX = 548;
constexpr uint16_t OFS_OFFSET = 552;
constexpr uint16_t OFS_FILTER = 600;
constexpr uint16_t OFS_INSIDE = 556;
constexpr uint16_t OFS_PULSES = 592;
constexpr uint16_t LIVE_SPEED = LiveLoc::MeasuredSpeed.ofs;
const char* const TABS = "PageControl_rif_main_vel";
const char* const SHEETS[3] = {"TabSheet_vel_analog", "TabSheet_vel_interno", "TabSheet_frequenza"};

const FieldSpec FIELDS[] = {
    {"FlowPanel_vel_max", "Maximum Speed", OFS_MAX, EditType::U32, 1, 2147483647, 0, 100},
    {"FlowPanel_vel_offset", "Speed Offset", OFS_OFFSET, EditType::I32, -2147483648.0, 2147483647, 1, 100},
    {"FlowPanel_filtro_vel", "LP Filter", OFS_FILTER, EditType::U16, 0, 1000, 3, 70},
    {"FlowPanel_vel_interna", "Inside Speed", OFS_INSIDE, EditType::I32, -2147483648.0, 2147483647, 0, 100},
    {"FlowPanel_impulsi_giro", "Pulses Revolution", OFS_PULSES, EditType::U16, 128, 16384, 0, 0},
};
// Sheet of each edit, in table order.
constexpr int FIELD_SHEET[] = {0, 0, 0, 1, 2};

// The measured speed: both registers of 051Dh/051Eh, keys fixed (the value has a second pair).
#define MEASURED_SPEED                                                     \
    {LIVE_SPEED, LIVE_SPEED + 2, false, 0x051D, 0, Area::Live},            \
    {                                                                       \
        LIVE_SPEED + 2, LIVE_SPEED, true, 0x051E, 0, Area::Live            \
    }
const PollSpec POLL_ANALOG[] = {ONE_ITEM(OFS_TYPE), MDB_PAIR_ITEMS(OFS_MAX), MDB_PAIR_ITEMS(OFS_OFFSET),
                                ONE_ITEM(OFS_FILTER), ONE_ITEM(OFS_SPEED_FLAGS), MEASURED_SPEED};
const PollSpec POLL_INSIDE[] = {ONE_ITEM(OFS_TYPE), MDB_PAIR_ITEMS(OFS_INSIDE), MEASURED_SPEED};
const PollSpec POLL_FREQUENCY[] = {ONE_ITEM(OFS_TYPE), ONE_ITEM(OFS_PULSES), ONE_ITEM(OFS_SPEED_FLAGS), MEASURED_SPEED};
#undef MEASURED_SPEED
static_assert(std::size(POLL_ANALOG) == 9 && std::size(POLL_INSIDE) == 5 && std::size(POLL_FREQUENCY) == 5);
const PollList LISTS[] = {{POLL_ANALOG, std::size(POLL_ANALOG), 0x03},
                          {POLL_INSIDE, std::size(POLL_INSIDE), 0x03},
                          {POLL_FREQUENCY, std::size(POLL_FREQUENCY), 0x03}};

const LiveSpec LIVES[] = {{LiveLoc::MeasuredSpeed, "Panel_vel_speed_mis_dat", LiveSpec::Int, 4}};

const char* const TYPE_IT[] = {"Analogica", "Interna", "Frequenza"};
const char* const TYPE_EN[] = {"Analog", "Inside", "Frequency"};
const char* const TYPE_FR[] = {"Analogique", "Intérieure", "Fréquence"};
const ComboSpec TYPE_COMBO = {{TYPE_IT, TYPE_EN, TYPE_FR}, 3};
const char* const MODE_IT[] = {"Canale A - B", "Frequenza Direz.", "Impulsi CW/CCW"};
const char* const MODE_EN[] = {"Channel A - B", "Freq. Direction", "Impulses CW/CCW"};
const char* const MODE_FR[] = {"Canal A - B", "Fréquence Direct.", "Impulsions CW/CCW"};
const ComboSpec MODE_COMBO = {{MODE_IT, MODE_EN, MODE_FR}, 3};
const char* const MODE_CAPTION[3] = {"Freq. Modo", "Freq. Mode", "Fréq. Mode"};

ParamPage& page();
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }

void show_mode(uint8_t ctx)
{
    Combo_select(find<QComboBox>(ctx, "ComboBox_rif_freq_modo"), MODE_COMBO, field(ctx, OFS_SPEED_FLAGS) & SPEED_FREQ_MODE);
    Utxgraph_set_text(find<QWidget>(ctx, "Panel_par_cm_vel_flg_dat_freq_modo"),
                      Page_hex_text(field(ctx, OFS_SPEED_FLAGS), 2));
}

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

void ComboBox_rif_main_velChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || index < 0)
        return;
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_TYPE, static_cast<uint16_t>(index));
    Page_select_tab(page(), ctx, TABS, index);
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_TYPE));
}

void ComboBox_rif_freq_modoChange(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || index < 0)
        return;
    const uint16_t word = field(ctx, OFS_SPEED_FLAGS);
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_SPEED_FLAGS,
                      static_cast<uint16_t>((word & ~SPEED_FREQ_MODE) | (index & SPEED_FREQ_MODE)));
    show_mode(ctx);
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_SPEED_FLAGS));
}

// TabSheet_vel_analogShow, TabSheet_vel_internoShow, TabSheet_frequenzaShow.
void TabSheetShow(int index)
{
    const uint8_t ctx = handler_context();
    if (ctx <= 1 && index >= 0 && index < 3)
        Page_show_sheet(page(), ctx, find<QWidget>(ctx, SHEETS[index]));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* type = Page_combo(Page_flow(box, nullptr, "Panel_tipo_main_speed", "Type"), "ComboBox_rif_main_vel");
    layout->insertWidget(0, type->parentWidget());
    QTabWidget* tabs = Page_tabs(box, layout, TABS, {SHEETS[0], SHEETS[1], SHEETS[2]});
    for (std::size_t i = 0; i < std::size(FIELDS); ++i)
        Page_move_flow(box, tabs->widget(FIELD_SHEET[i]), FIELDS[i].panel);
    QWidget* freq = tabs->widget(2);
    auto* mode_panel = Page_flow(freq, qobject_cast<QVBoxLayout*>(freq->layout()), "Panel_rif_freq_modo");
    auto* mode = Page_combo(mode_panel, "ComboBox_rif_freq_modo");
    mode_panel->addRightToLeft(Page_label(mode_panel, nullptr, "Panel_par_cm_vel_flg_dat_freq_modo"));
    auto* measured = Page_flow(box, layout, "Panel_vel_speed_mis_str", "Meas. Speed.");
    measured->addRightToLeft(Page_label(measured, nullptr, "Panel_vel_speed_mis_dat"));
    QObject::connect(type, &QComboBox::activated, type, ComboBox_rif_main_velChange);
    QObject::connect(mode, &QComboBox::activated, mode, ComboBox_rif_freq_modoChange);
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, TabSheetShow);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    Combo_select(find<QComboBox>(ctx, "ComboBox_rif_main_vel"), TYPE_COMBO, field(ctx, OFS_TYPE));
    Page_select_tab(p, ctx, TABS, field(ctx, OFS_TYPE));
    show_mode(ctx);
}

void set_language(ParamPage&, uint8_t ctx)
{
    const unsigned lang = Lang_index();
    auto* tabs = find<QTabWidget>(ctx, TABS);
    for (int i = 0; tabs != nullptr && i < 3; ++i)
        tabs->setTabText(i, QString::fromUtf8(TYPE_COMBO.items[lang][i]));
    auto* type = find<QComboBox>(ctx, "ComboBox_rif_main_vel");
    Combo_fill(type, TYPE_COMBO);
    Combo_select(type, TYPE_COMBO, field(ctx, OFS_TYPE));
    auto* mode = find<QComboBox>(ctx, "ComboBox_rif_freq_modo");
    Combo_fill(mode, MODE_COMBO);
    Combo_select(mode, MODE_COMBO, field(ctx, OFS_SPEED_FLAGS) & SPEED_FREQ_MODE);
    if (!ParamPage::bus_known(ctx))
        return;
    Utxgraph_set_caption(SlotLoc(ctx, OFS_TYPE), find<QWidget>(ctx, "Panel_tipo_main_speed"), ctx);
    Utxgraph_set_caption_txt(SlotLoc(ctx, OFS_SPEED_FLAGS), find<QWidget>(ctx, "Panel_rif_freq_modo"),
                             MODE_CAPTION[lang], nullptr, ctx);
    Utxgraph_set_caption(LiveLoc::MeasuredSpeed, find<QWidget>(ctx, "Panel_vel_speed_mis_str"), ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_TYPE), find<QComboBox>(0, "ComboBox_rif_main_vel"),
                          find<QWidget>(0, "Panel_tipo_main_speed"), state);
    Utxgraph_enable_combo(RecLoc(OFS_SPEED_FLAGS), find<QComboBox>(0, "ComboBox_rif_freq_modo"),
                          find<QWidget>(0, "Panel_rif_freq_modo"), state);
}

// Reference type (the tab stays), the frequency mode bits alone, then the edits.
void copy(ParamPage& p)
{
    if (p.copy_polled(OFS_TYPE))
        Combo_select(find<QComboBox>(0, "ComboBox_rif_main_vel"), TYPE_COMBO, field(0, OFS_TYPE));
    const uint16_t word = field(0, OFS_SPEED_FLAGS);
    const uint16_t got = Rec_get<uint16_t>(DriveReadBack, OFS_SPEED_FLAGS);
    if (p.polled(OFS_SPEED_FLAGS) && ((word ^ got) & SPEED_FREQ_MODE) != 0) {
        Rec_set<uint16_t>(DriveRecordBank[0], OFS_SPEED_FLAGS,
                          static_cast<uint16_t>((word & ~SPEED_FREQ_MODE) | (got & SPEED_FREQ_MODE)));
        show_mode(0);
    }
    p.step_copy_edits();
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    p.set_language(ctx);
    p.refresh(ctx);
    if (ctx == 0)
        p.set_access(0);
}

const PageHooks HOOKS = {.select_list = [](uint16_t) { return Page_tab_shown(page(), TABS); },
                         .copy = copy,
                         .lives_on_list_reads = true,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access,
                         .create_steps = create_steps};

const PageSpec SPEC = {
    "TFrame_mdb_speed_main", "GroupBox_rif_speed",
    {"Velocità Principale", "Main Speed", "Vitesse Principal"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS, nullptr, 0, LIVES, std::size(LIVES),
};

}  // namespace

PARAM_PAGE_UNIT(mdb_speed_main, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_speed_main_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& MdbSpeedMainTypeCombo = TYPE_COMBO;
const ComboSpec& MdbSpeedFreqModeCombo = MODE_COMBO;
