#include "link/Fieldbus_link.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "drivedata/Globvar.h"
#include "link/Serrx.h"

Ds301StoreRec Ds301StoreState[3] = {};

namespace {

// Bit i of the reported marks stands for REPORTED[i]; word: the command word of the drive status
// that carries it (none: its read-back copy holds it).
struct Reported {
    Loc var;
    uint16_t Drive_status::* word;
};
constexpr Reported REPORTED[] = {
    {LiveLoc::DeviceType, nullptr},  {LiveLoc::DeviceName, nullptr},
    {LiveLoc::SwVersion, nullptr},   {LiveLoc::VendorId, nullptr},
    {LiveLoc::ProductCode, nullptr}, {LiveLoc::Revision, nullptr},
    {LiveLoc::CobIdSync, nullptr},   {LiveLoc::CanCtrlWord, &Drive_status::bus_second},
    {LiveLoc::CanStatusWord, &Drive_status::bus_status},
};
// The session in the upper half, the marks of that session in the lower one.
std::atomic<uint64_t> marks{0};
constexpr uint32_t session_of(uint64_t m) { return static_cast<uint32_t>(m >> 32); }

std::mutex text_lock;  // DriveDeviceName, DriveSoftwareName

const Reported* find(Loc var)
{
    for (const Reported& r : REPORTED)
        if (r.var == var)
            return &r;
    return nullptr;
}

uint32_t bit_of(const Reported* r) { return r != nullptr ? 1u << (r - REPORTED) : 0; }

char (&text_of(Loc var))[32] { return var == LiveLoc::SwVersion ? DriveSoftwareName : DriveDeviceName; }

}  // namespace

void Ds301Identity_note(Loc received, uint32_t session)
{
    uint32_t bits = 0;
    for (const Reported& r : REPORTED)
        if (r.var == received || Loc_readback(r.var) == received)
            bits |= bit_of(&r);
    uint64_t m = marks.load(std::memory_order_acquire);
    while (bits != 0 && session_of(m) == session && !marks.compare_exchange_weak(m, m | bits, std::memory_order_acq_rel)) {
    }
}

void Ds301Identity_note(Loc received)
{
    Ds301Identity_note(received, session_of(marks.load(std::memory_order_acquire)));
}

void Ds301Identity_forget(uint32_t session)
{
    marks.store(uint64_t{session} << 32, std::memory_order_release);
}

bool Ds301Identity_reported(Loc var)
{
    return (marks.load(std::memory_order_acquire) & bit_of(find(var))) != 0;
}

std::optional<uint32_t> Ds301Identity_value(Loc var)
{
    const Reported* r = find(var);
    if (r == nullptr || !Ds301Identity_reported(var))
        return std::nullopt;
    if (r->word != nullptr)
        return Drive_status_get().*(r->word);
    const uint8_t* p = Loc_ptr_n(Loc_readback(var), 4);
    if (p == nullptr)
        return std::nullopt;
    uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}

void Ds301Identity_store_text(Loc var, const DriveText& text)
{
    {
        std::lock_guard<std::mutex> hold(text_lock);
        std::memcpy(text_of(var), text.c, sizeof text.c);
    }
    Ds301Identity_note(var);
}

DriveText Ds301Identity_text(Loc var)
{
    DriveText t{};
    std::lock_guard<std::mutex> hold(text_lock);
    std::memcpy(t.c, text_of(var), sizeof t.c);
    return t;
}
