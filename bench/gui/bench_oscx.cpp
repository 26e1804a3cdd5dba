// Scope transfer figures: the tick that completes a one-shot record of 40,001 samples (replay into
// the chart and its redraw) against the wire time of that record, an idle transfer tick, and the
// GUI thread's share of a core over a rolling capture at 1 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

#include <time.h>

#include <QWidget>

#include "platform/Msgbox.h"
#include "scope/Diagramx.h"
#include "scope/Oscx_chart.h"

namespace {

constexpr uint32_t RECORD = 40000;
constexpr double BAUD = 57600;
constexpr double BITS_PER_BYTE = 10;
constexpr double MIN_SAMPLE_BYTES = 3;  // four 4-bit fields and their codes

struct ScopeBench {
    QWidget parent;
    std::unique_ptr<Diagramx> chart;
    std::unique_ptr<ScopeDiagramxChart> port;
    ScopeSignal signal[1] = {};

    ScopeBench()
    {
        Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
        parent.resize(1600, 900 + 44 + 36);
        chart = std::make_unique<Diagramx>(&parent, 4, RECORD + 2);
        chart->Resize();
        port = std::make_unique<ScopeDiagramxChart>([this] { return chart.get(); });
        signal[0].num = 1;
        signal[0].den = 10;
        ScopeSignalTable = {signal, 1};
        ScopeSettings = {};
        ScopeSettings.record_length = RECORD;
        ScopeSettings.marker[0] = 0.5f;
        ScopeSettings.marker[1] = 0.5f;
        ScopeSettings.trigger_scale_max = 20;
        ScopeSettings.trigger_decimals = 1;
        ScopeSettings.trigger_flags = 0x04;  // rising, live display off
        ScopeSettings.trigger_type = 2;
        ScopeCaptureOn.store(1);
    }
    ~ScopeBench()
    {
        ScopeCaptureOn.store(0);
        ScopeSignalTable = {};
    }
    static void feed(int32_t raw, uint32_t n)
    {
        for (uint32_t i = 0; i < n; ++i) {
            ScopeRingSlot& s = ScopeSampleRing.slot[ScopeSampleRing.write_index.load()];
            for (std::atomic<int32_t>& v : s.ch)
                v.store(raw + int32_t(i % 7));
            Fz_cmp_ring_advance(1);
        }
    }
};

double seconds_of(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_ScopeOneShotComplete(benchmark::State& state)
{
    ScopeBench b;
    double total = 0;
    for (auto _ : state) {
        Scope_capture_arm();
        b.chart->Clear();
        ScopeBench::feed(0, RECORD / 2 + 100);
        ScopeTransferTick(*b.port);  // history gathered
        ScopeBench::feed(0, 1);
        ScopeTransferTick(*b.port);  // searching
        ScopeBench::feed(30, 1);
        ScopeTransferTick(*b.port);  // fires
        ScopeBench::feed(30, RECORD / 2 + 10);
        const double t = seconds_of([&] { ScopeTransferTick(*b.port); });  // collects, replays, redraws
        if (ScopeTriggerState.state != 2 || b.chart->Sample_count() != RECORD + 1)
            state.SkipWithError("the record did not complete");
        total += t;
        state.SetIterationTime(t);
    }
    const double wire = (RECORD + 1) * MIN_SAMPLE_BYTES * BITS_PER_BYTE / BAUD;
    state.counters["complete_ms"] = total * 1000 / state.iterations();  // target at most 50
    state.counters["vs_wire_time"] = total / state.iterations() / wire;
}
BENCHMARK(BM_ScopeOneShotComplete)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ScopeIdleTick(benchmark::State& state)
{
    ScopeBench b;
    Scope_capture_arm();
    ScopeTransferTick(*b.port);  // marks set once
    for (auto _ : state)
        ScopeTransferTick(*b.port);
}
BENCHMARK(BM_ScopeIdleTick)->Unit(benchmark::kMicrosecond);

double thread_cpu_seconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// A rolling capture at 1 ms with a full record on the chart: 10 s of 1 ms transfer ticks, the
// stream's replies bringing 15 samples every 15 ms. The share is the CPU time of the ticks (transfer
// and paints) per simulated second.
void BM_ScopeRollingShare(benchmark::State& state)
{
    constexpr uint32_t SECONDS = 10, REPLY_MS = 15;
    ScopeBench b;
    uint32_t now_ms = 0;
    b.chart->paint_clock = [&now_ms] { return now_ms; };
    ScopeSettings.trigger_type = 0;
    double share = 0;
    for (auto _ : state) {
        Scope_capture_arm();
        b.chart->Clear();
        ScopeBench::feed(0, RECORD + 1);
        ScopeTransferTick(*b.port);
        const uint32_t paints = b.chart->paint_count;
        const double t0 = thread_cpu_seconds();
        for (uint32_t ms = 1; ms <= SECONDS * 1000; ++ms) {
            now_ms += 1;
            if (ms % REPLY_MS == 0)
                ScopeBench::feed(int32_t(ms % 50), REPLY_MS);
            ScopeTransferTick(*b.port);
            b.chart->Redraw_due();  // the chart's redraw timer
        }
        const double cpu = thread_cpu_seconds() - t0;
        share += cpu / SECONDS;
        state.SetIterationTime(cpu);
        state.counters["paints_per_s"] = double(b.chart->paint_count - paints) / SECONDS;
    }
    state.counters["core_share"] = share / state.iterations();  // target at most 0.25
}
BENCHMARK(BM_ScopeRollingShare)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
