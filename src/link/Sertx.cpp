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
std::atomic<uint64_t> Ser_last_rx_us{0};

namespace {

constexpr uint32_t HELLO_WAIT_MS = 100;
constexpr uint32_t BOOT_POLL_WAIT_MS = 100;
constexpr uint8_t BOOT_MISSES = 10;
constexpr uint64_t QUIET_POLL_US = 1000;
constexpr uint64_t FRAME_GAP_US = uint64_t{SER_RX_GAP_MS} * 1000u;  // a frame may pause this long
constexpr std::size_t FRAME_MAX = 255;
constexpr uint64_t BITS_PER_BYTE = 10;        // 8N1
constexpr uint8_t TRIES = 2;

std::atomic<bool> armed_fence{false};

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

// One transmission and its reply wait; the send waits up to gate_ms while a frame arrives.
bool exchange(Ser_tx_frame& f, uint32_t wait_ms, uint32_t gate_ms = 0)
{
    return Sertx_wait_reply(Sertx_send_frame(f, false, gate_ms), wait_ms);
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

// Dispatch lock held: a new transmission number, armed for a reply to cmd (a stale reply signal
// drained).
uint32_t arm_transmission(uint8_t cmd, bool fence)
{
    uint32_t seq = Ser_tx_seq.load() + 1;
    if (seq == 0)
        seq = 1;
    Ser_tx_seq.store(seq);
    Ser_reply_sem.drain();
    Ser_armed_cmd.store(cmd);
    armed_fence.store(fence);
    Ser_armed_seq.store(seq);
    return seq;
}

}  // namespace

// ---- transmissions ----

uint64_t Sertx_wire_us(std::size_t n)
{
    const uint64_t baud = Ser_baud.load();
    return baud ? n * BITS_PER_BYTE * 1000000u / baud : 0;
}

void Sertx_line_reset()
{
    Ser_last_rx_us.store(0);
}

bool Sertx_line_busy(uint64_t now_us)
{
    if (Ser_port.bytes_waiting() > 0)
        return true;
    const uint64_t quiet = now_us - std::min(now_us, Ser_last_rx_us.load());
    return Serrx_count() > 0 && quiet <= FRAME_GAP_US;
}

bool Sertx_armed_fence()
{
    return armed_fence.load();
}

uint32_t Sertx_send_frame(Ser_tx_frame& f, bool fence, uint32_t wait_ms)
{
    if (f.length < SER_FRAME_MIN)
        return 0;
    Ser_frame_set_crc(f.bytes, f.length);
    const uint64_t give_up = Tick_us() + uint64_t{wait_ms} * 1000u;
    uint32_t seq = 0;
    while (seq == 0) {
        {
            std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
            const uint64_t now = Tick_us();
            if (wait_ms == 0 || now >= give_up || !link_running() || !Sertx_line_busy(now)) {
                seq = arm_transmission(f.bytes[1], fence);
                break;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(QUIET_POLL_US));
    }
    Ser_port.write(f.bytes, f.length, Ser_timeout_ms.load());
    return seq;
}

uint32_t Sertx_send_raw(const uint8_t* bytes, std::size_t n)
{
    uint32_t seq = 0;
    {
        std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
        seq = arm_transmission(SER_RAW_CMD, false);
    }
    if (n > 0)
        Ser_port.write(bytes, n, Ser_timeout_ms.load());
    return seq;
}

bool Sertx_wait_reply(uint32_t seq, uint32_t ms)
{
    // A stop's wake-up that came before this transmission was armed was drained with the stale
    // reply signal: a stopped link does not wait out the time-out (the stop would take that long).
    bool raised = Ser_reply_sem.wait(link_running() ? static_cast<int32_t>(ms) : 0);
    uint64_t grace_end = 0;
    for (;;) {
        std::unique_lock<std::mutex> hold(Ser_dispatch_lock);
        if (seq != 0 && Ser_armed_seq.load() != seq) {
            if (!raised)
                Ser_reply_sem.drain();  // dispatched just after the wait ran out
            return true;
        }
        // Not answered. A frame arriving as the time runs out is awaited to its end (at most the
        // wire time of the longest frame and one pause inside it).
        if (!raised && seq != 0 && link_running()) {
            const uint64_t now = Tick_us();
            if (grace_end == 0)
                grace_end = now + Sertx_wire_us(FRAME_MAX) + FRAME_GAP_US;
            if (now < grace_end && Sertx_line_busy(now)) {
                hold.unlock();
                raised = Ser_reply_sem.wait(1);
                continue;
            }
        }
        Ser_armed_seq.store(0);  // time-out, or a stop ended the wait
        return false;
    }
}

bool Sertx_fence(uint8_t cmd, uint32_t wait_ms)
{
    const bool status_like = cmd == SerCmd::Status || cmd == SerCmd::Terminal;
    Ser_tx_frame first = fixed_frame(status_like ? Ser_hello_frame : Ser_poll_frame);
    Ser_tx_frame second = fixed_frame(Ser_hello_frame);
    for (Ser_tx_frame* f : {&first, &second}) {
        if (!link_running())
            return false;
        if (Sertx_wait_reply(Sertx_send_frame(*f, true, wait_ms), wait_ms)) {
            Ser_ok_count.fetch_add(1, std::memory_order_relaxed);
            return true;
        }
        Ser_ok_count.store(0, std::memory_order_relaxed);
    }
    return false;
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
    if (Drive_ident_get().flags & IdentFlag::BootLoader)
        Sertx_boot_poll();
    else
        set_link(LinkFlag::Answers);
    set_link(LinkFlag::IdentReceived);
    return true;
}

// A time-out does not purge the port: a purge can cut a late reply whose tail would then start
// the next frame; the next send waits while a frame arrives and starts a fresh one.
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
        if (exchange(f, timeout, timeout)) {
            if (f.id != 0)
                Seriale_pop(f.id);
            Ser_ok_count.fetch_add(1, std::memory_order_relaxed);
            if (!repeated || Sertx_fence(f.bytes[1], timeout))
                return;
            break;  // what the drive owes did not end: a link loss, the image is read again
        }
        if (!link_running())
            return;
        Ser_ok_count.store(0, std::memory_order_relaxed);
        repeated = true;
    }
    if (link_running())
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
    // A data-set or motor transfer ends with the drive: a chunk of it must not reach whatever drive
    // answers next.
    Seriale_remove_cmd(SerCmd::WriteBlock);
    Seriale_remove_cmd(SerCmd::WriteMotor);
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
        answered = exchange(f, BOOT_POLL_WAIT_MS, BOOT_POLL_WAIT_MS) &&
                   (!repeated || Sertx_fence(SerCmd::Status, BOOT_POLL_WAIT_MS));
        if (!boot_poll_may_go_on())
            return;
        if (answered) {
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
