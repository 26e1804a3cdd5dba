// Scope personality of the drive simulator: the capture start, the compressed sample stream and
// its acknowledgements, written from the stream's description (nothing of src/ is linked).
#include "DriveSim.h"

#include <deque>
#include <stdexcept>

namespace {

constexpr std::size_t kMaxStreamBytes = 246;  // a reply of 255 bytes with a status slice
constexpr std::size_t kSliceBytes = 4;
constexpr std::uint8_t kStatusSlices = 7;
constexpr std::uint8_t kFlagOverflow = 0x10;
constexpr std::uint8_t kFlagStatus = 0x40;
constexpr unsigned kChannels = 4;

std::uint32_t le16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t be16(const std::uint8_t* p) { return p[0] << 8 | p[1]; }

// Narrowest code whose field holds the residual.
unsigned code_of(std::int32_t d)
{
    if (d >= -8 && d <= 7)
        return 0;
    if (d >= -64 && d <= 63)
        return 1;
    if (d >= -512 && d <= 511)
        return 2;
    return 3;
}
constexpr unsigned kWidth[4] = {4, 7, 10, 32};

}  // namespace

struct DriveSim::ScopeState {
    SimBytes start_reply = {0x10, 0x27, 0x00, 0x01};
    ScopeGenerator generator;
    std::size_t stream_bytes = 64;
    std::uint64_t overflow_after = 0;
    std::uint64_t sample_limit = 0;
    int slice_request = -1;
    bool status_request = false;
    bool paced = false;

    bool started = false;
    SimClock::time_point start_at{};
    SimBytes codes = SimBytes(kChannels, 0);
    std::uint16_t sampling = 0;
    std::uint8_t next_slice = 0;
    std::int32_t history[3][kChannels] = {};
    std::uint64_t acc = 0;  // bits not yet a whole byte
    unsigned acc_bits = 0;
    std::deque<std::uint8_t> bytes;       // whole stream bytes not yet sent
    std::deque<std::uint64_t> ends;       // stream bit count at the end of each sample not yet sent
    std::uint64_t bits_total = 0;
    std::uint64_t generated = 0;
    std::uint64_t samples_sent = 0;
    std::uint64_t sent = 0;  // stream bytes sent since the start
    std::size_t acks = 0;

    std::uint32_t modulus() const
    {
        const std::uint32_t m = le16(start_reply.data());
        return m != 0 ? m : 65536;
    }

    void put(std::uint32_t v, unsigned w)
    {
        for (unsigned i = 0; i < w; ++i) {
            acc |= std::uint64_t{(v >> i) & 1u} << acc_bits;
            if (++acc_bits == 8) {
                bytes.push_back(static_cast<std::uint8_t>(acc));
                acc = 0;
                acc_bits = 0;
            }
        }
        bits_total += w;
    }

    void encode_one()
    {
        std::int32_t d[kChannels];
        unsigned code[kChannels];
        for (unsigned ch = 0; ch < kChannels; ++ch) {
            const std::int32_t x = generator ? generator(ch, generated) : 0;
            const std::uint32_t x1 = static_cast<std::uint32_t>(history[0][ch]);
            const std::int32_t diff = static_cast<std::int32_t>(x1 - static_cast<std::uint32_t>(history[2][ch]));
            const std::uint32_t predicted = x1 + static_cast<std::uint32_t>(diff >> 1);
            d[ch] = static_cast<std::int32_t>(static_cast<std::uint32_t>(x) - predicted);
            code[ch] = code_of(d[ch]);
            history[2][ch] = history[1][ch];
            history[1][ch] = history[0][ch];
            history[0][ch] = x;
        }
        for (unsigned ch = 0; ch < kChannels; ++ch)
            put(code[ch], 2);
        for (unsigned ch = 0; ch < kChannels; ++ch)
            put(static_cast<std::uint32_t>(d[ch]), kWidth[code[ch]]);
        ends.push_back(bits_total);
        ++generated;
    }

    // Samples the drive has taken by now.
    std::uint64_t due(SimClock::time_point now) const
    {
        std::uint64_t n = UINT64_MAX;
        if (paced) {
            const auto period = std::chrono::milliseconds(sampling + 1);
            n = static_cast<std::uint64_t>((now - start_at) / period);
        }
        if (sample_limit != 0)
            n = std::min(n, sample_limit);
        if (overflow_after != 0)
            n = std::min(n, overflow_after);
        return n;
    }
};

DriveSim::ScopeState& DriveSim::scope()
{
    if (!scope_mode_)
        scope_mode_ = std::make_shared<ScopeState>();
    return *scope_mode_;
}

SimBytes DriveSim::scope_start(const SimBytes& f, SimClock::time_point now)
{
    ScopeState& s = scope();
    ScopeState fresh;
    fresh.start_reply = s.start_reply;
    fresh.generator = s.generator;
    fresh.stream_bytes = s.stream_bytes;
    fresh.overflow_after = s.overflow_after;
    fresh.sample_limit = s.sample_limit;
    fresh.paced = s.paced;
    fresh.started = true;
    fresh.start_at = now;
    fresh.codes.assign(f.begin() + 2, f.begin() + 6);
    fresh.sampling = static_cast<std::uint16_t>(be16(f.data() + 6));
    s = std::move(fresh);
    return s.start_reply;
}

SimBytes DriveSim::scope_data(const SimBytes& f, SimClock::time_point now)
{
    ScopeState& s = scope();
    if (!s.started)
        return {0x00};  // no capture: no samples
    const std::uint32_t acked = be16(f.data() + 2);
    ++s.acks;
    if (acked != s.sent % s.modulus())
        add_violation("command 11: acknowledged position " + std::to_string(acked) + ", stream bytes sent " +
                      std::to_string(s.sent) + " modulo " + std::to_string(s.modulus()));

    std::uint8_t slice = s.next_slice;
    if (s.slice_request >= 0) {
        slice = static_cast<std::uint8_t>(s.slice_request);
        s.slice_request = -1;
    } else {
        s.next_slice = static_cast<std::uint8_t>((s.next_slice + 1) % kStatusSlices);
    }
    std::uint8_t flags = slice & 0x0F;
    if (s.status_request) {
        flags |= kFlagStatus;
        s.status_request = false;
    }
    const std::uint64_t due = s.due(now);
    const bool overflow = s.overflow_after != 0 && due >= s.overflow_after;
    if (overflow)
        flags |= kFlagOverflow;
    SimBytes out = {flags};
    if (slice < kStatusSlices) {
        const SimBytes st = status_now(now);
        out.insert(out.end(), st.begin() + kSliceBytes * slice, st.begin() + kSliceBytes * (slice + 1));
    }
    if (overflow)
        return out;
    while (s.generated < due && s.bytes.size() < s.stream_bytes)
        s.encode_one();
    const std::size_t n = std::min(s.stream_bytes, s.bytes.size());
    out.insert(out.end(), s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    s.bytes.erase(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    s.sent += n;
    while (!s.ends.empty() && s.ends.front() <= s.sent * 8) {
        s.ends.pop_front();
        ++s.samples_sent;
    }
    return out;
}

void DriveSim::scope_set_start_reply(const SimBytes& four)
{
    if (four.size() != 4)
        throw std::invalid_argument("scope start reply: 4 bytes");
    std::lock_guard lk(mu_);
    scope().start_reply = four;
}

void DriveSim::scope_set_generator(ScopeGenerator g)
{
    std::lock_guard lk(mu_);
    scope().generator = std::move(g);
}

void DriveSim::scope_set_stream_bytes(std::size_t n)
{
    if (n > kMaxStreamBytes)
        throw std::invalid_argument("scope stream bytes: at most 246");
    std::lock_guard lk(mu_);
    scope().stream_bytes = n;
}

void DriveSim::scope_set_overflow_after(std::uint64_t samples)
{
    std::lock_guard lk(mu_);
    scope().overflow_after = samples;
}

void DriveSim::scope_set_samples(std::uint64_t n)
{
    std::lock_guard lk(mu_);
    scope().sample_limit = n;
}

void DriveSim::scope_request_slice(std::uint8_t slice)
{
    std::lock_guard lk(mu_);
    scope().slice_request = slice & 0x0F;
}

void DriveSim::scope_request_status()
{
    std::lock_guard lk(mu_);
    scope().status_request = true;
}

void DriveSim::scope_set_line_pacing(bool on)
{
    std::lock_guard lk(mu_);
    scope().paced = on;
}

SimBytes DriveSim::scope_codes() const
{
    std::lock_guard lk(mu_);
    return scope_mode_ ? scope_mode_->codes : SimBytes(kChannels, 0);
}

std::uint16_t DriveSim::scope_sampling() const
{
    std::lock_guard lk(mu_);
    return scope_mode_ ? scope_mode_->sampling : 0;
}

std::uint64_t DriveSim::scope_samples_sent() const
{
    std::lock_guard lk(mu_);
    return scope_mode_ ? scope_mode_->samples_sent : 0;
}

std::uint64_t DriveSim::scope_stream_sent() const
{
    std::lock_guard lk(mu_);
    return scope_mode_ ? scope_mode_->sent : 0;
}

std::size_t DriveSim::scope_acks_checked() const
{
    std::lock_guard lk(mu_);
    return scope_mode_ ? scope_mode_->acks : 0;
}
