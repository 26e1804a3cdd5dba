// Firmware container reader: word check, AES-128 deciphering of the header and page addresses,
// records into the page table.
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "drivedata/Globvar.h"
#include "flash_core/Flashctrl.h"
#include "platform/Msgbox.h"

const uint8_t CDX_KEY[16] = {0x3A, 0x91, 0x5C, 0xE7, 0x08, 0xB4, 0x6D, 0x22,
                             0xF1, 0x7E, 0x43, 0x9A, 0xC6, 0x15, 0xD8, 0x6B};

namespace {

// ---- AES-128 (FIPS-197) ----

constexpr uint8_t xtime(uint8_t a)
{
    return static_cast<uint8_t>(a << 1 ^ (a & 0x80 ? 0x1B : 0));
}

constexpr uint8_t gmul(uint8_t a, uint8_t b)
{
    uint8_t p = 0;
    for (; b != 0; b >>= 1, a = xtime(a))
        if (b & 1)
            p ^= a;
    return p;
}

constexpr uint8_t rotl8(uint8_t x, int s)
{
    return static_cast<uint8_t>(x << s | x >> (8 - s));
}

// The S-box: multiplicative inverse in GF(2^8), then the affine map. p runs through the powers of
// the generator 3 while q runs through those of its inverse, so q is the inverse of p: 255 steps.
constexpr std::array<uint8_t, 256> make_sbox()
{
    std::array<uint8_t, 256> s{};
    uint8_t p = 1, q = 1;
    do {
        p = static_cast<uint8_t>(p ^ xtime(p));
        q = static_cast<uint8_t>(q ^ q << 1);
        q = static_cast<uint8_t>(q ^ q << 2);
        q = static_cast<uint8_t>(q ^ q << 4);
        if (q & 0x80)
            q ^= 0x09;
        s[p] = static_cast<uint8_t>(q ^ rotl8(q, 1) ^ rotl8(q, 2) ^ rotl8(q, 3) ^ rotl8(q, 4) ^ 0x63);
    } while (p != 1);
    s[0] = 0x63;
    return s;
}

constexpr std::array<uint8_t, 256> invert(const std::array<uint8_t, 256>& s)
{
    std::array<uint8_t, 256> inv{};
    for (int x = 0; x < 256; ++x)
        inv[s[x]] = static_cast<uint8_t>(x);
    return inv;
}

constexpr std::array<uint8_t, 256> SBOX = make_sbox();
constexpr std::array<uint8_t, 256> INV_SBOX = invert(SBOX);
static_assert(SBOX[0x00] == 0x63 && SBOX[0x53] == 0xED && INV_SBOX[0x63] == 0x00);

constexpr int AES_ROUNDS = 10;

void add_round_key(uint8_t* b, const uint8_t* k)
{
    for (std::size_t i = 0; i < AES_BLOCK; ++i)
        b[i] ^= k[i];
}

void inv_sub_bytes(uint8_t* b)
{
    for (std::size_t i = 0; i < AES_BLOCK; ++i)
        b[i] = INV_SBOX[b[i]];
}

// Row r (bytes r, r+4, r+8, r+12 of the column-major state) moves r places to the right.
void inv_shift_rows(uint8_t* b)
{
    uint8_t t[AES_BLOCK];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            t[((c + r) % 4) * 4 + r] = b[c * 4 + r];
    std::memcpy(b, t, sizeof t);
}

void inv_mix_columns(uint8_t* b)
{
    for (int c = 0; c < 4; ++c) {
        uint8_t* col = b + 4 * c;
        const uint8_t a0 = col[0], a1 = col[1], a2 = col[2], a3 = col[3];
        col[0] = gmul(a0, 14) ^ gmul(a1, 11) ^ gmul(a2, 13) ^ gmul(a3, 9);
        col[1] = gmul(a0, 9) ^ gmul(a1, 14) ^ gmul(a2, 11) ^ gmul(a3, 13);
        col[2] = gmul(a0, 13) ^ gmul(a1, 9) ^ gmul(a2, 14) ^ gmul(a3, 11);
        col[3] = gmul(a0, 11) ^ gmul(a1, 13) ^ gmul(a2, 9) ^ gmul(a3, 14);
    }
}

// ---- the container ----

uint8_t CdxRoundKeys[AES_ROUND_KEYS];  // expanded again at every read

const char* const CHECKSUM_TEXT[3] = {"Errore checksum", "Checksum error", "checksum error"};
const char* const ATTENTION_TITLE[3] = {"Attenzione", "Attention", "Attention"};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// The whole file in chunks, its 16-bit words combined by XOR (a last odd byte left out). bytes
// keeps the file while it is no longer than a container can be.
struct CdxFileRead {
    std::vector<uint8_t> bytes;
    uint64_t length = 0;
    uint16_t word_xor = 0;
    int64_t age_ns = 0;
};

bool read_whole(const std::string& path, CdxFileRead& out)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    struct stat st{};
    if (!file || ::fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    out.age_ns = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    uint8_t chunk[CdxContainer::ReadChunk];
    int odd = -1;  // a byte waiting for its partner across chunks
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            if (odd < 0) {
                odd = chunk[i];
            } else {
                out.word_xor ^= static_cast<uint16_t>(odd | chunk[i] << 8);
                odd = -1;
            }
        }
        if (out.length + got <= CdxContainer::MaxBytes)
            out.bytes.insert(out.bytes.end(), chunk, chunk + got);
        out.length += got;
    }
    return true;
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Deciphers the address fields of records i..i+3 as one block; a record at or beyond n takes the
// header word at 4, 8, 12 for the first, second, third missing record.
void decipher_addresses(const uint8_t* header, uint8_t* records, uint32_t i, uint32_t n)
{
    uint8_t block[AES_BLOCK];
    uint32_t missing = 0;
    for (uint32_t k = 0; k < 4; ++k) {
        const uint8_t* from = i + k < n ? records + (i + k) * CdxContainer::Record
                                        : header + CdxContainer::PadWords * ++missing;
        std::memcpy(block + 4 * k, from, 4);
    }
    aesDecryptBlock(block, CdxRoundKeys);
    for (uint32_t k = 0; k < 4 && i + k < n; ++k)
        std::memcpy(records + (i + k) * CdxContainer::Record, block + 4 * k, 4);
}

void store(FirmwareImageRec& image, const uint8_t* header, const uint8_t* records, uint32_t n, int64_t age)
{
    std::memcpy(image.container_header, header, CdxContainer::Header);
    for (uint32_t k = 0; k < n; ++k) {
        const uint8_t* r = records + k * CdxContainer::Record;
        image.pages[k].address = le32(r);
        std::memcpy(image.pages[k].data, r + 4, FLASH_PAGE_BYTES);
    }
    image.page_count = n;
    image.start_address = image.pages[0].address;
    image.end_address = image.pages[n - 1].address;
    image.image_size = image.end_address - image.start_address;
    image.loaded_age = age;
}

}  // namespace

void aesExpandKey(uint8_t round_keys[AES_ROUND_KEYS], const uint8_t key[16])
{
    std::memcpy(round_keys, key, 16);
    uint8_t rcon = 1;
    for (std::size_t i = 16; i < AES_ROUND_KEYS; i += 4) {
        uint8_t t[4];
        std::memcpy(t, round_keys + i - 4, 4);
        if (i % 16 == 0) {
            const uint8_t first = t[0];
            t[0] = static_cast<uint8_t>(SBOX[t[1]] ^ rcon);
            t[1] = SBOX[t[2]];
            t[2] = SBOX[t[3]];
            t[3] = SBOX[first];
            rcon = xtime(rcon);
        }
        for (int j = 0; j < 4; ++j)
            round_keys[i + j] = round_keys[i + j - 16] ^ t[j];
    }
}

void aesDecryptBlock(uint8_t block[AES_BLOCK], const uint8_t round_keys[AES_ROUND_KEYS])
{
    add_round_key(block, round_keys + AES_ROUNDS * AES_BLOCK);
    for (int round = AES_ROUNDS - 1; round >= 1; --round) {
        inv_shift_rows(block);
        inv_sub_bytes(block);
        add_round_key(block, round_keys + round * AES_BLOCK);
        inv_mix_columns(block);
    }
    inv_shift_rows(block);
    inv_sub_bytes(block);
    add_round_key(block, round_keys);
}

int readCdxFile(const std::string& path, FirmwareImageRec& image)
{
    CdxFileRead file;
    if (!read_whole(path, file))
        return 0;
    if (file.word_xor != 0) {
        const unsigned lang = Lang_index();
        Msgbox_show({MsgIcon::Warning, ATTENTION_TITLE[lang], CHECKSUM_TEXT[lang], MsgOk});
        return 0;
    }
    if (file.length < CdxContainer::Header || file.length > CdxContainer::MaxBytes)
        return 0;
    const uint64_t n = (file.length - CdxContainer::Header) / CdxContainer::Record;
    if (n == 0 || n > FLASH_PAGE_COUNT)
        return 0;
    uint8_t* header = file.bytes.data();
    uint8_t* records = header + CdxContainer::Header;
    aesExpandKey(CdxRoundKeys, CDX_KEY);
    for (std::size_t at = CdxContainer::PlainHeader; at < CdxContainer::Header; at += AES_BLOCK)
        aesDecryptBlock(header + at, CdxRoundKeys);
    if (le32(header + CdxContainer::Count) != n)
        return 0;
    const uint32_t count = static_cast<uint32_t>(n);
    for (uint32_t i = 0; i < count; i += 4)
        decipher_addresses(header, records, i, count);
    store(image, header, records, count, file.age_ns);
    return 1;
}
