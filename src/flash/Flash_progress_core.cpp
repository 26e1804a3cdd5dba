// Firmware-update progress state. The firmware window and its file watch come with the firmware
// update; until then no file is loaded and there is no window to draw into.
#include "flash/Flash_progress.h"

#include "flash/Flash_seams.h"

std::atomic<uint8_t> FlashPhase{0};
std::atomic<uint32_t> FlashElapsedSeconds{0};
std::atomic<uint32_t> FlashSecondStamp{0};
std::atomic<uint32_t> FlashProgressCount{0};
std::atomic<uint32_t> FlashProgressMax{0};
std::atomic<uint32_t> FlashBarColour{0x00FF00};

FlashProgressRec Flash_progress_get()
{
    return {FlashProgressCount.load(), FlashProgressMax.load(), FlashBarColour.load()};
}

bool Flashctrl_file_loaded() { return FlashFileLoaded.load() != 0; }

void Flashctrl_poll_file() {}

void Flashsh7047_draw_buf_bar(uint32_t, uint32_t, uint32_t) {}
