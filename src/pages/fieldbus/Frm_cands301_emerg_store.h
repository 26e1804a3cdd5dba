#pragma once
// CiA 301 error history page: error register 1001h, number of errors 1003h,0 and the eight
// pre-defined error field entries 1003h,1..8 decoded into drive alarms; the history can be cleared.
#include "pages/ParamPage.h"

class Canvas;
struct DrawRect;

PARAM_PAGE_UNIT_DECL(cands301_emerg_store)

// The timer's display step.
void Frm_cands301_emerg_store_update();
// The clear button's handler (context-0 frame only).
void BitBtn_canc_mem_alarmClick();
// One cell of StringGrid_alarm of the frame of ctx.
void StringGrid_alarmDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
