// The printout from the main and archive windows with the real services and windows: one PDF
// round trip each, tool windows closed while the preview prints, and the CANopen identity as a
// simulated drive reports it.
#include "files_fixture.h"
#include "print_pdf.h"

#include <algorithm>
#include <cerrno>
#include <ostream>

#include <QFile>
#include <QPushButton>
#include <QComboBox>
#include <QTemporaryDir>

#include "drivedata/Busctrl.h"
#include "link/Fieldbus_link.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "pages/fieldbus/Frm_cands301.h"
#include "platform/Savefile.h"
#include "print/Print_dialogs.h"
#include "print/Print_install.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print_core/Printer_data.h"
#include "shell/Load_data_drive.h"
#include "shell/Main_files.h"
#include "shell/Toolwin.h"

using namespace maintest;
using filestest::when_modal;

void PrintTo(PrintWaitEnd e, std::ostream* os)
{
    static const char* const names[] = {"NothingAsked", "Answered", "TimeLimit", "LinkLost", "Refused"};
    *os << names[static_cast<int>(e)];
}

namespace {

constexpr uint8_t LINKED = LinkFlag::Answers | LinkFlag::Ready | LinkFlag::Connect;

class PrintWindows : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Print_set_printer_source(PrinterSource{{"A"}, 0, PRINT_A4_CAPS});
        Print_install();
        open_window();
        main->Main_menus_connect();
        main->Main_files_connect();
        main->Timer_com->stop();
        main->Timer_ctrl->stop();
        LanguageIndex = 0;
        main->ApplyLanguage(0);
        Filedlg_set_sink([this](const FileDialogSpec& spec) {
            asked.push_back(spec);
            if (on_file_dialog)
                on_file_dialog();
            return pdf;
        });
        boxes.clear();
    }
    void TearDown() override
    {
        Filedlg_set_sink({});
        archive.reset();
        PageContext.store(0);
        Main_unregister_print_service();
        for (ToolWin k : {ToolWin::SetPrint, ToolWin::PrintPreview, ToolWin::PrinterData})
            Toolwin_unregister(k);
        Print_set_printer_source(std::nullopt);
        DriveDataFileName.clear();
        Seriale_clear_queue();
        Ser_tx_state.store(LinkState::Stop);
        MainWindowTest::TearDown();
    }
    void image_read() { image_read_tick(LINKED); }
    // Confirms the selection dialog on "PDF file" and the print dialog with every page.
    static void confirm_both()
    {
        when_modal<TForm_Set_Print>([](TForm_Set_Print* d) {
            d->ComboBox_list_printer->setCurrentIndex(d->ComboBox_list_printer->count() - 1);
            (d->BitBtn_print->isVisible() ? d->BitBtn_print : d->BitBtn_preview)->click();
        });
        when_modal<TForm_printer_data>([](TForm_printer_data* d) { d->BitBtn_print->click(); });
    }
    // A queued request of command cmd; of a read list, one that asks for 1000h first.
    static bool queued(uint8_t cmd)
    {
        for (const auto& e : Seriale_view().entries)
            if (e.frame[1] == cmd && (cmd != SerCmd::ReadList || (e.frame[3] == 0x10 && e.frame[4] == 0)))
                return true;
        return false;
    }
    static bool alarm_memory_queued() { return queued(SerCmd::AlarmMem); }
    // The print selection dialog's Preview at once.
    static void preview_at_once()
    {
        when_modal<TForm_Set_Print>([](TForm_Set_Print* d) { d->BitBtn_preview->click(); });
    }

    QTemporaryDir dir;
    QString pdf;
    std::vector<FileDialogSpec> asked;
    std::function<void()> on_file_dialog;
    std::unique_ptr<TForm_load_data_drive> archive;
};

TEST_F(PrintWindows, MainWindowPrintsTheConnectedDriveToAPdf)
{
    image_read();
    ASSERT_TRUE(main->BitBtn_print->isEnabled());
    ASSERT_TRUE(main->BitBtn_preview->isEnabled());
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    const PollItem other{0x6041, 0, LiveLoc::CanStatusWord, Loc_readback(LiveLoc::CanStatusWord), 0x0040};
    ASSERT_TRUE(Sertx_read_var_list(&other, 1));  // a page's list outstanding
    Seriale_clear_queue();
    pdf = dir.filePath("main.pdf");
    confirm_both();
    main->BitBtn_print->click();
    EXPECT_TRUE(alarm_memory_queued());
    EXPECT_FALSE(queued(SerCmd::ReadList));
    EXPECT_EQ(Main_print_wait_end(), PrintWaitEnd::TimeLimit) << "the page's list never answered";
    Sertx_forget_read_list();  // answered after the print: nothing is asked for it any more
    image_read();
    EXPECT_FALSE(queued(SerCmd::ReadList));
    EXPECT_FALSE(queued(SerCmd::Info));
    EXPECT_EQ(PrintPage.profile, PrintProfile::Canopen);
    ASSERT_TRUE(QFile::exists(pdf));
    const int pages = printpdf::info(pdf, "Pages").toInt();
    EXPECT_EQ(pages, static_cast<int>(PrintPage.page_count));
    EXPECT_GT(pages, 3);
    EXPECT_EQ(printpdf::info(pdf, "Title"), "Pendrix Data Print");
    const QString first = printpdf::page_text(pdf, 1);
    EXPECT_TRUE(first.contains("DRIVE ORVEL"));
    EXPECT_TRUE(first.contains("Ore:"));
    EXPECT_TRUE(first.contains("Data:"));
    for (int p = 1; p <= pages; ++p) {
        const QString text = printpdf::page_text(pdf, p);
        EXPECT_TRUE(text.contains(QStringLiteral("Pag.: %1").arg(p))) << p;
        EXPECT_FALSE(text.contains("File:")) << p;
    }
    EXPECT_TRUE(printpdf::page_text(pdf, pages).contains("Setup Riservato"));
    EXPECT_TRUE(boxes.empty()) << box_texts();
}

TEST_F(PrintWindows, CanopenIdentityStraightAfterConnectingIsWhatTheDriveReported)
{
    main->Timer_com->start();
    attach_simulator();
    SimBytes image = linktest::test_image(11);
    put_be16(image, RecOfs::BusType, BusTypeId::Canopen);
    sim->set_image(image);
    const auto text = [](const std::string& t) {
        SimBytes reply{static_cast<uint8_t>(t.size())};
        reply.insert(reply.end(), t.begin(), t.end());
        return reply;
    };
    sim->set_info_reply(4, text("EMU servo drive"));
    sim->set_info_reply(5, text("Software Vers: 3.20"));
    sim->set_list_value(0x1000, 0, {0, 0, 0, 0});
    sim->set_list_value(0x1018, 1, {0, 0, 0, 0});
    sim->set_list_value(0x1018, 2, {0x58, 0x04, 0x0C, 0});  // 1018h sub 3 unanswered
    sim->set_list_value(0x1005, 0, {0x34, 0x12, 0, 0});
    SimBytes status(DriveSim::kStatusSize, 0);
    put_be16(status, 8, 0x0637);   // 6041h
    put_be16(status, 10, 0x000F);  // 6040h
    sim->set_status(status);
    connect_and_read();
    pump_for(300);
    EXPECT_FALSE(Ds301Identity_reported(LiveLoc::DeviceType)) << "asked before a print asks";
    QWidget host;
    Frm_cands301_create(0, &host);  // its texts arrive again while the print reads them
    pump_for(500);
    // The answers held back: the print has its values only by waiting for them.
    sim->add_fault(SimFault::late(static_cast<int>(Ser_timeout_ms.load() / 2)).on(SerCmd::ReadList).forever());
    preview_at_once();
    QStringList values;
    when_modal<TForm_print_preview>([&values](TForm_print_preview* p) {
        for (std::size_t i = 0; i < PrintListLines.size(); ++i)
            if (PrintListLines[i].name == "Informazioni drive")
                for (std::size_t k = i + 2; k < i + 8 && k < PrintListLines.size(); ++k)
                    values.push_back(PrintListLines[k].value);
        for (const char* name : {"Cob ID-Sync", "Parola di controllo", "Parola di stato"})
            for (const PrintLine& l : PrintListLines)
                if (l.name == name)
                    values.push_back(l.value);
        p->BitBtn_close->click();
    });
    main->BitBtn_previewClick();
    EXPECT_EQ(values.join(" | ").toStdString(), "00000000h | EMU servo drive | Software Vers: 3.20 | 00000000h | "
                                                "000C0458h | ----- | 00001234h | 000Fh | 0637h");
    EXPECT_EQ(Main_print_wait_end(), PrintWaitEnd::Answered);
    Frm_cands301_destroy(0);

    // The drive leaves the print's list unanswered: the link loss ends the wait.
    main->Timer_com->stop();
    ASSERT_TRUE(pump_until([] { return !Sertx_read_list_outstanding(); }, 3000));
    sim->clear_faults();
    sim->add_fault(SimFault::silence().on(SerCmd::ReadList).forever());
    preview_at_once();
    when_modal<TForm_print_preview>([](TForm_print_preview* p) { p->BitBtn_close->click(); });
    main->BitBtn_previewClick();
    EXPECT_EQ(Main_print_wait_end(), PrintWaitEnd::LinkLost);
    EXPECT_TRUE(sim->violations().empty());
}

// Without a drive that answers: nothing asked after a disconnect with a page's list outstanding, or
// after a cancelled print; the time limit when what the print asked stays unanswered.
TEST_F(PrintWindows, ThePrintWaitsOnlyForWhatItAskedInThisLinkSession)
{
    const PollItem other{0x6041, 0, LiveLoc::CanStatusWord, Loc_readback(LiveLoc::CanStatusWord), 0x0040};
    enum Act { Print, Preview, CancelThenArchive };
    const struct {
        const char* what;
        bool disconnect;
        Act act;
        PrintWaitEnd end;
    } rows[] = {
        {"disconnected, print", true, Print, PrintWaitEnd::NothingAsked},
        {"disconnected, preview", true, Preview, PrintWaitEnd::NothingAsked},
        {"cancelled, then the archive", false, CancelThenArchive, PrintWaitEnd::NothingAsked},
        {"unanswered", false, Preview, PrintWaitEnd::TimeLimit},
    };
    pdf = dir.filePath("wait.pdf");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Sertx_forget_read_list();
        Seriale_clear_queue();
        image_read();
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
        if (r.disconnect) {
            ASSERT_EQ(Sertx_send_read_list(&other, 1), ListSend::Sent);  // a page's
            main->CloseLink();
        }
        if (r.act == Print) {
            confirm_both();
            main->BitBtn_printClick();
        } else if (r.act == Preview) {
            preview_at_once();
            when_modal<TForm_print_preview>([](TForm_print_preview* p) { p->BitBtn_close->click(); });
            main->BitBtn_previewClick();
        } else {
            when_modal<TForm_Set_Print>([](TForm_Set_Print* d) { d->BitBtn_cancel->click(); });
            main->BitBtn_previewClick();
            PageContext.store(1);
            archive = std::make_unique<TForm_load_data_drive>(main.get());
            preview_at_once();
            when_modal<TForm_print_preview>([](TForm_print_preview* p) { p->BitBtn_close->click(); });
            archive->BitBtn_previewClick();
            archive.reset();
            PageContext.store(0);
        }
        EXPECT_EQ(Main_print_wait_end(), r.end);
    }
}

TEST_F(PrintWindows, ArchiveWindowPrintsItsFileNameOnEveryPage)
{
    DriveDataFileName = dir.filePath("data.ivt");
    PageContext.store(1);
    archive = std::make_unique<TForm_load_data_drive>(main.get());
    archive->show();
    pump_for(30);
    ASSERT_TRUE(archive->BitBtn_print->isEnabled());
    Seriale_clear_queue();
    pdf = dir.filePath("archive.pdf");
    confirm_both();
    archive->BitBtn_printClick();
    EXPECT_FALSE(alarm_memory_queued());
    const int pages = printpdf::info(pdf, "Pages").toInt();
    ASSERT_GT(pages, 1);
    for (int p = 1; p <= pages; ++p)
        EXPECT_TRUE(printpdf::page_text(pdf, p).contains("File: data.ivt")) << p;
    EXPECT_TRUE(boxes.empty()) << box_texts();
}

TEST_F(PrintWindows, AnUnwritablePdfGivesOneWarning)
{
    image_read();
    pdf = "/proc/no/such/folder/x.pdf";
    confirm_both();
    main->BitBtn_print->click();
    ASSERT_EQ(boxes.size(), 1u) << box_texts();
    EXPECT_EQ(boxes[0].text, "x.pdf\n" + Savefile_error_text(ENOENT));
}

TEST_F(PrintWindows, ClosingTheToolWindowsDuringThePreviewsPrintPrintsNothing)
{
    image_read();
    pdf = dir.filePath("late.pdf");
    for (bool in_file_dialog : {false, true}) {
        boxes.clear();
        asked.clear();
        on_file_dialog = in_file_dialog ? std::function<void()>([this] { main->Main_close_tool_windows(); }) : nullptr;
        when_modal<TForm_Set_Print>([](TForm_Set_Print* d) {
            d->ComboBox_list_printer->setCurrentIndex(d->ComboBox_list_printer->count() - 1);
            d->BitBtn_preview->click();
        });
        when_modal<TForm_print_preview>([](TForm_print_preview* p) { p->BitBtn_print->click(); });
        when_modal<TForm_printer_data>([this, in_file_dialog](TForm_printer_data* d) {
            if (in_file_dialog)
                d->BitBtn_print->click();
            else
                main->Main_close_tool_windows();
        });
        main->BitBtn_previewClick();
        end_test_objects();
        EXPECT_EQ(asked.size(), in_file_dialog ? 1u : 0u);
        EXPECT_FALSE(QFile::exists(pdf)) << in_file_dialog;
        EXPECT_TRUE(PrintListLines.empty()) << "freed once the job returned";
        EXPECT_EQ(Toolwin_open(ToolWin::PrintPreview), nullptr);
    }
}

}  // namespace
