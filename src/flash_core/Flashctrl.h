#pragma once
// Firmware image: the in-memory copy of the drive's flash filled from a firmware file, the
// Motorola S-record reader, the boot-program block and its device-data patch, the two
// compatibility tests and the watch that reloads the firmware file when it changes. No Qt.
//
// Threads: the GUI thread reads files into the image and watches them; the send thread reads
// the image while a flash run is active, so the GUI thread writes pages only while no run is
// active (Flashctrl_run_active). Fields that a run writes are atomics.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/Flash_seams.h"

// ---- image model ----
constexpr std::size_t FLASH_PAGE_BYTES = 128;
constexpr std::size_t FLASH_PAGE_COUNT = 2401;         // entries of the page table
constexpr uint32_t FLASH_END_ENTRY = 0xFFFFFFFF;       // address of the entry after the last page
constexpr uint32_t SREC_ADDRESS_LIMIT = 0x40000;       // S-records at or above are skipped
constexpr std::size_t SREC_LINE_MAX = 514;             // longest line read (a 250-byte S3 record)

struct FlashPage {
    uint32_t address;  // flash address of data[0], a multiple of 128; FLASH_END_ENTRY: end entry
    uint8_t data[FLASH_PAGE_BYTES];
};
static_assert(sizeof(FlashPage) == 132);

struct FirmwareImageRec {
    // File watch (GUI thread). Ages are modification times in ns, 0 for a missing file.
    int64_t file_age = 0;                 // seen by the last poll
    std::atomic<int64_t> known_age{0};    // counts as current; also set by a run's end of writing
    int64_t loaded_age = 0;               // of the file last read successfully
    int64_t failed_age = 0;               // of the file whose last read failed (tried once per age)
    uint32_t last_poll_ms = 0;
    uint8_t file_state = 0;               // FlashFileState
    uint8_t prev_file_state = 0;
    uint8_t first_poll_done = 0;
    uint8_t change_count = 0;             // polls that saw the file changed
    std::atomic<uint32_t> progress_second{0};  // second progress value, cleared with the bar
    uint8_t container_header[256] = {};  // of a loaded container
    FlashPage pages[FLASH_PAGE_COUNT] = {};
    // Written by a read (GUI thread, no run active), read by the run.
    uint32_t page_count = 0;  // index of the end entry
    uint32_t start_address = 0;
    uint32_t end_address = 0;
    uint32_t image_size = 0;  // end - start
};
extern FirmwareImageRec FirmwareImage;

namespace FlashFileState {
constexpr uint8_t NoName = 0;
constexpr uint8_t Missing = 1;
constexpr uint8_t Changed = 2;
constexpr uint8_t Current = 3;
}  // namespace FlashFileState

// `FlashDeviceSelection`: device index, current-size index, voltage-class index (settings).
struct FlashDeviceSelection {
    uint8_t device;
    uint8_t current_size;
    uint8_t voltage;
};
constexpr uint32_t FlashDeviceIdTable[2] = {0xC0458, 0xC0465};

// `BootProgramCtrl`: the 108-byte block of a boot-program image, flash addresses.
namespace BootProgramCtrl {
constexpr uint32_t Block = 0x244;        // identifier word: CANOPEN_VENDOR_ID
constexpr uint32_t DeviceId = 0x248;     // u32 big-endian
constexpr uint32_t Text = 0x254;         // "BOOT PROGRAM CTRL" and a zero byte
constexpr uint32_t TextLen = 18;
constexpr uint32_t CurrentSize = 0x274;  // u8
constexpr uint32_t Voltage = 0x275;      // u8
constexpr uint32_t Size = 108;
constexpr uint32_t ImageEndBelow = 0x2000;  // the page before the last data page lies below
}  // namespace BootProgramCtrl

// ---- reading ----
// Loads a firmware file by its extension (".mot" S-records, ".cdx" containers; others fail). True when read: the loaded flag set, the known age set to the
// loaded age, the watch run once. False changes nothing while a run is active; otherwise a failed
// read clears the loaded flag. GUI thread.
bool Flashsh7047_load_file(const std::string& path);
// Reads an S-record file into FirmwareImage: 1 when the whole file was read, else 0. A missing
// file or an empty one: 0 silently, pages as they were. Any refused line: its message, 0.
int readSRecordFile(const std::string& path);
// Sets or clears FlashModeFlag::BootProgram of FlashModeFlags from the image.
void detectBootProgramCtrl(const FirmwareImageRec& image);
// Copies count bytes into the pages from a flash address (pages indexed by address, valid for an
// image whose first page is at 0); bytes outside the image are not written. False when any was not.
bool writeImageBytes(FirmwareImageRec& image, uint32_t address, const uint8_t* bytes, std::size_t count);
// A boot-program image only: device identifier at 0x248, size at 0x274, voltage at 0x275. A device
// index above 1 writes nothing.
void patchDeviceData(FirmwareImageRec& image, const FlashDeviceSelection& sel);
// The image byte at a flash address; false outside the image (below the end entry).
bool Flashctrl_image_byte(const FirmwareImageRec& image, uint32_t address, uint8_t& out);

// ---- firmware container ("*.cdx") ----
// `CdxContainer`: a plain 16-byte header start, 240 header bytes enciphered as 15 blocks, then n
// records of a 4-byte enciphered page address and 128 data bytes passed on as stored, then up to
// 131 trailing bytes that only the word check sees.
namespace CdxContainer {
constexpr std::size_t Header = 256;
constexpr std::size_t PlainHeader = 16;
constexpr std::size_t Record = 4 + FLASH_PAGE_BYTES;
constexpr std::size_t Count = 20;       // header: u32 little-endian, the record count
constexpr std::size_t FirmwareId = 192; // header: u32 big-endian, the drive's device identifier
constexpr std::size_t PadWords = 4;     // header: words 4, 8, 12 pad a last short address block
constexpr std::size_t ReadChunk = 1024;
constexpr std::size_t MaxBytes = Header + Record * FLASH_PAGE_COUNT + Record - 1;
}  // namespace CdxContainer
constexpr std::size_t AES_BLOCK = 16;
constexpr std::size_t AES_ROUND_KEYS = 176;  // 11 round keys of AES-128
// The program's container key (AES-128); containers made with another key fail the count check.
extern const uint8_t CDX_KEY[16];
// FIPS-197 AES-128: key expansion into 11 round keys, and the inverse cipher of one block in place.
void aesExpandKey(uint8_t round_keys[AES_ROUND_KEYS], const uint8_t key[16]);
void aesDecryptBlock(uint8_t block[AES_BLOCK], const uint8_t round_keys[AES_ROUND_KEYS]);
// Reads a container into image: 1 when read and its record count matched, else 0 with the image
// unchanged. A missing file, one shorter than the header, without a whole record or with more
// records than the page table holds, and a count mismatch: 0 silently. A word check (16-bit XOR of
// the whole file, a last odd byte left out) other than 0: "Errore checksum", 0.
int readCdxFile(const std::string& path, FirmwareImageRec& image);

// ---- compatibility ----
// A loaded container whose firmware identifier equals DriveDeviceId; a 0xC0458 drive must also be
// in its boot state.
bool Flashctrl_cdx_compatible();

// ---- run and watch ----
// True while a flash run may use the image: the send thread runs and link mode 0 or 2 is in force
// or asked for.
bool Flashctrl_run_active();
// The file watch at a tick (ms): at most once per 300 ms. Flashctrl_poll_file is it at Tick_ms().
void Flashctrl_poll_file_at(uint32_t now_ms);
void Flashctrl_poll_file_now();

// Hooks of the firmware window (null until it exists): the file panel state changed; an image was
// read or refused (its data are to be shown).
extern void (*Flashctrl_on_file_state)(uint8_t state);
extern void (*Flashctrl_on_image_loaded)(bool loaded);

// The firmware update's entries into FlashEntries (step driver, receiver, watch, leave hook).
void Flash_install();
