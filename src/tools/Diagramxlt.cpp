#include "tools/Diagramxlt.h"

#include <algorithm>

namespace {

ChartOptions light_options()
{
    ChartOptions o;
    o.strip_and_scroll = false;
    o.sample_period = 1.0;
    o.swap_first_colours = true;
    o.bands = 0;
    return o;
}

}  // namespace

DiagramxLt::DiagramxLt(QWidget* parent_widget, uint8_t count, uint32_t cap)
    : Diagramx(parent_widget, count, cap, light_options())
{
    if (plot_image)
        plot_image->show();  // a child made on a shown window stays hidden until shown
}

void DiagramxLt::Set_sample_at(const double* values, uint8_t count, uint32_t index)
{
    if (!Usable())
        return;
    if (!Sample_ok(values, count))
        return;
    if (index >= Sample_count())
        return;
    std::copy(values, values + count, Row(index));
    Rows_rewritten();
}
