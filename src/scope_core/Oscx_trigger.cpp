// The scope's trigger and transfer from the sample ring to the chart.
#include "scope_core/Oscx_trigger.h"

#include <cmath>

#include "scope_core/Dato_user_core.h"

ScopeSignalTableRec ScopeCaptureCatalogue;

namespace {

const char TYPE_TEXT[3][3][15] = {
    {"Continuo", "Automatico", "Singolo"},
    {"Rolling", "Automatic", "One Shot"},
    {"Rolling", "Automatique", "Un Coup"},
};
const char SLOPE_TEXT[3][2][15] = {
    {"Discesa", "Salita"},
    {"Falling", "Rising"},
    {"Descente", "Montée"},
};

constexpr uint32_t RING = SCOPE_RING_SLOTS;

uint32_t read_index() { return ScopeSampleRing.read_index.load(std::memory_order_acquire); }
uint32_t write_index() { return ScopeSampleRing.write_index.load(std::memory_order_acquire); }

// What waits is dropped: the read index moved on to the write index.
void drop_waiting()
{
    Scope_ring_consumed(read_index(), write_index());
}

// The sample in slot i, which precedes slot `end` (the write index was w): false when it is gone,
// because the slots from `end` on hold newer ones up to w or the writer has come round to it since.
bool copy_before(uint32_t i, uint32_t end, uint32_t w, ScopeSample& out)
{
    return Fz_cmp_ring_distance(i, end, RING) > Fz_cmp_ring_distance(w, end, RING) && Scope_ring_copy(i, w, out);
}

bool live_display()
{
    return (ScopeSettings.trigger_flags & ScopeTrigger::FlagLive) != 0;
}

// The trigger channel's physical value of a sample.
double trigger_value(const ScopeSample& s)
{
    const uint8_t ch = ScopeSettings.trigger_channel < SCOPE_CHANNELS ? ScopeSettings.trigger_channel : 0;
    return ScopeRawToPhysical(double(s.ch[ch]), ch);
}

// The n samples that precede slot `end` (the write index was w), oldest first, to the chart; those
// the ring no longer holds are left out.
void replay(ScopeChart& chart, uint32_t end, uint32_t n, uint32_t w)
{
    uint32_t i = Fz_cmp_sub_mod(end, n % RING, RING);
    ScopeSample s;
    for (uint32_t k = 0; k < n; ++k) {
        if (copy_before(i, end, w, s))
            ScopeAddSample(chart, s);
        i = Fz_cmp_add_mod(i, 1, RING);
    }
}

void search(ScopeChart& chart)
{
    ScopeTriggerStateRec& t = ScopeTriggerState;
    const uint32_t from = read_index();
    const uint32_t w = write_index();
    uint32_t r = from;
    if (r == w)
        return;
    t.sample_counter += Fz_cmp_ring_distance(w, r, RING);
    if (t.sample_counter <= t.pretrigger_count) {
        Scope_ring_consumed(from, w);
        return;
    }
    // The first search, or a ring that no longer holds the sample before: compared with itself.
    ScopeSample s;
    const bool own = t.first_search && r == t.reset_index;
    bool has_previous = !own && copy_before(Fz_cmp_sub_mod(r, 1, RING), r, w, s);
    double previous = has_previous ? trigger_value(s) : 0.0;
    t.first_search = 0;
    const bool rising = (ScopeSettings.trigger_flags & ScopeTrigger::FlagRising) != 0;
    const double level = t.level;
    while (r != w && t.state == ScopeTrigger::Armed && Scope_ring_copy(r, w, s)) {
        const double current = trigger_value(s);
        if (!has_previous) {
            previous = current;
            has_previous = true;
        }
        const bool fire = rising ? (level <= current && level >= previous) : (level >= current && level <= previous);
        if (!fire) {
            previous = current;
            r = Fz_cmp_add_mod(r, 1, RING);
            continue;
        }
        t.state = ScopeTrigger::Collecting;
        chart.State_changed();
        if (live_display()) {
            chart.Empty_samples();
            replay(chart, r, t.pretrigger_count, w);
        }
        t.sample_counter = t.pretrigger_count;
    }
    Scope_ring_consumed(from, r);
    if (t.state == ScopeTrigger::Armed)
        t.sample_counter = t.pretrigger_count + 1;
    else if (live_display())
        chart.Request_redraw();
}

void collect(ScopeChart& chart)
{
    ScopeTriggerStateRec& t = ScopeTriggerState;
    const uint32_t record = ScopeSettings.record_length;
    const bool shown = live_display() || t.forced_live;
    const uint32_t from = read_index();
    const uint32_t w = write_index();
    uint32_t r = from;
    ScopeSample s;
    while (r != w && t.sample_counter <= record && Scope_ring_copy(r, w, s)) {
        if (shown)
            ScopeAddSample(chart, s);
        r = Fz_cmp_add_mod(r, 1, RING);
        ++t.sample_counter;
    }
    Scope_ring_consumed(from, r);
    if (shown)
        chart.Request_redraw();
    if (t.sample_counter <= record)
        return;
    t.state = ScopeTrigger::Complete;
    chart.State_changed();
    t.forced_live = 0;
    if (!live_display()) {
        chart.Empty_samples();
        replay(chart, r, record + 1, w);
        chart.Request_redraw();
    }
    if (ScopeSettings.trigger_type == ScopeTrigger::Automatic) {
        t.sample_counter = t.pretrigger_count + 1;
        drop_waiting();
        t.state = ScopeTrigger::Armed;
        chart.State_changed();
    }
}

}  // namespace

const char* Scope_trigger_type_text(uint8_t type, unsigned language)
{
    return TYPE_TEXT[language < 3 ? language : 1][type < 3 ? type : 0];
}

const char* Scope_trigger_slope_text(uint8_t slope, unsigned language)
{
    return SLOPE_TEXT[language < 3 ? language : 1][slope ? 1 : 0];
}

double ScopeRawToPhysical(double raw, uint8_t channel)
{
    const ScopeSignalTableRec& cat = ScopeCaptureCatalogue;
    if (cat.entries == nullptr || cat.count == 0 || channel >= SCOPE_CHANNELS)
        return raw;
    const uint16_t index = ScopeSettings.channel[channel].signal_index;
    const ScopeSignal& s = cat.entries[index < cat.count ? index : 0];
    const double num = double(Scope_signal_num(s));
    const double den = double(Scope_signal_den(s));
    return (num * raw) / den;
}

void ScopeAddSample(ScopeChart& chart, const ScopeSample& raw)
{
    double v[SCOPE_CHANNELS];
    for (unsigned ch = 0; ch < SCOPE_CHANNELS; ++ch)
        v[ch] = ScopeRawToPhysical(double(raw.ch[ch]), static_cast<uint8_t>(ch));
    chart.Add_sample(v);
}

float Scope_trigger_level(int32_t scale_max, int32_t scale_min, uint8_t decimals, float position)
{
    const double scale = Dato_scale(decimals);
    const float mx = static_cast<float>(scale_max / scale);
    const float mn = static_cast<float>(scale_min / scale);
    const float span = mx - mn;
    const float part = span * position;
    return mn + part;
}

void Scope_trigger_recompute()
{
    const ScopeSettingsRec& st = ScopeSettings;
    ScopeTriggerStateRec& t = ScopeTriggerState;
    t.pretrigger_count = static_cast<uint32_t>(std::trunc(double(st.record_length) * double(st.marker[0])));
    t.level = Scope_trigger_level(st.trigger_scale_max, st.trigger_scale_min, st.trigger_decimals, st.marker[1]);
}

void ScopeRollingTransfer(ScopeChart& chart)
{
    ScopeTriggerStateRec& t = ScopeTriggerState;
    t.first_search = 0;
    t.forced_live = 0;
    const uint32_t from = read_index();
    const uint32_t w = write_index();
    uint32_t r = from;
    ScopeSample s;
    while (r != w && Scope_ring_copy(r, w, s)) {
        ScopeAddSample(chart, s);
        r = Fz_cmp_add_mod(r, 1, RING);
    }
    Scope_ring_consumed(from, r);
    if (r != from)
        chart.Request_redraw();
}

void ScopeTriggerTransfer(ScopeChart& chart)
{
    switch (ScopeTriggerState.state) {
    case ScopeTrigger::Armed: search(chart); break;
    case ScopeTrigger::Collecting: collect(chart); break;
    default: break;
    }
}

void ScopeTransferTick(ScopeChart& chart)
{
    if (ScopeCaptureOn.load() && !(ScopeStream.reply_flags.load() & ScopeReply::Overflow)) {
        if (ScopeSettings.trigger_type == ScopeTrigger::Rolling)
            ScopeRollingTransfer(chart);
        else
            ScopeTriggerTransfer(chart);
    }
    const ScopeChartMarks want{ScopeSettings.record_length, ScopeTriggerState.pretrigger_count,
                               double(ScopeTriggerState.level)};
    if (chart.Marks() == want)
        return;
    chart.Set_marks(want);
    chart.Request_redraw();
}

void Scope_capture_arm()
{
    ScopeCaptureCatalogue = ScopeSignalTable;
    Fz_cmp_ring_reset();
    ScopeTriggerStateRec& t = ScopeTriggerState;
    t.first_search = 1;
    t.forced_live = 0;
    t.state = ScopeTrigger::Armed;
    Scope_trigger_recompute();
}

bool Scope_trigger_set_type(uint8_t type)
{
    if (type == ScopeSettings.trigger_type)
        return false;
    Fz_cmp_ring_reset();
    ScopeTriggerState.state = ScopeTrigger::Armed;
    ScopeSettings.trigger_type = type;
    return true;
}

bool Scope_trigger_rearm()
{
    ScopeTriggerStateRec& t = ScopeTriggerState;
    if (ScopeSettings.trigger_type != ScopeTrigger::OneShot || t.state == ScopeTrigger::Armed)
        return false;
    drop_waiting();
    t.sample_counter = 0;
    t.state = ScopeTrigger::Armed;
    return true;
}

void Scope_trigger_force()
{
    Fz_cmp_ring_reset();
    ScopeTriggerState.state = ScopeTrigger::Collecting;
    ScopeTriggerState.forced_live = 1;
}

float Scope_slider_time_position(int x, int w)
{
    if (x <= 8)
        return 0.0f;
    if (x >= w - 10)
        return 1.0f;
    return static_cast<float>(double(x - 8) / double(w - 18));
}

float Scope_slider_level_position(int y, int h)
{
    if (y <= 12)
        return 1.0f;
    if (y >= h - 12)
        return 0.0f;
    return static_cast<float>(double(h - 12 - y) / double(h - 24));
}

int Scope_slider_time_x(float position, int w)
{
    return static_cast<int>(std::lround(double(w - 17) * double(position))) + 8;
}
