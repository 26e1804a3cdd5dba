#include "drivedata/Globvar.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "drivedata/Record.h"

namespace {

std::mutex status_lock;
Drive_status status_rec{};
std::atomic<uint16_t> status_word{0};

}  // namespace

void Drive_status_publish(const Drive_status& s)
{
    std::lock_guard<std::mutex> hold(status_lock);
    status_rec = s;
    status_word.store(s.status_word, std::memory_order_release);
}

Drive_status Drive_status_get()
{
    std::lock_guard<std::mutex> hold(status_lock);
    return status_rec;
}

uint16_t Drive_status_word()
{
    return status_word.load(std::memory_order_acquire);
}

void Drive_status_update_word(uint16_t clear_bits, uint16_t set_bits)
{
    std::lock_guard<std::mutex> hold(status_lock);
    status_rec.status_word = static_cast<uint16_t>((status_rec.status_word & ~clear_bits) | set_bits);
    status_word.store(status_rec.status_word, std::memory_order_release);
}

namespace {
std::mutex ident_lock;
DriveIdentRec ident_rec{};
}  // namespace

void Drive_ident_publish(const DriveIdentRec& ident)
{
    std::lock_guard<std::mutex> hold(ident_lock);
    ident_rec = ident;
}

DriveIdentRec Drive_ident_get()
{
    std::lock_guard<std::mutex> hold(ident_lock);
    return ident_rec;
}

std::string Drive_ident_version(const DriveIdentRec& ident)
{
    char text[8];
    std::snprintf(text, sizeof text, "%u.%02u", unsigned{ident.fw_major}, unsigned{ident.fw_minor});
    return text;
}

char DriveNameText[32] = {};
char DriveSwText[32] = {};
uint32_t CanIdentProductCode = 0;
uint32_t CanIdentRevision = 0;

std::atomic<uint16_t> DriveFwVersion{0};
std::atomic<uint16_t> DriveBootVersion{0};
std::atomic<uint32_t> DriveDeviceId{DRIVE_TYPE_ORVEL};

std::atomic<uint8_t> Ser_link_flags{0};
std::atomic<uint8_t> Ser_data_flags{0};
std::atomic<uint8_t> DriveUiFlags{0};
std::atomic<uint8_t> FlashModeFlags{0};
std::atomic<uint8_t> FlashProgressFlags{0};

std::atomic<uint8_t> Ser_link_mode_req{LinkMode::Normal};
std::atomic<uint8_t> Ser_link_mode{LinkMode::Normal};
std::atomic<uint8_t> Ser_status_len{0};

std::atomic<uint8_t> I2tTestActive{0};
std::atomic<uint8_t> FieldBusInfoByte{0};
uint8_t LanguageIndex = 0;

void DriveDataState::reset()
{
    for (std::atomic<uint8_t>* flags : {&Ser_link_flags, &Ser_data_flags, &DriveUiFlags, &FlashModeFlags,
                                        &FlashProgressFlags, &I2tTestActive, &FieldBusInfoByte})
        flags->store(0);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_mode_req.store(LinkMode::Normal);
    DriveFwVersion.store(0);
    Drive_status_publish(Drive_status{});
    std::memset(DriveRecordBank, 0, sizeof DriveRecordBank);
}
