#pragma once
// Millisecond clock of the link: a free-running 32-bit count of CLOCK_MONOTONIC.
// The count wraps after about 49.7 days; differences taken as unsigned 32-bit values stay right
// across the wrap as long as the interval measured is shorter than that.
#include <cstdint>

// Milliseconds of CLOCK_MONOTONIC, truncated to 32 bits.
uint32_t Tick_ms();

// Microseconds of CLOCK_MONOTONIC (does not wrap).
uint64_t Tick_us();

// Milliseconds from `earlier` to `later`, correct across the 32-bit wrap.
inline uint32_t Tick_diff(uint32_t later, uint32_t earlier)
{
    return later - earlier;
}

// Milliseconds elapsed since `start` (a value of Tick_ms()).
uint32_t Tick_since(uint32_t start);

// Sleeps the calling thread for at least `ms` milliseconds.
void Sleep_ms(uint32_t ms);
