#pragma once
// CANopen store-parameter progress (information sub-reply 6), shown by the CANopen store page, and
// the CiA 301 identity values the drive reported.
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

// ---- CiA 301 identity (1000h, 1008h, 100Ah, 1018h subs 1-3) ----
// Which identity values the drive reported in this session: the read-list values arrive in their
// read-back copies (Loc_readback), the two texts in DriveDeviceName and DriveSoftwareName.
// Receive thread: Ds301Identity_note after storing a value; a new session forgets them all.
void Ds301Identity_note(Loc received);
void Ds301Identity_forget();
// True when the drive reported the identity value var (LiveLoc::DeviceType .. Revision).
bool Ds301Identity_reported(Loc var);
// The u32 identity value var as the drive reported it; none while it has not.
std::optional<uint32_t> Ds301Identity_value(Loc var);
