#include "pages/fieldbus/Frm_cands301_dat_com.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"
#include "drivedata/Utx.h"
#include "link/Fieldbus_link.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "pages/fieldbus/Bus_page.h"
#include "pages/fieldbus/Cands301_grid.h"
#include "platform/Tick.h"

namespace {

constexpr uint32_t STORE_MS = 20;
constexpr uint32_t STORE_SIGNATURE = 0x65766173;  // "save"
constexpr uint8_t EDIT_LINKED = 1u << 0;          // EditStateFlags: link ready
constexpr uint8_t EDIT_REMOTE = 1u << 3;          // and remote control
constexpr uint16_t QUEUE_SHORT = 2;               // store-state requests only below this many queued
constexpr const char* GRID = "StringGrid_par_write";
constexpr const char* BUTTONS[3] = {"BitBtn_save0", "BitBtn_save1", "BitBtn_save2"};
static_assert(sizeof(Ds301StoreRec) == sizeof(StoreParamEntry));

const FieldSpec FIELDS[] = {
    {"FlowPanel_com_guard_time", "Tempo di guardia", 1576, EditType::U16, 0, 65535, 0, 80},
    {"FlowPanel_com_life_time_factor", "Fattore tempo vita", 1578, EditType::U8, 0, 255, 0, 80},
};

// A COB-ID row: caption and value panels, the object's variable of context ctx.
struct CobRow {
    const char* caption;
    const char* value;
    uint16_t ofs;  // record offset; 0: the live 1005h
};
const CobRow ROWS[] = {
    {"Panel_can_cob_id_sync_str", "Panel_can_cob_id_sync_dat", 0},
    {"Panel_can_COB_ID_emergency_str", "Panel_can_COB_ID_emergency_dat", 1580},
    {"Panel_sdo_cob_id_client_str", "Panel_sdo_cob_id_client_dat", 1584},
    {"Panel_sdo_cob_id_Server_str", "Panel_sdo_cob_id_Server_dat", 1588},
};
Loc var_of(const CobRow& r, uint8_t ctx) { return r.ofs == 0 ? LiveLoc::CobIdSync : SlotLoc(ctx, r.ofs); }

const PollSpec POLL[] = {{LiveLoc::CobIdSync.ofs, LiveLoc::CobIdSync.ofs, false, 0, 0, Area::Live},
                         {1576, 1576}, {1578, 1578}, {1580, 1580}, {1584, 1584}, {1588, 1588}};
const PollList LISTS[] = {{POLL, std::size(POLL), 0x04}};

const char* const STORE_CAPTION[3] = {"Salva parametri", "Store parameters", "Param\u00e8tres magasin"};
const char* const HEADER[3][4] = {{"N\u00b0", "Dato", "Tipo", "Stato"},
                                  {"N\u00b0", "Data", "Type", "State"},
                                  {"N\u00b0", "Donn\u00e9es", "Type", "\u00e9tat"}};
const char* const TYPES[3][3] = {{"Salva Tutto", "Salva DS301", "Salva D402"},
                                 {"Save all", "Save DS301", "Save D402"},
                                 {"Sauver tous", "Sauver DS301", "Sauver D402"}};

uint32_t store_stamp = 0;

ParamPage& page();

uint32_t u32_at(Loc loc)
{
    uint32_t v = 0;
    if (const uint8_t* p = Loc_ptr_n(loc, 4))
        std::memcpy(&v, p, 4);
    return v;
}

void show_rows(uint8_t ctx)
{
    for (const CobRow& r : ROWS)
        Utxgraph_set_text(page().find<QWidget>(ctx, r.value), Page_hex_text(u32_at(var_of(r, ctx)), 4));
}

void enable_buttons(uint8_t ctx, bool on)
{
    for (const char* b : BUTTONS)
        if (auto* w = page().find<QWidget>(ctx, b); w != nullptr && w->isEnabled() != on)
            w->setEnabled(on);
}

bool store_allowed()
{
    const uint8_t s = Page_edit_state();
    return (s & EDIT_LINKED) && (s & EDIT_REMOTE);
}

void save(unsigned n)
{
    if (page().ready() != 1 || PageContext.load() != 0 || page().frame(0) == nullptr)
        return;
    BusLiveValues.store[n % 3].value = STORE_SIGNATURE;
    Sertx_write_var(LiveLoc::StoreValue(n));
}

void build(ParamPage&, uint8_t ctx, QGroupBox* box, QVBoxLayout* layout)
{
    QLabel* sync = Bus_value_row(box, nullptr, ROWS[0].caption, ROWS[0].value, 120);
    layout->insertWidget(0, sync->parentWidget());
    for (std::size_t i = 1; i < std::size(ROWS); ++i)
        Bus_value_row(box, layout, ROWS[i].caption, ROWS[i].value, 120);
    auto* store = new QGroupBox(box);
    store->setObjectName(QStringLiteral("GroupBox_store_parameters"));
    layout->addWidget(store);
    auto* row = new QHBoxLayout(store);
    auto* column = new QWidget(store);
    column->setObjectName(QStringLiteral("FlowPanel_pos_speed"));
    auto* buttons = new QVBoxLayout(column);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addSpacing(20);
    using Click = void (*)();
    const Click clicks[3] = {BitBtn_save0Click, BitBtn_save1Click, BitBtn_save2Click};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(column);
        b->setObjectName(QString::fromLatin1(BUTTONS[i]));
        b->setFixedSize(34, 20);
        b->setEnabled(false);
        buttons->addWidget(b);
        QObject::connect(b, &QPushButton::clicked, b, clicks[i]);
    }
    row->addWidget(column, 0, Qt::AlignTop);
    Cands301_grid(store, row, GRID, ctx, 4, {26, 79, 91, 121}, StringGrid_par_writeDrawCell);
}

void refresh(ParamPage& p, uint8_t ctx)
{
    p.step_show_edits(ctx);
    show_rows(ctx);
    if (ctx == 1)
        enable_buttons(1, false);
    p.step_timer(ctx);
}

void set_language(ParamPage& p, uint8_t ctx)
{
    for (const CobRow& r : ROWS)
        Utxgraph_set_caption(var_of(r, ctx), p.find<QWidget>(ctx, r.caption), ctx);
    if (auto* g = p.find<QGroupBox>(ctx, "GroupBox_store_parameters"))
        g->setTitle(QStringLiteral("[1010h,1..3] ") + QString::fromUtf8(STORE_CAPTION[Lang_index()]));
    Cands301_repaint(p.frame(ctx), GRID);
}

void set_access(ParamPage& p, uint8_t)
{
    Cands301_repaint(p.frame(0), GRID);
    enable_buttons(0, store_allowed());
}

void readback_step(ParamPage& p)
{
    if (!(Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads))
        return;
    if (ParamPage::default_may_copy())
        p.step_copy_edits();
    for (const CobRow& r : ROWS) {
        const Loc var = var_of(r, 0);
        if (p.polled(var))
            Utxgraph_update_hex(var, Loc_readback(var), p.find<QWidget>(0, r.value), 4);
    }
}

void store_step(ParamPage& p)
{
    if (p.frame(0) == nullptr)
        return;
    enable_buttons(0, store_allowed() && !(Drive_status_word() & StatusBit::WritesHeld));
    if (!(Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers))
        return;
    if (Utx_mem_differ(Ds301StoreState, BusLiveValues.store, sizeof BusLiveValues.store)) {
        std::memcpy(BusLiveValues.store, Ds301StoreState, sizeof BusLiveValues.store);
        Cands301_repaint(p.frame(0), GRID);
    }
    if (Seriale_count() < QUEUE_SHORT)
        Sertx_read_info(6);
}

// Read-back step, then the store-state step every > 20 ms (the base polls after both).
void timer_steps(ParamPage& p)
{
    readback_step(p);
    const uint32_t now = Tick_ms();
    if (Tick_diff(now, store_stamp) > STORE_MS) {
        store_stamp = now;
        store_step(p);
    }
}

const PageSpec SPEC = {"TFrame_CanDS301_Dat_Com",
                       "GroupBox_DS301_dat_com",
                       {"Dati Comunicazione", "Comunication Dats", "Communicat. de donn\u00e9es"},
                       FIELDS,
                       std::size(FIELDS),
                       LISTS,
                       std::size(LISTS),
                       PageHooks{.may_copy = Bus_copy_always,
                                 .copy = timer_steps,
                                 .build = build,
                                 .set_language = set_language,
                                 .set_access = set_access,
                                 .refresh_steps = refresh}};

}  // namespace

PARAM_PAGE_UNIT(cands301_dat_com, SPEC)

namespace {
ParamPage& page() { return Frm_cands301_dat_com_page(); }
}  // namespace

void Frm_cands301_dat_com_update() { readback_step(page()); }
void Frm_cands301_dat_com_store_tick() { store_step(page()); }
void BitBtn_save0Click() { save(0); }
void BitBtn_save1Click() { save(1); }
void BitBtn_save2Click() { save(2); }

void StringGrid_par_writeDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool)
{
    if (column < 0 || column > 3 || row < 0 || row > 3)
        return;
    const unsigned l = Lang_index();
    if (row == 0) {
        Cands301_header_cell(canvas, rect, QString::fromUtf8(HEADER[l][column]));
        return;
    }
    const DrawRect text = Cands301_white_cell(canvas, rect);
    const bool live = ctx == 0 && (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers);
    if (column == 0) {
        Cands301_number_cell(canvas, rect, row, live ? clNavy : clGray);
        return;
    }
    if (!live) {
        Cands301_text_cell(canvas, text, QString::fromLatin1(PAGE_NO_VALUE), true, clGray, AlignLeft);
        return;
    }
    const StoreParamEntry& e = BusLiveValues.store[row - 1];
    switch (column) {
    case 1: Cands301_text_cell(canvas, text, Page_hex_text(e.value, 4), false, clBlack, AlignRight); break;
    case 2: Cands301_text_cell(canvas, text, QString::fromUtf8(TYPES[l][row - 1]), false, clBlack, AlignCentre); break;
    default:
        if (Ser_tx_state.load() != LinkState::Run) {
            Cands301_text_cell(canvas, rect, QStringLiteral("- - - - - - -"), false, clBlack, AlignCentre);
        } else if (e.done != 0 || e.total != 0) {
            Graph_draw_progress_bar(canvas, rect, clBlack, e.total, std::min<uint32_t>(e.done, e.total), 9);
        } else {
            Graph_draw_progress_bar(canvas, rect, clWhite, 100, 0, 9);
        }
    }
}
