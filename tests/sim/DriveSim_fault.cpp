// DriveSim: faults shaping a reply into what actually goes on the line.
#include "DriveSim.h"

#include <algorithm>

SimFault SimFault::split(std::vector<std::size_t> cut_offsets, int gap)
{
    SimFault f = make(SimFaultKind::Split, 0);
    f.cuts = std::move(cut_offsets);
    f.gap_ms = gap;
    return f;
}

SimFault SimFault::garbage_before(SimBytes b)
{
    SimFault f = make(SimFaultKind::GarbageBefore, 0);
    f.bytes = std::move(b);
    return f;
}

SimFault SimFault::garbage_after(SimBytes b)
{
    SimFault f = make(SimFaultKind::GarbageAfter, 0);
    f.bytes = std::move(b);
    return f;
}

std::vector<SimFault> DriveSim::take_faults(int cmd)
{
    std::vector<SimFault> out;
    for (auto it = faults_.begin(); it != faults_.end();) {
        if (it->command >= 0 && it->command != cmd) {
            ++it;
            continue;
        }
        if (it->skip > 0) {
            --it->skip;
            ++it;
            continue;
        }
        out.push_back(*it);
        if (it->count != SimFault::kForever && --it->count <= 0)
            it = faults_.erase(it);
        else
            ++it;
    }
    return out;
}

namespace {

bool has(const std::vector<SimFault>& faults, SimFaultKind k)
{
    return std::any_of(faults.begin(), faults.end(), [k](const SimFault& f) { return f.kind == k; });
}

const SimFault* find(const std::vector<SimFault>& faults, SimFaultKind k)
{
    for (const auto& f : faults)
        if (f.kind == k)
            return &f;
    return nullptr;
}

std::chrono::milliseconds ms(int n)
{
    return std::chrono::milliseconds(std::max(0, n));
}

// Frame defects, in a fixed order whatever the order the faults were added in.
// Returns false when the frame itself no longer is intact.
bool spoil_frame(SimBytes& frame, const std::vector<SimFault>& faults)
{
    bool intact = true;
    if (const SimFault* f = find(faults, SimFaultKind::BadCommand)) {
        frame[1] = static_cast<std::uint8_t>(f->amount);
        sim_restamp_crc(frame);
        intact = false;
    }
    if (const SimFault* f = find(faults, SimFaultKind::WrongLength)) {
        frame[0] = static_cast<std::uint8_t>(frame[0] + f->amount);
        sim_restamp_crc(frame);
        intact = false;
    }
    if (has(faults, SimFaultKind::BadCrc)) {
        frame[frame.size() - 2] ^= 0xFF;
        intact = false;
    }
    if (const SimFault* f = find(faults, SimFaultKind::Truncated)) {
        std::size_t cut = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, f->amount)), frame.size() - 1);
        frame.resize(frame.size() - cut);
        intact = false;
    }
    return intact;
}

}  // namespace

void DriveSim::schedule_reply(const SimBytes& request, std::uint32_t serial, const Reply& r,
                              std::vector<SimFault> faults, SimClock::time_point ready)
{
    // A serial drive answers in order: a reply held back holds back the replies after it (not
    // the extra copy of a doubled reply).
    auto enqueue = [this](Transmission t, bool reply = true) {
        if (reply) {
            t.ready = std::max(t.ready, last_reply_ready_);
            last_reply_ready_ = t.ready;
        }
        t.in_order = reply;
        auto pos = std::upper_bound(pending_.begin(), pending_.end(), t.ready,
                                    [](SimClock::time_point at, const Transmission& x) { return at < x.ready; });
        pending_.insert(pos, std::move(t));
    };
    for (const auto& f : faults)
        if (f.kind == SimFaultKind::Late)
            ready += ms(f.amount);
    if (has(faults, SimFaultKind::Silence)) {
        if (!has(faults, SimFaultKind::EchoFirst))
            return;
        auto entry = std::make_shared<SimLogEntry>();
        entry->dir = SimLogEntry::Reply;
        entry->bytes = request;
        entry->cmd = request[1];
        entry->serial = serial;
        Transmission t;
        t.ready = ready;
        t.segments.push_back({request, {}});
        t.entry = std::move(entry);
        enqueue(std::move(t));
        return;
    }

    SimBytes frame = sim_frame(r.cmd, r.payload);
    const bool intact = spoil_frame(frame, faults);
    SimBytes stream;
    for (const auto& f : faults)
        if (f.kind == SimFaultKind::GarbageBefore)
            stream.insert(stream.end(), f.bytes.begin(), f.bytes.end());
    const bool clean_start = stream.empty();
    stream.insert(stream.end(), frame.begin(), frame.end());
    for (const auto& f : faults)
        if (f.kind == SimFaultKind::GarbageAfter)
            stream.insert(stream.end(), f.bytes.begin(), f.bytes.end());

    Transmission t;
    t.ready = ready;
    SimBytes logged;
    if (const SimFault* echo = find(faults, SimFaultKind::EchoFirst)) {
        logged = request;
        if (echo->amount > 0)
            t.segments.push_back({request, {}});
        else
            stream.insert(stream.begin(), request.begin(), request.end());
    }
    logged.insert(logged.end(), stream.begin(), stream.end());
    if (const SimFault* sp = find(faults, SimFaultKind::Split)) {
        std::vector<std::size_t> cuts = sp->cuts.empty() ? std::vector<std::size_t>{stream.size() / 2} : sp->cuts;
        std::sort(cuts.begin(), cuts.end());
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            if (cut <= from || cut >= stream.size())
                continue;
            t.segments.push_back({SimBytes(stream.begin() + from, stream.begin() + cut), from ? ms(sp->gap_ms) : ms(0)});
            from = cut;
        }
        t.segments.push_back({SimBytes(stream.begin() + from, stream.end()), from ? ms(sp->gap_ms) : ms(0)});
    } else {
        t.segments.push_back({stream, {}});
    }
    if (const SimFault* echo = find(faults, SimFaultKind::EchoFirst); echo && echo->amount > 0)
        t.segments[1].gap += ms(echo->amount);

    if (intact && clean_start) {
        if (r.cmd == 0 && r.payload.size() >= 2)
            t.hold_report = (r.payload[1] & 0x08) != 0;
        else if (r.cmd == 7 && r.payload.size() >= 3)
            t.hold_report = (r.payload[2] & 0x08) != 0;
    }
    auto entry = std::make_shared<SimLogEntry>();
    entry->dir = SimLogEntry::Reply;
    entry->bytes = std::move(logged);
    entry->cmd = r.cmd;
    entry->serial = serial;
    for (const auto& f : faults)
        entry->faults.push_back(f.kind);
    t.entry = entry;
    if (const SimFault* held = find(faults, SimFaultKind::HeldAfter))
        t.after_previous = ms(held->amount);

    if (const SimFault* tw = find(faults, SimFaultKind::Twice)) {
        Transmission again = t;
        again.ready = ready + ms(tw->amount);
        again.entry = std::make_shared<SimLogEntry>(*entry);
        again.after_previous.reset();
        enqueue(std::move(t));
        enqueue(std::move(again), false);
        return;
    }
    enqueue(std::move(t));
}
