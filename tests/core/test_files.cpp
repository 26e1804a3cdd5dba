#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"

namespace {

class DataFiles : public ::testing::Test {
protected:
    void SetUp() override { saved_ = CurrentFamily; }
    void TearDown() override { CurrentFamily = saved_; }

    // A default record with a non-zero alarm memory, as the drive would have filled it.
    static DriveRecord sample_record()
    {
        DriveRecord r;
        Init_default_image(r, 0, 0, FAMILY_FLAG_PELSAN);
        for (std::size_t i = 3; i < 20; ++i)
            r.b[i] = static_cast<uint8_t>(0x30 + i);
        return r;
    }

    static std::vector<uint8_t> drive_file(const DriveFamilyRecord& family)
    {
        CurrentFamily = &family;
        const DriveFileImage img = DataFile_build_drive(sample_record());
        return {img.begin(), img.end()};
    }

    // Sets a header byte and repairs the check byte.
    static void patch(std::vector<uint8_t>& f, std::size_t ofs, uint8_t v)
    {
        f[0] ^= f[ofs] ^ v;
        f[ofs] = v;
    }

    static DataFileCheck check(const std::vector<uint8_t>& f, DataFileKind kind = DataFileKind::Drive)
    {
        return DataFile_check(kind, f.data(), f.size());
    }

private:
    const DriveFamilyRecord* saved_ = nullptr;
};

TEST_F(DataFiles, FamilyRecords)
{
    EXPECT_EQ(CurrentFamily, &FamilyPelsan);  // until the family switch runs
    for (const DriveFamilyRecord* f : {&FamilyOrvel, &FamilyPelsan}) {
        const auto* b = reinterpret_cast<const uint8_t*>(f);
        EXPECT_EQ(b[16], 3);
        EXPECT_EQ(b[17], 20);
        for (std::size_t i = 18; i < 25; ++i)
            EXPECT_EQ(b[i], 0);
    }
    EXPECT_EQ(FamilyOrvel.code, 2);
    EXPECT_STREQ(FamilyOrvel.name, "ORVEL");
    EXPECT_EQ(FamilyPelsan.code, 3);
    EXPECT_STREQ(FamilyPelsan.name, "PELSAN");
    EXPECT_EQ(FamilyPelsan.name[14], 0);

    FamilyOrvel.version_major = 0;
    FamilyPelsan.version_minor = 0;
    Versoftw_init_family_versions();
    EXPECT_EQ(FamilyOrvel.version_major, ProgramVersion.major);
    EXPECT_EQ(FamilyPelsan.version_minor, ProgramVersion.minor);
}

TEST_F(DataFiles, DriveFileImage)
{
    const DriveRecord rec = sample_record();
    const std::vector<uint8_t> f = drive_file(FamilyPelsan);
    ASSERT_EQ(f.size(), 2440u);
    EXPECT_EQ(f[1], 3);
    EXPECT_EQ(std::memcmp(&f[2], "PELSAN", 6), 0);
    EXPECT_EQ(f[8], 0);
    EXPECT_EQ(f[17], 3);
    EXPECT_EQ(f[18], 20);
    for (std::size_t i = 19; i < 28; ++i)
        EXPECT_EQ(f[i], 0) << i;
    for (std::size_t i = 31; i < 48; ++i)
        EXPECT_EQ(f[i], 0) << i;  // alarm memory left out
    EXPECT_EQ(std::memcmp(&f[28], rec.b, 3), 0);
    EXPECT_EQ(std::memcmp(&f[48], rec.b + 20, DRIVE_RECORD_SIZE - 20), 0);
    EXPECT_EQ(DataFile_xor(f.data(), f.size()), 0);
    EXPECT_EQ(check(f), DataFileCheck::Ok);
}

TEST_F(DataFiles, EverySingleBitFlipIsCorrupt)
{
    std::vector<uint8_t> f = drive_file(FamilyPelsan);
    for (std::size_t i = 0; i < f.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            f[i] ^= static_cast<uint8_t>(1u << bit);
            ASSERT_EQ(check(f), DataFileCheck::Corrupt) << "byte " << i << " bit " << bit;
            f[i] ^= static_cast<uint8_t>(1u << bit);
        }
    }
    EXPECT_EQ(check(f), DataFileCheck::Ok);
}

TEST_F(DataFiles, HeaderCheckOutcomes)
{
    std::vector<uint8_t> f = drive_file(FamilyOrvel);
    CurrentFamily = &FamilyPelsan;
    EXPECT_EQ(check(f), DataFileCheck::OtherFamily);
    EXPECT_EQ(Versoftw_other_family(f[1]), &FamilyOrvel);

    f = drive_file(FamilyPelsan);
    patch(f, 17, 4);
    EXPECT_EQ(check(f), DataFileCheck::Newer);
    patch(f, 17, 2);
    EXPECT_EQ(check(f), DataFileCheck::Older);
    patch(f, 17, 3);
    patch(f, 18, 25);
    EXPECT_EQ(check(f), DataFileCheck::Ok);  // the minor is not compared

    // Same code, another name: incompatible, with no family name to offer.
    std::vector<uint8_t> g = f;
    patch(g, 7, 'X');
    EXPECT_EQ(check(g), DataFileCheck::OtherFamily);
    EXPECT_EQ(Versoftw_other_family(g[1]), nullptr);
    // Name matching stops at the zero: bytes after it do not count...
    g = f;
    patch(g, 12, 'Z');
    EXPECT_EQ(check(g), DataFileCheck::Ok);
    // ...but a longer name differs.
    g = f;
    patch(g, 8, 'S');
    EXPECT_EQ(check(g), DataFileCheck::OtherFamily);
    // An unknown code.
    g = f;
    patch(g, 1, 9);
    EXPECT_EQ(check(g), DataFileCheck::OtherFamily);
    EXPECT_EQ(Versoftw_other_family(9), nullptr);
    CurrentFamily = &FamilyOrvel;
    EXPECT_EQ(Versoftw_other_family(FAMILY_CODE_PELSAN), &FamilyPelsan);
    EXPECT_EQ(Versoftw_other_family(FAMILY_CODE_ORVEL), nullptr);
}

TEST_F(DataFiles, OnlyTheKindsSizeIsAccepted)
{
    std::vector<uint8_t> f = drive_file(FamilyPelsan);
    // A zero byte more or less keeps the XOR at 0: only the size tells.
    ASSERT_EQ(f.back(), 0);
    f.push_back(0);
    EXPECT_EQ(check(f), DataFileCheck::Corrupt);
    f.resize(2439);
    EXPECT_EQ(DataFile_xor(f.data(), f.size()), 0);
    EXPECT_EQ(check(f), DataFileCheck::Corrupt);
    f.resize(28);
    f[0] = DataFile_xor(f.data() + 1, f.size() - 1);
    EXPECT_EQ(check(f), DataFileCheck::Corrupt);
    EXPECT_EQ(DataFile_check(DataFileKind::Drive, nullptr, 0), DataFileCheck::Corrupt);
    const uint8_t empty[1] = {0};
    EXPECT_EQ(DataFile_check(DataFileKind::Drive, empty, 0), DataFileCheck::Corrupt);
}

TEST_F(DataFiles, MotorAndFactorFiles)
{
    CurrentFamily = &FamilyOrvel;
    MotorRecord m;
    Init_motor_defaults(m);
    const MotorFileImage mot = DataFile_build_motor(m);
    ASSERT_EQ(mot.size(), 88u);
    EXPECT_EQ(mot[1], 2);
    EXPECT_EQ(std::memcmp(&mot[2], "ORVEL", 6), 0);
    EXPECT_EQ(std::memcmp(&mot[28], m.b, 60), 0);
    EXPECT_EQ(DataFile_check(DataFileKind::Motor, mot.data(), mot.size()), DataFileCheck::Ok);
    EXPECT_EQ(DataFile_check(DataFileKind::Drive, mot.data(), mot.size()), DataFileCheck::Corrupt);
    EXPECT_EQ(DataFile_check(DataFileKind::Factor, mot.data(), mot.size()), DataFileCheck::Corrupt);

    FactorApplicationRec fa;
    for (std::size_t i = 0; i < sizeof fa.b; ++i)
        fa.b[i] = static_cast<uint8_t>(i * 7 + 1);
    const FactorFileImage ftl = DataFile_build_factor(fa);
    ASSERT_EQ(ftl.size(), 108u);
    EXPECT_EQ(std::memcmp(&ftl[28], fa.b, 80), 0);
    EXPECT_EQ(ftl[26], 0);
    EXPECT_EQ(ftl[27], 0);
    EXPECT_EQ(DataFile_xor(ftl.data(), ftl.size()), 0);
    EXPECT_EQ(DataFile_check(DataFileKind::Factor, ftl.data(), ftl.size()), DataFileCheck::Ok);
    EXPECT_EQ(DataFile_check(DataFileKind::Motor, ftl.data(), 88), DataFileCheck::Corrupt);
}

}  // namespace
