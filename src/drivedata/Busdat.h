#pragma once
// Building blocks of the three object dictionaries: an entry from a field-table row or from a
// live-value row, and the key lists that set the attribute bits.
#include <cstdint>
#include <span>

#include "drivedata/Busx.h"
#include "drivedata/Fieldtab.h"

// Keys first..last (inclusive) with subindexes sub_lo..sub_hi.
struct BusKeySpan {
    uint16_t first;
    uint16_t last;
    uint8_t sub_lo = 0;
    uint8_t sub_hi = 255;
};

bool Busdat_in_spans(std::span<const BusKeySpan> spans, uint16_t index, uint8_t subindex);

// Attribute bits of one dictionary beyond the defaults (bit 4 and bit 3 set; bit 0 on blocks
// and texts).
struct BusAttrLists {
    std::span<const BusKeySpan> bit4_clear;
    std::span<const BusKeySpan> bit3_clear;
    std::span<const BusKeySpan> bit2_set;
    std::span<const BusKeySpan> bit1_set;
};

// Value ranges of the live rows' types.
namespace LiveRange {
constexpr int64_t U8_MAX = 255;
constexpr int64_t I8_MIN = -128, I8_MAX = 127;
constexpr int64_t U16_MAX = 65535;
constexpr int64_t I16_MIN = -32768, I16_MAX = 32767;
constexpr int64_t U32_MAX = 4294967295LL;
constexpr int64_t I32_MIN = -2147483648LL, I32_MAX = 2147483647LL;
}  // namespace LiveRange

// A live value as typed in a dictionary: outside the record, refreshed by polling.
struct BusLiveRow {
    uint16_t key;
    int32_t key2;      // second register of a 32-bit Modbus pair, -1 when none
    uint8_t subindex;
    Loc var;
    FieldType type;
    bool text;         // a 32-byte text (1008h, 100Ah)
    int64_t min;
    int64_t max;
    const char* caption[3];  // Italian, English, French; nullptr when none
    const char* unit;        // nullptr when none
};

// Fills out[0..count) with the entries of one dictionary, in key order: every field-table row
// with a key of that kind, then the live rows. Aborts when the rows do not make exactly count
// entries (the data are inconsistent).
void Busdat_build(BusObjectEntry* out, uint16_t count, uint8_t kind, std::span<const BusLiveRow> live,
                  const BusAttrLists& attrs);
