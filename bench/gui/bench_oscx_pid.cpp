// Regulator panel figure: an idle monitor tick (link ready, generator off, no gain written), the
// work its 2 ms timer does, reported as the share of the timer period it takes.
#include <benchmark/benchmark.h>

#include <QTimer>

#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "scope/Oscx_pid.h"

namespace {

constexpr double TICK_PERIOD_S = 0.002;

void BM_RegulatorPanelIdleTick(benchmark::State& state)
{
    Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
    Seriale_init();
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    Ser_tx_state.store(LinkState::Run);
    {
        TForm_Oscx_PID panel;
        panel.Timer_monitor->stop();
        panel.Timer_monitorTimer();  // the first tick applies the levels
        for (auto _ : state)
            panel.Timer_monitorTimer();
    }
    // Share of the 2 ms period one tick takes (1 = the whole period).
    state.counters["share_of_period"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * TICK_PERIOD_S, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    Ser_tx_state.store(LinkState::Stop);
    Ser_link_flags.store(0);
    Seriale_queue_close();
}
BENCHMARK(BM_RegulatorPanelIdleTick);

}  // namespace
