#pragma once
// Drive-size tables of both drive families: static source rows, sorted entries built at start,
// and the lookup of a size code.
#include <atomic>
#include <cstdint>

// Source row: f[0] sort key (probe current), f[1] nominal current, f[2] peak current (0.01 A),
// f[3]..f[7] further size constants, f[8]/f[9] over-temperature limit (0.1 degree) for voltage
// class 0/1; name is the zero-padded display text.
struct DriveSizeSource {
    uint16_t f[10];
    char name[12];
};

// Sorted row: a copy of its source row and the index of that row (the size code).
struct DriveSizeEntry {
    DriveSizeSource row;
    uint8_t code;
};

struct DriveSizeTable {
    const DriveSizeSource* src;  // one row per size code, in family order
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

// Fills both families' sorted entries (entry i gets code i, then a stable sort by f[0]).
void Frm_output_build_size_tables();
// Stable in-place sort of entries by f[0], ascending.
void Frm_output_sort_sizes(DriveSizeEntry* entries, uint16_t count);
// Index of the first sorted entry with this code, SIZE_NOT_FOUND (0xFFFF) when none.
uint16_t Frm_output_find_size(const DriveSizeTable& table, uint8_t code);
