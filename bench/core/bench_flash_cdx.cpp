// Container download: 64 pages to the simulator's container boot program paced at 57600 baud, as a
// ratio to the wire time of the command-2 frames and their replies (figures only).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "DriveSim.h"
#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/CdxTestUtil.h"
#include "link/Link_state.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr uint32_t BAUD = 57600;
constexpr std::size_t PAGES = 64;

void BM_Cdx_download_64_pages_paced(benchmark::State& state)
{
    double wire = 0, ratio = 0;
    for (auto _ : state) {
        State_reset_all();
        auto sim = std::make_unique<DriveSim>();
        sim->set_pacing(BAUD, 0us);
        sim->set_cdx_boot_program(true);
        char tmpl[] = "/tmp/pendrix_cdxb_XXXXXX";
        const fs::path dir = ::mkdtemp(tmpl);
        const std::string file = (dir / "fw.cdx").string();
        cdxtest::write_file(file, cdxtest::container(cdxtest::records(PAGES), {0xC0458}));
        Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
        Flash_install();
        Flashsh7047_load_file(file);
        Link_settings_set({sim->port_name(), BAUD, false});
        Seriale_init_link();
        Flashsh7047_reset_state(false);
        Seriale_open_link(LinkMode::Flash);
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (!(CdxDownload.bits.load() & CdxBit::AllAcked) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(200us);
        Seriale_close_link();
        Seriale_wait_stopped(3000);
        Seriale_close();
        FlashEntries = FlashEntriesRec{};
        fs::remove_all(dir);
        wire = 0;
        SimClock::time_point first{}, last{};
        for (const SimLogEntry& e : sim->log()) {
            if (e.cmd != 2)
                continue;
            if (first == SimClock::time_point{})
                first = e.start;
            last = e.end;
            wire += std::chrono::duration<double>(sim_wire_time(e.bytes.size(), BAUD)).count();
        }
        ratio = std::chrono::duration<double>(last - first).count() / wire;
    }
    state.counters["wire_s"] = wire;
    state.counters["x_wire"] = ratio;
}
BENCHMARK(BM_Cdx_download_64_pages_paced)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
