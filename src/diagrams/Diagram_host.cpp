#include "diagrams/Diagram_host.h"

DiagramHostRec DiagramHost;

uint8_t Diagram_edit_state() { return DiagramHost.edit_state != nullptr ? DiagramHost.edit_state() : 0; }
