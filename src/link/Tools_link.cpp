#include "link/Tools_link.h"

#include <bitset>
#include <mutex>

CalibReplyRec CalibReply;
std::atomic<uint8_t> DriveProcMode{0};
ZeroingReplyRec ZeroingReply;
AbsZeroingReplyRec AbsZeroingReply;
CoggingMonitorRec CoggingMonitor;

namespace {
constexpr std::size_t TABLE_LEN = 256;
std::mutex staging_lock;
uint8_t staged[TABLE_LEN];
std::bitset<TABLE_LEN> dirty;
}  // namespace

void Cogging_stage(uint16_t index, const uint8_t* bytes, std::size_t n)
{
    std::lock_guard<std::mutex> hold(staging_lock);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = (index + i) % TABLE_LEN;
        staged[at] = bytes[i];
        dirty.set(at);
    }
}

bool Cogging_take(uint8_t* table)
{
    std::lock_guard<std::mutex> hold(staging_lock);
    if (dirty.none())
        return false;
    for (std::size_t i = 0; i < TABLE_LEN; ++i)
        if (dirty.test(i))
            table[i] = staged[i];
    dirty.reset();
    return true;
}

void Cogging_clear_staged()
{
    std::lock_guard<std::mutex> hold(staging_lock);
    dirty.reset();
}
