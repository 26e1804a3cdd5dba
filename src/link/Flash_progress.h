#pragma once
// Firmware-update progress that the main window's display timer and its drive pane read: the
// update phase, the elapsed seconds of the erase-and-write phase, and the progress bar's count,
// maximum and colour. The firmware update writes them (its steps run on the send thread).
#include <atomic>
#include <cstdint>

constexpr uint8_t FLASH_PHASE_WRITE = 2;  // erase and write

extern std::atomic<uint8_t> FlashPhase;
// Seconds of phase 2; the main window counts them once per 1000 ms from FlashSecondStamp
// (Tick_ms), which the firmware update sets when the phase begins.
extern std::atomic<uint32_t> FlashElapsedSeconds;
extern std::atomic<uint32_t> FlashSecondStamp;
// Progress bar: count (position), maximum and colour (0x00BBGGRR).
extern std::atomic<uint32_t> FlashProgressCount;
extern std::atomic<uint32_t> FlashProgressMax;
extern std::atomic<uint32_t> FlashBarColour;

struct FlashProgressRec {
    uint32_t position;
    uint32_t maximum;
    uint32_t bar_colour;
};
FlashProgressRec Flash_progress_get();

// Watches the settings' firmware file and reads it when it appears or changes
// (FlashEntries.poll_file, skipped while not installed); called on every display tick.
void Flashctrl_poll_file();
// Redraws the firmware window's progress bar (FlashEntries.draw_buf_bar, skipped while not
// installed).
void Flashsh7047_draw_buf_bar(uint32_t maximum, uint32_t value, uint32_t colour);
