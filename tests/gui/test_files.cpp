// Drive and motor data files through the window: the writers, the reader's refusals and their
// messages, the version-2 question, failed writes, and the main window's file and calibration
// commands.
#include "files_fixture.h"
#include "FullDisk.h"
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include "drivedata/Init.h"
#include "shell/Form_send_drive.h"
#include "shell/Formdattxrx.h"
#include "shell/Load_data_drive.h"
#include "shell/Toolwin.h"

using namespace maintest;
using namespace filestest;

namespace {

class DataFiles : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        LanguageIndex = 1;
        saved_family_ = CurrentFamily;
        CurrentFamily = &FamilyOrvel;
        DriveDataFileName.clear();
    }
    void TearDown() override
    {
        CurrentFamily = saved_family_;
        DriveDataFileName.clear();
        MainWindowTest::TearDown();
    }

    QString path(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    // Reads into a destination filled with 0xEE; the result and whether the destination changed.
    uint8_t read(const QString& name, DriveRecord& dest)
    {
        std::memset(dest.b, 0xEE, sizeof dest.b);
        return ReadDriveFile(name, &dest, save_spec);
    }
    static bool untouched(const DriveRecord& r)
    {
        for (uint8_t b : r.b)
            if (b != 0xEE)
                return false;
        return true;
    }

    FileDialogSpec save_spec{"", "", "Inverter files (*.ivt)|*.ivt", "ivt", true};
    DialogScript dialogs;

private:
    const DriveFamilyRecord* saved_family_ = nullptr;
};

}  // namespace

// ---- writers ----

TEST_F(DataFiles, DriveFileRoundTripDropsTheAlarmMemoryAndMotorFileHoldsTheMotorRecord)
{
    DriveRecord r = pattern_record(2);
    r.b[RecOfs::VersionMajor] = 3;
    const DriveRecord before = r;
    ASSERT_TRUE(WriteDriveFile(path("Inverter/b.ivt"), &r));
    EXPECT_EQ(std::memcmp(r.b, before.b, DRIVE_RECORD_SIZE), 0) << "the record keeps its alarm memory";
    EXPECT_EQ(read_file(path("Inverter/b.ivt")).size(), 2440);
    DriveRecord back;
    ASSERT_EQ(read(path("Inverter/b.ivt"), back), 1);
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        ASSERT_EQ(back.b[i], (i >= 3 && i <= 19) ? 0 : r.b[i]) << i;
    EXPECT_EQ(DriveDataFileName, path("Inverter/b.ivt"));

    MotorRecord m;
    for (std::size_t i = 0; i < MOTOR_RECORD_SIZE; ++i)
        m.b[i] = static_cast<uint8_t>(0xA0 + i);
    ASSERT_TRUE(WriteMotorFile(path("Motor/m.mot"), &m));
    const QByteArray f = read_file(path("Motor/m.mot"));
    ASSERT_EQ(f.size(), 88);
    EXPECT_EQ(DataFile_xor(reinterpret_cast<const uint8_t*>(f.constData()), 88), 0);
    EXPECT_EQ(std::memcmp(f.constData() + 28, m.b, MOTOR_RECORD_SIZE), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DataFiles, FailedWritesWarnAndLeaveTheOldFileAsItWas)
{
    DriveRecord r = pattern_record(3);
    ASSERT_TRUE(WriteDriveFile(path("c.ivt"), &r));
    const QByteArray old = read_file(path("c.ivt"));
    DriveRecord other = pattern_record(4);

    // A folder of the target that is a regular file: fails even for root.
    ASSERT_TRUE(write_file(path("plain"), "x"));
    EXPECT_FALSE(WriteDriveFile(path("plain/d.ivt"), &other));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Attention");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_NE(boxes[0].text.find("d.ivt"), std::string::npos);
    MotorRecord m{};
    EXPECT_FALSE(WriteMotorFile(path("plain/m.mot"), &m));
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(read_file(path("c.ivt")), old);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);
}

// ---- reading ----

TEST_F(DataFiles, RefusedFilesWarnAndLeaveTheDestination)
{
    DriveRecord r = pattern_record(5);
    ASSERT_TRUE(WriteDriveFile(path("e.ivt"), &r));
    QByteArray flipped = read_file(path("e.ivt"));
    flipped[1000] = static_cast<char>(flipped[1000] ^ 0x5A);
    ASSERT_TRUE(write_file(path("flip.ivt"), flipped));
    DriveFamilyRecord renamed = FamilyOrvel;
    std::memcpy(renamed.name, "ORVELX", 7);
    ASSERT_TRUE(write_file(path("pelsan.ivt"), drive_file(FamilyPelsan, r)));
    ASSERT_TRUE(write_file(path("renamed.ivt"), drive_file(renamed, r)));
    ASSERT_TRUE(write_file(path("newer.ivt"), drive_file(family_with_version(4, 20), r)));
    ASSERT_TRUE(write_file(path("older.ivt"), drive_file(family_with_version(1, 20), r)));
    ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.ivt"));
    ASSERT_EQ(::mkfifo(path("fifo.ivt").toLocal8Bit().constData(), 0600), 0);  // would block an open
    const struct {
        const char* file;
        uint8_t language;
        const char* text;  // nullptr: no message; "*" a message naming the file
    } cases[] = {
        {"none.ivt", 1, nullptr},
        {"folder.ivt", 1, "Corrupted Data or Invalid File !"},
        {"fifo.ivt", 1, "Corrupted Data or Invalid File !"},
        {"flip.ivt", 1, "Corrupted Data or Invalid File !"},
        {"pelsan.ivt", 1, "Data for drive:  PELSAN, not compatible with drive: ORVEL!"},
        {"pelsan.ivt", 0, "Dati per drive: PELSAN, non compatibile con drive: ORVEL!"},
        {"renamed.ivt", 1, "Incompatible data file!"},
        {"newer.ivt", 1, "Incompatible data file!"},
        {"older.ivt", 1, "Incompatible data file!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        LanguageIndex = c.language;
        boxes.clear();
        DriveRecord dest;
        EXPECT_EQ(read(path(c.file), dest), 0);
        EXPECT_TRUE(untouched(dest));
        if (c.text == nullptr) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
        if (std::string(c.text) == "*")
            EXPECT_NE(boxes[0].text.find(c.file), std::string::npos);
        else
            EXPECT_EQ(boxes[0].text, c.text);
    }
    EXPECT_TRUE(DriveDataFileName.isEmpty());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(DataFiles, AZeroRecordVersionIsStampedAndTheMinorVersionNotCompared)
{
    DriveRecord r = pattern_record(7);
    r.b[RecOfs::VersionMajor] = 0;
    r.b[RecOfs::VersionMinor] = 0;
    ASSERT_TRUE(write_file(path("m.ivt"), drive_file(family_with_version(3, 25), r)));
    DriveRecord dest;
    ASSERT_EQ(read(path("m.ivt"), dest), 1);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(dest.b[RecOfs::VersionMajor], 3);
    EXPECT_EQ(dest.b[RecOfs::VersionMinor], 20);
    EXPECT_EQ(std::memcmp(dest.b + 22, r.b + 22, DRIVE_RECORD_SIZE - 22), 0);
}

// ---- conversion of data version 2 ----

namespace {

DriveRecord version2_payload()
{
    DriveRecord old = pattern_record(8);
    Rec_set<uint16_t>(old, 154, 0x1234);  // -> +128
    Rec_set<uint16_t>(old, 152, 0xBEEF);  // -> +152 u32
    Rec_set<uint16_t>(old, 164, 0);       // -> 12
    Rec_set<uint16_t>(old, 166, 31);      // -> 0
    Rec_set<uint16_t>(old, 548, 0x0548);
    Rec_set<uint16_t>(old, 550, 0x0550);
    Rec_set<uint16_t>(old, 552, 0x0552);
    Rec_set<uint16_t>(old, 554, 0x8554);
    Rec_set<int16_t>(old, 556, static_cast<int16_t>(0xFFFE));
    Rec_set<uint16_t>(old, 558, 0x0558);
    Rec_set<int16_t>(old, 560, 0x0560);
    Rec_set<uint16_t>(old, 562, 0x0562);
    Rec_set<uint16_t>(old, 564, 0x9564);
    Rec_set<int16_t>(old, 566, -3);
    Rec_set<int16_t>(old, 568, 0x0568);
    Rec_set<uint16_t>(old, 570, 0x0570);
    Rec_set<uint16_t>(old, 572, 0x0572);
    for (uint16_t o : {576, 580, 584, 588, 592})
        Rec_set<uint32_t>(old, o, 0xA0000000u + o);
    Rec_set<uint16_t>(old, 660, 0x0660);
    Rec_set<uint16_t>(old, 662, 0xF662);
    Rec_set<int16_t>(old, 664, 0x0664);
    Rec_set<int16_t>(old, 666, -2);
    Rec_set<uint16_t>(old, 700, 0x0700);
    Rec_set<uint16_t>(old, 702, 0xF702);
    Rec_set<uint16_t>(old, 704, 0xF704);
    old.b[130] = 0xFF;
    return old;
}

}  // namespace

TEST_F(DataFiles, Version2IsConvertedAfterTheQuestionAndSavedAtOnce)
{
    const DriveRecord old = version2_payload();
    ASSERT_TRUE(write_file(path("old.ivt"), drive_file(family_with_version(2, 5), old)));
    DriveRecord dest;

    // No: nothing loaded, nothing written.
    answers = {MsgNo};
    EXPECT_EQ(read(path("old.ivt"), dest), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Do you want to convert data from Ver. 2.05 to Ver. 3.20 ?");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(boxes[0].buttons, unsigned(MsgYes | MsgNo));
    EXPECT_TRUE(untouched(dest));
    EXPECT_TRUE(dialogs.asked.empty());

    // Yes, then the name dialog is cancelled.
    answers = {MsgYes};
    EXPECT_EQ(read(path("old.ivt"), dest), 0);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Save as");
    EXPECT_TRUE(dialogs.asked[0].save);
    EXPECT_TRUE(untouched(dest));

    // Yes, but the new file cannot be written.
    {
        FullDisk disk;
        disk.fill();
        answers = {MsgYes};
        dialogs.names = {QString::fromStdString(disk.file("new.ivt"))};
        boxes.clear();
        EXPECT_EQ(read(path("old.ivt"), dest), 0);
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_NE(boxes[1].text.find(Savefile_error_text(ENOSPC)), std::string::npos) << boxes[1].text;
        EXPECT_TRUE(untouched(dest));
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(disk.file("new.ivt"))));
        EXPECT_TRUE(DriveDataFileName.isEmpty());
    }

    // Yes with a name.
    answers = {MsgYes};
    dialogs.names = {path("new.ivt")};
    ASSERT_EQ(read(path("old.ivt"), dest), 1);
    EXPECT_EQ(DriveDataFileName, path("new.ivt"));
    const QByteArray saved = read_file(path("new.ivt"));
    ASSERT_EQ(saved.size(), 2440);
    EXPECT_EQ(saved[17], 3);
    EXPECT_EQ(saved[18], 20);
    EXPECT_EQ(dest.b[RecOfs::VersionMajor], 3);
    EXPECT_EQ(dest.b[RecOfs::VersionMinor], 20);
    EXPECT_EQ(saved[28 + 20], 3);
    EXPECT_EQ(std::memcmp(saved.constData() + 48, dest.b + 20, DRIVE_RECORD_SIZE - 20), 0);

    // Moved, widened and defaulted fields: offset, width in bytes, value.
    const struct {
        uint16_t at;
        uint8_t width;
        uint32_t value;
    } fields[] = {{120, 4, 0},          {124, 4, 10000},      {128, 2, 0x1234},     {130, 1, 0xFD},
                  {152, 4, 0xBEEF},     {164, 2, 12},         {166, 2, 0},          {548, 4, 0x8554},
                  {552, 4, 0xFFFFFFFE}, {556, 4, 0x0560},     {560, 4, 0x9564},     {564, 4, 0xFFFFFFFD},
                  {568, 4, 0x0568},     {572, 4, 0xA0000240}, {576, 4, 0xA0000244}, {580, 4, 0xA0000248},
                  {584, 4, 0xA000024C}, {588, 4, 0xA0000250}, {592, 2, 0x0562},     {594, 2, 0x0548},
                  {596, 2, 0x0550},     {598, 2, 0x0552},     {600, 2, 0x0558},     {602, 2, 0x0570},
                  {604, 2, 0x0572},     {660, 4, 0xF662},     {664, 4, 0xFFFFFFFE}, {668, 2, 0x0664},
                  {670, 2, 0x0660},     {700, 4, 0xF702},     {704, 4, 0xF704},     {712, 2, 0x0700}};
    for (const auto& f : fields) {
        const uint32_t v = f.width == 4 ? Rec_get<uint32_t>(dest, f.at)
                           : f.width == 2 ? Rec_get<uint16_t>(dest, f.at)
                                          : dest.b[f.at];
        EXPECT_EQ(v, f.value) << f.at;
    }
    // Untouched ranges keep the old bytes; the positioning table has its defaults.
    EXPECT_EQ(std::memcmp(dest.b + 132, old.b + 132, 20), 0);
    EXPECT_EQ(std::memcmp(dest.b + 616, old.b + 616, 44), 0);
    EXPECT_EQ(dest.b[708], old.b[708]);
    DriveRecord table = old;
    Init_pos_table_defaults(table.b + RecOfs::PosTable);
    EXPECT_EQ(std::memcmp(dest.b + RecOfs::PosTable, table.b + RecOfs::PosTable, 106), 0);
}

// ---- main window commands ----

TEST_F(DataFiles, SaveCommandWritesSlot0AndConfirmsOnlyWhenWritten)
{
    open_window();
    main->Main_files_connect();
    boxes.clear();
    DriveRecordBank[0] = pattern_record(9);
    const QString target = QString::fromStdString((DriveDataFolder / "s.ivt").string());
    dialogs.names = {target};
    main->BitBtn_salva_dati_driveClick();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(dialogs.asked[0].save);
    EXPECT_EQ(dialogs.asked[0].folder.toStdString(), DriveDataFolder.string());
    EXPECT_EQ(dialogs.asked[0].default_suffix, "ivt");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Data Saved !");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
    const QByteArray first = read_file(target);
    EXPECT_EQ(first.size(), 2440);

    FullDisk disk;
    const QString full = QString::fromStdString(disk.file("s.ivt"));
    ASSERT_TRUE(write_file(full, first));
    disk.fill();
    DriveRecordBank[0] = pattern_record(10);
    dialogs.names = {full};
    main->BitBtn_salva_dati_driveClick();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].icon, MsgIcon::Warning);
    EXPECT_NE(boxes[1].text.find(Savefile_error_text(ENOSPC)), std::string::npos) << boxes[1].text;
    EXPECT_EQ(read_file(full), first);

    // A folder named x.ivt: the warning says what it is; the folder stays.
    const QString folder = QString::fromStdString((DriveDataFolder / "x.ivt").string());
    ASSERT_TRUE(QDir().mkpath(folder));
    dialogs.names = {folder};
    main->BitBtn_salva_dati_driveClick();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, "x.ivt\nis a folder");
    EXPECT_TRUE(QFileInfo(folder).isDir());

    main->BitBtn_salva_dati_driveClick();  // cancelled dialog: nothing
    EXPECT_EQ(boxes.size(), 3u);
    EXPECT_EQ(QDir::currentPath(), dir_.path()) << "the current folder never changes";
}

namespace {
int calibration_checks = 0;
int calibrations = 0;
struct CheckDialog : QDialog {
    explicit CheckDialog(QWidget* p) : QDialog(p)
    {
        ++calibration_checks;
        QTimer::singleShot(0, this, [this] { done(1); });
    }
};
struct CalibrationDialog : QDialog {
    explicit CalibrationDialog(QWidget* p) : QDialog(p)
    {
        ++calibrations;
        QTimer::singleShot(0, this, [this] { done(0); });
    }
};
}  // namespace

TEST_F(DataFiles, CalibrationRefusalsAndTheEnableRule)
{
    open_window();
    main->Main_files_connect();
    boxes.clear();
    Ser_link_flags.fetch_or(LinkFlag::Ready);
    Drive_status alarm{};
    alarm.alarm_word = 0x10;
    Drive_status_publish(alarm);
    main->BitBtn_tar_sensor_posClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Alarm System !");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    LanguageIndex = 2;
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(boxes.back().text, "Syst\xC3\xA8me d\xE2\x80\x99" "Alarme Activ\xC3\xA9 !");
    LanguageIndex = 1;

    Drive_status_publish(Drive_status{});
    Rec_set<uint16_t>(DriveRecordBank[0], 162, 2);
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(boxes.back().text, "Calibration function is not possible for this sensor feedback!");
    EXPECT_EQ(boxes.size(), 3u);

    // Without the calibration windows nothing opens and both commands stay disabled.
    Rec_set<uint16_t>(DriveRecordBank[0], 162, 0);
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(boxes.size(), 3u);
    main->Main_apply_drive_commands(EditState::Linked);
    EXPECT_FALSE(main->BitBtn_tar_sensor_pos->isEnabled());
    EXPECT_FALSE(main->Menu_tar_sensor_pos->isEnabled());
    EXPECT_TRUE(main->BitBtn_carica_default->isEnabled());

    Toolwin_register(ToolWin::TarPosSensorCk, [](QWidget* p) { return new CheckDialog(p); });
    Toolwin_register(ToolWin::TarPosSensor, [](QWidget* p) { return new CalibrationDialog(p); });
    calibration_checks = calibrations = 0;
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(calibration_checks, 1);
    EXPECT_EQ(calibrations, 1);

    main->Main_apply_drive_commands(EditState::Linked);
    EXPECT_TRUE(main->BitBtn_tar_sensor_pos->isEnabled());
    EXPECT_TRUE(main->Menu_tar_sensor_pos->isEnabled());
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::MotorType, 2);
    main->Main_apply_drive_commands(EditState::Linked);
    EXPECT_FALSE(main->BitBtn_tar_sensor_pos->isEnabled());
    EXPECT_TRUE(main->Menu_tar_sensor_pos->isEnabled());
    main->Main_apply_drive_commands(EditState::Linked | EditState::Status5);
    EXPECT_FALSE(main->Menu_tar_sensor_pos->isEnabled());
    EXPECT_FALSE(main->BitBtn_carica_default->isEnabled());
    main->Main_apply_drive_commands(0);
    EXPECT_FALSE(main->Menu_CaricaDefault->isEnabled());
    EXPECT_FALSE(main->BitBtn_invia->isEnabled());
    Toolwin_unregister(ToolWin::TarPosSensorCk);
    Toolwin_unregister(ToolWin::TarPosSensor);
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(DataFiles, DriveCommandsNeedTheLink)
{
    open_window();
    main->Main_files_connect();
    main->Main_files_connect();  // connected once
    boxes.clear();
    main->BitBtn_carica_defaultClick();
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(boxes.empty());
    // The alarm list is shown modelessly.
    main->BitBtn_stato->click();
    EXPECT_TRUE(Form_allarmi->isVisible());
    EXPECT_FALSE(Form_allarmi->isModal());
    Form_allarmi->hide();
}

TEST_F(DataFiles, BeginningAWriteMarksItPending)
{
    WritePending = 0;
    WriteReplyFlag = 1;
    const uint32_t before = Tick_ms();
    Formdattxrx_begin_write();
    EXPECT_EQ(WritePending, 1);
    EXPECT_EQ(WriteReplyFlag, 0);
    EXPECT_LE(Tick_diff(WriteStartMs, before), 5u);
    WritePending = 0;
}
