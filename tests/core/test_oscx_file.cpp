// Scope recordings: header layout, checksum and the image of wrapped and unwrapped charts.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/recording_fold.h"
#include "scope_core/Oscx_file_core.h"

namespace {

uint16_t fold(const std::vector<uint8_t>& b) { return recording_fold(b); }

uint32_t u32_at(const std::vector<uint8_t>& b, std::size_t at)
{
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

TEST(OscxFile, OnesComplementSumWholeOrInPieces)
{
    const uint8_t bytes[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    uint16_t whole = 0;
    OnesComplementSum(bytes, &whole, sizeof bytes);
    EXPECT_EQ(whole, 0xF2DD);
    uint16_t halves = 0;
    OnesComplementSum(bytes, &halves, 4);
    OnesComplementSum(bytes + 4, &halves, 4);
    EXPECT_EQ(halves, 0xF2DD);
    uint16_t odd = 0;
    OnesComplementSum(bytes, &odd, 3);  // last byte as a word with high byte 0
    EXPECT_EQ(odd, 0x0100 + 0x00F2);
}

TEST(OscxFile, OneSampleRecordingLayout)
{
    Versoftw_init_family_versions();
    ScopeSettingsRec st{};
    st.trigger_flags = 0x05;
    st.record_length = 40000;
    const double row[SCOPE_CHANNELS] = {1.5, -2.0, 0.0, 1e6};
    const ScopeSamplePiece piece{row, 1};
    const std::vector<uint8_t> img = Scope_recording_image(st, FamilyOrvel, 1, &piece, 1);
    ASSERT_EQ(img.size(), 176u);
    EXPECT_EQ(u32_at(img, 28), 1u);
    EXPECT_EQ(img[2], FAMILY_CODE_ORVEL);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(img.data() + 3)), "ORVEL");
    EXPECT_EQ(img[18], 3);
    EXPECT_EQ(img[19], 20);
    EXPECT_EQ(img[27], 0);
    EXPECT_EQ(u32_at(img, 132), 40000u);
    EXPECT_EQ(img[136], 0x0D);
    EXPECT_EQ(std::memcmp(img.data() + 144, row, sizeof row), 0);
    EXPECT_EQ(fold(img), 0xFFFF);
    EXPECT_EQ(Scope_recording_flags(0xFF, 1), 0xEF);
    EXPECT_EQ(Scope_recording_flags(0x00, 7), 0x18);  // two bits of the motor type only
}

TEST(OscxFile, WrappedChartWritesAsTheUnwrappedOne)
{
    // 45,000 samples through a 40,002-row ring that keeps 40,001: the last 40,001 in two pieces.
    constexpr uint32_t cap = 40002, kept = 40001, total = 45000;
    std::vector<double> ring(std::size_t(cap) * SCOPE_CHANNELS);
    uint32_t start = 0, end = 0;
    for (uint32_t n = 0; n < total; ++n) {
        for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch)
            ring[std::size_t(end) * SCOPE_CHANNELS + ch] = n * 0.25 + ch;
        if ((end + cap - start) % cap > kept - 1)  // the chart keeps record length + 1 rows
            start = (start + 1) % cap;
        end = (end + 1) % cap;
    }
    ASSERT_GE(start, end);
    const ScopeSamplePiece wrapped[] = {{ring.data() + std::size_t(start) * SCOPE_CHANNELS, cap - start},
                                        {ring.data(), end}};
    std::vector<double> flat;
    for (uint32_t n = total - kept; n < total; ++n)
        for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch)
            flat.push_back(n * 0.25 + ch);
    const ScopeSamplePiece whole{flat.data(), kept};
    ScopeSettingsRec st{};
    const auto a = Scope_recording_image(st, FamilyPelsan, 0, wrapped, 2);
    const auto b = Scope_recording_image(st, FamilyPelsan, 0, &whole, 1);
    EXPECT_EQ(a.size(), 1280176u);
    EXPECT_TRUE(a == b);
    EXPECT_EQ(fold(a), 0xFFFF);
}

TEST(OscxFile, FindSignalByDriveCode)
{
    ScopeSignal cat[3] = {};
    cat[0].code = 5;
    cat[1].code = 9;
    cat[2].code = 9;
    EXPECT_EQ(Oscx_find_signal(9, cat, 3), 1);
    EXPECT_EQ(Oscx_find_signal(4, cat, 3), 0);
    EXPECT_EQ(Oscx_find_signal(9, cat, 1), 0);
}

}  // namespace
