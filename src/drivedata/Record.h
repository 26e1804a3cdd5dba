#pragma once
// DriveRecord: the 2412-byte image of a drive's parameter memory, held in host order.
// Fields are reached by byte offset; multi-byte fields are read and written with memcpy.
#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr std::size_t DRIVE_RECORD_SIZE = 2412;

struct DriveRecord {
    uint8_t b[DRIVE_RECORD_SIZE];
};
static_assert(sizeof(DriveRecord) == DRIVE_RECORD_SIZE);

// Offsets of the record the program itself reads.
namespace RecOfs {
constexpr std::size_t CheckByte = 0;
constexpr std::size_t Mark = 1;           // the letter U
constexpr std::size_t SizeIndex = 2;
constexpr std::size_t AlarmMemByte = 3;
constexpr std::size_t AlarmMem = 4;       // 16 bytes
constexpr std::size_t VersionMajor = 20;
constexpr std::size_t VersionMinor = 21;
constexpr std::size_t Protection = 28;
constexpr std::size_t VoltageClass = 64;
constexpr std::size_t BusSetup = 94;
constexpr std::size_t BusType = 110;
constexpr std::size_t ControlType = 118;
constexpr std::size_t Motor = 120;
constexpr std::size_t MotorType = 132;
constexpr std::size_t Regulator = 180;
constexpr std::size_t PosTable = 304;
constexpr std::size_t Modbus = 464;
constexpr std::size_t CoggingTable = 876;  // 256 signed bytes
constexpr std::size_t Ds301 = 1536;
constexpr std::size_t Ds402 = 2000;
constexpr std::size_t EndMarker = 2408;
constexpr std::size_t WriteStart = 28;     // whole-image write: bytes 28..2407
constexpr std::size_t WriteLength = 2380;
}  // namespace RecOfs

constexpr uint8_t RECORD_MARK = 0x55;
constexpr uint16_t RECORD_END_MARKER = 0xA5A5;

template <typename T>
inline T Rec_get(const uint8_t* base, std::size_t ofs)
{
    T v;
    std::memcpy(&v, base + ofs, sizeof v);
    return v;
}
template <typename T>
inline void Rec_set(uint8_t* base, std::size_t ofs, T v)
{
    std::memcpy(base + ofs, &v, sizeof v);
}
template <typename T>
inline T Rec_get(const DriveRecord& r, std::size_t ofs) { return Rec_get<T>(r.b, ofs); }
template <typename T>
inline void Rec_set(DriveRecord& r, std::size_t ofs, T v) { Rec_set<T>(r.b, ofs, v); }

// MotorRecord: the 60-byte motor data set at record byte 120 (motor files hold the same bytes).
constexpr std::size_t MOTOR_RECORD_SIZE = 60;
struct MotorRecord {
    uint8_t b[MOTOR_RECORD_SIZE];
};
static_assert(sizeof(MotorRecord) == MOTOR_RECORD_SIZE);

// The four working copies: 0 connected drive, 1 archive data set, 2 drive as last read, 3 archive reference.
extern DriveRecord DriveRecordBank[4];
extern DriveRecord DriveReadBack;   // polled values at their fields' offsets
extern DriveRecord DriveRecordRx;   // record assembled by the whole-image read, or built before a send
extern DriveRecord DriveRecordTx;   // drive-order copy sent by a whole-image block write
