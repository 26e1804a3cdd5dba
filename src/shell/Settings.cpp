// Settings record, its defaults and the settings file.
#include "shell/Settings.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

#include <QStandardPaths>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"
#include "factors_core/Factor_tool_core.h"
#include "link/Flash_seams.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "platform/Portlist.h"
#include "platform/Savefile.h"
#include "platform/Syslang.h"
#include "shell/Mainstate.h"

namespace fs = std::filesystem;

SettingsBlockRec SettingsBlock{};
fs::path StartFolder;
fs::path SettingsPath;
fs::path DriveDataFolder;
fs::path MotorDataFolder;

namespace {

constexpr const char* DATA_FOLDER_NAME = "Pendrix";  // below the user's documents folder
constexpr uint16_t LANG_ID_ITALIAN = 1040;
constexpr uint16_t LANG_ID_ENGLISH = 1033;
constexpr uint8_t LANGUAGE_COUNT = 3;
constexpr std::size_t PATH_MAX_CHARS = SETTINGS_PATH_FIELD - 1;
static_assert(kPortNameMax == SETTINGS_PORT_FIELD - 1, "port names of the port list fit the field");

// Default scope channels: colours as the windowing library stores them (blue in bits 16-23).
constexpr uint32_t ChannelColour[SCOPE_CHANNELS] = {0x008000, 0xFF0000, 0x000080, 0x0000FF};
constexpr uint8_t CHANNEL_SHOWN = 1u << 0;
constexpr uint8_t TRIGGER_FLAGS_DEFAULT = (1u << 0) | (1u << 2);  // bit 0 and falling slope
constexpr uint8_t LAST_CHANNEL = SCOPE_CHANNELS - 1;
constexpr uint8_t LAST_TRIGGER_TYPE = 2;  // one shot
constexpr uint8_t SCOPE_DECIMALS_MAX = 4;  // the scope's edits have tables of 0 to 4 decimals
constexpr uint8_t LAST_FLASH_DEVICE = 1;  // device index of the flash selection: 0 or 1

const char* const SaveFailedText[LANGUAGE_COUNT] = {
    "Impossibile salvare le impostazioni:",
    "Cannot save the settings:",
    "Impossible d'enregistrer les paramètres :",
};

std::function<uint16_t()> system_language_fn;
std::function<fs::path()> start_folder_fn;

enum class FileState { Missing, Damaged, Good };

uint8_t xor_bytes(const uint8_t* p, std::size_t n)
{
    uint8_t x = 0;
    for (std::size_t i = 0; i < n; ++i)
        x ^= p[i];
    return x;
}

int8_t default_language()
{
    return Settings_system_language_id() == LANG_ID_ITALIAN ? 0 : 1;
}

const ScopeSignal* catalogue_entry(uint16_t index)
{
    if (ScopeSignalTable.entries == nullptr || index >= ScopeSignalTable.count)
        return nullptr;
    return &ScopeSignalTable.entries[index];
}

uint16_t default_signal_index(unsigned channel)
{
    return static_cast<uint16_t>(channel + 1);
}

void scope_defaults(ScopeSettingsRec& s)
{
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        ScopeChannel& ch = s.channel[k];
        ch.signal_index = default_signal_index(k);
        ch.colour = ChannelColour[k];
        ch.flags = CHANNEL_SHOWN;
        if (const ScopeSignal* sig = catalogue_entry(ch.signal_index)) {
            ch.signal_code = sig->code;
            ch.scale_max = sig->default_max;
            ch.scale_min = sig->default_min;
            ch.decimals = static_cast<uint8_t>(sig->decimals);
        }
    }
    s.marker[0] = 0.5f;
    s.marker[1] = 0.5f;
    s.trigger_channel = 0;
    s.trigger_type = 0;
    s.trigger_flags = TRIGGER_FLAGS_DEFAULT;
    s.trigger_scale_max = s.channel[0].scale_max;
    s.trigger_scale_min = s.channel[0].scale_min;
    s.trigger_decimals = s.channel[0].decimals;
    s.record_length = 40000;
    s.axis_left = 0;
    s.axis_right = 1;
    s.sample_time = 1;
}

void terminate_field(char* field, std::size_t size)
{
    if (std::memchr(field, 0, size) == nullptr)
        field[size - 1] = '\0';
}

bool store_text(char* field, std::size_t size, std::string_view text)
{
    if (text.size() >= size || text.find('\0') != std::string_view::npos)
        return false;
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size());
    return true;
}

// Fields that index tables: a value out of range gets that field's default, nothing else changes.
constexpr uint32_t SCOPE_RECORD_MIN = 10;
constexpr uint32_t SCOPE_RECORD_MAX = 40000;

void repair_index_fields(SettingsBlockRec& r)
{
    terminate_field(r.firmware_path, sizeof r.firmware_path);
    terminate_field(r.port_name, sizeof r.port_name);
    if (static_cast<uint8_t>(r.language) >= LANGUAGE_COUNT)
        r.language = default_language();
    ScopeSettingsRec& s = r.scope;
    if (ScopeSignalTable.entries != nullptr && ScopeSignalTable.count > 0) {
        for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
            if (s.channel[k].signal_index >= ScopeSignalTable.count)
                s.channel[k].signal_index = default_signal_index(k);
        }
    }
    for (ScopeChannel& ch : s.channel)
        ch.decimals = std::min(ch.decimals, SCOPE_DECIMALS_MAX);
    s.trigger_decimals = std::min(s.trigger_decimals, SCOPE_DECIMALS_MAX);
    if (s.trigger_channel > LAST_CHANNEL)
        s.trigger_channel = 0;
    if (s.trigger_type > LAST_TRIGGER_TYPE)
        s.trigger_type = 0;
    if (s.axis_left > LAST_CHANNEL)
        s.axis_left = 0;
    if (s.axis_right > LAST_CHANNEL)
        s.axis_right = 1;
    s.record_length = std::clamp<uint32_t>(s.record_length, SCOPE_RECORD_MIN, SCOPE_RECORD_MAX);
    for (float& m : s.marker)
        m = std::isnan(m) ? 0.5f : std::clamp(m, 0.0f, 1.0f);
    if (r.flash_option[0] > LAST_FLASH_DEVICE)
        r.flash_option[0] = 0;
    if (r.generator.waveform > GEN_WAVEFORM_LAST)
        r.generator.waveform = 0;
}

// The record's language and scope settings become the program's; port and baud go to the link.
void publish()
{
    LanguageIndex = static_cast<uint8_t>(SettingsBlock.language);
    if (&ScopeSettings != &SettingsBlock.scope)
        ScopeSettings = SettingsBlock.scope;
    Settings_publish_link();
    Settings_publish_generator();
}

// The program's language and scope settings go back into the record.
void collect()
{
    if (LanguageIndex < LANGUAGE_COUNT)
        SettingsBlock.language = static_cast<int8_t>(LanguageIndex);
    if (&ScopeSettings != &SettingsBlock.scope)
        SettingsBlock.scope = ScopeSettings;
}

void ensure_folder(const fs::path& folder)
{
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        fs::create_directories(folder, ec);  // silently: the folders are only offered to dialogs
}

// Reads the file into the record when it has 593 bytes that XOR to 0.
FileState read_settings_file()
{
    std::vector<uint8_t> buf;
    const int err = Savefile_read(SettingsPath, buf, SETTINGS_FILE_SIZE);
    if (err == ENOENT)
        return FileState::Missing;
    if (err != 0 || buf.size() != SETTINGS_FILE_SIZE || xor_bytes(buf.data(), SETTINGS_FILE_SIZE) != 0)
        return FileState::Damaged;
    std::memcpy(&SettingsBlock, buf.data() + 1, SETTINGS_RECORD_SIZE);
    return FileState::Good;
}

// The user's folders: settings in the configuration folder, data in the documents folder.
void take_user_folders()
{
    const fs::path base = start_folder_fn ? start_folder_fn() : fs::path{};
    if (!base.empty()) {
        SettingsPath = base / SETTINGS_FILE_NAME;
        StartFolder = base;
    } else {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        SettingsPath = fs::path(config.toStdString()) / SETTINGS_FILE_NAME;
        StartFolder = fs::path((documents.isEmpty() ? config : documents).toStdString()) / DATA_FOLDER_NAME;
    }
    DriveDataFolder = StartFolder / "Inverter";
    MotorDataFolder = StartFolder / "Motor";
}

void keep_damaged_file()
{
    std::error_code ec;
    fs::path bad = SettingsPath;
    bad += SETTINGS_BAD_SUFFIX;
    fs::rename(SettingsPath, bad, ec);  // when this fails the defaults still replace the file
}

}  // namespace

void LoadSettings()
{
    take_user_folders();
    ensure_folder(DriveDataFolder);
    ensure_folder(MotorDataFolder);

    switch (read_settings_file()) {
    case FileState::Missing:
        DefaultSettings();
        break;
    case FileState::Damaged:
        keep_damaged_file();
        DefaultSettings();
        break;
    case FileState::Good:
        repair_index_fields(SettingsBlock);
        publish();
        break;
    }

    DriveSizeRead = {0, 0};
    const uint8_t family = Settings_second_family() ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL;
    for (DriveRecord& slot : DriveRecordBank)
        Init_default_image(slot, 0, 0, family);
}

void DefaultSettings()
{
    SettingsBlockRec& r = SettingsBlock;
    std::memset(&r, 0, sizeof r);
    store_text(r.port_name, sizeof r.port_name, "COM1");
    r.baud = 57600;
    r.flags = SettingsFlag::AutoSave;
    r.language = default_language();
    r.main_height = r.archive_height = WINDOW_DEFAULT_HEIGHT;
    r.main_width = r.archive_width = WINDOW_DEFAULT_WIDTH;
    scope_defaults(r.scope);
    r.generator = {100, 500, 10, 0, 0};
    Factor_tool_set_defaults(&r.factor[0]);
    Factor_tool_set_defaults(&r.factor[1]);
    r.pos_test = {1, 100, 10000, 10000, 910, 50, {0, 0}};
    publish();
    SaveSettings();
}

bool SaveSettings()
{
    if (SettingsPath.empty())
        return false;
    collect();
    Settings_publish_link();
    std::array<uint8_t, SETTINGS_FILE_SIZE> file{};
    std::memcpy(file.data() + 1, &SettingsBlock, SETTINGS_RECORD_SIZE);
    file[0] = xor_bytes(file.data() + 1, SETTINGS_RECORD_SIZE);
    const int err = Savefile_write(SettingsPath, file.data(), SETTINGS_FILE_SIZE);
    if (err == 0)
        return true;
    const unsigned lang = LanguageIndex < LANGUAGE_COUNT ? LanguageIndex : 1;
    Msgbox_show({MsgIcon::Warning, Msgbox_title(lang),
                 std::string(SaveFailedText[lang]) + "\n" + SettingsPath.string() + "\n" +
                     Savefile_failure_text(SettingsPath, err, lang),
                 MsgOk});
    return false;
}

void Settings_publish_generator()
{
    const SignalGenSettings& g = SettingsBlock.generator;
    SignalGenerator.waveform.store(g.waveform);
    SignalGenerator.item[0].store(g.period);
    SignalGenerator.item[1].store(g.current_amplitude);
    SignalGenerator.item[2].store(g.speed_amplitude);
}

void Settings_publish_link()
{
    LinkSettings s;
    s.port = Settings_port_name();
    s.baud = SettingsBlock.baud;
    s.auto_save = Settings_auto_save();
    Link_settings_set(s);
    FlashSettingsRec f;
    f.path = Settings_firmware_path();
    f.verify = (SettingsBlock.flags & SettingsFlag::FlashVerify) != 0;
    std::copy(std::begin(SettingsBlock.flash_option), std::end(SettingsBlock.flash_option), f.selection);
    Flash_settings_set(f);
}

std::string Settings_port_name()
{
    const char* f = SettingsBlock.port_name;
    return std::string(f, strnlen(f, kPortNameMax));
}

bool Settings_set_port_name(std::string_view name)
{
    return store_text(SettingsBlock.port_name, sizeof SettingsBlock.port_name, name);
}

std::string Settings_firmware_path()
{
    const char* f = SettingsBlock.firmware_path;
    return std::string(f, strnlen(f, PATH_MAX_CHARS));
}

bool Settings_set_firmware_path(std::string_view path)
{
    return store_text(SettingsBlock.firmware_path, sizeof SettingsBlock.firmware_path, path);
}

bool Settings_auto_save()
{
    return (SettingsBlock.flags & SettingsFlag::AutoSave) != 0;
}

bool Settings_second_family()
{
    return (SettingsBlock.flags & SettingsFlag::FamilyPelsan) != 0;
}

void Settings_set_system_language_id(std::function<uint16_t()> fn)
{
    system_language_fn = std::move(fn);
}

uint16_t Settings_system_language_id()
{
    if (system_language_fn)
        return system_language_fn();
    return Syslang_default_language() == 0 ? LANG_ID_ITALIAN : LANG_ID_ENGLISH;
}

void Settings_set_start_folder(std::function<fs::path()> fn)
{
    start_folder_fn = std::move(fn);
}
