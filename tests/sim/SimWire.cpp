#include "SimWire.h"

#include <bit>
#include <cctype>
#include <cstring>
#include <stdexcept>

std::uint16_t sim_crc16(const std::uint8_t* data, std::size_t n)
{
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void sim_restamp_crc(SimBytes& frame)
{
    if (frame.size() < 2)
        return;
    std::uint16_t crc = sim_crc16(frame.data(), frame.size() - 2);
    frame[frame.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[frame.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
}

SimBytes sim_frame(std::uint8_t cmd, const SimBytes& payload)
{
    if (payload.size() > 251)
        throw std::invalid_argument("frame payload above 251 bytes");
    SimBytes f;
    f.reserve(payload.size() + 4);
    f.push_back(static_cast<std::uint8_t>(payload.size() + 4));
    f.push_back(cmd);
    f.insert(f.end(), payload.begin(), payload.end());
    f.resize(f.size() + 2);
    sim_restamp_crc(f);
    return f;
}

std::chrono::nanoseconds sim_wire_time(std::size_t bytes, std::uint32_t baud)
{
    if (baud == 0)
        return std::chrono::nanoseconds{0};
    long double ns = static_cast<long double>(bytes) * 10.0L * 1e9L / baud;
    return std::chrono::nanoseconds{static_cast<std::int64_t>(ns + 0.5L)};
}

std::string sim_hex(const SimBytes& b)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i)
            s += ' ';
        s += digits[b[i] >> 4];
        s += digits[b[i] & 15];
    }
    return s;
}

SimBytes sim_unhex(std::string_view text)
{
    SimBytes out;
    int nibbles = 0;
    unsigned value = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            throw std::invalid_argument("not a hex digit in byte text");
        unsigned d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
        value = value * 16 + d;
        if (++nibbles == 2) {
            out.push_back(static_cast<std::uint8_t>(value));
            nibbles = 0;
            value = 0;
        }
    }
    if (nibbles)
        throw std::invalid_argument("odd number of hex digits in byte text");
    return out;
}

std::vector<SimRawFrame> SimFrameReader::feed(const std::uint8_t* data, std::size_t n, SimClock::time_point now)
{
    std::vector<SimRawFrame> out;
    if (n == 0)
        return out;
    if (buf_.empty())
        first_ = now;
    buf_.insert(buf_.end(), data, data + n);
    while (!buf_.empty()) {
        std::size_t len = buf_[0];
        if (len < 4) {
            out.push_back({buf_, first_, now, "length byte " + std::to_string(len) + " below 4"});
            buf_.clear();
            break;
        }
        if (buf_.size() < len)
            break;
        SimRawFrame f{SimBytes(buf_.begin(), buf_.begin() + len), first_, now, {}};
        buf_.erase(buf_.begin(), buf_.begin() + len);
        first_ = now;
        std::uint16_t crc = sim_crc16(f.bytes.data(), len - 2);
        std::uint8_t lo = f.bytes[len - 2], hi = f.bytes[len - 1];
        if (lo != (crc & 0xFF) || hi != (crc >> 8)) {
            bool swapped = hi == (crc & 0xFF) && lo == (crc >> 8);
            f.error = swapped ? "CRC sent high byte first" : "bad CRC";
        }
        out.push_back(std::move(f));
    }
    return out;
}

std::optional<SimRawFrame> SimFrameReader::expire(SimClock::time_point now, SimClock::duration stale)
{
    if (buf_.empty() || now - first_ < stale)
        return std::nullopt;
    SimRawFrame f{buf_, first_, now, "incomplete frame of " + std::to_string(buf_.size()) + " bytes"};
    buf_.clear();
    return f;
}

SimTextMessage::SimTextMessage(std::string_view format)
{
    bytes_.assign(format.begin(), format.end());
    bytes_.push_back(0);
}

SimTextMessage& SimTextMessage::i32(std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes_.push_back(static_cast<std::uint8_t>(u >> shift));
    return *this;
}

SimTextMessage& SimTextMessage::f64(double v)
{
    auto u = std::bit_cast<std::uint64_t>(v);
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes_.push_back(static_cast<std::uint8_t>(u >> shift));
    return *this;
}

SimTextMessage& SimTextMessage::str(std::string_view s)
{
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    bytes_.push_back(0);
    return *this;
}
