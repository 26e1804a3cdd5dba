// Standard status panes: link, drive alarm and drive state.
#include "shell/Stbarcmx.h"

#include <QFileInfo>

#include "drivedata/Globvar.h"
#include "link/Seriale_port.h"
#include "shell/Mainstate.h"

uint8_t DriveStateIndex = 0;

const StbarStateRow StbarStateTable[STATE_ROWS] = {
    {{"----", "--------", ""}, 0, 0},  // indicator: button face
    {{"Emerg.", "Emerg.", "Emerg."}, 1, 0x0000FF},
    {{"Stop", "Stop", "Stop"}, 1, 0x00FF00},
    {{"Power On", "Power On", "Power On"}, 1, 0x4080FF},
    {{"Operat.", "Operat.", "Operat."}, 1, 0x00FFFF},
    {{"Prog", "Prog", "Prog"}, 1, 0x00FFFF},
};

namespace {

bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool normal_mode() { return Ser_link_mode.load() == LinkMode::Normal; }

// Index 0 is idle: button face rather than a colour value.
QColor state_indicator(int row) { return row == 0 ? clBtnFace : bgr(StbarStateTable[row].indicator); }

}  // namespace

// ---- shared helpers ----

DrawRect Stbarcmx_content(const StbarPane& pane)
{
    return {pane.x + 1, pane.y + 1, pane.x + pane.width - 1, pane.y + pane.height - 2};
}

Canvas& Stbarcmx_begin(ImageBox* picture)
{
    Canvas& c = picture->canvas();
    c.brush = QBrush(clBtnFace, Qt::SolidPattern);
    c.pen = QPen(clBlack, 1, Qt::SolidLine);
    c.font_colour = clBlack;
    return c;
}

void Stbarcmx_indicator(Canvas& canvas, const DrawRect& content, const QColor& colour)
{
    const QColor keep = canvas.brush.color();
    canvas.pen.setColor(clBlack);
    canvas.brush.setColor(colour);
    canvas.rectangle({content.right - 12, content.top + 1, content.right - 1, content.bottom - 1});
    canvas.brush.setColor(keep);
}

void Stbarcmx_font(Canvas& canvas, bool bold, const QColor& colour)
{
    canvas.font.setBold(bold);
    canvas.font_colour = colour;
}

void Stbarcmx_done(ImageBox* picture, const DrawRect& content) { picture->update(content.to_qrect()); }

QString Stbarcmx_alarm_word()
{
    static const char* const word[3] = {"ALLARME", "ALARM", "ALARME"};
    return QString::fromUtf8(word[Lang_index()]);
}

// ---- painters ----

namespace {

// Common frame: text left-aligned over the content area, then the indicator box.
void paint_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index, int text_inset, bool bold,
                const QColor& text_colour, const QString& text, const QColor& indicator)
{
    if (!picture || !panes || !panes[index])
        return;
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, bold, text_colour);
    Graph_draw_text_rect(c, {r.left + text_inset, r.top, r.right, r.bottom}, AlignLeft, text);
    Stbarcmx_indicator(c, r, indicator);
    Stbarcmx_done(picture, r);
}

}  // namespace

void Stbarcmx_paint_link(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const uint8_t lf = Ser_link_flags.load();
    if (!link_running() || !normal_mode())
        paint_pane(picture, panes, index, 0, false, clBlack, "COM - OFF", clBtnFace);
    else if (lf & LinkFlag::Ready)
        paint_pane(picture, panes, index, 0, true, clBlack, "COM - OK", clLime);
    else if (lf & LinkUiFlag::ErrorBlink)
        paint_pane(picture, panes, index, 0, true, clRed, "COM - ER", clRed);
    else
        paint_pane(picture, panes, index, 0, true, clRed, QString(), clBtnFace);
}

void Stbarcmx_paint_modified(ImageBox* picture, StbarPane* const* panes, uint16_t index, bool modified)
{
    static const char* const MODIFIED_TEXT[3] = {"Modificato", "Modified", "Modifié"};
    static const QColor MODIFIED_FILL(233, 233, 233);
    Canvas& c = Stbarcmx_begin(picture);
    const DrawRect r = Stbarcmx_content(*panes[index]);
    if (modified) {
        c.brush.setColor(MODIFIED_FILL);
        Stbarcmx_font(c, true, clRed);
        Graph_draw_text_rect(c, r, AlignCentre, QString::fromUtf8(MODIFIED_TEXT[Lang_index()]));
    } else {
        c.fill_rect(r);
    }
    Stbarcmx_done(picture, r);
}

void Stbarcmx_paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index, const QString& path)
{
    Canvas& c = Stbarcmx_begin(picture);
    const DrawRect r = Stbarcmx_content(*panes[index]);
    Stbarcmx_font(c, false, clBlack);
    Graph_draw_text_rect(c, r, AlignLeft, path.isEmpty() ? QString() : "File: " + QFileInfo(path).fileName());
    Stbarcmx_done(picture, r);
}

void Stbarcmx_paint_drive(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    const uint8_t lf = Ser_link_flags.load();
    if (!link_running() || !(lf & LinkFlag::Ready) || !normal_mode()) {
        paint_pane(picture, panes, index, 0, false, clBlack, QString(), clBtnFace);
        return;
    }
    const uint32_t alarm_word = Drive_status_get().alarm_word;
    if (alarm_word == 0) {
        paint_pane(picture, panes, index, 0, true, clBlack, "Drive-OK", clLime);
        return;
    }
    if (!(lf & LinkUiFlag::AlarmBlink)) {
        paint_pane(picture, panes, index, 0, true, clBlack, QString(), clBtnFace);
        return;
    }
    const QColor colour = (Main_first_alarm_of(alarm_word) & 0x80) ? clRed : clYellow;
    paint_pane(picture, panes, index, 0, true, colour, Stbarcmx_alarm_word(), colour);
}

void Stbarcmx_paint_state(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    int row = normal_mode() ? DriveStateIndex : 5;
    if (row >= STATE_ROWS)
        row = 0;
    const StbarStateRow& s = StbarStateTable[row];
    paint_pane(picture, panes, index, 2, s.bold != 0, clBlack, QString::fromUtf8(s.text[Lang_index()]),
               state_indicator(row));
}
