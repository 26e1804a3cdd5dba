#pragma once
// The calibration, zeroing and cogging windows: their factories in the shell's window registry.

// Registers the factory of every tool window this layer builds. Called before the main window
// exists.
void Tools_install();
