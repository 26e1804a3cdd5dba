#pragma once
// Firmware containers for tests, enciphered with libcrypto under the program's key: the header's
// blocks 1..15, the page addresses four to a block (a last short block enciphered whole, its tail
// stored as header bytes 4..15), bytes 0-1 balancing the word XOR.
#include <openssl/evp.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "flash/Flashctrl.h"

namespace cdxtest {

using Bytes = std::vector<uint8_t>;

// AES-128-ECB encipherment of whole blocks in place.
inline void encipher(uint8_t* data, std::size_t n, const uint8_t key[16] = CDX_KEY)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_128_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    int out = 0;
    EVP_EncryptUpdate(ctx, data, &out, data, static_cast<int>(n));
    EVP_CIPHER_CTX_free(ctx);
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
