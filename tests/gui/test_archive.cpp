// The offline archive window: opening in context 1, the modified watch, the save questions on
// every way of closing, the commands, failed saves and the printout seam.
#include "files_fixture.h"
#include "FullDisk.h"

#include <QAction>
#include <QTest>
#include <QToolButton>

#include "drivedata/Init.h"
#include "shell/Load_data_drive.h"
#include "shell/Stbar.h"
#include "shell/Toolwin.h"

using namespace maintest;
using namespace filestest;

namespace {

class Archive : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        saved_family_ = CurrentFamily;
        DriveDataFileName.clear();
        open_window();
        main->Main_files_connect();
        CurrentFamily = &FamilyOrvel;
        LanguageIndex = 1;
        boxes.clear();
    }
    void TearDown() override
    {
        if (archive) {
            DriveRecordBank[3] = DriveRecordBank[1];
            archive->Modified = 0;
            archive.reset();
        }
        PageContext.store(0);
        Main_unregister_print_service();
        for (ToolWin k : {ToolWin::SetPrint, ToolWin::PrintPreview, ToolWin::PrinterData})
            Toolwin_unregister(k);
        CurrentFamily = saved_family_;
        DriveDataFileName.clear();
        MainWindowTest::TearDown();
    }

    QString folder_file(const char* name) const
    {
        return QString::fromStdString((DriveDataFolder / name).string());
    }

    // The window on slot 1, shown without its own event loop (PageContext 1 as the main window sets it).
    TForm_load_data_drive* show_archive()
    {
        PageContext.store(1);
        archive = std::make_unique<TForm_load_data_drive>(main.get());
        archive->show();
        pump_for(30);
        return archive.get();
    }

    // The modified pane (third, after two panes of 114) filled light grey on its left margin.
    bool modified_pane_shown() const
    {
        const QImage& img = archive->Stb->picture()->image();
        return img.pixelColor(114 + 114 + 8, img.height() / 2) == QColor(233, 233, 233);
    }

    void edit_slot1(std::size_t ofs, uint8_t value) { DriveRecordBank[1].b[ofs] = value; }

    std::unique_ptr<TForm_load_data_drive> archive;
    DialogScript dialogs;

private:
    const DriveFamilyRecord* saved_family_ = nullptr;
};

}  // namespace

TEST_F(Archive, OpenFromTheMainWindowShowsTheFileInContextOne)
{
    DriveRecord r = pattern_record(20);
    r.b[RecOfs::VersionMajor] = 3;
    Rec_set<uint16_t>(r, RecOfs::BusType, 1);
    const QString file = folder_file("open.ivt");
    ASSERT_TRUE(WriteDriveFile(file, &r));
    dialogs.names = {file};
    uint16_t context = 0;
    bool own_tree = false, alarm_memory = true, page_in_context_1 = false, commands = false;
    bool ran = false;
    when_modal<TForm_load_data_drive>(
        [&](TForm_load_data_drive* w) {
            context = PageContext.load();
            own_tree = PageTreeOf(1) == w->TreeView_menu && BuiltBusType[1] == 1;
            alarm_memory = FindPageNode(w->TreeView_menu, &PageNode_mem_alarm) != nullptr;
            const auto& log = page_calls().log;
            page_in_context_1 = std::find(log.begin(), log.end(), "C1/1") != log.end();
            UpdateEditState(EditMode::Force);  // every drive command is enabled while the window is open
            commands = main->BitBtn_carica_default->isEnabled();
            w->close();
        },
        &ran);
    main->BitBtn_load_dati_driveClick();
    ASSERT_TRUE(ran);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_FALSE(dialogs.asked[0].save);
    EXPECT_EQ(context, 1);
    EXPECT_TRUE(own_tree);
    EXPECT_FALSE(alarm_memory);
    EXPECT_TRUE(page_in_context_1);
    EXPECT_TRUE(commands);

    EXPECT_EQ(PageContext.load(), 0);
    EXPECT_EQ(Form_load_data_drive, nullptr);
    EXPECT_EQ(CurrentPageNode[1], nullptr);
    EXPECT_EQ(page_calls().log.back(), "D1/1");
    EXPECT_EQ(std::memcmp(DriveRecordBank[1].b + 20, r.b + 20, DRIVE_RECORD_SIZE - 20), 0);
    EXPECT_EQ(DriveDataFileName, file);
    EXPECT_FALSE(main->BitBtn_carica_default->isEnabled());  // recomputed after the window closed: no drive
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Archive, ModifiedStaysUntilSavedAndTheStatusPanesShowIt)
{
    DriveRecordBank[1] = pattern_record(22);
    const QString file = folder_file("mod.ivt");
    ASSERT_TRUE(WriteDriveFile(file, &DriveRecordBank[1]));
    DriveDataFileName = file;
    show_archive();
    EXPECT_EQ(archive->Stb->count(), 4);
    EXPECT_FALSE(archive->modified());
    EXPECT_FALSE(modified_pane_shown());
    EXPECT_FALSE(archive->BitBtn_salva_dati_drive->isEnabled());

    const uint8_t old = DriveRecordBank[1].b[300];
    edit_slot1(300, static_cast<uint8_t>(old + 1));
    ASSERT_TRUE(pump_until([&] { return archive->modified(); }, 1000));
    EXPECT_TRUE(modified_pane_shown());
    EXPECT_TRUE(archive->BitBtn_salva_dati_drive->isEnabled());
    EXPECT_TRUE(archive->Menu_Save->isEnabled());
    edit_slot1(300, old);  // the old value typed back
    pump_for(60);
    EXPECT_TRUE(archive->modified());

    edit_slot1(301, 0x42);
    archive->BitBtn_salva_dati_drive->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Data Saved !");
    EXPECT_TRUE(dialogs.asked.empty()) << "a named data set is saved to its file";
    EXPECT_FALSE(archive->modified());
    EXPECT_FALSE(modified_pane_shown());
    EXPECT_EQ(read_file(file)[28 + 301], 0x42);
    EXPECT_EQ(std::memcmp(DriveRecordBank[3].b, DriveRecordBank[1].b, DRIVE_RECORD_SIZE), 0);
}

TEST_F(Archive, EveryWayOfClosingAsksAndCancelKeepsTheWindow)
{
    DriveRecordBank[1] = pattern_record(23);
    show_archive();
    edit_slot1(500, static_cast<uint8_t>(DriveRecordBank[1].b[500] + 1));  // committed just now, no tick yet

    answers = {MsgCancel};
    archive->close();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Do you want to save Data on File ?");
    EXPECT_TRUE(archive->isVisible());

    answers = {MsgCancel};
    QTest::keyClick(archive.get(), Qt::Key_Escape);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(archive->isVisible());

    answers = {MsgYes};  // then the save dialog is cancelled
    archive->Menu_Chiudi->trigger();
    EXPECT_EQ(boxes.size(), 3u);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Save");
    EXPECT_TRUE(archive->isVisible());
    EXPECT_TRUE(archive->modified());

    answers = {MsgYes};
    dialogs.names = {dir_.path() + "/y.ivt"};
    archive->close();
    EXPECT_FALSE(archive->isVisible());
    EXPECT_EQ(read_file(dir_.path() + "/y.ivt").size(), 2440);
    EXPECT_EQ(DriveDataFileName, dir_.path() + "/y.ivt");
    EXPECT_EQ(CurrentPageNode[1], nullptr);
}

TEST_F(Archive, DefaultsDropTheFileNameAndTheNextSaveAsksForOne)
{
    DriveRecordBank[1] = pattern_record(24);
    const QString file = folder_file("named.ivt");
    ASSERT_TRUE(WriteDriveFile(file, &DriveRecordBank[1]));
    const QByteArray named = read_file(file);
    DriveDataFileName = file;
    DriveSizeRead = {1, 1};
    show_archive();
    edit_slot1(400, static_cast<uint8_t>(DriveRecordBank[1].b[400] + 1));

    answers = {MsgNo, MsgOk};
    archive->BitBtn_open_dati_drive_defClick();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(box_texts(), "Do you want to save changes on File : named.ivt ?|Default Data Set ?|Default Data Set !");
    DriveRecord defaults;
    Init_default_image(defaults, 1, 1, FAMILY_FLAG_ORVEL);
    EXPECT_EQ(std::memcmp(DriveRecordBank[1].b, defaults.b, DRIVE_RECORD_SIZE), 0);
    EXPECT_TRUE(DriveDataFileName.isEmpty());
    EXPECT_FALSE(archive->modified());

    edit_slot1(400, static_cast<uint8_t>(DriveRecordBank[1].b[400] + 1));
    ASSERT_TRUE(pump_until([&] { return archive->modified(); }, 1000));
    archive->BitBtn_salva_dati_driveClick();
    ASSERT_EQ(dialogs.asked.size(), 1u) << "no file name: the save asks for one";
    EXPECT_TRUE(dialogs.asked[0].save);
    EXPECT_EQ(read_file(file), named) << "the file opened before is not overwritten";
    EXPECT_TRUE(archive->modified());

    // Cancel on the defaults question changes nothing.
    answers = {MsgNo, MsgCancel};
    const DriveRecord before = DriveRecordBank[1];
    archive->BitBtn_open_dati_drive_defClick();
    EXPECT_EQ(std::memcmp(DriveRecordBank[1].b, before.b, DRIVE_RECORD_SIZE), 0);
}

TEST_F(Archive, FailedSavesReportAndKeepTheDataSetModified)
{
    FullDisk disk;
    DriveRecordBank[1] = pattern_record(25);
    const QString file = QString::fromStdString(disk.file("keep.ivt"));
    ASSERT_TRUE(WriteDriveFile(file, &DriveRecordBank[1]));
    const QByteArray old = read_file(file);
    DriveDataFileName = file;
    show_archive();
    edit_slot1(600, static_cast<uint8_t>(DriveRecordBank[1].b[600] + 1));
    ASSERT_TRUE(pump_until([&] { return archive->modified(); }, 1000));

    disk.fill();
    archive->BitBtn_salva_dati_driveClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(Savefile_error_text(ENOSPC)), std::string::npos) << boxes[0].text;
    EXPECT_EQ(read_file(file), old);
    EXPECT_TRUE(archive->modified());
    EXPECT_TRUE(modified_pane_shown());

    dialogs.names = {QString::fromStdString(disk.file("new.ivt"))};
    archive->Menu_Save_as->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Save as");
    ASSERT_EQ(boxes.size(), 2u) << "a failed Save as says why";
    EXPECT_EQ(boxes[1].icon, MsgIcon::Warning);
    EXPECT_EQ(DriveDataFileName, file);
    EXPECT_EQ(read_file(file), old);
    EXPECT_TRUE(archive->modified());

    dialogs.names = {dir_.path() + "/other.ivt"};
    archive->Menu_Save_as->trigger();
    EXPECT_EQ(boxes.size(), 2u) << "Save as confirms nothing";
    EXPECT_EQ(DriveDataFileName, dir_.path() + "/other.ivt");
    EXPECT_FALSE(archive->modified());
}

TEST_F(Archive, OpenLoadsAnotherFileOrLeavesEverythingOnRefusal)
{
    DriveRecordBank[1] = pattern_record(26);
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 0);
    DriveDataFileName = "first.ivt";
    show_archive();
    const DriveRecord before = DriveRecordBank[1];
    EXPECT_EQ(BuiltBusType[1], 0);

    const QString bad = folder_file("bad.ivt");
    ASSERT_TRUE(write_file(bad, QByteArray(27, '\0')));
    dialogs.names = {bad};
    archive->BitBtn_open_dati_driveClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Corrupted Data or Invalid File !");
    EXPECT_EQ(std::memcmp(DriveRecordBank[1].b, before.b, DRIVE_RECORD_SIZE), 0);
    EXPECT_EQ(std::memcmp(DriveRecordBank[3].b, before.b, DRIVE_RECORD_SIZE), 0);
    EXPECT_EQ(DriveDataFileName, "first.ivt");
    EXPECT_TRUE(archive->isVisible());
    EXPECT_FALSE(archive->modified());

    DriveRecord r = pattern_record(27);
    r.b[RecOfs::VersionMajor] = 3;
    Rec_set<uint16_t>(r, RecOfs::BusType, 2);
    const QString good = folder_file("good.ivt");
    ASSERT_TRUE(WriteDriveFile(good, &r));
    dialogs.names = {good};
    archive->Menu_Open->trigger();
    EXPECT_EQ(boxes.back().text, "Data Loaded !");
    EXPECT_EQ(DriveDataFileName, good);
    EXPECT_EQ(BuiltBusType[1], 2) << "the bus pages follow the loaded data set";
    EXPECT_NE(FindPageNode(archive->TreeView_menu, &PageNode_cands402_stm), nullptr);
    EXPECT_FALSE(archive->modified());
}

// ---- printout seam ----

namespace {

struct PrintLog {
    std::vector<std::string> calls;
    const DriveRecord* record = nullptr;
};
PrintLog print_log;

struct ResultDialog : QDialog {
    ResultDialog(QWidget* p, const char* name, int result) : QDialog(p)
    {
        print_log.calls.push_back(name);
        QTimer::singleShot(0, this, [this, result] { done(result); });
    }
};

DrivePrintService print_double()
{
    DrivePrintService s;
    s.field_bus = [](const DriveRecord* r) {
        print_log.calls.push_back("field_bus");
        print_log.record = r;
    };
    s.io_profile = [](const DriveRecord*) { print_log.calls.push_back("io"); };
    s.modbus_profile = [](const DriveRecord*) { print_log.calls.push_back("modbus"); };
    s.canopen_profile = [](const DriveRecord*, uint8_t context) {
        print_log.calls.push_back("canopen/" + std::to_string(context));
    };
    s.time_text = [](const QTime&) { return QString("12:34:56"); };
    s.count_pages = [](PrintPageRec* p) {
        print_log.calls.push_back("count");
        p->page_count = 3;
    };
    s.print_job = [](PrintPageRec*) { print_log.calls.push_back("job"); };
    return s;
}

}  // namespace

TEST_F(Archive, PrintCommandsStayDisabledUntilThePrintoutIsThere)
{
    show_archive();
    EXPECT_FALSE(archive->BitBtn_print->isEnabled());
    EXPECT_FALSE(archive->Menu_PrintPreview->isEnabled());
    EXPECT_FALSE(PrintDriveData_available());
    archive->close();
    archive.reset();

    Main_register_print_service(print_double());
    EXPECT_FALSE(PrintDriveData_available()) << "the windows are missing";
    Toolwin_register(ToolWin::SetPrint, [](QWidget* p) { return new ResultDialog(p, "set", 1); });
    Toolwin_register(ToolWin::PrintPreview, [](QWidget* p) { return new ResultDialog(p, "preview", 0); });
    Toolwin_register(ToolWin::PrinterData, [](QWidget* p) { return new ResultDialog(p, "printer", 1); });
    ASSERT_TRUE(PrintDriveData_available());

    DriveDataFileName = "/some/folder/data.ivt";
    show_archive();
    EXPECT_TRUE(archive->BitBtn_print->isEnabled());

    PrintPage.printer_count = 0;
    archive->BitBtn_previewClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No Printer Present !");
    EXPECT_TRUE(print_log.calls.empty());

    PrintPage.printer_count = 1;
    PrintPage.profile = PrintProfile::Canopen;
    archive->BitBtn_previewClick();
    EXPECT_EQ(PrintPreviewMode, 1);
    EXPECT_EQ(print_log.calls, (std::vector<std::string>{"set", "field_bus", "canopen/1", "count", "preview"}));
    EXPECT_EQ(print_log.record, &DriveRecordBank[1]);
    EXPECT_EQ(PrintPage.file_text, "data.ivt");
    EXPECT_EQ(PrintPage.time_text, "12:34:56");

    print_log = {};
    PrintPage.profile = PrintProfile::Modbus;
    archive->Menu_Print->trigger();
    EXPECT_EQ(PrintPreviewMode, 0);
    EXPECT_EQ(print_log.calls, (std::vector<std::string>{"set", "field_bus", "modbus", "count", "printer", "job"}));
    print_log = {};
    PrintPage.printer_count = 0;
}
