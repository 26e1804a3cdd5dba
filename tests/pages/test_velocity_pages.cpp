// CiA 402 velocity pages: the dimension factor's excluded zero, the target's range, the
// velocity-error word taken whole, and the actual velocity in every list.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class VelocityPagesTest : public PagesTest {
protected:
    static void type_into(MemoUpDwxBase* e, const char* text)
    {
        e->memo()->setFocus();
        e->memo()->clear();
        QTest::keyClicks(e->memo(), text);
        QTest::keyClick(e->memo(), Qt::Key_Return);
    }
};

TEST_F(VelocityPagesTest, ZeroDimensionFactorIsRefusedAndNeverSent)
{
    connect_drive(2);
    EditStateFlags = 0xFF;
    Rec_set<int32_t>(DriveRecordBank[0], 2244, 7);
    Frm_cands402_velocity_mode_create(0, host());
    Frm_cands402_velocity_mode_page().find<QTabWidget>(0, "PageControl_prf_vel_control")->setCurrentIndex(1);
    MemoUpDwxBase* den = Frm_cands402_velocity_mode_page().edit_of(0, 2244);
    den->memo()->setEnabled(true);
    type_into(den, "0");
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front().text, "Zero excluded");
    boxes.clear();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 2244), 7);
    type_into(den, "-1");
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 2244), -1);
    ASSERT_TRUE(pump_until([this] {
        for (const auto& w : writes_of(0x604C))
            if (w.sub == 2 && w.value_u32() == 0xFFFFFFFFu)
                return true;
        return false;
    }, 3000));
    for (const auto& w : writes_of(0x604C))
        EXPECT_NE(w.value_u32(), 0u);
    Frm_cands402_velocity_mode_destroy(0);
}

TEST_F(VelocityPagesTest, TargetVelocityRefusesTheMostNegativeValue)
{
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    Rec_set<int32_t>(DriveRecordBank[1], 2236, 3);
    Frm_cands402_profile_vel_create(1, host());
    MemoUpDwxBase* target = Frm_cands402_profile_vel_page().edit_of(1, 2236);
    type_into(target, "-2147483648");
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[1], 2236), 3);
    boxes.clear();
    type_into(target, "-2147483647");
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[1], 2236), -2147483647);
    Frm_cands402_profile_vel_destroy(1);
}

// Every tab's list ends with 606Ch; the flags word is compared and taken whole.
TEST_F(VelocityPagesTest, ActualVelocityInEveryListAndTheErrorWordTakenWhole)
{
    quiet_link(2);
    Rec_set<uint16_t>(DriveRecordBank[0], 2314, 0x0001);
    Frm_cands402_profile_vel_create(0, host());
    auto* tabs = Frm_cands402_profile_vel_page().find<QTabWidget>(0, "PageControl_prf_vel_control");
    for (int tab = 0; tab < 3; ++tab) {
        tabs->setCurrentIndex(tab);
        uint16_t n = 0;
        const PollItem* list = Frm_cands402_profile_vel_page().next_list(&n);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list[n - 1].key, 0x606C);
    }
    tabs->setCurrentIndex(1);
    Rec_set<uint16_t>(DriveReadBack, 2314, 0x0003);
    Rec_set<int32_t>(DriveReadBack, 2084, -55);
    poll_and_reply(Frm_cands402_profile_vel_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 2314), 0x0003);
    EXPECT_EQ(Frm_cands402_profile_vel_page().find<QLabel>(0, "Panel_varflg")->text(), "0003h");
    EXPECT_TRUE(Frm_cands402_profile_vel_page().find<QCheckBox>(0, "CheckBox_enable_error_vel")->isChecked());
    EXPECT_EQ(Frm_cands402_profile_vel_page().find<QLabel>(0, "Panel_enable_error_vel_on_off")->text(), "On");
    EXPECT_EQ(Frm_cands402_profile_vel_page().find<QLabel>(0, "Panel_prf_vel_velocity_actual_value_dat")->text(), "-55");
    Frm_cands402_profile_vel_destroy(0);
}

}  // namespace
}  // namespace pagetest
