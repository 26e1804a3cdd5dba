#include "pages/fieldbus/Frm_cands301_rpdo_map.h"

#include "pages/fieldbus/Pdo_map.h"

namespace {

#define RPDO_LIST(k) \
    {PDO_POLL_ITEM(1596 + 8 * (k)), PDO_POLL_ITEM(1600 + 8 * (k)), PDO_POLL_ITEM(1660 + 36 * (k)), PDO_MAP_ITEMS(1628 + 36 * (k))}
const PollSpec POLL[4][11] = {RPDO_LIST(0), RPDO_LIST(1), RPDO_LIST(2), RPDO_LIST(3)};
#undef RPDO_LIST
const PollList LISTS[] = {{POLL[0], 11, 0x04}, {POLL[1], 11, 0x04}, {POLL[2], 11, 0x04}, {POLL[3], 11, 0x04}};

ParamPage& page();
const PdoUnit UNIT = {page, false, "rpdo", "RPDO", "PageControl_rpdo_map", 0x1600,
                      {StringGrid_rpdo1DrawCell, StringGrid_rpdo2DrawCell, StringGrid_rpdo3DrawCell,
                       StringGrid_rpdo4DrawCell}};

const PageSpec SPEC = {"TFrame_CanDS301_RPDO_Map", "GroupBox_DS301_rpdo_map", {"DS 301 RPDO Map", "DS 301 RPDO Map", "DS 301 RPDO Map"},
                       nullptr, 0, LISTS, std::size(LISTS), PdoHooks<UNIT>::hooks()};

}  // namespace

PARAM_PAGE_UNIT(cands301_rpdo_map, SPEC)

namespace {
ParamPage& page() { return Frm_cands301_rpdo_map_page(); }
}  // namespace

void Frm_cands301_rpdo_map_update() { Pdo_update(UNIT, page()); }

void Frm_cands301_rpdo_map_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words)
{
    Pdo_draw_cell(canvas, column, row, rect, words);
}

#define RPDO_CELL(k)                                                                                            \
    void StringGrid_rpdo##k##DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool) \
    {                                                                                                           \
        Frm_cands301_rpdo_map_draw_cell(canvas, column, row, rect, Pdo_words(false, ctx, (k) - 1));             \
    }
RPDO_CELL(1)
RPDO_CELL(2)
RPDO_CELL(3)
RPDO_CELL(4)
#undef RPDO_CELL
