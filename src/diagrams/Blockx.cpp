#include "diagrams/Blockx.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/Graph_rotx.h"
#include "drivedata/Globvar.h"

const char* const BlockSigns[2][3] = {{"+", "+", "+"}, {"-", "-", "-"}};

QColor Blockx_rgb(uint32_t rgb) { return QColor::fromRgb(0xFF000000u | (rgb & 0xFFFFFFu)); }

QFont Blockx_font(const char* family, int points, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
    f.setBold(bold);
    return f;
}

// ---- flood fill ----

void Blockx_flood_fill(Canvas& canvas, int x, int y, const QColor& colour)
{
    const QBrush brush = canvas.brush;
    canvas.brush = QBrush(colour);
    Graph_rotx_flood_fill(canvas, x, y);
    canvas.brush = brush;
}

// ---- shapes ----

namespace {

void outline_pen(Canvas& canvas, BlockPen pen)
{
    canvas.pen = QPen(Qt::black, 1, pen == BlockPen::Dot ? Qt::DotLine : Qt::SolidLine);
    canvas.brush = QBrush(Qt::NoBrush);
}

int sign(int v) { return (v > 0) - (v < 0); }

// A band of half-width h along a path of axis-parallel segments with an arrowhead at its last
// point: outline black, then filled from just inside its start.
void band_arrow(Canvas& canvas, int width, const int* x, const int* y, int n, uint32_t colour, BlockPen pen)
{
    const int h = width / 2;
    std::vector<QPoint> dir(n - 1), nrm(n - 1);
    for (int i = 0; i + 1 < n; ++i) {
        // Horizontal whenever the two x differ.
        dir[i] = x[i] != x[i + 1] ? QPoint(sign(x[i + 1] - x[i]), 0) : QPoint(0, y[i + 1] >= y[i] ? 1 : -1);
        nrm[i] = QPoint(dir[i].y(), -dir[i].x());
    }
    const QPoint first(x[0], y[0]);
    const QPoint last(x[n - 1], y[n - 1]);
    const QPoint base = last - dir[n - 2] * (1 + 2 * h);
    std::vector<QPoint> pts;
    for (const int side : {1, -1}) {
        std::vector<QPoint> half;
        half.push_back(first + dir[0] + nrm[0] * (h * side));
        for (int i = 1; i + 1 < n; ++i)
            half.push_back(QPoint(x[i], y[i]) + (nrm[i - 1] + nrm[i]) * (h * side));
        half.push_back(base + nrm[n - 2] * (h * side));
        half.push_back(base + nrm[n - 2] * (2 * h * side));
        if (side == 1) {
            pts.insert(pts.end(), half.begin(), half.end());
            pts.push_back(last);
        } else {
            pts.insert(pts.end(), half.rbegin(), half.rend());
        }
    }
    outline_pen(canvas, pen);
    canvas.polygon(pts.data(), static_cast<int>(pts.size()));
    const QPoint across = dir[0].x() != 0 ? QPoint(0, 1) : QPoint(1, 0);
    const QPoint seed = first + dir[0] * 2 + across;
    Blockx_flood_fill(canvas, seed.x(), seed.y(), Blockx_rgb(colour));
}

}  // namespace

void Blockx_draw_bevel(Canvas& canvas, const DrawRect& r, int t, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4)
{
    const QBrush kept = canvas.brush;
    const int L = r.left, T = r.top, R = r.right - 1, B = r.bottom - 1;
    const QPoint left[4] = {{L, T}, {L + t, T + t}, {L + t, B - t}, {L, B}};
    const QPoint top[4] = {{L, T}, {L + t, T + t}, {R - t, T + t}, {R, T}};
    const QPoint bottom[4] = {{R, B}, {R - t, B - t}, {L + t, B - t}, {L, B}};
    const QPoint right[4] = {{R, B}, {R - t, B - t}, {R - t, T + t}, {R, T}};
    const struct {
        const QPoint* p;
        uint32_t c;
    } sides[] = {{left, c1}, {top, c2}, {bottom, c4}, {right, c3}};
    for (const auto& s : sides) {
        canvas.brush = QBrush(Blockx_rgb(s.c));
        canvas.polygon(s.p, 4);
    }
    canvas.brush = kept;
}

void Blockx_draw_select_bevel(Canvas& canvas, const DrawRect& r)
{
    canvas.pen = QPen(Blockx_rgb(0x0000FF), 1, Qt::SolidLine);
    Blockx_draw_bevel(canvas, r, 3, 0xFFFF00, 0xFFFF00, 0xC0C0C0, 0xDADADA);
}

void Blockx_draw_plain_bevel(Canvas& canvas, const DrawRect& r)
{
    canvas.pen = QPen(Qt::black, 1, Qt::SolidLine);
    Blockx_draw_bevel(canvas, r, 3, 0xFFFFFF, 0xFFFFFF, 0x808080, 0xDADADA);
}

void Blockx_draw_straight_arrow(Canvas& canvas, int width, const int x[2], const int y[2], uint32_t colour,
                                BlockPen pen)
{
    band_arrow(canvas, width, x, y, 2, colour, pen);
}

void Blockx_draw_bent_band_arrow(Canvas& canvas, int width, const int x[3], const int y[3], uint32_t colour,
                                 BlockPen pen)
{
    band_arrow(canvas, width, x, y, 3, colour, pen);
}

void Blockx_draw_detour_arrow(Canvas& canvas, int width, const int x[4], const int y[4], uint32_t colour,
                              BlockPen pen)
{
    band_arrow(canvas, width, x, y, 4, colour, pen);
}

void Blockx_draw_bar(Canvas& canvas, int width, const int x[2], const int y[2], uint32_t colour, BlockPen pen)
{
    const int h = width / 2;
    DrawRect r;
    if (x[0] != x[1])
        r = {std::min(x[0], x[1]), y[0] - h, std::max(x[0], x[1]), y[0] + h + 1};
    else
        r = {x[0] - h, std::min(y[0], y[1]) + 1, x[0] + h + 1, std::max(y[0], y[1])};
    outline_pen(canvas, pen);
    canvas.rectangle(r);
    Blockx_flood_fill(canvas, r.left + 2, r.top + 2, Blockx_rgb(colour));
}

// ---- blocks ----

DrawRect Blockx_block_rect(const BlockRec& b, int dx, int dy)
{
    return {b.x + dx, b.y + dy, b.x + dx + b.w, b.y + dy + b.h};
}

int Blockx_side_point(int n, int code)
{
    switch (code) {
    case 0: return n / 3;
    case 1: return n / 2;
    default: return 2 * n / 3;
    }
}

namespace {

// Start and end of a straight connector from A to B on side `side`.
void straight_points(const DrawRect& a, const DrawRect& b, int side, int attach, int x[2], int y[2])
{
    switch (side) {
    case 0:
        y[0] = y[1] = a.top + Blockx_side_point(a.height(), attach);
        x[0] = a.left;
        x[1] = b.right;
        break;
    case 1:
        y[0] = y[1] = a.top + Blockx_side_point(a.height(), attach);
        x[0] = a.right;
        x[1] = b.left;
        break;
    case 2:
        x[0] = x[1] = a.left + Blockx_side_point(a.width(), attach);
        y[0] = a.top;
        y[1] = b.bottom;
        break;
    default:
        x[0] = x[1] = a.left + Blockx_side_point(a.width(), attach);
        y[0] = a.bottom;
        y[1] = b.top;
        break;
    }
}

// One bend: sides 0/1 leave horizontally and bend at bend (an x), sides 2/3 vertically at bend (a y).
void bent_points(const DrawRect& a, const DrawRect& b, int side, int attach, int bend, int x[3], int y[3])
{
    if (side <= 1) {
        x[0] = side == 0 ? a.left : a.right;
        y[0] = a.top + Blockx_side_point(a.height(), attach);
        x[1] = x[2] = bend;
        y[1] = y[0];
        y[2] = y[0] >= b.top ? b.bottom : b.top;
    } else {
        x[0] = a.left + Blockx_side_point(a.width(), attach);
        y[0] = side == 2 ? a.top : a.bottom;
        x[1] = x[0];
        y[1] = y[2] = bend;
        x[2] = x[1] < b.left ? b.left : b.right;
    }
}

}  // namespace

void Blockx_connect_arrow(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                          uint32_t colour, BlockPen pen, int dx, int dy)
{
    int x[2], y[2];
    straight_points(Blockx_block_rect(a, dx, dy), Blockx_block_rect(b, dx, dy), side, attach, x, y);
    Blockx_draw_straight_arrow(canvas, width, x, y, colour, pen);
}

void Blockx_connect_bar(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                        uint32_t colour, BlockPen pen, int dx, int dy)
{
    int x[2], y[2];
    straight_points(Blockx_block_rect(a, dx, dy), Blockx_block_rect(b, dx, dy), side, attach, x, y);
    Blockx_draw_bar(canvas, width, x, y, colour, pen);
}

void Blockx_connect_bent_arrow(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                               uint32_t colour, BlockPen pen, int dx, int dy)
{
    const DrawRect ra = Blockx_block_rect(a, dx, dy);
    const DrawRect rb = Blockx_block_rect(b, dx, dy);
    const int bend = side <= 1 ? (rb.left + rb.right) / 2 : (rb.top + rb.bottom) / 2;
    int x[3], y[3];
    bent_points(ra, rb, side, attach, bend, x, y);
    Blockx_draw_bent_band_arrow(canvas, width, x, y, colour, pen);
}

namespace {
DrawRect unite(DrawRect u, const DrawRect& r)
{
    return {std::min(u.left, r.left), std::min(u.top, r.top), std::max(u.right, r.right),
            std::max(u.bottom, r.bottom)};
}
}  // namespace

DrawRect Blockx_list_bounds(BlockRec* const* blocks, uint16_t count)
{
    DrawRect u{0, 0, 0, 0};
    for (uint16_t i = 0; blocks != nullptr && i < count && blocks[i] != nullptr; ++i)
        u = unite(u, Blockx_block_rect(*blocks[i], 0, 0));
    return u;
}

BlockRec* Blockx_hit_test(BlockRec* const* blocks, uint16_t count, int x, int y)
{
    if (x < 1 || y < 1 || blocks == nullptr)
        return nullptr;
    for (uint16_t i = 0; i < count && blocks[i] != nullptr; ++i) {
        const DrawRect r = Blockx_block_rect(*blocks[i], 0, 0);
        if (r.left < x && x < r.right && r.top < y && y < r.bottom)
            return blocks[i];
    }
    return nullptr;
}

void Blockx_draw_select_frame(Canvas& canvas, const BlockRec& block, int dx, int dy)
{
    Blockx_draw_select_bevel(canvas, Blockx_block_rect(block, dx, dy));
}

void Blockx_draw_plain_frame(Canvas& canvas, const BlockRec& block, int dx, int dy)
{
    Blockx_draw_plain_bevel(canvas, Blockx_block_rect(block, dx, dy));
}

// ---- state diagrams ----

DrawRect Blockx_stm_state_rect(const StateRec& s, int dx, int dy)
{
    return {s.x + dx, s.y + dy, s.x + dx + s.w, s.y + dy + s.h};
}

void Blockx_stm_connect_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach, int width,
                              uint32_t colour, BlockPen pen, int dx, int dy)
{
    int x[2], y[2];
    straight_points(Blockx_stm_state_rect(a, dx, dy), Blockx_stm_state_rect(b, dx, dy), side, attach, x, y);
    Blockx_draw_straight_arrow(canvas, width, x, y, colour, pen);
}

void Blockx_stm_connect_bent_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach_a,
                                   int attach_b, int width, uint32_t colour, BlockPen pen, int dx, int dy)
{
    const DrawRect ra = Blockx_stm_state_rect(a, dx, dy);
    const DrawRect rb = Blockx_stm_state_rect(b, dx, dy);
    const int bend = side <= 1 ? rb.left + Blockx_side_point(rb.width(), attach_b)
                               : rb.top + Blockx_side_point(rb.height(), attach_b);
    int x[3], y[3];
    bent_points(ra, rb, side, attach_a, bend, x, y);
    Blockx_draw_bent_band_arrow(canvas, width, x, y, colour, pen);
}

void Blockx_stm_connect_wide_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach_a,
                                   int attach_b, int width, int d, uint32_t colour, BlockPen pen, int dx, int dy)
{
    const DrawRect ra = Blockx_stm_state_rect(a, dx, dy);
    const DrawRect rb = Blockx_stm_state_rect(b, dx, dy);
    int x[4], y[4];
    if (side <= 1) {
        const int out = side == 0 ? ra.left - d : ra.right + d;
        x[0] = side == 0 ? ra.left : ra.right;
        y[0] = y[1] = ra.top + Blockx_side_point(ra.height(), attach_a);
        x[1] = x[2] = out;
        y[2] = y[3] = rb.top + Blockx_side_point(rb.height(), attach_b);
        x[3] = side == 0 ? rb.left : rb.right;
    } else {
        const int out = side == 2 ? ra.top - d : ra.bottom + d;
        x[0] = x[1] = ra.left + Blockx_side_point(ra.width(), attach_a);
        y[0] = side == 2 ? ra.top : ra.bottom;
        y[1] = y[2] = out;
        x[2] = x[3] = rb.left + Blockx_side_point(rb.width(), attach_b);
        y[3] = side == 2 ? rb.top : rb.bottom;
    }
    Blockx_draw_detour_arrow(canvas, width, x, y, colour, pen);
}

namespace {

// Line 1 centred in the upper half and line 2 in the lower one; line 1 alone in the whole area.
void state_text(Canvas& canvas, const StateRec& s, const DrawRect& area)
{
    canvas.font = Blockx_font("Arial", 9, true);
    canvas.font_colour = Blockx_rgb(s.text_colour);
    canvas.brush = QBrush(Blockx_rgb(s.fill_colour));
    canvas.pen = QPen(Qt::NoPen);
    const unsigned lang = Lang_index();
    if (s.line1 != nullptr && s.line2 != nullptr) {
        const int mid = (area.top + area.bottom) / 2;
        Graph_draw_text_rect(canvas, {area.left, area.top, area.right, mid}, AlignCentre,
                             QString::fromUtf8(s.line1[lang]));
        Graph_draw_text_rect(canvas, {area.left, mid, area.right, area.bottom}, AlignCentre,
                             QString::fromUtf8(s.line2[lang]));
    } else if (s.line1 != nullptr) {
        Graph_draw_text_rect(canvas, area, AlignCentre, QString::fromUtf8(s.line1[lang]));
    }
}

}  // namespace

void Blockx_stm_draw_state_box(Canvas& canvas, const StateRec& s, uint16_t, const DrawRect& r)
{
    canvas.brush = QBrush(Blockx_rgb(s.frame_colour));
    canvas.pen = QPen(Qt::black, 1, Qt::SolidLine);
    canvas.rectangle(r);
    Blockx_draw_bevel(canvas, r, 2, 0xFFFFFF, 0xFFFFFF, 0x808080, 0xDADADA);
    const DrawRect inner{r.left + 4, r.top + 4, r.right - 3, r.bottom - 3};
    canvas.brush = QBrush(Blockx_rgb(s.fill_colour));
    canvas.fill_rect(inner);
    state_text(canvas, s, {inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1});
}

void Blockx_stm_draw_curved_state_box(Canvas& canvas, const StateRec& s, uint16_t, const DrawRect& r)
{
    if (!canvas.active())
        return;
    canvas.painter()->setPen(QPen(Qt::black, 1, Qt::SolidLine));
    canvas.painter()->setBrush(Blockx_rgb(s.fill_colour));
    canvas.painter()->drawRoundedRect(QRect(r.left, r.top, r.width() - 1, r.height() - 1), 5, 5);
    state_text(canvas, s, {r.left + 3, r.top + 3, r.right - 3, r.bottom - 3});
}

void Blockx_stm_draw_state(Canvas& canvas, const StateRec& s, uint16_t ctx, const DrawRect& r)
{
    if (s.kind == 4)
        Blockx_stm_draw_state_box(canvas, s, ctx, r);
    else if (s.kind == 5)
        Blockx_stm_draw_curved_state_box(canvas, s, ctx, r);
}

DrawRect Blockx_stm_bounds(const StateRec* const* states, uint16_t count)
{
    DrawRect u{0, 0, 0, 0};
    for (uint16_t i = 0; states != nullptr && i < count && states[i] != nullptr; ++i)
        u = unite(u, Blockx_stm_state_rect(*states[i], 0, 0));
    return u;
}
