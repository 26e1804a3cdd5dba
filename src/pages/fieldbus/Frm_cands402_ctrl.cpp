#include "pages/fieldbus/Frm_cands402_ctrl.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "drivedata/Canopen.h"
#include "drivedata/Globvar.h"
#include "link/Sertx.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Bus_page.h"

namespace {

// ---- bit names ----
#define RES_C(b) {b, "Riservato", "Reserved", "R\u00e9serv\u00e9e", false}
#define RES_S(b) {b, nullptr, "Reserved", nullptr, false}
#define MANUF(b) {b, nullptr, nullptr, nullptr, false}
#define TARGET(b) {b, "Obiettivo raggiunto", "Target reached", "Objectif atteint", true}

const BitText CTRL_COMMON[] = {{0, nullptr, "Switch On", nullptr, true},      {1, nullptr, "Enable Voltage", nullptr, true},
                               {2, nullptr, "Quick stop", nullptr, true},     {3, nullptr, "Enable Operation", nullptr, true},
                               {7, nullptr, "Fault reset", nullptr, true},    {8, nullptr, "Halt", nullptr, true},
                               RES_C(10)};
const BitText CTRL_POSITION[] = {
    {4, "Nuovo set-point", "New set-point", "Nouvelle consigne", true},
    {5, "Modifica immediata set", "Change set immediately", "Modifier aussit\u00f4t mis en", true},
    {6, "Assoluto / relativo", "Absolute / relative", "Absolu / relatif", true}, RES_C(9)};
const BitText CTRL_VELOCITY[] = {
    {4, "Abilita funzione rampe", "Enable ramp function", "Activez la fonct. rampe", true},
    {5, "Sbocca funzione rampe", "Ramp function unlock", "Unlock la fonct. rampe", true},
    {6, "Abilita rif. rampe", "Enable reference ramp", "Activer rampe r\u00e9f\u00e9rence", true}, RES_C(9)};
const BitText CTRL_RESERVED[] = {RES_C(4), RES_C(5), RES_C(6), RES_C(9)};
const BitText CTRL_HOMING[] = {{4, nullptr, "Homing start", nullptr, true}, RES_C(5), RES_C(6), RES_C(9)};
const BitText CTRL_INTERPOL[] = {{4, nullptr, "Enable ip mode", nullptr, true}, RES_C(5), RES_C(6), RES_C(9)};
const BitText CTRL_GEARBOX[] = {{4, "Abilita asse", "Enable axis", "Activer l'axe", true},
                                {5, "Azzera encoder", "Reset encoder", "R\u00e9initial. encoder", true},
                                {6, "Azzera Posizione", "Reset position", "R\u00e9initial. position", true},
                                {9, "Sfasa", "Shift", "D\u00e9phasage", true}};

const BitText STATUS_COMMON[] = {
    {0, nullptr, "Ready to switch on", nullptr, true}, {1, nullptr, "Switched on", nullptr, true},
    {2, nullptr, "Operation enable", nullptr, true},   {3, nullptr, "Fault", nullptr, true},
    {4, nullptr, "Voltage enabled", nullptr, true},    {5, nullptr, "Quick stop", nullptr, true},
    {6, nullptr, "Switch on disabled", nullptr, true}, {7, nullptr, "Warning", nullptr, true},
    {9, nullptr, "Remote", nullptr, true},             {11, nullptr, "Inter. limit active", nullptr, true},
    {15, "Misura posizione", "Measuring position", "Position de mesure", true}};
const BitText STATUS_POSITION[] = {MANUF(8), TARGET(10), {12, nullptr, "Set-point acknow.", nullptr, true},
                                   {13, nullptr, "Following error", nullptr, true},
                                   {14, "Pos-Input1 raggiunto", "Pos-Input1 reached", "Pos-Input1 atteint", true}};
const BitText STATUS_VELOCITY[] = {MANUF(8), RES_S(10), RES_S(12), RES_S(13), MANUF(14)};
const BitText STATUS_PROF_VEL[] = {MANUF(8), TARGET(10),
                                   {12, "Velocit\u00e0 zero", "Zero Speed", "Vitesse Z\u00e9ro", true}, MANUF(13),
                                   MANUF(14)};
const BitText STATUS_TORQUE[] = {MANUF(8), TARGET(10), RES_S(12), RES_S(13), MANUF(14)};
const BitText STATUS_HOMING[] = {MANUF(8), TARGET(10), {12, "Homing raggiunta", "Homing attained", "Homing atteint", true},
                                 {13, "Errore homing", "Homing error", "Erreur homing", true}, MANUF(14)};
const BitText STATUS_INTERPOL[] = {MANUF(8), TARGET(10), {12, nullptr, "Ip mode active", "Ip mode actif", true},
                                   RES_S(13), MANUF(14)};
const BitText STATUS_GEARBOX[] = {{8, "Sfasa attivo", "Shift active", "D\u00e9phasage actif", true},
                                  {10, nullptr, "Halt State", nullptr, true},
                                  {12, nullptr, "Gear box enabled", nullptr, true},
                                  {13, nullptr, "Following error", nullptr, true}, MANUF(14)};
#undef RES_C
#undef RES_S
#undef MANUF
#undef TARGET

const char* const MODE_ITEMS[] = {"[1]Position Mode",  "[2]Velocity Mode",  "[3]Prof. Vel. Mode", "[4]Torque Mode",
                                  "[6]Homing Mode",    "[7]Interpol. Mode", "[-1]GearBox Mode"};

}  // namespace

const WordBits Ds402ControlBits[DS402_MODE_COUNT] = {
    Word_bits_table(CTRL_COMMON, CTRL_POSITION), Word_bits_table(CTRL_COMMON, CTRL_VELOCITY),
    Word_bits_table(CTRL_COMMON, CTRL_RESERVED), Word_bits_table(CTRL_COMMON, CTRL_RESERVED),
    Word_bits_table(CTRL_COMMON, CTRL_HOMING),   Word_bits_table(CTRL_COMMON, CTRL_INTERPOL),
    Word_bits_table(CTRL_COMMON, CTRL_GEARBOX)};
const WordBits Ds402StatusBits[DS402_MODE_COUNT] = {
    Word_bits_table(STATUS_COMMON, STATUS_POSITION), Word_bits_table(STATUS_COMMON, STATUS_VELOCITY),
    Word_bits_table(STATUS_COMMON, STATUS_PROF_VEL), Word_bits_table(STATUS_COMMON, STATUS_TORQUE),
    Word_bits_table(STATUS_COMMON, STATUS_HOMING),   Word_bits_table(STATUS_COMMON, STATUS_INTERPOL),
    Word_bits_table(STATUS_COMMON, STATUS_GEARBOX)};
const ComboSpec Ds402ModeCombo = {{MODE_ITEMS, MODE_ITEMS, MODE_ITEMS}, DS402_MODE_COUNT};

namespace {

constexpr uint16_t OFS_MODE = 2052;  // 6060h, i8
constexpr const char* COMBO = "ComboBox_modes_of_operation";
constexpr const char* MODE_PANEL = "Panel_modes_of_operation";
constexpr const char* DISPLAY = "Panel_modes_of_operation_display";
constexpr const char* CONTROL_DAT = "Panel_control_word_dat";
constexpr const char* STATUS_DAT = "Panel_status_word_dat";
constexpr const char* NO_WORD = "----";

const PollSpec POLL[] = {{LiveLoc::ModesDisplay.ofs, LiveLoc::ModesDisplay.ofs, false, 0, 0, Area::Live}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

bool live = false;
bool redraw = false;
uint16_t control_copy = 0;

ParamPage& page();

int8_t mode_of(uint8_t ctx) { return static_cast<int8_t>(DriveRecordBank[ctx & 1].b[OFS_MODE]); }
uint16_t index_of(uint8_t ctx) { return Canopen_mode_to_index(mode_of(ctx)) % DS402_MODE_COUNT; }

void draw_tables(uint8_t ctx, uint16_t control, uint16_t status, uint8_t enabled)
{
    const uint16_t m = index_of(ctx);
    Utxgraph_draw_word_bits(page().find<ImageBox>(ctx, "Image_control_word"), control, Ds402ControlBits[m].data(),
                            enabled);
    Utxgraph_draw_word_bits(page().find<ImageBox>(ctx, "Image_status_word"), status, Ds402StatusBits[m].data(), enabled);
}

void set(uint8_t ctx, const char* name, const QString& text) { Utxgraph_set_text(page().find<QWidget>(ctx, name), text); }

void show_display(uint8_t ctx) { set(ctx, DISPLAY, QString::number(BusLiveValues.modes_display)); }

void select_mode(uint8_t ctx)
{
    if (auto* combo = page().find<QComboBox>(ctx, COMBO)) {
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(index_of(ctx));
    }
}

ImageBox* word_image(QWidget* parent, QVBoxLayout* layout, const char* group, const char* title, const char* name)
{
    QGroupBox* g = Page_group(parent, layout, group);
    g->setTitle(QString::fromLatin1(title));
    auto* image = new ImageBox(g);
    image->setObjectName(QString::fromLatin1(name));
    image->setFixedSize(330, 290);
    image->set_image_size(330, 290);
    (new QVBoxLayout(g))->addWidget(image);
    return image;
}

void build(ParamPage& p, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    FlowPanel* mode = Page_flow(box, layout, MODE_PANEL);
    auto* combo = Page_combo(mode, COMBO);
    QObject::connect(combo, &QComboBox::activated, combo, [](int i) { ComboBox_modes_of_operationChange(i); });
    Bus_value_row(box, layout, "Panel_str_modes_of_operation_display", DISPLAY, 80);
    word_image(box, layout, "GroupBox_control_word", "Control Word", "Image_control_word");
    Bus_value_row(box, layout, "Panel_control_word_str", CONTROL_DAT, 80);
    word_image(box, layout, "GroupBox_status_word", "Status Word", "Image_status_word");
    Bus_value_row(box, layout, "Panel_status_word_str", STATUS_DAT, 80);
    (void)p;
    (void)ctx;
}

void refresh(ParamPage& p, uint8_t ctx)
{
    select_mode(ctx);
    if (ctx == 1) {
        draw_tables(1, 0, 0, 0);
        for (const char* n : {CONTROL_DAT, STATUS_DAT, DISPLAY})
            set(1, n, QString::fromLatin1(NO_WORD));
    } else {
        const Drive_status ds = Drive_status_get();
        BusCtrlWord.can_status = static_cast<uint16_t>(~ds.bus_status);
        control_copy = static_cast<uint16_t>(~ds.bus_second);
        show_display(0);
        if (!(Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers))
            draw_tables(0, 0, 0, 0);
        live = true;
        redraw = true;
    }
    p.step_timer(ctx);
}

void set_language(ParamPage&, uint8_t ctx)
{
    Utxgraph_set_caption(SlotLoc(ctx, OFS_MODE), page().find<QWidget>(ctx, MODE_PANEL), ctx);
    Utxgraph_set_caption(LiveLoc::ModesDisplay, page().find<QWidget>(ctx, "Panel_str_modes_of_operation_display"), ctx);
    Utxgraph_set_caption(LiveLoc::CanCtrlWord, page().find<QWidget>(ctx, "Panel_control_word_str"), ctx);
    Utxgraph_set_caption(LiveLoc::CanStatusWord, page().find<QWidget>(ctx, "Panel_status_word_str"), ctx);
    Combo_fill(page().find<QComboBox>(ctx, COMBO), Ds402ModeCombo);
    select_mode(ctx);
    if (ctx == 1)
        draw_tables(1, 0, 0, 0);
    redraw = true;
}

void set_access(ParamPage&, uint8_t state)
{
    Utxgraph_enable_combo(RecLoc(OFS_MODE), page().find<QComboBox>(0, COMBO), page().find<QWidget>(0, MODE_PANEL), state);
}

void update_step(ParamPage& p)
{
    if (!(Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads)) {
        if (live) {
            live = false;
            draw_tables(0, 0, 0, 0);
            set(0, CONTROL_DAT, QString::fromLatin1(NO_WORD));
            set(0, STATUS_DAT, QString::fromLatin1(NO_WORD));
        }
        return;
    }
    if (!live)
        redraw = true;  // everything is shown again after a pause
    live = true;
    const Drive_status ds = Drive_status_get();
    DriveReadBack.b[OFS_MODE] = ds.control_mode;
    if (p.polled(LiveLoc::ModesDisplay) &&
        Utxgraph_copy_on_change(&BusLiveValues.modes_display, &BusLiveReadBack.modes_display, 1)) {
        show_display(0);
        redraw = true;
    }
    if (!(DriveUiFlags.load(std::memory_order_acquire) & UiFlag::Remote) &&
        Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType) != 0 &&
        DriveRecordBank[0].b[OFS_MODE] != DriveReadBack.b[OFS_MODE]) {
        DriveRecordBank[0].b[OFS_MODE] = DriveReadBack.b[OFS_MODE];
        select_mode(0);
        redraw = true;
    }
    const uint16_t m = index_of(0);
    if (ds.bus_status != BusCtrlWord.can_status || redraw) {
        BusCtrlWord.can_status = ds.bus_status;
        Utxgraph_draw_word_bits(p.find<ImageBox>(0, "Image_status_word"), ds.bus_status, Ds402StatusBits[m].data(), 1);
        set(0, STATUS_DAT, Page_hex_text(ds.bus_status, 2));
    }
    if (ds.bus_second != control_copy || redraw) {
        control_copy = ds.bus_second;
        Utxgraph_draw_word_bits(p.find<ImageBox>(0, "Image_control_word"), ds.bus_second, Ds402ControlBits[m].data(),
                                1);
        set(0, CONTROL_DAT, Page_hex_text(ds.bus_second, 2));
    }
    redraw = false;
}

const PageSpec SPEC = {"TFrame_CanDS402_Ctrl",
                       "GroupBox_control",
                       {"Controllo", "Control", "Commande"},
                       nullptr,
                       0,
                       LISTS,
                       std::size(LISTS),
                       PageHooks{.may_copy = Bus_copy_always,
                                 .copy = update_step,
                                 .build = build,
                                 .set_language = set_language,
                                 .set_access = set_access,
                                 .own_access = true,
                                 .refresh_steps = refresh}};

}  // namespace

PARAM_PAGE_UNIT(cands402_ctrl, SPEC)

namespace {
ParamPage& page() { return Frm_cands402_ctrl_page(); }
}  // namespace

void Frm_cands402_ctrl_update() { update_step(page()); }

void ComboBox_modes_of_operationChange(int index)
{
    const uint16_t pc = PageContext.load();
    if (page().ready() != 1 || pc > 1 || page().frame(static_cast<uint8_t>(pc)) == nullptr)
        return;
    const auto ctx = static_cast<uint8_t>(pc);
    DriveRecordBank[ctx].b[OFS_MODE] = static_cast<uint8_t>(static_cast<int8_t>(Canopen_index_to_mode(static_cast<int16_t>(index))));
    if (ctx == 0)
        Sertx_write_var(RecLoc(OFS_MODE));
    else
        draw_tables(1, 0, 0, 0);
    redraw = true;
}
