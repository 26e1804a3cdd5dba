#pragma once
// Drive-size tables of both drive families: static source rows, sorted entries built at start,
// and the lookup of a size code.
#include <atomic>
#include <cstddef>
#include <cstdint>

// Source row, one per size code. Currents in 0.01 A; name is the zero-padded display text.
struct DriveSizeRow {
    uint16_t sort_key;   // probe current; the sort key
    uint16_t current_1;  // nominal current
    uint16_t current_2;  // peak current
    uint16_t value_3;    // further size constants, carried unchanged
    uint16_t value_4;
    uint16_t value_5;
    uint16_t value_6;
    uint16_t value_7;
    uint16_t overtemp[2];  // over-temperature limit (0.1 degree) of voltage class 0 and 1
    char name[12];
};
// 32-byte rows with the name from byte 20, as the firmware window and the printout read them.
static_assert(sizeof(DriveSizeRow) == 32);
static_assert(offsetof(DriveSizeRow, name) == 20);

// Sorted row: a copy of its source row and the index of that row (the size code).
struct DriveSizeEntry {
    DriveSizeRow row;
    uint8_t code;
};

struct DriveSizeTable {
    const DriveSizeRow* src;  // one row per size code, in family order
    DriveSizeEntry* sorted;      // filled by Frm_output_build_size_tables
    uint16_t count;
};

extern DriveSizeTable SizeTableOrvel;    // first family, six sizes, drive type 0xC0458
extern DriveSizeTable SizeTablePelsan;   // second family, five sizes
// The current-descriptor slot: refers to one of the two static descriptors. The receive thread
// switches it on identification while the GUI reads it, so it is one atomic pointer.
class DriveSizeSlot {
public:
    explicit DriveSizeSlot(const DriveSizeTable& t) : table_(&t) {}
    DriveSizeSlot& operator=(const DriveSizeTable& t)  // t must be SizeTableOrvel or SizeTablePelsan
    {
        table_.store(&t, std::memory_order_release);
        return *this;
    }
    const DriveSizeTable* operator->() const { return table_.load(std::memory_order_acquire); }
    const DriveSizeTable& get() const { return *operator->(); }
    operator const DriveSizeTable&() const { return get(); }

private:
    std::atomic<const DriveSizeTable*> table_;
};
extern DriveSizeSlot CurrentSizeTable;

constexpr uint16_t SIZE_NOT_FOUND = 0xFFFF;

// Fills both families' sorted entries (entry i gets code i, then a stable sort by sort_key).
void Frm_output_build_size_tables();
// Stable in-place sort of entries by sort_key, ascending.
void Frm_output_sort_sizes(DriveSizeEntry* entries, uint16_t count);
// Index of the first sorted entry with this code, SIZE_NOT_FOUND (0xFFFF) when none.
uint16_t Frm_output_find_size(const DriveSizeTable& table, uint8_t code);
