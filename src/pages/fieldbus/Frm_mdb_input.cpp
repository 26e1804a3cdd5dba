#include "pages/fieldbus/Frm_mdb_input.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cstring>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Speed_flags.h"

// ---- names ----

#define NAME(it, en, fr, used) {{it, en, fr}, used, {0, 0}}
#define NOT_USED NAME("Non Usato", "Not Used", "Pas Utilisé", 0)
#define POWER NAME("Power On/Off", "Power On/Off", "Power On/Off", 1)
#define ENABLE_REF NAME("Abilita Riferimento", "Enable Reference", "Activer Référence", 1)
#define LIMIT_CW NAME("Fine Corsa CW", "Limit Switch CW", "Fin Course CW", 1)
#define LIMIT_CCW NAME("Fine Corsa CCW", "Limit Switch CCW", "Fin Course CCW", 1)
#define LIMIT_HOME NAME("Fine Corsa Home", "Limit Switch Home", "Switch Pos.Init.", 1)
#define REVERSE NAME("Inverte Rif.", "Reverse Ref.", "Inverser Réf.", 1)
#define RESET NAME("Reset Allarmi", "Reset Alarm", "Réinitialis. Alarmes", 1)
#define MEASURE NAME("Misura posizione", "Measuring position", "Position de mesure", 1)
#define POS_INPUT1 NAME("Posizione - Input 1", "Position - Input 1", "Position - Entrée 1", 1)
const DigitalInputName DigitalInputNameTable[InputGroupCount][6] = {
    {POWER, ENABLE_REF, LIMIT_CW, LIMIT_CCW, REVERSE, RESET},
    {POWER, ENABLE_REF, NOT_USED, NOT_USED, NOT_USED, RESET},
    {POWER, ENABLE_REF, LIMIT_CW, LIMIT_CCW, NOT_USED, RESET},
    {NOT_USED, NOT_USED, LIMIT_CW, LIMIT_CCW, NOT_USED, MEASURE},
    {NOT_USED, NOT_USED, NOT_USED, NOT_USED, NOT_USED, MEASURE},
    {NOT_USED, NOT_USED, LIMIT_CW, LIMIT_CCW, NOT_USED, MEASURE},
    {NOT_USED, POS_INPUT1, LIMIT_CW, LIMIT_CCW, LIMIT_HOME, MEASURE},
    {NOT_USED, POS_INPUT1, LIMIT_CW, LIMIT_CCW, LIMIT_HOME, MEASURE},
    {NOT_USED, NAME("Non Usato", "Not Used", "Pas Utilisé", 1), LIMIT_CW, LIMIT_CCW, LIMIT_HOME, NOT_USED},
};
#undef NAME
#undef NOT_USED
#undef POWER
#undef ENABLE_REF
#undef LIMIT_CW
#undef LIMIT_CCW
#undef LIMIT_HOME
#undef REVERSE
#undef RESET
#undef MEASURE
#undef POS_INPUT1

namespace {
const char* const LEVEL_IT[] = {"Contat. 0 V", "Contat. 24 V"};
const char* const LEVEL_EN[] = {"Contact 0 V", "Contact 24 V"};
const char* const LEVEL_FR[] = {"Contact 0 V", "Contatc 24 V"};
const char* const MODE_IT[] = {"Continuo", "Singolo"};
const char* const MODE_EN[] = {"Continuos", "One Shot"};
const char* const MODE_FR[] = {"Continu", "Un Coup"};
const char* const POWER_IT[] = {"Fronte Salita", "Stato Ingresso"};
const char* const POWER_EN[] = {"Rising Edge", "Level Input"};
const char* const POWER_FR[] = {"Bords Avant", "État Entrée"};
const ComboSpec POWER_COMBO = {{POWER_IT, POWER_EN, POWER_FR}, 2};
const char* const REVERSE_TEXT[3] = {"Inverte Riferimento", "Reverse Reference", "Inverser Référence"};
}  // namespace

const ComboSpec InputLevelCombo = {{LEVEL_IT, LEVEL_EN, LEVEL_FR}, 2};
const ComboSpec InputCaptureModeCombo = {{MODE_IT, MODE_EN, MODE_FR}, 2};
const char* const InputCwText[3] = {"Fine Corsa CW", "End Stop CW", "Fin de course CW"};
const char* const InputCcwText[3] = {"Fine Corsa CCW", "End Run CCW", "Fin de course CCW"};
const char* const InputCaptureText[3] = {"Misura posizione", "Measuring position", "Position de mesure"};
const char* const InputCaptureModeText[3] = {"Modo misura posizione", "Measuring position mode",
                                             "Mode de mesure de position"};
const char* const InputCaptureGroupText[3] = {"Dati misura posizione", "Data measurement position",
                                              "Position de mesure des données"};
const char* const InputCaptureLabels[3] = {"Panel_pos_cmp_mis1_dat", "Panel_pos_cmp_mis2_dat", "Panel_pos_delta_mis_dat"};
const char* const InputCaptureCaptions[3] = {"Panel_pos_cmp_mis1_str", "Panel_pos_cmp_mis2_str", "Panel_pos_delta_mis_str"};

void Input_show_name(QWidget* panel, const DigitalInputName& entry, uint8_t ctx, const Loc* tag_field)
{
    if (panel == nullptr)
        return;
    const char* name = entry.name[Lang_index()];
    if (tag_field != nullptr) {
        char buf[80];
        Utxgraph_set_text(panel, QString::fromUtf8(Utxgraph_tag_text(*tag_field, name, buf, sizeof buf, ctx)));
    } else {
        Utxgraph_set_text(panel, QString::fromUtf8(name));
    }
    Page_set_colour(panel, entry.used ? clBlack : clGray);
}

QWidget* Input_row(QWidget* parent, QBoxLayout* layout, const char* label, std::initializer_list<const char*> names)
{
    auto* row = new QWidget(parent);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(new QLabel(QString::fromLatin1(label), row));
    for (const char* n : names) {
        QWidget* w = nullptr;
        if (std::strncmp(n, "CheckBox_", 9) == 0)
            w = new QCheckBox(row);
        else if (std::strncmp(n, "ComboBox_", 9) == 0)
            w = new QComboBox(row);
        else
            w = new QLabel(row);
        w->setObjectName(QString::fromLatin1(n));
        line->addWidget(w);
    }
    layout->addWidget(row);
    return row;
}

void Input_capture_group(QWidget* parent, QBoxLayout* layout)
{
    QGroupBox* group = Page_group(parent, layout, "GroupBox_dati_misura_pos");
    auto* column = new QVBoxLayout(group);
    for (int i = 0; i < 3; ++i) {
        auto* panel = Page_flow(group, column, InputCaptureCaptions[i]);
        panel->addRightToLeft(Page_label(panel, nullptr, InputCaptureLabels[i]));
    }
}

namespace {

constexpr uint16_t OFS_SETTING = 504;
constexpr uint16_t OFS_IO_TYPE = 118;
constexpr uint16_t OFS_MDB_TYPE = 466;
constexpr uint16_t POWER_BIT = 1u << 5;
constexpr uint16_t LIVE_INITIAL = LiveLoc::PositionInitial.ofs;
constexpr uint16_t LIVE_FINAL = LiveLoc::PositionFinal.ofs;
constexpr uint16_t LIVE_DELTA = LiveLoc::PositionDelta.ofs;
const char* const ECHOES[5] = {"Panel_par_inset_fine_corsa_CW", "Panel_par_inset_fine_corsa_CCW",
                               "Panel_par_inset_fine_corsa_home", "Panel_in5_pos_mis_dat", "Panel_in5_pos_mis_mode_dat"};

#define LIVE_PAIR(ofs) {ofs, static_cast<uint16_t>((ofs) + 2), false, 0, 0, Area::Live}, \
    {static_cast<uint16_t>((ofs) + 2), ofs, true, 0, 0, Area::Live}
const PollSpec POLL[] = {ONE_ITEM(OFS_MDB_TYPE), ONE_ITEM(OFS_SETTING), LIVE_PAIR(LIVE_INITIAL), LIVE_PAIR(LIVE_FINAL),
                         LIVE_PAIR(LIVE_DELTA)};
#undef LIVE_PAIR
static_assert(std::size(POLL) == 8);
const PollList LISTS[] = {{POLL, std::size(POLL), 0x03}};

// The bits copied from the drive and set by their controls (bit 5, the power mode, is neither
// copied nor a bit control of the base: its combo has a handler of its own).
const BitSpec BITS[] = {
    {"CheckBox_fine_corsa_CW_enable", 1u << 0, false, ECHOES[0], OFS_SETTING, "Panel_fine_corsa_CW_enable_on_off"},
    {"ComboBox_fine_corsa_CW_volt", 1u << 1, true, ECHOES[1], OFS_SETTING},
    {"CheckBox_fine_corsa_CCW_enable", 1u << 2, false, ECHOES[2], OFS_SETTING, "Panel_fine_corsa_CCW_enable_on_off"},
    {"ComboBox_fine_corsa_CCW_volt", 1u << 3, true, ECHOES[3], OFS_SETTING},
    {"ComboBox_fine_corsa_home_volt", 1u << 4, true, ECHOES[4], OFS_SETTING},
    {"CheckBox_enable_input_reverse", 1u << 6, false, nullptr, OFS_SETTING, "Panel_enable_input_reverse_on_off"},
    {"CheckBox_in5_pos_mis_enable", 1u << 7, false, nullptr, OFS_SETTING, "Panel_in5_pos_mis_enable_on_off"},
    {"ComboBox_in5_pos_mis_volt", 1u << 8, true, nullptr, OFS_SETTING},
    {"ComboBox_in5_pos_mis_mode", 1u << 9, true, nullptr, OFS_SETTING},
};

const LiveSpec LIVES[] = {
    {LiveLoc::PositionInitial, InputCaptureLabels[0], LiveSpec::Int, 4},
    {LiveLoc::PositionFinal, InputCaptureLabels[1], LiveSpec::Int, 4},
    {LiveLoc::PositionDelta, InputCaptureLabels[2], LiveSpec::Int, 4},
};

ParamPage& page();
template <typename W = QWidget>
W* find(uint8_t ctx, const char* name) { return page().find<W>(ctx, name); }
uint16_t setting(uint8_t ctx) { return Rec_get<uint16_t>(DriveRecordBank[ctx & 1], OFS_SETTING); }
int16_t i16(uint8_t ctx, uint16_t ofs) { return Rec_get<int16_t>(DriveRecordBank[ctx & 1], ofs); }

void show_power(uint8_t ctx)
{
    Combo_select(find<QComboBox>(ctx, "ComboBox_modo_input_power"), POWER_COMBO, (setting(ctx) & POWER_BIT) != 0);
}

void ComboBox_modo_input_powerChange(int index)
{
    const uint16_t ctx = PageContext.load();
    if (page().ready() != 1 || ctx > 1 || index < 0)
        return;
    const uint16_t word = setting(static_cast<uint8_t>(ctx));
    Rec_set<uint16_t>(DriveRecordBank[ctx], OFS_SETTING,
                      static_cast<uint16_t>(index != 0 ? word | POWER_BIT : word & ~POWER_BIT));
    Frm_mdb_input_show_hex(static_cast<uint8_t>(ctx));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_SETTING));
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QWidget* power = Input_row(box, layout, "I.0", {"Panel_input_0"});
    auto* power_panel = Page_flow(power, qobject_cast<QBoxLayout*>(power->layout()), "Panel_modo_input_power");
    auto* power_combo = Page_combo(power_panel, "ComboBox_modo_input_power");
    Input_row(box, layout, "I.1", {"Panel_input_1"});
    Input_row(box, layout, "I.2", {"Panel_input_2", "CheckBox_fine_corsa_CW_enable", "Panel_fine_corsa_CW_enable_on_off",
                                   "ComboBox_fine_corsa_CW_volt", ECHOES[0]});
    Input_row(box, layout, "I.3", {"Panel_input_3", "CheckBox_fine_corsa_CCW_enable",
                                   "Panel_fine_corsa_CCW_enable_on_off", "ComboBox_fine_corsa_CCW_volt", ECHOES[1]});
    Input_row(box, layout, "I.4", {"Panel_input_4", "CheckBox_enable_input_reverse", "Panel_enable_input_reverse_on_off",
                                   "ComboBox_fine_corsa_home_volt", ECHOES[2]});
    Input_row(box, layout, "I.5", {"Panel_input_5", "CheckBox_in5_pos_mis_enable", "Panel_in5_pos_mis_enable_on_off",
                                   "ComboBox_in5_pos_mis_volt", ECHOES[3]});
    auto* mode = Page_flow(box, layout, "Panel_in5_pos_mis_mode");
    mode->addRightToLeft(Page_label(mode, nullptr, ECHOES[4]));
    Page_combo(mode, "ComboBox_in5_pos_mis_mode");
    Input_capture_group(box, layout);
    QObject::connect(power_combo, &QComboBox::activated, power_combo, ComboBox_modo_input_powerChange);
}

void refresh(ParamPage&, uint8_t ctx) { show_power(ctx); }

void caption(uint8_t ctx, const char* control, const char* const text[3])
{
    Utxgraph_set_caption_txt(SlotLoc(ctx, OFS_SETTING), find(ctx, control), text[Lang_index()], nullptr, ctx);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    const unsigned lang = Lang_index();
    Combo_fill(find<QComboBox>(ctx, "ComboBox_modo_input_power"), POWER_COMBO);
    show_power(ctx);
    for (const char* level : {"ComboBox_fine_corsa_CW_volt", "ComboBox_fine_corsa_CCW_volt",
                              "ComboBox_fine_corsa_home_volt", "ComboBox_in5_pos_mis_volt"})
        Combo_fill(find<QComboBox>(ctx, level), InputLevelCombo);
    Combo_fill(find<QComboBox>(ctx, "ComboBox_in5_pos_mis_mode"), InputCaptureModeCombo);
    p.step_show_bits(ctx);
    for (int input : {0, 1, 5})
        Input_show_name(find(ctx, QByteArray("Panel_input_").append(char('0' + input)).constData()),
                        Frm_mdb_input_name(ctx, input), ctx);
    if (auto* group = find<QGroupBox>(ctx, "GroupBox_dati_misura_pos"))
        group->setTitle(QString::fromUtf8(InputCaptureGroupText[lang]));
    if (ParamPage::bus_known(ctx)) {
        caption(ctx, "CheckBox_fine_corsa_CW_enable", InputCwText);
        caption(ctx, "CheckBox_fine_corsa_CCW_enable", InputCcwText);
        caption(ctx, "CheckBox_enable_input_reverse", REVERSE_TEXT);
        caption(ctx, "CheckBox_in5_pos_mis_enable", InputCaptureText);
        caption(ctx, "Panel_in5_pos_mis_mode", InputCaptureModeText);
        const Loc results[3] = {LiveLoc::PositionInitial, LiveLoc::PositionFinal, LiveLoc::PositionDelta};
        for (int i = 0; i < 3; ++i)
            Utxgraph_set_caption(results[i], find(ctx, InputCaptureCaptions[i]), ctx);
    }
    Frm_mdb_input_layout(ctx);
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_SETTING), find<QComboBox>(0, "ComboBox_modo_input_power"),
                          find(0, "Panel_modo_input_power"), state);
    Utxgraph_enable_combo(RecLoc(OFS_SETTING), find<QComboBox>(0, "ComboBox_in5_pos_mis_mode"),
                          find(0, "Panel_in5_pos_mis_mode"), state);
    Utxgraph_enable_panel(RecLoc(OFS_SETTING), find(0, "Panel_input_4"), state);
    Utxgraph_enable_panel(RecLoc(OFS_SETTING), find(0, "Panel_input_5"), state);
}

// The control type first (a new one lays the page out again), then the base copies the bits.
void copy_controls(ParamPage& p)
{
    if (p.copy_polled(OFS_MDB_TYPE))
        Frm_mdb_input_layout(0);
}

// The capture results follow whenever list reads are on.
void tick(ParamPage& p)
{
    if (Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads)
        p.step_copy_lives();
}

const PageHooks HOOKS = {.copy_controls = copy_controls,
                         .tick = tick,
                         .build = build,
                         .refresh = refresh,
                         .set_language = set_language,
                         .set_access = set_access};

const PageSpec SPEC = {
    "TFrame_mdb_input", "GroupBox_input_digitali", {"Input Digitali", "Input Digitali", "Input Digitali"},
    nullptr, 0, LISTS, std::size(LISTS), HOOKS, BITS, std::size(BITS), LIVES, std::size(LIVES),
};

void show(uint8_t ctx, std::initializer_list<const char*> names, bool on)
{
    for (const char* n : names)
        if (QWidget* w = find(ctx, n))
            w->setVisible(on);
}

void name_or_empty(uint8_t ctx, int input, bool empty, const Loc* tag = nullptr)
{
    QWidget* panel = find(ctx, QByteArray("Panel_input_").append(char('0' + input)).constData());
    if (empty)
        Utxgraph_set_text(panel, QString());
    else
        Input_show_name(panel, Frm_mdb_input_name(ctx, input), ctx, tag);
}

int type_or_zero(int16_t type, int16_t count) { return type >= 0 && type < count ? type : 0; }

void io_layout(uint8_t ctx)
{
    const int io = type_or_zero(i16(ctx, OFS_IO_TYPE), 3);
    const bool limits = io != 1;
    show(ctx, {"CheckBox_fine_corsa_CW_enable", "Panel_fine_corsa_CW_enable_on_off", "ComboBox_fine_corsa_CW_volt",
               "CheckBox_fine_corsa_CCW_enable", "Panel_fine_corsa_CCW_enable_on_off", "ComboBox_fine_corsa_CCW_volt"},
         limits);
    name_or_empty(ctx, 2, limits);
    name_or_empty(ctx, 3, limits);
    show(ctx, {"CheckBox_enable_input_reverse", "Panel_enable_input_reverse_on_off"}, io == 0);
    name_or_empty(ctx, 4, io == 0);
    show(ctx, {"Panel_modo_input_power"}, true);
    show(ctx, {"ComboBox_fine_corsa_home_volt", ECHOES[0], ECHOES[1], ECHOES[2], "CheckBox_in5_pos_mis_enable",
               "Panel_in5_pos_mis_enable_on_off", "ComboBox_in5_pos_mis_volt", ECHOES[3], "GroupBox_dati_misura_pos",
               "Panel_in5_pos_mis_mode"},
         false);
}

void bus_layout(uint8_t ctx)
{
    show(ctx, {"Panel_modo_input_power", "CheckBox_enable_input_reverse", "Panel_enable_input_reverse_on_off"}, false);
    show(ctx, {"CheckBox_in5_pos_mis_enable", "Panel_in5_pos_mis_enable_on_off", "ComboBox_in5_pos_mis_volt", ECHOES[3],
               "GroupBox_dati_misura_pos", "Panel_in5_pos_mis_mode"},
         true);
    Utxgraph_set_text(find(ctx, "Panel_input_5"), QString());
    const int type = type_or_zero(i16(ctx, OFS_MDB_TYPE), 4);
    const bool limits = type != 1;
    show(ctx, {"CheckBox_fine_corsa_CW_enable", "Panel_fine_corsa_CW_enable_on_off", "ComboBox_fine_corsa_CW_volt",
               ECHOES[0], "CheckBox_fine_corsa_CCW_enable", "Panel_fine_corsa_CCW_enable_on_off",
               "ComboBox_fine_corsa_CCW_volt", ECHOES[1]},
         limits);
    name_or_empty(ctx, 2, limits);
    name_or_empty(ctx, 3, limits);
    show(ctx, {"ComboBox_fine_corsa_home_volt", ECHOES[2]}, type == 3);
    const Loc tag = SlotLoc(ctx, OFS_SETTING);
    name_or_empty(ctx, 4, false, type == 3 && ParamPage::bus_known(ctx) ? &tag : nullptr);
}

}  // namespace

PARAM_PAGE_UNIT(mdb_input, SPEC)

const DigitalInputName& Frm_mdb_input_name(uint8_t ctx, int input)
{
    const int i = input >= 0 && input < 6 ? input : 0;
    switch (Rec_get<uint16_t>(DriveRecordBank[ctx & 1], RecOfs::BusType)) {
    case 0: return DigitalInputNameTable[InputIo0 + type_or_zero(i16(ctx, OFS_IO_TYPE), 3)][i];
    case 1: return DigitalInputNameTable[InputMdb0 + type_or_zero(i16(ctx, OFS_MDB_TYPE), 4)][i];
    default: return DigitalInputNameTable[InputOther][i];
    }
}

void Frm_mdb_input_layout(uint8_t ctx)
{
    if (ctx > 1 || page().frame(ctx) == nullptr)
        return;
    if (Rec_get<uint16_t>(DriveRecordBank[ctx], RecOfs::BusType) == 0)
        io_layout(ctx);
    else
        bus_layout(ctx);
}

void Frm_mdb_input_show_hex(uint8_t ctx)
{
    for (const char* echo : ECHOES)
        Utxgraph_set_text(find(ctx, echo), Page_hex_text(setting(ctx), 2));
}

void Frm_mdb_input_update()
{
    if (page().frame(0) == nullptr)
        return;
    if (ParamPage::default_may_copy()) {
        copy_controls(page());
        page().step_copy_bits();
    }
    tick(page());
}

namespace {
ParamPage& page() { return Frm_mdb_input_page(); }
}  // namespace

// Item tables the printout shares.
const ComboSpec& InputPowerModeCombo = POWER_COMBO;
