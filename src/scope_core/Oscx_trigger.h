#pragma once
// The scope's trigger and the transfer of samples from the ring to the chart: rolling, or records
// around a trigger event (automatic, one shot) with pre-trigger share, level and slope. GUI
// thread only; the chart is reached through ScopeChart so that the rules run on a stand-in.
#include <cstdint>

#include "link/Scope_link.h"

// What the transfer does to the chart (the scope window's Diagramx).
struct ScopeChartMarks {
    uint32_t record_length = 0;     // the chart's kept-sample limit
    uint32_t pretrigger_count = 0;  // samples before the trigger sample
    double level = 0;

    bool operator==(const ScopeChartMarks&) const = default;
};

class ScopeChart {
public:
    virtual ~ScopeChart() = default;
    virtual void Add_sample(const double values[SCOPE_CHANNELS]) = 0;
    // Asks for a redraw: the chart paints at its display rate, showing every sample added so far.
    virtual void Request_redraw() = 0;
    // The samples and the view position only (the view settings stay).
    virtual void Empty_samples() = 0;
    virtual ScopeChartMarks Marks() const = 0;
    virtual void Set_marks(const ScopeChartMarks& marks) = 0;
    // The trigger state changed: the window repaints its status pane.
    virtual void State_changed() {}
};

// Trigger types and flags of ScopeSettings.
namespace ScopeTrigger {
constexpr uint8_t Rolling = 0, Automatic = 1, OneShot = 2;
constexpr uint8_t Armed = 0, Collecting = 1, Complete = 2;
constexpr uint8_t FlagShow = 0x01, FlagLive = 0x02, FlagRising = 0x04;
constexpr uint32_t RecordMin = 10, RecordMax = 40000;
}  // namespace ScopeTrigger

// Selector texts by language: trigger types (0..2) and slopes (0 falling, 1 rising).
const char* Scope_trigger_type_text(uint8_t type, unsigned language);
const char* Scope_trigger_slope_text(uint8_t slope, unsigned language);

// The catalogue the capture converts with: the current one at its start (a viewer may switch the
// shared one while a capture runs behind it).
extern ScopeSignalTableRec ScopeCaptureCatalogue;

// (num x raw) as a double, then / den, with the channel's signal of ScopeCaptureCatalogue (row 0
// for an index beyond it).
double ScopeRawToPhysical(double raw, uint8_t channel);
// The four raw values converted and added to the chart.
void ScopeAddSample(ScopeChart& chart, const ScopeSample& raw);

// Pre-trigger count (trunc of record length x position in double) and level (f32 steps) from
// ScopeSettings into ScopeTriggerState.
void Scope_trigger_recompute();
// Level from the trigger scale and a position 0..1.
float Scope_trigger_level(int32_t scale_max, int32_t scale_min, uint8_t decimals, float position);

void ScopeRollingTransfer(ScopeChart& chart);
void ScopeTriggerTransfer(ScopeChart& chart);
// One tick of Timer_diagramx: the transfer while a capture runs without an overflow, then the
// chart's marks brought up to date.
void ScopeTransferTick(ScopeChart& chart);

// ---- the controls' rules ----
// A capture starts: catalogue kept, ring reset, first search, armed, marks recomputed. The window
// clears its chart and sets the capture flag.
void Scope_capture_arm();
// Trigger type chosen: false when it equals the stored one (nothing changes); else ring reset,
// armed, type stored: the window then clears its chart.
bool Scope_trigger_set_type(uint8_t type);
// "Riabilita Trigger": only for one shot with a state not armed; true when it re-armed.
bool Scope_trigger_rearm();
// "Forza Trigger": drops what waits, collecting at once with forced live display. The window
// clears its chart.
void Scope_trigger_force();

// Slider positions from the mouse: pre-trigger (horizontal, width w) and level (vertical, height h).
float Scope_slider_time_position(int x, int w);
float Scope_slider_level_position(int y, int h);
// Marker x of a pre-trigger position on an image of width w.
int Scope_slider_time_x(float position, int w);
