// Tool window figures: a rotor dial repaint (162 x 162, sweep and arrow) and an idle monitor tick
// of the calibration window (link ready, nothing running), the work the 1 ms timers do.
#include <benchmark/benchmark.h>

#include <QTimer>

#include "controls/Graph_rotx.h"
#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "platform/Msgbox.h"
#include "tools/Tar_pos_sensor.h"

namespace {

void BM_RotorDialRepaint(benchmark::State& state)
{
    ImageBox box;
    box.set_image_size(162, 162);
    double angle = 0.0;
    for (auto _ : state) {
        Graph_rotx_dial(&box, angle, DialFlag::Arrow | DialFlag::Sweep);
        angle += 0.01;
        benchmark::DoNotOptimize(box.image().constBits());
    }
}
BENCHMARK(BM_RotorDialRepaint);

void BM_CalibrationIdleTick(benchmark::State& state)
{
    Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
    Seriale_init();
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    TForm_tar_pos_sensor window;
    window.Timer_monitor_seriale->stop();
    uint32_t now = 1000;
    for (auto _ : state)
        window.TarPosSensorMonitor(++now);
    Ser_link_flags.store(0);
    Seriale_queue_close();
}
BENCHMARK(BM_CalibrationIdleTick);

}  // namespace
