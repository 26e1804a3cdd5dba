#include "platform/Serport.h"

#include "platform/Serport_speed.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct StandardRate {
    uint32_t baud;
    speed_t code;
};

const StandardRate kStandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

const StandardRate* find_standard_rate(uint32_t baud)
{
    for (const StandardRate& r : kStandardRates)
        if (r.baud == baud)
            return &r;
    return nullptr;
}

// Raw 8N1: no line editing, no translation, no signals, no software or hardware flow control,
// modem status ignored, receiver on; read() returns at once with what is there.
void make_raw(termios& t)
{
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

// Writes `t` with the line rate `baud`: a standard rate through cfsetspeed, any other through
// termios2. False when the rate or the settings are refused.
bool apply_termios(int fd, termios t, uint32_t baud)
{
    if (baud == 0)
        return false;
    const StandardRate* rate = find_standard_rate(baud);
    if (rate && cfsetspeed(&t, rate->code) != 0)
        return false;
    if (tcsetattr(fd, TCSANOW, &t) != 0)
        return false;
    return rate || Serport_set_custom_speed(fd, baud);
}

// Raises or lowers modem lines. Pseudo-terminals have none (ENOTTY/EINVAL): counts as done.
bool set_modem_lines(int fd, int bits, bool on)
{
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL;
}

// Framing, parity, overrun and break counts of the driver; false when it keeps none.
bool read_error_total(int fd, uint64_t* total)
{
    serial_icounter_struct ic{};
    if (ioctl(fd, TIOCGICOUNT, &ic) != 0)
        return false;
    *total = static_cast<uint64_t>(static_cast<unsigned>(ic.frame)) + static_cast<unsigned>(ic.overrun) +
             static_cast<unsigned>(ic.parity) + static_cast<unsigned>(ic.brk) +
             static_cast<unsigned>(ic.buf_overrun);
    return true;
}

bool is_gone_errno(int err)
{
    return err == EIO || err == ENODEV || err == ENXIO || err == EBADF;
}

bool all_digits(const std::string& s, size_t from)
{
    return from < s.size() &&
           std::all_of(s.begin() + static_cast<long>(from), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

// Milliseconds left until a deadline; -1 for none.
class Deadline {
public:
    explicit Deadline(int32_t timeout_ms)
        : forever_(timeout_ms < 0),
          end_(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max<int32_t>(timeout_ms, 0)))
    {
    }
    int remaining_ms() const
    {
        if (forever_)
            return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end_ - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<int64_t>(left.count(), 0));
    }

private:
    bool forever_;
    std::chrono::steady_clock::time_point end_;
};

constexpr size_t kMaxNameLength = 32;

}  // namespace

// Holds the descriptor in use for the duration of one call; close() waits for every Use to end.
class Serport::Use {
public:
    explicit Use(Serport& port) : port_(port)
    {
        std::lock_guard<std::mutex> lock(port.m_);
        if (port.fd_ >= 0) {
            fd = port.fd_;
            generation = port.generation_.load();
            ++port.users_;
        }
    }
    ~Use()
    {
        if (fd < 0)
            return;
        std::lock_guard<std::mutex> lock(port_.m_);
        if (--port_.users_ == 0)
            port_.cv_.notify_all();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

    int fd = -1;
    unsigned generation = 0;

private:
    Serport& port_;
};

Serport::Serport() : bell_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Serport::~Serport()
{
    close();
    if (bell_ >= 0)
        ::close(bell_);
}

bool Serport::valid_name(const std::string& name)
{
    if (name.size() > kMaxNameLength)
        return false;
    if (name.rfind("pts/", 0) == 0)
        return all_digits(name, 4);
    if (name.rfind("rfcomm", 0) == 0)
        return all_digits(name, 6);
    if (name.rfind("tty", 0) != 0)
        return false;
    size_t i = 3;
    while (i < name.size() && std::isalpha(static_cast<unsigned char>(name[i])))
        ++i;
    return all_digits(name, i);
}

bool Serport::open(const std::string& name, uint32_t baud)
{
    std::unique_lock<std::mutex> lock(m_);
    close_locked(lock);
    open_error_ = EINVAL;
    if (!valid_name(name) || baud == 0)
        return false;

    const std::string path = "/dev/" + name;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        open_error_ = errno;
        return false;
    }
    termios saved{};
    const auto fail = [&](int err) {
        open_error_ = err;
        ::close(fd);
        return false;
    };
    if (!isatty(fd))
        return fail(ENOTTY);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno);  // held by another program
    if (tcgetattr(fd, &saved) != 0 || ioctl(fd, TIOCEXCL) != 0)
        return fail(errno);

    termios raw = saved;
    make_raw(raw);
    if (!apply_termios(fd, raw, baud) || !set_modem_lines(fd, TIOCM_DTR, true) ||
        !set_modem_lines(fd, TIOCM_RTS, false)) {
        const int err = errno != 0 ? errno : EIO;
        ioctl(fd, TIOCNXCL);
        tcsetattr(fd, TCSANOW, &saved);
        return fail(err);
    }
    open_error_ = 0;
    tcflush(fd, TCIOFLUSH);

    fd_ = fd;
    saved_ = saved;
    name_ = name;
    baud_ = baud;
    ++generation_;
    hung_up_ = false;
    wake_ = false;
    uint64_t total = 0;
    icount_ok_ = read_error_total(fd, &total);
    error_base_ = total;
    return true;
}

int Serport::open_error() const
{
    std::lock_guard<std::mutex> lock(m_);
    return open_error_;
}

Serport::DeviceAccess Serport::device_access(const std::string& name)
{
    DeviceAccess a;
    struct stat st {};
    if (!valid_name(name) || ::stat(("/dev/" + name).c_str(), &st) != 0)
        return a;
    a.known = true;
    char buf[4096];
    struct passwd pw {};
    struct passwd* user = nullptr;
    a.owner = getpwuid_r(st.st_uid, &pw, buf, sizeof buf, &user) == 0 && user != nullptr ? user->pw_name
                                                                                      : std::to_string(st.st_uid);
    struct group grp {};
    struct group* found = nullptr;
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) &&
        getgrgid_r(st.st_gid, &grp, buf, sizeof buf, &found) == 0 && found != nullptr)
        a.group = found->gr_name;
    return a;
}

void Serport::close()
{
    std::unique_lock<std::mutex> lock(m_);
    close_locked(lock);
}

void Serport::close_locked(std::unique_lock<std::mutex>& lock)
{
    cv_.wait(lock, [this] { return !closing_; });
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    closing_ = true;
    ++generation_;
    ring_bell();  // a wait() in progress on this descriptor returns and ends its Use
    cv_.wait(lock, [this] { return users_ == 0; });

    tcflush(fd, TCIOFLUSH);
    ioctl(fd, TIOCNXCL);
    tcsetattr(fd, TCSANOW, &saved_);
    ::close(fd);  // also drops the flock
    name_.clear();
    baud_ = 0;
    hung_up_ = false;
    closing_ = false;
    cv_.notify_all();
}

bool Serport::is_open() const
{
    std::lock_guard<std::mutex> lock(m_);
    return fd_ >= 0;
}

std::string Serport::name() const
{
    std::lock_guard<std::mutex> lock(m_);
    return name_;
}

uint32_t Serport::baud() const
{
    return baud_;
}

bool Serport::reconfig(uint32_t baud, uint8_t rts_code, uint8_t dtr_code)
{
    if (baud == 0 || rts_code > kLineHandshake || dtr_code > kLineOn)
        return false;
    Use use(*this);
    if (use.fd < 0)
        return false;
    tcflush(use.fd, TCIOFLUSH);
    termios before{};
    if (tcgetattr(use.fd, &before) != 0)
        return false;

    termios t = before;
    t.c_cflag &= ~(PARENB | CSTOPB | CRTSCTS);
    t.c_iflag &= ~INPCK;
    if (rts_code == kLineHandshake)
        t.c_cflag |= CRTSCTS;
    if (!apply_termios(use.fd, t, baud)) {
        apply_termios(use.fd, before, baud_);
        return false;
    }
    const bool lines_ok = set_modem_lines(use.fd, TIOCM_DTR, dtr_code == kLineOn) &&
                          (rts_code == kLineHandshake || set_modem_lines(use.fd, TIOCM_RTS, rts_code == kLineOn));
    if (!lines_ok) {
        apply_termios(use.fd, before, baud_);
        return false;
    }
    baud_ = baud;
    return true;
}

bool Serport::set_rts(bool on)
{
    Use use(*this);
    return use.fd >= 0 && set_modem_lines(use.fd, TIOCM_RTS, on);
}

bool Serport::purge()
{
    Use use(*this);
    if (use.fd < 0 || tcflush(use.fd, TCIOFLUSH) != 0)
        return false;
    reset_error_base(use.fd);
    return true;
}

size_t Serport::bytes_waiting()
{
    Use use(*this);
    if (use.fd < 0)
        return 0;
    int n = 0;
    if (ioctl(use.fd, FIONREAD, &n) != 0) {
        note_errno(errno);
        return 0;
    }
    return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t Serport::read(uint8_t* buf, size_t space)
{
    Use use(*this);
    if (use.fd < 0)
        return 0;
    size_t got = 0;
    while (got < space) {
        const ssize_t n = ::read(use.fd, buf + got, space - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            note_errno(errno);
        break;
    }
    return got;
}

bool Serport::write(const uint8_t* data, size_t len, uint32_t timeout_ms)
{
    Use use(*this);
    if (use.fd < 0 || hung_up_)
        return false;
    const Deadline deadline(static_cast<int32_t>(std::min<uint32_t>(timeout_ms, INT32_MAX)));
    size_t done = 0;
    while (done < len) {
        const ssize_t n = ::write(use.fd, data + done, len - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            note_errno(errno);
            return false;
        }
        pollfd p{use.fd, POLLOUT, 0};
        const int r = ::poll(&p, 1, deadline.remaining_ms());
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            hung_up_ = true;
            return false;
        }
    }
    return true;
}

PortWait Serport::wait(int32_t timeout_ms)
{
    const Deadline deadline(timeout_ms);
    Use use(*this);
    for (;;) {
        if (stop_)
            return PortWait::Stop;
        if (wake_.exchange(false))
            return PortWait::Wake;
        if (use.fd >= 0 && use.generation != generation_)
            return PortWait::HangUp;  // closed by another thread meanwhile

        const bool hung = use.fd >= 0 && hung_up_;
        int wait_ms = deadline.remaining_ms();
        if (hung && (wait_ms < 0 || wait_ms > kHangUpPaceMs))
            wait_ms = kHangUpPaceMs;
        pollfd fds[2] = {{bell_, POLLIN, 0}, {use.fd, POLLIN, 0}};
        const nfds_t count = (use.fd >= 0 && !hung) ? 2 : 1;
        const int r = ::poll(fds, count, wait_ms);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return PortWait::Timeout;
        }
        if (fds[0].revents & POLLIN) {
            drain_bell();
            continue;  // stop, wake or close: looked at above
        }
        if (hung)
            return PortWait::HangUp;
        if (r == 0)
            return PortWait::Timeout;
        const short ev = fds[1].revents;
        if (ev & (POLLHUP | POLLERR | POLLNVAL)) {
            hung_up_ = true;
            return PortWait::HangUp;
        }
        if (ev & POLLIN)
            return line_error_seen(use.fd) ? PortWait::LineError : PortWait::Data;
    }
}

void Serport::wake()
{
    wake_ = true;
    ring_bell();
}

void Serport::stop()
{
    stop_ = true;
    ring_bell();
}

void Serport::reset_stop()
{
    stop_ = false;
}

bool Serport::stop_requested() const
{
    return stop_;
}

bool Serport::hung_up() const
{
    return hung_up_;
}

void Serport::ring_bell()
{
    const uint64_t one = 1;
    if (::write(bell_, &one, sizeof one) < 0) {
        // Counter full: the bell is ringing anyway.
    }
}

void Serport::drain_bell()
{
    uint64_t count = 0;
    if (::read(bell_, &count, sizeof count) < 0) {
        // Already drained.
    }
}

bool Serport::line_error_seen(int fd)
{
    uint64_t total = 0;
    if (!icount_ok_ || !read_error_total(fd, &total))
        return false;
    return error_base_.exchange(total) != total;
}

void Serport::reset_error_base(int fd)
{
    uint64_t total = 0;
    if (icount_ok_ && read_error_total(fd, &total))
        error_base_ = total;
}

void Serport::note_errno(int err)
{
    if (is_gone_errno(err))
        hung_up_ = true;
}
