// DriveSim: request checks and the drive's answers.
#include "DriveSim.h"

#include <algorithm>

namespace {

unsigned be16(const std::uint8_t* p)
{
    return static_cast<unsigned>(p[0]) << 8 | p[1];
}

void put_be16(SimBytes& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

bool is_write(int cmd)
{
    return cmd == 4 || cmd == 6 || cmd == 9;
}

// Sizes of the information sub-replies after the status block, filled with zeros when the
// test set none (sub-code 1 is computed from the block transfer).
std::size_t default_info_size(std::uint8_t sub)
{
    static const std::uint8_t sizes[11] = {0, 8, 5, 2, 1, 1, 24, 1, 6, 12, 6};
    return sub < 11 ? sizes[sub] : 0;
}

}  // namespace

std::string DriveSim::check_request(const SimBytes& f) const
{
    const std::size_t n = f.size();
    const int cmd = f[1];
    const std::uint8_t* p = f.data() + 2;
    auto err = [cmd](const std::string& s) { return "command " + std::to_string(cmd) + ": " + s; };
    auto want = [&](std::size_t len) {
        return n == len ? std::string() : err("frame of " + std::to_string(n) + " bytes, expected " + std::to_string(len));
    };
    if (is_write(cmd) && reported_hold_)
        return err("write sent while the drive reports status bit 3");
    switch (cmd) {
    case 0:
    case 5:
        return want(4);
    case 1:
        return want(5);
    case 3: {
        if (auto e = want(7); !e.empty())
            return e;
        unsigned off = be16(p), count = p[2];
        if (count == 0 || count > 251)
            return err("block read of " + std::to_string(count) + " bytes");
        if (off + count > kImageSize)
            return err("block read " + std::to_string(off) + " + " + std::to_string(count) + " beyond 2412");
        return {};
    }
    case 4:
        return want(12);
    case 6:
    case 18: {
        const unsigned max_chunk = cmd == 6 ? 245 : 240, first_flag = cmd == 6 ? 8 : 4;
        if (n < 8)
            return err("frame of " + std::to_string(n) + " bytes, below 8");
        unsigned chunk = p[2], flags = p[3];
        if (n != chunk + 8)
            return err("frame of " + std::to_string(n) + " bytes for a chunk of " + std::to_string(chunk));
        if (chunk == 0 || chunk > max_chunk)
            return err("chunk of " + std::to_string(chunk) + " bytes");
        if (cmd == 6 && be16(p) + chunk > kImageSize)
            return err("block write " + std::to_string(be16(p)) + " + " + std::to_string(chunk) + " beyond 2412");
        if ((flags & ~(3u | first_flag)) != 0 || ((flags & 3) != 1 && (flags & 3) != 2))
            return err("chunk flags " + std::to_string(flags));
        return {};
    }
    case 7:
        if (auto e = want(5); !e.empty())
            return e;
        return p[0] >= 1 && p[0] <= 10 ? std::string() : err("information sub-code " + std::to_string(p[0]));
    case 8:
        if (auto e = want(6); !e.empty())
            return e;
        return p[0] <= 9 ? std::string() : err("drive function code " + std::to_string(p[0]));
    case 9:
        return n >= 5 ? std::string() : err("motor write without data");
    case 10:
        return want(6);
    case 11:
        return n == 6 || n == 9 ? std::string() : err("frame of " + std::to_string(n) + " bytes, expected 6 or 9");
    case 12:
        return want(10);
    case 14:
        if (n < 5)
            return err("frame without field byte");
        if (p[0] == 0)
            return want(13);
        return p[0] <= 5 ? want(7) : err("signal generator field " + std::to_string(p[0]));
    case 30: {
        if (n < 5)
            return err("frame without count byte");
        unsigned items = p[0] & 0x3F;
        if (items > 32)
            return err(std::to_string(items) + " list items, at most 32");
        return want(3 * items + 5);
    }
    default:
        return cmd >= 40 ? err("command code of 40 or above") : std::string();
    }
}

std::optional<DriveSim::Reply> DriveSim::answer(const SimBytes& f, SimClock::time_point now)
{
    const std::uint8_t cmd = f[1];
    const std::uint8_t* p = f.data() + 2;
    const std::size_t payload_len = f.size() - 4;
    if (std::optional<Reply> r; cdx_answer(f, now, r))
        return r;
    if (boot_ && cmd != 0 && cmd != 10)  // the boot loader answers polls only
        return std::nullopt;
    std::optional<SimBytes> forced;
    if (auto q = queued_replies_.find(cmd); q != queued_replies_.end() && !q->second.empty()) {
        forced = std::move(q->second.front());
        q->second.pop_front();
    }

    Reply r{cmd, {}};
    switch (cmd) {
    case 0:
        if (!forced && !texts_.empty()) {
            r = {1, std::move(texts_.front())};
            texts_.pop_front();
        } else {
            r.payload = status_now(now);
        }
        break;
    case 1:
        r.payload = terminal_reply(p[0]);
        break;
    case 3: {
        unsigned off = be16(p);
        r.payload.assign(image_.begin() + off, image_.begin() + off + p[2]);
        break;
    }
    case 4:
        writes_.push_back({static_cast<std::uint16_t>(be16(p)), p[2], p[3], SimBytes(p + 4, p + 8)});
        r.payload = {p[0], p[1], p[2]};
        break;
    case 5:
        r.payload = alarm_mem_;
        break;
    case 6:
        block_write(f, now);
        break;
    case 7:
        r.payload = info_reply(p[0], now);
        break;
    case 8:
        procedure_function(p[0], p[1]);
        r.payload = {p[0], p[1]};
        break;
    case 9:
        motor_.assign(p, p + payload_len);
        transfer_ = Transfer{};
        transfer_.active = transfer_.complete = true;
        transfer_.received = transfer_.total = static_cast<unsigned>(payload_len);
        transfer_.store_start = now;
        transfer_.store_end = now + store_time_;
        break;
    case 10:
        reported_hold_ = false;  // the program starts over and knows no status yet
        r.payload = ident_;
        if (boot_)
            r.payload[15] |= 0x01;
        break;
    case 11:
        r.payload = scope_data(f, now);
        break;
    case 12:
        r.payload = scope_start(f, now);
        break;
    case 14:
    case 18:
        break;
    case 30:
        r.payload = read_list_reply(f);
        break;
    default:
        if (!forced)  // unknown command
            return std::nullopt;
        break;
    }
    if (forced)
        r = {cmd, std::move(*forced)};
    return r;
}

SimBytes DriveSim::status_now(SimClock::time_point now) const
{
    SimBytes s = status_;
    if (boot_)
        s[1] |= 0x05;
    if (hold_ || storing(now))
        s[1] |= 0x08;
    return s;
}

SimBytes DriveSim::terminal_reply(std::uint8_t ch)
{
    if (!texts_.empty()) {
        SimBytes m = std::move(texts_.front());
        texts_.pop_front();
        return m;
    }
    if (echo_)
        return SimTextMessage("%c").i32(ch).bytes();
    return SimBytes{0};
}

void DriveSim::procedure_function(std::uint8_t code, std::uint8_t value)
{
    if (!script_)
        return;
    if (value == 1 && code == script_->code) {
        script_->running = true;
        script_->stopped = false;
        script_->next = 0;
    } else if (value == 0 && script_->running && (code == script_->code || code == 0)) {
        script_->running = false;
        script_->stopped = true;
    }
}

std::optional<SimBytes> DriveSim::procedure_step(std::uint8_t sub)
{
    if (!script_ || sub != script_->sub || script_->steps.empty() || !(script_->running || script_->stopped))
        return std::nullopt;
    const std::size_t at = std::min(script_->next, script_->steps.size() - 1);
    SimBytes step = script_->steps[at];
    if (script_->running) {
        ++script_->next;
    } else {
        const std::size_t mode_at = sub == 2 ? 4 : 1;
        if (step.size() > mode_at)
            step[mode_at] = 0;
    }
    return step;
}

SimBytes DriveSim::info_reply(std::uint8_t sub, SimClock::time_point now)
{
    SimBytes out{sub};
    SimBytes st = status_now(now);
    out.insert(out.end(), st.begin(), st.end());
    if (auto step = procedure_step(sub)) {
        out.insert(out.end(), step->begin(), step->end());
    } else if (auto it = info_.find(sub); it != info_.end()) {
        out.insert(out.end(), it->second.begin(), it->second.end());
    } else if (sub == 1) {
        put_be16(out, transfer_.received);
        put_be16(out, progress_at(now));
        out.insert(out.end(), 4, 0);
    } else {
        out.insert(out.end(), default_info_size(sub), 0);
    }
    return out;
}

SimBytes DriveSim::read_list_reply(const SimBytes& f) const
{
    const unsigned items = f[2] & 0x3F;
    std::uint32_t mask = 0;
    SimBytes values;
    for (unsigned i = 0; i < items; ++i) {
        const std::uint8_t* it = f.data() + 3 + 3 * i;
        std::uint32_t key = be16(it) << 8 | it[2];
        auto v = list_values_.find(key);
        if (v == list_values_.end() || 4 + values.size() + v->second.size() > 251)
            continue;
        mask |= 1u << i;
        values.insert(values.end(), v->second.begin(), v->second.end());
    }
    SimBytes out;
    put_be16(out, mask >> 16);
    put_be16(out, mask & 0xFFFF);
    out.insert(out.end(), values.begin(), values.end());
    return out;
}

// Stores one chunk of a block write. A chunk with the start flag begins a transfer; a
// chunk equal to the previous one is a repeat and is not counted again; any other chunk
// must follow the previous one.
void DriveSim::block_write(const SimBytes& f, SimClock::time_point now)
{
    const std::uint8_t* p = f.data() + 2;
    const int off = static_cast<int>(be16(p)), len = p[2], flags = p[3];
    Transfer& t = transfer_;
    const bool repeat = t.active && off == t.last_offset && len == t.last_length;
    if (flags & 8) {
        t = Transfer{};
        t.active = true;
    } else if (!repeat) {
        if (!t.active || t.complete) {
            t = Transfer{};
            t.active = true;
        } else if (off != t.last_offset + t.last_length) {
            add_violation("command 6: chunk at " + std::to_string(off) + ", expected " +
                          std::to_string(t.last_offset + t.last_length));
        }
    }
    std::copy(p + 4, p + 4 + len, image_.begin() + off);
    if (!repeat || (flags & 8))
        t.received += static_cast<unsigned>(len);
    t.last_offset = off;
    t.last_length = len;
    if ((flags & 2) && !t.complete) {
        t.complete = true;
        t.total = t.received;
        t.store_start = now;
        t.store_end = now + store_time_;
    }
}

// Progress of the last block transfer: bytes received, then the storing phase, and
// 2 x total + 2 once the drive has stored everything.
unsigned DriveSim::progress_at(SimClock::time_point now) const
{
    const Transfer& t = transfer_;
    if (!t.complete)
        return t.received;
    const unsigned done = 2 * t.total + 2;
    if (now >= t.store_end)
        return done;
    auto span = std::chrono::duration<double>(t.store_end - t.store_start).count();
    auto gone = std::chrono::duration<double>(now - t.store_start).count();
    return std::min(done - 1, t.total + static_cast<unsigned>((t.total + 1) * gone / span));
}

bool DriveSim::storing(SimClock::time_point now) const
{
    return transfer_.complete && now < transfer_.store_end;
}
