#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "drivedata/Canopen.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Init.h"
#include "drivedata/Mdb.h"
#include "drivedata/Record.h"

namespace {

struct Range {
    uint16_t first;
    uint16_t last;  // inclusive
};

// Section map of the record layout (inclusive byte ranges).
constexpr Range Sections[] = {
    {0, 27},       {28, 65},      {94, 111},     {118, 119},  {120, 179},
    {180, 265},    {304, 409},    {464, 1151},   {1536, 1979}, {2000, 2329},
};

// Multi-byte fields that the conversion leaves alone, besides the header.
bool kept_in_drive_order(uint16_t ofs)
{
    static const std::set<uint16_t> singles = {2056, 2060, 2076, 2098, 2228, 2232, 2314, 2316, 2320};
    return (ofs >= 1540 && ofs <= 1571) || singles.count(ofs) != 0;
}

bool in_range(uint16_t ofs, std::size_t size, Range r)
{
    return ofs >= r.first && ofs + size - 1 <= r.last;
}

// Fields the conversion must reverse, derived from offsets, widths and the layout only.
std::vector<const FieldRow*> expected_swapped()
{
    std::vector<const FieldRow*> out;
    for (std::size_t i = 0; i < FieldTableCount; ++i) {
        const FieldRow& r = FieldTable[i];
        const std::size_t size = Field_size(r.type);
        if ((size != 2 && size != 4) || r.offset < 28 || kept_in_drive_order(r.offset))
            continue;
        if (in_range(r.offset, size, {876, 1131}))
            continue;
        out.push_back(&r);
    }
    return out;
}

DriveRecord pattern_record()
{
    DriveRecord r;
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        r.b[i] = static_cast<uint8_t>((7 * i + 3) % 256);
    return r;
}

}  // namespace

// ---- field table ----

TEST(FieldTable, RowsAreSortedDisjointAndInsideOneSection)
{
    ASSERT_EQ(FieldTableCount, 438u);
    for (std::size_t i = 0; i < FieldTableCount; ++i) {
        const FieldRow& r = FieldTable[i];
        const std::size_t size = Field_size(r.type);
        ASSERT_GT(size, 0u) << "offset " << r.offset;
        if (i + 1 < FieldTableCount) {
            EXPECT_LE(r.offset + size, FieldTable[i + 1].offset) << "overlap at " << r.offset;
        }
        const bool inside = std::any_of(std::begin(Sections), std::end(Sections),
                                        [&](Range s) { return in_range(r.offset, size, s); });
        EXPECT_TRUE(inside) << "field at " << r.offset << " crosses or leaves its section";
        EXPECT_LE(r.offset + size, RecOfs::EndMarker);
    }
}

TEST(FieldTable, ConvColumnMatchesTheLayoutRules)
{
    const auto expected = expected_swapped();
    EXPECT_EQ(expected.size(), 356u);
    std::size_t conv = 0;
    for (std::size_t i = 0; i < FieldTableCount; ++i) {
        const FieldRow& r = FieldTable[i];
        const bool want = std::find(expected.begin(), expected.end(), &r) != expected.end();
        EXPECT_EQ(r.conv, want) << "offset " << r.offset;
        conv += r.conv ? 1 : 0;
    }
    EXPECT_EQ(conv, 356u);
    // Reserved holes hold no field.
    for (uint16_t hole : {22, 66, 93, 112, 117, 170, 179, 180, 181, 266, 303, 410, 463, 522, 547, 606, 615, 680,
                          699, 714, 727, 782, 791, 800, 871, 1152, 1535, 1980, 1999, 2330, 2407})
        EXPECT_EQ(Fieldtab_find(hole), nullptr) << hole;
}

// ---- byte order ----

TEST(RecordSwap, ReversesExactlyTheConvertedFields)
{
    const DriveRecord original = pattern_record();
    DriveRecord want = original;
    for (const FieldRow* r : expected_swapped())
        std::reverse(want.b + r->offset, want.b + r->offset + Field_size(r->type));

    DriveRecord got = original;
    Init_swap_image(got.b);
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        ASSERT_EQ(got.b[i], want.b[i]) << "byte " << i;
    Init_swap_image(got.b);
    EXPECT_EQ(std::memcmp(got.b, original.b, DRIVE_RECORD_SIZE), 0);
    Init_swap_image(nullptr);  // no record: nothing happens
    Mdb_swap(nullptr);
    Init_motor_swap(nullptr);
}

TEST(RecordSwap, EachConverterStaysInsideItsSection)
{
    struct Conv {
        void (*fn)(uint8_t*);
        RecordSection sec;
    };
    const Conv convs[] = {
        {Init_header_swap, SwapSections::Header},       {Init_protection_swap, SwapSections::Protection},
        {Init_bus_setup_swap, SwapSections::BusSetup},  {Init_control_type_swap, SwapSections::ControlType},
        {Init_motor_swap, SwapSections::Motor},         {Init_regulator_swap, SwapSections::Regulator},
        {Init_pos_table_swap, SwapSections::PosTable},  {Mdb_swap, MdbSections::Record},
        {Mdb_ctrl_swap, MdbSections::Ctrl},             {Mdb_speed_swap, MdbSections::Speed},
        {Mdb_pos_swap, MdbSections::Pos},               {Mdb_gear_swap, MdbSections::Gear},
        {Mdb_torque_swap, MdbSections::Torque},         {Mdb_tail_swap, MdbSections::Tail},
        {Canopen_ds301_swap, CanopenSections::Ds301},   {Canopen_ds402_swap, CanopenSections::Ds402},
    };
    const DriveRecord original = pattern_record();
    DriveRecord whole = original;
    Init_swap_image(whole.b);
    for (const Conv& c : convs) {
        DriveRecord r = original;
        c.fn(r.b + c.sec.first);
        for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i) {
            const bool inside = i >= c.sec.first && i < c.sec.end;
            ASSERT_EQ(r.b[i], inside ? whole.b[i] : original.b[i])
                << "converter of section " << c.sec.first << ", byte " << i;
        }
    }
    // The header and the tail never change.
    EXPECT_EQ(std::memcmp(whole.b, original.b, 28), 0);
    EXPECT_EQ(std::memcmp(whole.b + 800, original.b + 800, 1152 - 800), 0);
}

TEST(Mdb, ControlTypeIndexOutsideRangeGivesZero)
{
    const std::pair<int16_t, uint16_t> rows[] = {{0, 0}, {1, 1}, {3, 3}, {4, 0}, {32767, 0}, {-1, 0}, {-32768, 0}};
    for (auto [v, index] : rows)
        EXPECT_EQ(Mdb_control_type_index(v), index) << v;
}

// ---- drive-size tables ----

TEST(SizeTables, BuildKeepsCodesAndFindsThem)
{
    Frm_output_build_size_tables();
    ASSERT_EQ(SizeTableOrvel.count, 6);
    ASSERT_EQ(SizeTablePelsan.count, 5);
    for (const DriveSizeTable* t : {&SizeTableOrvel, &SizeTablePelsan}) {
        for (uint16_t i = 0; i < t->count; ++i) {
            EXPECT_EQ(t->sorted[i].code, i);
            EXPECT_EQ(std::memcmp(&t->sorted[i].row, &t->src[i], sizeof(DriveSizeRow)), 0);
            EXPECT_EQ(Frm_output_find_size(*t, static_cast<uint8_t>(i)), i);
        }
    }
    EXPECT_EQ(Frm_output_find_size(SizeTablePelsan, 5), 0xFFFF);
    EXPECT_EQ(Frm_output_find_size(SizeTableOrvel, 6), 0xFFFF);
    EXPECT_EQ(Frm_output_find_size(SizeTableOrvel, 255), 0xFFFF);
}

TEST(SizeTables, SortMatchesAStableSortForEveryLength)
{
    uint32_t seed = 12345;
    for (uint16_t n = 0; n <= 40; ++n) {
        std::vector<DriveSizeEntry> e(n);
        for (uint16_t i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            e[i].row.sort_key = static_cast<uint16_t>((seed >> 16) % 8);  // many equal keys
            e[i].code = static_cast<uint8_t>(i);
        }
        std::vector<DriveSizeEntry> want = e;
        std::stable_sort(want.begin(), want.end(),
                         [](const DriveSizeEntry& a, const DriveSizeEntry& b) { return a.row.sort_key < b.row.sort_key; });
        Frm_output_sort_sizes(e.data(), n);
        for (uint16_t i = 0; i < n; ++i) {
            ASSERT_EQ(e[i].row.sort_key, want[i].row.sort_key) << "n " << n << " i " << i;
            ASSERT_EQ(e[i].code, want[i].code) << "n " << n << " i " << i;
        }
    }
    Frm_output_sort_sizes(nullptr, 3);
}

TEST(SizeTables, SortOfEqualKeysKeepsSourceOrder)
{
    const uint16_t keys[] = {5, 3, 5, 1, 3, 2, 5};
    DriveSizeEntry e[std::size(keys)] = {};
    for (uint8_t i = 0; i < std::size(keys); ++i) {
        e[i].row.sort_key = keys[i];
        e[i].code = i;
    }
    Frm_output_sort_sizes(e, std::size(keys));
    const uint8_t want[] = {3, 5, 1, 4, 0, 2, 6};
    for (std::size_t i = 0; i < std::size(want); ++i)
        EXPECT_EQ(e[i].code, want[i]) << i;
}
