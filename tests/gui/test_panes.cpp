// Status panes painted into their bar's picture: the three standard panes and the main window's
// six, checked by the colours of their indicator boxes and texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QFrame>

#include "drivedata/Globvar.h"
#include "gui_app.h"
#include "link/Flash_progress.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

namespace {

// Near a colour: each channel within tol (text is anti-aliased against button face).
bool near(QRgb p, const QColor& c, int tol)
{
    return std::abs(qRed(p) - c.red()) <= tol && std::abs(qGreen(p) - c.green()) <= tol &&
           std::abs(qBlue(p) - c.blue()) <= tol;
}

int count_near(const QImage& img, const QRect& area, const QColor& c, int tol = 40)
{
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += near(img.pixel(x, y), c, tol) ? 1 : 0;
    return n;
}

class PaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        old_sink_ = Msgbox_set_sink([](const MsgRequest& r) {
            ADD_FAILURE() << "unexpected message box: " << r.text;
            return MsgOk;
        });
        saved_tx_ = Ser_tx_state.load();
        Ser_tx_state.store(LinkState::Stop);
        Ser_link_mode.store(LinkMode::Normal);
        Ser_link_flags.store(0);
        Ser_data_flags.store(0);
        DriveUiFlags.store(0);
        Ser_baud.store(57600);
        Drive_status_publish(Drive_status{});
        DriveStateIndex = 0;
        LanguageIndex = 1;
        SettingsBlock.baud = 57600;
        SettingsBlock.flags = 0;
        FlashProgressCount.store(0);
        FlashProgressMax.store(0);
        window_ = std::make_unique<QWidget>();
        window_->resize(800, 40);
        panel_ = new QFrame(window_.get());
        panel_->setGeometry(0, 10, 760, 20);
        for (int i = 0; i < 3; ++i)
            std_array_[i] = &std_panes_[i];
        std_panes_[0] = {0, 0, 0, 115, Stbarcmx_paint_link, 0};
        std_panes_[1] = {0, 0, 0, 115, Stbarcmx_paint_drive, 0};
        std_panes_[2] = {0, 0, 0, 85, Stbarcmx_paint_state, 0};
    }

    void TearDown() override
    {
        Ser_tx_state.store(saved_tx_);
        Ser_link_mode.store(LinkMode::Normal);
        Ser_link_flags.store(0);
        Drive_status_publish(Drive_status{});
        DriveStateIndex = 0;
        Msgbox_set_sink(std::move(old_sink_));
    }

    void link_running(uint8_t link_flags)
    {
        Ser_tx_state.store(LinkState::Run);
        Ser_link_flags.store(link_flags);
    }

    void status(uint16_t word, uint32_t alarm, int16_t volts = 0)
    {
        Drive_status st{};
        st.status_word = word;
        st.alarm_word = alarm;
        st.voltage = volts;
        Drive_status_publish(st);
    }

    // Paints a fresh bar and returns the picture.
    QImage paint(StbarPane* const* panes)
    {
        Stbarx bar(panel_, panes, 0);
        return bar.picture()->image().copy();
    }

    // Centre of the indicator box of a pane (content area right - 12 .. right - 1).
    static QRgb box(const QImage& img, const StbarPane& p)
    {
        const int right = p.x + p.width - 1;
        return img.pixel(right - 6, (p.y + 2 + p.y + p.height - 3) / 2) | 0xFF000000u;
    }
    // Content area left of the indicator box.
    static QRect text_area(const StbarPane& p) { return QRect(p.x + 1, p.y + 1, p.width - 15, p.height - 3); }

    static QRgb rgb(const QColor& c) { return c.rgb() | 0xFF000000u; }

    std::unique_ptr<QWidget> window_;
    QFrame* panel_ = nullptr;
    StbarPane std_panes_[3];
    StbarPane* std_array_[4] = {};
    uint8_t saved_tx_ = 0;
    MsgSink old_sink_;
};

StbarPane& main_pane(int i) { return *MainStbPanes[i]; }

}  // namespace

// ---- standard panes ----

TEST_F(PaneTest, StandardPanesWithThePortClosedShowNoState)
{
    const QImage img = paint(std_array_);
    EXPECT_EQ(box(img, std_panes_[0]), rgb(clBtnFace));
    EXPECT_EQ(box(img, std_panes_[1]), rgb(clBtnFace));
    EXPECT_EQ(box(img, std_panes_[2]), rgb(clBtnFace));
    EXPECT_GT(count_near(img, text_area(std_panes_[0]), clBlack, 10), 0);  // "COM - OFF"
    EXPECT_EQ(count_near(img, text_area(std_panes_[1]), clBlack, 60), 0);  // empty drive pane

    EXPECT_STREQ(StbarStateTable[0].text[0], "----");
    EXPECT_STREQ(StbarStateTable[0].text[1], "--------");
    EXPECT_STREQ(StbarStateTable[0].text[2], "");
    LanguageIndex = 2;
    const QImage french = paint(std_array_);
    EXPECT_EQ(count_near(french, text_area(std_panes_[2]), clBlack, 60), 0);
    LanguageIndex = 1;
    EXPECT_GT(count_near(paint(std_array_), text_area(std_panes_[2]), clBlack, 60), 0);
}

TEST_F(PaneTest, StandardPanesFollowLinkAlarmAndState)
{
    link_running(LinkFlag::Answers | LinkFlag::Ready);
    QImage img = paint(std_array_);
    EXPECT_EQ(box(img, std_panes_[0]), rgb(clLime));
    EXPECT_EQ(box(img, std_panes_[1]), rgb(clLime));  // "Drive-OK"

    // Link error: red "COM - ER" in the blink phase, nothing outside it.
    link_running(LinkFlag::Answers | LinkUiFlag::ErrorBlink);
    img = paint(std_array_);
    EXPECT_EQ(box(img, std_panes_[0]), rgb(clRed));
    EXPECT_GT(count_near(img, text_area(std_panes_[0]), clRed), 0);
    link_running(LinkFlag::Answers);
    img = paint(std_array_);
    EXPECT_EQ(box(img, std_panes_[0]), rgb(clBtnFace));
    EXPECT_EQ(count_near(img, text_area(std_panes_[0]), clRed), 0);

    // Alarm bit 0 (an alarm) red, bit 4 alone (a warning) yellow, both only in the blink phase.
    status(0, 0x1);
    link_running(LinkFlag::Answers | LinkFlag::Ready | LinkUiFlag::AlarmBlink);
    EXPECT_EQ(box(paint(std_array_), std_panes_[1]), rgb(clRed));
    status(0, 0x10);
    EXPECT_EQ(box(paint(std_array_), std_panes_[1]), rgb(clYellow));
    link_running(LinkFlag::Answers | LinkFlag::Ready);
    EXPECT_EQ(box(paint(std_array_), std_panes_[1]), rgb(clBtnFace));

    // State pane by index; link mode 0 or 2 shows "Prog".
    const QColor expect[5] = {clBtnFace, clRed, clLime, bgr(0x4080FF), clYellow};
    for (uint8_t i : {0, 2, 3, 4}) {
        DriveStateIndex = i;
        EXPECT_EQ(box(paint(std_array_), std_panes_[2]), rgb(expect[i])) << int(i);
    }
    DriveStateIndex = 9;  // out of the table: shown as no state
    EXPECT_EQ(box(paint(std_array_), std_panes_[2]), rgb(clBtnFace));
    Ser_link_mode.store(LinkMode::Flash);
    img = paint(std_array_);
    EXPECT_EQ(box(img, std_panes_[2]), rgb(clYellow));
    EXPECT_EQ(box(img, std_panes_[0]), rgb(clBtnFace));  // not the normal protocol: "COM - OFF"
}

// ---- main window panes ----

TEST_F(PaneTest, MainPanesWithThePortClosed)
{
    ASSERT_EQ(main_pane(0).width, 150);
    ASSERT_EQ(main_pane(5).width, 20);
    ASSERT_EQ(MainStbPanes[6], nullptr);
    const QImage img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(0)), rgb(clBtnFace));
    EXPECT_EQ(box(img, main_pane(1)), rgb(clBtnFace));
    EXPECT_EQ(count_near(img, text_area(main_pane(0)), clNavy, 30), 0);  // no baud rate
    EXPECT_EQ(count_near(img, text_area(main_pane(3)), clBlue, 60), 0);  // "-----", no voltage
    EXPECT_GT(count_near(img, text_area(main_pane(4)), clGray, 30), 0);  // "--.--"
    EXPECT_EQ(count_near(img, text_area(main_pane(4)), clNavy, 30), 0);
}

TEST_F(PaneTest, MainPanesWithTheDriveAnswering)
{
    link_running(LinkFlag::Answers | LinkFlag::Ready);
    status(0, 0, 325);
    DriveFwVersion.store(0x0314);
    QImage img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(0)), rgb(clLime));
    EXPECT_GT(count_near(img, text_area(main_pane(0)), clNavy, 30), 0);   // "[57600]"
    EXPECT_EQ(box(img, main_pane(1)), rgb(clLime));                       // "Drive-OK"
    EXPECT_GT(count_near(img, text_area(main_pane(3)), clBlue, 60), 0);   // the voltage
    EXPECT_GT(count_near(img, text_area(main_pane(4)), clNavy, 30), 0);   // "3.20"
    EXPECT_GT(count_near(img, text_area(main_pane(4)), clMaroon, 30), 0); // "[mot]"

    // Auto-save marker: grey "S", red "S" when modified, navy "A" with auto-save.
    const QRect marker(main_pane(5).x + 2, 3, main_pane(5).width - 4, 15);
    EXPECT_EQ(count_near(img, marker, clRed, 40), 0);
    EXPECT_GT(count_near(img, marker, clGray, 40), 0);
    DriveUiFlags.store(UiFlag::Modified);
    EXPECT_GT(count_near(paint(MainStbPanes), marker, clRed, 60), 0);
    SettingsBlock.flags = SettingsFlag::AutoSave;
    img = paint(MainStbPanes);
    EXPECT_EQ(count_near(img, marker, clRed, 60), 0);
    EXPECT_GT(count_near(img, marker, clNavy, 40), 0);
}

TEST_F(PaneTest, MainLinkPaneBlinksWhileTheDriveIsSilent)
{
    SettingsBlock.baud = 9600;
    link_running(LinkUiFlag::ErrorBlink);
    QImage img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(0)), rgb(clRed));
    EXPECT_GT(count_near(img, text_area(main_pane(0)), clRed), 0);
    EXPECT_GT(count_near(img, text_area(main_pane(0)), clNavy, 30), 0);  // the settings' rate
    link_running(0);
    img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(0)), rgb(clBtnFace));
    EXPECT_EQ(count_near(img, text_area(main_pane(0)), clRed), 0);
    EXPECT_GT(count_near(img, text_area(main_pane(0)), clNavy, 30), 0);
}

TEST_F(PaneTest, MainDrivePaneShowsAlarmsWarningsAndTheBootLoader)
{
    link_running(LinkFlag::Answers | LinkFlag::Ready | LinkUiFlag::AlarmBlink);
    status(0, 0x1);
    QImage img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(1)), rgb(clRed));
    EXPECT_GT(count_near(img, text_area(main_pane(1)), clRed), 0);
    status(0, 0x10);
    EXPECT_EQ(box(paint(MainStbPanes), main_pane(1)), rgb(clYellow));
    status(0, 0xC0000000u);  // bits above 25 only: a warning, " WR - ----- [27]"
    EXPECT_EQ(box(paint(MainStbPanes), main_pane(1)), rgb(clYellow));
    link_running(LinkFlag::Answers | LinkFlag::Ready);
    EXPECT_EQ(box(paint(MainStbPanes), main_pane(1)), rgb(clBtnFace));

    // Boot loader answering: blue text, green box; the firmware pane has no file tag.
    link_running(LinkFlag::Answers);
    status(StatusBit::Boot, 0);
    DriveBootVersion.store(0x0105);
    img = paint(MainStbPanes);
    EXPECT_EQ(box(img, main_pane(1)), rgb(clLime));
    EXPECT_GT(count_near(img, text_area(main_pane(1)), clBlue, 60), 0);
    EXPECT_EQ(count_near(img, text_area(main_pane(4)), clMaroon, 30), 0);
}

TEST_F(PaneTest, MainDrivePaneIsAProgressBarDuringAFirmwareUpdate)
{
    Ser_link_mode.store(LinkMode::Flash);
    link_running(0);
    QImage img = paint(MainStbPanes);
    EXPECT_EQ(count_near(img, text_area(main_pane(1)), clWhite, 0), 0);  // "- - - - - - -"
    EXPECT_EQ(box(img, main_pane(2)), rgb(clYellow));                     // "Prog"

    link_running(LinkFlag::Answers);
    img = paint(MainStbPanes);
    EXPECT_GT(count_near(img, text_area(main_pane(1)), clWhite, 0), 0);  // empty bar of maximum 100
    FlashBarColour.store(0x0000FF);
    FlashProgressMax.store(200);
    FlashProgressCount.store(150);
    img = paint(MainStbPanes);
    EXPECT_GT(count_near(img, text_area(main_pane(1)), clRed, 0), 0);
    FlashProgressCount.store(0);
    FlashProgressMax.store(0);
}
