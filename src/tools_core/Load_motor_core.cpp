#include "tools_core/Load_motor_core.h"

#include <cstring>
#include <vector>

#include "drivedata/Versoftw.h"
#include "platform/Savefile.h"

namespace {

constexpr uint16_t SINGLE_TURN_DEFAULT = 12;
constexpr uint16_t MULTI_TURN_LIMIT = 31;
constexpr uint32_t POLE_PITCH_DEFAULT = 10000;

// Version 2 words, in file order, and the field each goes to (the pulses are widened).
constexpr std::size_t V2_FIELDS[] = {
    MotorField::MotorType,      MotorField::NominalSpeed,   MotorField::NominalCurrent, MotorField::PeakCurrent,
    MotorField::StallCurrent,   MotorField::NominalVoltage, MotorField::PhaseResistance, MotorField::Inductance,
    MotorField::I2tTime,        MotorField::PolePairs,      MotorField::Pulses,         MotorField::EncoderOffset,
    MotorField::CurrentKp,      MotorField::CurrentKi,      MotorField::CurrentKd,      MotorField::FeedbackType,
    MotorField::SingleTurn,     MotorField::MultiTurn,
};

}  // namespace

bool Load_motor_read_file(const std::filesystem::path& file_name, uint8_t* buffer, std::size_t maximum,
                          uint8_t version[2])
{
    if (buffer == nullptr || maximum <= DataFileOfs::VersionMinor)
        return false;
    std::vector<uint8_t> bytes;
    if (Savefile_read(file_name, bytes, maximum) != 0 || bytes.size() != maximum ||
        DataFile_xor(bytes.data(), bytes.size()) != 0)
        return false;
    std::memcpy(buffer, bytes.data(), maximum);
    version[0] = buffer[DataFileOfs::VersionMajor];
    version[1] = buffer[DataFileOfs::VersionMinor];
    return true;
}

void ConvertMotorData(const uint8_t* old_payload, MotorRecord* destination)
{
    MotorRecord r{};
    for (std::size_t i = 0; i < std::size(V2_FIELDS); ++i) {
        const uint16_t word = Rec_get<uint16_t>(old_payload, 2 * i);
        if (V2_FIELDS[i] == MotorField::Pulses)
            Rec_set<uint32_t>(r.b, V2_FIELDS[i], word);
        else
            Rec_set<uint16_t>(r.b, V2_FIELDS[i], word);
    }
    if (Rec_get<uint16_t>(r.b, MotorField::SingleTurn) == 0)
        Rec_set<uint16_t>(r.b, MotorField::SingleTurn, SINGLE_TURN_DEFAULT);
    if (Rec_get<uint16_t>(r.b, MotorField::MultiTurn) >= MULTI_TURN_LIMIT)
        Rec_set<uint16_t>(r.b, MotorField::MultiTurn, 0);
    Rec_set<uint32_t>(r.b, MotorField::PolePitch, POLE_PITCH_DEFAULT);
    *destination = r;
}
