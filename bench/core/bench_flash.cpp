// Firmware update: the S-record reader on a 256 KB file, a 64-page boot-loader run against the
// simulator paced at the line's rate (against the wire time of every byte exchanged, and with the
// line sequences' fixed pauses added), and the unpaced turnaround per boot-loader command.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DriveSim.h"
#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr uint32_t BAUD = 57600;
// Pauses the line sequences hold in a run without retries: step 0 (entry 40, 20), the sync's
// restart (entry 40, 20), the bit-rate change (10), the exit (40, 200).
constexpr double FIXED_PAUSE_S = (40 + 20 + 40 + 20 + 10 + 40 + 200) / 1000.0;

std::string line(uint32_t address, const uint8_t* data, unsigned n)
{
    char buf[600];
    unsigned sum = n + 3 + (address >> 8 & 0xFF) + (address & 0xFF);
    int at = std::snprintf(buf, sizeof buf, "S1%02X%04X", n + 3, address & 0xFFFF);
    for (unsigned i = 0; i < n; ++i) {
        at += std::snprintf(buf + at, sizeof buf - at, "%02X", data[i]);
        sum += data[i];
    }
    std::snprintf(buf + at, sizeof buf - at, "%02X\r\n", ~sum & 0xFF);
    return buf;
}

// S-records of n bytes from 0, in records of `per` bytes (S2 above 64 KB not needed below it).
fs::path srec_file(const fs::path& dir, std::size_t n, unsigned per)
{
    std::string text;
    std::vector<uint8_t> data(per);
    for (std::size_t a = 0; a < n; a += per) {
        for (unsigned i = 0; i < per; ++i)
            data[i] = static_cast<uint8_t>(a + i * 3);
        if (a < 0x10000) {
            text += line(static_cast<uint32_t>(a), data.data(), per);
        } else {  // S2 with a three-byte address
            char buf[600];
            unsigned sum = per + 4 + (a >> 16 & 0xFF) + (a >> 8 & 0xFF) + (a & 0xFF);
            int at = std::snprintf(buf, sizeof buf, "S2%02X%06zX", per + 4, a);
            for (unsigned i = 0; i < per; ++i) {
                at += std::snprintf(buf + at, sizeof buf - at, "%02X", data[i]);
                sum += data[i];
            }
            std::snprintf(buf + at, sizeof buf - at, "%02X\r\n", ~sum & 0xFF);
            text += buf;
        }
    }
    const fs::path p = dir / "fw.mot";
    std::ofstream(p, std::ios::binary) << text;
    return p;
}

fs::path temp_dir()
{
    char tmpl[] = "/tmp/pendrix_bench_flash_XXXXXX";
    return ::mkdtemp(tmpl) ? fs::path(tmpl) : fs::path("/tmp");
}

void BM_Srec_read_256K(benchmark::State& state)
{
    const fs::path dir = temp_dir();
    const fs::path file = srec_file(dir, 0x40000, 32);  // 8,192 lines
    for (auto _ : state)
        benchmark::DoNotOptimize(readSRecordFile(file.string()));
    state.counters["pages"] = FirmwareImage.page_count;
    fs::remove_all(dir);
}
BENCHMARK(BM_Srec_read_256K)->Unit(benchmark::kMillisecond);

// A simulator in the boot personality (the RTS line through the line hook), boot-loader files of
// the drive's sizes and an image of 64 pages.
struct BootBench {
    std::unique_ptr<DriveSim> sim = std::make_unique<DriveSim>();
    fs::path dir = temp_dir();

    explicit BootBench(bool paced)
    {
        if (paced)
            sim->set_pacing(BAUD, 0us);
        for (const BootKernelFile& k : BootKernel)
            std::ofstream(dir / k.name, std::ios::binary) << std::string(k.spec_size, '\x5A');
        Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
        Flash_install();
        Flashcom_mot_set_kernel_folder(dir.string());
        DriveSim* s = sim.get();
        Flashcom_mot_set_line_hook([s](const FlashLineEvent& e) {
            if (e.kind == FlashLineEvent::BootEntry)
                s->boot_reset();
            if (e.kind == FlashLineEvent::BootExit)
                s->app_reset();
        });
        const fs::path fw = srec_file(dir, 0x2000, 16);
        Flash_settings_set({fw.string(), false, {0, 0, 0}});
        Flashsh7047_load_file(fw.string());
        Link_settings_set({sim->port_name(), BAUD, false});
        Seriale_init_link();
    }
    ~BootBench()
    {
        Seriale_close_link();
        Seriale_wait_stopped(3000);
        Seriale_close();
        Flashcom_mot_set_line_hook(nullptr);
        FlashEntries = FlashEntriesRec{};
        fs::remove_all(dir);
    }
    // One whole run; false when it did not end within 60 s.
    bool run()
    {
        Flashsh7047_reset_state(false);
        if (!Flashcom_mot_prepare() || !Seriale_open_link(LinkMode::Flash))
            return false;
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (!(FlashRun.done.load() && Ser_link_mode.load() == LinkMode::Normal)) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(200us);
        }
        return true;
    }
};

double seconds(SimClock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void BM_Boot_run_64_pages_paced(benchmark::State& state)
{
    double wire = 0, ratio = 0, ratio_pauses = 0;
    for (auto _ : state) {
        BootBench b(true);
        const auto start = std::chrono::steady_clock::now();
        if (!b.run()) {
            state.SkipWithError("run did not end");
            return;
        }
        const double took = seconds(std::chrono::steady_clock::now() - start);
        wire = 0;
        for (const SimBootEntry& e : b.sim->boot_log())
            wire += seconds(sim_wire_time(e.bytes.size(), e.baud));
        ratio = took / wire;
        ratio_pauses = took / (wire + FIXED_PAUSE_S);
    }
    state.counters["wire_s"] = wire;
    state.counters["x_wire"] = ratio;
    state.counters["x_wire_and_pauses"] = ratio_pauses;
}
BENCHMARK(BM_Boot_run_64_pages_paced)->Unit(benchmark::kMillisecond)->Iterations(2);

// From an answer's last byte to the next command's arrival, unpaced: the program's own time.
void BM_Boot_turnaround_unpaced(benchmark::State& state)
{
    std::vector<double> turn;
    for (auto _ : state) {
        BootBench b(false);
        if (!b.run()) {
            state.SkipWithError("run did not end");
            return;
        }
        const auto log = b.sim->boot_log();
        for (std::size_t i = 1; i < log.size(); ++i)
            if (log[i].from_program && !log[i - 1].from_program)
                turn.push_back(seconds(log[i].at - log[i - 1].at) * 1000.0);
    }
    std::sort(turn.begin(), turn.end());
    state.counters["median_ms"] = turn.empty() ? 0 : turn[turn.size() / 2];
    state.counters["commands"] = static_cast<double>(turn.size());
}
BENCHMARK(BM_Boot_turnaround_unpaced)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
