// Boot-loader flash: line sequences, tries, the receiver of raw answers, the twenty steps.
#include "flash_core/Flashcom_mot.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashctrl.h"
#include "link/Flash_progress.h"
#include "link/Flash_seams.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"

FlashRunRec FlashRun;
std::atomic<uint8_t> Flashsh7047_running{0};
std::atomic<uint8_t> Ser_try_count{0};
std::atomic<uint8_t> Ser_rts_state{0};

namespace {

// ---- constants of the protocol ----
constexpr uint8_t ACK = 0x06;
constexpr uint8_t SYNC_REPLY = 0x00;
constexpr uint8_t BOOT_RUNS = 0xAA;
constexpr uint8_t UNIT_REPLY = 0x37;
constexpr uint8_t STATUS_REPLY = 0x5F;
constexpr uint8_t BIT_RATE_REFUSED = 0xBF;
constexpr uint8_t READ_CMD = 0x52;
constexpr uint8_t STATUS_CMD = 0x4F;
constexpr uint8_t WRITE_CMD = 0x43;
constexpr uint8_t ERASE_CMD = 0x48;

constexpr uint32_t BOOT_BAUD = 9600;
constexpr uint32_t FAST_BAUD = 57600;
constexpr uint8_t BIT_RATE_CMD[] = {0x3F, 0x07, 0x02, 0x40, 0x04, 0xB0, 0x02, 0x04, 0x02};  // checksum appended
constexpr uint8_t CLOCK_MODE_CMD[] = {0x11, 0x01, 0x03, 0xEB};
constexpr uint8_t ERASE_BLOCKS[] = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0xFF};
constexpr uint32_t BOOT_CHUNK = 14;
constexpr uint32_t BOOT_PROGRESS_STEPS = 8;  // progress steps of the boot phase besides the chunks
constexpr uint32_t VERIFY_MAX = 2048;
constexpr uint32_t COLOUR_BOOT = 0x0080FF;
constexpr uint32_t COLOUR_WRITE = 0x008000;
constexpr uint32_t COLOUR_VERIFY = 0xFF8000;
constexpr uint32_t LINE_MS = 20;
constexpr uint32_t EXIT_SETTLE_MS = 200;
constexpr uint32_t IDLE_MS = 5;
constexpr uint8_t DTR_OFF = 0;
constexpr uint8_t DTR_ON = 1;
constexpr uint32_t KERNEL_MAX = 65535;

enum Blob { BootProgram, Kernel1, Kernel2, Kernel3, BlobCount };

// ---- shared with the GUI thread ----
struct Kernels {
    std::mutex lock;  // folder
    std::string folder;
    std::vector<uint8_t> blob[BlobCount];   // written by the GUI while no run is active
    std::atomic<bool> ready{false};
    std::atomic<uint32_t> progress_max{0};  // 8 + chunks of the boot program
};
Kernels kernels;

std::mutex hook_lock;
std::function<void(const FlashLineEvent&)> line_hook;

// ---- the receiver: bytes since the current try, what is left of them after an answer ----
struct BootRx {
    std::mutex lock;
    uint8_t buf[SER_RX_BUF_SIZE] = {};
    uint16_t count = 0;
    uint8_t expect[BOOT_CHUNK] = {};  // bytes of the try in flight, for an echo
    uint16_t expect_len = 0;
};
BootRx rx;

// Written by the reply handlers before they wake the send thread.
std::atomic<bool> bit_rate_refused{false};
std::atomic<bool> verify_mismatch{false};

// Send thread only.
bool sent_this_tick = false;
std::atomic<bool> line_touched{false};  // a run has put the line into boot mode

// ---- small helpers ----

void notify(const FlashLineEvent& e)
{
    std::lock_guard<std::mutex> hold(hook_lock);
    if (line_hook)
        line_hook(e);
}

bool link_running()
{
    return Ser_tx_state.load() == LinkState::Run;
}

void set_result(uint8_t bits)
{
    FlashProgressFlags.fetch_or(bits, std::memory_order_acq_rel);
}

void clear_result(uint8_t bits)
{
    FlashProgressFlags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_acq_rel);
}

void progress_step()
{
    FlashProgressCount.fetch_add(1);
}

void progress_bar(uint32_t colour, uint32_t maximum)
{
    FlashBarColour.store(colour);
    FlashProgressMax.store(maximum);
    FlashProgressCount.store(0);
    FirmwareImage.progress_second.store(0);
}

void put_be32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

uint32_t be32(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Byte i of a reply: bytes not received count 0.
uint8_t at(const uint8_t* b, uint16_t n, uint16_t i)
{
    return i < n ? b[i] : 0;
}

// ---- line ----

void set_rts(bool on)
{
    Ser_port.set_rts(on);
    Ser_rts_state.store(on ? 1 : 0);
}

// Line sequences: RTS level (-1: unchanged) and the time held after it.
struct LineStep {
    int8_t rts;
    uint16_t ms;
};
constexpr LineStep BOOT_ENTRY[] = {{0, LINE_MS}, {1, LINE_MS}};
constexpr LineStep BOOT_EXIT[] = {{1, LINE_MS}, {0, LINE_MS}, {-1, EXIT_SETTLE_MS}};
constexpr LineStep DRIVE_RESET[] = {{0, LINE_MS}, {1, LINE_MS}, {-1, LINE_MS}, {1, LINE_MS}, {0, LINE_MS},
                                    {-1, EXIT_SETTLE_MS}};

template <std::size_t N>
void run_line(const LineStep (&seq)[N], FlashLineEvent::Kind event)
{
    if (!Ser_port.is_open())
        return;
    for (const LineStep& s : seq) {
        if (s.rts >= 0)
            set_rts(s.rts == 1);
        Sleep_ms(s.ms);
    }
    notify({event});
}

void boot_entry()
{
    run_line(BOOT_ENTRY, FlashLineEvent::BootEntry);
}

void boot_exit()
{
    run_line(BOOT_EXIT, FlashLineEvent::BootExit);
}

// Port to baud with the kept RTS state; the current baud follows when the port accepts it.
void port_to(uint32_t baud, uint8_t dtr, uint8_t update_timeout)
{
    const uint8_t rts = Ser_rts_state.load();
    if (Seriale_reconfig(baud, rts, dtr, update_timeout)) {
        FlashRun.current_baud.store(baud);
        notify({FlashLineEvent::Port, baud, rts, dtr});
    }
}

// Step 19's port part: the settings' baud, DTR off, the link's time-out, then the drive reset
// out of boot mode.
void port_back()
{
    port_to(Link_settings().baud, DTR_OFF, 1);
    boot_exit();
}

// ---- restart and abort ----

void restart()
{
    FlashProgressFlags.store(0);
    FlashRun.result2.store(0);
    FlashRun.result_copy.store(0);
    FlashPhase.store(FlashUiPhase::Boot);
    FlashRun.sub_phase.store(0);
    boot_entry();
    port_to(BOOT_BAUD, DTR_ON, 0);
    Sleep_ms(LINE_MS);
    progress_bar(COLOUR_BOOT, kernels.progress_max.load());
}

void abort_run()
{
    restart();
    FlashRun.step.store(0);
    FlashRun.done.store(0);
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers), std::memory_order_acq_rel);
}

// ---- tries ----

enum class Try { Reply, Timeout, Stopped };

Try finish_wait(uint32_t seq, uint32_t wait_ms)
{
    if (Sertx_wait_reply(seq, wait_ms))
        return Try::Reply;
    return link_running() ? Try::Timeout : Try::Stopped;
}

// One try: a fresh receiver, the bytes written, the wait.
Try exchange(const uint8_t* bytes, std::size_t n, uint32_t wait_ms)
{
    {
        std::lock_guard<std::mutex> hold(rx.lock);
        rx.count = 0;
        rx.expect_len = static_cast<uint16_t>(std::min<std::size_t>(n, sizeof rx.expect));
        std::memcpy(rx.expect, bytes, rx.expect_len);
    }
    sent_this_tick = true;
    return finish_wait(Sertx_send_raw(bytes, n), wait_ms);
}

// Takes the current step's answer from the bytes already received; true when it was there.
bool take_received()
{
    std::lock_guard<std::mutex> hold(rx.lock);
    const FlashStep& s = FlashSteps[FlashRun.step.load()];
    const uint16_t n = s.reply ? s.reply(rx.buf, rx.count) : 0;
    if (n == 0)
        return false;
    std::memmove(rx.buf, rx.buf + n, rx.count - n);
    rx.count = static_cast<uint16_t>(rx.count - n);
    return true;
}

// A try that sends nothing: what the step before left counts first.
Try await_answer(uint32_t wait_ms)
{
    sent_this_tick = true;
    const uint32_t seq = Sertx_send_raw(nullptr, 0);
    if (take_received()) {
        Sertx_wait_reply(seq, 0);  // disarms it
        return Try::Reply;
    }
    return finish_wait(seq, wait_ms);
}

// The outcome of a try: an answer resets the tries (except where the step goes on with the tries
// left) and marks the drive answering; silence purges and counts down, then aborts; a stop counts
// nothing.
bool answered(Try t, bool keep_tries = false)
{
    if (t == Try::Reply) {
        if (!keep_tries)
            Ser_try_count.store(2);
        Ser_link_flags.fetch_or(LinkFlag::Answers, std::memory_order_acq_rel);
        return true;
    }
    if (t == Try::Timeout) {
        Ser_port.purge();
        const uint8_t left = Ser_try_count.load();
        if (left > 0)
            Ser_try_count.store(static_cast<uint8_t>(left - 1));
        else
            abort_run();
    }
    return false;
}

// A command with its checksum appended.
std::vector<uint8_t> with_checksum(std::vector<uint8_t> cmd)
{
    cmd.push_back(Flashcom_mot_checksum(cmd.data(), cmd.size()));
    return cmd;
}

Try send_cmd(const std::vector<uint8_t>& cmd, uint32_t wait_ms)
{
    return exchange(cmd.data(), cmd.size(), wait_ms);
}

// A kernel: its size as u32, the blob, the checksum; waits T.
Try send_kernel(Blob which)
{
    const std::vector<uint8_t>& blob = kernels.blob[which];
    std::vector<uint8_t> cmd(4);
    put_be32(cmd.data(), static_cast<uint32_t>(blob.size()));
    cmd.insert(cmd.end(), blob.begin(), blob.end());
    cmd = with_checksum(std::move(cmd));
    return send_cmd(cmd, Flashcom_mot_wait_ms(FlashRun.current_baud.load(), static_cast<uint32_t>(cmd.size())));
}

// ---- reply handlers (receive thread; also the send thread for bytes left over) ----

uint16_t h_sync(const uint8_t* b, uint16_t n)
{
    const uint8_t want = FlashRun.sub_phase.load() == 0 ? SYNC_REPLY : BOOT_RUNS;
    return n >= 1 && b[0] == want ? 1 : 0;
}

uint16_t h_echo(const uint8_t* b, uint16_t n)
{
    const uint16_t len = rx.expect_len;
    return len > 0 && n >= len && std::memcmp(b, rx.expect, len) == 0 ? len : 0;
}

uint16_t h_boot_runs(const uint8_t* b, uint16_t n)
{
    return n >= 1 && b[0] == BOOT_RUNS ? 1 : 0;
}

uint16_t h_ack(const uint8_t* b, uint16_t n)
{
    return n >= 1 && b[0] == ACK ? 1 : 0;
}

// head, size, data, checksum; 0 until complete and summing to 0.
uint16_t sized_reply(const uint8_t* b, uint16_t n, uint8_t head)
{
    if (n < 2 || b[0] != head)
        return 0;
    const uint16_t total = static_cast<uint16_t>(b[1] + 3);
    return n >= total && Flashcom_mot_sum(b, total) == 0 ? total : 0;
}

uint16_t h_unit(const uint8_t* b, uint16_t n)
{
    const uint16_t k = sized_reply(b, n, UNIT_REPLY);
    if (k)
        FlashRun.prog_unit.store(static_cast<uint16_t>(at(b, k, 2) << 8 | at(b, k, 3)));
    return k;
}

uint16_t h_status(const uint8_t* b, uint16_t n)
{
    const uint16_t k = sized_reply(b, n, STATUS_REPLY);
    if (k)
        FlashRun.boot_status.store(static_cast<uint16_t>(at(b, k, 2) << 8 | at(b, k, 3)));
    return k;
}

uint16_t h_status_or_ack(const uint8_t* b, uint16_t n)
{
    const uint16_t k = h_ack(b, n);
    return k ? k : h_status(b, n);
}

uint16_t h_bit_rate(const uint8_t* b, uint16_t n)
{
    if (h_ack(b, n)) {
        bit_rate_refused.store(false);
        return 1;
    }
    if (n >= 2 && b[0] == BIT_RATE_REFUSED) {
        bit_rate_refused.store(true);
        return 2;
    }
    return 0;
}

// 52, length u32, data, checksum: only with the length asked for and summing to 0. The data are
// compared with the image by address.
uint16_t h_read(const uint8_t* b, uint16_t n)
{
    const uint32_t len = FlashRun.verify_length.load();
    const uint32_t total = len + 6;
    if (n < total || b[0] != READ_CMD || be32(b + 1) != len || Flashcom_mot_sum(b, total) != 0)
        return 0;
    const uint32_t from = FlashRun.verify_address.load();
    bool same = true;
    for (uint32_t i = 0; i < len && same; ++i) {
        uint8_t want = 0;
        same = Flashctrl_image_byte(FirmwareImage, from + i, want) && want == b[5 + i];
    }
    verify_mismatch.store(!same);
    return static_cast<uint16_t>(total);
}

// ---- steps ----

int s0_line()
{
    line_touched.store(true);
    FlashPhase.store(FlashUiPhase::Boot);
    FlashRun.sub_phase.store(0);
    boot_entry();
    port_to(BOOT_BAUD, DTR_OFF, 0);
    Sleep_ms(LINE_MS);
    progress_bar(COLOUR_BOOT, kernels.progress_max.load());
    return 1;
}

void e_fresh_tries()
{
    Ser_try_count.store(3);
    FlashRun.sub_phase.store(0);
    FlashRun.boot_offset.store(0);
    std::lock_guard<std::mutex> hold(rx.lock);
    rx.count = 0;
}

int s1_sync()
{
    if (FlashRun.sub_phase.load() == 0) {
        restart();
        static const uint8_t zeros[3] = {0, 0, 0};
        if (answered(exchange(zeros, sizeof zeros, 20), true))
            FlashRun.sub_phase.store(1);
        return 0;
    }
    static const uint8_t bit_rate_match = 0x55;
    if (!answered(exchange(&bit_rate_match, 1, 100)))
        return 0;
    progress_step();
    return 1;
}

int s2_boot_program()
{
    const std::vector<uint8_t>& prog = kernels.blob[BootProgram];
    const uint32_t size = static_cast<uint32_t>(prog.size());
    if (FlashRun.sub_phase.load() == 0) {
        const uint8_t size_word[2] = {static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)};
        if (answered(exchange(size_word, 2, 100))) {
            FlashRun.sub_phase.store(1);
            FlashRun.boot_offset.store(0);
        }
        return 0;
    }
    const uint32_t offset = FlashRun.boot_offset.load();
    const uint32_t chunk = std::min(BOOT_CHUNK, size - offset);
    const uint32_t wait = std::max<uint32_t>(4 * chunk, 100);
    Ser_timeout_ms.store(wait);
    FlashRun.chunk_len.store(chunk);
    if (!answered(exchange(prog.data() + offset, chunk, wait)))
        return 0;
    FlashRun.boot_offset.store(offset + chunk);
    progress_step();
    if (offset + chunk < size)
        return 0;
    progress_step();
    return 1;
}

int s3_boot_runs()
{
    if (!answered(await_answer(200)))
        return 0;
    progress_step();
    return 1;
}

// A command answered by the step's handler, then one progress step.
int simple(const std::vector<uint8_t>& cmd, uint32_t wait_ms, bool step_progress = true)
{
    if (!answered(send_cmd(cmd, wait_ms)))
        return 0;
    if (step_progress)
        progress_step();
    return 1;
}

int s4_unit() { return simple({0x27}, 200); }
int s5_clock() { return simple(std::vector<uint8_t>(std::begin(CLOCK_MODE_CMD), std::end(CLOCK_MODE_CMD)), 200); }

int s6_bit_rate()
{
    const std::vector<uint8_t> cmd = with_checksum({std::begin(BIT_RATE_CMD), std::end(BIT_RATE_CMD)});
    if (!answered(send_cmd(cmd, 200)))
        return 0;
    if (bit_rate_refused.load()) {
        clear_result(FlashProgressFlag::BitRateAccepted);
        FlashRun.errors.fetch_or(FlashError::BitRate);
        abort_run();
        set_result(FlashProgressFlag::BitRateRefused);
        return 0;
    }
    set_result(FlashProgressFlag::BitRateAccepted);
    clear_result(FlashProgressFlag::BitRateRefused);
    FlashRun.errors.fetch_and(~FlashError::BitRate);
    port_to(FAST_BAUD, DTR_OFF, 0);
    Sleep_ms(10);
    progress_step();
    return 1;
}

int s7_status() { return simple({STATUS_CMD}, 100, false); }
int s8_status() { return simple({STATUS_CMD}, 200); }
int s9_programming() { return simple({0x40}, 200); }

int s10_kernel1()
{
    if (!answered(send_kernel(Kernel1)))
        return 0;
    set_result(FlashProgressFlag::KernelAccepted);
    return 1;
}

// The erase-and-write phase from its start: timer, verify error, bar, counters, results.
void clear_write_state()
{
    FlashElapsedSeconds.store(0);
    FlashSecondStamp.store(Tick_ms());
    FlashRun.errors.fetch_and(~FlashError::Verify);
    FlashRun.errors_shown.fetch_and(~FlashError::Verify);
    progress_bar(COLOUR_WRITE, FirmwareImage.page_count);
    FlashRun.erase_index.store(0);
    FlashRun.current_page.store(0);
    FlashRun.verify_address.store(FirmwareImage.start_address);
    clear_result(FlashProgressFlag::AllWritten);
    FlashRun.result2.fetch_and(static_cast<uint8_t>(~FlashResult2::VerifyDone));
}

void e11_write_phase()
{
    Flashcom_mot_write_phase();
}

int s11_erase_select() { return simple({ERASE_CMD}, 200, false); }
int s12_kernel2() { return answered(send_kernel(Kernel2)) ? 1 : 0; }

void e13_erase()
{
    FlashRun.erase_index.store(0);
    FlashSecondStamp.store(Tick_ms());
}

int s13_erase()
{
    const uint32_t k = FlashRun.erase_index.load();
    if (k >= std::size(ERASE_BLOCKS)) {
        Ser_try_count.store(2);
        return 1;
    }
    if (answered(send_cmd(with_checksum({ERASE_CMD, 0x01, ERASE_BLOCKS[k]}), 300)))
        FlashRun.erase_index.store(k + 1);
    return 0;
}

int s14_write_select() { return simple({WRITE_CMD}, 200, false); }

int s15_kernel3()
{
    if (!answered(send_kernel(Kernel3)))
        return 0;
    FlashRun.current_page.store(0);
    return 1;
}

void e16_write()
{
    progress_bar(FlashBarColour.load(), FirmwareImage.page_count);
    FlashRun.current_page.store(0);
    FlashRun.verify_address.store(FirmwareImage.start_address);
    FlashSecondStamp.store(Tick_ms());
}

std::vector<uint8_t> write_cmd(const FlashPage& page)
{
    uint8_t head[5] = {WRITE_CMD};
    put_be32(head + 1, page.address);
    std::vector<uint8_t> cmd(std::begin(head), std::end(head));
    if (page.address != FLASH_END_ENTRY)
        cmd.insert(cmd.end(), std::begin(page.data), std::end(page.data));
    return with_checksum(std::move(cmd));
}

int s16_write()
{
    const uint32_t page = FlashRun.current_page.load();
    if (page < FirmwareImage.page_count) {
        if (answered(send_cmd(write_cmd(FirmwareImage.pages[page]), 100))) {
            FlashRun.current_page.store(page + 1);
            FlashProgressCount.store(page + 1);
        }
        return 0;
    }
    set_result(FlashProgressFlag::AllWritten);
    FirmwareImage.known_age.store(FirmwareImage.loaded_age);
    if (!FlashRun.verify.load()) {
        FlashProgressCount.store(page);
        FlashPhase.store(FlashUiPhase::Boot);
    }
    return 1;
}

void e17_verify()
{
    if (!FlashRun.verify.load())
        return;
    FlashPhase.store(FlashUiPhase::Verify);
    FlashRun.errors.fetch_and(~FlashError::Verify);
    progress_bar(COLOUR_VERIFY, FirmwareImage.image_size);
    FlashRun.verify_address.store(FirmwareImage.start_address);
}

int s17_verify()
{
    if (!FlashRun.verify.load())
        return 1;
    const uint32_t address = FlashRun.verify_address.load();
    if (address > FirmwareImage.end_address) {
        FlashRun.result2.fetch_or(FlashResult2::VerifyDone);
        FlashProgressCount.store(FlashProgressMax.load());
        FlashPhase.store(FlashUiPhase::Boot);
        return 1;
    }
    if (FlashRun.errors.load() & FlashError::Verify)
        return 0;  // the window ends the run
    const uint32_t len = std::min(FirmwareImage.end_address - address + 1, VERIFY_MAX);
    FlashRun.verify_length.store(static_cast<uint16_t>(len));
    std::vector<uint8_t> cmd = {READ_CMD, 0x09, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};
    put_be32(cmd.data() + 3, address);
    put_be32(cmd.data() + 7, len);
    if (!answered(send_cmd(with_checksum(std::move(cmd)), Flashcom_mot_wait_ms(FlashRun.current_baud.load(), len))))
        return 0;
    if (verify_mismatch.load()) {
        FlashRun.errors.fetch_or(FlashError::Verify);
        FlashPhase.store(FlashUiPhase::Boot);
        return 0;
    }
    FlashRun.verify_address.store(address + len);
    FlashProgressCount.store(address + len - FirmwareImage.start_address);
    return 0;
}

int s18_status() { return simple({STATUS_CMD}, 100, false); }

int s19_leave()
{
    if (Ser_port.is_open()) {
        port_to(Link_settings().baud, DTR_OFF, 1);
        Seriale_clear_queue();
        boot_exit();
    }
    line_touched.store(false);
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers), std::memory_order_acq_rel);
    FlashPhase.store(FlashUiPhase::Idle);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Normal);
    Ser_mode_changed.store(1);
    return 1;
}

// Reading the boot-loader files.
const char* const MISSING_HEAD[3] = {"Mancano i file del boot-loader:", "Boot-loader files missing:",
                                     "Fichiers du boot-loader absents :"};
const char* const NOT_STARTED[3] = {"Scrittura flash non avviata!", "Flash write not started!",
                                    "Écriture flash non lancée !"};
const char* const ERROR_TITLE[3] = {"Errore", "Error", "Error"};

bool read_blob(const std::string& path, std::vector<uint8_t>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad() && !out.empty() && out.size() <= KERNEL_MAX;
}

}  // namespace

const FlashStep FlashSteps[FLASH_STEP_COUNT + 1] = {
    {s0_line, nullptr, nullptr},                      // 0 boot entry, 9600 baud
    {s1_sync, h_sync, e_fresh_tries},                 // 1 00 00 00, then 55
    {s2_boot_program, h_echo, e_fresh_tries},         // 2 boot program, echoed
    {s3_boot_runs, h_boot_runs, nullptr},             // 3 AA: the boot program runs
    {s4_unit, h_unit, nullptr},                       // 4 programming-unit inquiry
    {s5_clock, h_ack, nullptr},                       // 5 clock mode
    {s6_bit_rate, h_bit_rate, nullptr},               // 6 new bit rate
    {s7_status, h_status, nullptr},                   // 7 status inquiry
    {s8_status, h_status_or_ack, nullptr},            // 8 status inquiry
    {s9_programming, h_ack, nullptr},                 // 9 to the programming state
    {s10_kernel1, h_ack, nullptr},                    // 10 first kernel
    {s11_erase_select, h_ack, e11_write_phase},       // 11 erase selection
    {s12_kernel2, h_ack, nullptr},                    // 12 second kernel
    {s13_erase, h_ack, e13_erase},                    // 13 erase the blocks
    {s14_write_select, h_ack, nullptr},               // 14 write selection
    {s15_kernel3, h_ack, nullptr},                    // 15 third kernel
    {s16_write, h_ack, e16_write},                    // 16 the pages
    {s17_verify, h_read, e17_verify},                 // 17 read back
    {s18_status, h_status, nullptr},                  // 18 status inquiry
    {s19_leave, nullptr, nullptr},                    // 19 back to the application
    {nullptr, nullptr, nullptr},
};

// ---- interfaces ----

uint8_t Flashcom_mot_sum(const uint8_t* bytes, std::size_t count)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum);
}

uint8_t Flashcom_mot_checksum(const uint8_t* bytes, std::size_t count)
{
    return static_cast<uint8_t>(0x100 - Flashcom_mot_sum(bytes, count));
}

uint32_t Flashcom_mot_wait_ms(uint32_t baud, uint32_t bytes)
{
    if (baud == 0)
        baud = FAST_BAUD;
    // 10 / baud x 2 x 1000 x n + 500, rounded to whole ms
    return static_cast<uint32_t>((uint64_t{20000} * bytes + baud / 2) / baud) + 500;
}

void Flashcom_mot_run_step()
{
    if (!kernels.ready.load(std::memory_order_acquire)) {
        Ser_link_mode_req.store(LinkMode::Normal);  // nothing to send: back to the drive protocol
        Sleep_ms(IDLE_MS);
        return;
    }
    const uint16_t index = FlashRun.step.load();
    if (index >= FLASH_STEP_COUNT || FlashSteps[index].send == nullptr) {
        FlashRun.done.store(1);
        Sleep_ms(IDLE_MS);
        return;
    }
    sent_this_tick = false;
    const int complete = FlashSteps[index].send();
    if (complete == 1) {
        const uint16_t next = static_cast<uint16_t>(index + 1);
        FlashRun.step.store(next);
        if (FlashSteps[next].send == nullptr)
            FlashRun.done.store(1);
        else if (FlashSteps[next].enter != nullptr)
            FlashSteps[next].enter();
    } else if (!sent_this_tick) {
        Sleep_ms(IDLE_MS);
    }
}

void Flashcom_mot_receive(uint8_t* buf, uint16_t& count)
{
    std::lock_guard<std::mutex> hold(rx.lock);
    const uint16_t space = static_cast<uint16_t>(sizeof rx.buf - rx.count);
    const uint16_t n = std::min(count, space);
    std::memcpy(rx.buf + rx.count, buf, n);
    rx.count = static_cast<uint16_t>(rx.count + n);
    count = 0;
    const FlashStep& s = FlashSteps[std::min<uint16_t>(FlashRun.step.load(), FLASH_STEP_COUNT)];
    const uint16_t k = s.reply ? s.reply(rx.buf, rx.count) : 0;
    if (k == 0 || !Serrx_raw_reply_done())
        return;
    std::memmove(rx.buf, rx.buf + k, rx.count - k);
    rx.count = static_cast<uint16_t>(rx.count - k);
}

void Flashcom_mot_write_phase()
{
    clear_write_state();
    FlashPhase.store(FlashUiPhase::Write);
}

void Flashcom_mot_reset_drive()
{
    run_line(DRIVE_RESET, FlashLineEvent::DriveReset);
}

void Flashcom_mot_leave_run()
{
    if (!line_touched.load() || FlashRun.step.load() >= FLASH_STEP_COUNT - 1)
        return;
    if (FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::Container)
        return;
    port_back();
    line_touched.store(false);
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers), std::memory_order_acq_rel);
    FlashPhase.store(FlashUiPhase::Idle);
}

void Flashcom_mot_set_kernel_folder(const std::string& folder)
{
    std::lock_guard<std::mutex> hold(kernels.lock);
    kernels.folder = folder;
}

bool Flashcom_mot_prepare()
{
    if (Flashctrl_run_active())
        return false;
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(kernels.lock);
        folder = kernels.folder;
    }
    std::vector<uint8_t> blobs[BlobCount];
    std::string missing;
    for (int i = 0; i < BlobCount; ++i)
        if (!read_blob(folder + "/" + BootKernel[i].name, blobs[i]))
            missing += std::string("\n") + BootKernel[i].name;
    if (!missing.empty()) {
        kernels.ready.store(false, std::memory_order_release);
        const unsigned lang = Lang_index();
        Msgbox_show({MsgIcon::Warning, ERROR_TITLE[lang],
                     std::string(MISSING_HEAD[lang]) + missing + "\n" + NOT_STARTED[lang], MsgOk});
        return false;
    }
    for (int i = 0; i < BlobCount; ++i)
        kernels.blob[i] = std::move(blobs[i]);
    const uint32_t chunks = static_cast<uint32_t>((kernels.blob[BootProgram].size() + BOOT_CHUNK - 1) / BOOT_CHUNK);
    kernels.progress_max.store(BOOT_PROGRESS_STEPS + chunks);
    kernels.ready.store(true, std::memory_order_release);
    return true;
}

void Flashsh7047_reset_state(bool verify)
{
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads), std::memory_order_acq_rel);
    FlashRun.current_baud_not.store(~FlashRun.current_baud.load());
    FlashPhase.store(FlashUiPhase::Idle);
    FlashRun.prev_phase.store(255);
    FlashRun.step.store(0);
    FlashRun.done.store(0);
    clear_write_state();
    FlashRun.sub_phase.store(0);
    FlashRun.result_copy.store(0);
    Flashsh7047_running.store(0);
    CdxResetDownload();
    FlashRun.verify.store(verify ? 1 : 0);
    line_touched.store(false);  // a run stopped by closing the link left no line to put back
    verify_mismatch.store(false);
    bit_rate_refused.store(false);
    std::lock_guard<std::mutex> hold(rx.lock);
    rx.count = 0;
}

void Flashcom_mot_set_line_hook(std::function<void(const FlashLineEvent&)> hook)
{
    std::lock_guard<std::mutex> hold(hook_lock);
    line_hook = std::move(hook);
}
