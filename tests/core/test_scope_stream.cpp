// The scope's stream decoder, predictor, sample ring and link-load average.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "link/Scope_link.h"
#include "link/Serrx.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Sample4 {
    int32_t v[SCOPE_CHANNELS];
    bool operator==(const Sample4& o) const { return std::memcmp(v, o.v, sizeof v) == 0; }
};

class ScopeStreamCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        Scope_stream_reset();
        ScopeSampleRing.write_index.store(0);
        ScopeSampleRing.read_index.store(0);
    }
    // The samples waiting in the ring, oldest first; the ring is emptied.
    static std::vector<Sample4> take_ring()
    {
        std::vector<Sample4> out;
        ScopeSampleRingRec& r = ScopeSampleRing;
        while (r.read_index.load() != r.write_index.load()) {
            Sample4 s;
            std::memcpy(s.v, r.slot[r.read_index.load()].ch, sizeof s.v);
            out.push_back(s);
            r.read_index.store((r.read_index.load() + 1) % SCOPE_RING_SLOTS);
        }
        return out;
    }
    static void take(const Bytes& b) { Scope_stream_take(b.data(), b.size()); }
};

// One sample with each code: 4, 7, 10 and 32 bits, sign-extended below 32.
TEST(ScopeStreamDecodeVectors, ReadyOnlyWithABitAfterTheSample)
{
    const Bytes all = {0xE4, 0xF8, 0x03, 0x10, 0xCF, 0x8A, 0x46, 0x02};
    struct Case {
        uint16_t available;
        bool ready;
    } cases[] = {{0, false}, {1, false}, {2, false}, {7, false}, {8, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.available);
        uint32_t cursor = 0;
        int32_t out[SCOPE_CHANNELS] = {};
        EXPECT_EQ(ScopeStreamDecode(all.data(), &cursor, out, c.available), c.ready);
        if (!c.ready) {
            EXPECT_EQ(cursor, 0u);
            continue;
        }
        EXPECT_EQ(cursor, 61u);
        EXPECT_EQ(out[0], -8);
        EXPECT_EQ(out[1], 63);
        EXPECT_EQ(out[2], -512);
        EXPECT_EQ(out[3], 305419896);
    }
}

TEST(ScopeStreamDecodeVectors, FieldsAtAnyBitAndTheirSigns)
{
    // Codes 0 at bit 4 of a byte: 0b1000 is -8 and 0b0111 is 7; a 10-bit 0x200 is -512.
    struct Case {
        Bytes bytes;
        uint32_t cursor;
        Sample4 expect;
        uint32_t after;
    } cases[] = {
        {{0x00, 0x87, 0x87, 0x00}, 0, {{7, -8, 7, -8}}, 24},
        {{0x00, 0x70, 0x78, 0x78, 0x00}, 4, {{7, -8, 7, -8}}, 28},
        {{0xAA, 0x00, 0x02, 0x08, 0x20, 0x80, 0x00}, 0, {{-512, -512, -512, -512}}, 48},
        {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00},
         0,
         {{-1, INT32_MIN, 0, INT32_MAX}},
         136},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.after);
        uint32_t cursor = c.cursor;
        Sample4 got{};
        ASSERT_TRUE(ScopeStreamDecode(c.bytes.data(), &cursor, got.v, static_cast<uint16_t>(c.bytes.size())));
        EXPECT_EQ(got, c.expect);
        EXPECT_EQ(cursor, c.after);
    }
}

TEST_F(ScopeStreamCore, ASampleEndingWithTheDataWaitsForTheNextByte)
{
    take({0x00, 0xF1, 0x87, 0x00, 0x00, 0x00});
    EXPECT_EQ(take_ring(), (std::vector<Sample4>{{{1, -1, 7, -8}}}));
    EXPECT_EQ(ScopeStream.carry_len, 3);
    take({0x00});
    EXPECT_EQ(take_ring(), (std::vector<Sample4>{{{1, -2, 10, -12}}}));
}

TEST_F(ScopeStreamCore, ASampleSplitOverRepliesDecodesTheSame)
{
    const Bytes stream = {0xE4, 0xF8, 0x03, 0x10, 0xCF, 0x8A, 0x46, 0x02, 0x00, 0x00, 0x00, 0x00};
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        SetUp();
        take(Bytes(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(cut)));
        take(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(cut), stream.end()));
        const std::vector<Sample4> got = take_ring();
        ASSERT_EQ(got.size(), 2u);  // the second starts at bit 5 of byte 7
        EXPECT_EQ(got[0], (Sample4{{-8, 63, -512, 305419896}}));
    }
}

TEST_F(ScopeStreamCore, ResidualsZeroContinueAStraightLine)
{
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
        ScopeStream.history[0][ch] = 10;
        ScopeStream.history[1][ch] = 7;
        ScopeStream.history[2][ch] = 4;
    }
    take(Bytes(13, 0x00));
    const std::vector<Sample4> got = take_ring();
    ASSERT_EQ(got.size(), 4u);
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_EQ(got[i], (Sample4{{13 + 3 * static_cast<int32_t>(i), 13 + 3 * static_cast<int32_t>(i),
                                    13 + 3 * static_cast<int32_t>(i), 13 + 3 * static_cast<int32_t>(i)}}));
}

TEST_F(ScopeStreamCore, AFullRingDropsTheOldestSample)
{
    ScopeSampleRing.write_index.store(SCOPE_RING_SLOTS - 1);
    ScopeSampleRing.read_index.store(1);
    take(Bytes(7, 0x00));  // two samples
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 1u);
    EXPECT_EQ(ScopeSampleRing.read_index.load(), 2u);
}

TEST_F(ScopeStreamCore, ACarryThatWouldOverflowIsDroppedWithTheData)
{
    ScopeStream.carry_len = SCOPE_CARRY_SIZE - 10;
    ScopeStream.bit_position = 3;
    take(Bytes(11, 0x00));
    EXPECT_EQ(ScopeStream.carry_len, 0);
    EXPECT_EQ(ScopeStream.bit_position, 0u);
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 0u);
    take(Bytes(10, 0x00));  // a fresh start decodes again
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 3u);
}

TEST_F(ScopeStreamCore, RandomStreamsInRandomPiecesStayInsideTheCarry)
{
    std::mt19937 rng(0xD3C0DE);
    for (int iter = 0; iter < 3000; ++iter) {
        const Bytes b = [&] {
            Bytes x(rng() % 252);
            for (auto& v : x)
                v = static_cast<uint8_t>(rng());
            return x;
        }();
        take(b);
        ASSERT_LE(ScopeStream.carry_len, SCOPE_CARRY_SIZE);
        ASSERT_LT(ScopeStream.bit_position, 8u);
        // A sample takes at most 17 bytes: the decoder never leaves a whole one behind.
        ASSERT_LE(ScopeStream.carry_len, 18);
        ASSERT_LT(ScopeSampleRing.write_index.load(), SCOPE_RING_SLOTS);
    }
}

TEST(ScopeRing, IndexArithmetic)
{
    struct Case {
        const char* op;
        uint32_t got, expect;
    } cases[] = {
        {"add wraps once", Fz_cmp_add_mod(65000, 100, 65024), 76},
        {"add below", Fz_cmp_add_mod(1, 2, 10000), 3},
        {"add to m", Fz_cmp_add_mod(SCOPE_RING_SLOTS - 1, 1, SCOPE_RING_SLOTS), 0},
        {"sub wraps", Fz_cmp_sub_mod(3, 5, 10), 8},
        {"sub below", Fz_cmp_sub_mod(5, 3, 10), 2},
        {"distance across the end", Fz_cmp_ring_distance(2, SCOPE_RING_SLOTS - 2, SCOPE_RING_SLOTS), 4},
        {"distance none", Fz_cmp_ring_distance(7, 7, SCOPE_RING_SLOTS), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expect) << c.op;
}

TEST(ScopeRing, AdvanceWrapsAndResetMovesOnlyTheReadIndex)
{
    ScopeSampleRing.write_index.store(SCOPE_RING_SLOTS - 2);
    Fz_cmp_ring_advance(3);
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 1u);
    ScopeSampleRing.read_index.store(30000);
    ScopeTriggerState.sample_counter = 99;
    Fz_cmp_ring_reset();
    EXPECT_EQ(ScopeSampleRing.write_index.load(), 1u);
    EXPECT_EQ(ScopeSampleRing.read_index.load(), 1u);
    EXPECT_EQ(ScopeTriggerState.sample_counter, 0u);
}

TEST(ScopePredictor, ArithmeticHalfDifferenceWrapping)
{
    EXPECT_EQ(Serrx_scope_rebuild(0, -3, 0), -5);  // (-3) >> 1 is -2
    EXPECT_EQ(Serrx_scope_rebuild(0, 2147483647, -2147483647 - 1), 2147483646);
    EXPECT_EQ(Serrx_scope_rebuild(0, -2147483647 - 1, 2147483647), -2147483647 - 1);  // x1 - x3 wraps to 1
}

TEST(FrameLengthAverageTest, SixteenDotSixteenWithTheFractionKept)
{
    Frame_length_average_reset();
    FrameLengthLast.store(200);
    FrameLengthAverage();
    EXPECT_EQ(Frame_length_average_value(), 30);
    Frame_length_average_reset();
    FrameLengthLast.store(246);
    std::vector<uint16_t> seen;
    for (int i = 0; i < 200; ++i) {
        FrameLengthAverage();
        seen.push_back(Frame_length_average_value());
    }
    EXPECT_EQ(seen[9], 199);
    EXPECT_EQ(seen[49], 246);
    for (std::size_t i = 50; i < seen.size(); ++i)
        ASSERT_TRUE(seen[i] == 245 || seen[i] == 246) << i << ": " << seen[i];
    Frame_length_average_reset();
}

}  // namespace
