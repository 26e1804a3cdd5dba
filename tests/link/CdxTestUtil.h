#pragma once
// Firmware containers for tests, enciphered under the program's key: the header's
// blocks 1..15, the page addresses four to a block (a last short block enciphered whole, its tail
// stored as header bytes 4..15), bytes 0-1 balancing the word XOR.
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "flash_core/Flashctrl.h"

namespace cdxtest {

using Bytes = std::vector<uint8_t>;

// The forward AES-128 cipher (FIPS-197), which the program never needs: S-box from the inverse
// in GF(2^8) and the affine map, the program's key expansion (checked by the FIPS-197 vector).
inline uint8_t aes_xtime(uint8_t a) { return static_cast<uint8_t>(a << 1 ^ (a & 0x80 ? 0x1B : 0)); }

inline const std::array<uint8_t, 256>& aes_sbox()
{
    static const std::array<uint8_t, 256> box = [] {
        std::array<uint8_t, 256> s{};
        auto mul = [](uint8_t a, uint8_t b) {
            uint8_t p = 0;
            for (; b != 0; b >>= 1, a = aes_xtime(a))
                if (b & 1)
                    p ^= a;
            return p;
        };
        auto rot = [](uint8_t x, int n) { return static_cast<uint8_t>(x << n | x >> (8 - n)); };
        for (int x = 0; x < 256; ++x) {
            uint8_t inv = 0;
            for (int y = 1; y < 256 && x != 0; ++y)
                if (mul(static_cast<uint8_t>(x), static_cast<uint8_t>(y)) == 1)
                    inv = static_cast<uint8_t>(y);
            s[x] = static_cast<uint8_t>(inv ^ rot(inv, 1) ^ rot(inv, 2) ^ rot(inv, 3) ^ rot(inv, 4) ^ 0x63);
        }
        return s;
    }();
    return box;
}

inline void encipher_block(uint8_t* b, const uint8_t* keys)
{
    const auto& sbox = aes_sbox();
    for (int i = 0; i < 16; ++i)
        b[i] ^= keys[i];
    for (int round = 1; round <= 10; ++round) {
        uint8_t t[16];
        for (int c = 0; c < 4; ++c)  // SubBytes and ShiftRows: row r moves r places to the left
            for (int r = 0; r < 4; ++r)
                t[c * 4 + r] = sbox[b[((c + r) % 4) * 4 + r]];
        for (int c = 0; c < 4 && round < 10; ++c) {  // MixColumns
            uint8_t* col = t + 4 * c;
            const uint8_t all = col[0] ^ col[1] ^ col[2] ^ col[3], first = col[0];
            for (int r = 0; r < 4; ++r)
                col[r] ^= all ^ aes_xtime(static_cast<uint8_t>(col[r] ^ (r == 3 ? first : col[r + 1])));
        }
        for (int i = 0; i < 16; ++i)
            b[i] = t[i] ^ keys[round * 16 + i];
    }
}

// AES-128-ECB encipherment of whole blocks in place.
inline void encipher(uint8_t* data, std::size_t n, const uint8_t key[16] = CDX_KEY)
{
    uint8_t keys[AES_ROUND_KEYS];
    aesExpandKey(keys, key);
    for (std::size_t i = 0; i + 16 <= n; i += 16)
        encipher_block(data + i, keys);
}

struct Record {
    uint32_t address;
    Bytes data;  // 128 bytes, as the drive receives them
};

// Records at consecutive 128-byte pages from base, with pseudo-random data.
inline std::vector<Record> records(std::size_t n, uint32_t base = 0x1000, unsigned seed = 1)
{
    std::mt19937 gen(seed);
    std::vector<Record> out;
    for (std::size_t i = 0; i < n; ++i) {
        Record r{base + static_cast<uint32_t>(128 * i), Bytes(128)};
        for (auto& b : r.data)
            b = static_cast<uint8_t>(gen());
        out.push_back(std::move(r));
    }
    return out;
}

inline void put_le32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint16_t word_xor(const Bytes& f)
{
    uint16_t x = 0;
    for (std::size_t i = 0; i + 1 < f.size(); i += 2)
        x ^= static_cast<uint16_t>(f[i] | f[i + 1] << 8);
    return x;
}

// Sets bytes 0-1 so that the file's words XOR to 0.
inline void balance(Bytes& f)
{
    f[0] = f[1] = 0;
    const uint16_t x = word_xor(f);
    f[0] = static_cast<uint8_t>(x);
    f[1] = static_cast<uint8_t>(x >> 8);
}

struct Spec {
    uint32_t firmware_id = 0xC0465;
    int64_t count = -1;  // header count; -1: the number of records
    std::size_t trailing = 0;
    const uint8_t* key = CDX_KEY;
};

inline Bytes container(const std::vector<Record>& recs, const Spec& spec = {})
{
    Bytes f(CdxContainer::Header, 0);
    std::mt19937 gen(77);
    for (auto& b : f)
        b = static_cast<uint8_t>(gen());
    const uint32_t count = spec.count < 0 ? static_cast<uint32_t>(recs.size()) : static_cast<uint32_t>(spec.count);
    put_le32(f.data() + CdxContainer::Count, count);
    for (int i = 0; i < 4; ++i)
        f[CdxContainer::FirmwareId + i] = static_cast<uint8_t>(spec.firmware_id >> (24 - 8 * i));
    encipher(f.data() + 16, 240, spec.key);
    const std::size_t n = recs.size();
    for (std::size_t i = 0; i < n; i += 4) {
        uint8_t block[16] = {};
        for (std::size_t k = 0; k < 4 && i + k < n; ++k)
            put_le32(block + 4 * k, recs[i + k].address);
        encipher(block, 16, spec.key);
        const std::size_t here = std::min<std::size_t>(4, n - i);
        for (std::size_t k = 0; k < here; ++k) {
            Bytes r(block + 4 * k, block + 4 * k + 4);
            r.insert(r.end(), recs[i + k].data.begin(), recs[i + k].data.end());
            f.insert(f.end(), r.begin(), r.end());
        }
        if (here < 4)
            std::memcpy(f.data() + 4, block + 4 * here, 4 * (4 - here));
    }
    for (std::size_t t = 0; t < spec.trailing; ++t)
        f.push_back(static_cast<uint8_t>(gen()));
    balance(f);
    return f;
}

inline void write_file(const std::string& path, const Bytes& b)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                                static_cast<std::streamsize>(b.size()));
}

}  // namespace cdxtest
