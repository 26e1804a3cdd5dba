#include "pages/fieldbus/RampGraph.h"

#include <QPainter>
#include <QPolygon>

#include <cmath>

#include "controls/Graph_draw.h"

RampGraphState RampGraphStates[2];

namespace {

constexpr double MAX_JERK = 2147483647.0;
constexpr double NO_MOVE_SPEED = 1000.0;  // the linear sketch's peak speed

// Layout of an image: axis lengths, origins and plot extent.
struct RampFrame {
    int lx, ly, y0, w, h;
    bool up;
    RampFrame(int width, int height, uint8_t direction)
        : lx(width - 30), ly(height - 30), y0(direction == 1 ? height - 15 : 15), w(lx - 6), h(ly - 5),
          up(direction == 1)
    {
    }
};
constexpr int AXIS_X = 15;
constexpr int CURVE_X0 = 18;

class CurveBuilder {
public:
    CurveBuilder(const RampFrame& f, double total, double peak) : f_(f), total_(total), peak_(peak)
    {
        points_.push_back({0, 0, CURVE_X0, f.y0, RampStyle::Start});
    }
    void add(double t, double v, RampStyle style)
    {
        const double x = CURVE_X0 + std::trunc(f_.w * t / total_);
        const double dy = std::trunc(f_.h * v / peak_);
        const double y = f_.up ? f_.y0 - dy : f_.y0 + dy + 1;
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9 || std::fabs(y) > 1e9)
            return;
        points_.push_back({t, v, static_cast<int>(x), static_cast<int>(y), style});
    }
    // A constant-rate segment in thirds: solid, dotted, solid.
    void thirds(double t0, double dt, double v0, double dv, bool accel)
    {
        for (int k = 1; k <= 3; ++k) {
            const bool middle = k == 2;
            const RampStyle s = accel ? (middle ? RampStyle::AccelDotted : RampStyle::AccelSolid)
                                      : (middle ? RampStyle::DecelDotted : RampStyle::DecelSolid);
            add(t0 + k * dt / 3, v0 + k * dv / 3, s);
        }
    }
    std::vector<RampPoint> take() { return std::move(points_); }

private:
    RampFrame f_;
    double total_, peak_;
    std::vector<RampPoint> points_;
};

std::vector<RampPoint> linear_curve(const RampFrame& f, double a, double d)
{
    const double ta = NO_MOVE_SPEED / a;
    const double td = NO_MOVE_SPEED / d;
    const double tc = 0.2 * (ta + td);
    CurveBuilder c(f, ta + td + tc, NO_MOVE_SPEED);
    c.thirds(0, ta, 0, NO_MOVE_SPEED, true);
    c.add(ta + tc, NO_MOVE_SPEED, RampStyle::Cruise);
    c.thirds(ta + tc, td, NO_MOVE_SPEED, -NO_MOVE_SPEED, false);
    return c.take();
}

std::vector<RampPoint> s_curve(const RampFrame& f, double a, double d, double j)
{
    const double ta = a / j;
    const double td = d / j;
    const double room = MAX_JERK - j + 1;
    double ca, cd;
    if (a > d) {
        ca = 2 * ta * (j + 1000) / room;
        cd = (j * ta * ta + a * ca - j * td * td) / d;
    } else {
        cd = 2 * td * (j + 1000) / room;
        ca = (j * td * td + d * cd - j * ta * ta) / a;
    }
    const double s = 2 * ta + 2 * td + ca + cd;
    const double tc = 0.1 * s;
    const double peak = j * ta * ta + a * ca;
    CurveBuilder c(f, s + tc, peak);
    for (int k = 1; k <= 10; ++k) {
        const double t = k * ta / 10;
        c.add(t, j * t * t / 2, RampStyle::Jerk);
    }
    const double v1 = j * ta * ta / 2;
    c.thirds(ta, ca, v1, a * ca, true);
    const double v2 = v1 + a * ca;
    for (int k = 1; k <= 10; ++k) {
        const double rest = ta - k * ta / 10;
        c.add(ta + ca + k * ta / 10, v2 + j * ta * ta / 2 - j * rest * rest / 2, RampStyle::Jerk);
    }
    const double t4 = 2 * ta + ca + tc;
    c.add(t4, peak, RampStyle::Cruise);
    for (int k = 1; k <= 10; ++k) {
        const double dt = k * td / 10;
        c.add(t4 + dt, peak - j * dt * dt / 2, RampStyle::Jerk);
    }
    const double v5 = peak - j * td * td / 2;
    c.thirds(t4 + td, cd, v5, -d * cd, false);
    const double v6 = v5 - d * cd;
    for (int k = 1; k <= 10; ++k) {
        const double rest = td - k * td / 10;
        c.add(t4 + td + cd + k * td / 10, v6 - (j * td * td / 2 - j * rest * rest / 2), RampStyle::Jerk);
    }
    return c.take();
}

const QColor BLUE{0x00, 0x00, 0xFF};
const QColor DARK_BLUE{0x00, 0x00, 0xA0};
const QColor RED{0xFF, 0x00, 0x00};
const QColor SILVER{0xC0, 0xC0, 0xC0};
const QColor FACE{0xFA, 0xF9, 0xF1};

QPen pen_of(RampStyle s, uint8_t highlight)
{
    const bool accel = s == RampStyle::AccelSolid || s == RampStyle::AccelDotted;
    switch (s) {
    case RampStyle::AccelSolid:
    case RampStyle::DecelSolid: {
        const bool thick = highlight == (accel ? 1 : 2);
        return QPen(thick ? BLUE : DARK_BLUE, thick ? 2 : 1, Qt::SolidLine);
    }
    case RampStyle::AccelDotted:
    case RampStyle::DecelDotted:
        return QPen(highlight == (accel ? 1 : 2) ? BLUE : DARK_BLUE, 1, Qt::DotLine);
    case RampStyle::Cruise: return QPen(BLUE, 1, Qt::DotLine);
    default: return QPen(RED, highlight == 3 ? 2 : 1, Qt::SolidLine);
    }
}

// An arrow head at tip pointing along (dx, dy), 3 pixels long and wide, filled black.
void arrow_head(QPainter& p, QPoint tip, int dx, int dy)
{
    const QPoint back(tip.x() - 3 * dx, tip.y() - 3 * dy);
    const QPoint side(3 * dy, 3 * dx);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon({back - side, tip, back + side}));
    p.setBrush(Qt::NoBrush);
}

}  // namespace

double RampGraph_rate(double value) { return value < 1 ? 1 : value; }

double RampGraph_jerk(double value) { return value == 0 ? 2 : std::min(value, MAX_JERK); }

std::vector<RampPoint> RampGraph_curve(int w, int h, double acc, double dec, double jerk, uint8_t direction, bool s_shape)
{
    const RampFrame f(w, h, direction);
    const double a = RampGraph_rate(acc);
    const double d = RampGraph_rate(dec);
    return s_shape ? s_curve(f, a, d, RampGraph_jerk(jerk)) : linear_curve(f, a, d);
}

void RampGraph_axes(QPainter& p, int w, int h, uint8_t direction)
{
    const RampFrame f(w, h, direction);
    const int side = f.up ? -1 : 1;
    p.setPen(QPen(SILVER, 1, Qt::DotLine));
    double acc = 0;
    for (int k = 1; k <= 4; ++k) {
        acc += f.ly / 4.0;
        const int y = f.y0 + side * static_cast<int>(acc);
        p.drawLine(AXIS_X, y, AXIS_X + f.lx, y);
    }
    acc = 0;
    const int reach = f.up ? f.ly : f.ly + 1;
    for (int k = 1; k <= 4; ++k) {
        acc += f.lx / 4.0;
        const int x = AXIS_X + static_cast<int>(acc);
        p.drawLine(x, f.y0, x, f.y0 + side * reach);
    }
    p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    const QPoint time_tip(AXIS_X + f.lx, f.y0);
    p.drawLine(12, f.y0, time_tip.x() - 3, f.y0);
    arrow_head(p, time_tip, 1, 0);
    const QPoint speed_tip(AXIS_X, f.y0 + side * f.ly);
    p.drawLine(AXIS_X, f.y0 - side * 3, AXIS_X, speed_tip.y() - side * 3);
    arrow_head(p, speed_tip, 0, side);
}

void RampGraph_draw(ImageBox* image, double acc, double dec, double jerk, uint8_t highlight, uint8_t direction,
                    bool s_shape)
{
    if (image == nullptr)
        return;
    image->set_image_size(image->width(), image->height());
    QPainter* p = image->canvas().painter();
    if (p == nullptr)
        return;
    const int w = image->image().width();
    const int h = image->image().height();
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(0, 0, w, h, FACE);
    RampGraph_axes(*p, w, h, direction);
    const std::vector<RampPoint> points = RampGraph_curve(w, h, acc, dec, jerk, direction, s_shape);
    for (std::size_t i = 1; i < points.size(); ++i) {
        p->setPen(pen_of(points[i].style, highlight));
        p->drawLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y);
    }
    p->restore();
    image->update();
}

namespace {

// The pair of one direction changed: take it and show it.
bool take_pair(RampGraphState& st, uint32_t& acc, uint32_t& dec, uint32_t new_acc, uint32_t new_dec, uint8_t direction)
{
    if (new_acc == acc && new_dec == dec)
        return false;
    st.highlight = new_acc == acc ? 2 : 1;
    acc = new_acc;
    dec = new_dec;
    st.direction = direction;
    st.shown_acc = new_acc;
    st.shown_dec = new_dec;
    return true;
}

}  // namespace

bool RampGraph_track(RampGraphState& st, const RampValues& v)
{
    if (take_pair(st, st.acc_cw, st.dec_cw, v.acc_cw, v.dec_cw, 1) ||
        take_pair(st, st.acc_ccw, st.dec_ccw, v.acc_ccw, v.dec_ccw, 2))
        return true;
    if (v.jerk != st.jerk) {
        st.highlight = 3;
        st.jerk = v.jerk;
        return true;
    }
    return false;
}
