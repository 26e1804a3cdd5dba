#pragma once
// Strip-chart engine: a ring of samples of up to ten channels, automatic or fixed scales, axes,
// grid, traces and titles painted on a plot image or on any other canvas, and the interaction
// on the plot image (zoom box, panning, scroll bar with overview bar, cursors, trigger marks).
//
// A plain object owning its controls inside a parent widget given by its user. Users push samples
// with Add_sample, set the public fields directly and call Redraw or Rescale. GUI thread only.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include <QHash>
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QPolygon>
#include <QRect>
#include <QString>

#include "controls/Graph_draw.h"
#include "scope_core/Paint_pace.h"

class QLabel;
class QScrollBar;
class QTimer;
class QWidget;
class DiagramxHooks;
class Diagramx;

constexpr int CHART_MAX_CHANNELS = 10;
constexpr int CHART_ROW_MIN = 4;          // a row holds at least four doubles
constexpr int CHART_LEFT_TICKS = 100;     // recorded horizontal grid lines
constexpr int CHART_TIME_TICKS = 200;     // recorded vertical grid lines
constexpr int CHART_SCROLL_MAX = 10000;   // scroll bar maximum
constexpr int CHART_NAME_SIZE = 50;
constexpr int CHART_UNIT_SIZE = 20;
constexpr uint32_t CHART_PAINT_MS = 40;   // display rate of asked-for redraws
constexpr double CHART_POINT_LIMIT = 1048576.0;

struct ChartChannelView {
    double maximum = 0;       // current scale
    double minimum = 0;
    double fixed_maximum = 0;
    double fixed_minimum = 0;
    double zoom_maximum = 0;
    double zoom_minimum = 0;
    uint8_t fixed = 0;        // 1: the fixed pair is the scale
    char name[CHART_NAME_SIZE] = {};
    char unit[CHART_UNIT_SIZE] = {};

    // Copies text into the field, cut at the field's size less the terminator.
    void set_name(const QString& text);
    void set_unit(const QString& text);
};

struct ChartViewSettings {
    ChartChannelView channels[CHART_MAX_CHANNELS];
    uint8_t left_channel = 0;    // scale of the left axis, the horizontal grid and the zoom
    uint8_t right_channel = 0;   // scale of the right axis
    double zoom_time_end = 0;    // seconds
    double zoom_time_start = 0;
    double time_end = 0;         // seconds at the right edge of the plot
    double time_start = 0;       // seconds at the left edge
    double end_trim = 0;
    double start_trim = 0;
    int32_t plot_width = 0;
    int32_t plot_height = 0;
    int32_t plot_left = 0;       // relative to the target
    int32_t plot_bottom = 0;
    uint32_t record_length = 0;  // kept samples less one
    uint32_t window_width = 0;   // manual window, samples
    uint32_t window_offset = 0;  // rows from the ring start to the manual window
    uint16_t margin = 0;
    uint32_t background = 0;     // 0x00BBGGRR
    uint8_t automatic = 0;       // 1: follows the newest samples with automatic scales
};

struct ChartAxisTicks {
    double first = 0;
    double step = 0;
    char format[CHART_NAME_SIZE] = {};  // empty: no labels
    uint16_t widest = 0;                // widest label, pixels
};

struct ChartTickTrial {
    double maximum = 0;
    double minimum = 0;
    double first = 0;
    double step = 0;
    uint16_t pixels = 0;
    char format[CHART_NAME_SIZE] = {};
};

struct ChartTick {
    double value = 0;
    uint16_t pixel = 0;
};

struct ChartCursor {
    double value = 0;       // distance from the view's start (time or left-axis minimum)
    double full_scale = 0;  // the span the value was taken in
    int32_t offset = -1;    // pixels from the plot edge; -1 never placed
    uint8_t id = 1;
};

struct ChartRegion;
using ChartDownFn = void (Diagramx::*)(ChartRegion* region, uint8_t button, uint8_t shift, int x, int y);
using ChartMoveFn = void (Diagramx::*)(ChartRegion* region, uint8_t shift, int x, int y);
using ChartUpFn = void (Diagramx::*)(ChartRegion* region);

// A drawing target or a hit region of the plot image.
struct ChartRegion {
    ChartRegion* next = nullptr;
    ChartRegion* child = nullptr;
    Canvas* canvas = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t left = 0;
    int32_t top = 0;
    void* data = nullptr;  // the cursor a handle moves, or the view of the plot region
    ChartDownFn mouse_down = nullptr;
    ChartUpFn mouse_up = nullptr;
    ChartMoveFn mouse_move = nullptr;

    bool contains(int x, int y) const
    {
        return left <= x && x <= left + width && top <= y && y <= top + height;
    }
};

// Text width of a label, pixels.
using ChartTextWidth = std::function<int(const QString&)>;

// The points of a trace reduced to what a pixel grid shows: of each run of points in one pixel
// column only the first, the lowest, the highest and the last are kept, in the order they came,
// so a polyline through them draws the envelope of one through every point.
class ChartColumnTrace {
public:
    void Clear()
    {
        points_.clear();
        open_ = false;
    }
    void Add(const QPoint& p)
    {
        if (open_ && p.x() == last_.x()) {
            if (p.y() < low_.y()) {
                low_ = p;
                low_first_ = false;
            } else if (p.y() > high_.y()) {
                high_ = p;
                low_first_ = true;
            }
            last_ = p;
            return;
        }
        start_column(p);
    }
    // Ends the last column; call once after the last point.
    void Finish();
    const std::vector<QPoint>& Points() const { return points_; }

private:
    void start_column(const QPoint& p);
    void keep(const QPoint& p);
    std::vector<QPoint> points_;
    bool open_ = false;
    QPoint first_, low_, high_, last_;
    bool low_first_ = true;  // the lowest row came before the highest
};

// A computed coordinate or count as an int: truncated towards zero, limited to +-1048576, NaN as 0.
// Every conversion from double to int in the chart's painting goes through it.
inline int Diagramx_int(double x)
{
    if (std::isnan(x))
        return 0;
    return int(std::trunc(std::clamp(x, -CHART_POINT_LIMIT, CHART_POINT_LIMIT)));
}
// True for a value range the chart can draw: finite and not below the smallest range the value tick
// rule steps in normal doubles, whatever the plot height (so never zero or subnormal).
bool Diagramx_range_drawable(double range);

// Value tick rule: ticks of an axis from maximum to minimum with about n labels. A range that is
// not drawable gives no ticks (step 0, empty format).
ChartAxisTicks Diagramx_value_ticks(double maximum, double minimum, int n, const ChartTextWidth& width = {});
// Time tick rule: the finest decade step, refined by 0.2, 0.25 and 0.5, whose labels fit the
// pixels with s pixels between them. A span that is not finite and positive gives no ticks.
ChartAxisTicks Diagramx_time_ticks(double start, double end, int pixels, int s, const ChartTextWidth& width);
// Label text of a tick with the axis format; magnitudes below 1e-16 are written as 0.
QString Diagramx_tick_label(const ChartAxisTicks& ticks, double value);

// Shift set: bit n = element n (0 shift, 1 alt, 2 ctrl, 3 left, 4 right, 5 middle button,
// 6 double click).
enum : uint8_t { ShiftKey = 0, ShiftAlt = 1, ShiftCtrl = 2, ShiftLeft = 3, ShiftRight = 4, ShiftMiddle = 5,
                 ShiftDouble = 6 };
bool Diagramx_shift_has(uint8_t shift, int element);

// Mouse buttons of Mouse_down.
enum : uint8_t { ChartButtonLeft = 0, ChartButtonRight = 1, ChartButtonMiddle = 2 };

// Options that make the light chart out of the same engine.
struct ChartOptions {
    bool strip_and_scroll = true;  // overview strip, bottom panel, scroll bar and scroll timer
    double sample_period = 0.001;
    bool swap_first_colours = false;
    uint8_t bands = 1;             // initial value of the two band flags
};

class Diagramx {
public:
    Diagramx(QWidget* parent, uint8_t channel_count, uint32_t capacity);
    ~Diagramx();
    Diagramx(const Diagramx&) = delete;
    Diagramx& operator=(const Diagramx&) = delete;

    // ---- fields ----
    QWidget* parent = nullptr;
    QPointer<ImageBox> plot_image;
    Canvas* plot_canvas = nullptr;
    QImage clean_copy;
    QTimer* pan_timer = nullptr;
    QPointer<QWidget> bottom_panel;
    QPointer<QScrollBar> scroll_bar;
    QTimer* scroll_timer = nullptr;
    uint32_t last_scroll_position = 0;
    QPointer<ImageBox> overview;
    Canvas* overview_canvas = nullptr;
    uint8_t channel_count = 0;
    uint32_t capacity = 0;
    uint32_t capacity_less_one = 0;
    std::vector<double> rows;          // capacity rows of row_width doubles
    int row_width = CHART_ROW_MIN;     // max(4, channel count)
    ChartColumnTrace traces[CHART_MAX_CHANNELS];  // trace points of the last paint
    uint32_t colours[CHART_MAX_CHANNELS] = {};  // 0x00BBGGRR
    uint8_t shown[CHART_MAX_CHANNELS] = {};
    uint32_t ring_start = 0;
    uint32_t ring_end = 0;
    double sample_period = 0.001;
    ChartAxisTicks left_ticks;
    ChartAxisTicks right_ticks;
    ChartAxisTicks time_ticks;
    uint32_t window_start = 0;
    uint32_t window_end = 0;
    QString value_axis_name;
    uint16_t legend_width = 0;
    uint16_t legend_height = 0;
    uint16_t legend_pitch = 0;     // legend width plus spacing
    uint16_t top_band = 0;
    uint16_t bottom_band = 0;
    QString time_axis_name;
    uint16_t title_height = 0;
    uint8_t time_name_shown = 1;   // the light chart leaves these to its user
    uint8_t title_shown = 1;
    QString title;
    int32_t pan_last_x = 0, pan_last_y = 0, pan_x = 0, pan_y = 0;
    int32_t zoom_x = 0, zoom_y = 0;
    QRect zoom_rect;
    QRect zoom_prev;
    uint8_t zoom_active = 0;
    ChartViewSettings view;
    ChartViewSettings print_view;
    ChartRegion print_target;
    ChartTick left_grid[CHART_LEFT_TICKS];
    uint16_t left_grid_count = 0;
    ChartTick time_grid[CHART_TIME_TICKS];
    uint16_t time_grid_count = 0;
    QLabel* level_readouts[3][CHART_MAX_CHANNELS] = {};  // cursor 1, cursor 2, difference
    QLabel* time_readouts[3] = {};
    ChartCursor cursors[4];        // time 1, time 2, level 1, level 2
    uint16_t readout_width = 0;    // value box of a time handle
    uint16_t readout_height = 0;   // value box height
    uint8_t time_cursors_shown = 0;
    uint8_t level_cursors_shown = 0;
    ChartRegion regions[5];        // plot region, handles of time 1, time 2, level 1, level 2
    ChartRegion* handle_order[4] = {};
    ChartRegion* region_head = nullptr;
    ChartRegion* captured = nullptr;
    uint8_t trigger_shown = 0;
    uint32_t trigger_position = 0;  // samples from the oldest held sample
    double trigger_level = 0;
    uint8_t trigger_channel = 0;

    // Test seams: screen position of the pointer (QCursor::pos when empty), full paints done, the
    // millisecond clock of the paint pacing (Tick_ms when empty).
    std::function<QPoint()> pointer_position;
    uint32_t paint_count = 0;
    std::function<uint32_t()> paint_clock;

    // ---- data and drawing ----
    void Setup(QWidget* parent, uint8_t channel_count, uint32_t capacity);
    void Clear();
    void Add_sample(const double* values, uint8_t count);
    uint32_t Sample_count() const;
    uint32_t Ring_add(uint32_t index, uint32_t n) const;
    uint32_t Ring_distance(uint32_t a, uint32_t b) const;
    double Time_of(uint32_t a, uint32_t b) const;
    void Set_channel_show(uint8_t shown_flag, uint8_t channel);
    void Paint(ChartRegion* target, ChartViewSettings* v);
    void Redraw();
    // A redraw at display rate: painted once CHART_PAINT_MS have passed since the last paint of the
    // chart's own view (by the redraw timer), with the state of that moment. Redraw paints at once.
    void Request_redraw();
    // The redraw timer: paints a waiting redraw that is due, or waits on.
    void Redraw_due();
    bool Redraw_waiting() const { return pace_.Waiting(); }
    // The first step of Clear: the samples and the view position, not the view settings.
    void Empty_samples();
    void Rescale();
    void Resize();
    uint16_t Scale_px(uint16_t n, const ChartRegion* target) const;
    static void Fill_rect(Canvas& canvas, int x, int y, int width, int height, uint32_t colour);

    // True when a sample of `count` values fits the chart; otherwise shows the engine's message.
    bool Sample_ok(const double* values, uint8_t count) const;
    // The kept-sample limit in force: the record length, at most capacity - 2.
    uint32_t Record_limit(const ChartViewSettings& v) const;
    // Row of a ring index.
    double* Row(uint32_t index) { return rows.data() + size_t(index) * size_t(row_width); }
    const double* Row(uint32_t index) const { return rows.data() + size_t(index) * size_t(row_width); }
    // False for a chart refused at construction: it has no controls and no storage.
    bool Usable() const { return !rows.empty(); }

    // ---- interaction ----
    void Image_mouse_down(uint8_t button, uint8_t shift, int x, int y);
    void Image_mouse_move(uint8_t shift, int x, int y);
    void Image_mouse_up();
    void Mouse_down(ChartRegion* region, uint8_t button, uint8_t shift, int x, int y);
    void Mouse_move(ChartRegion* region, uint8_t shift, int x, int y);
    void Mouse_up(ChartRegion* region);
    void Scroll_event();
    void Pan_tick();
    void Scroll_tick();
    ChartRegion* Region_hit(int x, int y);
    uint32_t Window_count() const;
    void Save_clean();
    void Zoom_box_draw();
    void Zoom_apply(ChartRegion* target, ChartViewSettings* v, int left, int top, int right, int bottom);
    void Window_from_zoom(ChartRegion* target, ChartViewSettings* v);
    void Pan_step(ChartRegion* target, ChartViewSettings* v);
    void Pan_stop();
    bool Pointer_inside() const;
    void Scroll_update();
    void Scroll_apply(uint32_t position, uint32_t maximum);
    void Overview_draw();
    void Restore_frame(int left, int top, int right, int bottom);
    void Restore_rect(const QRect& r);
    void Overlays_draw(ChartRegion* handle);
    void Time_cursor_place(ChartCursor& c);
    void Level_cursor_place(ChartCursor& c);
    void Time_cursor_handle_draw(ChartRegion* handle);
    void Level_cursor_handle_draw(ChartRegion* handle);
    // The value box last drawn beside handle k (0, 1: time cursors; 2, 3: level cursors), empty when
    // none is shown.
    QRect Tag_box(int k) const { return k >= 0 && k < 4 ? tag_drawn_[k] : QRect(); }
    // The text that box shows, empty when none is shown.
    QString Tag_text(int k) const { return Tag_box(k).isEmpty() ? QString() : tag_text_[k]; }
    // What cursor k (as for Tag_box) reads, in its box and in its readouts: the value of the grid
    // line at its pixel when one lies exactly there, else the view's start plus the cursor's value
    // (level cursors on the left-axis channel).
    double Cursor_reading(int k) const;
    void Time_cursor_move(ChartRegion* region, uint8_t shift, int x, int y);
    void Level_cursor_move(ChartRegion* region, uint8_t shift, int x, int y);
    void Time_readouts();
    void Level_readouts(uint8_t channel);
    void Trigger_marks_draw();
    static int Tick_find_up(const ChartTick* table, int pixel, int count);
    static int Tick_find_down(const ChartTick* table, int pixel, int count);

protected:
    Diagramx(QWidget* parent, uint8_t channel_count, uint32_t capacity, const ChartOptions& options);
    // Held rows were written in place: the scale is worked out from them anew.
    void Rows_rewritten() { ++sample_gen_; }

private:
    struct Frame;  // one paint's fonts, metrics and target
    void build(QWidget* parent, uint8_t channel_count, uint32_t capacity);
    void layout_children();
    void auto_scale(ChartViewSettings& v, uint32_t count);
    void automatic_time_range(ChartViewSettings& v, uint32_t count);
    void manual_window(ChartViewSettings& v);
    void value_axis(Frame& f, ChartViewSettings& v, bool right);
    void time_axis_ticks(Frame& f, ChartViewSettings& v);
    void draw_grid(Frame& f, ChartViewSettings& v, bool own);
    void draw_traces(Frame& f, ChartViewSettings& v);
    struct ChartYScale {
        double y0, minimum, scale;  // pixel row = y0 - (value - minimum) x scale
    };
    void column_points(ChartColumnTrace& trace, int px, uint32_t i, uint32_t count, int ch,
                       const ChartYScale& ys) const;
    void draw_value_axis(Frame& f, ChartViewSettings& v, bool right);
    void draw_time_axis(Frame& f, ChartViewSettings& v);
    void draw_titles(Frame& f, ChartViewSettings& v);
    void draw_frame(Frame& f, ChartViewSettings& v);
    bool channel_scale_ok(const ChartChannelView& c) const;
    // A channel number of an axis or mark; one beyond the channels counts as channel 0.
    uint8_t axis_channel(uint8_t ch) const { return ch < channel_count ? ch : 0; }
    double newest_time() const;
    double held_time(const ChartViewSettings& v) const;
    void hide_handles();
    bool is_level_handle(const ChartRegion* r) const { return r == &regions[3] || r == &regions[4]; }
    bool is_time_handle(const ChartRegion* r) const { return r == &regions[1] || r == &regions[2]; }
    QRect handle_area(const ChartRegion* handle) const;
    // Draws a handle's shape and its value box, and notes what it drew.
    void handle_draw(const ChartRegion* handle, const QPolygon& shape, const QRect& box);
    // The plot's rectangle with its frame lines.
    QRect plot_rect() const;
    void plot_changed();
    uint32_t paint_now() const;
    QByteArray backdrop_key(const Frame& f, const ChartViewSettings& v, bool plotted) const;
    bool backdrop_reused(Frame& f, const ChartViewSettings& v, const QByteArray& key);
    void backdrop_keep(const Frame& f, const QByteArray& key);
    void take_clean();
    int label_width(const Frame& f, const QString& text);
    const ChartAxisTicks& value_ticks_of(Frame& f, const ChartChannelView& c, int n, bool right);
    const ChartAxisTicks& time_ticks_of(Frame& f, const ChartViewSettings& v);
    void window_extremes();

    // Inputs of a tick rule and its result, reused while the inputs stay the same.
    struct TickMemo {
        double a = 0, b = 0;
        int n = -1, s = 0, dpi = 0;
        ChartAxisTicks ticks;
    };
    // Finite extremes of each channel over the samples numbered from .. to (appended_ counts every
    // sample appended since the generation gen began), with the numbers of the samples holding them.
    struct Extremes {
        uint64_t gen = ~0ull;
        uint64_t from = 0, to = 0;
        double maximum[CHART_MAX_CHANNELS] = {}, minimum[CHART_MAX_CHANNELS] = {};
        uint64_t at_max[CHART_MAX_CHANNELS] = {}, at_min[CHART_MAX_CHANNELS] = {};
        bool found[CHART_MAX_CHANNELS] = {};
    };
    void scan_samples(int ch, uint64_t from, uint64_t to);
    uint32_t row_of(uint64_t number) const;

    ChartOptions options_;
    PaintPace pace_{CHART_PAINT_MS};
    QTimer* redraw_timer_ = nullptr;
    uint64_t sample_gen_ = 0;  // moves on when held rows are emptied or rewritten in place
    uint64_t appended_ = 0;    // samples appended in this generation
    Extremes extremes_;
    TickMemo tick_memo_[3];  // left, right, time
    std::map<int, QHash<QString, int>> label_widths_;  // by target resolution
    struct OverviewShown {
        int width = -1, height = -1;
        uint32_t held_rows = 0, limit = 0;
        double period = 0, start = 0, end = 0;
        bool operator==(const OverviewShown&) const = default;
    };
    OverviewShown overview_shown_;  // what the overview strip shows
    QImage backdrop_;         // the own view without its traces, as last drawn
    QByteArray backdrop_key_;  // what it was drawn from
    bool clean_due_ = false;  // the plot image is clean and the clean copy not yet taken
    DiagramxHooks* hooks_ = nullptr;
    QRect handle_drawn_[4];  // area last drawn by each handle, for restoring
    QRect tag_drawn_[4];     // value box last drawn beside each handle
    QString tag_text_[4];    // and its text, while the box is noted
};
