#pragma once
// Messaggi: the terminal ring that collects the drive's text messages, and the classification of
// CANopen PDO transmission types.
//
// The ring is written by the receive thread and read by the terminal window on the GUI thread,
// without a lock. Both indexes run 0..4200 and wrap lazily: an index of 4200 or more becomes 0
// just before the next byte is accessed. A read index equal to the write index means nothing new
// is waiting (as does a read index of 4200 while nothing was ever written). Text older than one
// ring length is overwritten.
#include <atomic>
#include <cstddef>
#include <cstdint>

constexpr uint16_t TERMINAL_RING_SIZE = 4200;

class TerminalRingBuffer {
public:
    // Writer (receive thread only, a single writer): appends exactly n bytes, zero bytes included, publishing the
    // write index after each byte.
    void append(const char* text, std::size_t n);

    // Reader (GUI thread).
    uint16_t write_index() const { return write_index_.load(std::memory_order_acquire); }
    uint8_t byte_at(uint16_t pos) const;  // pos is taken modulo the ring size
    // Copies the bytes from read_index up to snapshot (a value of write_index()) into chunk,
    // at most max_chars of them; a zero byte ends the chunk and is consumed without being
    // counted. read_index advances past what was consumed. chunk must hold max_chars + 1 bytes
    // and is zero-terminated. Returns the number of characters copied.
    std::size_t read_chunk(uint16_t& read_index, uint16_t snapshot, char* chunk, std::size_t max_chars) const;

private:
    std::atomic<uint8_t> text_[TERMINAL_RING_SIZE];  // value-initialised to 0
    std::atomic<uint16_t> write_index_{0};
};

extern TerminalRingBuffer TerminalRing;

// Receive side of a command-1 reply: formats the drive message (payload of len bytes) and
// appends the text produced to TerminalRing. Returns the number of characters appended.
std::size_t Messaggi_drive_text(const uint8_t* payload, std::size_t len);

// Class of a CANopen PDO transmission type: 0 -> 0, 1..240 -> 1, 241..251 -> 2, 252 -> 3,
// 253 -> 4, 254 -> 5, 255 -> 6.
uint8_t Messaggi_pdo_type_class(uint8_t type);
