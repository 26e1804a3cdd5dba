// Self-tests of the drive simulator, driven by a raw client on the pseudo-terminal.
#include "sim/DriveSim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

using namespace std::chrono_literals;

namespace {

// The program's side of the line, reduced to writes and timed reads.
class RawClient {
public:
    explicit RawClient(const std::string& port)
    {
        fd_ = ::open(("/dev/" + port).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ >= 0) {
            termios t{};
            ::tcgetattr(fd_, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd_, TCSANOW, &t);
        }
    }
    ~RawClient()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    void send(const SimBytes& b) { ASSERT_EQ(::write(fd_, b.data(), b.size()), static_cast<ssize_t>(b.size())); }
    void send(const char* hex) { send(sim_unhex(hex)); }
    void purge() { ::tcflush(fd_, TCIOFLUSH); }

    // Everything that arrives until `n` bytes are in or `timeout` passed.
    SimBytes read_n(std::size_t n, std::chrono::milliseconds timeout = 1000ms)
    {
        SimBytes out;
        auto deadline = SimClock::now() + timeout;
        while (out.size() < n) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SimClock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0)
                break;
            if (p.revents & (POLLHUP | POLLERR) && !(p.revents & POLLIN)) {
                hung_up_ = true;
                break;
            }
            std::uint8_t buf[512];
            ssize_t got = ::read(fd_, buf, sizeof buf);
            if (got <= 0) {
                hung_up_ = true;
                break;
            }
            if (out.empty())
                first_byte_ = SimClock::now();
            out.insert(out.end(), buf, buf + got);
            chunks_.push_back(SimClock::now());
        }
        return out;
    }
    // Whatever arrives within `window`.
    SimBytes read_for(std::chrono::milliseconds window) { return read_n(100000, window); }

    bool hung_up() const { return hung_up_; }
    SimClock::time_point first_byte() const { return first_byte_; }
    const std::vector<SimClock::time_point>& chunks() const { return chunks_; }

private:
    int fd_ = -1;
    bool hung_up_ = false;
    SimClock::time_point first_byte_{};
    std::vector<SimClock::time_point> chunks_;
};

SimBytes pattern_image()
{
    SimBytes img(DriveSim::kImageSize);
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return img;
}

bool crc_ok(const SimBytes& frame)
{
    return frame.size() >= 4 && sim_crc16(frame) == 0;
}

struct SimFixture : ::testing::Test {
    DriveSim sim;
    RawClient line{sim.port_name()};
    void SetUp() override { ASSERT_TRUE(line.ok()) << sim.port_name(); }
};

}  // namespace

TEST(SimWire, CrcAndLiteralFrames)
{
    const char digits[] = "123456789";
    EXPECT_EQ(sim_crc16(reinterpret_cast<const std::uint8_t*>(digits), 9), 0x4B37);
    EXPECT_EQ(sim_hex(sim_frame(10, {3, 20})), "06 0A 03 14 20 51");
    EXPECT_EQ(sim_hex(sim_frame(0, {})), "04 00 03 70");
    EXPECT_EQ(sim_hex(sim_frame(8, {2, 0})), "06 08 02 00 80 0E");
    EXPECT_EQ(sim_hex(sim_frame(8, {4, 0})), "06 08 04 00 83 AE");
    EXPECT_EQ(sim_hex(sim_frame(3, {0, 0, 251})), "07 03 00 00 FB D0 07");
    EXPECT_EQ(sim_hex(sim_frame(3, {0x08, 0xD3, 0x99})), "07 03 08 D3 99 8D 1C");
    SimBytes f = sim_frame(7, {1});
    EXPECT_EQ(sim_crc16(f), 0);
    f[2] ^= 0x10;
    EXPECT_NE(sim_crc16(f), 0);
    EXPECT_THROW(sim_frame(1, SimBytes(252)), std::invalid_argument);
    EXPECT_THROW(sim_unhex("0G"), std::invalid_argument);
    EXPECT_THROW(sim_unhex("123"), std::invalid_argument);
    EXPECT_EQ(sim_wire_time(36, 57600), 6250us);
    EXPECT_EQ(sim_wire_time(2522, 57600).count() / 1000000, 437);  // 0.4378 s
    EXPECT_EQ(sim_wire_time(10, 0), 0ns);
}

TEST(SimWire, ReaderCutsGluedFramesAndReportsDefects)
{
    SimFrameReader r;
    auto t0 = SimClock::now();
    SimBytes two = sim_unhex("04 00 03 70 06 0A 03 14 20 51 06 0A");
    auto frames = r.feed(two.data(), two.size(), t0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(frames[0].error.empty());
    EXPECT_TRUE(frames[1].error.empty());
    EXPECT_FALSE(r.idle());
    auto stale = r.expire(t0 + 200ms, 100ms);
    ASSERT_TRUE(stale);
    EXPECT_NE(stale->error.find("incomplete"), std::string::npos);

    SimBytes swapped = sim_unhex("04 00 70 03");
    EXPECT_EQ(r.feed(swapped.data(), 4, t0)[0].error, "CRC sent high byte first");
    SimBytes bad = sim_unhex("04 00 03 71");
    EXPECT_EQ(r.feed(bad.data(), 4, t0)[0].error, "bad CRC");
    SimBytes tiny = sim_unhex("02 00 04 00 03 70");
    auto lost = r.feed(tiny.data(), tiny.size(), t0);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].bytes.size(), 6u);  // boundary lost: everything buffered is dropped
    EXPECT_TRUE(r.idle());
}

TEST(SimWire, TextMessageBuilder)
{
    EXPECT_EQ(sim_hex(SimTextMessage("%d").i32(258).bytes()), "25 64 00 00 00 01 02");
    EXPECT_EQ(sim_hex(SimTextMessage("%s=%d").str("ab").i32(7).bytes()), "25 73 3D 25 64 00 61 62 00 00 00 00 07");
    EXPECT_EQ(sim_hex(SimTextMessage("%f").f64(1.5).bytes()), "25 66 00 3F F8 00 00 00 00 00 00");
}

TEST_F(SimFixture, PortNameIsRelativeToDev)
{
    EXPECT_EQ(sim.port_name().rfind("pts/", 0), 0u);
    EXPECT_EQ(sim.device_path(), "/dev/" + sim.port_name());
}

TEST_F(SimFixture, IdentificationAndBootLoaderState)
{
    line.send("06 0A 03 14 20 51");
    SimBytes r = line.read_n(56);
    ASSERT_EQ(r.size(), 56u);
    EXPECT_EQ(r[0], 56);
    EXPECT_EQ(r[1], 10);
    EXPECT_TRUE(crc_ok(r));
    EXPECT_EQ(SimBytes(r.begin() + 2, r.end() - 2), sim.identification());
    EXPECT_EQ(r[14], 3);
    EXPECT_EQ(r[15], 20);

    sim.set_boot_loader(true);
    sim.set_firmware_version(2, 5);
    line.send("06 0A 03 14 20 51");
    r = line.read_n(56);
    ASSERT_EQ(r.size(), 56u);
    EXPECT_EQ(r[14], 2);
    EXPECT_EQ(r[17] & 1, 1);  // identification flags bit 0
    line.send("04 00 03 70");
    r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[3] & 0x05, 0x05);  // status bits 0 and 2
    line.send(sim_frame(3, {0, 0, 10}));
    EXPECT_TRUE(line.read_for(150ms).empty());  // the boot loader answers polls only
    sim.set_boot_loader(false);
    line.send("04 00 03 70");
    r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[3] & 0x05, 0);
    EXPECT_TRUE(sim.violations().empty());
}

TEST_F(SimFixture, StatusPollCarriesQueuedTextMessageFirst)
{
    SimBytes st(28, 0);
    st[0] = 0x12;
    st[27] = 0x99;
    sim.set_status(st);
    sim.set_write_hold(true);
    SimBytes msg = SimTextMessage("x=%d").i32(5).bytes();
    sim.queue_text_message(msg);
    line.send("04 00 03 70");
    SimBytes r = line.read_n(msg.size() + 4);
    EXPECT_EQ(r, sim_frame(1, msg));
    EXPECT_EQ(sim.queued_text_messages(), 0u);
    line.send("04 00 03 70");
    r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[2], 0x12);
    EXPECT_EQ(r[3], 0x08);  // bit 3 added by the write hold
    EXPECT_EQ(r[29], 0x99);

    line.send(sim_frame(1, {'A'}));  // terminal character, nothing queued: echoed
    SimBytes echo = sim_frame(1, SimTextMessage("%c").i32('A').bytes());
    EXPECT_EQ(line.read_n(echo.size()), echo);
}

TEST_F(SimFixture, BlockReadsServeTheImageWithinBounds)
{
    SimBytes img = pattern_image();
    sim.set_image(img);
    line.send("07 03 00 00 FB D0 07");
    SimBytes r = line.read_n(255);
    ASSERT_EQ(r.size(), 255u);
    EXPECT_TRUE(crc_ok(r));
    EXPECT_EQ(SimBytes(r.begin() + 2, r.end() - 2), SimBytes(img.begin(), img.begin() + 251));
    line.send("07 03 08 D3 99 8D 1C");  // offset 2259, 153 bytes: the last block
    r = line.read_n(157);
    ASSERT_EQ(r.size(), 157u);
    EXPECT_EQ(SimBytes(r.begin() + 2, r.end() - 2), SimBytes(img.begin() + 2259, img.end()));
    EXPECT_TRUE(sim.violations().empty());

    line.send(sim_frame(3, {0x08, 0xD3, 154}));  // one byte beyond the image
    line.send(sim_frame(3, {0x00, 0x00, 0}));
    line.send(sim_frame(3, {0x00, 0x00, 252}));
    EXPECT_TRUE(line.read_for(150ms).empty());
    EXPECT_EQ(sim.violations().size(), 3u);
    EXPECT_THROW(sim.set_image(SimBytes(100)), std::invalid_argument);
}

TEST_F(SimFixture, MalformedRequestsAreViolationsAndUnanswered)
{
    line.send("04 00 70 03");                  // CRC high byte first
    line.send("04 00 03 71");                  // bad CRC
    line.send(sim_frame(0, {1}));              // poll with a payload
    line.send(sim_frame(40, {}));              // command 40
    line.send(sim_frame(4, {0, 1, 0, 0}));     // parameter write of 8 bytes
    line.send(sim_frame(6, {0, 28, 2, 0x04, 1, 2}));  // chunk flags without first/last
    SimBytes list{33};
    list.resize(1 + 33 * 3, 0);
    line.send(sim_frame(30, list));            // 33 list items
    line.send(sim_frame(7, {11}));             // information sub-code 11
    EXPECT_TRUE(line.read_for(200ms).empty());
    auto v = sim.violations();
    ASSERT_EQ(v.size(), 8u);
    EXPECT_NE(v[0].find("high byte first"), std::string::npos);
    EXPECT_EQ(sim.requests().size(), 8u);
    for (const auto& e : sim.requests())
        EXPECT_FALSE(e.valid);
    sim.clear_violations();
    line.send(sim_unhex("06 0A"));             // a frame that never completes
    EXPECT_TRUE(sim.wait_for([&] { return !sim.violations().empty(); }, 1000ms));
    EXPECT_NE(sim.violations()[0].find("incomplete"), std::string::npos);
}

TEST_F(SimFixture, WritesFunctionsListsAndAlarmMemory)
{
    line.send(sim_frame(4, {0x20, 0x10, 0x02, 0x90, 0x00, 0x00, 0x01, 0x2C}));
    EXPECT_EQ(line.read_n(7), sim_frame(4, {0x20, 0x10, 0x02}));
    ASSERT_EQ(sim.param_writes().size(), 1u);
    EXPECT_EQ(sim.param_writes()[0].key, 0x2010);
    EXPECT_EQ(sim.param_writes()[0].bits, 0x90);
    EXPECT_EQ(sim.param_writes()[0].value_u32(), 300u);

    line.send("06 08 02 00 80 0E");
    EXPECT_EQ(line.read_n(6), sim_frame(8, {2, 0}));
    ASSERT_EQ(sim.drive_functions().size(), 1u);
    EXPECT_EQ(sim.drive_functions()[0].first, 2);
    EXPECT_EQ(sim.drive_functions()[0].second, 0);

    sim.set_list_value(0x6041, 0, {0x37, 0x02});
    sim.set_list_value(0x0010, 1, {1, 2, 3, 4});
    line.send(sim_frame(30, {0x83, 0x60, 0x41, 0x00, 0x99, 0x99, 0x00, 0x00, 0x10, 0x01}));
    EXPECT_EQ(line.read_n(14), sim_frame(30, {0, 0, 0, 5, 0x37, 0x02, 1, 2, 3, 4}));

    SimBytes mem(17);
    mem[16] = 0xAB;
    sim.set_alarm_memory(mem);
    line.send(sim_frame(5, {}));
    EXPECT_EQ(line.read_n(21), sim_frame(5, mem));

    line.send(sim_frame(2, {}));  // unknown: ignored, then answered when asked to
    EXPECT_TRUE(line.read_for(100ms).empty());
    sim.set_answer_unknown(true);
    line.send(sim_frame(2, {}));
    EXPECT_EQ(line.read_n(4), sim_frame(2, {}));
    sim.queue_reply(12, {1, 2, 3, 4});
    line.send(sim_frame(12, {1, 2, 3, 4, 0, 10}));
    EXPECT_EQ(line.read_n(8), sim_frame(12, {1, 2, 3, 4}));
    EXPECT_TRUE(sim.violations().empty());
}

TEST_F(SimFixture, BlockWriteStoresChunksAndReportsProgress)
{
    SimBytes data = pattern_image();
    auto chunk = [&](unsigned off, unsigned len, std::uint8_t flags) {
        SimBytes p{static_cast<std::uint8_t>(off >> 8), static_cast<std::uint8_t>(off), static_cast<std::uint8_t>(len), flags};
        p.insert(p.end(), data.begin() + off, data.begin() + off + len);
        line.send(sim_frame(6, p));
        EXPECT_EQ(line.read_n(4), sim_frame(6, {}));
    };
    auto progress = [&] {
        line.send(sim_frame(7, {1}));
        SimBytes r = line.read_n(41);
        EXPECT_EQ(r.size(), 41u);
        return r.size() == 41 ? unsigned(r[33] << 8 | r[34]) : 0u;
    };
    sim.set_store_time(300ms);
    unsigned off = 28;
    chunk(off, 245, 1 | 8);
    chunk(off, 245, 1 | 8);  // repeated first chunk counts once
    EXPECT_EQ(progress(), 245u);
    for (off += 245; off + 245 < 2408; off += 245)
        chunk(off, 245, 1);
    chunk(off, 2408 - off, 2);
    EXPECT_EQ(off, 2233u);
    unsigned mid = progress();
    EXPECT_GE(mid, 2380u);
    EXPECT_LT(mid, 2 * 2380u + 2);
    line.send("04 00 03 70");
    SimBytes st = line.read_n(32);
    ASSERT_EQ(st.size(), 32u);
    EXPECT_EQ(st[3] & 0x08, 0x08);  // storing: writes not accepted
    line.send(sim_frame(4, {0, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_TRUE(line.read_for(100ms).empty());
    ASSERT_EQ(sim.violations().size(), 1u);  // a write while bit 3 was reported
    sim.clear_violations();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(progress(), 2 * 2380u + 2);
    SimBytes stored = sim.image();
    EXPECT_EQ(SimBytes(stored.begin() + 28, stored.begin() + 2408), SimBytes(data.begin() + 28, data.begin() + 2408));
    EXPECT_EQ(stored[27], 0);

    chunk(28, 245, 1 | 8);
    chunk(28 + 490, 245, 1);  // one chunk skipped
    ASSERT_EQ(sim.violations().size(), 1u);
    EXPECT_NE(sim.violations()[0].find("expected 273"), std::string::npos);
}

TEST_F(SimFixture, FaultSplitArrivesInTwoPiecesWithTheGap)
{
    sim.add_fault(SimFault::split({10}, 80));
    auto sent = SimClock::now();
    line.send("06 0A 03 14 20 51");
    SimBytes r = line.read_n(56);
    ASSERT_EQ(r.size(), 56u);
    EXPECT_TRUE(crc_ok(r));
    ASSERT_GE(line.chunks().size(), 2u);
    EXPECT_GE(line.chunks().back() - sent, 75ms);
    EXPECT_NE(sim.replies(10).at(0).note.find("split"), std::string::npos);
}

TEST_F(SimFixture, FaultBadCrcSilenceTwiceAndCounts)
{
    sim.add_fault(SimFault::bad_crc().on(0));
    sim.add_fault(SimFault::silence().on(10).times(2));
    line.send("06 0A 03 14 20 51");
    line.send("04 00 03 70");
    SimBytes r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_NE(sim_crc16(r), 0);
    EXPECT_FALSE(sim.replies(0).at(0).valid);
    line.send("06 0A 03 14 20 51");
    EXPECT_TRUE(line.read_for(200ms).empty());  // second silenced identification
    line.send("06 0A 03 14 20 51");
    EXPECT_EQ(line.read_n(56).size(), 56u);     // faults used up

    sim.add_fault(SimFault::twice(30));
    line.send("04 00 03 70");
    r = line.read_n(64);
    ASSERT_EQ(r.size(), 64u);
    EXPECT_EQ(SimBytes(r.begin(), r.begin() + 32), SimBytes(r.begin() + 32, r.end()));
    EXPECT_TRUE(crc_ok(SimBytes(r.begin(), r.begin() + 32)));
    EXPECT_EQ(sim.requests(10).size(), 3u);
    EXPECT_EQ(sim.replies(10).size(), 1u);

    sim.add_fault(SimFault::silence().forever());
    line.send("04 00 03 70");
    line.send("04 00 03 70");
    EXPECT_TRUE(line.read_for(150ms).empty());
    sim.clear_faults();
    line.send("04 00 03 70");
    EXPECT_EQ(line.read_n(32).size(), 32u);
    EXPECT_TRUE(sim.violations().empty());
}

TEST_F(SimFixture, FaultsOnBytesEchoGarbageLengthTruncationCommand)
{
    SimBytes poll = sim.status();
    SimBytes good = sim_frame(0, poll);
    sim.add_fault(SimFault::echo_first());
    line.send("06 0A 03 14 20 51");
    SimBytes r = line.read_n(62);
    ASSERT_EQ(r.size(), 62u);
    EXPECT_EQ(SimBytes(r.begin(), r.begin() + 6), sim_unhex("06 0A 03 14 20 51"));
    EXPECT_TRUE(crc_ok(SimBytes(r.begin() + 6, r.end())));

    sim.add_fault(SimFault::garbage_before({0xEE}));
    sim.add_fault(SimFault::garbage_after({0x01, 0x02}));
    line.send("04 00 03 70");
    r = line.read_n(35);
    SimBytes want{0xEE};
    want.insert(want.end(), good.begin(), good.end());
    want.push_back(1);
    want.push_back(2);
    EXPECT_EQ(r, want);

    sim.add_fault(SimFault::wrong_length(+3));
    line.send("04 00 03 70");
    r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[0], 35);
    EXPECT_TRUE(crc_ok(r));

    sim.add_fault(SimFault::truncated(5));
    line.send("04 00 03 70");
    EXPECT_EQ(line.read_for(150ms), SimBytes(good.begin(), good.end() - 5));

    sim.add_fault(SimFault::bad_command(45));
    line.send("04 00 03 70");
    r = line.read_n(32);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[1], 45);
    EXPECT_TRUE(crc_ok(r));

    sim.add_fault(SimFault::echo_first().on(10));
    sim.add_fault(SimFault::silence().on(10));
    line.send("06 0A 03 14 20 51");
    EXPECT_EQ(line.read_for(150ms), sim_unhex("06 0A 03 14 20 51"));  // the echo alone

    sim.add_fault(SimFault::bad_crc().on(3).after(2));
    for (int i = 0; i < 3; ++i) {
        line.send(sim_frame(3, {0, 0, 4}));
        EXPECT_EQ(crc_ok(line.read_n(8)), i < 2) << i;
    }
    EXPECT_TRUE(sim.violations().empty());
}

TEST_F(SimFixture, FaultLateHoldsThatReplyAndTheOnesAfterIt)
{
    sim.add_fault(SimFault::late(250).on(3));
    auto sent = SimClock::now();
    line.send(sim_frame(3, {0, 0, 4}));
    line.send("04 00 03 70");  // a serial drive answers in order
    const SimBytes r = line.read_n(40, 2000ms);
    ASSERT_EQ(r.size(), 40u);
    EXPECT_EQ(r[1], 3);
    EXPECT_EQ(r[9], 0);
    EXPECT_GE(line.first_byte() - sent, 245ms);
}

TEST_F(SimFixture, HangUpClosesTheLine)
{
    sim.add_fault(SimFault::hang_up().on(3));
    line.send("04 00 03 70");
    EXPECT_EQ(line.read_n(32).size(), 32u);
    line.send(sim_frame(3, {0, 0, 4}));
    EXPECT_TRUE(sim.wait_for([&] { return sim.hung_up(); }, 1000ms));
    line.read_for(200ms);
    EXPECT_TRUE(line.hung_up());
}

TEST_F(SimFixture, PacingTakesTheWireTimeBothWays)
{
    sim.set_pacing(9600, 20000us);
    SimBytes img = pattern_image();
    sim.set_image(img);
    auto sent = SimClock::now();
    line.send("07 03 00 00 FB D0 07");
    SimBytes r = line.read_n(255, 3000ms);
    auto took = SimClock::now() - sent;
    ASSERT_EQ(r.size(), 255u);
    EXPECT_TRUE(crc_ok(r));
    auto wire = sim_wire_time(7, 9600) + sim_wire_time(255, 9600) + 20ms;  // 293.6 ms
    EXPECT_GE(took, wire - 5ms);
    EXPECT_LT(took, wire + 400ms);
    EXPECT_GT(line.chunks().size(), 10u);  // delivered progressively, not at once
    auto rep = sim.replies(3).at(0);
    auto req = sim.requests(3).at(0);
    EXPECT_GE(req.end - req.start, sim_wire_time(7, 9600) - 1ms);
    EXPECT_GE(rep.end - rep.start, sim_wire_time(255, 9600) - sim_wire_time(2, 9600) - 2ms);
}

TEST_F(SimFixture, LogAndWaitHelpers)
{
    EXPECT_FALSE(sim.wait_requests(10, 1, 50ms));
    std::thread client([&] {
        for (int i = 0; i < 3; ++i) {
            line.send("06 0A 03 14 20 51");
            line.read_n(56);
        }
    });
    EXPECT_TRUE(sim.wait_requests(10, 3, 2000ms));
    EXPECT_TRUE(sim.wait_replies(10, 3, 2000ms));
    client.join();
    auto log = sim.log();
    ASSERT_EQ(log.size(), 6u);
    for (std::size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].dir, i % 2 ? SimLogEntry::Reply : SimLogEntry::Request);
        EXPECT_LE(log[i].start, log[i].end);
        if (i) {
            EXPECT_LE(log[i - 1].start, log[i].start);
        }
    }
    EXPECT_EQ(sim.request_count(), 3u);
    sim.clear_log();
    EXPECT_TRUE(sim.log().empty());
}

TEST_F(SimFixture, UnreadLineDropsRepliesInsteadOfStalling)
{
    for (int i = 0; i < 600; ++i)  // 153 kB of replies, more than any pty buffer holds
        line.send("07 03 00 00 FB D0 07");
    ASSERT_TRUE(sim.wait_replies(3, 600, 5000ms));
    EXPECT_GT(sim.lost_bytes(), 0u);
    line.purge();
    line.send("04 00 03 70");
    EXPECT_EQ(line.read_n(32).size(), 32u);  // the line still answers
}
