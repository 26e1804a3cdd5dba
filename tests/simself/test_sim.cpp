// Smoke test of the drive simulator's fault injectors, driven by a raw client on the
// pseudo-terminal: each fault shapes the reply to a status poll as it says.
#include "sim/DriveSim.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>

using namespace std::chrono_literals;

namespace {

// Bytes that arrive until the line stays quiet for `window`, and when the last one came.
struct Arrived {
    SimBytes bytes;
    SimClock::time_point last = SimClock::now();
};
Arrived read_quiet(int fd, std::chrono::milliseconds window)
{
    Arrived out;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, static_cast<int>(window.count())) > 0) {
        std::uint8_t buf[512];
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got <= 0)
            break;
        out.bytes.insert(out.bytes.end(), buf, buf + got);
        out.last = SimClock::now();
    }
    return out;
}

// The bytes of a reply of `want` bytes (waited for up to 3 s, so a loaded machine does not cut
// it short), then whatever follows within a short quiet window.
Arrived read_reply(int fd, std::size_t want)
{
    Arrived out;
    const auto end = SimClock::now() + 3s;
    pollfd p{fd, POLLIN, 0};
    while (out.bytes.size() < want && SimClock::now() < end && ::poll(&p, 1, 100) >= 0) {
        std::uint8_t buf[512];
        const ssize_t got = (p.revents & POLLIN) ? ::read(fd, buf, sizeof buf) : 0;
        if (got > 0) {
            out.bytes.insert(out.bytes.end(), buf, buf + got);
            out.last = SimClock::now();
        }
    }
    Arrived rest = read_quiet(fd, want == 0 ? 300ms : 50ms);
    out.bytes.insert(out.bytes.end(), rest.bytes.begin(), rest.bytes.end());
    if (!rest.bytes.empty())
        out.last = rest.last;
    return out;
}

// The program's end of the simulator's line, raw; -1 when it does not open.
int open_raw(const DriveSim& sim)
{
    const int fd = ::open(sim.device_path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

SimBytes restamped(SimBytes f, std::size_t at, std::uint8_t value)
{
    f[at] = value;
    sim_restamp_crc(f);
    return f;
}

SimBytes joined(SimBytes a, const SimBytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(DriveSimFaults, EachFaultShapesTheReplyToAPoll)
{
    DriveSim sim;
    const int fd = open_raw(sim);
    ASSERT_GE(fd, 0);

    SimBytes status(DriveSim::kStatusSize);
    for (std::size_t i = 0; i < status.size(); ++i)
        status[i] = static_cast<std::uint8_t>(0x40 + i);  // bit 3 of byte 1 clear: no write hold
    sim.set_status(status);
    const SimBytes poll = sim_unhex("04 00 03 70");
    const SimBytes good = sim_frame(0, status);
    SimBytes bad_crc = good;
    bad_crc[bad_crc.size() - 2] ^= 0xFF;

    const struct {
        const char* name;
        std::optional<SimFault> fault;
        SimBytes want;
        std::chrono::milliseconds not_before;
    } rows[] = {
        {"none", std::nullopt, good, 0ms},
        {"other command", SimFault::silence().on(10), good, 0ms},
        {"silence", SimFault::silence(), {}, 0ms},
        {"bad CRC", SimFault::bad_crc(), bad_crc, 0ms},
        {"late", SimFault::late(150), good, 150ms},
        {"split", SimFault::split({10}, 120), good, 120ms},
        {"garbage before", SimFault::garbage_before({0xEE}), joined({0xEE}, good), 0ms},
        {"garbage after", SimFault::garbage_after({1, 2}), joined(good, {1, 2}), 0ms},
        {"wrong length", SimFault::wrong_length(3), restamped(good, 0, good[0] + 3), 0ms},
        {"truncated", SimFault::truncated(5), SimBytes(good.begin(), good.end() - 5), 0ms},
        {"bad command", SimFault::bad_command(45), restamped(good, 1, 45), 0ms},
        {"twice", SimFault::twice(30), joined(good, good), 0ms},
        {"echo first", SimFault::echo_first(), joined(poll, good), 0ms},
    };
    for (const auto& r : rows) {
        if (r.fault)
            sim.add_fault(*r.fault);
        const auto sent = SimClock::now();
        ASSERT_EQ(::write(fd, poll.data(), poll.size()), static_cast<ssize_t>(poll.size()));
        const Arrived got = read_reply(fd, r.want.size());
        EXPECT_EQ(sim_hex(got.bytes), sim_hex(r.want)) << r.name;
        EXPECT_GE(got.last - sent, r.not_before) << r.name;
        sim.clear_faults();
    }
    EXPECT_TRUE(sim.violations().empty());
    const SimBytes crc_high_first = sim_unhex("04 00 70 03");
    ASSERT_EQ(::write(fd, crc_high_first.data(), 4), 4);
    EXPECT_TRUE(read_quiet(fd, 100ms).bytes.empty());
    EXPECT_EQ(sim.violations().size(), 1u);
    ::close(fd);
}

// A drive answers in order: a reply held back holds back the next one, which then follows one
// turnaround after the held one has left the line.
TEST(DriveSimFaults, AnAnswerHeldBackIsFollowedOneTurnaroundLater)
{
    DriveSim sim;
    sim.set_pacing(57600, 2ms);
    const int fd = open_raw(sim);
    ASSERT_GE(fd, 0);
    sim.add_fault(SimFault::late(50));
    const SimBytes poll = sim_unhex("04 00 03 70");
    ASSERT_EQ(::write(fd, poll.data(), poll.size()), 4);
    ASSERT_TRUE(sim.wait_requests(0, 1, 1000ms));
    ASSERT_EQ(::write(fd, poll.data(), poll.size()), 4);  // the repeat, while the drive holds its answer
    EXPECT_EQ(read_reply(fd, 2 * (DriveSim::kStatusSize + 4)).bytes.size(), 2 * (DriveSim::kStatusSize + 4));
    const auto req = sim.requests(0);
    const auto rep = sim.replies(0);
    ASSERT_EQ(req.size(), 2u);
    ASSERT_EQ(rep.size(), 2u);
    // Lower bounds only (a loaded machine writes later, never earlier): turnaround and lateness,
    // the held answer's wire time, the turnaround again, the second answer's first piece.
    EXPECT_GE(rep[0].start - req[0].end, 52ms);
    EXPECT_GE(rep[1].start - req[0].end, 2ms + 50ms + sim_wire_time(32, 57600) + 2ms + sim_wire_time(6, 57600));
    EXPECT_GT(rep[0].start, req[1].end);
    ::close(fd);
}

// The answer to a repeat held back after the late answer before it; each answer carries the
// number of the request it answers.
TEST(DriveSimFaults, AnAnswerHeldAfterTheOneBeforeIsMarkedWithItsRequest)
{
    DriveSim sim;
    sim.set_pacing(57600, 2ms);
    const int fd = open_raw(sim);
    ASSERT_GE(fd, 0);
    sim.add_faults({SimFault::late(50), SimFault::held_after(30).after(1)});
    const SimBytes poll = sim_unhex("04 00 03 70");
    ASSERT_EQ(::write(fd, poll.data(), poll.size()), 4);
    ASSERT_TRUE(sim.wait_requests(0, 1, 1000ms));
    ASSERT_EQ(::write(fd, poll.data(), poll.size()), 4);
    EXPECT_EQ(read_reply(fd, 2 * (DriveSim::kStatusSize + 4)).bytes.size(), 2 * (DriveSim::kStatusSize + 4));
    const auto req = sim.requests(0);
    const auto rep = sim.replies(0);
    ASSERT_EQ(req.size(), 2u);
    ASSERT_EQ(rep.size(), 2u);
    EXPECT_EQ(req[0].serial, 1u);
    EXPECT_EQ(req[1].serial, 2u);
    EXPECT_EQ(rep[0].serial, 1u);
    EXPECT_EQ(rep[1].serial, 2u);
    // Lower bound (a loaded machine writes later, never earlier): turnaround, lateness, the late
    // answer's wire time, the hold instead of a turnaround, the second answer's first piece.
    EXPECT_GE(rep[1].start - req[0].end, 2ms + 50ms + sim_wire_time(32, 57600) + 30ms + sim_wire_time(6, 57600));
    ::close(fd);
}
