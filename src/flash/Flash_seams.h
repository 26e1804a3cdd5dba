#pragma once
// Entry points of the firmware update that the drive link calls. The firmware update fills
// them (Flash_seams_core.cpp holds their bodies until then).
#include <cstdint>

// One send-thread step in link mode 0: the boot-loader procedure (no container loaded) and the
// container download (FlashModeFlags bit 0).
void Flashcom_mot_step();
void Flashcom_cdx_step();
// One send-thread step in link mode 2: the link check before programming.
void Flashcom_chk_step();

// Receive thread, link mode 0 without a container: the bytes gathered so far, buf[0..count).
// The boot-loader receiver consumes what it needs and sets count to the bytes it leaves.
void Flashcom_mot_on_reply(uint8_t* buf, uint16_t& count);

// Reply-table entry of command 2 (container download). frame holds len bytes (CRC checked).
// False drops the frame like a bad one (the send thread is not woken).
bool CdxBlockReply(const uint8_t* frame, uint16_t len);
