#include "drivedata/Messaggi.h"

#include "drivedata/Strdec.h"

TerminalRingBuffer TerminalRing;

namespace {

// Lazy wrap: an index at or beyond the end names position 0.
uint16_t ring_pos(uint16_t index)
{
    return index >= TERMINAL_RING_SIZE ? 0 : index;
}

// The writer's index is 0 only before its first byte and then runs 1..4200, the reader's is 0 only
// before its first byte: equal values mean nothing is waiting, and so does a reader at the end
// of the ring while nothing has been written.
bool caught_up(uint16_t read_index, uint16_t write_index)
{
    return read_index == write_index || (write_index == 0 && ring_pos(read_index) == 0);
}

}  // namespace

void TerminalRingBuffer::append(const char* text, std::size_t n)
{
    uint16_t w = write_index_.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < n; ++i) {
        w = ring_pos(w);
        text_[w].store(static_cast<uint8_t>(text[i]), std::memory_order_relaxed);
        ++w;
        write_index_.store(w, std::memory_order_release);
    }
}

uint8_t TerminalRingBuffer::byte_at(uint16_t pos) const
{
    return text_[pos % TERMINAL_RING_SIZE].load(std::memory_order_relaxed);
}

std::size_t TerminalRingBuffer::read_chunk(uint16_t& read_index, uint16_t snapshot, char* chunk,
                                           std::size_t max_chars) const
{
    std::size_t n = 0;
    while (n < max_chars && !caught_up(read_index, snapshot)) {
        read_index = ring_pos(read_index);
        const uint8_t b = text_[read_index].load(std::memory_order_relaxed);
        ++read_index;
        if (b == 0) break;
        chunk[n++] = static_cast<char>(b);
    }
    chunk[n] = 0;
    return n;
}

std::size_t Messaggi_drive_text(const uint8_t* payload, std::size_t len)
{
    char text[STRDEC_OUT_SIZE];
    const std::size_t n = Strdec_format(text, payload, len);
    TerminalRing.append(text, n);
    return n;
}

uint8_t Messaggi_pdo_type_class(uint8_t type)
{
    // Upper bound of each class, in order.
    static constexpr uint8_t kClassEnd[] = {0, 240, 251, 252, 253, 254, 255};
    uint8_t cls = 0;
    while (type > kClassEnd[cls]) ++cls;
    return cls;
}
