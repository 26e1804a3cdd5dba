// Receive-side ownership of the frame buffer, read-list copies and a refused port open.
#include <dirent.h>

#include "LinkTestUtil.h"

using namespace linktest;

namespace {

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

SimBytes status_payload(uint16_t word)
{
    SimBytes s(28, 0);
    s[0] = static_cast<uint8_t>(word >> 8);
    s[1] = static_cast<uint8_t>(word);
    return s;
}

// Frames fed to the receive side directly; the queue exists, no thread runs.
class ReviewRx : public ::testing::Test {
protected:
    void SetUp() override
    {
        sort_dictionaries();
        reset_link_globals();
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        now_ = Tick_ms() + 1000;
        arm();
    }
    void TearDown() override { Seriale_queue_close(); }

    void arm()
    {
        std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
        Ser_tx_seq.store(Ser_tx_seq.load() + 1);
        Ser_armed_seq.store(Ser_tx_seq.load());
        Ser_reply_sem.drain();
    }
    void feed(const SimBytes& b, uint32_t after_ms)
    {
        now_ += after_ms;
        Serrx_feed(b.data(), b.size(), now_);
    }
    bool woken() { return Ser_reply_sem.wait(0); }

    uint32_t now_ = 0;
};

}  // namespace

// Bytes left from the previous transmission (a reply cut short) never join the next reply, even
// when it follows within the 80 ms gap: the new transmission starts a fresh frame.
TEST_F(ReviewRx, NewTransmissionStartsAFreshFrame)
{
    const SimBytes block = sim_frame(3, SimBytes(251, 0x11));
    feed(SimBytes(block.begin(), block.begin() + 40), 100);
    EXPECT_EQ(Serrx_count(), 40);
    arm();
    feed(sim_frame(0, status_payload(0x0020)), 10);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Drive_status_word(), 0x0020);
    EXPECT_EQ(Serrx_count(), 0);
}

// The reply to a list read goes where the list said when it was sent, whatever the caller's
// list holds by then.
TEST_F(ReviewRx, ReadListReplyUsesTheCopiesTakenAtSend)
{
    Ser_data_flags.store(DataFlag::ListReads);
    PollItem items[2] = {};
    items[0] = {0x0301, 0, RecLoc(200), {Area::ReadBack, 200}, 0x0050};
    items[1] = {0x0302, 0, RecLoc(202), {Area::ReadBack, 202}, 0x0050};
    ASSERT_TRUE(Sertx_read_var_list(items, 2));
    for (PollItem& it : items) {  // the page reuses its list
        it.readback = {Area::ReadBack, 300};
        it.flags = 0x0090;
    }
    std::memset(DriveReadBack.b + 200, 0, 4);
    std::memset(DriveReadBack.b + 300, 0xEE, 8);
    feed(sim_frame(30, sim_unhex("00 00 00 03 34 12 78 56")), 100);
    EXPECT_TRUE(woken());
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 200), 0x1234);
    EXPECT_EQ(Rec_get<uint16_t>(DriveReadBack, 202), 0x5678);
    for (int i = 300; i < 308; ++i)
        EXPECT_EQ(DriveReadBack.b[i], 0xEE) << i;
}

// A port that another program holds: the open fails, its descriptor is closed at once, and the
// link connects once the port is free.
TEST_F(SimLink, RefusedOpenLeaksNoDescriptor)
{
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
