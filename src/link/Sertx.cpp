// Send thread: link modes, offline and online states, retries, link loss, boot-loader poll.
#include "link/Sertx.h"
#include "link/Serrx.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Flash_seams.h"
#include "link/Seriale_port.h"
#include "platform/Tick.h"

std::atomic<uint8_t> Ser_mode_changed{0};
std::atomic<uint16_t> Ser_ok_count{0};
std::atomic<uint32_t> Ser_lost_count{0};
std::atomic<uint32_t> Ser_last_answer_ms{0};
std::atomic<uint8_t> SimInputMask{0};
std::atomic<uint16_t> PageContext{0};
Ser_image_read_rec Ser_image_read_pos;
Ser_block_job_rec Ser_block_job;
std::atomic<uint8_t> Ser_chunk_sent{0};
std::atomic<uint32_t> Ser_tx_seq{0};
std::atomic<uint32_t> Ser_armed_seq{0};
std::atomic<uint8_t> Ser_armed_cmd{0};
std::mutex Ser_dispatch_lock;
Ser_line_timing_rec Ser_line_timing;

namespace {

constexpr uint32_t HELLO_WAIT_MS = 100;
constexpr uint32_t BOOT_POLL_WAIT_MS = 100;
constexpr uint8_t BOOT_MISSES = 10;
constexpr uint64_t QUIET_MARGIN_US = 0;       // the turnaround seen includes the reader's wake-up
constexpr uint64_t QUIET_POLL_US = 1000;
constexpr uint64_t BITS_PER_BYTE = 10;        // 8N1
constexpr uint8_t TRIES = 2;

uint64_t wire_us(std::size_t bytes)
{
    const uint64_t baud = Ser_baud.load();
    return baud ? bytes * BITS_PER_BYTE * 1000000u / baud : 0;
}

bool link_running()
{
    return Ser_tx_state.load() == LinkState::Run;
}

void set_link(uint8_t bits)
{
    Ser_link_flags.fetch_or(bits, std::memory_order_acq_rel);
}

void clear_link(uint8_t bits)
{
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_acq_rel);
}

bool link_has(uint8_t bits)
{
    return (Ser_link_flags.load(std::memory_order_acquire) & bits) == bits;
}

Ser_tx_frame fixed_frame(const Ser_req_ptr& req)
{
    Ser_tx_frame f;
    if (req) {
        f.length = req->length;
        std::copy(req->frame.get(), req->frame.get() + req->length, f.bytes);
    }
    return f;
}

// One transmission and its reply wait.
bool exchange(Ser_tx_frame& f, uint32_t wait_ms)
{
    return Sertx_wait_reply(Sertx_send_frame(f), wait_ms);
}

// After the reply to a request that repeated a timed-out one, a late reply to the earlier
// transmission may follow; it starts within the drive's turnaround. Wait until the line has been
// quiet that long (the longest turnaround seen, at most limit_ms in all), letting what arrives pass
// undispatched, then purge.
void settle(uint32_t limit_ms)
{
    const uint64_t limit = uint64_t{limit_ms} * 1000u;
    const uint64_t quiet = std::min<uint64_t>(Ser_line_timing.turnaround_us.load() + QUIET_MARGIN_US, limit);
    const uint64_t start = Tick_us();
    while (link_running()) {
        const uint64_t now = Tick_us();
        const uint64_t idle = now - std::max(start, std::min(now, Ser_line_timing.last_rx_us.load()));
        if (idle >= quiet || now - start >= limit)
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(std::min(quiet - idle, QUIET_POLL_US)));
    }
    Ser_port.purge();
}

bool boot_poll_may_go_on()
{
    return link_running() && Ser_link_mode_req.load() == Ser_link_mode.load();
}

bool in_boot_state()
{
    const uint16_t both = StatusBit::Boot | StatusBit::BootState;
    return (Drive_status_word() & both) == both;
}

// The link check starts with an identification, also when a drive was linked: a block read
// still queued would land in the image read that follows the check.
void restart_with_identification()
{
    Seriale_remove_cmd(SerCmd::ReadBlock);
    Ser_image_read_pos.active.store(0);
    clear_link(LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready);
}

void apply_mode_request()
{
    const uint8_t req = Ser_link_mode_req.load();
    const uint8_t cur = Ser_link_mode.load();
    if (req == cur)
        return;
    if (cur == LinkMode::Normal && req == LinkMode::Flash)
        Seriale_clear_queue();
    if (cur == LinkMode::Flash)
        Flashcom_mot_leave();
    if (req == LinkMode::Check)
        restart_with_identification();
    Ser_link_mode.store(req);
    Ser_mode_changed.store(1);
}

// A new transmission number, armed for a reply to cmd (a stale reply signal drained).
uint32_t arm_transmission(uint8_t cmd)
{
    std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
    uint32_t seq = Ser_tx_seq.load() + 1;
    if (seq == 0)
        seq = 1;
    Ser_tx_seq.store(seq);
    Ser_reply_sem.drain();
    Ser_armed_cmd.store(cmd);
    Ser_armed_seq.store(seq);
    return seq;
}

}  // namespace

// ---- transmissions ----

uint32_t Sertx_send_frame(Ser_tx_frame& f)
{
    if (f.length < SER_FRAME_MIN)
        return 0;
    Ser_frame_set_crc(f.bytes, f.length);
    const uint32_t seq = arm_transmission(f.bytes[1]);
    Ser_line_timing.request_end_us.store(Tick_us() + wire_us(f.length));
    Ser_port.write(f.bytes, f.length, Ser_timeout_ms.load());
    return seq;
}

uint32_t Sertx_send_raw(const uint8_t* bytes, std::size_t n)
{
    const uint32_t seq = arm_transmission(SER_RAW_CMD);
    if (n > 0) {
        Ser_line_timing.request_end_us.store(Tick_us() + wire_us(n));
        Ser_port.write(bytes, n, Ser_timeout_ms.load());
    }
    return seq;
}

void Sertx_note_rx(uint64_t now_us, std::size_t n, bool first)
{
    Ser_line_timing.last_rx_us.store(now_us);
    const uint64_t end = Ser_line_timing.request_end_us.load();
    const uint64_t first_byte = now_us - std::min(now_us, wire_us(n));
    if (!first || first_byte <= end)
        return;
    const uint32_t t = static_cast<uint32_t>(std::min<uint64_t>(first_byte - end, UINT32_MAX));
    if (t > Ser_line_timing.turnaround_us.load())
        Ser_line_timing.turnaround_us.store(t);
}

bool Sertx_wait_reply(uint32_t seq, uint32_t ms)
{
    const bool raised = Ser_reply_sem.wait(static_cast<int32_t>(ms));
    std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
    if (seq == 0 || Ser_armed_seq.load() == seq) {
        Ser_armed_seq.store(0);  // time-out, or a stop ended the wait
        return false;
    }
    if (!raised)
        Ser_reply_sem.drain();  // dispatched just after the wait ran out
    return true;
}

// ---- steps ----

void Sertx_step()
{
    apply_mode_request();
    switch (Ser_link_mode.load()) {
    case LinkMode::Flash:
        if (FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::Container)
            Flashcom_cdx_step();
        else
            Flashcom_mot_step();
        break;
    case LinkMode::Check:
        Flashcom_chk_step();
        break;
    default:
        Sertx_drive_step();
        break;
    }
}

void Sertx_drive_step()
{
    if (link_has(LinkFlag::Answers)) {
        Sertx_online_step();
        return;
    }
    if (!Sertx_hello_step())
        return;
    if (link_has(LinkFlag::Answers | LinkFlag::Ready))
        Sertx_first_contact();
    else
        Seriale_clear_queue();
}

bool Sertx_hello_step()
{
    clear_link(LinkFlag::IdentReceived);
    Ser_tx_frame f = fixed_frame(Ser_hello_frame);
    if (!exchange(f, HELLO_WAIT_MS)) {
        if (!link_running())
            return false;
        Ser_port.purge();
        clear_link(LinkFlag::Answers | LinkFlag::Ready);
        return false;
    }
    Ser_last_answer_ms.store(Tick_ms());
    if (Drive_ident.flags & IdentFlag::BootLoader)
        Sertx_boot_poll();
    else
        set_link(LinkFlag::Answers);
    set_link(LinkFlag::IdentReceived);
    return true;
}

void Sertx_online_step()
{
    Ser_tx_frame f;
    if (!Seriale_next(f))
        return;  // guard busy (three waits passed) or the queue is closing
    const uint32_t timeout = Ser_timeout_ms.load();
    bool repeated = false;
    for (uint8_t tries = TRIES; tries > 0; --tries) {
        if (!link_running())
            return;
        if (exchange(f, timeout)) {
            if (f.id != 0)
                Seriale_pop(f.id);
            Ser_ok_count.fetch_add(1, std::memory_order_relaxed);
            if (repeated)
                settle(timeout);
            return;
        }
        if (!link_running())
            return;
        Ser_ok_count.store(0, std::memory_order_relaxed);
        Ser_port.purge();
        repeated = true;
    }
    Sertx_link_lost();
}

void Sertx_first_contact()
{
    Ser_status_seen.store(0);
    I2tTestActive.store(0);
    Sertx_drive_func(2, 0);
    SimInputMask.store(0);
    Sertx_drive_func(4, 0);
    Ser_image_read_pos.active.store(0);  // a new drive: any earlier read is over
    Sertx_read_image();
}

bool Sertx_read_image()
{
    if (!Sertx_ready() || Ser_image_read_pos.active.load() != 0)
        return false;
    uint16_t count = DRIVE_RECORD_SIZE;
    Ser_image_read_pos.session.store(Serrx_new_session());
    Ser_image_read_pos.offset.store(0);
    Ser_image_read_pos.active.store(1);
    Sertx_read_block(0, count);
    Ser_image_read_pos.count.store(count);
    return true;
}

void Sertx_link_lost()
{
    Serrx_new_session();
    Ser_status_seen.store(0);
    Seriale_remove_cmd(SerCmd::ReadBlock);
    clear_link(LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~(DataFlag::ImageRead | DataFlag::ListReads)),
                             std::memory_order_acq_rel);
    Ser_image_read_pos.active.store(0);
    Sertx_forget_read_list();
    FlashModeFlags.fetch_and(static_cast<uint8_t>(~FlashModeFlag::DriveKnown), std::memory_order_acq_rel);
    Ser_lost_count.fetch_add(1, std::memory_order_relaxed);
}

void Sertx_boot_poll()
{
    Drive_status_update_word(0, StatusBit::Boot | StatusBit::BootState);
    uint8_t misses = BOOT_MISSES;
    bool answered = false;
    bool repeated = false;
    while (boot_poll_may_go_on()) {
        Ser_tx_frame f = fixed_frame(Ser_poll_frame);
        answered = exchange(f, BOOT_POLL_WAIT_MS);
        if (!boot_poll_may_go_on())
            return;
        if (answered) {
            if (repeated)
                settle(BOOT_POLL_WAIT_MS);
            repeated = false;
            misses = BOOT_MISSES;
            set_link(LinkFlag::Answers);
            if (!in_boot_state())
                break;
        } else {
            repeated = true;
            if (misses > 0)
                --misses;
            clear_link(LinkFlag::Answers);
            if (misses == 0)
                break;
        }
    }
    if (!boot_poll_may_go_on())
        return;
    if (!answered) {
        clear_link(LinkFlag::Answers);
        return;
    }
    Ser_tx_frame hello = fixed_frame(Ser_hello_frame);
    if (exchange(hello, HELLO_WAIT_MS))
        set_link(LinkFlag::Answers);
    else
        clear_link(LinkFlag::Answers);
}
