// The settings file: a fresh start, damaged and foreign files, round trips, bounded texts and
// failed saves.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <vector>

#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>

#include "FullDisk.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "gui_app.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "shell/Main_files.h"
#include "shell/Mainstate.h"
#include "link/Flash_seams.h"
#include "shell/Settings.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes read_bytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void write_bytes(const fs::path& p, const Bytes& b)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

uint8_t xor_all(const Bytes& b)
{
    uint8_t x = 0;
    for (uint8_t v : b)
        x ^= v;
    return x;
}

// A valid file holding the given record.
Bytes file_of(const SettingsBlockRec& r)
{
    Bytes f(SETTINGS_FILE_SIZE);
    std::memcpy(f.data() + 1, &r, SETTINGS_RECORD_SIZE);
    f[0] = xor_all(Bytes(f.begin() + 1, f.end()));
    return f;
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        ASSERT_TRUE(dir_.isValid());
        folder_ = fs::path(dir_.path().toStdString());
        Settings_set_start_folder([this] { return folder_; });
        Settings_set_system_language_id([this] { return lang_id_; });
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            messages_.push_back(r);
            return MsgOk;
        });
        LanguageIndex = 0;
    }
    void TearDown() override
    {
        Msgbox_set_sink(std::move(old_sink_));
        Settings_set_start_folder(nullptr);
        Settings_set_system_language_id(nullptr);
        ScopeSignalTable = {};
    }
    fs::path file() const { return folder_ / "set_dat.dat"; }
    fs::path bad_file() const { return folder_ / "set_dat.dat.bad"; }
    // A loaded default file whose record the test changes and writes back.
    SettingsBlockRec fresh_record()
    {
        LoadSettings();
        return SettingsBlock;
    }

    QTemporaryDir dir_;
    fs::path folder_;
    uint16_t lang_id_ = 1033;
    std::vector<MsgRequest> messages_;
    MsgSink old_sink_;
};

TEST_F(SettingsFile, FreshStartWritesAValidFileAndTheFolders)
{
    std::memset(&DriveRecordBank[3], 0, sizeof(DriveRecord));
    DriveSizeRead = {4, 1};
    LoadSettings();
    EXPECT_TRUE(fs::is_directory(folder_ / "Inverter"));
    EXPECT_TRUE(fs::is_directory(folder_ / "Motor"));
    EXPECT_EQ(SettingsPath, file());
    const Bytes f = read_bytes(file());
    ASSERT_EQ(f.size(), 593u);
    EXPECT_EQ(xor_all(f), 0);
    EXPECT_TRUE(messages_.empty());
    EXPECT_FALSE(fs::exists(bad_file()));
    EXPECT_EQ(DriveSizeRead.size_index, 0);
    EXPECT_EQ(DriveSizeRead.voltage_class, 0);
    EXPECT_EQ(DriveRecordBank[3].b[RecOfs::Mark], RECORD_MARK);
    EXPECT_EQ(Link_settings().port, "COM1");
    EXPECT_TRUE(Link_settings().auto_save);
}

TEST_F(SettingsFile, SystemLanguageChoosesTheDefaultLanguage)
{
    lang_id_ = 1040;
    LoadSettings();
    EXPECT_EQ(LanguageIndex, 0);
    EXPECT_EQ(read_bytes(file())[1 + 276], 0);

    fs::remove(file());
    lang_id_ = 1033;
    LoadSettings();
    EXPECT_EQ(LanguageIndex, 1);
    EXPECT_EQ(read_bytes(file())[1 + 276], 1);

    // Without a language source the locale variables decide.
    Settings_set_system_language_id(nullptr);
    const QByteArray saved = qgetenv("LC_ALL");
    for (const auto& [locale, id] : {std::pair{"it_IT.UTF-8", 1040}, std::pair{"en_GB.UTF-8", 1033}}) {
        qputenv("LC_ALL", locale);
        EXPECT_EQ(Settings_system_language_id(), id) << locale;
    }
    if (saved.isNull())
        qunsetenv("LC_ALL");
    else
        qputenv("LC_ALL", saved);
}

TEST_F(SettingsFile, DamagedFilesAreKeptAsBadAndReplaced)
{
    SettingsBlockRec r = fresh_record();
    Settings_set_port_name("ttyUSB3");
    r = SettingsBlock;
    const Bytes good = file_of(r);
    Bytes bad_xor = good;
    bad_xor[100] ^= 0x40;
    const std::vector<Bytes> damaged = {Bytes(good.begin(), good.end() - 1), [&] {
                                            Bytes b = good;
                                            b.push_back(0);
                                            return b;
                                        }(),
                                        bad_xor, Bytes{}};
    for (const Bytes& d : damaged) {
        write_bytes(file(), d);
        LoadSettings();
        const Bytes now = read_bytes(file());
        ASSERT_EQ(now.size(), 593u) << "damaged size " << d.size();
        EXPECT_EQ(xor_all(now), 0);
        EXPECT_EQ(Settings_port_name(), "COM1");
        EXPECT_EQ(read_bytes(bad_file()), d);
    }
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SettingsFile, TwoSavesGiveIdenticalFilesAndValuesSurviveALoad)
{
    LoadSettings();
    ASSERT_TRUE(Settings_set_port_name("ttyACM0"));
    SettingsBlock.flags = SettingsFlag::FamilyPelsan | SettingsFlag::FlashVerify;
    SettingsBlock.pos_test.max_pos_error = 1234567;
    LanguageIndex = 2;
    ScopeSettings.record_length = 777;
    ASSERT_TRUE(SaveSettings());
    const Bytes first = read_bytes(file());
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(read_bytes(file()), first);

    std::memset(&SettingsBlock, 0, sizeof SettingsBlock);
    LanguageIndex = 0;
    LoadSettings();
    EXPECT_EQ(Settings_port_name(), "ttyACM0");
    EXPECT_TRUE(Settings_second_family());
    EXPECT_FALSE(Settings_auto_save());
    EXPECT_EQ(SettingsBlock.pos_test.max_pos_error, 1234567u);
    EXPECT_EQ(LanguageIndex, 2);
    EXPECT_EQ(ScopeSettings.record_length, 777u);
    EXPECT_EQ(read_bytes(file()), first);  // a good file is not rewritten by loading
}

TEST_F(SettingsFile, OutOfRangeIndexFieldsGetOnlyTheirDefault)
{
    ScopeSignal catalogue[5] = {};
    for (uint16_t i = 0; i < 5; ++i)
        catalogue[i].code = static_cast<uint16_t>(0x100 + i);
    ScopeSignalTable = {catalogue, 5};

    SettingsBlockRec r = fresh_record();
    std::strcpy(r.port_name, "ttyS1");
    r.language = 3;  // one past the last language
    r.scope.channel[0].signal_index = 4;  // last valid
    r.scope.channel[2].signal_index = 5;  // one past the catalogue
    r.scope.trigger_channel = 4;
    r.scope.trigger_type = 3;
    r.scope.axis_left = 9;
    r.scope.axis_right = 200;
    r.scope.record_length = 1234;
    r.scope.channel[1].decimals = 9;  // the scope's edits have tables of 0 to 4 decimals
    r.scope.channel[3].decimals = 4;
    r.scope.trigger_decimals = 5;
    std::strcpy(r.firmware_path, "/fw/a.mot");
    r.flags |= SettingsFlag::FlashVerify;
    r.flash_option[0] = 7;  // no such device: the firmware update's selection starts at 0
    r.flash_option[1] = 2;
    r.generator = {1234, 321, 77, 9, 0};  // waveform past the six: would index past them and be sent
    const Bytes written = file_of(r);
    write_bytes(file(), written);
    lang_id_ = 1040;

    LoadSettings();
    EXPECT_EQ(LanguageIndex, 0);
    EXPECT_EQ(Settings_port_name(), "ttyS1");
    EXPECT_EQ(ScopeSettings.channel[0].signal_index, 4);
    EXPECT_EQ(ScopeSettings.channel[2].signal_index, 3);
    EXPECT_EQ(ScopeSettings.trigger_channel, 0);
    EXPECT_EQ(ScopeSettings.trigger_type, 0);
    EXPECT_EQ(ScopeSettings.axis_left, 0);
    EXPECT_EQ(ScopeSettings.axis_right, 1);
    EXPECT_EQ(ScopeSettings.record_length, 1234u);
    EXPECT_EQ(ScopeSettings.channel[1].decimals, 4);
    EXPECT_EQ(ScopeSettings.channel[3].decimals, 4);
    EXPECT_EQ(ScopeSettings.trigger_decimals, 4);
    const FlashSettingsRec flash = Flash_settings();  // published to the firmware update
    EXPECT_EQ(flash.path, "/fw/a.mot");
    EXPECT_TRUE(flash.verify);
    EXPECT_EQ(flash.selection[0], 0);
    EXPECT_EQ(flash.selection[1], 2);
    EXPECT_EQ(SettingsBlock.generator.waveform, 0);
    EXPECT_EQ(SignalGenerator.waveform.load(), 0);  // the generator's values go to the link
    EXPECT_EQ(SignalGenerator.item[0].load(), 77);
    EXPECT_EQ(SignalGenerator.item[1].load(), 321);
    EXPECT_EQ(SignalGenerator.item[2].load(), 1234);
    EXPECT_FALSE(fs::exists(bad_file()));
    EXPECT_EQ(read_bytes(file()), written);
}

TEST_F(SettingsFile, UnterminatedTextFieldsAreReadWithinBounds)
{
    SettingsBlockRec r = fresh_record();
    std::memset(r.port_name, 'A', sizeof r.port_name);
    std::memset(r.firmware_path, 'p', sizeof r.firmware_path);
    write_bytes(file(), file_of(r));

    LoadSettings();
    EXPECT_EQ(Settings_port_name(), std::string(9, 'A'));
    EXPECT_EQ(Settings_firmware_path(), std::string(259, 'p'));
    EXPECT_EQ(std::strlen(SettingsBlock.port_name), 9u);
    EXPECT_EQ(std::strlen(SettingsBlock.firmware_path), 259u);
    EXPECT_EQ(Link_settings().port, std::string(9, 'A'));

    EXPECT_TRUE(Settings_set_port_name("pts/12"));
    EXPECT_FALSE(Settings_set_port_name("ttyUSB1234"));  // 10 characters: not stored, not cut
    EXPECT_FALSE(Settings_set_port_name(std::string_view("tty\0S1", 6)));
    EXPECT_EQ(Settings_port_name(), "pts/12");
    EXPECT_TRUE(Settings_set_firmware_path(std::string(259, 'f')));
    EXPECT_FALSE(Settings_set_firmware_path(std::string(260, 'g')));
    EXPECT_EQ(Settings_firmware_path(), std::string(259, 'f'));
}

TEST_F(SettingsFile, ReadOnlyFileLoads)
{
    SettingsBlockRec r = fresh_record();
    std::strcpy(r.port_name, "ttyUSB9");
    write_bytes(file(), file_of(r));
    fs::permissions(file(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (::geteuid() != 0) {
        LoadSettings();
        EXPECT_EQ(Settings_port_name(), "ttyUSB9");
        EXPECT_FALSE(fs::exists(bad_file()));
        return;
    }
    // Permissions do not bind root: load as an unprivileged user in a child.
    fs::permissions(folder_, fs::perms::all);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        LoadSettings();
        ::_exit(Settings_port_name() == "ttyUSB9" && !fs::exists(bad_file()) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SettingsFile, DefaultChannelsTakeTheirScalesFromTheSignalCatalogue)
{
    ScopeSignal catalogue[6] = {};
    for (int i = 0; i < 6; ++i) {
        catalogue[i].code = static_cast<uint16_t>(40 + i);
        catalogue[i].max = 99;  // the edits' limits: not a default scale
        catalogue[i].default_max = 1000 * (i + 1);
        catalogue[i].default_min = -10 * (i + 1);
        catalogue[i].decimals = static_cast<uint8_t>(i);
    }
    ScopeSignalTable = {catalogue, 6};
    LoadSettings();
    for (int k = 0; k < 4; ++k) {
        const ScopeChannel& ch = SettingsBlock.scope.channel[k];
        EXPECT_EQ(ch.signal_code, 41 + k);
        EXPECT_EQ(ch.scale_max, 1000 * (k + 2));
        EXPECT_EQ(ch.scale_min, -10 * (k + 2));
        EXPECT_EQ(ch.decimals, k + 1);
    }
    EXPECT_EQ(SettingsBlock.scope.trigger_scale_max, 2000);
    EXPECT_EQ(ScopeSettings.channel[1].signal_code, 42);
}

TEST_F(SettingsFile, UnwritableFolderGivesDefaultsInMemoryAndOneWarning)
{
    write_bytes(folder_ / "plain", Bytes{1, 2, 3});
    const fs::path good_folder = folder_;
    folder_ = good_folder / "plain" / "start";  // below a file: nothing can be created there
    LanguageIndex = 2;
    LoadSettings();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].icon, MsgIcon::Warning);
    EXPECT_EQ(messages_[0].buttons, MsgOk);
    EXPECT_EQ(messages_[0].title, "Attention");
    EXPECT_NE(messages_[0].text.find("set_dat.dat"), std::string::npos);
    EXPECT_EQ(Settings_port_name(), "COM1");
    EXPECT_EQ(LanguageIndex, 1);
    EXPECT_TRUE(Settings_auto_save());
}

TEST_F(SettingsFile, FailedSaveKeepsTheOldFile)
{
    FullDisk disk;
    folder_ = disk.file("user");
    LoadSettings();
    const Bytes before = read_bytes(file());
    ASSERT_TRUE(Settings_set_port_name("ttyUSB7"));

    disk.fill();
    EXPECT_FALSE(SaveSettings());
    disk.drain();
    EXPECT_EQ(read_bytes(file()), before);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].text.find(Savefile_error_text(ENOSPC)), std::string::npos) << messages_[0].text;
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder_))
        ++entries;
    EXPECT_EQ(entries, 3u);  // the file and the two folders: no temporary left

    EXPECT_TRUE(SaveSettings());
    LoadSettings();
    EXPECT_EQ(Settings_port_name(), "ttyUSB7");
}

TEST_F(SettingsFile, UserFoldersAndNeverTheCurrentFolder)
{
    Settings_set_start_folder(nullptr);
    const QString cwd = QDir::currentPath();
    QTemporaryDir start;
    ASSERT_TRUE(QDir::setCurrent(start.path()));
    fs::permissions(start.path().toStdString(), fs::perms::owner_read | fs::perms::owner_exec);
    LoadSettings();
    const bool saved = SaveSettings();
    DriveRecord r{};
    const bool written = WriteDriveFile(QString::fromStdString((DriveDataFolder / "a.ivt").string()), &r);
    QDir::setCurrent(cwd);
    fs::permissions(start.path().toStdString(), fs::perms::owner_all);

    EXPECT_TRUE(saved);
    EXPECT_TRUE(written);
    EXPECT_TRUE(QDir(start.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    const std::string home = test_home().toStdString();
    EXPECT_EQ(SettingsPath.parent_path().parent_path(), fs::path(home) / ".config");
    EXPECT_TRUE(fs::exists(SettingsPath));
    EXPECT_EQ(DriveDataFolder, fs::path(home) / "Documents" / "Pendrix" / "Inverter");
    EXPECT_EQ(MotorDataFolder, fs::path(home) / "Documents" / "Pendrix" / "Motor");
    EXPECT_TRUE(fs::is_directory(MotorDataFolder));
    EXPECT_TRUE(messages_.empty());
}

}  // namespace
