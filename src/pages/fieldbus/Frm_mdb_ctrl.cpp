#include "pages/fieldbus/Frm_mdb_ctrl.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Mdb.h"
#include "pages/Page_controls.h"
#include "pages/fieldbus/Bus_page.h"

namespace {

#define SPEED_REACHED(b) {b, "Velocit\u00e0 raggiunta", "Speed reached", "Vitesse atteinte", true}

const BitText CTRL_COMMON[] = {{0, "Potenza On", "Switch On", "Switch On", true},
                               {1, "Modo Operativo On", "Enable Operation", "Enable Operation", true},
                               {2, nullptr, "Fault reset", nullptr, true},
                               {3, nullptr, "Halt", nullptr, true}};
const BitText CTRL_AXIS[] = {{4, "Abilita asse", "Enable axis", "Activer l'axe", true},
                             {5, "Azzera encoder", "Reset encoder", "R\u00e9initial. encoder", true},
                             {6, "Azzera Posizione", "Reset position", "R\u00e9initial. position", true},
                             {7, "Sfasa", "Shift", "D\u00e9phasage", true}};
const BitText CTRL_POSITIONER[] = {{4, "Start Quota", "Start Position", "Start Position", true},
                                   {5, "Jog - Velocit\u00e0 -", "Jog - Speed -", "Jog - Vitesse -", true},
                                   {6, "Jog - Velocit\u00e0 +", "Jog - Speed +", "Jog - Vitesse +", true},
                                   {7, "Ricerca Origine", "Home Position", "Position Initiale", true},
                                   {8, "Quota abs / rel", "Position abs / rel", "Position abs / rel", true}};

const BitText STATUS_COMMON[] = {{0, "Potenza On", "Switched on", "Switched on", true},
                                 {1, nullptr, "Operation enable", nullptr, true},
                                 {2, "Rampa stop", "Ramp stop", "Rampe stop", true},
                                 {3, "Rampa Halt", "Ramp Halt", "Rampe Halt", true},
                                 {4, nullptr, "Fault", nullptr, true},
                                 {9, nullptr, "Remote", nullptr, true},
                                 {10, "Limite coppia", "Torque limit", "Limite de couple", true},
                                 {11, "Velocit\u00e0 zero", "Zero Speed", "Vitesse Z\u00e9ro", true},
                                 {13, nullptr, "Warning", nullptr, true},
                                 {14, "Fault reaction", "Fault reaction", "R\u00e9action d\u00e9faut", true}};
const BitText STATUS_SPEED[] = {SPEED_REACHED(15)};
const BitText STATUS_AXIS[] = {{6, "Asse Elet. abilitato", "Gear box enabled", "Bo\u00eete de vites. permis", true},
                               {7, "Sfasa attivo", "Shift active", "D\u00e9phasage actif", true}};
const BitText STATUS_POSITIONER[] = {{5, "Obiettivo raggiunto", "Target reached", "Objectif atteint", true},
                                     {6, nullptr, "Set-point acknow.", nullptr, true},
                                     {7, "Home Eseguita", "Homing executed", "homing ex\u00e9cut\u00e9e", true},
                                     {8, "Errore Posizione", "Position Error", "Position Error", true},
                                     {12, "Limite posizione", "Position Limit", "Limite de position", true},
                                     SPEED_REACHED(15)};

const BitText AUX_COMMON[] = {{4, "Misura posizione", "Measuring position", "Position de mesure", true}};
const BitText AUX_POSITIONER[] = {{0, "Posizionatore", "Position", "Positionneur", true},
                                  {1, "Ricerca Home", "Home Position", "Posit. Initiale", true},
                                  {2, "Modo Jog", "Jog Mode", "Mode Jog", true},
                                  {3, "Pos-Input1 raggiunto", "Pos-Input1 reached", "Pos-Input1 atteint", true}};
#undef SPEED_REACHED

}  // namespace

const WordBits MdbControlBits[MDB_TYPE_COUNT] = {
    Word_bits_table(CTRL_COMMON, std::size(CTRL_COMMON), nullptr, 0),
    Word_bits_table(CTRL_COMMON, std::size(CTRL_COMMON), nullptr, 0), Word_bits_table(CTRL_COMMON, CTRL_AXIS),
    Word_bits_table(CTRL_COMMON, CTRL_POSITIONER)};
const WordBits MdbStatusBits[MDB_TYPE_COUNT] = {
    Word_bits_table(STATUS_COMMON, STATUS_SPEED), Word_bits_table(STATUS_COMMON, std::size(STATUS_COMMON), nullptr, 0),
    Word_bits_table(STATUS_COMMON, STATUS_AXIS), Word_bits_table(STATUS_COMMON, STATUS_POSITIONER)};
const WordBits MdbStatusAuxBits[MDB_TYPE_COUNT] = {
    Word_bits_table(AUX_COMMON, std::size(AUX_COMMON), nullptr, 0),
    Word_bits_table(AUX_COMMON, std::size(AUX_COMMON), nullptr, 0),
    Word_bits_table(AUX_COMMON, std::size(AUX_COMMON), nullptr, 0), Word_bits_table(AUX_COMMON, AUX_POSITIONER)};

namespace {

constexpr uint16_t OFS_CONTROL_TYPE = 466;  // 0401h
constexpr uint32_t TIMER_MS = 40;
constexpr const char* NO_WORD = "----";
constexpr const char* CONTROL_DAT = "Panel_control_word_dat";
constexpr const char* STATUS_DAT = "Panel_status_word_dat";
constexpr const char* AUX_DAT = "Panel_status_word_aux_dat";
constexpr const char* TABS = "PageControl_rif_main_vel";

const PollSpec POLL[] = {{LiveLoc::StatusWordAux.ofs, LiveLoc::StatusWordAux.ofs, false, 0, 0, Area::Live}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x02}};

bool live = false;
bool redraw = false;
uint16_t control_copy = 0;
int16_t type_shown = 0;  // the mode byte last shown; INT16_MIN: none

ParamPage& page();

uint16_t record_index(uint8_t ctx)
{
    return Mdb_control_type_index(Rec_get<int16_t>(DriveRecordBank[ctx & 1], OFS_CONTROL_TYPE));
}

void draw(uint8_t ctx, const char* image, uint16_t word, const WordBits& table, uint8_t enabled)
{
    Utxgraph_draw_word_bits(page().find<ImageBox>(ctx, image), word, table.data(), enabled);
}

void set(uint8_t ctx, const char* name, const QString& text) { Utxgraph_set_text(page().find<QWidget>(ctx, name), text); }

// The three tables of the record's control type with 0, disabled, and "----" in the panels.
void show_disabled(uint8_t ctx, bool panels)
{
    const uint16_t t = record_index(ctx);
    draw(ctx, "Image_control_word", 0, MdbControlBits[t], 0);
    draw(ctx, "Image_status_word", 0, MdbStatusBits[t], 0);
    draw(ctx, "Image_status_word_aux", 0, MdbStatusAuxBits[t], 0);
    if (panels)
        for (const char* n : {CONTROL_DAT, STATUS_DAT, AUX_DAT})
            set(ctx, n, QString::fromLatin1(NO_WORD));
}

ImageBox* new_image(QWidget* parent, QVBoxLayout* layout, const char* name)
{
    auto* image = new ImageBox(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setFixedSize(330, 290);
    image->set_image_size(330, 290);
    layout->addWidget(image);
    return image;
}

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    QGroupBox* g = Page_group(box, layout, "GroupBox_control_word");
    g->setTitle(QStringLiteral("Control Word"));
    new_image(g, new QVBoxLayout(g), "Image_control_word");
    Bus_value_row(box, layout, "Panel_control_word_str", CONTROL_DAT, 80);
    auto* tabs = new QTabWidget(box);
    tabs->setObjectName(QString::fromLatin1(TABS));
    layout->addWidget(tabs);
    for (const auto& [sheet, image] : {std::pair{"TabSheet_status_word", "Image_status_word"},
                                       std::pair{"TabSheet_status_word_aux", "Image_status_word_aux"}}) {
        auto* w = new QWidget(tabs);
        w->setObjectName(QString::fromLatin1(sheet));
        new_image(w, new QVBoxLayout(w), image);
        tabs->addTab(w, QString());
    }
    Bus_value_row(box, layout, "Panel_status_word_str", STATUS_DAT, 80);
    Bus_value_row(box, layout, "Panel_status_word_aux_str", AUX_DAT, 80);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    if (ctx == 1) {
        show_disabled(1, true);
    } else {
        const Drive_status ds = Drive_status_get();
        type_shown = INT16_MIN;
        BusCtrlWord.mdb_status = static_cast<uint16_t>(~ds.bus_status);
        control_copy = static_cast<uint16_t>(~ds.bus_second);
        if (!(Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers))
            show_disabled(0, false);
        live = true;
        redraw = true;
    }
    p.step_timer(ctx);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    if (auto* tabs = p.find<QTabWidget>(ctx, TABS)) {
        tabs->setTabText(0, QStringLiteral("Status word"));
        tabs->setTabText(1, QStringLiteral("Status word aux"));
    }
    Utxgraph_set_caption(LiveLoc::MdbCtrlWord, p.find<QWidget>(ctx, "Panel_control_word_str"), ctx);
    Utxgraph_set_caption(LiveLoc::MdbStatusWord, p.find<QWidget>(ctx, "Panel_status_word_str"), ctx);
    Utxgraph_set_caption(LiveLoc::StatusWordAux, p.find<QWidget>(ctx, "Panel_status_word_aux_str"), ctx);
    if (ctx == 1)
        show_disabled(1, false);
    redraw = true;
}

void update_step(ParamPage& p)
{
    if (!Bus_link_up()) {
        if (live) {
            live = false;
            show_disabled(0, true);
        }
        return;
    }
    if (!live)
        redraw = true;  // everything is shown again after a pause
    live = true;
    const Drive_status ds = Drive_status_get();
    const auto type = static_cast<int16_t>(static_cast<int8_t>(ds.control_mode));
    if (type != type_shown) {
        type_shown = type;
        redraw = true;
    }
    const uint16_t t = Mdb_control_type_index(type);
    if (ds.bus_second != control_copy || redraw) {
        control_copy = ds.bus_second;
        draw(0, "Image_control_word", control_copy, MdbControlBits[t], 1);
        set(0, CONTROL_DAT, Page_hex_text(control_copy, 2));
    }
    if (ds.bus_status != BusCtrlWord.mdb_status || redraw) {
        BusCtrlWord.mdb_status = ds.bus_status;
        draw(0, "Image_status_word", ds.bus_status, MdbStatusBits[t], 1);
        set(0, STATUS_DAT, Page_hex_text(ds.bus_status, 2));
    }
    const bool got = p.polled(LiveLoc::StatusWordAux) &&
                     Utxgraph_copy_on_change(&BusLiveValues.status_word_aux, &BusLiveReadBack.status_word_aux, 2);
    if (got || redraw) {
        draw(0, "Image_status_word_aux", BusLiveValues.status_word_aux, MdbStatusAuxBits[t], 1);
        set(0, AUX_DAT, Page_hex_text(BusLiveValues.status_word_aux, 2));
    }
    redraw = false;
}

const PageSpec SPEC = {"TFrame_mdb_ctrl",
                       "GroupBox_control",
                       {"Controllo", "Control", "Commande"},
                       nullptr,
                       0,
                       LISTS,
                       std::size(LISTS),
                       PageHooks{.timer_ms = TIMER_MS,
                                 .may_copy = Bus_copy_always,
                                 .copy = update_step,
                                 .build = build,
                                 .set_language = set_language,
                                 .own_access = true,
                                 .refresh_steps = refresh}};

}  // namespace

PARAM_PAGE_UNIT(mdb_ctrl, SPEC)

namespace {
ParamPage& page() { return Frm_mdb_ctrl_page(); }
}  // namespace

void Frm_mdb_ctrl_update() { update_step(page()); }
