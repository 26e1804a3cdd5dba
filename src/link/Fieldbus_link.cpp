#include "link/Fieldbus_link.h"

#include <atomic>
#include <cstring>

Ds301StoreRec Ds301StoreState[3] = {};

namespace {

// Bit i of the reported mask stands for IDENTITY[i].
constexpr Loc IDENTITY[] = {LiveLoc::DeviceType, LiveLoc::DeviceName,  LiveLoc::SwVersion,
                            LiveLoc::VendorId,   LiveLoc::ProductCode, LiveLoc::Revision};
std::atomic<uint8_t> reported{0};

uint8_t bit_of(Loc var)
{
    uint8_t bit = 1;
    for (const Loc v : IDENTITY) {
        if (v == var)
            return bit;
        bit = static_cast<uint8_t>(bit << 1);
    }
    return 0;
}

}  // namespace

void Ds301Identity_note(Loc received)
{
    for (const Loc var : IDENTITY)
        if (Loc_readback(var) == received)
            reported.fetch_or(bit_of(var), std::memory_order_release);
}

void Ds301Identity_forget() { reported.store(0, std::memory_order_release); }

bool Ds301Identity_reported(Loc var)
{
    const uint8_t bit = bit_of(var);
    return bit != 0 && (reported.load(std::memory_order_acquire) & bit) != 0;
}

std::optional<uint32_t> Ds301Identity_value(Loc var)
{
    const uint8_t* p = Ds301Identity_reported(var) ? Loc_ptr_n(Loc_readback(var), 4) : nullptr;
    if (p == nullptr)
        return std::nullopt;
    uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}
