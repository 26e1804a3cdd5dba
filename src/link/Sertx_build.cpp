// Request builders: each builds one frame and queues it, or builds nothing when its condition
// fails. Numbers go out big-endian; the CRC is written when the frame is sent.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "link/Scope_link.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"

namespace {

constexpr uint16_t BLOCK_READ_MAX = 251;
constexpr uint16_t BLOCK_CHUNK_MAX = 245;
constexpr uint16_t ID_CHUNK_MAX = 240;
constexpr uint16_t MOTOR_MAX = 251;
constexpr uint8_t INFO_SUB_FIRST = 1;
constexpr uint8_t INFO_SUB_LAST = 10;
constexpr uint8_t GEN_FIELD_LAST = 5;


namespace ChunkFlag {
constexpr uint8_t More = 1;
constexpr uint8_t Last = 2;
constexpr uint8_t IdFirst = 4;
constexpr uint8_t BlockFirst = 8;
}  // namespace ChunkFlag

uint8_t* payload(Ser_req& r)
{
    return r.frame.get() + 2;
}

void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

bool answers()
{
    return Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers;
}

// A request whose payload is the given bytes.
bool push_bytes(uint8_t cmd, std::initializer_list<uint8_t> bytes)
{
    Ser_req_ptr r = Ser_req_new(cmd, bytes.size());
    std::copy(bytes.begin(), bytes.end(), payload(*r));
    return Seriale_push(std::move(r));
}

// Outstanding read list; the receive thread takes it with the reply.
std::mutex read_list_lock;
std::condition_variable read_list_done;  // a list answered and stored, or forgotten
Ser_read_list read_list;
const Ser_read_list NO_READ_LIST{};
bool storing = false;  // a taken list's values are being stored

void make_read_list(const PollItem* list, uint16_t n, uint8_t count_byte, Ser_read_list& out)
{
    out.list = list;
    out.count = n;
    out.count_byte = count_byte;
    for (uint16_t i = 0; i < n; ++i)
        out.item[i] = {list[i].key, list[i].subindex, BusFlag_size(list[i].flags), list[i].readback};
}

uint8_t value_size(uint8_t bits)
{
    if (bits & BusWriteBit::Pair)
        return 4;
    return static_cast<uint8_t>((bits & BusWriteBit::SizeMask) >> BusWriteBit::SizeShift);
}

// A write was queued behind a list that may already be asked for: that list's reply holds values
// from before the write. Outstanding is read before the count, so a reply arriving in between
// only moves the mark one reply too far (never too short).
void mark_list_replies_stale()
{
    const uint32_t outstanding = Sertx_read_list_outstanding() ? 1u : 0u;
    Ser_list_write_mark.store(Ser_list_reply_count.load(std::memory_order_acquire) + outstanding,
                              std::memory_order_release);
}

}  // namespace

bool Sertx_ready()
{
    return (Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Ready) &&
           !(Drive_status_word() & StatusBit::Boot) && Ser_link_mode.load() == LinkMode::Normal;
}

void Sertx_read_status()
{
    if (answers())
        push_bytes(SerCmd::Status, {});
}

void Sertx_terminal_char(uint8_t ch)
{
    if (answers())
        push_bytes(SerCmd::Terminal, {ch});
}

void Sertx_read_block(uint16_t offset, uint16_t& count)
{
    count = std::min(count, BLOCK_READ_MAX);
    if (!Sertx_ready() || count == 0)
        return;
    push_bytes(SerCmd::ReadBlock, {static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset),
                                static_cast<uint8_t>(count)});
}

void Sertx_copy_to_shadow(Loc field, uint8_t size)
{
    if (field.area != Area::Slot0 || std::size_t{field.ofs} + size > DRIVE_RECORD_SIZE)
        return;
    std::memcpy(DriveRecordBank[2].b + field.ofs, DriveRecordBank[0].b + field.ofs, size);
}

void Sertx_write_var_ex(Loc field, uint8_t merge, uint8_t store)
{
    // Record fields are sent only from the connected drive's data set; live values (the bus
    // control words) follow the drive whatever data set the pages show.
    if (!Sertx_ready() || (PageContext.load() != 0 && field.area != Area::Live))
        return;
    BusWriteItem item{};
    if (!Busx_make_request(field, &item))
        return;
    if (store == 1) {
        item.bits |= BusWriteBit::Store;
        Sertx_copy_to_shadow(field, value_size(item.bits));
    } else {
        item.bits &= static_cast<uint8_t>(~BusWriteBit::Store);
    }
    Ser_req_ptr r = Ser_req_new(SerCmd::WriteVar, sizeof item);
    uint8_t* p = payload(*r);
    put16(p, item.key);
    p[2] = item.subindex;
    p[3] = item.bits;
    std::reverse_copy(item.value, item.value + 4, p + 4);
    Seriale_push(std::move(r), merge);
    mark_list_replies_stale();
}

void Sertx_write_var(Loc field)
{
    Sertx_write_var_ex(field, 1, Link_settings().auto_save ? 1 : 0);
}

void Sertx_write_var_nosave(Loc field)
{
    Sertx_write_var_ex(field, 1, 0);
}

void Sertx_read_alarm_mem()
{
    if (Sertx_ready())
        push_bytes(SerCmd::AlarmMem, {});
}

void Sertx_write_block(Ser_block_job_rec& job, uint8_t mode)
{
    const uint16_t offset = job.offset.load();
    const uint16_t end = job.end.load();
    if (!Sertx_ready() || end > DRIVE_RECORD_SIZE || offset >= end)
        return;
    const uint16_t rest = end - offset;
    const uint16_t chunk = std::min(rest, BLOCK_CHUNK_MAX);
    uint8_t flags = rest <= BLOCK_CHUNK_MAX ? ChunkFlag::Last : ChunkFlag::More;
    if (mode == 3)
        flags |= ChunkFlag::BlockFirst;
    job.chunk.store(chunk);
    Ser_req_ptr r = Ser_req_new(SerCmd::WriteBlock, chunk + 4u);
    uint8_t* p = payload(*r);
    put16(p, offset);
    p[2] = static_cast<uint8_t>(chunk);
    p[3] = flags;
    std::memcpy(p + 4, job.data + offset, chunk);
    Seriale_push(std::move(r));
    mark_list_replies_stale();
}

void Sertx_read_info(uint8_t sub)
{
    if (Sertx_ready() && sub >= INFO_SUB_FIRST && sub <= INFO_SUB_LAST)
        push_bytes(SerCmd::Info, {sub});
}

void Sertx_drive_func(uint8_t code, uint8_t value)
{
    if (Sertx_ready())
        push_bytes(SerCmd::DriveFunc, {code, value});
}

void Sertx_write_motor(const uint8_t* bytes, uint16_t n)
{
    if (!Sertx_ready() || bytes == nullptr || n == 0 || n > MOTOR_MAX)
        return;
    Ser_req_ptr r = Ser_req_new(SerCmd::WriteMotor, n);
    std::memcpy(payload(*r), bytes, n);
    Seriale_push(std::move(r));
}

bool Sertx_gen_changed(uint8_t& id, uint16_t& value)
{
    SignalGeneratorRec& g = SignalGenerator;
    const uint8_t on = g.on.load() ? 1 : 0;
    if (on != g.sent_on.load()) {
        g.sent_on.store(on);
        id = 1;
        value = on;
        return true;
    }
    const uint8_t wave = g.waveform.load();
    if (wave != g.sent_waveform.load()) {
        g.sent_waveform.store(wave);
        id = 2;
        value = wave;
        return true;
    }
    for (uint8_t i = 0; i < 3; ++i) {
        const uint16_t v = g.item[i].load();
        if (v != g.sent_item[i].load()) {
            g.sent_item[i].store(v);
            id = static_cast<uint8_t>(3 + i);
            value = v;
            return true;
        }
    }
    return false;
}

void Sertx_scope_ack(uint16_t position)
{
    if (!Sertx_ready())
        return;
    uint8_t id = 0;
    uint16_t value = 0;
    // A switch-off made as the panel closed still reaches the drive while sampling.
    const SignalGeneratorRec& g = SignalGenerator;
    const bool on_pending = (g.on.load() ? 1 : 0) != g.sent_on.load();
    const bool extra = (OscxPidOpen.load() || on_pending) && Sertx_gen_changed(id, value);
    Ser_req_ptr r = Ser_req_new(SerCmd::ScopeAck, extra ? 5 : 2);
    uint8_t* p = payload(*r);
    put16(p, ScopeStream.position);
    if (extra) {
        p[2] = id;
        put16(p + 3, value);
    }
    Seriale_push(std::move(r), 0, position);
}

void Sertx_scope_start()
{
    if (!Sertx_ready())
        return;
    Ser_req_ptr r = Ser_req_new(SerCmd::ScopeStart, SCOPE_CHANNELS + 2);
    uint8_t* p = payload(*r);
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch) {
        const ScopeSignal* sig = Scope_signal_at(ScopeSettings.channel[ch].signal_index);
        p[ch] = sig != nullptr ? static_cast<uint8_t>(sig->code) : 0;
    }
    put16(p + SCOPE_CHANNELS, ScopeSettings.sample_time);
    // The receive thread resets the stream when the reply comes; replies of an earlier capture
    // handled meanwhile yield only their status slice.
    ScopeStream.restart.store(1);
    Seriale_push(std::move(r));
}

void Sertx_signal_gen(uint8_t field)
{
    if (!Sertx_ready() || ScopeCaptureOn.load() || field > GEN_FIELD_LAST)
        return;
    SignalGeneratorRec& g = SignalGenerator;
    const uint8_t on = g.on.load() ? 1 : 0;
    const uint8_t wave = g.waveform.load();
    const uint16_t items[3] = {g.item[0].load(), g.item[1].load(), g.item[2].load()};
    if (field == 0) {
        Ser_req_ptr r = Ser_req_new(SerCmd::SignalGen, 9);
        uint8_t* p = payload(*r);
        p[0] = 0;
        p[1] = on;
        p[2] = wave;
        for (unsigned i = 0; i < 3; ++i)
            put16(p + 3 + 2 * i, items[i]);
        g.sent_on.store(on);
        g.sent_waveform.store(wave);
        for (unsigned i = 0; i < 3; ++i)
            g.sent_item[i].store(items[i]);
        Seriale_push(std::move(r));
        return;
    }
    uint16_t value = 0;
    if (field == 1) {
        value = on;
        g.sent_on.store(on);
    } else if (field == 2) {
        value = wave;
        g.sent_waveform.store(wave);
    } else {
        value = items[field - 3];
        g.sent_item[field - 3].store(value);
    }
    push_bytes(SerCmd::SignalGen, {field, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
}

void Sertx_write_id_block(uint16_t offset, uint16_t id, uint16_t& chunk, uint16_t total, const uint8_t* data,
                          uint8_t flag)
{
    if (!Sertx_ready() || data == nullptr || offset >= total)
        return;
    const uint16_t rest = total - offset;
    chunk = std::min(rest, ID_CHUNK_MAX);
    uint8_t flags = rest <= ID_CHUNK_MAX ? ChunkFlag::Last : ChunkFlag::More;
    if (flag)
        flags |= ChunkFlag::IdFirst;
    Ser_req_ptr r = Ser_req_new(SerCmd::IdBlock, chunk + 4u);
    uint8_t* p = payload(*r);
    put16(p, id);
    p[2] = static_cast<uint8_t>(chunk);
    p[3] = flags;
    std::memcpy(p + 4, data + offset, chunk);
    Seriale_push(std::move(r));
}

// ---- read list ----

ListSend Sertx_send_read_list(const PollItem* list, uint16_t n, bool counted)
{
    if (!Sertx_ready() || !(Ser_data_flags.load(std::memory_order_acquire) & DataFlag::ListReads))
        return ListSend::Nothing;
    if (list == nullptr || n == 0)
        return ListSend::Nothing;
    n = std::min(n, SER_READ_LIST_MAX);
    const uint32_t session = Serrx_session();
    std::lock_guard<std::mutex> hold(read_list_lock);
    if (read_list.list != nullptr || read_list.count != 0)
        return ListSend::Refused;
    const uint16_t bus_type = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType);
    const uint8_t count_byte = static_cast<uint8_t>(Busx_bus_class(bus_type) << 6 | n);
    Ser_req_ptr r = Ser_req_new(SerCmd::ReadList, 1u + 3u * n);
    uint8_t* p = payload(*r);
    p[0] = count_byte;
    for (uint16_t i = 0; i < n; ++i) {
        put16(p + 1 + 3 * i, list[i].key);
        p[3 + 3 * i] = list[i].subindex;
    }
    Ser_read_list pending;
    make_read_list(list, n, count_byte, pending);
    pending.counted = counted;
    pending.session = session;
    if (!Seriale_push(std::move(r)))
        return ListSend::Refused;  // nothing is outstanding
    read_list = pending;
    return ListSend::Sent;
}

bool Sertx_read_var_list(const PollItem* list, uint16_t n, bool counted)
{
    return Sertx_send_read_list(list, n, counted) != ListSend::Refused;
}

bool Sertx_take_read_list(Ser_read_list& out)
{
    std::lock_guard<std::mutex> hold(read_list_lock);
    if (read_list.list == nullptr && read_list.count == 0)
        return false;
    out = read_list;
    read_list = NO_READ_LIST;
    storing = true;
    return true;
}

void Sertx_read_list_stored()
{
    std::lock_guard<std::mutex> hold(read_list_lock);
    storing = false;
    read_list_done.notify_all();
}

bool Sertx_wait_read_list(int32_t timeout_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::unique_lock<std::mutex> hold(read_list_lock);
    while (read_list.list != nullptr || read_list.count != 0 || storing)
        if (read_list_done.wait_until(hold, end) == std::cv_status::timeout)
            return false;
    return true;
}

bool Sertx_read_list_outstanding()
{
    std::lock_guard<std::mutex> hold(read_list_lock);
    return read_list.list != nullptr || read_list.count != 0;
}

void Sertx_forget_read_list()
{
    std::lock_guard<std::mutex> hold(read_list_lock);
    read_list = NO_READ_LIST;
    storing = false;
    read_list_done.notify_all();
}
