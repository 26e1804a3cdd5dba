#include "diagrams/Blockx_draw.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "controls/Utxgraph.h"
#include "diagrams/Diagram_host.h"
#include "drivedata/Globvar.h"
#include "link/Sertx.h"

namespace {

constexpr uint32_t NAVY = 0x000080;
constexpr uint32_t STRIP = 0xDDE4B1;
constexpr uint32_t CAPTION_BAR = 0xE6E6E6;
constexpr uint32_t CURRENT_ROW = 0xFCFBDC;

bool hand_cursor = false;

QString text_of(BlockText t)
{
    return t == nullptr ? QString() : QString::fromUtf8(t[Lang_index()]);
}

void solid(Canvas& canvas, uint32_t pen, uint32_t brush, int width = 1)
{
    canvas.pen = QPen(Blockx_rgb(pen), width, Qt::SolidLine);
    canvas.brush = QBrush(Blockx_rgb(brush));
}

// A rectangle outlined black and flood-filled with colour from inside.
void filled_box(Canvas& canvas, const DrawRect& r, uint32_t colour)
{
    canvas.pen = QPen(Qt::black, 1, Qt::SolidLine);
    canvas.brush = QBrush(Qt::NoBrush);
    canvas.rectangle(r);
    Blockx_flood_fill(canvas, r.left + 1, r.top + 1, Blockx_rgb(colour));
}

void set_font(Canvas& canvas, int points, bool bold, uint32_t colour, const char* family = "Arial")
{
    canvas.font = Blockx_font(family, points, bold);
    canvas.font_colour = Blockx_rgb(colour);
}

bool link_ready() { return (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Ready) != 0; }

}  // namespace

bool Blockx_editable(const BlockRec& b, uint16_t ctx)
{
    if (ctx != 0)
        return true;
    if (b.field < 0)
        return false;
    const Loc field = Blockx_field(b, 0);
    return Busx_find(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), field).entry() != nullptr &&
           Utxgraph_is_editable(field, Diagram_edit_state()) != 0;
}

// ---- regulator block ----

void Blockx_draw_regulator_block(Canvas& canvas, const BlockRec& b, uint16_t, const DrawRect& r)
{
    solid(canvas, 0x000000, 0xFFFFFF);
    canvas.rectangle(r);
    Blockx_draw_plain_bevel(canvas, r);
    const DrawRect inner{r.left + 3, r.top + 3, r.right - 2, r.bottom - 2};
    filled_box(canvas, {inner.left, inner.top, inner.left + 6, inner.bottom}, STRIP);
    filled_box(canvas, {inner.right - 6, inner.top, inner.right, inner.bottom}, STRIP);
    const DrawRect area{inner.left + 6, inner.top, inner.right - 6, inner.bottom};
    set_font(canvas, 10, true, NAVY);
    canvas.brush = QBrush(Qt::white);
    const int lh = Graph_draw_text_size(QStringLiteral("X"), canvas.font).height();
    const DrawRect line1{area.left + 1, area.top + 1, area.right - 1, area.top + 1 + lh};
    const DrawRect line2{line1.left, line1.bottom, line1.right, line1.bottom + lh};
    Graph_draw_text_rect(canvas, line1, AlignCentre, text_of(b.text[0]));
    Graph_draw_text_rect(canvas, line2, AlignCentre, text_of(b.text[1]));
    Blockx_draw_mini_chart(canvas, {area.left + 3, line2.bottom + 2, area.right - 3, r.bottom - 4},
                           static_cast<const double*>(b.data[0]), static_cast<const double*>(b.data[1]),
                           static_cast<const double*>(b.data[2]), b.step_count);
}

double Blockx_curve_range(const double* v, double* min, double* max, int count)
{
    double lo = 0, hi = 0;
    if (v != nullptr && count > 0) {
        lo = hi = v[0];
        for (int i = 1; i < count; ++i) {
            lo = std::min(lo, v[i]);
            hi = std::max(hi, v[i]);
        }
    }
    if (min != nullptr)
        *min = lo;
    if (max != nullptr)
        *max = hi;
    return hi - lo;
}

void Blockx_draw_mini_chart(Canvas& canvas, const DrawRect& r, const double* x, const double* c1, const double* c2,
                            int count)
{
    const int left = r.left + 4, top = r.top + 4, right = r.right - 4, bottom = r.bottom - 4;
    const int w = right - left, h = bottom - top;
    canvas.brush = QBrush(Qt::white);
    canvas.pen = QPen(Blockx_rgb(0xE2E2E0), 1, Qt::DotLine);
    const QPoint across[2] = {{left - 2, (top + bottom) / 2}, {right, (top + bottom) / 2}};
    const QPoint up[2] = {{(left + right) / 2, bottom + 2}, {(left + right) / 2, top}};
    canvas.polyline(across, 2);
    canvas.polyline(up, 2);
    canvas.pen = QPen(Qt::black, 1, Qt::SolidLine);
    canvas.brush = QBrush(Qt::black);
    const QPoint x_axis[2] = {{left - 2, bottom}, {right - 2, bottom}};
    const QPoint x_head[3] = {{right - 2, bottom - 2}, {right - 2, bottom + 2}, {right, bottom}};
    const QPoint y_axis[2] = {{left, bottom + 2}, {left, top + 2}};
    const QPoint y_head[3] = {{left - 2, top + 2}, {left + 2, top + 2}, {left, top}};
    canvas.polyline(x_axis, 2);
    canvas.polygon(x_head, 3);
    canvas.polyline(y_axis, 2);
    canvas.polygon(y_head, 3);
    if (x == nullptr || c1 == nullptr || c2 == nullptr || count <= 0)
        return;
    double xmin, ymin1, ymax1, ymin2, ymax2;
    const double xspan = Blockx_curve_range(x, &xmin, nullptr, count);
    Blockx_curve_range(c1, &ymin1, &ymax1, count);
    Blockx_curve_range(c2, &ymin2, &ymax2, count);
    const double ymin = std::min(ymin1, ymin2);
    const double yspan = std::max(ymax1, ymax2) - ymin;
    if (!(xspan > 0) || !(yspan > 0) || !std::isfinite(xspan) || !std::isfinite(yspan))
        return;  // a flat or broken curve: the axes alone
    for (const auto& [curve, colour] : {std::pair{c2, 0x0000FFu}, std::pair{c1, 0xFF0000u}}) {
        std::vector<QPoint> pts{{left, bottom}};
        for (int i = 0; i < count; ++i)
            pts.emplace_back(left + static_cast<int>(std::trunc((x[i] - xmin) * w / xspan + 0.5)),
                             bottom - static_cast<int>(std::trunc((curve[i] - ymin) * h / yspan + 0.5)));
        canvas.pen = QPen(Blockx_rgb(colour), 1, Qt::SolidLine);
        canvas.polyline(pts.data(), static_cast<int>(pts.size()));
    }
}

// ---- picture block ----

void Blockx_draw_picture_block(Canvas& canvas, const BlockRec& b, uint16_t, const DrawRect& r)
{
    solid(canvas, 0x000000, b.frame_colour);
    canvas.rectangle(r);
    Blockx_draw_plain_bevel(canvas, r);
    const DrawRect white{r.left + 6, r.top + 6, r.right - 5, r.bottom - 5};
    canvas.brush = QBrush(Qt::white);
    canvas.fill_rect(white);
    set_font(canvas, 9, true, NAVY);
    const int th = Graph_draw_text_size(QStringLiteral("X"), canvas.font).height();
    const DrawRect text{white.left + 1, white.top + 1, white.right - 1, white.bottom - 1};
    int band = text.top;
    for (int i = 0; i < 2; ++i) {
        if (b.text[i] == nullptr)
            continue;
        Graph_draw_text_rect(canvas, {text.left, band, text.right, band + th}, AlignCentre, text_of(b.text[i]));
        band += th;
    }
    const DrawRect area{white.left + 2, band + 2, white.right - 2, white.bottom - 2};
    solid(canvas, 0x000000, b.picture_colour);
    canvas.rectangle(area);
    if (b.data[0] == nullptr || b.picture_size == 0 || !canvas.active())
        return;
    QImage picture = QImage::fromData(static_cast<const uchar*>(b.data[0]), static_cast<int>(b.picture_size), "BMP");
    if (picture.isNull())
        return;
    picture = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb clear = picture.pixel(0, picture.height() - 1);
    for (int yy = 0; yy < picture.height(); ++yy)
        for (int xx = 0; xx < picture.width(); ++xx)
            if (picture.pixel(xx, yy) == clear)
                picture.setPixel(xx, yy, 0);
    canvas.painter()->drawImage(area.left + (area.width() - picture.width()) / 2,
                                area.top + (area.height() - picture.height()) / 2, picture);
}

// ---- summing node ----

void Blockx_draw_sum_node(Canvas& canvas, const BlockRec& b, uint16_t, const DrawRect& rect)
{
    const DrawRect r{rect.left, rect.top + 1, rect.right, rect.bottom + 1};
    solid(canvas, 0x000000, 0xFFFFFF);
    set_font(canvas, 14, true, 0x000000, "MS Serif");
    for (int i = 0; i < 4; ++i) {
        if (b.text[i] == nullptr)
            continue;
        const QString s = text_of(b.text[i]);
        const QSize ts = Graph_draw_text_size(s, canvas.font);
        const int lx = r.left - static_cast<int>(0.6 * ts.width());
        const int rx = r.right - static_cast<int>(0.3 * ts.width());
        const int ty = r.top - static_cast<int>(0.5 * ts.height());
        const int by = r.bottom - static_cast<int>(0.3 * ts.height());
        const QPoint at[4] = {{lx, ty}, {rx, ty}, {rx, by}, {lx, by}};
        canvas.text_out(at[i].x(), at[i].y(), s);
    }
    if (!canvas.active())
        return;
    canvas.painter()->setPen(QPen(Qt::black, 1));
    canvas.painter()->setBrush(Qt::white);
    canvas.painter()->drawEllipse(QRect(r.left, r.top, r.width() - 1, r.height() - 1));
}

// ---- selector block ----

void Blockx_draw_caption_block(Canvas& canvas, const BlockRec& b, uint16_t ctx, const DrawRect& r,
                               uint8_t highlighted)
{
    const bool editable = Blockx_editable(b, ctx);
    const int32_t current = b.get != nullptr ? b.get(b, ctx) : 0;
    solid(canvas, 0x000000, 0xFFFFFF);
    canvas.rectangle(r);
    if (highlighted)
        Blockx_draw_select_bevel(canvas, r);
    else
        Blockx_draw_plain_bevel(canvas, r);
    const DrawRect inner{r.left + 3, r.top + 3, r.right - 2, r.bottom - 2};
    const DrawRect strip{inner.left, inner.top, inner.right, inner.top + 15};
    canvas.brush = QBrush(Qt::white);
    canvas.fill_rect(strip);
    set_font(canvas, 9, true, 0x008000);
    const QString caption = text_of(b.text[0]);
    const int m = (inner.width() - Graph_draw_text_size(caption, canvas.font).width()) / 2 - 4;
    if (m >= 1) {
        filled_box(canvas, {strip.left, strip.top, strip.left + m, strip.bottom}, CAPTION_BAR);
        filled_box(canvas, {strip.right - m, strip.top, strip.right, strip.bottom}, CAPTION_BAR);
    }
    canvas.pen = QPen(Qt::NoPen);
    canvas.brush = QBrush(Qt::white);
    Graph_draw_text_rect(canvas, {inner.left + m + 2, strip.top + 2, inner.right - m - 2, strip.bottom - 2},
                         AlignCentre, caption);
    if (b.label_count == 0 || b.labels == nullptr)
        return;
    const int top = strip.bottom + 3;
    const double row_h = (inner.bottom - 2 - top) / static_cast<double>(b.label_count);
    set_font(canvas, 8, false, 0x808080);
    const int hl = (Graph_draw_text_size(QStringLiteral("X"), canvas.font).height() + 2) / 2;
    const int row_left = inner.left + 1;
    const int row_right = inner.right - 2;
    const bool live = ctx != 0 || (link_ready() && editable);
    for (int i = 0; i < b.label_count; ++i) {
        const int rt = top + static_cast<int>(i * row_h);
        const int rb = top + static_cast<int>((i + 1) * row_h);
        const int cy = (rt + rb) / 2;
        const DrawRect mark{inner.left + 6, cy - 1, inner.left + 9, cy + 2};
        const char* row = b.labels + (static_cast<std::size_t>(Lang_index()) * b.label_count + i) * b.label_width;
        const QString label = QString::fromUtf8(row, static_cast<int>(strnlen(row, b.label_width)));
        if (i == current) {
            solid(canvas, 0xFF0000, CURRENT_ROW, 2);
            canvas.rectangle({row_left + 2, cy - hl - 1, row_right, cy + hl + 2});
            set_font(canvas, 8, true, 0x000000);
            canvas.pen = QPen(Blockx_rgb(0xFF0000), 1, Qt::SolidLine);
        } else {
            solid(canvas, 0x808080, 0xFFFFFF);
            const bool blue = highlighted && i == b.hovered && live;
            set_font(canvas, 8, blue, blue ? 0x0000FF : 0x808080);
        }
        canvas.rectangle(mark);
        const QPen keep = canvas.pen;
        canvas.pen = QPen(Qt::NoPen);
        Graph_draw_text_rect(canvas, {row_left + 8, cy - hl, row_right - 3, cy + hl}, AlignLeft, label);
        canvas.pen = keep;
    }
}

void Blockx_draw_block(Canvas& canvas, const BlockRec& b, uint16_t ctx, const DrawRect& r)
{
    switch (b.kind) {
    case BlockKind::Regulator: Blockx_draw_regulator_block(canvas, b, ctx, r); break;
    case BlockKind::Selector: Blockx_draw_caption_block(canvas, b, ctx, r, 0); break;
    case BlockKind::Picture: Blockx_draw_picture_block(canvas, b, ctx, r); break;
    case BlockKind::Sum: Blockx_draw_sum_node(canvas, b, ctx, r); break;
    default: break;
    }
}

// ---- step selector ----

bool Blockx_hand_cursor() { return hand_cursor; }

bool Blockx_scale_hover(BlockRec& b, int py)
{
    const uint16_t ctx = PageContext.load();
    const bool allowed = ctx != 0 || (link_ready() && Blockx_editable(b, 0));
    const int top = b.y + 21;
    const int bottom = b.y + b.h - 5;
    if (!allowed || py < 1 || b.step_count == 0 || !(top < py && py < bottom)) {
        hand_cursor = false;
        return false;
    }
    const auto step = static_cast<uint16_t>((py - top) / ((bottom - top) / static_cast<double>(b.step_count)));
    if (step == b.hovered)
        return false;
    b.hovered = step;
    hand_cursor = true;
    return true;
}

void Blockx_scale_leave(BlockRec& b)
{
    b.hovered = BLOCK_NO_STEP;
    hand_cursor = false;
}

Loc Blockx_field(const BlockRec& b, uint16_t ctx) { return SlotLoc(static_cast<uint8_t>(ctx & 1), b.field); }

namespace {
std::size_t value_size(uint8_t type) { return type <= 1 ? 1 : type <= 3 ? 2 : 4; }
}  // namespace

int32_t Blockx_value_get(const BlockRec& b, uint16_t ctx)
{
    const uint8_t* p = b.field >= 0 ? Loc_ptr_n(Blockx_field(b, ctx), value_size(b.value_type)) : nullptr;
    if (p == nullptr)
        return 0;
    switch (b.value_type) {
    case 0: return p[0];
    case 1: return static_cast<int8_t>(p[0]);
    case 2: return Rec_get<uint16_t>(p, 0);
    case 3: return Rec_get<int16_t>(p, 0);
    default: return static_cast<int32_t>(Rec_get<uint32_t>(p, 0));
    }
}

namespace {

// Only a step of the scale is written: a pointer that entered through the caption hovers none.
uint8_t* settable(const BlockRec& b, uint16_t ctx, std::size_t size)
{
    if (b.field < 0 || b.hovered >= b.step_count)
        return nullptr;
    return Loc_ptr_n(Blockx_field(b, ctx), size);
}

void send_if_main(const BlockRec& b)
{
    if (PageContext.load() == 0)
        Sertx_write_var(RecLoc(static_cast<std::size_t>(b.field)));
}

}  // namespace

void Blockx_value_set(BlockRec& b, uint16_t ctx)
{
    uint8_t* p = b.value_type <= 5 ? settable(b, ctx, value_size(b.value_type)) : nullptr;
    if (p == nullptr)
        return;
    if (b.value_type <= 1)
        p[0] = static_cast<uint8_t>(b.hovered);
    else if (b.value_type <= 3)
        Rec_set<uint16_t>(p, 0, b.hovered);
    else
        Rec_set<uint32_t>(p, 0, b.hovered);
    send_if_main(b);
}

int32_t Blockx_bit_get(const BlockRec& b, uint16_t ctx)
{
    const uint8_t* p = b.field >= 0 ? Loc_ptr_n(Blockx_field(b, ctx), 2) : nullptr;
    return p == nullptr ? 0 : Rec_get<uint16_t>(p, 0) & 1;
}

void Blockx_bit_set(BlockRec& b, uint16_t ctx)
{
    uint8_t* p = settable(b, ctx, 2);
    if (p == nullptr)
        return;
    Rec_set<uint16_t>(p, 0, static_cast<uint16_t>((Rec_get<uint16_t>(p, 0) & ~1u) | (b.hovered & 1u)));
    send_if_main(b);
}
