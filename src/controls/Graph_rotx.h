#pragma once
// Rotor pictures: the point rotation that the dials and sensor pictures turn their shapes with.
// Angles in radians, 0 at 12 o'clock, growing clockwise on the screen; points in the dial frame
// (x to the right, y up, relative to the picture's centre). GUI thread; no state.

// (x, y) turned by angle a: x' = x cos a + y sin a, y' = -x sin a + y cos a. (0, r) lands at a.
void Graph_rotx_rotate(double x, double y, double* x_out, double* y_out, double angle);
