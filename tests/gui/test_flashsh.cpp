// Firmware window: registration and Flash Write, the empty window, the selection group's height,
// the image data and the zone map, closing during a run, the outcome lines and the messages of a
// run, the path check, the device data, the port box, and a container run against the simulator.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <filesystem>

#include "files_fixture.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "flash/Flashsh7047.h"
#include "link/CdxTestUtil.h"
#include "link/Flash_progress.h"
#include "link/Flash_seams.h"
#include "drivedata/Frm_output_sizes.h"
#include "shell/Filedlg.h"
#include "shell/Toolwin.h"

using namespace maintest;

namespace {

class FlashWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        MainFlashEntries = MainFlashEntriesRec{};  // another window's test may have registered the window
        Flash_install();
        FlashFileLoaded.store(0);
        FlashModeFlags.store(0);
        FlashProgressFlags.store(0);
        FlashRun.errors.store(0);
        FlashRun.errors_shown.store(0);
        Flash_settings_set({});
    }
    void TearDown() override
    {
        delete Form_FlashSH.data();
        MainWindowTest::TearDown();
        Toolwin_unregister(ToolWin::FlashSH);
        MainFlashEntries = MainFlashEntriesRec{};
        FlashEntries = FlashEntriesRec{};
        Flashctrl_on_file_state = nullptr;
        Flashctrl_on_image_loaded = nullptr;
        FlashFileLoaded.store(0);
        FlashModeFlags.store(0);
        FlashRun.errors.store(0);
        FlashRun.errors_shown.store(0);
        LanguageIndex = 0;
    }
    TForm_FlashSH* open_flash()
    {
        if (!main)
            open_window();
        LanguageIndex = 0;
        Flashsh7047_register();
        Form_FlashSH = Toolwin_create(ToolWin::FlashSH, main.get());
        auto* w = qobject_cast<TForm_FlashSH*>(Form_FlashSH.data());
        w->show();
        w->Timer_aggiorna->stop();  // the tests run the ticks themselves
        w->Timer_message->stop();
        return w;
    }
    std::string write_container(uint32_t firmware)
    {
        const std::string p = (std::filesystem::path(dir_.path().toStdString()) / "fw.cdx").string();
        cdxtest::write_file(p, cdxtest::container(cdxtest::records(2), {firmware}));
        return p;
    }
};

std::string text(QLabel* l)
{
    return l->text().toStdString();
}

QColor colour(QLabel* l)
{
    return l->palette().color(QPalette::WindowText);
}

TEST_F(FlashWindow, RegisteringEnablesFlashWriteAndTheWindowStartsEmpty)
{
    open_window();
    EXPECT_FALSE(Toolwin_available(ToolWin::FlashSH));
    TForm_FlashSH* w = open_flash();
    EXPECT_TRUE(Toolwin_available(ToolWin::FlashSH));
    w->Timer_aggiornaTimer();
    EXPECT_FALSE(w->BitBtn_prog->isEnabled());
    EXPECT_TRUE(w->BitBtn_load->isEnabled());
    EXPECT_EQ(w->windowTitle().toStdString(), "Flash Firmware");
    for (QLabel* l : {w->StaticText_dat_file_dati, w->StaticText_dat_address_start, w->StaticText_dat_address_end,
                      w->StaticText_dat_size_firmware, w->Panel_riga_1, w->Panel_riga_2}) {
        EXPECT_EQ(text(l), "-----") << l->objectName().toStdString();
        EXPECT_EQ(colour(l), QColor(Qt::black)) << l->objectName().toStdString();
    }
    EXPECT_FALSE(w->BitBtn_connect->isVisible());
    EXPECT_FALSE(w->CheckBox_flash_verify->isVisible());
    EXPECT_TRUE(w->findChild<QWidget*>("PanelFlashStb") != nullptr);
}

TEST_F(FlashWindow, TheMainWindowsFirmwareControlsLoadTheSettingsFile)
{
    open_window();
    EXPECT_FALSE(main->BitBtn_load->isEnabled());
    open_flash();
    EXPECT_TRUE(main->BitBtn_load->isEnabled());
    EXPECT_TRUE(main->BitBtn_prog->isEnabled());
    EXPECT_FALSE(main->Panel_filedat_flashx->isVisible());
    Flash_settings_set({write_container(0xC0458), false, {0, 0, 0}});
    main->BitBtn_load->click();
    EXPECT_EQ(FlashFileLoaded.load(), 1);
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::Container);
    EXPECT_EQ(main->Image_file_flash->objectName().toStdString(), "Image_file_flash");
}

TEST_F(FlashWindow, ABootProgramImageShowsTheSelectionAndGrowsTheWindow)
{
    TForm_FlashSH* w = open_flash();
    const int shrunk = w->height();
    EXPECT_FALSE(w->GroupBox_device_data_set->isVisible());
    FlashFileLoaded.store(1);
    FlashModeFlags.store(FlashModeFlag::BootProgram);
    SettingsBlock.flash_option[0] = 1;
    SettingsBlock.flash_option[1] = 9;  // outside the list: nothing selected, the byte kept
    w->Timer_aggiornaTimer();
    EXPECT_TRUE(w->GroupBox_device_data_set->isVisible());
    EXPECT_EQ(w->height(), w->full_height());
    EXPECT_EQ(w->height() - shrunk, w->GroupBox_device_data_set->height() + 6);
    EXPECT_EQ(w->ComboBox_index_dev->currentIndex(), 1);
    EXPECT_EQ(w->ComboBox_index_taglia_cor->count(), SizeTablePelsan.count);
    EXPECT_EQ(w->ComboBox_index_taglia_cor->currentIndex(), -1);
    EXPECT_EQ(SettingsBlock.flash_option[1], 9);
    EXPECT_EQ(w->ComboBox_index_taglia_volt->itemText(1).toStdString(), "460");
    FlashModeFlags.store(0);
    w->Timer_aggiornaTimer();
    EXPECT_FALSE(w->GroupBox_device_data_set->isVisible());
    EXPECT_EQ(w->height(), shrunk);
}

// The verify box starts from the settings; it and the three selection boxes reach the run's
// settings as soon as the user changes them.
TEST_F(FlashWindow, TheVerifyBoxAndTheSelectionReachTheRunsSettings)
{
    open_window();  // reads the settings file
    SettingsBlock.flags |= SettingsFlag::FlashVerify;
    TForm_FlashSH* w = open_flash();
    EXPECT_TRUE(w->CheckBox_flash_verify->isChecked());
    w->CheckBox_flash_verify->click();
    EXPECT_FALSE(SettingsBlock.flags & SettingsFlag::FlashVerify);
    EXPECT_FALSE(Flash_settings().verify);
    FlashFileLoaded.store(1);
    FlashModeFlags.store(FlashModeFlag::BootProgram);
    SettingsBlock.flash_option[0] = 1;
    w->Timer_aggiornaTimer();
    QComboBox* boxes_[3] = {w->ComboBox_index_dev, w->ComboBox_index_taglia_cor, w->ComboBox_index_taglia_volt};
    const int picks[3] = {1, 2, 1};
    for (int i = 0; i < 3; ++i) {
        boxes_[i]->setCurrentIndex(picks[i]);
        Q_EMIT boxes_[i]->activated(picks[i]);
        EXPECT_EQ(Flash_settings().selection[i], picks[i]) << i;
    }
    FlashModeFlags.store(0);
}

TEST_F(FlashWindow, ImageDataAndTheZoneMapOfEightKilobytes)
{
    TForm_FlashSH* w = open_flash();
    FirmwareImage.start_address = 0;
    FirmwareImage.end_address = 0x1FFF;
    FirmwareImage.image_size = 0x1FFF;
    FlashFileLoaded.store(1);
    Flashsh7047_show_image_data(*w);
    EXPECT_EQ(text(w->StaticText_dat_address_start), "0x00000000");
    EXPECT_EQ(QString::fromStdString(text(w->StaticText_dat_address_end)).toLower().toStdString(), "0x00001fff");
    EXPECT_EQ(text(w->StaticText_dat_size_firmware), "7 Kb");
    const QImage img = w->Image_flash->image();
    const QRect box(16, 38, img.width() - 28, img.height() - 60);
    const QRgb range = QColor(0x00, 0x80, 0x80).rgb();
    int count = 0, lowest = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == range) {
                ++count;
                lowest = std::max(lowest, y);
                EXPECT_TRUE(box.contains(x, y)) << x << "," << y;
            }
    EXPECT_EQ(count, box.width() * box.height() / 32);
    EXPECT_LT(lowest, box.top() + 2 * (box.height() / 64 + 1));
    EXPECT_EQ(img.pixel(2, 2), QColor(0xFA, 0xF9, 0xF1).rgb());
    EXPECT_EQ(Flashctrl_zone_label(true, 0).toStdString(), "[0x00000000]");
    EXPECT_EQ(Flashctrl_zone_label(true, FLASH_ZONE_SIZE).toStdString(), "[0x00040000]");
    EXPECT_EQ(Flashctrl_zone_label(false, FLASH_ZONE_SIZE).toStdString(), "[----------]");
    FlashFileLoaded.store(0);
    Flashsh7047_show_image_data(*w);
    EXPECT_EQ(text(w->StaticText_dat_address_end), "-----");
}

TEST_F(FlashWindow, PainterEdgesAndTheZoneRows)
{
    ImageBox tiny;
    tiny.resize(20, 20);
    FirmwareImage.start_address = 0;
    FirmwareImage.end_address = 0x3FFFF;
    FlashFileLoaded.store(1);
    drawFlashZone(&tiny, FirmwareImage, FLASH_ZONE_SIZE);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(tiny.image().pixel(x, y), QColor(0xFA, 0xF9, 0xF1).rgb()) << x << "," << y;
    QFont f("DejaVu Sans");
    const QString name = QString(200, QLatin1Char('n')) + ".mot";
    const QString shown = Flashctrl_shorten_path("/a/b/" + name, 100, f);
    EXPECT_LE(QFontMetrics(f).horizontalAdvance(shown), 100);
    EXPECT_TRUE(name.startsWith(shown));
    EXPECT_EQ(Flashctrl_shorten_path("/a/b/c.mot", 10000, f).toStdString(), "/a/b/c.mot");
    const QString one = Flashctrl_shorten_path("/aaaaaaaaaaaaaaaaaaaa/b/c.mot", QFontMetrics(f).horizontalAdvance("../b/c.mot"), f);
    EXPECT_EQ(one.toStdString(), "../b/c.mot");
    // Rows of 2 pixels in a 100 x 10 box of 1000 bytes: a byte is half a pixel of a row, one pixel
    // of area.
    const QRect box(0, 0, 100, 10);
    struct Case {
        uint32_t start, end;
        std::size_t polygons;
        int area;
    };
    for (const Case c : {Case{0, 50, 1, 50}, Case{150, 250, 2, 100}, Case{180, 220, 2, 40}, Case{50, 350, 1, 300},
                         Case{0, 1000, 1, 1000}, Case{900, 5000, 1, 100}, Case{10, 10, 0, 0}}) {
        const auto polys = Flashctrl_zone_polygon(box, c.start, c.end, 1000);
        EXPECT_EQ(polys.size(), c.polygons) << c.start;
        QImage im(100, 10, QImage::Format_RGB32);
        im.fill(Qt::white);
        QPainter p(&im);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        for (const QPolygon& poly : polys)
            p.drawPolygon(poly);
        p.end();
        int area = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 100; ++x)
                area += im.pixel(x, y) == QColor(Qt::black).rgb();
        EXPECT_EQ(area, c.area) << c.start << ".." << c.end;
    }
}

TEST_F(FlashWindow, ClosingDuringARunShowsTheWaitingMessageAndStays)
{
    TForm_FlashSH* w = open_flash();
    Ser_link_flags.fetch_or(LinkFlag::Answers);
    Ser_link_mode.store(LinkMode::Flash);
    w->close();
    w->reject();
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Attendere fine scrittura flash prima di uscire!");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Flash);
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers));
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(Ser_link_mode_req.load(), LinkMode::Normal);
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(FlashWindow, APathLongerThanTheSettingsFieldIsRefused)
{
    TForm_FlashSH* w = open_flash();
    const std::string before = Settings_firmware_path();
    filestest::DialogScript dialogs;
    dialogs.names.push_back(QString("/tmp/") + QString(295, QLatin1Char('p')) + ".mot");
    w->BitBtn_loadClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Percorso del file troppo lungo!");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_EQ(Settings_firmware_path(), before);
    EXPECT_EQ(FlashFileLoaded.load(), 0);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_FALSE(dialogs.asked[0].save);
}

TEST_F(FlashWindow, DeviceDataOfTheConnectedDrive)
{
    TForm_FlashSH* w = open_flash();
    DriveDeviceId.store(0xC0465);
    DriveSizeRead = {2, 1};
    Flashsh7047_show_drive_data(*w);
    EXPECT_EQ(text(w->Panel_device), "Pelsan");
    const DriveSizeRow& row = SizeTablePelsan.src[2];
    const std::string name(row.name, strnlen(row.name, sizeof row.name));
    EXPECT_EQ(text(w->Panel_taglia_corrente).substr(0, 1), "3");
    EXPECT_NE(text(w->Panel_taglia_corrente).find(QString::fromLatin1(name.c_str()).trimmed().toStdString()),
              std::string::npos);
    EXPECT_EQ(text(w->Panel_taglia_tensione), "460 V");
    DriveSizeRead = {2, 2};
    Flashsh7047_show_drive_data(*w);
    EXPECT_EQ(text(w->Panel_taglia_tensione), "-----");
    DriveDeviceId.store(0xC0458);
    DriveSizeRead = {0, 0};
    Flashsh7047_show_drive_data(*w);
    EXPECT_EQ(text(w->Panel_device), "Orvel");
    EXPECT_EQ(text(w->Panel_taglia_tensione), "60 V");
}

TEST_F(FlashWindow, PickingAPortSetsTheMainBoxAndSavesItsName)
{
    open_window();
    attach_simulator();
    DriveSim second;
    Seriale_poll_ports(Tick_ms() + 10000);
    if (Seriale_port_list().size() < 2)
        GTEST_SKIP() << "the port scan lists only the settings' pseudo-terminal";
    main->Main_fill_port_box();
    TForm_FlashSH* w = open_flash();
    ASSERT_GE(w->ComboBox_porta_com->count(), 2);
    w->ComboBox_porta_com->setCurrentIndex(1);
    Q_EMIT w->ComboBox_porta_com->activated(1);
    EXPECT_EQ(main->ComboBox_porta_com->currentIndex(), 1);
    const std::string picked = w->ComboBox_porta_com->itemText(1).toStdString();
    EXPECT_EQ(Settings_port_name(), picked);
    main->Main_fill_port_box();  // a refill stores nothing
    EXPECT_EQ(Settings_port_name(), picked);
}

// Timer_aggiorna's outcome lines once the drive answers in the normal mode after a run.
TEST_F(FlashWindow, TheOutcomeLinesFollowResultAndErrors)
{
    open_window();
    attach_simulator();
    TForm_FlashSH* w = open_flash();
    main->OpenLink(LinkMode::Normal);
    ASSERT_TRUE(pump_until([] { return linktest::link_bits(LinkFlag::Answers); }, 8000));
    FlashFileLoaded.store(1);
    struct Case {
        const char* name;
        uint32_t errors;
        bool container, verify, verify_done;
        const char* line2;
    };
    const Case cases[] = {
        {"clean container run", 0, true, false, false, "Scrittura termina correttamente!"},
        {"clean verified run", 0, false, true, true, "Scrittura termina correttamente!"},
        {"verify mismatch", FlashError::Verify, false, true, false, "Errore scrittura flash!"},
        {"verify never done", 0, false, true, false, "Errore scrittura flash!"},
        {"plain run without verify", 0, false, false, false, "Scrittura termina correttamente!"},
    };
    for (const Case& c : cases) {
        FlashRun.result_copy.store(0);
        Flashsh7047_running.store(1);
        FlashRun.errors.store(c.errors);
        FlashRun.verify.store(c.verify);
        FlashRun.result2.store(c.verify_done ? FlashResult2::VerifyDone : 0);
        FlashModeFlags.store(c.container ? FlashModeFlag::Container : 0);
        FlashProgressFlags.fetch_or(FlashProgressFlag::AllWritten);
        Flashsh7047_refresh_state(*w);
        EXPECT_EQ(text(w->Panel_riga_2), c.line2) << c.name;
        EXPECT_TRUE(w->BitBtn_prog->isEnabled()) << c.name;
        w->Panel_riga_2->setText("x");
        Flashsh7047_refresh_state(*w);  // shown once per change of the result
        EXPECT_EQ(text(w->Panel_riga_2), "x") << c.name;
    }
    FlashProgressFlags.store(0);
    FlashRun.errors.store(0);
    EXPECT_FALSE(w->ComboBox_porta_com->isEnabled());
    EXPECT_TRUE(w->BitBtn_disconnect->isEnabled());
}

// Each run reconnects right after the refusal closed the link: the connect finds the link stopped.
TEST_F(FlashWindow, ErrorMessagesOncePerRunAndEveryRefusalClosesTheLink)
{
    open_window();
    attach_simulator();
    TForm_FlashSH* w = open_flash();
    for (int run = 0; run < 2; ++run) {
        main->OpenLink(LinkMode::Normal);
        ASSERT_TRUE(pump_until([] { return Ser_tx_state.load() == LinkState::Run; }, 8000));
        FlashRun.errors.fetch_or(FlashError::BitRate);
        FlashProgressFlags.fetch_or(FlashProgressFlag::BitRateRefused);
        w->Timer_messageTimer();
        EXPECT_NE(Ser_tx_state.load(), LinkState::Run) << run;
        FlashProgressFlags.store(0);
    }
    w->Timer_messageTimer();
    EXPECT_EQ(box_texts(), "Bit rate Error!");
    main->OpenLink(LinkMode::Normal);
    ASSERT_TRUE(pump_until([] { return Ser_tx_state.load() == LinkState::Run; }, 8000));
    FlashRun.errors.store(FlashError::Verify);
    w->Timer_messageTimer();
    w->Timer_messageTimer();
    EXPECT_EQ(box_texts(), "Bit rate Error!|Errore Verifica Flash!");
    EXPECT_EQ(boxes.back().title, "Errore");
    EXPECT_NE(Ser_tx_state.load(), LinkState::Run);
    CdxDownload.bits.store(CdxBit::BootTimeout);
    w->Timer_messageTimer();
    EXPECT_EQ(boxes.back().text, "Time out inizializzazione scrittura flash!\nManca BootLoader!");
    EXPECT_EQ(text(w->Panel_riga_1), "-----");
    EXPECT_EQ(CdxDownload.bits.load() & CdxBit::BootTimeout, 0);
}

// The phase pane's lamp: red for a verify error, lime for a verified run, yellow while writing.
TEST_F(FlashWindow, ThePhasePaneLampFollowsTheRun)
{
    open_window();
    attach_simulator();
    TForm_FlashSH* w = open_flash();
    main->OpenLink(LinkMode::Normal);
    ASSERT_TRUE(pump_until([] { return linktest::link_bits(LinkFlag::Answers); }, 8000));
    auto lamp_in_phase_pane = [w](const QColor& c) {
        const QImage img = w->Stb->picture()->image();
        for (int y = 0; y < img.height(); ++y)
            for (int x = 142; x < 140 + 140 && x < img.width(); ++x)
                if (img.pixel(x, y) == c.rgb())
                    return true;
        return false;
    };
    struct Case {
        uint8_t phase;
        uint32_t errors;
        uint8_t result2;
        QColor lamp;
    };
    for (const Case& c : {Case{FlashUiPhase::Boot, FlashError::Verify, 0, QColor(255, 0, 0)},
                          Case{FlashUiPhase::Boot, 0, FlashResult2::VerifyDone, QColor(0, 255, 0)},
                          Case{FlashUiPhase::Write, 0, 0, QColor(255, 255, 0)}}) {
        FlashPhase.store(c.phase);
        FlashRun.errors.store(c.errors);
        FlashRun.result2.store(c.result2);
        Stbarx_repaint(w->Stb);
        EXPECT_TRUE(lamp_in_phase_pane(c.lamp)) << int(c.phase) << " " << c.errors;
    }
    FlashPhase.store(0);
    FlashRun.errors.store(0);
    FlashRun.result2.store(0);
}

TEST_F(FlashWindow, AContainerForAnotherDriveIsRefusedOnce)
{
    open_window();
    attach_simulator();  // a 0xC0458 drive in its application
    TForm_FlashSH* w = open_flash();
    ASSERT_TRUE(Flashsh7047_load_file(write_container(0xC0465)));
    w->Timer_aggiornaTimer();
    ASSERT_TRUE(w->BitBtn_prog->isEnabled());
    w->BitBtn_prog->click();
    w->Timer_aggiorna->start();
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 10000));
    pump_for(200);
    EXPECT_EQ(box_texts(), "Firmware drive incompatibile!");
    EXPECT_EQ(boxes[0].title, "Attenzione");
    EXPECT_EQ(Ser_link_mode.load(), LinkMode::Normal);
    EXPECT_EQ(sim->request_count(2), 0u);
}

// A whole run through the window: the container chosen with the load button, the program button
// with the link closed, a drive waiting in its boot program. The window follows the run (buttons
// locked, the writing lines) and will not close during it; its bar ends full, the outcome line
// reports the success, and then it closes and asks for the normal mode.
TEST_F(FlashWindow, AContainerRunThroughTheWindowProgramsADriveInItsBootProgram)
{
    open_window();
    attach_simulator();
    sim->set_pacing(57600);  // the pages take their wire time: the run lasts long enough to see
    sim->set_cdx_boot_program(true);
    sim->set_cdx_restart(std::chrono::milliseconds(150));
    const std::vector<cdxtest::Record> recs = cdxtest::records(32, 0x4000, 9);
    const QString path = dir_.path() + "/drive.cdx";
    cdxtest::write_file(path.toStdString(), cdxtest::container(recs, {0xC0458}));
    TForm_FlashSH* w = open_flash();
    filestest::DialogScript dialogs;
    dialogs.names.push_back(path);
    w->BitBtn_load->click();
    EXPECT_EQ(text(w->StaticText_dat_file_dati), path.toStdString());
    const auto lamp_lit = [w] {  // the file panel's lamp of a current file
        const QImage img = w->Image_file_flash->image();
        for (int x = img.width() / 2; x < img.width(); ++x)
            if (img.pixel(x, img.height() / 2) == QColor(0x00, 0xFF, 0x00).rgb())
                return true;
        return false;
    };
    EXPECT_TRUE(pump_until(lamp_lit, 10000));
    EXPECT_EQ(Settings_firmware_path(), path.toStdString());
    w->Timer_aggiornaTimer();
    ASSERT_TRUE(w->BitBtn_prog->isEnabled());
    const QImage empty_bar = w->Image_buf_bar->image();
    const QPoint bar_end(empty_bar.width() - 6, empty_bar.height() / 2);  // clear of the centred percentage
    EXPECT_EQ(empty_bar.pixel(bar_end), QColor(Qt::white).rgb());
    w->Timer_aggiorna->start();
    w->Timer_message->start();
    w->BitBtn_prog->click();
    bool writing_shown = false, stayed_open = false;
    ASSERT_TRUE(pump_until(
        [&] {
            if (!writing_shown && text(w->Panel_riga_2) == "Non spegnere o disconnettere il dispositivo!" &&
                !w->BitBtn_prog->isEnabled() && !w->BitBtn_load->isEnabled() &&
                !w->ComboBox_porta_com->isEnabled() && FlashProgressCount.load() < recs.size() / 2) {
                writing_shown = true;
                w->close();  // the end frame is still more than 16 pages away
                stayed_open = w->isVisible();
            }
            return text(w->Panel_riga_2) == "Scrittura termina correttamente!";
        },
        30000));
    pump_for(100);
    EXPECT_TRUE(writing_shown);
    EXPECT_TRUE(stayed_open);
    EXPECT_EQ(text(w->Panel_riga_1), "Scrittura firmware su flash!");
    EXPECT_EQ(text(w->Panel_riga_2), "Scrittura termina correttamente!");
    EXPECT_EQ(box_texts(), "Attendere fine scrittura flash prima di uscire!");
    EXPECT_EQ(FlashProgressCount.load(), recs.size());
    EXPECT_EQ(w->Image_buf_bar->image().pixel(bar_end), QColor(0x00, 0x80, 0x00).rgb());
    EXPECT_TRUE(w->BitBtn_prog->isEnabled());
    EXPECT_EQ(Ser_link_mode.load(), LinkMode::Normal);
    EXPECT_FALSE(sim->cdx_boot_program());  // restarted into its new firmware
    const auto pages = sim->cdx_pages();
    ASSERT_EQ(pages.size(), recs.size());
    for (const auto& r : recs)
        EXPECT_EQ(pages.at(r.address), r.data) << std::hex << r.address;
    EXPECT_EQ(linktest::joined(sim->violations()), "");
    Ser_link_mode_req.store(LinkMode::Flash);
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(Ser_link_mode_req.load(), LinkMode::Normal);
}

TEST_F(FlashWindow, ADriveThatNeverEntersItsBootProgramTimesOut)
{
    open_window();
    attach_simulator();
    SimBytes ident = sim->identification();
    ident[7] = 0x65;  // a 0xC0465 drive in its application
    sim->set_identification(ident);
    sim->set_cdx_ignore_end(true);
    TForm_FlashSH* w = open_flash();
    ASSERT_TRUE(Flashsh7047_load_file(write_container(0xC0465)));
    w->BitBtn_prog->click();
    w->Timer_aggiorna->start();
    w->Timer_message->start();
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 15000));
    pump_for(100);
    EXPECT_EQ(box_texts(), "Time out inizializzazione scrittura flash!\nManca BootLoader!");
    EXPECT_EQ(boxes[0].title, "Errore");
    EXPECT_NE(Ser_tx_state.load(), LinkState::Run);
    EXPECT_EQ(text(w->Panel_riga_1), "-----");
    EXPECT_EQ(text(w->Panel_riga_2), "-----");
    EXPECT_EQ(sim->request_count(2), 1u);  // the one boot request
}

}  // namespace
