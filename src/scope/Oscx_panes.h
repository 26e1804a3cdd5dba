#pragma once
// The scope window's status-bar panes and the drawing pieces its status images share.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include <QColor>
#include <QString>

#include "controls/Graph_draw.h"
#include "shell/Stbar.h"

class QLabel;

// The scope's capture can run: port open, send thread running, compatible drive.
bool Oscx_link_usable();
// The drive reported a buffer overflow that the window has not handled yet.
bool Oscx_overflow_pending();

// Five panes: link (95), drive (90), buffer (160), sampling period (72), drive state (85).
void Oscx_status_panes(std::unique_ptr<StbarPane> (&panes)[5], StbarPane* (&list)[6]);
constexpr uint16_t OSCX_PANE_BUFFER = 2;
constexpr uint16_t OSCX_PANE_PERIOD = 3;
// Test seam: the texts last painted in the buffer and period panes, pieces joined by blanks.
extern QString OscxPaneText[2];

// A run of text pieces drawn left to right from x, vertically centred in r.
struct OscxTextPiece {
    QString text;
    QColor colour;
    bool bold;
};
// Draws the pieces and returns them joined by blanks.
QString Oscx_draw_pieces(Canvas& c, const DrawRect& r, int x, std::initializer_list<OscxTextPiece> pieces);

// Width of the tab pages beside the chart, whichever page is shown.
constexpr int OSCX_SIDE_PANEL_WIDTH = 300;

// A cursor readout takes the width its layout gives it, whatever value it shows: the chart writes
// as many decimals as that width holds.
void Oscx_readout_panel(QLabel* panel);

// Cursor readouts: grey "-----" while their cursors are off, black (the chart fills them) when on.
void Oscx_readouts_look(const std::vector<QLabel*>& panels, bool on);
