// Firmware-update progress state, the file watch and the progress bar of the firmware window.
#include "link/Flash_progress.h"

#include "link/Flash_seams.h"

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

void Flashctrl_poll_file()
{
    if (FlashEntries.poll_file != nullptr)
        FlashEntries.poll_file();
}

void Flashsh7047_draw_buf_bar(uint32_t maximum, uint32_t value, uint32_t colour)
{
    if (FlashEntries.draw_buf_bar != nullptr)
        FlashEntries.draw_buf_bar(maximum, value, colour);
}
