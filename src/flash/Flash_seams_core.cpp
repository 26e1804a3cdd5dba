// Firmware-update entry points of the drive link. The firmware update replaces these bodies:
// until then link modes 0 and 2 idle without sending anything, and container replies are
// accepted without effect.
#include "flash/Flash_seams.h"

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

void Flashcom_chk_step()
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
