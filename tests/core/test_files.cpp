// Data files: the image layouts, the header check over a table of damaged and foreign files, and
// the conversion of data version 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"
#include "drivedata/Load_data_drive_convert.h"

namespace {

using Bytes = std::vector<uint8_t>;

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

    static Bytes drive_file(const DriveFamilyRecord& family)
    {
        CurrentFamily = &family;
        const DriveFileImage img = DataFile_build_drive(sample_record());
        return {img.begin(), img.end()};
    }

private:
    const DriveFamilyRecord* saved_ = nullptr;
};

// Sets a byte and repairs the check byte.
std::function<void(Bytes&)> patch(std::size_t ofs, uint8_t v)
{
    return [=](Bytes& f) {
        f[0] ^= f[ofs] ^ v;
        f[ofs] = v;
    };
}

}  // namespace

TEST_F(DataFiles, DriveFileLeavesOutTheAlarmMemory)
{
    const DriveRecord rec = sample_record();
    const Bytes f = drive_file(FamilyPelsan);
    ASSERT_EQ(f.size(), 2440u);
    EXPECT_EQ(std::memcmp(&f[1], &FamilyPelsan, sizeof FamilyPelsan), 0);
    EXPECT_EQ(f[26] | f[27], 0);
    EXPECT_EQ(std::memcmp(&f[28], rec.b, 3), 0);
    for (std::size_t i = 31; i < 48; ++i)
        EXPECT_EQ(f[i], 0) << i;
    EXPECT_EQ(std::memcmp(&f[48], rec.b + 20, DRIVE_RECORD_SIZE - 20), 0);
    EXPECT_EQ(DataFile_xor(f.data(), f.size()), 0);

    FamilyOrvel.version_major = 0;
    FamilyPelsan.version_minor = 0;
    Versoftw_init_family_versions();
    EXPECT_EQ(FamilyOrvel.version_major, ProgramVersion.major);
    EXPECT_EQ(FamilyPelsan.version_minor, ProgramVersion.minor);
}

TEST_F(DataFiles, MotorAndFactorFilesCarryTheirRecordAfterTheHeader)
{
    CurrentFamily = &FamilyOrvel;
    MotorRecord m;
    Init_motor_defaults(m);
    const MotorFileImage mot = DataFile_build_motor(m);
    ASSERT_EQ(mot.size(), 88u);
    EXPECT_EQ(std::memcmp(&mot[1], &FamilyOrvel, sizeof FamilyOrvel), 0);
    EXPECT_EQ(std::memcmp(&mot[28], m.b, 60), 0);
    EXPECT_EQ(DataFile_check(DataFileKind::Motor, mot.data(), mot.size()), DataFileCheck::Ok);

    FactorApplicationRec fa;
    for (std::size_t i = 0; i < sizeof fa.b; ++i)
        fa.b[i] = static_cast<uint8_t>(i * 7 + 1);
    const FactorFileImage ftl = DataFile_build_factor(fa);
    ASSERT_EQ(ftl.size(), 108u);
    EXPECT_EQ(ftl[26] | ftl[27], 0);
    EXPECT_EQ(std::memcmp(&ftl[28], fa.b, 80), 0);
    EXPECT_EQ(DataFile_check(DataFileKind::Factor, ftl.data(), ftl.size()), DataFileCheck::Ok);

    FactorFileImage empty;  // no payload: the header over zeros
    empty.fill(0xEE);
    DataFileHeader_build(empty.data(), empty.size(), nullptr, 0, FamilyOrvel);
    EXPECT_EQ(std::count(empty.begin() + 28, empty.end(), 0), 80);
    EXPECT_EQ(DataFile_check(DataFileKind::Factor, empty.data(), empty.size()), DataFileCheck::Ok);
}

TEST_F(DataFiles, EverySingleBitFlipIsCorrupt)
{
    Bytes f = drive_file(FamilyPelsan);
    for (std::size_t i = 0; i < f.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            f[i] ^= static_cast<uint8_t>(1u << bit);
            ASSERT_EQ(DataFile_check(DataFileKind::Drive, f.data(), f.size()), DataFileCheck::Corrupt) << i;
            f[i] ^= static_cast<uint8_t>(1u << bit);
        }
    }
}

// The one table of damaged and foreign files: a drive file of the current family (PELSAN), or of
// the other one, changed and checked as the given kind.
TEST_F(DataFiles, HeaderCheckOfDamagedAndForeignFiles)
{
    const auto none = [](Bytes&) {};
    const struct {
        const char* what;
        const DriveFamilyRecord* writer;
        std::function<void(Bytes&)> change;
        DataFileKind kind;
        DataFileCheck want;
    } rows[] = {
        {"intact", &FamilyPelsan, none, DataFileKind::Drive, DataFileCheck::Ok},
        {"other minor version", &FamilyPelsan, patch(18, 25), DataFileKind::Drive, DataFileCheck::Ok},
        {"bytes after the name's zero", &FamilyPelsan, patch(12, 'Z'), DataFileKind::Drive, DataFileCheck::Ok},
        {"newer major version", &FamilyPelsan, patch(17, 4), DataFileKind::Drive, DataFileCheck::Newer},
        {"older major version", &FamilyPelsan, patch(17, 2), DataFileKind::Drive, DataFileCheck::Older},
        {"other family", &FamilyOrvel, none, DataFileKind::Drive, DataFileCheck::OtherFamily},
        {"same code, other name", &FamilyPelsan, patch(7, 'X'), DataFileKind::Drive, DataFileCheck::OtherFamily},
        {"longer name", &FamilyPelsan, patch(8, 'S'), DataFileKind::Drive, DataFileCheck::OtherFamily},
        {"unknown family code", &FamilyPelsan, patch(1, 9), DataFileKind::Drive, DataFileCheck::OtherFamily},
        {"check byte wrong", &FamilyPelsan, [](Bytes& f) { f[0] ^= 1; }, DataFileKind::Drive,
         DataFileCheck::Corrupt},
        {"a zero byte more", &FamilyPelsan, [](Bytes& f) { f.push_back(0); }, DataFileKind::Drive,
         DataFileCheck::Corrupt},
        {"a zero byte less", &FamilyPelsan, [](Bytes& f) { f.pop_back(); }, DataFileKind::Drive,
         DataFileCheck::Corrupt},
        {"header alone", &FamilyPelsan, [](Bytes& f) {
             f.resize(28);
             f[0] = DataFile_xor(f.data() + 1, f.size() - 1);
         },
         DataFileKind::Drive, DataFileCheck::Corrupt},
        {"empty", &FamilyPelsan, [](Bytes& f) { f.clear(); }, DataFileKind::Drive, DataFileCheck::Corrupt},
        {"drive file read as motor file", &FamilyPelsan, none, DataFileKind::Motor, DataFileCheck::Corrupt},
        {"drive file read as factor file", &FamilyPelsan, none, DataFileKind::Factor, DataFileCheck::Corrupt},
    };
    for (const auto& r : rows) {
        Bytes f = drive_file(*r.writer);
        ASSERT_EQ(f.back(), 0);  // "a zero byte less" keeps the XOR at 0: only the size tells
        r.change(f);
        CurrentFamily = &FamilyPelsan;
        EXPECT_EQ(DataFile_check(r.kind, f.empty() ? nullptr : f.data(), f.size()), r.want) << r.what;
    }
}

TEST_F(DataFiles, OtherFamilyIsNamedOnlyForTheOtherKnownCode)
{
    const struct {
        const DriveFamilyRecord* current;
        uint8_t file_code;
        const DriveFamilyRecord* want;
    } rows[] = {
        {&FamilyPelsan, FAMILY_CODE_ORVEL, &FamilyOrvel}, {&FamilyOrvel, FAMILY_CODE_PELSAN, &FamilyPelsan},
        {&FamilyOrvel, FAMILY_CODE_ORVEL, nullptr},       {&FamilyPelsan, FAMILY_CODE_PELSAN, nullptr},
        {&FamilyPelsan, 9, nullptr},                      {&FamilyOrvel, 0, nullptr},
    };
    for (const auto& r : rows) {
        CurrentFamily = r.current;
        EXPECT_EQ(Versoftw_other_family(r.file_code), r.want) << int(r.current->code) << " " << int(r.file_code);
    }
}

// ---- conversion of data version 2 ----

namespace {

DriveRecord pattern_payload()
{
    DriveRecord r;
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        r.b[i] = static_cast<uint8_t>((7 * i + 3) % 251);
    return r;
}

uint32_t field(const DriveRecord& r, uint16_t ofs, uint8_t size)
{
    return size == 4 ? Rec_get<uint32_t>(r, ofs) : Rec_get<uint16_t>(r, ofs);
}

}  // namespace

// Each row converts a payload holding `in` (of from_size bytes at `from`; from 0: nothing set)
// and reads `to` (to_size bytes): moves, widenings with and without sign, constants, limits.
TEST(Version2Conversion, MovesWidensAndLimits)
{
    const struct {
        uint16_t from;
        uint8_t from_size;
        uint32_t in;
        uint16_t to;
        uint8_t to_size;
        uint32_t want;
    } rows[] = {
        {0, 0, 0, 120, 4, 0},                        {0, 0, 0, 124, 4, 10000},
        {154, 2, 0x1234, 128, 2, 0x1234},            {152, 2, 0xBEEF, 152, 4, 0xBEEF},
        {164, 2, 0, 164, 2, 12},                     {164, 2, 7, 164, 2, 7},
        {166, 2, 31, 166, 2, 0},                     {166, 2, 30, 166, 2, 30},
        {554, 2, 0x8554, 548, 4, 0x8554},            {556, 2, 0xFFFE, 552, 4, 0xFFFFFFFE},
        {560, 2, 0x0560, 556, 4, 0x0560},            {560, 2, 0x8560, 556, 4, 0xFFFF8560},
        {564, 2, 0x9564, 560, 4, 0x9564},            {566, 2, 0xFFFD, 564, 4, 0xFFFFFFFD},
        {568, 2, 0x8568, 568, 4, 0xFFFF8568},        {576, 4, 0xA0000576, 572, 4, 0xA0000576},
        {580, 4, 0xA0000580, 576, 4, 0xA0000580},    {584, 4, 0xA0000584, 580, 4, 0xA0000584},
        {588, 4, 0xA0000588, 584, 4, 0xA0000588},    {592, 4, 0xA0000592, 588, 4, 0xA0000592},
        {562, 2, 0x0562, 592, 2, 0x0562},            {548, 2, 0x0548, 594, 2, 0x0548},
        {550, 2, 0x0550, 596, 2, 0x0550},            {552, 2, 0x0552, 598, 2, 0x0552},
        {558, 2, 0x0558, 600, 2, 0x0558},            {570, 2, 0x0570, 602, 2, 0x0570},
        {572, 2, 0x0572, 604, 2, 0x0572},            {662, 2, 0xF662, 660, 4, 0xF662},
        {666, 2, 0xFFFE, 664, 4, 0xFFFFFFFE},        {664, 2, 0x0664, 668, 2, 0x0664},
        {660, 2, 0x0660, 670, 2, 0x0660},            {702, 2, 0xF702, 700, 4, 0xF702},
        {704, 2, 0xF704, 704, 4, 0xF704},            {700, 2, 0x0700, 712, 2, 0x0700},
    };
    for (const auto& r : rows) {
        DriveRecord old = pattern_payload();
        if (r.from_size == 4)
            Rec_set<uint32_t>(old, r.from, r.in);
        else if (r.from_size == 2)
            Rec_set<uint16_t>(old, r.from, static_cast<uint16_t>(r.in));
        DriveRecord dest;
        ConvertDriveData(DRIVE_DATA_CONVERTIBLE_MAJOR, &dest, old.b);
        EXPECT_EQ(field(dest, r.to, r.to_size), r.want) << r.from << " -> " << r.to;
    }
}

TEST(Version2Conversion, KeepsTheRestStampsTheVersionAndDefaultsThePositionTable)
{
    DriveRecord old = pattern_payload();
    old.b[130] = 0xFF;
    DriveRecord dest;
    ConvertDriveData(2, &dest, old.b);
    EXPECT_EQ(dest.b[130], 0xFD);  // motor word bit 1 cleared
    EXPECT_EQ(dest.b[RecOfs::VersionMajor], 3);
    EXPECT_EQ(dest.b[RecOfs::VersionMinor], 20);
    EXPECT_EQ(std::memcmp(dest.b + 22, old.b + 22, 98), 0);  // up to the first move
    EXPECT_EQ(std::memcmp(dest.b + 132, old.b + 132, 20), 0);
    EXPECT_EQ(std::memcmp(dest.b + 616, old.b + 616, 44), 0);
    EXPECT_EQ(dest.b[708], old.b[708]);
    EXPECT_EQ(std::memcmp(dest.b + 714, old.b + 714, DRIVE_RECORD_SIZE - 714), 0);
    DriveRecord table = old;
    Init_pos_table_defaults(table.b + RecOfs::PosTable);
    EXPECT_EQ(std::memcmp(dest.b + RecOfs::PosTable, table.b + RecOfs::PosTable, 106), 0);

    // Any other version: the destination keeps its bytes but for the version stamp.
    for (uint8_t major : {uint8_t{1}, uint8_t{3}}) {
        std::memset(dest.b, 0x11, sizeof dest.b);
        ConvertDriveData(major, &dest, old.b);
        EXPECT_EQ(dest.b[RecOfs::VersionMajor], 3);
        EXPECT_EQ(dest.b[RecOfs::VersionMinor], 20);
        EXPECT_EQ(dest.b[0], 0x11);
        EXPECT_EQ(dest.b[200], 0x11);
    }
    ConvertDriveData(2, nullptr, old.b);  // no destination: nothing happens
}
