// Scales of the scope signals that follow the connected motor, the channel settings the dialog
// edits and their commit.
#include <cstring>
#include <numeric>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "scope_core/Oscx_signals_core.h"

const uint16_t ScopeSamplePeriods[SCOPE_SAMPLE_PERIOD_COUNT] = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 20, 50, 80, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, 1100, 1200, 1300, 1400, 1500,
};

ScopeSettingsRec ScopeSettingsEdit{};

namespace {

constexpr std::size_t MOTOR_POLE_PITCH = RecOfs::Motor + 4;
constexpr uint16_t MOTOR_LINEAR = 1;

struct MotorRow {
    uint16_t row;  // sorted position
    uint32_t rotary_num, rotary_den, rotary_decimals;
    uint32_t pitch_factor;  // linear num = pole pitch x factor; 0: linear num below
    uint32_t linear_num, linear_den, linear_decimals;
};
const MotorRow MOTOR_ROWS[] = {
    {1, 1, 1, 0, 0, 1, 10, 1},                 // speed reference
    {2, 600000, 65536, 0, 100, 0, 655360, 1},  // measured speed
    {6, 1, 1, 0, 1, 0, 65536000, 2},           // position reference
    {7, 1, 1, 0, 1, 0, 65536000, 2},           // measured position
    {8, 1, 1, 0, 0, 1, 1, 0},                  // cam module
    {9, 1, 1, 0, 1, 0, 65536000, 2},           // position error
};

// num / den with num = pitch x factor computed in 64 bits: a numerator beyond 32 bits (a corrupt
// image) gives the same ratio reduced, never a wrapped product.
void set_pitch_ratio(ScopeSignal& s, uint64_t num, uint64_t den)
{
    if (num > UINT32_MAX) {
        const uint64_t g = std::gcd(num, den);
        num /= g;
        den /= g;
    }
    while (num > UINT32_MAX) {
        num >>= 1;
        den = den > 1 ? den >> 1 : 1;
    }
    Scope_signal_set_ratio(s, static_cast<uint32_t>(num), static_cast<uint32_t>(den));
}

// Signal 0 of the current catalogue (of the stored first catalogue before any is current).
const ScopeSignal& signal_zero()
{
    return ScopeSignalTable.entries != nullptr && ScopeSignalTable.count > 0 ? ScopeSignalTable.entries[0]
                                                                             : ScopeCatalogueOrvel[0];
}

}  // namespace

bool Oscx_motor_linear()
{
    return Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::MotorType) == MOTOR_LINEAR;
}

void Oscx_set_motor_scales(ScopeSignal* catalogue, uint16_t count)
{
    const bool linear = Oscx_motor_linear();
    const uint32_t pitch = Rec_get<uint32_t>(DriveRecordBank[0], MOTOR_POLE_PITCH);
    for (const MotorRow& m : MOTOR_ROWS) {
        if (m.row >= count)
            continue;
        ScopeSignal& s = catalogue[m.row];
        if (!linear) {
            Scope_signal_set_ratio(s, m.rotary_num, m.rotary_den);
            s.decimals = m.rotary_decimals;
            continue;
        }
        if (m.pitch_factor != 0)
            set_pitch_ratio(s, uint64_t{pitch} * m.pitch_factor, m.linear_den);
        else
            Scope_signal_set_ratio(s, m.linear_num, m.linear_den);
        s.decimals = m.linear_decimals;
    }
}

void Oscx_set_apply_scales()
{
    Oscx_set_motor_scales(ScopeCatalogueOrvel, ScopeCatalogueOrvelCount);
    Oscx_set_motor_scales(ScopeCataloguePelsan, ScopeCataloguePelsanCount);
    ScopeSettingsRec& st = ScopeSettings;
    if (st.trigger_channel < SCOPE_CHANNELS) {
        if (const ScopeSignal* t = Scope_signal_at(st.channel[st.trigger_channel].signal_index)) {
            st.trigger_scale_max = t->default_max;
            st.trigger_scale_min = t->default_min;
            st.trigger_decimals = static_cast<uint8_t>(t->decimals);
        }
    }
    for (ScopeChannel& ch : st.channel) {
        if (const ScopeSignal* s = Scope_signal_at(ch.signal_index))
            ch.decimals = static_cast<uint8_t>(s->decimals);
    }
}

const char* Oscx_signal_name(const ScopeSignal& s)
{
    return s.names[Lang_index()];
}

const char* Oscx_signal_group(const ScopeSignal& s)
{
    return s.group_names[Lang_index()];
}

const char* Oscx_signal_unit(const ScopeSignal& s)
{
    return Oscx_motor_linear() ? s.linear_unit : s.unit;
}

const ScopeSignal& Oscx_channel_signal(const ScopeChannel& ch)
{
    const ScopeSignal* s = Scope_signal_at(ch.signal_index);
    return s != nullptr ? *s : signal_zero();
}

void Oscx_set_take_signal(ScopeSettingsRec& settings, unsigned k, uint16_t s)
{
    const ScopeSignal* sig = Scope_signal_at(s);
    if (sig == nullptr || k >= SCOPE_CHANNELS)
        return;
    ScopeChannel& ch = settings.channel[k];
    ch.signal_index = s;
    ch.signal_code = sig->code;
    ch.scale_max = sig->default_max;
    ch.scale_min = sig->default_min;
    ch.decimals = static_cast<uint8_t>(sig->decimals);
}

bool Oscx_set_commit_edit()
{
    ScopeSettingsRec& edit = ScopeSettingsEdit;
    if (std::memcmp(&edit, &ScopeSettings, sizeof edit) == 0)
        return false;
    for (unsigned k = 0; k < SCOPE_CHANNELS; ++k) {
        ScopeChannel& e = edit.channel[k];
        const ScopeChannel& old = ScopeSettings.channel[k];
        if (e.signal_index == old.signal_index) {
            e.scale_max = old.scale_max;
            e.scale_min = old.scale_min;
            e.decimals = old.decimals;
        }
    }
    ScopeSettings = edit;
    return true;
}
