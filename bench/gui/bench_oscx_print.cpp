// Trace print figures: a preview repaint (paper and page) of a full recording of 40,001 x 4
// samples at 100 % (target at most 50 ms), and opening a full recording of 1,280,176 bytes
// (reading the file, the checksum and the checks).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/Msgbox.h"
#include "print_core/Print_preview.h"
#include "print_core/Print_printers.h"
#include "scope/Diagramx.h"
#include "scope/Oscx_print.h"
#include "scope_core/Oscx_read_recording.h"

namespace {

constexpr int SAMPLES = 40001;

void BM_TracePreviewRepaint(benchmark::State& state)
{
    Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
    Print_set_printer_source(PrinterSource{});  // the A4 table
    QWidget parent;
    parent.resize(1000, 600);
    Diagramx chart(&parent, 4, 40002);
    for (int i = 0; i < SAMPLES; ++i) {
        const double row[4] = {std::sin(i * 0.001) * 100, std::cos(i * 0.0037) * 50, (i % 500) * 0.1,
                               std::sin(i * 0.05) * 3};
        chart.Add_sample(row, 4);
    }
    chart.view.record_length = 40000;
    QImage image(800, 1130, QImage::Format_RGB32);
    PrintPageRec page;
    page.density = 94;  // 100 % on an 800-pixel image
    page.margin_left = page.margin_top = 13;
    page.canvas = &image;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        Print_preview_draw_paper(image, page);
        Oscx_print_page(&page, &chart);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    Print_set_printer_source(std::nullopt);
}
BENCHMARK(BM_TracePreviewRepaint)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RecordingOpen(benchmark::State& state)
{
    std::vector<double> rows(std::size_t(SAMPLES) * 4);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = std::sin(double(i));
    ScopeSettingsRec s{};
    s.record_length = 40000;
    DriveFamilyRecord family{};
    family.code = 2;
    family.version_major = 3;
    const ScopeSamplePiece piece{rows.data(), SAMPLES};
    const std::vector<uint8_t> image = Scope_recording_image(s, family, 0, &piece, 1);
    QTemporaryDir dir;
    const QString path = dir.path() + "/full.dmg";
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size()));
    out.close();
    for (auto _ : state) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        const ScopeRecordingRead r = Oscx_read_recording(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                         static_cast<std::size_t>(bytes.size()));
        benchmark::DoNotOptimize(r.sample_count);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
    state.counters["file_bytes"] = double(image.size());
}
BENCHMARK(BM_RecordingOpen)->Unit(benchmark::kMillisecond);

}  // namespace
