// Main window start-up and closing: folders and settings, splash and timers, service switch,
// save question, deferred close; what `make run` builds.
#include "files_fixture.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMoveEvent>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <map>
#include <optional>
#include <set>

#include "controls/Window_place.h"
#include "shell/Form_send_dat.h"


using namespace maintest;

using MainLifecycle = MainWindowTest;

namespace {

// Events posted by the handling of events posted before.
void pump_events()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

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
    // Without a settings file: the default size, centred in the screen's available area.
    EXPECT_EQ(placement_faults(main.get(), QSize(WINDOW_DEFAULT_WIDTH, WINDOW_DEFAULT_HEIGHT)), "");
}

// A stored size opens centred, brought inside the screen when it no longer fits.
TEST_F(MainLifecycle, OpensCentredAtItsStoredSize)
{
    for (const QSize stored : {QSize(640, 480), QSize(3000, 2000)}) {
        main = std::make_unique<TForm_main>();
        SettingsBlock.main_width = static_cast<uint16_t>(stored.width());
        SettingsBlock.main_height = static_cast<uint16_t>(stored.height());
        main->show();
        ASSERT_TRUE(pump_until([this] { return main->form_shown(); }, 10000));
        EXPECT_EQ(placement_faults(main.get(), stored), "") << stored.width();
        close_window();
    }
}

// The windows' placement tests again on a 1024 x 600 screen, and on two screens side by side with
// the main window on the one a new window's default geometry is not on: the offscreen platform
// takes its screens from a file named at its start, so they run in a child process.
TEST(OtherScreens, WindowsOpenInsideThem)
{
    const struct {
        const char* screens;
        const char* size;  // of the screen the placement tests find, when there is one
        const char* tests;
    } rows[] = {
        {R"([{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600}])", "1024x600",
         "MainLifecycle.Opens*:OscxWindowTest.CommandsAndChannelNames*:OscxViewerTest.WithoutAFile*:"
         "Layout.WindowsOpen*"},
        {R"([{"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080},
             {"name": "small", "x": 1920, "y": 0, "width": 1024, "height": 600}])",
         "", "Layout.WindowsOpen*"},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        QFile config(dir.filePath("screen.json"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QByteArray(R"({"screens": )") + row.screens + "}");
        config.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName());
        env.insert("TEST_SCREEN_SIZE", row.size);
        for (const char* shard : {"GTEST_TOTAL_SHARDS", "GTEST_SHARD_INDEX"})  // the child runs its tests whole
            env.remove(shard);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString("--gtest_filter=") + row.tests});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        const int count = QString(row.tests).count(':') + 1;
        EXPECT_TRUE(output.contains(QString("[  PASSED  ] %1 test").arg(count))) << output.toStdString();
    }
}

// Where a window opens, frame included: within the available area, centred, or at a stored
// position moved just inside.
TEST(WindowPlace, InsideTheAvailableAreaFrameIncluded)
{
    const QRect area(0, 0, 1024, 600), offset(100, 50, 800, 600);
    const QMargins frame(1, 20, 1, 5);
    struct Row {
        QRect area;
        QMargins frame;
        QSize size;
        std::optional<QPoint> at;
        QRect placed;
    } const rows[] = {
        {area, frame, {400, 300}, {}, {312, 157, 400, 300}},           // fits: centred
        {offset, frame, {400, 300}, {}, {300, 207, 400, 300}},         // in an area that does not start at 0, 0
        {area, frame, {996, 693}, {}, {14, 20, 996, 575}},             // too tall for the area with its title bar
        {area, frame, {1104, 560}, {}, {1, 27, 1022, 560}},            // too wide
        {area, {}, {3000, 2000}, {}, area},                            // no frame: the whole area
        {area, frame, {400, 300}, QPoint(10, 30), {11, 50, 400, 300}},  // a stored position that fits stays
        {area, frame, {400, 300}, QPoint(900, -40), {623, 20, 400, 300}},  // past the right edge and above
        {area, frame, {1104, 700}, QPoint(50, 50), {1, 20, 1022, 575}},  // neither size nor position fits
    };
    for (const Row& r : rows)
        EXPECT_EQ(Window_place_rect(r.area, r.frame, r.size, r.at), r.placed)
            << r.size.width() << "x" << r.size.height() << " at " << r.at.value_or(QPoint()).x();
}

// A window placed with a guessed frame is placed again once, when the window manager (here the
// test) reports the real one (a frame that does not enclose the window is none yet); then it
// stays where the user moves it.
TEST(WindowPlace, PlacedAgainOnceWithTheFrameReported)
{
    static std::optional<QMargins> reported;
    reported.reset();
    Window_place_frame_report([](const QWidget*) { return reported; });
    const std::shared_ptr<void> platforms_again(nullptr, [](void*) { Window_place_frame_report(nullptr); });
    QDialog w;
    w.resize(400, 300);
    w.show();
    const QRect area = w.screen()->availableGeometry();
    const QRect guessed = w.geometry();
    const QMargins just_made(0, 0, -399, -299);  // a frame just made, 1 x 1 at the origin: none yet
    reported = just_made;
    w.update();
    pump_events();
    EXPECT_EQ(w.geometry(), guessed);
    reported = QMargins(6, 40, 6, 6);  // seen at a move, then made anew before the window is placed
    QMoveEvent move(w.pos(), w.pos());
    QCoreApplication::sendEvent(&w, &move);
    reported = just_made;
    pump_events();
    EXPECT_EQ(w.geometry(), guessed);
    reported = QMargins(6, 40, 6, 6);
    w.update();
    pump_events();
    EXPECT_EQ(w.geometry(), Window_place_rect(area, *reported, {400, 300}));
    const QPoint moved = area.topLeft() + QPoint(1, 1);
    w.move(moved);  // by the user
    pump_events();
    w.update();
    pump_events();
    EXPECT_EQ(w.pos(), moved);
}

// A window whose contents need more room than the screen has opens inside it, its contents (a main
// window's central widget) in a scroll area, still laid out: they follow the window's width and a
// text's length, and keep the least width the window was given.
TEST(WindowPlace, ContentsTooLargeScrollAndKeepTheirLayout)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (const bool main_window : {false, true}) {
        QMainWindow* const main = main_window ? new QMainWindow : nullptr;
        std::unique_ptr<QWidget> w(main_window ? static_cast<QWidget*>(main) : new QDialog);
        QWidget* const contents = main_window ? new QWidget(main) : w.get();
        auto* grid = new QGridLayout(contents);
        auto* text = new QLabel("x");
        auto* button = new QPushButton("Close");
        grid->addWidget(text, 0, 0);
        grid->addWidget(button, 0, 1);
        grid->setRowMinimumHeight(1, area.height() + 100);
        auto* loose = new QLabel("loose", contents);  // placed by hand
        auto* hidden = new QLabel("hidden", contents);
        hidden->hide();
        if (main_window)
            main->setCentralWidget(contents);
        else
            w->setMinimumWidth(500);
        w->show();
        pump_events();
        auto* scroller = w->findChild<QScrollArea*>("ScrollBox_window");
        ASSERT_NE(scroller, nullptr) << main_window;
        EXPECT_TRUE(area.contains(w->frameGeometry()) && scroller->widget()->isAncestorOf(button)) << main_window;
        EXPECT_TRUE(!main_window || main->centralWidget() == scroller);
        EXPECT_TRUE(scroller->widget()->isAncestorOf(loose) && loose->isVisible() && hidden->isHidden()) << main_window;
        const auto right_gap = [&] { return w->width() - button->mapTo(w.get(), QPoint(button->width(), 0)).x(); };
        const int gap = right_gap();
        w->resize(w->width() + 200, w->height());
        pump_events();
        EXPECT_EQ(right_gap(), gap) << main_window;
        w->resize(300, w->height());
        pump_events();
        EXPECT_EQ(scroller->widget()->width(), main_window ? scroller->viewport()->width() : 500);
        text->setText(QString(200, 'x'));
        pump_events();
        EXPECT_GE(text->width(), text->minimumSizeHint().width()) << main_window;
    }
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
    // A size the window can take whatever its minimum, and the screen holds.
    const QSize size = QSize(700, 500).expandedTo(main->minimumSize());
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
