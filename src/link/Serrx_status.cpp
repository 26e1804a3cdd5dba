// Decoding of the status block and of the identification reply.
#include <cstdio>
#include <cstring>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "link/Fieldbus_link.h"
#include "link/Serrx.h"

namespace {

uint16_t be16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

uint32_t be32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Bytes 0-7 and 16-25, the same in both layouts.
void decode_common(const uint8_t* b, Drive_status& s)
{
    s.status_word = be16(b + 0);
    s.outputs = b[2];
    s.control_mode = b[3];
    s.alarm_word = be32(b + 4);
    s.current = static_cast<int16_t>(be16(b + 16));
    s.voltage = static_cast<int16_t>(be16(b + 18));
    s.turns = static_cast<int16_t>(be16(b + 20));
    s.turn_pos = be16(b + 22);
    s.heat_sink = static_cast<int16_t>(be16(b + 24));
}

constexpr std::size_t IDENT_TEXT_OFS = 16;
constexpr std::size_t IDENT_TEXT_LEN = DRIVE_IDENT_LEN - IDENT_TEXT_OFS;

DriveIdentRec decode_ident(const uint8_t* b)
{
    DriveIdentRec id{};
    id.ident1 = be32(b + 0);
    id.device_id = be32(b + 4);
    id.ident3 = be32(b + 8);
    id.fw_major = b[12];
    id.fw_minor = b[13];
    id.flags = be16(b + 14);
    std::memcpy(id.text, b + IDENT_TEXT_OFS, IDENT_TEXT_LEN);
    return id;
}

void store_texts(const uint8_t* b, const DriveIdentRec& id, bool boot)
{
    std::memset(DriveNameText, 0, sizeof DriveNameText);
    const void* end = std::memchr(b + IDENT_TEXT_OFS, 0, sizeof DriveNameText - 1);
    const std::size_t n = end ? static_cast<const uint8_t*>(end) - (b + IDENT_TEXT_OFS)
                              : sizeof DriveNameText - 1;
    std::memcpy(DriveNameText, b + IDENT_TEXT_OFS, n);

    if (boot) {
        DriveBootVersion.store(static_cast<uint16_t>(b[12] << 8 | b[13]));
    } else {
        std::memset(DriveSwText, 0, sizeof DriveSwText);
        std::snprintf(DriveSwText, sizeof DriveSwText, "Software Vers: %s", Drive_ident_version(id).c_str());
    }
}

void select_size_table(uint32_t type, uint16_t flags)
{
    if (type == DRIVE_TYPE_ORVEL) {
        CurrentSizeTable = SizeTableOrvel;
        if (flags & (IdentFlag::BootLoader | IdentFlag::BootCondition))
            FlashModeFlags.fetch_or(FlashModeFlag::DriveKnown, std::memory_order_release);
    } else {
        CurrentSizeTable = SizeTablePelsan;
        FlashModeFlags.fetch_or(FlashModeFlag::DriveKnown, std::memory_order_release);
    }
}

}  // namespace

bool Serrx_status_pre309(const uint8_t* bytes, std::size_t len, Drive_status& out)
{
    if (bytes == nullptr || len < DRIVE_STATUS_BLOCK_LEN)
        return false;
    Drive_status s{};
    decode_common(bytes, s);
    s.inputs[0] = bytes[8];
    s.inputs[1] = bytes[9];
    s.bus_status = be16(bytes + 10);
    s.bus_second = be16(bytes + 12);
    s.speed = static_cast<int16_t>(be16(bytes + 14));
    out = s;
    return true;
}

bool Serrx_status_309(const uint8_t* bytes, std::size_t len, Drive_status& out)
{
    if (bytes == nullptr || len < DRIVE_STATUS_BLOCK_LEN)
        return false;
    Drive_status s{};
    decode_common(bytes, s);
    s.bus_status = be16(bytes + 8);
    s.bus_second = be16(bytes + 10);
    s.speed = static_cast<int32_t>(be32(bytes + 12));
    s.inputs[0] = bytes[26];
    s.inputs[1] = bytes[27];
    out = s;
    return true;
}

std::atomic<uint8_t> Ser_status_seen{0};

bool Serrx_status_decode(const uint8_t* bytes, std::size_t len)
{
    if (bytes == nullptr || len < DRIVE_STATUS_BLOCK_LEN)
        return false;
    Drive_status s{};
    s.status_word = be16(bytes);
    if (!(s.status_word & StatusBit::Boot)) {
        if (DriveFwVersion.load() < DRIVE_FW_NEW_STATUS)
            Serrx_status_pre309(bytes, len, s);
        else
            Serrx_status_309(bytes, len, s);
    }
    Drive_status_publish(s);
    if (!(s.status_word & StatusBit::Boot))  // the field-bus command words came with it
        for (const Loc word : {LiveLoc::CanCtrlWord, LiveLoc::CanStatusWord})
            Ds301Identity_note(word);
    DriveUiFlags.fetch_or(UiFlag::FreshStatus, std::memory_order_release);
    Ser_status_seen.store(1, std::memory_order_release);
    return true;
}

bool Serrx_reply_ident(const uint8_t* bytes, std::size_t len)
{
    if (bytes == nullptr || len < DRIVE_IDENT_LEN)
        return false;
    const DriveIdentRec id = decode_ident(bytes);
    Drive_ident_publish(id);
    const bool boot = id.flags & IdentFlag::BootLoader;
    DriveFwVersion.store(static_cast<uint16_t>(bytes[12] << 8 | bytes[13]));
    DriveDeviceId.store(id.device_id);
    CanIdentProductCode = id.device_id;
    CanIdentRevision = id.ident3;
    store_texts(bytes, id, boot);

    select_size_table(id.device_id, id.flags);
    Ser_status_len.store(DRIVE_STATUS_BLOCK_LEN);
    Drive_status_update_word(StatusBit::Boot, boot ? StatusBit::Boot : 0);

    const bool ready = !boot && Ser_link_mode_req.load() == LinkMode::Normal && id.fw_major == ProgramVersion.major;
    if (ready)
        Ser_link_flags.fetch_or(LinkFlag::Ready, std::memory_order_release);
    else
        Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Ready), std::memory_order_release);
    return true;
}
