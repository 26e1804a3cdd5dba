// Chart interaction: hit regions, zoom box, panning, scroll bar and overview bar, cursors and
// their readouts, trigger marks.
#include <algorithm>
#include <cstring>
#include <cmath>

#include <QCursor>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include "scope/Diagramx.h"

namespace {

constexpr double MIN_SPAN = 1e-12;
constexpr uint32_t OVERVIEW_BACKGROUND = 0xDDDDDD;
constexpr int READOUT_DECIMALS = 7;
constexpr const char* OVERVIEW_FORMAT = "0.000";
constexpr int FAR_AWAY = -1000000;

// The width a label gives its text: its contents less its margins and the indent a framed label keeps.
int text_room(const QLabel* l)
{
    const int indent = l->indent() >= 0      ? l->indent()
                       : l->frameWidth() > 0 ? l->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                                             : 0;
    return l->contentsRect().width() - 2 * l->margin() - indent;
}

// A cursor's value in `room` pixels of text measured by `fm`: as many of its decimals as fit, else
// the exponent form or the no-fit mark; the readouts and the value boxes on the plot alike.
QString fitted(double value, const QFontMetrics& fm, int room)
{
    return Graph_format_fit(value, READOUT_DECIMALS, [&](const QString& t) { return fm.horizontalAdvance(t) <= room; });
}

void set_readout(QLabel* label, double value)
{
    if (label)
        label->setText(fitted(value, label->fontMetrics(), text_room(label)));
}

bool positive(double x) { return std::isfinite(x) && x > 0; }

}  // namespace

bool Diagramx_shift_has(uint8_t shift, int element)
{
    return element >= 0 && element <= 6 && (shift >> element) & 1u;
}

// ---- mouse routing ----

ChartRegion* Diagramx::Region_hit(int x, int y)
{
    for (ChartRegion* root = region_head; root; root = root->next) {
        for (ChartRegion* c = root->child; c; c = c->next)
            if (c->contains(x, y))
                return c;
        if (root->contains(x, y))
            return root;
    }
    return nullptr;
}

void Diagramx::Image_mouse_down(uint8_t button, uint8_t shift, int x, int y)
{
    if (!Usable())
        return;
    captured = Region_hit(x, y);
    if (captured && captured->mouse_down)
        (this->*captured->mouse_down)(captured, button, shift, x, y);
}

void Diagramx::Image_mouse_move(uint8_t shift, int x, int y)
{
    if (captured && captured->mouse_move)
        (this->*captured->mouse_move)(captured, shift, x, y);
}

void Diagramx::Image_mouse_up()
{
    if (captured && captured->mouse_up)
        (this->*captured->mouse_up)(captured);
    captured = nullptr;
}

void Diagramx::Mouse_down(ChartRegion*, uint8_t button, uint8_t, int x, int y)
{
    if (button == ChartButtonLeft) {
        zoom_x = x;
        zoom_y = y;
        zoom_rect = zoom_prev = QRect(QPoint(x, y), QPoint(x, y));
        zoom_active = 1;
    } else if (button == ChartButtonRight && Window_count() > 0) {
        pan_last_x = pan_x = x;
        pan_last_y = pan_y = y;
        plot_image->setCursor(Qt::SizeAllCursor);
        pan_timer->start();
    }
}

void Diagramx::Mouse_move(ChartRegion*, uint8_t shift, int x, int y)
{
    if (Diagramx_shift_has(shift, ShiftLeft) && zoom_active) {
        zoom_prev = zoom_rect;
        zoom_rect = QRect(QPoint(std::min(zoom_x, x), std::min(zoom_y, y)), QPoint(std::max(zoom_x, x), std::max(zoom_y, y)));
        Zoom_box_draw();
    }
    if (Diagramx_shift_has(shift, ShiftRight)) {
        pan_x = x;
        pan_y = y;
    }
}

void Diagramx::Mouse_up(ChartRegion*)
{
    if (zoom_active)
        Zoom_apply(&regions[0], &view, zoom_rect.left(), zoom_rect.top(), zoom_rect.right(), zoom_rect.bottom());
    Pan_stop();
}

uint32_t Diagramx::Window_count() const
{
    if (window_start == 0 && window_end == 0)
        return 0;
    return Ring_distance(window_end, window_start);
}

// ---- clean copy and zoom box ----

// The copy is taken before the first overlay is drawn or restored: a paint without overlays costs
// no copy.
void Diagramx::Save_clean() { clean_due_ = true; }

void Diagramx::take_clean()
{
    if (!plot_image || !clean_due_)
        return;
    clean_due_ = false;
    const QImage& img = plot_image->image();
    if (clean_copy.size() != img.size() || clean_copy.format() != img.format()) {
        clean_copy = img.copy();
        return;
    }
    std::memcpy(clean_copy.bits(), img.constBits(), size_t(img.sizeInBytes()));  // no new buffer
}

void Diagramx::Restore_rect(const QRect& r)
{
    take_clean();
    if (!plot_canvas || !plot_canvas->active() || clean_copy.isNull())
        return;
    const QRect area = r.intersected(clean_copy.rect());
    if (area.isEmpty())
        return;
    QPainter& p = *plot_canvas->painter();
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area.topLeft(), clean_copy, area);
    p.restore();
}

void Diagramx::Restore_frame(int left, int top, int right, int bottom)
{
    Restore_rect(QRect(QPoint(left - 1, top - 1), QPoint(right + 1, top + 1)));
    Restore_rect(QRect(QPoint(left - 1, bottom - 1), QPoint(right + 1, bottom + 1)));
    Restore_rect(QRect(QPoint(left - 1, top - 1), QPoint(left + 1, bottom + 1)));
    Restore_rect(QRect(QPoint(right - 1, top - 1), QPoint(right + 1, bottom + 1)));
}

void Diagramx::Zoom_box_draw()
{
    if (!plot_canvas || !plot_canvas->active())
        return;
    Restore_frame(zoom_prev.left(), zoom_prev.top(), zoom_prev.right(), zoom_prev.bottom());
    QPainter& p = *plot_canvas->painter();
    p.save();
    p.setPen(QPen(clWhite, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(zoom_rect);
    p.restore();
    Overlays_draw(nullptr);
    plot_image->update();
}

void Diagramx::Zoom_apply(ChartRegion* target, ChartViewSettings* vp, int left, int top, int right, int bottom)
{
    Restore_frame(left, top, right, bottom);
    zoom_active = 0;
    if (right <= left || bottom <= top)
        return;
    ChartViewSettings& v = *vp;
    if (!(zoom_x < right && zoom_y < bottom)) {
        v.automatic = 1;
        Paint(target, vp);
        return;
    }
    const int plot_top = v.plot_bottom - v.plot_height;
    left = std::clamp(left, v.plot_left, v.plot_left + v.plot_width);
    right = std::clamp(right, v.plot_left, v.plot_left + v.plot_width);
    top = std::clamp(top, plot_top, v.plot_bottom);
    bottom = std::clamp(bottom, plot_top, v.plot_bottom);
    if (int16_t(right - left) == 0 || int16_t(bottom - top) == 0 || v.plot_width <= 0 || v.plot_height <= 0) {
        Paint(target, vp);
        return;
    }
    const double span = v.time_end - v.time_start;
    if (!(span >= MIN_SPAN) || !positive(sample_period))
        return;
    for (int ch = 0; ch < channel_count; ++ch)
        if (!(v.channels[ch].maximum - v.channels[ch].minimum >= MIN_SPAN))
            return;
    v.zoom_time_start = (left - v.plot_left) * span / v.plot_width + v.time_start;
    v.zoom_time_end = (right - v.plot_left) * span / v.plot_width + v.time_start;
    for (int ch = 0; ch < channel_count; ++ch) {
        ChartChannelView& c = v.channels[ch];
        const double range = c.maximum - c.minimum;
        c.zoom_minimum = (v.plot_bottom - bottom) * range / v.plot_height + c.minimum;
        c.zoom_maximum = (v.plot_bottom - top) * range / v.plot_height + c.minimum;
    }
    Window_from_zoom(target, vp);
    Paint(target, vp);
}

void Diagramx::Window_from_zoom(ChartRegion*, ChartViewSettings* vp)
{
    ChartViewSettings& v = *vp;
    const uint32_t count = Sample_count();
    if (count <= 1 || !positive(sample_period))
        return;
    const double tlast = newest_time();
    const double last_row = double(count - 1);
    double t0 = v.zoom_time_start;
    double i0 = 0;
    if (!(t0 > 0)) {
        v.start_trim = 0;
    } else {
        i0 = std::min(std::trunc(t0 / sample_period), last_row);
        v.start_trim = t0 - i0 * sample_period;
    }
    double i1;
    if (!(v.zoom_time_end < tlast)) {
        v.zoom_time_end = tlast;
        v.end_trim = 0;
        i1 = std::trunc(tlast / sample_period);
    } else {
        i1 = std::trunc(v.zoom_time_end / sample_period) + 1;
        v.end_trim = i1 * sample_period - v.zoom_time_end;
    }
    i1 = std::clamp(i1, i0, last_row + 1);
    v.window_width = uint32_t(i1 - i0);
    v.window_offset = uint32_t(i0);
    v.automatic = 0;
}

// ---- panning ----

void Diagramx::Pan_tick()
{
    Pan_step(&regions[0], &view);
    if (!Pointer_inside())
        Pan_stop();
}

void Diagramx::Pan_step(ChartRegion* target, ChartViewSettings* vp)
{
    ChartViewSettings& v = *vp;
    if (pan_x == pan_last_x && pan_y == pan_last_y)
        return;
    const double span = v.time_end - v.time_start;
    if (v.plot_width <= 0 || v.plot_height <= 0 || !std::isfinite(span))
        return;
    for (int ch = 0; ch < channel_count; ++ch) {
        ChartChannelView& c = v.channels[ch];
        const double dv = (pan_y - pan_last_y) * (c.maximum - c.minimum) / v.plot_height;
        c.zoom_minimum = c.minimum + dv;
        c.zoom_maximum = c.maximum + dv;
    }
    const double dt = (pan_x - pan_last_x) * span / v.plot_width;
    const double start = v.time_start - dt;
    const double end = v.time_end - dt;
    const double tlast = newest_time();
    if (end <= tlast && start >= 0) {
        v.zoom_time_start = start;
        v.zoom_time_end = end;
    } else if (end > tlast) {
        v.zoom_time_start = tlast - span;
        v.zoom_time_end = tlast;
    } else {
        v.zoom_time_start = 0;
        v.zoom_time_end = span;
    }
    Window_from_zoom(target, vp);
    Paint(target, vp);
    pan_last_x = pan_x;
    pan_last_y = pan_y;
}

void Diagramx::Pan_stop()
{
    if (plot_image)
        plot_image->unsetCursor();
    if (pan_timer)
        pan_timer->stop();
}

bool Diagramx::Pointer_inside() const
{
    if (!plot_image)
        return false;
    const QPoint pos = pointer_position ? pointer_position() : QCursor::pos();
    const QRect screen(plot_image->mapToGlobal(QPoint(0, 0)), plot_image->size());
    return screen.left() <= pos.x() && pos.x() <= screen.left() + screen.width() && screen.top() <= pos.y() &&
           pos.y() <= screen.top() + screen.height();
}

// ---- scroll bar and overview ----

void Diagramx::Scroll_event()
{
    if (scroll_timer)
        scroll_timer->start();
}

void Diagramx::Scroll_tick()
{
    if (!scroll_bar)
        return;
    const uint32_t position = uint32_t(scroll_bar->value());
    if (position != last_scroll_position) {
        Scroll_apply(position, CHART_SCROLL_MAX);
        last_scroll_position = uint32_t(scroll_bar->value());
    } else {
        scroll_timer->stop();
    }
}

void Diagramx::Scroll_update()
{
    if (!scroll_bar || (scroll_timer && scroll_timer->isActive()))
        return;
    const QSignalBlocker quiet(scroll_bar);
    const double held = held_time(view);
    const double span = view.time_end - view.time_start;
    if (!(held > span) || !positive(span)) {
        scroll_bar->setEnabled(false);
        return;
    }
    const int page = std::max(1, Diagramx_int(CHART_SCROLL_MAX * span / held));
    scroll_bar->setPageStep(page);
    scroll_bar->setRange(0, CHART_SCROLL_MAX - page);
    scroll_bar->setEnabled(true);
    int position;
    if (std::fabs(view.time_end - held) <= held * 1e-12)
        position = CHART_SCROLL_MAX - page;
    else if (view.time_start == 0)
        position = 0;
    else
        position = std::clamp(Diagramx_int(CHART_SCROLL_MAX * view.time_start / held), 0, CHART_SCROLL_MAX);
    scroll_bar->setValue(position);
    scroll_bar->setPageStep(page);
}

void Diagramx::Scroll_apply(uint32_t position, uint32_t maximum)
{
    if (!scroll_bar || maximum == 0)
        return;
    const double held = held_time(view);
    const double span = view.time_end - view.time_start;
    if (!positive(held) || !positive(span))
        return;
    const double start = position * held / maximum;
    view.zoom_time_start = start;
    view.zoom_time_end = start + span;
    if (view.zoom_time_end > held) {
        view.zoom_time_end = held;
        view.zoom_time_start = held - span;
        const QSignalBlocker quiet(scroll_bar);
        scroll_bar->setValue(scroll_bar->maximum());
        last_scroll_position = uint32_t(scroll_bar->value());
    }
    for (int ch = 0; ch < channel_count; ++ch) {
        view.channels[ch].zoom_maximum = view.channels[ch].maximum;
        view.channels[ch].zoom_minimum = view.channels[ch].minimum;
    }
    Window_from_zoom(&regions[0], &view);
    Redraw();
}

void Diagramx::Overview_draw()
{
    if (!overview || !overview_canvas || !overview_canvas->active())
        return;
    Canvas& c = *overview_canvas;
    const int w = overview->image().width();
    const uint32_t count = Sample_count();
    const uint32_t limit = Record_limit(view);
    // Drawn anew only when what it shows changed.
    const OverviewShown shown_now{w, overview->image().height(), count > 1 ? std::min(count - 1, limit) : 0, limit,
                                  sample_period, view.time_start, view.time_end};
    if (shown_now == overview_shown_) {
        Scroll_update();
        return;
    }
    overview_shown_ = shown_now;
    Fill_rect(c, 0, 0, w, overview->image().height(), OVERVIEW_BACKGROUND);
    const DrawRect box{10, 10, w - 10, 22};
    Graph_draw_button(c, box, clWhite, 1, 0, 0, AlignCentre, QString());
    const DrawRect inner{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
    const int inner_w = inner.width();
    if (count > 1 && limit > 0 && inner_w > 0) {
        const uint32_t held_rows = std::min(count - 1, limit);
        const int blue = std::clamp(int(int64_t(inner_w) * held_rows / limit), 2, inner_w);
        Graph_draw_button(c, {inner.left, inner.top, inner.left + blue, inner.bottom}, clBlue, 0, 1, 0, AlignLeft,
                          QString());
        const double held = held_rows * sample_period;
        const double span = view.time_end - view.time_start;
        if (positive(held) && std::isfinite(span) && std::isfinite(view.time_start)) {
            const double x0 = std::clamp(blue * view.time_start / held, 0.0, double(blue));
            const double x1 = std::clamp(blue * (view.time_start + span) / held, x0, double(blue));
            const int gl = inner.left + Diagramx_int(x0);
            const int gr = std::max(gl + 2, inner.left + Diagramx_int(x1));
            Graph_draw_button(c, {gl, inner.top, gr, inner.bottom}, clGreen, 0, 1, 0, AlignLeft, QString());
        }
        // Bracket with arrowheads under the bar, the held time at its ends.
        const int y = box.bottom;
        const int right = inner.left + blue - 1;
        c.pen = QPen(clBlack, 1);
        c.brush = QBrush(clBlack);
        QPainter& p = *c.painter();
        p.setPen(c.pen);
        p.drawLine(inner.left, y + 2, inner.left, y + 18);
        p.drawLine(right, y + 2, right, y + 18);
        if (blue > 14) {
            p.drawLine(inner.left, y + 10, right, y + 10);
            const QPoint left_arrow[3] = {{inner.left + 1, y + 10}, {inner.left + 6, y + 7}, {inner.left + 6, y + 13}};
            const QPoint right_arrow[3] = {{right - 1, y + 10}, {right - 6, y + 7}, {right - 6, y + 13}};
            c.polygon(left_arrow, 3);
            c.polygon(right_arrow, 3);
        }
        const double end = count - 1 < limit ? newest_time() : limit * sample_period;
        const QString a = Graph_format_float(OVERVIEW_FORMAT, 0.0);
        const QString b = Graph_format_float(OVERVIEW_FORMAT, end);
        c.font = QFont("Arial", 8);
        c.font_colour = clBlack;
        c.brush = QBrush(bgr(OVERVIEW_BACKGROUND));
        const int wa = c.text_width(a), wb = c.text_width(b);
        if (wa + wb + 22 <= inner_w) {
            const int a_right = inner.left + 10 + wa;
            const int b_left = std::max(right - 8 - wb, a_right + 4);
            Graph_draw_text_rect(c, {inner.left + 8, y + 11, a_right, y + 22}, AlignLeft, a);
            Graph_draw_text_rect(c, {b_left, y + 11, b_left + wb + 2, y + 22}, AlignLeft, b);
        }
    }
    overview->update();
    Scroll_update();
}

// ---- cursors ----

void Diagramx::hide_handles()
{
    for (int i = 1; i <= 4; ++i) {
        regions[i].left = regions[i].top = FAR_AWAY;
        handle_drawn_[i - 1] = tag_drawn_[i - 1] = QRect();
    }
}

namespace {

// Keeps a placed cursor at its screen place when the full scale changes, places a new one at a
// quarter (id 1) or three quarters (id 2); the pixel offset over `pixels`. False: no scale.
bool cursor_fit(ChartCursor& c, double scale, int pixels)
{
    if (!positive(scale) || pixels <= 0)
        return false;
    if (c.offset != -1 && positive(c.full_scale) && c.full_scale != scale) {
        c.value = c.value * scale / c.full_scale;
        c.full_scale = scale;
    } else if (c.offset == -1 || !positive(c.full_scale)) {
        c.full_scale = scale;
        c.value = scale * (c.id == 1 ? 0.25 : 0.75);
    }
    c.offset = std::clamp(Diagramx_int(pixels * c.value / scale + 0.5), 0, pixels);
    return true;
}

}  // namespace

void Diagramx::Time_cursor_place(ChartCursor& c)
{
    ChartRegion& h = regions[c.id == 1 ? 1 : 2];
    if (!cursor_fit(c, view.time_end - view.time_start, view.plot_width)) {
        h.left = h.top = FAR_AWAY;
        return;
    }
    h.left = view.plot_left + c.offset - h.width / 2;
    h.top = view.plot_bottom - view.plot_height - h.height / 2;
}

void Diagramx::Level_cursor_place(ChartCursor& c)
{
    const ChartChannelView& ch = view.channels[axis_channel(view.left_channel)];
    ChartRegion& h = regions[c.id == 1 ? 3 : 4];
    if (!cursor_fit(c, ch.maximum - ch.minimum, view.plot_height)) {
        h.left = h.top = FAR_AWAY;
        return;
    }
    h.left = view.plot_left + view.plot_width - h.width / 2;
    h.top = view.plot_bottom - c.offset - h.height / 2;
}

QRect Diagramx::handle_area(const ChartRegion* handle) const
{
    return QRect(handle->left, handle->top, handle->width + 1, handle->height + 1);
}

namespace {

// Yellow handle framed in black with a grey shadow, and the value box beside it; returns the text
// the box shows.
QString draw_handle(Canvas& c, const QPolygon& shape, const QRect& box, double value)
{
    QPainter& p = *c.painter();
    p.save();
    p.setPen(QPen(clGray, 1));
    p.setBrush(clGray);
    p.drawPolygon(shape.translated(2, 2));
    p.setPen(QPen(clBlack, 1));
    p.setBrush(clYellow);
    p.drawPolygon(shape);
    p.restore();
    c.pen = QPen(clBlack, 1);
    c.brush = QBrush(clWhite);
    c.rectangle({box.left(), box.top(), box.right() + 1, box.bottom() + 1});
    c.font = QFont("Arial", 8);
    c.font_colour = clBlack;
    const DrawRect inner{box.left() + 1, box.top() + 1, box.right(), box.bottom()};
    const QString text = fitted(value, QFontMetrics(c.font, p.device()), inner.width());
    Graph_draw_text_rect(c, inner, AlignCentre, text);
    return text;
}

// A cursor's value box kept whole inside the plot (and so off the axis captions around it): where
// it was asked for when it lies inside, else on the other side of its cursor, then pulled in.
QRect tag_inside(const QRect& plot, const QRect& wanted, const QRect& other)
{
    QRect box = plot.contains(wanted) ? wanted : other;
    box.moveLeft(std::clamp(box.left(), plot.left(), std::max(plot.left(), plot.right() + 1 - box.width())));
    box.moveTop(std::clamp(box.top(), plot.top(), std::max(plot.top(), plot.bottom() + 1 - box.height())));
    return box;
}

}  // namespace

void Diagramx::handle_draw(const ChartRegion* handle, const QPolygon& shape, const QRect& box)
{
    const int k = int(handle - &regions[1]);
    tag_drawn_[k] = box;
    tag_text_[k] = draw_handle(*plot_canvas, shape, box, Cursor_reading(k));
    handle_drawn_[k] = handle_area(handle).united(box.adjusted(0, 0, 1, 1));
}

QRect Diagramx::plot_rect() const
{
    return QRect(view.plot_left, view.plot_bottom - view.plot_height, view.plot_width + 1, view.plot_height + 1);
}

void Diagramx::Time_cursor_handle_draw(ChartRegion* handle)
{
    if (handle->left == FAR_AWAY || !plot_canvas)
        return;
    const int x = handle->left + handle->width / 2;
    const int top = handle->top;
    QPainter& p = *plot_canvas->painter();
    p.setPen(QPen(clBlack, 1));
    p.drawLine(x, top + handle->height, x, view.plot_bottom);
    QPolygon shape;
    shape << QPoint(handle->left, top) << QPoint(handle->left + handle->width - 2, top)
          << QPoint(handle->left + handle->width - 2, top + handle->height / 2)
          << QPoint(x, top + handle->height - 2) << QPoint(handle->left, top + handle->height / 2);
    // Beside the handle, at the plot's top: right of the cursor, or left of it near the right end.
    const int plot_top = view.plot_bottom - view.plot_height;
    const QSize size(readout_width, readout_height);
    const QRect box = tag_inside(plot_rect(), QRect(QPoint(handle->left + handle->width + 1, plot_top), size),
                                 QRect(QPoint(handle->left - readout_width - 1, plot_top), size));
    handle_draw(handle, shape, box);
}

void Diagramx::Level_cursor_handle_draw(ChartRegion* handle)
{
    if (handle->left == FAR_AWAY || !plot_canvas)
        return;
    const int y = handle->top + handle->height / 2;
    const int left = handle->left;
    QPainter& p = *plot_canvas->painter();
    p.setPen(QPen(clBlack, 1));
    p.drawLine(view.plot_left, y, left, y);
    QPolygon shape;
    shape << QPoint(left + 2, y) << QPoint(left + handle->width / 2, handle->top)
          << QPoint(left + handle->width - 2, handle->top) << QPoint(left + handle->width - 2, handle->top + handle->height - 2)
          << QPoint(left + handle->width / 2, handle->top + handle->height - 2);
    // Left of the handle: above the cursor's line, or under it near the plot's top; never in the
    // row at the plot's top where the time cursors show their values.
    const QSize size(readout_width, readout_height);
    const int box_left = left - readout_width - 1;
    QRect area = plot_rect();
    if (time_cursors_shown)
        area.setTop(area.top() + readout_height);
    const QRect box = tag_inside(area, QRect(QPoint(box_left, handle->top - readout_height), size),
                                 QRect(QPoint(box_left, handle->top + handle->height + 1), size));
    handle_draw(handle, shape, box);
}

void Diagramx::Time_cursor_move(ChartRegion* region, uint8_t, int x, int y)
{
    if (x == pan_last_x && y == pan_last_y)
        return;
    auto* c = static_cast<ChartCursor*>(region->data);
    const int offset = std::clamp(x - view.plot_left, 0, std::max(0, view.plot_width));
    if (view.plot_width > 0) {
        c->value = offset * c->full_scale / view.plot_width;
        const int old_x = region->left + region->width / 2;
        Restore_rect(handle_drawn_[region - &regions[1]].adjusted(-1, -1, 1, 1));
        Restore_rect(QRect(old_x - 1, view.plot_bottom - view.plot_height, 3, view.plot_height + 1));
        Overlays_draw(region);
        plot_image->update();
    }
    pan_last_x = x;
    pan_last_y = y;
}

void Diagramx::Level_cursor_move(ChartRegion* region, uint8_t, int x, int y)
{
    if (x == pan_last_x && y == pan_last_y)
        return;
    auto* c = static_cast<ChartCursor*>(region->data);
    const int offset = std::clamp(view.plot_bottom - y, 0, std::max(0, view.plot_height));
    if (view.plot_height > 0 && view.plot_width > 0) {
        c->value = offset * c->full_scale / view.plot_height;
        const int old_y = region->top + region->height / 2;
        Restore_rect(handle_drawn_[region - &regions[1]].adjusted(-1, -1, 1, 1));
        Restore_rect(QRect(view.plot_left, old_y - 1, view.plot_width + 1, 3));
        Overlays_draw(region);
        plot_image->update();
    }
    pan_last_x = x;
    pan_last_y = y;
}

void Diagramx::Overlays_draw(ChartRegion* handle)
{
    if (!Usable())
        return;
    if (time_cursors_shown || level_cursors_shown || trigger_shown)
        take_clean();
    if (handle) {
        auto* end = std::remove(std::begin(handle_order), std::end(handle_order), handle);
        *end = handle;
    }
    if (time_cursors_shown) {
        Time_cursor_place(cursors[0]);
        Time_cursor_place(cursors[1]);
    } else {
        regions[1].left = regions[2].left = regions[1].top = regions[2].top = FAR_AWAY;
    }
    if (level_cursors_shown) {
        Level_cursor_place(cursors[2]);
        Level_cursor_place(cursors[3]);
    } else {
        regions[3].left = regions[4].left = regions[3].top = regions[4].top = FAR_AWAY;
    }
    Trigger_marks_draw();
    std::fill(std::begin(tag_drawn_), std::end(tag_drawn_), QRect());
    for (ChartRegion* entry : handle_order) {
        if (level_cursors_shown && is_level_handle(entry))
            Level_cursor_handle_draw(entry);
        if (time_cursors_shown && is_time_handle(entry))
            Time_cursor_handle_draw(entry);
    }
    if (level_cursors_shown)
        for (uint8_t ch = 0; ch < channel_count; ++ch)
            Level_readouts(ch);
    if (time_cursors_shown)
        Time_readouts();
}

// ---- readouts ----

namespace {

// Index of the tick at `pixel` in a table sorted by pixel (rising or falling), or -1.
int tick_find(const ChartTick* table, int pixel, int count, bool rising)
{
    int lo = 0, hi = count - 1;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (table[mid].pixel == pixel)
            return mid;
        if ((table[mid].pixel < pixel) == rising)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return -1;
}

}  // namespace

// Horizontal grid rows: pixels fall as values rise.
int Diagramx::Tick_find_up(const ChartTick* table, int pixel, int count) { return tick_find(table, pixel, count, false); }

// Vertical grid columns: pixels rise with values.
int Diagramx::Tick_find_down(const ChartTick* table, int pixel, int count) { return tick_find(table, pixel, count, true); }

double Diagramx::Cursor_reading(int k) const
{
    const ChartCursor& c = cursors[k];
    if (k < 2) {
        const int i = Tick_find_down(time_grid, view.plot_left + c.offset, time_grid_count);
        return i >= 0 ? time_grid[i].value : view.time_start + c.value;
    }
    const int i = Tick_find_up(left_grid, view.plot_bottom - c.offset, left_grid_count);
    return i >= 0 ? left_grid[i].value : view.channels[axis_channel(view.left_channel)].minimum + c.value;
}

void Diagramx::Time_readouts()
{
    const double t[2] = {Cursor_reading(0), Cursor_reading(1)};
    set_readout(time_readouts[0], t[0]);
    set_readout(time_readouts[1], t[1]);
    set_readout(time_readouts[2], t[0] - t[1]);
}

void Diagramx::Level_readouts(uint8_t channel)
{
    if (channel >= channel_count)
        return;
    const uint8_t left = axis_channel(view.left_channel);
    const ChartChannelView& axis = view.channels[left];
    const ChartChannelView& c = view.channels[channel];
    const double axis_range = axis.maximum - axis.minimum;
    double level[2];
    for (int k = 0; k < 2; ++k) {
        const ChartCursor& cur = cursors[2 + k];
        if (channel == left)
            level[k] = Cursor_reading(2 + k);
        else
            level[k] = positive(axis_range) ? c.minimum + cur.value * (c.maximum - c.minimum) / axis_range : c.minimum;
    }
    set_readout(level_readouts[0][channel], level[0]);
    set_readout(level_readouts[1][channel], level[1]);
    set_readout(level_readouts[2][channel], level[0] - level[1]);
}

// ---- trigger marks ----

namespace {

void mark_label(Canvas& c, const QPoint& centre)
{
    const int w = c.text_width("T") + 4;
    const int h = c.text_height();
    c.brush = QBrush(clRed);
    c.font_colour = clWhite;
    Graph_draw_text_rect(c, {centre.x() - w / 2, centre.y() - h / 2, centre.x() - w / 2 + w, centre.y() - h / 2 + h},
                         AlignCentre, "T");
}

void mark_arrow(Canvas& c, const QPoint& tip, int dx, int dy)
{
    // Arrow of 10 pixels pointing along (dx, dy), label at its base.
    const QPoint back(tip.x() - dx * 10, tip.y() - dy * 10);
    const QPoint side(dy * 6, dx * 6);
    const QPoint shape[3] = {tip, back + side, back - side};
    c.pen = QPen(clRed, 1);
    c.brush = QBrush(clRed);
    c.polygon(shape, 3);
    mark_label(c, QPoint(tip.x() - dx * 16, tip.y() - dy * 16));
}

void mark_line(Canvas& c, const QPoint& a, const QPoint& b, const QColor& background)
{
    QPainter& p = *c.painter();
    p.save();
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(background);
    p.setPen(QPen(clRed, 1, Qt::DotLine));
    p.drawLine(a, b);
    p.restore();
}

}  // namespace

void Diagramx::Trigger_marks_draw()
{
    if (!trigger_shown || view.plot_width <= 0 || view.plot_height <= 0 || !plot_canvas)
        return;
    Canvas& c = *plot_canvas;
    c.font = QFont("Arial", 8);
    const QColor bg = bgr(view.background);
    const int top = view.plot_bottom - view.plot_height;
    const int right = view.plot_left + view.plot_width;
    const double span = view.time_end - view.time_start;
    const double t = trigger_position * sample_period;
    if (positive(span) && std::isfinite(t)) {
        if (t < view.time_start) {
            mark_arrow(c, {view.plot_left + 2, top + 12}, -1, 0);
        } else if (t > view.time_end) {
            mark_arrow(c, {right - 2, top + 12}, 1, 0);
        } else {
            const int x = view.plot_left + Diagramx_int((t - view.time_start) * view.plot_width / span);
            if (x > view.plot_left && x < right) {
                mark_line(c, {x, top}, {x, view.plot_bottom}, bg);
                mark_label(c, {x, top + 8});
            }
        }
    }
    const ChartChannelView& ch = view.channels[axis_channel(trigger_channel)];
    const double range = ch.maximum - ch.minimum;
    if (!Diagramx_range_drawable(range) || !std::isfinite(trigger_level))
        return;
    if (trigger_level > ch.maximum) {
        mark_arrow(c, {view.plot_left + 12, top + 2}, 0, -1);
    } else if (trigger_level < ch.minimum) {
        mark_arrow(c, {view.plot_left + 12, view.plot_bottom - 2}, 0, 1);
    } else {
        const int y = view.plot_bottom - Diagramx_int((trigger_level - ch.minimum) * view.plot_height / range + 0.5);
        mark_line(c, {view.plot_left, y}, {right - 1, y}, bg);
        mark_label(c, {view.plot_left + 8, y});
    }
}
