// The scale edits of the scope: bindings and the shared channel operations.
#include "scope/Fz_cmp.h"

#include <algorithm>

#include <QLineEdit>

#include "controls/FlowPanel.h"
#include "scope/Diagramx.h"

namespace {

constexpr uint32_t LOOK_GREY = 0x808080;
constexpr uint32_t LOOK_BLACK = 0x000000;

int32_t clamp32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

const ScopeSignal* channel_signal(const ScopeSignalTableRec& cat, const ScopeChannel& ch)
{
    if (cat.entries == nullptr || cat.count == 0)
        return nullptr;
    return &cat.entries[ch.signal_index < cat.count ? ch.signal_index : 0];
}

void set_ranges(const ScopeSettingsRec& st, const ScopeSignalTableRec& cat, FzScaleEdits& e, unsigned ch)
{
    const ScopeChannel& c = st.channel[ch];
    if (const ScopeSignal* s = channel_signal(cat, c))
        Fz_cmp_scale_ranges(e, *s, c.scale_max, c.scale_min, c.decimals);
}

void edit_look(QWidget* w, bool on)
{
    if (w == nullptr)
        return;
    w->setEnabled(on);
    if (auto* memo = qobject_cast<QLineEdit*>(w))
        Dato_set_look(memo, on ? LOOK_BLACK : LOOK_GREY, false);
}

// The binding's key handling; the chart follows only a changed value.
void scale_key(Diagramx* chart, const ScopeSettingsRec& st, Dato_long& b, QLineEdit* memo, unsigned ch,
               const QString& name, char& key)
{
    const int64_t before = b.bound();
    b.Edit_key_press(memo, name, key);
    if (b.bound() != before)
        Fz_cmp_scale_to_chart(chart, st, ch);
}

}  // namespace

OscxScaleBindings& Oscx_scale_bindings()
{
    static OscxScaleBindings b{
        {{&ScopeSettings.channel[0].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[1].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[2].scale_max, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[3].scale_max, INT32_MAX, INT32_MIN, 0}},
        {{&ScopeSettings.channel[0].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[1].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[2].scale_min, INT32_MAX, INT32_MIN, 0},
         {&ScopeSettings.channel[3].scale_min, INT32_MAX, INT32_MIN, 0}},
        {&ScopeSettings.trigger_scale_max, INT32_MAX, INT32_MIN, 0},
        {&ScopeSettings.trigger_scale_min, INT32_MAX, INT32_MIN, 0},
    };
    return b;
}

void Fz_cmp_scale_ranges(FzScaleEdits& e, const ScopeSignal& s, int32_t scale_max, int32_t scale_min, uint8_t decimals)
{
    const uint8_t d = Dato_decimals(decimals);
    e.max->Set_range(s.max, clamp32(int64_t(scale_min) + 1), d);
    e.min->Set_range(clamp32(int64_t(scale_max) - 1), s.min, d);
}

void Fz_cmp_scale_to_chart(Diagramx* chart, const ScopeSettingsRec& st, unsigned ch)
{
    if (chart == nullptr || ch >= SCOPE_CHANNELS)
        return;
    const ScopeChannel& c = st.channel[ch];
    const double scale = Dato_scale(c.decimals);
    chart->view.channels[ch].fixed_maximum = c.scale_max / scale;
    chart->view.channels[ch].fixed_minimum = c.scale_min / scale;
    chart->Rescale();
}

void Fz_cmp_scale_mode(FzScaleEdits& e, bool fixed)
{
    for (QWidget* w : {static_cast<QWidget*>(e.memo_max), static_cast<QWidget*>(e.memo_min),
                       static_cast<QWidget*>(e.updown_max), static_cast<QWidget*>(e.updown_min)})
        edit_look(w, fixed);
}

void Fz_cmp_scale_max_change(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch)
{
    e.max->Edit_change(e.memo_max);
    Fz_cmp_scale_to_chart(chart, st, ch);
}

void Fz_cmp_scale_min_change(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch)
{
    e.min->Edit_change(e.memo_min);
    Fz_cmp_scale_to_chart(chart, st, ch);
}

void Fz_cmp_scale_max_key(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch, const QString& name,
                          char& key)
{
    scale_key(chart, st, *e.max, e.memo_max, ch, name, key);
}

void Fz_cmp_scale_min_key(Diagramx* chart, ScopeSettingsRec& st, FzScaleEdits& e, unsigned ch, const QString& name,
                          char& key)
{
    scale_key(chart, st, *e.min, e.memo_min, ch, name, key);
}

void Fz_cmp_scale_max_enter(ScopeSettingsRec& st, const ScopeSignalTableRec& cat, FzScaleEdits& e, unsigned ch)
{
    set_ranges(st, cat, e, ch);
    e.max->Edit_enter(e.memo_max);
}

void Fz_cmp_scale_min_enter(ScopeSettingsRec& st, const ScopeSignalTableRec& cat, FzScaleEdits& e, unsigned ch)
{
    set_ranges(st, cat, e, ch);
    e.min->Edit_enter(e.memo_min);
}

void Fz_cmp_scale_max_exit(Diagramx* chart, ScopeSettingsRec& st, const ScopeSignalTableRec& cat, FzScaleEdits& e,
                           unsigned ch)
{
    set_ranges(st, cat, e, ch);
    e.max->Edit_exit(e.memo_max);
    Fz_cmp_scale_to_chart(chart, st, ch);
}

void Fz_cmp_scale_min_exit(Diagramx* chart, ScopeSettingsRec& st, const ScopeSignalTableRec& cat, FzScaleEdits& e,
                           unsigned ch)
{
    set_ranges(st, cat, e, ch);
    e.min->Edit_exit(e.memo_min);
    Fz_cmp_scale_to_chart(chart, st, ch);
}

void Fz_cmp_route_scale_edits(unsigned c, std::function<FzScaleEdits()> edits, std::function<Diagramx*()> chart,
                              ScopeSettingsRec& st, std::function<QString()> name)
{
    for (const bool is_max : {true, false}) {
        const FzScaleEdits first = edits();
        DatoHandlers h;
        h.change = [=, &st] {
            FzScaleEdits e = edits();
            (is_max ? Fz_cmp_scale_max_change : Fz_cmp_scale_min_change)(chart(), st, e, c);
        };
        h.enter = [=, &st] {
            FzScaleEdits e = edits();
            (is_max ? Fz_cmp_scale_max_enter : Fz_cmp_scale_min_enter)(st, ScopeSignalTable, e, c);
        };
        h.exit = [=, &st] {
            FzScaleEdits e = edits();
            (is_max ? Fz_cmp_scale_max_exit : Fz_cmp_scale_min_exit)(chart(), st, ScopeSignalTable, e, c);
        };
        h.key = [=, &st](char& key) {
            FzScaleEdits e = edits();
            (is_max ? Fz_cmp_scale_max_key : Fz_cmp_scale_min_key)(chart(), st, e, c, name(), key);
        };
        h.updown = [=, &st](int direction) {
            FzScaleEdits e = edits();
            bool allow = true;
            Dato_long* b = is_max ? e.max : e.min;
            b->Updown_changing(is_max ? e.memo_max : e.memo_min, direction, allow);
            Fz_cmp_scale_to_chart(chart(), st, c);
        };
        Dato_route(is_max ? first.memo_max : first.memo_min, is_max ? first.updown_max : first.updown_min, std::move(h));
    }
}
