#pragma once
// Conversion of drive data of an older data version into the current record layout (no Qt).
#include <cstdint>

#include "drivedata/Record.h"

// The one older data version that can be converted.
constexpr uint8_t DRIVE_DATA_CONVERTIBLE_MAJOR = 2;

// Converts a version-2 payload (old: the 2412 record bytes of the file) into destination; for any
// other version the destination keeps its bytes. Either way the version bytes become 3.20.
void ConvertDriveData(uint8_t file_major, DriveRecord* destination, const uint8_t* old_payload);

// Sets the record's data version bytes (20, 21) to the program's version.
void Load_data_drive_stamp_version(DriveRecord& record);
