#pragma once
// Bit-name tables of the control and status word pages, composed from the rows every table of a
// word shares and the rows of one mode or control type.
#include <array>
#include <cstddef>
#include <cstdint>

#include "controls/Utxgraph.h"

// One row: bit, names (Italian, English, French; null English: "Manufac. specific", null Italian
// or French: the English name), in use.
struct BitText {
    uint8_t bit;
    const char* it;
    const char* en;
    const char* fr;
    bool used;
};

using WordBits = std::array<BitNameRow, 16>;

// Every row "Manufac. specific" and not in use, then the rows of common and of mode over them.
WordBits Word_bits_table(const BitText* common, std::size_t common_count, const BitText* mode, std::size_t mode_count);

template <std::size_t N, std::size_t M>
WordBits Word_bits_table(const BitText (&common)[N], const BitText (&mode)[M])
{
    return Word_bits_table(common, N, mode, M);
}
