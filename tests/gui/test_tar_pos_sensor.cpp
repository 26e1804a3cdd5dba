// Position-sensor calibration: the pre-check dialog's rules and edits, the calibration window's
// start, stop and monitor ticks over scripted replies.
#include "text_fit.h"
#include "tool_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>

#include "controls/FlowPanel.h"
#include "controls/Graph_rotx.h"
#include "tools/Tar_pos_sensor.h"
#include "tools/Tools.h"

namespace {

using namespace tooltest;

constexpr QRgb RED = 0xFFFF0000;

class TarPosSensorTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
        Rec_set<uint32_t>(DriveRecordBank[0], MotorOfs::Pulses, 1000);
    }
    // The window shown, its timer stopped, Start pressed and its frames taken from the queue.
    std::unique_ptr<TForm_tar_pos_sensor> started(bool poles_only = false)
    {
        if (poles_only)
            DriveUiFlags.fetch_or(UiFlag::CalibVariant);
        auto w = std::make_unique<TForm_tar_pos_sensor>();
        stop_timers(w.get());
        w->show();
        w->BitBtn_startClick();
        Seriale_clear_queue();
        return w;
    }
    static void reply(uint8_t phase, uint8_t poles, uint16_t position, uint8_t mode = ProcMode::Calibration)
    {
        CalibReply.CalibPhase.store(phase);
        CalibReply.CalibPolePairs.store(poles);
        CalibReply.CalibPosition.store(position);
        DriveProcMode.store(mode);
        Ser_data_flags.fetch_or(DataFlag::ProcReply);
    }
};

TEST_F(TarPosSensorTest, ModeRuleByFeedbackType)
{
    struct Row {
        uint16_t feedback;
        bool enabled;
        int index;
        bool poles_only;
    };
    const Row rows[] = {{0, false, 1, true}, {1, true, 0, false}, {3, true, 0, false}, {4, false, 1, true}};
    for (const Row& r : rows) {
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, r.feedback);
        // The opposite of what the rule gives: the rule decides.
        if (r.poles_only)
            DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::CalibVariant));
        else
            DriveUiFlags.fetch_or(UiFlag::CalibVariant);
        TForm_tar_pos_sensor_ck d;
        d.show();
        EXPECT_EQ(d.ComboBox_modo_tar->isEnabled(), r.enabled) << r.feedback;
        EXPECT_EQ(d.ComboBox_modo_tar->currentIndex(), r.index) << r.feedback;
        EXPECT_EQ(d.ComboBox_modo_tar->currentText(), r.poles_only ? "Poli Motore" : "Poli Motore + Offset");
        EXPECT_EQ(bool(DriveUiFlags.load() & UiFlag::CalibVariant), r.poles_only) << r.feedback;
        EXPECT_EQ(d.Panel_modo->palette().color(QPalette::WindowText) == QColor(0x80, 0x80, 0x80), !r.enabled);
        EXPECT_EQ(d.PageControl_feedback_type->currentWidget(),
                  r.feedback == 3 ? d.TabSheet_mot_feedback_encoder_serial_ssi
                                  : d.TabSheet_mot_feedback_encoder_increment);
    }
}

TEST_F(TarPosSensorTest, ModeListChangesTheFlagOnlyWhenTheUserPicks)
{
    TForm_tar_pos_sensor_ck d;
    d.show();
    d.ComboBox_modo_tar->clear();  // index -1 from a refill: no handler
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::CalibVariant);
    d.FormShow();
    d.ComboBox_modo_tar->activated(1);
    EXPECT_TRUE(DriveUiFlags.load() & UiFlag::CalibVariant);
    d.ComboBox_modo_tar->activated(0);
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::CalibVariant);
}

TEST_F(TarPosSensorTest, ContinueWaitsForTheCurrentConfirmation)
{
    TForm_tar_pos_sensor_ck d;
    d.show();
    EXPECT_EQ(d.Panel_encoder_risoluzione_giro_dat_increment->text(), "4000");
    EXPECT_FALSE(d.BitBtn_continua->isEnabled());
    d.BitBtn_conferma_corrente->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "L'errata impostazione della corrente\n può danneggiare il motore!");
    EXPECT_TRUE(d.BitBtn_continua->isEnabled());
    d.BitBtn_continua->click();
    EXPECT_EQ(d.result(), 1);

    TForm_tar_pos_sensor_ck closed;
    closed.show();
    closed.BitBtn_close->click();
    EXPECT_EQ(closed.result(), 7);
}

TEST_F(TarPosSensorTest, NominalCurrentIsWrittenAtOnce)
{
    TForm_tar_pos_sensor_ck d;
    d.show();
    type_into(d.edits->current->memo(), "2.50");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::NominalCurrent), 250);
    ASSERT_EQ(queued().size(), 1u);
    EXPECT_NE(queued()[0].find("01 53"), std::string::npos) << queued()[0];
    EXPECT_NE(queued()[0].find("00 FA"), std::string::npos) << queued()[0];
}

TEST_F(TarPosSensorTest, SsiBitSumIsCheckedInFullWidth)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 3);
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::SingleTurn, 10);
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::MultiTurn, 12);
    TForm_tar_pos_sensor_ck d;
    d.show();
    type_into(d.edits->single_turn->memo(), "20");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::SingleTurn), 10);
    EXPECT_TRUE(boxes.empty());  // no range message; the sum message comes from the timer
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 5000));
    pump_for(120);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "La somma di 'Bit singolo giro'  e  'Bit multi giro'\n non deve superare il valore 31!");
    type_into(d.edits->single_turn->memo(), "19");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::SingleTurn), 19);

    // A stored count that a 16-bit sum would wrap past the limit.
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::MultiTurn, 65535);
    EXPECT_EQ(d.edits->check_single_turn(4), 1);
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::MotorType, 1);
    EXPECT_EQ(ToolSettingsEdits::bit_sum_text(),
              "La somma di 'Bit singolo passo polare'  e  'Bit multi passo polare'\n non deve superare il valore 31!");
}

TEST_F(TarPosSensorTest, StartStopAndRequestsWhileRoomInTheQueue)
{
    struct Row {
        bool poles_only;
        const char* start;
    };
    for (const Row& r : {Row{false, "06 08 00 01"}, Row{true, "06 08 05 01"}}) {
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::CalibVariant));
        if (r.poles_only)
            DriveUiFlags.fetch_or(UiFlag::CalibVariant);
        TForm_tar_pos_sensor w;
        stop_timers(&w);
        w.show();
        w.BitBtn_startClick();
        ASSERT_EQ(queued(), std::vector<std::string>{r.start});
        EXPECT_EQ(Tool_message_text(w.RichEdit_taratura),
                  r.poles_only ? "Taratura Poli Motore...." : "Taratura Poli Motore + Offset....");
        w.TarPosSensorMonitor(1000);
        EXPECT_EQ(queued().back(), "05 07 02");
        for (uint32_t t = 1001; Seriale_count() < 10; ++t)
            w.TarPosSensorMonitor(t);
        w.TarPosSensorMonitor(2000);
        EXPECT_EQ(Seriale_count(), 10);
        Seriale_clear_queue();
        w.BitBtn_stopClick();
        EXPECT_EQ(queued(), std::vector<std::string>{"06 08 00 00"});
        EXPECT_EQ(Tool_message_text(w.RichEdit_taratura),
                  "Attenzione: Taratura Incompleta!\nRiavviare la Taratura per completarla!");
        EXPECT_FALSE(w.BitBtn_stop->isEnabled());
        EXPECT_TRUE(w.BitBtn_close->isEnabled());
        Seriale_clear_queue();
    }
}

TEST_F(TarPosSensorTest, RepliesShowPositionPolesAndTheResult)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset, 1234);
    auto w = started();
    reply(2, 4, 16384);
    w->TarPosSensorMonitor(100);
    EXPECT_EQ(w->Panel_posizione->text(), "90.00 °");
    EXPECT_EQ(w->Panel_poli_motore->text(), "8  ");
    EXPECT_FALSE(w->BitBtn_close->isEnabled());
    EXPECT_EQ(w->Image_rotor->image().pixel(101, 21), qRgb(255, 255, 0));  // sweep
    reply(6, 4, 65535);
    w->TarPosSensorMonitor(101);
    EXPECT_EQ(w->Panel_posizione->text(), "359.99 °");
    EXPECT_EQ(w->Panel_offset_pos_sensor_grad->text(), "359.99 °");
    EXPECT_EQ(w->Panel_offset_pos_sensor->text(), "65535");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset), 35999);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs), 4);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Taratura Poli Motore + Offset Ok!");
    EXPECT_EQ(w->ProgressBar_tar_resolv->value(), 100);
    EXPECT_FALSE(w->TarPosSensorRunning);
    for (const std::string& f : queued())
        EXPECT_EQ(f, "05 07 02");  // the ticks' polls; nothing written
    w.reset();

    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset, 1234);
    auto poles = started(true);
    reply(6, 3, 100);
    poles->TarPosSensorMonitor(100);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset), 1234);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs), 3);
    EXPECT_EQ(poles->Panel_offset_pos_sensor->text(), "-----");
    EXPECT_EQ(Tool_message_text(poles->RichEdit_taratura), "Taratura Poli Motore Ok!");
}

TEST_F(TarPosSensorTest, StartForgetsAReplyThatCameBefore)
{
    TForm_tar_pos_sensor w;
    stop_timers(&w);
    w.show();
    reply(2, 4, 16384);
    w.BitBtn_startClick();
    w.TarPosSensorMonitor(100);
    EXPECT_EQ(w.Panel_posizione->text(), "-----");
    EXPECT_EQ(CalibReply.CalibPolePairs.load(), 0);
}

TEST_F(TarPosSensorTest, ArrowBlinksInTheFirstPhasesBelowTheSteadyPosition)
{
    auto w = started();
    w->TarPosSensorBlinkTick = 0;
    auto arrow_at = [&](uint32_t now, uint16_t position) {
        reply(0, 0, position);
        w->TarPosSensorMonitor(now);
        const double a = Tool_position_angle(position);
        return w->Image_rotor->image().pixel(81 + int(68 * std::sin(a)), 81 - int(68 * std::cos(a))) == RED;
    };
    const bool first = arrow_at(301, 1000);
    EXPECT_EQ(arrow_at(602, 1000), !first);
    EXPECT_EQ(arrow_at(903, 1000), first);
    EXPECT_EQ(arrow_at(904, 1000), first);  // less than 300 ms: no toggle
    EXPECT_TRUE(arrow_at(1205, 64512));
    EXPECT_TRUE(arrow_at(1506, 64512));
}

TEST_F(TarPosSensorTest, DriveLeavingTheModeOrTheLinkEndsTheFollowing)
{
    auto w = started();
    reply(3, 2, 10);
    w->TarPosSensorMonitor(100);
    reply(3, 2, 10);
    w->TarPosSensorMonitor(101);
    EXPECT_TRUE(w->TarPosSensorRunning);
    reply(3, 2, 10, 0);
    w->TarPosSensorMonitor(102);
    EXPECT_FALSE(w->TarPosSensorRunning);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_TRUE(w->RichEdit_taratura->font().bold());
    w.reset();

    auto lost = started();
    lost->TarPosSensorMonitor(1000);
    Ser_link_flags.store(LinkFlag::Answers);
    lost->TarPosSensorMonitor(1299);
    EXPECT_TRUE(lost->TarPosSensorRunning);
    lost->TarPosSensorMonitor(1300);
    EXPECT_FALSE(lost->TarPosSensorRunning);
    EXPECT_EQ(Tool_message_text(lost->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_FALSE(lost->BitBtn_start->isEnabled());
    EXPECT_FALSE(lost->BitBtn_stop->isEnabled());
    EXPECT_TRUE(lost->BitBtn_close->isEnabled());
}

TEST_F(TarPosSensorTest, ClosingWhileRunningStopsTheProcedure)
{
    auto w = started();
    w->done(2);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 00 00"});
    Seriale_clear_queue();
    auto idle = std::make_unique<TForm_tar_pos_sensor>();
    idle->done(2);
    EXPECT_TRUE(queued().empty());
}

TEST_F(TarPosSensorTest, RegisteredWindowsAreWindowModal)
{
    Tools_install();
    for (ToolWin kind : {ToolWin::TarPosSensorCk, ToolWin::TarPosSensor}) {
        ASSERT_TRUE(Toolwin_available(kind));
        std::unique_ptr<QWidget> w(Toolwin_create(kind, nullptr));
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
    }
}

}  // namespace

namespace {

// At the pre-check dialog's size each edit's caption shows whole and a blank apart from its edit,
// in every language, for the incremental and the SSI encoder pages.
TEST_F(TarPosSensorTest, PreCheckCaptionsStandApartFromTheirEdits)
{
    for (const uint16_t feedback : {1, 3}) {
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, feedback);
        for (uint8_t language : {0, 1, 2}) {
            LanguageIndex = language;
            TForm_tar_pos_sensor_ck d;
            stop_timers(&d);
            d.show();
            textfit::settle(&d);
            for (const FlowPanel* panel : d.findChildren<FlowPanel*>()) {
                if (!panel->isVisible())
                    continue;
                const QLabel* caption = panel->captionLabel();
                const QLineEdit* memo = panel->findChild<QLineEdit*>();
                ASSERT_NE(memo, nullptr) << textfit::name(panel);
                EXPECT_TRUE(textfit::label_whole(caption)) << caption->text().toStdString();
                EXPECT_GE(textfit::gap_after(caption, memo), textfit::blank(caption)) << caption->text().toStdString();
            }
        }
    }
}

}  // namespace
