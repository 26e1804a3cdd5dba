// Control setting pages: option values and items (the quick stop's map), the first poll a whole
// interval after Create, and the time-out deceleration's lower bound.
#include <QComboBox>
#include <QLineEdit>

#include "controls/FlowPanel.h"
#include "page_fixture.h"
#include "page_units.h"
#include "pages/fieldbus/Option_combo.h"

namespace pagetest {
namespace {

TEST(OptionCombo, ItemsOfValuesAndValuesOfItems)
{
    const char* const items[] = {"a", "b", "c", "d", "e"};
    const ComboSpec spec = {{items, items, items}, 3};
    const ComboSpec five = {{items, items, items}, 5};
    const OptionCombo plain = {"c", "p", 0, &spec};
    const OptionCombo quick = {"c", "p", 0, &five, true};
    const struct {
        const OptionCombo& o;
        int16_t value;
        int index;
    } rows[] = {{plain, 0, 0}, {plain, 2, 2}, {plain, 3, -1}, {plain, -1, -1}, {quick, 1, 1}, {quick, 5, 3},
                {quick, 6, 4}, {quick, 3, 0},  {quick, 4, 0},  {quick, 7, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(Option_index(r.o, r.value), r.index) << r.value;
    const int16_t quick_values[] = {0, 1, 2, 5, 6};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Option_value(quick, i), quick_values[i]);
    EXPECT_EQ(Option_value(plain, 2), 2);
}

class CtrlVarTest : public PagesTest {};

TEST_F(CtrlVarTest, QuickStopWithoutItemShowsTheFirstAndPickingItWritesZero)
{
    connect_drive(2);
    Rec_set<int16_t>(DriveRecordBank[0], 2048, 3);
    sim->clear_log();
    const auto start = SimClock::now();
    Frm_cands402_ctrl_var_create(0, host());
    auto* combo = Frm_cands402_ctrl_var_page().find<QComboBox>(0, "ComboBox_quick_stop_option_code");
    EXPECT_EQ(combo->currentText(), "[0] Disable drive");
    Q_EMIT combo->activated(0);
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x605A).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x605A).back().value_u32(), 0u);
    Q_EMIT combo->activated(3);
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 2048), 5);
    ASSERT_TRUE(pump_until([this] { return writes_of(0x605A).size() >= 2; }, 3000));
    EXPECT_EQ(writes_of(0x605A).back().value_u32(), 5u);
    for (const SimLogEntry& e : sim->requests(30))
        EXPECT_GE(e.start - start, std::chrono::milliseconds(100));
    Frm_cands402_ctrl_var_destroy(0);
}

TEST_F(CtrlVarTest, TimeOutDecelerationRefusesNineAndTakesTen)
{
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    Rec_set<uint32_t>(DriveRecordBank[1], 500, 100);
    Frm_mdb_ctrl_var_create(1, host());
    MemoUpDwxBase* e = Frm_mdb_ctrl_var_page().edit_of(1, 500);
    const struct {
        const char* typed;
        uint32_t stored;
    } rows[] = {{"9", 100}, {"10", 10}};
    for (const auto& r : rows) {
        e->memo()->setFocus();
        e->memo()->clear();
        QTest::keyClicks(e->memo(), r.typed);
        QTest::keyClick(e->memo(), Qt::Key_Return);
        EXPECT_EQ(Rec_get<uint32_t>(DriveRecordBank[1], 500), r.stored) << r.typed;
        boxes.clear();
    }
    Frm_mdb_ctrl_var_destroy(1);
}

// The timer step takes a changed option code and the combo follows.
TEST_F(CtrlVarTest, UpdateStepTakesPolledOptionCodes)
{
    quiet_link(1);
    Rec_set<int16_t>(DriveRecordBank[0], 514, 0);
    Frm_mdb_ctrl_var_create(0, host());
    Rec_set<int16_t>(DriveReadBack, 514, 2);
    poll_and_reply(Frm_mdb_ctrl_var_page());
    Frm_mdb_ctrl_var_update();
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 514), 2);
    EXPECT_EQ(Frm_mdb_ctrl_var_page().find<QComboBox>(0, "ComboBox_modo_halt")->currentIndex(), 2);
    Frm_mdb_ctrl_var_destroy(0);
}

}  // namespace
}  // namespace pagetest

namespace pagetest {
namespace {

// Captions from the dictionary (CiA 402) or the page's text after the tag (Modbus); without a link
// the main window's combos are locked.
TEST_F(CtrlVarTest, CaptionsAndAccessOfTheCombos)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_mdb_ctrl_var_create(0, host());
    EXPECT_EQ(Frm_mdb_ctrl_var_page().find<FlowPanel>(0, "Panel_modo_com_time_out")->caption(), "[0411h] Mode timeout");
    EXPECT_FALSE(Frm_mdb_ctrl_var_page().find<QComboBox>(0, "ComboBox_modo_halt")->isEnabled());
    Frm_mdb_ctrl_var_destroy(0);
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    Frm_cands402_ctrl_var_create(1, host());
    EXPECT_EQ(Frm_cands402_ctrl_var_page().find<FlowPanel>(1, "Panel_halt_option_code")->caption(),
              "[605Dh,0] Halt option code");
    EXPECT_TRUE(Frm_cands402_ctrl_var_page().find<QComboBox>(1, "ComboBox_halt_option_code")->isEnabled());
    Frm_cands402_ctrl_var_destroy(1);
}

}  // namespace
}  // namespace pagetest
