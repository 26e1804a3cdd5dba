#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "drivedata/Busx.h"
#include "drivedata/Record.h"
#include "drivedata/Sortdat.h"

namespace {

void sort_tables_once()
{
    static const bool done = [] {
        Sortdat_sort(PrtDat, PRT_DAT_COUNT);
        Sortdat_sort(MdbDat, MDB_DAT_COUNT);
        Sortdat_sort(CanDat, CAN_DAT_COUNT);
        return true;
    }();
    (void)done;
}

// Looks up every variable of the CANopen dictionary in turn.
void BM_BusxFindCanopen(benchmark::State& state)
{
    sort_tables_once();
    std::vector<Loc> keys;
    for (uint16_t i = 0; i < CAN_DAT_COUNT; ++i)
        keys.push_back(CanDat[i].var);
    std::size_t k = 0;
    for (auto _ : state) {
        BusLookup r = Busx_find(2, keys[k]);
        benchmark::DoNotOptimize(r);
        k = (k + 1) % keys.size();
    }
}
BENCHMARK(BM_BusxFindCanopen);

// A page's poll list of 15 Modbus items.
void BM_BusxFillPollList15(benchmark::State& state)
{
    sort_tables_once();
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    std::vector<PollItem> items;
    for (uint16_t i = 0; items.size() < 15; i += 19)
        items.push_back({0, 0, MdbDat[i].var, Loc_readback(MdbDat[i].var), 0});
    for (auto _ : state) {
        Busx_fill_poll_list(items.data(), static_cast<uint16_t>(items.size()));
        benchmark::DoNotOptimize(items.data());
    }
}
BENCHMARK(BM_BusxFillPollList15);

// Sorting the three dictionaries from their typed (key) order, as at start-up.
void BM_SortdatThreeTables(benchmark::State& state)
{
    auto key_order = [](const BusObjectEntry* t, uint16_t n) {
        std::vector<BusObjectEntry> v(t, t + n);
        std::stable_sort(v.begin(), v.end(), [](const BusObjectEntry& a, const BusObjectEntry& b) {
            return a.index != b.index ? a.index < b.index : a.subindex < b.subindex;
        });
        return v;
    };
    const std::vector<BusObjectEntry> typed[3] = {key_order(PrtDat, PRT_DAT_COUNT), key_order(MdbDat, MDB_DAT_COUNT),
                                                  key_order(CanDat, CAN_DAT_COUNT)};
    std::vector<BusObjectEntry> work[3];
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 3; ++i)
            work[i] = typed[i];
        state.ResumeTiming();
        for (auto& w : work)
            Sortdat_sort(w.data(), static_cast<uint16_t>(w.size()));
        benchmark::DoNotOptimize(work[2].data());
    }
}
BENCHMARK(BM_SortdatThreeTables);

}  // namespace
