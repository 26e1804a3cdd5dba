#include "drivedata/Frm_output_sizes.h"

namespace {

constexpr uint16_t ORVEL_SIZES = 6;
constexpr uint16_t PELSAN_SIZES = 5;

const DriveSizeRow OrvelRows[ORVEL_SIZES] = {
    {1007, 352, 705, 1000, 500, 100, 200, 100, {650, 700}, "2,5-5,0"},
    {2013, 707, 1414, 1000, 500, 100, 200, 100, {750, 750}, "5,0-10,0"},
    {2605, 1130, 2260, 1000, 500, 100, 200, 100, {750, 750}, "8,0-16,0"},
    {2987, 1414, 2828, 1000, 500, 100, 200, 100, {850, 850}, "10,0-20,0"},
    {4247, 1830, 3666, 1000, 500, 100, 200, 100, {850, 850}, "13,0-26,0"},
    {5900, 2828, 5650, 1000, 500, 100, 200, 100, {650, 650}, "20,0-40,0"},
};

const DriveSizeRow PelsanRows[PELSAN_SIZES] = {
    {459, 212, 424, 200, 500, 100, 200, 100, {700, 700}, "1,5-3,0"},
    {612, 282, 564, 200, 500, 100, 200, 100, {800, 800}, "2,0-4,0"},
    {918, 424, 848, 200, 500, 100, 200, 100, {750, 750}, "3,0-6,0"},
    {1225, 564, 1128, 200, 500, 100, 200, 100, {800, 800}, "4,0-8,0"},
    {1838, 846, 1692, 200, 500, 100, 200, 100, {850, 850}, "6,0-12,0"},
};

DriveSizeEntry OrvelSorted[ORVEL_SIZES];
DriveSizeEntry PelsanSorted[PELSAN_SIZES];

// Merges the sorted runs [i, j) and [j, end) in place; equal keys never move (stable).
void merge_runs(DriveSizeEntry* e, uint16_t i, uint16_t j, uint16_t end)
{
    while (i < j && j < end) {
        if (e[i].row.sort_key > e[j].row.sort_key) {
            const DriveSizeEntry taken = e[j];
            for (uint16_t k = j; k > i; --k)
                e[k] = e[k - 1];
            e[i] = taken;
            ++j;
        }
        ++i;
    }
}

void build_table(DriveSizeTable& t)
{
    for (uint16_t i = 0; i < t.count; ++i) {
        t.sorted[i].row = t.src[i];
        t.sorted[i].code = static_cast<uint8_t>(i);
    }
    Frm_output_sort_sizes(t.sorted, t.count);
}

}  // namespace

DriveSizeTable SizeTableOrvel = {OrvelRows, OrvelSorted, ORVEL_SIZES};
DriveSizeTable SizeTablePelsan = {PelsanRows, PelsanSorted, PELSAN_SIZES};
// Valid until the main window selects the family.
DriveSizeSlot CurrentSizeTable{SizeTableOrvel};

void Frm_output_sort_sizes(DriveSizeEntry* entries, uint16_t count)
{
    if (entries == nullptr || count < 2)
        return;
    // Bottom-up: a short last run is merged into the run before it, so no element is left out.
    for (uint32_t w = 1; w < count; w *= 2) {
        for (uint32_t lo = 0; lo + w < count; lo += 2 * w) {
            const uint32_t end = lo + 2 * w < count ? lo + 2 * w : count;
            merge_runs(entries, static_cast<uint16_t>(lo), static_cast<uint16_t>(lo + w),
                       static_cast<uint16_t>(end));
        }
    }
}

void Frm_output_build_size_tables()
{
    build_table(SizeTableOrvel);
    build_table(SizeTablePelsan);
}

uint16_t Frm_output_find_size(const DriveSizeTable& table, uint8_t code)
{
    if (table.sorted == nullptr)
        return SIZE_NOT_FOUND;
    for (uint16_t i = 0; i < table.count; ++i) {
        if (table.sorted[i].code == code)
            return i;
    }
    return SIZE_NOT_FOUND;
}
