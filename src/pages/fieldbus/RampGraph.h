#pragma once
// The ramp sketch of the Ramps page: one move's speed over time, a trapezoid for linear ramps or a
// seven-phase S-curve, the quantity that changed last drawn thick. RampGraph_curve is the pure
// list of points that RampGraph_draw paints; RampGraph_track decides when a context redraws.
#include <cstdint>
#include <vector>

class ImageBox;
class QPainter;

struct RampGraphState {
    uint32_t acc_cw = 0, dec_cw = 0, acc_ccw = 0, dec_ccw = 0, jerk = 0;  // last seen
    uint8_t highlight = 0;  // 0 none, 1 acceleration, 2 deceleration, 3 jerk
    uint32_t shown_acc = 0, shown_dec = 0;  // the pair drawn
    uint8_t direction = 1;  // 1 CW (upward), 2 CCW (downward)
};
// One per page context, for the run.
extern RampGraphState RampGraphStates[2];

// Style of the segment that ends at a point.
enum class RampStyle : uint8_t { Start, AccelSolid, AccelDotted, Cruise, DecelSolid, DecelDotted, Jerk };
struct RampPoint {
    double t;
    double v;
    int x;
    int y;
    RampStyle style;
};

// Values drawn: acceleration and deceleration at least 1; the jerk 0 as 2 and at most 2147483647.
double RampGraph_rate(double value);
double RampGraph_jerk(double value);

// Points of the curve in an image of w x h pixels, from (18, y origin) on. A point whose
// coordinates are not finite or not representable is left out.
std::vector<RampPoint> RampGraph_curve(int w, int h, double acc, double dec, double jerk, uint8_t direction, bool s_shape);

// Grid and arrowed axes.
void RampGraph_axes(QPainter& p, int w, int h, uint8_t direction);
// Background, axes and curve on image (its own size); highlight as in RampGraphState.
void RampGraph_draw(ImageBox* image, double acc, double dec, double jerk, uint8_t highlight, uint8_t direction,
                    bool s_shape);

// The record's ramp values against the state; the first rule that holds wins: a CW value changed
// (direction 1, CW pair, highlight 2 when only the deceleration changed, else 1), a CCW value
// (direction 2), the jerk (highlight 3). True when the state changed and the graph is to be drawn.
struct RampValues {
    uint32_t acc_cw, dec_cw, acc_ccw, dec_ccw, jerk;
};
bool RampGraph_track(RampGraphState& state, const RampValues& values);
