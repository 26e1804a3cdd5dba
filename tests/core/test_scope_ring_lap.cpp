// The scope's sample ring when the window falls a whole ring behind: a thread stands in for the
// receive thread and streams samples while the transfer stalls and catches up again.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "scope_core/Oscx_trigger.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Sample n: every channel follows from channel 0, so a copy that mixes two samples shows.
int32_t channel_value(unsigned ch, int32_t n)
{
    switch (ch) {
    case 0: return n;
    case 1: return -n;
    case 2: return n % 1000;  // the trigger channel: a saw tooth through the level
    default: return 3 * n + 1;
    }
}

// The drive's encoder with 32-bit fields only: residuals of the predictor x = d + x1 + (x1 - x3) / 2.
class StreamEncoder {
public:
    Bytes samples(int32_t first, int32_t count)
    {
        Bytes out;
        for (int32_t n = first; n < first + count; ++n) {
            out.push_back(0xFF);  // four 2-bit codes 3
            for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
                const int32_t x = channel_value(ch, n);
                const uint32_t d = uint32_t(x) - uint32_t(x1_[ch]) - uint32_t((x1_[ch] - x3_[ch]) >> 1);
                for (unsigned b = 0; b < 4; ++b)
                    out.push_back(static_cast<uint8_t>(d >> (8 * b)));
                x3_[ch] = x2_[ch];
                x2_[ch] = x1_[ch];
                x1_[ch] = x;
            }
        }
        return out;
    }

private:
    int32_t x1_[SCOPE_CHANNELS] = {}, x2_[SCOPE_CHANNELS] = {}, x3_[SCOPE_CHANNELS] = {};
};

// Checks every sample the transfer hands over: whole, and later than the one before it since the
// chart was last emptied. A thousand samples into a transfer it holds the transfer up.
class CheckingChart : public ScopeChart {
public:
    void Add_sample(const double v[SCOPE_CHANNELS]) override
    {
        ++taken;
        if (++taken_in_tick == HOLD_AT && hold) {
            hold();
            ++holds;
        }
        for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch)
            if (v[ch] != double(channel_value(ch, int32_t(v[0]))))
                note("a mixed sample at " + std::to_string(v[0]));
        if (v[0] <= last)
            note("sample " + std::to_string(v[0]) + " after " + std::to_string(last));
        last = v[0];
    }
    void Request_redraw() override {}
    void Empty_samples() override { last = -1; }
    ScopeChartMarks Marks() const override { return marks; }
    void Set_marks(const ScopeChartMarks& m) override { marks = m; }

    static constexpr uint64_t HOLD_AT = 1000;
    std::function<void()> hold;
    uint64_t taken_in_tick = 0;  // the test starts every transfer at 0
    int holds = 0;
    uint64_t taken = 0;
    std::string fault;

private:
    void note(const std::string& what)
    {
        if (fault.empty())
            fault = what;
    }
    double last = -1;
    ScopeChartMarks marks;
};

constexpr int32_t CHUNK = 200;  // samples per received frame's worth of stream
constexpr int32_t RING = int32_t(SCOPE_RING_SLOTS);
constexpr int32_t SAMPLES_MAX = 100 * RING;  // the receive thread's bound

struct LapCase {
    const char* name;
    uint8_t type;
    uint8_t flags;
    uint32_t record;
};

class ScopeRingLap : public ::testing::TestWithParam<LapCase> {
protected:
    void SetUp() override
    {
        ScopeSignalTable = {};
        ScopeSettings = {};
        ScopeSettings.trigger_type = GetParam().type;
        ScopeSettings.trigger_flags = GetParam().flags;
        ScopeSettings.record_length = GetParam().record;
        ScopeSettings.trigger_channel = 2;
        ScopeSettings.trigger_scale_max = 1000;
        ScopeSettings.trigger_scale_min = 0;
        ScopeSettings.marker[0] = 0.5f;
        ScopeSettings.marker[1] = 0.5f;  // level 500
        Scope_stream_reset();
        ScopeStream.reply_flags.store(0);
        ScopeCaptureOn.store(1);
        Scope_capture_arm();
    }
    void TearDown() override { ScopeCaptureOn.store(0); }
};

TEST_P(ScopeRingLap, AStalledWindowTakesWholeSamplesInOrderAndTheReadIndexOnlyMovesOn)
{
    std::atomic<int32_t> written{0};
    std::atomic<bool> done{false};
    std::atomic<bool> stop{false};
    std::string index_fault;
    std::thread receiver([&] {
        StreamEncoder enc;
        uint32_t w = ScopeSampleRing.write_index.load();
        uint64_t stored = 0;
        uint64_t oldest = 0;  // number of the oldest sample waiting (or of the next one)
        for (int32_t n = 0; n < SAMPLES_MAX && !stop.load(); n += CHUNK) {
            const Bytes b = enc.samples(n, CHUNK);
            Scope_stream_take(b.data(), b.size());
            written.store(n + CHUNK);
            // The window takes samples and the full ring drops them: the oldest one waiting only
            // ever gets later.
            const uint32_t w_now = ScopeSampleRing.write_index.load();
            stored += Fz_cmp_ring_distance(w_now, w, SCOPE_RING_SLOTS);
            w = w_now;
            const uint32_t r = ScopeSampleRing.read_index.load();
            const uint64_t oldest_now = stored - Fz_cmp_ring_distance(w, r, SCOPE_RING_SLOTS);
            if (index_fault.empty() && oldest_now < oldest)
                index_fault = "the read index moved back from sample " + std::to_string(oldest) + " to " +
                              std::to_string(oldest_now);
            oldest = oldest_now;
        }
        done.store(true);
    });
    // The window stalls until the receive thread has written `samples` more.
    const auto stall = [&](int32_t samples) {
        const int32_t from = written.load();
        while (!done.load() && written.load() < from + samples)
            std::this_thread::yield();
    };
    CheckingChart chart;
    chart.hold = [&] { stall(RING / 2); };
    // At least four rounds, and on until the window was held up twice: how many samples one transfer
    // takes while the receive thread laps it depends on the two threads' speeds.
    for (int round = 0; (round < 4 || chart.holds < 2) && !done.load(); ++round) {
        stall(RING + 4 * CHUNK);  // a full ring, lapped
        for (int tick = 0; tick < 3; ++tick) {
            chart.taken_in_tick = 0;
            ScopeTransferTick(chart);
        }
    }
    stop.store(true);
    receiver.join();
    ScopeTransferTick(chart);
    EXPECT_LT(written.load(), SAMPLES_MAX);  // every stall ended with the samples it waited for
    EXPECT_EQ(chart.fault, "");
    EXPECT_EQ(index_fault, "");
    EXPECT_GE(chart.holds, 2);
}

INSTANTIATE_TEST_SUITE_P(Types, ScopeRingLap,
                         ::testing::Values(LapCase{"rolling", ScopeTrigger::Rolling, 0, 40000},
                                           LapCase{"automatic_whole_records", ScopeTrigger::Automatic, 0, 40000},
                                           LapCase{"automatic_live", ScopeTrigger::Automatic,
                                                   ScopeTrigger::FlagLive, 2000}),
                         [](const ::testing::TestParamInfo<LapCase>& i) { return std::string(i.param.name); });

}  // namespace
