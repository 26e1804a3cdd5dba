#pragma once
// Serial port of the drive link on a POSIX terminal device.
//
// One Serport object lives for the whole program; each connect opens a device under /dev
// ("ttyUSB0", "pts/5"), each disconnect closes it. Besides the port the object holds the stop
// event and the one-shot wake on which the receive thread's wait() also returns, so both live
// across open/close.
//
// Threads: one thread waits and reads (receive), another writes (send), any thread may purge,
// reconfigure, wake, stop or close. close() is safe against concurrent use: it makes a pending
// wait() return and waits for calls in progress before the descriptor is released.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <termios.h>

// Result of Serport::wait().
enum class PortWait {
    Data,       // bytes are waiting to be read
    Stop,       // the stop event is set (it stays set until reset_stop())
    Wake,       // one-shot wake()
    LineError,  // framing, parity, overrun or break since the last check (purge and start over)
    HangUp,     // the device is gone (unplugged, pty master closed) or was closed meanwhile
    Timeout,
};

class Serport {
public:
    static constexpr int32_t kForever = -1;
    // A hung-up port reports HangUp at most once per this many ms: callers never spin on it.
    static constexpr int32_t kHangUpPaceMs = 50;

    // Modem-line control codes of reconfig() (two bits each in the line-state record).
    static constexpr uint8_t kLineOff = 0;
    static constexpr uint8_t kLineOn = 1;
    static constexpr uint8_t kLineHandshake = 2;  // RTS only: hardware flow control (CRTSCTS)
    static constexpr uint8_t kLineToggle = 3;     // not available: refused

    Serport();
    ~Serport();
    Serport(const Serport&) = delete;
    Serport& operator=(const Serport&) = delete;

    // Opens /dev/<name> exclusively (a port in use elsewhere is refused), saves its terminal
    // settings and sets raw 8N1 at `baud`, receiver on, modem status ignored, no flow control,
    // DTR on, RTS off, both directions purged. A port this object still holds is closed first.
    // Any failure closes the descriptor at once and returns false.
    bool open(const std::string& name, uint32_t baud);
    // Why the last open failed: an errno (EACCES, EBUSY for a port in use, ENOENT, EINVAL for a
    // name this layer does not open); 0 after a successful open.
    int open_error() const;
    // Purges, puts the saved terminal settings back and closes. Does nothing when closed.
    void close();
    bool is_open() const;
    std::string name() const;  // empty when closed
    uint32_t baud() const;     // rate of the open port, 0 when closed

    // Changes the line of the open port: purge, `baud`, no parity, one stop bit, RTS by `rts_code`
    // (off, on, handshake) and DTR by `dtr_code` (off, on). Other codes, rate 0, an unsupported
    // rate or a closed port: false, nothing changed.
    bool reconfig(uint32_t baud, uint8_t rts_code, uint8_t dtr_code);
    // Raises or lowers RTS (a pseudo-terminal has no modem lines: counts as done).
    bool set_rts(bool on);
    // Discards the bytes of both directions that the driver holds.
    bool purge();

    // Bytes waiting in the driver's input queue (0 when closed or on error).
    size_t bytes_waiting();
    // Reads what is waiting, at most `space` bytes, without blocking. Returns the count read.
    size_t read(uint8_t* buf, size_t space);
    // Writes all `len` bytes, waiting for room at most `timeout_ms` in all. Returns false, quietly,
    // when the port is closed or gone or the time ran out; the bytes may then be partly sent.
    bool write(const uint8_t* data, size_t len, uint32_t timeout_ms);

    // Waits up to `timeout_ms` (kForever: no limit) for data, a line error or hang-up of the port,
    // the stop event or a wake. With the port closed only stop, wake and the time-out end it.
    // Stop is checked first, then a pending wake. One thread waits at a time.
    PortWait wait(int32_t timeout_ms);
    // Ends the current wait() with Wake; without one pending, the next wait() returns Wake.
    void wake();
    // Sets the stop event: every wait() returns Stop until reset_stop().
    void stop();
    void reset_stop();
    bool stop_requested() const;
    // True once the open port has hung up (until it is closed).
    bool hung_up() const;

    // Names this layer opens: "tty" + letters + digits, "rfcomm" + digits, "pts/" + digits.
    static bool valid_name(const std::string& name);
    // Who besides root may open /dev/<name>: its owner, and the members of its group when the
    // group may read and write it (group is empty otherwise). known is false when the device
    // cannot be examined.
    struct DeviceAccess {
        bool known = false;
        std::string owner;  // user name (or number) of the owner
        std::string group;  // the group whose members may open it, or empty
    };
    static DeviceAccess device_access(const std::string& name);

private:
    class Use;

    void close_locked(std::unique_lock<std::mutex>& lock);
    void ring_bell();
    void drain_bell();
    bool line_error_seen(int fd);
    void reset_error_base(int fd);
    void note_errno(int err);

    mutable std::mutex m_;
    std::condition_variable cv_;
    int fd_ = -1;
    int users_ = 0;
    bool closing_ = false;
    termios saved_{};
    std::string name_;
    int open_error_ = 0;

    int bell_ = -1;  // eventfd: stop, wake and close poke the waiting thread through it
    std::atomic<unsigned> generation_{0};
    std::atomic<uint32_t> baud_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> wake_{false};
    std::atomic<bool> hung_up_{false};
    std::atomic<bool> icount_ok_{false};
    std::atomic<uint64_t> error_base_{0};
};
