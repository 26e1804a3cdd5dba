#pragma once
// Drive families and the 28-byte header of drive data (*.ivt), motor data (*.mot) and unit-factor
// (*.ftl) files: check byte, the current family's record, two zero bytes, payload from byte 28.
#include <array>
#include <cstddef>
#include <cstdint>

#include "drivedata/Record.h"
#include "drivedata/Records_ext.h"

constexpr std::size_t FAMILY_NAME_SIZE = 15;
constexpr uint8_t FAMILY_CODE_ORVEL = 2;
constexpr uint8_t FAMILY_CODE_PELSAN = 3;

// 25 bytes, stored in files byte for byte.
struct DriveFamilyRecord {
    uint8_t code;                  // 2 "ORVEL", 3 "PELSAN"
    char name[FAMILY_NAME_SIZE];   // zero-padded
    uint8_t version_major;         // data version = ProgramVersion
    uint8_t version_minor;
    uint8_t zero[7];
};
static_assert(sizeof(DriveFamilyRecord) == 25);

// The two families; their version bytes hold ProgramVersion from the start, never 0.
extern DriveFamilyRecord FamilyOrvel;
extern DriveFamilyRecord FamilyPelsan;
// The current family's record (GUI thread); PELSAN until the family switch first runs.
extern const DriveFamilyRecord* CurrentFamily;

// Stamps ProgramVersion into the version bytes of both family records (program start).
void Versoftw_init_family_versions();

// For a file whose family differs from the current one: the record of the family its code names
// when that is the other known family, else nullptr (the file is then just incompatible).
const DriveFamilyRecord* Versoftw_other_family(uint8_t file_code);

// ---- data file header ----
struct DataFileHeader {
    uint8_t check;               // XOR of all other bytes of the file
    DriveFamilyRecord family;    // CurrentFamily at the time of writing
    uint8_t zero[2];
};
static_assert(sizeof(DataFileHeader) == DATA_FILE_HEADER_SIZE);

// File offsets readers test.
namespace DataFileOfs {
constexpr std::size_t Check = 0;
constexpr std::size_t FamilyCode = 1;
constexpr std::size_t FamilyName = 2;     // 15 bytes
constexpr std::size_t VersionMajor = 17;
constexpr std::size_t VersionMinor = 18;
constexpr std::size_t Payload = DATA_FILE_HEADER_SIZE;
constexpr std::size_t AlarmMemory = Payload + RecOfs::AlarmMemByte;  // .ivt bytes 31-47, written as 0
constexpr std::size_t AlarmMemoryEnd = Payload + RecOfs::VersionMajor;
}  // namespace DataFileOfs

enum class DataFileKind : uint8_t { Drive, Motor, Factor };
// 2440, 88 and 108 bytes.
std::size_t DataFile_size(DataFileKind kind);

using DriveFileImage = std::array<uint8_t, DRIVE_FILE_SIZE>;
using MotorFileImage = std::array<uint8_t, MOTOR_FILE_SIZE>;
using FactorFileImage = std::array<uint8_t, FACTOR_FILE_SIZE>;

// Builds a file image in image[0, size): zeroes it, puts the family record at 1-25 and the
// payload at 28 (payload_size must be size - 28), then the check byte over bytes 1 to size - 1.
void DataFileHeader_build(uint8_t* image, std::size_t size, const void* payload,
                          std::size_t payload_size, const DriveFamilyRecord& family);

// Whole images for the current family. The drive file carries the record with its alarm memory
// (record bytes 3-19) zeroed.
DriveFileImage DataFile_build_drive(const DriveRecord& record);
MotorFileImage DataFile_build_motor(const MotorRecord& motor);
FactorFileImage DataFile_build_factor(const FactorApplicationRec& factors);

// XOR of count bytes.
uint8_t DataFile_xor(const uint8_t* data, std::size_t count);

enum class DataFileCheck : uint8_t {
    Ok,
    Corrupt,      // size other than the kind's, or the bytes do not XOR to 0
    OtherFamily,  // family code or name differs from CurrentFamily's
    Newer,        // data major version above ProgramVersion's
    Older,        // data major version below ProgramVersion's (may be converted)
};

// Tests a whole file against the header, in this order: size and check byte, family, major
// version (the minor is not compared).
DataFileCheck DataFile_check(DataFileKind kind, const uint8_t* data, std::size_t size);
