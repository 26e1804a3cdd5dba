// Data transfer dialogs: one flow against the drive simulator for each of the archive send, the
// save-all and the motor record dialog; the send dialog's tick and the queue wait without a drive.
#include "files_fixture.h"
#include "text_fit.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include "drivedata/Init.h"
#include "link/Seriale.h"
#include "shell/Form_send_dat.h"
#include "shell/Form_send_drive.h"
#include "shell/Form_send_motor.h"
#include "shell/Formdattxrx.h"
#include "shell/Load_data_drive.h"
#include "shell/Main_files.h"

using namespace maintest;
using namespace filestest;

namespace {

class Transfer : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        DriveDataFileName.clear();
        open_window();
        main->Main_files_connect();
        LanguageIndex = 1;
        attach_simulator();
        image = linktest::test_image(40);
        image[RecOfs::VoltageClass] = 0;
        image[RecOfs::VoltageClass + 1] = 1;  // voltage class 1 (drive order)
        sim->set_image(image);
        set_status(0);
        sim->set_store_time(std::chrono::milliseconds(40));
    }
    // After a completed data-set write: slot 0 holds the record sent with its own header and end
    // (the alarm memory, bytes 3-19, is read again), slot 2 = slot 0, nothing modified.
    static void expect_slot0_took(const DriveRecord& sent, const DriveRecord& slot0_before)
    {
        EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + 28, sent.b + 28, 2380), 0);
        EXPECT_EQ(std::memcmp(DriveRecordBank[0].b, slot0_before.b, 3), 0);
        EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + 20, slot0_before.b + 20, 8), 0);
        EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + 2408, slot0_before.b + 2408, 4), 0);
        EXPECT_EQ(std::memcmp(DriveRecordBank[2].b, DriveRecordBank[0].b, DRIVE_RECORD_SIZE), 0);
        EXPECT_FALSE(DriveUiFlags.load() & UiFlag::Modified);
    }
    void TearDown() override
    {
        if (archive) {
            DriveRecordBank[3] = DriveRecordBank[1];
            archive.reset();
        }
        PageContext.store(0);
        MainWindowTest::TearDown();
    }

    // Status word as given; the field bus in local control (bus status bit 9), so the main window
    // queues no remote-control writes of its own.
    void set_status(uint16_t word)
    {
        SimBytes s(DriveSim::kStatusSize, 0);
        s[0] = static_cast<uint8_t>(word >> 8);
        s[1] = static_cast<uint8_t>(word);
        s[8] = 0x02;
        sim->set_status(s);
    }

    // Bytes 28-2407 of a host-order record, as the drive holds them.
    static SimBytes drive_order_payload(const DriveRecord& r)
    {
        DriveRecord copy = r;
        Init_swap_image(copy.b);
        return SimBytes(copy.b + 28, copy.b + 2408);
    }
    SimBytes sim_payload() const
    {
        const SimBytes img = sim->image();
        return SimBytes(img.begin() + 28, img.begin() + 2408);
    }

    // Clicks Send All and waits for the finished text; false on time-out.
    static bool send_all_and_wait(TForm_send_drive* d, int timeout_ms = 5000)
    {
        if (!pump_until([d] { return d->BitBtn_send_all->isEnabled(); }, 3000))
            return false;
        d->BitBtn_send_all->click();
        return pump_until([d] { return d->message_lines().value(1) == "Write Finished"; }, timeout_ms);
    }

    TForm_load_data_drive* show_archive()
    {
        PageContext.store(1);
        archive = std::make_unique<TForm_load_data_drive>(main.get());
        archive->show();
        pump_for(30);
        return archive.get();
    }

    SimBytes image;
    DialogScript dialogs;
    std::unique_ptr<TForm_load_data_drive> archive;
};

}  // namespace

TEST_F(Transfer, ArchiveSendKeepsTheDrivesVoltageDataAndTheDriveTakesTheRecord)
{
    connect_and_read();
    DriveRecordBank[1] = pattern_record(41);
    DriveRecordBank[1].b[RecOfs::VoltageClass] = 0xF0;  // class 0, other bits set
    ASSERT_EQ(DriveRecordBank[0].b[RecOfs::VoltageClass] & 3, 1);
    const DriveRecord slot0_before = DriveRecordBank[0];
    DriveRecord expected = DriveRecordBank[1];
    expected.b[RecOfs::SizeIndex] = slot0_before.b[RecOfs::SizeIndex];
    expected.b[RecOfs::VoltageClass] = 0xF1;
    std::memcpy(expected.b + 38, slot0_before.b + 38, 8);
    std::memcpy(expected.b + 54, slot0_before.b + 54, 10);

    show_archive();
    ASSERT_TRUE(pump_until([&] { return archive->BitBtn_invia->isEnabled(); }, 2000));
    sim->clear_log();
    QString title;
    QStringList lines;
    bool finished = false;
    bool ran = false;
    when_modal<TForm_send_drive>(
        [&](TForm_send_drive* d) {
            title = d->Panel_dat_send->text();
            lines = d->message_lines();
            finished = send_all_and_wait(d) && d->message_colour() == clGreen;
            d->BitBtn_close->click();
        },
        &ran);
    answers = {MsgOk};
    archive->BitBtn_inviaClick();
    ASSERT_TRUE(ran);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "voltages sizes different!\nWill retain the voltage thresholds and data of the braking resistor.");
    EXPECT_EQ(boxes[0].buttons, unsigned(MsgOk | MsgCancel));
    EXPECT_EQ(title, "Load data from file");
    EXPECT_EQ(lines, (QStringList{"      ", "All data will be rewritten!"}));
    ASSERT_TRUE(finished);
    EXPECT_EQ(sim->request_count(4), 0u) << "no parameter write from the archive's context";
    EXPECT_EQ(sim_payload(), drive_order_payload(expected));
    EXPECT_TRUE(sim->violations().empty()) << linktest::joined(sim->violations());
    expect_slot0_took(expected, slot0_before);
    EXPECT_TRUE(pump_until([&] { return sim->request_count(5) > 0; }, 2000)) << "alarm memory read again";

    // Cancel on the voltage question sends nothing.
    sim->clear_log();
    answers = {MsgCancel};
    archive->BitBtn_inviaClick();
    EXPECT_EQ(boxes.size(), 2u);
    pump_for(50);
    EXPECT_EQ(sim->request_count(6), 0u);
}

// The interrupted text of a drive data set, by language.
const char* const INTERRUPTED_DRIVE[3] = {
    "Trasferimento interrotto: i dati nel drive possono essere incompleti. Inviarli di nuovo!",
    "Transfer interrupted: the data in the drive may be incomplete. Send them again!",
    "Transfert interrompu : les données du variateur peuvent être incomplètes. Envoyez-les à nouveau!"};
const char* const FINISHED[3] = {"Scrittura Terminata", "Write Finished", "Écriture terminée"};

// The link lost half-way through Send All: the message says so, keeps saying so after the link is
// back, and the next Send All writes the whole record and ends green.
TEST_F(Transfer, SendCutByALostLinkSaysSoUntilSentAgainInEachLanguage)
{
    connect_and_read();
    for (uint8_t lang = 0; lang < 3; ++lang) {
        SCOPED_TRACE(int{lang});
        LanguageIndex = lang;
        DriveRecordBank[0].b[1500] = static_cast<uint8_t>(0x40 + lang);
        const DriveRecord sent = DriveRecordBank[0];
        Main_prepare_drive_job(sent, nullptr);
        TForm_send_drive d(main.get());
        d.set_message(Formdattxrx_rewrite_lines());
        d.show();
        ASSERT_TRUE(pump_until([&] { return d.BitBtn_send_all->isEnabled(); }, 8000));
        sim->clear_log();
        sim->add_fault(SimFault::silence().on(6).after(5).forever());  // the line goes dead at chunk 6 of 10
        const uint32_t losses = Ser_lost_count.load();
        d.BitBtn_send_all->click();
        ASSERT_TRUE(pump_until([&] { return Ser_lost_count.load() != losses; }, 8000));
        // Shown at the next tick (see the tick test below); the wait only allows for a loaded machine.
        EXPECT_TRUE(pump_until([&] { return d.message_lines().value(1) == INTERRUPTED_DRIVE[lang]; }, 5000));
        EXPECT_EQ(d.message_colour(), clRed);
        EXPECT_FALSE(d.sending());
        EXPECT_GE(sim->request_count(6), 7u) << "five chunks answered, the sixth tried twice";

        // The link back and the image read again: the text stays until the user sends again.
        sim->clear_faults();
        ASSERT_TRUE(pump_until([&] { return d.BitBtn_send_all->isEnabled(); }, 8000));
        pump_for(50);
        EXPECT_EQ(d.message_lines().value(1), INTERRUPTED_DRIVE[lang]);
        d.BitBtn_send_all->click();
        EXPECT_NE(d.message_lines().value(1), INTERRUPTED_DRIVE[lang]);
        ASSERT_TRUE(pump_until([&] { return d.message_lines().value(1) == FINISHED[lang]; }, 8000));
        EXPECT_EQ(d.message_colour(), clGreen);
        EXPECT_EQ(sim_payload(), drive_order_payload(sent));
        d.close();
    }
    EXPECT_TRUE(sim->violations().empty()) << linktest::joined(sim->violations());
}

TEST_F(Transfer, SendButtonsWaitForThisConnectionsImageAndFollowStatusBit5)
{
    show_archive();
    TForm_send_drive send(main.get());
    send.show();
    sim->add_fault(SimFault::late(200).on(3).times(2));
    main->BitBtn_connect->click();
    ASSERT_TRUE(pump_until([] { return linktest::link_bits(LinkFlag::Ready); }, 5000));
    bool enabled_early = false;
    pump_until(
        [&] {
            // The image flag is set on this thread, so reading it first sees the buttons as they were.
            const bool image = linktest::data_bits(DataFlag::ListReads);
            if (!image)
                enabled_early |= archive->BitBtn_invia->isEnabled() || send.BitBtn_send_all->isEnabled();
            return image;
        },
        8000);
    EXPECT_FALSE(enabled_early);
    EXPECT_TRUE(pump_until([&] { return archive->BitBtn_invia->isEnabled() && send.BitBtn_send_all->isEnabled(); },
                           1000));
    // The archive Send does nothing before the image is there.
    set_status(StatusBit::State5);
    EXPECT_TRUE(pump_until([&] { return !archive->BitBtn_invia->isEnabled() && !send.BitBtn_send_all->isEnabled(); },
                           2000));
    set_status(0);
    EXPECT_TRUE(pump_until([&] { return archive->BitBtn_invia->isEnabled() && send.BitBtn_send_all->isEnabled(); },
                           2000));
    send.close();
}

TEST_F(Transfer, SaveAllCountsOnlyTheProgressOfItsOwnTransfer)
{
    connect_and_read();
    // After a whole save the drive's last transfer is complete: a progress reply now gives the
    // target. Held back a little, such a reply arrives after the next dialog is up.
    ASSERT_TRUE(Main_send_all_and_save());
    int chunks_when_finished = -1;
    const auto follow = [&](TForm_send_dat* d) {
        pump_until(
            [&] {
                if (d->finished() && chunks_when_finished < 0)
                    chunks_when_finished = static_cast<int>(sim->requests(6).size());
                return d->finished();
            },
            8000);
    };

    // A progress request on the line when the dialog opens.
    DriveRecordBank[0].b[1000] ^= 0xFF;
    DriveRecord sent = DriveRecordBank[0];
    sim->clear_log();
    sim->add_fault(SimFault::late(150).on(7));
    Sertx_read_info(1);
    bool ran = false;
    when_modal<TForm_send_dat>(follow, &ran);
    EXPECT_TRUE(Main_send_all_and_save());
    ASSERT_TRUE(ran);
    EXPECT_EQ(chunks_when_finished, 10) << "finished only once the whole record is written";
    EXPECT_EQ(sim_payload(), drive_order_payload(sent));
    EXPECT_TRUE(sim->violations().empty()) << linktest::joined(sim->violations());
}

TEST_F(Transfer, MotorRecordIsWrittenAndTakenIntoSlot0)
{
    connect_and_read();
    MotorRecord motor;
    for (std::size_t i = 0; i < MOTOR_RECORD_SIZE; ++i)
        motor.b[i] = static_cast<uint8_t>(0x30 + i);
    MotorRecord wire = motor;
    Init_motor_swap(wire.b);
    Ser_block_job.length.store(MOTOR_RECORD_SIZE);
    std::memcpy(Ser_block_job.data, wire.b, MOTOR_RECORD_SIZE);

    bool finished = false;
    bool ran = false;
    when_modal<TForm_send_motor>(
        [&](TForm_send_motor* d) {
            pump_until([d] { return d->BitBtn_continua->isEnabled(); }, 3000);
            d->BitBtn_continua->click();
            finished = pump_until([d] { return d->message_lines().value(1) == "Write Finished"; }, 3000);
            d->BitBtn_close->click();
        },
        &ran);
    {
        TForm_send_motor dialog(motor, main.get());
        dialog.set_message(Formdattxrx_rewrite_lines());
        dialog.exec();
        EXPECT_FALSE(dialog.Timer_monitor_seriale->isActive()) << "the 1 ms timer runs only while shown";
    }
    ASSERT_TRUE(ran);
    ASSERT_TRUE(finished);
    EXPECT_EQ(Ser_block_job.progress_max.load(), 122);
    EXPECT_EQ(sim->motor_record(), SimBytes(wire.b, wire.b + MOTOR_RECORD_SIZE));
    EXPECT_EQ(std::memcmp(DriveRecordBank[0].b + RecOfs::Motor, motor.b, MOTOR_RECORD_SIZE), 0);
    EXPECT_TRUE(sim->violations().empty()) << linktest::joined(sim->violations());
}

// ---- the send dialog's tick and the queue wait, without a drive ----

TEST_F(MainWindowTest, SendDialogFollowsTheProgressOnlyWhileSendingAndAsksAgainWhileTheQueueIsShort)
{
    LanguageIndex = 1;
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    Ser_data_flags.store(DataFlag::ListReads);
    Seriale_init();
    TForm_send_drive d;
    d.set_message({"", ""});
    d.Timer_monitor_serialeTimer();  // sees the link up
    Ser_block_job.progress_max.store(100);
    Ser_block_job.progress.store(100);
    Ser_data_flags.fetch_or(DataFlag::InfoSub1);
    d.Timer_monitor_serialeTimer();
    EXPECT_NE(d.message_lines().value(1), "Write Finished") << "no transfer of its own to follow";

    const auto progress_requests = [] {
        int n = 0;
        for (const Ser_queue_entry& e : Seriale_view().entries)
            n += e.frame.size() > 2 && e.frame[1] == SerCmd::Info && e.frame[2] == 1;
        return n;
    };
    d.Sending = 1;
    d.CGauge_dat_check->set_maximum(100);
    Ser_block_job.progress.store(40);
    for (int i = 0; i < 9; ++i)
        Sertx_drive_func(5, static_cast<uint8_t>(i));  // nine requests wait: one more may join
    d.Timer_monitor_serialeTimer();
    EXPECT_EQ(d.CGauge_dat_check->position(), 40u);
    EXPECT_EQ(progress_requests(), 1);
    EXPECT_FALSE(Ser_data_flags.load() & DataFlag::InfoSub1);
    Ser_data_flags.fetch_or(DataFlag::InfoSub1);
    d.Timer_monitor_serialeTimer();  // ten wait now: no request, the report stays to be followed
    EXPECT_EQ(progress_requests(), 1);
    EXPECT_TRUE(Ser_data_flags.load() & DataFlag::InfoSub1);
    Ser_block_job.progress.store(100);
    d.Timer_monitor_serialeTimer();
    EXPECT_EQ(d.message_lines().value(1), "Write Finished");
    EXPECT_FALSE(d.sending());
    Seriale_clear_queue();
    Ser_tx_state.store(LinkState::Stop);
}

// A link loss while sending ends the sending at the dialog's next tick with the interrupted text of
// its data (drive data set or motor record) in the current language; the text stays while the link
// is back and nothing is sent.
TEST_F(MainWindowTest, LinkLossWhileSendingShowsTheInterruptedTextAtTheNextTickAndKeepsIt)
{
    const char* const motor[3] = {
        "Trasferimento interrotto: i dati motore nel drive possono essere incompleti. Inviarli di nuovo!",
        "Transfer interrupted: the motor data in the drive may be incomplete. Send them again!",
        "Transfert interrompu : les données moteur du variateur peuvent être incomplètes. Envoyez-les à nouveau!"};
    Ser_tx_state.store(LinkState::Run);
    Ser_data_flags.store(DataFlag::ListReads);
    Seriale_init();
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        TForm_send_drive drive;
        TForm_send_motor motor_dialog(MotorRecord{});
        const struct {
            Formdattxrx_send* dialog;
            std::function<void()> tick;
            const char* text;
        } cases[] = {{&drive, [&] { drive.Timer_monitor_serialeTimer(); }, INTERRUPTED_DRIVE[lang]},
                     {&motor_dialog, [&] { motor_dialog.Timer_monitor_serialeTimer(); }, motor[lang]}};
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.text));
            Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
            c.dialog->set_message(Formdattxrx_rewrite_lines());
            c.tick();  // sees the link up
            c.dialog->Sending = 1;
            Sertx_write_block(Ser_block_job, 0);
            Ser_lost_count.fetch_add(1);  // lost and back between two ticks
            c.tick();
            EXPECT_EQ(c.dialog->message_lines().value(1), c.text);
            EXPECT_EQ(c.dialog->message_colour(), clRed);
            EXPECT_FALSE(c.dialog->sending());
            EXPECT_EQ(Seriale_count(), 0) << "the rest of the transfer is not sent after the reconnect";
            for (int i = 0; i < 3; ++i)
                c.tick();
            EXPECT_EQ(c.dialog->message_lines().value(1), c.text);
            Ser_link_flags.store(0);  // a loss while idle changes nothing
            c.dialog->set_message(Formdattxrx_rewrite_lines());
            c.tick();
            EXPECT_EQ(c.dialog->message_lines(), Formdattxrx_rewrite_lines());
        }
    }
    Seriale_clear_queue();
    Ser_link_flags.store(0);
    Ser_tx_state.store(LinkState::Stop);
}

TEST_F(MainWindowTest, QueueWaitBarSpansTheRequestsQueuedAtTheStart)
{
    Seriale_init();
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    for (int i = 0; i < 5; ++i)
        Sertx_drive_func(5, static_cast<uint8_t>(i));
    TForm_DatTxRx d(0);
    EXPECT_EQ(d.ProgressBar_DatTxRx->maximum(), 5);
    Seriale_clear_queue();
    Ser_tx_state.store(LinkState::Stop);
}

namespace {

// The send dialog of the load-default and send-all commands shows its buttons' texts whole, the
// French "Envoye Données" too, side by side.
TEST_F(Transfer, SendDialogButtonsShowTheirTextsWhole)
{
    for (uint8_t language : {0, 1, 2}) {
        LanguageIndex = language;
        TForm_send_drive dialog(main.get());
        dialog.show();
        textfit::settle(&dialog);
        for (const QPushButton* b : {dialog.BitBtn_send_all, dialog.BitBtn_close})
            EXPECT_TRUE(textfit::button_whole(b)) << b->text().toStdString();
        EXPECT_LT(dialog.BitBtn_send_all->geometry().right(), dialog.BitBtn_close->x());
        dialog.hide();
    }
}

}  // namespace
