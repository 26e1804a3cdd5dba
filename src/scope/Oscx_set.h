#pragma once
// Oscilloscope set-up services the main window calls.

// Recomputes the motor-dependent scales of the signal catalogues and of the scope settings; the
// main window calls it once after each whole-image read. The oscilloscope fills it.
void Oscx_set_apply_scales();
