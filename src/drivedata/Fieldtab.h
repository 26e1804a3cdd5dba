#pragma once
// One row per field of DriveRecord: layout, byte order, dictionary keys, captions, range, default.
// The object dictionaries and the byte-order conversion are built from this table.
#include <cstddef>
#include <cstdint>

enum class FieldType : uint8_t { U8, I8, U16, I16, U32, I32, Block16 };

// How Init_default_image sets a field; Value uses def_value, the others depend on its inputs.
enum class DefaultKind : uint8_t {
    Value,
    CheckByte,
    SizeIndex,
    VoltageClass,
    ByFamily,
    ByClass,
    ByFamilyAndClass,
    BySizeAndClass,
};

struct FieldRow {
    uint16_t offset;
    FieldType type;
    bool conv;                // swapped by the byte-order conversion
    bool named;               // has a dictionary caption (else a plain description)
    const char* caption[3];   // by LanguageIndex: Italian, English, French
    int32_t common;           // common key, -1 when none
    int32_t modbus;           // Modbus register (the high word's for a pair), -1 when none
    int32_t modbus2;          // second register of a 32-bit pair, -1 when none
    int32_t canopen;          // CANopen object index, -1 when none
    uint8_t canopen_sub;      // CANopen subindex (0 when the key has none)
    const char* unit;         // "" when none
    const char* unit_linear;  // unit shown for a linear motor
    int64_t min;
    int64_t max;
    uint8_t level_modbus;     // access level of the Modbus (and common) entry
    uint8_t level_canopen;    // access level of the CANopen entry
    DefaultKind def_kind;
    int64_t def_value;
    bool unit_modbus_only;    // the unit belongs to the Modbus entry only
};

extern const FieldRow FieldTable[];
extern const std::size_t FieldTableCount;

inline std::size_t Field_size(FieldType t)
{
    switch (t) {
    case FieldType::U8:
    case FieldType::I8: return 1;
    case FieldType::U16:
    case FieldType::I16: return 2;
    case FieldType::U32:
    case FieldType::I32: return 4;
    case FieldType::Block16: return 16;
    }
    return 0;
}

inline bool Field_signed(FieldType t)
{
    return t == FieldType::I8 || t == FieldType::I16 || t == FieldType::I32;
}

// Row of the field at exactly this offset, or nullptr.
const FieldRow* Fieldtab_find(uint16_t offset);
