#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "drivedata/Busx.h"
#include "drivedata/Fieldtab.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"
#include "platform/Msgbox.h"

namespace {

void sort_all_tables()
{
    Sortdat_sort(PrtDat, PRT_DAT_COUNT);
    Sortdat_sort(MdbDat, MDB_DAT_COUNT);
    Sortdat_sort(CanDat, CAN_DAT_COUNT);
}

void set_bus_type(uint16_t bus_type, uint8_t slot = 0)
{
    Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, bus_type);
}

std::vector<BusObjectTable> all_tables()
{
    return {BusObjectTables.common, BusObjectTables.modbus, BusObjectTables.canopen};
}

// Entries of one dictionary with this key.
std::vector<const BusObjectEntry*> by_key(const BusObjectTable& t, uint16_t index, int sub = -1)
{
    std::vector<const BusObjectEntry*> out;
    for (uint16_t i = 0; i < t.count; ++i)
        if (t.entries[i].index == index && (sub < 0 || t.entries[i].subindex == sub))
            out.push_back(&t.entries[i]);
    return out;
}

const BusObjectEntry& one(const BusObjectTable& t, uint16_t index, int sub = 0)
{
    auto v = by_key(t, index, sub);
    EXPECT_EQ(v.size(), 1u) << std::hex << index << "." << sub;
    static const BusObjectEntry none{};
    return v.empty() ? none : *v.front();
}

// Captures every message box; restores the previous sink afterwards.
class DictTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sort_all_tables();
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            return MsgOk;
        });
        saved_bus_type_ = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType);
        saved_bus_type1_ = Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::BusType);
        LanguageIndex = 0;
    }
    void TearDown() override
    {
        Msgbox_set_sink(std::move(old_sink_));
        set_bus_type(saved_bus_type_);
        set_bus_type(saved_bus_type1_, 1);
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const auto& b : boxes)
            out.push_back(b.text);
        return out;
    }

    std::vector<MsgRequest> boxes;

private:
    MsgSink old_sink_;
    uint16_t saved_bus_type_ = 0;
    uint16_t saved_bus_type1_ = 0;
};

// ---------------------------------------------------------------- field table

// Layout (438 rows, disjoint, inside their sections) is checked with the record layout tests.
TEST(FieldTableColumns, EveryRowHasThreeCaptionsAndConsistentKeys)
{
    ASSERT_EQ(FieldTableCount, 438u);
    std::size_t translated = 0;
    for (std::size_t i = 0; i < FieldTableCount; ++i) {
        const FieldRow& r = FieldTable[i];
        for (const char* c : r.caption) {
            ASSERT_NE(c, nullptr) << r.offset;
            EXPECT_GT(std::strlen(c), 0u) << r.offset;
        }
        translated += std::strcmp(r.caption[0], r.caption[1]) != 0 || std::strcmp(r.caption[2], r.caption[1]) != 0;
        EXPECT_LE(r.min, r.max) << r.offset;
        EXPECT_TRUE(r.common >= 0 || r.modbus >= 0 || r.canopen >= 0) << r.offset;
        EXPECT_EQ(r.modbus2 >= 0, r.modbus >= 0 && Field_size(r.type) == 4) << r.offset;
        if (r.modbus2 >= 0) {
            EXPECT_EQ(r.modbus2, r.modbus + 1) << r.offset;
        }
    }
    EXPECT_GT(translated, FieldTableCount * 3 / 4);
}

// ---------------------------------------------------------------- tables

TEST_F(DictTest, TablesAreSortedByVariableWithUniqueKeys)
{
    for (const BusObjectTable& t : all_tables()) {
        std::set<std::pair<uint16_t, uint8_t>> keys;
        for (uint16_t i = 0; i < t.count; ++i) {
            EXPECT_TRUE(keys.insert({t.entries[i].index, t.entries[i].subindex}).second)
                << std::hex << t.entries[i].index << "." << int(t.entries[i].subindex);
            if (i > 0) {
                EXPECT_LE(t.entries[i - 1].var, t.entries[i].var);
            }
        }
    }
}

TEST(Sortdat, MatchesStableSortByLocation)
{
    std::mt19937 rng(7);
    for (int count : {0, 1, 2, 3, 5, 7, 8, 9, 16, 17, 29, 31, 33, 64, 100, 285, 325}) {
        for (int round = 0; round < 4; ++round) {
            std::vector<BusObjectEntry> v(count);
            for (int i = 0; i < count; ++i) {
                v[i] = BusObjectEntry{};
                v[i].index = static_cast<uint16_t>(i);  // identity, to check stability
                v[i].var = {static_cast<Area>(rng() % 3 == 0 ? uint8_t(Area::Live) : uint8_t(Area::Slot0)),
                            static_cast<uint16_t>(rng() % (round == 0 ? 4 : 2412))};
            }
            std::vector<BusObjectEntry> want = v;
            std::stable_sort(want.begin(), want.end(),
                             [](const BusObjectEntry& a, const BusObjectEntry& b) { return a.var < b.var; });
            Sortdat_sort(v.data(), static_cast<uint16_t>(count));
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(v[i].index, want[i].index) << "count " << count << " at " << i;
        }
    }
    Sortdat_sort(nullptr, 5);  // no table: nothing happens
}

TEST_F(DictTest, EveryEntryResolvesBackToItself)
{
    const std::pair<BusObjectTable, uint16_t> cases[] = {
        {BusObjectTables.common, 1}, {BusObjectTables.modbus, 1}, {BusObjectTables.canopen, 2}};
    for (const auto& [t, bus_type] : cases) {
        for (uint16_t i = 0; i < t.count; ++i) {
            const BusObjectEntry& e = t.entries[i];
            const BusLookup r = Busx_find(bus_type, e.var);
            ASSERT_TRUE(r.found()) << std::hex << e.index;
            EXPECT_EQ(r.table, t.entries);
            EXPECT_EQ(r.entry()->var, e.var);
            const auto same = std::count_if(t.entries, t.entries + t.count,
                                            [&](const BusObjectEntry& o) { return o.var == e.var; });
            if (same == 1) {
                EXPECT_EQ(r.entry(), &e);
            }
            ASSERT_NE(Loc_ptr(e.var), nullptr) << std::hex << e.index;
        }
    }
    EXPECT_TRUE(boxes.empty());  // Busx_find is silent
}

// ---------------------------------------------------------------- flags

TEST_F(DictTest, AttributeBitsFollowTheLists)
{
    int bit3_clear = 0, bit2 = 0, bit1 = 0;
    std::vector<std::string> bit0, bit4_clear;
    for (const BusObjectTable& t : all_tables()) {
        for (uint16_t i = 0; i < t.count; ++i) {
            const uint16_t f = t.entries[i].flags;
            bit3_clear += (f & 0x08) == 0;
            bit2 += (f & 0x04) != 0;
            bit1 += (f & 0x02) != 0;
            char key[16];
            std::snprintf(key, sizeof key, "%04X", t.entries[i].index);
            if (f & 0x01)
                bit0.push_back(key);
            if ((f & 0x10) == 0)
                bit4_clear.push_back(key);
            EXPECT_EQ(f & 0xE000, 0);
        }
    }
    EXPECT_EQ(bit3_clear, 92);
    EXPECT_EQ(bit2, 58);
    EXPECT_EQ(bit1, 160);
    EXPECT_EQ(bit0, (std::vector<std::string>{"0004", "1008", "100A"}));
    EXPECT_EQ(bit4_clear, std::vector<std::string>{"6060"});
    // Modbus entries carry only bits 4 and 3.
    for (uint16_t i = 0; i < MDB_DAT_COUNT; ++i)
        EXPECT_EQ(MdbDat[i].flags & 0x07, 0);
}

// Representative entries: flags packed from size, pair, level, sign and the attribute lists;
// types, the second register of a pair, levels, units and captions per profile.
TEST_F(DictTest, EntriesPackTheirSourceRows)
{
    const BusObjectTable& mb = BusObjectTables.modbus;
    const BusObjectTable& co = BusObjectTables.canopen;
    const struct {
        const BusObjectTable* t;
        uint16_t index;
        uint8_t sub;
        uint16_t flags;
    } rows[] = {
        {&mb, 0x0202, 0, 0x0058}, {&mb, 0x0302, 0, 0x0050}, {&mb, 0x0902, 0, 0x0158}, {&mb, 0x0903, 0, 0x0258},
        {&mb, 0x0120, 0, 0x0858}, {&mb, 0x0167, 0, 0x1158}, {&co, 0x1200, 1, 0x009A}, {&co, 0x1003, 0, 0x003A},
        {&co, 0x1200, 0, 0x0032}, {&co, 0x6060, 0, 0x102C}, {&mb, 0x0162, 0, 0x0058}, {&co, 0x2004, 0, 0x0858},
    };
    for (const auto& r : rows)
        EXPECT_EQ(one(*r.t, r.index, r.sub).flags, r.flags) << std::hex << r.index << "." << int(r.sub);

    const BusObjectEntry& alarm = one(BusObjectTables.common, 0x0004);
    EXPECT_EQ(alarm.type, BusEntryType::Block);
    EXPECT_EQ(BusFlag_size(alarm.flags), 0);
    EXPECT_EQ(one(co, 0x100A).type, BusEntryType::Text);
    EXPECT_EQ(one(co, 0x100A).var, LiveLoc::SwVersion);

    // Pair 2 points 2 bytes into the field; both registers share range and captions.
    const BusObjectEntry& p1 = one(mb, 0x0165);
    const BusObjectEntry& p2 = one(mb, 0x0166);
    EXPECT_EQ(p1.var, RecLoc(124));
    EXPECT_EQ(p2.var, RecLoc(126));
    EXPECT_EQ(p2.maximum, p1.maximum);
    EXPECT_STREQ(p2.caption[1], "Pole pitch");
    EXPECT_EQ(static_cast<int32_t>(one(mb, 0x0512).minimum), -1000);  // signed limits as bit patterns

    // Units: dropped on CANopen where the table says so; a linear unit only where it differs.
    EXPECT_STREQ(one(mb, 0x020A).unit, "ms");
    EXPECT_EQ(one(co, 0x203A).unit, nullptr);
    EXPECT_STREQ(one(mb, 0x0152).unit_linear, "mm/s");
    EXPECT_EQ(one(mb, 0x0153).unit_linear, nullptr);
    // Plain descriptions are no captions; named rows carry all three languages.
    EXPECT_EQ(one(mb, 0x0150).caption[1], nullptr);
    EXPECT_STREQ(one(co, 0x2046).caption[1], "Braking resistor");
    EXPECT_NE(std::string(one(co, 0x2046).caption[0]), "Braking resistor");
}

// ---------------------------------------------------------------- lookup

// Which dictionary a location is looked up in (the common ranges first, then by bus type; slot
// 1 counts as slot 0) and what is found there (key, or -1 for none).
TEST_F(DictTest, LookupByBusTypeAndCommonRanges)
{
    const struct {
        uint16_t bus;
        Loc loc;
        const BusObjectEntry* table;
        uint8_t kind;
        int key;
    } rows[] = {
        {0, RecLoc(54), MdbDat, BusKind::Modbus, 0x0120},       {1, SlotLoc(1, 54), MdbDat, BusKind::Modbus, 0x0120},
        {2, RecLoc(54), CanDat, BusKind::Canopen, 0x2046},      {2, SlotLoc(1, 54), CanDat, BusKind::Canopen, 0x2046},
        {3, RecLoc(54), nullptr, 0, -1},                        {3, RecLoc(110), PrtDat, BusKind::Common, 0x0048},
        {1, RecLoc(53), PrtDat, BusKind::Common, -1},           {1, RecLoc(63), MdbDat, BusKind::Modbus, -1},
        {1, RecLoc(64), PrtDat, BusKind::Common, 0x0032},       {1, RecLoc(66), PrtDat, BusKind::Common, -1},
        {2, RecLoc(119), PrtDat, BusKind::Common, -1},          {2, RecLoc(120), CanDat, BusKind::Canopen, 0x2044},
        {1, SlotLoc(2, 54), MdbDat, BusKind::Modbus, -1},       {1, SlotLoc(3, 54), MdbDat, BusKind::Modbus, -1},
        {1, Loc{Area::ReadBack, 54}, MdbDat, BusKind::Modbus, -1}, {1, Loc{Area::Rx, 110}, MdbDat, BusKind::Modbus, -1},
    };
    for (const auto& r : rows) {
        const BusLookup l = Busx_find(r.bus, r.loc);
        const std::string at = std::to_string(r.bus) + " " + std::to_string(int(r.loc.area)) + ":" + std::to_string(r.loc.ofs);
        EXPECT_EQ(l.table, r.table) << at;
        if (r.table != nullptr) {
            EXPECT_EQ(l.kind, r.kind) << at;
        }
        EXPECT_EQ(l.found() ? l.entry()->index : -1, r.key) << at;
    }
    EXPECT_EQ(Busx_find(3, RecLoc(54)).count, 0);
    EXPECT_EQ(Busx_in_common_range(RecLoc(119)), 1);
    EXPECT_EQ(Busx_in_common_range(RecLoc(120)), 0);
    EXPECT_TRUE(boxes.empty());
    const uint16_t classes[][2] = {{0, 1}, {1, 1}, {2, 2}, {3, 0}, {0xFFFF, 0}};
    for (const auto& c : classes)
        EXPECT_EQ(Busx_bus_class(c[0]), c[1]) << c[0];
}

TEST_F(DictTest, BinarySearchEdges)
{
    BusObjectEntry single{};
    single.var = RecLoc(100);
    EXPECT_EQ(Busx_bsearch(RecLoc(100), &single, 1), 0);
    for (Loc miss : {RecLoc(99), RecLoc(101), LiveLoc::Current})
        EXPECT_EQ(Busx_bsearch(miss, &single, 1), -1);
    EXPECT_EQ(Busx_bsearch(RecLoc(100), &single, 0), -1);
    EXPECT_EQ(Busx_bsearch(RecLoc(100), nullptr, 3), -1);
    // Keys between, below and above the entries of a real table.
    EXPECT_EQ(Busx_bsearch(RecLoc(55), MdbDat, MDB_DAT_COUNT), -1);
    EXPECT_EQ(Busx_bsearch(RecLoc(0), MdbDat, MDB_DAT_COUNT), -1);
    EXPECT_EQ(Busx_bsearch({Area::IdentRevisionReadBack, 0}, CanDat, CAN_DAT_COUNT), -1);
}

// The finders that complain: one error box per miss, with the texts the user sees.
TEST_F(DictTest, FindWithMessages)
{
    set_bus_type(2, 1);
    const BusLookup a = Busx_find_slot(SlotLoc(1, 1596), 1);
    ASSERT_TRUE(a.found());
    EXPECT_EQ(a.entry()->index, 0x1400);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Busx_find_bus(RecLoc(1596), 1).table, nullptr);  // no such Modbus register
    EXPECT_FALSE(Busx_find_slot(RecLoc(54), 7).found());      // no such slot
    ASSERT_EQ(boxes.size(), 2u);
    for (const MsgRequest& b : boxes) {
        EXPECT_EQ(b.text, "2 INDEX NOT EXIST!");
        EXPECT_EQ(b.title, "Attenzione");
        EXPECT_EQ(b.icon, MsgIcon::Error);
        EXPECT_EQ(b.buttons, unsigned(MsgOk));
    }

    boxes.clear();
    set_bus_type(1);
    uint8_t kind = 9;
    uint16_t flags = 0xFFFF;
    EXPECT_EQ(get_bus_ob_flg(RecLoc(54), &kind, &flags), 1);
    EXPECT_EQ(kind, BusKind::Modbus);
    EXPECT_EQ(flags, 0x0858);
    EXPECT_EQ(get_bus_ob_flg(RecLoc(2000), &kind, &flags), 0);  // CANopen-only field: unchanged
    EXPECT_EQ(kind, BusKind::Modbus);
    EXPECT_EQ(flags, 0x0858);
    EXPECT_EQ(texts(), std::vector<std::string>{"get_bus_ob_flg: INDEX PAR Not EXIST!"});
}

// ---------------------------------------------------------------- write descriptors

// Key, subindex, bits (kind | size << 3 | pair 0x40) and value bytes as stored.
TEST_F(DictTest, WriteDescriptors)
{
    Rec_set<uint32_t>(DriveRecordBank[0], 124, 10000);
    Rec_set<uint16_t>(DriveRecordBank[0], 94, 0x1234);
    Rec_set<uint32_t>(DriveRecordBank[0], 1596, 0x201);
    DriveRecordBank[0].b[1600] = 7;
    BusCtrlWord.mdb_ctrl = 0x000F;
    using V = std::vector<uint8_t>;
    const struct {
        uint16_t bus;
        Loc loc;
        uint16_t key;
        uint8_t sub;
        uint8_t bits;
        V value;
    } rows[] = {
        {1, RecLoc(124), 0x0165, 0, 0x51, {0x10, 0x27, 0, 0}},        // first register of a pair
        {1, RecLoc(126), 0x0166, 0, 0x11, {0, 0, 0, 0}},              // the second alone
        {1, RecLoc(94), 0x0040, 0, 0x10, {0x34, 0x12, 0, 0}},         // common: kind 0
        {2, RecLoc(94), 0x0040, 0, 0x10, {0x34, 0x12, 0, 0}},
        {1, LiveLoc::MdbCtrlWord, 0x0300, 0, 0x11, {0x0F, 0, 0, 0}},
        {2, RecLoc(1596), 0x1400, 1, 0x22, {0x01, 0x02, 0, 0}},
        {2, RecLoc(1600), 0x1400, 2, 0x0A, {7, 0, 0, 0}},             // u8: one byte
    };
    for (const auto& r : rows) {
        set_bus_type(r.bus);
        BusWriteItem w;
        std::memset(&w, 0xEE, sizeof w);
        ASSERT_EQ(Busx_make_request(r.loc, &w), 1) << std::hex << r.key;
        EXPECT_EQ(w.key, r.key);
        EXPECT_EQ(w.subindex, r.sub) << std::hex << r.key;
        EXPECT_EQ(w.bits, r.bits) << std::hex << r.key;
        EXPECT_EQ(V(w.value, w.value + 4), r.value) << std::hex << r.key;
    }
    EXPECT_TRUE(boxes.empty());

    // No entry: nothing built, one message each.
    BusWriteItem w;
    std::memset(&w, 0xAB, sizeof w);
    const BusWriteItem before = w;
    set_bus_type(1);
    EXPECT_EQ(Busx_make_request(RecLoc(2000), &w), 0);  // CANopen-only field on Modbus
    set_bus_type(3);
    EXPECT_EQ(Busx_make_request(RecLoc(124), &w), 0);
    EXPECT_EQ(Busx_make_request(SlotLoc(2, 94), &w), 0);
    EXPECT_EQ(Busx_make_request({Area::ReadBack, 94}, &w), 0);
    EXPECT_EQ(0, std::memcmp(&w, &before, sizeof w));
    EXPECT_EQ(texts(), std::vector<std::string>(4, "1 INDEX NOT EXIST!"));
    EXPECT_EQ(boxes[0].title, "Attenzione");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Error);
}

TEST_F(DictTest, PollListFillsFoundItemsAndKeepsMissingOnes)
{
    set_bus_type(2);
    PollItem items[4] = {
        {0, 0, RecLoc(1596), Loc_readback(RecLoc(1596)), 0},
        {0xAAAA, 0x55, RecLoc(592), Loc_readback(RecLoc(592)), 0x1234},  // Modbus-only field
        {0, 0, LiveLoc::ModesDisplay, Loc_readback(LiveLoc::ModesDisplay), 0},
        {0xBBBB, 0x66, RecLoc(3000), {Area::ReadBack, 3000}, 0x4321},  // outside the record
    };
    Busx_fill_poll_list(items, 4);
    EXPECT_EQ(items[0].key, 0x1400);
    EXPECT_EQ(items[0].subindex, 1);
    EXPECT_EQ(items[0].flags, 0x009A);
    EXPECT_EQ(items[2].key, 0x6061);
    EXPECT_EQ(BusFlag_size(items[2].flags), 1);
    EXPECT_EQ(items[1].key, 0xAAAA);
    EXPECT_EQ(items[1].subindex, 0x55);
    EXPECT_EQ(items[1].flags, 0x1234);
    EXPECT_EQ(items[3].key, 0xBBBB);
    EXPECT_EQ(items[3].flags, 0x4321);
    EXPECT_EQ(texts(), (std::vector<std::string>{"2 INDEX NOT EXIST!", "2 INDEX NOT EXIST!"}));
    Busx_fill_poll_list(nullptr, 3);  // no list: nothing happens
    EXPECT_EQ(boxes.size(), 2u);
}

// ---------------------------------------------------------------- edit rule

// The edit rule's tests in their order: entry, link ready, field-bus lock, access level.
TEST(EditRule, FollowsTheOrderOfItsTests)
{
    const uint16_t L1 = 1u << BusFlag::LevelShift;
    const uint16_t L2 = 2u << BusFlag::LevelShift;
    const uint16_t L3 = 3u << BusFlag::LevelShift;
    const uint8_t FB = UiFlag::FieldBus;
    using D = EditDecision;
    const struct {
        bool found;
        uint8_t kind;
        uint16_t flags;
        uint16_t access;
        uint8_t ui;
        EditDecision want;
    } rows[] = {
        {false, BusKind::Common, 0, 0x0F, 0, D::NoEntry},
        {true, BusKind::Common, 0, 0x0E, 0, D::LinkNotReady},
        {true, BusKind::Canopen, L2, 0x03, FB, D::FieldBusLock},
        {true, BusKind::Modbus, 0x0058, 0x01, FB, D::FieldBusLock},
        {true, BusKind::Modbus, 0x0058, 0x09, FB, D::Editable},  // remote access
        {true, BusKind::Common, L2, 0x03, FB, D::LevelLock},     // common entries ignore the lock
        {true, BusKind::Common, L1, 0x03, 0, D::Editable},
        {true, BusKind::Common, L1, 0x07, 0, D::LevelLock},
        {true, BusKind::Common, L2, 0x01, 0, D::Editable},
        {true, BusKind::Canopen, 0x0858, 0x01, 0, D::Editable},
        {true, BusKind::Modbus, L3, 0x0B, FB, D::LevelLock},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Busx_edit_decision(r.found, r.kind, r.flags, r.access, r.ui), r.want)
            << int(r.kind) << " " << std::hex << r.flags << " " << r.access << " " << int(r.ui);
        EXPECT_EQ(Busx_is_editable(r.found, r.kind, r.flags, r.access, r.ui), r.want == D::Editable);
    }
}

// ---------------------------------------------------------------- locations

TEST_F(DictTest, LocationsResolveInsideTheirAreas)
{
    EXPECT_EQ(Loc_ptr(RecLoc(0)), DriveRecordBank[0].b);
    EXPECT_EQ(Loc_ptr(SlotLoc(3, 2411)), DriveRecordBank[3].b + 2411);
    EXPECT_EQ(Loc_ptr(RecLoc(2412)), nullptr);
    EXPECT_EQ(Loc_ptr_n(RecLoc(2410), 2), DriveRecordBank[0].b + 2410);
    EXPECT_EQ(Loc_ptr_n(RecLoc(2410), 4), nullptr);
    EXPECT_EQ(Loc_ptr({Area::Tx, 5}), DriveRecordTx.b + 5);
    EXPECT_EQ(Loc_ptr(LiveLoc::MdbStatusWord), reinterpret_cast<uint8_t*>(&BusCtrlWord.mdb_status));
    EXPECT_EQ(Loc_ptr(LiveLoc::DeviceName), reinterpret_cast<uint8_t*>(DriveNameText));
    EXPECT_EQ(Loc_ptr_n(LiveLoc::DeviceName, 33), nullptr);
    EXPECT_EQ(Loc_ptr(Loc{Area::Live, static_cast<uint16_t>(sizeof(BusLiveBlock))}), nullptr);
    EXPECT_EQ(Loc_ptr(Loc{static_cast<Area>(200), 0}), nullptr);

    EXPECT_EQ(Loc_readback(RecLoc(54)), (Loc{Area::ReadBack, 54}));
    EXPECT_EQ(Loc_ptr(Loc_readback(LiveLoc::MeasuredSpeed)),
              reinterpret_cast<uint8_t*>(&BusLiveReadBack.measured_speed));
    EXPECT_EQ(Loc_ptr(Loc_readback(LiveLoc::Revision)), reinterpret_cast<uint8_t*>(&CanIdentRevisionReadBack));
    EXPECT_EQ(Loc_readback(SlotLoc(2, 5)), SlotLoc(2, 5));
    EXPECT_LT(RecLoc(2411), LiveLoc::MdbCtrlWord);  // record fields come before live values
}

}  // namespace
