// EEPROM error dialogs: one whole-image write and the closing rule against the drive simulator;
// the size choice, the refusals, the file write, the status lines and a close from the display
// timer while an inner window is open, with the link state set through the globals.
#include "files_fixture.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"
#include "shell/E2p_dialogs.h"
#include "shell/Filedlg.h"
#include "shell/Form_send_drive.h"
#include "shell/Toolwin.h"

using namespace maintest;
using namespace filestest;

namespace {

constexpr uint8_t CMD_WRITE_VAR = 4;
constexpr uint8_t CMD_ALARM_MEM = 5;
constexpr uint8_t CMD_WRITE_BLOCK = 6;

QRgb text_colour(const QLabel* l) { return l->palette().color(QPalette::WindowText).rgb(); }

uint8_t xor_all(const DriveRecord& r)
{
    uint8_t x = 0;
    for (uint8_t b : r.b)
        x ^= b;
    return x;
}

class E2pLink : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        saved_locale_ = QLocale();
        QLocale::setDefault(QLocale::c());
        LanguageIndex = 1;
    }
    void TearDown() override
    {
        dialog.reset();
        Filedlg_set_sink({});
        MainWindowTest::TearDown();
        QLocale::setDefault(saved_locale_);
    }

    // A drive of type `device` with size code `size`, voltage class 0, reporting `alarms`.
    void start(uint32_t device, uint8_t size, uint32_t alarms = 1)
    {
        open_window();
        attach_simulator();
        SimBytes id = sim->identification();
        put_be32(id, 4, device);
        sim->set_identification(id);
        SimBytes image = linktest::test_image(11);
        image[RecOfs::SizeIndex] = size;
        image[RecOfs::VoltageClass] = 0;
        image[RecOfs::VoltageClass + 1] = 0;
        sim->set_image(image);
        set_alarms(alarms);
        connect_and_read();
        dialog = std::make_unique<TForm_e2p_chks>(main.get());
        dialog->show();
    }
    void set_alarms(uint32_t w)
    {
        SimBytes st(DriveSim::kStatusSize, 0);
        put_be32(st, 4, w);
        sim->set_status(st);
    }

    std::unique_ptr<TForm_e2p_chks> dialog;

private:
    QLocale saved_locale_;
};

}  // namespace

TEST_F(E2pLink, KnownSizeDefaultsAreWrittenAsAWholeImageAndAdopted)
{
    start(DRIVE_TYPE_PELSAN, 2);
    EXPECT_EQ(dialog->Panel_num_taglia_impostata->text(), QString::fromUtf8(" [ 3° ] "));
    EXPECT_FALSE(dialog->GroupBox_password_parametri->isVisibleTo(dialog.get()));
    EXPECT_FALSE(dialog->Panel_taglia_corrente->isEnabled());

    DriveUiFlags.fetch_or(UiFlag::Modified);
    sim->clear_log();
    QString title;
    bool ran = false;
    when_modal<TForm_send_drive>(
        [&](TForm_send_drive* d) {
            title = d->Panel_dat_send->text();
            pump_until([d] { return d->BitBtn_send_all->isEnabled(); }, 3000);
            d->BitBtn_send_all->click();
            pump_until([d] { return !d->sending(); }, 8000);
            d->close();
        },
        &ran);
    dialog->BitBtn_carica_default->click();
    ASSERT_TRUE(ran);
    EXPECT_EQ(title, "Load Data Default");
    ASSERT_TRUE(pump_until([this] { return sim->request_count(CMD_ALARM_MEM) > 0; }, 3000));

    // The size parameter, stored, before the whole image from offset 0.
    const auto c = sim->requests(CMD_WRITE_BLOCK);
    ASSERT_FALSE(c.empty());
    const auto writes = sim->requests(CMD_WRITE_VAR);  // the others are the bus control word's
    const auto size_write = std::find_if(writes.begin(), writes.end(), [](const SimLogEntry& w) { return w.bytes[5] & 0x80; });
    ASSERT_NE(size_write, writes.end());
    EXPECT_EQ(size_write->bytes[9], 2);
    EXPECT_LE(size_write->end, c.front().start);
    EXPECT_EQ(linktest::block_offset(c.front()), 0u);
    const DriveRecord written = host_image(sim->image());
    EXPECT_EQ(written.b[RecOfs::SizeIndex], 2);
    EXPECT_EQ(written.b[RecOfs::Mark], 'U');
    EXPECT_EQ(Rec_get<uint16_t>(written, RecOfs::EndMarker), 0xA5A5);
    EXPECT_EQ(xor_all(written), 0);
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + 28, written.b + 28, 2380), 0);
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE), 0);
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::Modified);
    EXPECT_EQ(sim->violations(), std::vector<std::string>{});
}

TEST_F(E2pLink, ClosingDisconnectsOnlyWhileTheErrorPersists)
{
    start(DRIVE_TYPE_PELSAN, 2);
    set_alarms(0);
    ASSERT_TRUE(pump_until([this] { return dialog->Panel_str_e2p_chk_er->text() == "E2prom ok"; }, 2000));
    dialog->BitBtn_close->click();
    pump_for(100);
    EXPECT_TRUE(linked_and_running());

    set_alarms(1);
    ASSERT_TRUE(pump_until([] { return Drive_status_get().alarm_word == 1; }, 2000));
    dialog = std::make_unique<TForm_e2p_chks>(main.get());
    dialog->show();
    dialog->close();
    EXPECT_TRUE(main->BitBtn_connect->isEnabled());
    EXPECT_TRUE(pump_until([] { return Ser_tx_state.load() != LinkState::Run; }, 2000));
}

// ---- without a drive: the link state set through the globals ----

namespace {

class E2pDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        State_reset_all();
        saved_language_ = LanguageIndex;
        LanguageIndex = 1;
        Frm_output_build_size_tables();
        DriveDeviceId.store(DRIVE_TYPE_PELSAN);
        DriveRecordBank[0].b[RecOfs::SizeIndex] = 2;
        DriveSizeRead = {2, 0};
        Ser_tx_state.store(LinkState::Run);
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Ser_data_flags.store(DataFlag::ListReads);
        alarm(1);
        sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r.text);
            return MsgOk;
        });
    }
    void TearDown() override
    {
        Filedlg_set_sink({});
        Msgbox_set_sink(std::move(sink_));
        Ser_tx_state.store(LinkState::Stop);
        State_reset_all();
        LanguageIndex = saved_language_;
    }
    static void alarm(uint32_t w)
    {
        Drive_status st{};
        st.alarm_word = w;
        Drive_status_publish(st);
    }

    std::vector<std::string> boxes;

private:
    MsgSink sink_;
    uint8_t saved_language_ = 1;
};

}  // namespace

TEST_F(E2pDialog, TheChecksumLineBlinksAtMostOncePerSecond)
{
    TForm_e2p_chks d;
    d.show();
    d.Timer_com->stop();
    QLabel* line = d.Panel_str_e2p_chk_er;
    E2pChksBlinkTime = Tick_ms() - 1001;
    d.Timer_comTimer();
    EXPECT_EQ(line->text(), "E2p checksum e2prom. Contact support!");
    EXPECT_EQ(text_colour(line), clRed.rgb());
    d.Timer_comTimer();
    EXPECT_EQ(line->text(), "E2p checksum e2prom. Contact support!");
    E2pChksBlinkTime = Tick_ms() - 1001;
    d.Timer_comTimer();
    EXPECT_TRUE(line->text().isEmpty());

    alarm(0);
    d.Timer_comTimer();
    EXPECT_EQ(line->text(), "E2prom ok");
    Ser_link_flags.store(0);
    d.Timer_comTimer();
    EXPECT_EQ(line->text(), "-----");
    EXPECT_EQ(text_colour(line), clBlack.rgb());
}

TEST_F(E2pDialog, OffsetMessagesAndTheirBlink)
{
    EXPECT_EQ(E2p_offset_message(0x100000, 1), "Error: Eprom. Contact support!");

    alarm(0x2);
    TForm_e2p_offset_er d;
    d.show();
    d.Timer_com->stop();
    EXPECT_EQ(d.windowTitle(), "ALARM");
    EXPECT_GT(d.BitBtn_close->y(), d.GroupBox_attenzione->y());  // the close button below the texts
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line2->text(), "Error: Offset currents. Contact support!");
    E2pOffsetBlinkTime = Tick_ms() - 1001;
    d.Timer_comTimer();
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line1->text(), "ALARM");
    d.Timer_comTimer();
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line1->text(), "ALARM");
    Ser_tx_state.store(LinkState::Stop);
    d.Timer_comTimer();
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line1->text(), "-----");
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line2->text(), "-----");
    Ser_tx_state.store(LinkState::Run);
    E2pOffsetBlinkTime = Tick_ms() - 1001;
    d.Timer_comTimer();
    EXPECT_EQ(d.Panel_str_e2p_chk_er_line2->text(), "Error: Offset currents. Contact support!");
    EXPECT_TRUE(d.Panel_str_e2p_chk_er_line1->text().isEmpty());
}

TEST_F(E2pDialog, AnUnknownSizeIsChosenAfterThePasswordAndOnlyTheConfirmedOneIsSent)
{
    DriveDeviceId.store(DRIVE_TYPE_ORVEL);
    DriveRecordBank[0].b[RecOfs::SizeIndex] = 1;
    DriveSizeRead = {1, 0};
    TForm_e2p_chks d;
    d.show();
    const char* const controls = "e:Panel_taglia_corrente e:BitBtn_conferma_taglia e:BitBtn_carica_default "
                                 "e:BitBtn_load_dati_drive t:Panel_num_taglia_impostata";
    EXPECT_EQ(::ui(controls, &d), "1 0 0 0 ---");
    d.Edit_Password->setText("QWT4821 ");
    d.BitBtn_verifica->click();
    EXPECT_EQ(::ui("e:BitBtn_conferma_taglia", &d), "0");
    d.Edit_Password->setText("QWT4821");
    d.BitBtn_verifica->click();
    EXPECT_EQ(boxes, (std::vector<std::string>{"Incorrect Password !", "Correct Password !"}));
    EXPECT_EQ(AccessFlags, 0);  // the dialog's password unlocks the size only

    d.SelectRow(2);
    d.BitBtn_conferma_taglia->click();
    EXPECT_EQ(::ui(controls, &d), QString::fromUtf8("1 1 1 1  [ 2° ] ").toStdString());
    EXPECT_EQ(boxes.back(), "Set size: 5,0-10,0");
    d.SelectRow(4);  // an unconfirmed selection sends nothing
    EXPECT_EQ(::ui("e:BitBtn_carica_default e:BitBtn_load_dati_drive", &d), "0 0");

    d.BitBtn_conferma_taglia->click();
    uint8_t image_size = 0xFF, size_sent = 0xFF;
    bool ran = false;
    when_modal<TForm_send_drive>(
        [&](TForm_send_drive* s) {
            image_size = DriveRecordRx.b[RecOfs::SizeIndex];
            size_sent = DriveRecordBank[0].b[RecOfs::SizeIndex];  // what the size parameter write carries
            s->close();
        },
        &ran);
    d.BitBtn_carica_default->click();
    ASSERT_TRUE(ran);
    EXPECT_EQ(image_size, SizeTableOrvel.sorted[3].code);
    EXPECT_EQ(size_sent, image_size);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], 1);  // not written: taken back
}

TEST_F(E2pDialog, ASizeOutsideTheTableOrAnImageNotYetReadSendsNothing)
{
    DriveRecordBank[0].b[RecOfs::SizeIndex] = 9;
    DriveSizeRead = {9, 0};
    TForm_e2p_chks d;
    d.show();
    EXPECT_EQ(d.Panel_num_taglia_impostata->text(), "---");
    bool ran = false;
    when_modal<TForm_send_drive>([](TForm_send_drive* s) { s->close(); }, &ran);
    d.BitBtn_carica_default->click();
    Ser_data_flags.store(0);
    d.BitBtn_load_dati_drive->click();
    EXPECT_FALSE(ran);
    EXPECT_EQ(boxes, (std::vector<std::string>{"Invalid drive size!", "Drive data not read yet: try again!"}));
}

TEST_F(E2pDialog, AFileIsSentAsAWholeImageWithoutItsAlarmMemory)
{
    DriveRecord payload = pattern_record(3);
    payload.b[RecOfs::VersionMajor] = payload.b[RecOfs::VersionMinor] = 0;  // stamped when read
    QTemporaryDir dir;
    const QString name = dir.filePath(QString::fromUtf8("dati_ü.ivt"));
    ASSERT_TRUE(write_file(name, drive_file(*CurrentFamily, payload)));
    FileDialogSpec asked;
    Filedlg_set_sink([&](const FileDialogSpec& spec) {
        asked = spec;
        return name;
    });
    TForm_e2p_chks d;
    d.show();
    QString title;
    DriveRecord sent{};
    bool ran = false;
    when_modal<TForm_send_drive>(
        [&](TForm_send_drive* s) {
            title = s->Panel_dat_send->text();
            sent = DriveRecordRx;
            s->close();
        },
        &ran);
    d.BitBtn_load_dati_drive->click();
    ASSERT_TRUE(ran);
    EXPECT_EQ(asked.filter, "Inverter files (*.ivt)|*.ivt");
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(title, "Load data from file");
    for (std::size_t i = RecOfs::AlarmMemByte; i < RecOfs::VersionMajor; ++i)
        EXPECT_EQ(sent.b[i], 0) << i;
    EXPECT_EQ(sent.b[RecOfs::SizeIndex], 2);
    EXPECT_EQ(sent.b[RecOfs::Mark], 'U');
    EXPECT_EQ(Rec_get<uint16_t>(sent, RecOfs::EndMarker), 0xA5A5);
    EXPECT_EQ(Rec_get<uint16_t>(sent, DRIVE_RECORD_SIZE - 2), 0xA5A5);
    EXPECT_EQ(xor_all(sent), 0);
    EXPECT_EQ(std::memcmp(sent.b + 28, payload.b + 28, 2380), 0);
}

TEST_F(E2pDialog, ALinkLossClosesTheSendDialogFirstAndTheCommandStops)
{
    QPointer<TForm_e2p_chks> d = new TForm_e2p_chks;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Form_send_drive && Form_send_drive->isVisible() && !seen) {
            seen = true;
            d->close();  // as the display timer does when the drive is lost
        }
    });
    poll.start(5);
    QTimer::singleShot(0, d, [&] { d->BitBtn_carica_default->click(); });
    d->exec();
    ASSERT_TRUE(d);
    EXPECT_TRUE(seen);
    EXPECT_EQ(Form_send_drive, nullptr);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], 2);
    delete d.data();
}

TEST_F(E2pDialog, ALinkLossDuringTheFileDialogEndsTheCommand)
{
    QPointer<TForm_e2p_chks> d = new TForm_e2p_chks;
    int asked = 0;
    Filedlg_set_sink([&](const FileDialogSpec&) {
        ++asked;
        d->close();
        return QString::fromUtf8("/nonexistent/never_read.ivt");
    });
    bool sent = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Form_send_drive) {
            sent = true;
            Form_send_drive->close();
        }
    });
    poll.start(5);
    QTimer::singleShot(0, d, [&] { d->BitBtn_load_dati_drive->click(); });
    d->exec();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(sent);
    EXPECT_TRUE(boxes.empty());
    delete d.data();
}

TEST(E2pRegistry, BothDialogsAreRegisteredAsTheirKinds)
{
    gui_app();
    Main_register_eeprom_dialogs();
    for (ToolWin kind : {ToolWin::E2pChks, ToolWin::E2pOffsetEr}) {
        std::unique_ptr<QWidget> w(Toolwin_create(kind, nullptr));
        EXPECT_TRUE(kind == ToolWin::E2pChks ? qobject_cast<TForm_e2p_chks*>(w.get()) != nullptr
                                             : qobject_cast<TForm_e2p_offset_er*>(w.get()) != nullptr);
        EXPECT_EQ(w->objectName(), kind == ToolWin::E2pChks ? "Form_e2p_chks" : "Form_e2p_offset_er");
        Toolwin_unregister(kind);
    }
}
