#pragma once
// Alarm Memory page: the drive's last 16 alarms and warnings (record bytes 3 to 19), newest first,
// in StringGrid_alarm, and a button that clears the memory (context 0, extended access). No
// edits, no poll list; Timer_monitor_seriale (200 ms) asks for the alarm memory (command 5).
#include <QString>

#include "pages/ParamPage.h"

PARAM_PAGE_UNIT_DECL(mem_alarm)

// One cell as painted: text, alignment, font colour (0x00BBGGRR) and, in the type column, the
// square at the cell's right end with its colour.
struct MemAlarmCell {
    QString text;
    uint8_t align;
    uint32_t colour;
    bool square = false;
    uint32_t square_colour = 0;
};
// Cell of the grid of record slot: row 0 the header, row r ring entry (newest - (r - 1)) & 15
// while the link is ready, its number and "-----" in grey otherwise.
MemAlarmCell Frm_mem_alarm_cell(uint8_t slot, int row, int column);
// Repaints of the grids asked so far.
uint32_t Frm_mem_alarm_repaints();
