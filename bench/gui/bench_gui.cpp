// Main window figures under the offscreen platform: start-up until the window is shown (the
// splash shortened to 0 ms), an idle display tick with a drive answering (time and paints), the
// image read of a first connect bare and with the pages as the program starts them, a
// whole data set sent at 57600 baud against the wire time of the bytes exchanged, the CPU
// of the process with the motor-send dialog open against without it, and the positioning test
// bench's set-up against its wire time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include "DriveSim.h"
#include "controls/Fonts.h"
#include "drivedata/Globvar.h"
#include "gui/gui_app.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "shell/Allarmi.h"
#include "shell/Form_send_dat.h"
#include "shell/Form_send_motor.h"
#include "shell/Formdattxrx.h"
#include "pages/Pages.h"
#include "shell/Main.h"
#include "shell/Main_page_host.h"
#include "shell/Settings.h"
#include "shell/Splash.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"
#include "shell/Treectrl.h"
#include "tools/Pos_quote_test.h"
#include "tools/Tools.h"

namespace {

using namespace std::chrono_literals;
constexpr uint32_t BAUD = 57600;

double process_cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Counts paint events anywhere in the application.
class PaintCounter : public QObject {
public:
    PaintCounter() { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    std::size_t count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// The three start-up windows in an empty folder, every question answered No/OK.
struct Windows {
    QTemporaryDir dir;
    QString old_cwd = QDir::currentPath();
    std::unique_ptr<TForm_main> main;
    std::unique_ptr<TForm_terminal> terminal;
    std::unique_ptr<TForm_allarmi> alarms;
    std::unique_ptr<DriveSim> sim;

    Windows()
    {
        QDir::setCurrent(dir.path());
        Msgbox_set_sink([](const MsgRequest& r) { return (r.buttons & MsgOk) ? MsgOk : MsgNo; });
        SplashDurationMs = 0;
    }
    ~Windows()
    {
        if (main) {
            DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Modified));
            main->close();
        }
        alarms.reset();
        terminal.reset();
        main.reset();
        sim.reset();
        QDir::setCurrent(old_cwd);
    }
    bool open()
    {
        main = std::make_unique<TForm_main>();
        terminal = std::make_unique<TForm_terminal>();
        alarms = std::make_unique<TForm_allarmi>();
        main->show();
        return pump_until([this] { return main->form_shown(); }, 10000);
    }
    // A simulator on the port box; connects and waits for the first display of the image. With
    // `local` the field bus keeps local control (status bit 9): no remote synchronisation traffic.
    bool connect(uint32_t pacing_baud, bool local = true)
    {
        sim = std::make_unique<DriveSim>();
        sim->set_pacing(pacing_baud, 0us);
        SimBytes status(DriveSim::kStatusSize, 0);
        status[8] = local ? 0x02 : 0x00;
        sim->set_status(status);
        if (!Settings_set_port_name(sim->port_name()))
            return false;
        Settings_publish_link();
        Seriale_poll_ports(Tick_ms() + 5000);
        main->Main_fill_port_box();
        main->BitBtn_connect->click();
        return pump_until([] { return Ser_data_flags.load() & DataFlag::ListReads; }, 8000);
    }
    bool ready(benchmark::State& state, uint32_t pacing_baud)
    {
        if (open() && connect(pacing_baud))
            return true;
        state.SkipWithError("no drive");
        return false;
    }
};

void BM_StartUp(benchmark::State& state)
{
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        Windows w;
        if (!w.open()) {
            state.SkipWithError("window not shown");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
}
BENCHMARK(BM_StartUp)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IdleDisplayTick(benchmark::State& state)
{
    Windows w;
    if (!w.ready(state, 0))
        return;
    pump_until([] { return false; }, 300);  // first display done, values steady
    w.main->Timer_com->stop();
    PaintCounter paints;
    std::size_t ticks = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        w.main->Timer_comTimer();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        QCoreApplication::processEvents();
        ++ticks;
    }
    state.counters["paints_per_tick"] = static_cast<double>(paints.count) / static_cast<double>(ticks);
}
BENCHMARK(BM_IdleDisplayTick)->Iterations(2000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The image read of a first connect with the main window to a drive that follows the program
// (status bit 9 clear): from its first block request to the last block reply, against the wire
// time of every byte exchanged in that time (ratio) and of the block reads alone (ratio_blocks).
struct ImageReadFigures {
    bool ok = false;
    double elapsed_s = 0;
    double ratio = 0;
    double ratio_blocks = 0;
    double other_requests = 0;  // requests other than block reads during the read
};

ImageReadFigures first_connect_image_read()
{
    ImageReadFigures f;
    Windows w;
    if (!w.open() || !w.connect(BAUD, false))
        return f;
    const auto blocks = w.sim->requests(3);
    const auto replies = w.sim->replies(3);
    if (blocks.empty() || replies.empty())
        return f;
    const auto from = blocks.front().start;
    const auto to = replies.back().end;
    std::size_t bytes = 0, block_bytes = 0;
    for (const auto& e : w.sim->log()) {
        if (e.start < from || e.end > to)
            continue;
        bytes += e.bytes.size();
        if (e.cmd == 3)
            block_bytes += e.bytes.size();
        else if (e.dir == SimLogEntry::Request)
            f.other_requests += 1;
    }
    f.elapsed_s = std::chrono::duration<double>(to - from).count();
    f.ratio = f.elapsed_s / (static_cast<double>(bytes) * 10.0 / BAUD);
    f.ratio_blocks = f.elapsed_s / (static_cast<double>(block_bytes) * 10.0 / BAUD);
    f.ok = true;
    return f;
}

void BM_FirstConnectImageRead(benchmark::State& state)
{
    for (auto _ : state) {
        const ImageReadFigures f = first_connect_image_read();
        if (!f.ok) {
            state.SkipWithError("no drive");
            return;
        }
        state.SetIterationTime(f.elapsed_s);
        state.counters["ratio_to_wire"] = f.ratio;  // target <= 1.10
    }
}
BENCHMARK(BM_FirstConnectImageRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The page nodes bare (no page unit: what the figures above run with) or filled as main() does.
void install_pages(bool as_started)
{
    if (as_started) {
        Pages_install(Main_page_host());
        return;
    }
    for (PageNode* n : {&PageNode_field_bus, &PageNode_motore, &PageNode_pid_vel, &PageNode_pid_cor, &PageNode_pid_pos}) {
        n->PageCreate = nullptr;
        n->PageDestroy = nullptr;
        n->PageRefresh = nullptr;
        n->PageSetLanguage = nullptr;
        n->PageSetAccess = nullptr;
        n->PageGetSize = nullptr;
    }
    Pages_install(PageHostRec{});
}

// The program as started: the page units installed and the first page (Field Bus) shown, whose
// requests join the image read; beside it the same read with bare page nodes. Figures only.
void BM_StartUpImageRead(benchmark::State& state)
{
    for (auto _ : state) {
        install_pages(false);
        const ImageReadFigures bare = first_connect_image_read();
        install_pages(true);
        const ImageReadFigures started = first_connect_image_read();
        if (!bare.ok || !started.ok) {
            state.SkipWithError("no drive");
            return;
        }
        state.SetIterationTime(started.elapsed_s);
        state.counters["ratio_bare"] = bare.ratio;
        state.counters["ratio_as_started"] = started.ratio;
        state.counters["blocks_ratio_bare"] = bare.ratio_blocks;
        state.counters["blocks_ratio_as_started"] = started.ratio_blocks;
        state.counters["other_requests_as_started"] = started.other_requests;
    }
}
BENCHMARK(BM_StartUpImageRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SendAllPaced(benchmark::State& state)
{
    Windows w;
    if (!w.ready(state, BAUD))
        return;
    w.sim->set_store_time(0ms);
    for (auto _ : state) {
        DriveRecordBank[0].b[1000] ^= 0xFF;
        w.sim->clear_log();
        const auto t0 = SimClock::now();
        SimClock::time_point done{};
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* d = qobject_cast<TForm_send_dat*>(QApplication::activeModalWidget());
            if (d != nullptr && d->finished() && done == SimClock::time_point{})
                done = SimClock::now();
        });
        watch.start(1);
        const bool ok = Main_send_all_and_save();
        watch.stop();
        if (!ok || done == SimClock::time_point{}) {
            state.SkipWithError("send not finished");
            return;
        }
        std::size_t bytes = 0;
        for (const auto& e : w.sim->log())
            if (e.end <= done)
                bytes += e.bytes.size();
        const double elapsed = std::chrono::duration<double>(done - t0).count();
        state.SetIterationTime(elapsed);
        state.counters["ratio_to_wire"] = elapsed / (static_cast<double>(bytes) * 10.0 / BAUD);
        state.counters["progress_requests"] = static_cast<double>(w.sim->requests(7).size());
    }
}
BENCHMARK(BM_SendAllPaced)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Process CPU (ms, every thread) from 200 ms to 1200 ms after the call; then `end` runs.
void measure_cpu(QObject* context, double& out, const std::function<void()>& end)
{
    auto c0 = std::make_shared<double>(0);
    QTimer::singleShot(200, context, [c0] { *c0 = process_cpu_ms(); });
    QTimer::singleShot(1200, context, [c0, &out, end] {
        out = process_cpu_ms() - *c0;
        end();
    });
}

void BM_MotorSendDialogCpu(benchmark::State& state)
{
    Windows w;
    if (!w.ready(state, BAUD))
        return;
    for (auto _ : state) {
        double base = 0;
        {
            QEventLoop idle;
            QObject context;
            measure_cpu(&context, base, [&] { idle.quit(); });
            idle.exec();
        }
        MotorRecord motor{};
        TForm_send_motor dialog(motor, w.main.get());
        double open = 0;
        measure_cpu(&dialog, open, [&] { dialog.reject(); });
        dialog.exec();
        state.SetIterationTime(1.0);
        state.counters["idle_cpu_pct"] = base / 10.0;  // of one core, whole process
        state.counters["dialog_cpu_pct"] = open / 10.0;
    }
}
BENCHMARK(BM_MotorSendDialogCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The positioning test bench's set-up at 57600 baud (the drive under local control): from the
// button's click to the reply of its last set-up write, against the wire time of every byte
// exchanged in that time; then the bench is closed (its restore is not measured).
void BM_PosTestSetUpPaced(benchmark::State& state)
{
    Windows w;
    if (!w.ready(state, BAUD))
        return;
    Tools_install();
    for (auto _ : state) {
        w.sim->clear_log();
        const auto t0 = SimClock::now();
        w.main->BitBtn_pos_testClick();
        SimClock::time_point done{};
        const bool replied = pump_until([&] {
            bool last_write = false;
            for (const SimLogEntry& e : w.sim->log()) {
                if (e.dir == SimLogEntry::Request && e.cmd == 4 && e.bytes.size() > 3 && e.bytes[2] == 0x04 &&
                    e.bytes[3] == 0x10)
                    last_write = true;
                else if (last_write && e.dir == SimLogEntry::Reply) {
                    done = e.end;
                    return true;
                }
            }
            return false;
        }, 10000);
        if (!replied) {
            state.SkipWithError("set-up not finished");
            break;
        }
        std::size_t bytes = 0;
        for (const SimLogEntry& e : w.sim->log())
            if (e.end <= done)
                bytes += e.bytes.size();
        const double elapsed = std::chrono::duration<double>(done - t0).count();
        state.SetIterationTime(elapsed);
        state.counters["ratio_to_wire"] = elapsed / (static_cast<double>(bytes) * 10.0 / BAUD);
        state.counters["requests"] = static_cast<double>(w.sim->requests().size());
        Pos_quote_test_close();
        WritePending = 0;
    }
    for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
        Toolwin_unregister(static_cast<ToolWin>(k));
}
BENCHMARK(BM_PosTestSetUpPaced)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains("propagateSizeHints"))  // the offscreen platform's notice
            fprintf(stderr, "%s\n", qPrintable(text));
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    test_home();  // settings and data files of the run stay out of the user's folders
    Fonts_install();
    QApplication app(argc, argv);
    Settings_set_system_language_id([] { return static_cast<uint16_t>(1033); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
