#pragma once
// What the diagrams use of the main window, handed over by Pages_install; null entries are
// taken as "nothing" (edit state 0).
#include <cstdint>

struct DiagramHostRec {
    uint8_t (*edit_state)() = nullptr;  // EditStateFlags
};
extern DiagramHostRec DiagramHost;

uint8_t Diagram_edit_state();
