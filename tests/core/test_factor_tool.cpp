// Unit-factor model on records: one table of applications (record bytes -> pair and flag), the
// reduction's bounds and failures, and the bounds-checked unit names.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "factors_core/Factor_tool_core.h"

namespace {

// A byte, word or long of the application record, or a field of the drive record.
struct Put {
    enum Kind : uint8_t { Byte, Word, Long, DriveWord, DriveLong } kind;
    std::size_t ofs;
    uint32_t value;
};

FactorApplicationRec app(const std::vector<Put>& puts, DriveRecord* drive)
{
    FactorApplicationRec rec{};
    Factor_tool_set_defaults(&rec);
    *drive = DriveRecord{};
    for (const Put& p : puts) {
        switch (p.kind) {
        case Put::Byte: rec.b[p.ofs] = static_cast<uint8_t>(p.value); break;
        case Put::Word: Rec_set<uint16_t>(rec.b, p.ofs, static_cast<uint16_t>(p.value)); break;
        case Put::Long: Rec_set<uint32_t>(rec.b, p.ofs, p.value); break;
        case Put::DriveWord: Rec_set<uint16_t>(*drive, p.ofs, static_cast<uint16_t>(p.value)); break;
        case Put::DriveLong: Rec_set<uint32_t>(*drive, p.ofs, p.value); break;
        }
    }
    return rec;
}

struct ModelCase {
    const char* name;
    std::vector<Put> puts;
    uint16_t quantity;
    uint8_t ok;
    double num;  // expected pair; for a failure the pair the call leaves
    double den;
};

constexpr double KEEP_NUM = 7;  // the pair a call starts from
constexpr double KEEP_DEN = 3;
constexpr uint16_t POS = FactorPosition, VEL = FactorVelocity, ACC = FactorAcceleration;
Put sel(uint16_t q, uint8_t v) { return {Put::Byte, FactorOfs::Selection + q, v}; }
Put lin_sel(uint16_t q, uint8_t v) { return {Put::Byte, FactorOfs::LinearSelection + q, v}; }
Put type(uint8_t t) { return {Put::Byte, FactorOfs::AppType, t}; }
const Put LINEAR_MOTOR = {Put::DriveWord, RecOfs::MotorType, 1};
const Put PITCH_10MM = {Put::DriveLong, DRIVE_POLE_PITCH_OFS, 10000};

const std::vector<ModelCase>& model_cases()
{
    static const std::vector<ModelCase> cases = {
        {"DefaultCounts", {}, POS, 1, 1, 1},
        {"DefaultRpm", {}, VEL, 1, 16384, 15},
        {"DefaultRpmAcc", {}, ACC, 1, 16384, 15},
        {"RadianAtShaftTakesTheRatioPath", {sel(POS, 3)}, POS, 1, 1367130551, 131072},
        {"DegreeTenths", {sel(VEL, 8)}, VEL, 1, 4096, 225},
        {"Rps", {sel(ACC, 15)}, ACC, 1, 65536, 1},
        {"DiskRadians", {sel(POS, 0), type(0)}, POS, 1, 33554432, 3217},
        {"DiskDiameter", {sel(POS, 0), type(1)}, POS, 1, 2097152000, 100531},
        {"WormPitch", {sel(POS, 0), type(6), {Put::Long, FactorOfs::ScrewPitch, 5000}}, POS, 1, 65536, 5},
        {"LinearTypeIgnoresQuantity", {sel(ACC, 0), type(6), {Put::Long, FactorOfs::ScrewPitch, 5000}}, ACC, 1, 65536, 5},
        {"ToothedBelt", {sel(POS, 0), type(3), {Put::Long, FactorOfs::ToothPitch, 5000}, {Put::Word, FactorOfs::Teeth, 4}},
         POS, 1, 16384, 5},
        {"HollowShaftNoGear", {sel(POS, 0), type(7), {Put::Long, FactorOfs::HollowPitch, 4000}, {Put::Word, FactorOfs::GearLoad, 3}},
         POS, 1, 16384, 1},
        {"GearEntersLinear", {sel(POS, 0), type(6), {Put::Long, FactorOfs::ScrewPitch, 5000}, {Put::Word, FactorOfs::GearLoad, 2}},
         POS, 1, 32768, 5},
        {"Transmission", {sel(VEL, 0), type(4)}, VEL, 1, 32768, 15},
        {"ToothedTransmission", {sel(VEL, 0), type(5), {Put::Byte, FactorOfs::RotaryUnit + 1, 12}}, VEL, 1, 131072, 1},
        {"LabelDefaults", {sel(POS, 1)}, POS, 1, 65536, 1},
        {"LabelRatio", {sel(POS, 1), {Put::Word, FactorOfs::LabelAmount, 3}, {Put::Word, FactorOfs::LabelRevs, 2}}, POS, 1, 131072, 3},
        {"LinearMotorMm", {LINEAR_MOTOR, PITCH_10MM}, POS, 1, 32768, 5},
        {"LinearMotorMmVelocityIgnoresApplication", {LINEAR_MOTOR, PITCH_10MM, type(3), sel(VEL, 1)}, VEL, 1, 32768, 5},
        {"LinearMotorCounts", {LINEAR_MOTOR, PITCH_10MM, lin_sel(POS, 0)}, POS, 1, 1, 1},
        {"LinearMotorMmTenths", {LINEAR_MOTOR, PITCH_10MM, lin_sel(POS, 3)}, POS, 1, 16384, 25},
        {"LinearMotorMicron", {LINEAR_MOTOR, PITCH_10MM, lin_sel(ACC, 5)}, ACC, 1, 4096, 625},
        {"LinearMotorMicronHundredths", {LINEAR_MOTOR, PITCH_10MM, lin_sel(POS, 7)}, POS, 1, 1024, 15625},
        {"LinearMotorLabel", {LINEAR_MOTOR, PITCH_10MM, lin_sel(POS, 1), {Put::Word, FactorOfs::LabelAmount, 5}}, POS, 1, 65536, 5},
        // Failures: the pair built stays unreduced, or nothing is written.
        {"LabelOverflow", {sel(POS, 1), {Put::Word, FactorOfs::LabelRevs, 65535}}, POS, 0, 4294901760.0, 1},
        {"ZeroDiameter", {sel(POS, 0), type(1), {Put::Long, FactorOfs::DiskDiameter, 0}}, POS, 0, 2097152000, 0},
        {"ZeroLoadRevolutions", {sel(POS, 0), type(0), {Put::Word, FactorOfs::GearLoad, 0}}, POS, 0, 1073741824, 0},
        {"ZeroPolePitch", {LINEAR_MOTOR, {Put::DriveLong, DRIVE_POLE_PITCH_OFS, 0}}, POS, 0, 2097152000, 0},
        {"PositionSpeedSelectionWritesNothing", {sel(POS, 11)}, POS, 0, KEEP_NUM, KEEP_DEN},
        {"SelectionOutsideTable", {sel(POS, 30)}, POS, 0, KEEP_NUM, KEEP_DEN},
        {"VelocitySelectionOutsideTable", {sel(VEL, 19)}, VEL, 0, KEEP_NUM, KEEP_DEN},
        {"TypeOutsideTable", {sel(POS, 0), type(8)}, POS, 0, KEEP_NUM, KEEP_DEN},
        {"RotaryUnitOutsideTable", {sel(POS, 0), type(0), {Put::Byte, FactorOfs::RotaryUnit, 16}}, POS, 0, KEEP_NUM, KEEP_DEN},
        {"LinearMotorUnitOutsideTable", {LINEAR_MOTOR, PITCH_10MM, lin_sel(VEL, 8)}, VEL, 0, KEEP_NUM, KEEP_DEN},
    };
    return cases;
}

class ModelTable : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelTable, PairAndFlag)
{
    const ModelCase& c = GetParam();
    DriveRecord drive;
    const FactorApplicationRec rec = app(c.puts, &drive);
    double num = KEEP_NUM, den = KEEP_DEN;
    EXPECT_EQ(Factor_tool_quantity_factor(rec, drive, c.quantity, &num, &den), c.ok);
    double n3 = KEEP_NUM, d3 = KEEP_DEN;
    EXPECT_EQ(Factor_tool_quantity_factor(rec, drive, FACTOR_QUANTITIES, &n3, &d3), 0);  // no fourth quantity
    EXPECT_EQ(n3, KEEP_NUM);
    EXPECT_DOUBLE_EQ(num, c.num);
    EXPECT_DOUBLE_EQ(den, c.den);
}

INSTANTIATE_TEST_SUITE_P(Factors, ModelTable, ::testing::ValuesIn(model_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FactorModel, DefaultsTouchBytesUpToTheLabelOnly)
{
    FactorApplicationRec rec;
    std::memset(rec.b, 0xAB, sizeof rec.b);
    Factor_tool_set_defaults(&rec);
    EXPECT_EQ(Rec_get<uint32_t>(rec.b, FactorOfs::D2), 2000u);
    EXPECT_EQ(Rec_get<uint16_t>(rec.b, FactorOfs::N2), 20u);
    EXPECT_EQ(rec.b[FactorOfs::RotaryUnit + 1], 8);
    EXPECT_STREQ(reinterpret_cast<const char*>(rec.b + FactorOfs::Label), "label");
    EXPECT_EQ(rec.b[59], 0xAB);
}

TEST(FactorModel, PairShiftStaysBelowTwoToTheThirtyOne)
{
    EXPECT_EQ(Factor_tool_pair_shift(32768, 3.14), 15);
    EXPECT_EQ(Factor_tool_pair_shift(1, 65536000), 5);
    EXPECT_EQ(Factor_tool_pair_shift(1, 1), 30);
    EXPECT_EQ(Factor_tool_pair_shift(1073741824.0, 1), 0);  // 2m reaches 2^31
    EXPECT_EQ(Factor_tool_pair_shift(1073741823.0, 1), 1);
    // No finite shift: zero, below 1, not finite.
    EXPECT_EQ(Factor_tool_pair_shift(0, 0), 0);
    EXPECT_EQ(Factor_tool_pair_shift(0.5, 0.25), 0);
    EXPECT_EQ(Factor_tool_pair_shift(std::numeric_limits<double>::infinity(), 1), 0);
    EXPECT_EQ(Factor_tool_pair_shift(std::nan(""), 1), 0);
    double n = 0, d = 0;
    Factor_tool_scale_pair(&n, &d, 3, 5);
    EXPECT_EQ(n, 3.0 * (1 << 28));
    EXPECT_EQ(d, 5.0 * (1 << 28));
}

TEST(FactorModel, ReductionBoundsAndFailures)
{
    struct Row {
        double num, den;
        uint8_t ok;
        double rnum, rden;
    };
    const Row rows[] = {
        {1073741824, 102943.7, 1, 33554432, 3217},
        {2147483646, 2, 1, 1073741823, 1},              // below the bound: rounded and reduced only
        {2147483647, 1, 0, 2147483647, 1},              // ratio reaches the bound
        {1, 4294967294.0, 0, 1, 4294967294.0},          // the other way round
        {4294967292.0, 4, 1, 1073741823, 1},           // ratio path: (q, 1) shifted once
        {4294967294.0, 4, 0, 4294967294.0, 4},          // shifted ratio reaches the bound
        {1073741824, 0, 0, 1073741824, 0},
        {0, 0, 0, 0, 0},
        {0, 5, 0, 0, 5},
        {std::numeric_limits<double>::infinity(), 5, 0, std::numeric_limits<double>::infinity(), 5},
        {10.5, 4.49, 1, 11, 4},                         // floor(x + 0.5)
        {97.0 * 89 * 4, 97.0 * 89 * 6, 1, 2, 3},        // every prime divides out
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.num) + "/" + std::to_string(r.den));
        double n = r.num, d = r.den;
        EXPECT_EQ(Factor_tool_reduce_pair(&n, &d), r.ok);
        EXPECT_EQ(n, r.rnum);
        EXPECT_EQ(d, r.rden);
    }
}

TEST(FactorModel, FixedGroups)
{
    double n = KEEP_NUM, d = KEEP_DEN;
    Factor_tool_fixed_pair_angle(2, &n, &d);  // outside 3..10: the 1/1 fall-back
    EXPECT_EQ(n, 1);
    EXPECT_EQ(d, 1);
    Factor_tool_fixed_pair_angle(6, &n, &d);
    EXPECT_EQ(n, 268435456.0);
    EXPECT_EQ(d, 25735927.018207584);
    n = KEEP_NUM;
    d = KEEP_DEN;
    EXPECT_FALSE(Factor_tool_fixed_pair_speed(19, &n, &d));
    EXPECT_EQ(n, KEEP_NUM);
    EXPECT_TRUE(Factor_tool_fixed_pair_speed(14, &n, &d));
    EXPECT_EQ(n, 2048);
    EXPECT_EQ(d, 1875);
}

TEST(FactorModel, UnitTextsAreBoundsChecked)
{
    DriveRecord drive;
    FactorApplicationRec rec = app({type(1)}, &drive);
    EXPECT_EQ(Factor_tool_is_rotary(1), 0);
    EXPECT_EQ(Factor_tool_is_rotary(5), 1);
    EXPECT_EQ(Factor_tool_is_rotary(0x104), 0);
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, VEL), "cm/s");
    rec.b[FactorOfs::LengthUnit] = 5;
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, ACC), "mils/s²");
    EXPECT_EQ(Factor_tool_unit_index(rec), 5);
    rec.b[FactorOfs::LengthUnit] = 9;
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, POS), "");
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, 3), "");
    rec.b[FactorOfs::AppType] = 4;
    rec.b[FactorOfs::RotaryUnit] = 12;  // beyond the 8 position names
    EXPECT_EQ(Factor_tool_unit_index(rec), 12);
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, POS), "");
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, VEL), "rpm");
    rec.b[FactorOfs::RotaryUnit + 2] = 15;
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, ACC), "rps/(10³s)");
    rec.b[FactorOfs::RotaryUnit + 2] = 16;
    EXPECT_STREQ(Factor_tool_linear_unit_text(rec, ACC), "");
    EXPECT_STREQ(Factor_tool_rotary_unit_name(POS, 7), "Deg/10³");
    EXPECT_STREQ(Factor_tool_linear_unit_name(POS, 6), "");
}

TEST(FactorModel, LabelIsReadAtMostFiveCharacters)
{
    DriveRecord drive;
    FactorApplicationRec rec = app({}, &drive);
    char out[FactorOfs::LabelSize];
    EXPECT_EQ(Factor_tool_label(rec, out), 5u);
    EXPECT_STREQ(out, "label");
    std::memcpy(rec.b + FactorOfs::Label, "abcdefgh", 8);  // no NUL up to byte 60
    EXPECT_EQ(Factor_tool_label(rec, out), 5u);
    EXPECT_STREQ(out, "abcde");
    Factor_tool_set_label(&rec, "ab", 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rec.b + FactorOfs::Label), 6), std::string("ab\0\0\0\0", 6));
    EXPECT_EQ(rec.b[59], 'g');  // reserved bytes untouched
}

}  // namespace

namespace {

// Random records (lengths and revolutions 0 included): every quantity ends, and a pair reported
// as reduced is made of whole numbers from 1 to 2^31 - 2.
TEST(FactorModel, RandomRecordsEndWithPairsInBounds)
{
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int n = 0; n < 3000; ++n) {
        FactorApplicationRec rec;
        DriveRecord drive{};
        for (uint8_t& b : rec.b)
            b = static_cast<uint8_t>(next());
        for (std::size_t i = FactorOfs::Selection; i <= FactorOfs::RotaryUnit + 2; ++i)
            rec.b[i] %= 24;  // mostly inside the tables, some beyond
        Rec_set<uint16_t>(drive, RecOfs::MotorType, static_cast<uint16_t>(next() % 3));
        Rec_set<uint32_t>(drive, DRIVE_POLE_PITCH_OFS, next() % 3 == 0 ? 0 : next());
        for (uint16_t q = 0; q < FACTOR_QUANTITIES; ++q) {
            double num = 7, den = 3;
            if (Factor_tool_quantity_factor(rec, drive, q, &num, &den)) {
                EXPECT_TRUE(num >= 1 && num < 2147483647.0 && num == std::floor(num)) << num;
                EXPECT_TRUE(den >= 1 && den < 2147483647.0 && den == std::floor(den)) << den;
            }
        }
    }
}

}  // namespace
