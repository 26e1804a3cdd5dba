// The scope window: its commands and states without a drive, sliders, saving, closing while its
// modal runs are open, and a capture end to end against the drive simulator.
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QPointer>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <cerrno>
#include <cmath>
#include <cstring>

#include "main_fixture.h"
#include "text_fit.h"
#include "platform/Savefile.h"
#include "platform/Tick.h"
#include "scope/Diagramx.h"
#include "scope/Oscx.h"
#include "scope/Oscx_panes.h"
#include "scope/Oscx_set.h"
#include "scope_core/Oscx_signals_core.h"
#include "shell/Colordlg.h"
#include "shell/Filedlg.h"
#include "shell/Main_menus.h"
#include "shell/Settings.h"
#include "shell/Stbarcmx.h"
#include "shell/Toolwin.h"

using namespace maintest;

namespace {

std::size_t write_budget;  // bytes the saves may still write

class OscxWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Oscx_register_window();
        Oscx_register_windows([](OscxWindow w, OscxWindowFactory make) {
            if (w == OscxWindow::Set)
                Toolwin_register(ToolWin::OscxSet, make);
        });
        ScopeCaptureOn.store(0);
        ScopeStream.reply_flags.store(0);
    }
    void TearDown() override
    {
        Filedlg_set_sink({});
        Colordlg_set_sink({});
        Savefile_set_write_call(nullptr);
        if (TForm_Oscx* w = Oscx_open_window())
            w->close();
        pump_for(20);
        MainWindowTest::TearDown();
        for (ToolWin k : {ToolWin::Oscx, ToolWin::OscxSet})
            Toolwin_unregister(k);
        ScopeEntries = {};
        ScopeCaptureOn.store(0);
    }
    // The main window and the scope window over it, its timers stopped.
    TForm_Oscx& open_scope(uint8_t language = 0)
    {
        if (!main)
            open_window();
        LanguageIndex = language;
        main->BitBtn_oscxClick();
        TForm_Oscx* w = Oscx_open_window();
        EXPECT_NE(w, nullptr);
        for (QTimer* t : w->findChildren<QTimer*>())
            t->stop();
        return *w;
    }
    std::string ui(const std::string& spec) const { return ::ui(spec, Oscx_open_window()); }
    static void add_samples(Diagramx& chart, int n)
    {
        for (int i = 0; i < n; ++i) {
            const double v[4] = {double(i), 1.0, 2.0, 3.0};
            chart.Add_sample(v, 4);
        }
    }
    QString file(const char* name) const { return dir_.path() + "/" + name; }
};

TEST_F(OscxWindowTest, WithoutALinkOnlyTheChannelSettingsAreOffered)
{
    TForm_Oscx& w = open_scope();
    w.Timer_monitorTimer();
    EXPECT_EQ(ui("e:BitBtn_cmp_start e:BitBtn_cmp_stop e:BitBtn_retrigger e:BitBtn_forza_trigger e:BitBtn_PID "
                 "e:BitBtn_pos_test e:BitBtn_channels_set e:Menu_ImpostaCanali e:BitBtn_print e:BitBtn_open"),
              "0 0 0 0 0 0 1 1 1 0");  // print: the trace print is registered
    EXPECT_EQ(w.indicator_text, "--");
    Stbarx_repaint(w.status_bar());
    EXPECT_EQ(OscxPaneText[0], "CMP: Buffer --");
    EXPECT_EQ(OscxPaneText[1], "Tc: 2 ms");
    w.BitBtn_cmp_startClick();  // nothing but a repaint
    EXPECT_EQ(ScopeCaptureOn.load(), 0);
    EXPECT_EQ(Seriale_count(), 0);
}

TEST_F(OscxWindowTest, FrenchSelectorsAndCaptions)
{
    TForm_Oscx& w = open_scope(2);
    QStringList types, slopes;
    for (int i = 0; i < w.ComboBox_trigger_type->count(); ++i)
        types << w.ComboBox_trigger_type->itemText(i);
    for (int i = 0; i < w.ComboBox_trigger_pendenza->count(); ++i)
        slopes << w.ComboBox_trigger_pendenza->itemText(i);
    EXPECT_EQ(types.join("|").toStdString(), "Rolling|Automatique|Un Coup");
    EXPECT_EQ(slopes.join("|").toStdString(), "Descente|Montée");
    EXPECT_EQ(ui("t:TForm_Oscx t:BitBtn_cmp_start t:Menu_Save"), "Oscilloscope Lancement Acquisition Enregistrer");
}

TEST_F(OscxWindowTest, SlidersSetPreTriggerAndLevel)
{
    open_window();
    ScopeSettings.trigger_type = ScopeTrigger::OneShot;
    TForm_Oscx& w = open_scope();
    ASSERT_EQ(w.Image_time_set->image().width(), 218);
    w.Image_time_setMouse(Scope_slider_time_x(0.5f, 218), true, false);
    w.Image_time_setMouse(58, false, false);
    w.Image_time_setMouse(58, false, true);
    EXPECT_EQ(ui("t:Panel_time_pre_pct t:Panel_time_pre_s"), "25.0 % 20.000 s");
    EXPECT_EQ(ScopeTriggerState.pretrigger_count, 10000u);

    w.ComboBox_trigger_ch->setCurrentIndex(2);  // CH3: "Corrente Rif."
    Q_EMIT w.ComboBox_trigger_ch->activated(2);
    EXPECT_EQ(w.Memo_trigger_y_max->toolTip(), QString::fromUtf8("Range: [-9.99 \u00F7 100.00]"));
    ASSERT_EQ(w.Image_trigger_asse_y->image().height(), 124);
    w.Image_trigger_asse_yMouse(62, true, false);
    w.Image_trigger_asse_yMouse(37, false, false);
    w.Image_trigger_asse_yMouse(37, false, true);
    EXPECT_EQ(ui("t:Panel_trigger_level t:Panel_trigger_level_pct t:Label_trigger_asse"), "5.00 A 75.0 % CH [A]");

    ScopeSettings.trigger_type = ScopeTrigger::Rolling;  // no drag while rolling
    w.Image_time_setMouse(58, true, false);
    w.Image_time_setMouse(150, false, false);
    EXPECT_EQ(ui("t:Panel_time_pre_pct"), "25.0 %");
}

TEST_F(OscxWindowTest, TypeChangeResetsOnlyForAnotherType)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 5);
    w.ComboBox_trigger_type->setCurrentIndex(0);
    Q_EMIT w.ComboBox_trigger_type->activated(0);  // the same: nothing
    EXPECT_EQ(w.chart()->Sample_count(), 5u);
    w.ComboBox_trigger_type->setCurrentIndex(2);
    Q_EMIT w.ComboBox_trigger_type->activated(2);
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
    EXPECT_EQ(ScopeSettings.trigger_type, ScopeTrigger::OneShot);
    EXPECT_EQ(ui("e:ComboBox_trigger_pendenza e:Memo_trigger_y_max"), "1 1");
    w.Oscx_refresh_controls();  // a refresh from the settings resets nothing
    EXPECT_EQ(ScopeSettings.trigger_type, ScopeTrigger::OneShot);

    // A trigger found with live display empties the chart of the record before it.
    add_samples(*w.chart(), 5);
    ScopeSettings.trigger_flags = ScopeTrigger::FlagRising | ScopeTrigger::FlagLive;
    ScopeSettings.trigger_scale_max = ScopeSettings.trigger_scale_min = 0;  // level 0
    ScopeSettings.marker[0] = 0.0f;                                          // no pre-trigger samples
    Scope_capture_arm();
    ScopeCaptureOn.store(1);
    for (auto& v : ScopeSampleRing.slot[ScopeSampleRing.write_index.load()].ch)
        v.store(0);
    Fz_cmp_ring_advance(1);  // a sample at the level: fires
    w.Timer_diagramxTimer();
    EXPECT_EQ(ScopeTriggerState.state, ScopeTrigger::Collecting);
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
}

TEST_F(OscxWindowTest, SavingAnEmptyChartAsksNothing)
{
    TForm_Oscx& w = open_scope();
    int dialogs = 0;
    Filedlg_set_sink([&](const FileDialogSpec&) {
        ++dialogs;
        return QString();
    });
    w.BitBtn_saveClick();
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(box_texts(), "Nessun dato da salvare!");
}

TEST_F(OscxWindowTest, SaveWritesTheRecordingAndAFailedOneKeepsTheOldFile)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 3);
    FileDialogSpec asked;
    Filedlg_set_sink([&](const FileDialogSpec& s) {
        asked = s;
        return file("rec");
    });
    w.BitBtn_saveClick();
    EXPECT_EQ(asked.filter, "(*.dmg)|*.dmg");
    EXPECT_TRUE(asked.save);
    QFile f(file("rec.dmg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray old = f.readAll();
    f.close();
    EXPECT_EQ(old.size(), 144 + 3 * 32);
    EXPECT_EQ(box_texts(), "Dati salvati!");

    boxes.clear();
    add_samples(*w.chart(), 100);
    write_budget = 1000;
    Savefile_set_write_call([](int fd, const void* data, std::size_t n) -> ssize_t {
        if (n > write_budget) {
            errno = ENOSPC;
            return -1;
        }
        write_budget -= n;
        return ::write(fd, data, n);
    });
    w.BitBtn_saveClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(box_texts().find("rec.dmg"), std::string::npos) << box_texts();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), old);
}

// Like the drive and motor file dialogs, Save starts in the program's folder of the user's documents.
TEST_F(OscxWindowTest, SaveStartsInTheProgramsDocumentsFolder)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 3);
    std::vector<QString> folders;
    Filedlg_set_sink([&](const FileDialogSpec& spec) {
        folders.push_back(spec.folder);
        return QString();
    });
    w.BitBtn_saveClick();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_FALSE(StartFolder.empty());
    EXPECT_EQ(folders[0].toStdString(), StartFolder.string());
}

TEST_F(OscxWindowTest, ClosedWhileItsSaveDialogRuns)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 3);
    Filedlg_set_sink([&](const FileDialogSpec&) {
        main->Main_close_tool_windows();
        return file("gone");
    });
    w.BitBtn_saveClick();
    pump_for(20);
    EXPECT_EQ(Oscx_open_window(), nullptr);
    EXPECT_FALSE(QFile::exists(file("gone.dmg")));
    EXPECT_EQ(box_texts(), "");
}

TEST_F(OscxWindowTest, ClosedWhileItsOverflowQuestionIsOpen)
{
    TForm_Oscx& w = open_scope();
    ScopeStream.reply_flags.store(ScopeReply::Overflow);
    const MsgSink old = Msgbox_set_sink([&](const MsgRequest& r) {
        boxes.push_back(r);
        main->Main_close_tool_windows();
        return MsgYes;
    });
    w.Timer_buffer_overflowTimer();
    Msgbox_set_sink(old);
    pump_for(20);
    EXPECT_EQ(box_texts(), "Buffer Overflow! Riprendi Campionamento?");
    EXPECT_EQ(Oscx_open_window(), nullptr);
    EXPECT_EQ(ScopeStream.reply_flags.load() & ScopeReply::Overflow, 0);
}

TEST_F(OscxWindowTest, OverflowAnsweredNoLeavesTheChartEmpty)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 4);
    ScopeStream.reply_flags.store(ScopeReply::Overflow);
    w.Timer_monitorTimer();
    EXPECT_TRUE(w.Timer_buffer_overflow->isActive());
    answers.push_back(MsgNo);
    w.Timer_buffer_overflowTimer();
    EXPECT_EQ(boxes.back().buttons, unsigned(MsgYes | MsgNo));
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
    EXPECT_EQ(ScopeCaptureOn.load(), 0);
    EXPECT_EQ(Seriale_count(), 0);
}

TEST_F(OscxWindowTest, ChannelSettingsKeepUnchangedScales)
{
    TForm_Oscx& w = open_scope();
    add_samples(*w.chart(), 4);
    const ScopeSettingsRec before = ScopeSettings;
    // OK without a change: the chart keeps its samples.
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(Toolwin_open(ToolWin::OscxSet)))
            d->accept();
    });
    w.BitBtn_channels_setClick();
    EXPECT_EQ(w.chart()->Sample_count(), 4u);
    // CH2 takes another signal; CH1 was given a scale of its own before.
    ScopeSettings.channel[0].scale_max = 1234;
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<QDialog*>(Toolwin_open(ToolWin::OscxSet))) {
            Oscx_set_take_signal(ScopeSettingsEdit, 1, 5);
            d->accept();
        }
    });
    w.BitBtn_channels_setClick();
    const ScopeSignal& s5 = ScopeSignalTable.entries[5];
    EXPECT_EQ(ScopeSettings.channel[1].signal_index, 5);
    EXPECT_EQ(ScopeSettings.channel[1].scale_max, s5.default_max);
    EXPECT_EQ(ScopeSettings.channel[0].scale_max, 1234);
    EXPECT_EQ(ScopeSettings.channel[2].scale_max, before.channel[2].scale_max);
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
}

TEST_F(OscxWindowTest, ColourAndScaleModeOfAChannel)
{
    TForm_Oscx& w = open_scope();
    Colordlg_set_sink([](uint32_t initial) -> std::optional<uint32_t> {
        EXPECT_EQ(initial, 0xFF0000u);
        return 0x00AA55;
    });
    w.SpeedButton_color_CH[1]->click();
    EXPECT_EQ(ScopeSettings.channel[1].colour, 0x00AA55u);
    EXPECT_EQ(w.chart()->colours[1], 0x00AA55u);
    w.RadioButton_scala_fix[0]->click();
    EXPECT_EQ(ScopeSettings.channel[0].flags & 0x02, 0x02);
    EXPECT_EQ(ui("e:Memo_scala_ch0_max e:Memo_scala_ch1_max"), "1 0");
    w.SpeedButton_CH[3]->click();
    EXPECT_EQ(ScopeSettings.channel[3].flags & 0x01, 0);
    EXPECT_EQ(w.chart()->shown[3], 0);
}

TEST_F(OscxWindowTest, ATypedFixedScaleReachesTheChart)
{
    TForm_Oscx& w = open_scope();
    w.RadioButton_scala_fix[0]->click();
    w.show();
    w.activateWindow();
    QLineEdit* memo = w.Memo_scala_max[0];
    memo->setFocus();
    memo->selectAll();
    QTest::keyClicks(memo, "250");
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(ScopeSettings.channel[0].scale_max, 250);
    EXPECT_EQ(w.chart()->view.channels[0].fixed_maximum, 250.0);
}

TEST_F(OscxWindowTest, SettingsOutOfRangeAreRepairedOnLoad)
{
    open_window();
    ScopeSettings.record_length = 0;
    ScopeSettings.marker[0] = std::nanf("");
    ScopeSettings.marker[1] = 7.0f;
    SaveSettings();
    ScopeSettings.record_length = 50000;
    LoadSettings();
    EXPECT_EQ(ScopeSettings.record_length, 10u);
    EXPECT_EQ(ScopeSettings.marker[0], 0.5f);
    EXPECT_EQ(ScopeSettings.marker[1], 1.0f);
    ScopeSettings.record_length = 50000;
    SaveSettings();
    LoadSettings();
    EXPECT_EQ(ScopeSettings.record_length, 40000u);
}

TEST_F(OscxWindowTest, MainWindowRedrawsTheStatusPaneOnADriveStateChange)
{
    open_scope();
    static int calls = 0;
    static uint8_t last = 0;
    calls = 0;
    ScopeEntries.draw_cmp_status = [](uint8_t active) {
        ++calls;
        last = active;
    };
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    Ser_data_flags.store(DataFlag::ListReads);
    DriveStateIndex = 0;
    main->UpdateDriveStateIndex();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(last, 1);
    main->UpdateDriveStateIndex();  // no change: nothing
    EXPECT_EQ(calls, 1);
    Ser_link_flags.store(0);
    Ser_data_flags.store(0);
}

TEST_F(OscxWindowTest, TerminalButtonShowsTheTerminal)
{
    TForm_Oscx& w = open_scope();
    ASSERT_FALSE(terminal->isVisible());
    w.BitBtn_terminal->click();
    EXPECT_TRUE(terminal->isVisible());
}

// ---- with the drive simulator ----

class OscxSimTest : public OscxWindowTest {
protected:
    void SetUp() override
    {
        OscxWindowTest::SetUp();
        open_window();
        attach_simulator();
        connect_and_read();
        LanguageIndex = 0;
    }
    std::vector<std::string> frames(int cmd) const { return linktest::hex_requests(*sim, cmd); }
};

TEST_F(OscxSimTest, StartSamplesAndStopEndsTheAcknowledgements)
{
    TForm_Oscx& w = open_scope();
    w.show();
    w.Timer_diagramx->start();
    w.Timer_monitorTimer();
    EXPECT_EQ(ui("e:BitBtn_cmp_start e:BitBtn_cmp_stop e:BitBtn_channels_set"), "1 0 1");
    sim->scope_set_generator([](unsigned ch, std::uint64_t n) { return int32_t(ch * 100 + n % 50); });
    w.BitBtn_cmp_start->click();
    ASSERT_TRUE(pump_until([&] { return w.chart()->Sample_count() > 20; }, 8000));
    ASSERT_EQ(frames(12).size(), 1u);
    EXPECT_EQ(frames(12)[0].substr(0, 23), "0A 0C 01 02 03 04 00 01");
    w.Timer_monitorTimer();
    EXPECT_EQ(ui("e:BitBtn_cmp_start e:BitBtn_cmp_stop e:BitBtn_forza_trigger e:BitBtn_channels_set"), "0 1 1 0");
    w.Oscx_draw_cmp_status(1);
    EXPECT_EQ(w.status_text, "CMP: Continuo [On]");
    Stbarx_repaint(w.status_bar());
    EXPECT_EQ(OscxPaneText[0], "CMP: Buffer-OK");
    // Samples still in the ring at the stop reach the chart (and so the saved record).
    w.Timer_diagramx->stop();
    ASSERT_TRUE(pump_until([] { return ScopeSampleRing.read_index.load() != ScopeSampleRing.write_index.load(); }, 8000));
    const uint32_t held = Fz_cmp_ring_distance(ScopeSampleRing.write_index.load(), ScopeTriggerState.reset_index,
                                               SCOPE_RING_SLOTS);
    w.BitBtn_cmp_stop->click();
    EXPECT_GE(w.chart()->Sample_count(), held);
    EXPECT_EQ(w.status_text, "CMP: Continuo [Off]");
    // A status poll goes out only once the queue is empty: after the first one the reply in flight
    // has been handled.
    const std::size_t polls = frames(0).size();
    ASSERT_TRUE(pump_until([&] { return frames(0).size() >= polls + 2; }, 8000));
    const std::size_t acks = frames(11).size();
    ASSERT_TRUE(pump_until([&] { return frames(0).size() >= polls + 4; }, 8000));
    EXPECT_EQ(frames(11).size(), acks);
}

// A rolling capture at 2 ms from the simulator at the line's pace: the chart is painted at display
// rate while every sample taken from the ring reaches it once and in order; the stop paints the
// final state once and the window's timers go back to the idle rate.
TEST_F(OscxSimTest, RollingAtLinePacePaintsAtDisplayRateWithEverySample)
{
    sim->set_pacing(57600);
    sim->scope_set_line_pacing(true);
    sim->scope_set_generator([](unsigned ch, std::uint64_t n) { return ch == 0 ? int32_t(n) : int32_t(ch); });
    ScopeSettings.trigger_type = ScopeTrigger::Rolling;
    ScopeSettings.sample_time = 1;  // 2 ms
    ScopeSettings.record_length = 40000;
    TForm_Oscx& w = open_scope();
    w.show();
    QCoreApplication::processEvents();
    Diagramx& chart = *w.chart();
    EXPECT_GT(w.Timer_diagramx->interval(), 2);
    EXPECT_GT(w.Timer_monitor->interval(), 2);
    w.Timer_diagramx->start();
    const uint32_t paints = chart.paint_count;
    const uint32_t t0 = Tick_ms();  // the clock of the chart's pace
    w.BitBtn_cmp_start->click();
    EXPECT_EQ(w.Timer_diagramx->interval(), 1);
    EXPECT_EQ(w.Timer_monitor->interval(), 2);
    ASSERT_TRUE(pump_until([&] { return chart.Sample_count() >= 1500; }, 60000));  // 3 s of sampling
    const uint32_t elapsed = Tick_since(t0);
    const uint32_t paced = chart.paint_count - paints;
    w.Timer_monitorTimer();  // the stop button enabled
    w.BitBtn_cmp_stop->click();
    EXPECT_LE(paced, elapsed / CHART_PAINT_MS + 3);
    EXPECT_EQ(chart.paint_count - paints, paced + 1);
    EXPECT_FALSE(chart.Redraw_waiting());
    EXPECT_GT(w.Timer_diagramx->interval(), 2);
    EXPECT_GT(w.Timer_monitor->interval(), 2);

    const uint32_t taken = Fz_cmp_ring_distance(ScopeSampleRing.read_index.load(), ScopeTriggerState.reset_index,
                                                SCOPE_RING_SLOTS);
    ASSERT_EQ(chart.Sample_count(), taken);
    const double first = chart.Row(chart.ring_start)[0];
    const double step = chart.Row(chart.Ring_add(chart.ring_start, 1))[0] - first;
    ASSERT_NE(step, 0.0);
    EXPECT_EQ(first, 0.0);  // sample 0
    uint32_t row = chart.ring_start;
    for (uint32_t k = 0; k < taken; ++k, row = chart.Ring_add(row, 1))
        ASSERT_EQ(std::llround((chart.Row(row)[0] - first) / step), int64_t(k)) << k;
}

TEST_F(OscxSimTest, OverflowRestartedWithYes)
{
    TForm_Oscx& w = open_scope();
    sim->scope_set_overflow_after(50);
    w.BitBtn_cmp_startClick();
    ASSERT_TRUE(pump_until([] { return (ScopeStream.reply_flags.load() & ScopeReply::Overflow) != 0; }, 8000));
    sim->scope_set_overflow_after(0);
    answers.push_back(MsgYes);
    w.Timer_buffer_overflowTimer();
    EXPECT_EQ(box_texts(), "Buffer Overflow! Riprendi Campionamento?");
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
    // Armed anew with the ring reset (the new capture may already be writing into it).
    EXPECT_EQ(ScopeTriggerState.sample_counter, 0u);
    EXPECT_EQ(ScopeTriggerState.first_search, 1);
    EXPECT_EQ(ScopeCaptureOn.load(), 1);
    ASSERT_TRUE(pump_until([&] { return frames(12).size() == 2; }, 5000));
    w.BitBtn_cmp_stopClick();
}

TEST_F(OscxSimTest, ClosingWithTheGeneratorOnSwitchesItOff)
{
    TForm_Oscx& w = open_scope();
    SimBytes status(28, 0);
    status[1] = 0x10;  // status word bit 4
    sim->set_status(status);
    ASSERT_TRUE(pump_until([] { return (Drive_status_word() & StatusBit::Generator) != 0; }, 5000));
    const auto simulation_off = [&] {
        std::size_t n = 0;
        for (const std::string& f : frames(8))
            n += f.rfind("06 08 04 00", 0) == 0 ? 1 : 0;
        return n;
    };
    const std::size_t before = simulation_off();  // the connection sent one
    w.close();
    // A late reply on a loaded machine may have the switch-off sent twice (a repeat of one request).
    ASSERT_TRUE(pump_until([&] { return !frames(14).empty() && simulation_off() > before; }, 5000));
    EXPECT_EQ(frames(14).back().substr(0, 14), "07 0E 01 00 00");
}

}  // namespace

TEST_F(OscxWindowTest, PositioningTestIsRefusedWithPowerOnElseItEndsSamplingAndTheRegulatorPanel)
{
    static QPointer<QWidget> bench, panel;
    Toolwin_register(ToolWin::PosQuoteTest, [](QWidget*) -> QWidget* { return bench = new QWidget; });
    Toolwin_register(ToolWin::OscxPID, [](QWidget*) -> QWidget* { return panel = new QWidget; });
    TForm_Oscx& w = open_scope();
    Toolwin_create(ToolWin::OscxPID, nullptr);
    ScopeCaptureOn.store(1);

    Drive_status_update_word(0, StatusBit::State5);
    w.BitBtn_pos_testClick();
    EXPECT_EQ(box_texts(), "Potenza abilitata!\nDisabilitare la potenza prima di avviare il test!");
    EXPECT_TRUE(panel);
    EXPECT_FALSE(bench);
    EXPECT_EQ(ScopeCaptureOn.load(), 1);

    boxes.clear();
    Drive_status_update_word(StatusBit::State5, 0);
    w.BitBtn_pos_testClick();
    EXPECT_EQ(box_texts(), "");
    EXPECT_FALSE(panel);
    ASSERT_TRUE(bench);
    EXPECT_TRUE(bench->isVisible());
    EXPECT_EQ(ScopeCaptureOn.load(), 0);

    static int bench_closes;  // the scope's close restores the bench's drive set-up
    bench_closes = 0;
    ToolsEntries.pos_test_close = [] { ++bench_closes; };
    w.close();
    EXPECT_EQ(bench_closes, 1);
    ToolsEntries.pos_test_close = nullptr;
    delete bench;
    for (ToolWin k : {ToolWin::PosQuoteTest, ToolWin::OscxPID})
        Toolwin_unregister(k);
}

namespace {

// At its default size every command of the tool bars is shown in every language, none moved into
// an overflow menu, and the Scale tab's channel names show whole, the widest signal's too.
TEST_F(OscxWindowTest, CommandsAndChannelNamesShowWholeAtTheDefaultSize)
{
    for (uint8_t language : {0, 1, 2}) {
        TForm_Oscx& w = open_scope(language);
        EXPECT_EQ(placement_faults(&w, QSize(1000, 680)), "");
        w.resize(1000, 680);  // as on a screen that holds it
        textfit::settle(&w);
        for (QToolBar* bar : w.findChildren<QToolBar*>()) {
            for (QWidget* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
                const bool overflow = b->objectName() == "qt_toolbar_ext_button";
                EXPECT_EQ(b->isVisible(), !overflow) << textfit::name(b) << " lang " << int(language);
            }
        }
        w.PageControl->setCurrentWidget(w.TabSheet_scala);
        const QFontMetrics fm = w.Panel_name_CH[0]->fontMetrics();
        uint16_t widest = 0;
        for (uint16_t s = 0; s < ScopeSignalTable.count; ++s) {
            const auto caption = [&fm](uint16_t k) {
                const ScopeSignal& sig = *Scope_signal_at(k);
                return fm.horizontalAdvance(QString::fromUtf8(Oscx_signal_name(sig)) + " [" +
                                            QString::fromUtf8(Oscx_signal_unit(sig)) + "]");
            };
            if (caption(s) > caption(widest))
                widest = s;
        }
        ScopeSettings.channel[3].signal_index = widest;
        w.Oscx_refresh_controls();
        textfit::settle(&w);
        for (QLabel* name : w.Panel_name_CH)
            EXPECT_TRUE(textfit::label_whole(name)) << name->text().toStdString() << " lang " << int(language);
        w.close();
        pump_for(20);
    }
}

}  // namespace
