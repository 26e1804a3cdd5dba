// Conversion of drive data of data version 2 into the current record layout.
#include "drivedata/Load_data_drive_convert.h"

#include <bit>
#include <cstring>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"

// Records are read and written in memory order, least significant byte first.
static_assert(std::endian::native == std::endian::little, "data files need a little-endian host");

namespace {

// Moves and widenings of data version 2; each reads the old payload.
enum class Src : uint8_t { U16, I16, U32, Const };
struct Move {
    uint16_t to;
    uint8_t to_size;  // 2 or 4
    Src src;
    uint16_t from;    // old offset, or the constant for Src::Const
};
constexpr Move MOVES[] = {
    {120, 4, Src::Const, 0},     {124, 4, Src::Const, 10000}, {128, 2, Src::U16, 154},
    {152, 4, Src::U16, 152},     {548, 4, Src::U16, 554},     {552, 4, Src::I16, 556},
    {556, 4, Src::I16, 560},     {560, 4, Src::U16, 564},     {564, 4, Src::I16, 566},
    {568, 4, Src::I16, 568},     {572, 4, Src::U32, 576},     {576, 4, Src::U32, 580},
    {580, 4, Src::U32, 584},     {584, 4, Src::U32, 588},     {588, 4, Src::U32, 592},
    {592, 2, Src::U16, 562},     {594, 2, Src::U16, 548},     {596, 2, Src::U16, 550},
    {598, 2, Src::U16, 552},     {600, 2, Src::U16, 558},     {602, 2, Src::U16, 570},
    {604, 2, Src::U16, 572},     {660, 4, Src::U16, 662},     {664, 4, Src::I16, 666},
    {668, 2, Src::U16, 664},     {670, 2, Src::U16, 660},     {700, 4, Src::U16, 702},
    {704, 4, Src::U16, 704},     {712, 2, Src::U16, 700},
};
constexpr uint16_t OFS_MOTOR_WORD = 130;        // motor word (level 2): bit 1 cleared
constexpr uint8_t MOTOR_WORD_CLEARED = 0x02;
constexpr uint16_t OFS_SINGLE_TURN_BITS = 164;  // 0 becomes the default
constexpr uint16_t OFS_MULTI_TURN_BITS = 166;   // out of range becomes 0
constexpr uint16_t SINGLE_TURN_DEFAULT = 12;
constexpr uint16_t TURN_BITS_LIMIT = 31;        // first value out of range

uint32_t read_old(const uint8_t* old, const Move& m)
{
    switch (m.src) {
    case Src::U16: return Rec_get<uint16_t>(old, m.from);
    case Src::I16: return static_cast<uint32_t>(static_cast<int32_t>(Rec_get<int16_t>(old, m.from)));
    case Src::U32: return Rec_get<uint32_t>(old, m.from);
    case Src::Const: return m.from;
    }
    return 0;
}

}  // namespace

void Load_data_drive_stamp_version(DriveRecord& record)
{
    record.b[RecOfs::VersionMajor] = ProgramVersion.major;
    record.b[RecOfs::VersionMinor] = ProgramVersion.minor;
}

void ConvertDriveData(uint8_t file_major, DriveRecord* destination, const uint8_t* old)
{
    if (destination == nullptr)
        return;
    if (file_major == DRIVE_DATA_CONVERTIBLE_MAJOR && old != nullptr) {
        DriveRecord& r = *destination;
        std::memcpy(r.b, old, DRIVE_RECORD_SIZE);
        Init_pos_table_defaults(r.b + RecOfs::PosTable);
        r.b[OFS_MOTOR_WORD] &= static_cast<uint8_t>(~MOTOR_WORD_CLEARED);
        for (const Move& m : MOVES) {
            const uint32_t v = read_old(old, m);
            if (m.to_size == 4)
                Rec_set<uint32_t>(r, m.to, v);
            else
                Rec_set<uint16_t>(r, m.to, static_cast<uint16_t>(v));
        }
        const uint16_t single = Rec_get<uint16_t>(old, OFS_SINGLE_TURN_BITS);
        Rec_set<uint16_t>(r, OFS_SINGLE_TURN_BITS, single != 0 ? single : SINGLE_TURN_DEFAULT);
        const uint16_t multi = Rec_get<uint16_t>(old, OFS_MULTI_TURN_BITS);
        Rec_set<uint16_t>(r, OFS_MULTI_TURN_BITS, multi < TURN_BITS_LIMIT ? multi : 0);
    }
    Load_data_drive_stamp_version(*destination);
}

