#pragma once
// Standard status-bar panes shared by every window with a Stbarx: serial link, drive alarm and
// drive state, each a left-aligned text and a small indicator box at the pane's right end. The
// painters only read global state; the owning windows repaint them from their timers.
//
// Also the pieces the main window's own panes share with them: the pane content area and the
// indicator box.
#include <cstdint>

#include <QColor>
#include <QString>

#include "shell/Stbar.h"

// Drive state shown by the state panes: 0 no status, 2 stop, 3 power on, 4 operational
// (5 is shown while the link is not in the normal protocol). Set by the main window's display
// timer (UpdateDriveStateIndex). GUI thread only.
extern uint8_t DriveStateIndex;

// The state texts: 6 rows, by LanguageIndex, with font weight and indicator colour (0x00BBGGRR).
constexpr int STATE_ROWS = 6;
struct StbarStateRow {
    char text[3][15];
    uint8_t bold;
    uint32_t indicator;
};
extern const StbarStateRow StbarStateTable[STATE_ROWS];

// Pane callbacks (StbarPaint).
void Stbarcmx_paint_link(ImageBox* picture, StbarPane* const* panes, uint16_t index);
void Stbarcmx_paint_drive(ImageBox* picture, StbarPane* const* panes, uint16_t index);
void Stbarcmx_paint_state(ImageBox* picture, StbarPane* const* panes, uint16_t index);

// The modified pane of a data editor: "Modificato" centred, bold red on 0xE9E9E9, or nothing.
void Stbarcmx_paint_modified(ImageBox* picture, StbarPane* const* panes, uint16_t index, bool modified);
// The file pane of a data editor: "File: " and the file's name without its folder, or nothing
// while the path is empty.
void Stbarcmx_paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index, const QString& path);

// ---- shared by pane painters ----
// Content area of a pane: (x + 1, y + 1) .. (x + width - 1, y + height - 2), exclusive.
DrawRect Stbarcmx_content(const StbarPane& pane);
// The picture's canvas with the brush set to button face, the pen black and the font colour black.
Canvas& Stbarcmx_begin(ImageBox* picture);
// Indicator box (right - 12, top + 1, right - 1, bottom - 1) of the content area: black pen,
// colour as brush.
void Stbarcmx_indicator(Canvas& canvas, const DrawRect& content, const QColor& colour);
// Sets the canvas font weight and text colour.
void Stbarcmx_font(Canvas& canvas, bool bold, const QColor& colour);
// Shows the painted content area on screen.
void Stbarcmx_done(ImageBox* picture, const DrawRect& content);

// Alarm word name in the current language: "ALLARME" / "ALARM" / "ALARME".
QString Stbarcmx_alarm_word();
