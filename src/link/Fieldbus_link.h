#pragma once
// CANopen store-parameter progress (information sub-reply 6), shown by the CANopen store page.
#include <cstdint>

struct Ds301StoreRec {
    uint32_t value;
    uint16_t done;
    uint16_t total;
};
static_assert(sizeof(Ds301StoreRec) == 8);

extern Ds301StoreRec Ds301StoreState[3];  // host order
