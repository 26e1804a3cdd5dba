#pragma once
// CiA 301 TPDO mapping page: per TPDO its COB-ID, transmission type, inhibit time, number of mapped
// objects and eight mapping words. Display only.
#include "pages/ParamPage.h"

class Canvas;
struct DrawRect;

PARAM_PAGE_UNIT_DECL(cands301_tpdo_map)

// The timer's display step.
void Frm_cands301_tpdo_map_update();
// One cell of a mapping grid over the eight words.
void Frm_cands301_tpdo_map_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words);
// The grids' cell painters (the words of the TPDO in the record of the frame's context).
void StringGrid_tpdo1DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_tpdo2DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_tpdo3DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_tpdo4DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
