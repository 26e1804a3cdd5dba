#include "pages/fieldbus/Word_bits.h"

#include <cstring>

namespace {

void put(char (&dst)[35], const char* text)
{
    std::memset(dst, 0, sizeof dst);
    std::strncpy(dst, text, sizeof dst - 1);
}

void apply(WordBits& t, const BitText& r)
{
    if (r.bit >= 16)
        return;
    const char* en = r.en != nullptr ? r.en : "Manufac. specific";
    put(t[r.bit].name[0], r.it != nullptr ? r.it : en);
    put(t[r.bit].name[1], en);
    put(t[r.bit].name[2], r.fr != nullptr ? r.fr : en);
    t[r.bit].used = r.used ? 1 : 0;
}

}  // namespace

WordBits Word_bits_table(const BitText* common, std::size_t common_count, const BitText* mode, std::size_t mode_count)
{
    WordBits t{};
    for (uint8_t b = 0; b < 16; ++b)
        apply(t, {b, nullptr, nullptr, nullptr, false});
    for (std::size_t i = 0; i < common_count; ++i)
        apply(t, common[i]);
    for (std::size_t i = 0; i < mode_count; ++i)
        apply(t, mode[i]);
    return t;
}
