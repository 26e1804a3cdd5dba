// Display-rate pacing of chart paints.
#include <gtest/gtest.h>

#include "scope_core/Paint_pace.h"

namespace {

TEST(ScopePaintPace, AWaitingRedrawIsDueAPeriodAfterTheLastPaint)
{
    struct Case {
        const char* name;
        bool painted_before;
        uint32_t last, now;
        uint32_t wait;
    } cases[] = {
        {"nothing painted yet", false, 0, 5, 0},
        {"just painted", true, 100, 100, 40},
        {"within the period", true, 100, 125, 15},
        {"one short of it", true, 100, 139, 1},
        {"the period passed", true, 100, 140, 0},
        {"long after", true, 100, 5000, 0},
        {"across the clock's wrap", true, 0xFFFFFFF0u, 0x00000008u, 16},
    };
    for (const Case& c : cases) {
        PaintPace pace(40);
        if (c.painted_before)
            pace.Painted(c.last);
        EXPECT_EQ(pace.Wait_ms(c.now), c.wait) << c.name;
    }
}

TEST(ScopePaintPace, APaintEndsTheWait)
{
    PaintPace pace(40);
    EXPECT_FALSE(pace.Waiting());
    pace.Ask();
    pace.Ask();
    EXPECT_TRUE(pace.Waiting());
    pace.Painted(7);
    EXPECT_FALSE(pace.Waiting());
    EXPECT_EQ(pace.Wait_ms(7), 40u);
}

}  // namespace
