#include "drivedata/Utx.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Savefile.h"

// ---- byte order ----

uint16_t Utx_swap16(uint8_t* p)
{
    const uint8_t t = p[0];
    p[0] = p[1];
    p[1] = t;
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t Utx_swap32(uint8_t* p)
{
    uint8_t t = p[0];
    p[0] = p[3];
    p[3] = t;
    t = p[1];
    p[1] = p[2];
    p[2] = t;
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint32_t Utx_swap32_copy(uint8_t* dst, const uint8_t* src)
{
    uint8_t tmp[4];
    for (int i = 0; i < 4; ++i)
        tmp[i] = src[3 - i];
    std::memcpy(dst, tmp, sizeof tmp);
    uint32_t v;
    std::memcpy(&v, dst, sizeof v);
    return v;
}

void Utx_swap64(uint8_t* dst, const uint8_t* src)
{
    uint8_t tmp[8];
    for (int i = 0; i < 8; ++i)
        tmp[i] = src[7 - i];
    std::memcpy(dst, tmp, sizeof tmp);
}

uint16_t Utx_be16(uint16_t v)
{
    return static_cast<uint16_t>((v >> 8) | (v << 8));
}

uint32_t Utx_be32(uint32_t v)
{
    return (v >> 24) | ((v >> 8) & 0x0000FF00u) | ((v << 8) & 0x00FF0000u) | (v << 24);
}

// ---- blocks and keys ----

uint8_t Utx_mem_differ(const void* a, const void* b, uint32_t count)
{
    if (count == 0)
        return 0;
    return std::memcmp(a, b, count) != 0 ? 1 : 0;
}

namespace {
constexpr char KEY_BACKSPACE = 8;
constexpr char KEY_ENTER = 13;

bool is_edit_key(char c)
{
    return c == KEY_BACKSPACE || c == KEY_ENTER;
}
}  // namespace

void Utx_key_digits(char* key)
{
    if (key == nullptr)
        return;
    const char c = *key;
    if (!((c >= '0' && c <= '9') || is_edit_key(c)))
        *key = 0;
}

void Utx_key_letters(char* key)
{
    if (key == nullptr)
        return;
    const char c = *key;
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_edit_key(c)))
        *key = 0;
}

// ---- mappings ----

namespace {
constexpr UtxMapPair MotionProfileRows[] = {{-1, 0}, {0, 1}, {3, 2}};
constexpr UtxMapPair TorqueProfileRows[] = {{-1, 0}, {0, 1}};
constexpr UtxMapPair QuickStopRows[] = {{1, 1}, {2, 2}, {5, 3}, {6, 4}};
constexpr UtxMapPair QuickStopCodes[] = {{1, 1}, {2, 2}, {3, 5}, {4, 6}};
}  // namespace

uint16_t Utx_motion_profile_to_index(int16_t v)
{
    return static_cast<uint16_t>(Utx_map(MotionProfileRows, v, 0));
}

uint16_t Utx_torque_profile_to_index(int16_t v)
{
    return static_cast<uint16_t>(Utx_map(TorqueProfileRows, v, 0));
}

uint16_t Utx_quick_stop_to_index(int16_t v)
{
    return static_cast<uint16_t>(Utx_map(QuickStopRows, v, 0));
}

int16_t Utx_index_to_quick_stop(int16_t row)
{
    return Utx_map(QuickStopCodes, row, 0);
}

uint16_t Utx_homing_method_to_index(uint16_t method)
{
    if (method >= 31)
        return static_cast<uint16_t>(method - 4);
    if (method >= 15)
        return static_cast<uint16_t>(method - 2);
    return method;
}

uint16_t Utx_index_to_homing_method(uint16_t row)
{
    if (row > 28)
        return static_cast<uint16_t>(row + 4);
    if (row >= 15)
        return static_cast<uint16_t>(row + 2);
    return row;
}

// ---- texts ----

void Utx_bits_to_text(uint32_t value, uint16_t n, char* buf, uint16_t size)
{
    if (buf == nullptr || size == 0)
        return;
    std::memset(buf, 0, size);
    const uint16_t limit = static_cast<uint16_t>(size - 1);  // the last byte stays 0
    uint16_t pos = 0;
    for (uint32_t i = n; i-- > 0;) {
        const bool group_start = (i % 4 == 3) && (i + 1 < n);
        if (group_start) {
            if (pos >= limit)
                return;
            buf[pos++] = ' ';
        }
        if (pos >= limit)
            return;
        const bool set = i < 32 && ((value >> i) & 1u) != 0;
        buf[pos++] = set ? '1' : '0';
    }
}

uint8_t Utx_datetime_to_text(const UtxDateTime& dt, char* buf, uint16_t size)
{
    char text[96];
    const int len = std::snprintf(text, sizeof text, "%d:%02d:%02d  [%02d-%02d-%d]", dt.hour, dt.minute,
                                  dt.second, dt.day, dt.month, dt.year);
    if (buf == nullptr || len < 0 || static_cast<std::size_t>(len) >= sizeof text || len >= size)
        return 0;
    std::memcpy(buf, text, static_cast<std::size_t>(len));
    return 1;
}

// ---- files ----

namespace fs = std::filesystem;

bool Utx_write_file(const fs::path& path, const void* buf, uint32_t count, uint32_t position, uint16_t mode)
{
    if (mode != UTX_FILE_CREATE && mode != UTX_FILE_UPDATE)
        return false;
    if (path.empty() || !path.has_filename() || (count > 0 && buf == nullptr))
        return false;
    std::vector<uint8_t> content;
    if (mode == UTX_FILE_UPDATE && Savefile_read(path, content, SIZE_MAX) != 0)
        return false;
    const std::size_t end = static_cast<std::size_t>(position) + count;
    if (content.size() < end)
        content.resize(end, 0);
    if (count > 0)
        std::memcpy(content.data() + position, buf, count);
    return Savefile_write(path, content.data(), content.size()) == 0;
}
