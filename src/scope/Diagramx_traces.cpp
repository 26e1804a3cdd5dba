// Chart engine: the traces, each pixel column's rows reduced to the points it shows and set
// straight into a picture or drawn by the target's painter.
#include "scope/Diagramx_frame.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QImage>
#include <QPainter>

void ChartColumnTrace::keep(const QPoint& p)
{
    if (points_.empty() || points_.back() != p)
        points_.push_back(p);
}

void ChartColumnTrace::start_column(const QPoint& p)
{
    Finish();
    open_ = true;
    first_ = low_ = high_ = last_ = p;
    low_first_ = true;
}

void ChartColumnTrace::Finish()
{
    if (!open_)
        return;
    open_ = false;
    keep(first_);
    keep(low_first_ ? low_ : high_);
    keep(low_first_ ? high_ : low_);
    keep(last_);
}

namespace {

// The image a painter draws on, when lines may be set on it pixel by pixel: 32 bits a pixel, no
// transform, no antialiasing and no clipping of the painter's own.
QImage* direct_image(QPainter& p)
{
    auto* img = dynamic_cast<QImage*>(p.device());
    if (!img || p.hasClipping() || !p.worldTransform().isIdentity() || p.testRenderHint(QPainter::Antialiasing))
        return nullptr;
    const QImage::Format format = img->format();
    const bool direct = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                        format == QImage::Format_ARGB32_Premultiplied;
    return direct ? img : nullptr;
}

// One-pixel lines of one colour set straight into a 32-bit image, within a clip rectangle. The
// pixels are gathered as column spans and set band by band of rows, so that the picture's rows are
// visited a few at a time rather than once for every column.
class DirectLines {
public:
    DirectLines(QImage& img, const QRect& clip, QRgb colour)
        : bits_(img.bits()), stride_(img.bytesPerLine()), area_(clip.intersected(img.rect())), colour_(colour)
    {
    }

    // A trace: the points of one pixel column as one span. A line to the next column is drawn by the
    // system's painter with every pixel but its end in its first column, so it joins that column's
    // span; runs of lines over more columns go to `other`, the painter, as polylines, each line from
    // its column's last point (the way from that column's first point to its last lies in its span).
    template <typename Other>
    void trace(const std::vector<QPoint>& pts, Other&& other)
    {
        for (std::size_t e = 0; e < pts.size();) {
            int low = pts[e].y(), high = low;
            std::size_t last = e;
            for (; last + 1 < pts.size() && pts[last + 1].x() == pts[e].x(); ++last) {
                low = std::min(low, pts[last + 1].y());
                high = std::max(high, pts[last + 1].y());
            }
            const bool joined = last + 1 < pts.size();
            const QPoint from = pts[last], to = joined ? pts[last + 1] : from;
            const bool next_column = joined && std::abs(to.x() - from.x()) == 1;
            if (next_column && to.y() != from.y()) {
                const int before_end = to.y() > from.y() ? to.y() - 1 : to.y() + 1;
                low = std::min(low, before_end);
                high = std::max(high, before_end);
            }
            span(pts[e].x(), low, high);
            if (joined && !next_column) {
                if (run_.empty() || run_.back() != from)
                    run_.push_back(from);
                run_.push_back(to);
            } else if (!run_.empty()) {
                other(run_);
                run_.clear();
            }
            e = last + 1;
        }
        fill();
    }

private:
    static constexpr int BAND = 16;  // rows set together

    struct Span {
        int x, top, bottom;
    };

    void span(int x, int top, int bottom)
    {
        top = std::max(top, area_.top());
        bottom = std::min(bottom, area_.bottom());
        if (x >= area_.left() && x <= area_.right() && top <= bottom)
            spans_.push_back({x, top, bottom});
    }

    void fill()
    {
        for (int b0 = area_.top(); b0 <= area_.bottom(); b0 += BAND) {
            const int b1 = std::min(b0 + BAND - 1, area_.bottom());
            for (const Span& s : spans_) {
                const int bottom = std::min(s.bottom, b1);
                for (int y = std::max(s.top, b0); y <= bottom; ++y)
                    reinterpret_cast<QRgb*>(bits_ + y * stride_)[s.x] = colour_;
            }
        }
        spans_.clear();
    }

    uchar* bits_;
    qsizetype stride_;
    QRect area_;
    QRgb colour_;
    std::vector<Span> spans_;
    std::vector<QPoint> run_;
};

}  // namespace

// Where the rows of a window fall: row k (from the window's first row, `first` rows after the oldest)
// lies at time (first + k) x period and pixel column x0 + (time - start) x scale, rounded.
struct RowColumns {
    double first, period, start, x0, scale;

    double time(uint32_t k) const { return (first + k) * period; }
    // False for a column that is not a number.
    bool column(uint32_t k, int& px) const
    {
        const double x = x0 + (time(k) - start) * scale;
        px = Diagramx_int(x + 0.5);
        return std::isfinite(x);
    }
    // Rows drawn of the n held from the first: up to the first whose time reaches `end`, that one
    // included.
    uint32_t rows_drawn(uint32_t n, double end) const
    {
        const double estimate = std::ceil(end / period - first);
        uint32_t k = estimate > 0 ? uint32_t(std::min(estimate, double(n))) : 0;
        while (k > 0 && !(time(k - 1) < end))
            --k;
        while (k < n && time(k) < end)
            ++k;
        return std::min(n, k + 1);
    }
    // One past the last row from k on in column px, found from the column's right edge.
    uint32_t column_end(uint32_t k, int px, uint32_t rows) const
    {
        const double estimate = std::ceil(((px + 0.5 - x0) / scale + start) / period - first);
        uint32_t e = estimate > k + 1 ? uint32_t(std::min(estimate, double(rows))) : k + 1;
        int q = 0;
        while (e > k + 1 && !(column(e - 1, q) && q == px))
            --e;
        while (e < rows && column(e, q) && q == px)
            ++e;
        return e;
    }
};

// The finite values of `count` rows from row i of one channel, as points of pixel column px: their
// first, lowest, highest and last, in the order they came.
void Diagramx::column_points(ChartColumnTrace& trace, int px, uint32_t i, uint32_t count, int ch,
                             const ChartYScale& ys) const
{
    double values[4] = {};  // first, lowest, highest, last
    uint32_t at_low = 0, at_high = 0;
    bool any = false;
    uint32_t j = i;
    for (uint32_t c = 0; c < count; ++c, j = j + 1 < capacity ? j + 1 : 0) {
        const double x = Row(j)[ch];
        if (!std::isfinite(x))
            continue;
        if (!any) {
            values[0] = values[1] = values[2] = x;
            any = true;
        } else if (x < values[1]) {
            values[1] = x;
            at_low = c;
        } else if (x > values[2]) {
            values[2] = x;
            at_high = c;
        }
        values[3] = x;
    }
    if (!any)
        return;
    if (at_high < at_low)
        std::swap(values[1], values[2]);
    int y[4];
    for (int e = 0; e < 4; ++e) {
        const double yy = ys.y0 - (values[e] - ys.minimum) * ys.scale;
        if (!std::isfinite(yy)) {  // a value beyond what the scale can place: every row on its own
            for (uint32_t c = 0; c < count; ++c, i = i + 1 < capacity ? i + 1 : 0) {
                const double r = ys.y0 - (Row(i)[ch] - ys.minimum) * ys.scale;
                if (std::isfinite(r))
                    trace.Add(QPoint(px, Diagramx_int(r + 0.5)));
            }
            return;
        }
        y[e] = Diagramx_int(yy + 0.5);
    }
    for (int e = 0; e < 4; ++e)
        trace.Add(QPoint(px, y[e]));
}

void Diagramx::draw_traces(Frame& f, ChartViewSettings& v)
{
    const double span = v.time_end - v.time_start;
    if (!std::isfinite(span) || span == 0 || Sample_count() == 0)
        return;
    struct Drawn {
        int ch;
        double minimum, y_scale;
    } drawn[CHART_MAX_CHANNELS];
    int n = 0;
    for (int ch = 0; ch < channel_count; ++ch) {
        traces[ch].Clear();
        const ChartChannelView& c = v.channels[ch];
        if (shown[ch] && channel_scale_ok(c))
            drawn[n++] = {ch, c.minimum, v.plot_height / (c.maximum - c.minimum)};
    }
    const double x_scale = v.plot_width / span;
    const double x0 = f.L + v.plot_left;
    const double y0 = f.T + v.plot_bottom;
    // The rows up to one row past the time end, column by column: each column's rows are reduced per
    // channel to the points a pixel grid shows.
    const RowColumns rc{double(Ring_distance(window_start, ring_start)), sample_period, v.time_start, x0, x_scale};
    const uint32_t rows = rc.rows_drawn(Ring_distance(ring_end, window_start), v.time_end);
    for (uint32_t k = 0, i = window_start; k < rows;) {
        int px = 0;
        uint32_t end = k + 1;
        if (rc.column(k, px)) {
            end = rc.column_end(k, px, rows);
            for (int d = 0; d < n; ++d)
                column_points(traces[drawn[d].ch], px, i, end - k, drawn[d].ch,
                              {y0, drawn[d].minimum, drawn[d].y_scale});
        }
        i = Ring_add(i, end - k);
        k = end;
    }
    QPainter& p = *f.c.painter();
    const QRect clip(f.L + v.plot_left, f.T + v.plot_bottom - v.plot_height, v.plot_width, v.plot_height);
    QImage* image = direct_image(p);
    p.save();
    p.setClipRect(clip, Qt::IntersectClip);
    for (int d = 0; d < n; ++d) {
        ChartColumnTrace& trace = traces[drawn[d].ch];
        trace.Finish();
        const std::vector<QPoint>& pts = trace.Points();
        if (pts.empty())
            continue;
        f.c.pen = QPen(bgr(colours[drawn[d].ch]), 1, Qt::SolidLine);
        const auto polyline = [&f](const std::vector<QPoint>& run) { f.c.polyline(run.data(), int(run.size())); };
        if (image)
            DirectLines(*image, clip, f.c.pen.color().rgb()).trace(pts, polyline);
        else
            polyline(pts);
    }
    p.restore();
    f.c.pen = QPen(Qt::black, 1, Qt::SolidLine);
}
