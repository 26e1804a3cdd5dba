// Receive thread: frame assembly, checks, dispatch through the reply table.
#include "link/Serrx.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <mutex>

#include "drivedata/Globvar.h"
#include "link/Flash_seams.h"
#include "link/Scope_link.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"

namespace {

constexpr uint8_t OWN_HELLO_LEN = 6;  // our identification request, echoed by some adapters
constexpr uint32_t EMPTY_DATA_BACKOFF_MS = 1;
constexpr uint64_t REST_WAIT_MAX_US = 20000;   // well inside the 80 ms gap

// Receive-thread state: the frame under assembly and the transmission it belongs to. Written
// under Ser_dispatch_lock, so the send thread sees whether a frame is arriving when it sends.
struct RxAssembly {
    uint8_t buf[SER_RX_BUF_SIZE];
    uint16_t count = 0;
    uint32_t last_chunk_ms = 0;
    uint32_t seq = 0;
    uint32_t overslept_ms = 0;  // the reader woke this much later than it meant to (receive thread)
};
RxAssembly Rx;

uint8_t frame_cmd(const uint8_t* frame)
{
    return frame[1];
}

bool frame_intact(const uint8_t* frame, uint16_t len)
{
    return Crc16_modbus(frame, len) == 0 && frame_cmd(frame) < SER_REPLY_CMDS;
}

// Commands whose requests only their own replies answer, and whose replies answer only their
// own requests: a late identification, block or list reply must not pass for another answer.
bool own_replies_only(uint8_t cmd)
{
    return cmd == SerCmd::Ident || cmd == SerCmd::ReadBlock || cmd == SerCmd::ReadList;
}

// Whether a reply of command `got` answers a request of command `asked`. A fence is answered by
// its own replies only: a status poll by status and text frames.
bool answers(uint8_t asked, uint8_t got, bool fence)
{
    if (fence)
        return got == asked || (asked == SerCmd::Status && got == SerCmd::Terminal);
    return asked == got || !(own_replies_only(asked) || own_replies_only(got));
}

// Dispatch lock held. Hands a frame to its handler when its transmission still waits for a
// reply, then wakes the send thread. At most one reply per transmission is dispatched.
void dispatch(const uint8_t* frame, uint16_t len)
{
    if (Rx.seq == 0 || Ser_armed_seq.load() != Rx.seq)
        return;
    if (!answers(Ser_armed_cmd.load(), frame_cmd(frame), Sertx_armed_fence()))
        return;
    if (!Ser_reply_table[frame_cmd(frame)](frame, len))
        return;
    Ser_armed_seq.store(0);
    Ser_reply_sem.release();
}

// An intact frame: the scope's frame statistics, then dispatch unless it is our own
// identification request.
void accept(const uint8_t* frame, uint16_t len)
{
    FrameLengthLast.store(len, std::memory_order_relaxed);
    FrameLengthAverage();
    if (frame_cmd(frame) == SerCmd::Ident && len <= OWN_HELLO_LEN)
        return;
    dispatch(frame, len);
}

// The bytes after a frame start the next one.
void drop_front(uint16_t n)
{
    std::memmove(Rx.buf, Rx.buf + n, Rx.count - n);
    Rx.count = static_cast<uint16_t>(Rx.count - n);
}

void drop_all()
{
    std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
    Rx.count = 0;
}

bool parse_mode()
{
    const uint8_t mode = Ser_link_mode.load();
    return mode != LinkMode::Flash || (FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::Container);
}

// A chunk of n bytes arrives at now: a new transmission or a silence above 80 ms starts a fresh
// frame. False (everything purged) when the chunk would overflow the buffer.
bool begin_chunk(std::size_t n, uint32_t now)
{
    const uint32_t seq = Ser_tx_seq.load();
    if (seq != Rx.seq) {
        Rx.seq = seq;
        Rx.count = 0;
    }
    // The silence the line kept: not the time the reader itself was held up after its pause.
    const uint32_t since = Tick_diff(now, Rx.last_chunk_ms);
    if (since - std::min(since, Rx.overslept_ms) > SER_RX_GAP_MS)
        Rx.count = 0;
    Rx.overslept_ms = 0;
    Rx.last_chunk_ms = now;
    if (Rx.count + n >= SER_RX_OVERFLOW) {
        Ser_port.purge();
        Rx.count = 0;
        return false;
    }
    return true;
}

// n bytes were appended to the buffer: stamped as read now.
void take_chunk(std::size_t n)
{
    Rx.count = static_cast<uint16_t>(Rx.count + n);
    Ser_last_rx_us.store(Tick_us());
}

void end_chunk()
{
    if (parse_mode())
        Serrx_parse();
    else
        Flashcom_mot_on_reply(Rx.buf, Rx.count);
}

// Time the missing bytes of an incomplete frame need on the line (0: nothing to wait for).
uint64_t rest_of_frame_us()
{
    if (!parse_mode() || Rx.count == 0 || Rx.buf[0] < SER_FRAME_MIN || Rx.count >= Rx.buf[0])
        return 0;
    return std::min<uint64_t>(Sertx_wire_us(Rx.buf[0] - Rx.count), REST_WAIT_MAX_US);
}

void receive_data(uint32_t now)
{
    uint64_t rest_us = 0;
    {
        std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
        const std::size_t waiting = Ser_port.bytes_waiting();
        if (waiting != 0 && begin_chunk(waiting, now)) {
            take_chunk(Ser_port.read(Rx.buf + Rx.count, waiting));
            end_chunk();
            rest_us = rest_of_frame_us();
        }
        if (waiting == 0)
            rest_us = uint64_t{EMPTY_DATA_BACKOFF_MS} * 1000u;  // readable without bytes: never spin on it
    }
    // While a frame is incomplete its missing bytes need their wire time to arrive: waiting that
    // long takes them in one read instead of waking for every few bytes.
    if (rest_us != 0) {
        const uint64_t wake = Tick_us() + rest_us;
        std::this_thread::sleep_for(std::chrono::microseconds(rest_us));
        const uint64_t woke = Tick_us();
        Rx.overslept_ms = woke > wake ? static_cast<uint32_t>((woke - wake) / 1000u) : 0;
    }
}

}  // namespace

const Serrx_handler Ser_reply_table[SER_REPLY_CMDS] = {
    Serrx_reply_status,        // 0
    Serrx_reply_terminal,      // 1
    CdxBlockReply,             // 2
    Serrx_reply_read_block,    // 3
    Serrx_reply_write_var,     // 4
    Serrx_reply_alarm_mem,     // 5
    Serrx_reply_write_block,   // 6
    Serrx_reply_info,          // 7
    Serrx_reply_none,          // 8
    Serrx_reply_none,          // 9
    Serrx_reply_ident_frame,   // 10
    Serrx_reply_scope_data,    // 11
    Serrx_reply_scope_start,   // 12
    Serrx_reply_none,          // 13
    Serrx_reply_none,          // 14
    Serrx_reply_none,          // 15
    Serrx_reply_none,          // 16
    Serrx_reply_none,          // 17
    Serrx_reply_id_block,      // 18
    Serrx_reply_write_block2,  // 19
    Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none,  // 20-24
    Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none,  // 25-29
    Serrx_reply_var_list,      // 30
    Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none,  // 31-35
    Serrx_reply_none, Serrx_reply_none, Serrx_reply_none, Serrx_reply_none,                    // 36-39
};

bool Serrx_reply_none(const uint8_t*, uint16_t)
{
    return true;
}

void Serrx_receive()
{
    const PortWait w = Ser_port.wait(Serport::kForever);
    const uint32_t now = Tick_ms();
    switch (w) {
    case PortWait::Data:
        receive_data(now);
        break;
    case PortWait::LineError:
        Ser_port.purge();
        drop_all();
        break;
    case PortWait::HangUp:  // the port reports it again only after a pause
        drop_all();
        break;
    case PortWait::Stop:
        if (Ser_rx_state.load() == LinkState::Run)
            Sleep_ms(EMPTY_DATA_BACKOFF_MS);
        break;
    case PortWait::Wake:
    case PortWait::Timeout:
        break;
    }
}

void Serrx_feed(const uint8_t* bytes, std::size_t n, uint32_t now_ms)
{
    if (bytes == nullptr || n == 0)
        return;
    std::lock_guard<std::mutex> hold(Ser_dispatch_lock);
    if (!begin_chunk(n, now_ms))
        return;
    std::memcpy(Rx.buf + Rx.count, bytes, n);
    take_chunk(n);
    end_chunk();
}

void Serrx_parse()
{
    while (Rx.count >= SER_FRAME_MIN) {
        const uint8_t len = Rx.buf[0];
        if (len < SER_FRAME_MIN) {  // never a frame
            Rx.count = 0;
            return;
        }
        if (Rx.count < len)
            return;  // keep gathering
        if (!frame_intact(Rx.buf, len)) {
            Rx.count = 0;
            return;
        }
        accept(Rx.buf, len);
        drop_front(len);
    }
}

uint16_t Serrx_count()
{
    return Rx.count;
}

bool Serrx_raw_reply_done()
{
    if (Rx.seq == 0 || Ser_armed_seq.load() != Rx.seq)
        return false;
    Ser_armed_seq.store(0);
    Ser_reply_sem.release();
    return true;
}
