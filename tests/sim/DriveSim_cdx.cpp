// DriveSim: the drive's own boot program, which takes a firmware container over command 2: a
// start frame, pages of 128 bytes (the first flagged), an end frame that restarts the drive. The
// application answers an end frame by restarting into the boot program.
#include "DriveSim.h"

namespace {

constexpr std::uint8_t kCdxCmd = 2;
constexpr std::size_t kStartLen = 5;
constexpr std::size_t kPageLen = 137;
constexpr std::uint8_t kFirstPage = 0x10;
constexpr std::uint32_t kOrvel = 0xC0458;

std::uint32_t be32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

struct DriveSim::CdxProgram {
    bool boot = false;
    bool ignore_end = false;
    int refuse_page = -1;
    SimClock::duration restart = std::chrono::milliseconds(300);
    std::optional<SimClock::time_point> back_at;  // silent until then, then the other program
    int next_page = -1;                            // index of the next page; -1 before a start
    std::uint32_t last_address = 0;
    std::map<std::uint32_t, SimBytes> pages;
};

DriveSim::CdxProgram& DriveSim::cdx()
{
    if (!cdx_program_)
        cdx_program_ = std::make_shared<CdxProgram>();
    return *cdx_program_;
}

void DriveSim::set_cdx_boot_program(bool on)
{
    std::lock_guard lk(mu_);
    cdx().boot = on;
    cdx().back_at.reset();
}

bool DriveSim::cdx_boot_program() const
{
    std::lock_guard lk(mu_);
    return cdx_program_ && cdx_program_->boot;
}

void DriveSim::set_cdx_restart(std::chrono::milliseconds silent)
{
    std::lock_guard lk(mu_);
    cdx().restart = silent;
}

void DriveSim::set_cdx_ignore_end(bool on)
{
    std::lock_guard lk(mu_);
    cdx().ignore_end = on;
}

void DriveSim::set_cdx_refuse_page(int index)
{
    std::lock_guard lk(mu_);
    cdx().refuse_page = index;
}

std::map<std::uint32_t, SimBytes> DriveSim::cdx_pages() const
{
    std::lock_guard lk(mu_);
    return cdx_program_ ? cdx_program_->pages : std::map<std::uint32_t, SimBytes>{};
}

bool DriveSim::cdx_answer(const SimBytes& f, SimClock::time_point now, std::optional<Reply>& out)
{
    CdxProgram& c = cdx();
    const std::uint8_t cmd = f[1];
    out.reset();
    if (c.back_at) {
        if (now < *c.back_at)
            return true;  // restarting: silent
        c.back_at.reset();
        c.boot = !c.boot;
    }
    const std::uint8_t sub = f.size() > 4 && cmd == kCdxCmd ? f[2] & 0x0F : 0xFF;
    if (cmd == kCdxCmd && sub == 2) {
        if (f.size() != kStartLen)
            add_violation("command 2: end frame of " + std::to_string(f.size()) + " bytes: " + sim_hex(f));
        if (c.boot || !c.ignore_end)
            c.back_at = now + c.restart;
        return true;
    }
    if (!c.boot)
        return cmd == kCdxCmd;  // the application knows no other command-2 frame
    switch (cmd) {
    case 0:
        out = Reply{0, status_now(now)};
        (*out).payload[1] |= 0x01;
        return true;
    case 10: {
        out = Reply{10, ident_};
        const std::uint32_t id = be32(ident_.data() + 4);
        (*out).payload[15] |= id == kOrvel ? 0x03 : 0x01;
        return true;
    }
    case kCdxCmd:
        break;
    default:
        return true;  // the boot program answers nothing else
    }
    std::uint8_t status = 1;
    if (sub == 0) {
        if (f.size() != kStartLen)
            add_violation("command 2: start frame of " + std::to_string(f.size()) + " bytes: " + sim_hex(f));
        c.next_page = 0;
    } else if (sub == 1) {
        const std::uint32_t address = f.size() == kPageLen ? be32(f.data() + 3) : 0;
        const bool repeat = c.next_page > 0 && address == c.last_address;
        const int index = repeat ? c.next_page - 1 : c.next_page;
        if (f.size() != kPageLen || c.next_page < 0 || ((f[2] & kFirstPage) != 0) != (index == 0)) {
            add_violation("command 2: page out of place: " + sim_hex(f));
            return true;
        }
        c.pages[address] = SimBytes(f.begin() + 7, f.begin() + 135);
        c.last_address = address;
        if (!repeat)
            ++c.next_page;
        status = index == c.refuse_page ? 0 : 1;
    } else {
        add_violation("command 2: sub-code " + std::to_string(sub));
        return true;
    }
    out = Reply{kCdxCmd, {static_cast<std::uint8_t>(sub), status}};
    return true;
}
