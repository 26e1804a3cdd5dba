#pragma once
// The scope chart (Diagramx) as the trigger and transfer reach it.
#include <functional>

#include "scope_core/Oscx_trigger.h"

class Diagramx;

class ScopeDiagramxChart : public ScopeChart {
public:
    // `chart` gives the chart in use; `state_changed` repaints the owner's status pane.
    ScopeDiagramxChart(std::function<Diagramx*()> chart, std::function<void()> state_changed = {});
    void Add_sample(const double values[SCOPE_CHANNELS]) override;
    void Request_redraw() override;
    void Empty_samples() override;
    ScopeChartMarks Marks() const override;
    void Set_marks(const ScopeChartMarks& marks) override;
    void State_changed() override;

private:
    std::function<Diagramx*()> chart_;
    std::function<void()> state_changed_;
};
