#pragma once
// The PDO mapping frame both twin units share (receive and transmit): four tabs, one per PDO,
// each with its COB-ID, transmission type, (transmit) inhibit time, number of mapped objects and
// the grid of its eight mapping words. Display only; the visible tab's PDO is polled.
#include "pages/ParamPage.h"
#include "pages/fieldbus/Bus_page.h"
#include "pages/Page_controls.h"

class QVBoxLayout;

struct PdoUnit {
    ParamPage& (*page)();
    bool transmit;
    const char* prefix;  // "rpdo" / "tpdo": control names Panel_<prefix>1_cob_id_dat...
    const char* tab;     // "RPDO" / "TPDO": tab captions
    const char* tabs;    // the page control's name
    uint16_t map_index;  // 1600h / 1A00h: the list captions' tag
    PageCellPaint paint[4];
};

// Offsets of PDO k (0..3) in the record.
struct PdoOffsets {
    uint16_t cob_id, type, inhibit, number, mapping;
};
PdoOffsets Pdo_offsets(bool transmit, int k);

// Transmission type as "255 - (Async-Device)" in LanguageIndex.
QString Pdo_type_text(uint8_t type);
// Inhibit time (units of 100 us) in ms with one decimal: 65535 "6553.5".
QString Pdo_inhibit_text(uint16_t raw);

void Pdo_build(const PdoUnit& u, ParamPage& page, uint8_t ctx, QVBoxLayout* layout);
void Pdo_create_steps(const PdoUnit& u, ParamPage& page, uint8_t ctx);
void Pdo_refresh(const PdoUnit& u, ParamPage& page, uint8_t ctx);
void Pdo_set_language(const PdoUnit& u, ParamPage& page, uint8_t ctx);
void Pdo_update(const PdoUnit& u, ParamPage& page);
// The list of the visible tab of the context-0 frame, -1 when none.
int Pdo_select_list(const PdoUnit& u);
// One cell of a mapping grid over the eight words.
void Pdo_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words);
// The mapping words of PDO k in slot ctx, by the frame's context.
const uint32_t* Pdo_words(bool transmit, uint8_t ctx, int k);

template <const PdoUnit& U>
struct PdoHooks {
    static void build(ParamPage& p, uint8_t ctx, QGroupBox*, QVBoxLayout* layout) { Pdo_build(U, p, ctx, layout); }
    static void create(ParamPage& p, uint8_t ctx) { Pdo_create_steps(U, p, ctx); }
    static void refresh(ParamPage& p, uint8_t ctx) { Pdo_refresh(U, p, ctx); }
    static void language(ParamPage& p, uint8_t ctx) { Pdo_set_language(U, p, ctx); }
    static void update(ParamPage& p) { Pdo_update(U, p); }
    static int select(uint16_t) { return Pdo_select_list(U); }
    static constexpr PageHooks hooks()
    {
        return PageHooks{.select_list = select,
                         .may_copy = Bus_copy_always,
                         .copy = update,
                         .build = build,
                         .set_language = language,
                         .own_access = true,
                         .create_steps = create,
                         .refresh_steps = refresh};
    }
};

// Poll items of PDO k of a twin (11 receive, 12 transmit).
#define PDO_POLL_ITEM(ofs) {static_cast<uint16_t>(ofs), static_cast<uint16_t>(ofs)}
#define PDO_MAP_ITEMS(m)                                                                                      \
    PDO_POLL_ITEM(m), PDO_POLL_ITEM(m + 4), PDO_POLL_ITEM(m + 8), PDO_POLL_ITEM(m + 12), PDO_POLL_ITEM(m + 16), \
        PDO_POLL_ITEM(m + 20), PDO_POLL_ITEM(m + 24), PDO_POLL_ITEM(m + 28)
