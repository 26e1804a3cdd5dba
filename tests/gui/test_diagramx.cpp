// Chart engine and light chart: tick rules, label formats, ring, scales, painting on screen and
// on a print target, zoom, pan, scroll, cursors, trigger marks and degenerate fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QFontMetrics>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPicture>
#include <QScrollBar>
#include <QTimer>

#include "gui_app.h"
#include "platform/Msgbox.h"
#include "scope/Diagramx.h"
#include "tools/Diagramxlt.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr uint8_t LEFT = 1u << ShiftLeft;
constexpr uint8_t RIGHT = 1u << ShiftRight;

int count_colour(const QImage& img, uint32_t bgr_value)
{
    const QRgb want = bgr_to_rgb(bgr_value);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) | 0xFF000000u) == want;
    return n;
}

ChartTextWidth six_per_char()
{
    return [](const QString& s) { return 6 * int(s.size()); };
}

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        saved_locale_ = QLocale();
        QLocale::setDefault(QLocale::c());
        previous_ = Msgbox_set_sink([this](const MsgRequest& r) {
            messages.push_back(r.title + "|" + r.text);
            return MsgOk;
        });
        parent = std::make_unique<QWidget>();
        parent->resize(800, 600);
    }
    void TearDown() override
    {
        lt.reset();
        chart.reset();
        parent.reset();
        Msgbox_set_sink(previous_);
        QLocale::setDefault(saved_locale_);
    }

    Diagramx& make(uint8_t channels = 4, uint32_t capacity = 40002)
    {
        chart = std::make_unique<Diagramx>(parent.get(), channels, capacity);
        chart->Resize();
        return *chart;
    }
    // Samples 0..n-1 of four channels: a ramp, its negative, a sine and a constant.
    void fill(Diagramx& d, int n)
    {
        for (int i = 0; i < n; ++i) {
            const double row[4] = {double(i), -double(i), std::sin(i * 0.01) * 5, 3.0};
            d.Add_sample(row, 4);
        }
    }
    int plot_top() const { return chart->view.plot_bottom - chart->view.plot_height; }

    std::unique_ptr<QWidget> parent;
    std::unique_ptr<Diagramx> chart;
    std::unique_ptr<DiagramxLt> lt;
    std::vector<std::string> messages;

private:
    MsgSink previous_;
    QLocale saved_locale_;
};

}  // namespace

// ---- formats and tick rules ----

TEST(ChartFormat, ScientificAndFixedPatterns)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const struct {
        const char* pattern;
        double value;
        const char* text;
    } cases[] = {
        {"0.", 7, "7"},           {"0.", -4, "-4"},          {"0.", 2.6, "3"},
        {"0.###e+", 25000, "2.5e+4"}, {"0.###e+", 0.00025, "2.5e-4"}, {"0.###e+", -1500, "-1.5e+3"},
        {"0.###e+", 1, "1e+0"},   {"0.###e+", 99999, "1e+5"},  {"0.###e+", 0.0012346, "1.235e-3"},
        {"0.###e+", 0, "0e+0"},   {"0.###E-00", 25000, "2.5E04"}, {"0.###E-", 0.025, "2.5E-2"},
        {"0.000", -0.0001, "0.000"}, {"0.0000000", 0.125, "0.1250000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Graph_format_float(c.pattern, c.value).toStdString(), c.text) << c.pattern << " " << c.value;
    QLocale::setDefault(QLocale(QLocale::Italian));
    EXPECT_EQ(Graph_format_float("0.00", 0.25), "0,25");
    EXPECT_EQ(Graph_format_float("0.###e+", 25000), "2,5e+4");
    QLocale::setDefault(saved);
}

TEST(ChartTicks, ValueRule)
{
    const struct {
        double max, min;
        double first, step;
        const char* format;
    } cases[] = {
        {7.3, 0, 0, 1, "0."},          {10, 0, 0, 2, "0."},         {2, 0, 0, 0.25, "0.00"},
        {20, 0, 0, 2.5, "0.0"},        {100, -100, -100, 25, "0."}, {0.005, 0, 0, 0.001, "0.000"},
        {20000, 0, 0, 2500, "0.###e+"}, {0.002, 0, 0, 0.00025, "0.###e+"},
        {10.45, 0.55, 1, 1, "0."},     {1, -1, -1, 0.25, "0.00"},
    };
    for (const auto& c : cases) {
        const ChartAxisTicks t = Diagramx_value_ticks(c.max, c.min, 8);
        EXPECT_DOUBLE_EQ(t.first, c.first) << c.max << " " << c.min;
        EXPECT_DOUBLE_EQ(t.step, c.step) << c.max << " " << c.min;
        EXPECT_STREQ(t.format, c.format) << c.max << " " << c.min;
    }
    // Widest label over the ticks from the first up to the maximum.
    EXPECT_EQ(Diagramx_value_ticks(100, -100, 8, six_per_char()).widest, 4 * 6);  // "-100"
    // Ranges that are not finite and positive give no ticks, at once; so does a range whose
    // step would shrink to nothing, with many labels or with few (a subnormal range).
    const struct {
        double max, min;
        int n;
    } none[] = {{NaN, 0.0, 100000}, {-5.0, 5.0, 100000}, {1.0, 1.0, 100000}, {INFINITY, 0.0, 100000},
                {1e-320, 0.0, 100000}, {1.5e-323, 0.0, 8}, {DBL_MAX, -DBL_MAX, 8}};
    for (const auto& c : none) {
        const ChartAxisTicks t = Diagramx_value_ticks(c.max, c.min, c.n, six_per_char());
        EXPECT_EQ(t.step, 0) << c.max << " " << c.n;
        EXPECT_EQ(t.format[0], '\0') << c.max << " " << c.n;
    }
}

TEST(ChartTicks, TimeRule)
{
    const struct {
        double start, end;
        double first, step;
        const char* format;
        int labels;
    } cases[] = {
        {0, 40, 0, 5, "0.", 9},
        {0, 255, 0, 20, "0.", 13},
        {0, 1, 0, 0.1, "0.0", 11},
        {0.25, 0.75, 0.25, 0.05, "0.00", 11},
        {0.135, 0.405, 0.15, 0.025, "0.000", 11},  // no tick at the base step: finer decades tried
        {0, 0.01, 0, 0.001, "0.000", 11},
    };
    for (const auto& c : cases) {
        const ChartAxisTicks t = Diagramx_time_ticks(c.start, c.end, 500, 14, six_per_char());
        EXPECT_DOUBLE_EQ(t.step, c.step) << c.end;
        EXPECT_NEAR(t.first, c.first, 1e-12) << c.end;
        EXPECT_STREQ(t.format, c.format) << c.end;
        EXPECT_EQ(int(std::floor((c.end - t.first) / t.step + 1e-9)) + 1, c.labels) << c.end;
    }
    for (const auto& [start, end] : {std::pair{0.0, 0.0}, {5.0, 1.0}, {0.0, NaN}, {NaN, 1.0}}) {
        const ChartAxisTicks t = Diagramx_time_ticks(start, end, 500, 14, six_per_char());
        EXPECT_EQ(t.format[0], '\0');
        EXPECT_EQ(t.step, 0);
    }
    // Too narrow for any label: none.
    EXPECT_EQ(Diagramx_time_ticks(0, 40, 10, 14, six_per_char()).format[0], '\0');
}

// ---- construction and ring ----

TEST_F(ChartTest, ConstructionDefaultsAndRefusals)
{
    Diagramx& d = make();
    EXPECT_EQ(d.view.record_length, 40000u);
    EXPECT_DOUBLE_EQ(d.sample_period, 0.001);
    EXPECT_EQ(d.value_axis_name, "F( T )");
    EXPECT_EQ(d.time_axis_name, "T [s]");
    EXPECT_EQ(d.title, "Analyzer");
    EXPECT_EQ((std::vector<uint8_t>(d.shown, d.shown + 10)), (std::vector<uint8_t>{1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d.colours[0], 0x008000u);
    EXPECT_EQ(d.colours[1], 0xFF0000u);
    EXPECT_EQ(d.colours[2], 0x000080u);
    EXPECT_EQ(d.colours[3], 0x0000FFu);
    EXPECT_EQ(d.row_width, 4);
    EXPECT_EQ(d.view.automatic, 1);
    EXPECT_EQ(d.last_scroll_position, 10001u);
    ASSERT_TRUE(d.scroll_bar);
    EXPECT_EQ(d.scroll_bar->maximum(), 10000);
    EXPECT_TRUE(messages.empty());

    // Wrong sample width: one message, ring unchanged.
    const double three[3] = {1, 2, 3};
    d.Add_sample(three, 3);
    EXPECT_EQ(messages, (std::vector<std::string>{"Warning|Error Diagram Num. Dat"}));
    EXPECT_EQ(d.Sample_count(), 0u);
    EXPECT_EQ(d.ring_end, 0u);

    // Names and units are cut at their fields.
    d.view.channels[0].set_name(QString(60, 'n'));
    d.view.channels[0].set_unit(QString(30, 'u'));
    EXPECT_EQ(std::string(d.view.channels[0].name), std::string(49, 'n'));
    EXPECT_EQ(std::string(d.view.channels[0].unit), std::string(19, 'u'));

    // Channel 10 on a four-channel chart changes nothing.
    d.Set_channel_show(0, 10);
    EXPECT_EQ(d.shown[3], 1);

    // More than ten channels: one message, no controls, every operation inert, delete safe.
    chart.reset();
    messages.clear();
    QWidget bare;
    auto refused = std::make_unique<Diagramx>(&bare, 11, 100);
    EXPECT_EQ(messages, (std::vector<std::string>{"Warning|Errore numero diagram, max: 10!"}));
    EXPECT_TRUE(bare.children().isEmpty());
    const double eleven[11] = {};
    refused->Add_sample(eleven, 11);
    refused->Redraw();
    refused->Resize();
    refused->Clear();
    refused->Image_mouse_down(ChartButtonLeft, LEFT, 1, 1);
    refused->Image_mouse_up();
    EXPECT_EQ(refused->Sample_count(), 0u);
    EXPECT_EQ(messages.size(), 1u);
    refused.reset();

    // Five to ten channels get rows of that many doubles.
    auto wide = std::make_unique<Diagramx>(&bare, 6, 10);
    const double six[6] = {1, 2, 3, 4, 5, 6};
    wide->Add_sample(six, 6);
    EXPECT_EQ(wide->row_width, 6);
    EXPECT_DOUBLE_EQ(wide->Row(0)[5], 6);
}

TEST_F(ChartTest, RingKeepsRecordLengthPlusOne)
{
    const struct {
        uint32_t record_length_after;  // set after 9 appends
        int more;                      // further appends
        uint32_t count;
    } cases[] = {
        {8, 0, 9}, {8, 1, 9}, {4, 0, 9}, {4, 1, 5}, {9, 21, 9}, {50, 21, 9}, {0, 1, 1},
    };
    for (const auto& c : cases) {
        Diagramx& d = make(4, 10);
        EXPECT_EQ(d.view.record_length, 8u);
        for (int i = 0; i < 9; ++i) {
            const double row[4] = {double(i), 0, 0, 0};
            d.Add_sample(row, 4);
        }
        EXPECT_EQ(d.Sample_count(), 9u);
        d.view.record_length = c.record_length_after;
        for (int i = 0; i < c.more; ++i) {
            const double row[4] = {double(9 + i), 0, 0, 0};
            d.Add_sample(row, 4);
            EXPECT_NE(d.Sample_count(), 0u);
        }
        EXPECT_EQ(d.Sample_count(), c.count) << c.record_length_after << " " << c.more;
    }

    // The tenth append to capacity 10 drops the first value and wraps the end to row 0; the
    // automatic time range still runs over eight periods.
    Diagramx& d = make(4, 10);
    for (int i = 0; i < 10; ++i) {
        const double row[4] = {double(i), 0, 0, 0};
        d.Add_sample(row, 4);
    }
    EXPECT_EQ(d.ring_start, 1u);
    EXPECT_EQ(d.ring_end, 0u);
    EXPECT_DOUBLE_EQ(d.Row(d.ring_start)[0], 1.0);
    d.Redraw();
    EXPECT_DOUBLE_EQ(d.view.time_start, 0);
    EXPECT_NEAR(d.view.time_end, 8 * 0.001, 1e-15);
    EXPECT_EQ(d.Ring_add(9, 1), 0u);
    EXPECT_EQ(d.Ring_distance(1, 8), 3u);

    // A capacity below 3 is taken as 3.
    Diagramx& tiny = make(1, 1);
    EXPECT_EQ(tiny.capacity, 3u);
    for (int i = 0; i < 5; ++i) {
        const double one = i;
        tiny.Add_sample(&one, 1);
    }
    EXPECT_EQ(tiny.Sample_count(), 2u);
}

TEST_F(ChartTest, AutomaticScalesAndTimeRange)
{
    const struct {
        std::vector<double> values;  // channel 0; empty: no samples
        uint8_t fixed;
        double fixed_max, fixed_min;
        double max, min;
    } cases[] = {
        {{}, 0, 0, 0, 1, -1},
        {{}, 1, 7, 3, 7, 3},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 0, 0, 0, 10.45, 0.55},
        {{5, 5, 5}, 0, 0, 0, 6, 4},
        {{1, 2}, 1, 5, 5, 6, 4},
        {{1, 2}, 1, -5, 5, 5, -5},
        {{NaN, 2, INFINITY, 4, NaN}, 0, 0, 0, 4.1, 1.9},
        {{NaN, NaN}, 0, 0, 0, 1, -1},
        {{1, 2}, 1, NaN, 5, 1, -1},
        {{0, 1.5e-323, 0}, 0, 0, 0, 1, -1},  // a subnormal range is widened as a zero one
        {{1, 2}, 1, 1e-320, 0, 1, -1},
    };
    for (const auto& c : cases) {
        Diagramx& d = make(1, 100);
        d.view.channels[0].fixed = c.fixed;
        d.view.channels[0].fixed_maximum = c.fixed_max;
        d.view.channels[0].fixed_minimum = c.fixed_min;
        for (double v : c.values)
            d.Add_sample(&v, 1);
        d.Redraw();
        EXPECT_NEAR(d.view.channels[0].maximum, c.max, 1e-12) << c.values.size() << " " << c.fixed_max;
        EXPECT_NEAR(d.view.channels[0].minimum, c.min, 1e-12) << c.values.size() << " " << c.fixed_max;
    }
    // Empty chart: time from 0 to record length x sample period.
    Diagramx& d = make();
    d.Redraw();
    EXPECT_DOUBLE_EQ(d.view.time_start, 0);
    EXPECT_DOUBLE_EQ(d.view.time_end, 40.0);
}

// ---- painting ----

TEST_F(ChartTest, PaintsTracesGridAndRecordsTicks)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.Set_channel_show(0, 2);  // maroon channel hidden
    const QImage& img = d.plot_image->image();
    EXPECT_EQ(img.size(), d.plot_image->size());
    EXPECT_GT(count_colour(img, d.colours[0]), 100);
    EXPECT_GT(count_colour(img, d.colours[1]), 0);
    EXPECT_EQ(count_colour(img, d.colours[2]), 0);
    EXPECT_GT(count_colour(img, d.colours[3]), 100);  // the constant
    EXPECT_GT(count_colour(img, 0xDDDDDD), img.width() * img.height() / 3);
    EXPECT_GT(count_colour(img, 0x808080), 0);  // grid

    // Left grid rows follow the left axis channel's ticks, bottom to top.
    const ChartChannelView& c = d.view.channels[0];
    ASSERT_GT(d.left_grid_count, 2);
    for (int i = 0; i < d.left_grid_count; ++i) {
        const double tick = d.left_ticks.first + i * d.left_ticks.step;
        EXPECT_NEAR(d.left_grid[i].value, tick, 1e-9);
        const int row = d.view.plot_bottom - int(std::trunc(d.view.plot_height * (tick - c.minimum) /
                                                             (c.maximum - c.minimum) + 0.5));
        EXPECT_EQ(d.left_grid[i].pixel, row);
        EXPECT_LE(tick, c.maximum);
    }
    ASSERT_GT(d.time_grid_count, 2);
    EXPECT_DOUBLE_EQ(d.time_grid[0].value, 0);
    EXPECT_EQ(d.time_grid[0].pixel, d.view.plot_left);

    // The layout follows the fonts as the system resolves them.
    const int h = QFontMetrics(QFont("Arial", 9, QFont::Bold), &img).height();
    const int title_h = QFontMetrics(QFont("Arial", 10, QFont::Bold), &img).height();
    EXPECT_EQ(d.top_band, 3 * h);
    EXPECT_EQ(d.bottom_band, 2 + title_h + 5);
    EXPECT_EQ(d.view.plot_height, img.height() - (3 * h + 5 + 4 + h + d.bottom_band));
    EXPECT_EQ(d.view.plot_bottom, d.top_band + d.view.plot_height);
    const QFontMetrics axis(QFont("Arial", 8), &img);
    EXPECT_EQ(d.view.plot_left, 5 + d.left_ticks.widest + 3 + 2);
    int widest = 0;
    for (int i = 0; i < d.left_grid_count; ++i)
        widest = std::max(widest, axis.horizontalAdvance(Diagramx_tick_label(d.left_ticks, d.left_grid[i].value)));
    EXPECT_EQ(d.left_ticks.widest, widest);

    // Frame: a black line one pixel above the plot; axis marks: majors reach 4 pixels below the
    // plot, minors 2, with the first divisor of 5, 4, 3, 2 whose parts are 8 pixels or more.
    const int top = d.view.plot_bottom - d.view.plot_height;
    const auto black_in_row = [&](int y) {
        int n = 0;
        for (int x = d.view.plot_left; x <= d.view.plot_left + d.view.plot_width; ++x)
            n += (img.pixel(x, y) | 0xFF000000u) == 0xFF000000u;
        return n;
    };
    EXPECT_EQ(black_in_row(top - 1), d.view.plot_width + 1);
    EXPECT_EQ(black_in_row(d.view.plot_bottom + 4), d.time_grid_count);
    const double step_px = d.view.plot_width * d.time_ticks.step / (d.view.time_end - d.view.time_start);
    int div = 1;
    for (int k : {5, 4, 3, 2})
        if (div == 1 && step_px / k >= 8)
            div = k;
    ASSERT_GT(div, 1);
    EXPECT_NEAR(black_in_row(d.view.plot_bottom + 2), (d.time_grid_count - 1) * div + 1, div);
    const auto black_in_column = [&](int x) {
        int n = 0;
        for (int y = top; y <= d.view.plot_bottom; ++y)
            n += (img.pixel(x, y) | 0xFF000000u) == 0xFF000000u;
        return n;
    };
    EXPECT_EQ(black_in_column(d.view.plot_left - 5), d.left_grid_count);
    const double left_px = d.view.plot_height * d.left_ticks.step / (c.maximum - c.minimum);
    int left_div = 1;
    for (int k : {5, 4, 3, 2})
        if (left_div == 1 && left_px / k >= 8)
            left_div = k;
    EXPECT_NEAR(black_in_column(d.view.plot_left - 3), (d.left_grid_count - 1) * left_div + 1, 2 * left_div);
    // Texts: the title, the left labels and the right axis's labels beside the plot.
    const auto dark_in = [&](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(img.pixel(x, y)) < 100;
        return n;
    };
    const int right = d.view.plot_left + d.view.plot_width;
    EXPECT_GT(dark_in(QRect(right + 6, top, img.width() - right - 6, d.view.plot_height)), 20);
    EXPECT_GT(dark_in(QRect(0, top, d.view.plot_left - 6, d.view.plot_height)), 20);
    EXPECT_GT(dark_in(QRect(img.width() / 3, 0, img.width() / 3, d.top_band)), 20);

    // A target too small: background only.
    parent->resize(60, 600);
    d.Resize();
    EXPECT_EQ(count_colour(d.plot_image->image(), 0xDDDDDD), d.plot_image->image().width() * d.plot_image->image().height());
}

TEST_F(ChartTest, ParentResizeReachesTheChart)
{
    Diagramx& d = make();
    parent->show();
    parent->resize(640, 480);
    ASSERT_TRUE(pump_until([&] { return d.plot_image->image().width() == 640; }, 5000));
    EXPECT_EQ(d.plot_image->image().height(), 480 - 44 - 36);
    EXPECT_EQ(d.overview->image().width(), 640);
    EXPECT_EQ(d.clean_copy.size(), d.plot_image->image().size());
}

TEST_F(ChartTest, PrintTargetLeavesOverlaysAndScreenAlone)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.shown[2] = d.shown[3] = 0;
    d.time_cursors_shown = d.level_cursors_shown = 1;
    d.trigger_shown = 1;
    d.trigger_position = 500;
    d.trigger_level = 200;
    d.Redraw();
    // Zoom box on.
    d.Image_mouse_down(ChartButtonLeft, LEFT, d.view.plot_left + 100, plot_top() + 100);
    d.Image_mouse_move(LEFT, d.view.plot_left + 200, plot_top() + 200);
    ASSERT_TRUE(d.zoom_active);
    const QImage& screen = d.plot_image->image();
    EXPECT_GT(count_colour(screen, 0x00FFFF), 0);  // handles
    EXPECT_GT(count_colour(screen, 0x0000FF), 0);  // trigger marks
    const QImage screen_before = screen.copy();
    const QImage clean_before = d.clean_copy.copy();

    QImage page(1600, 1200, QImage::Format_RGB32);
    page.setDotsPerMeterX(23622);
    page.setDotsPerMeterY(23622);
    page.fill(Qt::white);
    Canvas canvas(&page);
    d.print_view = d.view;
    d.print_view.background = 0xFFFFFF;
    d.print_target.canvas = &canvas;
    d.print_target.width = 1500;
    d.print_target.height = 1100;
    d.print_target.left = 50;
    d.print_target.top = 60;
    EXPECT_EQ(d.Scale_px(5, &d.print_target), 31);
    EXPECT_EQ(d.Scale_px(5, &d.regions[0]), 5);
    d.Paint(&d.print_target, &d.print_view);
    canvas.end();
    EXPECT_EQ(count_colour(page, 0x00FFFF), 0);
    EXPECT_EQ(count_colour(page, 0x0000FF), 0);
    EXPECT_GT(count_colour(page, d.colours[0]), 0);
    EXPECT_GT(count_colour(page, d.colours[1]), 0);
    EXPECT_GT(count_colour(page, 0xFFFFFF), 1500 * 1100 / 2);  // the print's background
    // Nothing outside the target rectangle.
    EXPECT_EQ(page.pixel(49, 59) | 0xFF000000u, 0xFFFFFFFFu);
    EXPECT_EQ(page.pixel(1550, 1160) | 0xFF000000u, 0xFFFFFFFFu);
    EXPECT_GT(d.print_view.margin, d.view.margin);
    EXPECT_EQ(d.plot_image->image(), screen_before);
    EXPECT_EQ(d.clean_copy, clean_before);
}

// Everything the chart paints on a print target, its channel headers too, stays inside the target.
TEST_F(ChartTest, PrintTargetPaintsNothingOutsideIt)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.view.right_channel = 1;
    d.Redraw();
    QPicture page;
    Canvas canvas(&page);
    d.print_view = d.view;
    d.print_target.canvas = &canvas;
    d.print_target.left = 40;
    d.print_target.top = 30;
    d.print_target.width = 900;
    d.print_target.height = 600;
    d.Paint(&d.print_target, &d.print_view);
    canvas.end();
    const QRect target(40, 30, 900, 600);
    EXPECT_TRUE(target.contains(page.boundingRect()))
        << page.boundingRect().x() << "," << page.boundingRect().y() << " " << page.boundingRect().width() << "x"
        << page.boundingRect().height();
}

// ---- zoom ----

TEST_F(ChartTest, ZoomBoxSetsTheManualView)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.Redraw();
    const int pl = d.view.plot_left, pw = d.view.plot_width, top = plot_top(), bottom = d.view.plot_bottom;
    const double pixel_time = 1.0 / pw;
    const uint32_t paints = d.paint_count;

    // A zero-width drag changes nothing.
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + 50, top + 50);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 1);
    EXPECT_EQ(d.paint_count, paints);

    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + pw / 4, top + 10);
    d.Image_mouse_move(LEFT, pl + pw / 2, top + 40);  // the box is drawn without a full paint
    EXPECT_EQ(d.paint_count, paints);
    EXPECT_GT(count_colour(d.plot_image->image(), 0xFFFFFF), 0);
    // Moving the box restores the old outline from the clean copy, on every side.
    const QImage& img = d.plot_image->image();
    const auto stray_white = [&] {
        const QRect kept = d.zoom_rect.adjusted(-1, -1, 2, 2);
        int stray = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                stray += !kept.contains(x, y) && (img.pixel(x, y) | 0xFF000000u) == 0xFFFFFFFFu;
        return stray;
    };
    d.Image_mouse_move(LEFT, pl + pw - 5, bottom - 5);
    d.Image_mouse_move(LEFT, pl + pw / 2, top + 60);
    EXPECT_EQ(stray_white(), 0);
    d.Image_mouse_move(LEFT, pl + 5, top + 1);  // past the anchor, up and left
    d.Image_mouse_move(LEFT, pl + pw / 2, top + 60);
    EXPECT_EQ(stray_white(), 0);
    d.Image_mouse_move(LEFT, pl + 3 * pw / 4, bottom - 10);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 0);
    EXPECT_NEAR(d.view.time_start, 0.25, 1.5 * pixel_time);
    EXPECT_NEAR(d.view.time_end, 0.75, 1.5 * pixel_time);
    EXPECT_FALSE(d.zoom_active);
    EXPECT_EQ(count_colour(d.plot_image->image(), 0xFFFFFF), 0);
    // The traces are clipped to the plot, the rows just outside the view included.
    int outside = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < img.width(); ++x)
            for (int ch = 0; ch < 4; ++ch)
                outside += (x < pl || x >= pl + pw) && (img.pixel(x, y) | 0xFF000000u) == bgr_to_rgb(d.colours[ch]);
    EXPECT_EQ(outside, 0);
    // The window covers whole samples; the trims are the parts of a period outside the view.
    for (double trim : {d.view.start_trim, d.view.end_trim}) {
        EXPECT_GE(trim, 0);
        EXPECT_LT(trim, d.sample_period);
    }
    EXPECT_EQ(d.view.window_offset, uint32_t(std::trunc(d.view.time_start / d.sample_period)));
    EXPECT_EQ(d.view.window_offset + d.view.window_width,
              uint32_t(std::trunc(d.view.time_end / d.sample_period)) + 1);

    // A drag up and left goes back to automatic.
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + 300, top + 100);
    d.Image_mouse_move(LEFT, pl + 100, top + 20);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 1);
    EXPECT_DOUBLE_EQ(d.view.time_end, 1.0);

    // So does a drag right and up.
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + pw / 4, top + 200);
    d.Image_mouse_move(LEFT, pl + pw / 2, top + 20);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 1);

    // A box started left of the plot is clamped to its left edge.
    d.Image_mouse_down(ChartButtonLeft, LEFT, 1, top + 10);
    d.Image_mouse_move(LEFT, pl + pw / 2, bottom - 10);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 0);
    EXPECT_NEAR(d.view.time_start, 0, 1e-12);
    EXPECT_NEAR(d.view.time_end, 0.5, 1.5 * pixel_time);

    // A press on a cursor handle starts no box.
    d.time_cursors_shown = 1;
    d.Rescale();
    const ChartRegion& h = d.regions[1];
    d.Image_mouse_down(ChartButtonLeft, LEFT, h.left + 10, h.top + 10);
    EXPECT_EQ(d.captured, &d.regions[1]);
    EXPECT_FALSE(d.zoom_active);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 1);
}

TEST_F(ChartTest, PanStaysWithinTheRecord)
{
    Diagramx& d = make();
    d.pointer_position = [] { return QPoint(-100000, -100000); };
    d.Redraw();
    d.Image_mouse_down(ChartButtonRight, RIGHT, 200, 200);
    EXPECT_FALSE(d.pan_timer->isActive());  // empty chart
    d.Image_mouse_up();

    fill(d, 1001);
    d.Redraw();
    const int pl = d.view.plot_left, pw = d.view.plot_width, top = plot_top(), bottom = d.view.plot_bottom;
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + pw / 4, top);
    d.Image_mouse_move(LEFT, pl + 3 * pw / 4, bottom);
    d.Image_mouse_up();
    const double span = d.view.time_end - d.view.time_start;

    QPoint pointer = d.plot_image->mapToGlobal(QPoint(10, 10));
    d.pointer_position = [&] { return pointer; };
    d.Image_mouse_down(ChartButtonRight, RIGHT, 300, 200);
    EXPECT_TRUE(d.pan_timer->isActive());
    EXPECT_EQ(d.plot_image->cursor().shape(), Qt::SizeAllCursor);
    d.Image_mouse_move(RIGHT, 300 + pw, 200);  // right past the oldest sample
    d.Pan_tick();
    EXPECT_TRUE(d.pan_timer->isActive());
    EXPECT_NEAR(d.view.time_start, 0, 1e-12);
    EXPECT_NEAR(d.view.time_end - d.view.time_start, span, 1e-9);
    d.Image_mouse_move(RIGHT, 300 - pw, 200);  // left past the newest
    d.Pan_tick();
    EXPECT_NEAR(d.view.time_end, 1.0, 1e-9);
    EXPECT_NEAR(d.view.time_end - d.view.time_start, span, 1e-9);
    const uint32_t paints = d.paint_count;
    d.Pan_tick();  // no movement: no paint
    EXPECT_EQ(d.paint_count, paints);
    pointer = QPoint(-100000, -100000);
    d.Pan_tick();
    EXPECT_FALSE(d.pan_timer->isActive());
    d.Image_mouse_up();
    EXPECT_EQ(d.plot_image->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ChartTest, ScrollBarFollowsTheView)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.Redraw();
    EXPECT_FALSE(d.scroll_bar->isEnabled());
    const int pl = d.view.plot_left, pw = d.view.plot_width;
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + pw / 4, plot_top());
    d.Image_mouse_move(LEFT, pl + 3 * pw / 4, d.view.plot_bottom);
    d.Image_mouse_up();
    const double span = d.view.time_end - d.view.time_start;
    const int page = int(std::trunc(10000 * span / 1.0));
    EXPECT_TRUE(d.scroll_bar->isEnabled());
    EXPECT_EQ(d.scroll_bar->pageStep(), page);
    EXPECT_EQ(d.scroll_bar->maximum(), 10000 - page);
    EXPECT_EQ(d.scroll_bar->value(), int(std::trunc(10000 * d.view.time_start)));

    {
        const QSignalBlocker quiet(d.scroll_bar);
        d.scroll_bar->setValue(10000 - page);
    }
    for (int i = 0; i < 5; ++i)
        d.Scroll_event();
    EXPECT_TRUE(d.scroll_timer->isActive());
    const uint32_t paints = d.paint_count;
    d.Scroll_tick();
    EXPECT_EQ(d.paint_count, paints + 1);
    EXPECT_NEAR(d.view.time_end, 1.0, 1e-9);
    EXPECT_NEAR(d.view.time_end - d.view.time_start, span, 1e-9);
    d.Scroll_tick();
    EXPECT_FALSE(d.scroll_timer->isActive());
    EXPECT_EQ(d.paint_count, paints + 1);

    // A user action on the bar reaches the chart; programmatic changes do not.
    d.scroll_bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_TRUE(d.scroll_timer->isActive());
    d.Scroll_tick();
    EXPECT_EQ(d.scroll_bar->value(), 10000 - 2 * page > 0 ? 10000 - 2 * page : 0);
    EXPECT_NEAR(d.view.time_start, d.scroll_bar->value() / 10000.0, 1e-9);
}

TEST_F(ChartTest, OverviewShowsHeldAndViewedTime)
{
    Diagramx& d = make();
    d.view.record_length = 2000;
    fill(d, 1001);
    d.Redraw();
    const QImage& strip = d.overview->image();
    const auto in_row = [&](uint32_t colour) {
        int n = 0;
        for (int x = 0; x < strip.width(); ++x)
            n += (strip.pixel(x, 16) | 0xFF000000u) == bgr_to_rgb(colour);
        return n;
    };
    const int held = (strip.width() - 24) * 1000 / 2000;  // inner width x held rows / record length
    EXPECT_NEAR(in_row(0x008000), held, 3);               // the whole held time in view
    EXPECT_NEAR(in_row(0xFF0000), 0, 3);
    int dark = 0;
    for (int y = 23; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
            dark += qGray(strip.pixel(x, y)) < 100;
    EXPECT_GT(dark, 30);  // bracket and held-time labels

    d.Image_mouse_down(ChartButtonLeft, LEFT, d.view.plot_left, plot_top());
    d.Image_mouse_move(LEFT, d.view.plot_left + d.view.plot_width / 2, d.view.plot_bottom);
    d.Image_mouse_up();
    EXPECT_NEAR(in_row(0x008000), held / 2, 4);
    EXPECT_NEAR(in_row(0xFF0000), held / 2, 4);

    // Record length 0: no bar, no division.
    d.view.record_length = 0;
    d.Rescale();
    EXPECT_EQ(in_row(0xFF0000) + in_row(0x008000), 0);
}

// ---- cursors and readouts ----

TEST_F(ChartTest, CursorsPlaceMoveAndRead)
{
    Diagramx& d = make();
    fill(d, 1001);
    QLabel t1, t2, td, l1, l2, ld, other1;
    d.time_readouts[0] = &t1;
    d.time_readouts[1] = &t2;
    d.time_readouts[2] = &td;
    d.level_readouts[0][0] = &l1;
    d.level_readouts[1][0] = &l2;
    d.level_readouts[2][0] = &ld;
    d.level_readouts[0][1] = &other1;  // the others stay null
    d.time_cursors_shown = d.level_cursors_shown = 1;
    d.Redraw();
    const double span = d.view.time_end - d.view.time_start;
    EXPECT_DOUBLE_EQ(d.cursors[0].value, span * 0.25);
    EXPECT_DOUBLE_EQ(d.cursors[1].value, span * 0.75);
    const ChartChannelView& c0 = d.view.channels[0];
    const double range = c0.maximum - c0.minimum;
    EXPECT_DOUBLE_EQ(d.cursors[2].value, range * 0.25);
    EXPECT_DOUBLE_EQ(d.cursors[3].value, range * 0.75);
    EXPECT_FALSE(t1.text().isEmpty());
    EXPECT_FALSE(other1.text().isEmpty());
    // Each handle is drawn where its region lies.
    for (int r = 1; r <= 4; ++r) {
        const ChartRegion& reg = d.regions[r];
        int yellow = 0;
        for (int y = std::max(0, reg.top); y < std::min(reg.top + reg.height, d.plot_image->image().height()); ++y)
            for (int x = std::max(0, reg.left); x < std::min(reg.left + reg.width, d.plot_image->image().width()); ++x)
                yellow += (d.plot_image->image().pixel(x, y) | 0xFF000000u) == bgr_to_rgb(0x00FFFF);
        EXPECT_GT(yellow, 20) << r;
    }

    // Level cursor 1 dragged onto a recorded grid row reads that tick's value exactly.
    const uint32_t paints = d.paint_count;
    ChartRegion& h = d.regions[3];
    d.Image_mouse_down(ChartButtonLeft, LEFT, h.left + 10, h.top + 10);
    ASSERT_EQ(d.captured, &h);
    const ChartTick grid = d.left_grid[1];
    d.Image_mouse_move(LEFT, h.left + 10, grid.pixel);
    EXPECT_EQ(l1.text(), Graph_format_float("0.0000000", grid.value));
    EXPECT_EQ(d.handle_order[3], &h);  // moved last, drawn on top
    // Off the grid, the interpolated value.
    const int off = grid.pixel - 3;
    d.Image_mouse_move(LEFT, h.left + 10, off);
    const double expected = c0.minimum + (d.view.plot_bottom - off) * range / d.view.plot_height;
    EXPECT_EQ(l1.text(), Graph_format_float("0.0000000", expected));
    const double l2v = Graph_format_float("0.0000000", c0.minimum + range * 0.75).toDouble();
    EXPECT_NEAR(ld.text().toDouble(), expected - l2v, 1e-6);
    // Another channel reads the same height on its own scale.
    const ChartChannelView& c1 = d.view.channels[1];
    EXPECT_NEAR(other1.text().toDouble(), c1.minimum + (expected - c0.minimum) * (c1.maximum - c1.minimum) / range,
                1e-6);
    d.Image_mouse_up();
    EXPECT_EQ(d.paint_count, paints);

    // Time cursor 2 moved onto a vertical grid line reads the line's time.
    ChartRegion& th = d.regions[2];
    d.Image_mouse_down(ChartButtonLeft, LEFT, th.left + 10, th.top + 10);
    ASSERT_EQ(d.captured, &th);
    d.Image_mouse_move(LEFT, d.time_grid[2].pixel, th.top + 10);
    EXPECT_EQ(t2.text(), Graph_format_float("0.0000000", d.time_grid[2].value));
    EXPECT_EQ(d.paint_count, paints);
    // The moved handle leaves no trace of its old place on the picture.
    d.Image_mouse_up();
    const QImage moved = d.plot_image->image().copy();
    d.Redraw();
    EXPECT_EQ(moved, d.plot_image->image());

    // A zoom keeps the cursors where they are on the screen.
    const int offset = d.cursors[0].offset;
    d.Image_mouse_down(ChartButtonLeft, LEFT, d.view.plot_left + 20, plot_top() + 5);
    d.Image_mouse_move(LEFT, d.view.plot_left + d.view.plot_width - 20, d.view.plot_bottom - 5);
    d.Image_mouse_up();
    EXPECT_NEAR(d.cursors[0].offset, offset, 1);
}

// Wherever its cursor stands, a value box lies whole inside the plot (off the axis texts and
// captions around it), off every handle, and a time cursor's box off the level cursors' boxes:
// nothing but the handles, centred on the plot's edges, is drawn beyond the plot. Its number is
// whole in the box and reads what the cursor's readout reads, on scales of counts and long times.
TEST_F(ChartTest, CursorValueBoxesStayWholeInsideThePlot)
{
    const struct {
        double minimum, maximum, period;  // fixed scale of channel 0 (none when equal), sample period
        const char* bottom;               // level cursor 1's readout on the plot's bottom row
    } scales[] = {{0, 0, 0.001, "-50.0000000"},
                  {-250000149.5, 1249999949.5, 1234567.891, "-250000149.5000000"},
                  {-6.241, 1999999999, 0.001, "0.0000000"}};  // the grid line at 0 lies on that row
    QLabel readouts[4];  // time 1, time 2, level 1, level 2 of channel 0
    for (const auto& s : scales) {
        SCOPED_TRACE(s.maximum);
        Diagramx& d = make();
        d.sample_period = s.period;
        d.view.channels[0].fixed = s.minimum < s.maximum;
        d.view.channels[0].fixed_minimum = s.minimum;
        d.view.channels[0].fixed_maximum = s.maximum;
        for (int k = 0; k < 2; ++k) {
            d.time_readouts[k] = &readouts[k];
            d.level_readouts[k][0] = &readouts[2 + k];
        }
        fill(d, 1001);
        d.Redraw();
        const QImage bare = d.plot_image->image().copy();
        const QFontMetrics fm(QFont("Arial", 8), &bare);
        const QRect plot(d.view.plot_left, plot_top(), d.view.plot_width + 1, d.view.plot_height + 1);
        const double span = d.view.time_end - d.view.time_start;
        const double range = d.view.channels[0].maximum - d.view.channels[0].minimum;
        const auto handle = [&d](int k) {
            const ChartRegion& r = d.regions[k + 1];
            return QRect(r.left, r.top, r.width + 1, r.height + 1);
        };
        for (double share : {0.0, 0.01, 0.5, 0.99, 1.0}) {  // cursor 1 here, cursor 2 mirrored
            SCOPED_TRACE(share);
            for (int k = 0; k < 4; ++k) {
                const double full = k < 2 ? span : range;
                d.cursors[k].full_scale = full;
                d.cursors[k].offset = 0;
                d.cursors[k].value = full * (k % 2 == 0 ? share : 1 - share);
            }
            d.time_cursors_shown = d.level_cursors_shown = 1;
            d.Redraw();
            for (int k = 0; k < 4; ++k) {
                const QRect box = d.Tag_box(k);
                EXPECT_TRUE(plot.contains(box)) << k;
                for (int other = 0; other < 4; ++other) {
                    EXPECT_FALSE(box.intersects(handle(other))) << k << " on handle " << other;
                    EXPECT_FALSE(k < 2 && other >= 2 && box.intersects(d.Tag_box(other))) << k << " on box " << other;
                }
                const QString tag = d.Tag_text(k);
                EXPECT_LE(fm.horizontalAdvance(tag), box.width() - 2) << k << " " << tag.toStdString();
                bool number = false;
                const double read = readouts[k].text().toDouble();
                EXPECT_NEAR(tag.toDouble(&number), read, 0.01 * std::max(1.0, std::fabs(read))) << k;
                EXPECT_TRUE(number) << k << " " << tag.toStdString();
                const QImage inside = d.plot_image->image().copy(box.adjusted(1, 1, -1, -1));
                EXPECT_LT(count_colour(inside, 0xFFFFFF), inside.width() * inside.height()) << k;  // text drawn
            }
            if (share == 0.0) {
                EXPECT_EQ(readouts[2].text(), s.bottom);
            }
            const QImage& shown = d.plot_image->image();
            int outside = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) {
                    bool allowed = plot.contains(x, y);
                    for (int k = 0; k < 4; ++k)
                        allowed = allowed || handle(k).contains(x, y);
                    outside += !allowed && shown.pixel(x, y) != bare.pixel(x, y);
                }
            EXPECT_EQ(outside, 0);
        }
    }
}

TEST_F(ChartTest, TriggerMarksShowArrowsOutsideTheView)
{
    Diagramx& d = make();
    fill(d, 1001);
    d.shown[3] = 0;  // the red channel
    d.trigger_shown = 1;
    d.trigger_channel = 0;
    d.trigger_level = 500;
    d.trigger_position = 500;
    d.Redraw();
    const int top = plot_top();
    const QImage& img = d.plot_image->image();
    // A dotted red line inside the view.
    const int x = d.view.plot_left + int(std::trunc((0.5 - d.view.time_start) * d.view.plot_width /
                                                      (d.view.time_end - d.view.time_start)));
    int red_on_line = 0;
    for (int y = top + 30; y < d.view.plot_bottom; ++y)
        red_on_line += (img.pixel(x, y) | 0xFF000000u) == bgr_to_rgb(0x0000FF);
    EXPECT_GT(red_on_line, 10);
    EXPECT_LT(red_on_line, d.view.plot_height - 30);

    // Zoomed to the first half: the trigger point lies after the view's end, an arrow at the right.
    d.Image_mouse_down(ChartButtonLeft, LEFT, d.view.plot_left, top);
    d.Image_mouse_move(LEFT, d.view.plot_left + d.view.plot_width / 4, d.view.plot_bottom);
    d.Image_mouse_up();
    const QRect right_edge(d.view.plot_left + d.view.plot_width - 40, top, 40, 40);
    int red = 0;
    for (int y = right_edge.top(); y <= right_edge.bottom(); ++y)
        for (int x2 = right_edge.left(); x2 <= right_edge.right(); ++x2)
            red += (img.pixel(x2, y) | 0xFF000000u) == bgr_to_rgb(0x0000FF);
    EXPECT_GT(red, 20);
    // Zoomed to the last part: the trigger point lies before the view's start, an arrow at the left.
    d.Rescale();
    d.Image_mouse_down(ChartButtonLeft, LEFT, d.view.plot_left + 3 * d.view.plot_width / 4, top);
    d.Image_mouse_move(LEFT, d.view.plot_left + d.view.plot_width, d.view.plot_bottom);
    d.Image_mouse_up();
    ASSERT_GT(d.view.time_start, 0.5);
    red = 0;
    for (int y = top; y < top + 40; ++y)
        for (int x2 = d.view.plot_left; x2 < d.view.plot_left + 40; ++x2)
            red += (img.pixel(x2, y) | 0xFF000000u) == bgr_to_rgb(0x0000FF);
    EXPECT_GT(red, 20);
    d.trigger_shown = 0;
    d.Redraw();
    EXPECT_EQ(count_colour(img, 0x0000FF), 0);
}

// ---- degenerate fields ----

// Samples no drive sends but a file may hold: every pixel drawn from them is a finite int, on the
// screen with its overlays and on a print target.
TEST_F(ChartTest, DegenerateSamplesPaintOnScreenAndOnAPrintTarget)
{
    const struct {
        const char* name;
        double a, b;  // channel 0 alternates between them; channel 1 takes -a
    } cases[] = {
        {"subnormal range", 0.0, 1.5e-323},
        {"NaN", NaN, NaN},
        {"infinities", INFINITY, -INFINITY},
        {"largest", DBL_MAX, DBL_MAX},
        {"largest of both signs", DBL_MAX, -DBL_MAX},
        {"largest and a subnormal", DBL_MAX, 4.9e-324},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Diagramx& d = make();
        d.view.right_channel = 1;
        d.time_cursors_shown = d.level_cursors_shown = d.trigger_shown = 1;
        d.trigger_position = 5;
        d.trigger_level = c.a;
        for (int i = 0; i < 20; ++i) {
            const double row[4] = {i % 2 ? c.b : c.a, -c.a, double(i), 1.0};
            d.Add_sample(row, 4);
        }
        d.Redraw();
        const int top = plot_top();
        for (int i = 0; i < d.left_grid_count; ++i) {
            EXPECT_GE(d.left_grid[i].pixel, top);
            EXPECT_LE(d.left_grid[i].pixel, d.view.plot_bottom);
        }
        QImage page(800, 600, QImage::Format_RGB32);
        page.fill(Qt::white);
        Canvas canvas(&page);
        d.print_view = d.view;
        d.print_target.canvas = &canvas;
        d.print_target.width = 800;
        d.print_target.height = 600;
        d.Paint(&d.print_target, &d.print_view);
        canvas.end();
        EXPECT_GT(d.print_view.plot_width, 0);
    }
}

TEST_F(ChartTest, DegenerateFieldsNeverHang)
{
    struct Case {
        const char* name;
        uint32_t record_length;
        double period;
        bool nan_samples;
        bool inverted_fixed;
        int height;
    };
    const Case cases[] = {
        {"record 0, period 0", 0, 0.0, false, false, 600},
        {"NaN samples", 40000, 0.001, true, false, 600},
        {"inverted fixed pair", 40000, 0.001, false, true, 600},
        {"tall plot", 40000, 0.001, false, false, 5000},
        {"negative period", 40000, -0.001, false, false, 600},
        {"NaN period", 40000, NaN, false, false, 600},
        {"huge record length", 4000000000u, 0.001, false, false, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parent->resize(800, c.height);
        Diagramx& d = make();
        d.view.record_length = c.record_length;
        d.sample_period = c.period;
        d.time_cursors_shown = d.level_cursors_shown = d.trigger_shown = 1;
        d.trigger_position = 10;
        if (c.inverted_fixed) {
            d.view.channels[0].fixed = 1;
            d.view.channels[0].fixed_maximum = -5;
            d.view.channels[0].fixed_minimum = 5;
        }
        d.Redraw();
        for (int i = 0; i < 50; ++i) {
            const double v = c.nan_samples && i % 3 ? NaN : i;
            const double row[4] = {v, c.nan_samples ? INFINITY : 1.0, v, -v};
            d.Add_sample(row, 4);
        }
        d.Redraw();
        EXPECT_LE(d.left_grid_count, 100);
        EXPECT_LE(d.time_grid_count, 200);
        const int pl = d.view.plot_left, top = plot_top();
        d.Image_mouse_down(ChartButtonLeft, LEFT, pl + 10, top + 10);
        d.Image_mouse_move(LEFT, pl + 200, top + 200);
        d.Image_mouse_up();
        if (!(c.period > 0)) {
            EXPECT_EQ(d.view.automatic, 1);
        }
        d.Image_mouse_down(ChartButtonRight, RIGHT, pl + 50, top + 50);
        d.Image_mouse_move(RIGHT, pl + 80, top + 60);
        d.Pan_step(&d.regions[0], &d.view);
        d.Image_mouse_up();
        if (!(c.period > 0)) {
            EXPECT_EQ(d.view.automatic, 1);  // no window from a period that is not positive
        }
        d.Scroll_apply(5000, 10000);
        d.Rescale();
        if (c.inverted_fixed) {
            EXPECT_DOUBLE_EQ(d.view.channels[0].maximum, 5);
            EXPECT_DOUBLE_EQ(d.view.channels[0].minimum, -5);
        }
        if (c.height == 5000) {
            EXPECT_GT(d.view.plot_height, 3000);
            EXPECT_EQ(d.left_grid_count, 100);
        }
    }
    // After Clear on a chart never painted at a usable size, a pan does nothing.
    parent->resize(10, 10);
    Diagramx& d = make();
    fill(d, 10);
    d.Clear();
    fill(d, 10);
    d.pan_x = 5;
    d.Pan_step(&d.regions[0], &d.view);
    EXPECT_EQ(d.view.automatic, 1);
}

// ---- light chart ----

TEST_F(ChartTest, LightChart)
{
    lt = std::make_unique<DiagramxLt>(parent.get(), 1, 257);
    DiagramxLt& d = *lt;
    EXPECT_EQ(d.time_name_shown, 0);
    EXPECT_EQ(d.title_shown, 0);
    EXPECT_DOUBLE_EQ(d.sample_period, 1.0);
    EXPECT_EQ(d.colours[0], 0xFF0000u);
    EXPECT_EQ(d.colours[1], 0x008000u);
    EXPECT_FALSE(d.scroll_bar);
    EXPECT_FALSE(d.overview);
    EXPECT_FALSE(d.bottom_panel);
    EXPECT_EQ(parent->findChildren<QScrollBar*>().size(), 0);
    d.Resize();
    EXPECT_EQ(d.plot_image->size(), parent->size());

    for (int i = 0; i < 256; ++i) {
        const double v = std::sin(i * 0.1);
        d.Add_sample(&v, 1);
    }
    EXPECT_EQ(d.Sample_count(), 256u);
    const double big = 9;
    d.Set_sample_at(&big, 1, 256);
    EXPECT_DOUBLE_EQ(d.Row(256)[0], 0);
    d.Set_sample_at(&big, 1, 10);
    EXPECT_DOUBLE_EQ(d.Row(10)[0], 9);
    const double two[2] = {1, 2};
    d.Set_sample_at(two, 2, 11);
    EXPECT_EQ(messages, (std::vector<std::string>{"Warning|Error Diagram Num. Dat"}));
    EXPECT_DOUBLE_EQ(d.Row(11)[0], std::sin(1.1));

    d.Redraw();
    EXPECT_DOUBLE_EQ(d.view.time_start, 0);
    EXPECT_DOUBLE_EQ(d.view.time_end, 255);
    const QImage& img = d.plot_image->image();
    const int h = QFontMetrics(QFont("Arial", 9, QFont::Bold), &img).height();
    EXPECT_EQ(d.top_band, h / 2);
    EXPECT_EQ(d.bottom_band, 0);
    EXPECT_EQ(d.view.plot_bottom - d.view.plot_height, h / 2);
    EXPECT_GT(count_colour(img, 0xFF0000), 50);  // the curve in the first light colour
    // No title or header texts: above the plot only background.
    for (int y = 0; y < h / 2 - 1; ++y)
        for (int x = 0; x < img.width(); ++x)
            ASSERT_EQ(img.pixel(x, y) | 0xFF000000u, bgr_to_rgb(0xDDDDDD)) << x << "," << y;

    // With the title band the plot moves down by a full legend.
    d.title_shown = d.time_name_shown = 1;
    d.Redraw();
    const int title_h = QFontMetrics(QFont("Arial", 10, QFont::Bold), &img).height();
    EXPECT_EQ(d.top_band, 3 * h);
    EXPECT_EQ(d.bottom_band, 2 + title_h + 5);
    d.title_shown = d.time_name_shown = 0;

    // A right drag pans within 0..255.
    d.pointer_position = [&] { return d.plot_image->mapToGlobal(QPoint(5, 5)); };
    const int pl = d.view.plot_left, pw = d.view.plot_width, top = d.view.plot_bottom - d.view.plot_height;
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + pw / 4, top);
    d.Image_mouse_move(LEFT, pl + pw / 2, d.view.plot_bottom);
    d.Image_mouse_up();
    ASSERT_EQ(d.view.automatic, 0);
    d.Image_mouse_down(ChartButtonRight, RIGHT, pl + 100, top + 10);
    d.Image_mouse_move(RIGHT, pl + 100 + 3 * pw, top + 10);
    d.Pan_tick();
    EXPECT_NEAR(d.view.time_start, 0, 1e-9);
    d.Image_mouse_move(RIGHT, pl + 100 - 6 * pw, top + 10);
    d.Pan_tick();
    EXPECT_NEAR(d.view.time_end, 255, 1e-9);
    d.Image_mouse_up();
    // A drag up-left restores the automatic view.
    d.Image_mouse_down(ChartButtonLeft, LEFT, pl + 200, top + 100);
    d.Image_mouse_move(LEFT, pl + 50, top + 10);
    d.Image_mouse_up();
    EXPECT_EQ(d.view.automatic, 1);

    lt.reset();
    messages.clear();
    QWidget bare;
    DiagramxLt refused(&bare, 11, 257);
    EXPECT_EQ(messages, (std::vector<std::string>{"Warning|Errore numero diagram, max: 10!"}));
    EXPECT_TRUE(bare.children().isEmpty());
}

// ---- paint cost and pace ----

TEST(ChartRules, IntegerOfAComputedCoordinate)
{
    const struct {
        double x;
        int want;
    } cases[] = {{NaN, 0}, {2.9, 2}, {-2.9, -2}, {INFINITY, 1048576}, {-INFINITY, -1048576}, {3e6, 1048576}};
    for (const auto& c : cases)
        EXPECT_EQ(Diagramx_int(c.x), c.want) << c.x;
}

// A polyline through the points kept per pixel column draws the envelope of one through every point:
// the same top and bottom pixel in every column, give or take the pixel at a joint of two segments
// that the line drawing leaves out by the segments' lengths.
TEST(ChartTrace, ColumnTraceDrawsThePixelsOfEveryPoint)
{
    gui_app();
    const auto walk = [](int n, int columns, int rows, uint32_t seed) {
        std::vector<QPoint> pts;
        int y = rows / 2;
        for (int i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            y = std::clamp(y + int((seed >> 16) % 21) - 10, 0, rows - 1);
            pts.emplace_back(i * columns / n, y);
        }
        return pts;
    };
    const auto spike = [](int n, int at, int columns) {
        std::vector<QPoint> pts;
        for (int i = 0; i < n; ++i)
            pts.emplace_back(i * columns / n, i == at ? 2 : 150);
        return pts;
    };
    const struct {
        const char* name;
        std::vector<QPoint> points;
    } cases[] = {
        {"a random walk of 40,000 on 700 columns", walk(40000, 700, 300, 7)},
        {"as many points as columns", walk(700, 700, 300, 9)},
        {"a spike among 40,000", spike(40000, 20000, 700)},
        {"a spike at the first point", spike(40000, 0, 700)},
        {"a spike at the last point", spike(40000, 39999, 700)},
        {"every point in one column", {{5, 10}, {5, 200}, {5, 3}, {5, 90}}},
        {"one point", {{9, 9}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ChartColumnTrace trace;
        for (const QPoint& p : c.points)
            trace.Add(p);
        trace.Finish();
        const std::vector<QPoint>& kept = trace.Points();
        const auto draw = [](const std::vector<QPoint>& pts) {
            QImage img(720, 320, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 1, Qt::SolidLine));
            p.drawPolyline(pts.data(), int(pts.size()));
            return img;
        };
        std::vector<QPoint> every;  // every point, each repeat of the one before left out as the chart did
        for (const QPoint& p : c.points)
            if (every.empty() || every.back() != p)
                every.push_back(p);
        const QImage fast = draw(kept), full = draw(every);
        int differing = 0, drawn = 0;
        for (int x = 0; x < full.width(); ++x) {
            int top[2] = {-1, -1}, bottom[2] = {-1, -1};
            for (int y = 0; y < full.height(); ++y) {
                const bool on[2] = {qGray(fast.pixel(x, y)) < 128, qGray(full.pixel(x, y)) < 128};
                for (int k = 0; k < 2; ++k)
                    if (on[k]) {
                        top[k] = top[k] < 0 ? y : top[k];
                        bottom[k] = y;
                    }
                differing += on[0] != on[1];
                drawn += on[1];
            }
            ASSERT_EQ(top[0] < 0, top[1] < 0) << x;
            ASSERT_NEAR(top[0], top[1], 1) << x;
            ASSERT_NEAR(bottom[0], bottom[1], 1) << x;
        }
        EXPECT_LE(differing, drawn / 100 + 1);
        int columns = 0;
        for (std::size_t i = 0; i < c.points.size(); ++i)
            columns += i == 0 || c.points[i].x() != c.points[i - 1].x();
        EXPECT_LE(kept.size(), std::size_t(4 * columns));
    }
}

TEST_F(ChartTest, ASingleSampleSpikeAmongFortyThousandIsDrawn)
{
    const struct {
        const char* name;
        int at;
        double value;
    } cases[] = {{"up in the middle", 20000, 100}, {"down in the middle", 20001, -100}, {"up first", 0, 100},
                 {"down near the end", 39900, -100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Diagramx& d = make(1, 40002);
        for (int i = 0; i < 40000; ++i) {
            const double v = i == c.at ? c.value : 0.0;
            d.Add_sample(&v, 1);
        }
        d.Redraw();
        const QImage& img = d.plot_image->image();
        const int tip = d.view.plot_bottom - Diagramx_int(d.view.plot_height * (c.value - d.view.channels[0].minimum) /
                                                              (d.view.channels[0].maximum - d.view.channels[0].minimum) + 0.5);
        const int col = d.view.plot_left + Diagramx_int(d.view.plot_width * (c.at * d.sample_period - d.view.time_start) /
                                                              (d.view.time_end - d.view.time_start) + 0.5);
        EXPECT_EQ(img.pixel(col, tip) | 0xFF000000u, bgr_to_rgb(d.colours[0]));
    }
}

// A spike on the ring's row 0 after the ring wrapped: for some of these counts the spike's pixel
// column begins on the ring's last rows, and the column's rows are read on across the wrap.
TEST_F(ChartTest, ASpikeWhereTheRingWrapsIsDrawn)
{
    constexpr uint32_t CAPACITY = 4001;
    for (uint32_t total = 6000; total < 6008; ++total) {
        SCOPED_TRACE(total);
        Diagramx& d = make(1, CAPACITY);
        for (uint32_t n = 0; n < total; ++n) {
            const double v = n == CAPACITY ? 100.0 : 0.0;  // row 0 of the second lap
            d.Add_sample(&v, 1);
        }
        d.Redraw();
        const QImage& img = d.plot_image->image();
        const ChartChannelView& ch = d.view.channels[0];
        const int tip = d.view.plot_bottom -
                        Diagramx_int(d.view.plot_height * (100.0 - ch.minimum) / (ch.maximum - ch.minimum) + 0.5);
        bool drawn = false;
        for (int x = d.view.plot_left; x < d.view.plot_left + d.view.plot_width; ++x)
            drawn = drawn || (img.pixel(x, tip) | 0xFF000000u) == bgr_to_rgb(d.colours[0]);
        EXPECT_TRUE(drawn);
    }
}

TEST_F(ChartTest, AskedRedrawsArePaintedAtDisplayRateWithTheNewestSamples)
{
    Diagramx& d = make();
    uint32_t now = 1000;
    d.paint_clock = [&now] { return now; };
    d.Redraw();
    const uint32_t base = d.paint_count;
    fill(d, 10);
    d.Request_redraw();
    d.Request_redraw();
    fill(d, 5);  // added while the redraw waits
    EXPECT_TRUE(d.Redraw_waiting());
    const struct {
        uint32_t at;
        uint32_t paints;
    } steps[] = {{1000, 0}, {1039, 0}, {1040, 1}, {1041, 1}, {2000, 1}};
    for (const auto& s : steps) {
        now = s.at;
        d.Redraw_due();
        EXPECT_EQ(d.paint_count - base, s.paints) << s.at;
    }
    EXPECT_FALSE(d.Redraw_waiting());
    EXPECT_EQ(d.Window_count(), 15u);
    // A direct redraw paints at once and ends the wait.
    d.Request_redraw();
    d.Redraw();
    EXPECT_FALSE(d.Redraw_waiting());
    EXPECT_EQ(d.paint_count - base, 2u);
    // The chart's own timer paints a redraw that is due.
    now = 5000;
    d.Request_redraw();
    ASSERT_TRUE(pump_until([&] { return !d.Redraw_waiting(); }, 5000));
    EXPECT_EQ(d.paint_count - base, 3u);
}

// The automatic scale of a record that slides on, worked out anew on every paint.
TEST_F(ChartTest, AutomaticScaleFollowsASlidingRecord)
{
    Diagramx& d = make(2, 300);
    d.view.record_length = 99;
    const auto scan = [&](int ch, double& hi, double& lo) {
        bool found = false;
        for (uint32_t i = d.window_start; i != d.window_end; i = d.Ring_add(i, 1)) {
            const double x = d.Row(i)[ch];
            if (!std::isfinite(x))
                continue;
            hi = found ? std::max(hi, x) : x;
            lo = found ? std::min(lo, x) : x;
            found = true;
        }
        const double r = hi - lo;
        hi += r == 0 ? 1 : 0.05 * r;
        lo -= r == 0 ? 1 : 0.05 * r;
    };
    for (int i = 0; i < 700; ++i) {
        // Peaks that enter and leave the record, a NaN now and then.
        const double row[2] = {i % 97 == 0 ? 50.0 + i : std::sin(i * 0.1), i % 13 == 0 ? NaN : -double(i % 40)};
        d.Add_sample(row, 2);
        if (i % 7 != 0)
            continue;
        if (i == 350)
            d.Empty_samples();
        d.Redraw();
        for (int ch = 0; ch < 2; ++ch) {
            double hi = 0, lo = 0;
            scan(ch, hi, lo);
            ASSERT_DOUBLE_EQ(d.view.channels[ch].maximum, hi) << i << " " << ch;
            ASSERT_DOUBLE_EQ(d.view.channels[ch].minimum, lo) << i << " " << ch;
        }
    }
    // A light chart's sample rewritten in place.
    lt = std::make_unique<DiagramxLt>(parent.get(), 1, 20);
    for (int i = 0; i < 10; ++i) {
        const double v = i;
        lt->Add_sample(&v, 1);
    }
    lt->Redraw();
    const double big = 100;
    lt->Set_sample_at(&big, 1, 4);
    lt->Redraw();
    EXPECT_DOUBLE_EQ(lt->view.channels[0].maximum, 105);
}

// The chart's own picture has its trace pixels set directly; a painter with a clip of its own (as a
// printer's) draws them as polylines: each channel shows the same envelope in every column and
// nearly the same pixels.
TEST_F(ChartTest, ScreenAndPainterTracesShowTheSameEnvelope)
{
    const struct {
        int samples;
        int every, held;  // of each `every` rows the first `held` are numbers, the others not
    } cases[] = {
        {40000, 1, 1},    // many samples to a column
        {150, 1, 1},      // columns between samples
        {40000, 300, 4},  // a few samples to a column, columns of not-a-number rows between them
    };
    for (const auto& c : cases) {
    const int samples = c.samples;
    Diagramx& d = make();
    uint32_t seed = 3;
    double walk = 0;
    for (int i = 0; i < samples; ++i) {
        seed = seed * 1103515245u + 12345u;
        walk += double(int((seed >> 16) % 21) - 10);
        const double row[4] = {std::sin(i * 0.05) * 3, (i % 500) * 0.1, walk, i == samples / 2 ? 1e3 : 0.0};
        const double gap[4] = {NaN, NaN, NaN, NaN};
        d.Add_sample(i % c.every < c.held ? row : gap, 4);
    }
    for (int ch = 0; ch < 4; ++ch) {
        SCOPED_TRACE(std::to_string(samples) + " samples, " + std::to_string(c.held) + " of " +
                     std::to_string(c.every) + ", channel " + std::to_string(ch));
        for (int k = 0; k < 4; ++k)
            d.shown[k] = k == ch;
        d.Redraw();
        const QImage& screen = d.plot_image->image();
        QImage page(screen.size(), QImage::Format_RGB32);
        page.setDotsPerMeterX(screen.dotsPerMeterX());
        page.setDotsPerMeterY(screen.dotsPerMeterY());
        page.fill(Qt::white);
        Canvas canvas(&page);
        canvas.painter()->setClipRect(page.rect());
        d.print_view = d.view;
        d.print_target.canvas = &canvas;
        d.print_target.width = page.width();
        d.print_target.height = page.height();
        d.Paint(&d.print_target, &d.print_view);
        canvas.end();
        const QRgb want = bgr_to_rgb(d.colours[ch]);
        int unlike = 0, columns = 0;
        for (int x = d.view.plot_left; x < d.view.plot_left + d.view.plot_width; ++x) {
            int first[2] = {-1, -1}, last[2] = {-1, -1};
            for (int y = plot_top(); y < d.view.plot_bottom; ++y)
                for (int k = 0; k < 2; ++k)
                    if (((k == 0 ? screen : page).pixel(x, y) | 0xFF000000u) == want) {
                        first[k] = first[k] < 0 ? y : first[k];
                        last[k] = y;
                    }
            columns += first[1] >= 0;
            unlike += (first[0] < 0) != (first[1] < 0) || std::abs(first[0] - first[1]) > 1 ||
                      std::abs(last[0] - last[1]) > 1;
        }
        EXPECT_GT(columns, d.view.plot_width / 2);
        EXPECT_LE(unlike, columns / 100);
        int differ = 0;
        for (int x = d.view.plot_left; x < d.view.plot_left + d.view.plot_width; ++x)
            for (int y = plot_top(); y < d.view.plot_bottom; ++y)
                differ += ((screen.pixel(x, y) | 0xFF000000u) == want) != ((page.pixel(x, y) | 0xFF000000u) == want);
        EXPECT_LE(differ, columns / 50);  // a pixel at a joint now and then
    }
    }
}

// A chart that keeps its backdrop, ticks and overview strip between paints shows, after each change
// of what they are drawn from, what a new chart shows that is painted once in the same state.
TEST_F(ChartTest, KeptBackdropTicksAndOverviewMatchANewChart)
{
    const std::function<void(Diagramx&)> changes[] = {
        [](Diagramx& d) { d.view.right_channel = 1; },
        [this](Diagramx& d) { fill(d, 50); },  // more samples held
        [](Diagramx& d) {
            d.view.channels[0].fixed = 1;
            d.view.channels[0].fixed_maximum = 5000;
            d.view.channels[0].fixed_minimum = -3;
        },
        [](Diagramx& d) { d.view.channels[0].fixed_maximum = 4000; },
        [](Diagramx& d) { d.view.channels[0].fixed_minimum = -900; },
        [](Diagramx& d) {
            d.view.automatic = 0;
            d.view.window_offset = 100;
            d.view.window_width = 1000;
            for (int ch = 0; ch < 4; ++ch) {
                d.view.channels[ch].zoom_maximum = 2000;
                d.view.channels[ch].zoom_minimum = -2100;
            }
        },
        [](Diagramx& d) { d.view.start_trim = 0.0003; },
        [](Diagramx& d) { d.view.end_trim = 0.0004; },
        [](Diagramx& d) { d.view.window_offset = 300; },
        [](Diagramx& d) { d.view.channels[0].zoom_maximum = 1500; },
        [](Diagramx& d) { d.view.channels[1].zoom_minimum = -1800; },
        [](Diagramx& d) { d.view.channels[0].set_name("Speed"); },
        [](Diagramx& d) { d.view.channels[1].set_unit("rpm"); },
        [](Diagramx& d) { d.colours[0] = 0x123456; },
        [](Diagramx& d) { d.title = "Other"; },
        [](Diagramx& d) { d.time_axis_name = "t [ms]"; },
        [](Diagramx& d) { d.view.background = 0xFFFFFF; },
        [](Diagramx& d) { d.view.left_channel = 1; },
        [this](Diagramx& d) { fill(d, 50); },  // more samples behind a zoomed view
        [](Diagramx& d) {  // a lower chart
            d.parent->resize(d.parent->width(), 280);
            d.Resize();
        },
    };
    Diagramx& kept = make();
    fill(kept, 2001);
    kept.Redraw();
    QWidget other_parent;
    other_parent.resize(parent->size());
    for (std::size_t n = 1; n <= std::size(changes); ++n) {
        SCOPED_TRACE(n);
        changes[n - 1](kept);
        kept.Redraw();
        Diagramx fresh(&other_parent, 4, 40002);
        fresh.Resize();
        fill(fresh, 2001);
        for (std::size_t k = 0; k < n; ++k)
            changes[k](fresh);
        fresh.Redraw();
        EXPECT_TRUE(kept.plot_image->image() == fresh.plot_image->image());
        EXPECT_TRUE(kept.overview->image() == fresh.overview->image());
        for (const auto& [a, b] : {std::pair{&kept.left_ticks, &fresh.left_ticks}, {&kept.right_ticks, &fresh.right_ticks},
                                   {&kept.time_ticks, &fresh.time_ticks}}) {
            EXPECT_EQ(a->first, b->first);
            EXPECT_EQ(a->step, b->step);
            EXPECT_STREQ(a->format, b->format);
            EXPECT_EQ(a->widest, b->widest);
        }
    }
}
