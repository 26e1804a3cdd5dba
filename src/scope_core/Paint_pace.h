#pragma once
// Paints at display rate: a redraw asked for waits until a period has passed since the last
// paint, so a chart fed on every 1 ms tick is painted at most once per period while every paint
// still shows the newest state. Times are milliseconds of a free-running 32-bit clock.
#include <cstdint>

class PaintPace {
public:
    explicit PaintPace(uint32_t period_ms) : period_(period_ms) {}

    // A redraw is wanted; it waits until Wait_ms gives 0.
    void Ask() { waiting_ = true; }
    bool Waiting() const { return waiting_; }
    // Milliseconds from `now` until a paint may follow the last one: 0 when none was painted yet
    // or the period has passed.
    uint32_t Wait_ms(uint32_t now) const;
    // A paint was done at `now`, asked for or not: nothing waits any more.
    void Painted(uint32_t now);
    uint32_t Period_ms() const { return period_; }

private:
    uint32_t period_;
    uint32_t last_ = 0;
    bool painted_ = false;
    bool waiting_ = false;
};
