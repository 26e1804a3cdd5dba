// Firmware image: the S-record reader over a table of files made by objcopy and edited, the same
// files with LF line ends, a cheap fuzz, the boot-program block and its patch, the load by
// extension and the file watch.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "IdentEdit.h"
#include "drivedata/Globvar.h"
#include "flash_core/Flashctrl.h"
#include "link/Link_state.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char* const MSG_TYPE = "Errore: Tipo S-Record!";
const char* const MSG_LENGTH = "Errore: Lunghezza S-Record!";
const char* const MSG_SUM = "Errore: CheckSum S-Record!";
const char* const MSG_ADDRESS = "Errore: Indirizzo S-Record!";
const char* const MSG_NOT_SREC = "Errore: File non S-Record!";
const char* const MSG_COUNT = "Errore: Codifica Lunghezza S-Record!";
const char* const MSG_NO_DATA = "Errore: Nessun dato nel file S-Record!";

Bytes pattern(std::size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<uint8_t>(gen());
    return b;
}

std::string read_text(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// One S-record line (without its line end) with its checksum.
std::string srec_line(char type, uint32_t address, unsigned addr_bytes, const Bytes& data)
{
    Bytes body;
    for (unsigned i = addr_bytes; i > 0; --i)
        body.push_back(static_cast<uint8_t>(address >> (8 * (i - 1))));
    body.insert(body.end(), data.begin(), data.end());
    unsigned sum = static_cast<unsigned>(body.size() + 1);
    char buf[8];
    std::string s = "S";
    s += type;
    std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(body.size() + 1));
    s += buf;
    for (uint8_t b : body) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        s += buf;
        sum += b;
    }
    std::snprintf(buf, sizeof buf, "%02X", ~sum & 0xFF);
    return s + buf;
}

class FlashImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        State_reset_all();
        char tmpl[] = "/tmp/pendrix_flash_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        old_sink_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            return MsgOk;
        });
        other_image();
        FlashFileLoaded.store(0);
        FlashModeFlags.store(0);
        Flash_settings_set({});
        Ser_tx_state.store(LinkState::Stop);
    }
    void TearDown() override
    {
        Msgbox_set_sink(std::move(old_sink_));
        fs::remove_all(dir_);
        Ser_tx_state.store(LinkState::Stop);
        Ser_link_mode_req.store(LinkMode::Normal);
        Flash_settings_set({});
    }

    // Another file's image: every page at a foreign address with 0x5A.
    static void other_image()
    {
        FirmwareImageRec& img = FirmwareImage;
        for (auto& p : img.pages) {
            p.address = 0x12345680;
            std::memset(p.data, 0x5A, sizeof p.data);
        }
        img.page_count = 0;
        img.start_address = img.end_address = img.image_size = 0;
        img.last_poll_ms = 0;
        img.file_state = img.prev_file_state = img.first_poll_done = img.change_count = 0;
        img.known_age.store(0);
        img.loaded_age = img.failed_age = img.file_age = 0;
    }

public:
    // objcopy's S-records of bytes at address, `len` data bytes per record.
    std::string objcopy(const Bytes& bytes, uint32_t address, unsigned len = 16, bool s3 = false)
    {
        const fs::path bin = dir_ / "in.bin", out = dir_ / "out.mot";
        std::ofstream(bin, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
        char addr[32];
        std::snprintf(addr, sizeof addr, "0x%X", address);
        const std::string cmd = "objcopy -I binary -O srec --srec-len=" + std::to_string(len) +
                                (s3 ? " --srec-forceS3" : "") + " --change-addresses " + addr + " " + bin.string() +
                                " " + out.string() + " 2>/dev/null";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return read_text(out);
    }
    // Only the data records (S1-S3 lines, with their CR LF) of an objcopy file.
    static std::string data_records(const std::string& file)
    {
        std::string out;
        std::size_t pos = 0;
        while (pos < file.size()) {
            std::size_t end = file.find('\n', pos);
            end = end == std::string::npos ? file.size() : end + 1;
            const std::string line = file.substr(pos, end - pos);
            if (line.size() > 2 && line[1] >= '1' && line[1] <= '3')
                out += line;
            pos = end;
        }
        return out;
    }
    std::string joined(std::initializer_list<std::string> parts)
    {
        std::string s = srec_line('0', 0, 2, {'h', 'd', 'r'}) + "\r\n";
        for (const auto& p : parts)
            s += data_records(p);
        return s + srec_line('9', 0, 2, {}) + "\r\n";
    }
protected:
    fs::path write(const std::string& text, const std::string& name = "fw.mot")
    {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    int read(const std::string& text) { return readSRecordFile(write(text).string()); }
    // Image bytes from address a, n of them, taken by address.
    static Bytes image_bytes(uint32_t a, std::size_t n)
    {
        Bytes out;
        for (std::size_t i = 0; i < n; ++i) {
            uint8_t b = 0;
            EXPECT_TRUE(Flashctrl_image_byte(FirmwareImage, a + static_cast<uint32_t>(i), b)) << a + i;
            out.push_back(b);
        }
        return out;
    }
    static bool page_all(uint32_t k, uint8_t v)
    {
        for (uint8_t b : FirmwareImage.pages[k].data)
            if (b != v)
                return false;
        return true;
    }
    std::string messages() const
    {
        std::string s;
        for (const auto& b : boxes)
            s += b.text + "|";
        return s;
    }

    fs::path dir_;
    std::vector<MsgRequest> boxes;
    MsgSink old_sink_;
};

// ---- acceptance: whole files ----

TEST_F(FlashImage, EightKilobytesFromZeroFillSixtyFourPagesAndTheEndEntry)
{
    const Bytes bin = pattern(8192, 1);
    ASSERT_EQ(read(objcopy(bin, 0)), 1) << messages();
    const FirmwareImageRec& img = FirmwareImage;
    EXPECT_EQ(img.page_count, 64u);
    EXPECT_EQ(img.pages[64].address, FLASH_END_ENTRY);
    EXPECT_TRUE(page_all(64, 0xFF));
    EXPECT_EQ(img.start_address, 0u);
    EXPECT_EQ(img.end_address, 0x1FFFu);
    EXPECT_EQ(img.image_size, 0x1FFFu);
    for (uint32_t k = 0; k < 64; ++k) {
        EXPECT_EQ(img.pages[k].address, 128 * k);
        EXPECT_EQ(0, std::memcmp(img.pages[k].data, bin.data() + 128 * k, 128)) << k;
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FlashImage, LinesEndingAtTheReadChunkBoundaryAndLowerCaseRecordsReadTheSame)
{
    const Bytes bin = pattern(8192, 2);
    // A header line of 46 characters puts the CR of data line 91 at byte 4094 and its LF at 4095,
    // the header of 48 characters puts that CR at 4096 (the first byte of the second chunk).
    for (std::size_t header : {18u, 19u}) {
        std::string text = srec_line('0', 0, 2, Bytes(header, 'x')) + "\r\n" + data_records(objcopy(bin, 0));
        text[text.find("\nS1", 4000) + 1] = 's';
        other_image();
        ASSERT_EQ(read(text), 1) << messages();
        EXPECT_EQ(image_bytes(0, 8192), bin) << header;
    }
}

TEST_F(FlashImage, RecordsNotOnAPageBoundaryGoOnPageByPage)
{
    const Bytes b16 = pattern(16, 3);
    ASSERT_EQ(read(objcopy(b16, 0x78)), 1);
    const FirmwareImageRec& img = FirmwareImage;
    EXPECT_EQ(img.pages[0].address, 0u);
    EXPECT_TRUE(std::all_of(img.pages[0].data, img.pages[0].data + 0x78, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(Bytes(img.pages[0].data + 0x78, img.pages[0].data + 0x80), Bytes(b16.begin(), b16.begin() + 8));
    EXPECT_EQ(img.pages[1].address, 0x80u);
    EXPECT_EQ(Bytes(img.pages[1].data, img.pages[1].data + 8), Bytes(b16.begin() + 8, b16.end()));
    EXPECT_TRUE(std::all_of(img.pages[1].data + 8, img.pages[1].data + 128, [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(img.page_count, 2u);
    EXPECT_EQ(img.start_address, 0x78u);
    EXPECT_EQ(img.end_address, 0x87u);

    const Bytes b250 = pattern(250, 4);
    const std::string s3 = objcopy(b250, 0x78, 250, true);
    ASSERT_EQ(data_records(s3).size(), 514u + 2);  // one line of 514 characters
    other_image();
    ASSERT_EQ(read(s3), 1) << messages();
    EXPECT_EQ(img.page_count, 3u);
    EXPECT_EQ(img.end_address, 0x171u);
    EXPECT_EQ(image_bytes(0x78, 250), b250);
    EXPECT_EQ(img.pages[2].address, 0x100u);
    EXPECT_EQ(img.pages[3].address, FLASH_END_ENTRY);
}

TEST_F(FlashImage, GapPagesGetTheirOwnAddressAndErasedBytes)
{
    ASSERT_EQ(read(joined({objcopy(pattern(16, 5), 0), objcopy(pattern(16, 6), 0x400)})), 1);
    const FirmwareImageRec& img = FirmwareImage;
    for (uint32_t k = 1; k <= 7; ++k) {
        EXPECT_EQ(img.pages[k].address, 0x80u * k);
        EXPECT_TRUE(page_all(k, 0xFF)) << k;
    }
    EXPECT_EQ(img.page_count, 9u);

    // A shorter record over a longer one: the end entry follows the highest page reached.
    const Bytes b250 = pattern(250, 7);
    other_image();
    ASSERT_EQ(read(joined({objcopy(b250, 0, 250, true), objcopy(pattern(16, 8), 0x10)})), 1);
    EXPECT_EQ(img.page_count, 2u);
    EXPECT_EQ(Bytes(img.pages[1].data, img.pages[1].data + 122), Bytes(b250.begin() + 128, b250.end()));
}

TEST_F(FlashImage, ALastLineWithoutItsLineEndIsStored)
{
    std::string text = objcopy(pattern(64, 9), 0);
    text = text.substr(0, text.rfind("S9"));           // a truncated file: no terminator
    text.resize(text.size() - 2);                      // nor the last CR LF
    ASSERT_EQ(read(text), 1);
    EXPECT_EQ(FirmwareImage.end_address, 63u);
}

// The same files with CR LF and with LF alone give the same image.
struct LineEndFile {
    const char* name;
    std::function<std::string(FlashImage&)> make;  // with CR LF
};

class FlashImageLineEnds : public FlashImage, public ::testing::WithParamInterface<int> {
protected:
    struct Snapshot {
        uint32_t start, end, size, count;
        std::vector<FlashPage> pages;  // up to and with the end entry
        bool operator==(const Snapshot& o) const
        {
            return start == o.start && end == o.end && size == o.size && count == o.count &&
                   std::equal(pages.begin(), pages.end(), o.pages.begin(), o.pages.end(),
                              [](const FlashPage& a, const FlashPage& b) {
                                  return a.address == b.address && std::memcmp(a.data, b.data, sizeof a.data) == 0;
                              });
        }
    };
    Snapshot read_image(const std::string& text)
    {
        other_image();
        EXPECT_EQ(read(text), 1) << messages();
        const FirmwareImageRec& img = FirmwareImage;
        return {img.start_address, img.end_address, img.image_size, img.page_count,
                std::vector<FlashPage>(img.pages, img.pages + img.page_count + 1)};
    }
};

const LineEndFile LINE_END_FILES[] = {
    {"S1From0", [](FlashImage& f) { return f.objcopy(pattern(8192, 20), 0); }},
    {"S2OddStart", [](FlashImage& f) { return f.objcopy(pattern(1000, 21), 0x2003B, 32); }},
    {"S3Of250OddStart", [](FlashImage& f) { return f.objcopy(pattern(700, 22), 0x78, 250, true); }},
    {"GapsBetweenS1AndS3",
     [](FlashImage& f) {
         return f.joined({f.objcopy(pattern(40, 23), 0x10), f.objcopy(pattern(300, 24), 0x400, 100, true),
                          f.objcopy(pattern(16, 25), 0x1000)});
     }},
    {"BlanksAndAnEndOfFileMarkLast", [](FlashImage& f) { return f.objcopy(pattern(64, 26), 0) + "\n \n\x1A"; }},
    {"BlankCrLfLinesLast", [](FlashImage& f) { return f.objcopy(pattern(64, 30), 0) + "\r\n \t\r\n"; }},
    {"BlankCrLfLinesBetweenRecords",
     [](FlashImage& f) { return f.objcopy(pattern(16, 31), 0) + "\r\n\t \r\n" + f.objcopy(pattern(16, 32), 0x10); }},
};

TEST_P(FlashImageLineEnds, LineFeedsAloneReadLikeCarriageReturnsAndLineFeeds)
{
    const LineEndFile& c = LINE_END_FILES[GetParam()];
    const std::string crlf = c.make(*this);
    std::string lf;
    for (std::size_t i = 0; i < crlf.size(); ++i)
        if (!(crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n'))
            lf += crlf[i];
    ASSERT_NE(lf.size(), crlf.size()) << c.name;
    const Snapshot want = read_image(crlf);
    EXPECT_TRUE(read_image(lf) == want) << c.name;
    EXPECT_GE(want.count, 1u) << c.name;
    EXPECT_TRUE(boxes.empty()) << c.name << ": " << messages();
}
INSTANTIATE_TEST_SUITE_P(Files, FlashImageLineEnds, ::testing::Range(0, static_cast<int>(std::size(LINE_END_FILES))),
                         [](const auto& info) { return std::string(LINE_END_FILES[info.param].name); });

TEST_F(FlashImage, ACarriageReturnSwallowsTheCharacterAfterIt)
{
    const Bytes a = pattern(16, 27), b = pattern(16, 28), c = pattern(16, 29);
    const std::string text = srec_line('1', 0, 2, a) + "\rX" + srec_line('1', 0x10, 2, b) + "\r\r" +
                             srec_line('1', 0x20, 2, c) + "\r\n";
    ASSERT_EQ(read(text), 1) << messages();
    Bytes want = a;
    want.insert(want.end(), b.begin(), b.end());
    want.insert(want.end(), c.begin(), c.end());
    EXPECT_EQ(image_bytes(0, 48), want);
}

// ---- acceptance: one message each, read 0 ----

struct BadFile {
    const char* name;
    std::function<std::string(FlashImage&)> make;  // through the fixture's helpers
    const char* message;
};

class FlashImageBad : public FlashImage, public ::testing::WithParamInterface<int> {};

std::string good_line(FlashImage&, uint32_t a = 0)
{
    return srec_line('1', a, 2, pattern(16, a)) + "\r\n";
}

const BadFile BAD_FILES[] = {
    {"S4Record", [](FlashImage& f) { return good_line(f) + "S4030000FC\r\n"; }, MSG_TYPE},
    {"LineOf515", [](FlashImage& f) { return good_line(f) + "S1FF" + std::string(511, '0') + "\r\n"; }, MSG_LENGTH},
    {"CountBelowAddressAndChecksum", [](FlashImage& f) { return good_line(f) + "S10200FD\r\n"; }, MSG_LENGTH},
    {"DataDigitNotHex",
     [](FlashImage& f) {
         std::string l = srec_line('1', 0x10, 2, Bytes(16, 0x30));
         l[10] = 'G';
         return good_line(f) + l + "\r\n";
     },
     MSG_SUM},
    {"NulInTheAddress",
     [](FlashImage& f) {
         std::string l = srec_line('1', 0x10, 2, Bytes(16, 1));
         l[5] = '\0';
         return good_line(f) + l + "\r\n";
     },
     MSG_ADDRESS},
    {"RecordBelowTheFirst",
     [](FlashImage& f) { return srec_line('1', 0x100, 2, Bytes(16, 1)) + "\r\n" + good_line(f, 0x80); }, MSG_ADDRESS},
    {"OnlyHeaderAndTerminator", [](FlashImage&) { return srec_line('0', 0, 2, {'a'}) + "\r\n" + srec_line('9', 0, 2, {}) + "\r\n"; },
     MSG_NO_DATA},
    {"AllAboveTheFlash",
     [](FlashImage&) { return srec_line('2', 0x40000, 3, Bytes(16, 1)) + "\r\n"; }, MSG_NO_DATA},
    {"NotAnSRecord", [](FlashImage& f) { return good_line(f) + "X1130000\r\n"; }, MSG_NOT_SREC},
    {"CountNotHex", [](FlashImage& f) { return good_line(f) + "S1Z3\r\n"; }, MSG_COUNT},
    {"NoCount", [](FlashImage& f) { return good_line(f) + "S1\r\n"; }, MSG_COUNT},
    {"LastLineWithoutItsEnd", [](FlashImage& f) { return good_line(f) + "S4030000FC"; }, MSG_TYPE},
    {"WrongChecksum",
     [](FlashImage& f) {
         std::string l = srec_line('1', 0x10, 2, Bytes(16, 1));
         l.back() = l.back() == '0' ? '1' : '0';
         return good_line(f) + l + "\r\n";
     },
     MSG_SUM},
};

TEST_P(FlashImageBad, RefusedWithItsOneMessageAndTheLoadedFlagCleared)
{
    const BadFile& c = BAD_FILES[GetParam()];
    FlashFileLoaded.store(1);
    const fs::path p = write(c.make(*this));
    EXPECT_FALSE(Flashsh7047_load_file(p.string())) << c.name;
    ASSERT_EQ(boxes.size(), 1u) << c.name << ": " << messages();
    EXPECT_EQ(boxes[0].text, c.message) << c.name;
    EXPECT_EQ(boxes[0].title, "Errore");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(FlashFileLoaded.load(), 0) << c.name;
}
INSTANTIATE_TEST_SUITE_P(Files, FlashImageBad, ::testing::Range(0, static_cast<int>(std::size(BAD_FILES))),
                         [](const auto& info) { return std::string(BAD_FILES[info.param].name); });

TEST_F(FlashImage, MissingOrEmptyFilesGiveZeroWithoutAMessageAndKeepThePages)
{
    EXPECT_EQ(readSRecordFile((dir_ / "none.mot").string()), 0);
    EXPECT_EQ(read(""), 0);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FirmwareImage.pages[0].address, 0x12345680u);
    EXPECT_TRUE(page_all(0, 0x5A));
}

TEST_F(FlashImage, AnyDamageGivesAMessageOrAWholeImageNeverACrash)
{
    const std::string good = objcopy(pattern(1024, 11), 0x300, 32);
    std::mt19937 gen(12);
    const char alphabet[] = "S0123456789ABCDEFs\r\n\0G";
    for (int round = 0; round < 300; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(gen() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = gen() % text.size();
            switch (gen() % 3) {
            case 0: text[at] = alphabet[gen() % (sizeof alphabet - 1)]; break;
            case 1: text.erase(at, 1 + gen() % 8); break;
            default: text.insert(at, 1 + gen() % 40, alphabet[gen() % (sizeof alphabet - 1)]); break;
            }
            if (text.empty())
                text = "S";
        }
        boxes.clear();
        const int r = read(text);
        if (r == 1) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_LT(FirmwareImage.page_count, FLASH_PAGE_COUNT);
            EXPECT_EQ(FirmwareImage.pages[FirmwareImage.page_count].address, FLASH_END_ENTRY);
        } else {
            EXPECT_LE(boxes.size(), 1u);
        }
    }
}

// ---- boot-program block ----

// 0..0x1FFF with the block's text at 0x254 and the identifier word at 0x244.
Bytes boot_binary(uint32_t ident)
{
    Bytes bin = pattern(0x2000, 13);
    const char text[] = "BOOT PROGRAM CTRL";
    std::memcpy(bin.data() + 0x254, text, sizeof text);
    for (int i = 0; i < 4; ++i)
        bin[0x244 + i] = static_cast<uint8_t>(ident >> (24 - 8 * i));
    return bin;
}

TEST_F(FlashImage, ABootProgramImageIsFoundByItsBlockAndPatchedWithTheSelection)
{
    ASSERT_EQ(read(objcopy(boot_binary(0x00504E44), 0)), 1);
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::BootProgram);
    patchDeviceData(FirmwareImage, {1, 3, 0});
    EXPECT_EQ(image_bytes(0x248, 4), (Bytes{0x00, 0x0C, 0x04, 0x65}));
    EXPECT_EQ(image_bytes(0x274, 2), (Bytes{0x03, 0x00}));
    const Bytes before = image_bytes(0x244, 108);
    patchDeviceData(FirmwareImage, {2, 7, 7});  // no such device
    EXPECT_EQ(image_bytes(0x244, 108), before);
    const uint8_t bytes[2] = {1, 2};  // the end entry and beyond are not the image
    EXPECT_FALSE(writeImageBytes(FirmwareImage, 64 * 128 - 1, bytes, 2));
    EXPECT_TRUE(page_all(64, 0xFF));
}

TEST_F(FlashImage, AnotherIdentifierOrABlockBeyondTheImageIsAPlainImage)
{
    ASSERT_EQ(read(objcopy(boot_binary(0x00504E45), 0)), 1);
    EXPECT_FALSE(FlashModeFlags.load() & FlashModeFlag::BootProgram);
    const Bytes before = image_bytes(0x244, 108);
    patchDeviceData(FirmwareImage, {1, 3, 0});
    EXPECT_EQ(image_bytes(0x244, 108), before);

    ASSERT_EQ(read(objcopy(boot_binary(0x00504E44), 0)), 1);
    ASSERT_TRUE(FlashModeFlags.load() & FlashModeFlag::BootProgram);
    ASSERT_EQ(read(objcopy(pattern(256, 14), 0)), 1);  // two pages over it
    EXPECT_FALSE(FlashModeFlags.load() & FlashModeFlag::BootProgram);
}

// ---- loading by extension ----

std::vector<int> loaded_calls;  // what the firmware window's hooks were told
std::vector<int> state_calls;

TEST_F(FlashImage, LoadingTakesTheExtensionInAnyCaseAndSetsTheLoadedFlagAndAge)
{
    loaded_calls.clear();
    state_calls.clear();
    Flashctrl_on_image_loaded = [](bool ok) { loaded_calls.push_back(ok); };
    Flashctrl_on_file_state = [](uint8_t st) { state_calls.push_back(st); };
    const fs::path p = write(objcopy(pattern(256, 15), 0), "FW.MOT");
    Flash_settings_set({p.string(), false, {0, 0, 0}});
    ASSERT_TRUE(Flashsh7047_load_file(p.string()));
    EXPECT_EQ(FirmwareImage.file_state, FlashFileState::Current);  // the watch ran once
    EXPECT_EQ(FlashFileLoaded.load(), 1);
    EXPECT_NE(FirmwareImage.loaded_age, 0);
    EXPECT_EQ(FirmwareImage.known_age.load(), FirmwareImage.loaded_age);

    EXPECT_FALSE(Flashsh7047_load_file(write("x", "fw.txt").string()));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(FlashFileLoaded.load(), 0);

    EXPECT_FALSE(Flashsh7047_load_file(write("x", "fw.cdx").string()));  // no whole container: silent
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::Container);
    Flashctrl_on_image_loaded = nullptr;
    Flashctrl_on_file_state = nullptr;
    EXPECT_EQ(loaded_calls, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(state_calls, (std::vector<int>{FlashFileState::Current}));
}

TEST_F(FlashImage, NoLoadWhileARunMayUseTheImage)
{
    ASSERT_TRUE(Flashsh7047_load_file(write(objcopy(pattern(256, 16), 0)).string()));
    const Bytes before = image_bytes(0, 256);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_mode_req.store(LinkMode::Flash);
    EXPECT_TRUE(Flashctrl_run_active());
    EXPECT_FALSE(Flashsh7047_load_file(write(objcopy(pattern(256, 17), 0)).string()));
    EXPECT_EQ(image_bytes(0, 256), before);
    EXPECT_EQ(FlashFileLoaded.load(), 1);
}

TEST(FlashCompat, ContainerMustMatchTheDriveAndAFirstFamilyDriveItsBootState)
{
    struct Row {
        uint8_t loaded, kind;
        uint32_t firmware, drive;
        uint16_t status, ident_flags;
        bool ok;
    };
    const Row rows[] = {
        {1, FlashModeFlag::Container, 0xC0465, 0xC0465, 0, 0, true},
        {1, FlashModeFlag::Container, 0xC0458, 0xC0465, 0, 0, false},
        {0, FlashModeFlag::Container, 0xC0465, 0xC0465, 0, 0, false},
        {1, 0, 0xC0465, 0xC0465, 0, 0, false},
        {1, FlashModeFlag::Container, 0xC0458, 0xC0458, 0, 0, false},
        {1, FlashModeFlag::Container, 0xC0458, 0xC0458, StatusBit::Boot, 0, true},
        {1, FlashModeFlag::Container, 0xC0458, 0xC0458, 0, IdentFlag::BootCondition, true},
    };
    for (const Row& r : rows) {
        State_reset_all();
        FlashFileLoaded.store(r.loaded);
        FlashModeFlags.store(r.kind);
        for (int i = 0; i < 4; ++i)
            FirmwareImage.container_header[192 + i] = static_cast<uint8_t>(r.firmware >> (24 - 8 * i));
        DriveDeviceId.store(r.drive);
        Drive_status_update_word(0xFFFF, r.status);
        Drive_ident_edit([&](DriveIdentRec& id) { id.flags = r.ident_flags; });
        EXPECT_EQ(Flashctrl_cdx_compatible(), r.ok) << std::hex << r.firmware << " " << r.drive;
    }
    State_reset_all();
    FlashFileLoaded.store(0);
}

// ---- the file watch ----

class FlashWatch : public FlashImage {
protected:
    void SetUp() override
    {
        FlashImage::SetUp();
        path_ = dir_ / "watch.mot";
        t_ = 1000;
    }
    // A poll 301 ms after the one before.
    uint8_t poll()
    {
        t_ += 301;
        Flashctrl_poll_file_at(t_);
        return FirmwareImage.file_state;
    }
    void name_file() { Flash_settings_set({path_.string(), false, {0, 0, 0}}); }
    void write_file(unsigned seed, int64_t age_s)
    {
        std::ofstream(path_, std::ios::binary) << objcopy(pattern(256, seed), 0);
        set_age(age_s);
    }
    void set_age(int64_t age_s)
    {
        const timespec times[2] = {{age_s, 0}, {age_s, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
    }
    uint8_t first_byte() const { return FirmwareImage.pages[0].data[0]; }

    fs::path path_;
    uint32_t t_ = 0;
};

TEST_F(FlashWatch, StatesFollowTheNamedFileAndAChangeIsReadOnTheFourthPollThatSeesIt)
{
    EXPECT_EQ(poll(), FlashFileState::NoName);
    name_file();
    EXPECT_EQ(poll(), FlashFileState::Missing);
    write_file(20, 1000000);
    EXPECT_EQ(poll(), FlashFileState::Changed);  // known age 0; the first poll reads it
    EXPECT_EQ(FlashFileLoaded.load(), 1);
    EXPECT_EQ(first_byte(), pattern(256, 20)[0]);
    EXPECT_EQ(poll(), FlashFileState::Current);

    write_file(21, 2000000);
    EXPECT_EQ(poll(), FlashFileState::Changed);
    EXPECT_EQ(poll(), FlashFileState::Changed);
    EXPECT_EQ(poll(), FlashFileState::Changed);
    EXPECT_EQ(first_byte(), pattern(256, 20)[0]);
    EXPECT_EQ(poll(), FlashFileState::Changed);  // the fourth: read
    EXPECT_EQ(first_byte(), pattern(256, 21)[0]);
    EXPECT_EQ(poll(), FlashFileState::Current);

    Flashctrl_poll_file_at(t_ + 300);  // within 300 ms: nothing
    std::filesystem::remove(path_);
    EXPECT_EQ(FirmwareImage.file_state, FlashFileState::Current);
    EXPECT_EQ(poll(), FlashFileState::Missing);
}

TEST_F(FlashWatch, AFileTouchedDuringARunIsReadAfterIt)
{
    name_file();
    write_file(22, 1000000);
    poll();
    poll();
    write_file(23, 3000000);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_mode_req.store(LinkMode::Flash);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(poll(), FlashFileState::Changed);
    EXPECT_EQ(first_byte(), pattern(256, 22)[0]);
    Ser_link_mode_req.store(LinkMode::Normal);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(poll(), FlashFileState::Changed);
    EXPECT_EQ(first_byte(), pattern(256, 23)[0]);
    EXPECT_EQ(poll(), FlashFileState::Current);
}

TEST_F(FlashWatch, ABrokenFileIsTriedOncePerAge)
{
    name_file();
    std::ofstream(path_, std::ios::binary) << "S4030000FC\r\n";
    set_age(1000000);
    for (int i = 0; i < 12; ++i)
        poll();
    EXPECT_EQ(boxes.size(), 1u) << messages();
    set_age(2000000);
    for (int i = 0; i < 12; ++i)
        poll();
    EXPECT_EQ(boxes.size(), 2u) << messages();
}

}  // namespace
