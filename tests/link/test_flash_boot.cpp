// Boot-loader flash against the simulator's boot personality on a pseudo-terminal: the whole run,
// read-back verify (also of an image one byte past its reads), a silent drive, a refused bit rate,
// missing boot-loader files, leaving in the middle of a run and a late acknowledgement; the
// checksum and wait rules as tables.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>

#include "LinkTestUtil.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/Flash_progress.h"
#include "link/Flash_seams.h"

using namespace linktest;

namespace {

namespace fs = std::filesystem;

constexpr int RUN_MS = 60000;  // generous: a loaded machine retries the short waits

std::string hex(const SimBytes& b, std::size_t n = 12)
{
    return sim_hex(SimBytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(std::min(n, b.size()))));
}

TEST(FlashBootRules, ChecksumSumAndKernelWaits)
{
    const uint8_t erase_last[] = {0x48, 0x01, 0x0B};
    EXPECT_EQ(Flashcom_mot_checksum(erase_last, 3), 0xAC);
    const uint8_t with_sum[] = {0x48, 0x01, 0x0B, 0xAC};
    EXPECT_EQ(Flashcom_mot_sum(with_sum, 4), 0);
    struct Row {
        uint32_t bytes, ms;
    };
    for (const Row r : {Row{990, 844}, Row{1302, 952}, Row{1434, 998}, Row{2048, 1211}})
        EXPECT_EQ(Flashcom_mot_wait_ms(57600, r.bytes), r.ms) << r.bytes;
}

TEST(FlashBootRules, AResetBeforeARunKeepsOnlyTheBitRateErrorShown)
{
    FlashRun.errors.store(FlashError::BitRate | FlashError::Verify);
    FlashRun.errors_shown.store(FlashError::BitRate | FlashError::Verify);
    FlashRun.step.store(7);
    Flashsh7047_reset_state(true);
    EXPECT_EQ(FlashRun.errors.load(), FlashError::BitRate);
    EXPECT_EQ(FlashRun.errors_shown.load(), FlashError::BitRate);
    EXPECT_EQ(FlashRun.step.load(), 0);
    EXPECT_EQ(FlashRun.prev_phase.load(), 255);
    EXPECT_EQ(FlashRun.verify.load(), 1);
    FlashRun.errors.store(0);
    FlashRun.errors_shown.store(0);
}

class FlashBoot : public SimLink {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        char tmpl[] = "/tmp/pendrix_boot_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        for (const BootKernelFile& k : BootKernel)
            write_blob(k.name, k.spec_size);
        Flash_install();
        Flashcom_mot_set_kernel_folder(dir_.string());
        Flashcom_mot_set_line_hook([this](const FlashLineEvent& e) {
            {
                std::lock_guard<std::mutex> hold(events_lock_);
                events_.push_back(e);
                results_.push_back(FlashProgressFlags.load());
            }
            if (e.kind == FlashLineEvent::BootEntry)
                sim->boot_reset();  // the RTS line of a real drive
            if (e.kind == FlashLineEvent::BootExit)
                sim->app_reset();
        });
        image_ = pattern(0x2000);
        load_image(image_);
    }
    void TearDown() override
    {
        SimLink::TearDown();
        Flashcom_mot_set_line_hook(nullptr);
        FlashEntries = FlashEntriesRec{};
        FlashFileLoaded.store(0);
        fs::remove_all(dir_);
    }

    static SimBytes pattern(std::size_t n)
    {
        SimBytes b(n);
        for (std::size_t i = 0; i < n; ++i)
            b[i] = static_cast<uint8_t>(i * 7 + i / 256);
        return b;
    }
    void write_blob(const std::string& name, std::size_t size)
    {
        SimBytes b(size);
        for (std::size_t i = 0; i < size; ++i)
            b[i] = static_cast<uint8_t>(i * 13 + size);
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    void load_image(const SimBytes& bin)
    {
        const fs::path b = dir_ / "fw.bin", m = dir_ / "fw.mot";
        std::ofstream(b, std::ios::binary)
            .write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
        const std::string cmd = "objcopy -I binary -O srec --srec-len=16 " + b.string() + " " + m.string();
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        Flash_settings_set({m.string(), false, {0, 0, 0}});
        ASSERT_TRUE(Flashsh7047_load_file(m.string()));
    }
    void start(bool verify)
    {
        Flashsh7047_reset_state(verify);
        ASSERT_TRUE(Flashcom_mot_prepare());
        ASSERT_TRUE(Seriale_open_link(LinkMode::Flash));
    }
    std::vector<SimBootEntry> sent() const
    {
        std::vector<SimBootEntry> out;
        for (const auto& e : sim->boot_log())
            if (e.from_program)
                out.push_back(e);
        return out;
    }
    std::size_t count_sent(const std::function<bool(const SimBootEntry&)>& pred) const
    {
        const auto s = sent();
        return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), pred));
    }
    static bool is_read(const SimBootEntry& e) { return e.bytes.size() == 12 && e.bytes[0] == 0x52; }
    // The read commands sent, a repeated try once.
    std::vector<std::string> distinct_reads() const
    {
        std::vector<std::string> reads;
        for (const auto& e : sent())
            if (is_read(e) && (reads.empty() || reads.back() != hex(e.bytes)))
                reads.push_back(hex(e.bytes));
        return reads;
    }
    static bool is_sync(const SimBootEntry& e) { return e.bytes == SimBytes{0, 0, 0}; }
    std::vector<FlashLineEvent> events()
    {
        std::lock_guard<std::mutex> hold(events_lock_);
        return events_;
    }
    bool run_ended()
    {
        return FlashRun.done.load() == 1 && Ser_link_mode.load() == LinkMode::Normal;
    }
    SimBytes expected_flash() const
    {
        SimBytes f(0x40000, 0xFF);
        std::copy(image_.begin(), image_.end(), f.begin());
        return f;
    }

    fs::path dir_;
    SimBytes image_;
    std::mutex events_lock_;
    std::vector<FlashLineEvent> events_;
    std::vector<uint8_t> results_;  // the result bits at each line event
};

TEST_F(FlashBoot, AWholeRunWritesTheImageAndReturnsToTheApplication)
{
    sim->add_fault(SimFault::late(600).on(DriveSim::kBootKernel).times(1));  // within its 844 ms
    start(false);
    // The first kernel's acknowledgement is held back: the boot phase's progress is complete.
    ASSERT_TRUE(sim->wait_for([&] { return count_sent([](const auto& e) { return e.bytes.size() == 990; }) == 1; },
                              std::chrono::milliseconds(RUN_MS)));
    EXPECT_EQ(FlashProgressCount.load(), 164u);
    EXPECT_EQ(FlashProgressMax.load(), 164u);
    ASSERT_TRUE(wait_until([&] { return run_ended(); }, RUN_MS));

    // From the last sync on (a loaded machine may have started over), a repeated try once.
    const auto s = sent();
    const auto last_sync = std::find_if(s.rbegin(), s.rend(), is_sync);
    ASSERT_NE(last_sync, s.rend());
    std::vector<std::string> at9600, at57600;
    std::string bit_rate;
    for (auto it = last_sync.base() - 1; it != s.end(); ++it) {
        if (it != last_sync.base() - 1 && it->bytes == (it - 1)->bytes)
            continue;
        (it->baud == 9600 ? at9600 : at57600).push_back(hex(it->bytes, 4) + "/" + std::to_string(it->bytes.size()));
        if (it->bytes[0] == 0x3F)
            bit_rate = hex(it->bytes);
    }
    ASSERT_EQ(at9600.size(), 3u + 155 + 1 + 3) << joined(at9600);
    EXPECT_EQ(std::vector<std::string>(at9600.begin(), at9600.begin() + 3),
              (std::vector<std::string>{"00 00 00/3", "55/1", "08 7C/2"}));
    for (int i = 0; i < 155; ++i)
        EXPECT_EQ(at9600[3 + i].substr(at9600[3 + i].find('/')), "/14") << i;
    EXPECT_EQ(at9600[158].substr(at9600[158].find('/')), "/2");
    EXPECT_EQ(std::vector<std::string>(at9600.end() - 3, at9600.end()),
              (std::vector<std::string>{"27/1", "11 01 03 EB/4", "3F 07 02 40/10"}));
    EXPECT_EQ(bit_rate, "3F 07 02 40 04 B0 02 04 02 BC");

    std::vector<std::string> fast = {"4F/1", "40/1", "00 00 03 D9/990", "48/1", "00 00 05 11/1302"};
    const char* const erase[] = {"48 01 00 B7", "48 01 01 B6", "48 01 02 B5", "48 01 03 B4", "48 01 04 B3",
                                 "48 01 05 B2", "48 01 06 B1", "48 01 07 B0", "48 01 08 AF", "48 01 09 AE",
                                 "48 01 0A AD", "48 01 0B AC", "48 01 FF B8"};
    for (const char* e : erase)
        fast.push_back(std::string(e) + "/4");
    fast.insert(fast.end(), {"43/1", "00 00 05 95/1434"});
    for (uint32_t k = 0; k < 64; ++k) {
        char head[32];
        std::snprintf(head, sizeof head, "43 00 00 %02X/134", k / 2);
        fast.push_back(head);
    }
    fast.push_back("4F/1");
    EXPECT_EQ(joined(at57600), joined(fast));
    EXPECT_GE(std::count_if(last_sync.base(), s.end(), [](const auto& e) { return e.bytes == SimBytes{0x4F}; }), 3);

    EXPECT_EQ(sim->boot_flash(), expected_flash());
    EXPECT_EQ(sim->line_baud(), 57600u);
    EXPECT_EQ(FlashRun.prog_unit.load(), 0x0080);  // the simulator's programming unit
    const auto ev = events();
    ASSERT_GE(ev.size(), 3u);
    EXPECT_EQ(ev.back().kind, FlashLineEvent::BootExit);
    const FlashLineEvent& raised = ev[ev.size() - 3];  // the bit-rate change: DTR off, RTS kept set
    EXPECT_EQ(raised.kind, FlashLineEvent::Port);
    EXPECT_EQ(raised.baud, 57600u);
    EXPECT_EQ(raised.dtr, 0);
    EXPECT_EQ(raised.rts, 1);
    EXPECT_EQ(Ser_rts_state.load(), 0);
    EXPECT_TRUE(FlashProgressFlags.load() & FlashProgressFlag::AllWritten);
    EXPECT_TRUE(boxes.empty());
    // Back in the application: the normal link finds the drive.
    EXPECT_TRUE(wait_until([] { return link_bits(LinkFlag::Ready); }, 5000));
}

TEST_F(FlashBoot, VerifyReadsTheImageBackInPiecesOf2048)
{
    start(true);
    ASSERT_TRUE(wait_until([&] { return run_ended(); }, RUN_MS));
    const std::vector<std::string> reads = distinct_reads();
    ASSERT_EQ(reads.size(), 4u) << joined(reads);
    EXPECT_EQ(reads[0], "52 09 01 00 00 00 00 00 00 08 00 9C");
    EXPECT_EQ(reads[1], "52 09 01 00 00 08 00 00 00 08 00 94");
    EXPECT_TRUE(FlashRun.result2.load() & FlashResult2::VerifyDone);
    EXPECT_EQ(FlashProgressCount.load(), FlashProgressMax.load());
}

TEST_F(FlashBoot, VerifyReadsTheLastByteOfAnImageOneByteLongerThanItsReads)
{
    image_ = pattern(0x2001);
    load_image(image_);
    start(true);
    ASSERT_TRUE(wait_until([&] { return run_ended(); }, RUN_MS));
    const std::vector<std::string> reads = distinct_reads();
    ASSERT_EQ(reads.size(), 5u) << joined(reads);
    EXPECT_EQ(reads[4], "52 09 01 00 00 20 00 00 00 00 01 83");  // the byte at 0x2000 alone
    EXPECT_TRUE(FlashRun.result2.load() & FlashResult2::VerifyDone);
}

TEST_F(FlashBoot, AFlippedByteStopsTheVerifyWithTheMismatchShown)
{
    SimBootFaults f;
    f.flip_read_address = 0x0901;  // in the second read
    sim->set_boot_faults(f);
    start(true);
    ASSERT_TRUE(wait_until([] { return FlashRun.errors.load() & FlashError::Verify; }, RUN_MS));
    EXPECT_EQ(FlashPhase.load(), FlashUiPhase::Boot);
    std::this_thread::sleep_for(300ms);
    std::set<std::string> reads;  // the first two, however often tried
    for (const auto& e : sent())
        if (is_read(e))
            reads.insert(hex(e.bytes));
    EXPECT_EQ(reads.size(), 2u);
    EXPECT_FALSE(FlashRun.result2.load() & FlashResult2::VerifyDone);
}

TEST_F(FlashBoot, AReadBackOfAnotherLengthIsNoAnswer)
{
    SimBootFaults f;
    f.read_length_delta = -1;  // length field 2047
    sim->set_boot_faults(f);
    start(true);
    // three tries of the first read, then the run starts over with a new sync
    ASSERT_TRUE(sim->wait_for(
        [&] {
            const auto s = sent();
            const auto first_read = std::find_if(s.begin(), s.end(), is_read);
            return first_read != s.end() && std::find_if(first_read, s.end(), is_sync) != s.end();
        },
        std::chrono::milliseconds(RUN_MS)));
    EXPECT_EQ(count_sent(is_read), 3u);
    EXPECT_FALSE(FlashRun.errors.load() & FlashError::Verify);
}

TEST_F(FlashBoot, ASilentDriveGetsFourSyncsEachAfterABootEntryThenStepZeroAgain)
{
    sim->add_fault(SimFault::silence().forever());
    start(false);
    ASSERT_TRUE(sim->wait_for([&] { return count_sent(is_sync) >= 5; }, std::chrono::milliseconds(RUN_MS)));
    for (const auto& e : sent())
        EXPECT_EQ(e.baud, 9600u);
    // Line events: step 0 (entry, 9600 DTR off), then per try entry and 9600 DTR on.
    const auto ev = events();
    ASSERT_GE(ev.size(), 2u + 4 * 2 + 4);
    EXPECT_EQ(ev[0].kind, FlashLineEvent::BootEntry);
    EXPECT_EQ(ev[1].dtr, 0);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(ev[2 + 2 * t].kind, FlashLineEvent::BootEntry) << t;
        EXPECT_EQ(ev[3 + 2 * t].kind, FlashLineEvent::Port) << t;
        EXPECT_EQ(ev[3 + 2 * t].baud, 9600u);
        EXPECT_EQ(ev[3 + 2 * t].dtr, 1) << t;
    }
    EXPECT_EQ(ev[10].kind, FlashLineEvent::BootEntry);  // the abort's restart
    EXPECT_EQ(ev[12].kind, FlashLineEvent::BootEntry);  // step 0 again
    EXPECT_EQ(ev[13].dtr, 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FlashBoot, ARefusedBitRateNeverSwitchesTo57600AndStartsOver)
{
    SimBootFaults f;
    f.refuse_bit_rate = true;
    sim->set_boot_faults(f);
    start(false);
    const auto is_bit_rate = [](const SimBootEntry& e) { return e.bytes.size() == 10 && e.bytes[0] == 0x3F; };
    ASSERT_TRUE(sim->wait_for(
        [&] {
            const auto s = sent();
            const auto refused = std::find_if(s.begin(), s.end(), is_bit_rate);
            return refused != s.end() && std::find_if(refused, s.end(), is_sync) != s.end();
        },
        std::chrono::milliseconds(RUN_MS)));
    std::lock_guard<std::mutex> hold(events_lock_);
    // Step 0 after the abort enters boot mode with result bit 4 set; bit 3 is never set.
    const auto refused_at = std::find_if(results_.begin(), results_.end(),
                                         [](uint8_t r) { return r & FlashProgressFlag::BitRateRefused; });
    ASSERT_NE(refused_at, results_.end());
    EXPECT_EQ(events_[static_cast<std::size_t>(refused_at - results_.begin())].kind, FlashLineEvent::BootEntry);
    for (uint8_t r : results_)
        EXPECT_FALSE(r & FlashProgressFlag::BitRateAccepted);
    EXPECT_TRUE(FlashRun.errors.load() & FlashError::BitRate);
    for (const auto& e : sent())
        EXPECT_EQ(e.baud, 9600u);
    for (const auto& e : events_)
        EXPECT_NE(e.baud, 57600u);
}

TEST_F(FlashBoot, AMissingBootLoaderFileIsNamedAndNothingIsSent)
{
    for (const bool empty : {false, true}) {
        boxes.clear();
        if (empty)
            write_blob("kernel_2.bin", 0);
        else
            fs::remove(dir_ / "kernel_2.bin");
        Flashsh7047_reset_state(false);
        EXPECT_FALSE(Flashcom_mot_prepare());
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], "Mancano i file del boot-loader:\nkernel_2.bin\nScrittura flash non avviata!");
    }
    ASSERT_TRUE(Seriale_open_link(LinkMode::Flash));  // asked anyway
    ASSERT_TRUE(wait_until([] { return Ser_link_mode.load() == LinkMode::Normal; }, 5000));
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(sim->line_baud(), 57600u);
}

TEST_F(FlashBoot, LeavingInTheMiddleOfARunPutsTheLineBack)
{
    sim->add_fault(SimFault::silence().forever());
    start(false);
    ASSERT_TRUE(sim->wait_for([&] { return count_sent(is_sync) >= 2; }, std::chrono::milliseconds(RUN_MS)));
    Ser_link_mode_req.store(LinkMode::Normal);  // the window closed
    ASSERT_TRUE(wait_until([&] { return !events().empty() && events().back().kind == FlashLineEvent::BootExit; }, 5000));
    const auto ev = events();
    ASSERT_GE(ev.size(), 2u);
    const FlashLineEvent& port = ev[ev.size() - 2];
    EXPECT_EQ(port.kind, FlashLineEvent::Port);
    EXPECT_EQ(port.baud, 57600u);
    EXPECT_EQ(port.dtr, 0);
    EXPECT_EQ(sim->line_baud(), 57600u);
    sim->clear_faults();
    EXPECT_TRUE(wait_until([] { return link_bits(LinkFlag::Ready); }, 5000));
}

TEST_F(FlashBoot, TheResetButtonPulsesRtsAndLeavesItCleared)
{
    Flashcom_mot_reset_drive();  // port closed: nothing
    EXPECT_TRUE(events().empty());
    connect();
    const auto start = std::chrono::steady_clock::now();
    Flashcom_mot_reset_drive();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].kind, FlashLineEvent::DriveReset);
    EXPECT_EQ(Ser_rts_state.load(), 0);
}

TEST_F(FlashBoot, ALatePageAcknowledgementStillWritesTheWholeImage)
{
    sim->add_fault(SimFault::late(150).on(0x43).after(3).times(1));
    start(false);
    ASSERT_TRUE(wait_until([&] { return run_ended(); }, RUN_MS));
    EXPECT_EQ(sim->boot_flash(), expected_flash());
    EXPECT_TRUE(FlashProgressFlags.load() & FlashProgressFlag::AllWritten);
}

}  // namespace
