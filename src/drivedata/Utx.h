#pragma once
// Small shared routines: byte order, block compare, key filters, combo-row mappings,
// bit and date texts, and the file writer.
#include <cstddef>
#include <cstdint>
#include <filesystem>

// ---- byte order (the drive's order is most significant byte first) ----
uint16_t Utx_swap16(uint8_t* p);                           // reverses 2 bytes in place, returns the new value
uint32_t Utx_swap32(uint8_t* p);                           // reverses 4 bytes in place, returns the new value
uint32_t Utx_swap32_copy(uint8_t* dst, const uint8_t* src);  // dst = src reversed, returns dst's value
void Utx_swap64(uint8_t* dst, const uint8_t* src);         // dst = 8 src bytes reversed
uint16_t Utx_be16(uint16_t v);
uint32_t Utx_be32(uint32_t v);

// ---- blocks and keys ----
// 1 when the first count bytes differ anywhere, else 0.
uint8_t Utx_mem_differ(const void* a, const void* b, uint32_t count);
// Keep digits (resp. letters), backspace and Enter; any other key becomes 0 (swallowed).
void Utx_key_digits(char* key);
void Utx_key_letters(char* key);

// ---- value <-> combo-row mappings ----
struct UtxMapPair {
    int16_t from;
    int16_t to;
};
// The 'to' of the first pair whose 'from' equals v, else def.
template <std::size_t N>
constexpr int16_t Utx_map(const UtxMapPair (&table)[N], int16_t v, int16_t def)
{
    for (const UtxMapPair& p : table) {
        if (p.from == v)
            return p.to;
    }
    return def;
}

uint16_t Utx_motion_profile_to_index(int16_t v);  // 6086h
uint16_t Utx_torque_profile_to_index(int16_t v);  // 6088h
uint16_t Utx_quick_stop_to_index(int16_t v);      // 605Ah
int16_t Utx_index_to_quick_stop(int16_t row);
// Homing rows skip methods 15, 16, 31 and 32.
uint16_t Utx_homing_method_to_index(uint16_t method);
uint16_t Utx_index_to_homing_method(uint16_t row);

// ---- texts ----
// Clears the buffer, then writes the low n bits of value, most significant first, with a blank
// before each 4-bit group after the first. The last buffer byte is never written; bits above 31
// read as '0'.
void Utx_bits_to_text(uint32_t value, uint16_t n, char* buf, uint16_t size);

struct UtxDateTime {
    int year;
    int month;
    int day;
    int hour;
    int minute;
    int second;
};
// "h:mm:ss  [dd-mm-yyyy]" without terminator; copied only when shorter than size (returns 1),
// else nothing is copied and the result is 0.
uint8_t Utx_datetime_to_text(const UtxDateTime& dt, char* buf, uint16_t size);

// ---- files ----
constexpr uint16_t UTX_FILE_CREATE = 0xFFFF;  // create or replace the file
constexpr uint16_t UTX_FILE_UPDATE = 2;       // change an existing file

// Writes count bytes of buf at position into the file. Missing folders are created. The new
// content is written to a temporary file in the same folder and renamed over the target, so a
// failure leaves the old file intact. UPDATE keeps the other bytes of the existing file and fails
// when the file is missing. The current folder is never changed. False on any failure.
bool Utx_write_file(const std::filesystem::path& path, const void* buf, uint32_t count,
                    uint32_t position, uint16_t mode);
