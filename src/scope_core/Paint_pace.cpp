// Display-rate pacing of chart paints.
#include "scope_core/Paint_pace.h"

uint32_t PaintPace::Wait_ms(uint32_t now) const
{
    const uint32_t since = now - last_;
    return !painted_ || since >= period_ ? 0 : period_ - since;
}

void PaintPace::Painted(uint32_t now)
{
    last_ = now;
    painted_ = true;
    waiting_ = false;
}
