#include "link/Seriale.h"

#include <chrono>
#include <cstring>
#include <limits>
#include <mutex>

#include "drivedata/Globvar.h"

namespace {

// ---- CRC-16/MODBUS: reflected 0xA001, initial 0xFFFF, no final XOR ----

struct CrcTables {
    uint8_t lo[256];  // low byte of the 8-step remainder of index i
    uint8_t hi[256];  // high byte
};

constexpr CrcTables make_crc_tables()
{
    CrcTables t{};
    for (unsigned i = 0; i < 256; ++i) {
        uint16_t v = static_cast<uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1u) ? static_cast<uint16_t>((v >> 1) ^ 0xA001u) : static_cast<uint16_t>(v >> 1);
        t.lo[i] = static_cast<uint8_t>(v & 0xFFu);
        t.hi[i] = static_cast<uint8_t>(v >> 8);
    }
    return t;
}

constexpr CrcTables CrcTab = make_crc_tables();

// ---- queue ----

constexpr auto GUARD_WAIT = std::chrono::milliseconds(20);
constexpr int GUARD_TRIES = 3;
constexpr uint16_t WRITE_VAR_FRAME_LEN = 12;  // command 4: 8-byte write item
constexpr std::size_t ITEM_KEY_LEN = 4;       // index, subindex, bits byte
constexpr std::size_t ITEM_VALUE_LEN = 4;

struct Ser_queue {
    Ser_req_ptr head;
    Ser_req* tail = nullptr;
    std::atomic<uint16_t> count{0};
    std::timed_mutex guard;
    bool enabled = false;  // under the guard; set by Seriale_init, cleared by Seriale_queue_close
    uint32_t last_id = 0;  // under the guard
};

Ser_queue Queue;
std::atomic<uint32_t> Dropped{0};

bool try_lock_guard()
{
#if defined(__SANITIZE_THREAD__)
    // libstdc++ waits on the steady clock with pthread_mutex_clocklock, which ThreadSanitizer does
    // not intercept; the system-clock wait goes through pthread_mutex_timedlock, which it does.
    return Queue.guard.try_lock_until(std::chrono::system_clock::now() + GUARD_WAIT);
#else
    return Queue.guard.try_lock_for(GUARD_WAIT);
#endif
}

// Holds the queue guard for one operation: three waits of 20 ms, and only while the queue exists.
class Guard {
public:
    Guard()
    {
        for (int i = 0; i < GUARD_TRIES && !taken_; ++i)
            taken_ = try_lock_guard();
        if (taken_ && !Queue.enabled) {
            Queue.guard.unlock();
            taken_ = false;
        }
    }
    ~Guard()
    {
        if (taken_)
            Queue.guard.unlock();
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;
    explicit operator bool() const { return taken_; }

private:
    bool taken_ = false;
};

uint8_t cmd_of(const Ser_req& r) { return r.frame[1]; }

bool is_write(uint8_t cmd)
{
    return cmd == SerCmd::WriteVar || cmd == SerCmd::WriteBlock || cmd == SerCmd::WriteMotor;
}

bool frame_ok(const Ser_req_ptr& req)
{
    return req && req->frame && req->length >= SER_FRAME_MIN && req->length <= SER_FRAME_MAX;
}

uint32_t new_id()
{
    if (++Queue.last_id == 0)
        Queue.last_id = 1;
    return Queue.last_id;
}

// The rest of the list helpers run with the guard held.

// Links req after prev (at the head when prev is null) and keeps the tail right.
void link_after(Ser_req* prev, Ser_req_ptr req)
{
    Ser_req_ptr& slot = prev ? prev->next : Queue.head;
    req->next = std::move(slot);
    slot = std::move(req);
    if (!slot->next)
        Queue.tail = slot.get();
}

// Unlinks the node after prev (the head when prev is null) and keeps the tail right.
Ser_req_ptr unlink_after(Ser_req* prev)
{
    Ser_req_ptr& slot = prev ? prev->next : Queue.head;
    Ser_req_ptr node = std::move(slot);
    slot = std::move(node->next);
    if (!slot)
        Queue.tail = prev;
    return node;
}

// Removes and frees the requests matching pred, at most limit of them; returns how many.
template <typename Pred>
unsigned remove_if(Pred pred, unsigned limit)
{
    unsigned removed = 0;
    Ser_req* prev = nullptr;
    Ser_req* cur = Queue.head.get();
    while (cur && removed < limit) {
        if (pred(*cur)) {
            unlink_after(prev);
            ++removed;
            cur = prev ? prev->next.get() : Queue.head.get();
        } else {
            prev = cur;
            cur = cur->next.get();
        }
    }
    Queue.count.fetch_sub(static_cast<uint16_t>(removed), std::memory_order_relaxed);
    return removed;
}

void clear_list()
{
    while (Queue.head)
        Queue.head = std::move(Queue.head->next);
    Queue.tail = nullptr;
    Queue.count.store(0, std::memory_order_relaxed);
}

void drop()
{
    Dropped.fetch_add(1, std::memory_order_relaxed);
}

bool merge_into_queue(const Ser_req& req)
{
    for (Ser_req* q = Queue.head->next.get(); q; q = q->next.get()) {
        if (Seriale_merge_var(*q, req.frame.get() + 2))
            return true;
    }
    return false;
}

void copy_frame(const Ser_req& r, uint32_t id, Ser_tx_frame& out)
{
    out.id = id;
    out.length = r.length;
    std::memcpy(out.bytes, r.frame.get(), r.length);
}

// With writes held back: the first terminal request behind the head, moved to the front.
const Ser_req* terminal_to_front()
{
    Ser_req* prev = Queue.head.get();
    while (prev->next && cmd_of(*prev->next) != SerCmd::Terminal)
        prev = prev->next.get();
    if (!prev->next)
        return nullptr;
    link_after(nullptr, unlink_after(prev));
    return Queue.head.get();
}

}  // namespace

uint16_t Crc16_modbus(const uint8_t* bytes, std::size_t count)
{
    uint8_t lo = 0xFF;
    uint8_t hi = 0xFF;
    for (std::size_t i = 0; i < count; ++i) {
        const uint8_t idx = static_cast<uint8_t>(lo ^ bytes[i]);
        lo = static_cast<uint8_t>(hi ^ CrcTab.lo[idx]);
        hi = CrcTab.hi[idx];
    }
    return static_cast<uint16_t>(hi << 8 | lo);
}

void Ser_frame_set_crc(uint8_t* frame, std::size_t length)
{
    if (frame == nullptr || length < 2)
        return;
    const uint16_t crc = Crc16_modbus(frame, length - 2);
    frame[length - 2] = static_cast<uint8_t>(crc & 0xFFu);
    frame[length - 1] = static_cast<uint8_t>(crc >> 8);
}

Ser_req_ptr Ser_req_new(uint8_t cmd, std::size_t payload_len)
{
    if (payload_len > SER_FRAME_MAX - SER_FRAME_MIN)
        return nullptr;
    auto req = std::make_unique<Ser_req>();
    req->length = static_cast<uint16_t>(payload_len + SER_FRAME_MIN);
    req->frame = std::make_unique<uint8_t[]>(req->length);
    req->frame[0] = static_cast<uint8_t>(req->length);
    req->frame[1] = cmd;
    return req;
}

void Seriale_init()
{
    Sertx_new_poll_frame();
    Sertx_new_hello_frame();
    std::lock_guard<std::timed_mutex> hold(Queue.guard);
    Queue.enabled = true;
}

void Seriale_queue_close()
{
    {
        std::lock_guard<std::timed_mutex> hold(Queue.guard);
        Queue.enabled = false;
        clear_list();
    }
    Sertx_free_poll_frame();
    Sertx_free_hello_frame();
}

uint8_t Seriale_merge_var(Ser_req& queued, const uint8_t* item)
{
    if (item == nullptr || !queued.frame || queued.length < WRITE_VAR_FRAME_LEN ||
        cmd_of(queued) != SerCmd::WriteVar)
        return 0;
    uint8_t* payload = queued.frame.get() + 2;
    if (std::memcmp(payload, item, ITEM_KEY_LEN) != 0)
        return 0;
    if (std::memcmp(payload + ITEM_KEY_LEN, item + ITEM_KEY_LEN, ITEM_VALUE_LEN) != 0)
        std::memcpy(payload + ITEM_KEY_LEN, item + ITEM_KEY_LEN, ITEM_VALUE_LEN);
    return 1;
}

bool Seriale_push(Ser_req_ptr req, uint8_t merge, uint16_t position)
{
    if (!frame_ok(req)) {
        drop();
        return false;
    }
    Guard guard;
    if (!guard || Queue.count.load(std::memory_order_relaxed) >= SER_QUEUE_MAX) {
        drop();
        return false;
    }
    if (merge == 1 && cmd_of(*req) == SerCmd::WriteVar && req->length >= WRITE_VAR_FRAME_LEN &&
        Queue.count.load(std::memory_order_relaxed) >= 2 && merge_into_queue(*req))
        return true;

    req->id = new_id();
    Ser_req* after = Queue.tail;  // append
    if (position > 0 && Queue.head) {
        after = Queue.head.get();
        for (uint16_t step = 1; step < position && after->next; ++step)
            after = after->next.get();
    }
    link_after(after, std::move(req));
    Queue.count.fetch_add(1, std::memory_order_relaxed);
    return true;
}

bool Seriale_next(Ser_tx_frame& out)
{
    Guard guard;
    if (!guard)
        return false;
    const Ser_req* pick = Queue.head.get();
    if (pick && (Drive_status_word() & StatusBit::WritesHeld) && is_write(cmd_of(*pick)))
        pick = terminal_to_front();
    if (pick) {
        copy_frame(*pick, pick->id, out);
        return true;
    }
    if (!Ser_poll_frame)
        return false;
    copy_frame(*Ser_poll_frame, 0, out);
    return true;
}

bool Seriale_pop(uint32_t id)
{
    if (id == 0)
        return false;
    Guard guard;
    if (!guard)
        return false;
    return remove_if([id](const Ser_req& r) { return r.id == id; }, 1) == 1;
}

void Seriale_remove_cmd(uint8_t code)
{
    Guard guard;
    if (!guard)
        return;
    remove_if([code](const Ser_req& r) { return cmd_of(r) == code; }, std::numeric_limits<unsigned>::max());
}

void Seriale_clear_queue()
{
    Guard guard;
    if (!guard)
        return;
    clear_list();
}

uint16_t Seriale_count()
{
    return Queue.count.load(std::memory_order_relaxed);
}

uint32_t Seriale_dropped()
{
    return Dropped.load(std::memory_order_relaxed);
}

Ser_queue_view Seriale_view()
{
    Ser_queue_view view;
    Guard guard;
    if (!guard)
        return view;
    for (const Ser_req* r = Queue.head.get(); r; r = r->next.get())
        view.entries.push_back({r->id, std::vector<uint8_t>(r->frame.get(), r->frame.get() + r->length)});
    view.tail_id = Queue.tail ? Queue.tail->id : 0;
    view.count = Queue.count.load(std::memory_order_relaxed);
    return view;
}
