// Encoder and absolute-encoder zeroing: check dialog, displayed values, frames and the monitor
// ticks over scripted replies.
#include "tool_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

#include "tools/Formx_azzera_enc.h"
#include "tools/Formx_azzera_enc_abs.h"
#include "tools/Tools.h"

namespace {

using namespace tooltest;

class ZeroingTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::NominalCurrent, 100);
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs, 4);
    }
    template <typename W>
    std::unique_ptr<W> shown()
    {
        auto w = std::make_unique<W>();
        stop_timers(w.get());
        w->show();
        return w;
    }
    static void reply(std::atomic<uint8_t>& phase_field, uint8_t phase, uint8_t mode, uint16_t offset = 0,
                      uint16_t angle = 0)
    {
        phase_field.store(phase);
        DriveProcMode.store(mode);
        ZeroingReply.ZeroingOffset.store(offset);
        ZeroingReply.ZeroingAngle.store(angle);
        Ser_data_flags.fetch_or(DataFlag::ProcReply);
    }
};

TEST_F(ZeroingTest, CheckDialogByFeedbackType)
{
    struct Row {
        uint16_t feedback;
        int width;
        const char* confirm;
        bool pages;
    };
    const Row rows[] = {{1, 155, "Conferma corrente", true},
                        {2, 155, "Conferma corrente", false},
                        {3, 225, "Conferma corrente - Poli Motore", true}};
    for (const Row& r : rows) {
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, r.feedback);
        TForm_Azzera_Enc_Ck d;
        d.show();
        EXPECT_EQ(d.BitBtn_conferma_corrente->width(), r.width);
        EXPECT_EQ(d.BitBtn_conferma_corrente->text(), r.confirm);
        EXPECT_EQ(d.PageControl_feedback_type->isVisible(), r.pages);
        EXPECT_EQ(d.ComboBox_poli_motore_rotativo->currentText(), "8");
        EXPECT_FALSE(d.BitBtn_continua->isEnabled());
        d.BitBtn_conferma_corrente->click();
        EXPECT_TRUE(d.BitBtn_continua->isEnabled());
    }
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], "L'errata impostazione della corrente\n può danneggiare il motore!");
    EXPECT_EQ(boxes[2].rfind("L'errata impostazione della corrente può danneggiare il motore!\nL'errata", 0), 0u);
    for (const uint16_t pairs : {0, 26}) {
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs, pairs);
        TForm_Azzera_Enc_Ck d;
        d.show();
        EXPECT_EQ(d.ComboBox_poli_motore_rotativo->currentIndex(), -1) << pairs;
    }
}

TEST_F(ZeroingTest, ValuesByFeedbackType)
{
    struct Row {
        uint16_t feedback;
        uint16_t status;
        uint16_t offset;
        uint16_t angle;
        const char* offset_grad;
        const char* angle_count;
        const char* angle_grad;
        const char* hall;
        const char* bits;
    };
    const Row rows[] = {
        {1, 0x5000, 32768, 16384, "180.00°", "16384", "90.00°", "5", "101"},
        {1, 0x0000, 32769, 0, "-179.99°", "0", "0.00°", "0", "000"},
        {2, 0x5000, 0, 16384, "120.00°", "49152", "270.00°", "5", "101"},
        {2, 0x7000, 0, 0, "240.00°", "49152", "270.00°", "7", "111"},
        {2, 0x7000, 40000, 0, "-120.00°", "49152", "270.00°", "7", "111"},
        {2, 0x3000, 0, 0, "240.00°", "49152", "270.00°", "3", "011"},
    };
    for (const Row& r : rows) {
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, r.feedback);
        set_status(r.status);
        auto w = shown<TForm_Azzera_Enc>();
        ZeroingReply.ZeroingOffset.store(r.offset);
        ZeroingReply.ZeroingAngle.store(r.angle);
        w->Zeroing_show_values();
        EXPECT_EQ(w->Panel_offset_pos_sensor_grad->text(), r.offset_grad) << r.feedback << " " << r.offset;
        EXPECT_EQ(w->Panel_offset_pos_sensor_count->text(), QString::number(r.offset));
        EXPECT_EQ(w->Panel_angolo_elettrico_count->text(), r.angle_count);
        EXPECT_EQ(w->Panel_angolo_elettrico_grad->text(), r.angle_grad);
        EXPECT_EQ(w->Panel_encoder_and_hall_indice_hall_dat->text(), r.hall);
        QString bits;
        for (int col = 0; col < 3; ++col)
            bits += w->StringGrid_encoder_and_hall_indice_hall->item(1, col)->text();
        EXPECT_EQ(bits, r.bits);
        EXPECT_EQ(w->FlowPanel_encoder_offset_only_halls->isVisible(), r.feedback == 2);
        EXPECT_EQ(w->Panel_offset_pos_sensor_grad->isVisible(), r.feedback != 2);
    }
}

TEST_F(ZeroingTest, EncoderFramesAndMessages)
{
    auto w = shown<TForm_Azzera_Enc>();
    w->BitBtn_startClick();
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 07 01"});
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione\nAttendere posizionamento rotore");
    Seriale_clear_queue();
    for (uint32_t t = 0; t < 12; ++t)
        w->ZeroingMonitorTick(t);
    EXPECT_EQ(queued(), std::vector<std::string>(10, "05 07 08"));  // every tick while fewer than 10 wait
    Seriale_clear_queue();

    // Phase 1: "Attenzione" blinks about once a second.
    reply(ZeroingReply.ZeroingPhase, 1, ProcMode::Zeroing);
    const uint32_t t0 = w->blink_tick;
    w->ZeroingMonitorTick(t0 + 1001);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "\nAttendere posizionamento rotore");
    reply(ZeroingReply.ZeroingPhase, 1, ProcMode::Zeroing);
    w->ZeroingMonitorTick(t0 + 1500);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "\nAttendere posizionamento rotore");
    reply(ZeroingReply.ZeroingPhase, 1, ProcMode::Zeroing);
    w->ZeroingMonitorTick(t0 + 2003);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione\nAttendere posizionamento rotore");

    // Phase 4: the move message once.
    reply(ZeroingReply.ZeroingPhase, 4, ProcMode::Zeroing);
    w->ZeroingMonitorTick(t0 + 2100);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Ora è possibile muovere il sensore");
    w->RichEdit_taratura->clear();
    reply(ZeroingReply.ZeroingPhase, 5, ProcMode::Zeroing);
    w->ZeroingMonitorTick(t0 + 2200);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "");

    Seriale_clear_queue();
    w->done(2);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 07 00"});
}

TEST_F(ZeroingTest, StopEndsTheProcedure)
{
    auto w = shown<TForm_Azzera_Enc>();
    w->BitBtn_startClick();
    Seriale_clear_queue();
    w->ProgressBar_tar_sensor->setValue(50);
    w->BitBtn_stopClick();
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 00 00"});
    EXPECT_EQ(w->ProgressBar_tar_sensor->value(), 0);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Procedura terminata");
    EXPECT_FALSE(w->BitBtn_stop->isEnabled());
    EXPECT_TRUE(w->BitBtn_start->isEnabled());
    Seriale_clear_queue();
    w->done(2);  // not running any more: nothing sent
    EXPECT_TRUE(queued().empty());

    set_status(0, 1u << 4);  // alarm: Start and Stop do nothing
    auto alarmed = shown<TForm_Azzera_Enc>();
    Seriale_clear_queue();
    alarmed->BitBtn_startClick();
    alarmed->BitBtn_stopClick();
    EXPECT_TRUE(queued().empty());
}

TEST_F(ZeroingTest, FollowsAProcedureRunningBeforeTheWindowOpened)
{
    DriveProcMode.store(ProcMode::Zeroing);
    auto w = shown<TForm_Azzera_Enc>();
    reply(ZeroingReply.ZeroingPhase, 4, ProcMode::Zeroing, 100, 200);
    w->ZeroingMonitorTick(10);
    EXPECT_TRUE(w->running);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Ora è possibile muovere il sensore");
    EXPECT_EQ(w->Panel_angolo_elettrico_count->text(), "200");
    reply(ZeroingReply.ZeroingPhase, 4, 0);
    w->ZeroingMonitorTick(11);
    EXPECT_FALSE(w->running);
    EXPECT_EQ(w->ProgressBar_tar_sensor->value(), 0);
}

TEST_F(ZeroingTest, LinkLossAndAlarmEndTheFollowing)
{
    auto w = shown<TForm_Azzera_Enc>();
    w->BitBtn_startClick();
    reply(ZeroingReply.ZeroingPhase, 2, ProcMode::Zeroing);
    w->ZeroingMonitorTick(1000);
    Ser_link_flags.store(0);
    w->ZeroingMonitorTick(1299);
    EXPECT_TRUE(w->running);
    w->ZeroingMonitorTick(1300);
    EXPECT_FALSE(w->running);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_FALSE(w->BitBtn_start->isEnabled());
    EXPECT_FALSE(w->BitBtn_stop->isEnabled());
    EXPECT_TRUE(w->BitBtn_close->isEnabled());

    Ser_link_flags.store(LinkFlag::Ready);
    auto a = shown<TForm_Azzera_Enc>();
    reply(ZeroingReply.ZeroingPhase, 2, ProcMode::Zeroing);
    a->ZeroingMonitorTick(2000);
    set_status(0, 1u << 4);
    reply(ZeroingReply.ZeroingPhase, 2, ProcMode::Zeroing);
    a->ZeroingMonitorTick(2001);
    EXPECT_FALSE(a->running);
    EXPECT_EQ(Tool_message_text(a->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_EQ(a->ProgressBar_tar_sensor->value(), 0);
}

TEST_F(ZeroingTest, AbsoluteVariant)
{
    auto w = shown<TForm_Azzera_Enc_ABS>();
    w->BitBtn_startClick();
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 09 01"});
    Seriale_clear_queue();
    reply(AbsZeroingReply.AbsZeroingPhase, 1, ProcMode::AbsZeroing, 32769, 16384);
    w->AbsZeroingMonitorTick(0);
    EXPECT_EQ(queued(), std::vector<std::string>{"05 07 0A"});
    EXPECT_NE(Tool_message_text(w->RichEdit_taratura), "Ora è possibile muovere il sensore");
    EXPECT_EQ(w->Panel_offset_pos_sensor_grad->text(), "-179.99°");
    EXPECT_EQ(w->Panel_angolo_elettrico_grad->text(), "90.00°");
    reply(AbsZeroingReply.AbsZeroingPhase, 2, ProcMode::AbsZeroing);
    w->AbsZeroingMonitorTick(1);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Ora è possibile muovere il sensore");
    Seriale_clear_queue();
    w->BitBtn_stopClick();
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 09 00"});
    reply(AbsZeroingReply.AbsZeroingPhase, 2, ProcMode::AbsZeroing);
    w->AbsZeroingMonitorTick(2);
    Seriale_clear_queue();
    w->done(2);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 09 00"});
}

TEST_F(ZeroingTest, RegisteredAndWindowModal)
{
    Tools_install();
    for (ToolWin kind : {ToolWin::AzzeraEncCk, ToolWin::AzzeraEnc, ToolWin::AzzeraEncAbs}) {
        ASSERT_TRUE(Toolwin_available(kind));
        std::unique_ptr<QWidget> w(Toolwin_create(kind, nullptr));
        EXPECT_EQ(w->windowModality(), Qt::WindowModal);
    }
}

}  // namespace
