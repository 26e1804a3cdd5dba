#pragma once
// The scope's signal catalogues of both drive families, their start-up order, the motor-dependent
// scales, the sampling periods and the settings copy the channel dialog edits. No Qt.
#include <cstdint>

#include "link/Scope_link.h"

constexpr uint16_t SCOPE_CATALOGUE_ROWS = 108;

// Catalogues of the first (ORVEL) and the second (PELSAN) family, with their counts.
extern ScopeSignal ScopeCatalogueOrvel[SCOPE_CATALOGUE_ROWS];
extern uint16_t ScopeCatalogueOrvelCount;
extern ScopeSignal ScopeCataloguePelsan[SCOPE_CATALOGUE_ROWS];
extern uint16_t ScopeCataloguePelsanCount;
// Both catalogues as stored (unsorted, 108 rows, stored scales).
void Oscx_signals_restore();

// Rows of groups 0, 1, 2, 3 in that order, each group in stored order; rows of other groups are
// dropped and the count follows.
void Oscx_set_sort_signals(ScopeSignal* catalogue, uint16_t* count);
// Rewrites the rows of a sorted catalogue that depend on the connected motor (DriveRecordBank
// slot 0): speed, position and position-error scales.
void Oscx_set_motor_scales(ScopeSignal* catalogue, uint16_t count);
// Both catalogues' motor rows, then the trigger scale and every channel's decimals in
// ScopeSettings from the signals chosen in the current catalogue.
void Oscx_set_apply_scales();
// True when the connected drive's motor is linear.
bool Oscx_motor_linear();

// Texts of a signal in the current language; the unit follows the connected motor.
const char* Oscx_signal_name(const ScopeSignal& s);
const char* Oscx_signal_group(const ScopeSignal& s);
const char* Oscx_signal_unit(const ScopeSignal& s);
// The channel's signal, signal 0 when its index is beyond the current catalogue.
const ScopeSignal& Oscx_channel_signal(const ScopeChannel& ch);

// Sampling periods in ms; the settings store period - 1.
constexpr unsigned SCOPE_SAMPLE_PERIOD_COUNT = 28;
extern const uint16_t ScopeSamplePeriods[SCOPE_SAMPLE_PERIOD_COUNT];

// The copy of ScopeSettings the channel dialog edits.
extern ScopeSettingsRec ScopeSettingsEdit;
// Channel k of ScopeSettingsEdit takes signal s of the current catalogue: index, code, default
// scale and decimals.
void Oscx_set_take_signal(ScopeSettingsRec& settings, unsigned k, uint16_t s);
// After OK: when ScopeSettingsEdit differs from ScopeSettings, channels whose signal did not change
// keep their scale and decimals and the copy becomes ScopeSettings; true when something changed.
bool Oscx_set_commit_edit();
