// Firmware containers: the AES-128 inverse cipher against FIPS-197 and the tests' forward cipher, the reader over
// a table of containers (counts, trailing bytes, one-byte changes) and a cheap fuzz.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "drivedata/Globvar.h"
#include "flash_core/Flashctrl.h"
#include "link/CdxTestUtil.h"
#include "link/Link_state.h"
#include "platform/Msgbox.h"

namespace {

namespace fs = std::filesystem;
using cdxtest::Bytes;

constexpr uint32_t FOREIGN = 0x12345680;

TEST(Aes128, InverseCipherOfFips197AppendixC1)
{
    uint8_t key[16], keys[AES_ROUND_KEYS];
    for (int i = 0; i < 16; ++i)
        key[i] = static_cast<uint8_t>(i);
    aesExpandKey(keys, key);
    uint8_t block[16] = {0x69, 0xC4, 0xE0, 0xD8, 0x6A, 0x7B, 0x04, 0x30,
                         0xD8, 0xCD, 0xB7, 0x80, 0x70, 0xB4, 0xC5, 0x5A};
    aesDecryptBlock(block, keys);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(block[i], 0x11 * i) << i;
}

TEST(Aes128, ForwardCipherOfTheTestsGivesFips197AppendixC1)
{
    uint8_t key[16], block[16];
    for (int i = 0; i < 16; ++i) {
        key[i] = static_cast<uint8_t>(i);
        block[i] = static_cast<uint8_t>(0x11 * i);
    }
    cdxtest::encipher(block, 16, key);
    const uint8_t expected[16] = {0x69, 0xC4, 0xE0, 0xD8, 0x6A, 0x7B, 0x04, 0x30,
                                  0xD8, 0xCD, 0xB7, 0x80, 0x70, 0xB4, 0xC5, 0x5A};
    EXPECT_EQ(0, std::memcmp(block, expected, 16));
}

TEST(Aes128, RandomBlocksEncipheredComeBack)
{
    std::mt19937 gen(3);
    for (int round = 0; round < 50; ++round) {
        uint8_t key[16], keys[AES_ROUND_KEYS], plain[16], block[16];
        for (auto& b : key)
            b = static_cast<uint8_t>(gen());
        for (auto& b : plain)
            b = static_cast<uint8_t>(gen());
        std::memcpy(block, plain, 16);
        cdxtest::encipher(block, 16, key);
        aesExpandKey(keys, key);
        aesDecryptBlock(block, keys);
        EXPECT_EQ(0, std::memcmp(block, plain, 16)) << round;
    }
}

class CdxReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        State_reset_all();
        char tmpl[] = "/tmp/pendrix_cdx_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            return MsgOk;
        });
        reset_image();
    }
    void reset_image()
    {
        boxes.clear();
        for (auto& p : FirmwareImage.pages) {
            p.address = FOREIGN;
            std::memset(p.data, 0x5A, sizeof p.data);
        }
        std::memset(FirmwareImage.container_header, 0xA5, sizeof FirmwareImage.container_header);
        FirmwareImage.page_count = 9;
        FirmwareImage.start_address = FirmwareImage.end_address = FirmwareImage.image_size = 7;
    }
    void TearDown() override
    {
        Msgbox_set_sink(std::move(old_sink_));
        fs::remove_all(dir_);
    }
    std::string write(const Bytes& b, const char* name = "fw.cdx")
    {
        const std::string p = (dir_ / name).string();
        cdxtest::write_file(p, b);
        return p;
    }
    static bool image_untouched()
    {
        for (const auto& p : FirmwareImage.pages)
            if (p.address != FOREIGN || p.data[0] != 0x5A || p.data[127] != 0x5A)
                return false;
        return FirmwareImage.page_count == 9 && FirmwareImage.start_address == 7 &&
               FirmwareImage.container_header[0] == 0xA5 && FirmwareImage.container_header[255] == 0xA5;
    }

    fs::path dir_;
    MsgSink old_sink_;
    std::vector<MsgRequest> boxes;
};

TEST_F(CdxReader, FiveRecordsTakeTheirAddressesFromTwoBlocks)
{
    auto recs = cdxtest::records(5, 0x8000, 9);
    recs[4].address = 0x3FF80;  // not in sequence: record 4's own address comes back
    const Bytes file = cdxtest::container(recs);
    ASSERT_EQ(readCdxFile(write(file), FirmwareImage), 1);
    EXPECT_EQ(FirmwareImage.page_count, 5u);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(FirmwareImage.pages[k].address, recs[k].address) << k;
        EXPECT_EQ(0, std::memcmp(FirmwareImage.pages[k].data, file.data() + 256 + 132 * k + 4, 128)) << k;
    }
    for (std::size_t k = 5; k < 8; ++k)
        EXPECT_EQ(FirmwareImage.pages[k].address, FOREIGN) << k;
    EXPECT_EQ(FirmwareImage.start_address, 0x8000u);
    EXPECT_EQ(FirmwareImage.end_address, 0x3FF80u);
    EXPECT_EQ(FirmwareImage.image_size, 0x3FF80u - 0x8000u);
    EXPECT_EQ(0, std::memcmp(FirmwareImage.container_header, file.data(), 16));  // plain start kept
    const uint8_t* h = FirmwareImage.container_header;
    EXPECT_EQ(h[20] | h[21] << 8 | h[22] << 16 | h[23] << 24, 5);
    EXPECT_EQ(uint32_t{h[192]} << 24 | h[193] << 16 | h[194] << 8 | h[195], 0xC0465u);
    EXPECT_TRUE(boxes.empty());
}

// Files by record count, header count and trailing bytes: read (records) or refused silently.
TEST_F(CdxReader, CountsAndTrailingBytes)
{
    struct Case {
        const char* name;
        std::size_t records;
        int64_t header_count;
        std::size_t trailing;
        bool read;
    };
    const Case cases[] = {
        {"three records, seven trailing", 3, -1, 7, true},
        {"one record", 1, -1, 0, true},
        {"four records, a whole block", 4, -1, 131, true},
        {"header says four", 3, 4, 0, false},
        {"header says two", 3, 2, 0, false},
        {"no whole record", 0, 0, 100, false},
        {"header only", 0, 0, 0, false},
        {"more records than the table", FLASH_PAGE_COUNT + 1, -1, 0, false},
    };
    for (const Case& c : cases) {
        reset_image();
        const Bytes f = cdxtest::container(cdxtest::records(c.records), {0xC0465, c.header_count, c.trailing});
        EXPECT_EQ(readCdxFile(write(f), FirmwareImage), c.read ? 1 : 0) << c.name;
        EXPECT_TRUE(boxes.empty()) << c.name;
        if (c.read)
            EXPECT_EQ(FirmwareImage.page_count, c.records) << c.name;
        else
            EXPECT_TRUE(image_untouched()) << c.name;
    }
}

TEST_F(CdxReader, ShortFilesAndOtherKeysAreRefusedSilently)
{
    EXPECT_EQ(readCdxFile((dir_ / "missing.cdx").string(), FirmwareImage), 0);
    EXPECT_EQ(readCdxFile(write(Bytes(254, 0)), FirmwareImage), 0);
    const uint8_t other_key[16] = {1, 2, 3};
    const Bytes f = cdxtest::container(cdxtest::records(3), {0xC0465, -1, 0, other_key});
    EXPECT_EQ(readCdxFile(write(f), FirmwareImage), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(image_untouched());
}

TEST_F(CdxReader, AnyOneByteChangedFailsTheWordCheck)
{
    const Bytes good = cdxtest::container(cdxtest::records(3), {0xC0465, -1, 7});
    ASSERT_EQ(good.size(), 256u + 132 * 3 + 7);
    for (std::size_t i = 0; i + 1 < good.size(); ++i) {
        Bytes f = good;
        f[i] ^= static_cast<uint8_t>(1u << (i % 8));
        boxes.clear();
        ASSERT_EQ(readCdxFile(write(f), FirmwareImage), 0) << i;
        ASSERT_EQ(boxes.size(), 1u) << i;
        ASSERT_TRUE(image_untouched()) << i;
    }
    EXPECT_EQ(boxes[0].text, "Errore checksum");
    EXPECT_EQ(boxes[0].title, "Attenzione");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    Bytes odd_end = good;
    odd_end.back() ^= 0xFF;  // a last odd byte takes no part in the check
    boxes.clear();
    EXPECT_EQ(readCdxFile(write(odd_end), FirmwareImage), 1);
    EXPECT_TRUE(boxes.empty());
    LanguageIndex = 1;
    Bytes bad = good;
    bad[300] ^= 1;
    readCdxFile(write(bad), FirmwareImage);
    LanguageIndex = 0;
    EXPECT_EQ(boxes.back().text, "Checksum error");
}

TEST_F(CdxReader, LoadedByExtensionAndComparedWithTheDrive)
{
    const std::string p = write(cdxtest::container(cdxtest::records(2), {0xC0458}), "FW.CDX");
    ASSERT_TRUE(Flashsh7047_load_file(p));
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::Container);
    EXPECT_EQ(FlashFileLoaded.load(), 1);
    DriveDeviceId.store(0xC0458);
    Drive_status_update_word(StatusBit::Boot, StatusBit::Boot);
    EXPECT_TRUE(Flashctrl_cdx_compatible());
    DriveDeviceId.store(0xC0465);
    EXPECT_FALSE(Flashctrl_cdx_compatible());
}

// Random changes to a valid container, the word check kept balanced: never more pages than the
// table, a refused file leaves the image as it was.
TEST_F(CdxReader, FuzzedContainersNeverOverflow)
{
    std::mt19937 gen(11);
    const Bytes good = cdxtest::container(cdxtest::records(6), {0xC0465, -1, 5});
    for (int round = 0; round < 300; ++round) {
        Bytes f = good;
        const int edits = 1 + static_cast<int>(gen() % 4);
        for (int e = 0; e < edits; ++e)
            f[gen() % f.size()] = static_cast<uint8_t>(gen());
        if (gen() % 3 == 0)
            f.resize(gen() % f.size());
        if (f.size() >= 2)
            cdxtest::balance(f);
        reset_image();
        const int r = readCdxFile(write(f), FirmwareImage);
        if (r == 1)
            EXPECT_LE(FirmwareImage.page_count, FLASH_PAGE_COUNT);
        else
            EXPECT_TRUE(image_untouched()) << round;
    }
}

}  // namespace
