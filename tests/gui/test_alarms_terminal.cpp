// The system-state window's alarm list and the terminal window: list rebuilds, painted cells,
// the drive text drain, typed keys, live values and the reply-rate pane.
#include "main_fixture.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QLocale>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>

#include "controls/Graph_draw.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

using namespace maintest;

namespace {

constexpr uint8_t READY = LinkFlag::Answers | LinkFlag::Ready | LinkFlag::Connect;

// The two start-up windows of these tests without the main window: the link state is set through
// the link globals, no thread runs.
class AlarmWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        State_reset_all();
        saved_language_ = LanguageIndex;
        LanguageIndex = 1;
        Allarmi_clear_list();
        alarms = std::make_unique<TForm_allarmi>();
        alarms->show();
        Ser_link_flags.store(READY);
    }
    void TearDown() override
    {
        alarms.reset();
        State_reset_all();
        Allarmi_clear_list();
        LanguageIndex = saved_language_;
    }
    void word(uint32_t w)
    {
        Drive_status st{};
        st.alarm_word = w;
        Drive_status_publish(st);
        alarms->Timer_monitor_serialeTimer();
    }
    // Colour inside the box of the type column of a data row, as painted.
    QRgb box_pixel(int row)
    {
        QTableWidget* grid = alarms->StringGrid_alarm;
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, 3));
        const QImage shot = grid->viewport()->grab().toImage();
        return shot.pixel(cell.right() - 6, cell.center().y()) | 0xFF000000u;
    }

    std::unique_ptr<TForm_allarmi> alarms;

private:
    uint8_t saved_language_ = 1;
};

}  // namespace

TEST_F(AlarmWindow, TheListFollowsTheAlarmWord)
{
    const struct {
        uint32_t word;
        uint8_t language;
        int rows;
        const char* first[4];  // number, text, code, type of the first data row
        QColor box;
    } cases[] = {
        {0, 1, 2, {"", "", "", ""}, clWhite},
        {0x1, 1, 2, {"1", "E2prom", "FA - [01]", "Alarm"}, clRed},
        {0x4000, 1, 2, {"1", "I2t Drive", "F  - [15]", "Warning"}, clYellow},
        {0x4, 2, 2, {"1", "Surintensité", "FA - [03]", "Alarme"}, clRed},
        {0xFC000000u, 1, 1, {}, {}},  // bits above 25 give no row
        {0x4000 | (1u << 25) | 0x1, 1, 4, {"1", "E2prom", "FA - [01]", "Alarm"}, clRed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        LanguageIndex = c.language;
        word(c.word);
        EXPECT_EQ(AlarmWordShown, c.word);
        ASSERT_EQ(alarms->RowCount(), c.rows);
        if (c.rows < 2)
            continue;
        for (int col = 0; col < 4; ++col)
            EXPECT_EQ(Allarmi_cell(col, 1).text, QString::fromUtf8(c.first[col])) << col;
        EXPECT_EQ(box_pixel(1), c.box.rgb());
    }
    EXPECT_EQ(Allarmi_cell(2, 3).text, "FA - [26]");  // the rows in bit order, alarms marked
    EXPECT_EQ(std::vector<uint8_t>(AlarmList, AlarmList + 3), (std::vector<uint8_t>{0x80, 14, 0x80 | 25}));
    EXPECT_EQ(Allarmi_cell(1, 0).text, "Alarm");
}

TEST_F(AlarmWindow, RefreshOnlyWhileVisibleAndReadyAndOnlyOnChange)
{
    Ser_link_flags.store(LinkFlag::Answers);
    word(0x1);
    EXPECT_EQ(AlarmListCount, 0);
    Ser_link_flags.store(READY);
    alarms->hide();
    word(0x1);
    EXPECT_EQ(AlarmListCount, 0);
    alarms->show();  // showing refreshes at once
    EXPECT_EQ(AlarmListCount, 1);
    AlarmList[0] = 3;  // an unchanged word does not rebuild
    alarms->hide();
    alarms->show();
    EXPECT_EQ(AlarmList[0], 3);
    Allarmi_clear_list();  // port closed: the same alarm is listed again
    EXPECT_EQ(alarms->RowCount(), 2);
    word(0x1);
    EXPECT_EQ(AlarmListCount, 1);
    alarms->BitBtn_chiudi->click();  // closing only hides
    EXPECT_FALSE(alarms->isVisible());
    EXPECT_EQ(Form_allarmi, alarms.get());
}

// ---- terminal ----

namespace {

class TerminalWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        State_reset_all();
        saved_locale_ = QLocale();
        QLocale::setDefault(QLocale::c());
        terminal = std::make_unique<TForm_terminal>();
        terminal->show();
        TerminalReadIndex = TerminalRing.write_index();
        Seriale_init();
        Seriale_clear_queue();
    }
    void TearDown() override
    {
        Seriale_clear_queue();
        terminal.reset();
        Ser_tx_state.store(LinkState::Stop);
        State_reset_all();
        QLocale::setDefault(saved_locale_);
    }
    QString text() const { return terminal->RichEdit_ser_rx->toPlainText(); }
    std::vector<std::vector<uint8_t>> queued(uint8_t cmd) const
    {
        std::vector<std::vector<uint8_t>> out;
        for (const Ser_queue_entry& e : Seriale_view().entries)
            if (e.frame.size() > 1 && e.frame[1] == cmd)
                out.push_back(e.frame);
        return out;
    }
    // Inside the square at the right end of the rate pane.
    static QPoint square_point()
    {
        const DrawRect r = Stbarcmx_content(*TerminalPanes[TERMINAL_PANE_RATE]);
        return {r.right - 6, (r.top + r.bottom) / 2};
    }
    static QRgb rate_square() { return TerminalStb->picture()->image().pixel(square_point()) | 0xFF000000u; }

    std::unique_ptr<TForm_terminal> terminal;

private:
    QLocale saved_locale_;
};

}  // namespace

TEST_F(TerminalWindow, DriveTextIsDrainedWholeOnlyWhileShownAndAnswering)
{
    TerminalRing.append("abc", 3);
    TerminalRefresh();  // drive silent
    Ser_link_flags.store(LinkFlag::Answers);
    terminal->hide();
    TerminalRefresh();
    EXPECT_TRUE(text().isEmpty());
    terminal->show();
    TerminalRefresh();
    EXPECT_EQ(text(), "abc");

    terminal->RichEdit_ser_rx->clear();
    std::string message(700, 'x');
    for (std::size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<char>('a' + i % 26);
    TerminalRing.append(message.data(), message.size());
    TerminalRefresh();
    EXPECT_EQ(text().toStdString(), message);  // in several appends
    EXPECT_EQ(terminal->RichEdit_ser_rx->textCursor().position(), 700);

    terminal->RichEdit_ser_rx->clear();
    const char part1[] = "one\r\ntwo\rthree\r";
    const char part2[] = "\nfour\0five\x80\xE9";
    TerminalRing.append(part1, sizeof part1 - 1);
    TerminalRefresh();
    TerminalRing.append(part2, sizeof part2 - 1);
    TerminalRefresh();
    EXPECT_EQ(text(), QString::fromUtf8("one\ntwo\nthree\nfourfive€é"));

    TerminalRingBuffer ring;  // never written; a reader at the ring's end reads nothing, then wraps
    uint16_t read = TERMINAL_RING_SIZE;
    terminal->RichEdit_ser_rx->clear();
    EXPECT_EQ(terminal->DrainRing(ring, read), 0);
    ring.append("Z", 1);
    EXPECT_EQ(terminal->DrainRing(ring, read), 1);
    EXPECT_EQ(text(), "Z");
}

TEST_F(TerminalWindow, ThePastBeyondAThousandLinesIsDroppedOneLinePerChunk)
{
    QStringList lines;
    for (int i = 0; i < TERMINAL_LINES_MAX; ++i)
        lines << QString("line %1").arg(i);
    terminal->RichEdit_ser_rx->setPlainText(lines.join('\n'));
    ASSERT_EQ(terminal->RichEdit_ser_rx->document()->blockCount(), TERMINAL_LINES_MAX);
    TerminalRingBuffer ring;
    uint16_t read = 0;
    ring.append("\nnew", 4);
    terminal->DrainRing(ring, read);
    EXPECT_EQ(terminal->RichEdit_ser_rx->document()->blockCount(), TERMINAL_LINES_MAX);
    EXPECT_EQ(terminal->RichEdit_ser_rx->document()->firstBlock().text(), "line 1");
    EXPECT_EQ(terminal->RichEdit_ser_rx->document()->lastBlock().text(), "new");
}

TEST_F(TerminalWindow, LiveValuesAreRewrittenOnEveryCall)
{
    Ser_link_flags.store(LinkFlag::Answers);
    Drive_status st{};
    st.speed = -1500;
    st.current = 1234;
    st.voltage = 325;
    st.turns = -3;
    st.turn_pos = 65535;
    Drive_status_publish(st);
    TerminalRefresh();
    EXPECT_EQ(terminal->Panel_vel_disp->text(), "-1500");
    EXPECT_EQ(terminal->Panel_corr_disp->text(), "12.34");
    EXPECT_EQ(terminal->Panel_volt_disp->text(), "325");
    EXPECT_EQ(terminal->Panel_giri_disp->text(), "-3");
    EXPECT_EQ(terminal->Panel_offset_giro_disp->text(), "65535");
    terminal->Panel_vel_disp->setText("?");
    TerminalRefresh();
    EXPECT_EQ(terminal->Panel_vel_disp->text(), "-1500");
}

TEST_F(TerminalWindow, TypedCharactersAreQueuedNotShownAndOnlyWhileTheDriveAnswers)
{
    QTest::keyClick(terminal->RichEdit_ser_rx, Qt::Key_B);
    EXPECT_TRUE(queued(SerCmd::Terminal).empty());
    Ser_link_flags.store(LinkFlag::Answers);
    QTest::keyClick(terminal->RichEdit_ser_rx, 'A');
    QTest::keyClick(terminal->RichEdit_ser_rx, Qt::Key_Return);
    QTest::keyClick(terminal->RichEdit_ser_rx, Qt::Key_Backspace);
    terminal->RichEdit_ser_rxKeyPress(QString::fromUtf8("€中"));
    std::vector<uint8_t> sent;
    for (const auto& f : queued(SerCmd::Terminal))
        sent.push_back(f[2]);
    EXPECT_EQ(sent, (std::vector<uint8_t>{'A', 0x0D, 0x08, 0x80}));
    EXPECT_TRUE(text().isEmpty());
    EXPECT_TRUE(terminal->RichEdit_ser_rx->isReadOnly());
}

TEST_F(TerminalWindow, CloseHidesKeepsTheTextAndClearsTheOpenFlag)
{
    TerminalOpen = 1;
    terminal->AppendDriveText("kept", 4);
    terminal->SpeedButton8->click();
    EXPECT_FALSE(terminal->isVisible());
    EXPECT_EQ(TerminalOpen, 0);
    Terminal_show();
    EXPECT_TRUE(terminal->isVisible());
    EXPECT_EQ(text(), "kept");
    terminal->SpeedButton9->click();
    EXPECT_TRUE(text().isEmpty());

    // Clearing also forgets a line end that was waiting for its line feed.
    Ser_link_flags.store(LinkFlag::Answers);
    TerminalRing.append("a\r", 2);
    TerminalRefresh();
    terminal->SpeedButton9->click();
    TerminalRing.append("\nb", 2);
    TerminalRefresh();
    EXPECT_EQ(text(), "\nb");
}

TEST_F(TerminalWindow, RatePaneIsLiveWhileAnsweringAndRepaintedOnceAfterTheLinkDrops)
{
    ASSERT_NE(TerminalStb, nullptr);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(LinkFlag::Answers);
    TerminalRateTime = Tick_ms() - 200;
    Ser_ok_count.store(50);
    TerminalUpdateRate();
    EXPECT_EQ(TerminalRateShown, 1);
    EXPECT_EQ(Ser_ok_count.load(), 0);
    EXPECT_GE(ReplyRate, 240);
    EXPECT_LE(ReplyRate, 250);
    EXPECT_EQ(rate_square(), clLime.rgb());

    // Within 150 ms nothing is computed again.
    Ser_ok_count.store(7);
    TerminalUpdateRate();
    EXPECT_EQ(Ser_ok_count.load(), 7);

    Ser_link_flags.store(0);
    TerminalUpdateRate();
    EXPECT_EQ(TerminalRateShown, 0);
    EXPECT_EQ(rate_square(), clRed.rgb());
    // Exactly one repaint: a mark put into the pane afterwards stays.
    ImageBox* picture = TerminalStb->picture();
    Canvas& c = picture->canvas();
    c.brush = QBrush(clBlue, Qt::SolidPattern);
    const QPoint p = square_point();
    c.fill_rect({p.x() - 2, p.y() - 2, p.x() + 3, p.y() + 3});
    TerminalUpdateRate();
    TerminalUpdateRate();
    EXPECT_EQ(rate_square(), clBlue.rgb());

    Ser_tx_state.store(LinkState::Stop);
    TerminalPaneRate(picture, nullptr, 2);  // a bad pane array paints nothing
    Stbarx_repaint_pane(TerminalStb, TERMINAL_PANE_RATE);
    EXPECT_EQ(rate_square(), clBtnFace.rgb());
}

// ---- with a drive ----

namespace {
class TerminalLink : public MainWindowTest {};
}  // namespace

TEST_F(TerminalLink, KeysBecomeTerminalFramesAndTheDriveTextIsShown)
{
    open_window();
    attach_simulator();
    sim->set_terminal_echo(false);
    connect_and_read();
    Terminal_show();
    QTest::keyClick(terminal->RichEdit_ser_rx, 'A');
    QTest::keyClick(terminal->RichEdit_ser_rx, Qt::Key_Enter);
    ASSERT_TRUE(sim->wait_requests(SerCmd::Terminal, 2, std::chrono::milliseconds(2000)));
    const auto frames = sim->requests(SerCmd::Terminal);
    EXPECT_EQ(sim_hex(frames[0].bytes), sim_hex(sim_frame(1, {0x41})));
    EXPECT_EQ(sim_hex(frames[1].bytes), sim_hex(sim_frame(1, {0x0D})));

    sim->queue_text_message(SimTextMessage("T=%d\r\n").i32(42).bytes());
    QTest::keyClick(terminal->RichEdit_ser_rx, Qt::Key_Space);
    EXPECT_TRUE(pump_until([this] { return terminal->RichEdit_ser_rx->toPlainText() == "T=42\n"; }, 3000))
        << terminal->RichEdit_ser_rx->toPlainText().toStdString();
    EXPECT_TRUE(pump_until([] { return TerminalRateShown == 1 && ReplyRate > 0; }, 3000));
    EXPECT_TRUE(sim->violations().empty());
}
