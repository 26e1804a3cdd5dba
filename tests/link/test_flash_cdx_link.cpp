// Container download against the simulator's container boot program: the frames of a whole run,
// the boot request to a running drive, an incompatible drive, a drive that never enters its boot
// program, a page reply held past the time-out, the quiet line after a repeated page and none after
// an answered one, a silent drive and a refused page.
#include <unistd.h>

#include <filesystem>

#include "LinkTestUtil.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/CdxTestUtil.h"
#include "link/Flash_progress.h"
#include "link/Flash_seams.h"

using namespace linktest;

namespace {

namespace fs = std::filesystem;

constexpr int RUN_MS = 30000;  // generous: a loaded machine retries the short waits

class CdxDownloadRun : public SimLink {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        char tmpl[] = "/tmp/pendrix_cdxl_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Flash_install();
        sim->set_cdx_restart(std::chrono::milliseconds(150));
    }
    void TearDown() override
    {
        SimLink::TearDown();
        FlashEntries = FlashEntriesRec{};
        FlashFileLoaded.store(0);
        FlashModeFlags.store(0);
        fs::remove_all(dir_);
    }
    void drive(uint32_t id)
    {
        SimBytes ident = sim->identification();
        ident[6] = static_cast<uint8_t>(id >> 8);
        ident[7] = static_cast<uint8_t>(id);
        sim->set_identification(ident);
    }
    void load(std::size_t n, uint32_t firmware)
    {
        recs_ = cdxtest::records(n, 0x2000, 5);
        const std::string p = (dir_ / "fw.cdx").string();
        cdxtest::write_file(p, cdxtest::container(recs_, {firmware}));
        ASSERT_TRUE(Flashsh7047_load_file(p));
    }
    void start()
    {
        Flashsh7047_reset_state(false);
        ASSERT_TRUE(Seriale_open_link(LinkMode::Flash));
    }
    bool finished() const
    {
        return (FlashProgressFlags.load() & FlashProgressFlag::AllWritten) && Ser_link_mode.load() == LinkMode::Normal;
    }
    std::string page_frame(std::size_t k) const
    {
        SimBytes f{0x89, 0x02, static_cast<uint8_t>(k == 0 ? 0x11 : 0x01)};
        for (int i = 0; i < 4; ++i)
            f.push_back(static_cast<uint8_t>(recs_[k].address >> (24 - 8 * i)));
        f.insert(f.end(), recs_[k].data.begin(), recs_[k].data.end());
        const uint16_t crc = Crc16_modbus(f.data(), f.size());
        f.push_back(static_cast<uint8_t>(crc));
        f.push_back(static_cast<uint8_t>(crc >> 8));
        return sim_hex(f);
    }
    void expect_pages_received() const
    {
        const auto pages = sim->cdx_pages();
        ASSERT_EQ(pages.size(), recs_.size());
        for (const auto& r : recs_)
            EXPECT_EQ(pages.at(r.address), r.data) << std::hex << r.address;
    }
    // Every command-2 request after the first follows a command-2 reply logged after the one before.
    std::string stop_and_wait() const
    {
        const auto log = sim->log();
        bool replied = true;
        for (const auto& e : log) {
            if (e.cmd != 2)
                continue;
            if (e.dir == SimLogEntry::Reply) {
                replied = true;
            } else {
                if (!replied && (e.bytes[2] & 0x0F) == 1)
                    return sim_hex(e.bytes);
                replied = (e.bytes[2] & 0x0F) == 2;  // the end frame is not answered
            }
        }
        return "";
    }

    fs::path dir_;
    std::vector<cdxtest::Record> recs_;
};

TEST_F(CdxDownloadRun, ThreeRecordsToADriveInItsBootProgram)
{
    sim->set_pacing(57600);  // the pages take their wire time: the write phase lasts long enough to see
    sim->set_cdx_boot_program(true);
    load(3, 0xC0458);
    uint32_t max_at_end = 0, count_at_end = 0;
    bool writing_shown = false;
    start();
    ASSERT_TRUE(wait_until(
        [&] {
            if (CdxDownload.state.load() == CdxState::Sending && FlashPhase.load() == FlashUiPhase::Write)
                writing_shown = true;
            if (CdxDownload.state.load() == CdxState::EndSent && max_at_end == 0) {
                max_at_end = FlashProgressMax.load();
                count_at_end = FlashProgressCount.load();
            }
            return finished();
        },
        RUN_MS));
    const std::vector<std::string> want = {"05 02 00 60 A1", page_frame(0), page_frame(1), page_frame(2),
                                           "05 02 02 E1 60"};
    EXPECT_EQ(hex_requests(*sim, 2), want);
    EXPECT_EQ(stop_and_wait(), "");
    EXPECT_TRUE(writing_shown);
    EXPECT_EQ(FlashPhase.load(), FlashUiPhase::Idle);
    EXPECT_EQ(max_at_end, 3u);
    EXPECT_EQ(count_at_end, 3u);
    expect_pages_received();
    EXPECT_FALSE(sim->cdx_boot_program());  // restarted into its application
    EXPECT_EQ(Ser_link_mode_req.load(), LinkMode::Normal);
    EXPECT_EQ(CdxDownload.active.load(), 0);
    const auto polls = sim->requests(0);
    ASSERT_FALSE(polls.empty());
    EXPECT_GT(polls.back().start, sim->requests(2).back().end);  // status polls until bit 0 cleared
}

TEST_F(CdxDownloadRun, ARunningDriveGetsOneBootRequestFirst)
{
    drive(0xC0465);
    load(2, 0xC0465);
    start();
    ASSERT_TRUE(wait_until([&] { return finished(); }, RUN_MS));
    const auto frames = hex_requests(*sim, 2);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], "05 02 02 E1 60");
    EXPECT_EQ(frames[1], "05 02 00 60 A1");
    EXPECT_EQ(std::count(frames.begin(), frames.end(), "05 02 02 E1 60"), 2);  // boot request, end
    expect_pages_received();
}

TEST_F(CdxDownloadRun, AnIncompatibleDriveGetsNoCommandTwo)
{
    load(2, 0xC0465);  // the simulator is a 0xC0458 drive in its application
    start();
    ASSERT_TRUE(wait_until([] { return FlashProgressFlags.load() & FlashProgressFlag::Answered; }, RUN_MS));
    EXPECT_EQ(Ser_link_mode.load(), LinkMode::Normal);
    EXPECT_EQ(Ser_link_mode_req.load(), LinkMode::Normal);
    EXPECT_EQ(sim->request_count(2), 0u);
}

TEST_F(CdxDownloadRun, ADriveThatIgnoresTheBootRequestTimesOut)
{
    drive(0xC0465);
    sim->set_cdx_ignore_end(true);
    load(2, 0xC0465);
    const uint32_t t0 = Tick_ms();
    start();
    ASSERT_TRUE(wait_until([] { return CdxDownload.bits.load() & CdxBit::BootTimeout; }, RUN_MS));
    EXPECT_GE(Tick_since(t0), CDX_BOOT_WAIT_MS);
    EXPECT_EQ(hex_requests(*sim, 2), std::vector<std::string>{"05 02 02 E1 60"});
    EXPECT_EQ(Ser_link_mode.load(), LinkMode::Flash);
    // Reported once: taken by the window, it does not come back from the ticks that follow.
    CdxDownload.bits.fetch_and(static_cast<uint8_t>(~CdxBit::BootTimeout));
    ASSERT_TRUE(sim->wait_requests(0, sim->request_count(0) + 5, std::chrono::milliseconds(RUN_MS)));
    EXPECT_EQ(CdxDownload.bits.load() & CdxBit::BootTimeout, 0);
}

TEST_F(CdxDownloadRun, ALatePageReplyCountsForItsOwnPageOnly)
{
    sim->set_cdx_boot_program(true);
    load(6, 0xC0458);
    const int late = static_cast<int>(Seriale_timeout_for(57600)) + 40;
    sim->add_fault(SimFault::late(late).on(2).after(3));  // start, pages 0 and 1 pass; page 2 late
    start();
    uint32_t most = 0;
    bool ahead = false;  // the progress counted a page the drive had not taken yet
    ASSERT_TRUE(wait_until(
        [&] {
            const uint32_t count = FlashProgressCount.load();
            most = std::max(most, count);
            ahead = ahead || count > sim->cdx_pages().size();
            return finished();
        },
        RUN_MS));
    EXPECT_FALSE(ahead);
    EXPECT_EQ(most, 6u);
    EXPECT_EQ(FlashRun.current_page.load(), 6u);
    expect_pages_received();
    // The end frame went out after the last page's reply, and no page was sent before the
    // reply of the page before it.
    const auto log = sim->log();
    auto last_page = std::find_if(log.rbegin(), log.rend(), [](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Request && e.cmd == 2 && (e.bytes[2] & 0x0F) == 1;
    });
    auto end_frame = std::find_if(log.begin(), log.end(), [](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Request && e.cmd == 2 && (e.bytes[2] & 0x0F) == 2;
    });
    ASSERT_NE(end_frame, log.end());
    const auto last_reply = std::find_if(log.rbegin(), log.rend(), [&](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Reply && e.cmd == 2 && e.end < end_frame->start;
    });
    ASSERT_NE(last_reply, log.rend());
    EXPECT_GT(last_reply->end, last_page->end);
}

TEST_F(CdxDownloadRun, ARepeatedPageLeavesTheLineQuietForOneTimeOutAfterItsAnswer)
{
    sim->set_cdx_boot_program(true);
    load(4, 0xC0458);
    const auto timeout = std::chrono::milliseconds(Seriale_timeout_for(57600));
    sim->add_fault(SimFault::late(static_cast<int>(timeout.count()) + 40).on(2).after(3));  // page 2 repeated
    start();
    ASSERT_TRUE(wait_until([&] { return finished(); }, RUN_MS));
    expect_pages_received();
    EXPECT_EQ(FlashRun.current_page.load(), 4u);
    // Page 2's first try is answered late, the repeat at once after it, and the PC takes the first
    // of the two that reaches it. Nothing goes out for one reply time-out after the earlier one.
    const auto log = sim->log();
    const std::string page2 = page_frame(2);
    const auto is_page2 = [&](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Request && sim_hex(e.bytes) == page2;
    };
    const auto first = std::find_if(log.begin(), log.end(), is_page2);
    ASSERT_NE(first, log.end());
    const auto repeat = std::find_if(first + 1, log.end(), is_page2);
    ASSERT_NE(repeat, log.end());
    const auto late_answer = std::find_if(log.begin(), log.end(), [&](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Reply && e.cmd == 2 && e.end > first->end;
    });
    ASSERT_NE(late_answer, log.end());
    const auto next = std::find_if(log.begin(), log.end(), [&](const SimLogEntry& e) {
        return e.dir == SimLogEntry::Request && e.start > repeat->end;
    });
    ASSERT_NE(next, log.end());
    EXPECT_EQ(sim_hex(next->bytes), page_frame(3));
    EXPECT_GE(next->start - late_answer->end, timeout - std::chrono::milliseconds(1));
}

TEST_F(CdxDownloadRun, AnAnsweredPageGoesOnWithoutWaitingOutTheReplyTimeOut)
{
    sim->set_cdx_boot_program(true);
    load(4, 0xC0458);
    start();
    const uint32_t timeout = Ser_timeout_ms.exchange(4 * RUN_MS);  // a page that waited it out would never end
    const bool done = wait_until([&] { return finished(); }, RUN_MS);
    Ser_timeout_ms.store(timeout);
    ASSERT_TRUE(done);
    const std::vector<std::string> want = {"05 02 00 60 A1", page_frame(0), page_frame(1), page_frame(2),
                                           page_frame(3), "05 02 02 E1 60"};
    EXPECT_EQ(hex_requests(*sim, 2), want);  // each frame once
    expect_pages_received();
}

TEST_F(CdxDownloadRun, ASilentDriveIsReconnectedAndTheRunStartsAgainFromPageZero)
{
    sim->set_cdx_boot_program(true);
    load(4, 0xC0458);
    sim->add_fault(SimFault::silence().times(40).after(4));  // from page 1's reply on, 40 silent
    start();
    ASSERT_TRUE(wait_until([&] { return finished(); }, RUN_MS));
    const auto frames = hex_requests(*sim, 2);
    EXPECT_GE(std::count(frames.begin(), frames.end(), "05 02 00 60 A1"), 2);
    EXPECT_GE(std::count(frames.begin(), frames.end(), page_frame(0)), 2);
    EXPECT_EQ(frames.back(), "05 02 02 E1 60");
    EXPECT_EQ(FlashRun.current_page.load(), 4u);
    expect_pages_received();
}

TEST_F(CdxDownloadRun, ARefusedPageStopsTheProgress)
{
    sim->set_cdx_boot_program(true);
    sim->set_cdx_refuse_page(1);
    load(4, 0xC0458);
    start();
    ASSERT_TRUE(sim->wait_replies(2, 3, std::chrono::milliseconds(RUN_MS)));  // start, page 0, page 1
    ASSERT_TRUE(sim->wait_requests(0, sim->request_count(0) + 5, std::chrono::milliseconds(RUN_MS)));
    EXPECT_EQ(FlashProgressCount.load(), 1u);
    EXPECT_EQ(sim->request_count(2), 3u);
    EXPECT_EQ(Ser_link_mode.load(), LinkMode::Flash);
}

}  // namespace
