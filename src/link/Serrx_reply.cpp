// Reply handlers of the receive thread. Each stores what the drive sent, then (in the caller)
// the send thread is woken. Numbers are big-endian except the capture-start values and the
// read-list values. A handler never reads past the payload: missing numbers count as 0 and
// copies stop at the payload end; the procedure sub-replies store only the fields a frame holds
// whole.
#include <algorithm>
#include <cstring>

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Messaggi.h"
#include "drivedata/Record.h"
#include "link/Fieldbus_link.h"
#include "link/Scope_link.h"
#include "link/Seriale.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "link/Tools_link.h"

Ser_write_ack_rec Ser_write_ack;
BlockTxInfoRec BlockTxInfo;
uint8_t I2tMonitorBytes[2] = {};
char DriveDeviceName[32] = {};
char DriveSoftwareName[32] = {};
uint8_t Ser_scope_status[DRIVE_STATUS_BLOCK_LEN] = {};
std::atomic<uint8_t> PageRefreshByte{0};
std::atomic<uint32_t> Ser_list_reply_count{0};
std::atomic<uint32_t> Ser_list_write_mark{0};
std::atomic<uint16_t> Ser_progress_mark{0};

namespace {

// Bounds-checked view of a reply payload.
class Payload {
public:
    // The payload of a frame of len bytes.
    Payload(const uint8_t* frame, uint16_t len)
        : p_(frame + 2), n_(len >= SER_FRAME_MIN ? len - SER_FRAME_MIN : 0)
    {
    }

    std::size_t size() const { return n_; }
    const uint8_t* data() const { return p_; }
    uint8_t u8(std::size_t i) const { return i < n_ ? p_[i] : 0; }
    uint16_t be16(std::size_t i) const { return static_cast<uint16_t>(u8(i) << 8 | u8(i + 1)); }
    uint16_t le16(std::size_t i) const { return static_cast<uint16_t>(u8(i + 1) << 8 | u8(i)); }
    uint32_t be32(std::size_t i) const { return uint32_t{be16(i)} << 16 | be16(i + 2); }
    bool holds(std::size_t i, std::size_t n) const { return i + n <= n_; }
    // Copies up to n bytes from i; returns how many were there.
    std::size_t copy(uint8_t* dst, std::size_t i, std::size_t n) const
    {
        const std::size_t have = i < n_ ? std::min(n, n_ - i) : 0;
        if (have)
            std::memcpy(dst, p_ + i, have);
        return have;
    }
    // Copies exactly n bytes from i, missing ones as 0.
    void copy_padded(uint8_t* dst, std::size_t i, std::size_t n) const
    {
        const std::size_t have = copy(dst, i, n);
        std::memset(dst + have, 0, n - have);
    }
    // The payload from byte i on.
    Payload from(std::size_t i) const
    {
        const std::size_t at = std::min(i, n_);
        Payload rest = *this;
        rest.p_ += at;
        rest.n_ -= at;
        return rest;
    }

private:
    const uint8_t* p_;
    std::size_t n_;
};

constexpr uint16_t IDENT_FRAME_MIN = SER_FRAME_MIN + DRIVE_IDENT_LEN;  // 56
constexpr std::size_t DEVICE_NAME_LEN = 32;

void set_data_flag(uint8_t bit)
{
    Ser_data_flags.fetch_or(bit, std::memory_order_release);
}

void decode_status(const Payload& p)
{
    uint8_t raw[DRIVE_STATUS_BLOCK_LEN];
    p.copy_padded(raw, 0, sizeof raw);
    Serrx_status_decode(raw, sizeof raw);
}

bool write_block_advance(bool by_id)
{
    Ser_block_job_rec& job = Ser_block_job;
    const uint16_t chunk = job.chunk.load();
    const uint16_t offset = static_cast<uint16_t>(job.offset.load() + chunk);
    job.offset.store(offset);
    if (!by_id) {
        if (offset < job.end.load()) {
            Sertx_write_block(job, 0);
            Ser_chunk_sent.store(1);
        }
        return true;
    }
    const uint16_t id = static_cast<uint16_t>(job.block_id.load() + chunk);
    job.block_id.store(id);
    const uint16_t total = std::min<uint16_t>(job.length.load(), DRIVE_RECORD_SIZE);
    if (offset < total) {
        uint16_t next = 0;
        Sertx_write_id_block(offset, id, next, total, job.data, 0);
        job.chunk.store(next);
        Ser_chunk_sent.store(1);
    }
    return true;
}

// ---- information sub-replies (after the status block) ----

void info_block_tx(const Payload& s)
{
    BlockTxInfo.first.store(s.be16(0));
    BlockTxInfo.progress.store(s.be16(2));
    s.copy_padded(BlockTxInfo.extra, 4, sizeof BlockTxInfo.extra);
    Ser_block_job.progress.store(s.be16(2));
    set_data_flag(DataFlag::InfoSub1);
}

// Stores a procedure field only when the frame holds it whole.
void store_u8(const Payload& s, std::size_t i, std::atomic<uint8_t>& field)
{
    if (s.holds(i, 1))
        field.store(s.u8(i));
}

void store_be16(const Payload& s, std::size_t i, std::atomic<uint16_t>& field)
{
    if (s.holds(i, 2))
        field.store(s.be16(i));
}

void info_calibration(const Payload& s)
{
    Proc_reply_begin();
    store_u8(s, 0, CalibReply.CalibPhase);
    store_u8(s, 1, CalibReply.CalibPolePairs);
    store_be16(s, 2, CalibReply.CalibPosition);
    store_u8(s, 4, DriveProcMode);
    Proc_reply_end();
    set_data_flag(DataFlag::ProcReply);
}

void info_name(const Payload& s, Loc var)
{
    const std::size_t n = std::min<std::size_t>(s.u8(0), DEVICE_NAME_LEN);
    DriveText text{};
    s.copy(reinterpret_cast<uint8_t*>(text.c), 1, n);
    Ds301Identity_store_text(var, text);
}

void info_store_state(const Payload& s)
{
    for (unsigned i = 0; i < 3; ++i) {
        const std::size_t at = 8 * i;
        Ds301StoreState[i] = {s.be32(at), s.be16(at + 4), s.be16(at + 6)};
    }
}

void info_zeroing(const Payload& s, std::atomic<uint8_t>& phase)
{
    Proc_reply_begin();
    store_u8(s, 0, phase);
    store_u8(s, 1, DriveProcMode);
    store_be16(s, 2, ZeroingReply.ZeroingOffset);
    store_be16(s, 4, ZeroingReply.ZeroingAngle);
    Proc_reply_end();
    set_data_flag(DataFlag::ProcReply);
}

void info_cogging(const Payload& s)
{
    CoggingMonitorRec& m = CoggingMonitor;
    Proc_reply_begin();
    store_u8(s, 0, m.phase);
    store_u8(s, 1, DriveProcMode);
    store_be16(s, 2, m.position);
    if (s.holds(4, 4))
        m.counter.store(static_cast<int32_t>(s.be32(4)));
    store_be16(s, 8, m.index);
    if (s.holds(10, 2)) {
        const uint16_t count = s.be16(10);
        m.count.store(count);
        if (count != 0 && s.holds(8, 2)) {
            const Payload entries = s.from(12);
            const std::size_t n = std::min<std::size_t>(std::size_t{count} + 1, entries.size());
            if (n != 0) {
                Cogging_stage(s.be16(8), entries.data(), n);
                m.flags.fetch_or(CoggingFlag::TableArrived, std::memory_order_release);
            }
        }
    }
    Proc_reply_end();
    set_data_flag(DataFlag::ProcReply);
}

void info_sub(uint8_t sub, const Payload& s)
{
    switch (sub) {
    case 1: info_block_tx(s); break;
    case 2: info_calibration(s); break;
    case 3: s.copy_padded(I2tMonitorBytes, 0, sizeof I2tMonitorBytes); break;
    case 4: info_name(s, LiveLoc::DeviceName); break;
    case 5: info_name(s, LiveLoc::SwVersion); break;
    case 6: info_store_state(s); break;
    case 7: FieldBusInfoByte.store(s.u8(0)); break;
    case 8: info_zeroing(s, ZeroingReply.ZeroingPhase); break;
    case 9: info_cogging(s); break;
    case 10: info_zeroing(s, AbsZeroingReply.AbsZeroingPhase); break;
    default: break;
    }
}

// ---- scope stream ----

constexpr std::size_t SCOPE_SLICE = 4;
constexpr uint16_t SCOPE_LOAD_REDRAW = 65535;
constexpr uint16_t SCOPE_ACK_BEHIND = 3;  // from this queue length the ack goes in third
constexpr uint32_t SCALE_FACTOR = 46341;
constexpr uint32_t SCALE_DENOMINATOR = 6553600;

// Copies the slice's bytes into the status area (never at or past its end) and decodes the area
// once the copy position has reached its end (slices 7 to 15 copy nothing and decode); returns
// the bytes taken from the payload.
std::size_t scope_status_slice(const Payload& p, uint8_t slice)
{
    const std::size_t first = SCOPE_SLICE * slice;
    std::size_t got = 0;
    if (first < DRIVE_STATUS_BLOCK_LEN)
        got = p.copy(Ser_scope_status + first, 1, std::min(SCOPE_SLICE, DRIVE_STATUS_BLOCK_LEN - first));
    if (first + got >= DRIVE_STATUS_BLOCK_LEN)
        Serrx_status_decode(Ser_scope_status, sizeof Ser_scope_status);
    return got;
}

// ---- read list ----

void store_list_values(const Ser_read_list& list, const Payload& p)
{
    const uint32_t mask = p.be32(0);
    std::size_t at = 4;
    for (uint16_t i = 0; i < list.count; ++i) {
        if (!(mask & (1u << (i % 32))))
            continue;
        const Ser_read_item& item = list.item[i];
        uint8_t value[4];
        if (item.size > sizeof value || p.copy(value, at, item.size) != item.size)
            return;  // the payload ends before this value
        if (uint8_t* dst = Loc_ptr_n(item.readback, item.size)) {
            std::memcpy(dst, value, item.size);
            Ds301Identity_note(item.readback, list.session);
        }
        at += item.size;
    }
}

}  // namespace

int32_t Serrx_scope_rebuild(int32_t d, int32_t x1, int32_t x3)
{
    const int32_t diff = static_cast<int32_t>(static_cast<uint32_t>(x1) - static_cast<uint32_t>(x3));
    return static_cast<int32_t>(static_cast<uint32_t>(d) + static_cast<uint32_t>(x1) +
                                static_cast<uint32_t>(diff >> 1));
}

void Serrx_commit_image()
{
    uint8_t* rx = DriveRecordRx.b;
    Init_swap_image(rx);
    if (rx[RecOfs::VersionMajor] == 0) {
        rx[RecOfs::VersionMajor] = ProgramVersion.major;
        rx[RecOfs::VersionMinor] = ProgramVersion.minor;
    }
    const bool committed = Serrx_post_image(DriveRecordRx, Ser_image_read_pos.session.load());
    Ser_progress_mark.store(static_cast<uint16_t>(Seriale_count() + 1));
    Ser_image_read_pos.active.store(0);
    if (committed)
        set_data_flag(DataFlag::ImageRead);
}

bool Serrx_reply_status(const uint8_t* frame, uint16_t len)
{
    decode_status(Payload(frame, len));
    return true;
}

bool Serrx_reply_terminal(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    Messaggi_drive_text(p.data(), p.size());
    return true;
}

bool Serrx_reply_read_block(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    const uint16_t offset = Ser_image_read_pos.offset.load();
    const uint16_t count = Ser_image_read_pos.count.load();
    if (!Ser_image_read_pos.active.load() || count == 0 || p.size() != count ||
        std::size_t{offset} + count > DRIVE_RECORD_SIZE)
        return false;  // no image read waits for these bytes
    std::memcpy(DriveRecordRx.b + offset, p.data(), count);
    const uint16_t next = static_cast<uint16_t>(offset + count);
    Ser_image_read_pos.offset.store(next);
    if (next < DRIVE_RECORD_SIZE) {
        uint16_t rest = static_cast<uint16_t>(DRIVE_RECORD_SIZE - next);
        Sertx_read_block(next, rest);
        Ser_image_read_pos.count.store(rest);
    } else {
        Serrx_commit_image();
    }
    return true;
}

bool Serrx_reply_write_var(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    Ser_write_ack.index.store(p.be16(0));
    Ser_write_ack.subindex.store(p.u8(2));
    Ser_write_ack.flag.store(1, std::memory_order_release);
    return true;
}

bool Serrx_reply_alarm_mem(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    Ser_alarm_mem_rec mem;
    p.copy_padded(mem.entries, 0, sizeof mem.entries);
    mem.last = p.u8(sizeof mem.entries);
    if (Serrx_post_alarm_mem(mem))
        set_data_flag(DataFlag::AlarmMem);
    return true;
}

bool Serrx_reply_write_block(const uint8_t*, uint16_t)
{
    return write_block_advance(false);
}

bool Serrx_reply_write_block2(const uint8_t* frame, uint16_t len)
{
    return Serrx_reply_write_block(frame, len);
}

bool Serrx_reply_id_block(const uint8_t*, uint16_t)
{
    return write_block_advance(true);
}

bool Serrx_reply_info(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    decode_status(p.from(1));
    info_sub(p.u8(0), p.from(1 + DRIVE_STATUS_BLOCK_LEN));
    return true;
}

bool Serrx_reply_ident_frame(const uint8_t* frame, uint16_t len)
{
    if (len < IDENT_FRAME_MIN)
        return false;
    const Payload p(frame, len);
    return Serrx_reply_ident(p.data(), p.size());
}

bool Serrx_reply_scope_data(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    if (p.size() == 0)
        return true;
    const uint8_t flags = p.u8(0);
    const std::size_t used = 1 + scope_status_slice(p, flags & ScopeReply::SliceMask);
    ScopeStreamState& s = ScopeStream;
    if (s.restart.load())
        return true;  // a reply of the capture before the start now queued
    s.reply_flags.store(static_cast<uint8_t>(flags | (s.reply_flags.load() & ScopeReply::Overflow)));
    const std::size_t data_len = p.size() - used;
    if (s.modulus != 0)
        s.position = static_cast<uint16_t>(Fz_cmp_add_mod(s.position, data_len % s.modulus, s.modulus));
    else
        s.position = static_cast<uint16_t>(s.position + data_len);
    const bool overflow = flags & ScopeReply::Overflow;
    if (data_len != 0 && !overflow)
        Scope_stream_take(p.data() + used, data_len);
    if (flags & ScopeReply::StatusWanted)
        Sertx_read_status();
    if (overflow) {
        ScopeLoadShown.store(SCOPE_LOAD_REDRAW);
        ScopeCaptureOn.store(0);
    } else if (ScopeCaptureOn.load()) {
        Sertx_scope_ack(Seriale_count() < SCOPE_ACK_BEHIND ? 0 : 2);
    }
    return true;
}

bool Serrx_reply_scope_start(const uint8_t* frame, uint16_t len)
{
    const Payload p(frame, len);
    ScopeStreamState& s = ScopeStream;
    Scope_stream_reset();
    s.restart.store(0);
    s.modulus = p.le16(0);
    s.scale = p.le16(2);
    const uint32_t num = (((uint32_t{s.scale} * SCALE_FACTOR) >> 8) + 1) >> 1;
    for (uint16_t i = 0; ScopeSignalTable.entries != nullptr && i < ScopeSignalTable.count; ++i) {
        ScopeSignal& sig = ScopeSignalTable.entries[i];
        if (sig.current == 1)
            Scope_signal_set_ratio(sig, num, SCALE_DENOMINATOR);
    }
    Sertx_scope_ack(0);
    return true;
}

bool Serrx_reply_var_list(const uint8_t* frame, uint16_t len)
{
    Ser_read_list list;
    if (Sertx_take_read_list(list)) {
        store_list_values(list, Payload(frame, len));
        if (list.counted)
            Ser_list_reply_count.fetch_add(1, std::memory_order_release);
        Sertx_read_list_stored();
    }
    return true;
}
