// The viewer's recording reader: each refusal and each clamp of a crafted file, and a cheap fuzz.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "core/recording_fold.h"
#include "scope_core/Oscx_read_recording.h"

namespace {

uint16_t fold(const std::vector<uint8_t>& b) { return recording_fold(b); }

void put32(std::vector<uint8_t>& b, std::size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// A file by hand from the layout: family 2, version 3.20, N samples, `size` bytes (0: exact),
// then the edit, then the checksum word (unless the edit spoils it afterwards).
std::vector<uint8_t> crafted(uint32_t n, std::size_t size = 0, const std::function<void(std::vector<uint8_t>&)>& edit = {})
{
    std::vector<uint8_t> b(size ? size : 144 + 32 * std::size_t(n));
    b[2] = 2;
    std::memcpy(b.data() + 3, "ORVEL", 5);
    b[18] = 3;
    b[19] = 20;
    put32(b, 28, n);
    put32(b, 132, 1000);
    b[141] = 1;
    for (std::size_t i = 144; i < b.size(); ++i)
        b[i] = static_cast<uint8_t>(i * 7);
    if (edit)
        edit(b);
    b[0] = b[1] = 0;
    const uint16_t sum = static_cast<uint16_t>(~fold(b));
    b[0] = sum & 0xFF;
    b[1] = sum >> 8;
    return b;
}

struct Row {
    const char* what;
    std::vector<uint8_t> file;
    uint8_t result;
    uint32_t record_length = 0;
    uint8_t left = 0, right = 1, decimals = 0;
};

TEST(OscxReadRecording, CraftedFiles)
{
    auto spoiled = crafted(3);
    spoiled[150] ^= 0x01;
    const std::vector<Row> rows = {
        {"144 bytes", crafted(0, 144), RecordingRead::BadFile},
        {"145 bytes, N 0", crafted(0, 145), RecordingRead::Ok, 1000},
        {"one changed byte", spoiled, RecordingRead::BadFile},
        {"N beyond the chart", crafted(40002, 144 + 32 * 40002), RecordingRead::BadFile},
        {"N beyond the file", crafted(2, 176), RecordingRead::BadFile},
        {"trailing bytes", crafted(2, 144 + 64 + 5), RecordingRead::Ok, 1000},
        {"newer major", crafted(1, 0, [](auto& b) { b[18] = 4; }), RecordingRead::Incompatible},
        {"newer minor only", crafted(1, 0, [](auto& b) { b[19] = 99; }), RecordingRead::Ok, 1000},
        {"length 0, N 100", crafted(100, 0, [](auto& b) { put32(b, 132, 0); }), RecordingRead::Ok, 99},
        {"length 5, N 3", crafted(3, 0, [](auto& b) { put32(b, 132, 5); }), RecordingRead::Ok, 10},
        {"length beyond 40000", crafted(3, 0, [](auto& b) { put32(b, 132, 0xFFFFFFFF); }), RecordingRead::Ok, 40000},
        {"axis bytes 7", crafted(3, 0, [](auto& b) { b[140] = b[141] = 7; }), RecordingRead::Ok, 1000, 0, 1},
        {"axes 2 and 3 kept", crafted(3, 0, [](auto& b) { b[140] = 2, b[141] = 3; }), RecordingRead::Ok, 1000, 2, 3},
        {"decimals 9", crafted(3, 0, [](auto& b) { b[50] = b[110] = b[128] = 9; }), RecordingRead::Ok, 1000, 0, 1, 4},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const ScopeRecordingRead got = Oscx_read_recording(r.file.data(), r.file.size());
        ASSERT_EQ(got.result, r.result);
        if (r.result != RecordingRead::Ok) {
            EXPECT_EQ(got.samples, nullptr);
            continue;
        }
        const ScopeSettingsRec& s = got.header.settings;
        EXPECT_EQ(s.record_length, r.record_length);
        EXPECT_EQ(s.axis_left, r.left);
        EXPECT_EQ(s.axis_right, r.right);
        EXPECT_EQ(s.channel[0].decimals, r.decimals);
        EXPECT_EQ(s.channel[3].decimals, r.decimals);
        EXPECT_EQ(s.trigger_decimals, r.decimals);
        EXPECT_EQ(got.samples, r.file.data() + 144);
        EXPECT_EQ(got.sample_count, got.header.sample_count);
    }
}

TEST(OscxReadRecording, WriterImageReadsBackAndIncompatibleKeepsFamily)
{
    ScopeSettingsRec st{};
    st.record_length = 2;
    st.axis_left = 2;
    st.axis_right = 3;
    const double rows[2][SCOPE_CHANNELS] = {{1.5, -2.0, 0.25, 1e6}, {3, 4, 5, 6}};
    const ScopeSamplePiece piece{rows[0], 2};
    DriveFamilyRecord fam{};
    fam.code = 3;
    fam.version_major = 3;
    std::vector<uint8_t> img = Scope_recording_image(st, fam, 1, &piece, 1);
    const ScopeRecordingRead got = Oscx_read_recording(img.data(), img.size());
    ASSERT_EQ(got.result, RecordingRead::Ok);
    EXPECT_EQ(got.header.family.code, 3);
    EXPECT_EQ(got.header.settings.record_length, 10u);
    EXPECT_EQ(std::memcmp(got.samples, rows, sizeof rows), 0);

    fam.version_major = 4;
    img = Scope_recording_image(st, fam, 1, &piece, 1);
    const ScopeRecordingRead newer = Oscx_read_recording(img.data(), img.size());
    EXPECT_EQ(newer.result, RecordingRead::Incompatible);
    EXPECT_EQ(newer.header.family.code, 3);  // the viewer still switches the catalogue
}

TEST(OscxReadRecording, SignalsFromDriveCodes)
{
    ScopeSignal cat[3] = {};
    cat[0].code = 0;
    cat[1].code = 22;
    cat[2].code = 5;
    ScopeSettingsRec s{};
    s.channel[0].signal_code = 5;
    s.channel[1].signal_code = 22;
    s.channel[2].signal_code = 99;  // unknown: row 0
    s.channel[3].signal_index = 7;
    s.channel[3].signal_code = 0;
    Oscx_recording_signals(s, cat, 3);
    EXPECT_EQ(s.channel[0].signal_index, 2);
    EXPECT_EQ(s.channel[1].signal_index, 1);
    EXPECT_EQ(s.channel[2].signal_index, 0);
    EXPECT_EQ(s.channel[3].signal_index, 0);
    Oscx_recording_signals(s, nullptr, 0);
    EXPECT_EQ(s.channel[0].signal_index, 0);
}

// Random damage to valid files, with and without a mended sum, and cut files: refused or accepted,
// never read beyond the bytes.
TEST(OscxReadRecording, FuzzNeverReadsBeyond)
{
    std::mt19937 rng(31);
    for (int k = 0; k < 3000; ++k) {
        const auto damage = [&rng](std::vector<uint8_t>& b) {
            const int flips = 1 + int(rng() % 4);
            for (int f = 0; f < flips; ++f)
                b[2 + rng() % (b.size() - 2)] = static_cast<uint8_t>(rng());
        };
        std::vector<uint8_t> b = crafted(rng() % 5, 0);
        if (k % 2 == 0)
            damage(b);  // the sum catches it
        else
            b = crafted(rng() % 5, 0, damage);  // a valid sum: the later checks run
        if (rng() % 3 == 0)
            b.resize(rng() % (b.size() + 40));
        const ScopeRecordingRead r = Oscx_read_recording(b.data(), b.size());
        if (r.result == RecordingRead::Ok) {
            ASSERT_LE(144 + 32 * std::size_t(r.sample_count), b.size());
            ASSERT_LE(r.header.settings.axis_left, 3);
            ASSERT_GE(r.header.settings.record_length + 1, r.sample_count);
        }
    }
}

}  // namespace
