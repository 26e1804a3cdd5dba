#pragma once
// Motor data files (*.mot, 88 bytes: the data file header, then the 60-byte MotorRecord in host
// order): reading and checking the bytes, and the conversion of data version 2 records. No Qt.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "drivedata/Record.h"

// Offsets of the fields inside a MotorRecord.
namespace MotorField {
constexpr std::size_t MultiTurnOffset = 0;  // i32
constexpr std::size_t PolePitch = 4;        // u32, 0.001 mm
constexpr std::size_t EncoderOffset = 8;    // u16, 0.01 degree
constexpr std::size_t Flags = 10;           // u16: bit 1 reverse, 2 cogging, 3 open collector
constexpr std::size_t MotorType = 12;       // u16: 0 rotary, 1 linear, 2 DC
constexpr std::size_t NominalSpeed = 14;
constexpr std::size_t NominalCurrent = 16;
constexpr std::size_t PeakCurrent = 18;
constexpr std::size_t StallCurrent = 20;
constexpr std::size_t NominalVoltage = 22;
constexpr std::size_t PhaseResistance = 24;
constexpr std::size_t Inductance = 26;
constexpr std::size_t I2tTime = 28;
constexpr std::size_t PolePairs = 30;
constexpr std::size_t Pulses = 32;          // u32
constexpr std::size_t CurrentKp = 36;
constexpr std::size_t CurrentKi = 38;
constexpr std::size_t CurrentKd = 40;
constexpr std::size_t FeedbackType = 42;
constexpr std::size_t SingleTurn = 44;
constexpr std::size_t MultiTurn = 46;
constexpr std::size_t MagnetFlux = 48;
}  // namespace MotorField

// The one older data version that converts.
constexpr uint8_t MOTOR_DATA_CONVERTIBLE_MAJOR = 2;

// Reads a file of exactly `maximum` bytes into buffer and stores its version bytes (17 major,
// 18 minor) when the XOR of all its bytes is 0. False, version untouched, when the file cannot be
// read, is longer or shorter (its missing bytes would be undefined) or fails the check byte.
bool Load_motor_read_file(const std::filesystem::path& file_name, uint8_t* buffer, std::size_t maximum,
                          uint8_t version[2]);

// Converts the data version 2 record of a file (the 18 words from file byte 28) into destination:
// all 60 bytes cleared, the old fields copied (pulses widened to 32 bits), SSI single-turn bits 0
// taken as 12, multi-turn bits of 31 or more as 0, pole pitch 10000; flags and magnet flux 0.
void ConvertMotorData(const uint8_t* old_payload, MotorRecord* destination);
