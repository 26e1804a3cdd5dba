// Regulator pages: gain limits, captions per language, and polled gains reaching the record.
#include <QGroupBox>
#include <QLineEdit>

#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class RegulatorTest : public PagesTest {
protected:
    // Types text and leaves the edit.
    void enter(MemoUpDwxBase* e, const char* text)
    {
        QLineEdit other(host());
        other.show();
        e->memo()->setFocus(Qt::TabFocusReason);
        e->memo()->clear();
        QTest::keyClicks(e->memo(), text);
        other.setFocus(Qt::TabFocusReason);
    }
};

TEST_F(RegulatorTest, ProportionalGainRefusesZeroIntegralGainTakesIt)
{
    struct Row {
        void (*create)(uint8_t, QWidget*);
        void (*destroy)(uint8_t);
        ParamPage& (*page)();
        const char* message;
    };
    const Row rows[] = {
        {Frm_pid_vel_create, Frm_pid_vel_destroy, Frm_pid_vel_page, "Value must be between : [1  and  3000] !"},
        {Frm_pid_cor_create, Frm_pid_cor_destroy, Frm_pid_cor_page, "Value must be between : [1  and  2000] !"},
    };
    EditStateFlags = EditState::Linked;
    for (const Row& r : rows) {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        r.create(0, host());
        MemoUpDwxBase* kp = r.page().edit(0, 0);
        MemoUpDwxBase* ki = r.page().edit(0, 1);
        Rec_set<uint16_t>(DriveRecordBank[0], kp->field().ofs, 5);
        Rec_set<uint16_t>(DriveRecordBank[0], ki->field().ofs, 5);
        r.page().refresh(0);
        boxes.clear();
        ASSERT_TRUE(kp->memo()->isEnabled());
        enter(kp, "0");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, r.message);
        EXPECT_EQ(boxes[0].title, "Attention");
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], kp->field().ofs), 5);
        boxes.clear();
        enter(ki, "0");
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], ki->field().ofs), 0);
        r.destroy(0);
    }
    EditStateFlags = 0;
}

TEST_F(RegulatorTest, CurrentRegulatorFollowsTheLanguage)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_pid_cor_create(0, host());
    const char* titles[3] = {"Regolatore Corrente", "Current Regulator", "Régulateur de Courant"};
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        PageNode_pid_cor.PageSetLanguage(0);
        EXPECT_EQ(Frm_pid_cor_page().find<QGroupBox>(0, "GroupBox_BR_PID_corrente")->title(),
                  QString::fromUtf8(titles[lang]));
    }
    LanguageIndex = 1;
    PageNode_pid_cor.PageSetLanguage(0);
    EXPECT_EQ(Frm_pid_cor_page().find<FlowPanel>(0, "FlowPanel_PID_corr_kp")->caption(), "[015Dh] Current Kp");
    Frm_pid_cor_destroy(0);
}

// Bus type 0 polls without copying; Modbus with remote on copies; remote off freezes.
TEST_F(RegulatorTest, PolledGainReachesTheRecordOnlyOnAFieldBusInRemote)
{
    struct Row {
        uint16_t bus;
        bool frozen;
        bool copied;
    };
    for (const Row r : {Row{0, false, false}, Row{1, false, true}, Row{1, true, false}}) {
        SCOPED_TRACE(r.bus * 10 + r.frozen);
        connect_drive(r.bus, r.frozen);
        const uint16_t before = Rec_get<uint16_t>(DriveRecordBank[0], 186);
        ASSERT_NE(before, 1234);
        sim->set_list_value(0x0202, 0, {0xD2, 0x04});
        Frm_pid_vel_create(0, host());
        sim->clear_log();
        const bool reached = pump_until([] { return Rec_get<uint16_t>(DriveRecordBank[0], 186) == 1234; }, 500);
        EXPECT_EQ(reached, r.copied);
        if (r.copied) {
            EXPECT_EQ(Frm_pid_vel_page().edit(0, 0)->memo()->text(), "1234");
        }
        EXPECT_TRUE(pump_until([this] { return sim->request_count(30) >= 3; }, 2000));
        Frm_pid_vel_destroy(0);
        close_window();
        sim.reset();
    }
}

}  // namespace
}  // namespace pagetest
