// Main window menus and tool buttons: commands bound to one action each, commands enabled only
// with their windows registered, new defaults, motor files, print and preview, send all, auto-save
// and the tool windows.
#include "files_fixture.h"
#include "FullDisk.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include "controls/Graph_draw.h"
#include "drivedata/Versoftw.h"
#include "link/Seriale.h"
#include "print_core/Printer_data.h"
#include "shell/About.h"
#include "shell/Filedlg.h"
#include "shell/Form_send_drive.h"
#include "shell/Load_data_drive.h"
#include "shell/Main_files.h"
#include "shell/Main_menus.h"
#include "shell/Monitor_i2t.h"
#include "shell/Password.h"
#include "shell/Stbar.h"
#include "shell/Toolwin.h"

using namespace maintest;

namespace {

constexpr uint8_t LINKED = LinkFlag::Answers | LinkFlag::Ready | LinkFlag::Connect;

// Runs `check` on the first modal window of type W that shows while `run` executes, then closes it.
template <typename W>
bool on_modal(const std::function<void()>& run, const std::function<void(W&)>& check)
{
    bool seen = false;
    filestest::when_modal<W>([&](W* w) { check(*w), w->reject(); }, &seen);
    run();
    end_test_objects();
    return seen;
}

// Test windows of the registry: dialogs that count their creations and accept at once.
struct TestFactories {
    int made[static_cast<int>(ToolWin::Count)] = {};
    void add(ToolWin kind, bool modal_accept)
    {
        Toolwin_register(kind, [this, kind, modal_accept](QWidget* parent) -> QWidget* {
            ++made[static_cast<int>(kind)];
            auto* d = new QDialog(parent);
            if (modal_accept)
                QTimer::singleShot(0, d, [d] { d->accept(); });
            return d;
        });
    }
    ~TestFactories()
    {
        for (int k = 0; k < static_cast<int>(ToolWin::Count); ++k)
            Toolwin_unregister(static_cast<ToolWin>(k));
    }
};

bool loader(const QString&, MotorRecord* destination, FileDialogSpec&)
{
    std::memset(destination->b, 0x11, MOTOR_RECORD_SIZE);
    return true;
}

class Menus : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ToolsEntries = {};  // as before the tools are installed, whatever ran before in this process
        open_window();
        main->Main_menus_connect();
        main->Timer_com->stop();
        main->Timer_ctrl->stop();
        LanguageIndex = 1;
        main->ApplyLanguage(1);
        Filedlg_set_sink([](const FileDialogSpec&) { return QString(); });  // never a real dialog
    }
    void TearDown() override
    {
        Filedlg_set_sink({});
        ToolsEntries = {};
        Ser_tx_state.store(LinkState::Stop);
        MainWindowTest::TearDown();
    }
    // The whole image of a drive has been read: the display step that enables the commands.
    void image_read() { image_read_tick(LINKED); }
};

}  // namespace

TEST_F(Menus, UnregisteredCommandsStayDisabledAndTestFactoriesEnableThem)
{
    image_read();
    EXPECT_EQ(ui("e:BitBtn_oscx e:BitBtn_oscx_open e:FlashWrite e:BitBtn_open_dati_motor_def e:BitBtn_load_dati_motor "
                 "e:Menu_Carica_Motore e:BitBtn_print e:Menu_AnteprimadiStampa e:BitBtn_salva_dati_motor "
                 "e:Menu_Salva_Motore"),
              "0 0 0 0 0 0 0 0 1 1");
    main->BitBtn_oscx_openClick();  // nothing to open: nothing happens
    // The disabled tool buttons show the faded copy of their picture.
    for (QToolButton* b : {main->BitBtn_oscx, main->BitBtn_print, main->BitBtn_preview, main->BitBtn_salva_dati_motor}) {
        const QSize size = b->icon().availableSizes().value(0);
        const QImage normal = b->icon().pixmap(size, QIcon::Normal).toImage();
        const QImage disabled = b->icon().pixmap(size, QIcon::Disabled).toImage();
        EXPECT_EQ(disabled, QPixmap::fromImage(Graph_disabled_picture(normal)).toImage())
            << b->objectName().toStdString();
    }

    TestFactories f;
    for (ToolWin k : {ToolWin::Oscx, ToolWin::OscxLoadDat, ToolWin::FlashSH, ToolWin::LoadMotor})
        f.add(k, k != ToolWin::Oscx);
    main->Main_menus_update();
    EXPECT_EQ(ui("e:BitBtn_open_dati_motor_def e:Menu_Carica_Motore"), "1 0");  // no file loader yet
    ToolsEntries.load_motor_file = loader;
    main->Main_menus_update();
    EXPECT_EQ(ui("e:BitBtn_oscx_open e:BitBtn_open_dati_motor_def e:Menu_Carica_Motore e:BitBtn_oscx"),
              "1 1 1 0");  // the scope waits for the next image
    Ser_data_flags.fetch_or(DataFlag::ImageRead);
    main->Timer_comTimer();
    main->Timer_com->stop();
    ASSERT_TRUE(main->BitBtn_oscx->isEnabled());

    // The oscilloscope: one window, shown again.
    main->BitBtn_oscx->click();
    main->BitBtn_oscx->click();
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::Oscx)], 1);
    ASSERT_TRUE(Form_Oscx);
    EXPECT_TRUE(Form_Oscx->isVisible());
    delete Form_Oscx.data();

    // Modal windows: created, shown, deleted.
    main->BitBtn_oscx_open->click();
    main->FlashWrite->setVisible(true);  // the access level shows it
    EXPECT_TRUE(main->FlashWrite->isEnabled());
    main->FlashWrite->trigger();
    EXPECT_FALSE(Form_FlashSH);
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::OscxLoadDat)], 1);
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::FlashSH)], 1);
    EXPECT_EQ(Toolwin_open(ToolWin::FlashSH), nullptr);

    // Motor data: new defaults and a loaded file go to the editor's copies.
    main->BitBtn_open_dati_motor_def->click();
    MotorRecord defaults{};
    Init_motor_defaults(defaults);
    EXPECT_EQ(std::memcmp(MotorEditCopy.b, defaults.b, MOTOR_RECORD_SIZE), 0);
    EXPECT_EQ(std::memcmp(MotorEditRef.b, defaults.b, MOTOR_RECORD_SIZE), 0);
    const QString mot = dir_.filePath("m.mot");
    QFile(mot).open(QIODevice::WriteOnly);
    FileDialogSpec asked;
    Filedlg_set_sink([&](const FileDialogSpec& s) {
        asked = s;
        return mot;
    });
    main->Menu_Carica_Motore->trigger();
    EXPECT_EQ(MotorEditCopy.b[0], 0x11);
    EXPECT_EQ(MotorEditRef.b[59], 0x11);
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::LoadMotor)], 2);
    EXPECT_EQ(asked.filter, "Motor  files (*.mot)|*.mot");
    EXPECT_EQ(asked.folder.toStdString(), MotorDataFolder.string());
    EXPECT_FALSE(asked.save);

    // A cancelled dialog or a vanished file opens nothing.
    Filedlg_set_sink([](const FileDialogSpec&) { return QString(); });
    main->BitBtn_load_dati_motor->click();
    Filedlg_set_sink([this](const FileDialogSpec&) { return dir_.filePath("gone.mot"); });
    main->BitBtn_load_dati_motor->click();
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::LoadMotor)], 2);
}

TEST_F(Menus, NewDefaultDataOpenTheArchiveInContextOneWithAValidSize)
{
    // A size read before a family switch, out of range now, gives way to size 0 and class 0.
    const DriveSizeReadRec cases[][2] = {{{9, 3}, {0, 0}}, {{1, 0}, {1, 0}}};
    for (const auto& c : cases) {
        DriveSizeRead = c[0];
        std::memset(DriveRecordBank[1].b, 0xEE, DRIVE_RECORD_SIZE);
        answers.push_back(MsgNo);  // should closing the archive ask to save
        uint16_t context_inside = 0xFFFF;
        uint8_t size_inside = 0xFF;
        uint16_t class_inside = 0xFFFF;
        const bool seen = on_modal<TForm_load_data_drive>(
            [this] { main->BitBtn_open_dati_drive_def->click(); },
            [&](TForm_load_data_drive&) {
                context_inside = PageContext.load();
                size_inside = DriveRecordBank[1].b[RecOfs::SizeIndex];
                class_inside = Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::VoltageClass) & 3;
            });
        ASSERT_TRUE(seen);
        EXPECT_EQ(context_inside, 1);
        EXPECT_EQ(size_inside, c[1].size_index);
        EXPECT_EQ(class_inside, c[1].voltage_class);
        EXPECT_EQ(PageContext.load(), 0);
        EXPECT_TRUE(DriveDataFileName.isEmpty());
        EXPECT_EQ(DriveRecordBank[1].b[RecOfs::Mark], 'U');
    }
}

TEST_F(Menus, MotorDataAreSavedOrTheFailureIsReported)
{
    std::memset(DriveRecordBank[0].b + RecOfs::Motor, 0, MOTOR_RECORD_SIZE);
    DriveRecordBank[0].b[RecOfs::Motor] = 0x42;
    DriveRecordBank[0].b[RecOfs::Motor + 59] = 0x24;
    const QString name = dir_.filePath(QString::fromUtf8("motöre_ñ"));
    FileDialogSpec asked;
    Filedlg_set_sink([&](const FileDialogSpec& s) {
        asked = s;
        return name;
    });
    main->BitBtn_salva_dati_motorClick();
    EXPECT_TRUE(asked.save);
    EXPECT_EQ(asked.default_suffix, "mot");
    EXPECT_EQ(asked.filter, "Motor  files (*.mot)|*.mot");
    QFile f(name + ".mot");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 88);
    uint8_t x = 0;
    for (char b : bytes)
        x ^= static_cast<uint8_t>(b);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(std::memcmp(bytes.constData() + 1, CurrentFamily, sizeof(DriveFamilyRecord)), 0);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), 0x42);
    EXPECT_EQ(static_cast<uint8_t>(bytes[87]), 0x24);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Data Saved !");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(boxes[0].title, "Attention");

    boxes.clear();
    FullDisk disk;
    const QString full = QString::fromStdString(disk.file("m.mot"));
    ASSERT_TRUE(QFile::copy(name + ".mot", full));
    disk.fill();
    Filedlg_set_sink([&](const FileDialogSpec&) { return full; });
    main->BitBtn_salva_dati_motorClick();
    ASSERT_EQ(boxes.size(), 1u) << box_texts();
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_NE(boxes[0].text.find(Savefile_error_text(ENOSPC)), std::string::npos) << boxes[0].text;
    QFile kept(full);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), bytes);

    boxes.clear();
    Filedlg_set_sink([](const FileDialogSpec&) { return QString(); });
    main->BitBtn_salva_dati_motorClick();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Menus, PrintWithoutAPrinterOnlySaysSo)
{
    Seriale_clear_queue();
    Ser_link_flags.fetch_or(LINKED);
    PrintPage.printer_count = 0;
    DriveDataFileName = "x.ivt";
    main->BitBtn_previewClick();
    main->Menu_Stampa->trigger();
    EXPECT_EQ(box_texts(), "No Printer Present !");  // the menu item is disabled
    EXPECT_EQ(DriveDataFileName, "x.ivt");
    EXPECT_EQ(Seriale_count(), 0);
}

TEST_F(Menus, PrintAsksForTheAlarmMemoryAndPrintsWhenConfirmed)
{
    static int printed = 0;
    printed = 0;
    DrivePrintService service;
    service.field_bus = [](const DriveRecord*) {};
    service.io_profile = [](const DriveRecord*) {};
    service.modbus_profile = [](const DriveRecord*) {};
    service.canopen_profile = [](const DriveRecord*, uint8_t) {};
    service.time_text = [](const QTime&) { return QString("00:00:00"); };
    service.count_pages = [](PrintPageRec*) {};
    service.print_job = [](PrintPageRec*) { ++printed; };
    Main_register_print_service(service);
    TestFactories f;
    f.add(ToolWin::SetPrint, true);
    f.add(ToolWin::PrintPreview, true);
    f.add(ToolWin::PrinterData, true);
    image_read();
    EXPECT_TRUE(main->BitBtn_print->isEnabled());
    EXPECT_TRUE(main->Menu_AnteprimadiStampa->isEnabled());

    Seriale_clear_queue();
    PrintPage.printer_count = 1;
    DriveDataFileName = "x.ivt";
    main->BitBtn_print->click();
    EXPECT_TRUE(DriveDataFileName.isEmpty());
    EXPECT_EQ(PrintPreviewMode, 0);
    EXPECT_EQ(printed, 1);
    const Ser_queue_view q = Seriale_view();
    ASSERT_FALSE(q.entries.empty());
    EXPECT_EQ(q.entries.front().frame[1], 5);
    main->Menu_AnteprimadiStampa->trigger();
    EXPECT_EQ(PrintPreviewMode, 1);
    EXPECT_EQ(f.made[static_cast<int>(ToolWin::PrintPreview)], 1);
    EXPECT_TRUE(boxes.empty());
    Seriale_clear_queue();
    Main_unregister_print_service();
    main->Main_menus_update();
    EXPECT_FALSE(main->BitBtn_print->isEnabled());
}

TEST_F(Menus, AutoSaveTogglesMarkAndBitButWritesNoFile)
{
    QFile settings(QString::fromStdString(SettingsPath.string()));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray before = settings.readAll();
    settings.close();
    const uint8_t flags = SettingsBlock.flags;
    main->Menu_Autosalva1->trigger();
    EXPECT_EQ(main->Menu_Autosalva1->isChecked(), Settings_auto_save());
    EXPECT_NE(SettingsBlock.flags & SettingsFlag::AutoSave, flags & SettingsFlag::AutoSave);
    EXPECT_EQ(Link_settings().auto_save, Settings_auto_save());
    main->Menu_Autosalva1->trigger();
    EXPECT_EQ(SettingsBlock.flags, flags);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(settings.readAll(), before);
}

TEST_F(Menus, HelpAndMonitorWindows)
{
    EXPECT_TRUE(on_modal<TForm_AboutBox>([this] { main->Menu_Ver_Drive->trigger(); },
                                         [](TForm_AboutBox& a) {
                                             EXPECT_EQ(a.Panel_ver->text(), "Software Release Version: 3.20");
                                         }));
    EXPECT_TRUE(on_modal<TForm_Password>([this] { main->Menu_Password->trigger(); }, [](TForm_Password&) {}));

    main->Menu_MonitorI2t->trigger();
    QPointer<QWidget> first = Form_monitor_I2t;
    ASSERT_TRUE(first);
    first->close();
    main->Menu_MonitorI2t->trigger();
    EXPECT_EQ(Form_monitor_I2t, first);
    EXPECT_TRUE(first->isVisible());
    delete first.data();
    EXPECT_FALSE(Form_monitor_I2t);

    EXPECT_FALSE(main->Menu_Terminal->isVisible());
    main->Menu_Terminal->trigger();
    EXPECT_EQ(TerminalOpen, 1);
    EXPECT_TRUE(terminal->isVisible());
    terminal->close();
    EXPECT_EQ(TerminalOpen, 0);
}

TEST_F(Menus, SendAllOpensTheSendDialogOnlyWithADrive)
{
    QString title;
    bool ran = false;
    filestest::when_modal<TForm_send_drive>(
        [&](TForm_send_drive* d) {
            title = d->Panel_dat_send->text();
            d->close();
        },
        &ran);
    main->Act_invia->trigger();
    EXPECT_FALSE(ran);
    image_read();
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    main->Act_invia->trigger();
    ASSERT_TRUE(ran);
    EXPECT_EQ(title, "Saves all data");
}
