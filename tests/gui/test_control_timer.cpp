// The control timer and its drive-state windows, the link-incompatible dialog and the link-wait
// dialog. Windows of later subsystems come from test factories registered in the window registry.
#include "control_fixture.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

#include "link/Flash_seams.h"
#include "shell/Form_com_off.h"
#include "shell/Linkwait.h"
#include "IdentEdit.h"

using namespace controltest;

namespace {

// Calls the handler for every modal window that comes up (inside the modal loop); a window still
// open after `limit_ms` is closed so that no test can hang.
class ModalWatcher : public QObject {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> handler, int limit_ms = 3000)
        : handler_(std::move(handler)), limit_ms_(limit_ms)
    {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    std::vector<std::string> seen;  // object names, in order
    bool timed_out = false;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr) {
            current_ = nullptr;
            return;
        }
        if (w != current_) {
            current_ = w;
            since_.start();
            seen.push_back(w->objectName().toStdString());
            handler_(w);
            return;
        }
        if (since_.elapsed() > limit_ms_) {
            timed_out = true;
            w->close();
        }
    }
    std::function<void(QWidget*)> handler_;
    int limit_ms_;
    QTimer timer_;
    QPointer<QWidget> current_;
    QElapsedTimer since_;
};

// A registered window that records its creation.
QWidget* make_dialog(const char* name, QWidget* parent)
{
    auto* d = new QDialog(parent);
    d->setObjectName(name);
    return d;
}

// A window whose close can be refused.
class StubbornDialog : public QDialog {
public:
    using QDialog::QDialog;
    bool refuse = true;
    int close_requests = 0;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++close_requests;
        if (refuse)
            e->ignore();
        else
            QDialog::closeEvent(e);
    }
};

class ControlTimer : public ControlTest {
protected:
    void tick()
    {
        main->Timer_ctrlTimer();
        main->Timer_ctrl->stop();
    }
    // A drive that answers with an incompatible firmware.
    void incompatible_drive(uint8_t major)
    {
        Drive_ident_edit([major](DriveIdentRec& id) { id.fw_major = major; id.flags = 0; });
        Ser_tx_state.store(LinkState::Run);
        Ser_link_mode.store(LinkMode::Normal);
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::IdentReceived);
    }
};

}  // namespace

TEST_F(ControlTimer, IncompatibleDriveClosesToolWindowsFirstThenAsksForTheFirmware)
{
    open_controlled();
    Toolwin_register(ToolWin::Oscx, [](QWidget* p) { return make_dialog("scope", p); });
    QPointer<QWidget> scope = Toolwin_create(ToolWin::Oscx, main.get());
    scope->show();
    alarms->show();
    incompatible_drive(2);

    QString text;
    ModalWatcher watcher([&](QWidget* w) {
        if (auto* dlg = qobject_cast<TForm_com_off*>(w))
            text = dlg->RichEdit_dialog->toPlainText();
        w->close();  // the close box
    });
    tick();
    EXPECT_TRUE(watcher.seen.empty());
    EXPECT_FALSE(scope->isVisible());
    EXPECT_FALSE(alarms->isVisible());

    tick();
    ASSERT_EQ(watcher.seen, (std::vector<std::string>{"Form_com_off"}));
    EXPECT_EQ(text, "\nVersion Pendrix e drive, incompatible!\nPerform firmware update to version: 3\n"
                    "Check updating on internet site.");
    // Closing it while the drive answers disconnects.
    EXPECT_FALSE(linktest::link_bits(LinkFlag::Answers));
    EXPECT_NE(Ser_tx_state.load(), LinkState::Run);
    EXPECT_TRUE(main->BitBtn_connect->isEnabled());
    EXPECT_TRUE(main->Form_com_off.isNull());
    EXPECT_EQ(main->OtherStb[TForm_main::BarComOff], nullptr);
    EXPECT_FALSE(watcher.timed_out);
}

TEST_F(ControlTimer, BootLoaderDriveGetsNoIncompatibleWindowAndAWindowThatRefusesIsAskedOnce)
{
    open_controlled();
    incompatible_drive(2);
    Drive_ident_edit([](DriveIdentRec& id) { id.flags = IdentFlag::BootLoader; });
    ModalWatcher watcher([](QWidget* w) { w->close(); });
    tick();
    EXPECT_TRUE(watcher.seen.empty());

    Drive_ident_edit([](DriveIdentRec& id) { id.flags = 0; });
    QPointer<StubbornDialog> print;
    Toolwin_register(ToolWin::PrinterData, [&print](QWidget* p) {
        print = new StubbornDialog(p);
        return print.data();
    });
    Toolwin_create(ToolWin::PrinterData, main.get())->show();
    tick();
    tick();
    tick();
    EXPECT_EQ(print->close_requests, 1);
    EXPECT_TRUE(watcher.seen.empty());  // the incompatible window waits for it

    print->refuse = false;
    print->close();
    tick();
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"Form_com_off"}));
}

TEST_F(ControlTimer, TheIncompatibleWindowsTextsAndPane)
{
    EXPECT_EQ(ComOffBuildText(3, 4), "\nVersion Pendrix e drive, incompatible!\nPerform Pendrix update to version: 4\n"
                                     "Check updating on internet site.");
    EXPECT_EQ(ComOffPaneValue(false).text, "-----");
    EXPECT_FALSE(ComOffPaneValue(true).active);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(LinkFlag::Answers);
    Drive_ident_edit([](DriveIdentRec& id) { id.fw_major = 255; });
    EXPECT_EQ(ComOffPaneValue(false).text, "3.xx");
    EXPECT_EQ(ComOffPaneValue(true).text, "255.xx");
    EXPECT_TRUE(ComOffPaneValue(true).active);

    open_controlled();
    TForm_com_off dialog(main.get());
    EXPECT_EQ(main->OtherStb[TForm_main::BarComOff], dialog.Stb);
    // Closed while the drive does not answer: the link is left alone.
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(0);
    dialog.reject();
    EXPECT_EQ(Ser_tx_state.load(), LinkState::Run);
    EXPECT_EQ(main->OtherStb[TForm_main::BarComOff], nullptr);
    Ser_tx_state.store(LinkState::Stop);
}

TEST_F(ControlTimer, EepromWindowsOneAfterTheOtherWithTheFamilyFollowingTheDrive)
{
    open_controlled();
    std::vector<bool> second_family_at_open;
    for (ToolWin kind : {ToolWin::E2pOffsetEr, ToolWin::E2pChks}) {
        const char* name = kind == ToolWin::E2pOffsetEr ? "offset" : "checksum";
        Toolwin_register(kind, [&, name](QWidget* p) {
            second_family_at_open.push_back(Settings_second_family());
            return make_dialog(name, p);
        });
    }
    link_ready(BusTypeId::Io, BIT9);
    DriveDeviceId.store(DRIVE_TYPE_PELSAN);
    set_alarm_word((1u << 0) | (1u << 1));
    std::vector<bool> held_while_open;  // the window's pointer is set while it is open
    ModalWatcher watcher([&](QWidget* w) {
        held_while_open.push_back(main->Form_e2p_offset_er.data() == w || main->Form_e2p_chks.data() == w);
        w->close();
    });
    tick();
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"offset"}));
    EXPECT_EQ(held_while_open, (std::vector<bool>{true}));
    EXPECT_TRUE(main->Form_e2p_offset_er.isNull());
    EXPECT_EQ(second_family_at_open, (std::vector<bool>{true}));

    set_alarm_word(1u << 0);  // the offsets are back, the checksum error stays
    tick();
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"offset", "checksum"}));
    EXPECT_TRUE(main->Form_e2p_chks.isNull());

    // Bit 20 also opens the offset window.
    set_alarm_word(1u << 20);
    tick();
    EXPECT_EQ(watcher.seen.back(), "offset");

    // Without a factory nothing opens.
    Toolwin_unregister(ToolWin::E2pOffsetEr);
    tick();
    EXPECT_EQ(watcher.seen.size(), 3u);
    EXPECT_EQ(held_while_open, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(watcher.timed_out);

    // With the drive silent the alarm word reads 0.
    Ser_link_flags.store(0);
    tick();
    EXPECT_EQ(Drive_status_get().alarm_word, 0u);
}

TEST_F(ControlTimer, FirmwareWindowForABootStateDriveOnlyAfterTheIdentificationSettled)
{
    open_controlled();
    int created = 0;
    Toolwin_register(ToolWin::FlashSH, [&created](QWidget* p) {
        ++created;
        return make_dialog("flash", p);
    });
    Ser_tx_state.store(LinkState::Run);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::IdentReceived);
    Drive_ident_edit([](DriveIdentRec& id) { id.flags = IdentFlag::BootLoader; });
    Drive_status_update_word(StatusBit::BootState, StatusBit::Boot);
    ModalWatcher watcher([](QWidget* w) { w->close(); });

    Ser_last_answer_ms.store(Tick_ms() - 900);
    tick();
    EXPECT_EQ(created, 0);
    Ser_last_answer_ms.store(Tick_ms() - 1001);
    tick();
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(Form_FlashSH.isNull());
    EXPECT_LT(Tick_diff(Tick_ms(), Ser_last_answer_ms.load()), 500u);  // offered again 1001 ms later
    tick();
    EXPECT_EQ(created, 1);

    // Status bit 2 (keep polling the boot loader) holds the window back.
    Drive_status_update_word(0, StatusBit::BootState);
    Ser_last_answer_ms.store(Tick_ms() - 5000);
    tick();
    EXPECT_EQ(created, 1);
    EXPECT_TRUE(watcher.seen.size() == 1u);
    Drive_status_update_word(StatusBit::Boot | StatusBit::BootState, 0);
}

// ---- link-wait dialog ----

namespace {

class LinkWait : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        Ser_wait_ms.store(0);
        FlashProgressFlags.store(FlashProgressFlag::Waiting);
        Ser_tx_state.store(LinkState::Run);
        Ser_link_mode.store(LinkMode::Check);
        Ser_link_mode_req.store(LinkMode::Check);
    }
    void TearDown() override
    {
        Ser_wait_ms.store(0);
        ControlTest::TearDown();
    }
};

}  // namespace

TEST_F(LinkWait, OneDialogThatFollowsTheWaitAndClosesAtTheEnd)
{
    gui_app();
    int dialogs = 0;
    int progress = -1;
    bool second_returned = false;
    ModalWatcher watcher([&](QWidget* w) {
        for (QWidget* t : QApplication::topLevelWidgets())
            dialogs += qobject_cast<TForm_DatChk*>(t) != nullptr && t->isVisible();
        ShowLinkWait(5000, "again");  // returns at once
        second_returned = true;
        Ser_wait_ms.store(1200);
        QTimer::singleShot(100, w, [&] {
            progress = Form_DatChk->ProgressBar_DatChk->value();
            Ser_wait_ms.store(5000);
        });
    });
    ShowLinkWait(5000, "Comunication verify");
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"Form_DatChk"}));
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(second_returned);
    EXPECT_EQ(progress, 1200);
    EXPECT_FALSE(LinkWaitOpen());
    EXPECT_FALSE(watcher.timed_out);
}

TEST_F(LinkWait, AnAbandonedCheckClosesTheDialog)
{
    gui_app();
    const std::function<void()> abandon[] = {
        [] { Ser_tx_state.store(LinkState::Stop); },                    // port closed mid-check
        [] { FlashProgressFlags.store(0); },                            // the check gave up
        [] { Ser_link_mode_req.store(LinkMode::Normal); },              // another mode asked for
    };
    for (const auto& step : abandon) {
        Ser_tx_state.store(LinkState::Run);
        FlashProgressFlags.store(FlashProgressFlag::Waiting);
        Ser_link_mode_req.store(LinkMode::Check);
        ModalWatcher watcher([&](QWidget* w) { QTimer::singleShot(60, w, step); });
        ShowLinkWait(5000, "Comunication verify");
        EXPECT_EQ(watcher.seen.size(), 1u);
        EXPECT_FALSE(watcher.timed_out);
        EXPECT_FALSE(LinkWaitOpen());
    }
}

TEST_F(LinkWait, ClosesByItsOwnClockWhenTheWaitNeverAdvances)
{
    gui_app();
    QElapsedTimer t;
    t.start();
    ModalWatcher watcher([](QWidget*) {}, 5000);
    ShowLinkWait(100, "Comunication verify");
    EXPECT_GE(t.elapsed(), 1000);
    EXPECT_FALSE(watcher.timed_out);
}
