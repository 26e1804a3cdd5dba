// Point rotation of the rotor pictures: (0, r) lands at the angle, clockwise from 12 o'clock.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "controls/Graph_rotx.h"

namespace {

TEST(GraphRotx, TurnsClockwiseFromTwelveOClock)
{
    constexpr double q = std::numbers::pi / 2;
    struct Row {
        double x, y, angle, want_x, want_y;
    };
    const Row rows[] = {
        {0, 10, 0, 0, 10},        {0, 10, q, 10, 0},      {0, 10, 2 * q, 0, -10}, {0, 10, -q, -10, 0},
        {3, 4, 4 * q, 3, 4},      {10, 0, q, 0, -10},     {-10, -15, q, -15, 10},
    };
    for (const Row& r : rows) {
        double x = 99;
        double y = 99;
        Graph_rotx_rotate(r.x, r.y, &x, &y, r.angle);
        EXPECT_NEAR(x, r.want_x, 1e-9) << r.x << "," << r.y << " by " << r.angle;
        EXPECT_NEAR(y, r.want_y, 1e-9) << r.x << "," << r.y << " by " << r.angle;
    }
}

}  // namespace
