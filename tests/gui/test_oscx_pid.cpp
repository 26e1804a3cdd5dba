// The regulator panel: the generator's frames on the queue (directly and riding on the scope's
// acknowledges), the input-simulation pulse, the close, the link watch and the gain writes.
#include "text_fit.h"
#include "tool_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QTabWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <memory>

#include "controls/FlowPanel.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "scope/Oscx_pid.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Treectrl.h"
#include "tools/Tools.h"

namespace {

using tooltest::queued;

constexpr std::size_t SPEED_KP = 186;

class OscxPidTest : public tooltest::ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        Ser_tx_state.store(LinkState::Run);
        ScopeCaptureOn.store(0);
        SettingsBlock.generator = {100, 500, 10, 0, 0};
        Settings_publish_generator();
        SignalGenerator.sent_on.store(0);  // the copies persist for the run: nothing on was sent
        StatusShown.status_word = 0;
        Rec_set<uint16_t>(DriveRecordBank[0], SPEED_KP, 1000);
        w = std::make_unique<TForm_Oscx_PID>();
        w->show();
        stop_timers(w.get());
        w->Timer_monitorTimer();
    }
    void TearDown() override
    {
        w.reset();
        ScopeCaptureOn.store(0);
        Ser_tx_state.store(LinkState::Stop);
        ToolTest::TearDown();
    }
    void enable_generator()
    {
        w->CheckBox_waveg_enable->click();
        w->Timer_monitorTimer();
    }
    QLineEdit* memo(OscxPidEdit e) const { return w->memo[static_cast<std::size_t>(e)]; }
    bool shown(OscxPidEdit e) const { return w->panel[static_cast<std::size_t>(e)]->isVisibleTo(w.get()); }

    std::unique_ptr<TForm_Oscx_PID> w;
};

TEST_F(OscxPidTest, EnablingSendsEveryItemAndACurrentWaveformShowsTheCurrentAmplitude)
{
    EXPECT_EQ(OscxPidOpen.load(), 1);
    EXPECT_FALSE(w->ComboBox_waveg_type->isEnabled());  // generator off
    EXPECT_TRUE(w->CheckBox_waveg_enable->isEnabled());
    EXPECT_TRUE(shown(OscxPidEdit::AmpVel));
    enable_generator();
    EXPECT_EQ(queued(), std::vector<std::string>{"0D 0E 00 01 00 00 0A 01 F4 00 64"});
    ASSERT_TRUE(w->ComboBox_waveg_type->isEnabled());
    EXPECT_TRUE(memo(OscxPidEdit::Period)->isEnabled());

    Seriale_clear_queue();
    w->ComboBox_waveg_type->setCurrentIndex(4);
    Q_EMIT w->ComboBox_waveg_type->activated(4);
    EXPECT_EQ(queued(), std::vector<std::string>{"07 0E 02 00 04"});
    EXPECT_EQ(SettingsBlock.generator.waveform, 4);
    EXPECT_TRUE(shown(OscxPidEdit::AmpCor));
    EXPECT_FALSE(shown(OscxPidEdit::AmpVel));

    // Power stage on (status bit 5): the waveform stays as it is.
    StatusShown.status_word = StatusBit::State5;
    w->Timer_monitorTimer();
    EXPECT_FALSE(w->ComboBox_waveg_type->isEnabled());
    EXPECT_TRUE(memo(OscxPidEdit::AmpCor)->isEnabled());
}

TEST_F(OscxPidTest, WhileSamplingTheItemsRideOnTheAcknowledgesOneEach)
{
    ScopeCaptureOn.store(1);
    Seriale_clear_queue();
    enable_generator();
    EXPECT_TRUE(queued().empty());
    const auto ack = [] {
        Seriale_clear_queue();
        Sertx_scope_ack(0);
        const std::vector<std::string> q = queued();
        return q.size() == 1 ? q[0] : std::string("?");
    };
    ScopeStream.position = 0x1234;
    for (const char* want : {"09 0B 12 34 01 00 01", "09 0B 12 34 02 00 00", "09 0B 12 34 03 00 0A",
                             "09 0B 12 34 04 01 F4", "09 0B 12 34 05 00 64"})
        EXPECT_EQ(ack(), want);
    EXPECT_EQ(ack(), "06 0B 12 34");

    // Closed while sampling with the generator active: the switch-off still rides.
    tooltest::ToolTest::set_status(StatusBit::Generator);
    Seriale_clear_queue();
    w->close();
    EXPECT_EQ(OscxPidOpen.load(), 0);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 04 00"});
    EXPECT_EQ(ack(), "09 0B 12 34 01 00 00");
    EXPECT_EQ(ack(), "06 0B 12 34");
}

TEST_F(OscxPidTest, ResetPulsesTheAlarmInputAndCloseSwitchesTheGeneratorOff)
{
    enable_generator();
    Seriale_clear_queue();
    w->BitBtn_wvg_reset_alarm->click();
    std::vector<std::string> want{"06 08 04 00", "06 08 04 20"};
    want.insert(want.end(), 9, "04 00");
    want.emplace_back("06 08 04 00");
    EXPECT_EQ(queued(), want);
    EXPECT_EQ(SimInputMask.load(), 0);

    Seriale_clear_queue();
    w->SpeedButton_wvg_power->click();
    w->SpeedButton_wvg_operative->click();
    w->SpeedButton_wvg_power->click();
    EXPECT_EQ(queued(), (std::vector<std::string>{"06 08 04 01", "06 08 04 03", "06 08 04 02"}));

    Seriale_clear_queue();
    tooltest::ToolTest::set_status(StatusBit::Generator);
    w->BitBtn_Close->click();
    EXPECT_EQ(queued(), (std::vector<std::string>{"06 08 04 00", "07 0E 01 00 00"}));
    EXPECT_FALSE(w->SpeedButton_wvg_operative->isChecked());
    EXPECT_EQ(OscxPidOpen.load(), 0);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(OscxPidTest, ALostLinkSwitchesTheGeneratorOffInThePanelAndGreysTheEdits)
{
    enable_generator();
    Seriale_clear_queue();
    Ser_link_flags.store(LinkFlag::Answers);
    w->Timer_monitorTimer();
    EXPECT_FALSE(w->CheckBox_waveg_enable->isChecked());
    EXPECT_EQ(SignalGenerator.on.load(), 0);
    EXPECT_FALSE(memo(OscxPidEdit::SpeedKp)->isEnabled());
    EXPECT_FALSE(memo(OscxPidEdit::Period)->isEnabled());
    EXPECT_FALSE(w->SpeedButton_wvg_power->isEnabled());

    w->CheckBox_waveg_enable->click();  // ticked while down: cleared at the next tick
    EXPECT_TRUE(w->CheckBox_waveg_enable->isChecked());
    w->Timer_monitorTimer();
    EXPECT_FALSE(w->CheckBox_waveg_enable->isChecked());
    EXPECT_TRUE(queued().empty());
}

int page_refreshes = 0;

TEST_F(OscxPidTest, ARefusedGainIsWrittenUnchangedAndTheOpenRegulatorPageIsRefreshed)
{
    QLineEdit* kp = memo(OscxPidEdit::SpeedKp);
    EXPECT_EQ(kp->text(), "1000");
    Seriale_clear_queue();
    kp->clear();
    QTest::keyClicks(kp, "0");
    w->Memo_PID_speed_kpExit();
    EXPECT_EQ(boxes, std::vector<std::string>{"Il valore deve essere compreso tra : [1  e  3000] !"});
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], SPEED_KP), 1000);
    ASSERT_EQ(queued().size(), 1u);
    EXPECT_EQ(queued()[0].substr(0, 11), "0C 04 02 02");
    EXPECT_EQ(queued()[0].substr(queued()[0].size() - 11), "00 00 03 E8");

    // Enter writes the accepted value.
    Seriale_clear_queue();
    kp->clear();
    QTest::keyClicks(kp, "1500");
    QTest::keyClick(kp, Qt::Key_Return);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], SPEED_KP), 1500);
    ASSERT_EQ(queued().size(), 1u);
    EXPECT_EQ(queued()[0].substr(queued()[0].size() - 11), "00 00 05 DC");

    const PageContextFn old_refresh = PageNode_pid_vel.PageRefresh;
    PageNode* const old_page = CurrentPageNode[0];
    page_refreshes = 0;
    PageNode_pid_vel.PageRefresh = [](uint8_t context) { page_refreshes += context == 0 ? 1 : 100; };
    CurrentPageNode[0] = &PageNode_pid_vel;
    w->Timer_monitorTimer();
    w->Timer_monitorTimer();
    EXPECT_EQ(page_refreshes, 1);
    EXPECT_EQ(OscxPidGainWritten, 0);
    PageNode_pid_vel.PageRefresh = old_refresh;
    CurrentPageNode[0] = old_page;
}

TEST_F(OscxPidTest, GeneratorEditsChangeTheSettingsAndSendTheirItem)
{
    enable_generator();
    Seriale_clear_queue();
    QLineEdit* period = memo(OscxPidEdit::Period);
    EXPECT_EQ(period->text(), "0.10");
    w->UpDown_periodoChangingEx(1);
    EXPECT_EQ(SettingsBlock.generator.period, 11);
    EXPECT_EQ(queued(), std::vector<std::string>{"07 0E 03 00 0B"});

    OscxPidHandlersOn = 0;  // rebinding: events do nothing
    w->UpDown_periodoChangingEx(1);
    OscxPidHandlersOn = 1;
    EXPECT_EQ(SettingsBlock.generator.period, 11);
}

TEST_F(OscxPidTest, ATabShowsTheRecordsGainsAndTheCaptionsFollowTheLanguage)
{
    Rec_set<uint16_t>(DriveRecordBank[0], 192, 1234);
    w->PageControl_pid->setCurrentIndex(2);
    EXPECT_EQ(memo(OscxPidEdit::PosKp)->text(), "1234");
    const auto captions = [this] {
        const std::size_t kp_pos = static_cast<std::size_t>(OscxPidEdit::PosKp);
        return QStringList{w->windowTitle(), w->GroupBox_waveg->title(), w->panel[kp_pos]->caption(),
                           w->PageControl_pid->tabText(1), w->ComboBox_waveg_type->itemText(4),
                           w->CheckBox_waveg_enable->text()}
            .join("|")
            .toStdString();
    };
    EXPECT_EQ(captions(), "Regolatori PID|Generatore Segnali|Kp Posizione|Velocità|Corrente Onda Trinagolare|"
                          "Abilita Generatore Segnali");
    LanguageIndex = 2;
    w->hide();
    w->show();
    EXPECT_EQ(captions(), "Régulateurs PID|Générateur Signaux |Kp Position|Vitesse|Courant Signal Triangulaire|"
                          "Activer Générateur Signaux");
}

// At its size the panel's status bar shows its three panes whole, the drive state's too.
TEST_F(OscxPidTest, TheStatusBarShowsEveryPaneInEveryLanguage)
{
    for (uint8_t language : {0, 1, 2}) {
        LanguageIndex = language;
        TForm_Oscx_PID panel;
        panel.show();
        textfit::settle(&panel);
        ASSERT_EQ(panel.status_bar()->count(), 3);
        EXPECT_GE(panel.PanelOscxPIDStb->width(), Stbarx_panes_width(panel.status_bar())) << "lang " << int(language);
    }
}

// The scope's Regulators command opens the panel through the registry.
TEST_F(OscxPidTest, TheToolsRegisterThePanel)
{
    EXPECT_FALSE(Toolwin_available(ToolWin::OscxPID));
    Tools_install();
    QWidget* made = Toolwin_create(ToolWin::OscxPID, nullptr);
    EXPECT_NE(qobject_cast<TForm_Oscx_PID*>(made), nullptr);
    EXPECT_EQ(Toolwin_open(ToolWin::OscxPID), made);
    delete made;
    EXPECT_EQ(Toolwin_open(ToolWin::OscxPID), nullptr);
}

}  // namespace
