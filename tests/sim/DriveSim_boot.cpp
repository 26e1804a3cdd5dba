// DriveSim: the SH7047's boot mode on the same line. The boot ROM synchronises at 9600 baud and
// echoes the boot program; the boot program answers the inquiries, changes the bit rate to 57600
// and takes three kernels; the kernels erase, write and read a 256 KB flash. Commands at the wrong
// rate get no answer; unknown commands and writes over unerased flash are violations.
#include "DriveSim.h"

#include <termios.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::uint32_t kRomBaud = 9600;
constexpr std::uint32_t kFastBaud = 57600;
constexpr std::size_t kFlashSize = 0x40000;
constexpr std::uint8_t kAck = 0x06;
constexpr auto kStalePart = std::chrono::milliseconds(200);

struct Block {
    std::uint32_t start, size;
};
// The erase blocks: eight of 4 KB, one of 32 KB, three of 64 KB.
constexpr Block kBlocks[12] = {{0x0000, 0x1000}, {0x1000, 0x1000}, {0x2000, 0x1000}, {0x3000, 0x1000},
                               {0x4000, 0x1000}, {0x5000, 0x1000}, {0x6000, 0x1000}, {0x7000, 0x1000},
                               {0x8000, 0x8000}, {0x10000, 0x10000}, {0x20000, 0x10000}, {0x30000, 0x10000}};

std::uint8_t sum8(const std::uint8_t* p, std::size_t n)
{
    unsigned s = 0;
    for (std::size_t i = 0; i < n; ++i)
        s += p[i];
    return static_cast<std::uint8_t>(s);
}

SimBytes with_sum(SimBytes b)
{
    b.push_back(static_cast<std::uint8_t>(0x100 - sum8(b.data(), b.size())));
    return b;
}

std::uint32_t be32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint32_t speed_value(speed_t s)
{
    struct Row {
        speed_t code;
        std::uint32_t baud;
    };
    static const Row rows[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},
                               {B19200, 19200}, {B38400, 38400}, {B57600, 57600},   {B115200, 115200},
                               {B230400, 230400}};
    for (const Row& r : rows)
        if (r.code == s)
            return r.baud;
    return 0;
}

}  // namespace

// Where the drive is in its boot mode.
struct DriveSim::BootState {
    enum class Phase { Off, Sync, Match, ProgSize, ProgData, Rom, Fast, Kernel };
    Phase phase = Phase::Off;
    SimBytes part;  // an incomplete command
    SimClock::time_point part_at{};
    unsigned prog_size = 0;
    unsigned prog_got = 0;
    int kernel_for = 0;  // 1 first, 2 erase, 3 write
    bool erase_kernel = false;
    bool write_kernel = false;
    SimBytes flash = SimBytes(kFlashSize, 0x00);
    std::vector<SimBootEntry> log;
    SimBootFaults faults;

    std::uint32_t rate() const
    {
        return phase == Phase::Fast || phase == Phase::Kernel ? kFastBaud : kRomBaud;
    }
    // Bytes the next command needs, 0 when its first bytes do not tell yet.
    std::size_t need() const
    {
        if (part.empty())
            return 0;
        switch (phase) {
        case Phase::ProgSize: return 2;
        case Phase::ProgData: return 1;
        case Phase::Kernel: return part.size() < 4 ? 4 : be32(part.data()) + 5;
        case Phase::Rom:
            return part[0] == 0x11 ? 4 : part[0] == 0x3F ? 10 : 1;
        case Phase::Fast:
            if (part[0] == 0x48 && erase_kernel)
                return 4;
            if (part[0] == 0x43 && write_kernel)
                return part.size() < 5 ? 5 : be32(part.data() + 1) == 0xFFFFFFFF ? 6 : 134;
            return part[0] == 0x52 ? 12 : 1;
        default: return 1;
        }
    }
};

DriveSim::BootState& DriveSim::boot()
{
    if (!boot_mode_)
        boot_mode_ = std::make_shared<BootState>();
    return *boot_mode_;
}

std::uint32_t DriveSim::tty_baud() const
{
    termios t{};
    if (slave_ < 0 || ::tcgetattr(slave_, &t) != 0)
        return 0;
    return speed_value(cfgetospeed(&t));
}

bool DriveSim::boot_take(const std::uint8_t* data, std::size_t n, SimClock::time_point now)
{
    BootState& b = boot();
    if (b.phase == BootState::Phase::Off) {
        if (n == 0 || data[0] != 0x00 || tty_baud() != kRomBaud)
            return false;
        b.phase = BootState::Phase::Sync;
    }
    if (!b.part.empty() && now - b.part_at > kStalePart) {
        add_violation("boot: incomplete command dropped: " + sim_hex(b.part));
        b.part.clear();
    }
    if (b.part.empty())
        b.part_at = now;
    b.part.insert(b.part.end(), data, data + n);
    while (!b.part.empty() && b.phase != BootState::Phase::Off) {
        std::size_t take = b.need();
        const bool zeros = (b.phase == BootState::Phase::Sync || b.phase == BootState::Phase::Match) && b.part[0] == 0;
        if (zeros || b.phase == BootState::Phase::ProgData) {
            // a sync is every leading zero; the boot program's bytes are echoed as they come
            take = b.phase == BootState::Phase::ProgData
                       ? std::min<std::size_t>(b.part.size(), b.prog_size - b.prog_got)
                       : static_cast<std::size_t>(std::find_if(b.part.begin(), b.part.end(),
                                                               [](std::uint8_t x) { return x != 0; }) -
                                                  b.part.begin());
            take = std::max<std::size_t>(take, 1);
        }
        if (take == 0 || b.part.size() < take)
            break;
        SimBytes cmd(b.part.begin(), b.part.begin() + static_cast<std::ptrdiff_t>(take));
        b.part.erase(b.part.begin(), b.part.begin() + static_cast<std::ptrdiff_t>(take));
        boot_command(cmd, now);
    }
    return true;
}

void DriveSim::boot_command(const SimBytes& cmd, SimClock::time_point now)
{
    BootState& b = boot();
    using Phase = BootState::Phase;
    const std::uint32_t baud = tty_baud();
    b.log.push_back({true, cmd, baud, now});
    ++gen_;
    cv_.notify_all();
    auto fail = [&](const std::string& why) {
        add_violation("boot: " + why + ": " + sim_hex(cmd));
        b.part.clear();
    };
    // At another rate a drive sees garbage and stays silent. Not a violation: the rate is read when
    // the bytes are, so a port closed (its settings put back) just after writing shows another one.
    // The log keeps the rate for the tests to check.
    if (baud != b.rate()) {
        b.part.clear();
        return;
    }
    SimClock::time_point ready = now;
    if (baud_)
        ready = std::max(now, rx_free_) + sim_wire_time(cmd.size(), baud);
    rx_free_ = ready;
    ready += turnaround_;
    const std::uint8_t c = cmd[0];
    switch (b.phase) {
    case Phase::Sync:
        if (c != 0x00)
            return fail("no sync");
        b.phase = Phase::Match;
        return boot_answer({0x00}, 0x00, ready);
    case Phase::Match:
        if (c == 0x00)
            return boot_answer({0x00}, 0x00, ready);
        if (c != 0x55)
            return fail("bit-rate match expected");
        b.phase = Phase::ProgSize;
        return boot_answer({0xAA}, 0x55, ready);
    case Phase::ProgSize:
        b.prog_size = static_cast<unsigned>(cmd[0]) << 8 | cmd[1];
        b.prog_got = 0;
        b.phase = b.prog_size ? Phase::ProgData : Phase::Sync;
        return boot_answer(cmd, kBootEcho, ready);
    case Phase::ProgData:
        b.prog_got += static_cast<unsigned>(cmd.size());
        boot_answer(cmd, kBootEcho, ready);
        if (b.prog_got == b.prog_size) {
            b.phase = Phase::Rom;
            boot_answer({0xAA}, kBootEcho, ready);
        }
        return;
    case Phase::Rom:
        if (c == 0x27)
            return boot_answer(with_sum({0x37, 0x02, 0x00, 0x80}), c, ready);
        if (sum8(cmd.data(), cmd.size()) != 0 || (c != 0x11 && c != 0x3F))
            return fail("unknown or damaged boot-program command");
        if (c == 0x3F && b.faults.refuse_bit_rate)
            return boot_answer({0xBF, 0x00}, c, ready);
        if (c == 0x3F)
            b.phase = Phase::Fast;
        return boot_answer({kAck}, c, ready);
    case Phase::Kernel: {
        if (sum8(cmd.data(), cmd.size()) != 0)
            return fail("kernel checksum");
        if (b.kernel_for == 2)
            b.erase_kernel = true;
        if (b.kernel_for == 3)
            b.write_kernel = true;
        b.phase = Phase::Fast;
        return boot_answer({kAck}, kBootKernel, ready);
    }
    case Phase::Fast:
        break;
    default:
        return fail("unexpected state");
    }
    // Commands of the boot program and its kernels at 57600 baud.
    if (c == 0x4F)
        return boot_answer(with_sum({0x5F, 0x02, 0x00, 0x00}), c, ready);
    if (c == 0x40 || (c == 0x48 && !b.erase_kernel) || (c == 0x43 && !b.write_kernel)) {
        b.kernel_for = c == 0x40 ? 1 : c == 0x48 ? 2 : 3;
        b.phase = Phase::Kernel;
        return boot_answer({kAck}, c, ready);
    }
    if (sum8(cmd.data(), cmd.size()) != 0)
        return fail("checksum");
    if (c == 0x48) {
        if (cmd[2] == 0xFF)
            return boot_answer({kAck}, c, ready);
        if (cmd[1] != 0x01 || cmd[2] >= std::size(kBlocks))
            return fail("erase block");
        const Block& blk = kBlocks[cmd[2]];
        std::fill_n(b.flash.begin() + blk.start, blk.size, 0xFF);
        return boot_answer({kAck}, c, ready);
    }
    if (c == 0x43) {
        const std::uint32_t a = be32(cmd.data() + 1);
        if (a == 0xFFFFFFFF)
            return boot_answer({kAck}, c, ready);
        if (a % 128 != 0 || a + 128 > kFlashSize)
            return fail("write address");
        for (std::size_t i = 0; i < 128; ++i) {
            if ((b.flash[a + i] & cmd[5 + i]) != cmd[5 + i])
                return fail("write over unerased flash at " + std::to_string(a + i));
            b.flash[a + i] = cmd[5 + i];
        }
        return boot_answer({kAck}, c, ready);
    }
    if (c == 0x52 && cmd[1] == 0x09 && cmd[2] == 0x01) {
        const std::uint32_t a = be32(cmd.data() + 3), len = be32(cmd.data() + 7);
        if (a + len > kFlashSize || len == 0)
            return fail("read range");
        const std::uint32_t sent = static_cast<std::uint32_t>(static_cast<long>(len) + b.faults.read_length_delta);
        SimBytes r = {0x52, static_cast<std::uint8_t>(sent >> 24), static_cast<std::uint8_t>(sent >> 16),
                      static_cast<std::uint8_t>(sent >> 8), static_cast<std::uint8_t>(sent)};
        r.insert(r.end(), b.flash.begin() + a, b.flash.begin() + a + std::min(len, sent));
        r.resize(5 + sent, 0xFF);
        const long flip = b.faults.flip_read_address;
        if (flip >= static_cast<long>(a) && flip < static_cast<long>(a + std::min(len, sent)))
            r[5 + static_cast<std::size_t>(flip - static_cast<long>(a))] ^= 0xFF;
        return boot_answer(with_sum(r), c, ready);
    }
    fail("unknown command");
}

void DriveSim::boot_answer(const SimBytes& bytes, int code, SimClock::time_point ready)
{
    for (const SimFault& f : take_faults(code)) {
        if (f.kind == SimFaultKind::Silence)
            return;
        if (f.kind == SimFaultKind::Late)
            ready += std::chrono::milliseconds(f.amount);
    }
    const std::uint32_t baud = baud_ ? tty_baud() : 0;
    const std::size_t step = baud ? std::max<std::size_t>(1, (baud + 9999) / 10000) : bytes.size();
    SimClock::time_point at = std::max(ready, tx_free_);
    for (std::size_t i = 0; i < bytes.size(); i += step) {
        const std::size_t n = std::min(step, bytes.size() - i);
        at += sim_wire_time(n, baud);
        pieces_.push_back({at, SimBytes(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(i + n)),
                           nullptr, -1, i == 0});
    }
    tx_free_ = at;
    boot().log.push_back({false, bytes, baud ? baud : tty_baud(), ready});
    ++gen_;
    cv_.notify_all();
}

void DriveSim::boot_reset()
{
    std::lock_guard lk(mu_);
    BootState& b = boot();
    b.phase = BootState::Phase::Sync;
    b.part.clear();
    b.erase_kernel = b.write_kernel = false;
    pieces_.clear();
    pending_.clear();
    tx_free_ = SimClock::now();
}

void DriveSim::app_reset()
{
    std::lock_guard lk(mu_);
    BootState& b = boot();
    b.phase = BootState::Phase::Off;
    b.part.clear();
    pieces_.clear();
    tx_free_ = SimClock::now();
}

bool DriveSim::in_boot() const
{
    std::lock_guard lk(mu_);
    return boot_mode_ && boot_mode_->phase != BootState::Phase::Off;
}

SimBytes DriveSim::boot_flash() const
{
    std::lock_guard lk(mu_);
    return boot_mode_ ? boot_mode_->flash : SimBytes(kFlashSize, 0x00);
}

void DriveSim::set_boot_flash(const SimBytes& flash)
{
    if (flash.size() != kFlashSize)
        throw std::invalid_argument("boot flash must be 256 KB");
    std::lock_guard lk(mu_);
    boot().flash = flash;
}

std::vector<SimBootEntry> DriveSim::boot_log() const
{
    std::lock_guard lk(mu_);
    return boot_mode_ ? boot_mode_->log : std::vector<SimBootEntry>{};
}

void DriveSim::clear_boot_log()
{
    std::lock_guard lk(mu_);
    boot().log.clear();
}

void DriveSim::set_boot_faults(const SimBootFaults& f)
{
    std::lock_guard lk(mu_);
    boot().faults = f;
}

std::uint32_t DriveSim::line_baud() const
{
    return tty_baud();
}
