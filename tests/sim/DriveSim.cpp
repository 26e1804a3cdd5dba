// DriveSim: pseudo-terminal, drive thread, line scheduling and log.
#include "DriveSim.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

constexpr auto kStaleRequest = std::chrono::milliseconds(100);

void close_fd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// A drive of the first family, firmware 3.20, in its operating firmware.
SimBytes default_ident()
{
    SimBytes id(DriveSim::kIdentSize, 0);
    const std::uint8_t head[] = {0x00, 0x00, 0x00, 0x01,  0x00, 0x0C, 0x04, 0x58,  0x00, 0x00, 0x00, 0x01,  3, 20, 0, 0};
    std::copy(std::begin(head), std::end(head), id.begin());
    const char text[] = "SIM DRIVE";
    std::copy(std::begin(text), std::end(text) - 1, id.begin() + 16);
    return id;
}

}  // namespace

DriveSim::DriveSim()
    : image_(kImageSize, 0), ident_(default_ident()), status_(kStatusSize, 0), alarm_mem_(kAlarmMemSize, 0)
{
    open_pty();
    thread_ = std::thread([this] { run(); });
}

DriveSim::~DriveSim()
{
    stop();
}

void DriveSim::open_pty()
{
    auto fail = [this](const char* what) {
        std::string msg = std::string("drive simulator: ") + what + ": " + std::strerror(errno);
        close_fd(slave_);
        close_fd(master_);
        close_fd(wake_fd_);
        throw std::runtime_error(msg);
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        fail("posix_openpt");
    if (::fcntl(master_, F_SETFD, FD_CLOEXEC) < 0 || ::fcntl(master_, F_SETFL, O_NONBLOCK) < 0)
        fail("fcntl");
    if (::grantpt(master_) < 0 || ::unlockpt(master_) < 0)
        fail("grantpt/unlockpt");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0)
        fail("ptsname_r");
    // Our own slave descriptor stays open, so the master never reads EIO while the
    // program under test has the port closed.
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0)
        fail("open slave");
    termios t{};
    if (::tcgetattr(slave_, &t) < 0)
        fail("tcgetattr");
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B57600);
    if (::tcsetattr(slave_, TCSANOW, &t) < 0)
        fail("tcsetattr");
    wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_fd_ < 0)
        fail("eventfd");
    std::string full = name;
    port_name_ = full.rfind("/dev/", 0) == 0 ? full.substr(5) : full;
}

void DriveSim::stop()
{
    if (stop_.exchange(true))
        return;
    wake();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lk(mu_);
    close_fd(master_);
    close_fd(slave_);
    close_fd(wake_fd_);
    pending_.clear();
    pieces_.clear();
    ++gen_;
    cv_.notify_all();
}

void DriveSim::wake() const
{
    if (wake_fd_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto r = ::write(wake_fd_, &one, sizeof one);
    }
}

std::optional<SimClock::time_point> DriveSim::next_deadline() const
{
    std::optional<SimClock::time_point> d;
    auto consider = [&d](SimClock::time_point t) {
        if (!d || t < *d)
            d = t;
    };
    if (!pending_.empty())
        consider(pending_.front().ready);
    if (!pieces_.empty())
        consider(pieces_.front().at);
    if (!reader_.idle())
        consider(reader_.started() + kStaleRequest);
    return d;
}

void DriveSim::run()
{
    // A drive keeps its timing whatever else the machine runs: real-time scheduling when the
    // process may have it (as root), else the normal one.
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    while (!stop_.load()) {
        if (hang_up_req_.exchange(false)) {
            std::lock_guard lk(mu_);
            close_line();
        }
        pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {-1, 0, 0}};
        timespec ts{};
        timespec* tsp = nullptr;
        {
            std::lock_guard lk(mu_);
            fds[1].fd = master_;
            fds[1].events = POLLIN;
            if (auto d = next_deadline()) {
                auto wait = std::max(SimClock::duration::zero(), *d - SimClock::now());
                auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
                ts.tv_sec = static_cast<time_t>(ns / 1000000000);
                ts.tv_nsec = static_cast<long>(ns % 1000000000);
                tsp = &ts;
            }
        }
        nfds_t n = fds[1].fd >= 0 ? 2 : 1;
        int r = ::ppoll(fds, n, tsp, nullptr);
        if (r < 0 && errno != EINTR) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t v;
            [[maybe_unused]] auto rr = ::read(wake_fd_, &v, sizeof v);
        }
        bool hangup_only = n == 2 && (fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN);
        auto now = SimClock::now();
        {
            std::lock_guard lk(mu_);
            if (n == 2 && (fds[1].revents & POLLIN))
                read_master(now);
            if (auto f = reader_.expire(now, kStaleRequest))
                handle_frame(*f);
            promote_due(now);
            write_due(SimClock::now());
        }
        if (hangup_only)  // cannot happen while our slave is open; never spin on it
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void DriveSim::read_master(SimClock::time_point now)
{
    std::uint8_t buf[4096];
    while (master_ >= 0) {
        ssize_t got = ::read(master_, buf, sizeof buf);
        if (got <= 0)
            break;
        if (boot_take(buf, static_cast<std::size_t>(got), now))
            continue;
        for (auto& f : reader_.feed(buf, static_cast<std::size_t>(got), now))
            handle_frame(f);
    }
}

void DriveSim::handle_frame(const SimRawFrame& f)
{
    SimLogEntry e;
    e.dir = SimLogEntry::Request;
    e.bytes = f.bytes;
    e.cmd = f.bytes.size() > 1 ? f.bytes[1] : -1;
    e.serial = ++request_serial_;
    e.start = f.first;
    e.end = f.last;
    if (baud_) {  // the request occupies the line for its wire time
        e.start = std::max(f.first, rx_free_);
        e.end = std::max(f.last, e.start + sim_wire_time(f.bytes.size(), baud_));
        rx_free_ = e.end;
    }
    const std::string err = f.error.empty() ? check_request(f.bytes) : f.error;
    if (!err.empty())
        add_violation(err + ": " + sim_hex(f.bytes));
    else if (auto reply = answer(f.bytes, e.end))
        schedule_reply(f.bytes, e.serial, *reply, take_faults(e.cmd), e.end + turnaround_);
    append_log(std::move(e));
}

void DriveSim::promote_due(SimClock::time_point now)
{
    const std::size_t per_piece = baud_ ? std::max<std::size_t>(1, (baud_ + 9999) / 10000) : 0;  // ~1 ms of line
    while (!pending_.empty() && pending_.front().ready <= now) {
        Transmission t = std::move(pending_.front());
        pending_.pop_front();
        const auto gap = t.after_previous.value_or(t.in_order ? turnaround_ : SimClock::duration{});
        auto at = std::max(t.ready, tx_free_ + gap);
        std::size_t before = pieces_.size();
        for (auto& seg : t.segments) {
            at += seg.gap;
            std::size_t step = per_piece ? per_piece : std::max<std::size_t>(1, seg.bytes.size());
            for (std::size_t i = 0; i < seg.bytes.size(); i += step) {
                std::size_t n = std::min(step, seg.bytes.size() - i);
                at += sim_wire_time(n, baud_);
                pieces_.push_back({at, SimBytes(seg.bytes.begin() + i, seg.bytes.begin() + i + n), nullptr, -1,
                                   pieces_.size() == before});
            }
        }
        tx_free_ = at;
        if (pieces_.size() == before) {  // nothing left to send
            t.entry->start = t.entry->end = now;
            append_log(std::move(*t.entry));
            continue;
        }
        pieces_.back().entry = t.entry;
        pieces_.back().hold_report = t.hold_report;
    }
}

// Writes the pieces that are due. A line nobody reads drops what does not fit, as a real
// line would.
void DriveSim::write_due(SimClock::time_point now)
{
    while (master_ >= 0 && !pieces_.empty() && pieces_.front().at <= now) {
        Piece& p = pieces_.front();
        if (p.first)
            piece_started_ = now;
        std::size_t done = 0;
        while (done < p.bytes.size()) {
            ssize_t w = ::write(master_, p.bytes.data() + done, p.bytes.size() - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                break;
            done += static_cast<std::size_t>(w);
        }
        if (p.entry) {
            p.entry->start = piece_started_;
            p.entry->end = SimClock::now();
            if (p.hold_report >= 0)
                reported_hold_ = p.hold_report != 0;
            append_log(std::move(*p.entry));
        }
        pieces_.pop_front();
    }
}

void DriveSim::close_line()
{
    close_fd(master_);
    close_fd(slave_);
    pending_.clear();
    pieces_.clear();
    hung_ = true;
    ++gen_;
    cv_.notify_all();
}

void DriveSim::hang_up()
{
    if (stop_.load()) {
        std::lock_guard lk(mu_);
        close_line();
        return;
    }
    hang_up_req_ = true;
    wake();
    std::unique_lock lk(mu_);
    cv_.wait_for(lk, std::chrono::seconds(2), [this] { return hung_; });
}

void DriveSim::append_log(SimLogEntry e)
{
    log_.push_back(std::move(e));
    ++gen_;
    cv_.notify_all();
}

void DriveSim::add_violation(const std::string& v)
{
    violations_.push_back(v);
    ++gen_;
    cv_.notify_all();
}

// ---- log queries ----

std::vector<SimLogEntry> DriveSim::entries(SimLogEntry::Dir dir, int cmd) const
{
    std::lock_guard lk(mu_);
    std::vector<SimLogEntry> out;
    for (const auto& e : log_)
        if (e.dir == dir && (cmd < 0 || e.cmd == cmd))
            out.push_back(e);
    return out;
}

std::size_t DriveSim::count(SimLogEntry::Dir dir, int cmd) const
{
    std::lock_guard lk(mu_);
    return static_cast<std::size_t>(std::count_if(
        log_.begin(), log_.end(), [&](const SimLogEntry& e) { return e.dir == dir && (cmd < 0 || e.cmd == cmd); }));
}

std::vector<SimLogEntry> DriveSim::requests(int cmd) const { return entries(SimLogEntry::Request, cmd); }
std::vector<SimLogEntry> DriveSim::replies(int cmd) const { return entries(SimLogEntry::Reply, cmd); }
std::size_t DriveSim::request_count(int cmd) const { return count(SimLogEntry::Request, cmd); }
std::size_t DriveSim::reply_count(int cmd) const { return count(SimLogEntry::Reply, cmd); }
std::vector<SimLogEntry> DriveSim::log() const { return locked_get(log_); }
std::vector<std::string> DriveSim::violations() const { return locked_get(violations_); }

void DriveSim::clear_log() { locked_set(log_, {}); }

bool DriveSim::wait_for(const std::function<bool()>& pred, std::chrono::milliseconds timeout) const
{
    const auto deadline = SimClock::now() + timeout;
    for (;;) {
        std::uint64_t seen;
        {
            std::lock_guard lk(mu_);
            seen = gen_;
        }
        if (pred())
            return true;
        auto now = SimClock::now();
        if (now >= deadline)
            return false;
        std::unique_lock lk(mu_);
        cv_.wait_until(lk, std::min(deadline, now + std::chrono::milliseconds(10)), [&] { return gen_ != seen; });
    }
}

bool DriveSim::wait_requests(int cmd, std::size_t n, std::chrono::milliseconds timeout) const
{
    return wait_for([&] { return request_count(cmd) >= n; }, timeout);
}

bool DriveSim::wait_replies(int cmd, std::size_t n, std::chrono::milliseconds timeout) const
{
    return wait_for([&] { return reply_count(cmd) >= n; }, timeout);
}
