// Oscilloscope data shared with the drive link and the main window, and the oscilloscope entries.
#include "link/Scope_link.h"

ScopeSignalTableRec ScopeSignalTable;
ScopeSignalTableRec ScopeFamilyCatalogue[2];
ScopeSettingsRec ScopeSettings{};
SignalGeneratorRec SignalGenerator;
std::atomic<uint8_t> ScopeCaptureOn{0};
std::atomic<uint8_t> OscxPidOpen{0};
ScopeEntriesRec ScopeEntries;

const ScopeSignal* Scope_signal_at(uint16_t index)
{
    const ScopeSignalTableRec& t = ScopeSignalTable;
    return t.entries != nullptr && index < t.count ? &t.entries[index] : nullptr;
}

void Oscx_apply_channels()
{
    if (ScopeEntries.apply_channels != nullptr)
        ScopeEntries.apply_channels();
}

void Oscx_draw_cmp_status(uint8_t active)
{
    if (ScopeEntries.draw_cmp_status != nullptr)
        ScopeEntries.draw_cmp_status(active);
}
