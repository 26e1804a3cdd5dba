// The scope chart as the trigger reaches it.
#include "scope/Oscx_chart.h"

#include "scope/Diagramx.h"

ScopeDiagramxChart::ScopeDiagramxChart(std::function<Diagramx*()> chart, std::function<void()> state_changed)
    : chart_(std::move(chart)), state_changed_(std::move(state_changed))
{
}

void ScopeDiagramxChart::Add_sample(const double values[SCOPE_CHANNELS])
{
    chart_()->Add_sample(values, SCOPE_CHANNELS);
}

void ScopeDiagramxChart::Request_redraw()
{
    chart_()->Request_redraw();
}

void ScopeDiagramxChart::Empty_samples()
{
    chart_()->Empty_samples();
}

ScopeChartMarks ScopeDiagramxChart::Marks() const
{
    const Diagramx& c = *chart_();
    return {c.view.record_length, c.trigger_position, c.trigger_level};
}

void ScopeDiagramxChart::Set_marks(const ScopeChartMarks& m)
{
    Diagramx& c = *chart_();
    c.view.record_length = m.record_length;
    c.trigger_position = m.pretrigger_count;
    c.trigger_level = m.level;
}

void ScopeDiagramxChart::State_changed()
{
    if (state_changed_)
        state_changed_();
}
