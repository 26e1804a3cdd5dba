// Chart engine figures: a full paint of 40,001 x 4 samples on 1600 x 900 against drawing every
// segment with its own line call, a paint with 1,000 samples held, 40,001 appends, and a cursor
// move against a full paint.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>

#include <time.h>

#include <QPainter>
#include <QWidget>

#include "platform/Msgbox.h"
#include "scope/Diagramx.h"

namespace {

constexpr int SAMPLES = 40001;

struct ChartBench {
    QWidget parent;
    std::unique_ptr<Diagramx> chart;

    explicit ChartBench(int samples = SAMPLES)
    {
        Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
        parent.resize(1600, 900 + 44 + 36);  // plot image 1600 x 900
        chart = std::make_unique<Diagramx>(&parent, 4, 40002);
        chart->Resize();
        for (int i = 0; i < samples; ++i) {
            const double row[4] = {std::sin(i * 0.001) * 100, std::cos(i * 0.0037) * 50, (i % 500) * 0.1,
                                   std::sin(i * 0.05) * 3 + std::sin(i * 0.0002) * 20};
            chart->Add_sample(row, 4);
        }
    }
};

// CPU time of the calling thread: a figure that a loaded machine does not inflate with waiting.
double cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double seconds_of(const std::function<void()>& f)
{
    const double t0 = cpu_seconds();
    f();
    return cpu_seconds() - t0;
}

// The same traces with one line call per segment, on the same picture.
void paint_segments(Diagramx& d)
{
    QPainter& p = *d.plot_canvas->painter();  // the picture's own painter
    const ChartViewSettings& v = d.view;
    const double span = v.time_end - v.time_start;
    for (int ch = 0; ch < 4; ++ch) {
        const ChartChannelView& c = v.channels[ch];
        p.setPen(QPen(bgr(d.colours[ch]), 1));
        QPointF last;
        uint32_t row = d.window_start;
        for (uint32_t k = 0; k < d.Sample_count(); ++k, row = d.Ring_add(row, 1)) {
            const QPointF pt(v.plot_left + d.Time_of(row, d.ring_start) * v.plot_width / span,
                             v.plot_bottom - (d.Row(row)[ch] - c.minimum) * v.plot_height / (c.maximum - c.minimum));
            if (k > 0)
                p.drawLine(last.toPoint(), pt.toPoint());
            last = pt;
        }
    }
}

void BM_ChartPaint(benchmark::State& state)
{
    ChartBench b;
    double paint = 0, segments = 0;
    for (auto _ : state) {
        const double t = seconds_of([&] { b.chart->Redraw(); });
        segments += seconds_of([&] { paint_segments(*b.chart); });
        paint += t;
        state.SetIterationTime(t);
    }
    state.counters["paint_ms"] = paint * 1000 / state.iterations();
    state.counters["vs_segment_lines"] = paint / segments;  // target at most 0.5
}
BENCHMARK(BM_ChartPaint)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ChartPaintFew(benchmark::State& state)
{
    ChartBench b(1000);
    for (auto _ : state)
        state.SetIterationTime(seconds_of([&] { b.chart->Redraw(); }));
}
BENCHMARK(BM_ChartPaintFew)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ChartAppend(benchmark::State& state)
{
    QWidget parent;
    Diagramx chart(&parent, 4, 40002);
    double row[4] = {1, 2, 3, 4};
    for (auto _ : state) {
        for (int i = 0; i < SAMPLES; ++i) {
            row[0] = i;
            chart.Add_sample(row, 4);
        }
        benchmark::DoNotOptimize(chart.ring_end);
    }
    state.counters["per_append_ns"] =
        benchmark::Counter(double(SAMPLES) * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ChartAppend)->Unit(benchmark::kMillisecond);  // target: 40,001 appends at most 2 ms

void BM_ChartCursorMove(benchmark::State& state)
{
    ChartBench b;
    Diagramx& d = *b.chart;
    d.time_cursors_shown = d.level_cursors_shown = 1;
    d.Redraw();
    const double full = seconds_of([&] { d.Redraw(); });
    ChartRegion& h = d.regions[1];
    d.Image_mouse_down(ChartButtonLeft, 1u << ShiftLeft, h.left + 10, h.top + 10);
    int x = d.view.plot_left + 10;
    double moves = 0;
    for (auto _ : state) {
        x = x < d.view.plot_left + d.view.plot_width - 10 ? x + 7 : d.view.plot_left + 10;
        const double t = seconds_of([&] { d.Image_mouse_move(1u << ShiftLeft, x, h.top + 10); });
        moves += t;
        state.SetIterationTime(t);
    }
    d.Image_mouse_up();
    state.counters["vs_full_paint"] = moves / state.iterations() / full;  // target at most 0.1
}
BENCHMARK(BM_ChartCursorMove)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
