#pragma once
// Wire helpers of the drive simulator: its own CRC, frame builder, request reader,
// wire-time arithmetic and a builder for drive text messages. Independent of the program.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using SimBytes = std::vector<std::uint8_t>;
using SimClock = std::chrono::steady_clock;

// CRC-16/MODBUS computed bit by bit (reflected polynomial 0xA001, start 0xFFFF, no final XOR).
std::uint16_t sim_crc16(const std::uint8_t* data, std::size_t n);
inline std::uint16_t sim_crc16(const SimBytes& b) { return sim_crc16(b.data(), b.size()); }

// A complete frame: length byte, command, payload, CRC low byte first.
// Throws std::invalid_argument when the payload exceeds 251 bytes.
SimBytes sim_frame(std::uint8_t cmd, const SimBytes& payload);

// Rewrites the two CRC bytes of a frame over its other bytes.
void sim_restamp_crc(SimBytes& frame);

// Time n bytes occupy a line at 10 bits per byte; zero when baud is 0.
std::chrono::nanoseconds sim_wire_time(std::size_t bytes, std::uint32_t baud);

// "06 0A 03 14" <-> bytes (hex pairs, blanks ignored). sim_unhex throws on bad input.
std::string sim_hex(const SimBytes& b);
SimBytes sim_unhex(std::string_view text);

// One frame cut from the incoming byte stream. `error` is empty for an intact frame.
struct SimRawFrame {
    SimBytes bytes;
    SimClock::time_point first;  // arrival of its first byte
    SimClock::time_point last;   // arrival of its last byte
    std::string error;
};

// Cuts frames out of the bytes the program writes: by the length byte, then the CRC
// (low byte first). A length byte below 4 loses the frame boundary: everything buffered is
// returned as one bad frame.
class SimFrameReader {
public:
    std::vector<SimRawFrame> feed(const std::uint8_t* data, std::size_t n, SimClock::time_point now);
    // Returns and discards a partial frame whose first byte is older than `stale`.
    std::optional<SimRawFrame> expire(SimClock::time_point now, SimClock::duration stale);
    bool idle() const { return buf_.empty(); }
    SimClock::time_point started() const { return first_; }

private:
    SimBytes buf_;
    SimClock::time_point first_{};
};

// Builds the payload of a drive text message: a zero-terminated format, then the
// arguments packed big-endian (4 bytes per integer, 8 per double, texts inline with their zero).
class SimTextMessage {
public:
    explicit SimTextMessage(std::string_view format);
    SimTextMessage& i32(std::int32_t v);
    SimTextMessage& f64(double v);
    SimTextMessage& str(std::string_view s);
    const SimBytes& bytes() const { return bytes_; }

private:
    SimBytes bytes_;
};
