#pragma once
// Light chart: the chart engine without overview strip, bottom panel, scroll bar and scroll timer,
// with a sample period of 1 (the time axis counts samples), the first two colours swapped, the
// title and time-axis-name bands switched by two flags (both 0 until the user sets them), and
// samples that can be overwritten in place.
#include "scope/Diagramx.h"

class DiagramxLt : public Diagramx {
public:
    DiagramxLt(QWidget* parent, uint8_t channel_count, uint32_t capacity);

    // Overwrites ring row `index` when it is below the number of samples held; a wrong count is
    // refused with the engine's message. Nothing is painted.
    void Set_sample_at(const double* values, uint8_t count, uint32_t index);

    // Not part of the light chart: the shown flags are written directly, the automatic flag is
    // set by the user before Redraw, and there is nothing to scroll.
    void Set_channel_show(uint8_t, uint8_t) = delete;
    void Rescale() = delete;
    void Scroll_update() = delete;
    void Scroll_apply(uint32_t, uint32_t) = delete;
    void Scroll_tick() = delete;
    void Scroll_event() = delete;
    void Overview_draw() = delete;
};
