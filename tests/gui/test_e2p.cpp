// EEPROM error dialogs: size tables and modes, the whole-image write from defaults or a file,
// its completion, the status lines, closing with and without disconnecting, and a close from the
// display timer while an inner window is open.
#include "main_fixture.h"

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

namespace {

constexpr uint8_t CMD_WRITE_VAR = 4;
constexpr uint8_t CMD_ALARM_MEM = 5;
constexpr uint8_t CMD_WRITE_BLOCK = 6;

void put_be32(SimBytes& b, std::size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

QRgb text_colour(const QLabel* l) { return l->palette().color(QPalette::WindowText).rgb(); }

// A drive image in host order from the simulator's drive-order bytes.
DriveRecord host_image(const SimBytes& drive_order)
{
    DriveRecord r;
    std::memcpy(r.b, drive_order.data(), DRIVE_RECORD_SIZE);
    Init_swap_image(r.b);
    return r;
}

uint8_t xor_all(const DriveRecord& r)
{
    uint8_t x = 0;
    for (uint8_t b : r.b)
        x ^= b;
    return x;
}

// Follows the send dialog a command opens: presses Send All (or closes it unsent), waits until the
// drive has written the data and closes it. The command runs inside `run`.
struct SendDialogDriver {
    bool send = true;
    bool seen = false;
    bool pressed = false;
    std::function<void(TForm_send_drive&)> on_show;

    void drive(const std::function<void()>& run)
    {
        QTimer poll;
        QElapsedTimer clock;
        clock.start();
        QObject::connect(&poll, &QTimer::timeout, [&] {
            TForm_send_drive* d = Form_send_drive;
            if (d == nullptr || !d->isVisible())
                return;
            if (!seen) {
                seen = true;
                if (on_show)
                    on_show(*d);
            }
            if (!send || clock.elapsed() > 10000) {
                d->close();
            } else if (!pressed) {
                if (d->BitBtn_send_all->isEnabled()) {
                    d->BitBtn_send_all->click();
                    pressed = true;
                }
            } else if (!d->sending()) {
                d->close();
            }
        });
        poll.start(10);
        run();
    }
};

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
        offset.reset();
        Filedlg_set_sink({});
        MainWindowTest::TearDown();
        QLocale::setDefault(saved_locale_);
    }

    // A drive of type `device` with size code `size`, voltage class 0, reporting `alarms`.
    void start(uint32_t device, uint8_t size, uint32_t alarms = 1, uint8_t ident_flags = 0)
    {
        open_window();
        attach_simulator();
        SimBytes id = sim->identification();
        put_be32(id, 4, device);
        id[15] = ident_flags;
        sim->set_identification(id);
        SimBytes image = linktest::test_image(11);
        image[RecOfs::SizeIndex] = size;
        image[RecOfs::VoltageClass] = 0;
        image[RecOfs::VoltageClass + 1] = 0;
        sim->set_image(image);
        set_alarms(alarms);
        connect_and_read();
    }
    void set_alarms(uint32_t w)
    {
        SimBytes st(DriveSim::kStatusSize, 0);
        put_be32(st, 4, w);
        sim->set_status(st);
    }
    void open_dialog()
    {
        dialog = std::make_unique<TForm_e2p_chks>(main.get());
        dialog->show();
    }
    std::vector<SimLogEntry> chunks() const { return sim->requests(CMD_WRITE_BLOCK); }

    std::unique_ptr<TForm_e2p_chks> dialog;
    std::unique_ptr<TForm_e2p_offset_er> offset;

private:
    QLocale saved_locale_;
};

}  // namespace

TEST_F(E2pLink, KnownSizeDefaultsAreWrittenAsAWholeImageAndAdopted)
{
    start(DRIVE_TYPE_PELSAN, 2);
    open_dialog();
    EXPECT_EQ(dialog->Table, &SizeTablePelsan);
    EXPECT_TRUE(dialog->SizeKnown);
    EXPECT_EQ(dialog->GridRowCount(), 6);
    EXPECT_EQ(dialog->Panel_num_taglia_impostata->text(), QString::fromUtf8(" [ 3° ] "));
    EXPECT_EQ(dialog->SelectedRow(), 3);
    EXPECT_FALSE(dialog->GroupBox_password_parametri->isVisibleTo(dialog.get()));
    EXPECT_FALSE(dialog->Panel_taglia_corrente->isEnabled());
    EXPECT_TRUE(dialog->BitBtn_carica_default->isEnabled());

    DriveUiFlags.fetch_or(UiFlag::Modified);
    sim->clear_log();
    SendDialogDriver driver;
    QString title;
    driver.on_show = [&](TForm_send_drive& d) { title = d.Panel_dat_send->text(); };
    driver.drive([this] { dialog->BitBtn_carica_default->click(); });
    ASSERT_TRUE(driver.pressed);
    EXPECT_EQ(title, "Load Data Default");
    ASSERT_TRUE(pump_until([this] { return sim->request_count(CMD_ALARM_MEM) > 0; }, 3000));

    // The size parameter, stored, before the whole image from offset 0.
    const auto c = chunks();
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
    EXPECT_EQ(E2pImageAdopted, 1);
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + 28, written.b + 28, 2380), 0);
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b, DriveRecordBank[2].b, DRIVE_RECORD_SIZE), 0);
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::Modified);
    EXPECT_EQ(sim->violations(), std::vector<std::string>{});
}

TEST_F(E2pLink, AFileIsWrittenWithoutItsAlarmMemoryAndARefusedFileSendsNothing)
{
    start(DRIVE_TYPE_PELSAN, 1);
    DriveRecord payload = DriveRecordBank[0];
    std::memset(payload.b + RecOfs::AlarmMemByte, 0x5A, 17);
    std::array<uint8_t, DRIVE_FILE_SIZE> file{};
    DataFileHeader_build(file.data(), file.size(), payload.b, DRIVE_RECORD_SIZE, *CurrentFamily);
    const QString good = dir_.filePath(QString::fromUtf8("dati_ü.ivt"));
    const QString bad = dir_.filePath("bad.ivt");
    {
        QFile f(good);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
        QFile g(bad);
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        file[100] ^= 1;
        g.write(reinterpret_cast<const char*>(file.data()), static_cast<qint64>(file.size()));
    }
    open_dialog();
    FileDialogSpec asked;
    QString answer = bad;
    Filedlg_set_sink([&](const FileDialogSpec& spec) {
        asked = spec;
        return answer;
    });

    sim->clear_log();
    SendDialogDriver refused;
    refused.drive([this] { dialog->BitBtn_load_dati_drive->click(); });
    EXPECT_FALSE(refused.seen);
    EXPECT_EQ(asked.filter, "Inverter files (*.ivt)|*.ivt");
    EXPECT_EQ(asked.title, "Open");
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(boxes.size(), 1u) << box_texts();
    pump_for(50);
    EXPECT_EQ(sim->request_count(CMD_WRITE_BLOCK), 0u);

    answer = good;
    SendDialogDriver driver;
    QString title;
    driver.on_show = [&](TForm_send_drive& d) { title = d.Panel_dat_send->text(); };
    driver.drive([this] { dialog->BitBtn_load_dati_drive->click(); });
    ASSERT_TRUE(driver.pressed);
    EXPECT_EQ(title, "Load data from file");
    ASSERT_TRUE(pump_until([this] { return sim->request_count(CMD_ALARM_MEM) > 0; }, 3000));
    const DriveRecord written = host_image(sim->image());
    for (std::size_t i = RecOfs::AlarmMemByte; i < RecOfs::VersionMajor; ++i)
        EXPECT_EQ(written.b[i], 0) << i;
    EXPECT_EQ(written.b[RecOfs::SizeIndex], 1);
    EXPECT_EQ(written.b[RecOfs::Mark], 'U');
    EXPECT_EQ(Rec_get<uint16_t>(written, RecOfs::EndMarker), 0xA5A5);
    EXPECT_EQ(Rec_get<uint16_t>(written, DRIVE_RECORD_SIZE - 2), 0xA5A5);
    EXPECT_EQ(xor_all(written), 0);
    EXPECT_EQ(std::memcmp(written.b + 28, payload.b + 28, 2380), 0);
}

TEST_F(E2pLink, TheChosenSizeIsTheConfirmedOneAndNeedsThePassword)
{
    start(DRIVE_TYPE_ORVEL, 1);
    open_dialog();
    EXPECT_FALSE(dialog->SizeKnown);
    EXPECT_EQ(dialog->GridRowCount(), 7);
    const char* const controls = "e:Panel_taglia_corrente e:BitBtn_conferma_taglia e:BitBtn_carica_default "
                                 "e:BitBtn_load_dati_drive t:Panel_num_taglia_impostata";
    EXPECT_EQ(::ui(controls, dialog.get()), "1 0 0 0 ---");
    EXPECT_TRUE(dialog->GroupBox_password_parametri->isVisibleTo(dialog.get()));

    dialog->Edit_Password->setText("QWT4821 ");
    dialog->BitBtn_verifica->click();
    EXPECT_EQ(::ui("e:BitBtn_conferma_taglia", dialog.get()), "0");
    dialog->Edit_Password->setText("QWT4821");
    dialog->BitBtn_verifica->click();
    EXPECT_EQ(::ui("e:BitBtn_conferma_taglia", dialog.get()), "1");
    EXPECT_EQ(box_texts(), "Incorrect Password !|Correct Password !");
    EXPECT_EQ(AccessFlags, 0);  // the dialog's password unlocks the size only

    dialog->BitBtn_conferma_taglia->click();  // no row selected: nothing
    EXPECT_EQ(dialog->ConfirmedRow, 0);
    dialog->SelectRow(2);
    dialog->BitBtn_conferma_taglia->click();
    EXPECT_EQ(::ui(controls, dialog.get()), QString::fromUtf8("1 1 1 1  [ 2° ] ").toStdString());
    EXPECT_EQ(boxes.back().text, "Set size: 5,0-10,0");
    dialog->SelectRow(4);
    EXPECT_EQ(::ui("e:BitBtn_carica_default e:BitBtn_load_dati_drive", dialog.get()), "0 0");

    // An unconfirmed selection writes nothing even when the command is called.
    SendDialogDriver none;
    none.send = false;
    none.drive([this] { dialog->BitBtn_carica_defaultClick(); });
    EXPECT_FALSE(none.seen);

    dialog->BitBtn_conferma_taglia->click();
    EXPECT_TRUE(dialog->BitBtn_carica_default->isEnabled());
    const uint8_t read_size = DriveRecordBank[0].b[RecOfs::SizeIndex];
    uint8_t image_size = 0xFF, size_sent = 0xFF;
    SendDialogDriver driver;
    driver.send = false;
    driver.on_show = [&](TForm_send_drive&) {
        image_size = DriveRecordRx.b[RecOfs::SizeIndex];
        size_sent = DriveRecordBank[0].b[RecOfs::SizeIndex];  // what the size parameter write carries
    };
    driver.drive([this] { dialog->BitBtn_carica_default->click(); });
    ASSERT_TRUE(driver.seen);
    EXPECT_EQ(image_size, SizeTableOrvel.sorted[3].code);
    EXPECT_EQ(size_sent, image_size);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], read_size);  // not written: taken back
}

TEST_F(E2pLink, ASizeOutsideTheTableOrAnImageNotYetReadIsRefused)
{
    start(DRIVE_TYPE_PELSAN, 9);
    open_dialog();
    EXPECT_EQ(dialog->Panel_num_taglia_impostata->text(), "---");
    EXPECT_EQ(dialog->Panel_nome_taglia_impostata->text(), "------");
    EXPECT_EQ(dialog->SelectedRow(), 0);
    EXPECT_TRUE(dialog->BitBtn_carica_default->isEnabled());
    sim->clear_log();
    SendDialogDriver driver;
    driver.send = false;
    driver.drive([this] { dialog->BitBtn_carica_default->click(); });
    EXPECT_FALSE(driver.seen);
    EXPECT_EQ(box_texts(), "Invalid drive size!");

    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    driver.drive([this] { dialog->BitBtn_load_dati_drive->click(); });
    EXPECT_FALSE(driver.seen);
    EXPECT_EQ(box_texts(), "Invalid drive size!|Drive data not read yet: try again!");
    pump_for(50);
    EXPECT_EQ(sim->request_count(CMD_WRITE_BLOCK), 0u);
}

TEST_F(E2pLink, ClosingDisconnectsOnlyWhileTheErrorPersists)
{
    start(DRIVE_TYPE_PELSAN, 2);
    open_dialog();
    set_alarms(0);
    ASSERT_TRUE(pump_until([] { return Drive_status_get().alarm_word == 0; }, 2000));
    ASSERT_TRUE(pump_until([this] { return dialog->Panel_str_e2p_chk_er->text() == "E2prom ok"; }, 2000));
    EXPECT_EQ(text_colour(dialog->Panel_str_e2p_chk_er), QColor(0, 128, 0).rgb());
    dialog->BitBtn_close->click();
    EXPECT_FALSE(dialog->isVisible());
    pump_for(100);
    EXPECT_TRUE(linked_and_running());

    set_alarms(1);
    ASSERT_TRUE(pump_until([] { return Drive_status_get().alarm_word == 1; }, 2000));
    open_dialog();
    dialog->close();
    EXPECT_TRUE(main->BitBtn_connect->isEnabled());
    EXPECT_TRUE(pump_until([] { return Ser_tx_state.load() != LinkState::Run; }, 2000));
}

TEST_F(E2pLink, TheOffsetDialogDisconnectsWheneverTheDriveAnswers)
{
    start(DRIVE_TYPE_PELSAN, 2, (1u << 1) | (1u << 20));
    ASSERT_TRUE(pump_until([] { return Drive_status_get().alarm_word != 0; }, 2000));
    offset = std::make_unique<TForm_e2p_offset_er>(main.get());
    offset->show();
    EXPECT_EQ(offset->Panel_str_e2p_chk_er_line2->text(), "Error: Offset currents, Eprom. Contact support!");
    offset->BitBtn_close->click();
    EXPECT_TRUE(main->BitBtn_connect->isEnabled());
}

// ---- without a drive: the link state set through the globals ----

namespace {

class E2pDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        linktest::reset_link_globals();
        saved_language_ = LanguageIndex;
        LanguageIndex = 1;
        Frm_output_build_size_tables();
        DriveDeviceId.store(DRIVE_TYPE_PELSAN);
        std::memset(DriveRecordBank, 0, sizeof DriveRecordBank);
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
        linktest::reset_link_globals();
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
        Toolwin_unregister(kind);
    }
}
