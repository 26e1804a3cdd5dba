// Link check before firmware programming (link mode 2) against the drive simulator: a silent
// drive, an answering drive, an incompatible one, one that must be programmed, one in its boot
// loader, and the check asked for while a drive is linked.
#include <algorithm>

#include "LinkTestUtil.h"
#include "link/Flash_seams.h"
#include "IdentEdit.h"

using namespace linktest;

namespace {

const char* const HELLO = "06 0A 03 14 20 51";
const char* const POLL = "04 00 03 70";
const char* const I2T_OFF = "06 08 02 00 80 0E";
const char* const SIM_OFF = "06 08 04 00 83 AE";
const char* const READ_0 = "07 03 00 00 FB D0 07";

bool progress_bits(uint8_t bits)
{
    return (FlashProgressFlags.load(std::memory_order_acquire) & bits) == bits;
}

bool mode_is(uint8_t mode)
{
    return Ser_link_mode.load() == mode;
}

// From the identification at `hello` on: the first-contact requests.
void expect_first_contact(const std::vector<std::string>& reqs, std::size_t hello)
{
    ASSERT_GE(reqs.size(), hello + 4);
    EXPECT_EQ(std::vector<std::string>(reqs.begin() + hello, reqs.begin() + hello + 4),
              (std::vector<std::string>{HELLO, I2T_OFF, SIM_OFF, READ_0}));
}

std::size_t first_hello(const std::vector<std::string>& reqs, std::size_t from = 0)
{
    return std::find(reqs.begin() + from, reqs.end(), std::string(HELLO)) - reqs.begin();
}

class LinkCheck : public SimLink {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        Ser_wait_ms.store(0);
        FlashFileLoaded.store(0);
    }
    void TearDown() override
    {
        SimLink::TearDown();
        FlashFileLoaded.store(0);
    }
    // What the firmware window does: start time first, then the link in mode 2.
    void start_check()
    {
        Ser_check_start_ms.store(Tick_ms());
        ASSERT_TRUE(Seriale_open_link(LinkMode::Check));
    }
    // Leaves identification requests unanswered until the check reports that it waits; the
    // mode-changed flag of the open is then cleared and the drive answers again.
    void start_check_after_one_silence()
    {
        sim->add_fault(SimFault::silence().on(SerCmd::Ident).forever());
        start_check();
        ASSERT_TRUE(wait_until([] { return progress_bits(FlashProgressFlag::Waiting); }, 1000));
        Ser_mode_changed.store(0);
        sim->clear_log();
        sim->clear_faults();
    }
};

}  // namespace

// Only a loaded file for a first-family drive in its operating firmware, outside a container.
TEST(FlashAllowed, OnlyALoadedFileForAnOperatingFirstFamilyDrive)
{
    const uint32_t id = DriveDeviceId.load();
    const uint16_t flags = Drive_ident_get().flags;
    const struct {
        uint8_t loaded;
        uint8_t mode_flags;
        uint32_t device;
        uint16_t status;
        uint16_t ident_flags;
        int allowed;
    } rows[] = {
        {1, 0, DRIVE_TYPE_ORVEL, 0, 0, 1},
        {0, 0, DRIVE_TYPE_ORVEL, 0, 0, 0},
        {1, FlashModeFlag::Container, DRIVE_TYPE_ORVEL, 0, 0, 0},
        {1, 0, DRIVE_TYPE_PELSAN, 0, 0, 0},
        {1, 0, DRIVE_TYPE_ORVEL, StatusBit::Boot, 0, 0},
        {1, 0, DRIVE_TYPE_ORVEL, 0, IdentFlag::BootCondition, 0},
    };
    for (const auto& r : rows) {
        FlashFileLoaded.store(r.loaded);
        FlashModeFlags.store(r.mode_flags);
        DriveDeviceId.store(r.device);
        Drive_status s{};
        s.status_word = r.status;
        Drive_status_publish(s);
        Drive_ident_edit([&](DriveIdentRec& id) { id.flags = r.ident_flags; });
        EXPECT_EQ(Flashctrl_mot_flash_allowed(), r.allowed) << &r - rows;
    }
    FlashFileLoaded.store(0);
    FlashModeFlags.store(0);
    Drive_status_publish(Drive_status{});
    DriveDeviceId.store(id);
    Drive_ident_edit([&](DriveIdentRec& id) { id.flags = flags; });
}

TEST_F(LinkCheck, SilentDriveIsWaitedFor5000msThenTheDownloadIsAskedFor)
{
    sim->add_fault(SimFault::silence().forever());
    const auto t0 = std::chrono::steady_clock::now();
    start_check();
    ASSERT_TRUE(wait_until([] { return progress_bits(FlashProgressFlag::Waiting); }, 1000));
    Ser_mode_changed.store(0);

    // Sample what the link-wait dialog reads: bit 0 first (acquire), then the time waited.
    std::vector<uint32_t> seen;
    while (!mode_is(LinkMode::Flash) && std::chrono::steady_clock::now() - t0 < 7000ms) {
        if (progress_bits(FlashProgressFlag::Waiting))
            seen.push_back(Ser_wait_ms.load());
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(mode_is(LinkMode::Flash));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 5000ms);

    ASSERT_GT(seen.size(), 10u);
    EXPECT_GE(seen.front(), 90u);  // never the value from before the check
    for (std::size_t i = 1; i < seen.size(); ++i)
        ASSERT_GE(seen[i], seen[i - 1]) << i;
    EXPECT_LE(seen.back(), 5000u);

    EXPECT_EQ(Ser_mode_changed.load(), 1);
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Waiting));
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_EQ(Ser_wait_ms.load(), 5000u);
    EXPECT_GE(sim->request_count(), 10u);  // every 100 ms, fewer on a loaded machine
    EXPECT_EQ(sim->request_count(SerCmd::Ident), sim->request_count());
    const std::size_t n = sim->request_count();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(sim->request_count(), n);  // the check is over
}

TEST_F(LinkCheck, AnsweringDriveContinuesInTheNormalProtocol)
{
    const SimBytes img = test_image(21);
    sim->set_image(img);
    start_check_after_one_silence();
    const uint32_t before = Tick_ms();
    ASSERT_TRUE(wait_until([] { return mode_is(LinkMode::Normal); }, 1000));
    EXPECT_EQ(Ser_link_mode_req.load(), LinkMode::Normal);
    EXPECT_EQ(Ser_mode_changed.load(), 0);
    EXPECT_TRUE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Waiting));
    EXPECT_EQ(Ser_wait_ms.load(), 5000u);
    EXPECT_LE(Tick_diff(Ser_last_answer_ms.load(), before), 1000u);
    EXPECT_TRUE(link_bits(LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready));

    ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
    const auto reqs = hex_requests(*sim);
    expect_first_contact(reqs, 0);  // the log starts at the answered identification
    EXPECT_EQ(sim->request_count(SerCmd::ReadBlock), 10u);
    EXPECT_EQ(stop_and_wait_breach(*sim), "");
}

TEST_F(LinkCheck, IncompatibleDriveGetsNoFirstContact)
{
    sim->set_firmware_version(2, 20);
    start_check();
    ASSERT_TRUE(wait_until([] { return mode_is(LinkMode::Normal); }, 1000));
    EXPECT_TRUE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_TRUE(link_bits(LinkFlag::Answers | LinkFlag::IdentReceived));
    EXPECT_FALSE(link_bits(LinkFlag::Ready));
    std::this_thread::sleep_for(300ms);
    const auto reqs = hex_requests(*sim);
    ASSERT_GE(reqs.size(), 2u);
    EXPECT_EQ(reqs[0], HELLO);
    for (std::size_t i = 1; i < reqs.size(); ++i)
        EXPECT_EQ(reqs[i], POLL) << i;
}

TEST_F(LinkCheck, DriveToBeProgrammedHandsOverToTheDownload)
{
    FlashFileLoaded.store(1);
    start_check_after_one_silence();
    ASSERT_TRUE(wait_until([] { return mode_is(LinkMode::Flash); }, 1000));
    EXPECT_EQ(Ser_mode_changed.load(), 1);
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Waiting));
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_EQ(Ser_wait_ms.load(), 5000u);
    std::this_thread::sleep_for(100ms);
    const auto reqs = hex_requests(*sim);
    EXPECT_EQ(reqs, std::vector<std::string>(1, HELLO));
}

TEST_F(LinkCheck, BootLoaderIsPolledThenTheCheckDecides)
{
    sim->set_boot_loader(true);
    start_check();
    ASSERT_TRUE(sim->wait_requests(SerCmd::Status, 5, 2000ms));
    EXPECT_EQ((Drive_status_word() & 0x05), 0x05);
    EXPECT_TRUE(mode_is(LinkMode::Check));
    EXPECT_FALSE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_FALSE(link_bits(LinkFlag::Ready));
    auto reqs = hex_requests(*sim);
    EXPECT_EQ(reqs[0], HELLO);
    for (std::size_t i = 1; i < reqs.size(); ++i)
        EXPECT_EQ(reqs[i], POLL) << i;

    sim->set_boot_loader(false);
    ASSERT_TRUE(wait_until([] { return mode_is(LinkMode::Normal); }, 1000));
    EXPECT_TRUE(progress_bits(FlashProgressFlag::Answered));
    EXPECT_TRUE(link_bits(LinkFlag::Ready));
    ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 5000));
    reqs = hex_requests(*sim);
    expect_first_contact(reqs, first_hello(reqs, 1));
}

TEST_F(LinkCheck, CheckAskedForWhileLinkedStartsWithAnIdentification)
{
    const SimBytes img = test_image(22);
    connect_with_image(img);
    {
        // No transmission starts between the log's start and the request: after it, at most the
        // poll of the step under way goes out (armed already, or about to be).
        std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
        sim->clear_log();
        Ser_check_start_ms.store(Tick_ms());
        Ser_link_mode_req.store(LinkMode::Check);
    }
    ASSERT_TRUE(wait_until([] { return progress_bits(FlashProgressFlag::Answered); }, 2000));
    EXPECT_TRUE(mode_is(LinkMode::Normal));
    EXPECT_EQ(Ser_wait_ms.load(), 5000u);

    ASSERT_TRUE(wait_until([this] { return sim->request_count(SerCmd::ReadBlock) == 10 && !Ser_image_read_pos.active.load(); },
                           5000));
    const auto reqs = hex_requests(*sim);
    EXPECT_LE(first_hello(reqs), 1u);  // at most the poll that was under way
    expect_first_contact(reqs, first_hello(reqs));
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
}

TEST_F(LinkCheck, CheckAskedForDuringTheImageReadRestartsTheRead)
{
    const SimBytes img = test_image(23);
    sim->set_image(img);
    sim->add_fault(SimFault::late(40).on(SerCmd::ReadBlock).times(4));
    connect();
    ASSERT_TRUE(sim->wait_requests(SerCmd::ReadBlock, 2, 2000ms));
    const uint32_t lost = Ser_lost_count.load();
    Ser_check_start_ms.store(Tick_ms());
    Ser_link_mode_req.store(LinkMode::Check);
    ASSERT_TRUE(wait_until([] { return progress_bits(FlashProgressFlag::Answered); }, 500));
    ASSERT_TRUE(wait_until([] { return data_bits(DataFlag::ImageRead) && !Ser_image_read_pos.active.load(); }, 5000));
    std::this_thread::sleep_for(100ms);

    // After the identification of the check: one whole read from offset 0, nothing stale,
    // and the drive never lost on the way.
    EXPECT_EQ(Ser_lost_count.load(), lost);
    const auto log = sim->requests();
    EXPECT_EQ(sim->request_count(SerCmd::Ident), 2u);
    std::size_t hello = 1;
    while (hello < log.size() && log[hello].cmd != SerCmd::Ident)
        ++hello;
    std::vector<unsigned> offsets;
    for (std::size_t i = hello; i < log.size(); ++i)
        if (log[i].cmd == SerCmd::ReadBlock)
            offsets.push_back(block_offset(log[i]));
    std::vector<unsigned> expect;
    for (unsigned o = 0; o < DRIVE_RECORD_SIZE; o += 251)
        expect.push_back(o);
    EXPECT_EQ(offsets, expect);
    EXPECT_EQ(slot0_drive_order(), expected_image(img));
}
