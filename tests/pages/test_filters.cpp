// Limit, Notch and Iq Filter pages: limits and captions, the shared flags word (each page its own
// bit), the damping scroll bar whose read-back is never sent, and the archive.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <thread>

#include "diagrams/Blocks_dat.h"
#include "link/Seriale.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class FilterTest : public PagesTest {
protected:
    template <typename W = QWidget>
    W* notch(const char* name, uint8_t ctx = 0)
    {
        return Frm_filtro_notch_page().find<W>(ctx, name);
    }
    static bool listed(const BlockRec* b)
    {
        return std::find(Blocks_speed, Blocks_speed + BLOCKS_SPEED, b) != Blocks_speed + BLOCKS_SPEED;
    }
};

TEST_F(FilterTest, LimitRangeAndTheSpeedUnitFollowingTheMotorType)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    EditStateFlags = EditState::Linked;
    Frm_limiti_create(0, host());
    MemoUpDwxBase* current = Frm_limiti_page().edit_of(0, 196);
    MemoUpDwxBase* speed = Frm_limiti_page().edit_of(0, 194);
    EXPECT_EQ(speed->panel()->caption(), "[0206h] Speed Limit [rpm]");
    QLineEdit other(host());
    other.show();
    for (const char* text : {"300.0", "300.1"}) {
        current->memo()->setFocus();
        current->memo()->clear();
        QTest::keyClicks(current->memo(), text);
        other.setFocus();
    }
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 196), 3000);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Value must be between : [0.0  and  300.0] !");
    Rec_set<uint16_t>(DriveRecordBank[0], 132, 1);
    Frm_limiti_refresh(0);
    EXPECT_EQ(speed->panel()->caption(), "[0206h] Speed Limit [mm/s]");
    Frm_limiti_destroy(0);
}

TEST_F(FilterTest, EachPageCopiesOnlyItsOwnBitAndTheDampingIsNeverSent)
{
    quiet_link();
    EditStateFlags = EditState::Linked | EditState::Remote;
    struct Row {
        ParamPage& (*page)();
        void (*create)(uint8_t, QWidget*);
        void (*destroy)(uint8_t);
        uint16_t after;
    };
    for (const Row r : {Row{Frm_filtro_notch_page, Frm_filtro_notch_create, Frm_filtro_notch_destroy, 0x0003},
                        Row{Frm_fpb_iq_page, Frm_fpb_iq_create, Frm_fpb_iq_destroy, 0x0000}}) {
        Rec_set<uint16_t>(DriveRecordBank[0], 182, 0x0002);
        Rec_set<uint16_t>(DriveReadBack, 182, 0x00F1);
        r.create(0, host());
        poll_and_reply(r.page());
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 182), r.after);
        EXPECT_EQ(r.page().find<QLabel>(0, "Panel_par_cm_var_flg_dat")->text(), QString::asprintf("%04Xh", r.after));
        r.destroy(0);
    }

    Rec_set<uint16_t>(DriveRecordBank[0], 200, 9500);
    Frm_filtro_notch_create(0, host());
    auto* bar = notch<QScrollBar>("ScrollBar_r_notch");
    EXPECT_EQ(notch<QLabel>("Panel_r_notch")->text(), "0.9500");
    EXPECT_EQ(bar->minimum(), NOTCH_DAMPING_MIN);
    EXPECT_EQ(bar->maximum(), NOTCH_DAMPING_MAX);
    Rec_set<uint16_t>(DriveReadBack, 200, 7000);
    poll_and_reply(Frm_filtro_notch_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 200), 7000);
    EXPECT_EQ(notch<QLabel>("Panel_r_notch")->text(), "0.7000");
    EXPECT_EQ(bar->value(), NOTCH_DAMPING_MIN);
    EXPECT_EQ(Seriale_count(), 0u);  // no write
    // SetAccess's state of the bar holds at every tick.
    ASSERT_TRUE(bar->isEnabled());
    bar->setEnabled(false);
    Frm_filtro_notch_page().tick();
    EXPECT_TRUE(bar->isEnabled());
    Frm_filtro_notch_destroy(0);
}

TEST_F(FilterTest, UserChangesOfTheNotchPageReachTheDriveOnlyFromTheMainWindow)
{
    connect_drive(1);
    EditStateFlags = EditState::Linked | EditState::Remote;
    Rec_set<uint16_t>(DriveRecordBank[0], 182, 0x0002);
    Rec_set<uint16_t>(DriveRecordBank[0], 200, 9500);
    Rec_set<uint16_t>(DriveRecordBank[0], 466, 0);
    QWidget control_set(host());
    Frm_mdb_control_create(0, &control_set);  // the diagram follows the switch
    EXPECT_FALSE(listed(&Block_notch));
    Frm_filtro_notch_create(0, host());
    auto* box = notch<QCheckBox>("CheckBox_enable_filtro_notch");
    ASSERT_TRUE(box->isEnabled());
    box->click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 182), 0x0003);
    EXPECT_TRUE(listed(&Block_notch));
    Frm_mdb_control_destroy(0);
    EXPECT_EQ(notch<QLabel>("Panel_par_cm_var_flg_dat")->text(), "0003h");
    EXPECT_EQ(notch<QLabel>("Panel_dato_filtro_notch")->text(), "On");
    notch<QScrollBar>("ScrollBar_r_notch")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 200), 9501);
    EXPECT_EQ(notch<QLabel>("Panel_r_notch")->text(), "0.9501");
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x0200).empty() && !writes_of(0x0209).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x0200).back().value_u32(), 3u);
    EXPECT_EQ(writes_of(0x0209).back().value_u32(), 9501u);
    Frm_filtro_notch_destroy(0);

    DriveRecordBank[1] = DriveRecordBank[0];
    PageContext = 1;
    Frm_filtro_notch_create(1, host());
    sim->clear_log();
    notch<QCheckBox>("CheckBox_enable_filtro_notch", 1)->click();
    notch<QScrollBar>("ScrollBar_r_notch", 1)->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 182), 0x0002);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 200), 9500);
    pump_for(300);
    EXPECT_EQ(sim->request_count(4), 0u);
    Frm_filtro_notch_destroy(1);
}

}  // namespace
}  // namespace pagetest
