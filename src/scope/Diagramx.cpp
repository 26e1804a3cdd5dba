// Chart engine: construction, the sample ring, scaling, the tick rules and painting.
#include "scope/Diagramx.h"
#include "scope/Diagramx_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <QEvent>
#include <QFrame>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>

#include "platform/Msgbox.h"
#include "platform/Tick.h"

namespace {

constexpr uint32_t DEFAULT_COLOURS[CHART_MAX_CHANNELS] = {0x008000, 0xFF0000, 0x000080, 0x0000FF, 0x800000,
                                                          0x800080, 0xFF00FF, 0x00FF00, 0x000000, 0x00FFFF};
constexpr uint32_t CHART_BACKGROUND = 0xDDDDDD;
constexpr int OVERVIEW_HEIGHT = 44;
constexpr int PANEL_HEIGHT = 36;
constexpr int PANEL_BORDER = 6;  // border 5 inside a bevel of 1
constexpr int TIMER_MS = 5;
constexpr int HANDLE_SIZE = 20;
constexpr double TICK_ZERO = 1e-16;
// The value tick rule's step exceeds 0.2 x range / max(labels, 10), and a plot has fewer than 1e9
// labels: from this range on the step is a normal double.
constexpr double MIN_RANGE = std::numeric_limits<double>::min() * 1e10;
constexpr int MAX_LABELS = 100000;  // bound of every tick walk
constexpr int MAX_DECADES = 400;    // more than a double's exponent range
constexpr const char* SCI_FORMAT = "0.###e+";
constexpr int LABEL_CACHE_MAX = 4096;  // label widths kept per resolution

void show_warning(const QString& text)
{
    Msgbox_show({MsgIcon::Error, "Warning", text.toStdString(), MsgOk});
}

void copy_text(char* field, size_t size, const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    const size_t n = std::min(size - 1, size_t(bytes.size()));
    std::memset(field, 0, size);
    std::memcpy(field, bytes.constData(), n);
}

void set_format(ChartAxisTicks& t, const QString& format) { copy_text(t.format, sizeof t.format, format); }

// "0." followed by the decimals a step of 10^e needs, plus one for a quarter step.
QString fixed_format(int e, bool extra)
{
    QString f = "0.";
    if (e < 0)
        f += QString(-e, '0');
    if (extra)
        f += '0';
    return f;
}

double tick_value(const ChartAxisTicks& t, int i)
{
    const double v = t.first + i * t.step;
    return std::fabs(v) < TICK_ZERO ? 0.0 : v;
}

// Number of ticks from the first while tick <= maximum, at most limit.
int tick_count(const ChartAxisTicks& t, double maximum, int limit)
{
    if (!(t.step > 0) || !std::isfinite(t.step) || !std::isfinite(t.first))
        return 0;
    int n = 0;
    while (n < limit && t.first + n * t.step <= maximum)
        ++n;
    return n;
}

int widest_label(const ChartAxisTicks& t, int count, const ChartTextWidth& width)
{
    int widest = 0;
    if (!width || !t.format[0])
        return 0;
    for (int i = 0; i < count; ++i)
        widest = std::max(widest, width(Diagramx_tick_label(t, tick_value(t, i))));
    return widest;
}

struct TimeTrial {
    ChartAxisTicks ticks;
    bool fits = false;
};

TimeTrial time_trial(double start, double end, double step, int kind, int pixels, int s,
                     const ChartTextWidth& width)
{
    TimeTrial r;
    if (!(step > 0) || !std::isfinite(step))
        return r;
    ChartTickTrial t;
    t.maximum = end;
    t.minimum = start;
    t.step = step;
    t.pixels = uint16_t(std::clamp(pixels, 0, 65535));
    t.first = std::trunc(start / step) * step;
    if (t.first < start)
        t.first += step;
    const double last = std::trunc(end / step) * step;
    const int e = Diagramx_int(std::floor(std::log10(step)));
    const bool fixed = std::abs(e) <= 3 && std::fabs(last) < 1000 && std::fabs(t.first) < 1000;
    r.ticks.first = t.first;
    r.ticks.step = step;
    set_format(r.ticks, fixed ? fixed_format(e, kind == 4) : QString(SCI_FORMAT));
    const int count = tick_count(r.ticks, end, s > 0 ? pixels / s : 0);
    const int widest = widest_label(r.ticks, count, width);
    r.ticks.widest = uint16_t(std::clamp(widest, 0, 65535));
    r.fits = double(widest + s) * count < pixels;
    return r;
}

}  // namespace

// ---- pure rules ----

bool Diagramx_range_drawable(double range)
{
    return std::isfinite(range) && range >= MIN_RANGE;
}

void ChartChannelView::set_name(const QString& text) { copy_text(name, sizeof name, text); }
void ChartChannelView::set_unit(const QString& text) { copy_text(unit, sizeof unit, text); }


QString Diagramx_tick_label(const ChartAxisTicks& ticks, double value)
{
    return Graph_format_float(QString::fromLatin1(ticks.format), std::fabs(value) < TICK_ZERO ? 0.0 : value);
}

ChartAxisTicks Diagramx_value_ticks(double maximum, double minimum, int n, const ChartTextWidth& width)
{
    ChartAxisTicks t;
    const double range = maximum - minimum;
    if (!Diagramx_range_drawable(range))
        return t;
    double step = std::pow(10.0, std::trunc(std::log10(range)));
    while (step > 0 && std::isfinite(step) && 10 * range / step < n)
        step *= 0.1;
    if (!(step >= std::numeric_limits<double>::min()) || !std::isfinite(step))
        return t;
    bool quarter = false;
    if (std::trunc(5 * range / step) <= n) {
        step *= 0.2;
    } else if (std::trunc(4 * range / step) <= n) {
        step *= 0.25;
        quarter = true;
    } else if (std::trunc(2 * range / step) <= n) {
        step *= 0.5;
    }
    t.step = step;
    t.first = std::trunc(minimum / step) * step;
    if (t.first < minimum)
        t.first += step;
    const int e = Diagramx_int(std::floor(std::log10(step)));
    const bool fixed = std::abs(e) <= 3 && std::fabs(maximum) < 1000 && std::fabs(t.first) < 1000;
    set_format(t, fixed ? fixed_format(e, quarter && step != std::trunc(step)) : QString(SCI_FORMAT));
    const double limit = std::min(std::trunc(range / step) + 1, double(MAX_LABELS));
    t.widest = uint16_t(std::clamp(widest_label(t, tick_count(t, maximum, Diagramx_int(limit)), width), 0, 65535));
    return t;
}

ChartAxisTicks Diagramx_time_ticks(double start, double end, int pixels, int s, const ChartTextWidth& width)
{
    const double span = end - start;
    if (!std::isfinite(span) || !(span > 0) || s <= 0 || pixels / s == 0)
        return {};
    const double base = std::pow(10.0, std::trunc(std::log10(span)));
    TimeTrial best;
    double best_step = span;
    TimeTrial trial = time_trial(start, end, base, 10, pixels, s, width);
    // A trial without labels fits and the next decade is tried; the step reaching 0 ends the
    // loop at the latest.
    for (int decades = 0; trial.fits && decades < MAX_DECADES; ++decades) {
        best = trial;
        best_step = trial.ticks.step;
        trial = time_trial(start, end, best_step * 0.1, 10, pixels, s, width);
    }
    const struct {
        double factor;
        int kind;
    } refinements[] = {{0.2, 5}, {0.25, 4}, {0.5, 2}};
    for (const auto& r : refinements) {
        trial = time_trial(start, end, best_step * r.factor, r.kind, pixels, s, width);
        if (trial.fits) {
            best = trial;
            best_step = trial.ticks.step;
        }
    }
    return best.ticks;
}

// ---- hooks: resize of the parent, mouse of the plot image ----

class DiagramxHooks : public QObject {
public:
    explicit DiagramxHooks(Diagramx* chart) : chart_(chart) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == chart_->parent && event->type() == QEvent::Resize) {
            chart_->Resize();
            return false;
        }
        if (watched != plot_)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* m = static_cast<QMouseEvent*>(event);
            const uint8_t button = m->button() == Qt::RightButton ? ChartButtonRight
                                   : m->button() == Qt::MiddleButton ? ChartButtonMiddle
                                                                     : ChartButtonLeft;
            uint8_t shift = shift_of(m);
            if (event->type() == QEvent::MouseButtonDblClick)
                shift |= 1u << ShiftDouble;
            chart_->Image_mouse_down(button, shift, m->position().toPoint().x(), m->position().toPoint().y());
            return true;
        }
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(event);
            chart_->Image_mouse_move(shift_of(m), m->position().toPoint().x(), m->position().toPoint().y());
            return true;
        }
        case QEvent::MouseButtonRelease:
            chart_->Image_mouse_up();
            return true;
        default:
            return false;
        }
    }

    static uint8_t shift_of(const QMouseEvent* m)
    {
        uint8_t s = 0;
        const auto mods = m->modifiers();
        const auto buttons = m->buttons();
        s |= mods.testFlag(Qt::ShiftModifier) ? 1u << ShiftKey : 0;
        s |= mods.testFlag(Qt::AltModifier) ? 1u << ShiftAlt : 0;
        s |= mods.testFlag(Qt::ControlModifier) ? 1u << ShiftCtrl : 0;
        s |= buttons.testFlag(Qt::LeftButton) ? 1u << ShiftLeft : 0;
        s |= buttons.testFlag(Qt::RightButton) ? 1u << ShiftRight : 0;
        s |= buttons.testFlag(Qt::MiddleButton) ? 1u << ShiftMiddle : 0;
        return s;
    }

    // The watched plot image, compared as an object: it may be in its destructor.
    const QObject* plot_ = nullptr;

private:
    Diagramx* chart_;
};

// ---- construction ----

Diagramx::Diagramx(QWidget* parent_widget, uint8_t count, uint32_t cap)
    : Diagramx(parent_widget, count, cap, ChartOptions{})
{
}

Diagramx::Diagramx(QWidget* parent_widget, uint8_t count, uint32_t cap, const ChartOptions& options)
    : options_(options)
{
    value_axis_name = "F( T )";
    time_axis_name = "T [s]";
    title = "Analyzer";
    Setup(parent_widget, count, cap);
}

void Diagramx::Setup(QWidget* parent_widget, uint8_t count, uint32_t cap)
{
    parent = parent_widget;
    sample_period = options_.sample_period;
    view = ChartViewSettings{};
    ring_start = ring_end = 0;
    capacity = std::max<uint32_t>(cap, 3);
    capacity_less_one = capacity - 1;
    if (count == 0 || count > CHART_MAX_CHANNELS) {
        show_warning(QString("Errore numero diagram, max: %1!").arg(CHART_MAX_CHANNELS));
        return;
    }
    if (!parent)
        return;
    channel_count = count;
    build(parent_widget, count, cap);
    Clear();
}

void Diagramx::build(QWidget* parent_widget, uint8_t count, uint32_t cap)
{
    hooks_ = new DiagramxHooks(this);
    parent->installEventFilter(hooks_);
    if (options_.strip_and_scroll) {
        overview = new ImageBox(parent);
        overview->setObjectName("Diagramx_overview");
        auto* panel = new QFrame(parent);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);  // lowered inner bevel, border 5
        panel->setLineWidth(1);
        bottom_panel = panel;
        bottom_panel->setObjectName("Diagramx_panel");
        scroll_bar = new QScrollBar(Qt::Horizontal, bottom_panel);
        scroll_bar->setObjectName("Diagramx_scroll");
        scroll_bar->setFocusPolicy(Qt::NoFocus);
        scroll_bar->setRange(0, CHART_SCROLL_MAX);
        scroll_bar->setValue(0);
        QObject::connect(scroll_bar, &QScrollBar::actionTriggered, hooks_, [this](int) { Scroll_event(); });
        last_scroll_position = CHART_SCROLL_MAX + 1;
        scroll_timer = new QTimer(hooks_);
        scroll_timer->setTimerType(Qt::PreciseTimer);
        scroll_timer->setInterval(TIMER_MS);
        QObject::connect(scroll_timer, &QTimer::timeout, hooks_, [this] { Scroll_tick(); });
    }
    plot_image = new ImageBox(parent);
    plot_image->setObjectName("Diagramx_plot");
    plot_image->installEventFilter(hooks_);
    hooks_->plot_ = plot_image.data();
    layout_children();
    plot_image->set_image_size(plot_image->width(), plot_image->height());
    plot_canvas = &plot_image->canvas();
    if (overview) {
        overview->set_image_size(overview->width(), OVERVIEW_HEIGHT);
        overview_canvas = &overview->canvas();
    }
    view.left_channel = view.right_channel = 0;
    view.record_length = capacity - 2;
    view.background = CHART_BACKGROUND;
    view.margin = 5;
    view.automatic = 1;

    ChartRegion& plot = regions[0];
    plot.data = &view;
    plot.mouse_down = &Diagramx::Mouse_down;
    plot.mouse_up = &Diagramx::Mouse_up;
    plot.mouse_move = &Diagramx::Mouse_move;
    plot.child = &regions[1];
    for (int i = 1; i <= 4; ++i) {
        ChartRegion& h = regions[i];
        h.canvas = plot_canvas;
        h.width = h.height = HANDLE_SIZE;
        h.data = &cursors[i - 1];
        h.mouse_move = i <= 2 ? &Diagramx::Time_cursor_move : &Diagramx::Level_cursor_move;
        h.next = i < 4 ? &regions[i + 1] : nullptr;
        cursors[i - 1] = ChartCursor{0, 0, -1, uint8_t(i % 2 ? 1 : 2)};
    }
    handle_order[0] = &regions[4];
    handle_order[1] = &regions[3];
    handle_order[2] = &regions[2];
    handle_order[3] = &regions[1];
    region_head = &regions[0];
    hide_handles();

    time_cursors_shown = level_cursors_shown = trigger_shown = 0;
    pan_timer = new QTimer(hooks_);
    pan_timer->setTimerType(Qt::PreciseTimer);
    pan_timer->setInterval(TIMER_MS);
    QObject::connect(pan_timer, &QTimer::timeout, hooks_, [this] { Pan_tick(); });
    redraw_timer_ = new QTimer(hooks_);
    redraw_timer_->setSingleShot(true);
    redraw_timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(redraw_timer_, &QTimer::timeout, hooks_, [this] { Redraw_due(); });

    std::copy(std::begin(DEFAULT_COLOURS), std::end(DEFAULT_COLOURS), colours);
    if (options_.swap_first_colours)
        std::swap(colours[0], colours[1]);
    time_name_shown = title_shown = options_.bands;
    plot_canvas->font = QFont("Arial", 8);
    const QFontMetrics fm(plot_canvas->font, plot_canvas->painter()->device());
    readout_width = uint16_t(fm.horizontalAdvance("-0.0000000") + 4);
    readout_height = uint16_t(fm.height() + 2);
    for (int c = 0; c < CHART_MAX_CHANNELS; ++c)
        shown[c] = c < 4 ? 1 : 0;
    row_width = std::max<int>(CHART_ROW_MIN, count);
    rows.assign(size_t(capacity) * size_t(row_width), 0.0);
    clean_copy = QImage(plot_image->image().size(), QImage::Format_RGB32);
    clean_copy.fill(Qt::white);
    (void)cap;
}

Diagramx::~Diagramx()
{
    if (pan_timer)
        pan_timer->stop();
    if (scroll_timer)
        scroll_timer->stop();
    delete hooks_;  // with both timers; leaves the filter lists
    delete plot_image.data();
    delete overview.data();
    delete bottom_panel.data();  // with its scroll bar
}

void Diagramx::layout_children()
{
    if (!parent)
        return;
    const int w = parent->width();
    int h = parent->height();
    if (bottom_panel) {
        bottom_panel->setGeometry(0, h - PANEL_HEIGHT, w, PANEL_HEIGHT);
        if (scroll_bar)
            scroll_bar->setGeometry(PANEL_BORDER, PANEL_BORDER, std::max(0, w - 2 * PANEL_BORDER),
                                    PANEL_HEIGHT - 2 * PANEL_BORDER);
        h -= PANEL_HEIGHT;
    }
    if (overview) {
        overview->setGeometry(0, h - OVERVIEW_HEIGHT, w, OVERVIEW_HEIGHT);
        h -= OVERVIEW_HEIGHT;
    }
    if (plot_image)
        plot_image->setGeometry(0, 0, w, std::max(0, h));
}

void Diagramx::Clear()
{
    if (!Usable())
        return;
    Empty_samples();
    zoom_active = 0;
    zoom_rect = zoom_prev = QRect();
    plot_changed();
    view.end_trim = view.start_trim = 0;
    view.plot_width = view.plot_height = view.plot_left = view.plot_bottom = 0;
    view.background = CHART_BACKGROUND;
    view.automatic = 1;
    view.margin = 5;
}

void Diagramx::Empty_samples()
{
    ring_start = ring_end = 0;
    window_start = window_end = 0;
    view.window_offset = 0;
    ++sample_gen_;
    appended_ = 0;
}

// The plot region takes the plot canvas and the plot image's size.
void Diagramx::plot_changed()
{
    ChartRegion& plot = regions[0];
    plot.canvas = plot_canvas;
    plot.left = plot.top = 0;
    plot.width = plot_image ? plot_image->image().width() : 0;
    plot.height = plot_image ? plot_image->image().height() : 0;
}

// ---- ring ----

uint32_t Diagramx::Record_limit(const ChartViewSettings& v) const
{
    return std::min(v.record_length, capacity - 2);
}

void Diagramx::Add_sample(const double* values, uint8_t count)
{
    if (!Usable())
        return;
    if (!Sample_ok(values, count))
        return;
    std::copy(values, values + count, Row(ring_end));
    const uint32_t held = Ring_distance(ring_end, ring_start);
    const uint32_t limit = Record_limit(view);
    if (held > limit)
        ring_start = Ring_add(ring_start, held - limit);
    ring_end = Ring_add(ring_end, 1);
    ++appended_;
}

bool Diagramx::Sample_ok(const double* values, uint8_t count) const
{
    if (count == channel_count && values)
        return true;
    show_warning("Error Diagram Num. Dat");
    return false;
}

uint32_t Diagramx::Sample_count() const
{
    if (ring_start == 0 && ring_end == 0)
        return 0;
    if (ring_start < ring_end)
        return ring_end - ring_start;
    return capacity - ring_start + ring_end;
}

uint32_t Diagramx::Ring_add(uint32_t index, uint32_t n) const
{
    if (capacity == 0)
        return 0;
    const uint64_t sum = uint64_t(index) + n;
    return uint32_t(sum < capacity ? sum : sum - capacity < capacity ? sum - capacity : sum % capacity);
}

uint32_t Diagramx::Ring_distance(uint32_t a, uint32_t b) const
{
    return a >= b ? a - b : capacity - (b - a);
}

double Diagramx::Time_of(uint32_t a, uint32_t b) const { return Ring_distance(a, b) * sample_period; }

double Diagramx::newest_time() const { return Time_of(Ring_add(ring_end, capacity - 1), ring_start); }

double Diagramx::held_time(const ChartViewSettings& v) const
{
    const uint32_t n = Sample_count();
    return n == 0 ? 0.0 : std::min(n - 1, Record_limit(v)) * sample_period;
}

void Diagramx::Set_channel_show(uint8_t shown_flag, uint8_t channel)
{
    if (!Usable() || channel >= channel_count)
        return;
    shown[channel] = shown_flag;
    Redraw();
}

void Diagramx::Redraw() { Paint(&regions[0], &view); }

uint32_t Diagramx::paint_now() const { return paint_clock ? paint_clock() : Tick_ms(); }

void Diagramx::Request_redraw()
{
    if (!Usable() || pace_.Waiting())
        return;
    pace_.Ask();
    redraw_timer_->start(int(pace_.Wait_ms(paint_now())));
}

void Diagramx::Redraw_due()
{
    if (!pace_.Waiting())
        return;
    const uint32_t wait = pace_.Wait_ms(paint_now());
    if (wait > 0)
        redraw_timer_->start(int(wait));
    else
        Redraw();
}

void Diagramx::Rescale()
{
    if (!Usable())
        return;
    view.automatic = 1;
    Redraw();
}

void Diagramx::Resize()
{
    if (!Usable() || !plot_image)
        return;
    layout_children();
    plot_image->set_image_size(plot_image->width(), plot_image->height());
    if (overview)
        overview->set_image_size(overview->width(), OVERVIEW_HEIGHT);
    clean_copy = QImage(plot_image->image().size(), QImage::Format_RGB32);
    if (scroll_bar)
        scroll_bar->setEnabled(false);
    plot_changed();
    Redraw();
    if (scroll_bar)
        scroll_bar->update();
}

uint16_t Diagramx::Scale_px(uint16_t n, const ChartRegion* target) const
{
    const int plot_dpi = plot_image && !plot_image->image().isNull() ? plot_image->image().logicalDpiY() : 96;
    int target_dpi = plot_dpi;
    if (target && target->canvas && target->canvas->active())
        target_dpi = target->canvas->painter()->device()->logicalDpiY();
    if (plot_dpi <= 0 || target_dpi <= 0)
        return n;
    return uint16_t(std::min<int64_t>(int64_t(n) * target_dpi / plot_dpi, 65535));
}

void Diagramx::Fill_rect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour)
{
    canvas.brush = QBrush(bgr(colour));
    canvas.fill_rect({x, y, x + width, y + height});
}

// ---- painting ----


bool Diagramx::channel_scale_ok(const ChartChannelView& c) const
{
    return Diagramx_range_drawable(c.maximum - c.minimum) && std::isfinite(c.minimum);
}

void Diagramx::Paint(ChartRegion* target, ChartViewSettings* vp)
{
    if (!Usable() || !target || !vp || !target->canvas || !target->canvas->active())
        return;
    ++paint_count;
    ChartViewSettings& v = *vp;
    Frame f(*target, v.background);
    const bool own = target->canvas == plot_canvas;
    if (own) {
        pace_.Painted(paint_now());
        redraw_timer_->stop();
    }
    const auto S = [&](uint16_t n) { return int(Scale_px(n, target)); };
    v.margin = uint16_t(S(5));
    f.c.painter()->save();

    title_height = uint16_t(f.metrics(f.title_font).height());
    f.h = f.metrics(f.legend_font).height();
    f.axis_h = f.metrics(f.axis_font).height();
    bottom_band = uint16_t((title_shown ? S(2) : 0) + (time_name_shown ? title_height + S(5) : 0));
    legend_width = uint16_t(f.h + f.metrics(f.legend_font).horizontalAdvance("CH 0") + 6);
    legend_height = uint16_t(2 * f.h);
    legend_pitch = uint16_t(legend_width + f.h);
    top_band = uint16_t(title_shown ? legend_height + f.h : f.h / 2);
    v.plot_height = f.H - (top_band + v.margin + S(4) + f.h + bottom_band);
    const bool drawable = v.plot_height > 0 && 2 * S(35) < f.W;
    if (drawable) {
        v.plot_bottom = top_band + v.plot_height;
        const uint32_t count = Sample_count();
        if (v.automatic) {
            window_start = count > 0 ? ring_start : 0;
            window_end = count == 0 ? 0
                         : Record_limit(v) + 1 < count ? Ring_add(ring_start, Record_limit(v) + 1)
                                                        : ring_end;
            auto_scale(v, count);
            automatic_time_range(v, count);
        } else {
            manual_window(v);
        }
        value_axis(f, v, false);
        value_axis(f, v, true);
    } else {
        v.plot_width = v.plot_height = 0;
    }
    const bool plotted = drawable && v.plot_width > 0;
    if (plotted)
        time_axis_ticks(f, v);
    // Everything but the traces lies outside the plot or under the traces: the backdrop.
    const QByteArray key = own ? backdrop_key(f, v, plotted) : QByteArray();
    if (!own || !backdrop_reused(f, v, key)) {
        Fill_rect(f.c, f.L, f.T, f.W, f.H, v.background);
        if (plotted) {
            draw_grid(f, v, own);
            draw_value_axis(f, v, false);
            draw_value_axis(f, v, true);
            draw_titles(f, v);
            draw_time_axis(f, v);
            draw_frame(f, v);
        }
        if (own)
            backdrop_keep(f, key);
    }
    if (plotted)
        draw_traces(f, v);
    f.c.painter()->restore();
    if (!own)
        return;
    Save_clean();
    if (zoom_active)
        Zoom_box_draw();
    Overlays_draw(nullptr);
    if (overview)
        Overview_draw();
    plot_image->update();
}

uint32_t Diagramx::row_of(uint64_t number) const
{
    return Ring_add(ring_end, uint32_t(capacity - (appended_ - number) % capacity));
}

void Diagramx::scan_samples(int ch, uint64_t from, uint64_t to)
{
    Extremes& e = extremes_;
    uint32_t i = row_of(from);
    for (uint64_t k = from; k < to; ++k, i = Ring_add(i, 1)) {
        const double x = Row(i)[ch];
        if (!std::isfinite(x))
            continue;
        if (!e.found[ch] || x >= e.maximum[ch]) {
            e.maximum[ch] = x;
            e.at_max[ch] = k;
        }
        if (!e.found[ch] || x < e.minimum[ch]) {
            e.minimum[ch] = x;
            e.at_min[ch] = k;
        }
        e.found[ch] = true;
    }
}

// The extremes of the window's rows: samples that joined it are scanned, and a channel whose
// extreme left it is scanned anew.
void Diagramx::window_extremes()
{
    const uint32_t held = Sample_count();
    if (appended_ < held) {  // rows written in place of appending
        appended_ = held;
        ++sample_gen_;
    }
    const uint64_t to = appended_ - Ring_distance(ring_end, window_end) % capacity;
    const uint64_t from = to - Ring_distance(window_end, window_start);
    Extremes& e = extremes_;
    if (e.gen != sample_gen_ || from < e.from || to < e.to || e.to < from) {
        e = Extremes{};
        e.gen = sample_gen_;
        e.from = e.to = from;
    }
    for (int ch = 0; ch < channel_count; ++ch) {
        if (e.found[ch] && e.at_max[ch] >= from && e.at_min[ch] >= from) {
            scan_samples(ch, e.to, to);
            continue;
        }
        e.found[ch] = false;
        scan_samples(ch, from, to);
    }
    e.from = from;
    e.to = to;
}

void Diagramx::auto_scale(ChartViewSettings& v, uint32_t count)
{
    if (count > 0)
        window_extremes();
    for (int ch = 0; ch < channel_count; ++ch) {
        ChartChannelView& c = v.channels[ch];
        const bool found = count > 0 && !c.fixed && extremes_.found[ch];
        if (found) {
            c.maximum = extremes_.maximum[ch];
            c.minimum = extremes_.minimum[ch];
        }
        if (c.fixed) {
            double hi = c.fixed_maximum, lo = c.fixed_minimum;
            if (!std::isfinite(hi) || !std::isfinite(lo)) {
                hi = 1.0;
                lo = -1.0;
            } else if (hi < lo) {
                std::swap(hi, lo);
            }
            c.maximum = hi;
            c.minimum = lo;
        } else if (!found) {
            c.maximum = 1.0;
            c.minimum = -1.0;
            continue;
        }
        const double r = c.maximum - c.minimum;
        if (std::isfinite(r) && !Diagramx_range_drawable(r)) {
            c.maximum += 1;
            c.minimum -= 1;
        } else if (!c.fixed) {
            c.maximum += 0.05 * r;
            c.minimum -= 0.05 * r;
        }
    }
}

void Diagramx::automatic_time_range(ChartViewSettings& v, uint32_t count)
{
    if (count == 0) {
        v.time_start = 0;
        v.time_end = Record_limit(v) * sample_period;
        return;
    }
    v.time_start = Time_of(window_start, ring_start);
    v.time_end = Time_of(Ring_add(window_end, capacity - 1), ring_start);
    if (v.time_start == v.time_end) {
        v.time_end += 1;
        v.time_start -= 1;
    }
}

void Diagramx::manual_window(ChartViewSettings& v)
{
    for (int ch = 0; ch < channel_count; ++ch) {
        v.channels[ch].maximum = v.channels[ch].zoom_maximum;
        v.channels[ch].minimum = v.channels[ch].zoom_minimum;
    }
    const uint32_t count = Sample_count();
    const uint32_t offset = std::min(v.window_offset, count);
    const uint32_t width = std::min(v.window_width, count - offset);
    window_start = Ring_add(ring_start, offset);
    window_end = Ring_add(window_start, width);
    v.time_start = Time_of(window_start, ring_start) + v.start_trim;
    v.time_end = Time_of(window_end, ring_start) - v.end_trim;
}

void Diagramx::value_axis(Frame& f, ChartViewSettings& v, bool right)
{
    const auto S = [&](uint16_t n) { return int(Scale_px(n, &f.target)); };
    const uint8_t ch = right ? v.right_channel : v.left_channel;
    const ChartChannelView& c = v.channels[axis_channel(ch)];
    const int n = v.plot_height / std::max(1, 3 * f.axis_h);
    ChartAxisTicks& t = right ? right_ticks : left_ticks;
    t = value_ticks_of(f, c, n, right);
    if (!right) {
        v.plot_left = S(5) + t.widest + S(3) + v.margin / 2;
        v.plot_width = f.W - (f.metrics(f.axis_font).horizontalAdvance("-0.000e+0") / 2 + v.plot_left + S(5));
    } else {
        v.plot_width = f.W - (S(5) + v.plot_left + t.widest + S(6) + v.margin / 2);
    }
}

void Diagramx::time_axis_ticks(Frame& f, ChartViewSettings& v) { time_ticks = time_ticks_of(f, v); }

int Diagramx::label_width(const Frame& f, const QString& text)
{
    QHash<QString, int>& widths = label_widths_[f.dpi()];
    const auto found = widths.constFind(text);
    if (found != widths.constEnd())
        return *found;
    if (widths.size() >= LABEL_CACHE_MAX)
        widths.clear();
    const int w = f.metrics(f.axis_font).horizontalAdvance(text);
    widths.insert(text, w);
    return w;
}

const ChartAxisTicks& Diagramx::value_ticks_of(Frame& f, const ChartChannelView& c, int n, bool right)
{
    TickMemo& m = tick_memo_[right ? 1 : 0];
    if (m.a != c.maximum || m.b != c.minimum || m.n != n || m.dpi != f.dpi()) {
        m = {c.maximum, c.minimum, n, 0, f.dpi(), {}};
        m.ticks = Diagramx_value_ticks(c.maximum, c.minimum, n, [&](const QString& s) { return label_width(f, s); });
    }
    return m.ticks;
}

const ChartAxisTicks& Diagramx::time_ticks_of(Frame& f, const ChartViewSettings& v)
{
    TickMemo& m = tick_memo_[2];
    const int s = Scale_px(14, &f.target);
    if (m.a != v.time_start || m.b != v.time_end || m.n != v.plot_width || m.s != s || m.dpi != f.dpi()) {
        m = {v.time_start, v.time_end, v.plot_width, s, f.dpi(), {}};
        m.ticks = Diagramx_time_ticks(v.time_start, v.time_end, v.plot_width, s,
                                      [&](const QString& t) { return label_width(f, t); });
    }
    return m.ticks;
}

namespace {

// Pixel of a value on an axis of `pixels` over `range` from `low`, rounded; within +-limit.
int axis_pixel(double value, double low, double range, int pixels)
{
    return Diagramx_int(pixels * (value - low) / range + 0.5);
}

// Minor divisions of a step of step_px pixels: the first of 5, 4, 3, 2, 1 with parts of 8 pixels.
int minor_divisions(double step_px)
{
    for (int d : {5, 4, 3, 2})
        if (step_px / d >= 8)
            return d;
    return 1;
}

}  // namespace

void Diagramx::draw_grid(Frame& f, ChartViewSettings& v, bool own)
{
    const ChartChannelView& c = v.channels[axis_channel(v.left_channel)];
    f.c.pen = QPen(clGray, 1, Qt::DotLine);
    const int top = v.plot_bottom - v.plot_height;
    const int right = v.plot_left + v.plot_width - 1;
    if (own)
        left_grid_count = time_grid_count = 0;
    if (channel_scale_ok(c)) {
        const double range = c.maximum - c.minimum;
        const int n = tick_count(left_ticks, c.maximum, v.plot_height + 1);
        for (int i = 0; i < n; ++i) {
            const double tick = tick_value(left_ticks, i);
            const int row = v.plot_bottom - axis_pixel(tick, c.minimum, range, v.plot_height);
            if (row >= top && row <= v.plot_bottom)
                f.line(v.plot_left, row, right, row);
            if (own && left_grid_count < CHART_LEFT_TICKS)
                left_grid[left_grid_count++] = {tick, uint16_t(std::clamp(row, 0, 65535))};
        }
    }
    const double span = v.time_end - v.time_start;
    if (time_ticks.format[0]) {
        const int n = tick_count(time_ticks, v.time_end, v.plot_width + 1);
        for (int i = 0; i < n; ++i) {
            const double t = tick_value(time_ticks, i);
            const int col = v.plot_left + axis_pixel(t, v.time_start, span, v.plot_width);
            f.line(col, top, col, v.plot_bottom);
            if (own && time_grid_count < CHART_TIME_TICKS)
                time_grid[time_grid_count++] = {t, uint16_t(std::clamp(col, 0, 65535))};
        }
    }
    f.c.pen = QPen(Qt::black, 1, Qt::SolidLine);
}


void Diagramx::draw_value_axis(Frame& f, ChartViewSettings& v, bool right)
{
    const auto S = [&](uint16_t n) { return int(Scale_px(n, &f.target)); };
    const uint8_t ch = right ? v.right_channel : v.left_channel;
    const ChartChannelView& c = v.channels[axis_channel(ch)];
    const ChartAxisTicks& t = right ? right_ticks : left_ticks;
    if (!channel_scale_ok(c) || !t.format[0])
        return;
    const double range = c.maximum - c.minimum;
    const int edge = right ? v.plot_left + v.plot_width : v.plot_left - 1;
    const int out = right ? 1 : -1;
    const int top = v.plot_bottom - v.plot_height;
    const int n = tick_count(t, c.maximum, v.plot_height + 1);
    const double step_px = v.plot_height * t.step / range;
    const int div = minor_divisions(step_px);
    f.c.pen = QPen(Qt::black, 1, Qt::SolidLine);
    for (int i = -1; i < n; ++i) {
        for (int m = 0; m < div; ++m) {
            const double value = t.first + (i + double(m) / div) * t.step;
            const int row = v.plot_bottom - axis_pixel(value, c.minimum, range, v.plot_height);
            if (row < top || row > v.plot_bottom)
                continue;
            f.line(edge, row, edge + out * (m == 0 ? S(4) : S(2)), row);
        }
        if (i < 0)
            continue;
        const double value = tick_value(t, i);
        const int row = v.plot_bottom - axis_pixel(value, c.minimum, range, v.plot_height);
        const int half = f.axis_h / 2;
        const DrawRect r = right ? DrawRect{f.L + edge + S(5), f.T + row - half, f.L + f.W, f.T + row - half + f.axis_h}
                                 : DrawRect{f.L, f.T + row - half, f.L + edge - S(4), f.T + row - half + f.axis_h};
        f.text(f.axis_font, r, right ? AlignLeft : AlignRight, Diagramx_tick_label(t, value));
    }
}

void Diagramx::draw_titles(Frame& f, ChartViewSettings& v)
{
    const auto S = [&](uint16_t n) { return int(Scale_px(n, &f.target)); };
    if (time_name_shown) {
        const int top = f.H - bottom_band + (title_shown ? S(2) : 0);
        f.text(f.title_font, {f.L, f.T + top, f.L + f.W, f.T + top + title_height}, AlignCentre, time_axis_name);
    }
    if (!title_shown)
        return;
    f.text(f.title_font, {f.L + f.W / 3, f.T, f.L + 2 * f.W / 3, f.T + legend_height}, AlignCentre, title);
    for (bool right : {false, true}) {
        const uint8_t ch = right ? v.right_channel : v.left_channel;
        const uint8_t n = axis_channel(ch);
        const ChartChannelView& c = v.channels[n];
        const QString header = QString("CH %1 [%2]").arg(n + 1).arg(QString::fromLatin1(c.unit));
        const QFontMetrics fm = f.metrics(f.legend_font);
        const int width = f.h + S(3) + fm.horizontalAdvance(header);
        // The name's box ends where the wider of name and header does: at the right edge less the
        // margin for the right axis' channel.
        const int box = std::max(width, fm.horizontalAdvance(QString::fromLatin1(c.name)));
        const int x = right ? f.W - S(5) - box : S(5);
        f.text(f.legend_font, {f.L + x, f.T, f.L + x + box, f.T + f.h}, AlignLeft, QString::fromLatin1(c.name));
        f.c.pen = QPen(bgr(colours[n]), 1);
        f.c.brush = QBrush(bgr(colours[n]));
        f.c.painter()->setPen(f.c.pen);
        f.c.painter()->setBrush(f.c.brush);
        f.c.painter()->drawEllipse(QRect(f.L + x + 1, f.T + f.h + 1, f.h - 2, f.h - 2));
        f.text(f.legend_font, {f.L + x + f.h + S(2), f.T + f.h, f.L + x + width + S(2), f.T + 2 * f.h}, AlignLeft,
               header);
    }
}

void Diagramx::draw_time_axis(Frame& f, ChartViewSettings& v)
{
    const auto S = [&](uint16_t n) { return int(Scale_px(n, &f.target)); };
    if (!time_ticks.format[0])
        return;
    const double span = v.time_end - v.time_start;
    const int n = tick_count(time_ticks, v.time_end, v.plot_width + 1);
    const double step_px = v.plot_width * time_ticks.step / span;
    const int div = minor_divisions(step_px);
    const int y = v.plot_bottom + 1;
    f.c.pen = QPen(Qt::black, 1, Qt::SolidLine);
    for (int i = -1; i < n; ++i) {
        for (int m = 0; m < div; ++m) {
            const double t = time_ticks.first + (i + double(m) / div) * time_ticks.step;
            const int col = v.plot_left + axis_pixel(t, v.time_start, span, v.plot_width);
            if (col < v.plot_left || col > v.plot_left + v.plot_width)
                continue;
            f.line(col, y, col, y + (m == 0 ? S(4) : S(2)));
        }
        if (i < 0)
            continue;
        const double t = tick_value(time_ticks, i);
        const int col = v.plot_left + axis_pixel(t, v.time_start, span, v.plot_width);
        const int half = (time_ticks.widest + S(14)) / 2;
        f.text(f.axis_font, {f.L + col - half, f.T + y + S(4), f.L + col + half, f.T + y + S(4) + f.axis_h},
               AlignCentre, Diagramx_tick_label(time_ticks, t));
    }
}

namespace {

template <typename T>
void key_add(QByteArray& key, const T& value)
{
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void key_add_ticks(QByteArray& key, const ChartAxisTicks& t)
{
    key_add(key, t.first);
    key_add(key, t.step);
    key_add(key, t.widest);
    key.append(t.format);
    key.append('\0');
}

void key_add_text(QByteArray& key, const QString& text)
{
    key.append(reinterpret_cast<const char*>(text.constData()), text.size() * qsizetype(sizeof(QChar)));
    key.append('\0');
}

}  // namespace

// What the backdrop of the chart's own view is drawn from.
QByteArray Diagramx::backdrop_key(const Frame& f, const ChartViewSettings& v, bool plotted) const
{
    QByteArray key;
    for (int n : {f.L, f.T, f.W, f.H, f.dpi(), int(plotted), v.plot_left, v.plot_width, v.plot_height, v.plot_bottom,
                  int(v.margin), int(top_band), int(bottom_band), int(legend_height), int(title_height),
                  int(title_shown), int(time_name_shown)})
        key_add(key, n);
    key_add(key, v.background);
    key_add(key, v.time_start);
    key_add(key, v.time_end);
    for (const ChartAxisTicks* t : {&left_ticks, &right_ticks, &time_ticks})
        key_add_ticks(key, *t);
    for (const uint8_t ch : {axis_channel(v.left_channel), axis_channel(v.right_channel)}) {
        const ChartChannelView& c = v.channels[ch];
        key_add(key, ch);
        key_add(key, colours[ch]);
        key_add(key, c.maximum);
        key_add(key, c.minimum);
        key.append(c.name, qsizetype(strnlen(c.name, sizeof c.name)));
        key.append('\0');
        key.append(c.unit, qsizetype(strnlen(c.unit, sizeof c.unit)));
        key.append('\0');
    }
    key_add_text(key, title);
    key_add_text(key, time_axis_name);
    return key;
}

// The backdrop drawn from the same inputs last time put back: only the plot, where the traces
// were, while nothing else was drawn on the picture since.
bool Diagramx::backdrop_reused(Frame& f, const ChartViewSettings& v, const QByteArray& key)
{
    if (key != backdrop_key_ || backdrop_.size() != QSize(f.W, f.H))
        return false;
    const QRect plot(v.plot_left, v.plot_bottom - v.plot_height, v.plot_width, v.plot_height);
    const QRect area = clean_due_ ? plot.intersected(backdrop_.rect()) : backdrop_.rect();
    QPainter& p = *f.c.painter();
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(area.topLeft() + QPoint(f.L, f.T), backdrop_, area);
    p.restore();
    return true;
}

void Diagramx::backdrop_keep(const Frame& f, const QByteArray& key)
{
    const QImage& img = plot_image->image();
    const QRect area(f.L, f.T, f.W, f.H);
    if (area == img.rect() && backdrop_.size() == img.size() && backdrop_.format() == img.format())
        std::memcpy(backdrop_.bits(), img.constBits(), size_t(img.sizeInBytes()));
    else
        backdrop_ = img.copy(area);
    backdrop_key_ = key;
}

void Diagramx::draw_frame(Frame& f, ChartViewSettings& v)
{
    const int top = v.plot_bottom - v.plot_height;
    const int right = v.plot_left + v.plot_width;
    f.c.pen = QPen(Qt::black, 1, Qt::SolidLine);
    f.line(v.plot_left - 1, top - 1, right, top - 1);
    f.line(right, top - 1, right, v.plot_bottom);
    f.line(right, v.plot_bottom, v.plot_left - 1, v.plot_bottom);
    f.line(v.plot_left - 1, v.plot_bottom, v.plot_left - 1, top - 1);
}
