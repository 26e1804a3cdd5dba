#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
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

std::vector<uint8_t> read_file(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void put_file(const fs::path& p, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
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
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

}  // namespace

// ---- byte order ----

TEST(UtxSwap, ReverseInPlaceAndCopies)
{
    uint8_t two[2] = {0x12, 0x34};
    const uint16_t v16 = Utx_swap16(two);
    EXPECT_EQ(two[0], 0x34);
    EXPECT_EQ(two[1], 0x12);
    uint16_t host16;
    std::memcpy(&host16, two, 2);
    EXPECT_EQ(v16, host16);

    uint8_t four[4] = {1, 2, 3, 4};
    const uint32_t v32 = Utx_swap32(four);
    EXPECT_EQ(std::memcmp(four, "\x04\x03\x02\x01", 4), 0);
    uint32_t host32;
    std::memcpy(&host32, four, 4);
    EXPECT_EQ(v32, host32);

    const uint8_t src[4] = {0xAA, 0xBB, 0xCC, 0xDD};
    uint8_t dst[4] = {};
    const uint32_t c = Utx_swap32_copy(dst, src);
    EXPECT_EQ(std::memcmp(dst, "\xDD\xCC\xBB\xAA", 4), 0);
    std::memcpy(&host32, dst, 4);
    EXPECT_EQ(c, host32);
    uint8_t same[4] = {1, 2, 3, 4};
    Utx_swap32_copy(same, same);  // source and destination may be the same bytes
    EXPECT_EQ(std::memcmp(same, "\x04\x03\x02\x01", 4), 0);

    const uint8_t s8[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t d8[8] = {};
    Utx_swap64(d8, s8);
    EXPECT_EQ(std::memcmp(d8, "\x08\x07\x06\x05\x04\x03\x02\x01", 8), 0);

    EXPECT_EQ(Utx_be16(0x1234), 0x3412);
    EXPECT_EQ(Utx_be32(0x11223344u), 0x44332211u);
    EXPECT_EQ(Utx_be32(Utx_be32(0xDEADBEEFu)), 0xDEADBEEFu);
}

// ---- blocks and keys ----

TEST(UtxBlocks, MemDiffer)
{
    uint8_t a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint8_t b[8] = {1, 2, 3, 4, 5, 6, 7, 9};
    EXPECT_EQ(Utx_mem_differ(a, b, 0), 0);
    EXPECT_EQ(Utx_mem_differ(a, b, 7), 0);
    EXPECT_EQ(Utx_mem_differ(a, b, 8), 1);
}

TEST(UtxKeys, DigitsAndLettersFilters)
{
    for (int c = 0; c < 128; ++c) {
        char d = static_cast<char>(c);
        char l = static_cast<char>(c);
        Utx_key_digits(&d);
        Utx_key_letters(&l);
        const bool edit = c == 8 || c == 13;
        const bool digit = c >= '0' && c <= '9';
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        EXPECT_EQ(d, (digit || edit) ? c : 0) << c;
        EXPECT_EQ(l, (letter || edit) ? c : 0) << c;
    }
    char high = static_cast<char>(0xE9);
    Utx_key_letters(&high);
    EXPECT_EQ(high, 0);
    Utx_key_digits(nullptr);
}

// ---- mappings ----

TEST(UtxMappings, HomingRowsSkipFourMethods)
{
    EXPECT_EQ(Utx_homing_method_to_index(35), 31);
    EXPECT_EQ(Utx_homing_method_to_index(17), 15);
    EXPECT_EQ(Utx_homing_method_to_index(14), 14);
    EXPECT_EQ(Utx_index_to_homing_method(31), 35);
    EXPECT_EQ(Utx_index_to_homing_method(15), 17);
    EXPECT_EQ(Utx_index_to_homing_method(14), 14);
    // Every row maps to a method that maps back to it; the skipped methods share rows.
    for (uint16_t row = 0; row <= 31; ++row) {
        const uint16_t m = Utx_index_to_homing_method(row);
        EXPECT_NE(m, 15);
        EXPECT_NE(m, 16);
        EXPECT_NE(m, 31);
        EXPECT_NE(m, 32);
        EXPECT_EQ(Utx_homing_method_to_index(m), row) << row;
    }
    EXPECT_EQ(Utx_homing_method_to_index(15), 13);
    EXPECT_EQ(Utx_homing_method_to_index(16), 14);
    EXPECT_EQ(Utx_homing_method_to_index(31), 27);
    EXPECT_EQ(Utx_homing_method_to_index(32), 28);
    EXPECT_GT(Utx_homing_method_to_index(36), 31);  // shown as no selection
}

TEST(UtxMappings, ProfileAndQuickStopRows)
{
    EXPECT_EQ(Utx_motion_profile_to_index(-1), 0);
    EXPECT_EQ(Utx_motion_profile_to_index(0), 1);
    EXPECT_EQ(Utx_motion_profile_to_index(3), 2);
    EXPECT_EQ(Utx_motion_profile_to_index(1), 0);
    EXPECT_EQ(Utx_torque_profile_to_index(-1), 0);
    EXPECT_EQ(Utx_torque_profile_to_index(0), 1);
    EXPECT_EQ(Utx_torque_profile_to_index(3), 0);

    const int16_t codes[] = {0, 1, 2, 5, 6};
    for (int16_t row = 0; row < 5; ++row) {
        EXPECT_EQ(Utx_index_to_quick_stop(row), codes[row]);
        EXPECT_EQ(Utx_quick_stop_to_index(codes[row]), row);
    }
    EXPECT_EQ(Utx_quick_stop_to_index(3), 0);
    EXPECT_EQ(Utx_quick_stop_to_index(-1), 0);
    EXPECT_EQ(Utx_index_to_quick_stop(5), 0);
    EXPECT_EQ(Utx_index_to_quick_stop(-1), 0);
}

TEST(UtxMappings, CanopenModes)
{
    const int16_t modes[] = {1, 2, 3, 4, 6, 7, -1};
    for (int16_t row = 0; row < 7; ++row) {
        EXPECT_EQ(Canopen_index_to_mode(row), modes[row]);
        EXPECT_EQ(Canopen_mode_to_index(modes[row]), row);
    }
    EXPECT_EQ(Canopen_index_to_mode(6), -1);
    EXPECT_EQ(Canopen_mode_to_index(5), 0);
    EXPECT_EQ(Canopen_mode_to_index(0), 0);
    EXPECT_EQ(Canopen_index_to_mode(7), 1);
    EXPECT_EQ(Canopen_index_to_mode(-1), 1);
}

TEST(UtxMappings, EmergencyCodeToAlarm)
{
    EXPECT_EQ(Canopen_emcy_to_alarm(0), 4);
    EXPECT_EQ(Canopen_emcy_to_alarm(0x7600), 0);
    EXPECT_EQ(Canopen_emcy_to_alarm(0x1234), -1);
    EXPECT_EQ(Canopen_emcy_to_alarm(0x8400), 25);
    EXPECT_EQ(Canopen_emcy_to_alarm(0x3220), 11);
    EXPECT_EQ(Canopen_emcy_to_alarm(0xFF0C), 24);
    // Upper bits of a whole 1003h entry never match a 16-bit code.
    EXPECT_EQ(Canopen_emcy_to_alarm(0x00017600u), -1);
    EXPECT_EQ(Canopen_emcy_to_alarm(0x10000u), -1);
    EXPECT_EQ(Canopen_emcy_to_alarm(0xFFFFFFFFu), -1);
    ASSERT_EQ(EmcyCodeCount, 27);
    EXPECT_EQ(EmcyCodeTable[0], 0);
    // Each non-zero code maps back to its own alarm.
    for (uint16_t i = 1; i < EmcyCodeCount; ++i) {
        if (EmcyCodeTable[i] != 0) {
            EXPECT_EQ(Canopen_emcy_to_alarm(EmcyCodeTable[i]), i - 1);
        }
    }
}

// ---- texts ----

TEST(UtxText, BitsToText)
{
    char buf[16];
    std::memset(buf, 'x', sizeof buf);
    Utx_bits_to_text(0xA5, 8, buf, 16);
    EXPECT_STREQ(buf, "1010 0101");
    for (int i = 9; i < 16; ++i)
        EXPECT_EQ(buf[i], 0) << i;

    std::memset(buf, 'x', sizeof buf);
    Utx_bits_to_text(0xFFFF, 0, buf, 16);
    for (char c : buf)
        EXPECT_EQ(c, 0);

    // The first group is the short one; length n + (n - 1) / 4.
    Utx_bits_to_text(0x25, 6, buf, 16);
    EXPECT_STREQ(buf, "10 0101");
    for (uint16_t n = 1; n <= 32; ++n) {
        char big[64];
        Utx_bits_to_text(0xFFFFFFFFu, n, big, sizeof big);
        EXPECT_EQ(std::strlen(big), n + (n - 1u) / 4u) << n;
    }
}

TEST(UtxText, BitsToTextNeverFillsTheLastByte)
{
    char buf[9];
    std::memset(buf, 'x', sizeof buf);
    Utx_bits_to_text(0xA5, 8, buf, 9);  // needs 9 characters, room for 8
    EXPECT_EQ(buf[8], 0);
    EXPECT_STREQ(buf, "1010 010");

    // More bits than the value has: the bits above 31 read as 0.
    char big[64];
    Utx_bits_to_text(0xFFFFFFFFu, 36, big, sizeof big);
    EXPECT_STREQ(big, "0000 1111 1111 1111 1111 1111 1111 1111 1111");

    char one[1] = {'x'};
    Utx_bits_to_text(1, 1, one, 1);
    EXPECT_EQ(one[0], 0);
    Utx_bits_to_text(1, 1, nullptr, 4);
}

TEST(UtxText, DateTime)
{
    const UtxDateTime t{2009, 4, 3, 9, 5, 7};
    char buf[32];
    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(Utx_datetime_to_text(t, buf, 22), 1);
    EXPECT_STREQ(buf, "9:05:07  [03-04-2009]");
    EXPECT_EQ(std::strlen(buf), 21u);

    char small[21];
    std::memset(small, 0, sizeof small);
    EXPECT_EQ(Utx_datetime_to_text(t, small, 21), 0);
    for (char c : small)
        EXPECT_EQ(c, 0);

    std::memset(buf, 0, sizeof buf);
    EXPECT_EQ(Utx_datetime_to_text({1999, 12, 31, 23, 59, 58}, buf, sizeof buf), 1);
    EXPECT_STREQ(buf, "23:59:58  [31-12-1999]");
}

// ---- files ----

TEST_F(UtxWriteFile, WriteFileCreatesNestedFolderAndKeepsCurrentFolder)
{
    const fs::path cwd = fs::current_path();
    const fs::path target = dir / "a" / "b" / "data.ivt";
    const uint8_t bytes[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(Utx_write_file(target, bytes, 5, 3, UTX_FILE_CREATE));
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_EQ(read_file(target), (std::vector<uint8_t>{0, 0, 0, 1, 2, 3, 4, 5}));

    // Create replaces the whole file.
    ASSERT_TRUE(Utx_write_file(target, bytes, 2, 0, UTX_FILE_CREATE));
    EXPECT_EQ(read_file(target), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(entries_in(dir / "a" / "b"), 1u);  // no temporary left behind
}

TEST_F(UtxWriteFile, WriteFileUpdateKeepsOtherBytes)
{
    const fs::path target = dir / "set_dat.dat";
    const uint8_t check = 0x5A;
    ASSERT_TRUE(Utx_write_file(target, &check, 1, 0, UTX_FILE_CREATE));
    const uint8_t rec[] = {9, 8, 7};
    ASSERT_TRUE(Utx_write_file(target, rec, 3, 1, UTX_FILE_UPDATE));
    EXPECT_EQ(read_file(target), (std::vector<uint8_t>{0x5A, 9, 8, 7}));
    const uint8_t mid = 0xEE;
    ASSERT_TRUE(Utx_write_file(target, &mid, 1, 2, UTX_FILE_UPDATE));
    EXPECT_EQ(read_file(target), (std::vector<uint8_t>{0x5A, 9, 0xEE, 7}));
    EXPECT_EQ(entries_in(dir), 1u);
}

TEST_F(UtxWriteFile, WriteFileRefusesBadRequests)
{
    const uint8_t b = 1;
    EXPECT_FALSE(Utx_write_file(dir / "missing.dat", &b, 1, 0, UTX_FILE_UPDATE));
    EXPECT_FALSE(fs::exists(dir / "missing.dat"));
    EXPECT_FALSE(Utx_write_file(dir / "x.dat", &b, 1, 0, 7));
    EXPECT_FALSE(Utx_write_file(dir / "x.dat", nullptr, 1, 0, UTX_FILE_CREATE));
    EXPECT_FALSE(Utx_write_file(dir, &b, 1, 0, UTX_FILE_CREATE));  // a folder is no file
    EXPECT_EQ(entries_in(dir), 0u);

    // A folder that cannot be created: a plain file is in the way.
    put_file(dir / "plain", {1});
    EXPECT_FALSE(Utx_write_file(dir / "plain" / "sub" / "x.dat", &b, 1, 0, UTX_FILE_CREATE));
}

TEST_F(UtxWriteFile, SymlinkKeepsPointingAtTheNewContent)
{
    const fs::path real = dir / "real.dat";
    put_file(real, {1, 2, 3});
    fs::create_symlink(real, dir / "link.dat");
    const uint8_t b = 9;
    ASSERT_TRUE(Utx_write_file(dir / "link.dat", &b, 1, 1, UTX_FILE_UPDATE));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_EQ(read_file(real), (std::vector<uint8_t>{1, 9, 3}));
}

TEST_F(UtxWriteFile, FailedWriteLeavesTheOldFileIntact)
{
    const fs::path target = dir / "drive.ivt";
    const std::vector<uint8_t> old = {10, 20, 30, 40};
    put_file(target, old);

    // A file size limit makes the write come up short (works for root too).
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*prev)(int) = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = saved;
    lim.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
    std::vector<uint8_t> big(4096, 0x77);
    const bool created = Utx_write_file(target, big.data(), 4096, 0, UTX_FILE_CREATE);
    const bool updated = Utx_write_file(target, big.data(), 4096, 0, UTX_FILE_UPDATE);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, prev);

    EXPECT_FALSE(created);
    EXPECT_FALSE(updated);
    EXPECT_EQ(read_file(target), old);
    EXPECT_EQ(entries_in(dir), 1u);
}

TEST_F(UtxWriteFile, UnwritableFolderFailsWithoutTouchingTheFile)
{
    const fs::path target = dir / "motor.mot";
    put_file(target, {1, 2, 3});
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    const uint8_t b[] = {9, 9};
    bool ok = true;
    if (::geteuid() == 0) {
        // Permissions do not bind root: try the write as an unprivileged user in a child.
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
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_FALSE(ok);
    EXPECT_EQ(read_file(target), (std::vector<uint8_t>{1, 2, 3}));
}
