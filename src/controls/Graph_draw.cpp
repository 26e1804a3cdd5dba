// Text, fills, bevels, buttons, progress bar and gauge.
#include "controls/Graph_draw.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QFontMetrics>
#include <QPixmap>
#include <QLocale>
#include <QStringList>

namespace {

// Integer halving towards minus infinity.
int half_floor(int v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

// x of a text of width tw in [left, right) by alignment code.
int aligned_x(int left, int right, int tw, uint8_t align)
{
    switch (align) {
    case AlignRight: return right - tw;
    case AlignCentre: return left + half_floor(right - left - tw);
    default: return left + 1;
    }
}

// Inclusive corners after the right/bottom decrement of the bevel routines.
struct Corners {
    int l, t, r, b;
};
Corners inclusive(const DrawRect& rc) { return {rc.left, rc.top, rc.right - 1, rc.bottom - 1}; }

void side(Canvas& c, const QColor& colour, QPoint a, QPoint b, QPoint d, QPoint e)
{
    c.pen.setColor(colour);
    c.brush.setColor(colour);
    const QPoint pts[4] = {a, b, d, e};
    c.polygon(pts, 4);
}

void left_top_bevels(Canvas& c, Corners k, int w, const QColor& left, const QColor& top)
{
    side(c, left, {k.l, k.t}, {k.l + w, k.t + w}, {k.l + w, k.b - w}, {k.l, k.b});
    side(c, top, {k.l, k.t}, {k.l + w, k.t + w}, {k.r - w, k.t + w}, {k.r, k.t});
}

void bottom_right_bevels(Canvas& c, Corners k, int w, const QColor& right, const QColor& bottom)
{
    side(c, bottom, {k.r, k.b}, {k.r - w, k.b - w}, {k.l + w, k.b - w}, {k.l, k.b});
    side(c, right, {k.r, k.b}, {k.r - w, k.b - w}, {k.r - w, k.t + w}, {k.r, k.t});
}

}  // namespace

// ---- text ----

void Graph_draw_text_rect(Canvas& canvas, const DrawRect& r, uint8_t align, const QString& text)
{
    QPainter* p = canvas.painter();
    if (!canvas.active())
        return;
    const int y = r.top + half_floor(r.height() - canvas.text_height());
    const int width = canvas.text_width(text);
    const int x = aligned_x(r.left, r.right, width, align);
    canvas.text_overflow = std::max(canvas.text_overflow, width - r.width());
    p->save();
    p->setClipRect(r.to_qrect(), p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    canvas.fill_rect(r);
    canvas.text_out(x, y, text);
    p->restore();
}

QSize Graph_draw_text_size(const QString& text, const QFont& font)
{
    const QImage scratch(1, 1, QImage::Format_RGB32);
    const QFontMetrics fm(font, &scratch);
    return QSize(fm.horizontalAdvance(text), fm.height());
}

QSize Graph_draw_text_size_font(const QString& text, const QString& font_name, int font_size, int pixels_per_inch)
{
    QFont font(font_name);
    // Points to pixels at the given resolution, rounded as the system's MulDiv does.
    const int px = (std::abs(font_size) * pixels_per_inch + 36) / 72;
    font.setPixelSize(std::max(1, px));
    return Graph_draw_text_size(text, font);
}

// ---- fills and bevels ----

void Graph_draw_fill(Canvas& canvas, const QColor& colour)
{
    canvas.brush.setColor(colour);
    canvas.brush.setStyle(Qt::SolidPattern);
    const QRect clip = canvas.clip_rect();
    canvas.fill_rect({clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1});
}

void Graph_draw_bevel_frame(Canvas& canvas, const DrawRect& r, uint8_t w, const QColor& left, const QColor& top,
                            const QColor& right, const QColor& bottom)
{
    const QColor keep = canvas.brush.color();
    const Corners k = inclusive(r);
    left_top_bevels(canvas, k, w, left, top);
    bottom_right_bevels(canvas, k, w, right, bottom);
    canvas.brush.setColor(keep);
}

void Graph_draw_button(Canvas& canvas, const DrawRect& r, const QColor& face, uint8_t w, uint8_t raised,
                       uint8_t outline, uint8_t align, const QString& text)
{
    const QColor keep = canvas.brush.color();
    canvas.pen.setWidth(1);
    canvas.pen.setStyle(Qt::SolidLine);
    const Corners k = inclusive(r);
    const QColor& light = raised == 1 ? clWhite : clGray;
    const QColor& dark = raised == 1 ? clGray : clWhite;
    left_top_bevels(canvas, k, w, light, light);
    bottom_right_bevels(canvas, k, w, dark, dark);
    if (outline == 1) {
        canvas.pen.setColor(clBlack);
        const QPoint line[5] = {{k.l, k.t}, {k.r, k.t}, {k.r, k.b}, {k.l, k.b}, {k.l, k.t}};
        canvas.polyline(line, 5);
    }
    side(canvas, face, {k.l + w, k.t + w}, {k.l + w, k.b - w}, {k.r - w, k.b - w}, {k.r - w, k.t + w});
    if (!text.isEmpty())
        Graph_draw_text_rect(canvas, {k.l + w + 1, k.t + w + 1, k.r - w, k.b - w}, align, text);
    canvas.brush.setColor(keep);
}

// ---- progress bar ----

namespace {

// White text on black, centred, without anti-aliasing: XOR-ing it inverts only the glyph pixels.
QImage percent_mask(const QSize& size, const QFont& base, int16_t font_size, const QString& text)
{
    QImage mask(size, QImage::Format_RGB32);
    mask.fill(Qt::black);
    QFont font(base);
    if (font_size > 0)
        font.setPointSize(font_size);
    font.setStyleStrategy(QFont::NoAntialias);
    QPainter p(&mask);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(Qt::white);
    const QFontMetrics fm(font, &mask);
    const int x = half_floor(size.width() - fm.horizontalAdvance(text));
    const int y = half_floor(size.height() - fm.height());
    p.drawText(x, y + fm.ascent(), text);
    return mask;
}

}  // namespace

void Graph_draw_progress_bar(Canvas& canvas, const DrawRect& r, const QColor& bar, uint32_t maximum,
                             uint32_t position, int16_t font_size)
{
    if (position > maximum)
        position = maximum;
    if (maximum == 0 || r.right <= r.left || r.bottom <= r.top || !canvas.active())
        return;
    const QColor keep = canvas.brush.color();
    canvas.brush.setStyle(Qt::SolidPattern);
    canvas.pen.setColor(clWhite);
    canvas.brush.setColor(clWhite);
    canvas.rectangle(r);

    const int bar_width = static_cast<int>(int64_t(r.width()) * position / maximum);
    canvas.pen.setColor(bar);
    canvas.brush.setColor(bar);
    canvas.rectangle({r.left, r.top, r.left + bar_width, r.bottom});

    const uint32_t percent = static_cast<uint32_t>(uint64_t(position) * 100u / maximum);
    const QImage mask = percent_mask(QSize(r.width(), r.height()), canvas.font, font_size,
                                     QString::number(percent) + "%");
    QPainter* p = canvas.painter();
    p->save();
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p->drawImage(r.left, r.top, mask);
    p->restore();
    canvas.brush.setColor(keep);
}

// ---- gauge ----

namespace {

const QColor& segment_colour(double hs, double hv, double lim1, double lim2)
{
    if (lim2 <= hv && hv <= lim1)
        return hs < lim2 ? clGreen : hs < hv ? clYellow : clSilver;
    return hs < hv ? clGreen : clSilver;
}

void draw_segment(Canvas& canvas, const DrawRect& seg, const QColor& colour)
{
    if (seg.right <= seg.left || seg.bottom <= seg.top)
        return;
    if (colour == clSilver) {
        canvas.brush.setColor(clSilver);
        canvas.fill_rect(seg);
        return;
    }
    Graph_draw_bevel_frame(canvas, seg, 0, clWhite, clWhite, clGray, clGray);
    canvas.brush.setColor(colour);
    canvas.fill_rect({seg.left + 1, seg.top + 1, seg.right - 1, seg.bottom - 1});
}

// Segments of 6 rows with a pitch of 7, bottom up; lit ones need a positive full scale.
void draw_segments(Canvas& canvas, const DrawRect& in, double value, double nominal, double factor, double warning)
{
    const bool scaled = nominal > 0 && factor > 0 && std::isfinite(nominal * factor);
    double hv = -1, lim1 = 0, lim2 = 0;
    if (scaled) {
        const double full = factor * nominal;
        const double v = std::min(value, full);
        const double height = in.height();
        lim1 = height * nominal / full;
        lim2 = std::isfinite(warning) ? warning * lim1 : 0;
        if (0 < lim1 - 7 && lim1 - 7 < lim2)
            lim2 = lim1 - 7;
        hv = v > 0 ? height * v / full : -1;  // NaN and negative values light nothing
    }
    int bottom = in.bottom - 2;
    for (;;) {
        int top = bottom - 6;
        const bool last = top < in.top + 3;
        if (last)
            top = in.top + 3;
        const double hs = in.bottom - top;
        const QColor& colour = scaled ? segment_colour(hs, hv, lim1, lim2) : clSilver;
        draw_segment(canvas, {in.left + 2, top, in.right - 2, bottom}, colour);
        bottom = top - 1;
        if (last || bottom <= in.top + 3)
            break;
    }
}

}  // namespace

void Graph_draw_gauge(Canvas& canvas, const DrawRect& r, double value, double nominal, double factor,
                      double warning, const QString& format, const QString& unit)
{
    if (!canvas.active())
        return;
    DrawRect caption = r;
    caption.bottom = r.top + canvas.text_height() + 8;
    canvas.brush.setStyle(Qt::SolidPattern);
    canvas.brush.setColor(clBtnFace);
    Graph_draw_bevel_frame(canvas, caption, 0, clWhite, clWhite, clGray, clGray);
    Graph_draw_button(canvas, {caption.left + 2, caption.top + 2, caption.right - 2, caption.bottom - 2}, clWhite, 1,
                      0, 0, AlignRight, Graph_format_float(format, value) + " " + unit);

    const DrawRect frame{r.left, caption.bottom, r.right, r.bottom};
    Graph_draw_bevel_frame(canvas, frame, 1, clWhite, clWhite, clGray, clGray);
    canvas.pen.setColor(clBlack);
    const QPoint outline[5] = {{frame.left, frame.top},
                               {frame.right - 1, frame.top},
                               {frame.right - 1, frame.bottom - 1},
                               {frame.left, frame.bottom - 1},
                               {frame.left, frame.top}};
    canvas.polyline(outline, 5);

    const DrawRect interior{frame.left + 7, frame.top + 7, frame.right - 7, frame.bottom - 7};
    draw_segments(canvas, interior, value, nominal, factor, warning);
    Graph_draw_bevel_frame(canvas, interior, 0, clGray, clGray, clWhite, clWhite);
}

// ---- number pattern ----

namespace {

struct NumberPattern {
    QString prefix, suffix;
    int int_zeros = 0;   // minimum integer digits
    int dec_zeros = 0;   // fixed decimals
    int dec_hashes = 0;  // optional decimals
    bool grouping = false;
    bool has_digits = false;
    // Scientific: "e+" / "E+" writes the exponent's sign always, "e-" / "E-" only when negative;
    // '0's after the sign give the exponent's minimum digits.
    bool scientific = false;
    QChar exp_letter;
    bool exp_sign_always = false;
    int exp_zeros = 0;
};

NumberPattern parse_pattern(const QString& pattern)
{
    NumberPattern np;
    bool in_decimals = false;
    QChar quote;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar ch = pattern[i];
        if (!quote.isNull()) {
            if (ch == quote)
                quote = QChar();
            else
                (np.has_digits ? np.suffix : np.prefix) += ch;
            continue;
        }
        if (ch == '\'' || ch == '"') {
            quote = ch;
        } else if ((ch == 'e' || ch == 'E') && np.has_digits && !np.scientific && i + 1 < pattern.size() &&
                   (pattern[i + 1] == '+' || pattern[i + 1] == '-')) {
            np.scientific = true;
            np.exp_letter = ch;
            np.exp_sign_always = pattern[++i] == '+';
            while (i + 1 < pattern.size() && pattern[i + 1] == '0') {
                ++np.exp_zeros;
                ++i;
            }
        } else if (ch == '0' || ch == '#') {
            np.has_digits = true;
            if (in_decimals)
                (ch == '0' ? np.dec_zeros : np.dec_hashes) += 1;
            else if (ch == '0')
                ++np.int_zeros;
        } else if (ch == '.' && !in_decimals) {
            in_decimals = true;
        } else if (ch == ',' && !in_decimals) {
            np.grouping = true;
        } else {
            (np.has_digits ? np.suffix : np.prefix) += ch;
        }
    }
    return np;
}

QString group_digits(const QString& digits, const QString& separator)
{
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

// Mantissa of one integer digit and the decimal exponent of |value| rounded to `decimals`.
std::pair<double, int> split_exponent(double magnitude, int decimals)
{
    if (magnitude == 0)
        return {0.0, 0};
    int exponent = int(std::floor(std::log10(magnitude)));
    double mantissa = magnitude / std::pow(10.0, exponent);
    const double scale = std::pow(10.0, decimals);
    if (std::round(mantissa * scale) / scale >= 10.0) {
        ++exponent;
        mantissa = magnitude / std::pow(10.0, exponent);
    } else if (mantissa < 1.0) {  // log10 rounded up
        --exponent;
        mantissa = magnitude / std::pow(10.0, exponent);
    }
    return {mantissa, exponent};
}

QString exponent_text(const NumberPattern& np, int exponent)
{
    QString digits = QString::number(std::abs(exponent));
    while (digits.size() < np.exp_zeros)
        digits.prepend('0');
    const QString sign = exponent < 0 ? "-" : (np.exp_sign_always ? "+" : "");
    return np.exp_letter + sign + digits;
}

}  // namespace

QImage Graph_disabled_picture(const QImage& picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const int grey = (qGray(line[x]) + 2 * clBtnFace.red()) / 3;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
    return out;
}

QIcon Graph_tool_icon(const QIcon& picture)
{
    QList<QSize> sizes = picture.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16), QSize(24, 24), QSize(32, 32)};
    QIcon icon;
    for (const QSize& size : sizes) {
        const QPixmap normal = picture.pixmap(size);
        if (normal.isNull())
            continue;
        icon.addPixmap(normal, QIcon::Normal);
        icon.addPixmap(QPixmap::fromImage(Graph_disabled_picture(normal.toImage())), QIcon::Disabled);
    }
    return icon;
}

QString Graph_format_float(const QString& pattern, double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    const NumberPattern np = parse_pattern(pattern);
    if (!np.has_digits)
        return np.prefix + np.suffix;
    const QLocale locale;
    const int decimals = np.dec_zeros + np.dec_hashes;
    QString exponent;
    double magnitude = std::fabs(value);
    if (np.scientific) {
        const auto [mantissa, e] = split_exponent(magnitude, decimals);
        magnitude = mantissa;
        exponent = exponent_text(np, e);
    }
    const QString fixed = QString::number(magnitude, 'f', decimals);
    const qsizetype dot = fixed.indexOf('.');
    QString int_part = dot < 0 ? fixed : fixed.left(dot);
    QString frac = dot < 0 ? QString() : fixed.mid(dot + 1);
    while (frac.size() > np.dec_zeros && frac.endsWith('0'))
        frac.chop(1);
    if (int_part == "0" && np.int_zeros == 0)
        int_part.clear();
    while (int_part.size() < np.int_zeros)
        int_part.prepend('0');
    if (np.grouping)
        int_part = group_digits(int_part, locale.groupSeparator());
    QString number = int_part;
    if (!frac.isEmpty())
        number += locale.decimalPoint().at(0) + frac;
    const bool zero = fixed.count('0') + fixed.count('.') == fixed.size();
    return np.prefix + (value < 0 && !zero ? "-" : "") + number + exponent + np.suffix;
}

QString Graph_format_fit(double value, int decimals, const std::function<bool(const QString&)>& fits)
{
    // Fixed decimals from the most to none; then, when the integer digits alone do not fit, a
    // mantissa of one digit and the exponent, with as many of its decimals as fit.
    QStringList patterns;
    for (int d = decimals; d >= 0; --d)
        patterns << "0." + QString(d, '0');
    for (int d = decimals; d >= 0; --d)
        patterns << "0." + QString(d, '#') + "e+0";
    for (const QString& pattern : patterns) {
        const QString text = Graph_format_float(pattern, value);
        if (fits(text))
            return text;
    }
    return QString::fromLatin1(GRAPH_NO_FIT);
}
