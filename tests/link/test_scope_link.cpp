// The scope's requests and replies on the link: capture start and its reply, the data replies
// with their status slices, stream data and flags, the acknowledgement chain, and a capture
// streamed end to end from the drive simulator.
#include <cmath>
#include <cstring>

#include "LinkTestUtil.h"

using namespace linktest;

namespace {

// A catalogue whose drive codes equal their positions; rows 3 and 4 follow the current scale.
struct TestCatalogue {
    ScopeSignal rows[8] = {};
    TestCatalogue()
    {
        for (uint16_t i = 0; i < 8; ++i) {
            rows[i].code = i;
            Scope_signal_set_ratio(rows[i], 1, 1);
        }
        rows[3].current = rows[4].current = 1;
        ScopeSignalTable = {rows, 8};
    }
    ~TestCatalogue() { ScopeSignalTable = {}; }
};

void default_channels()
{
    for (uint16_t k = 0; k < 4; ++k)
        ScopeSettings.channel[k].signal_index = static_cast<uint16_t>(k + 1);
    ScopeSettings.sample_time = 1;
}

int32_t ring_at(uint32_t i, unsigned ch) { return ScopeSampleRing.slot[i % SCOPE_RING_SLOTS].ch[ch]; }

class ScopeRx : public RxFeed {
protected:
    void SetUp() override
    {
        RxFeed::SetUp();
        Scope_stream_reset();
        ScopeStream.restart.store(0);
        ScopeStream.reply_flags.store(0);
        ScopeStream.modulus = 10000;
        ScopeSampleRing.write_index.store(0);
        ScopeSampleRing.read_index.store(0);
        ScopeLoadShown.store(0);
        ScopeCaptureOn.store(1);
        std::memset(Ser_scope_status, 0, sizeof Ser_scope_status);
    }
    void TearDown() override
    {
        ScopeCaptureOn.store(0);
        RxFeed::TearDown();
    }
    // One data reply: flags, then the rest of the payload.
    void data_reply(uint8_t flags, const SimBytes& rest = {})
    {
        arm(SerCmd::ScopeAck);
        feed(sim_frame(SerCmd::ScopeAck, cat({flags}, rest)), 100);
        ASSERT_TRUE(woken());
    }
    void start_reply(const SimBytes& four)
    {
        arm(SerCmd::ScopeStart);
        feed(sim_frame(SerCmd::ScopeStart, four), 100);
        ASSERT_TRUE(woken());
    }
};

TEST_F(ScopeRx, StartReplySetsModulusScaleCurrentRowsAndTheFirstAck)
{
    TestCatalogue c;
    ScopeStream.history[2][1] = 5;
    ScopeStream.carry_len = 3;
    ScopeStream.position = 77;
    ScopeStream.restart.store(1);
    start_reply(sim_unhex("10 27 00 01"));
    EXPECT_EQ(ScopeStream.modulus, 10000);
    EXPECT_EQ(ScopeStream.scale, 256);
    for (uint16_t i = 0; i < 8; ++i) {
        const bool current = i == 3 || i == 4;
        EXPECT_EQ(Scope_signal_num(c.rows[i]), current ? 23171u : 1u) << i;
        EXPECT_EQ(Scope_signal_den(c.rows[i]), current ? 6553600u : 1u) << i;
    }
    EXPECT_EQ(ScopeStream.history[2][1], 0);
    EXPECT_EQ(ScopeStream.carry_len, 0);
    EXPECT_EQ(ScopeStream.position, 0);
    EXPECT_EQ(ScopeStream.restart.load(), 0);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 0B 00 00"});
    Seriale_clear_queue();
    start_reply(sim_unhex("10 27 FF FF"));
    EXPECT_EQ(Scope_signal_num(c.rows[3]), 5931557u);  // no wrap in 32 bits
}

TEST_F(ScopeRx, StatusSlicesFillTheAreaAndDecodeFromItsEnd)
{
    const SimBytes st = status_payload(0x0060);
    for (uint8_t s = 0; s < 6; ++s)
        data_reply(s, SimBytes(st.begin() + 4 * s, st.begin() + 4 * s + 4));
    EXPECT_NE(Drive_status_word(), 0x0060);  // not yet whole
    data_reply(6, SimBytes(st.begin() + 24, st.end()));
    EXPECT_EQ(Drive_status_word(), 0x0060);
    EXPECT_EQ(0, std::memcmp(Ser_scope_status, st.data(), st.size()));

    // Slices 7 to 15 copy nothing and decode the area as it is.
    struct Case {
        uint8_t slice;
        uint16_t word;
    } cases[] = {{7, 0x0021}, {8, 0x0022}, {15, 0x0023}};
    for (const Case& c : cases) {
        Ser_scope_status[0] = static_cast<uint8_t>(c.word >> 8);
        Ser_scope_status[1] = static_cast<uint8_t>(c.word);
        data_reply(c.slice, {0x12, 0x34});  // stream data, not status
        EXPECT_EQ(Drive_status_word(), c.word) << int(c.slice);
        EXPECT_EQ(Ser_scope_status[2], st[2]);
    }
    EXPECT_EQ(ScopeStream.position, 6);  // the bytes after slices 7 to 15 are data
}

TEST_F(ScopeRx, TheAckGoesLastOrThirdAndCarriesThePosition)
{
    struct Case {
        unsigned queued_before;
        std::size_t ack_at;
    } cases[] = {{0, 0}, {2, 2}, {3, 2}, {5, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queued_before);
        Seriale_clear_queue();
        for (unsigned i = 0; i < c.queued_before; ++i)
            Sertx_read_status();
        data_reply(0, {1, 2, 3, 4, 0xAA, 0xBB});
        const std::vector<std::string> q = queued();
        ASSERT_EQ(q.size(), c.queued_before + 1);
        EXPECT_EQ(q[c.ack_at].substr(0, 5), "06 0B");
    }
    EXPECT_EQ(queued()[2], "06 0B 00 08");  // 2 data bytes a reply, four replies
}

TEST_F(ScopeRx, PositionAddsTheDataLengthModuloTheModulus)
{
    struct Case {
        uint16_t position, modulus;
        std::size_t data;
        uint16_t expect;
    } cases[] = {
        {65000, 65024, 100, 76},
        {9990, 10000, 9, 9999},
        {2, 3, 7, 0},       // a garbage modulus below the data: the position stays below it
        {65530, 0, 10, 4},  // modulus 0: modulo 65536
    };
    for (const Case& c : cases) {
        ScopeStream.position = c.position;
        ScopeStream.modulus = c.modulus;
        data_reply(7, SimBytes(c.data, 0));
        EXPECT_EQ(ScopeStream.position, c.expect) << c.position;
    }
}

TEST_F(ScopeRx, FlagsAskForStatusOrEndTheCaptureOnOverflow)
{
    data_reply(0x47);
    EXPECT_EQ(queued(), (std::vector<std::string>{"04 00", "06 0B 00 00"}));
    Seriale_clear_queue();

    data_reply(0x17, SimBytes(7, 0));  // overflow with data: ignored
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 0u);
    EXPECT_EQ(ScopeStream.carry_len, 0);
    EXPECT_TRUE(queued().empty());
    EXPECT_EQ(ScopeCaptureOn.load(), 0);
    EXPECT_EQ(ScopeLoadShown.load(), 65535);
    EXPECT_TRUE(ScopeStream.reply_flags.load() & ScopeReply::Overflow);
    data_reply(0x07);  // bit 4 stays until the scope window clears it
    EXPECT_TRUE(ScopeStream.reply_flags.load() & ScopeReply::Overflow);
    EXPECT_TRUE(queued().empty());  // sampling ended: no more acknowledgements
}

TEST_F(ScopeRx, AShortFrameCopiesOnlyWhatItCarries)
{
    ScopeStream.position = 40;
    arm(SerCmd::ScopeAck);
    feed(sim_unhex("06 0B 00 AA F1 11"), 100);
    ASSERT_TRUE(woken());
    EXPECT_EQ(Ser_scope_status[0], 0xAA);
    EXPECT_EQ(Ser_scope_status[1], 0x00);  // the CRC is not status
    EXPECT_EQ(ScopeStream.position, 40);
    EXPECT_EQ(ScopeStream.carry_len, 0);
}

TEST_F(ScopeRx, AChannelBeyondTheCatalogueSendsCodeZero)
{
    TestCatalogue c;
    default_channels();
    ScopeSettings.channel[1].signal_index = 8;  // one past the catalogue
    ScopeSettings.channel[1].signal_code = 8;
    ScopeSettings.sample_time = 0x0102;
    Sertx_scope_start();
    EXPECT_EQ(queued(), std::vector<std::string>{"0A 0C 01 00 03 04 01 02"});
}

TEST_F(ScopeRx, AReplyOfTheOldCaptureAfterAStartChangesNothing)
{
    TestCatalogue c;
    default_channels();
    data_reply(7, {0x00, 0xF1});  // a partial sample in the carry
    Seriale_clear_queue();
    ScopeSampleRing.write_index.store(9);
    ScopeSampleRing.read_index.store(9);
    ScopeStream.position = 2;
    Sertx_scope_start();
    EXPECT_EQ(queued(), std::vector<std::string>{"0A 0C 01 02 03 04 00 01"});
    EXPECT_EQ(ScopeStream.carry_len, 2);  // the GUI thread leaves the stream alone

    const SimBytes st = status_payload(0x0042);
    data_reply(0, SimBytes(st.begin(), st.begin() + 4));  // the old chain's reply, no data
    data_reply(0x07, {0x87, 0x00, 0x00});                 // and one with data
    EXPECT_EQ(Ser_scope_status[1], 0x42);                // its status slice is still taken
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 9u);
    EXPECT_EQ(ScopeStream.carry_len, 2);
    EXPECT_EQ(ScopeStream.position, 2);
    EXPECT_EQ(queued().size(), 1u);  // no acknowledgement: one chain only

    start_reply(sim_unhex("10 27 00 01"));
    Seriale_clear_queue();
    data_reply(0, {0, 0, 0, 0, 0x00, 0xF1, 0x87, 0x00, 0x00, 0x00, 0x00});
    ASSERT_EQ(ScopeSampleRing.write_index.load(), 11u);
    const int32_t expect[2][4] = {{1, -1, 7, -8}, {1, -2, 10, -12}};
    for (uint32_t i = 0; i < 2; ++i)
        for (unsigned ch = 0; ch < 4; ++ch)
            EXPECT_EQ(ring_at(9 + i, ch), expect[i][ch]);
    EXPECT_EQ(ScopeCaptureOn.load(), 1);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 0B 00 07"});
}

// ---- end to end ----

class ScopeSim : public SimLink {
protected:
    void TearDown() override
    {
        ScopeCaptureOn.store(0);
        SimLink::TearDown();
    }
};

// Residuals of every width on channel 3: a step every few samples of growing size.
int32_t sample_of(unsigned ch, uint64_t n)
{
    switch (ch) {
    case 0: return static_cast<int32_t>(std::lround(1000000.0 * std::sin(static_cast<double>(n) * 0.01)));
    case 1: return (n / 50) % 2 ? 3000 : -3000;
    case 2: return n % 2 ? INT32_MAX : INT32_MIN;
    default: {
        static const int32_t steps[] = {0, 5, -8, 60, -64, 500, -512, 100000, -7, 7};
        return steps[n % 10] * static_cast<int32_t>(1 + n % 3);
    }
    }
}

TEST_F(ScopeSim, TenThousandSamplesArriveBitExactWithTheirAcknowledgements)
{
    constexpr uint32_t kSamples = 10000;
    TestCatalogue c;
    default_channels();
    connect_with_image(test_image(3));
    sim->scope_set_generator(sample_of);
    sim->scope_set_stream_bytes(200);
    sim->scope_set_samples(kSamples + 1);  // the last one completes the one before
    ScopeSampleRing.write_index.store(0);
    Fz_cmp_ring_reset();
    ScopeCaptureOn.store(1);
    Sertx_scope_start();
    ASSERT_TRUE(wait_until([] { return ScopeSampleRing.write_index.load() >= kSamples; }, 60000))
        << ScopeSampleRing.write_index.load();
    ScopeCaptureOn.store(0);
    EXPECT_EQ(hex_requests(*sim, SerCmd::ScopeStart)[0], "0A 0C 01 02 03 04 00 01 F4 20");
    EXPECT_EQ(sim_hex(sim->scope_codes()), "01 02 03 04");
    EXPECT_EQ(sim->scope_sampling(), 1);
    EXPECT_GT(sim->scope_acks_checked(), kSamples * 4 / 200);  // each checked in the simulator
    for (uint32_t n = 0; n < kSamples; ++n)
        for (unsigned ch = 0; ch < 4; ++ch)
            ASSERT_EQ(ring_at(n, ch), sample_of(ch, n)) << n << " " << ch;
    EXPECT_EQ(Scope_signal_num(c.rows[3]), 23171u);
}

TEST_F(ScopeSim, APacedDriveDeliversItsSamplesAtTheSamplingPeriod)
{
    TestCatalogue c;
    default_channels();
    ScopeSettings.sample_time = 4;  // 5 ms
    sim->set_pacing(57600);
    connect_with_image(test_image(5));
    sim->scope_set_generator(sample_of);
    sim->scope_set_line_pacing(true);
    sim->scope_set_samples(41);
    ScopeSampleRing.write_index.store(0);
    Fz_cmp_ring_reset();
    ScopeCaptureOn.store(1);
    const auto t0 = std::chrono::steady_clock::now();
    Sertx_scope_start();
    ASSERT_TRUE(wait_until([] { return ScopeSampleRing.write_index.load() >= 40; }, 30000));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 200ms);  // the 40th sample is taken 200 ms in
    ScopeCaptureOn.store(0);
    EXPECT_EQ(sim->scope_sampling(), 4);
    for (uint32_t n = 0; n < 40; ++n)
        for (unsigned ch = 0; ch < 4; ++ch)
            ASSERT_EQ(ring_at(n, ch), sample_of(ch, n)) << n << " " << ch;
}

TEST_F(ScopeSim, AnOverflowEndsTheChainAndTheStatusComesFromTheSlices)
{
    TestCatalogue c;
    default_channels();
    SimBytes status(28, 0);
    status[1] = 0x20;
    sim->set_status(status);
    connect_with_image(test_image(4));
    sim->scope_set_generator([](unsigned ch, uint64_t n) { return static_cast<int32_t>(n * (ch + 1)); });
    sim->scope_set_overflow_after(500);
    ScopeCaptureOn.store(1);
    Sertx_scope_start();
    ASSERT_TRUE(wait_until([] { return ScopeCaptureOn.load() == 0; }, 30000));
    EXPECT_EQ(ScopeLoadShown.load(), 65535);
    EXPECT_TRUE(ScopeStream.reply_flags.load() & ScopeReply::Overflow);
    const std::size_t acks = sim->request_count(SerCmd::ScopeAck);
    EXPECT_EQ(acks, sim->scope_acks_checked());
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(sim->request_count(SerCmd::ScopeAck), acks);  // none after the overflow
    EXPECT_EQ(Ser_scope_status[1] & 0x20, 0x20);
}

}  // namespace
