#include "diagrams/Diagram_host.h"

DiagramHostRec DiagramHost;

uint8_t Diagram_edit_state() { return DiagramHost.edit_state != nullptr ? DiagramHost.edit_state() : 0; }

DiagramPage Diagram_page(PageNode* node)
{
    return node != nullptr && DiagramHost.page_of != nullptr ? DiagramHost.page_of(node) : DiagramPage{};
}
