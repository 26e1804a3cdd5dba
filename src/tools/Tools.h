#pragma once
// The calibration, zeroing, cogging, motor editor and positioning test windows: their factories
// in the shell's window registry, and the tools' entries of the main window.

// Registers the factory of every tool window this layer builds. Called before the main window
// exists.
void Tools_install();
