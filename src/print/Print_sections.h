#pragma once
// The sections of a printout: what a drive data set prints, in which order, for the I/O, Modbus
// and CANopen profiles. Every builder appends to the print list (Print_list.h).
#include <cstdint>

#include "drivedata/Record.h"

void Print_list_field_bus(const DriveRecord* record);
void Print_list_io_profile(const DriveRecord* record);
void Print_list_modbus_profile(const DriveRecord* record);
// context 0: the connected drive's data set, 1 the archive's. The CiA 301 identity, 1005h and the
// CiA 402 command words print as the drive reported them (Ds301Identity_*), "-----" for a value it
// has not reported and for the archive's data set.
void Print_list_canopen_profile(const DriveRecord* record, uint8_t context);

// Page title, control section, the drive sections and the I/O sections (profile 0 or 1).
void PrintSectionIoControl(const DriveRecord& record, uint16_t profile);
// The drive's own sections, addresses of the profile.
void PrintSectionDrive(const DriveRecord& record, uint16_t profile);
// Always last, addresses "----".
void PrintSectionReservedSetup(const DriveRecord& record);
// One receive or transmit PDO (0..3).
void PrintSectionRpdo(const DriveRecord& record, unsigned pdo);
void PrintSectionTpdo(const DriveRecord& record, unsigned pdo);

// The text of an alarm-memory code (1..32), "-----" for 0 and for codes without a name.
const char* Print_alarm_text(unsigned code);
