#pragma once
// One paint of the chart engine: its target, fonts and metrics, shared by the drawing units.
#include <QFont>
#include <QFontMetrics>

#include "scope/Diagramx.h"

struct Diagramx::Frame {
    ChartRegion& target;
    Canvas& c;
    int L, T, W, H;
    QFont axis_font{"Arial", 8};
    QFont legend_font{"Arial", 9, QFont::Bold};
    QFont title_font{"Arial", 10, QFont::Bold};
    int h = 0;       // legend text height
    int axis_h = 0;  // axis label text height
    QColor bg;

    Frame(ChartRegion& t, uint32_t background)
        : target(t), c(*t.canvas), L(t.left), T(t.top), W(t.width), H(t.height), bg(bgr(background))
    {
    }
    QFontMetrics metrics(const QFont& f) const { return QFontMetrics(f, c.painter()->device()); }
    int dpi() const { return c.painter()->device()->logicalDpiY(); }
    void text(const QFont& f, const DrawRect& r, uint8_t align, const QString& s, const QColor& colour = Qt::black)
    {
        c.font = f;
        c.font_colour = colour;
        c.brush = QBrush(bg);
        Graph_draw_text_rect(c, r, align, s);
    }
    void line(int x0, int y0, int x1, int y1)
    {
        c.painter()->setPen(c.pen);
        c.painter()->drawLine(L + x0, T + y0, L + x1, T + y1);
    }
};
