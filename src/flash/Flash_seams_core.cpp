// Firmware-update entry points of the drive link. The firmware update replaces these bodies:
// until then link mode 0 idles without sending anything, container replies are accepted without
// effect, and no firmware file is loaded (FlashFileLoaded stays 0).
#include "flash/Flash_seams.h"

#include "drivedata/Globvar.h"
#include "platform/Tick.h"

namespace {
constexpr uint32_t IDLE_STEP_MS = 5;  // keeps the send thread from spinning
}

void Flashcom_mot_step()
{
    Sleep_ms(IDLE_STEP_MS);
}

void Flashcom_cdx_step()
{
    Sleep_ms(IDLE_STEP_MS);
}

void Flashcom_mot_on_reply(uint8_t* buf, uint16_t& count)
{
    (void)buf;
    count = 0;
}

bool CdxBlockReply(const uint8_t* frame, uint16_t len)
{
    (void)frame;
    (void)len;
    return true;
}

std::atomic<uint8_t> FlashFileLoaded{0};

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
    return (Drive_ident.flags & IdentFlag::BootCondition) ? 0 : 1;
}
