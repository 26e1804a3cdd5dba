#include "link/Tools_link.h"

#include <bitset>
#include <mutex>
#include <thread>

CalibReplyRec CalibReply;
std::atomic<uint8_t> DriveProcMode{0};
ZeroingReplyRec ZeroingReply;
AbsZeroingReplyRec AbsZeroingReply;
CoggingMonitorRec CoggingMonitor;

namespace {
std::atomic<uint32_t> reply_seq{0};  // odd while a reply is being stored
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

void Proc_reply_begin() { reply_seq.fetch_add(1, std::memory_order_acq_rel); }

void Proc_reply_end() { reply_seq.fetch_add(1, std::memory_order_release); }

ProcReplySnapshot Proc_reply_snapshot()
{
    ProcReplySnapshot r{};
    for (;;) {
        const uint32_t before = reply_seq.load(std::memory_order_acquire);
        r.mode = DriveProcMode.load();
        r.calib_phase = CalibReply.CalibPhase.load();
        r.calib_poles = CalibReply.CalibPolePairs.load();
        r.calib_position = CalibReply.CalibPosition.load();
        r.zero_phase = ZeroingReply.ZeroingPhase.load();
        r.abs_phase = AbsZeroingReply.AbsZeroingPhase.load();
        r.zero_offset = ZeroingReply.ZeroingOffset.load();
        r.zero_angle = ZeroingReply.ZeroingAngle.load();
        r.cog_phase = CoggingMonitor.phase.load();
        r.cog_position = CoggingMonitor.position.load();
        r.cog_counter = CoggingMonitor.counter.load();
        if ((before & 1u) == 0 && reply_seq.load(std::memory_order_acquire) == before)
            return r;
        std::this_thread::yield();
    }
}
