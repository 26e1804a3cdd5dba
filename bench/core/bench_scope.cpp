// The scope's sample stream: decoding, prediction and ring writes against 1000 times the stream
// rate a 57600-baud line can carry, and a capture streamed from the drive simulator over the
// pseudo-terminal, unpaced (against 10 times the line) and paced at 57600 baud (against the wire
// limit of its replies).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "DriveSim.h"
#include "drivedata/Globvar.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"

namespace {

using namespace std::chrono_literals;
constexpr uint32_t BAUD = 57600;
constexpr double LINE_BYTES_PER_S = BAUD / 10.0;  // 8N1
constexpr std::size_t REPLY_STREAM_BYTES = 237;   // a 246-byte reply with its status slice
constexpr std::size_t ACK_FRAME = 6;
constexpr std::size_t REPLY_OVERHEAD = 2 + 1 + 4 + 2;

// Stream bytes per second a 57600-baud line carries with acknowledgements and replies of n bytes.
double wire_stream_rate(std::size_t n)
{
    return LINE_BYTES_PER_S * static_cast<double>(n) / static_cast<double>(ACK_FRAME + REPLY_OVERHEAD + n);
}

void BM_ScopeDecode(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> stream(1 << 16);
    for (auto& b : stream)  // codes of every width, fields at any bit
        b = static_cast<uint8_t>(rng());
    std::size_t at = 0;
    int64_t bytes = 0;
    Scope_stream_reset();
    for (auto _ : state) {
        if (at + REPLY_STREAM_BYTES > stream.size())
            at = 0;
        Scope_stream_take(stream.data() + at, REPLY_STREAM_BYTES);
        at += REPLY_STREAM_BYTES;
        bytes += REPLY_STREAM_BYTES;
    }
    state.SetBytesProcessed(bytes);
    state.counters["x_1000_line_rate"] = benchmark::Counter(static_cast<double>(bytes) / (1000.0 * LINE_BYTES_PER_S),
                                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScopeDecode);

// Stream bytes per second received over the pseudo-terminal in `seconds` of capture.
double stream_rate(bool paced, double seconds)
{
    auto sim = std::make_unique<DriveSim>();
    if (paced)
        sim->set_pacing(BAUD, 0us);
    sim->scope_set_stream_bytes(REPLY_STREAM_BYTES);
    sim->scope_set_generator([](unsigned ch, uint64_t n) { return static_cast<int32_t>(n * 7919u * (ch + 1)); });
    Ser_link_flags.store(0);
    Ser_data_flags.store(0);
    Link_settings_set({sim->port_name(), BAUD, false});
    Seriale_init_link();
    double rate = 0;
    if (Seriale_open_link(LinkMode::Normal)) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!(Ser_data_flags.load() & DataFlag::ImageRead) && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(1ms);  // the first image read is not stream
        ScopeCaptureOn.store(1);
        Sertx_scope_start();
        std::this_thread::sleep_for(200ms);
        const uint64_t first = sim->scope_stream_sent();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const uint64_t last = sim->scope_stream_sent();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        ScopeCaptureOn.store(0);
        rate = static_cast<double>(last - first) / s;
    }
    Seriale_close_link();
    Seriale_wait_stopped(3000);
    Seriale_close();
    return rate;
}

void BM_ScopeStreamUnpaced(benchmark::State& state)
{
    double rate = 0;
    for (auto _ : state)
        rate = stream_rate(false, 1.0);
    state.counters["stream_B_per_s"] = rate;
    state.counters["x_10_line_rate"] = rate / (10.0 * LINE_BYTES_PER_S);
}
BENCHMARK(BM_ScopeStreamUnpaced)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ScopeStreamPaced(benchmark::State& state)
{
    double rate = 0;
    for (auto _ : state)
        rate = stream_rate(true, 2.0);
    state.counters["stream_B_per_s"] = rate;
    state.counters["x_wire_limit"] = rate / wire_stream_rate(REPLY_STREAM_BYTES);
}
BENCHMARK(BM_ScopeStreamPaced)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
