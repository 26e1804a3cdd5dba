#include "platform/Serport.h"
#include "platform/Serport_speed.h"
#include "platform/Pty.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <future>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long elapsed_ms(Clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

int open_fd_count()
{
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    while (d && readdir(d))
        ++n;
    if (d)
        closedir(d);
    return n;
}

// Waits for Data and reads until `n` bytes arrived or the time is up.
std::string read_port(Serport& port, size_t n, int timeout_ms)
{
    std::string out;
    const auto start = Clock::now();
    while (out.size() < n && elapsed_ms(start) < timeout_ms) {
        if (port.wait(50) != PortWait::Data)
            continue;
        uint8_t buf[64];
        const size_t got = port.read(buf, sizeof buf);
        out.append(reinterpret_cast<const char*>(buf), got);
    }
    return out;
}

// Runs a wait without limit on another thread, does `end_it`, and returns how the wait ended.
template <typename F>
PortWait pending_wait_ended_by(Serport& port, F end_it)
{
    auto waiter = std::async(std::launch::async, [&] { return port.wait(Serport::kForever); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    end_it();
    EXPECT_EQ(waiter.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    return waiter.get();
}

class SerportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.ok()); }
    Pty pty;
    Serport port;
};

TEST_F(SerportTest, OpensRawAndRestoresSettingsOnClose)
{
    termios before{};
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    ASSERT_TRUE(before.c_lflag & ICANON);  // a fresh pty starts in line mode

    ASSERT_TRUE(port.open(pty.name, 57600));
    EXPECT_EQ(port.name(), pty.name);
    EXPECT_EQ(port.baud(), 57600u);
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN] | t.c_cc[VTIME], 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));

    port.close();
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.name(), "");
    termios after{};
    ASSERT_EQ(tcgetattr(pty.slave, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    port.close();  // a second close does nothing
}

TEST_F(SerportTest, RefusesBusyPortsBadNamesAndRateZero)
{
    ASSERT_TRUE(port.open(pty.name, 57600));
    EXPECT_EQ(port.open_error(), 0);
    Serport other;
    EXPECT_FALSE(other.open(pty.name, 57600));
    EXPECT_EQ(other.open_error(), EBUSY);
    port.close();
    EXPECT_TRUE(other.open(pty.name, 57600));

    Serport bad;
    for (const char* name : {"", "pts/", "pts/x1", "/dev/ttyS0", "../dev/ttyS0", "pts/1/../2", "tty", "ttyUSB",
                             "watchdog", "null", "ttyUSB0x", "rfcomm", "ttyUSB123456789012345678901234567890"})
        EXPECT_FALSE(bad.open(name, 57600)) << name;
    EXPECT_FALSE(bad.is_open());
    EXPECT_EQ(bad.open_error(), EINVAL);
    EXPECT_FALSE(bad.open("ttyUSB987", 57600));  // valid name, no such device
    EXPECT_EQ(bad.open_error(), ENOENT);
    EXPECT_FALSE(other.open(pty.name, 0)) << "rate 0 hangs a line up; refused";
}

TEST_F(SerportTest, APortTheUserMayNotOpenSaysSoAndNamesItsGroup)
{
    // The group is named only when it may read and write the device.
    const std::string dev = "/dev/" + pty.name;
    struct stat st {};
    ASSERT_EQ(::stat(dev.c_str(), &st), 0);
    const std::string gid_name = getgrgid(st.st_gid) ? getgrgid(st.st_gid)->gr_name : "";
    const std::string owner = getpwuid(st.st_uid) ? getpwuid(st.st_uid)->pw_name : std::to_string(st.st_uid);
    for (const auto& [mode, group] : {std::pair<mode_t, std::string>{0600, ""}, {0620, ""}, {0640, ""}, {0660, gid_name}}) {
        ASSERT_EQ(::chmod(dev.c_str(), mode), 0);
        const Serport::DeviceAccess a = Serport::device_access(pty.name);
        EXPECT_TRUE(a.known);
        EXPECT_EQ(a.group, group) << std::oct << mode;
        EXPECT_EQ(a.owner, owner);
    }
    EXPECT_FALSE(Serport::device_access("ttyUSB987").known);
    if (::geteuid() != 0) {
        if (st.st_uid == ::geteuid())
            GTEST_SKIP() << "the test user owns its pseudo-terminals";
        EXPECT_FALSE(port.open(pty.name, 57600));
        EXPECT_EQ(port.open_error(), EACCES);
        return;
    }
    // Permissions do not bind root: open as an unprivileged user in a child.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        Serport p;
        ::_exit(!p.open(pty.name, 57600) && p.open_error() == EACCES ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SerportTest, PassesBytesUnchangedReadsWithinSpaceAndPurges)
{
    ASSERT_TRUE(port.open(pty.name, 57600));
    const std::string in("a\r\n\x03\x04\x11\x13\x00\xff", 9);
    ASSERT_TRUE(pty.send(in));
    EXPECT_EQ(read_port(port, in.size(), 3000), in);
    const std::string out("\n\r\x00\x03\xfe", 5);
    EXPECT_TRUE(port.write(reinterpret_cast<const uint8_t*>(out.data()), out.size(), 200));
    EXPECT_EQ(pty.receive(out.size(), 3000), out);

    ASSERT_TRUE(pty.send("0123456789"));
    const auto start = Clock::now();
    while (port.bytes_waiting() < 10 && elapsed_ms(start) < 3000)
        port.wait(50);
    ASSERT_EQ(port.bytes_waiting(), 10u);
    uint8_t buf[8] = {};
    EXPECT_EQ(port.read(buf, 4), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "0123");
    EXPECT_EQ(port.bytes_waiting(), 6u);
    EXPECT_TRUE(port.purge());
    EXPECT_EQ(port.bytes_waiting(), 0u);
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);  // nothing waiting: returns at once
    EXPECT_EQ(port.wait(50), PortWait::Timeout);
}

TEST_F(SerportTest, WaitEndsOnTimeoutStopWakeAndCloseOpenOrNot)
{
    for (bool open : {false, true}) {
        SCOPED_TRACE(open);
        if (open) {
            ASSERT_TRUE(port.open(pty.name, 57600));
        }
        const auto start = Clock::now();
        EXPECT_EQ(port.wait(60), PortWait::Timeout);
        EXPECT_GE(elapsed_ms(start), 55);
        // One-shot wake ends a wait, or the next one, and only that one.
        EXPECT_EQ(pending_wait_ended_by(port, [&] { port.wake(); }), PortWait::Wake);
        port.wake();
        EXPECT_EQ(port.wait(1000), PortWait::Wake);
        EXPECT_EQ(port.wait(20), PortWait::Timeout);
        // The stop event stays set until reset.
        EXPECT_EQ(pending_wait_ended_by(port, [&] { port.stop(); }), PortWait::Stop);
        EXPECT_TRUE(port.stop_requested());
        EXPECT_EQ(port.wait(1000), PortWait::Stop);
        port.reset_stop();
    }
    ASSERT_TRUE(pty.send("x"));
    port.stop();
    EXPECT_EQ(port.wait(1000), PortWait::Stop) << "stop is seen before data";
    port.reset_stop();
    EXPECT_EQ(port.wait(1000), PortWait::Data);
    port.purge();
    // A close from another thread ends a pending wait.
    EXPECT_EQ(pending_wait_ended_by(port, [&] { port.close(); }), PortWait::HangUp);
    EXPECT_EQ(port.wait(20), PortWait::Timeout);

    uint8_t b = 0;  // a closed port does nothing
    EXPECT_FALSE(port.write(&b, 1, 10));
    EXPECT_EQ(port.read(&b, 1), 0u);
    EXPECT_EQ(port.bytes_waiting(), 0u);
    EXPECT_FALSE(port.purge());
    EXPECT_FALSE(port.set_rts(true));
    EXPECT_FALSE(port.reconfig(9600, 0, 1));
}

TEST_F(SerportTest, HangUpIsReportedWithoutSpinning)
{
    ASSERT_TRUE(port.open(pty.name, 57600));
    pty.close_master();  // unplug
    auto start = Clock::now();
    EXPECT_EQ(port.wait(3000), PortWait::HangUp);
    EXPECT_LT(elapsed_ms(start), 2000);
    EXPECT_TRUE(port.hung_up());

    int wakeups = 0;
    start = Clock::now();
    while (elapsed_ms(start) < 1000) {
        EXPECT_EQ(port.wait(1000), PortWait::HangUp);
        ++wakeups;
    }
    EXPECT_LE(wakeups, 1000 / Serport::kHangUpPaceMs + 2);

    const uint8_t frame[4] = {4, 0, 3, 0x70};
    EXPECT_FALSE(port.write(frame, sizeof frame, 200));
    uint8_t buf[16];
    EXPECT_EQ(port.read(buf, sizeof buf), 0u);
    EXPECT_EQ(pending_wait_ended_by(port, [&] { port.stop(); }), PortWait::Stop);  // at once, dead port or not
    port.close();
    EXPECT_FALSE(port.is_open());
    EXPECT_FALSE(port.hung_up());
}

// A write waiting for room on a full line ends when the line hangs up, and the port says so.
TEST_F(SerportTest, WriteIntoAFullLineSeesTheHangUp)
{
    ASSERT_TRUE(port.open(pty.name, 57600));
    const std::vector<uint8_t> block(4096, 0x55);
    while (port.write(block.data(), block.size(), 20)) {
    }  // nobody reads: the line fills up
    auto writer = std::async(std::launch::async, [&] { return port.write(block.data(), block.size(), 5000); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty.close_master();
    ASSERT_EQ(writer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(writer.get());
    EXPECT_TRUE(port.hung_up());
}

TEST_F(SerportTest, ConcurrentUseAndCloseStaySoundAndLeakNothing)
{
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const uint8_t frame[6] = {6, 10, 3, 20, 0x20, 0x51};
        while (!done)
            if (!port.write(frame, sizeof frame, 50))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    std::thread drain([&] {  // keeps the master's buffer from filling up
        while (!done)
            pty.receive(4096, 10);
    });
    Serport other;  // holds its own event descriptor for good
    // Warm-up cycle: lets the library open whatever it keeps open for good.
    ASSERT_TRUE(port.open(pty.name, 57600));
    port.close();
    const int before = open_fd_count();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(port.open(pty.name, 57600));
        EXPECT_FALSE(other.open(pty.name, 57600));
        std::thread reader([&] {
            for (int k = 0; k < 5; ++k)
                if (port.wait(5) == PortWait::Data) {
                    uint8_t buf[64];
                    port.read(buf, sizeof buf);
                }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        port.purge();
        port.close();
        reader.join();
    }
    done = true;
    writer.join();
    drain.join();
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(open_fd_count(), before);
}

TEST_F(SerportTest, ReconfiguresTheOpenPortIncludingNonStandardRates)
{
    ASSERT_TRUE(port.open(pty.name, 250000));
    uint32_t rate = 0;
    ASSERT_TRUE(Serport_get_speed(pty.slave, &rate));
    EXPECT_EQ(rate, 250000u);
    termios t{};
    ASSERT_TRUE(port.reconfig(57600, Serport::kLineHandshake, Serport::kLineOn));
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B57600));
    ASSERT_TRUE(port.reconfig(56000, Serport::kLineOff, Serport::kLineOn));
    ASSERT_TRUE(Serport_get_speed(pty.slave, &rate));
    EXPECT_EQ(rate, 56000u);
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);

    EXPECT_FALSE(port.reconfig(9600, Serport::kLineToggle, Serport::kLineOn));
    EXPECT_FALSE(port.reconfig(9600, Serport::kLineOff, Serport::kLineHandshake));
    EXPECT_FALSE(port.reconfig(0, Serport::kLineOff, Serport::kLineOn));
    EXPECT_EQ(port.baud(), 56000u);
    ASSERT_TRUE(port.reconfig(9600, Serport::kLineOff, Serport::kLineOn));
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(port.baud(), 9600u);
    EXPECT_TRUE(port.set_rts(true));  // no modem lines on a pty: counts as done
    EXPECT_TRUE(port.set_rts(false));
}

}  // namespace
