#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drivedata/Busx.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"

namespace {

uint16_t u16(const DriveRecord& r, std::size_t ofs) { return Rec_get<uint16_t>(r, ofs); }
uint32_t u32(const DriveRecord& r, std::size_t ofs) { return Rec_get<uint32_t>(r, ofs); }

// Keeps the globals the defaults read or write as they were.
class Defaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_table_ = &CurrentSizeTable.get();
        saved_live_ = BusLiveValues;
        saved_product_ = CanIdentProductCode;
        saved_revision_ = CanIdentRevision;
        CurrentSizeTable = SizeTableOrvel;
    }
    void TearDown() override
    {
        CurrentSizeTable = *saved_table_;
        BusLiveValues = saved_live_;
        CanIdentProductCode = saved_product_;
        CanIdentRevision = saved_revision_;
    }

    DriveRecord build(uint8_t size, uint8_t cls, uint8_t family)
    {
        CurrentSizeTable = family == FAMILY_FLAG_ORVEL ? SizeTableOrvel : SizeTablePelsan;
        DriveRecord r;
        std::memset(r.b, 0xEE, sizeof r.b);
        Init_default_image(r, size, cls, family);
        return r;
    }

private:
    const DriveSizeTable* saved_table_ = nullptr;
    BusLiveBlock saved_live_{};
    uint32_t saved_product_ = 0;
    uint32_t saved_revision_ = 0;
};

void expect_voltage(const DriveRecord& r, uint16_t a, uint16_t b, uint16_t c, uint16_t d)
{
    EXPECT_EQ(u16(r, 38), a);
    EXPECT_EQ(u16(r, 40), b);
    EXPECT_EQ(u16(r, 42), c);
    EXPECT_EQ(u16(r, 44), d);
}

TEST_F(Defaults, FirstFamilySizeZeroClassZero)
{
    const DriveRecord r = build(0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(r.b[1], 0x55);
    EXPECT_EQ(r.b[2408], 0xA5);
    EXPECT_EQ(r.b[2409], 0xA5);
    uint8_t x = 0;
    for (uint8_t b : r.b)
        x ^= b;
    EXPECT_EQ(x, 0);
    EXPECT_EQ(u16(r, 48), 650);
    expect_voltage(r, 80, 5, 15, 5);
    EXPECT_EQ(u16(r, 60), 390);
    EXPECT_EQ(u16(r, 62), 30);
    EXPECT_EQ(r.b[20], 3);
    EXPECT_EQ(r.b[21], 20);
    EXPECT_EQ(r.b[2], 0);
    EXPECT_EQ(u16(r, 64), 0);
}

TEST_F(Defaults, VoltageLimitsAndOverTemperatureByFamilyAndClass)
{
    DriveRecord r = build(0, 0, FAMILY_FLAG_PELSAN);
    expect_voltage(r, 410, 10, 225, 10);
    EXPECT_EQ(u16(r, 60), 390);
    EXPECT_EQ(u16(r, 62), 30);
    EXPECT_EQ(u16(r, 48), 700);

    r = build(0, 1, FAMILY_FLAG_PELSAN);
    expect_voltage(r, 825, 10, 450, 10);
    EXPECT_EQ(u16(r, 60), 790);
    EXPECT_EQ(u16(r, 62), 50);
    EXPECT_EQ(u16(r, 64), 1);
    EXPECT_EQ(r.b[64] & 3, 1);

    r = build(0, 1, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u16(r, 48), 700);
    expect_voltage(r, 80, 5, 15, 5);  // the first family ignores the class
    EXPECT_EQ(u16(r, 60), 790);

    r = build(1, 0, FAMILY_FLAG_PELSAN);
    EXPECT_EQ(u16(r, 48), 800);
    r = build(3, 1, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u16(r, 48), 850);
    EXPECT_EQ(r.b[2], 3);
}

TEST_F(Defaults, BadSizeAndClassInputs)
{
    // A first-family size while the second family is current, and the "not found" code.
    for (uint8_t size : {uint8_t{5}, uint8_t{255}}) {
        const DriveRecord r = build(size, 0, FAMILY_FLAG_PELSAN);
        EXPECT_EQ(u16(r, 48), 700) << int(size);
        EXPECT_EQ(r.b[2], size);
    }
    DriveRecord r = build(6, 1, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u16(r, 48), 700);
    EXPECT_EQ(r.b[2], 6);
    r = build(7, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u16(r, 48), 650);

    // Classes 2 and 3 take field 9, like every other "not 0" rule.
    for (uint8_t cls : {uint8_t{2}, uint8_t{3}}) {
        r = build(0, cls, FAMILY_FLAG_ORVEL);
        EXPECT_EQ(u16(r, 48), 700) << int(cls);
        EXPECT_EQ(u16(r, 64), cls);
        r = build(0, cls, FAMILY_FLAG_PELSAN);
        expect_voltage(r, 825, 10, 450, 10);
        EXPECT_EQ(u16(r, 60), 790);
    }
    // Above 3 the class is masked to its two bits.
    r = build(0, 4, FAMILY_FLAG_PELSAN);
    EXPECT_EQ(u16(r, 64), 0);
    EXPECT_EQ(u16(r, 48), 700);
    expect_voltage(r, 410, 10, 225, 10);
    r = build(0, 7, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u16(r, 64), 3);
    EXPECT_EQ(u16(r, 48), 700);

    EXPECT_EQ(Init_overtemp_limit(DriveSizeTable{nullptr, nullptr, 0}, 0, 0), 0);
}

TEST_F(Defaults, CanopenCommunicationAndMappings)
{
    DriveRecord r = build(0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(u32(r, 1628), 0x60400010u);
    EXPECT_EQ(r.b[1660], 3);
    EXPECT_EQ(u32(r, 1944), 0x60FD0020u);

    // Node 5 straight into the section.
    Canopen_ds301_defaults(r.b + 1536, 5);
    EXPECT_EQ(u32(r, 1596), 0x205u);
    EXPECT_EQ(u32(r, 1580), 0x85u);
    EXPECT_EQ(u32(r, 1772), 0x185u);
    EXPECT_EQ(u32(r, 1584), 0x605u);
    EXPECT_EQ(u32(r, 1588), 0x585u);
    const uint32_t rx[] = {0x200, 0x300, 0x400, 0x500};
    const uint32_t tx[] = {0x180, 0x280, 0x380, 0x480};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(u32(r, 1596 + 8 * i), rx[i] + 5);
        EXPECT_EQ(u32(r, 1772 + 16 * i), tx[i] + 5);
    }
    // A node id outside 1..127 is used as given.
    Canopen_ds301_defaults(r.b + 1536, 200);
    EXPECT_EQ(u32(r, 1580), 0x80u + 200);

    // Every mapping object: entries index << 16 | sub << 8 | bits, the rest cleared, then the count.
    struct Map {
        uint16_t first;
        std::vector<uint32_t> entries;  // index, sub, bits packed as 0xIIIISSBB
    };
    const Map maps[] = {
        {1628, {0x60400010, 0x60420010, 0x607C0020}}, {1664, {0x607A0020, 0x60810020}},
        {1700, {0x60830020, 0x60840020}},             {1736, {0x60C10120}},
        {1836, {0x60410010, 0x60610008, 0x10010008}}, {1872, {0x60620020, 0x60640020}},
        {1908, {0x60430010, 0x60440010}},             {1944, {0x60FD0020}},
    };
    std::memset(r.b + 1628, 0x77, 1980 - 1628);
    Canopen_pdo_defaults(r.b + 1536);
    for (const Map& m : maps) {
        for (unsigned k = 0; k < 8; ++k)
            EXPECT_EQ(u32(r, m.first + 4 * k), k < m.entries.size() ? m.entries[k] : 0u) << m.first << " " << k;
        EXPECT_EQ(r.b[m.first + 32], m.entries.size()) << m.first;
    }
    EXPECT_EQ(r.b[1771], 0x77);               // padding after a count
    EXPECT_EQ(u32(r, 1772), 0x77777777u);  // communication parameters are not the mappings'
}

TEST_F(Defaults, OtherValuesAndLiveObjects)
{
    BusLiveValues.modes_display = 0;
    BusLiveValues.store_count = 0;
    for (StoreParamEntry& s : BusLiveValues.store)
        s.value = 99;
    const DriveRecord r = build(0, 0, FAMILY_FLAG_ORVEL);
    for (uint32_t row = 0; row < 5; ++row)
        EXPECT_EQ(u32(r, 304 + 20 * row), row * 262144u);
    EXPECT_EQ(u32(r, 384), 0x100000u);
    EXPECT_EQ(u32(r, 404), 32768u);
    EXPECT_EQ(u16(r, 408), 5);
    EXPECT_EQ(u16(r, 504), 314);
    EXPECT_EQ(r.b[2266], 90);
    EXPECT_EQ(r.b[2222], 0xFD);
    EXPECT_EQ(r.b[2052], 2);

    EXPECT_EQ(BusLiveValues.modes_display, 2);
    EXPECT_EQ(BusLiveValues.store_count, 3);
    for (const StoreParamEntry& s : BusLiveValues.store)
        EXPECT_EQ(s.value, 0u);
    EXPECT_EQ(BusLiveValues.device_type, 0x00020192u);
    EXPECT_EQ(BusLiveValues.cob_id_sync, 128u);
    EXPECT_EQ(BusLiveValues.ident_count, 3);
    EXPECT_EQ(BusLiveValues.vendor_id, CANOPEN_VENDOR_ID);
}

TEST_F(Defaults, IdentityKeepsWhatTheIdentificationStored)
{
    CanIdentProductCode = 0;
    CanIdentRevision = 0;
    build(0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(CanIdentProductCode, 0u);
    EXPECT_EQ(CanIdentRevision, 0u);

    CanIdentProductCode = DRIVE_TYPE_PELSAN;
    CanIdentRevision = 0x1234;
    build(2, 1, FAMILY_FLAG_PELSAN);
    EXPECT_EQ(CanIdentProductCode, DRIVE_TYPE_PELSAN);
    EXPECT_EQ(CanIdentRevision, 0x1234u);
}

// Every plain-valued field carries its Default column, every byte no field covers is zero, and
// the result does not depend on what the record held before.
TEST_F(Defaults, RecordMatchesTheFieldTable)
{
    const DriveRecord r = build(0, 0, FAMILY_FLAG_ORVEL);
    std::vector<bool> covered(DRIVE_RECORD_SIZE, false);
    for (std::size_t i = 0; i < FieldTableCount; ++i) {
        const FieldRow& row = FieldTable[i];
        const std::size_t size = Field_size(row.type);
        for (std::size_t k = 0; k < size; ++k)
            covered[row.offset + k] = true;
        if (row.def_kind != DefaultKind::Value || size > 4)
            continue;
        uint32_t stored = 0;
        std::memcpy(&stored, r.b + row.offset, size);
        const uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
        EXPECT_EQ(stored, static_cast<uint32_t>(row.def_value) & mask) << "offset " << row.offset;
    }
    for (std::size_t ofs : {20, 21, 2408, 2409})
        covered[ofs] = true;
    for (std::size_t ofs = 0; ofs < DRIVE_RECORD_SIZE; ++ofs) {
        if (!covered[ofs]) {
            EXPECT_EQ(r.b[ofs], 0) << "reserved byte " << ofs;
        }
    }

    DriveRecord other;
    std::memset(other.b, 0x5A, sizeof other.b);
    Init_default_image(other, 0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(std::memcmp(other.b, r.b, DRIVE_RECORD_SIZE), 0);
}

// A routine on its own fills its section only; words with bit defaults keep their other bits.
TEST_F(Defaults, SectionRoutinesOnTheirOwn)
{
    MotorRecord m;
    std::memset(m.b, 0xFF, sizeof m.b);
    Init_motor_defaults(m);
    EXPECT_EQ(Rec_get<uint16_t>(m.b, 10), 0xFFFD);  // motor word: only bit 1 cleared
    EXPECT_EQ(Rec_get<uint32_t>(m.b, 4), 10000u);
    EXPECT_EQ(Rec_get<uint16_t>(m.b, 14), 3000);
    EXPECT_EQ(Rec_get<uint32_t>(m.b, 32), 1024u);
    EXPECT_EQ(Rec_get<uint16_t>(m.b, 48), 80);
    for (std::size_t i = 50; i < 60; ++i)
        EXPECT_EQ(m.b[i], 0xFF) << i;  // reserved tail untouched

    DriveRecord r;
    std::memset(r.b, 0xFF, sizeof r.b);
    Init_pos_table_defaults(r.b + 304);
    EXPECT_EQ(u16(r, 408), 0xFFED);  // low three bits 5, bit 4 cleared
    EXPECT_EQ(u32(r, 344), 0x80000u);
    EXPECT_EQ(r.b[303], 0xFF);
    EXPECT_EQ(r.b[410], 0xFF);

    Init_regulator_defaults(r.b + 180);
    EXPECT_EQ(u16(r, 182), 0xFFFC);
    EXPECT_EQ(u16(r, 184), 0xFFFA);
    EXPECT_EQ(u16(r, 180), 0xFFFF);  // reserved

    Init_bus_setup_defaults(r.b + 94);
    EXPECT_EQ(u16(r, 108), 0xFFF9);
    EXPECT_EQ(u16(r, 102), 1);

    Mdb_defaults(r.b + 464);
    EXPECT_EQ(u16(r, 464), 0xFFFE);
    EXPECT_EQ(u16(r, 504), 314);
    EXPECT_EQ(r.b[871], 0xFF);  // reserved bytes before the cleared tail stay
    for (std::size_t i = 872; i < 1152; ++i)
        ASSERT_EQ(r.b[i], 0) << i;
    EXPECT_EQ(r.b[1152], 0xFF);

    std::memset(r.b + 860, 0xFF, 300);
    Mdb_clear_tail(r.b + 872);
    EXPECT_EQ(r.b[871], 0xFF);
    EXPECT_EQ(r.b[872], 0);
    EXPECT_EQ(r.b[876 + 255], 0);  // last cogging step
    EXPECT_EQ(r.b[1151], 0);
    EXPECT_EQ(r.b[1152], 0xFF);
}

}  // namespace
