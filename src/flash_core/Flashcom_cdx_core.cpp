// Container download: send step, state machine, frames of command 2 and their replies.
#include "flash_core/Flashcom_cdx.h"

#include <algorithm>
#include <cstring>

#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "link/Flash_progress.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"

CdxDownloadRec CdxDownload;

namespace {

constexpr uint8_t CDX_CMD = 2;
constexpr uint8_t QUEUED_TRIES = 2;
constexpr uint8_t POLL_TRIES = 30;
constexpr uint32_t POLL_WAIT_MS = 30;
constexpr uint32_t END_SLEEP_MS = 20;
constexpr uint32_t END_SLEEP_LAST_MS = 400;  // the end frame after the last page
constexpr uint32_t HELLO_WAIT_MS = 50;
constexpr uint32_t CLEAR_PAUSE_MS = 50;
constexpr uint32_t SETTLE_POLL_MS = 5;
constexpr uint8_t NOT_CDX = 0xFF;

// Sub-code of the command-2 frame in flight (NOT_CDX: another frame); a reply counts only for it.
std::atomic<uint8_t> in_flight{NOT_CDX};
// The last boot request's time-out was reported: download bit 2 is set once per request, so the
// window, which clears it and closes the link, never sees it again from a tick still under way.
std::atomic<bool> timeout_reported{false};

bool link_running()
{
    return Ser_tx_state.load() == LinkState::Run;
}

bool drive_answers()
{
    return Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers;
}

void set_bits(uint8_t b)
{
    CdxDownload.bits.fetch_or(b, std::memory_order_acq_rel);
}

void clear_bits(uint8_t b)
{
    CdxDownload.bits.fetch_and(static_cast<uint8_t>(~b), std::memory_order_acq_rel);
}

bool has_bit(uint8_t b)
{
    return CdxDownload.bits.load(std::memory_order_acquire) & b;
}

void set_result(uint8_t b)
{
    FlashProgressFlags.fetch_or(b, std::memory_order_acq_rel);
}

void clear_result(uint8_t b)
{
    FlashProgressFlags.fetch_and(static_cast<uint8_t>(~b), std::memory_order_acq_rel);
}

// The drive is gone: link bits 0 and 5, data bits 1 and 2.
void drive_lost()
{
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~(LinkFlag::Answers | LinkFlag::Ready)), std::memory_order_acq_rel);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~(DataFlag::ImageRead | DataFlag::ListReads)),
                             std::memory_order_acq_rel);
}

bool in_boot_program()
{
    return Drive_status_word() & StatusBit::Boot;
}

void push(uint8_t sub, const uint8_t* rest, std::size_t rest_len)
{
    Ser_req_ptr req = Ser_req_new(CDX_CMD, 1 + rest_len);
    if (!req)
        return;
    req->frame[2] = sub;
    if (rest_len > 0)
        std::memcpy(req->frame.get() + 3, rest, rest_len);
    Seriale_push(std::move(req));
}

Ser_tx_frame copy_of(const Ser_req_ptr& req)
{
    Ser_tx_frame f;
    if (req) {
        f.length = req->length;
        std::copy(req->frame.get(), req->frame.get() + req->length, f.bytes);
    }
    return f;
}

uint8_t sub_of(const Ser_tx_frame& f)
{
    return f.length > 4 && f.bytes[1] == CDX_CMD ? static_cast<uint8_t>(f.bytes[2] & 0x0F) : NOT_CDX;
}

void sleep_while_running(uint32_t ms)
{
    const uint32_t start = Tick_ms();
    while (link_running() && Tick_since(start) < ms)
        Sleep_ms(std::min(SETTLE_POLL_MS, ms));
}

// One try. The end frame gets no reply: the sleep counts as its answer.
bool try_once(Ser_tx_frame& f, uint32_t wait_ms)
{
    const uint8_t sub = sub_of(f);
    in_flight.store(sub);
    const uint32_t seq = Sertx_send_frame(f);
    if (sub != CdxSub::End)
        return Sertx_wait_reply(seq, wait_ms);
    const bool last = CdxDownload.state.load() == CdxState::EndSent;
    sleep_while_running(last ? END_SLEEP_LAST_MS : END_SLEEP_MS);
    Sertx_wait_reply(seq, 0);  // disarms it
    return link_running();
}

// The drive answers: the state machine, then the queue's head (or a status poll) with its tries.
// After a repeated frame was answered, a late answer to the earlier try is let pass unused for one
// reply time-out, then purged, so it never counts for the next frame.
void online_step()
{
    CdxDownloadTick();
    if (Ser_link_mode.load() != LinkMode::Flash || !drive_answers())
        return;
    Ser_tx_frame f;
    if (!Seriale_next(f))
        return;
    const bool poll = f.id == 0;
    const uint32_t wait = poll ? POLL_WAIT_MS : Ser_timeout_ms.load();
    bool repeated = false;
    for (uint8_t tries = poll ? POLL_TRIES : QUEUED_TRIES; tries > 0; --tries) {
        if (!link_running())
            return;
        if (try_once(f, wait)) {
            if (f.id != 0)
                Seriale_pop(f.id);
            Ser_ok_count.fetch_add(1, std::memory_order_relaxed);
            if (repeated) {
                sleep_while_running(wait);
                Ser_port.purge();
            }
            return;
        }
        if (!link_running())
            return;
        Ser_ok_count.store(0, std::memory_order_relaxed);
        Ser_port.purge();
        repeated = true;
    }
    drive_lost();
}

// The drive does not answer: the queue dropped, an identification, then a status poll.
void reconnect_step()
{
    if (Seriale_count() > 0) {
        Seriale_clear_queue();
        Sleep_ms(CLEAR_PAUSE_MS);
    }
    in_flight.store(NOT_CDX);
    Ser_tx_frame hello = copy_of(Ser_hello_frame);
    if (!Sertx_wait_reply(Sertx_send_frame(hello), HELLO_WAIT_MS)) {
        if (!link_running())
            return;
        Ser_port.purge();
        drive_lost();
        return;
    }
    Ser_tx_frame poll = copy_of(Ser_poll_frame);
    if (!Sertx_wait_reply(Sertx_send_frame(poll), Ser_timeout_ms.load()))
        return;
    Ser_link_flags.fetch_or(LinkFlag::Answers, std::memory_order_acq_rel);
    if (CdxDownload.state.load() == CdxState::EndSent)
        return;
    CdxDownload.state.store(CdxState::Waiting);
    set_bits(CdxBit::Connected);
    clear_bits(CdxBit::AllAcked | CdxBit::BootTimeout);
    clear_result(FlashProgressFlag::Answered);
}

void give_up()
{
    CdxLeaveFlashMode();
    set_result(FlashProgressFlag::Answered);
}

void tick_waiting()
{
    if (!Flashctrl_cdx_compatible()) {
        give_up();
        return;
    }
    CdxResetCounters();
    if (in_boot_program()) {
        Drive_status_update_word(StatusBit::BootState, 0);
        CdxDownload.state.store(CdxState::Sending);
        CdxSendStart(1);
        return;
    }
    if (has_bit(CdxBit::Connected)) {
        clear_bits(CdxBit::Connected | CdxBit::AllAcked | CdxBit::BootTimeout);
        CdxDownload.boot_request_ms.store(Tick_ms());
        timeout_reported.store(false);
        CdxSendEnd();  // the running drive restarts into its boot program
    } else if (Tick_since(CdxDownload.boot_request_ms.load()) > CDX_BOOT_WAIT_MS && !timeout_reported.exchange(true)) {
        set_bits(CdxBit::BootTimeout);
    }
}

}  // namespace

void CdxDownloadTick()
{
    switch (CdxDownload.state.load()) {
    case CdxState::Waiting:
        tick_waiting();
        break;
    case CdxState::Sending:
        if (has_bit(CdxBit::AllAcked)) {
            CdxSendEnd();
            CdxDownload.state.store(CdxState::EndSent);
        }
        break;
    default:
        if (!in_boot_program()) {
            Ser_mode_changed.store(1);
            set_result(FlashProgressFlag::AllWritten);
            CdxLeaveFlashMode();
        }
        break;
    }
}

void Flashcom_cdx_run_step()
{
    if (drive_answers())
        online_step();
    else
        reconnect_step();
}

void CdxResetCounters()
{
    Flashcom_mot_write_phase();
}

void CdxSendStart(uint8_t first)
{
    if (!drive_answers())
        return;
    if (first == 1)
        set_result(FlashProgressFlag::StartRequested);
    else
        clear_result(FlashProgressFlag::StartRequested);
    push(CdxSub::Start, nullptr, 0);
}

void CdxSendBlock(uint32_t index)
{
    if (!drive_answers() || index >= FirmwareImage.page_count || index >= FLASH_PAGE_COUNT)
        return;
    const FlashPage& page = FirmwareImage.pages[index];
    uint8_t rest[4 + FLASH_PAGE_BYTES];
    for (int i = 0; i < 4; ++i)
        rest[i] = static_cast<uint8_t>(page.address >> (24 - 8 * i));
    std::memcpy(rest + 4, page.data, FLASH_PAGE_BYTES);
    push(static_cast<uint8_t>(CdxSub::Page | (index == 0 ? CdxSub::FirstPage : 0)), rest, sizeof rest);
}

void CdxSendEnd()
{
    if (drive_answers())
        push(CdxSub::End, nullptr, 0);
}

bool Cdx_block_reply(const uint8_t* frame, uint16_t len)
{
    if (Ser_armed_cmd.load() != CDX_CMD)
        return false;  // a late command-2 reply while another frame waits
    const uint8_t sub = len > 4 ? static_cast<uint8_t>(frame[2] & 0x0F) : NOT_CDX;
    const bool accepted = len > 5 && frame[3] == CdxSub::Accepted;
    if (sub != in_flight.load())
        return true;  // answered, but not what the frame asked: ignored
    if (sub == CdxSub::Start) {
        const bool requested = FlashProgressFlags.load(std::memory_order_acquire) & FlashProgressFlag::StartRequested;
        clear_result(FlashProgressFlag::StartRequested);
        if (accepted && requested) {
            FlashRun.current_page.store(0);
            CdxSendBlock(0);
        }
    } else if (sub == CdxSub::Page && accepted) {
        const uint32_t page = FlashRun.current_page.load() + 1;
        FlashRun.current_page.store(page);
        FlashProgressCount.store(page);
        if (page >= FirmwareImage.page_count)
            set_bits(CdxBit::AllAcked);
        else
            CdxSendBlock(page);
    }
    return true;
}

void CdxLeaveFlashMode()
{
    CdxDownload.active.store(0);
    Ser_link_flags.fetch_and(
        static_cast<uint8_t>(~(LinkFlag::Answers | LinkFlag::IdentReceived | LinkFlag::Ready)),
        std::memory_order_acq_rel);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~(DataFlag::ImageRead | DataFlag::ListReads)),
                             std::memory_order_acq_rel);
    Ser_ok_count.store(0);
    Ser_try_count.store(0);
    FlashPhase.store(FlashUiPhase::Idle);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Normal);
}

void CdxResetDownload()
{
    CdxDownload.state.store(CdxState::Waiting);
    set_bits(CdxBit::Connected);
    clear_bits(CdxBit::AllAcked | CdxBit::BootTimeout);
    timeout_reported.store(false);
    CdxDownload.active.store(1);
}
