#pragma once
// Container download over the normal link: the send step of link mode 0 while a container is
// loaded, its state machine, the three frames of command 2 and their reply handler. No Qt.
//
// Threads: the step and the state machine run on the send thread; the reply handler on the
// receive thread sets only download bit 0 (AllAcked) and the current page, and queues the next
// page. Bits change by fetch_or and fetch_and. The GUI thread resets the state before a run.
#include <atomic>
#include <cstdint>

namespace CdxState {
constexpr uint8_t Waiting = 0;  // for the drive's boot program
constexpr uint8_t Sending = 1;  // pages
constexpr uint8_t EndSent = 2;
}  // namespace CdxState

namespace CdxBit {
constexpr uint8_t AllAcked = 1u << 0;     // every page acknowledged (receive thread)
constexpr uint8_t Connected = 1u << 1;    // (re)connected: a boot request may be sent
constexpr uint8_t BootTimeout = 1u << 2;  // the drive did not enter its boot program in time
}  // namespace CdxBit

struct CdxDownloadRec {
    std::atomic<uint8_t> state{CdxState::Waiting};
    std::atomic<uint8_t> bits{0};
    std::atomic<uint32_t> boot_request_ms{0};  // Tick_ms of the last boot request
    std::atomic<uint8_t> active{0};            // set by the reset before a run
};
extern CdxDownloadRec CdxDownload;

// Command-2 sub-codes (low nibble of byte 2) and the page frame's flags.
namespace CdxSub {
constexpr uint8_t Start = 0;
constexpr uint8_t Page = 1;
constexpr uint8_t End = 2;
constexpr uint8_t FirstPage = 0x10;  // page flags: the first page
constexpr uint8_t Accepted = 1;      // reply status
}  // namespace CdxSub
constexpr uint32_t CDX_BOOT_WAIT_MS = 2000;  // for the drive's boot program after a boot request

// Installed as Flashcom_cdx_step: one tick of the send thread in this mode.
void Flashcom_cdx_run_step();
// The state machine, at the start of each tick while the drive answers.
void CdxDownloadTick();
// The write phase's set-up for a container (phase 2, timer, bar of page-count steps, counters).
void CdxResetCounters();
// Queue the start frame (result bit 2 follows first), a page frame, the end frame; each only
// while the drive answers, a page only below the page count.
void CdxSendStart(uint8_t first);
void CdxSendBlock(uint32_t index);
void CdxSendEnd();
// Installed as CdxBlockReply: a command-2 reply to the command-2 frame in flight.
bool Cdx_block_reply(const uint8_t* frame, uint16_t len);
// Download over: link bits 0, 2, 5 and data bits 1, 2 cleared, phase 0, link mode 1 in force and
// asked for.
void CdxLeaveFlashMode();
// The download part of the reset before a run: state 0, bit 1 set, bits 0 and 2 cleared, active.
void CdxResetDownload();
