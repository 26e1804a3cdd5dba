// Modbus state decoder.
#include "drivedata/Mdbcontrol.h"

namespace {

struct StateRow {
    uint16_t bit;
    uint16_t state;
};

// First match wins; no bit: 1.
constexpr uint16_t STATE_MASK = 0x401F;
constexpr StateRow STATE_ROWS[] = {
    {1u << 4, 7}, {1u << 14, 6}, {1u << 2, 4}, {1u << 3, 5}, {1u << 1, 3}, {1u << 0, 2},
};
constexpr uint16_t STATE_NONE = 1;

}  // namespace

uint16_t Mdbcontrol_state(uint16_t status)
{
    const uint16_t m = status & STATE_MASK;
    for (const StateRow& r : STATE_ROWS)
        if (m & r.bit)
            return r.state;
    return STATE_NONE;
}
