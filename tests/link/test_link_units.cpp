// Link pieces without threads: time-out table, port list, request builders, frame assembly and
// reply handlers fed directly.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "LinkTestUtil.h"
#include "drivedata/Messaggi.h"
#include "link/Fieldbus_link.h"
#include "link/Tools_link.h"

using namespace linktest;

namespace {

SimBytes frame_of(uint8_t cmd, const SimBytes& payload)
{
    return sim_frame(cmd, payload);
}

}  // namespace

// ---- time-out table and port list ----

TEST(LinkTimeout, FollowsTheBaudRate)
{
    const std::pair<uint32_t, uint32_t> rows[] = {
        {9600, 1200}, {14400, 1000}, {19200, 700}, {38400, 450},  {56000, 220},  {57600, 200},
        {115200, 150}, {128000, 150}, {250000, 80}, {256000, 80}, {300, 1000},   {230400, 1000},
    };
    for (auto [baud, ms] : rows)
        EXPECT_EQ(Seriale_timeout_for(baud), ms) << baud;
    Seriale_set_timeout(250000);
    EXPECT_EQ(Ser_timeout_ms.load(), 80u);
    Seriale_set_timeout(57600);
    EXPECT_EQ(Ser_timeout_ms.load(), 200u);
}

TEST(LinkPortList, ScansAtMostOncePerSecondAndReportsChanges)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("pendrix_sysfs_" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path tty = root / "class" / "tty";
    auto add = [&](const std::string& name, const char* type = nullptr) {
        fs::create_directories(tty / name);
        if (type)
            std::ofstream(tty / name / "type") << type << "\n";
    };
    add("ttyUSB0");
    add("ttyS1", "4");
    add("ttyS2", "0");  // no UART there
    add("console");
    LinkSettings s = Link_settings();
    s.port = "ttyUSB0";
    Link_settings_set(s);

    uint32_t t = 5000000;
    Seriale_poll_ports(t, root.string());  // first scan, whatever was there before
    EXPECT_EQ(Seriale_port_list(), (std::vector<std::string>{"ttyS1", "ttyUSB0"}));
    add("ttyS10", "4");
    EXPECT_FALSE(Seriale_poll_ports(t + 1000, root.string()));  // not more than 1000 ms later
    EXPECT_EQ(Seriale_port_list().size(), 2u);
    EXPECT_TRUE(Seriale_poll_ports(t + 1001, root.string()));
    EXPECT_EQ(Seriale_port_list(), (std::vector<std::string>{"ttyS1", "ttyS10", "ttyUSB0"}));
    EXPECT_FALSE(Seriale_poll_ports(t + 2100, root.string()));  // scanned, unchanged: no refill

    const auto items = Seriale_port_items(Seriale_port_list());
    EXPECT_EQ(Seriale_port_select(items, "ttyUSB0"), 2);
    EXPECT_EQ(Seriale_port_select(items, "ttyACM7"), 0);

    fs::remove_all(tty);
    EXPECT_TRUE(Seriale_poll_ports(t + 3200, root.string()));
    EXPECT_TRUE(Seriale_port_list().empty());
    EXPECT_EQ(Seriale_port_items(Seriale_port_list()), std::vector<std::string>{"- - - - -"});
    EXPECT_EQ(Seriale_port_select(Seriale_port_items({}), "ttyUSB0"), 0);
    fs::remove_all(root);
}

// ---- request builders ----

// The requests of the plain builders, without their CRC bytes; out-of-range arguments build
// nothing or are limited in place.
TEST_F(Builders, RequestFrames)
{
    I2tTestActive.store(1);
    SimInputMask.store(0x21);
    Sertx_first_contact();
    EXPECT_EQ(I2tTestActive.load(), 0);
    EXPECT_EQ(SimInputMask.load(), 0);
    EXPECT_EQ(Ser_image_read_pos.count.load(), 251);
    EXPECT_EQ(Ser_image_read_pos.active.load(), 1);
    uint16_t count = 300;
    Sertx_read_block(0x08D3, count);
    EXPECT_EQ(count, 251);
    Sertx_read_alarm_mem();
    Sertx_read_info(9);
    Sertx_read_info(0);  // sub-codes are 1..10
    Sertx_read_info(11);
    Sertx_drive_func(7, 1);
    const uint8_t motor[2] = {0xAB, 0xCD};
    Sertx_write_motor(motor, 2);
    std::vector<uint8_t> too_long(252, 1);
    Sertx_write_motor(too_long.data(), 252);
    Sertx_write_motor(motor, 0);
    Sertx_write_motor(nullptr, 2);
    EXPECT_EQ(queued(), (std::vector<std::string>{"06 08 02 00", "06 08 04 00", "07 03 00 00 FB", "07 03 08 D3 FB",
                                                 "04 05", "05 07 09", "06 08 07 01", "06 09 AB CD"}));
}

TEST_F(Builders, NothingIsBuiltUnlessReady)
{
    auto build_all = [] {
        uint16_t n = 10;
        Sertx_read_block(0, n);
        Sertx_read_alarm_mem();
        Sertx_read_info(1);
        Sertx_drive_func(1, 1);
        const uint8_t motor[3] = {1, 2, 3};
        Sertx_write_motor(motor, 3);
        Sertx_write_var_ex(RecLoc(94), 0, 0);
        Sertx_scope_start();
        Sertx_signal_gen(0);
    };
    Ser_link_flags.store(LinkFlag::Answers);  // an incompatible drive answers
    build_all();
    EXPECT_TRUE(queued().empty());
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    Drive_status_update_word(0, StatusBit::Boot);  // boot loader
    build_all();
    EXPECT_TRUE(queued().empty());
    Drive_status_update_word(StatusBit::Boot, 0);
    Ser_link_mode.store(LinkMode::Check);
    build_all();
    EXPECT_TRUE(queued().empty());
    // Status polls and terminal characters need only an answering drive.
    Sertx_read_status();
    Sertx_terminal_char('x');
    EXPECT_EQ(queued(), (std::vector<std::string>{"04 00", "05 01 78"}));
}

TEST_F(Builders, WriteVarCarriesKeyBitsAndValueBigEndian)
{
    Rec_set<uint16_t>(DriveRecordBank[0], 94, 0x1234);
    Rec_set<uint16_t>(DriveRecordBank[2], 94, 0);
    PageContext.store(1);  // the archive window's data set: nothing goes out
    Sertx_write_var_ex(RecLoc(94), 0, 1);
    EXPECT_TRUE(queued().empty());
    PageContext.store(0);
    Sertx_write_var_ex(RecLoc(94), 0, 1);
    EXPECT_EQ(queued(), std::vector<std::string>{"0C 04 00 40 00 90 00 00 12 34"});
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[2], 94), 0x1234);  // stored: no longer a change

    // A 32-bit Modbus pair: size 2, pair bit, four bytes; the slot-2 copy takes all four.
    Seriale_clear_queue();
    Rec_set<uint32_t>(DriveRecordBank[0], 124, 0x00012710);
    Rec_set<uint32_t>(DriveRecordBank[2], 124, 0);
    Sertx_write_var_ex(RecLoc(124), 0, 1);
    EXPECT_EQ(queued(), std::vector<std::string>{"0C 04 01 65 00 D1 00 01 27 10"});
    EXPECT_EQ(Rec_get<uint32_t>(DriveRecordBank[2], 124), 0x00012710u);

    // Not stored: bit 7 clear, slot 2 untouched; writes of one parameter merge behind the head.
    Seriale_clear_queue();
    LinkSettings s = Link_settings();
    s.auto_save = false;
    Link_settings_set(s);
    for (uint16_t v : {1, 2, 3}) {
        Rec_set<uint16_t>(DriveRecordBank[0], 94, v);
        Sertx_write_var(RecLoc(94));
    }
    EXPECT_EQ(queued(), (std::vector<std::string>{"0C 04 00 40 00 10 00 00 00 01", "0C 04 00 40 00 10 00 00 00 03"}));
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[2], 94), 0x1234);
}

TEST_F(Builders, BlockWriteChunks)
{
    Ser_block_job.start.store(28);
    Ser_block_job.offset.store(28);
    Ser_block_job.length.store(2380);
    Ser_block_job.end.store(2408);
    for (int i = 0; i < 2412; ++i)
        Ser_block_job.data[i] = static_cast<uint8_t>(i);
    Sertx_write_block(Ser_block_job, 3);
    Ser_block_job.offset.store(2233);
    Sertx_write_block(Ser_block_job, 0);
    const auto v = Seriale_view().entries;
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].frame.size(), 245u + 8);
    EXPECT_EQ(sim_hex(SimBytes(v[0].frame.begin(), v[0].frame.begin() + 7)), "FD 06 00 1C F5 09 1C");
    EXPECT_EQ(v[1].frame.size(), 175u + 8);
    EXPECT_EQ(sim_hex(SimBytes(v[1].frame.begin(), v[1].frame.begin() + 7)), "B7 06 08 B9 AF 02 B9");
    EXPECT_EQ(Ser_block_job.chunk.load(), 175);
    Ser_block_job.offset.store(2408);  // done: nothing more
    Sertx_write_block(Ser_block_job, 0);
    EXPECT_EQ(Seriale_view().entries.size(), 2u);
}

TEST_F(Builders, IdBlockChunks)
{
    std::vector<uint8_t> data(500);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 3);
    uint16_t chunk = 0;
    Sertx_write_id_block(0, 0x1234, chunk, 500, data.data(), 1);
    EXPECT_EQ(chunk, 240);
    Sertx_write_id_block(480, 0x1234 + 480, chunk, 500, data.data(), 0);
    EXPECT_EQ(chunk, 20);
    const auto v = Seriale_view().entries;
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(sim_hex(SimBytes(v[0].frame.begin(), v[0].frame.begin() + 7)), "F8 12 12 34 F0 05 00");
    EXPECT_EQ(sim_hex(SimBytes(v[1].frame.begin(), v[1].frame.begin() + 7)), "1C 12 14 14 14 02 A0");
}

TEST_F(Builders, ReadListOutstandingAndRefusedPush)
{
    PollItem items[3] = {};
    items[0] = {0x0301, 0, RecLoc(200), {Area::ReadBack, 200}, 0x0050};
    items[1] = {0x0165, 0, RecLoc(124), {Area::ReadBack, 124}, 0x0158};
    items[2] = {0x2012, 7, RecLoc(300), {Area::ReadBack, 300}, 0x0030};
    EXPECT_EQ(Sertx_send_read_list(items, 3), ListSend::Nothing);  // list reads not enabled
    EXPECT_TRUE(Sertx_read_var_list(items, 3));                      // "done"
    EXPECT_TRUE(queued().empty());
    Ser_data_flags.store(DataFlag::ListReads);
    EXPECT_EQ(Sertx_send_read_list(items, 0), ListSend::Nothing);
    EXPECT_EQ(Sertx_send_read_list(items, 3), ListSend::Sent);
    EXPECT_EQ(queued(), std::vector<std::string>{"0E 1E 43 03 01 00 01 65 00 20 12 07"});
    EXPECT_EQ(Sertx_send_read_list(items, 3), ListSend::Refused);  // still outstanding
    EXPECT_FALSE(Sertx_read_var_list(items, 3));
    EXPECT_EQ(queued().size(), 1u);
    // Taken by the receive thread: a wait for it goes on until its values are stored.
    Ser_read_list taken;
    ASSERT_TRUE(Sertx_take_read_list(taken));
    EXPECT_FALSE(Sertx_read_list_outstanding());
    EXPECT_FALSE(Sertx_wait_read_list(0));
    Sertx_read_list_stored();
    EXPECT_TRUE(Sertx_wait_read_list(0));

    // CANopen: kind 2. A refused push leaves nothing outstanding.
    Sertx_forget_read_list();
    Seriale_clear_queue();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    for (int i = 0; i < SER_QUEUE_MAX; ++i)
        Sertx_read_status();
    ASSERT_EQ(Seriale_count(), SER_QUEUE_MAX);
    EXPECT_FALSE(Sertx_read_var_list(items, 1));
    EXPECT_FALSE(Sertx_read_list_outstanding());
    Seriale_clear_queue();
    EXPECT_TRUE(Sertx_read_var_list(items, 1));
    EXPECT_EQ(queued(), std::vector<std::string>{"08 1E 81 03 01 00"});
    EXPECT_TRUE(Sertx_read_list_outstanding());
}

TEST_F(Builders, ScopeAckAndSignalGenerator)
{
    ScopeStream.position = 0x1234;
    SignalGenerator.waveform.store(SignalGenerator.sent_waveform.load());
    Sertx_scope_ack(0);
    OscxPidOpen.store(1);
    SignalGenerator.waveform.store(static_cast<uint8_t>(SignalGenerator.sent_waveform.load() + 1));
    Sertx_scope_ack(0);
    Sertx_scope_ack(0);  // nothing changed any more
    const uint8_t wave = SignalGenerator.waveform.load();
    char wave_hex[4];
    std::snprintf(wave_hex, sizeof wave_hex, "%02X", wave);
    EXPECT_EQ(queued(), (std::vector<std::string>{"06 0B 12 34", std::string("09 0B 12 34 02 00 ") + wave_hex,
                                                 "06 0B 12 34"}));
    Seriale_clear_queue();
    SignalGenerator.on.store(5);
    SignalGenerator.item[0].store(0x0102);
    SignalGenerator.item[1].store(0x0304);
    SignalGenerator.item[2].store(0x0506);
    SignalGenerator.waveform.store(2);
    Sertx_signal_gen(0);
    SignalGenerator.item[1].store(0x0A0B);
    Sertx_signal_gen(4);
    Sertx_signal_gen(6);  // no such field
    ScopeCaptureOn.store(1);
    Sertx_signal_gen(1);  // not while capturing
    EXPECT_EQ(queued(), (std::vector<std::string>{"0D 0E 00 01 02 01 02 03 04 05 06", "07 0E 04 0A 0B"}));
    uint8_t id = 0;
    uint16_t value = 0;
    EXPECT_FALSE(Sertx_gen_changed(id, value));  // everything sent was recorded
}

// ---- frame assembly ----

TEST_F(RxFeed, SplitReplyJoinsWithinTheGapOnly)
{
    const SimBytes f = frame_of(0, status_payload(0x0020));
    feed(SimBytes(f.begin(), f.begin() + 10));
    feed(SimBytes(f.begin() + 10, f.end()), 30);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Drive_status_word(), 0x0020);

    arm();
    feed(SimBytes(f.begin(), f.begin() + 10));
    feed(SimBytes(f.begin() + 10, f.end()), 100);  // the rest alone is no frame
    EXPECT_FALSE(woken());

    // Bytes left from the previous transmission (a reply cut short) never join the next reply,
    // even within the gap: a new transmission starts a fresh frame.
    const SimBytes block = frame_of(3, SimBytes(251, 0x11));
    feed(SimBytes(block.begin(), block.begin() + 40), 100);
    EXPECT_EQ(Serrx_count(), 40);
    arm();
    feed(frame_of(0, status_payload(0x0021)), 10);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Drive_status_word(), 0x0021);
    EXPECT_EQ(Serrx_count(), 0);
}

TEST_F(RxFeed, LeadingFrameIsCheckedAndTheRestStartsTheNextFrame)
{
    // The identification request echoed, glued before the identification: both found.
    SimBytes ident(52, 0);
    ident[7] = 0x58;
    ident[6] = 0x04;
    ident[5] = 0x0C;
    ident[12] = 3;
    ident[13] = 20;
    // An identification answers only an identification request (a late one passes).
    feed(frame_of(10, ident));
    EXPECT_FALSE(woken());
    EXPECT_NE(DriveFwVersion.load(), 0x314);

    arm(SerCmd::Ident);
    feed(cat(sim_unhex("06 0A 03 14 20 51"), frame_of(10, ident)));
    EXPECT_TRUE(woken());
    EXPECT_TRUE(link_bits(LinkFlag::Ready));
    EXPECT_EQ(Serrx_count(), 0);

    // An echo alone wakes nothing.
    arm();
    feed(sim_unhex("06 0A 03 14 20 51"));
    EXPECT_FALSE(woken());

    // A reply with a stray byte after it stands; the byte waits as the start of a frame.
    arm();
    feed(cat(frame_of(4, {0x01, 0x65, 0x00}), {0x5A}));
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_write_ack.index.load(), 0x0165);
    EXPECT_EQ(Serrx_count(), 1);

    // Garbage glued before a reply: the leading bytes fail, everything is dropped.
    arm();
    feed(cat({0x07}, frame_of(0, status_payload(0))));
    EXPECT_FALSE(woken());
    EXPECT_EQ(Serrx_count(), 0);
}

TEST_F(RxFeed, BadFramesAreDroppedWithoutWaking)
{
    Serrx_feed(nullptr, 5, now_);  // no bytes: nothing happens
    EXPECT_EQ(Serrx_count(), 0);
    SimBytes bad = frame_of(0, status_payload(0));
    bad.back() ^= 0x01;
    feed(bad);
    EXPECT_FALSE(woken());
    EXPECT_EQ(Serrx_count(), 0);

    SimBytes high = frame_of(40, {1, 2});
    feed(high, 100);
    EXPECT_FALSE(woken());

    feed({0x03, 0x00, 0x00, 0x00, 0x00}, 100);  // a length below 4 is never a frame
    EXPECT_EQ(Serrx_count(), 0);
    EXPECT_FALSE(woken());

    SimBytes short_ident = frame_of(10, SimBytes(51, 0));  // identification below 56 bytes
    feed(short_ident, 100);
    EXPECT_FALSE(woken());

    feed(frame_of(8, {2, 0}), 100);  // a command without handler still wakes
    EXPECT_TRUE(woken());
}

TEST_F(RxFeed, OneReplyPerTransmissionAndOverflow)
{
    feed(cat(frame_of(4, {0x00, 0x11, 0x00}), frame_of(4, {0x00, 0x22, 0x00})));
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_write_ack.index.load(), 0x0011);  // the second was not dispatched

    // No transmission waits: nothing is dispatched.
    {
        std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
        Ser_armed_seq.store(0);
    }
    feed(frame_of(4, {0x00, 0x33, 0x00}), 100);
    EXPECT_FALSE(woken());
    EXPECT_EQ(Ser_write_ack.index.load(), 0x0011);

    // A frame announced 255 bytes long waits for its rest; bytes that would reach 3990 (or run
    // past the buffer) are purged unread.
    arm();
    feed(SimBytes(100, 0xFF));
    EXPECT_EQ(Serrx_count(), 100);
    feed(SimBytes(3950, 0xFF), 10);
    EXPECT_EQ(Serrx_count(), 0);
    feed(SimBytes(100, 0xFF), 10);
    feed(SimBytes(5000, 0xFF), 10);
    EXPECT_EQ(Serrx_count(), 0);
    EXPECT_FALSE(woken());
}

// ---- reply handlers ----

TEST_F(RxFeed, BlockReadOnlyWhileTheImageReadRunsWithTheRequestedCount)
{
    arm(SerCmd::ReadBlock);
    feed(frame_of(3, SimBytes(251, 1)));
    EXPECT_FALSE(woken());  // no image read

    Ser_image_read_pos.offset.store(2400);
    Ser_image_read_pos.count.store(12);
    Ser_image_read_pos.active.store(1);
    feed(frame_of(3, SimBytes(11, 2)), 100);  // wrong count
    EXPECT_FALSE(woken());
    Ser_image_read_pos.offset.store(2401);
    feed(frame_of(3, SimBytes(12, 2)), 100);  // would run past 2412
    EXPECT_FALSE(woken());

    Ser_image_read_pos.offset.store(2159);
    Ser_image_read_pos.count.store(251);
    arm(SerCmd::Status);  // a block reply answers a block read only, and only a block reply does
    feed(frame_of(3, SimBytes(251, 7)), 100);
    EXPECT_FALSE(woken());
    arm(SerCmd::ReadBlock);
    feed(frame_of(SerCmd::Status, SimBytes(28, 0)), 100);
    EXPECT_FALSE(woken());
    feed(frame_of(3, SimBytes(251, 7)), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_image_read_pos.offset.load(), 2410);
    EXPECT_EQ(Ser_image_read_pos.count.load(), 2);
    EXPECT_EQ(queued(), std::vector<std::string>{"07 03 09 6A 02"});
    EXPECT_EQ(DriveRecordRx.b[2409], 7);

    arm(SerCmd::ReadBlock);
    DriveUiFlags.store(UiFlag::Modified);
    DriveRecordRx.b[RecOfs::VersionMajor] = 0;
    feed(frame_of(3, {0xA5, 0xA5}), 100);
    EXPECT_TRUE(woken());
    EXPECT_TRUE(data_bits(DataFlag::ImageRead));
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::VersionMajor], 3);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::VersionMinor], 20);
    EXPECT_EQ(0, std::memcmp(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE));
    EXPECT_EQ(DriveUiFlags.load() & UiFlag::Modified, 0);
    EXPECT_EQ(PageRefreshByte.load(), 255);
    EXPECT_EQ(Ser_image_read_pos.active.load(), 0);
    EXPECT_EQ(Ser_progress_mark.load(), 2);  // one request queued, plus one

    // A version the drive stored is kept.
    arm(SerCmd::ReadBlock);
    Ser_image_read_pos.offset.store(2410);
    Ser_image_read_pos.count.store(2);
    Ser_image_read_pos.active.store(1);
    DriveRecordRx.b[RecOfs::VersionMajor] = 2;
    DriveRecordRx.b[RecOfs::VersionMinor] = 7;
    feed(frame_of(3, {0xA5, 0xA5}), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::VersionMajor], 2);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::VersionMinor], 7);
}

TEST_F(RxFeed, InformationSubReplies)
{
    auto info = [this](uint8_t sub, const SimBytes& rest) {
        arm();
        feed(frame_of(7, cat(cat({sub}, status_payload(0x0040)), rest)), 100);
        return woken();
    };
    ASSERT_TRUE(info(1, sim_unhex("00 10 12 A2 01 02 03 04")));
    EXPECT_EQ(BlockTxInfo.first.load(), 0x10);
    EXPECT_EQ(BlockTxInfo.progress.load(), 0x12A2);
    EXPECT_EQ(BlockTxInfo.extra[3], 0x04);
    EXPECT_EQ(Ser_block_job.progress.load(), 0x12A2);
    EXPECT_TRUE(data_bits(DataFlag::InfoSub1));
    EXPECT_EQ(Drive_status_word(), 0x0040);

    ASSERT_TRUE(info(2, sim_unhex("03 04 FF FF 03")));
    EXPECT_EQ(CalibReply.CalibPhase.load(), 3);
    EXPECT_EQ(CalibReply.CalibPolePairs.load(), 4);
    EXPECT_EQ(CalibReply.CalibPosition.load(), 65535);
    EXPECT_EQ(DriveProcMode.load(), 3);
    EXPECT_TRUE(data_bits(DataFlag::ProcReply));

    ASSERT_TRUE(info(3, sim_unhex("AB CD")));
    EXPECT_EQ(I2tMonitorBytes[0], 0xAB);
    EXPECT_EQ(I2tMonitorBytes[1], 0xCD);

    SimBytes name = {40};  // n above 32 counts as 32
    for (int i = 0; i < 40; ++i)
        name.push_back(static_cast<uint8_t>('A' + i % 26));
    Serrx_new_session();
    ASSERT_TRUE(info(4, name));
    EXPECT_EQ(std::string(DriveDeviceName, 32), std::string(name.begin() + 1, name.begin() + 33));
    EXPECT_TRUE(Ds301Identity_reported(LiveLoc::DeviceName));
    EXPECT_FALSE(Ds301Identity_reported(LiveLoc::SwVersion));
    ASSERT_TRUE(info(5, sim_unhex("05 41 42")));  // fewer bytes than announced: the rest zeroed
    EXPECT_EQ(std::string(DriveSoftwareName), "AB");
    EXPECT_TRUE(Ds301Identity_reported(LiveLoc::SwVersion));

    ASSERT_TRUE(info(6, sim_unhex("00 00 01 02 00 03 00 04 11 22 33 44 55 66 77 88 00 00 00 09 00 0A")));
    EXPECT_EQ(Ds301StoreState[0].value, 0x102u);
    EXPECT_EQ(Ds301StoreState[0].done, 3);
    EXPECT_EQ(Ds301StoreState[1].total, 0x7788);
    EXPECT_EQ(Ds301StoreState[2].done, 0x0A);
    EXPECT_EQ(Ds301StoreState[2].total, 0);  // missing: 0

    ASSERT_TRUE(info(7, {0x5C}));
    EXPECT_EQ(FieldBusInfoByte.load(), 0x5C);
    ASSERT_TRUE(info(8, sim_unhex("01 05 00 03 00 04")));
    EXPECT_EQ(ZeroingReply.ZeroingPhase.load(), 1);
    EXPECT_EQ(DriveProcMode.load(), 5);
    EXPECT_EQ(ZeroingReply.ZeroingOffset.load(), 3);
    EXPECT_EQ(ZeroingReply.ZeroingAngle.load(), 4);
    ASSERT_TRUE(info(10, sim_unhex("09 07 00 05 00 06")));
    EXPECT_EQ(AbsZeroingReply.AbsZeroingPhase.load(), 9);
    EXPECT_EQ(DriveProcMode.load(), 7);
    EXPECT_EQ(ZeroingReply.ZeroingOffset.load(), 5);
    EXPECT_EQ(ZeroingReply.ZeroingPhase.load(), 1);

    // A sub-reply shorter than its layout stores the whole fields only: the others keep their values.
    ASSERT_TRUE(info(2, {0x07, 0x02, 0x11}));
    EXPECT_EQ(CalibReply.CalibPhase.load(), 7);
    EXPECT_EQ(CalibReply.CalibPolePairs.load(), 2);
    EXPECT_EQ(CalibReply.CalibPosition.load(), 65535);
    EXPECT_EQ(DriveProcMode.load(), 7);
    EXPECT_TRUE(data_bits(DataFlag::ProcReply));
    ASSERT_TRUE(info(8, {0x02, 0x05, 0x00}));
    EXPECT_EQ(ZeroingReply.ZeroingOffset.load(), 5);
    EXPECT_EQ(ZeroingReply.ZeroingAngle.load(), 6);
    ASSERT_TRUE(info(0, {}));
    ASSERT_TRUE(info(31, {1, 2, 3}));
}

TEST_F(RxFeed, CoggingEntriesWrapAndComeOnlyFromTheFrame)
{
    uint8_t table[256];
    std::memset(table, 0xEE, sizeof table);
    Cogging_clear_staged();
    CoggingMonitor.flags.store(0);
    DriveRecordBank[0].b[RecOfs::CoggingTable + 250] = 0x5A;
    SimBytes rest = sim_unhex("02 06 00 03 00 03 00 04 00 FA 00 09");
    for (uint8_t i = 0; i < 10; ++i)
        rest.push_back(static_cast<uint8_t>(0x10 + i));
    feed(frame_of(7, cat(cat({9}, status_payload(0)), rest)));
    ASSERT_TRUE(woken());
    EXPECT_EQ(CoggingMonitor.phase.load(), 2);
    EXPECT_EQ(DriveProcMode.load(), 6);
    EXPECT_EQ(CoggingMonitor.position.load(), 3);
    EXPECT_EQ(CoggingMonitor.counter.load(), 0x30004);
    EXPECT_EQ(CoggingMonitor.index.load(), 250);
    EXPECT_EQ(CoggingMonitor.count.load(), 9);
    EXPECT_TRUE(CoggingMonitor.flags.load() & CoggingFlag::TableArrived);
    // Nothing reaches the image until the window takes the staged entries.
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::CoggingTable + 250], 0x5A);
    ASSERT_TRUE(Cogging_take(table));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(table[250 + i], 0x10 + i);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(table[i], 0x16 + i);
    EXPECT_EQ(table[4], 0xEE);
    EXPECT_EQ(table[249], 0xEE);
    EXPECT_FALSE(Cogging_take(table));

    // A count beyond the bytes present: only the entries in the frame are staged.
    arm();
    std::memset(table, 0xEE, sizeof table);
    SimBytes short_rest = sim_unhex("01 06 00 03 FF FF FF FF 01 05 00 C8 AA BB");
    feed(frame_of(7, cat(cat({9}, status_payload(0)), short_rest)), 100);
    ASSERT_TRUE(woken());
    EXPECT_EQ(CoggingMonitor.counter.load(), -1);
    ASSERT_TRUE(Cogging_take(table));
    EXPECT_EQ(table[5], 0xAA);  // index 0x105 mod 256
    EXPECT_EQ(table[6], 0xBB);
    EXPECT_EQ(table[7], 0xEE);
}

TEST_F(RxFeed, ReadListValuesByMask)
{
    PollItem items[3] = {};
    items[0] = {0x0301, 0, RecLoc(200), {Area::ReadBack, 200}, 0x0050};
    items[1] = {0x0302, 0, RecLoc(202), {Area::ReadBack, 202}, 0x0050};
    items[2] = {0x0303, 0, RecLoc(204), {Area::ReadBack, 204}, 0x0050};
    Ser_data_flags.store(DataFlag::ListReads);
    ASSERT_TRUE(Sertx_read_var_list(items, 3));
    arm(SerCmd::ReadList);
    std::memset(DriveReadBack.b + 200, 0, 6);
    feed(frame_of(30, sim_unhex("00 00 00 05 34 12 78 56")));
    EXPECT_TRUE(woken());
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 200), 0x1234);  // least significant byte first
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 202), 0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 204), 0x5678);
    EXPECT_FALSE(Sertx_read_list_outstanding());

    // A reply that ends early stores the whole values only; a stray reply only wakes.
    Seriale_clear_queue();
    ASSERT_TRUE(Sertx_read_var_list(items, 3));
    arm(SerCmd::ReadList);
    feed(frame_of(30, sim_unhex("00 00 00 07 11 11 22")), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 200), 0x1111);
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 202), 0);
    arm(SerCmd::ReadList);
    feed(frame_of(30, sim_unhex("00 00 00 01 99 99")), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 200), 0x1111);

    // The reply goes where the list said when it was sent, whatever the caller's list holds by
    // then.
    Seriale_clear_queue();
    ASSERT_TRUE(Sertx_read_var_list(items, 2));
    for (PollItem& it : items) {  // the page reuses its list
        it.readback = {Area::ReadBack, 300};
        it.flags = 0x0090;
    }
    std::memset(DriveReadBack.b + 200, 0, 4);
    std::memset(DriveReadBack.b + 300, 0xEE, 8);
    arm(SerCmd::ReadList);
    feed(frame_of(30, sim_unhex("00 00 00 03 34 12 78 56")), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 200), 0x1234);
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 202), 0x5678);
    for (int i = 300; i < 308; ++i)
        EXPECT_EQ(DriveReadBack.b[i], 0xEE) << i;

    // Identity values count as reported once a reply carried them, until a new session; the reply
    // to a list sent uncounted leaves the pages' reply count alone.
    Seriale_clear_queue();
    Serrx_new_session();
    PollItem ident[2] = {{0x1000, 0, LiveLoc::DeviceType, Loc_readback(LiveLoc::DeviceType), 0x0080},
                         {0x1018, 1, LiveLoc::VendorId, Loc_readback(LiveLoc::VendorId), 0x0080}};
    ASSERT_TRUE(Sertx_read_var_list(ident, 2, false));
    const uint32_t replies = Ser_list_reply_count.load();
    arm(SerCmd::ReadList);
    feed(frame_of(30, sim_unhex("00 00 00 01 78 56 34 12")), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_list_reply_count.load(), replies);
    EXPECT_EQ(Ds301Identity_value(LiveLoc::DeviceType), 0x12345678u);
    EXPECT_FALSE(Ds301Identity_value(LiveLoc::VendorId).has_value());
    Serrx_new_session();
    EXPECT_FALSE(Ds301Identity_value(LiveLoc::DeviceType).has_value());
    // The late answer of a list sent before the link was lost, taken before the list is forgotten,
    // marks nothing in the new session.
    ASSERT_TRUE(Sertx_read_var_list(ident, 2, false));
    Serrx_new_session();
    arm(SerCmd::ReadList);
    feed(frame_of(30, sim_unhex("00 00 00 01 78 56 34 12")), 100);
    EXPECT_TRUE(woken());
    EXPECT_FALSE(Ds301Identity_reported(LiveLoc::DeviceType));
}

// A drive text message goes formatted into the terminal ring (the formatting rules are the
// core suite's).
TEST_F(RxFeed, TextMessageReachesTheRing)
{
    const uint16_t start = TerminalRing.write_index();
    feed(frame_of(1, SimTextMessage("%s=%d").str("ab").i32(7).bytes()));
    EXPECT_TRUE(woken());
    std::string text;
    for (uint16_t i = 0; i < 4; ++i)
        text += static_cast<char>(TerminalRing.byte_at(static_cast<uint16_t>((start + i) % TERMINAL_RING_SIZE)));
    EXPECT_EQ(text, "ab=7");
    EXPECT_EQ(TerminalRing.write_index() % TERMINAL_RING_SIZE, (start + 4) % TERMINAL_RING_SIZE);
}

TEST_F(RxFeed, AlarmMemoryAndWriteAck)
{
    SimBytes mem;
    for (uint8_t i = 0; i < 17; ++i)
        mem.push_back(static_cast<uint8_t>(0x30 + i));
    feed(frame_of(5, mem));
    EXPECT_TRUE(woken());
    for (unsigned slot : {0u, 2u}) {
        EXPECT_EQ(DriveRecordBank[slot].b[3], 0x40);
        EXPECT_EQ(DriveRecordBank[slot].b[4], 0x30);
        EXPECT_EQ(DriveRecordBank[slot].b[19], 0x3F);
    }
    EXPECT_TRUE(data_bits(DataFlag::AlarmMem));
    arm();
    feed(frame_of(4, {0x60, 0x40}), 100);  // short: the subindex counts as 0
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_write_ack.index.load(), 0x6040);
    EXPECT_EQ(Ser_write_ack.subindex.load(), 0);
    EXPECT_EQ(Ser_write_ack.flag.load(), 1);
}

TEST_F(RxFeed, BlockWriteRepliesChainTheNextChunk)
{
    Ser_block_job.start.store(28);
    Ser_block_job.offset.store(28);
    Ser_block_job.length.store(2380);
    Ser_block_job.end.store(2408);
    Sertx_write_block(Ser_block_job, 3);
    Seriale_clear_queue();
    Ser_chunk_sent.store(0);
    feed(frame_of(6, {}));
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_block_job.offset.load(), 273);
    EXPECT_EQ(Ser_chunk_sent.load(), 1);
    ASSERT_EQ(Seriale_view().entries.size(), 1u);
    EXPECT_EQ(Seriale_view().entries[0].frame[5], 1);  // more follow, no start flag

    Seriale_clear_queue();
    Ser_block_job.offset.store(2233);
    Ser_block_job.chunk.store(175);
    arm();
    feed(frame_of(19, {}), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_block_job.offset.load(), 2408);
    EXPECT_TRUE(queued().empty());

    // Command 18: offset and id advance together.
    Ser_block_job.offset.store(0);
    Ser_block_job.block_id.store(0x100);
    Ser_block_job.length.store(300);
    Ser_block_job.chunk.store(240);
    arm();
    feed(frame_of(18, {}), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_block_job.offset.load(), 240);
    EXPECT_EQ(Ser_block_job.block_id.load(), 0x1F0);
    EXPECT_EQ(Ser_block_job.chunk.load(), 60);
    ASSERT_EQ(queued().size(), 1u);
    EXPECT_EQ(queued()[0].substr(0, 14), "44 12 01 F0 3C");
    Seriale_clear_queue();
    Ser_chunk_sent.store(0);
    arm();
    feed(frame_of(18, {}), 100);  // the last chunk acknowledged: nothing more
    EXPECT_TRUE(woken());
    EXPECT_EQ(Ser_block_job.offset.load(), 300);
    EXPECT_TRUE(queued().empty());
    EXPECT_EQ(Ser_chunk_sent.load(), 0);
}

TEST(LinkScope, RebuildUsesTheArithmeticHalfDifference)
{
    EXPECT_EQ(Serrx_scope_rebuild(1, 10, 4), 1 + 10 + 3);
    EXPECT_EQ(Serrx_scope_rebuild(0, -3, 0), -3 + -2);  // -3 >> 1 == -2
    EXPECT_EQ(Serrx_scope_rebuild(5, 0, 7), 5 + 0 - 4);
    EXPECT_EQ(Serrx_scope_rebuild(0, INT32_MAX, INT32_MIN), INT32_MAX + (-1 >> 1) + 0);  // wraps, no UB
    EXPECT_EQ(Fz_cmp_add_mod(9990, 84, 10000), 74);
    EXPECT_EQ(Fz_cmp_add_mod(1, 2, 10000), 3);
}

// ---- fences ----

// A fence is answered by its own replies only: a status poll by status and text frames, an
// identification by an identification. Other requests are not that strict.
TEST_F(RxFeed, AFenceTakesOnlyItsOwnReplies)
{
    const SimBytes ident(52, 0);
    const struct {
        uint8_t asked;
        bool fence;
        uint8_t got;
        SimBytes payload;
        bool taken;
    } rows[] = {
        {SerCmd::Status, true, SerCmd::Status, status_payload(0), true},
        {SerCmd::Status, true, SerCmd::Terminal, SimTextMessage("x").bytes(), true},
        {SerCmd::Status, true, SerCmd::DriveFunc, {3, 1}, false},
        {SerCmd::Status, true, SerCmd::WriteVar, {0x01, 0x65, 0x00}, false},
        {SerCmd::Status, false, SerCmd::DriveFunc, {3, 1}, true},
        {SerCmd::Ident, true, SerCmd::Status, status_payload(0), false},
        {SerCmd::Ident, true, SerCmd::Terminal, SimTextMessage("x").bytes(), false},
        {SerCmd::Ident, true, SerCmd::Ident, ident, true},
    };
    for (const auto& r : rows) {
        arm(r.asked, r.fence);
        feed(frame_of(r.got, r.payload), 100);
        EXPECT_EQ(woken(), r.taken) << &r - rows;
    }
}

// ---- reply wait of a stopped link ----

// A stop whose wake-up came just before the transmission was armed (and was drained with the
// stale reply signal) must not leave the send thread waiting out the reply time-out.
TEST(ReplyWait, AStoppedLinkDoesNotWaitOutTheTimeOut)
{
    Ser_tx_state.store(LinkState::Stop);
    Ser_reply_sem.release();  // the stop's wake-up
    Ser_tx_frame f;
    f.length = 4;
    f.bytes[0] = 4;
    const uint32_t seq = Sertx_send_frame(f);  // drains it; the port is closed
    const uint32_t t0 = Tick_ms();
    EXPECT_FALSE(Sertx_wait_reply(seq, 60000));
    EXPECT_LT(Tick_since(t0), 30000u);
    EXPECT_EQ(Ser_armed_seq.load(), 0u);
}
