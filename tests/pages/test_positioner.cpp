// Positioner pages: the CiA 402 profile map, the rounding bit, the tab lists, the measured
// position's key pair and caption, and the read-back rule against fields the page does not poll.
#include <QComboBox>
#include <QTabWidget>

#include "fieldbus_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class PositionerTest : public FieldbusTest {};

TEST_F(PositionerTest, CanopenProfileShowsItsItemAndWritesItsValue)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    ParamPage& page = Frm_cands402_position_page();
    Frm_cands402_position_create(0, host());
    auto* combo = find<QComboBox>(page, "ComboBox_pos_type_profilo");
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "[-1] Linear ramp(limit)");
    // Values other than -1, 0 and 3 show item 0.
    for (const auto& [value, item] : {std::pair<int16_t, int>{-1, 0}, {0, 1}, {3, 2}, {1, 0}, {7, 0}}) {
        Rec_set<int16_t>(DriveRecordBank[0], 2128, value);
        Frm_cands402_position_refresh(0);
        EXPECT_EQ(combo->currentIndex(), item) << value;
    }
    for (const auto& [item, value] : {std::pair<int, int16_t>{0, -1}, {1, 0}, {2, 3}}) {
        Q_EMIT combo->activated(item);
        EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 2128), value) << item;
    }
    Frm_cands402_position_destroy(0);
}

TEST_F(PositionerTest, RoundingByTimeSetsItsBitAndWritesTheWholeFlags)
{
    connect_drive(1);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0012);
    Rec_set<uint16_t>(DriveRecordBank[0], 668, 2);  // no item
    ParamPage& page = Frm_mdb_pos_page();
    Frm_mdb_pos_create(0, host());
    EXPECT_EQ(find<QComboBox>(page, "ComboBox_pos_type_profilo")->currentIndex(), -1);
    EXPECT_EQ(find<QComboBox>(page, "ComboBox_pos_type_profilo")->itemText(1), "[1] Profile Trap.-Continuos");
    EXPECT_EQ(text(page, "Panel_rounding_mode"), "[0600h] Mode rounding");
    EXPECT_EQ(text(page, "Panel_flgx_pos_jerk_time"), "0012h");
    auto* rounding = find<QComboBox>(page, "ComboBox_pos_jerk_time");
    EXPECT_EQ(rounding->currentText(), "Jerk");
    Q_EMIT rounding->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 670), 0x001A);
    EXPECT_EQ(text(page, "Panel_flgx_pos_jerk_time"), "001Ah");
    ASSERT_TRUE(pump_until([&] { return writes_of(0x0600).size() == 1; }, 2000));
    EXPECT_EQ(writes_of(0x0600)[0].value_u32(), 0x001Au);
    EXPECT_TRUE(writes_of(0x0611).empty());
    // The measured position is polled and captioned by its 061Ch/061Dh pair.
    EXPECT_EQ(text(page, "Panel_mdb_pos_mis_str"), "[061Ch,061Dh] Pos. actual value");
    Frm_mdb_pos_destroy(0);
    EXPECT_TRUE(boxes.empty());
}

// In the archive the Modbus pages show no live value, the CiA 402 pages the connected drive's
// record values as they stand at Refresh.
TEST_F(PositionerTest, ArchiveShowsNoModbusPositionButTheDrivesCanopenValues)
{
    struct Row {
        ParamPage& (*page)();
        uint16_t bus;
        const char* label;
        const char* shown;
    };
    const Row rows[] = {
        {Frm_mdb_pos_page, 1, "Panel_mdb_pos_mis_dat", "-----"},
        {Frm_mdb_pos_in1_tac_page, 1, "Panel_mdb_pos_mis_dat", "-----"},
        {Frm_mdb_gearbox_page, 1, "Panel_grbx_enc_master_dat", "-----"},
        {Frm_cands402_gearbox_page, 2, "Panel_grbx_enc_master_dat", "-----"},
        {Frm_cands402_gearbox_page, 2, "Panel_pos_mis_dat", "1234"},
        {Frm_cands402_position_page, 2, "Panel_pos_mis_dat", "1234"},
        {Frm_cands402_pos_crtl_page, 2, "Panel_pos_error_dat", "-56"},
        {Frm_cands402_pos_in1_tac_page, 2, "Panel_pos_mis_dat", "1234"},
        {Frm_cands402_homing_page, 2, "Panel_pos_mis_dat", "1234"},
    };
    Rec_set<int32_t>(DriveRecordBank[0], 2064, 1234);
    Rec_set<int32_t>(DriveRecordBank[0], 2224, -56);
    Rec_set<int32_t>(DriveRecordBank[1], 2064, 99);
    Rec_set<int32_t>(DriveRecordBank[1], 2224, 99);
    PageContext = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.label);
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, r.bus);
        r.page().create(1, host());
        EXPECT_EQ(text(r.page(), r.label, 1), r.shown);
        r.page().destroy(1);
    }
}

// The tab shown picks the list; back on "Position" the edits show the record at once.
TEST_F(PositionerTest, TabsPickTheirListsAndTheEditsAreShownAgain)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    ParamPage& page = Frm_cands402_position_page();
    Frm_cands402_position_create(0, host());
    auto* tabs = find<QTabWidget>(page, "PageControl_pos_control");
    uint16_t n = 0;
    ASSERT_NE(page.next_list(&n), nullptr);
    EXPECT_EQ(n, 10);
    EXPECT_EQ(tabs->tabText(1), "Data");
    tabs->setCurrentIndex(1);
    const PollItem* b = page.next_list(&n);
    ASSERT_EQ(n, 5);
    EXPECT_EQ(b[0].key, 0x6062);
    Rec_set<int32_t>(DriveRecordBank[0], 2100, 4321);
    tabs->setCurrentIndex(0);
    EXPECT_EQ(page.edit_of(0, 2100)->memo()->text(), "4321");
    Frm_cands402_position_destroy(0);
}

// Fields outside the list polled now keep what the page holds.
TEST_F(PositionerTest, ReadBackOfUnpolledFieldsIsNotCopied)
{
    copy_on(1);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0008);
    ParamPage& mdb = Frm_mdb_pos_page();
    Frm_mdb_pos_create(0, host());
    reply(mdb, [] { Rec_set<uint16_t>(DriveReadBack, 670, 0x0000); });
    reply(mdb, [] {});
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 670), 0x0008);
    EXPECT_EQ(find<QComboBox>(mdb, "ComboBox_pos_jerk_time")->currentText(), "Time");
    Frm_mdb_pos_destroy(0);

    copy_on(2);
    Rec_set<int32_t>(DriveRecordBank[0], 2100, 100);
    ParamPage& can = Frm_cands402_position_page();
    Frm_cands402_position_create(0, host());
    auto* tabs = find<QTabWidget>(can, "PageControl_pos_control");
    tabs->setCurrentIndex(1);
    reply(can, [] { Rec_set<int32_t>(DriveReadBack, 2100, 50); });
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 2100), 100);
    tabs->setCurrentIndex(0);
    // The reply to the "Data" list does not count for the "Position" list.
    can.tick();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 2100), 100);
    reply(can, [] { Rec_set<int32_t>(DriveReadBack, 2100, 200); });
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 2100), 200);
    EXPECT_EQ(can.edit_of(0, 2100)->memo()->text(), "200");
    Frm_cands402_position_destroy(0);
}

}  // namespace
}  // namespace pagetest
