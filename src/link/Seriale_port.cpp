// Serial port, link threads, stop chain, reply time-out and port list.
#include "link/Seriale_port.h"

#include <memory>
#include <pthread.h>
#include <mutex>
#include <thread>

#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Portlist.h"
#include "platform/Tick.h"

Serport Ser_port;
ReplySignal Ser_reply_sem;
std::atomic<uint8_t> Ser_tx_state{LinkState::Stop};
std::atomic<uint8_t> Ser_rx_state{LinkState::Stop};
std::atomic<uint32_t> Ser_baud{0};
std::atomic<uint32_t> Ser_timeout_ms{1000};

namespace {

int open_error = 0;  // of the last Seriale_open (GUI thread)

constexpr uint32_t TX_IDLE_MS = 5;
constexpr uint32_t RX_IDLE_MS = 1;
constexpr int32_t STOP_WAIT_MS = 2000;  // a step ends within a reply time-out and a settle

std::mutex settings_lock;
LinkSettings settings;

struct LinkThreads {
    std::mutex lock;  // init, open and close
    std::thread tx;
    std::thread rx;
    // Made anew with the threads: a stopped gate stays stopped.
    std::unique_ptr<ParkGate> tx_gate;
    std::unique_ptr<ParkGate> rx_gate;
    std::atomic<bool> quit{false};
};
LinkThreads Threads;

void clear_bits(std::atomic<uint8_t>& flags, uint8_t bits)
{
    flags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_acq_rel);
}

// Send thread, stop requested: hand the stop to the receive thread.
void tx_hand_over_stop()
{
    Threads.rx_gate->close();
    Ser_rx_state.store(LinkState::Stop);
    Ser_port.stop();
}

void tx_main()
{
    pthread_setname_np(pthread_self(), LINK_TX_THREAD_NAME);
    Thread_try_time_critical();
    while (!Threads.quit.load()) {
        const uint8_t state = Ser_tx_state.load();
        if (state == LinkState::Stop) {
            tx_hand_over_stop();
            if (!Threads.tx_gate->park())
                break;
        } else if (state == LinkState::Run) {
            Sertx_step();
        } else {
            Sleep_ms(TX_IDLE_MS);
        }
    }
}

// Receive thread, stop requested: close the port (only here and at program end) and the queue.
void rx_close_port()
{
    if (Ser_port.is_open()) {
        clear_bits(Ser_link_flags, LinkFlag::Answers | LinkFlag::Ready);
        Ser_port.close();
    }
    Seriale_clear_queue();
}

void rx_main()
{
    pthread_setname_np(pthread_self(), LINK_RX_THREAD_NAME);
    Thread_try_time_critical();
    while (!Threads.quit.load()) {
        const uint8_t state = Ser_rx_state.load();
        if (state == LinkState::Stop) {
            rx_close_port();
            if (!Threads.rx_gate->park())
                break;
        } else if (state == LinkState::Run) {
            Serrx_receive();
        } else {
            Sleep_ms(RX_IDLE_MS);
        }
    }
}

bool threads_parked()
{
    return Threads.tx_gate && Threads.tx_gate->is_parked() && Threads.rx_gate->is_parked();
}

// Stops a running link and waits for both threads to park.
bool stop_and_wait()
{
    if (!threads_parked() && Ser_tx_state.load() == LinkState::Run)
        Seriale_stop();
    return Seriale_wait_stopped(STOP_WAIT_MS);
}

struct TimeoutRow {
    uint32_t baud;
    uint32_t ms;
};
constexpr TimeoutRow TIMEOUT_TABLE[] = {
    {9600, 1200},   {14400, 1000},  {19200, 700},  {38400, 450},  {56000, 220},
    {57600, 200},   {115200, 150},  {128000, 150}, {250000, 80},  {256000, 80},
};
constexpr uint32_t TIMEOUT_OTHER_MS = 1000;

std::mutex ports_lock;
std::vector<std::string> last_ports;
uint32_t last_scan_ms = 0;
bool scanned = false;

}  // namespace

// ---- settings ----

LinkSettings Link_settings()
{
    std::lock_guard<std::mutex> hold(settings_lock);
    return settings;
}

void Link_settings_set(const LinkSettings& s)
{
    std::lock_guard<std::mutex> hold(settings_lock);
    settings = s;
}

namespace {

// The settings' port when it is a pseudo-terminal (the drive simulator), else empty.
std::string simulator_port()
{
    std::lock_guard<std::mutex> hold(settings_lock);
    return settings.port.compare(0, 4, "pts/") == 0 ? settings.port : std::string();
}

}  // namespace

// ---- threads ----

void Seriale_init_link()
{
    std::lock_guard<std::mutex> hold(Threads.lock);
    if (Threads.tx.joinable())
        return;
    Seriale_init();
    Threads.quit.store(false);
    Ser_tx_state.store(LinkState::Stop);
    Ser_rx_state.store(LinkState::Stop);
    Threads.tx_gate = std::make_unique<ParkGate>();  // closed
    Threads.rx_gate = std::make_unique<ParkGate>();
    Threads.tx = std::thread(tx_main);
    Threads.rx = std::thread(rx_main);
}

bool Seriale_open(uint32_t baud)
{
    std::lock_guard<std::mutex> hold(Threads.lock);
    open_error = 0;
    if (!Threads.tx.joinable() || !stop_and_wait())
        return false;
    Ser_port.close();  // normally closed by the receive thread already
    Ser_port.reset_stop();
    const LinkSettings s = Link_settings();
    if (!Ser_port.open(s.port, baud)) {
        open_error = Ser_port.open_error();
        return false;
    }
    Ser_baud.store(baud);
    Seriale_set_timeout(baud);
    Ser_reply_sem.drain();
    Ser_tx_state.store(LinkState::Run);
    Ser_rx_state.store(LinkState::Run);
    Threads.tx_gate->resume();
    Threads.rx_gate->resume();
    return true;
}

void Seriale_stop()
{
    Serrx_new_session();
    Sertx_forget_read_list();  // its answer no longer comes; a wait for it ends
    if (Threads.tx_gate)
        Threads.tx_gate->close();
    Ser_tx_state.store(LinkState::Stop);
    Ser_port.wake();
    Ser_reply_sem.release();  // ends a reply wait at once; Sertx_wait_reply sees the stop
}

int Seriale_open_error()
{
    return open_error;
}

bool Seriale_wait_stopped(int32_t timeout_ms)
{
    if (!Threads.tx_gate)
        return false;
    const uint32_t start = Tick_ms();
    if (!Threads.tx_gate->wait_parked(timeout_ms))
        return false;
    int32_t left = -1;
    if (timeout_ms >= 0) {
        const uint32_t spent = Tick_since(start);
        left = spent < static_cast<uint32_t>(timeout_ms) ? timeout_ms - static_cast<int32_t>(spent) : 0;
    }
    return Threads.rx_gate->wait_parked(left);
}

void Seriale_close()
{
    Serrx_new_session();
    std::lock_guard<std::mutex> hold(Threads.lock);
    Threads.quit.store(true);
    if (Threads.tx.joinable()) {
        Ser_tx_state.store(LinkState::None);
        Ser_reply_sem.release();
        Threads.tx_gate->stop();
        Threads.tx.join();
    }
    Ser_reply_sem.drain();
    if (Threads.rx.joinable()) {
        Ser_rx_state.store(LinkState::None);
        Threads.rx_gate->stop();
        Ser_port.stop();
        Threads.rx.join();
    }
    Seriale_queue_close();
    Ser_port.close();
}

bool Seriale_reconfig(uint32_t baud, uint8_t rts_code, uint8_t dtr_code, uint8_t update)
{
    if (!Ser_port.reconfig(baud, rts_code, dtr_code))
        return false;
    Ser_baud.store(baud);
    if (update == 1)
        Seriale_set_timeout(baud);
    return true;
}

uint32_t Seriale_timeout_for(uint32_t baud)
{
    for (const TimeoutRow& r : TIMEOUT_TABLE)
        if (r.baud == baud)
            return r.ms;
    return TIMEOUT_OTHER_MS;
}

void Seriale_set_timeout(uint32_t baud)
{
    Ser_timeout_ms.store(Seriale_timeout_for(baud));
}

// ---- connect and disconnect ----

bool Seriale_open_link(uint8_t mode)
{
    stop_and_wait();
    Sertx_forget_read_list();
    clear_bits(Ser_link_flags, LinkFlag::Answers | LinkFlag::IdentReceived);
    clear_bits(Ser_data_flags, DataFlag::ListReads);
    clear_bits(DriveUiFlags, UiFlag::Modified);
    clear_bits(Ser_link_flags, LinkFlag::Ready | LinkUiFlag::ReadyShown);
    clear_bits(FlashModeFlags, FlashModeFlag::DriveKnown);
    clear_bits(FlashProgressFlags, FlashProgressFlag::Waiting | FlashProgressFlag::Answered);
    clear_bits(Ser_link_flags, LinkUiFlag::AnswerShown);
    clear_bits(Ser_data_flags, DataUiFlag::AlarmShown);
    Seriale_clear_queue();
    Drive_status_publish(Drive_status{});
    Ser_status_seen.store(0);
    Sertx_line_reset();
    Ser_link_mode.store(mode);
    Ser_link_mode_req.store(mode);
    Ser_mode_changed.store(1);
    if (!Seriale_open(Link_settings().baud))
        return false;
    Ser_link_flags.fetch_or(LinkFlag::Connect, std::memory_order_acq_rel);
    return true;
}

void Seriale_close_link()
{
    Seriale_stop();
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Normal);
    clear_bits(Ser_link_flags, LinkFlag::Answers);
    clear_bits(Ser_data_flags, DataFlag::ListReads);
    clear_bits(Ser_link_flags, LinkFlag::Ready);
    clear_bits(DriveUiFlags, UiFlag::Modified);
    Ser_mode_changed.store(1);
}

// ---- port list ----

std::vector<std::string> Seriale_port_items(const std::vector<std::string>& ports)
{
    if (ports.empty())
        return {SERIALE_NO_PORT};
    return ports;
}

int Seriale_port_select(const std::vector<std::string>& items, const std::string& name)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == name)
            return static_cast<int>(i);
    return 0;
}

bool Seriale_poll_ports(uint32_t now_ms, const std::string& sysfs_root)
{
    std::lock_guard<std::mutex> hold(ports_lock);
    if (scanned && Tick_diff(now_ms, last_scan_ms) <= SERIALE_PORT_SCAN_MS)
        return false;
    scanned = true;
    last_scan_ms = now_ms;
    std::vector<std::string> ports = Portlist_scan(sysfs_root, simulator_port());
    if (ports == last_ports)
        return false;
    last_ports = std::move(ports);
    return true;
}

std::vector<std::string> Seriale_port_list()
{
    std::lock_guard<std::mutex> hold(ports_lock);
    return last_ports;
}
