#pragma once
// CANopen store-parameter progress (information sub-reply 6), shown by the CANopen store page, and
// the CiA 301 identity values and CiA 402 command words the drive reported.
#include <cstdint>
#include <optional>

#include "drivedata/Busx.h"

struct Ds301StoreRec {
    uint32_t value;
    uint16_t done;
    uint16_t total;
};
static_assert(sizeof(Ds301StoreRec) == 8);

extern Ds301StoreRec Ds301StoreState[3];  // host order

// ---- values the drive reported: 1000h, 1005h, 1008h, 100Ah, 1018h subs 1-3, 6040h, 6041h ----
// Which of them the drive reported in this session: the read-list values arrive in their read-back
// copies (Loc_readback), the two texts in DriveDeviceName and DriveSoftwareName, the two command
// words (LiveLoc::CanCtrlWord, CanStatusWord) with every status reply.
// Receive thread: Ds301Identity_note after storing a value, with the session its request was sent
// in (a late answer of an earlier session marks nothing); without one, the current session.
// Serrx_new_session starts a session in which nothing is reported.
void Ds301Identity_note(Loc received, uint32_t session);
void Ds301Identity_note(Loc received);
void Ds301Identity_forget(uint32_t session);
// True when the drive reported var in this session.
bool Ds301Identity_reported(Loc var);
// The number var as the drive reported it (the command words from the drive status); none while it
// has not.
std::optional<uint32_t> Ds301Identity_value(Loc var);

// The two texts whole: the receive thread stores a text (LiveLoc::DeviceName or SwVersion) under
// the lock a reader's copy takes, and notes it reported.
struct DriveText {
    char c[32];
};
void Ds301Identity_store_text(Loc var, const DriveText& text);
DriveText Ds301Identity_text(Loc var);
