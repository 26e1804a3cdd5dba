#include "drivedata/Sortdat.h"

namespace {

// Moves entries [from, to) one place up.
void Sortdat_shift(BusObjectEntry* t, uint32_t from, uint32_t to)
{
    for (uint32_t k = to; k > from; --k)
        t[k] = t[k - 1];
}

// Merges the sorted runs [start, middle) and [middle, end) in place.
void Sortdat_merge(BusObjectEntry* t, uint32_t start, uint32_t middle, uint32_t end)
{
    if (middle >= end)
        return;
    uint32_t i = start;
    uint32_t j = middle;
    while (j < end) {
        if (t[i].var > t[j].var) {
            const BusObjectEntry saved = t[j];
            Sortdat_shift(t, i, j);
            t[i] = saved;
            ++j;
        }
        ++i;
        if (i == j)
            ++j;
    }
}

}  // namespace

void Sortdat_sort(BusObjectEntry* table, uint16_t count)
{
    if (table == nullptr)
        return;
    const uint32_t n = count;
    for (uint32_t w = 1; w < n; w *= 2) {
        uint32_t s = 0;
        while (s < n) {
            const uint32_t m = s + w;
            uint32_t e = m + w;
            if (e + w >= n) {
                Sortdat_merge(table, m, e, n);
                e = n;
            }
            if (e > n)
                e = n;
            Sortdat_merge(table, s, m, e);
            s = e;
        }
    }
}
