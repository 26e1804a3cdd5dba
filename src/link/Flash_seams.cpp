// Firmware-update entries of the drive link and the boot-loader condition.
#include "link/Flash_seams.h"

#include <mutex>

#include "drivedata/Globvar.h"
#include "platform/Tick.h"

namespace {
constexpr uint32_t IDLE_STEP_MS = 5;  // keeps the send thread from spinning
}

FlashEntriesRec FlashEntries;
std::atomic<uint8_t> FlashFileLoaded{0};

namespace {
std::mutex settings_lock;
FlashSettingsRec settings;
}  // namespace

FlashSettingsRec Flash_settings()
{
    std::lock_guard<std::mutex> hold(settings_lock);
    return settings;
}

void Flash_settings_set(const FlashSettingsRec& s)
{
    std::lock_guard<std::mutex> hold(settings_lock);
    settings = s;
}

void Flashcom_mot_leave()
{
    if (FlashEntries.mot_leave != nullptr)
        FlashEntries.mot_leave();
}

void Flashcom_mot_step()
{
    if (FlashEntries.mot_step != nullptr)
        FlashEntries.mot_step();
    else
        Sleep_ms(IDLE_STEP_MS);
}

void Flashcom_cdx_step()
{
    if (FlashEntries.cdx_step != nullptr)
        FlashEntries.cdx_step();
    else
        Sleep_ms(IDLE_STEP_MS);
}

void Flashcom_mot_on_reply(uint8_t* buf, uint16_t& count)
{
    if (FlashEntries.mot_on_reply != nullptr)
        FlashEntries.mot_on_reply(buf, count);
    else
        count = 0;
}

bool CdxBlockReply(const uint8_t* frame, uint16_t len)
{
    return FlashEntries.cdx_block_reply == nullptr || FlashEntries.cdx_block_reply(frame, len);
}

uint8_t Flashctrl_mot_flash_allowed()
{
    if (!FlashFileLoaded.load(std::memory_order_acquire))
        return 0;
    if (FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::Container)
        return 0;
    if (DriveDeviceId.load() != DRIVE_TYPE_ORVEL)
        return 0;
    if (Drive_status_word() & StatusBit::Boot)
        return 0;
    return (Drive_ident_get().flags & IdentFlag::BootCondition) ? 0 : 1;
}
