// Connecting to the drive simulator: identification, first contact, image read, polling, the
// boot loader, and repeated connects (an incompatible drive and the boot loader's end are the
// check tests').
#include <dirent.h>

#include "LinkTestUtil.h"

using namespace linktest;

namespace {

const char* const HELLO = "06 0A 03 14 20 51";
const char* const POLL = "04 00 03 70";

std::size_t open_fds()
{
    std::size_t n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d))
            ++n;
        closedir(d);
    }
    return n;
}

}  // namespace

TEST_F(SimLink, SilentDriveGetsOnlyIdentificationRequestsEvery100ms)
{
    sim->add_fault(SimFault::silence().forever());
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::IdentReceived);  // left from the last link
    connect();
    ASSERT_TRUE(sim->wait_requests(10, 5, 5000ms));
    // Each unanswered request waits its 100 ms before the next (the rate is a benchmark's).
    const auto reqs = sim->requests();
    for (std::size_t i = 0; i < reqs.size(); ++i) {
        EXPECT_EQ(sim_hex(reqs[i].bytes), HELLO);
        if (i > 0) {
            const std::chrono::duration<double, std::milli> gap = reqs[i].start - reqs[i - 1].start;
            EXPECT_GE(gap.count(), 95.0);
        }
    }
    EXPECT_FALSE(link_bits(LinkFlag::Answers));
}

TEST_F(SimLink, CompatibleDriveIsReadWholeThenPolled)
{
    const SimBytes img = test_image(1);
    connect_with_image(img);
    EXPECT_TRUE(link_bits(LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready | LinkFlag::Connect));
    std::this_thread::sleep_for(300ms);

    const auto reqs = hex_requests(*sim);
    ASSERT_GE(reqs.size(), 14u);
    EXPECT_EQ(reqs[0], HELLO);
    EXPECT_EQ(reqs[1], "06 08 02 00 80 0E");
    EXPECT_EQ(reqs[2], "06 08 04 00 83 AE");
    EXPECT_EQ(reqs[3], "07 03 00 00 FB D0 07");
    EXPECT_EQ(reqs[12], "07 03 08 D3 99 8D 1C");
    const auto blocks = sim->requests(3);
    ASSERT_EQ(blocks.size(), 10u);
    unsigned next = 0;
    for (const auto& b : blocks) {
        EXPECT_EQ(block_offset(b), next);
        next += b.bytes[4];
    }
    EXPECT_EQ(next, DRIVE_RECORD_SIZE);
    for (std::size_t i = 13; i < reqs.size(); ++i)
        EXPECT_EQ(reqs[i], POLL) << i;

    SimBytes expect = img;
    expect[RecOfs::VersionMajor] = 3;
    expect[RecOfs::VersionMinor] = 20;
    EXPECT_EQ(slot0_drive_order(), expect);
    EXPECT_EQ(0, std::memcmp(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE));
    EXPECT_EQ(DriveFwVersion.load(), 0x314);
    EXPECT_EQ(std::string(DriveSwText), "Software Vers: 3.20");
    EXPECT_EQ(stop_and_wait_breach(*sim), "");
    EXPECT_GT(Ser_ok_count.load(), 10);
}

TEST_F(SimLink, DisconnectDuringBootPollCompletesQuickly)
{
    sim->set_boot_loader(true);
    connect();
    ASSERT_TRUE(sim->wait_requests(0, 3, 2000ms));
    const auto t0 = std::chrono::steady_clock::now();
    Seriale_close_link();
    ASSERT_TRUE(Seriale_wait_stopped(500));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 500ms);
    EXPECT_FALSE(Ser_port.is_open());
}

TEST_F(SimLink, ModeChangeToFlashClearsTheQueue)
{
    connect_with_image(test_image(3));
    sim->set_write_hold(true);
    ASSERT_TRUE(wait_until([] { return Drive_status_word() & StatusBit::WritesHeld; }, 1000));
    Sertx_write_var_nosave(RecLoc(94));
    ASSERT_EQ(Seriale_count(), 1);
    Ser_mode_changed.store(0);
    Ser_link_mode_req.store(LinkMode::Flash);
    ASSERT_TRUE(wait_until([] { return Ser_link_mode.load() == LinkMode::Flash; }, 1000));
    EXPECT_EQ(Ser_mode_changed.load(), 1);
    EXPECT_EQ(Seriale_count(), 0);
    const std::size_t n = sim->request_count();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(sim->request_count(), n);  // the firmware step sends nothing yet
    Ser_link_mode_req.store(LinkMode::Normal);
    sim->set_write_hold(false);
    ASSERT_TRUE(sim->wait_requests(0, sim->request_count(0) + 2, 1000ms));
}

TEST_F(SimLink, RepeatedConnectsEachFindTheDriveWithoutLeaks)
{
    connect();
    ASSERT_TRUE(wait_until([] { return link_bits(LinkFlag::Answers); }, 2000));
    ASSERT_TRUE(Seriale_open_link(LinkMode::Normal));  // connect again without a disconnect
    ASSERT_TRUE(wait_until([] { return link_bits(LinkFlag::Answers); }, 2000));
    Seriale_close_link();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    const std::size_t fds = open_fds();
    for (int i = 0; i < 50; ++i) {
        Seriale_close_link();
        ASSERT_TRUE(Seriale_open_link(LinkMode::Normal)) << "cycle " << i;
        ASSERT_TRUE(wait_until([] { return link_bits(LinkFlag::Answers | LinkFlag::IdentReceived); }, 2000))
            << "cycle " << i;
    }
    Seriale_close_link();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    EXPECT_FALSE(Ser_port.is_open());
    EXPECT_EQ(open_fds(), fds);
}

// A disconnect that comes before the threads have woken from the connect still stops both (the
// receive thread closes the port), so the next connect finds them parked.
TEST_F(SimLink, ADisconnectRightAfterAConnectStopsBothThreads)
{
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(Seriale_open_link(LinkMode::Normal)) << "cycle " << i;
        Seriale_close_link();
        ASSERT_TRUE(Seriale_wait_stopped(2000)) << "cycle " << i;
        ASSERT_FALSE(Ser_port.is_open()) << "cycle " << i;
    }
}

// A read list the drive leaves unanswered: stopping or closing the link forgets it, and a wait for
// it ends then.
TEST_F(SimLink, AStoppedOrClosedLinkForgetsTheOutstandingReadList)
{
    const PollItem item = {0x0040, 0, RecLoc(94), {Area::ReadBack, 94}, 0x0050};
    const struct {
        const char* what;
        void (*stop)();
    } rows[] = {{"stop", Seriale_stop}, {"close", Seriale_close_link}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        if (&r != rows)
            restart_sim();
        connect_with_image(test_image(12));
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        sim->add_fault(SimFault::silence().on(SerCmd::ReadList).forever());
        ASSERT_EQ(Sertx_send_read_list(&item, 1), ListSend::Sent);
        ASSERT_TRUE(sim->wait_requests(SerCmd::ReadList, 1, 2000ms));
        bool ended = false;
        std::thread waiter([&ended] { ended = Sertx_wait_read_list(5000); });
        r.stop();
        waiter.join();
        EXPECT_TRUE(ended);
        EXPECT_FALSE(Sertx_read_list_outstanding());
        ASSERT_TRUE(Seriale_wait_stopped(3000));
    }
}

// A missing port, and one that another program holds: the open fails, its descriptor is closed
// at once, and the link connects once the port is there and free.
TEST_F(SimLink, OpenFailsForAMissingOrHeldPortWithoutLeaks)
{
    Link_settings_set({"ttyUSB97", 57600, false});
    EXPECT_FALSE(Seriale_open_link(LinkMode::Normal));
    EXPECT_FALSE(link_bits(LinkFlag::Connect));
    Link_settings_set({sim->port_name(), 57600, false});
    Serport holder;
    ASSERT_TRUE(holder.open(sim->port_name(), 57600));
    const std::size_t fds = open_fds();
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(Seriale_open_link(LinkMode::Normal));
    EXPECT_EQ(open_fds(), fds);
    EXPECT_FALSE(Ser_port.is_open());
    holder.close();
    connect();
    EXPECT_TRUE(wait_until([] { return link_bits(LinkFlag::Answers); }, 2000));
}

TEST_F(SimLink, ModeRequestEndsTheBootPoll)
{
    sim->set_boot_loader(true);
    connect();
    ASSERT_TRUE(sim->wait_requests(0, 3, 2000ms));
    Ser_link_mode_req.store(LinkMode::Flash);  // the firmware update starts
    ASSERT_TRUE(wait_until([] { return Ser_link_mode.load() == LinkMode::Flash; }, 500));
    const std::size_t n = sim->request_count();
    std::this_thread::sleep_for(200ms);
    EXPECT_LE(sim->request_count(), n + 1);  // no more polls once the firmware step runs
}

TEST_F(SimLink, ReconfigChangesRateAndTimeout)
{
    EXPECT_FALSE(Seriale_reconfig(9600, 0, 1, 1));  // no port open
    connect();
    ASSERT_TRUE(wait_until([] { return link_bits(LinkFlag::Answers); }, 2000));
    EXPECT_EQ(Ser_timeout_ms.load(), 200u);
    EXPECT_TRUE(Seriale_reconfig(9600, 0, 1, 0));
    EXPECT_EQ(Ser_baud.load(), 9600u);
    EXPECT_EQ(Ser_timeout_ms.load(), 200u);  // kept without the update flag
    EXPECT_TRUE(Seriale_reconfig(9600, 0, 1, 1));
    EXPECT_EQ(Ser_timeout_ms.load(), 1200u);
    EXPECT_FALSE(Seriale_reconfig(57600, 3, 1, 1));  // RTS toggle is not available
    EXPECT_EQ(Ser_baud.load(), 9600u);
    EXPECT_TRUE(Seriale_reconfig(57600, 0, 1, 1));
    EXPECT_EQ(Ser_timeout_ms.load(), 200u);
}

// With the hand-over on (the GUI reads the records), a finished image waits for the taker and
// is committed only while its session lasts: a disconnect or a lost drive in between drops it.
TEST_F(SimLink, HandedOverImageIsCommittedOnlyByItsTakerWithinItsSession)
{
    struct HandoverOn {
        HandoverOn() { Serrx_record_handover(true); }
        ~HandoverOn() { Serrx_record_handover(false); }
    } handover_on;
    std::memset(DriveRecordBank[0].b, 0x5A, DRIVE_RECORD_SIZE);
    const DriveRecord untouched = DriveRecordBank[0];
    const auto unchanged = [&] { return std::memcmp(DriveRecordBank[0].b, untouched.b, DRIVE_RECORD_SIZE) == 0; };
    const auto read_ended = [this](std::size_t blocks) {
        return wait_until([&] { return sim->request_count(3) >= blocks && !Ser_image_read_pos.active.load(); }, 5000);
    };
    const SimBytes img = test_image(3);
    sim->set_image(img);

    connect();
    ASSERT_TRUE(read_ended(10));
    EXPECT_FALSE(wait_until([] { return data_bits(DataFlag::ImageRead); }, 200));
    EXPECT_TRUE(unchanged());
    Seriale_close_link();
    ASSERT_TRUE(Seriale_wait_stopped(2000));
    EXPECT_FALSE(Serrx_take_records());
    EXPECT_TRUE(unchanged());

    connect();
    ASSERT_TRUE(read_ended(20));
    sim->add_fault(SimFault::silence().forever());
    ASSERT_TRUE(wait_until([] { return !link_bits(LinkFlag::Answers); }, 5000));
    EXPECT_FALSE(Serrx_take_records());
    EXPECT_TRUE(unchanged());
    EXPECT_FALSE(data_bits(DataFlag::ImageRead));

    sim->clear_faults();
    ASSERT_TRUE(read_ended(30));
    ASSERT_TRUE(wait_until([] { return Serrx_take_records(); }, 2000));
    SimBytes expect = img;
    expect[RecOfs::VersionMajor] = 3;
    expect[RecOfs::VersionMinor] = 20;
    EXPECT_EQ(slot0_drive_order(), expect);
    EXPECT_EQ(0, std::memcmp(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE));
    EXPECT_TRUE(data_bits(DataFlag::ImageRead));
    EXPECT_FALSE(Serrx_take_records());

    // The alarm memory waits the same way.
    SimBytes mem(DriveSim::kAlarmMemSize);
    for (std::size_t i = 0; i < mem.size(); ++i)
        mem[i] = static_cast<uint8_t>(0xA0 + i);
    sim->set_alarm_memory(mem);
    const DriveRecord before_alarm = DriveRecordBank[0];
    Sertx_read_alarm_mem();
    ASSERT_TRUE(wait_until([this] { return sim->request_count(5) == 1; }, 2000));
    EXPECT_FALSE(wait_until([] { return data_bits(DataFlag::AlarmMem); }, 200));
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b, before_alarm.b, DRIVE_RECORD_SIZE), 0);
    Serrx_take_records();
    EXPECT_TRUE(data_bits(DataFlag::AlarmMem));
    for (unsigned slot : {0u, 2u}) {
        EXPECT_EQ(std::memcmp(DriveRecordBank[slot].b + RecOfs::AlarmMem, mem.data(), 16), 0) << slot;
        EXPECT_EQ(DriveRecordBank[slot].b[RecOfs::AlarmMemByte], mem[16]) << slot;
    }
}
