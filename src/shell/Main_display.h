#pragma once
// Main window display unit (display timer, monitor panels, LED images): what its files share, the
// function tables of the input and output LED images and the drawing of one LED row.
#include <cstddef>
#include <cstdint>

#include <QString>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Record.h"

class TForm_main;
struct IoGeometry;

// Small readers shared by the display unit's files.
namespace MainDisplay {
inline uint16_t rec_u16(std::size_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[0], ofs); }
inline bool list_reads_on() { return Ser_data_flags.load() & DataFlag::ListReads; }
}  // namespace MainDisplay

// Draws the LED images from one status snapshot: mode 0 without functions, 1 always, 2 only when
// an input or output bit, the bus type or the sub-type differs from what was drawn.
void Main_draw_io_status(TForm_main& form, uint8_t mode, const Drive_status& status);

// One function of an input or output: texts by LanguageIndex, enabled flag, lamp colours
// (0x00BBGGRR) when the input or output is on and when it is off.
struct LedRow {
    const char* text[3];
    uint8_t enabled;
    uint32_t on_colour;
    uint32_t off_colour;
};

struct LedRowTable {
    const LedRow* rows;
    uint16_t count;
};

constexpr uint16_t LED_INPUT_ROWS = 6;
constexpr uint16_t LED_OUTPUT_ROWS_MAX = 3;

// Record fields read by the LED images.
namespace LedOfs {
constexpr std::size_t SetOut0 = 262;
constexpr std::size_t SetOut1 = 216;
constexpr std::size_t SetOut2 = 218;
constexpr std::size_t ModbusControl = 466;  // Modbus control type
constexpr std::size_t SpeedMode = 594;      // bit 2: output 2 is the auxiliary analog input
constexpr uint16_t AuxInputBit = 1u << 2;
}  // namespace LedOfs

// The six input rows of a bus type (0 I/O, 1 Modbus, 2 CANopen, other) and its sub-type (the I/O
// or Modbus control type). Null when the sub-type has no input set: the rows show no function.
const LedRow* Led_input_set(uint16_t bus_type, uint16_t sub_type);

// Table and record field that choose the function of output row r; a null table when the family
// has no such output.
struct LedOutputSource {
    const LedRowTable* table;
    std::size_t offset;
};
LedOutputSource Led_output_source(bool second_family, uint16_t row);

// Draws input row r: the label prefix + r, the row's text and its LED (lamp by bit r of on_bits,
// red ring by bit r of ring_bits). Without a row, or not linked, " ----" in grey and a blank LED.
// Row 0 first clears the whole picture.
void Main_draw_input_row(Canvas& canvas, const LedRow* row, const QString& prefix, const IoGeometry& geometry,
                         uint16_t r, uint8_t on_bits, uint8_t ring_bits, bool linked);
// Draws output row r with the function `selection` of table; a selection beyond the table shows no
// function. Row 2 shows "Analog-Input Aux" while the record uses it as the auxiliary input.
void Main_draw_output_row(Canvas& canvas, const LedRowTable* table, uint16_t selection, const QString& prefix,
                          const IoGeometry& geometry, uint16_t r, uint8_t on_bits, bool linked);
