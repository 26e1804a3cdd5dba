#pragma once
// DriveSim: a servo drive at the far end of a pseudo-terminal, for tests of the link.
// It reads requests with its own frame reader, is strict about them (every deviation is
// recorded in violations()), answers from raw drive-order bytes set by the test, can be
// made to misbehave (faults), can pace its line like a real UART, and logs every frame.
// It knows the frame and reply layouts only, nothing of the parameter image's fields.
#include "SimWire.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

enum class SimFaultKind {
    Silence,        // no reply
    BadCrc,         // CRC bytes spoilt
    Late,           // reply held back `amount` ms
    Split,          // reply written in pieces at `cuts`, `gap_ms` apart
    GarbageBefore,  // `bytes` glued before the reply
    GarbageAfter,   // `bytes` glued after the reply
    WrongLength,    // length byte changed by `amount` (CRC kept valid)
    Truncated,      // last `amount` bytes never sent
    BadCommand,     // command byte set to `amount` (40 or more; CRC kept valid)
    Twice,          // the reply sent again `amount` ms after the first
    EchoFirst,      // the request echoed before the reply, `amount` ms apart (0: glued)
    HeldAfter,      // reply sent `amount` ms after the reply before it left the line (0: one burst)
};

// A fault applies to the next `count` replies (kForever: until cleared) to requests of
// command `command` (-1: any command), after letting `skip` of them pass unharmed.
// Several faults may shape one reply. Silence with EchoFirst sends the echo alone.
struct SimFault {
    static constexpr int kForever = -1;

    SimFaultKind kind = SimFaultKind::Silence;
    int command = -1;
    int count = 1;
    int skip = 0;
    int amount = 0;
    int gap_ms = 0;
    std::vector<std::size_t> cuts;
    SimBytes bytes;

    static SimFault silence() { return make(SimFaultKind::Silence, 0); }
    static SimFault bad_crc() { return make(SimFaultKind::BadCrc, 0); }
    static SimFault late(int ms) { return make(SimFaultKind::Late, ms); }
    static SimFault split(std::vector<std::size_t> cut_offsets, int gap);
    static SimFault garbage_before(SimBytes b = {0x5A});
    static SimFault garbage_after(SimBytes b = {0x5A});
    static SimFault wrong_length(int delta) { return make(SimFaultKind::WrongLength, delta); }
    static SimFault truncated(int bytes_cut = 1) { return make(SimFaultKind::Truncated, bytes_cut); }
    static SimFault bad_command(int code = 40) { return make(SimFaultKind::BadCommand, code); }
    static SimFault twice(int gap = 0) { return make(SimFaultKind::Twice, gap); }
    static SimFault echo_first(int gap = 0) { return make(SimFaultKind::EchoFirst, gap); }
    static SimFault held_after(int ms) { return make(SimFaultKind::HeldAfter, ms); }

    SimFault& on(int cmd) { command = cmd; return *this; }
    SimFault& times(int n) { count = n; return *this; }
    SimFault& forever() { count = kForever; return *this; }
    SimFault& after(int n) { skip = n; return *this; }

private:
    static SimFault make(SimFaultKind k, int a)
    {
        SimFault f;
        f.kind = k;
        f.amount = a;
        return f;
    }
};

// One frame on the line. Requests are logged when complete, replies when their last byte
// was written. Times are those of the first and last byte (with pacing: on the wire).
struct SimLogEntry {
    enum Dir { Request, Reply };
    Dir dir = Request;
    SimClock::time_point start{};
    SimClock::time_point end{};
    SimBytes bytes;
    int cmd = -1;  // command byte (request: as received; reply: as intended)
    // Request: its number in the drive's life (from 1). Reply: the number of the request it answers.
    std::uint32_t serial = 0;
    std::vector<SimFaultKind> faults;  // reply: the faults that shaped it
};

// Boot personality: one command or answer on the line in the SH7047's boot mode, with the line
// rate it went at (the rate of the pseudo-terminal's termios when the command arrived).
struct SimBootEntry {
    bool from_program = true;  // false: the drive's answer
    SimBytes bytes;
    std::uint32_t baud = 0;
    SimClock::time_point at{};
};

// Faults of the boot personality beyond SimFault's Silence and Late (which apply to boot commands
// by the codes DriveSim::boot_code gives them).
struct SimBootFaults {
    bool refuse_bit_rate = false;  // BF 00 to the new bit rate
    long flip_read_address = -1;   // a read-back carries this flash byte inverted
    int read_length_delta = 0;     // a read-back's length field (and data) differ by this
};

class DriveSim {
public:
    static constexpr std::size_t kImageSize = 2412;
    static constexpr std::size_t kIdentSize = 52;
    static constexpr std::size_t kStatusSize = 28;
    static constexpr std::size_t kAlarmMemSize = 17;

    struct ParamWrite {
        std::uint16_t key = 0;
        std::uint8_t sub = 0;
        std::uint8_t bits = 0;
        SimBytes value;  // the 4 value bytes as sent (big-endian)
        std::uint32_t value_u32() const;
    };

    // Opens the pseudo-terminal and starts the drive thread. Throws std::runtime_error.
    DriveSim();
    ~DriveSim();
    DriveSim(const DriveSim&) = delete;
    DriveSim& operator=(const DriveSim&) = delete;

    void stop();
    std::string port_name() const { return port_name_; }  // relative to /dev, e.g. "pts/5"
    std::string device_path() const { return "/dev/" + port_name_; }

    // --- Drive state: raw bytes in drive order. Wrong sizes throw std::invalid_argument.
    void set_image(const SimBytes& image);
    void set_image_bytes(std::size_t offset, const SimBytes& bytes);
    SimBytes image() const;
    void set_identification(const SimBytes& ident);
    SimBytes identification() const;
    void set_firmware_version(std::uint8_t major, std::uint8_t minor);  // identification bytes 12-13
    void set_status(const SimBytes& status);  // without the bits the simulator adds
    void set_alarm_memory(const SimBytes& mem);
    void set_info_reply(std::uint8_t sub, const SimBytes& after_status);
    // A procedure: drive function (code, 1) starts it; from then on each information request of
    // `sub` is answered with the next step (bytes after the status block; the last one repeats).
    // Drive function (code, 0) or (0, 0) stops it: the last step answered again with its procedure
    // mode byte (byte 4 of sub-reply 2, byte 1 of the others) 0.
    void set_procedure_script(std::uint8_t code, std::uint8_t sub, std::vector<SimBytes> steps);
    void add_procedure_step(const SimBytes& step);  // after the script's last step, running or not
    void set_list_value(std::uint16_t key, std::uint8_t sub, const SimBytes& raw);
    void clear_list_values();
    void queue_text_message(const SimBytes& message);
    std::size_t queued_text_messages() const;
    void set_terminal_echo(bool on);  // without a queued message a character is echoed as "%c"
    void set_boot_loader(bool on);    // identification flag bit 0, status bits 0 and 2; polls only
    void set_write_hold(bool on);     // status bit 3
    void set_store_time(std::chrono::milliseconds t);  // storing phase after a block or motor write
    void queue_reply(std::uint8_t cmd, const SimBytes& payload);  // next reply to cmd carries it

    // --- What the drive was told.
    std::vector<ParamWrite> param_writes() const;
    SimBytes motor_record() const;

    // --- Faults.
    void add_fault(const SimFault& f);
    void add_faults(const std::vector<SimFault>& faults);  // all at once: no request between them
    void clear_faults();
    std::size_t faults_pending() const;  // faults not yet used up
    void hang_up();  // unplug now: the master side is closed

    // --- Boot personality (DriveSim_boot.cpp). A sync (00 bytes) at 9600 baud enters boot mode
    // (a pseudo-terminal has no RTS; the rate is the termios both ends share). The boot ROM echoes
    // the boot program, which then takes the kernels, erases, writes and reads a 256 KB flash.
    static constexpr int kBootEcho = 0x200;    // SimFault command of the boot program's echo
    static constexpr int kBootKernel = 0x300;  // of a kernel download; others: the command byte
    void boot_reset();  // RTS reset into boot mode: the boot ROM waits for a sync
    void app_reset();   // reset out of boot mode: the application answers frames again
    bool in_boot() const;
    SimBytes boot_flash() const;
    void set_boot_flash(const SimBytes& flash);
    std::vector<SimBootEntry> boot_log() const;
    void clear_boot_log();
    void set_boot_faults(const SimBootFaults& f);
    std::uint32_t line_baud() const;  // the rate the program set, 0 unknown

    // --- Container boot program (DriveSim_cdx.cpp): the drive's own boot program that takes a
    // firmware container over command 2. While it runs, status bit 0 and identification flag
    // bit 0 (bit 1 too for 0xC0458) are set and only polls, identifications and command 2 are
    // answered. An end frame (05 02 02, never answered) restarts the drive into the other program
    // after `restart` of silence, unless the application is told to ignore it.
    void set_cdx_boot_program(bool on);
    bool cdx_boot_program() const;
    void set_cdx_restart(std::chrono::milliseconds silent);
    void set_cdx_ignore_end(bool on);
    void set_cdx_refuse_page(int index);  // page reply status 0 for the page of this index (-1: none)
    std::map<std::uint32_t, SimBytes> cdx_pages() const;  // pages received, by address

    // --- Scope personality (DriveSim_scope.cpp). Command 12 records the four signal codes and the
    // sampling value and answers modulus and scale (low byte first); command 11 checks the
    // acknowledged position against the stream bytes sent (modulo the modulus) and answers the
    // next status slice (0 to 6 in turn), the flags and up to a set number of stream bytes. The
    // stream is the drive's own encoding of the generators' samples: predictor residuals, each in
    // the narrowest code that holds it.
    using ScopeGenerator = std::function<std::int32_t(unsigned channel, std::uint64_t n)>;
    void scope_set_start_reply(const SimBytes& four);      // default 10 27 00 01
    void scope_set_generator(ScopeGenerator g);            // sample n of a channel; default 0
    void scope_set_stream_bytes(std::size_t n);            // stream bytes per reply, at most 246
    void scope_set_overflow_after(std::uint64_t samples);  // flag bit 4 from then on (0: never)
    void scope_set_samples(std::uint64_t n);               // samples the drive has in all (0: no end)
    void scope_request_slice(std::uint8_t slice);          // the next reply carries this slice number
    void scope_request_status();                           // flag bit 6 on the next reply
    void scope_set_line_pacing(bool on);                   // samples come at the sampling period
    SimBytes scope_codes() const;                          // of the last start
    std::uint16_t scope_sampling() const;                  // sampling value of the last start
    std::uint64_t scope_samples_sent() const;              // samples wholly in the stream sent
    std::uint64_t scope_stream_sent() const;               // stream bytes sent since the start
    std::size_t scope_acks_checked() const;                // acknowledgements compared

    // --- Line pacing: 10 bits per byte at `baud` both ways (0: off), plus a turnaround: the
    // drive answers a request one turnaround after it arrived, or one turnaround after the answer
    // before has left the line when that answer was held back (answers go out in order).
    void set_pacing(std::uint32_t baud, std::chrono::microseconds turnaround = {});

    // --- Log and checks.
    std::vector<SimLogEntry> log() const;
    std::vector<SimLogEntry> requests(int cmd = -1) const;
    std::vector<SimLogEntry> replies(int cmd = -1) const;
    std::size_t request_count(int cmd = -1) const;
    std::size_t reply_count(int cmd = -1) const;
    void clear_log();
    // Protocol errors of the program: malformed or oversized requests, bad CRC or CRC byte
    // order, reads or writes beyond 2412, a block-write chunk out of sequence, a write
    // (commands 4, 6, 9) after the last intact status reply reported bit 3. Tests assert empty.
    std::vector<std::string> violations() const;
    // Waits until pred() holds; pred is re-evaluated on every logged event and every 10 ms
    // and may call into the simulator. Returns false when the time-out passed first.
    bool wait_for(const std::function<bool()>& pred, std::chrono::milliseconds timeout) const;
    bool wait_requests(int cmd, std::size_t n, std::chrono::milliseconds timeout) const;
    bool wait_replies(int cmd, std::size_t n, std::chrono::milliseconds timeout) const;

private:
    struct Segment {
        SimBytes bytes;
        SimClock::duration gap{};  // silence before this segment
    };
    struct Transmission {
        SimClock::time_point ready{};
        std::vector<Segment> segments;
        int hold_report = -1;                // status bit 3 this reply reports (-1: none)
        std::shared_ptr<SimLogEntry> entry;  // logged when the last piece is written
        bool in_order = true;                // an answer: one turnaround after the line is free
        std::optional<SimClock::duration> after_previous;  // instead of the turnaround (HeldAfter)
    };
    struct Piece {
        SimClock::time_point at{};
        SimBytes bytes;
        std::shared_ptr<SimLogEntry> entry;  // set on the last piece of a transmission
        int hold_report = -1;
        bool first = false;
    };
    struct Reply {
        std::uint8_t cmd = 0;
        SimBytes payload;
    };
    struct Transfer {
        bool active = false;
        bool complete = false;
        unsigned received = 0;
        unsigned total = 0;
        int last_offset = -1;
        int last_length = 0;
        SimClock::time_point store_start{};
        SimClock::time_point store_end{};
    };

    // Drive state read or written under the lock.
    template <typename T>
    T locked_get(const T& field) const
    {
        std::lock_guard lk(mu_);
        return field;
    }
    template <typename T>
    void locked_set(T& field, T value)
    {
        std::lock_guard lk(mu_);
        field = std::move(value);
    }
    // Log entries of one direction, of command cmd (-1: any), and their number.
    std::vector<SimLogEntry> entries(SimLogEntry::Dir dir, int cmd) const;
    std::size_t count(SimLogEntry::Dir dir, int cmd) const;

    // thread and line (DriveSim.cpp)
    void open_pty();
    void run();
    void wake() const;
    void read_master(SimClock::time_point now);
    void handle_frame(const SimRawFrame& f);
    void promote_due(SimClock::time_point now);
    void write_due(SimClock::time_point now);
    void close_line();
    std::optional<SimClock::time_point> next_deadline() const;
    void append_log(SimLogEntry e);
    void add_violation(const std::string& v);

    // drive behaviour (DriveSim_answer.cpp)
    std::string check_request(const SimBytes& f) const;
    std::optional<Reply> answer(const SimBytes& f, SimClock::time_point now);
    SimBytes status_now(SimClock::time_point now) const;
    SimBytes terminal_reply(std::uint8_t ch);
    SimBytes info_reply(std::uint8_t sub, SimClock::time_point now);
    SimBytes read_list_reply(const SimBytes& f) const;
    void block_write(const SimBytes& f, SimClock::time_point now);
    unsigned progress_at(SimClock::time_point now) const;
    bool storing(SimClock::time_point now) const;

    // boot personality (DriveSim_boot.cpp); true when it took the bytes
    struct BootState;
    BootState& boot();
    bool boot_take(const std::uint8_t* data, std::size_t n, SimClock::time_point now);
    void boot_command(const SimBytes& cmd, SimClock::time_point now);
    void boot_answer(const SimBytes& bytes, int code, SimClock::time_point ready);
    std::uint32_t tty_baud() const;
    std::shared_ptr<BootState> boot_mode_;

    // container boot program (DriveSim_cdx.cpp); true when it took the request (out: its reply)
    struct CdxProgram;
    CdxProgram& cdx();
    bool cdx_answer(const SimBytes& f, SimClock::time_point now, std::optional<Reply>& out);
    std::shared_ptr<CdxProgram> cdx_program_;

    // scope personality (DriveSim_scope.cpp)
    struct ScopeState;
    ScopeState& scope();
    SimBytes scope_start(const SimBytes& f, SimClock::time_point now);
    SimBytes scope_data(const SimBytes& f, SimClock::time_point now);
    std::shared_ptr<ScopeState> scope_mode_;

    // faults (DriveSim_fault.cpp)
    std::vector<SimFault> take_faults(int cmd);
    void schedule_reply(const SimBytes& request, std::uint32_t serial, const Reply& r, std::vector<SimFault> faults,
                        SimClock::time_point ready);

    // line
    int master_ = -1;
    int slave_ = -1;
    int wake_fd_ = -1;
    std::string port_name_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> hang_up_req_{false};

    mutable std::mutex mu_;
    mutable std::condition_variable cv_;
    std::uint64_t gen_ = 0;  // bumped on every logged event

    SimFrameReader reader_;
    std::deque<Transmission> pending_;  // ordered by ready time
    SimClock::time_point last_reply_ready_{};
    std::deque<Piece> pieces_;          // ordered by write time
    SimClock::time_point rx_free_{};
    SimClock::time_point tx_free_{};
    SimClock::time_point piece_started_{};
    std::uint32_t request_serial_ = 0;
    std::uint32_t baud_ = 0;
    SimClock::duration turnaround_{};
    bool hung_ = false;

    // drive state
    SimBytes image_;
    SimBytes ident_;
    SimBytes status_;
    SimBytes alarm_mem_;
    std::map<std::uint8_t, SimBytes> info_;
    struct ProcedureScript {
        std::uint8_t code = 0;
        std::uint8_t sub = 0;
        std::vector<SimBytes> steps;
        std::size_t next = 0;
        bool running = false;
        bool stopped = false;
    };
    std::optional<ProcedureScript> script_;
    void procedure_function(std::uint8_t code, std::uint8_t value);
    std::optional<SimBytes> procedure_step(std::uint8_t sub);
    std::map<std::uint32_t, SimBytes> list_values_;
    std::deque<SimBytes> texts_;
    std::map<std::uint8_t, std::deque<SimBytes>> queued_replies_;
    bool echo_ = true;
    bool boot_ = false;
    bool hold_ = false;
    bool reported_hold_ = false;  // status bit 3 in the last status-carrying reply sent
    SimClock::duration store_time_{};
    Transfer transfer_;
    SimBytes motor_;

    std::vector<SimFault> faults_;
    std::vector<SimLogEntry> log_;
    std::vector<std::string> violations_;
    std::vector<ParamWrite> writes_;
};
