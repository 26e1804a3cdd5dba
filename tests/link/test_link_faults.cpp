// The link against a misbehaving drive: silence, bad CRC, late, split, echoed and doubled
// replies, held writes, and an unplugged line.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <functional>

#include "LinkTestUtil.h"
#include "link/Flash_seams.h"
#include "platform/Sync.h"

using namespace linktest;

namespace {

double ms_between(SimClock::time_point a, SimClock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

std::vector<unsigned> block_offsets(const DriveSim& sim)
{
    std::vector<unsigned> out;
    for (const auto& e : sim.requests(3))
        out.push_back(block_offset(e));
    return out;
}

double process_cpu_ms()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

TEST_F(SimLink, SilenceOnlineRetriesOnceThenLosesTheDrive)
{
    const SimBytes img = test_image(5);
    connect_with_image(img);
    const uint32_t lost = Ser_lost_count.load();
    // Log first, then silence: a poll already on the wire is logged with its repeat.
    sim->clear_log();
    sim->add_fault(SimFault::silence().forever());
    Rec_set<uint16_t>(DriveRecordBank[0], 94, 0x0BAD);
    Sertx_write_var_nosave(RecLoc(94));
    Ser_block_job.offset.store(28);  // a chunk of a data-set transfer behind it
    Ser_block_job.end.store(2408);
    Sertx_write_block(Ser_block_job, 3);
    const auto t0 = std::chrono::steady_clock::now();

    ASSERT_TRUE(wait_until([&] { return Ser_lost_count.load() == lost + 1; }, 2000));
    const double loss_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_GE(loss_ms, 250.0);
    EXPECT_LE(loss_ms, 700.0);
    EXPECT_FALSE(link_bits(LinkFlag::Answers));
    EXPECT_FALSE(link_bits(LinkFlag::Ready));
    EXPECT_FALSE(data_bits(DataFlag::ImageRead));
    EXPECT_EQ(Ser_ok_count.load(), 0);

    // The two requests before the first identification request: one request, sent twice.
    auto reqs = sim->requests();
    std::size_t h = 0;
    while (h < reqs.size() && reqs[h].cmd != 10)
        ++h;
    ASSERT_GE(h, 2u);
    EXPECT_EQ(reqs[h - 2].bytes, reqs[h - 1].bytes);
    const double gap = ms_between(reqs[h - 2].start, reqs[h - 1].start);
    EXPECT_GE(gap, 180.0);
    EXPECT_LE(gap, 320.0);

    ASSERT_TRUE(sim->wait_requests(10, 2, 1000ms));  // identification requests resume
    EXPECT_EQ(Seriale_count(), 1);                   // the write waits, the transfer's chunk is gone

    const std::size_t before = sim->request_count();
    sim->clear_faults();
    ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
    reqs = sim->requests();
    std::size_t i = before;
    while (i < reqs.size() && reqs[i].cmd == 10)
        ++i;
    ASSERT_LT(i + 1, reqs.size());
    EXPECT_EQ(reqs[i].cmd, 4);  // the write first, then the first-contact requests
    EXPECT_EQ(sim_hex(reqs[i + 1].bytes), "06 08 02 00 80 0E");
    ASSERT_FALSE(sim->param_writes().empty());
    EXPECT_EQ(sim->param_writes().back().value_u32(), 0x0BADu);
    EXPECT_EQ(sim->request_count(SerCmd::WriteBlock), 0u);
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
}

TEST_F(SimLink, LateReplyAndItsRepeatAreNotDispatchedTwice)
{
    const SimBytes img = test_image(8);
    sim->add_fault(SimFault::late(250).on(3));  // time-out + 50 ms
    connect_with_image(img);
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
    const auto blocks = sim->requests(3);
    ASSERT_EQ(blocks.size(), 11u);
    EXPECT_EQ(block_offset(blocks[1]), 0u);
    EXPECT_EQ(block_offset(blocks[2]), 251u);
    // Both answers to offset 0 were on the line before offset 251 was asked for.
    const auto replies = sim->replies(3);
    ASSERT_GE(replies.size(), 2u);
    const auto late_end = std::max(replies[0].end, replies[1].end);
    EXPECT_GT(blocks[2].start, late_end);
    EXPECT_EQ(stop_and_wait_breach(*sim), "");
}

// Late status polls: each repeated poll is fenced with an identification, which the receive thread
// stores while a reader of the program takes it (a ThreadSanitizer build checks the hand-over).
TEST_F(SimLink, IdentificationsFencingLateStatusPollsAreReadWhole)
{
    connect_with_image(test_image(14));
    constexpr std::size_t FENCES = 4;
    sim->add_fault(SimFault::late(static_cast<int>(Ser_timeout_ms.load()) + 30).on(SerCmd::Status).forever());
    FlashFileLoaded.store(1);  // Flashctrl_mot_flash_allowed then reads the identification's flags
    const std::size_t idents = sim->request_count(SerCmd::Ident);
    std::size_t reads = 0;
    std::size_t allowed = 0;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (sim->request_count(SerCmd::Ident) < idents + FENCES && std::chrono::steady_clock::now() < end) {
        allowed += Flashctrl_mot_flash_allowed();
        ++reads;
    }
    FlashFileLoaded.store(0);
    sim->clear_faults();
    EXPECT_GE(sim->request_count(SerCmd::Ident), idents + FENCES);
    EXPECT_EQ(allowed, reads);
    EXPECT_TRUE(link_bits(LinkFlag::Ready));
}

TEST_F(SimLink, BlockReplyRepeatedAfterTheImageReadIsDropped)
{
    const SimBytes img = test_image(9);
    const uint32_t lost = Ser_lost_count.load();
    sim->add_fault(SimFault::twice(300).on(3));
    connect_with_image(img);
    ASSERT_TRUE(sim->wait_replies(3, 11, 2000ms));  // the second copy arrives while polling
    const std::size_t polls = sim->request_count(0);
    ASSERT_TRUE(sim->wait_requests(0, polls + 5, 1000ms));
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
    EXPECT_EQ(sim->request_count(3), 10u);
    EXPECT_EQ(Ser_lost_count.load(), lost);
}

// Damaged replies while the image is read: each row connects to a fresh drive with its faults
// and checks the image, the identification and block-read requests sent (0: not checked), the
// first block offsets and the drives lost.
TEST_F(SimLink, DamagedRepliesAreRetriedOrRereadTheImage)
{
    using Setup = std::function<void(DriveSim&)>;
    const struct {
        const char* name;
        Setup faults;
        std::size_t idents;
        std::size_t blocks;
        std::vector<unsigned> first_offsets;
        uint32_t lost;
    } rows[] = {
        {"one bad CRC is repeated", [](DriveSim& d) { d.add_fault(SimFault::bad_crc().on(3)); }, 1, 11, {0, 0}, 0},
        {"two bad CRCs lose the drive and reread from zero",
         [](DriveSim& d) { d.add_fault(SimFault::bad_crc().on(3).times(2)); }, 2, 12, {0, 0, 0, 251}, 1},
        {"split reply joins at 30 ms", [](DriveSim& d) { d.add_fault(SimFault::split({10}, 30).on(3)); }, 0, 10, {}, 0},
        {"split reply at 100 ms is repeated once", [](DriveSim& d) { d.add_fault(SimFault::split({10}, 100).on(3)); },
         0, 11, {}, 0},
        {"echo glued before the identification is found at once",
         [](DriveSim& d) { d.add_fault(SimFault::echo_first(0).on(10)); }, 1, 10, {}, 0},
        {"an echo alone wakes nothing", [](DriveSim& d) { d.queue_reply(10, {3, 20}); }, 2, 10, {}, 0},
        {"another command does not answer the identification",
         [](DriveSim& d) { d.add_fault(SimFault::bad_command(SerCmd::Status).on(SerCmd::Ident)); }, 2, 10, {}, 0},
        {"a stray byte after a reply causes no repeat",
         [](DriveSim& d) { d.add_fault(SimFault::garbage_after().on(3).times(4)); }, 0, 10, {}, 0},
        {"garbage before a reply is retried", [](DriveSim& d) { d.add_fault(SimFault::garbage_before().on(3)); }, 0,
         11, {}, 0},
        {"wrong command, length and truncation are retried",
         [](DriveSim& d) {
             d.add_fault(SimFault::bad_command(45).on(10));
             d.add_fault(SimFault::wrong_length(3).on(3));
             d.add_fault(SimFault::truncated(2).on(0));  // the fence after the repeated read: a second one
         },
         3, 11, {}, 0},
        {"both tries of the fence after a repeat unanswered lose the drive and reread from zero",
         [](DriveSim& d) {
             d.add_fault(SimFault::bad_crc().on(3));
             d.add_fault(SimFault::silence().on(0));
             d.add_fault(SimFault::silence().on(10).after(1));
         },
         3, 12, {0, 0, 0, 251}, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        restart_sim();
        const SimBytes img = test_image(10);
        const uint32_t lost = Ser_lost_count.load();
        r.faults(*sim);
        connect_with_image(img);
        EXPECT_EQ(slot0_drive_order(), expected_image(img));
        if (r.idents != 0) {
            EXPECT_EQ(sim->request_count(SerCmd::Ident), r.idents);
        }
        const auto offsets = block_offsets(*sim);
        EXPECT_EQ(offsets.size(), r.blocks);
        for (std::size_t i = 0; i < r.first_offsets.size() && i < offsets.size(); ++i)
            EXPECT_EQ(offsets[i], r.first_offsets[i]) << i;
        EXPECT_EQ(Ser_lost_count.load(), lost + r.lost);
    }
}

TEST_F(SimLink, HeldWritesWaitWhileTerminalAndPollsGoOn)
{
    connect_with_image(test_image(17));
    sim->set_write_hold(true);
    ASSERT_TRUE(wait_until([] { return Drive_status_word() & StatusBit::WritesHeld; }, 1000));
    sim->clear_log();
    const std::size_t writes = sim->param_writes().size();
    for (uint16_t v : {1, 2, 3}) {
        Rec_set<uint16_t>(DriveRecordBank[0], 94, v);
        Sertx_write_var_nosave(RecLoc(94));
    }
    Sertx_terminal_char('Q');
    ASSERT_TRUE(sim->wait_requests(1, 1, 1000ms));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(sim->request_count(4), 0u);
    EXPECT_GE(sim->request_count(0), 5u);
    EXPECT_EQ(Seriale_count(), 2);  // the three writes merged into two

    sim->set_write_hold(false);
    ASSERT_TRUE(sim->wait_requests(4, 2, 2000ms));
    std::this_thread::sleep_for(200ms);
    const auto w = sim->param_writes();
    ASSERT_EQ(w.size(), writes + 2);
    EXPECT_EQ(w[writes].value_u32(), 1u);
    EXPECT_EQ(w[writes + 1].value_u32(), 3u);
}

TEST_F(SimLink, UnpluggedMidImageIsLostQuietlyAndClosesQuickly)
{
    sim->set_pacing(57600);
    DriveRecordBank[0].b[500] = 0x77;
    connect();
    DriveUiFlags.fetch_or(UiFlag::Modified);
    ASSERT_TRUE(sim->wait_replies(3, 3, 3000ms));
    const uint32_t lost = Ser_lost_count.load();
    sim->hang_up();
    const auto t0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(wait_until([&] { return Ser_lost_count.load() == lost + 1; }, 2000));
    EXPECT_LE(std::chrono::steady_clock::now() - t0, 700ms);
    EXPECT_FALSE(data_bits(DataFlag::ImageRead));
    EXPECT_EQ(DriveRecordBank[0].b[500], 0x77);  // slot 0 kept
    EXPECT_TRUE(DriveUiFlags.load() & UiFlag::Modified);

    const double cpu0 = process_cpu_ms();
    std::this_thread::sleep_for(1000ms);
    EXPECT_LT(process_cpu_ms() - cpu0, 50.0);  // below 5 % of one core, no spinning
    EXPECT_EQ(Ser_lost_count.load(), lost + 1);  // hellos go on, no drive to lose

    const auto t1 = std::chrono::steady_clock::now();
    Seriale_close();
    EXPECT_LT(std::chrono::steady_clock::now() - t1, 1000ms);
}

// ---- a drive that answers one request late, then its repeat in order ----
// Paced 57600 baud, 2 ms turnaround. The late answer runs into the time-out, the repeat or the
// fence after it; the drive's second answer follows one turnaround after the late one.

namespace {

std::vector<int> late_points()
{
    std::vector<int> ms;
    for (int m = 195; m <= 215; ++m)
        ms.push_back(m);
    for (int m = 220; m <= 260; m += 5)
        ms.push_back(m);
    return ms;
}

// Requests after which the link waited at least most of a time-out for an answer (a time-out,
// or a reply awaited past it), each with the log from it to the request after.
std::vector<std::string> timeout_waits(const DriveSim& sim)
{
    const auto log = sim.log();
    const auto wait = std::chrono::milliseconds(Ser_timeout_ms.load()) * 9 / 10;
    std::vector<std::string> out;
    const SimLogEntry* last = nullptr;
    std::string text;
    for (const auto& e : log) {
        if (e.dir == SimLogEntry::Request) {
            if (last != nullptr && e.start - last->start >= wait)
                out.push_back(text);
            last = &e;
            text.clear();
        }
        if (last != nullptr)
            text += (e.dir == SimLogEntry::Request ? "> cmd " : "< cmd ") + std::to_string(e.cmd) + " at " +
                    std::to_string(ms_between(last->start, e.start)) + " ms, " + std::to_string(e.bytes.size()) + " bytes\n";
    }
    return out;
}

}  // namespace

// How the simulated drive failed to keep the timing of the scenario, or "": a reply stretched by
// a pause near one the link must take for the end of a frame (80 ms), or a held-back answer that
// followed the one before more than a turnaround and a few ms later (the simulator's thread ran
// late: such a drive answers the next request as far as any link can tell).
std::string drive_out_of_time(const DriveSim& sim)
{
    const auto log = sim.log();
    for (std::size_t i = 0; i < log.size(); ++i) {
        const auto& e = log[i];
        if (e.dir != SimLogEntry::Reply)
            continue;
        if (e.end - e.start - sim_wire_time(e.bytes.size(), 57600) >= 60ms)
            return "a reply stretched by " + std::to_string(ms_between(e.start, e.end)) + " ms";
        if (i > 0 && log[i - 1].dir == SimLogEntry::Reply && e.start - log[i - 1].end > 6ms)
            return "a held-back answer " + std::to_string(ms_between(log[i - 1].end, e.start)) + " ms late";
    }
    return {};
}

// How long the pseudo-terminals take to hand bytes over: one byte every 2 ms through a pair of
// its own, read at the link's priority. On a loaded machine the kernel can hold that hand-over
// for tens of milliseconds; the link's line then holds the drive's bytes back as long, which to
// the link is a drive that paused (inside a frame, or before an answer it still owed).
class PtyHandOverProbe {
public:
    PtyHandOverProbe()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
        termios t{};
        if (slave_ < 0 || tcgetattr(slave_, &t) != 0)
            return;
        cfmakeraw(&t);
        tcsetattr(slave_, TCSANOW, &t);
        thread_ = std::thread([this] { run(); });
    }
    ~PtyHandOverProbe()
    {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
        for (const int fd : {slave_, master_})
            if (fd >= 0)
                close(fd);
    }
    // The longest hand-over since the start or the last restart.
    std::chrono::microseconds longest() const { return std::chrono::microseconds(longest_us_.load()); }
    void restart() { longest_us_.store(0); }

private:
    void run()
    {
        Thread_try_time_critical();
        while (!stop_.load()) {
            const auto t0 = SimClock::now();
            uint8_t b = 0x55;
            if (write(master_, &b, 1) != 1)
                return;
            pollfd p{slave_, POLLIN, 0};
            if (poll(&p, 1, 1000) != 1 || read(slave_, &b, 1) != 1)
                return;
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(SimClock::now() - t0).count();
            longest_us_.store(std::max<int64_t>(longest_us_.load(), us));
            std::this_thread::sleep_for(2ms);
        }
    }
    int master_ = -1;
    int slave_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> longest_us_{0};
    std::thread thread_;
};

class SimLinkLate : public SimLink, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        sim->set_pacing(57600, 2ms);
        probe = std::make_unique<PtyHandOverProbe>();
    }
    // What went wrong with a drive that kept its timing, or "": an image other than the drive's,
    // a time-out other than the one the drive caused, a link loss, or a request that went out
    // before the answer to the one before it.
    std::string faults(const SimBytes& img, uint32_t lost) const
    {
        std::string out;
        if (slot0_drive_order() != expected_image(img))
            out += "the image read is not the drive's\n";
        if (const auto waits = timeout_waits(*sim); waits.size() > 1)
            out += std::to_string(waits.size()) + " time-outs:\n" + joined(waits);
        if (Ser_lost_count.load() != lost)
            out += "the link was lost\n";
        const auto timeout = std::chrono::milliseconds(Ser_timeout_ms.load());
        if (const std::string breach = pairing_breach(*sim, timeout); !breach.empty())
            out += "a request before its answer: " + breach + "\n";
        return out;
    }
    // Faults are the link's, unless the pseudo-terminals held bytes back for half a time-out or
    // more: an answer may then miss its wait, and the line did not keep the scenario's timing.
    void judge(const std::string& found)
    {
        const auto held = probe->longest();
        if (!found.empty() && held >= std::chrono::milliseconds(Ser_timeout_ms.load()) / 2)
            GTEST_SKIP() << "the pseudo-terminals held bytes back for " << held.count() / 1000 << " ms:\n" << found;
        EXPECT_EQ(found, "");
    }
    std::unique_ptr<PtyHandOverProbe> probe;
};

TEST_P(SimLinkLate, BlockReadAnsweredLateKeepsTheImageExact)
{
    const SimBytes img = test_image(40 + GetParam());
    const uint32_t lost = Ser_lost_count.load();
    sim->add_fault(SimFault::late(GetParam()).on(SerCmd::ReadBlock).after(2));
    connect_with_image(img);
    const std::size_t polls = sim->request_count(SerCmd::Status);
    ASSERT_TRUE(sim->wait_requests(SerCmd::Status, polls + 5, 2000ms));  // the second answer is long gone
    if (const std::string late = drive_out_of_time(*sim); !late.empty())
        GTEST_SKIP() << "the simulated drive did not keep its timing: " << late;
    const std::size_t blocks = sim->reply_count(SerCmd::ReadBlock);
    judge(faults(img, lost) + (blocks < 10 ? std::to_string(blocks) + " block replies\n" : ""));
}

TEST_P(SimLinkLate, StatusPollAnsweredLateKeepsTheImageReadAfterItExact)
{
    sim->set_pacing(0);  // the first read unpaced, to keep the sweep short
    connect_with_image(test_image(1));
    sim->set_pacing(57600, 2ms);
    const SimBytes img = test_image(60 + GetParam());
    sim->set_image(img);
    ASSERT_TRUE(sim->wait_requests(SerCmd::Status, sim->request_count(SerCmd::Status) + 10, 2000ms));
    sim->clear_log();
    probe->restart();
    const uint32_t lost = Ser_lost_count.load();
    sim->add_fault(SimFault::late(GetParam()).on(SerCmd::Status));
    ASSERT_TRUE(sim->wait_for([&] { return sim->faults_pending() == 0; }, 2000ms));
    ASSERT_TRUE(Sertx_read_image());  // the block reads follow the late poll
    ASSERT_TRUE(wait_until([] { return Ser_image_read_pos.active.load() == 0; }, 5000));
    const std::size_t polls = sim->request_count(SerCmd::Status);
    ASSERT_TRUE(sim->wait_requests(SerCmd::Status, polls + 5, 2000ms));
    if (const std::string late = drive_out_of_time(*sim); !late.empty())
        GTEST_SKIP() << "the simulated drive did not keep its timing: " << late;
    const std::size_t blocks = sim->request_count(SerCmd::ReadBlock);
    judge(faults(img, lost) + (blocks != 10 ? std::to_string(blocks) + " block reads\n" : ""));
}

INSTANTIATE_TEST_SUITE_P(Ms, SimLinkLate, ::testing::ValuesIn(late_points()));

// A reply that begins before the time-out runs out and ends after it is taken whole: no repeat.
TEST_F(SimLink, AReplyArrivingAsTheTimeOutRunsOutIsAwaited)
{
    sim->set_pacing(57600, 2ms);
    const SimBytes img = test_image(23);
    sim->add_fault(SimFault::late(170).on(SerCmd::ReadBlock).after(1));  // 255 bytes: 44 ms on the line
    connect_with_image(img);
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
    const auto blocks = sim->requests(SerCmd::ReadBlock);
    const auto replies = sim->replies(SerCmd::ReadBlock);
    ASSERT_GE(replies.size(), 2u);
    const auto timeout = std::chrono::milliseconds(Ser_timeout_ms.load());
    if (replies[1].start - blocks[1].start >= timeout || replies[1].end - blocks[1].start <= timeout)
        GTEST_SKIP() << "the simulated drive did not answer across the time-out";
    EXPECT_EQ(blocks.size(), 10u);
}
