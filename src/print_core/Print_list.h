#pragma once
// The print list of a drive data set: its lines, the marks where pages start, the value and
// address formatters and the line makers that turn one field into one parameter line.
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "drivedata/Busx.h"
#include "drivedata/Record.h"

namespace PrintKind {
constexpr uint8_t Param = 0;
constexpr uint8_t ColumnHead = 2;
constexpr uint8_t Section = 4;
constexpr uint8_t Title = 5;
}  // namespace PrintKind

// Colours 0x00BBGGRR.
namespace PrintColour {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t Green = 0x008000;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Grey = 0x808080;
constexpr uint32_t Navy = 0x800000;
constexpr uint32_t Blue = 0xFF0000;
}  // namespace PrintColour

// Profile code of the formatters and line makers: also the bus type of the dictionary lookup.
namespace PrintBus {
constexpr uint16_t Io = 0;
constexpr uint16_t Modbus = 1;
constexpr uint16_t Canopen = 2;
}  // namespace PrintBus

// Longest text each field keeps, in characters; a longer text leaves the field empty.
namespace PrintLimit {
constexpr int Address = 14;
constexpr int Name = 68;
constexpr int Value = 68;
constexpr int Unit = 18;
}  // namespace PrintLimit

struct PrintLine {
    QString address;  // "----", a bracketed address, or the column title on a column head
    QString name;     // parameter name or heading text
    QString value;
    QString unit;
    uint32_t colour = PrintColour::Black;  // of the value text
    uint8_t align = 0;                     // headings: 0 left, 1 right, 2 centred
    uint8_t kind = PrintKind::Param;
};

struct PrintMark {
    uint32_t line = 0;  // index in PrintListLines of the page's first line
    uint32_t page = 0;
};

extern std::vector<PrintLine> PrintListLines;
extern std::vector<PrintMark> PrintListMarks;

// ---- list operations ----
void PrintLineAdd(const QString& address, const QString& name, const QString& value, const QString& unit,
                  uint8_t align, uint32_t colour, uint8_t kind);
void Print_list_clear_lines();
void PrintMarkAdd(uint32_t line, uint32_t page);
// The line of the first mark of that page, none without one.
std::optional<uint32_t> PrintMarkFind(uint32_t page);
void Print_list_clear_marks();

// ---- formatters ----
// The field's value (size and sign from the entry and profile) divided by 10^decimals, fixed with
// that many decimals and the locale's separator, no grouping.
QString FormatParamValue(const BusObjectEntry& entry, const DriveRecord& record, Loc field, uint16_t profile,
                         int decimals);
// The raw value in upper-case hex with at least `digits` digits, then "h".
QString FormatParamHex(const BusObjectEntry& entry, const DriveRecord& record, Loc field, uint16_t profile,
                       int digits);
// Upper-case hex with at least `digits` digits, then "h".
QString Print_hex(uint64_t value, int digits);
// "[0402h]", "[0402h,0403h]" (Modbus pair), "[6040h,0]" (CANopen), else "----".
QString FormatParamAddress(const BusObjectEntry& entry, uint16_t profile);
// The field's raw value as the formatters read it: record fields from `record`, live values where
// they live; 0 when the field lies outside its area.
int64_t Print_field_value(const BusObjectEntry& entry, const DriveRecord& record, Loc field, uint16_t profile);

// ---- heading helpers (shared building rules) ----
void PrintTitleLine(const QString& text);
// A section heading and its column head with the profile's address-column title.
void PrintSectionLine(const QString& text, uint16_t profile);
QString Print_address_title(uint16_t profile);

// ---- line makers: nothing is added when the dictionary has no entry for the field ----
void PrintParamLine(const DriveRecord& record, Loc field, uint16_t profile, int decimals);
void PrintParamLineNamed(const DriveRecord& record, Loc field, uint16_t profile, int decimals, const QString& name,
                         const QString& unit);
void PrintParamLineHex(const DriveRecord& record, Loc field, uint16_t profile, int digits);
void PrintEnumLine(Loc field, uint16_t profile, uint32_t colour, const QString& value);
void PrintEnumLineNamed(Loc field, uint16_t profile, const QString& name, uint32_t colour, const QString& value);
void PrintTextLine(Loc field, uint16_t profile, const QString& name, const QString& unit, uint32_t colour,
                   const QString& value);
void PrintOnOffLine(Loc field, uint16_t profile, const QString& name, bool flag);
