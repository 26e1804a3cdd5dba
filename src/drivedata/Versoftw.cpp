#include "drivedata/Versoftw.h"

#include <cstring>

#include "drivedata/Globvar.h"

DriveFamilyRecord FamilyOrvel = {FAMILY_CODE_ORVEL, "ORVEL", ProgramVersion.major,
                                 ProgramVersion.minor, {}};
DriveFamilyRecord FamilyPelsan = {FAMILY_CODE_PELSAN, "PELSAN", ProgramVersion.major,
                                  ProgramVersion.minor, {}};
const DriveFamilyRecord* CurrentFamily = &FamilyPelsan;

void Versoftw_init_family_versions()
{
    for (DriveFamilyRecord* f : {&FamilyOrvel, &FamilyPelsan}) {
        f->version_major = ProgramVersion.major;
        f->version_minor = ProgramVersion.minor;
    }
}

const DriveFamilyRecord* Versoftw_other_family(uint8_t file_code)
{
    if (CurrentFamily->code == FAMILY_CODE_ORVEL && file_code == FAMILY_CODE_PELSAN)
        return &FamilyPelsan;
    if (CurrentFamily->code == FAMILY_CODE_PELSAN && file_code == FAMILY_CODE_ORVEL)
        return &FamilyOrvel;
    return nullptr;
}

std::size_t DataFile_size(DataFileKind kind)
{
    switch (kind) {
    case DataFileKind::Drive: return DRIVE_FILE_SIZE;
    case DataFileKind::Motor: return MOTOR_FILE_SIZE;
    case DataFileKind::Factor: return FACTOR_FILE_SIZE;
    }
    return 0;
}

uint8_t DataFile_xor(const uint8_t* data, std::size_t count)
{
    uint8_t x = 0;
    for (std::size_t i = 0; i < count; ++i)
        x ^= data[i];
    return x;
}

void DataFileHeader_build(uint8_t* image, std::size_t size, const void* payload,
                          std::size_t payload_size, const DriveFamilyRecord& family)
{
    if (image == nullptr || size < DATA_FILE_HEADER_SIZE)
        return;
    std::memset(image, 0, size);
    const DataFileHeader header{0, family, {0, 0}};
    std::memcpy(image, &header, sizeof header);
    if (payload != nullptr) {
        const std::size_t room = size - DATA_FILE_HEADER_SIZE;
        std::memcpy(image + DataFileOfs::Payload, payload, payload_size < room ? payload_size : room);
    }
    image[DataFileOfs::Check] = DataFile_xor(image + 1, size - 1);
}

DriveFileImage DataFile_build_drive(const DriveRecord& record)
{
    DriveRecord copy = record;
    std::memset(copy.b + RecOfs::AlarmMemByte, 0, RecOfs::VersionMajor - RecOfs::AlarmMemByte);
    DriveFileImage image;
    DataFileHeader_build(image.data(), image.size(), copy.b, sizeof copy.b, *CurrentFamily);
    return image;
}

MotorFileImage DataFile_build_motor(const MotorRecord& motor)
{
    MotorFileImage image;
    DataFileHeader_build(image.data(), image.size(), motor.b, sizeof motor.b, *CurrentFamily);
    return image;
}

FactorFileImage DataFile_build_factor(const FactorApplicationRec& factors)
{
    FactorFileImage image;
    DataFileHeader_build(image.data(), image.size(), factors.b, sizeof factors.b, *CurrentFamily);
    return image;
}

namespace {

bool same_family(const uint8_t* data, const DriveFamilyRecord& family)
{
    if (data[DataFileOfs::FamilyCode] != family.code)
        return false;
    // Both names end at their first zero, within the 15 bytes.
    return std::strncmp(reinterpret_cast<const char*>(data + DataFileOfs::FamilyName), family.name,
                        FAMILY_NAME_SIZE) == 0;
}

}  // namespace

DataFileCheck DataFile_check(DataFileKind kind, const uint8_t* data, std::size_t size)
{
    // Only the size the program writes is accepted: a shorter file would leave the payload
    // partly undefined.
    if (data == nullptr || size != DataFile_size(kind) || DataFile_xor(data, size) != 0)
        return DataFileCheck::Corrupt;
    if (!same_family(data, *CurrentFamily))
        return DataFileCheck::OtherFamily;
    const uint8_t major = data[DataFileOfs::VersionMajor];
    if (major > ProgramVersion.major)
        return DataFileCheck::Newer;
    if (major < ProgramVersion.major)
        return DataFileCheck::Older;
    return DataFileCheck::Ok;
}
