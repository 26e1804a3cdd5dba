// Link check before firmware programming (link mode 2): looks for the drive for up to 5000 ms
// from Ser_check_start_ms, then hands over to the normal protocol (the drive answers and needs
// no boot-loader programming) or asks for the firmware download (the file must go through the
// boot loader, or the drive stayed silent).
#include "drivedata/Globvar.h"
#include "link/Flash_seams.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"

std::atomic<uint32_t> Ser_check_start_ms{0};
std::atomic<uint32_t> Ser_wait_ms{0};

namespace {

constexpr uint32_t CHECK_MAX_MS = 5000;

bool link_running()
{
    return Ser_tx_state.load() == LinkState::Run;
}

bool drive_answers()
{
    return Ser_link_flags.load(std::memory_order_acquire) & LinkFlag::Answers;
}

void set_progress(uint8_t bits)
{
    FlashProgressFlags.fetch_or(bits, std::memory_order_acq_rel);
}

void clear_progress(uint8_t bits)
{
    FlashProgressFlags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_acq_rel);
}

// Ser_wait_ms first, then the waiting bit, so readers see the value that goes with the bit.
void check_over()
{
    Ser_wait_ms.store(CHECK_MAX_MS, std::memory_order_relaxed);
    clear_progress(FlashProgressFlag::Waiting);
}

void request_download()
{
    Ser_link_mode_req.store(LinkMode::Flash);
    Ser_mode_changed.store(1);
}

// No answer to the identification request.
void drive_silent()
{
    const uint32_t waited = Tick_since(Ser_check_start_ms.load());
    if (waited <= CHECK_MAX_MS) {
        Ser_wait_ms.store(waited, std::memory_order_relaxed);
        set_progress(FlashProgressFlag::Waiting);
        return;
    }
    request_download();
    check_over();
}

// The drive answered: normal protocol, or the firmware download when the loaded file must be
// written through the boot loader.
void drive_found()
{
    check_over();
    if (Flashctrl_mot_flash_allowed() == 1) {
        request_download();
        return;
    }
    set_progress(FlashProgressFlag::Answered);
    const DriveIdentRec id = Drive_ident_get();
    const bool ready = !(id.flags & IdentFlag::BootLoader) && id.fw_major == ProgramVersion.major;
    if (ready)
        Ser_link_flags.fetch_or(LinkFlag::Ready, std::memory_order_acq_rel);
    else
        Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Ready), std::memory_order_acq_rel);
    // Normal mode at once, without the mode-changed flag; the first-contact requests need it.
    Ser_link_mode_req.store(LinkMode::Normal);
    Ser_link_mode.store(LinkMode::Normal);
    if (ready)
        Sertx_first_contact();
}

}  // namespace

void Flashcom_chk_step()
{
    if (drive_answers()) {
        Sertx_online_step();
        return;
    }
    const bool answered = Sertx_hello_step();
    // A stop, or another mode asked for during a boot-loader poll, ends the check here.
    if (!link_running() || Ser_link_mode_req.load() != LinkMode::Check)
        return;
    if (!answered) {
        drive_silent();
        return;
    }
    if (drive_answers())
        drive_found();
}
