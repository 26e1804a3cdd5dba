#include "pages/drive/Frm_output.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "platform/Msgbox.h"

namespace {

const FieldSpec FIELDS[] = {
    {"FlowPanel_vel0set_win", "Speed Threshold", 212, EditType::U16, 1, 1500, 0, 70},
    {"FlowPanel_vel0set_dtime", "Time", 214, EditType::U16, 10, 10000, 0, 70},
    {"FlowPanel_time_brake_on", "Time brake enable", 204, EditType::U16, 10, 2000, 0, 70},
    {"FlowPanel_time_brake_off", "Time brake disable", 206, EditType::U16, 10, 2000, 0, 70},
    {"FlowPanel_decel", "Deceleration", 208, EditType::U16, 1, 60000, 0, 70},
    {"FlowPanel_vel_brake_on", "Speed brake enable", 210, EditType::U16, 1, 500, 0, 70},
    {"FlowPanel_speed_1kHz", "Speed at 1KHz", 222, EditType::U16, 100, 4000, 0, 70},
};
// Edits whose unit follows the motor, captioned again at each Refresh.
constexpr uint16_t RECAPTIONED[] = {212, 208, 210};

// The four combos: caption panel, combo, own caption text, field.
struct OutputCombo {
    const char* panel;
    const char* combo;
    const char* text[3];
    uint16_t ofs;
};
enum { OUT0, OUT1, OUT2, DIVIDER, COMBOS };
const OutputCombo COMBO[COMBOS] = {
    {"Panel_out0set", "ComboBox_out0set", {"Imposta Out 0", "Set out 0", "Réglez la sortie 0"}, 262},
    {"Panel_out1set", "ComboBox_out1set", {"Imposta Out 1", "Set out 1", "Réglez la sortie 1"}, 216},
    {"Panel_out2set", "ComboBox_out2set", {"Imposta Out 2", "Set out 2", "Réglez la sortie 2"}, 218},
    {"Panel_freq_pos_div_out", "ComboBox_freq_pos_div_out",
     {"Divisore count encoder", "Divisor count encoder", "Diviseur comptage codeur"}, 264},
};

// Tabs in order, their titles and the edits (field indices) they hold.
struct OutputTab {
    const char* sheet;
    const char* title[3];
    int first_field;
    int fields;
};
enum { TAB_SPEED0, TAB_MOTBRAKE, TAB_FREQ_1KHZ, TAB_POS_FREQ };
const OutputTab TABS[] = {
    {"TabSheet_speed0", {"Velocità 0", "0 Speed", "Vitesse 0"}, 0, 2},
    {"TabSheet_motbrake", {"Freno Motore", "Motor Brake", "Moteur de Freins"}, 2, 4},
    {"TabSheet_freq_1kHz", {"Freq. 1KHz", "Freq. 1KHz", "Fréq. à 1KHz"}, 6, 1},
    {"TabSheet_pos_freq", {"Pos-Freq", "Pos-Freq", "Pos-Fréq"}, 7, 0},
};

// The tab a chosen output function brings to front.
struct FunctionTab {
    int out;
    uint16_t value;
    int tab;
};
const FunctionTab FUNCTION_TABS[] = {
    {OUT0, 1, TAB_POS_FREQ}, {OUT1, 2, TAB_SPEED0}, {OUT1, 4, TAB_MOTBRAKE}, {OUT1, 5, TAB_FREQ_1KHZ},
    {OUT2, 2, TAB_SPEED0},   {OUT2, 4, TAB_MOTBRAKE},
};

// Each list: the three output functions, then the fields of its tab.
#define OUTPUT_FUNCTIONS {262, 262}, {216, 216}, {218, 218}
const PollSpec POLL_SPEED0[] = {OUTPUT_FUNCTIONS, {212, 212}, {214, 214}};
const PollSpec POLL_MOTBRAKE[] = {OUTPUT_FUNCTIONS, {204, 204}, {206, 206}, {208, 208}, {210, 210}};
const PollSpec POLL_FREQ_1KHZ[] = {OUTPUT_FUNCTIONS, {222, 222}};
const PollSpec POLL_POS_FREQ[] = {OUTPUT_FUNCTIONS, {264, 264}};
#undef OUTPUT_FUNCTIONS
const PollList LISTS[] = {{POLL_SPEED0, std::size(POLL_SPEED0)},
                          {POLL_MOTBRAKE, std::size(POLL_MOTBRAKE)},
                          {POLL_FREQ_1KHZ, std::size(POLL_FREQ_1KHZ)},
                          {POLL_POS_FREQ, std::size(POLL_POS_FREQ)}};
static_assert(std::size(LISTS) == std::size(TABS));

const char* const RANGE_TEXT[3] = {"parametro fuori range!\n Impostato valore di default",
                                   "parameter out of range!\n Set default",
                                   "paramètre hors de la plage!\n réglé par défaut,"};

ParamPage& page() { return Frm_output_page(); }
template <typename W>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint16_t field(uint8_t ctx, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], ofs); }
bool second_family() { return PagesHost.second_family != nullptr && PagesHost.second_family(); }

// Items of combo `c` for the settings' family.
const ComboSpec& items_of(int c)
{
    switch (c) {
    case OUT0: return OutputOut0Combo;
    case OUT1: return second_family() ? OutputOut1SecondCombo : OutputOut1FirstCombo;
    case OUT2: return OutputOut2Combo;
    default: return OutputDividerCombo;
    }
}

void select_combo(uint8_t ctx, int c) { Combo_select(find<QComboBox>(ctx, COMBO[c].combo), items_of(c), field(ctx, COMBO[c].ofs)); }

// A tab's edits shown again (ready byte 0 meanwhile).
void show_tab(uint8_t ctx, int tab)
{
    const uint8_t was = page().ready();
    page().set_ready(0);
    for (int i = TABS[tab].first_field; i < TABS[tab].first_field + TABS[tab].fields; ++i)
        if (MemoUpDwxBase* e = page().edit(ctx, i))
            e->show();
    page().set_ready(was);
}

uint8_t handler_context()
{
    const uint16_t ctx = PageContext.load();
    return page().ready() == 1 && ctx <= 1 ? static_cast<uint8_t>(ctx) : 0xFF;
}

// Stores the chosen item of combo `c` in the record of PageContext; sent in context 0.
bool store(int c, int index)
{
    const uint8_t ctx = handler_context();
    if (ctx > 1 || Combo_value_of(items_of(c), index) < 0)
        return false;
    Rec_set<uint16_t>(DriveRecordBank[ctx], COMBO[c].ofs, static_cast<uint16_t>(index));
    if (c != DIVIDER) {
        if (PagesHost.mark_io_display != nullptr)
            PagesHost.mark_io_display();
        for (const FunctionTab& f : FUNCTION_TABS)
            if (f.out == c && f.value == index)
                find<QTabWidget>(ctx, "PageControl_output")->setCurrentIndex(f.tab);
    }
    if (ctx == 0)
        Sertx_write_var(RecLoc(COMBO[c].ofs));
    return true;
}

void ComboBox_out0setChange(int index) { store(OUT0, index); }
void ComboBox_out1setChange(int index) { store(OUT1, index); }
void ComboBox_out2setChange(int index) { store(OUT2, index); }
void ComboBox_freq_pos_div_outChange(int index) { store(DIVIDER, index); }
using ComboHandler = void (*)(int);
constexpr ComboHandler COMBO_HANDLERS[COMBOS] = {ComboBox_out0setChange, ComboBox_out1setChange,
                                                 ComboBox_out2setChange, ComboBox_freq_pos_div_outChange};

void TabSheet_speed0Show(uint8_t ctx) { show_tab(ctx, TAB_SPEED0); }
void TabSheet_motbrakeShow(uint8_t ctx) { show_tab(ctx, TAB_MOTBRAKE); }
void TabSheet_freq_1kHzShow(uint8_t ctx) { show_tab(ctx, TAB_FREQ_1KHZ); }
using TabHandler = void (*)(uint8_t);
constexpr TabHandler TAB_HANDLERS[] = {TabSheet_speed0Show, TabSheet_motbrakeShow, TabSheet_freq_1kHzShow};

void build(ParamPage&, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    for (int c = OUT0; c <= OUT2; ++c)
        Page_combo(Page_flow(box, layout, COMBO[c].panel, COMBO[c].text[0]), COMBO[c].combo);
    auto* tabs = new QTabWidget(box);
    tabs->setObjectName(QStringLiteral("PageControl_output"));
    layout->addWidget(tabs);
    for (const OutputTab& t : TABS) {
        auto* sheet = new QWidget(tabs);
        sheet->setObjectName(QString::fromLatin1(t.sheet));
        tabs->addTab(sheet, QString::fromUtf8(t.title[0]));
        auto* column = new QVBoxLayout(sheet);
        for (int i = t.first_field; i < t.first_field + t.fields; ++i) {
            auto* panel = box->findChild<FlowPanel*>(QString::fromLatin1(FIELDS[i].panel));
            panel->setParent(sheet);
            column->addWidget(panel);
        }
        if (&t == &TABS[TAB_POS_FREQ])
            Page_combo(Page_flow(sheet, column, COMBO[DIVIDER].panel, COMBO[DIVIDER].text[0]), COMBO[DIVIDER].combo);
        column->addStretch();
    }
    for (int c = 0; c < COMBOS; ++c) {
        auto* combo = tabs->parentWidget()->findChild<QComboBox*>(QString::fromLatin1(COMBO[c].combo));
        QObject::connect(combo, &QComboBox::activated, combo, COMBO_HANDLERS[c]);
    }
    QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [ctx](int index) {
        if (index >= 0 && index < static_cast<int>(std::size(TAB_HANDLERS)))
            TAB_HANDLERS[index](ctx);
    });
}

// Main window only: an output function the family does not have is reset to 0 in the drive,
// then reported (a refresh while the box is open finds the value already mended).
void check_ranges(uint8_t ctx)
{
    if (ctx != 0 || PageContext.load() != 0)
        return;
    const unsigned l = Lang_index();
    for (int c = OUT0; c <= OUT2; ++c) {
        if (c == OUT2 && !second_family())
            continue;
        if (field(0, COMBO[c].ofs) < items_of(c).count)
            continue;
        Rec_set<uint16_t>(DriveRecordBank[0], COMBO[c].ofs, 0);
        Sertx_write_var(RecLoc(COMBO[c].ofs));
        const QString caption = Utxgraph_text(find<QWidget>(0, COMBO[c].panel));
        Msgbox_show({MsgIcon::Warning, Msgbox_title(l), (caption + ": " + RANGE_TEXT[l]).toStdString(), MsgOk});
    }
}

void refresh_steps(ParamPage& p, uint8_t ctx)
{
    find<QWidget>(ctx, COMBO[OUT2].panel)->setVisible(second_family());
    for (int c = OUT0; c <= OUT2; ++c)
        Combo_fill(find<QComboBox>(ctx, COMBO[c].combo), items_of(c));
    check_ranges(ctx);
    for (int c = 0; c < COMBOS; ++c)
        select_combo(ctx, c);
    if (ParamPage::bus_known(ctx))
        for (uint16_t ofs : RECAPTIONED)
            p.edit_of(ctx, ofs)->set_language(ctx);
    p.step_show_edits(ctx);
    p.step_timer(ctx);
}

void language_steps(ParamPage& p, uint8_t ctx)
{
    const unsigned l = Lang_index();
    p.step_title(ctx);
    for (const OutputCombo& c : COMBO) {
        auto* panel = find<QWidget>(ctx, c.panel);
        if (ParamPage::bus_known(ctx))
            Utxgraph_set_caption_txt(SlotLoc(ctx, c.ofs), panel, c.text[l], nullptr, ctx);
        else
            Utxgraph_set_text(panel, QString::fromUtf8(c.text[l]));
    }
    auto* tabs = find<QTabWidget>(ctx, "PageControl_output");
    for (int t = 0; t < static_cast<int>(std::size(TABS)); ++t)
        tabs->setTabText(t, QString::fromUtf8(TABS[t].title[l]));
    Combo_fill(find<QComboBox>(ctx, COMBO[DIVIDER].combo), OutputDividerCombo);
    select_combo(ctx, DIVIDER);
    p.step_caption_edits(ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    const bool known = ParamPage::bus_known(0);
    for (const OutputCombo& c : COMBO) {
        auto* combo = find<QComboBox>(0, c.combo);
        if (known)
            Utxgraph_enable_combo(RecLoc(c.ofs), combo, find<QWidget>(0, c.panel), state);
        else
            combo->setEnabled(false);
    }
}

// Output functions and divider, without a tab change.
void copy_controls(ParamPage& p)
{
    for (int c = 0; c < COMBOS; ++c) {
        const uint16_t ofs = COMBO[c].ofs;
        if (p.copy_polled(ofs))
            select_combo(0, c);
    }
}

int select_list(uint16_t)
{
    auto* tabs = find<QTabWidget>(0, "PageControl_output");
    return tabs != nullptr ? tabs->currentIndex() : 0;
}

void create_steps(ParamPage& p, uint8_t ctx)
{
    p.set_language(ctx);
    p.refresh(ctx);
    if (ctx == 0)
        p.set_access(0);
}

const PageHooks HOOKS = {.select_list = select_list,
                         .copy_controls = copy_controls,
                         .build = build,
                         .set_access = set_access,
                         .create_steps = create_steps,
                         .refresh_steps = refresh_steps,
                         .language_steps = language_steps};

const PageSpec SPEC = {
    "TFrame_output", "GroupBox_Output",
    {"Output", "Output", "Sortie"},
    FIELDS, std::size(FIELDS), LISTS, std::size(LISTS), HOOKS,
};

}  // namespace

PARAM_PAGE_UNIT(output, SPEC)
