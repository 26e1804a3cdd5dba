#pragma once
// Unit-factor model on one application record and one drive record (no Qt, no globals but the
// results): the drive scales user units to its 65,536 counts per motor revolution with three
// fraction pairs (position, velocity, acceleration). Each pair is built in floating point (products
// in long double, stored as doubles), scaled by a power of two and reduced by the primes up to 97
// so that both members fit the drive's objects.
//
// Every unit, type or selection byte is looked up bounds-checked: a byte outside its table names
// no text and builds no pair.
#include <cstddef>
#include <cstdint>

#include "drivedata/Record.h"
#include "drivedata/Records_ext.h"

// Byte offsets inside FactorApplicationRec (integers little-endian).
namespace FactorOfs {
constexpr std::size_t DiskDiameter = 0;    // u32, type 1, thousandths of the length unit
constexpr std::size_t PulleyDiameter = 4;  // u32, type 2
constexpr std::size_t ToothPitch = 8;      // u32, type 3
constexpr std::size_t D1 = 12;             // u32, type 4, motor side
constexpr std::size_t D2 = 16;             // u32, type 4, load side
constexpr std::size_t ScrewPitch = 20;     // u32, type 6
constexpr std::size_t HollowPitch = 24;    // u32, type 7
constexpr std::size_t GearMotor = 28;      // u16 motor revolutions
constexpr std::size_t GearLoad = 30;       // u16 load revolutions
constexpr std::size_t Teeth = 32;          // u16, type 3
constexpr std::size_t N1 = 34;             // u16, type 5, motor side
constexpr std::size_t N2 = 36;             // u16, type 5, load side
constexpr std::size_t LabelAmount = 38;    // u16 amount in label units
constexpr std::size_t LabelRevs = 40;      // u16 motor revolutions (pole pitches) per amount
constexpr std::size_t Selection = 42;      // u8 x3: position, velocity, acceleration unit selection
constexpr std::size_t LinearSelection = 45;  // u8 x3: the same for a linear motor
constexpr std::size_t AppType = 48;        // u8 application type 0..7
constexpr std::size_t LengthUnit = 49;     // u8 linear length unit 0..5
constexpr std::size_t RotaryUnit = 50;     // u8 x3: rotary position, velocity, acceleration unit
constexpr std::size_t Label = 53;          // char[6], at most 5 letters and a NUL
constexpr std::size_t LabelSize = 6;
}  // namespace FactorOfs

// Quantities, also the index of the result pair.
enum FactorQuantity : uint16_t { FactorPosition = 0, FactorVelocity = 1, FactorAcceleration = 2 };
constexpr uint16_t FACTOR_QUANTITIES = 3;

constexpr uint8_t FACTOR_APP_TYPES = 8;          // byte 48
constexpr uint8_t FACTOR_LENGTH_UNITS = 6;       // byte 49
constexpr uint8_t FACTOR_ROTARY_POS_UNITS = 8;   // byte 50
constexpr uint8_t FACTOR_ROTARY_UNITS = 16;      // bytes 51, 52 (and the pair table)
constexpr uint8_t FACTOR_SELECTIONS[FACTOR_QUANTITIES] = {11, 19, 19};  // bytes 42..44
constexpr uint8_t FACTOR_LINEAR_SELECTIONS = 8;  // bytes 45..47
constexpr uint16_t MOTOR_TYPE_LINEAR = 1;        // DriveRecord offset 132
constexpr std::size_t DRIVE_POLE_PITCH_OFS = 124;  // u32, thousandths of a millimetre

// Pairs computed for the result dialogs: index = FactorQuantity.
struct FactorResultsRec {
    double num[FACTOR_QUANTITIES];
    double den[FACTOR_QUANTITIES];
};
extern FactorResultsRec Factor_tool_results;

// ---- texts (UTF-8) ----
// Application types by language (byte 48).
extern const char* const FactorAppTypeText[3][FACTOR_APP_TYPES];
// Linear units [quantity][byte 49]: "cm" ... "mils", "/s" and "/s²" appended for the speeds.
extern const char* const FactorLinearUnitText[FACTOR_QUANTITIES][FACTOR_LENGTH_UNITS];
// Rotary units [quantity][byte 50, 51 or 52]; position has 8 names, the others 16.
extern const char* const FactorRotaryUnitText[FACTOR_QUANTITIES][FACTOR_ROTARY_UNITS];
// Name of a table entry; "" for a quantity or index outside the table.
const char* Factor_tool_rotary_unit_name(uint16_t quantity, uint32_t index);
const char* Factor_tool_linear_unit_name(uint16_t quantity, uint32_t index);

// ---- record ----
// Fills the default application (bytes 0 to 58); the other bytes keep their value.
void Factor_tool_set_defaults(FactorApplicationRec* rec);
// Custom label text: at most 5 characters, never read past byte 58 (a record without a NUL gives 5).
std::size_t Factor_tool_label(const FactorApplicationRec& rec, char out[FactorOfs::LabelSize]);
// Clears bytes 53-58 and copies at most 5 characters of text in.
void Factor_tool_set_label(FactorApplicationRec* rec, const char* text, std::size_t length);

// ---- model ----
// 1 for the rotary application types 0, 4 and 5, else 0.
int16_t Factor_tool_is_rotary(uint16_t type);
// Byte 50 for a rotary type, else byte 49.
int16_t Factor_tool_unit_index(const FactorApplicationRec& rec);
// Unit name of the application for the quantity: rotary types by bytes 50-52, others by byte 49.
// "" for any index outside its table or another quantity.
const char* Factor_tool_linear_unit_text(const FactorApplicationRec& rec, uint16_t quantity);

// Largest s with max(a, b) x 2^s below 2^31; 0 when the larger member is below 1 or not finite.
uint16_t Factor_tool_pair_shift(double a, double b);
// num = a x 2^s, den = b x 2^s with s the pair shift of a and b.
void Factor_tool_scale_pair(double* num, double* den, double a, double b);
// Brings the pair below 2^31 - 1, rounds and divides out the primes up to 97. 1 on success; 0 with
// the pair unchanged when it cannot (ratio too large, a member below 1 or not finite).
uint8_t Factor_tool_reduce_pair(double* num, double* den);

// The pair builders return true when they wrote the pair; otherwise it keeps its values.
// Rotary: K_u x B x motor revs / (C_u x A x load revs), u the rotary unit byte of the quantity.
bool Factor_tool_rotary_pair(const FactorApplicationRec& rec, double* num, double* den, double a, double b,
                             uint16_t quantity);
// 65,536,000 x motor revs / (load revs x L).
bool Factor_tool_linear_pair(const FactorApplicationRec& rec, double* num, double* den, double length);
// 65,536,000 / L, no gear.
bool Factor_tool_hollow_shaft_pair(double* num, double* den, double length);
// By the application type (byte 48); linear types ignore the quantity.
bool Factor_tool_application_pair(const FactorApplicationRec& rec, double* num, double* den, uint16_t quantity);
// Linear-motor unit 0..7 with the pole pitch of the drive record.
bool Factor_tool_linear_motor_pair(const FactorApplicationRec& rec, uint8_t unit, double* num, double* den,
                                   const DriveRecord& drive);
// Selections 3..10 (angle at the motor shaft); any other selection writes 1/1.
bool Factor_tool_fixed_pair_angle(uint8_t selection, double* num, double* den);
// Selections 11..18 (speed at the motor shaft); any other selection writes nothing.
bool Factor_tool_fixed_pair_speed(uint8_t selection, double* num, double* den);
// One quantity, reduced. A selection whose step writes nothing fails (0) like an overflow and
// leaves the pair as it was.
uint8_t Factor_tool_quantity_factor(const FactorApplicationRec& rec, const DriveRecord& drive, uint16_t quantity,
                                    double* num, double* den);
