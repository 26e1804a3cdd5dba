#pragma once
// Rotor pictures: the rotor dial with sweep, arrow, toothed rim and notched hub, the triangle
// marker, the current gauge, and the point rotation that the dials and sensor pictures turn their
// shapes with. Angles in radians, 0 at 12 o'clock, growing clockwise on the screen; points in the
// dial frame (x to the right, y up, relative to the picture's centre: pixel (cx + x, cy - y),
// truncated toward zero). GUI thread; no state; no antialiasing.
#include <cstdint>

#include "controls/Graph_draw.h"

// (x, y) turned by angle a: x' = x cos a + y sin a, y' = -x sin a + y cos a. (0, r) lands at a.
void Graph_rotx_rotate(double x, double y, double* x_out, double* y_out, double angle);

// DialFlags of Graph_rotx_dial.
namespace DialFlag {
constexpr uint8_t Arrow = 1u << 0;
constexpr uint8_t Sweep = 1u << 1;
}  // namespace DialFlag

// Paints the whole dial over the picture: background, sweep (flag bit 1), arrow (bit 0), rim and
// hub turned by the angle, about the picture's centre with radius height / 2. An element whose
// smallest radius would fall below 1 pixel is left out.
void Graph_rotx_dial(ImageBox* image, double angle, uint8_t flags);

// Sector from 12 o'clock clockwise to the angle (modulo a turn) in colour; angle 0.0 draws nothing.
void Graph_rotx_sweep(Canvas& canvas, const DrawRect& rect, int radius, double angle, const QColor& colour);
// Arrow with its base at (x0, y0) pointing length pixels inward, turned by the angle; black outline
// with the pen width the canvas has, filled with fill.
void Graph_rotx_arrow(Canvas& canvas, const DrawRect& rect, int x0, int y0, int length, int width, double angle,
                      const QColor& fill);
// Wheel of sectors / 2 teeth (tip and root radius), the first centred on the angle, and an inner
// circle; the rim between filled with rim, the inside with centre.
void Graph_rotx_toothed_rim(Canvas& canvas, const DrawRect& rect, int tip, int root, int inner, int sectors,
                            double angle, const QColor& rim, const QColor& centre);
// Disc of outer radius with one notch (down to notch radius, one division wide) centred on the
// angle, and an inner circle; the ring filled with ring, the inside with centre.
void Graph_rotx_hub(Canvas& canvas, const DrawRect& rect, int notch, int outer, int inner, int divisions,
                    double angle, const QColor& ring, const QColor& centre);
// Sky-blue triangle, apex (0, r), base (-10, r - 15) to (10, r - 15), turned by the angle.
void Graph_rotx_marker(Canvas& canvas, int cx, int cy, int r, double angle);
// Gauge over the whole picture: value and limit in hundredths, full scale 1.4 x limit, warning
// from 0.9 x limit, caption "value unit" in the format.
void Graph_rotx_gauge(ImageBox* image, double value, double limit, const QString& format, const QString& unit);

// Fills with the brush colour every pixel that is not black, connected to the seed (x, y), on the
// canvas's picture; a seed outside the picture or on black does nothing.
void Graph_rotx_flood_fill(Canvas& canvas, int x, int y);
