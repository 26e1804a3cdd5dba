#pragma once
// The scale edits of the scope's channels and trigger: the ten value bindings on ScopeSettings and
// the operations the scope window and the recording viewer share for a channel's fixed-scale
// maximum and minimum edits. GUI thread only.
#include <cstdint>
#include <functional>

#include <QString>

#include "link/Scope_link.h"
#include "scope/Dato_user.h"

class Diagramx;
class QLineEdit;
class UpDownButton;

// The ten bindings, made once: maximum and minimum of each channel's fixed scale, then of the
// trigger scale; whole 32-bit range, 0 decimals until an edit sets its range.
struct OscxScaleBindings {
    Dato_long max[SCOPE_CHANNELS];
    Dato_long min[SCOPE_CHANNELS];
    Dato_long trigger_max;
    Dato_long trigger_min;
};
OscxScaleBindings& Oscx_scale_bindings();

// The pair of edits of one scale with their bindings.
struct FzScaleEdits {
    Dato_long* max;
    Dato_long* min;
    QLineEdit* memo_max;
    QLineEdit* memo_min;
    UpDownButton* updown_max;
    UpDownButton* updown_min;
};

// Ranges before an edit: maximum from scale minimum + 1 to the signal's maximum, minimum from the
// signal's minimum to scale maximum - 1 (64-bit, clamped to 32 bits), both with the signal's
// decimals.
void Fz_cmp_scale_ranges(FzScaleEdits& e, const ScopeSignal& signal, int32_t scale_max, int32_t scale_min,
                         uint8_t decimals);

// The channel operations; the chart may be null. `catalogue` holds the channels' signals.
void Fz_cmp_scale_mode(FzScaleEdits& e, bool fixed);
void Fz_cmp_scale_max_change(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch);
void Fz_cmp_scale_min_change(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch);
void Fz_cmp_scale_max_key(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch, const QString& name,
                          char& key);
void Fz_cmp_scale_min_key(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch, const QString& name,
                          char& key);
void Fz_cmp_scale_max_enter(ScopeSettingsRec& st, const ScopeSignalTableRec& catalogue, FzScaleEdits& e, unsigned ch);
void Fz_cmp_scale_min_enter(ScopeSettingsRec& st, const ScopeSignalTableRec& catalogue, FzScaleEdits& e, unsigned ch);
void Fz_cmp_scale_max_exit(Diagramx* chart, ScopeSettingsRec& st, const ScopeSignalTableRec& catalogue,
                           FzScaleEdits& e, unsigned ch);
void Fz_cmp_scale_min_exit(Diagramx* chart, ScopeSettingsRec& st, const ScopeSignalTableRec& catalogue,
                           FzScaleEdits& e, unsigned ch);

// The chart's fixed limits of channel ch from the stored scale, then Rescale.
void Fz_cmp_scale_to_chart(Diagramx* chart, const ScopeSettingsRec& st, unsigned ch);

// Routes the memo and up-down events of channel ch's scale edits to the operations above, on the
// settings, the chart and the current catalogue (ScopeSignalTable); `name` names the edit in
// messages. Shared by the scope window and the recording viewer.
void Fz_cmp_route_scale_edits(unsigned ch, std::function<FzScaleEdits()> edits, std::function<Diagramx*()> chart,
                              ScopeSettingsRec& st, std::function<QString()> name);
