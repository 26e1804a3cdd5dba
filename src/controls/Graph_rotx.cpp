#include "controls/Graph_rotx.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double TURN = 2.0 * std::numbers::pi;

const QColor DIAL_BACKGROUND = bgr(0xE2FEF9);
const QColor RIM_CENTRE = bgr(0x408080);
const QColor HUB_RING = bgr(0x404080);
const QColor HUB_CENTRE = bgr(0x804000);
const QColor SKY_BLUE = bgr(0xF0CAA6);

// Centre of a rectangle and the dial frame's points in pixels.
struct Frame {
    int cx;
    int cy;
    explicit Frame(const DrawRect& r) : cx(r.left + (r.right - r.left) / 2), cy(r.top + (r.bottom - r.top) / 2) {}
    Frame(int x, int y) : cx(x), cy(y) {}
    QPoint px(double x, double y) const
    {
        return {cx + static_cast<int>(std::trunc(x)), cy - static_cast<int>(std::trunc(y))};
    }
};

struct Point {
    double x;
    double y;
};

Point turned(Point p, double angle)
{
    Point out{};
    Graph_rotx_rotate(p.x, p.y, &out.x, &out.y, angle);
    return out;
}

// Points of the arc of radius r counterclockwise (on the screen) from the direction of `from` to
// that of `to`, a full circle when the two coincide; the ends are the given points' pixels.
std::vector<QPoint> arc_points(const Frame& f, int r, Point from, Point to)
{
    const double a0 = std::atan2(from.y, from.x);
    double span = std::atan2(to.y, to.x) - a0;
    while (span <= 0.0)
        span += TURN;
    if (span > TURN)
        span = TURN;
    const int steps = std::max(4, static_cast<int>(std::ceil(span * r)));
    std::vector<QPoint> pts;
    pts.reserve(static_cast<std::size_t>(steps) + 1);
    pts.push_back(f.px(from.x, from.y));
    for (int i = 1; i < steps; ++i) {
        const double a = a0 + span * i / steps;
        pts.push_back(f.px(r * std::cos(a), r * std::sin(a)));
    }
    pts.push_back(f.px(to.x, to.y));
    return pts;
}

void arc(Canvas& c, const Frame& f, int r, Point from, Point to)
{
    const std::vector<QPoint> pts = arc_points(f, r, from, to);
    c.polyline(pts.data(), static_cast<int>(pts.size()));
}

void line(Canvas& c, const Frame& f, Point a, Point b)
{
    const QPoint pts[2] = {f.px(a.x, a.y), f.px(b.x, b.y)};
    c.polyline(pts, 2);
}

void black_pen(Canvas& c, int width)
{
    c.pen = QPen(clBlack, width, Qt::SolidLine);
}

void fill_at(Canvas& c, const QColor& colour, int x, int y)
{
    c.brush = QBrush(colour, Qt::SolidPattern);
    Graph_rotx_flood_fill(c, x, y);
}

// The rim and the hub: outline turned by angle - step / 2, an inner circle, two fills on the vertical.
void fill_ring(Canvas& c, const Frame& f, int inner, const QColor& ring, const QColor& centre)
{
    const Point top{0, static_cast<double>(inner)};
    arc(c, f, inner, top, top);
    fill_at(c, ring, f.cx, f.cy - (inner + 2));
    fill_at(c, centre, f.cx, f.cy - (inner - 2));
}

}  // namespace

void Graph_rotx_rotate(double x, double y, double* x_out, double* y_out, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    if (x_out != nullptr)
        *x_out = x * c + y * s;
    if (y_out != nullptr)
        *y_out = -x * s + y * c;
}

void Graph_rotx_flood_fill(Canvas& canvas, int x, int y)
{
    if (!canvas.active())
        return;
    const auto* image = dynamic_cast<const QImage*>(canvas.painter()->device());
    if (image == nullptr || !image->rect().contains(x, y))
        return;
    const int w = image->width();
    const int h = image->height();
    const bool direct = image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32;
    auto open = [&](int px, int py) {
        const QRgb v = direct ? reinterpret_cast<const QRgb*>(image->constScanLine(py))[px] : image->pixel(px, py);
        return (v & 0xFFFFFFu) != 0;
    };
    if (!open(x, y))
        return;
    std::vector<uint8_t> seen(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    std::vector<QRect> spans;
    std::vector<QPoint> stack{{x, y}};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        const std::size_t row = static_cast<std::size_t>(p.y()) * static_cast<std::size_t>(w);
        if (seen[row + static_cast<std::size_t>(p.x())] || !open(p.x(), p.y()))
            continue;
        int left = p.x();
        while (left > 0 && !seen[row + static_cast<std::size_t>(left - 1)] && open(left - 1, p.y()))
            --left;
        int right = p.x();
        while (right + 1 < w && !seen[row + static_cast<std::size_t>(right + 1)] && open(right + 1, p.y()))
            ++right;
        for (int i = left; i <= right; ++i)
            seen[row + static_cast<std::size_t>(i)] = 1;
        spans.emplace_back(left, p.y(), right - left + 1, 1);
        for (const int ny : {p.y() - 1, p.y() + 1}) {
            if (ny < 0 || ny >= h)
                continue;
            for (int i = left; i <= right; ++i)
                stack.emplace_back(i, ny);
        }
    }
    const QColor colour = canvas.brush.color();
    for (const QRect& s : spans)
        canvas.painter()->fillRect(s, colour);
}

void Graph_rotx_sweep(Canvas& canvas, const DrawRect& rect, int radius, double angle, const QColor& colour)
{
    canvas.pen = QPen(colour, 1, Qt::SolidLine);
    if (angle == 0.0 || radius < 1)
        return;
    const Frame f(rect);
    const Point noon{0, static_cast<double>(radius)};
    std::vector<QPoint> pts = arc_points(f, radius, turned(noon, angle), noon);
    pts.insert(pts.begin(), QPoint(f.cx, f.cy));
    canvas.brush = QBrush(colour, Qt::SolidPattern);
    canvas.polygon(pts.data(), static_cast<int>(pts.size()));
}

void Graph_rotx_arrow(Canvas& canvas, const DrawRect& rect, int x0, int y0, int length, int width, double angle,
                      const QColor& fill)
{
    canvas.pen.setColor(clBlack);
    canvas.pen.setStyle(Qt::SolidLine);
    const Frame f(rect);
    const int s = width / 2;
    const int k = length - 2 * s;
    const Point outline[] = {{double(x0), double(y0)},         {double(x0 - s), double(y0)},
                             {double(x0 - s), double(y0 - k)}, {double(x0 - 2 * s), double(y0 - k)},
                             {double(x0), double(y0 - length)}, {double(x0 + 2 * s), double(y0 - k)},
                             {double(x0 + s), double(y0 - k)}, {double(x0 + s), double(y0)},
                             {double(x0), double(y0)}};
    QPoint pts[std::size(outline)];
    for (std::size_t i = 0; i < std::size(outline); ++i) {
        const Point t = turned(outline[i], angle);
        pts[i] = f.px(t.x, t.y);
    }
    canvas.polyline(pts, static_cast<int>(std::size(pts)));
    // Seed halfway from the point toward the base.
    const Point base = turned(outline[0], angle);
    const Point tip = turned(outline[4], angle);
    const int bx = static_cast<int>(std::trunc(base.x));
    const int by = static_cast<int>(std::trunc(base.y));
    const int tx = static_cast<int>(std::trunc(tip.x));
    const int ty = static_cast<int>(std::trunc(tip.y));
    const int sx = tx + (bx >= tx ? 1 : -1) * (std::abs(bx - tx) >> 1);
    const int sy = ty + (by >= ty ? 1 : -1) * (std::abs(by - ty) >> 1);
    fill_at(canvas, fill, f.cx + sx, f.cy - sy);
}

void Graph_rotx_toothed_rim(Canvas& canvas, const DrawRect& rect, int tip, int root, int inner, int sectors,
                            double angle, const QColor& rim, const QColor& centre)
{
    if (sectors < 2)
        return;
    black_pen(canvas, 2);
    const Frame f(rect);
    const double step = TURN / sectors;
    Point a = turned({0, double(tip)}, angle - step * 0.5);
    Point b = turned({0, double(root)}, angle - step * 0.5);
    for (int i = 0; i < sectors / 2; ++i) {
        line(canvas, f, b, a);
        const Point c = turned(a, step);
        arc(canvas, f, tip, c, a);
        const Point d = turned(b, step);
        line(canvas, f, c, d);
        b = turned(d, step);
        arc(canvas, f, root, b, d);
        a = turned(c, step);
    }
    fill_ring(canvas, f, inner, rim, centre);
}

void Graph_rotx_hub(Canvas& canvas, const DrawRect& rect, int notch, int outer, int inner, int divisions,
                    double angle, const QColor& ring, const QColor& centre)
{
    if (divisions < 1)
        return;
    black_pen(canvas, 2);
    const Frame f(rect);
    const double step = TURN / divisions;
    const Point a = turned({0, double(notch)}, angle - step * 0.5);
    const Point b = turned({0, double(outer)}, angle - step * 0.5);
    line(canvas, f, b, a);
    const Point c = turned(a, step);
    arc(canvas, f, notch, c, a);
    const Point d = turned(b, step);
    line(canvas, f, c, d);
    arc(canvas, f, outer, b, d);
    fill_ring(canvas, f, inner, ring, centre);
}

void Graph_rotx_marker(Canvas& canvas, int cx, int cy, int r, double angle)
{
    const Frame f(cx, cy);
    const Point corners[] = {{0, double(r)}, {-10, double(r - 15)}, {10, double(r - 15)}};
    QPoint pts[3];
    for (int i = 0; i < 3; ++i) {
        const Point t = turned(corners[i], angle);
        pts[i] = f.px(t.x, t.y);
    }
    canvas.brush = QBrush(SKY_BLUE, Qt::SolidPattern);
    canvas.pen.setColor(clBlack);
    canvas.polygon(pts, 3);
}

void Graph_rotx_dial(ImageBox* image, double angle, uint8_t flags)
{
    if (image == nullptr)
        return;
    Canvas& canvas = image->canvas();
    if (!canvas.active())
        return;
    canvas.painter()->setRenderHint(QPainter::Antialiasing, false);
    const QImage& picture = image->image();
    const DrawRect rect{0, 0, picture.width(), picture.height()};
    int r = rect.bottom / 2;
    canvas.brush = QBrush(DIAL_BACKGROUND, Qt::SolidPattern);
    canvas.fill_rect(rect);
    r -= 5;
    if ((flags & DialFlag::Sweep) && r >= 1)
        Graph_rotx_sweep(canvas, rect, r, angle, clYellow);
    r -= 3;
    if ((flags & DialFlag::Arrow) && r - 10 >= 1)
        Graph_rotx_arrow(canvas, rect, 0, r, 10, 10, angle, clRed);
    r -= 14;
    if (r - 16 >= 1)
        Graph_rotx_toothed_rim(canvas, rect, r, r - 6, r - 16, 22, angle, clSilver, RIM_CENTRE);
    r -= 36;
    if (r - 13 >= 1)
        Graph_rotx_hub(canvas, rect, r - 5, r, r - 13, 10, angle, HUB_RING, HUB_CENTRE);
    image->update();
}

void Graph_rotx_gauge(ImageBox* image, double value, double limit, const QString& format, const QString& unit)
{
    if (image == nullptr)
        return;
    Canvas& canvas = image->canvas();
    if (!canvas.active())
        return;
    const QImage& picture = image->image();
    const DrawRect rect{0, 0, picture.width(), picture.height()};
    canvas.font = QFont("Arial");
    canvas.font.setPointSize(8);
    Graph_draw_fill(canvas, clBtnFace);
    Graph_draw_gauge(canvas, rect, value * 0.01, limit * 0.01, 1.4, 0.9, format, unit);
    image->update();
}
