#include <benchmark/benchmark.h>

#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"

namespace {

// One whole factory record, as built for each of the four bank slots at start and for a defaults send.
void BM_Init_default_image(benchmark::State& state)
{
    DriveRecord record;
    uint8_t size = 0;
    for (auto _ : state) {
        Init_default_image(record, size, static_cast<uint8_t>(size & 1), FAMILY_FLAG_PELSAN);
        benchmark::DoNotOptimize(record.b[0]);
        size = static_cast<uint8_t>((size + 1) % 5);
    }
}
BENCHMARK(BM_Init_default_image);

// Building and checking one drive data file image.
void BM_Drive_file_build_and_check(benchmark::State& state)
{
    DriveRecord record;
    Init_default_image(record, 0, 0, FAMILY_FLAG_PELSAN);
    for (auto _ : state) {
        const DriveFileImage image = DataFile_build_drive(record);
        benchmark::DoNotOptimize(DataFile_check(DataFileKind::Drive, image.data(), image.size()));
    }
}
BENCHMARK(BM_Drive_file_build_and_check);

}  // namespace
