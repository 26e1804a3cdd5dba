// The i2t monitor (panels, polling while visible and under the queue limit), the about box
// (version, picture, web label) and the splash window.
#include "main_fixture.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

#include "controls/Graph_draw.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "shell/About.h"
#include "shell/Monitor_i2t.h"
#include "shell/Splash.h"

using namespace maintest;

namespace {

constexpr uint8_t CMD_INFO = 7;

// Information requests of sub-code 3 in the queue.
int queued_i2t_requests()
{
    int n = 0;
    for (const Ser_queue_entry& e : Seriale_view().entries)
        n += e.frame.size() > 2 && e.frame[1] == CMD_INFO && e.frame[2] == 3;
    return n;
}

class I2tMonitor : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        State_reset_all();
        Seriale_init();
        Seriale_clear_queue();
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        monitor = new TForm_monitor_I2t;
        Form_monitor_I2t = monitor;
        monitor->Timer_check_i2t->stop();
    }
    void TearDown() override
    {
        delete monitor.data();
        Seriale_clear_queue();
        State_reset_all();
    }
    QString drive_text() const { return monitor->Panel_I2t_drive->text(); }
    QString motor_text() const { return monitor->Panel_I2t_motore->text(); }

    QPointer<TForm_monitor_I2t> monitor;
};

}  // namespace

TEST_F(I2tMonitor, PanelsFollowTheValuesAndShowDashesWhileTheLinkIsDown)
{
    InfoDriveTemp = 0;
    InfoMotorTemp = 255;  // widened before the offset
    monitor->show();
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(drive_text(), QString::fromUtf8("25 °"));
    EXPECT_EQ(motor_text(), QString::fromUtf8("280 °"));

    Ser_link_flags.store(LinkFlag::Answers);
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(drive_text(), QString::fromUtf8("----- °"));
    EXPECT_EQ(motor_text(), QString::fromUtf8("----- °"));
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    InfoMotorTemp = 40;
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(drive_text(), QString::fromUtf8("25 °"));
    EXPECT_EQ(motor_text(), QString::fromUtf8("65 °"));

    // Shown again: both panels are written anew, in the language of the moment.
    monitor->Panel_I2t_drive->setText("x");
    monitor->hide();
    LanguageIndex = 2;
    monitor->show();
    EXPECT_EQ(monitor->GroupBox_I2t_drive->title(), QString::fromUtf8("Température Variateur"));
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(drive_text(), QString::fromUtf8("25 °"));
    LanguageIndex = 1;
}

TEST_F(I2tMonitor, PollsOnlyWhileVisibleAndUnderTheQueueLimit)
{
    monitor->Timer_check_i2tTimer();  // hidden
    EXPECT_EQ(queued_i2t_requests(), 0);
    monitor->show();
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(queued_i2t_requests(), 1);
    while (Seriale_count() < I2T_QUEUE_LIMIT)
        Sertx_read_info(1);
    monitor->Timer_check_i2tTimer();
    EXPECT_EQ(queued_i2t_requests(), 1);
    monitor->BitBtn_close->click();
    EXPECT_FALSE(monitor->isVisible());
    EXPECT_TRUE(monitor);  // closing only hides
}

TEST_F(MainWindowTest, I2tMonitorShowsTheDrivesValuesAndStopsPollingWhenHidden)
{
    open_window();
    attach_simulator();
    connect_and_read();
    auto* m = new TForm_monitor_I2t;
    Form_monitor_I2t = m;
    sim->set_info_reply(3, {10, 20});
    m->show();
    // Both values, as the drive sent them (the two panels may be painted on different ticks).
    EXPECT_TRUE(pump_until([m] {
        return m->Panel_I2t_motore->text() == QString::fromUtf8("45 °") &&
               m->Panel_I2t_drive->text() == QString::fromUtf8("35 °");
    }, 3000)) << m->Panel_I2t_motore->text().toStdString() << " " << m->Panel_I2t_drive->text().toStdString();
    m->hide();
    sim->clear_log();
    // A marker after anything queued before the hide: once the drive has it, so has it every earlier request.
    Sertx_read_info(1);
    ASSERT_TRUE(pump_until([this] {
        for (const SimLogEntry& e : sim->requests(CMD_INFO))
            if (e.bytes[2] == 1)
                return true;
        return false;
    }, 5000));
    sim->clear_log();
    pump_for(300);
    for (const SimLogEntry& e : sim->requests(CMD_INFO))
        EXPECT_NE(e.bytes[2], 3);
    delete m;
    EXPECT_FALSE(Form_monitor_I2t);
}

// ---- about box and splash ----

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

bool has_picture(const ImageBox* box)
{
    const QImage& img = box->image();
    if (img.isNull())
        return false;
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7)
            if ((img.pixel(x, y) | 0xFF000000u) != clBtnFace.rgb())
                return true;
    return false;
}

}  // namespace

TEST(AboutBox, VersionPictureAndWebLabel)
{
    gui_app();
    EXPECT_EQ(About_version_text(3, 5), "Software Release Version: 3.05");

    TForm_AboutBox about;
    about.show();
    EXPECT_EQ(about.Panel_ver->text(), "Software Release Version: 3.20");
    EXPECT_FALSE(about.Label_sito_internet->text().isEmpty());
    EXPECT_TRUE(has_picture(about.Image_about));

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QTest::mouseClick(about.Label_sito_internet, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].toString(), "https://" + about.Label_sito_internet->text());
    about.BitBtn_ok->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(Splash, ClosesItselfAndIsGone)
{
    gui_app();
    const uint32_t saved = SplashDurationMs;
    SplashDurationMs = 60;
    QPointer<TForm_Splash> splash = new TForm_Splash;
    bool picture = false;
    QTimer::singleShot(10, [&] { picture = splash && has_picture(splash->Image_about); });
    QElapsedTimer t;
    t.start();
    splash->exec();
    EXPECT_GE(t.elapsed(), 55);
    EXPECT_TRUE(picture);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(splash);
    SplashDurationMs = saved;
}

#include "test_i2t_about.moc"
