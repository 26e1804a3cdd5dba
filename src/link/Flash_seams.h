#pragma once
// What the drive link and the main window call of the firmware update: the send-thread steps and
// the receivers of link mode 0, the file watch and the progress bar. The firmware update installs
// its entries into FlashEntries at start-up; until then every entry is null and the functions
// below do what their comments say for that case (the link idles in mode 0).
#include <atomic>
#include <cstdint>
#include <string>

struct FlashEntriesRec {
    void (*mot_step)() = nullptr;  // Flashcom_mot_step
    void (*cdx_step)() = nullptr;  // Flashcom_cdx_step
    void (*mot_on_reply)(uint8_t* buf, uint16_t& count) = nullptr;       // Flashcom_mot_on_reply
    bool (*cdx_block_reply)(const uint8_t* frame, uint16_t len) = nullptr;  // CdxBlockReply
    void (*poll_file)() = nullptr;  // Flashctrl_poll_file
    void (*draw_buf_bar)(uint32_t maximum, uint32_t value, uint32_t colour) = nullptr;  // Flashsh7047_draw_buf_bar
    void (*mot_leave)() = nullptr;  // Flashcom_mot_leave
};
extern FlashEntriesRec FlashEntries;

// One send-thread step in link mode 0: the boot-loader procedure (no container loaded) and the
// container download (FlashModeFlags bit 0). Without the entry a short sleep keeps the send
// thread from spinning.
void Flashcom_mot_step();
void Flashcom_cdx_step();
// One send-thread step in link mode 2: the link check before programming (link/Flashcom_chk.cpp).
void Flashcom_chk_step();

// Link check state. Ser_check_start_ms: Tick_ms when the check began, written by the firmware
// window before it opens the link in mode 2 or asks for mode 2. Ser_wait_ms: milliseconds waited
// without an answer, 5000 once the check is over; it is stored before FlashProgressFlags bit 0 is
// set (release), so a reader that sees bit 0 (acquire) sees the value that goes with it.
extern std::atomic<uint32_t> Ser_check_start_ms;
extern std::atomic<uint32_t> Ser_wait_ms;

// 1 when the loaded firmware must be written through the boot loader: a firmware file is
// loaded, it is not a container, the drive type is 0xC0458, status-word bit 0 and
// identification flag bit 1 are clear. Else 0. Send thread, after an identification.
uint8_t Flashctrl_mot_flash_allowed();
// Set while a firmware file (S-record or container) is loaded; the firmware window keeps it.
extern std::atomic<uint8_t> FlashFileLoaded;

// Receive thread, link mode 0 without a container: the bytes gathered so far, buf[0..count).
// The boot-loader receiver consumes what it needs and sets count to the bytes it leaves; without
// the entry every byte is dropped. It runs with Ser_dispatch_lock held, like the reply handlers:
// it must not send (the send thread does).
void Flashcom_mot_on_reply(uint8_t* buf, uint16_t& count);

// Reply-table entry of command 2 (container download). frame holds len bytes (CRC checked).
// False drops the frame like a bad one (the send thread is not woken). Without the entry the
// reply is accepted without effect.
bool CdxBlockReply(const uint8_t* frame, uint16_t len);

// Send thread, at a change of the link mode away from mode 0: a boot-loader run left before its
// last step puts the port back (settings' baud, DTR off) and resets the drive out of its boot
// mode. Without the entry nothing happens.
void Flashcom_mot_leave();

// What the firmware update keeps in the settings record: the firmware file's path, the read-back
// verify flag and the device selection of a boot-program image (device, current size, voltage).
// The settings file feeds them (GUI thread); any thread may read a copy.
struct FlashSettingsRec {
    std::string path;
    bool verify = false;
    uint8_t selection[3] = {0, 0, 0};
};
FlashSettingsRec Flash_settings();
void Flash_settings_set(const FlashSettingsRec& s);
