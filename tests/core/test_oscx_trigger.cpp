// The scope trigger and the transfer from the ring to the chart, on a chart stand-in.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "scope_core/Oscx_trigger.h"

namespace {

// Records what the transfer does to the chart; keeps record length + 1 samples like the chart.
class StandInChart : public ScopeChart {
public:
    void Add_sample(const double v[SCOPE_CHANNELS]) override
    {
        samples.push_back(v[0]);
        if (samples.size() > std::size_t(marks.record_length) + 1 && marks.record_length != 0)
            samples.erase(samples.begin());
    }
    void Request_redraw() override { ++redraws; }
    void Empty_samples() override { samples.clear(); }
    ScopeChartMarks Marks() const override { return marks; }
    void Set_marks(const ScopeChartMarks& m) override { marks = m; }
    void State_changed() override { ++state_changes; }

    std::vector<double> samples;  // channel 0
    ScopeChartMarks marks;
    int redraws = 0;
    int state_changes = 0;
};

// Channel 0's signal: physical = raw / 10.
ScopeSignal catalogue[2];

class ScopeTriggerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(static_cast<void*>(catalogue), 0, sizeof catalogue);
        catalogue[0].num = 1;
        catalogue[0].den = 1;
        catalogue[1].num = 1;
        catalogue[1].den = 10;
        ScopeSignalTable = {catalogue, 2};
        ScopeSettings = {};
        ScopeSettings.channel[0].signal_index = 1;
        ScopeSettings.trigger_scale_max = 20;  // 2.0
        ScopeSettings.trigger_scale_min = 0;
        ScopeSettings.trigger_decimals = 1;
        ScopeSettings.marker[1] = 0.5f;        // level 1.0
        ScopeSettings.record_length = 40000;
        ScopeSettings.trigger_flags = ScopeTrigger::FlagRising;
        ScopeSettings.trigger_type = ScopeTrigger::OneShot;
        ScopeSampleRing.write_index.store(123);  // any start
        ScopeSampleRing.read_index.store(123);
        ScopeStream.reply_flags.store(0);
        ScopeCaptureOn.store(1);
        Scope_capture_arm();
    }
    void TearDown() override
    {
        ScopeCaptureOn.store(0);
        ScopeSignalTable = {};
        ScopeCaptureCatalogue = {};
    }
    // The receive side storing raw values for channel 0.
    static void feed(const std::vector<int32_t>& raw)
    {
        for (const int32_t v : raw) {
            ScopeSampleRing.slot[ScopeSampleRing.write_index.load()].ch[0] = v;
            Fz_cmp_ring_advance(1);
        }
    }
    static void feed(int32_t raw, int n) { feed(std::vector<int32_t>(std::size_t(n), raw)); }

    StandInChart chart;
};

TEST_F(ScopeTriggerTest, SlopesAndLevelBoundsInclusive)
{
    struct Case {
        const char* name;
        uint8_t flags;
        std::vector<int32_t> raw;
        bool fires;
    } cases[] = {
        {"rising at the level", ScopeTrigger::FlagRising, {5, 10}, true},
        {"rising from the level", ScopeTrigger::FlagRising, {10, 20}, true},
        {"rising below", ScopeTrigger::FlagRising, {5, 6}, false},
        {"falling from above", 0, {20, 10}, true},
        {"falling on a rise", 0, {5, 10}, false},
    };
    for (const Case& c : cases) {
        SetUp();
        ScopeSettings.marker[0] = 0.0f;
        ScopeSettings.trigger_flags = c.flags;
        Scope_trigger_recompute();
        feed(c.raw);
        ScopeTransferTick(chart);
        EXPECT_EQ(ScopeTriggerState.state == ScopeTrigger::Collecting, c.fires) << c.name;
    }
}

TEST_F(ScopeTriggerTest, WithoutPreTriggerTheFirstSampleIsItsOwnPrevious)
{
    ScopeSettings.marker[0] = 0.0f;
    Scope_capture_arm();
    feed(10, 1);
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Collecting);
    EXPECT_EQ(ScopeSampleRing.read_index.load(), 123u);  // the trigger sample starts the record
}

TEST_F(ScopeTriggerTest, OneShotRecordAroundTheTrigger)
{
    ScopeSettings.marker[0] = 0.5f;
    Scope_capture_arm();
    EXPECT_EQ(ScopeTriggerState.pretrigger_count, 20000u);
    for (int tick = 0; tick < 70; ++tick) {
        feed(tick < 25 ? 5 : 20, 1000);
        ScopeTransferTick(chart);
    }
    ASSERT_EQ(chart.samples.size(), 40001u);
    EXPECT_EQ(chart.samples.front(), 0.5);
    EXPECT_EQ(chart.samples[19999], 0.5);
    EXPECT_EQ(chart.samples[20000], 2.0);
    EXPECT_EQ(chart.samples.back(), 2.0);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Complete);
    EXPECT_TRUE(Scope_trigger_rearm());
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Armed);
    EXPECT_EQ(ScopeTriggerState.sample_counter, 0u);
}

TEST_F(ScopeTriggerTest, AutomaticReArmsAtOnce)
{
    ScopeSettings.trigger_type = ScopeTrigger::Automatic;
    ScopeSettings.record_length = 10;
    ScopeSettings.marker[0] = 0.0f;
    Scope_capture_arm();
    feed(10, 5);
    ScopeTransferTick(chart);  // a constant signal at the level fires on the first sample
    feed(10, 20);
    const int redraws = chart.redraws;
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Armed);
    EXPECT_EQ(chart.samples.size(), 11u);
    EXPECT_EQ(chart.redraws - redraws, 1);  // the finished record painted once, sampling going on
    EXPECT_EQ(ScopeSampleRing.read_index.load(), ScopeSampleRing.write_index.load());
    EXPECT_FALSE(Scope_trigger_rearm());  // only for one shot
}

TEST_F(ScopeTriggerTest, ASearchGoesOnWithEachNewSample)
{
    ScopeSettings.marker[0] = 0.001f;  // 40 samples of history
    Scope_capture_arm();
    feed(5, 45);
    ScopeTransferTick(chart);  // searched, nothing
    feed(20, 1);
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Collecting);
}

TEST_F(ScopeTriggerTest, PreTriggerCountTruncatesInDouble)
{
    ScopeSettings.marker[0] = 0.7f;
    Scope_trigger_recompute();
    EXPECT_EQ(ScopeTriggerState.pretrigger_count, 27999u);
}

TEST_F(ScopeTriggerTest, ForcedTriggerStartsWithTheNextSample)
{
    ScopeSettings.record_length = 10;
    feed(1, 50);  // unread before the click: dropped
    Scope_trigger_force();
    feed({100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112});
    ScopeTransferTick(chart);
    ASSERT_EQ(chart.samples.size(), 11u);
    EXPECT_EQ(chart.samples.front(), 10.0);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Complete);
}

TEST_F(ScopeTriggerTest, LiveDisplayShowsTheRecordAsItFills)
{
    ScopeSettings.trigger_flags |= ScopeTrigger::FlagLive;
    ScopeSettings.record_length = 100;
    ScopeSettings.marker[0] = 0.1f;
    Scope_capture_arm();
    feed(5, 30);
    ScopeTransferTick(chart);
    feed({20, 20, 20});
    ScopeTransferTick(chart);  // fires: the 10 samples before it shown
    ASSERT_EQ(chart.samples.size(), 10u);
    const int redraws = chart.redraws;
    ScopeTransferTick(chart);
    EXPECT_EQ(chart.samples.size(), 13u);
    EXPECT_EQ(chart.samples.back(), 2.0);
    EXPECT_EQ(chart.redraws - redraws, 1);  // painted as they come
}

TEST_F(ScopeTriggerTest, TypeChangedToTheSameValueChangesNothing)
{
    feed(5, 7);
    const uint32_t r = ScopeSampleRing.read_index.load();
    EXPECT_FALSE(Scope_trigger_set_type(ScopeTrigger::OneShot));
    EXPECT_EQ(ScopeSampleRing.read_index.load(), r);
    EXPECT_TRUE(Scope_trigger_set_type(ScopeTrigger::Rolling));
    EXPECT_EQ(ScopeSampleRing.read_index.load(), ScopeSampleRing.write_index.load());
    EXPECT_EQ(ScopeSettings.trigger_type, ScopeTrigger::Rolling);
}

TEST_F(ScopeTriggerTest, RollingPassesEverySampleAndNothingDuringAnOverflow)
{
    ScopeSettings.trigger_type = ScopeTrigger::Rolling;
    feed(30, 4);
    ScopeStream.reply_flags.store(ScopeReply::Overflow);
    ScopeTransferTick(chart);
    EXPECT_TRUE(chart.samples.empty());
    ScopeStream.reply_flags.store(0);
    ScopeTransferTick(chart);
    EXPECT_EQ(chart.samples, std::vector<double>(4, 3.0));
}

TEST_F(ScopeTriggerTest, RollingShowsEachSampleOnceInOrderAndAsksARedrawPerTickThatPassedSamples)
{
    ScopeSettings.trigger_type = ScopeTrigger::Rolling;
    ScopeTransferTick(chart);  // the marks set
    const struct {
        int samples;
        int redraws;
    } ticks[] = {{3, 1}, {0, 0}, {1, 1}, {5, 1}, {0, 0}, {0, 0}, {2, 1}};
    std::vector<double> want;
    int32_t next = 0;
    for (const auto& t : ticks) {
        SCOPED_TRACE(t.samples);
        for (int k = 0; k < t.samples; ++k, ++next) {
            feed({next * 10});
            want.push_back(next);
        }
        const int redraws = chart.redraws;
        ScopeTransferTick(chart);
        EXPECT_EQ(chart.samples, want);
        EXPECT_EQ(chart.redraws - redraws, t.redraws);
    }
}

TEST_F(ScopeTriggerTest, AnEdgeInsideThePreTriggerHistoryDoesNotFire)
{
    ScopeSettings.marker[0] = 0.001f;  // 40 samples of history
    Scope_capture_arm();
    feed(5, 10);
    feed(20, 10);  // rises through the level inside the history
    feed(5, 10);
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeSampleRing.read_index.load(), ScopeSampleRing.write_index.load());
    feed(5, 20);  // history full: searched, no edge among the new samples
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Armed);
    EXPECT_EQ(ScopeTriggerState.sample_counter, 41u);
}

TEST_F(ScopeTriggerTest, ReArmDropsAnEdgeThatWaitedSinceTheRecordCompleted)
{
    ScopeSettings.record_length = 10;
    ScopeSettings.marker[0] = 0.0f;
    Scope_capture_arm();
    feed(10, 11);  // at the level: fires on the first sample
    ScopeTransferTick(chart);
    ScopeTransferTick(chart);
    ASSERT_EQ(ScopeTriggerState.state, ScopeTrigger::Complete);
    feed({5, 20});  // a stale edge while the record is shown
    ScopeTransferTick(chart);
    ASSERT_TRUE(Scope_trigger_rearm());
    feed({5, 5, 5});
    ScopeTransferTick(chart);
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Armed);
}

TEST_F(ScopeTriggerTest, MarksFollowTheSettingsWithOneRedraw)
{
    ScopeCaptureOn.store(0);
    ScopeTransferTick(chart);
    EXPECT_EQ(chart.marks.record_length, 40000u);
    EXPECT_EQ(chart.marks.level, 1.0);
    const int redraws = chart.redraws;
    ScopeTransferTick(chart);
    EXPECT_EQ(chart.redraws, redraws);
}

TEST_F(ScopeTriggerTest, EachChangeOfTheMarksRedrawsTheChartOnce)
{
    ScopeCaptureOn.store(0);
    ScopeTransferTick(chart);
    const struct {
        const char* name;
        void (*change)();
        ScopeChartMarks marks;
    } cases[] = {
        {"level", [] { ScopeSettings.marker[1] = 0.75f; }, {40000, 0, 1.5}},
        {"pre-trigger", [] { ScopeSettings.marker[0] = 0.25f; }, {40000, 10000, 1.5}},
        {"record length", [] { ScopeSettings.record_length = 1000; }, {1000, 250, 1.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.change();
        Scope_trigger_recompute();
        const int redraws = chart.redraws;
        ScopeTransferTick(chart);
        EXPECT_TRUE(chart.marks == c.marks);
        EXPECT_EQ(chart.redraws, redraws + 1);
    }
}

TEST(ScopeTriggerCore, ConversionUsesTheCatalogueOfTheStart)
{
    ScopeSignal rows[2] = {};
    rows[0].num = 3;
    rows[0].den = 2;
    rows[1].num = 1000;  // beyond the count
    rows[1].den = 1;
    ScopeSignal other[1] = {};
    other[0].num = 100;
    other[0].den = 1;
    ScopeSettings = {};
    ScopeSettings.channel[2].signal_index = 7;  // beyond the catalogue: row 0
    ScopeSettings.channel[1].signal_index = 1;
    ScopeSignalTable = {rows, 1};
    Scope_capture_arm();
    ScopeSignalTable = {other, 1};  // a viewer switches the shared one
    EXPECT_EQ(ScopeRawToPhysical(5, 2), 7.5);
    EXPECT_EQ(ScopeRawToPhysical(5, 1), 7.5);
    ScopeSignalTable = {};
    ScopeCaptureCatalogue = {};
}

TEST(ScopeTriggerCore, SliderPositionsClampBeforeDividing)
{
    struct Case {
        int pos, size;
        float position;
    };
    const Case time[] = {{8, 218, 0.0f}, {208, 218, 1.0f}, {58, 218, 0.25f}, {5, 10, 0.0f}, {9, 10, 1.0f}};
    for (const Case& c : time)
        EXPECT_FLOAT_EQ(Scope_slider_time_position(c.pos, c.size), c.position) << c.pos << "/" << c.size;
    const Case level[] = {{12, 124, 1.0f}, {112, 124, 0.0f}, {37, 124, 0.75f}, {5, 10, 1.0f}, {13, 10, 0.0f}};
    for (const Case& c : level)
        EXPECT_FLOAT_EQ(Scope_slider_level_position(c.pos, c.size), c.position) << c.pos << "/" << c.size;
    EXPECT_EQ(Scope_trigger_level(50, -50, 1, 0.75f), 2.5f);
    EXPECT_STREQ(Scope_trigger_type_text(2, 2), "Un Coup");
    EXPECT_STREQ(Scope_trigger_slope_text(1, 2), "Montée");
}

}  // namespace
