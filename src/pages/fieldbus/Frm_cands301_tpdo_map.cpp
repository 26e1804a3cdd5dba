#include "pages/fieldbus/Frm_cands301_tpdo_map.h"

#include "pages/fieldbus/Pdo_map.h"

namespace {

#define TPDO_LIST(k)                                                                                        \
    {PDO_POLL_ITEM(1772 + 16 * (k)), PDO_POLL_ITEM(1776 + 16 * (k)), PDO_POLL_ITEM(1778 + 16 * (k)),            \
     PDO_POLL_ITEM(1868 + 36 * (k)), PDO_MAP_ITEMS(1836 + 36 * (k))}
const PollSpec POLL[4][12] = {TPDO_LIST(0), TPDO_LIST(1), TPDO_LIST(2), TPDO_LIST(3)};
#undef TPDO_LIST
const PollList LISTS[] = {{POLL[0], 12, 0x04}, {POLL[1], 12, 0x04}, {POLL[2], 12, 0x04}, {POLL[3], 12, 0x04}};

ParamPage& page();
const PdoUnit UNIT = {page, true, "tpdo", "TPDO", "PageControl_tpdo_map", 0x1A00,
                      {StringGrid_tpdo1DrawCell, StringGrid_tpdo2DrawCell, StringGrid_tpdo3DrawCell,
                       StringGrid_tpdo4DrawCell}};

const PageSpec SPEC = {"TFrame_CanDS301_TPDO_Map", "GroupBox_DS301_tpdo_map", {"DS 301 TPDO Map", "DS 301 TPDO Map", "DS 301 TPDO Map"},
                       nullptr, 0, LISTS, std::size(LISTS), PdoHooks<UNIT>::hooks()};

}  // namespace

PARAM_PAGE_UNIT(cands301_tpdo_map, SPEC)

namespace {
ParamPage& page() { return Frm_cands301_tpdo_map_page(); }
}  // namespace

void Frm_cands301_tpdo_map_update() { Pdo_update(UNIT, page()); }

void Frm_cands301_tpdo_map_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words)
{
    Pdo_draw_cell(canvas, column, row, rect, words);
}

#define TPDO_CELL(k)                                                                                            \
    void StringGrid_tpdo##k##DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool) \
    {                                                                                                           \
        Frm_cands301_tpdo_map_draw_cell(canvas, column, row, rect, Pdo_words(true, ctx, (k) - 1));             \
    }
TPDO_CELL(1)
TPDO_CELL(2)
TPDO_CELL(3)
TPDO_CELL(4)
#undef TPDO_CELL
