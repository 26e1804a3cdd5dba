// Main window start-up and closing: folders and settings, splash and timers, service switch,
// save question, deferred close; what `make run` builds.
#include "files_fixture.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <map>
#include <set>

#include "shell/Form_send_dat.h"


using namespace maintest;

using MainLifecycle = MainWindowTest;

TEST_F(MainLifecycle, StartsInAnEmptyFolderAndWaitsForTheSplash)
{
    SplashDurationMs = 2000;
    bool sampled = false;
    std::string during_splash;
    QElapsedTimer clock;
    clock.start();
    open_window(false);
    QTimer::singleShot(600, [&] {
        sampled = true;
        during_splash = std::string(qobject_cast<TForm_Splash*>(QApplication::activeModalWidget()) ? "splash" : "-") +
                        (main->Timer_com->isActive() || main->Timer_ctrl->isActive() ? " timers" : "") +
                        (main->isVisible() ? " main" : "");
    });
    ASSERT_TRUE(pump_until([this] { return main->form_shown(); }, 6000));
    EXPECT_GE(clock.elapsed(), 1950);
    ASSERT_TRUE(sampled);
    EXPECT_EQ(during_splash, "splash main");
    EXPECT_TRUE(main->Timer_com->isActive() && main->Timer_ctrl->isActive());
    pump_for(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(LanguageIndex, 1);
    EXPECT_EQ(ui("t:TForm_main t:Menu_Ver_Drive c:Menu_Inglese c:Menu_ORVEL1"),
              "Pendrix[ORVEL] Version: 3.20 Orvel Drive 1 1");
    EXPECT_EQ(ui("v:GroupBox_Input v:GroupBoxmonitor_dati"), "1 1");  // found by name
    // Service items hidden.
    EXPECT_EQ(ui("v:Menu_Terminal v:Panel_debug v:Menu_Monitor v:FlashWrite v:Panel_filedat_flashx"), "0 0 0 0 0");
    EXPECT_EQ(AccessFlags, 0);
    // Top page open, inside the page host.
    EXPECT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    EXPECT_EQ(page_calls().log, (std::vector<std::string>{"C1/0", "L1/0"}));
    ASSERT_TRUE(page_frame<1>(0));
    EXPECT_TRUE(main->ScrollBox_Menu->isAncestorOf(page_frame<1>(0)));
    // Baud rate forced, whatever the file says; status bar built.
    EXPECT_EQ(Link_settings().baud, 57600u);
    EXPECT_NE(MainStb, nullptr);
    // Without a settings file: the default size, within the screen's available area.
    const QSize screen = main->screen()->availableSize();
    EXPECT_EQ(main->size(), QSize(WINDOW_DEFAULT_WIDTH, WINDOW_DEFAULT_HEIGHT).boundedTo(screen));
}

TEST_F(MainLifecycle, ServiceSwitchAloneGrantsEveryAccessLevel)
{
    const QString switch_text = SERVICE_SWITCH;
    for (const QString& line : {switch_text, switch_text + " x", switch_text.toLower(), " " + switch_text,
                                switch_text + " ", QString("-T"), QString()}) {
        SCOPED_TRACE(line.toStdString());
        CommandLine = line;
        AccessFlags = 7;  // cleared at every start
        open_window();
        const bool service = line == switch_text;
        EXPECT_EQ(AccessFlags, service ? 7 : 0);
        EXPECT_EQ(ui("v:Menu_Monitor v:FlashWrite v:Menu_Terminal"), service ? "1 1 0" : "0 0 0");
        close_window();
    }
}

TEST_F(MainLifecycle, ClosingSavesWindowSizeAndFreesTheBarAndPage)
{
    open_window();
    // A size the window can take whatever its minimum.
    const QSize size = QSize(900, 650).expandedTo(main->minimumSize());
    main->resize(size);
    pump_for(20);
    main->close();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(MainStb, nullptr);
    EXPECT_EQ(CurrentPageNode[0], nullptr);
    EXPECT_EQ(page_calls().live, 0);
    EXPECT_EQ(SettingsBlock.main_width, size.width());
    EXPECT_EQ(SettingsBlock.main_height, size.height());
    EXPECT_FALSE(main->Timer_com->isActive());

    // The next start takes the stored size.
    main.reset();
    open_window();
    EXPECT_EQ(main->size(), size);
}

TEST_F(MainLifecycle, DestroyedWithoutClosingStillFreesThePageAndTheBar)
{
    open_window();
    main.reset();
    EXPECT_EQ(page_calls().live, 0);
    EXPECT_EQ(page_calls().log.back(), "D1/0");
    EXPECT_EQ(MainStb, nullptr);
}

// ---- with a drive ----

class MainClosing : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        open_window();
        SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::AutoSave);
        Settings_publish_link();
        attach_simulator();
        // The field bus in local control (bus status bit 9): the main window's every-tick remote
        // synchronisation then queues nothing, and the queue holds only what a test puts there.
        SimBytes status(DriveSim::kStatusSize, 0);
        status[8] = 0x02;
        sim->set_status(status);
        connect_and_read();
        ASSERT_TRUE(linked_and_running());
        boxes.clear();
    }
    // An edit of the working copy that no display tick has seen yet.
    void edit_unseen()
    {
        main->Timer_com->stop();
        DriveRecordBank[0].b[300] ^= 0x5A;
    }
    // A parameter write acknowledged at once: the window must stay, with no new question.
    void expect_acknowledged_write_keeps_the_window()
    {
        const std::size_t asked = boxes.size();
        WritePending = 1;
        WriteStartMs = Tick_ms();
        WriteReplyFlag = 1;
        EXPECT_TRUE(pump_until([] { return WritePending == 0; }, 1000));
        pump_for(100);
        EXPECT_TRUE(main->isVisible());
        EXPECT_EQ(boxes.size(), asked);
    }
};

TEST_F(MainClosing, DisconnectWithChangesAsksAndCancelKeepsTheLink)
{
    edit_unseen();
    answers.push_back(MsgCancel);
    main->BitBtn_disconnect->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save the data?");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes[0].buttons, unsigned{MsgYes | MsgNo | MsgCancel});
    EXPECT_TRUE(DriveUiFlags.load() & UiFlag::Modified);
    EXPECT_EQ(Ser_tx_state.load(), LinkState::Run);
    EXPECT_EQ(ui("e:BitBtn_disconnect"), "1");

    answers.push_back(MsgNo);
    main->BitBtn_disconnect->click();
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_NE(Ser_tx_state.load(), LinkState::Run);
    EXPECT_EQ(ui("e:BitBtn_connect"), "1");
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::Modified);
}

TEST_F(MainClosing, CloseWithChangesCancelKeepsWindowAndLink)
{
    edit_unseen();
    answers.push_back(MsgCancel);
    main->close();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save the data?");
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(linked_and_running());
    EXPECT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    EXPECT_EQ(CloseRequested, 0);

    // A write acknowledged later neither closes the window nor asks again.
    main->Timer_com->start();
    expect_acknowledged_write_keeps_the_window();
}

TEST_F(MainClosing, NoQuestionWithAutoSave)
{
    SettingsBlock.flags |= SettingsFlag::AutoSave;
    Settings_publish_link();
    edit_unseen();
    main->BitBtn_disconnect->click();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(main->BitBtn_connect->isEnabled());
}

TEST_F(MainClosing, NoQuestionWhileTheDriveIsSilent)
{
    sim->add_fault(SimFault::silence().times(SimFault::kForever));
    ASSERT_TRUE(pump_until([] { return !linktest::link_bits(LinkFlag::Answers); }, 5000));
    DriveRecordBank[0].b[300] ^= 0x5A;
    main->close();
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(main->isVisible());
}

TEST_F(MainClosing, DeferredCloseEndsWhenTheWriteIsAcknowledged)
{
    WritePending = 1;
    WriteReplyFlag = 0;
    WriteStartMs = Tick_ms();
    main->close();
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(CloseRequested, 1);
    QTimer::singleShot(500, [] { WriteReplyFlag = 1; });
    pump_for(400);
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(pump_until([this] { return !main->isVisible(); }, 1500));
    EXPECT_EQ(WritePending, 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(Ser_port.is_open());
}

TEST_F(MainClosing, DeferredCloseWithoutReplyIsDroppedAndDisarmed)
{
    WritePending = 1;
    WriteReplyFlag = 0;
    WriteStartMs = Tick_ms();
    main->close();
    pump_for(2300);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(WritePending, 0);
    EXPECT_EQ(CloseRequested, 0);

    // A later write that completes does not close the window unasked.
    expect_acknowledged_write_keeps_the_window();
}

// `make run` builds the program alone: the Makefile's recipe builds the target pendrix only, and
// in the build's dependency graph, configured fresh by the recipe's own configure command, that
// target reaches no test or benchmark target and no test library.
TEST(MakeRun, BuildsTheProgramAloneFromAFreshTree)
{
    const QString source = QStringLiteral(PENDRIX_SOURCE_DIR);
    QTemporaryDir build;
    ASSERT_TRUE(build.isValid());
    const auto run = [](const QString& command, const QString& dir) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("sh"), {QStringLiteral("-c"), command});
        const bool done = p.waitForFinished(240000);
        const QString out = QString::fromLocal8Bit(p.readAll());
        EXPECT_TRUE(done && p.exitCode() == 0) << command.toStdString() << "\n" << out.toStdString();
        return out;
    };
    const QString graph = build.path() + "/targets.dot";
    QStringList builds;
    bool starts = false;
    for (const QString& line : run("make -n run BUILD=" + build.path(), source).split('\n')) {
        if (line.startsWith(QStringLiteral("cmake -S")))
            run(line + " --graphviz=" + graph, source);
        else if (line.startsWith(QStringLiteral("cmake --build")))
            builds << line;
        starts |= line.trimmed() == build.path() + "/pendrix";
    }
    EXPECT_TRUE(starts);
    ASSERT_EQ(builds.size(), 1);
    EXPECT_TRUE(builds[0].contains(QStringLiteral(" --target pendrix "))) << builds[0].toStdString();

    // Edges of the graph: "node1" -> "node2" ... // from -> to
    QFile file(graph);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::map<QString, QStringList> edges;
    const QRegularExpression edge(QStringLiteral("//\\s*(\\S+)\\s*->\\s*(\\S+)\\s*$"));
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const QRegularExpressionMatch m = edge.match(line);
        if (m.hasMatch())
            edges[m.captured(1)] << m.captured(2);
    }
    std::set<QString> reached;
    std::vector<QString> todo{QStringLiteral("pendrix")};
    while (!todo.empty()) {
        const QString t = todo.back();
        todo.pop_back();
        if (reached.insert(t).second)
            for (const QString& next : edges[t])
                todo.push_back(next);
    }
    EXPECT_TRUE(reached.count(QStringLiteral("pendrix_shell")));
    for (const QString& t : reached) {
        EXPECT_FALSE(t == "drive_sim" || t.startsWith("test_") || t.startsWith("bench_") || t.startsWith("GTest::") ||
                     t.startsWith("benchmark::"))
            << t.toStdString();
    }
}
