#pragma once
// CiA 301 RPDO mapping page: per RPDO its COB-ID, transmission type, number of mapped
// objects and eight mapping words. Display only.
#include "pages/ParamPage.h"

class Canvas;
struct DrawRect;

PARAM_PAGE_UNIT_DECL(cands301_rpdo_map)

// The timer's display step.
void Frm_cands301_rpdo_map_update();
// One cell of a mapping grid over the eight words.
void Frm_cands301_rpdo_map_draw_cell(Canvas& canvas, int column, int row, const DrawRect& rect, const uint32_t* words);
// The grids' cell painters (the words of the RPDO in the record of the frame's context).
void StringGrid_rpdo1DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_rpdo2DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_rpdo3DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
void StringGrid_rpdo4DrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
