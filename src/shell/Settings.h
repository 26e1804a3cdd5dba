#pragma once
// The program's settings record and its file "set_dat.dat" in the start folder: a check byte (the
// XOR of the record bytes, so that the whole file XORs to 0), then the 592-byte record in host order.
//
// Everything runs on the GUI thread. While the program runs, the language lives in `LanguageIndex`,
// the oscilloscope settings in `ScopeSettings` and the port, baud rate and auto-save flag are handed
// to the link (`Link_settings_set`): loading publishes them from the record, saving takes the
// language and the scope settings back into it before writing.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "drivedata/Records_ext.h"
#include "link/Scope_link.h"

// Signal-generator values kept with the settings (their meaning belongs to the oscilloscope).
struct SignalGenSettings {
    uint16_t speed_amplitude;    // rpm
    uint16_t current_amplitude;  // 0.1 %
    uint16_t period;             // 0.01 s
    uint8_t waveform;            // 0..5
    uint8_t unused;
};
static_assert(sizeof(SignalGenSettings) == 8);

// Positioning test bench values, preceded by a word that only the defaults write (1).
struct PosTestSettings {
    uint16_t defaults_mark;
    int16_t jog_speed;
    uint32_t jog_acc;
    uint32_t jog_dec;
    uint32_t max_pos_error;
    uint16_t pos_error_time;  // ms
    uint8_t unused[2];
};
static_assert(sizeof(PosTestSettings) == 20);

namespace SettingsFlag {
constexpr uint8_t FlashVerify = 1u << 0;  // verify after flashing
constexpr uint8_t AutoSave = 1u << 1;
constexpr uint8_t FamilyPelsan = 1u << 2;  // clear: first family "ORVEL"
}  // namespace SettingsFlag

// The main and archive windows' size while no settings file holds one: wide enough for the widest
// page beside the left column; a window opens within the screen's available area whatever its size.
constexpr uint16_t WINDOW_DEFAULT_WIDTH = 1104;
constexpr uint16_t WINDOW_DEFAULT_HEIGHT = 560;

constexpr std::size_t SETTINGS_PATH_FIELD = 260;  // firmware path, NUL included
constexpr std::size_t SETTINGS_PORT_FIELD = 10;   // port name, NUL included

struct SettingsBlockRec {
    char firmware_path[SETTINGS_PATH_FIELD];
    uint8_t flags;  // SettingsFlag bits
    uint8_t unused261;
    char port_name[SETTINGS_PORT_FIELD];
    uint32_t baud;
    int8_t language;  // copy of LanguageIndex as stored
    uint8_t unused277;
    uint16_t main_height;
    uint16_t main_width;
    uint16_t archive_height;
    uint16_t archive_width;
    uint8_t unused286[2];
    ScopeSettingsRec scope;  // copy of ScopeSettings as stored
    SignalGenSettings generator;
    FactorApplicationRec factor[2];  // page contexts 0 and 1
    PosTestSettings pos_test;
    uint8_t flash_option[3];
    uint8_t unused591;
};

constexpr std::size_t SETTINGS_RECORD_SIZE = 592;
constexpr std::size_t SETTINGS_FILE_SIZE = SETTINGS_RECORD_SIZE + 1;
static_assert(sizeof(SettingsBlockRec) == SETTINGS_RECORD_SIZE);
static_assert(std::is_trivially_copyable_v<SettingsBlockRec> && std::is_standard_layout_v<SettingsBlockRec>);
static_assert(offsetof(SettingsBlockRec, flags) == 260);
static_assert(offsetof(SettingsBlockRec, port_name) == 262);
static_assert(offsetof(SettingsBlockRec, baud) == 272);
static_assert(offsetof(SettingsBlockRec, language) == 276);
static_assert(offsetof(SettingsBlockRec, main_height) == 278);
static_assert(offsetof(SettingsBlockRec, main_width) == 280);
static_assert(offsetof(SettingsBlockRec, archive_height) == 282);
static_assert(offsetof(SettingsBlockRec, archive_width) == 284);
static_assert(offsetof(SettingsBlockRec, scope) == 288);
static_assert(offsetof(SettingsBlockRec, generator) == 400);
static_assert(offsetof(SettingsBlockRec, generator.speed_amplitude) == 400);
static_assert(offsetof(SettingsBlockRec, generator.current_amplitude) == 402);
static_assert(offsetof(SettingsBlockRec, generator.period) == 404);
static_assert(offsetof(SettingsBlockRec, generator.waveform) == 406);
static_assert(offsetof(SettingsBlockRec, factor) == 408);
static_assert(offsetof(SettingsBlockRec, factor[1]) == 488);
static_assert(offsetof(SettingsBlockRec, pos_test) == 568);
static_assert(offsetof(SettingsBlockRec, pos_test.jog_speed) == 570);
static_assert(offsetof(SettingsBlockRec, pos_test.jog_acc) == 572);
static_assert(offsetof(SettingsBlockRec, pos_test.jog_dec) == 576);
static_assert(offsetof(SettingsBlockRec, pos_test.max_pos_error) == 580);
static_assert(offsetof(SettingsBlockRec, pos_test.pos_error_time) == 584);
static_assert(offsetof(SettingsBlockRec, flash_option) == 588);
// The scope settings inside the record.
static_assert(sizeof(ScopeChannel) == 20 && sizeof(ScopeSettingsRec) == 112);
static_assert(offsetof(ScopeChannel, scale_min) == 4 && offsetof(ScopeChannel, colour) == 8);
static_assert(offsetof(ScopeChannel, flags) == 12 && offsetof(ScopeChannel, signal_index) == 14);
static_assert(offsetof(ScopeChannel, signal_code) == 16 && offsetof(ScopeChannel, decimals) == 18);
static_assert(offsetof(ScopeSettingsRec, channel[1]) == 20 && offsetof(ScopeSettingsRec, channel[3]) == 60);
static_assert(offsetof(ScopeSettingsRec, marker) == 80 && offsetof(ScopeSettingsRec, marker[1]) == 84);
static_assert(offsetof(ScopeSettingsRec, trigger_scale_max) == 88);
static_assert(offsetof(ScopeSettingsRec, trigger_scale_min) == 92);
static_assert(offsetof(ScopeSettingsRec, trigger_decimals) == 96);
static_assert(offsetof(ScopeSettingsRec, record_length) == 100);
static_assert(offsetof(ScopeSettingsRec, trigger_flags) == 104);
static_assert(offsetof(ScopeSettingsRec, trigger_channel) == 106);
static_assert(offsetof(ScopeSettingsRec, trigger_type) == 107);
static_assert(offsetof(ScopeSettingsRec, axis_left) == 108);
static_assert(offsetof(ScopeSettingsRec, axis_right) == 109);
static_assert(offsetof(ScopeSettingsRec, sample_time) == 110);

extern SettingsBlockRec SettingsBlock;

// Folders and paths, fixed by LoadSettings: the settings file in the user's configuration folder
// (~/.config/Pendrix), the data folders below the user's documents folder (~/Documents/Pendrix).
// The current folder is never used.
extern std::filesystem::path StartFolder;      // the data folders' root
extern std::filesystem::path SettingsPath;     // configuration folder / "set_dat.dat"
extern std::filesystem::path DriveDataFolder;  // StartFolder / "Inverter"
extern std::filesystem::path MotorDataFolder;  // StartFolder / "Motor"

constexpr const char* SETTINGS_FILE_NAME = "set_dat.dat";
constexpr const char* SETTINGS_BAD_SUFFIX = ".bad";  // a damaged file is kept under this name

// Takes the user's folders, creates the data folders, reads the file or falls back to the defaults
// (a damaged file is first kept as "set_dat.dat.bad"), repairs out-of-range index fields, clears
// DriveSizeRead and fills the four drive records with defaults.
void LoadSettings();
// Fills the record with defaults and writes the file.
void DefaultSettings();
// Writes the whole file through a temporary file; on failure the old file stays and one warning
// is shown. False on failure, or when no settings were loaded yet.
bool SaveSettings();

// Hands port, baud rate and auto-save flag of the record to the link.
void Settings_publish_link();
// Hands the generator's waveform, period and amplitudes of the record to the link (SignalGenerator).
void Settings_publish_generator();

// Bounded access to the two text fields. A value that does not fit (9 resp. 259 bytes) or holds a
// NUL is not stored (false); it is never cut short.
std::string Settings_port_name();
bool Settings_set_port_name(std::string_view name);
std::string Settings_firmware_path();
bool Settings_set_firmware_path(std::string_view path);

bool Settings_auto_save();
bool Settings_second_family();

// Seams. The system's default language identifier (1040 Italian); by default derived from the
// locale. One folder for the settings file and the data folders instead of the user's folders.
// An empty function restores the default.
void Settings_set_system_language_id(std::function<uint16_t()> fn);
uint16_t Settings_system_language_id();
void Settings_set_start_folder(std::function<std::filesystem::path()> fn);
