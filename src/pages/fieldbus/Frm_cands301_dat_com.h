#pragma once
// CiA 301 communication data page: COB-IDs of SYNC, EMCY and the SDO channel, the node-guarding
// edits (100Ch, 100Dh), and the store-parameter commands of 1010h with the drive's progress.
#include "pages/ParamPage.h"

class Canvas;
struct DrawRect;

PARAM_PAGE_UNIT_DECL(cands301_dat_com)

// The timer's read-back step and store-state step.
void Frm_cands301_dat_com_update();
void Frm_cands301_dat_com_store_tick();
// Store buttons of 1010h subs 1, 2 and 3 (context-0 frame only).
void BitBtn_save0Click();
void BitBtn_save1Click();
void BitBtn_save2Click();
// One cell of StringGrid_par_write of the frame of ctx.
void StringGrid_par_writeDrawCell(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
