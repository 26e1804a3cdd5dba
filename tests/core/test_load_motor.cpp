// Motor data files: the reader over a table of crafted files, and the version-2 conversion.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"
#include "tools_core/Load_motor_core.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes default_file()
{
    MotorRecord m{};
    Init_motor_defaults(m);
    const MotorFileImage img = DataFile_build_motor(m);
    return {img.begin(), img.end()};
}

std::filesystem::path write_temp(const Bytes& bytes)
{
    const auto path = std::filesystem::temp_directory_path() / ("pendrix_motor_" + std::to_string(::getpid()) + ".mot");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Every byte XORs to 0 again.
void fix_check(Bytes& f)
{
    f[0] = 0;
    f[0] = DataFile_xor(f.data(), f.size());
}

struct ReadCase {
    const char* name;
    std::function<void(Bytes&)> craft;
    bool accepted;
};

}  // namespace

TEST(MotorFile, ReaderAcceptsOnlyWholeCheckedFiles)
{
    const ReadCase cases[] = {
        {"as written", [](Bytes&) {}, true},
        {"other minor", [](Bytes& f) { f[18] = 25; fix_check(f); }, true},
        {"89 bytes, check repaired", [](Bytes& f) { f.push_back(0x55); fix_check(f); }, false},
        {"87 bytes, check repaired", [](Bytes& f) { f.pop_back(); fix_check(f); }, false},
        {"empty", [](Bytes& f) { f.clear(); }, false},
        {"check byte wrong", [](Bytes& f) { f[0] ^= 1; }, false},
        {"record byte flipped", [](Bytes& f) { f[60] ^= 0x80; }, false},
    };
    for (const ReadCase& c : cases) {
        Bytes f = default_file();
        c.craft(f);
        const auto path = write_temp(f);
        uint8_t buffer[MOTOR_FILE_SIZE] = {};
        uint8_t version[2] = {0xEE, 0xEE};
        EXPECT_EQ(Load_motor_read_file(path, buffer, MOTOR_FILE_SIZE, version), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_EQ(version[0], 3) << c.name;
            EXPECT_EQ(version[1], f[18]) << c.name;
            EXPECT_EQ(std::memcmp(buffer, f.data(), MOTOR_FILE_SIZE), 0) << c.name;
        } else {
            EXPECT_EQ(version[0], 0xEE) << c.name;
        }
        std::filesystem::remove(path);
    }
    uint8_t buffer[MOTOR_FILE_SIZE];
    uint8_t version[2];
    EXPECT_FALSE(Load_motor_read_file("/nonexistent/motor.mot", buffer, MOTOR_FILE_SIZE, version));
    EXPECT_FALSE(Load_motor_read_file(std::filesystem::temp_directory_path(), buffer, MOTOR_FILE_SIZE, version));
}

TEST(MotorFile, WrittenRecordComesBackWithZeroXor)
{
    MotorRecord m{};
    Init_motor_defaults(m);
    const Bytes f = default_file();
    ASSERT_EQ(f.size(), 88u);
    EXPECT_EQ(DataFile_xor(f.data(), f.size()), 0);
    EXPECT_EQ(std::memcmp(f.data() + 28, m.b, MOTOR_RECORD_SIZE), 0);
    EXPECT_EQ(f[26] | f[27], 0);
}

TEST(MotorFile, Version2Conversion)
{
    struct Case {
        uint16_t single, multi;
        uint16_t want_single, want_multi;
    };
    const Case cases[] = {{0, 31, 12, 0}, {10, 30, 10, 30}, {4, 40, 4, 0}};
    for (const Case& c : cases) {
        // 18 words: type, speed, current, peak, stall, voltage, resistance, inductance, i2t,
        // pole pairs, pulses, offset, Kp, Ki, Kd, feedback, single, multi.
        const uint16_t words[18] = {1, 3000, 100, 200, 150, 60, 20, 2, 120, 3, 2048, 900, 1200, 200, 20, 3,
                                    c.single, c.multi};
        uint8_t old[36];
        std::memcpy(old, words, sizeof old);
        MotorRecord r;
        std::memset(r.b, 0xAA, sizeof r.b);
        ConvertMotorData(old, &r);
        const auto u16 = [&](std::size_t ofs) { return Rec_get<uint16_t>(r.b, ofs); };
        EXPECT_EQ(u16(MotorField::SingleTurn), c.want_single);
        EXPECT_EQ(u16(MotorField::MultiTurn), c.want_multi);
        EXPECT_EQ(u16(MotorField::MotorType), 1);
        EXPECT_EQ(u16(MotorField::NominalSpeed), 3000);
        EXPECT_EQ(u16(MotorField::StallCurrent), 150);
        EXPECT_EQ(u16(MotorField::PolePairs), 3);
        EXPECT_EQ(Rec_get<uint32_t>(r.b, MotorField::Pulses), 2048u);
        EXPECT_EQ(u16(MotorField::EncoderOffset), 900);
        EXPECT_EQ(u16(MotorField::CurrentKp), 1200);
        EXPECT_EQ(u16(MotorField::CurrentKd), 20);
        EXPECT_EQ(u16(MotorField::FeedbackType), 3);
        EXPECT_EQ(Rec_get<uint32_t>(r.b, MotorField::PolePitch), 10000u);
        EXPECT_EQ(Rec_get<int32_t>(r.b, MotorField::MultiTurnOffset), 0);
        EXPECT_EQ(u16(MotorField::Flags), 0);
        EXPECT_EQ(u16(MotorField::MagnetFlux), 0);
        for (std::size_t i = MotorField::MagnetFlux; i < MOTOR_RECORD_SIZE; ++i)
            EXPECT_EQ(r.b[i], 0) << i;
    }
}
