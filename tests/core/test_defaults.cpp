// Factory defaults of the drive record: the field table's Default column, what depends on
// family, size and voltage class, node-id COB-IDs, bit defaults and the live CANopen values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drivedata/Busx.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"
#include "drivedata/Versoftw.h"
#include "drivedata/Frm_output_sizes.h"

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
        Frm_output_build_size_tables();
    }
    void TearDown() override
    {
        CurrentSizeTable = *saved_table_;
        BusLiveValues = saved_live_;
        CanIdentProductCode = saved_product_;
        CanIdentRevision = saved_revision_;
    }

    // The record of a family whose size table is current, built over 0xEE bytes.
    static DriveRecord build(uint8_t size, uint8_t cls, uint8_t family)
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

}  // namespace

// Every plain-valued field carries its Default column, every byte no field covers is zero, the
// marks and check byte are set, and nothing depends on what the record held before.
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
    EXPECT_EQ(r.b[RecOfs::Mark], RECORD_MARK);
    EXPECT_EQ(u16(r, RecOfs::EndMarker), RECORD_END_MARKER);
    EXPECT_EQ(r.b[RecOfs::VersionMajor], ProgramVersion.major);
    EXPECT_EQ(r.b[RecOfs::VersionMinor], ProgramVersion.minor);
    EXPECT_EQ(DataFile_xor(r.b, DRIVE_RECORD_SIZE), 0);

    DriveRecord other;
    std::memset(other.b, 0x5A, sizeof other.b);
    Init_default_image(other, 0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(std::memcmp(other.b, r.b, DRIVE_RECORD_SIZE), 0);
}

// Over-temperature from the size table (row 0 for a size the family has not; field 8 for class 0,
// else 9), voltage limits by family and class, braking limits by class, the class masked to two
// bits.
TEST_F(Defaults, LimitsByFamilySizeAndClass)
{
    const struct {
        uint8_t family;
        uint8_t size;
        uint8_t cls;
        uint16_t overtemp;
        uint16_t voltage[4];
        uint16_t braking[2];
        uint16_t stored_class;
    } rows[] = {
        {FAMILY_FLAG_ORVEL, 0, 0, 650, {80, 5, 15, 5}, {390, 30}, 0},
        {FAMILY_FLAG_ORVEL, 0, 1, 700, {80, 5, 15, 5}, {790, 50}, 1},  // the class does not change the voltage
        {FAMILY_FLAG_ORVEL, 3, 1, 850, {80, 5, 15, 5}, {790, 50}, 1},
        {FAMILY_FLAG_ORVEL, 6, 1, 700, {80, 5, 15, 5}, {790, 50}, 1},  // past the table: row 0
        {FAMILY_FLAG_ORVEL, 7, 0, 650, {80, 5, 15, 5}, {390, 30}, 0},
        {FAMILY_FLAG_ORVEL, 6, 2, 700, {80, 5, 15, 5}, {790, 50}, 2},
        {FAMILY_FLAG_ORVEL, 255, 3, 700, {80, 5, 15, 5}, {790, 50}, 3},
        {FAMILY_FLAG_ORVEL, 0, 7, 700, {80, 5, 15, 5}, {790, 50}, 3},  // masked to 3
        {FAMILY_FLAG_PELSAN, 0, 0, 700, {410, 10, 225, 10}, {390, 30}, 0},
        {FAMILY_FLAG_PELSAN, 0, 1, 700, {825, 10, 450, 10}, {790, 50}, 1},
        {FAMILY_FLAG_PELSAN, 1, 0, 800, {410, 10, 225, 10}, {390, 30}, 0},
        {FAMILY_FLAG_PELSAN, 5, 0, 700, {410, 10, 225, 10}, {390, 30}, 0},  // a first-family size
        {FAMILY_FLAG_PELSAN, 255, 0, 700, {410, 10, 225, 10}, {390, 30}, 0},
        {FAMILY_FLAG_PELSAN, 0, 2, 700, {825, 10, 450, 10}, {790, 50}, 2},
        {FAMILY_FLAG_PELSAN, 0, 4, 700, {410, 10, 225, 10}, {390, 30}, 0},  // masked to 0
    };
    for (const auto& w : rows) {
        const DriveRecord r = build(w.size, w.cls, w.family);
        const std::string at = std::to_string(w.family) + "/" + std::to_string(w.size) + "/" + std::to_string(w.cls);
        EXPECT_EQ(r.b[RecOfs::SizeIndex], w.size) << at;
        EXPECT_EQ(u16(r, 48), w.overtemp) << at;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(u16(r, 38 + 2 * i), w.voltage[i]) << at << " voltage word " << i;
        EXPECT_EQ(u16(r, 60), w.braking[0]) << at;
        EXPECT_EQ(u16(r, 62), w.braking[1]) << at;
        EXPECT_EQ(u16(r, RecOfs::VoltageClass), w.stored_class) << at;
    }
    EXPECT_EQ(Init_overtemp_limit(DriveSizeTable{nullptr, nullptr, 0}, 0, 0), 0);
}

TEST_F(Defaults, CobIdsAddTheNodeIdAndTheLiveValuesAreReset)
{
    DriveRecord r = build(0, 0, FAMILY_FLAG_ORVEL);
    const struct {
        uint16_t ofs;
        uint32_t base;
    } cob_ids[] = {{1580, 0x80},  {1584, 0x600}, {1588, 0x580}, {1596, 0x200}, {1604, 0x300}, {1612, 0x400},
                   {1620, 0x500}, {1772, 0x180}, {1788, 0x280}, {1804, 0x380}, {1820, 0x480}};
    for (uint8_t node : {uint8_t{5}, uint8_t{200}}) {  // a node id outside 1..127 is used as given
        Canopen_ds301_defaults(r.b + 1536, node);
        for (const auto& c : cob_ids)
            EXPECT_EQ(u32(r, c.ofs), c.base + node) << c.ofs;
    }

    // The live objects follow the record (modes of operation) and keep the stored identity.
    BusLiveValues.store_count = 0;
    for (StoreParamEntry& s : BusLiveValues.store)
        s.value = 99;
    BusLiveValues.modes_display = 0;
    CanIdentProductCode = 0xC0458;
    CanIdentRevision = 0x1234;
    r = build(0, 0, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(BusLiveValues.modes_display, static_cast<int8_t>(r.b[2052]));
    EXPECT_EQ(BusLiveValues.store_count, 3);
    for (const StoreParamEntry& s : BusLiveValues.store)
        EXPECT_EQ(s.value, 0u);
    EXPECT_EQ(BusLiveValues.device_type, CANOPEN_DEVICE_TYPE);
    EXPECT_EQ(BusLiveValues.cob_id_sync, CANOPEN_SYNC_COB_ID);
    EXPECT_EQ(BusLiveValues.ident_count, 3);
    EXPECT_EQ(BusLiveValues.vendor_id, CANOPEN_VENDOR_ID);
    EXPECT_EQ(CanIdentProductCode, 0xC0458u);
    EXPECT_EQ(CanIdentRevision, 0x1234u);
}

// A routine on its own fills its section only; words with bit defaults keep their other bits.
TEST_F(Defaults, SectionRoutinesOnTheirOwn)
{
    MotorRecord m;
    std::memset(m.b, 0xFF, sizeof m.b);
    Init_motor_defaults(m);
    EXPECT_EQ(Rec_get<uint16_t>(m.b, 10), 0xFFFD);  // motor word: only bit 1 cleared
    EXPECT_EQ(Rec_get<uint32_t>(m.b, 4), 10000u);
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

    std::memset(r.b + 1536, 0x77, 1980 - 1536);
    Canopen_pdo_defaults(r.b + 1536);
    EXPECT_EQ(u32(r, 1628), 0x60400010u);  // first receive mapping entry
    EXPECT_EQ(u32(r, 1640), 0u);           // unused entries cleared
    EXPECT_EQ(r.b[1660], 3);               // entry count
    EXPECT_EQ(r.b[1771], 0x77);            // padding after a count
    EXPECT_EQ(u32(r, 1772), 0x77777777u);  // communication parameters are not the mappings'
}
