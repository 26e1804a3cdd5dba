// Defaults of the unit-factor application record. The unit-factor tool itself builds on this
// record; until it exists only the defaults are provided here, for the settings file.
#include "factors/Factor_tool_core.h"

#include <cstring>
#include <iterator>

#include "drivedata/Record.h"

namespace {

// Byte offsets of the record's fields (little-endian integers).
constexpr std::size_t OFS_LENGTHS = 0;       // seven u32 lengths
constexpr std::size_t OFS_GEAR_MOTOR = 28;   // u16 words from here on
constexpr std::size_t OFS_UNIT_SEL = 42;     // u8 selections
constexpr std::size_t OFS_LABEL = 53;        // char[6]

constexpr uint32_t DefaultLengths[7] = {1000, 1000, 1000, 1000, 2000, 1000, 1000};
// Gear ratio motor/load, teeth (type 3), N1, N2, label amount, label revolutions.
constexpr uint16_t DefaultWords[7] = {1, 1, 10, 10, 20, 1, 1};
// Position, velocity, acceleration; linear-motor position, velocity, acceleration;
// application type; linear length unit; rotary position, velocity, acceleration units.
constexpr uint8_t DefaultSelections[11] = {2, 11, 11, 2, 2, 2, 0, 0, 0, 8, 8};
constexpr char DefaultLabel[6] = "label";

}  // namespace

void Factor_tool_set_defaults(FactorApplicationRec* rec)
{
    if (rec == nullptr)
        return;
    for (std::size_t i = 0; i < std::size(DefaultLengths); ++i)
        Rec_set<uint32_t>(rec->b, OFS_LENGTHS + 4 * i, DefaultLengths[i]);
    for (std::size_t i = 0; i < std::size(DefaultWords); ++i)
        Rec_set<uint16_t>(rec->b, OFS_GEAR_MOTOR + 2 * i, DefaultWords[i]);
    std::memcpy(rec->b + OFS_UNIT_SEL, DefaultSelections, sizeof DefaultSelections);
    std::memcpy(rec->b + OFS_LABEL, DefaultLabel, sizeof DefaultLabel);
}
