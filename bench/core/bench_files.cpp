// Drive data files: building an image, checking one and converting a version-2 payload.
#include <benchmark/benchmark.h>

#include <cstring>

#include "drivedata/Load_data_drive_convert.h"
#include "drivedata/Versoftw.h"

namespace {

DriveRecord pattern()
{
    DriveRecord r;
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        r.b[i] = static_cast<uint8_t>(i * 7 + 1);
    return r;
}

void BM_DriveFileBuild(benchmark::State& state)
{
    const DriveRecord r = pattern();
    for (auto _ : state)
        benchmark::DoNotOptimize(DataFile_build_drive(r));
}
BENCHMARK(BM_DriveFileBuild);

void BM_DriveFileCheckAndCopy(benchmark::State& state)
{
    const DriveFileImage image = DataFile_build_drive(pattern());
    DriveRecord dest;
    for (auto _ : state) {
        const DataFileCheck c = DataFile_check(DataFileKind::Drive, image.data(), image.size());
        std::memcpy(dest.b, image.data() + DATA_FILE_HEADER_SIZE, DRIVE_RECORD_SIZE);
        benchmark::DoNotOptimize(c);
        benchmark::DoNotOptimize(dest);
    }
}
BENCHMARK(BM_DriveFileCheckAndCopy);

void BM_DriveFileConvertVersion2(benchmark::State& state)
{
    const DriveRecord old = pattern();
    DriveRecord dest;
    for (auto _ : state) {
        ConvertDriveData(DRIVE_DATA_CONVERTIBLE_MAJOR, &dest, old.b);
        benchmark::DoNotOptimize(dest);
    }
}
BENCHMARK(BM_DriveFileConvertVersion2);

}  // namespace
