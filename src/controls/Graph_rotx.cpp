#include "controls/Graph_rotx.h"

#include <cmath>

void Graph_rotx_rotate(double x, double y, double* x_out, double* y_out, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    if (x_out != nullptr)
        *x_out = x * c + y * s;
    if (y_out != nullptr)
        *y_out = -x * s + y * c;
}
