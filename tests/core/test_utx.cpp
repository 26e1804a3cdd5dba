// Utilities: byte order, key filters, list-row mappings, texts, and the file writer.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drivedata/Canopen.h"
#include "drivedata/Utx.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const fs::path& p, const Bytes& bytes)
{
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::size_t entries_in(const fs::path& dir)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

class UtxWriteFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (fs::temp_directory_path() / "utx_test_XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        dir = tmpl;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

}  // namespace

TEST(Utx, SwapsReverseInPlaceOrIntoACopy)
{
    uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const uint16_t v16 = Utx_swap16(b);
    EXPECT_EQ(Bytes(b, b + 2), (Bytes{2, 1}));
    EXPECT_EQ(std::memcmp(&v16, b, 2), 0);  // the swapped bytes, read in host order
    const uint32_t v32 = Utx_swap32(b + 4);
    EXPECT_EQ(Bytes(b + 4, b + 8), (Bytes{8, 7, 6, 5}));
    EXPECT_EQ(std::memcmp(&v32, b + 4, 4), 0);

    uint8_t dst[8] = {};
    const uint8_t src[8] = {0xAA, 0xBB, 0xCC, 0xDD, 5, 6, 7, 8};
    const uint32_t c = Utx_swap32_copy(dst, src);
    EXPECT_EQ(Bytes(dst, dst + 4), (Bytes{0xDD, 0xCC, 0xBB, 0xAA}));
    EXPECT_EQ(std::memcmp(&c, dst, 4), 0);
    uint8_t same[4] = {1, 2, 3, 4};
    Utx_swap32_copy(same, same);  // source and destination may be the same bytes
    EXPECT_EQ(Bytes(same, same + 4), (Bytes{4, 3, 2, 1}));
    Utx_swap64(dst, src);
    EXPECT_EQ(Bytes(dst, dst + 8), (Bytes{8, 7, 6, 5, 0xDD, 0xCC, 0xBB, 0xAA}));

    EXPECT_EQ(Utx_be16(0x1234), 0x3412);
    EXPECT_EQ(Utx_be32(0x11223344u), 0x44332211u);

    const uint8_t x[3] = {1, 2, 3}, y[3] = {1, 2, 4};
    EXPECT_EQ(Utx_mem_differ(x, y, 0), 0);
    EXPECT_EQ(Utx_mem_differ(x, y, 2), 0);
    EXPECT_EQ(Utx_mem_differ(x, y, 3), 1);
}

TEST(Utx, KeyFiltersKeepDigitsOrLettersAndTheEditKeys)
{
    for (int c = 0; c < 256; ++c) {
        char d = static_cast<char>(c);
        char l = static_cast<char>(c);
        Utx_key_digits(&d);
        Utx_key_letters(&l);
        const bool edit = c == 8 || c == 13;
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        EXPECT_EQ(d, (digit || edit) ? static_cast<char>(c) : 0) << c;
        EXPECT_EQ(l, (letter || edit) ? static_cast<char>(c) : 0) << c;
    }
    Utx_key_digits(nullptr);
}

// List rows and the codes they stand for; unknown codes show the default row.
TEST(Utx, RowMappings)
{
    using Map = int (*)(int);
    const Map motion = [](int v) { return int(Utx_motion_profile_to_index(int16_t(v))); };
    const Map torque = [](int v) { return int(Utx_torque_profile_to_index(int16_t(v))); };
    const Map stop_row = [](int v) { return int(Utx_quick_stop_to_index(int16_t(v))); };
    const Map stop_code = [](int v) { return int(Utx_index_to_quick_stop(int16_t(v))); };
    const Map mode_row = [](int v) { return int(Canopen_mode_to_index(int16_t(v))); };
    const Map row_mode = [](int v) { return int(Canopen_index_to_mode(int16_t(v))); };
    const struct {
        const char* name;
        Map map;
        std::vector<std::pair<int, int>> rows;
    } maps[] = {
        {"motion profile", motion, {{-1, 0}, {0, 1}, {3, 2}, {1, 0}}},
        {"torque profile", torque, {{-1, 0}, {0, 1}, {3, 0}}},
        {"quick stop row", stop_row, {{0, 0}, {1, 1}, {2, 2}, {5, 3}, {6, 4}, {3, 0}, {-1, 0}}},
        {"quick stop code", stop_code, {{0, 0}, {1, 1}, {2, 2}, {3, 5}, {4, 6}, {5, 0}, {-1, 0}}},
        {"CANopen mode row", mode_row, {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {6, 4}, {7, 5}, {-1, 6}, {5, 0}, {0, 0}}},
        {"CANopen row mode", row_mode, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {5, 7}, {6, -1}, {7, 1}, {-1, 1}}},
    };
    for (const auto& m : maps)
        for (auto [in, out] : m.rows)
            EXPECT_EQ(m.map(in), out) << m.name << " " << in;

    // Homing: methods 15, 16, 31 and 32 have no row of their own; every row maps back to itself.
    for (uint16_t row = 0; row <= 31; ++row) {
        const uint16_t method = Utx_index_to_homing_method(row);
        EXPECT_TRUE(method != 15 && method != 16 && method != 31 && method != 32) << row;
        EXPECT_EQ(Utx_homing_method_to_index(method), row) << row;
    }
    const std::pair<uint16_t, uint16_t> shared[] = {{14, 14}, {15, 13}, {16, 14}, {17, 15}, {31, 27}, {32, 28}, {35, 31}};
    for (auto [method, row] : shared)
        EXPECT_EQ(Utx_homing_method_to_index(method), row) << method;
    EXPECT_GT(Utx_homing_method_to_index(36), 31);  // shown as no selection
}

TEST(Utx, EmergencyCodesMapBackToTheirAlarm)
{
    ASSERT_EQ(EmcyCodeCount, 27);
    for (uint16_t i = 1; i < EmcyCodeCount; ++i) {
        if (EmcyCodeTable[i] != 0) {
            EXPECT_EQ(Canopen_emcy_to_alarm(EmcyCodeTable[i]), i - 1);
        }
    }
    EXPECT_EQ(Canopen_emcy_to_alarm(0), 4);  // the first alarm without a code
    for (uint32_t unknown : {0x1234u, 0x00017600u, 0x10000u, 0xFFFFFFFFu})  // no 16-bit code in the upper bits
        EXPECT_EQ(Canopen_emcy_to_alarm(unknown), -1) << unknown;
}

// Bits in groups of four from the top, the short group first; the last byte of the buffer
// always stays 0; bits above 31 read as 0.
TEST(Utx, BitsAndDateTimeTexts)
{
    const struct {
        uint32_t value;
        uint16_t n;
        uint16_t size;
        const char* want;
    } rows[] = {
        {0xA5, 8, 16, "1010 0101"}, {0x25, 6, 16, "10 0101"},  {0xA5, 8, 9, "1010 010"},
        {0xFFFF, 0, 16, ""},        {1, 1, 1, ""},            {0xFFFFFFFFu, 36, 64, "0000 1111 1111 1111 1111 1111 1111 1111 1111"},
    };
    for (const auto& r : rows) {
        char buf[64];
        std::memset(buf, 'x', sizeof buf);
        Utx_bits_to_text(r.value, r.n, buf, r.size);
        EXPECT_STREQ(buf, r.want) << r.want;
        for (uint16_t i = static_cast<uint16_t>(std::strlen(r.want)); i < r.size; ++i)
            EXPECT_EQ(buf[i], 0) << r.want << " " << i;
    }
    Utx_bits_to_text(1, 1, nullptr, 4);

    char buf[32] = {};
    EXPECT_EQ(Utx_datetime_to_text({2009, 4, 3, 9, 5, 7}, buf, 22), 1);
    EXPECT_STREQ(buf, "9:05:07  [03-04-2009]");
    EXPECT_EQ(Utx_datetime_to_text({1999, 12, 31, 23, 59, 58}, buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "23:59:58  [31-12-1999]");
    char small[21] = {};
    EXPECT_EQ(Utx_datetime_to_text({2009, 4, 3, 9, 5, 7}, small, 21), 0);  // no room for the zero
    EXPECT_EQ(small[0], 0);
}

// ---- files ----

TEST_F(UtxWriteFile, CreatesFoldersUpdatesInPlaceAndLeavesNoTemporary)
{
    const fs::path cwd = fs::current_path();
    const fs::path target = dir / "a" / "b" / "data.ivt";
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(Utx_write_file(target, bytes, 5, 3, UTX_FILE_CREATE));
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_EQ(read_file(target), (Bytes{0, 0, 0, 1, 2, 3, 4, 5}));
    ASSERT_TRUE(Utx_write_file(target, bytes, 2, 0, UTX_FILE_CREATE));  // create replaces the whole file
    EXPECT_EQ(read_file(target), (Bytes{1, 2}));
    const uint8_t mid = 0xEE;
    ASSERT_TRUE(Utx_write_file(target, &mid, 1, 1, UTX_FILE_UPDATE));
    ASSERT_TRUE(Utx_write_file(target, &mid, 1, 3, UTX_FILE_UPDATE));
    EXPECT_EQ(read_file(target), (Bytes{1, 0xEE, 0, 0xEE}));
    EXPECT_EQ(entries_in(dir / "a" / "b"), 1u);

    put_file(dir / "real.dat", {1, 2, 3});  // a link keeps pointing at the new content
    fs::create_symlink(dir / "real.dat", dir / "link.dat");
    ASSERT_TRUE(Utx_write_file(dir / "link.dat", &mid, 1, 1, UTX_FILE_UPDATE));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_EQ(read_file(dir / "real.dat"), (Bytes{1, 0xEE, 3}));
}

TEST_F(UtxWriteFile, RefusesBadRequests)
{
    const uint8_t b = 1;
    EXPECT_FALSE(Utx_write_file(dir / "missing.dat", &b, 1, 0, UTX_FILE_UPDATE));
    EXPECT_FALSE(Utx_write_file(dir / "x.dat", &b, 1, 0, 7));
    EXPECT_FALSE(Utx_write_file(dir / "x.dat", nullptr, 1, 0, UTX_FILE_CREATE));
    EXPECT_FALSE(Utx_write_file(dir, &b, 1, 0, UTX_FILE_CREATE));  // a folder is no file
    EXPECT_EQ(entries_in(dir), 0u);
    put_file(dir / "plain", {1});  // a folder that cannot be created: a plain file is in the way
    EXPECT_FALSE(Utx_write_file(dir / "plain" / "sub" / "x.dat", &b, 1, 0, UTX_FILE_CREATE));
}

TEST_F(UtxWriteFile, FailedWritesLeaveTheOldFileIntact)
{
    const fs::path target = dir / "drive.ivt";
    put_file(target, {10, 20, 30, 40});

    // A file size limit makes the write come up short (works for root too).
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*prev)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = saved;
    lim.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
    Bytes big(4096, 0x77);
    const bool created = Utx_write_file(target, big.data(), 4096, 0, UTX_FILE_CREATE);
    const bool updated = Utx_write_file(target, big.data(), 4096, 0, UTX_FILE_UPDATE);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, prev);
    EXPECT_FALSE(created);
    EXPECT_FALSE(updated);
    EXPECT_EQ(read_file(target), (Bytes{10, 20, 30, 40}));
    EXPECT_EQ(entries_in(dir), 1u);

    // A folder without write permission; permissions do not bind root, so the write is tried as
    // an unprivileged user in a child then.
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const uint8_t b[] = {9, 9};
    bool ok = true;
    if (::geteuid() == 0) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            ::_exit(Utx_write_file(target, b, 2, 0, UTX_FILE_CREATE) ? 1 : 0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "could not drop privileges";
        ok = WEXITSTATUS(status) == 1;
    } else {
        ok = Utx_write_file(target, b, 2, 0, UTX_FILE_CREATE);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(read_file(target), (Bytes{10, 20, 30, 40}));
}
