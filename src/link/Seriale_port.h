#pragma once
// Serial port of the link, the two link threads and the order in which they stop, the reply
// time-out by baud rate, and the list of ports for the port box.
//
// Threads: the send thread runs Sertx_step while Ser_tx_state is 2, the receive thread runs
// Serrx_receive while Ser_rx_state is 2. A stop runs: Ser_tx_state 1 -> the send thread sets
// Ser_rx_state to 1, stops the port wait and parks -> the receive thread closes the port, clears
// the queue and parks. Seriale_open resumes both.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Serport.h"
#include "platform/Sync.h"

// ---- link settings ----
// Port and baud rate of the settings record, and its auto-save flag (parameter writes are then
// stored permanently). The settings file feeds them.
struct LinkSettings {
    std::string port;      // relative to /dev, "ttyUSB0", "pts/5"
    uint32_t baud = 57600;
    bool auto_save = false;
};
LinkSettings Link_settings();
void Link_settings_set(const LinkSettings& s);

// ---- link objects ----
namespace LinkState {
constexpr uint8_t None = 0;  // closing (program end)
constexpr uint8_t Stop = 1;  // stop requested or stopped
constexpr uint8_t Run = 2;
}  // namespace LinkState

extern Serport Ser_port;
extern ReplySignal Ser_reply_sem;  // raised by the receive thread once per dispatched reply
extern std::atomic<uint8_t> Ser_tx_state;
extern std::atomic<uint8_t> Ser_rx_state;
extern std::atomic<uint32_t> Ser_baud;        // rate of the open port
extern std::atomic<uint32_t> Ser_timeout_ms;  // reply time-out

// Names of the two link threads (as the system shows them).
constexpr const char* LINK_TX_THREAD_NAME = "pendrix_ser_tx";
constexpr const char* LINK_RX_THREAD_NAME = "pendrix_ser_rx";

// Creates the queue and fixed frames (Seriale_init) and the two link threads, parked.
// Does nothing when the threads already exist.
void Seriale_init_link();
// Waits (bounded) until a previous stop has completed, then opens the port of the settings at
// `baud` and starts the send thread, then the receive thread. False when the port cannot be
// opened or the threads did not stop in time; the threads then stay parked.
bool Seriale_open(uint32_t baud);
// Why the last Seriale_open failed to open the port (Serport::open_error); 0 when it opened, or
// when it failed because the threads did not stop in time.
int Seriale_open_error();
// Asks the link to stop (the disconnect): wakes the receive thread's wait and the send
// thread's reply wait, forgets the outstanding read list (ending a wait for it) and sets
// Ser_tx_state to 1. Does not wait.
void Seriale_stop();
// Waits up to timeout_ms until both threads are parked (the port is then closed).
bool Seriale_wait_stopped(int32_t timeout_ms);
// Program end: ends and joins both threads (also in the middle of a wait), frees the queue and
// the fixed frames and closes the port.
void Seriale_close();

// Changes the line of the open port (firmware update: 9600 baud for the boot loader and back).
// RTS code 0 off, 1 on, 2 handshake; DTR code 0 off, 1 on. update 1 also sets the time-out.
bool Seriale_reconfig(uint32_t baud, uint8_t rts_code, uint8_t dtr_code, uint8_t update);

// Reply time-out in ms for a baud rate.
uint32_t Seriale_timeout_for(uint32_t baud);
void Seriale_set_timeout(uint32_t baud);

// ---- connect and disconnect, link part ----
// What the main window's OpenLink does to the link: forget the outstanding list read, clear the
// link, data and flash flags, the queue and the decoded status, set the link mode (also as the
// request) and the mode-changed flag, open the port (Seriale_open at the settings' baud) and, on
// success, set Ser_link_flags bit 4.
bool Seriale_open_link(uint8_t mode);
// What CloseLink does to the link: Seriale_stop, normal mode requested and in force, link bits 0
// and 5, data bit 2 and the data-modified bit cleared, mode-changed set.
void Seriale_close_link();

// ---- port list ----
constexpr const char* SERIALE_NO_PORT = "- - - - -";
constexpr uint32_t SERIALE_PORT_SCAN_MS = 1000;

// Items of the port box: the port names, or the single placeholder when there is none.
std::vector<std::string> Seriale_port_items(const std::vector<std::string>& ports);
// Index of the item equal to name, else 0.
int Seriale_port_select(const std::vector<std::string>& items, const std::string& name);
// Display-timer hook: scans the ports when more than SERIALE_PORT_SCAN_MS passed since the last
// scan (the settings' pts/N is listed while it exists). True when the list changed since the last
// scan (the port boxes are to be refilled). sysfs_root is "/sys" but for tests.
bool Seriale_poll_ports(uint32_t now_ms, const std::string& sysfs_root = "/sys");
// The last list scanned.
std::vector<std::string> Seriale_port_list();
