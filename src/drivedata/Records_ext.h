#pragma once
// Records that data files carry besides DriveRecord and MotorRecord, and the data file sizes.
#include <cstddef>
#include <cstdint>

#include "drivedata/Record.h"

// Unit-factor application record, one per page context; its fields belong to the unit-factor tool.
constexpr std::size_t FACTOR_APPLICATION_SIZE = 80;
struct FactorApplicationRec {
    uint8_t b[FACTOR_APPLICATION_SIZE];
};
static_assert(sizeof(FactorApplicationRec) == FACTOR_APPLICATION_SIZE);

// Data files: a 28-byte header (check byte, family record, two zero bytes), then the payload.
constexpr std::size_t DATA_FILE_HEADER_SIZE = 28;
constexpr std::size_t DRIVE_FILE_SIZE = DATA_FILE_HEADER_SIZE + DRIVE_RECORD_SIZE;          // *.ivt
constexpr std::size_t MOTOR_FILE_SIZE = DATA_FILE_HEADER_SIZE + MOTOR_RECORD_SIZE;          // *.mot
constexpr std::size_t FACTOR_FILE_SIZE = DATA_FILE_HEADER_SIZE + FACTOR_APPLICATION_SIZE;  // *.ftl
static_assert(DRIVE_FILE_SIZE == 2440 && MOTOR_FILE_SIZE == 88 && FACTOR_FILE_SIZE == 108);
