// DriveSim: what tests set and read.
#include "DriveSim.h"

#include <stdexcept>

namespace {

void require_size(const SimBytes& b, std::size_t n, const char* what)
{
    if (b.size() != n)
        throw std::invalid_argument(std::string(what) + " must be " + std::to_string(n) + " bytes, got " +
                                    std::to_string(b.size()));
}

void require_max(const SimBytes& b, std::size_t n, const char* what)
{
    if (b.size() > n)
        throw std::invalid_argument(std::string(what) + " above " + std::to_string(n) + " bytes");
}

}  // namespace

std::uint32_t DriveSim::ParamWrite::value_u32() const
{
    std::uint32_t v = 0;
    for (std::uint8_t b : value)
        v = v << 8 | b;
    return v;
}

void DriveSim::set_image(const SimBytes& image)
{
    require_size(image, kImageSize, "image");
    locked_set(image_, image);
}

void DriveSim::set_identification(const SimBytes& ident)
{
    require_size(ident, kIdentSize, "identification");
    locked_set(ident_, ident);
}

void DriveSim::set_firmware_version(std::uint8_t major, std::uint8_t minor)
{
    std::lock_guard lk(mu_);
    ident_[12] = major;
    ident_[13] = minor;
}

void DriveSim::set_status(const SimBytes& status)
{
    require_size(status, kStatusSize, "status block");
    locked_set(status_, status);
}

void DriveSim::set_alarm_memory(const SimBytes& mem)
{
    require_size(mem, kAlarmMemSize, "alarm memory");
    locked_set(alarm_mem_, mem);
}

void DriveSim::set_info_reply(std::uint8_t sub, const SimBytes& after_status)
{
    require_max(after_status, 251 - 1 - kStatusSize, "information sub-reply");
    std::lock_guard lk(mu_);
    info_[sub] = after_status;
}

void DriveSim::set_procedure_script(std::uint8_t code, std::uint8_t sub, std::vector<SimBytes> steps)
{
    std::lock_guard lk(mu_);
    script_ = ProcedureScript{code, sub, std::move(steps)};
}

void DriveSim::add_procedure_step(const SimBytes& step)
{
    std::lock_guard lk(mu_);
    if (script_)
        script_->steps.push_back(step);
}

void DriveSim::set_list_value(std::uint16_t key, std::uint8_t sub, const SimBytes& raw)
{
    require_max(raw, 247, "list value");
    std::lock_guard lk(mu_);
    list_values_[static_cast<std::uint32_t>(key) << 8 | sub] = raw;
}

void DriveSim::queue_text_message(const SimBytes& message)
{
    require_max(message, 251, "text message");
    std::lock_guard lk(mu_);
    texts_.push_back(message);
}

void DriveSim::queue_reply(std::uint8_t cmd, const SimBytes& payload)
{
    require_max(payload, 251, "reply payload");
    std::lock_guard lk(mu_);
    queued_replies_[cmd].push_back(payload);
}

SimBytes DriveSim::image() const { return locked_get(image_); }
SimBytes DriveSim::identification() const { return locked_get(ident_); }
std::size_t DriveSim::queued_text_messages() const { return locked_get(texts_).size(); }
void DriveSim::set_terminal_echo(bool on) { locked_set(echo_, on); }
void DriveSim::set_boot_loader(bool on) { locked_set(boot_, on); }
void DriveSim::set_write_hold(bool on) { locked_set(hold_, on); }
void DriveSim::set_store_time(std::chrono::milliseconds t) { locked_set<SimClock::duration>(store_time_, t); }
std::vector<DriveSim::ParamWrite> DriveSim::param_writes() const { return locked_get(writes_); }
SimBytes DriveSim::motor_record() const { return locked_get(motor_); }
void DriveSim::clear_faults() { locked_set(faults_, {}); }
std::size_t DriveSim::faults_pending() const { return locked_get(faults_).size(); }

void DriveSim::add_fault(const SimFault& f)
{
    add_faults({f});
}

void DriveSim::add_faults(const std::vector<SimFault>& faults)
{
    std::lock_guard lk(mu_);
    for (SimFault f : faults) {
        if (f.count == 0)
            continue;
        if (f.count < 0)
            f.count = SimFault::kForever;
        faults_.push_back(std::move(f));
    }
}

void DriveSim::set_pacing(std::uint32_t baud, std::chrono::microseconds turnaround)
{
    std::lock_guard lk(mu_);
    baud_ = baud;
    turnaround_ = turnaround;
}

void DriveSim::set_image_bytes(std::size_t offset, const SimBytes& bytes)
{
    if (offset > kImageSize || bytes.size() > kImageSize - offset)
        throw std::invalid_argument("image bytes beyond 2412");
    std::lock_guard lk(mu_);
    std::copy(bytes.begin(), bytes.end(), image_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void DriveSim::clear_list_values()
{
    std::lock_guard lk(mu_);
    list_values_.clear();
}
