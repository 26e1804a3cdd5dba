#pragma once
// Unit-factor model on the page contexts: the application record of a context (the settings'
// records once the shell installed them) with the drive record of the same slot, the overflow
// messages of the computation, and the unit combo of the factor pages. GUI thread only.
#include <cstdint>

#include "factors_core/Factor_tool_core.h"

class QComboBox;

// What the unit-factor tool uses of the shell.
struct FactorHostRec {
    FactorApplicationRec* records = nullptr;              // page contexts 0 and 1 (SettingsBlock.factor)
    uint8_t (*wait_queue)(uint16_t threshold) = nullptr;  // Formdattxrx_wait_queue
};
// Installs the host; without records the tool keeps two records of its own.
void Factor_tool_install(const FactorHostRec& host);
const FactorHostRec& Factor_tool_host();
// The application record of page context ctx (0 or 1; any other value gives context 0's).
FactorApplicationRec& Factor_tool_record(uint8_t ctx);

// The model's steps for the records of ctx (application record, DriveRecordBank slot ctx).
bool Factor_tool_application_pair(double* num, double* den, uint8_t ctx, uint16_t quantity);
bool Factor_tool_linear_motor_pair(const FactorApplicationRec& rec, uint8_t unit, double* num, double* den,
                                   uint8_t ctx);
// One quantity of ctx, reduced; 1 on success.
uint8_t Factor_tool_position_factor(double* num, double* den, uint8_t ctx);
uint8_t Factor_tool_velocity_factor(double* num, double* den, uint8_t ctx);
uint8_t Factor_tool_acceleration_factor(double* num, double* den, uint8_t ctx);
// "Overflow calculation <quantity> factors!" (warning, title "Attention", in LanguageIndex).
void Factor_tool_overflow_message(uint16_t quantity);
// The three quantities of PageContext into Factor_tool_results, in order; the first that fails
// shows its overflow message and ends the computation (result 0). 1 when all three succeed.
uint8_t Factor_tool_compute_all();

// Position units of the application: 8 rotary names for a rotary type, else the 6 linear ones;
// the item of Factor_tool_unit_index selected (none outside the list). Signals blocked.
void Factor_tool_fill_unit_combo(QComboBox* combo, const FactorApplicationRec& rec);
