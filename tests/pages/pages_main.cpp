// The page tests run under the GUI tests' entry.
#include "gui/gui_main.cpp"
