// Link frames, CRC and the request queue.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "drivedata/Globvar.h"
#include "link/Seriale.h"

namespace {

// CRC-16/MODBUS by its definition, bit by bit: the reference for the table CRC.
uint16_t crc_bitwise(const uint8_t* p, std::size_t n)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

Ser_req_ptr req_of(uint8_t cmd, std::vector<uint8_t> payload = {})
{
    Ser_req_ptr r = Ser_req_new(cmd, payload.size());
    if (!payload.empty())
        std::memcpy(r->frame.get() + 2, payload.data(), payload.size());
    return r;
}

// Parameter write: u16 index, subindex, bits byte, u32 value, big-endian.
Ser_req_ptr write_var(uint16_t index, uint32_t value, uint8_t sub = 0, uint8_t bits = 0x10)
{
    return req_of(SerCmd::WriteVar, {uint8_t(index >> 8), uint8_t(index), sub, bits, uint8_t(value >> 24),
                                     uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)});
}

uint32_t value_of(const std::vector<uint8_t>& f)
{
    return uint32_t(f[6]) << 24 | uint32_t(f[7]) << 16 | uint32_t(f[8]) << 8 | f[9];
}

std::vector<uint8_t> cmds()
{
    std::vector<uint8_t> c;
    for (const auto& e : Seriale_view().entries)
        c.push_back(e.frame[1]);
    return c;
}

// The tail pointer and the count agree with the list.
void expect_consistent()
{
    const Ser_queue_view v = Seriale_view();
    EXPECT_EQ(v.count, v.entries.size());
    EXPECT_EQ(Seriale_count(), v.entries.size());
    EXPECT_EQ(v.tail_id, v.entries.empty() ? 0u : v.entries.back().id);
}

void set_writes_held(bool on)
{
    Drive_status_update_word(StatusBit::WritesHeld, on ? StatusBit::WritesHeld : 0);
}

class Queue : public ::testing::Test {
protected:
    void SetUp() override
    {
        Seriale_init();
        Seriale_clear_queue();
        set_writes_held(false);
    }
    void TearDown() override
    {
        Seriale_clear_queue();
        set_writes_held(false);
    }
};

}  // namespace

TEST(Crc, MatchesTheBitwiseDefinitionAndAFrameChecksToZero)
{
    const char* digits = "123456789";
    EXPECT_EQ(Crc16_modbus(reinterpret_cast<const uint8_t*>(digits), 9), 0x4B37);
    std::mt19937 rng(7);
    std::vector<uint8_t> data(300);
    for (auto& b : data)
        b = uint8_t(rng());
    for (std::size_t n = 0; n <= data.size(); n += 7)
        ASSERT_EQ(Crc16_modbus(data.data(), n), crc_bitwise(data.data(), n)) << n;

    uint8_t frame[12] = {12, 4, 0x01, 0x23, 0x00, 0x10, 0xDE, 0xAD, 0xBE, 0xEF};
    Ser_frame_set_crc(frame, sizeof frame);
    const uint16_t crc = Crc16_modbus(frame, 10);
    EXPECT_EQ(frame[10], crc & 0xFF);  // low byte first
    EXPECT_EQ(frame[11], crc >> 8);
    EXPECT_EQ(Crc16_modbus(frame, sizeof frame), 0);
    for (std::size_t i = 0; i < 8 * sizeof frame; ++i) {
        frame[i / 8] ^= uint8_t(1u << (i % 8));
        EXPECT_NE(Crc16_modbus(frame, sizeof frame), 0) << i;
        frame[i / 8] ^= uint8_t(1u << (i % 8));
    }
}

TEST(Frames, RequestBuilderAndCrcAtSendTime)
{
    Ser_req_ptr r = Ser_req_new(7, 251);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->length, 255);
    EXPECT_EQ(r->frame[0], 255);
    EXPECT_EQ(r->frame[1], 7);
    for (int i = 2; i < 255; ++i)
        ASSERT_EQ(r->frame[i], 0);
    EXPECT_EQ(Ser_req_new(7, 252), nullptr);  // the length byte could not hold it

    // A resend carries the same CRC.
    r->frame[2] = 0x55;
    Ser_frame_set_crc(r->frame.get(), r->length);
    const std::vector<uint8_t> first(r->frame.get(), r->frame.get() + r->length);
    Ser_frame_set_crc(r->frame.get(), r->length);
    EXPECT_EQ(std::vector<uint8_t>(r->frame.get(), r->frame.get() + r->length), first);
    EXPECT_EQ(Crc16_modbus(r->frame.get(), r->length), 0);
}

TEST_F(Queue, MergeReplacesValueBehindTheHeadOnly)
{
    // The head may be on the wire: [W(P=1)] + W(P=2) -> both.
    Seriale_push(write_var(0x2010, 1), 1);
    Seriale_push(write_var(0x2010, 2), 1);
    ASSERT_EQ(Seriale_count(), 2);
    EXPECT_EQ(value_of(Seriale_view().entries[0].frame), 1u);
    Seriale_clear_queue();

    // [X, W(P=1)] + W(P=2) -> [X, W(P=2)]
    Seriale_push(req_of(SerCmd::Terminal, {'a'}));
    Seriale_push(write_var(0x2010, 1), 1);
    EXPECT_TRUE(Seriale_push(write_var(0x2010, 2), 1));
    auto v = Seriale_view();
    ASSERT_EQ(v.entries.size(), 2u);
    EXPECT_EQ(value_of(v.entries[1].frame), 2u);
    EXPECT_EQ(Seriale_count(), 2);

    // Different subindex, bits byte or index, or merge 0: appended.
    Seriale_push(write_var(0x2010, 3, 1), 1);
    Seriale_push(write_var(0x2010, 4, 0, 0x90), 1);
    Seriale_push(write_var(0x2011, 5), 1);
    Seriale_push(write_var(0x2010, 6), 0);
    EXPECT_EQ(Seriale_count(), 6);
    // The first match takes the value.
    Seriale_push(write_var(0x2010, 7), 1);
    v = Seriale_view();
    EXPECT_EQ(value_of(v.entries[1].frame), 7u);
    EXPECT_EQ(value_of(v.entries[5].frame), 6u);
    expect_consistent();
}

TEST_F(Queue, MergeVarNeedsAWholeWriteOfTheSameParameter)
{
    Ser_req_ptr w = write_var(0x1234, 9, 2, 0x18);
    const uint8_t same[8] = {0x12, 0x34, 2, 0x18, 0, 0, 0, 10};
    const uint8_t other[8] = {0x12, 0x34, 3, 0x18, 0, 0, 0, 11};
    EXPECT_EQ(Seriale_merge_var(*w, other), 0);
    EXPECT_EQ(w->frame[9], 9);
    EXPECT_EQ(Seriale_merge_var(*w, same), 1);
    EXPECT_EQ(w->frame[9], 10);
    EXPECT_EQ(Seriale_merge_var(*w, nullptr), 0);
    Ser_req_ptr notwrite = req_of(SerCmd::ReadBlock, {0x12, 0x34, 2, 0x18, 0, 0, 0, 0});
    EXPECT_EQ(Seriale_merge_var(*notwrite, same), 0);
    Ser_req_ptr shortw = req_of(SerCmd::WriteVar, {0x12, 0x34});
    EXPECT_EQ(Seriale_merge_var(*shortw, same), 0);
}

// Inserted before the given position; beyond the end (or into an empty or short queue) appended.
TEST_F(Queue, PositionInsert)
{
    Seriale_push(req_of(30), 0, 2);
    Seriale_push(req_of(31), 0, 2);
    EXPECT_EQ(cmds(), (std::vector<uint8_t>{30, 31}));
    expect_consistent();
    Seriale_clear_queue();
    for (uint8_t c : {20, 21, 22, 23})
        Seriale_push(req_of(c));
    Seriale_push(req_of(30), 0, 2);
    Seriale_push(req_of(31), 0, 1);
    Seriale_push(req_of(32), 0, 50);
    Seriale_push(req_of(33));
    EXPECT_EQ(cmds(), (std::vector<uint8_t>{20, 31, 21, 30, 22, 23, 32, 33}));
    expect_consistent();
}

TEST_F(Queue, WritesHeldBackWhileStatusBit3)
{
    Seriale_push(write_var(1, 1));
    Seriale_push(req_of(SerCmd::WriteBlock, {0, 28, 1, 2}));
    Seriale_push(req_of(SerCmd::Terminal, {'x'}));
    const uint32_t term_id = Seriale_view().entries[2].id;
    set_writes_held(true);

    Ser_tx_frame tx;
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.id, term_id);
    EXPECT_EQ(tx.bytes[1], SerCmd::Terminal);
    EXPECT_EQ(cmds(), (std::vector<uint8_t>{SerCmd::Terminal, SerCmd::WriteVar, SerCmd::WriteBlock}));
    expect_consistent();  // the terminal request was the tail

    // [write, write]: the poll frame.
    EXPECT_TRUE(Seriale_pop(tx.id));
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.id, 0u);
    EXPECT_EQ(std::vector<uint8_t>(tx.bytes, tx.bytes + tx.length), (std::vector<uint8_t>{4, 0, 3, 0x70}));
    EXPECT_EQ(Seriale_count(), 2);

    // Other requests behind the writes wait too; a head that is not a write goes out.
    Seriale_push(req_of(SerCmd::ReadBlock, {0, 0, 251}), 0, 0);
    Seriale_remove_cmd(SerCmd::WriteVar);
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.id, 0u);
    EXPECT_EQ(tx.bytes[1], SerCmd::Status);
    Seriale_remove_cmd(SerCmd::WriteBlock);
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.bytes[1], SerCmd::ReadBlock);
    EXPECT_NE(tx.id, 0u);

    // Bit 3 clear: the head, whatever it is; an empty queue sends the poll frame.
    Seriale_clear_queue();
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.id, 0u);
    EXPECT_EQ(tx.length, 4);
    EXPECT_FALSE(Seriale_pop(tx.id));
    Seriale_push(write_var(1, 1));
    Seriale_push(req_of(SerCmd::Terminal, {'y'}));
    set_writes_held(false);
    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_EQ(tx.bytes[1], SerCmd::WriteVar);
}

TEST_F(Queue, LimitOf200AndBadLengths)
{
    for (int i = 0; i < SER_QUEUE_MAX; ++i)
        ASSERT_TRUE(Seriale_push(req_of(7, {uint8_t(i)})));
    const uint32_t dropped = Seriale_dropped();
    EXPECT_FALSE(Seriale_push(req_of(8)));
    EXPECT_FALSE(Seriale_push(req_of(8), 0, 3));
    EXPECT_EQ(Seriale_count(), 200);
    EXPECT_EQ(cmds(), std::vector<uint8_t>(SER_QUEUE_MAX, 7));
    EXPECT_EQ(Seriale_dropped(), dropped + 2);
    expect_consistent();
    Seriale_clear_queue();

    Ser_req_ptr tiny = std::make_unique<Ser_req>();
    tiny->length = 3;
    tiny->frame = std::make_unique<uint8_t[]>(3);
    Ser_req_ptr huge = std::make_unique<Ser_req>();
    huge->length = 256;
    huge->frame = std::make_unique<uint8_t[]>(256);
    Ser_req_ptr no_frame = std::make_unique<Ser_req>();
    no_frame->length = 4;
    EXPECT_FALSE(Seriale_push(std::move(tiny)));
    EXPECT_FALSE(Seriale_push(std::move(huge)));
    EXPECT_FALSE(Seriale_push(std::move(no_frame)));
    EXPECT_FALSE(Seriale_push(nullptr));
    EXPECT_EQ(Seriale_count(), 0);
    EXPECT_EQ(Seriale_dropped(), dropped + 6);
}

TEST_F(Queue, RemoveCmdKeepsHeadAndTailRight)
{
    Seriale_push(req_of(3));
    Seriale_push(req_of(4));
    Seriale_push(req_of(3));
    Seriale_remove_cmd(3);
    const auto v = Seriale_view();
    ASSERT_EQ(v.entries.size(), 1u);
    EXPECT_EQ(v.entries[0].frame[1], 4);
    EXPECT_EQ(v.tail_id, v.entries[0].id);  // head == tail
    EXPECT_EQ(Seriale_count(), 1);

    Seriale_push(req_of(5));  // links after the right tail
    EXPECT_EQ(cmds(), (std::vector<uint8_t>{4, 5}));
    Seriale_remove_cmd(5);
    Seriale_remove_cmd(4);
    EXPECT_TRUE(cmds().empty());
    expect_consistent();
    Seriale_push(req_of(6));
    EXPECT_EQ(cmds(), (std::vector<uint8_t>{6}));
    expect_consistent();
}

TEST_F(Queue, PopRemovesOnlyTheRequestHandedOut)
{
    Seriale_push(req_of(7, {1}));
    Seriale_push(req_of(7, {2}));
    Ser_tx_frame tx;
    ASSERT_TRUE(Seriale_next(tx));
    tx.bytes[2] = 99;  // the copy is the sender's own
    EXPECT_EQ(Seriale_view().entries[0].frame[2], 1);

    // The port closes while the request is on the wire; a new request is queued.
    Seriale_clear_queue();
    Seriale_push(req_of(7, {3}));
    EXPECT_FALSE(Seriale_pop(tx.id));
    ASSERT_EQ(Seriale_count(), 1);
    EXPECT_EQ(Seriale_view().entries[0].frame[2], 3);

    ASSERT_TRUE(Seriale_next(tx));
    EXPECT_TRUE(Seriale_pop(tx.id));
    EXPECT_FALSE(Seriale_pop(tx.id));
    EXPECT_EQ(Seriale_count(), 0);
    expect_consistent();
}

TEST_F(Queue, ClosedQueueRefusesEverything)
{
    Seriale_push(req_of(7));
    Seriale_queue_close();
    EXPECT_EQ(Seriale_count(), 0);
    EXPECT_EQ(Ser_poll_frame, nullptr);
    const uint32_t dropped = Seriale_dropped();
    EXPECT_FALSE(Seriale_push(req_of(7)));
    EXPECT_EQ(Seriale_dropped(), dropped + 1);
    Ser_tx_frame tx;
    EXPECT_FALSE(Seriale_next(tx));
    EXPECT_FALSE(Seriale_pop(1));
    Seriale_clear_queue();
    Seriale_remove_cmd(7);

    Seriale_init();
    EXPECT_TRUE(Seriale_push(req_of(7)));
    EXPECT_EQ(Seriale_count(), 1);
}

// Two builder threads push while the send thread takes and pops; a fourth clears now and then.
TEST_F(Queue, ConcurrentPushNextPop)
{
    constexpr int PER_THREAD = 3000;
    std::atomic<int> pushed{0};
    std::atomic<bool> producing{true};
    std::atomic<bool> clearing{true};
    auto producer = [&](uint8_t cmd) {
        for (int i = 0; i < PER_THREAD; ++i) {
            if (Seriale_push(req_of(cmd, {uint8_t(i)}), 0, uint16_t(i % 3)))
                pushed.fetch_add(1);
            if (i % 50 == 0)
                Seriale_push(write_var(0x2000, uint32_t(i)), 1);
        }
    };
    std::set<uint32_t> seen;
    int popped = 0;
    std::thread sender([&] {
        Ser_tx_frame tx;
        while (producing.load() || Seriale_count() > 0) {
            if (!Seriale_next(tx) || tx.id == 0) {
                std::this_thread::yield();
                continue;
            }
            EXPECT_EQ(tx.bytes[0], tx.length);
            if (Seriale_pop(tx.id)) {
                EXPECT_TRUE(seen.insert(tx.id).second);
                if (tx.bytes[1] != SerCmd::WriteVar)
                    ++popped;
            }
        }
    });
    std::thread clearer([&] {
        while (clearing.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            Seriale_remove_cmd(SerCmd::WriteVar);
            (void)Seriale_count();
        }
    });
    std::thread a(producer, uint8_t(7)), b(producer, uint8_t(12));
    a.join();
    b.join();
    producing.store(false);
    sender.join();
    clearing.store(false);
    clearer.join();
    EXPECT_EQ(Seriale_count(), 0);
    expect_consistent();
    EXPECT_EQ(popped, pushed.load());  // every queued request but the writes was popped once
}
