#include <benchmark/benchmark.h>

#include <cstddef>

#include "drivedata/Init.h"
#include "drivedata/Record.h"

static void BM_Init_swap_image(benchmark::State& state)
{
    DriveRecord r;
    for (std::size_t i = 0; i < DRIVE_RECORD_SIZE; ++i)
        r.b[i] = static_cast<uint8_t>(i * 7 + 3);
    for (auto _ : state) {
        Init_swap_image(r.b);
        benchmark::DoNotOptimize(r.b);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(DRIVE_RECORD_SIZE));
}
BENCHMARK(BM_Init_swap_image);

static void BM_Init_motor_swap(benchmark::State& state)
{
    MotorRecord m{};
    for (auto _ : state) {
        Init_motor_swap(m.b);
        benchmark::DoNotOptimize(m.b);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Init_motor_swap);
