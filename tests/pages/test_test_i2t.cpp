// I2t Test page: the switch in both contexts, its commands, a switch without a link, and the
// current range.
#include <QCheckBox>
#include <QLabel>

#include "drive_page_helpers.h"
#include "pages/drive/Frm_test_i2t.h"
#include "link/Seriale.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

class TestI2tTest : public PagesTest {
protected:
    void TearDown() override
    {
        Frm_test_i2t_destroy(0);
        Frm_test_i2t_destroy(1);
        PagesTest::TearDown();
    }
    static QCheckBox* box() { return Frm_test_i2t_page().find<QCheckBox>(0, "CheckBox_test_I2t"); }
    static QString on_off() { return Frm_test_i2t_page().find<QLabel>(0, "Panel_test_I2t_on_off")->text(); }
};

TEST_F(TestI2tTest, ArchiveHasNoSwitch)
{
    PageContext = 1;
    Frm_test_i2t_create(1, host());
    EXPECT_TRUE(Frm_test_i2t_page().find<QWidget>(1, "Panel_test_I2t")->isHidden());
}

TEST_F(TestI2tTest, SwitchStartsAndStopsTheTest)
{
    connect_drive(1);
    Frm_test_i2t_create(0, host());
    EXPECT_FALSE(Frm_test_i2t_page().find<QWidget>(0, "Panel_test_I2t")->isHidden());
    ASSERT_TRUE(pump_until([] { Frm_test_i2t_set_access(0); return box()->isEnabled(); }, 2000));
    sim->clear_log();
    box()->click();
    EXPECT_EQ(I2tTestActive.load(), 1);
    EXPECT_EQ(on_off(), "On");
    ASSERT_TRUE(pump_until([this] { return drive_funcs(*sim).size() == 1; }, 1000));
    box()->click();
    EXPECT_EQ(I2tTestActive.load(), 0);
    EXPECT_EQ(on_off(), "Off");
    ASSERT_TRUE(pump_until([this] { return drive_funcs(*sim).size() == 2; }, 1000));
    EXPECT_EQ(drive_funcs(*sim), (std::vector<std::pair<int, int>>{{2, 1}, {2, 0}}));

    // 600.01 A is out of range; 600.00 A is sent as 60000.
    MemoUpDwxBase* high = Frm_test_i2t_page().edit(0, 0);
    const uint16_t before = Rec_get<uint16_t>(DriveRecordBank[0], 28);
    type_value(high, "600.01");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 28), before);
    ASSERT_EQ(boxes.size(), 1u);
    type_value(high, "600.00");
    EXPECT_TRUE(pump_until([this] { auto w = written(*sim, 0x0020); return !w.empty() && w.back() == 60000u; }, 1000));
}

TEST_F(TestI2tTest, SwitchWithoutTheLinkSendsNothing)
{
    EditStateFlags = EditState::Linked;
    Frm_test_i2t_create(0, host());
    ASSERT_TRUE(box()->isEnabled());
    box()->click();
    EXPECT_FALSE(box()->isChecked());
    EXPECT_EQ(on_off(), "Off");
    EXPECT_EQ(I2tTestActive.load(), 0);
    EXPECT_EQ(Seriale_count(), 0u);
}

}  // namespace
}  // namespace pagetest
