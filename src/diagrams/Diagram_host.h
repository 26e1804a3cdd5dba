#pragma once
// What the diagrams use of the pages and the main window, handed over at start-up: the pages
// give the edit state and their control-set frames (Pages_install), the shell the entry points
// of a page node. Null entries are taken as "nothing".
#include <cstdint>

class QWidget;
struct PageNode;

// The entry points of the page a block opens.
struct DiagramPage {
    void (*create)(uint8_t ctx, QWidget* parent) = nullptr;
    void (*destroy)(uint8_t ctx) = nullptr;
    void (*refresh)(uint8_t ctx) = nullptr;
};

struct DiagramHostRec {
    uint8_t (*edit_state)() = nullptr;                            // EditStateFlags
    QWidget* (*control_frame)(uint16_t bus_type, uint8_t ctx) = nullptr;  // the Control Set frame shown
    DiagramPage (*page_of)(PageNode* node) = nullptr;             // a node's entry points
    // Height and width of the node's page of ctx; false when the page gives none.
    bool (*page_size)(PageNode* node, uint8_t ctx, int32_t* height, int32_t* width) = nullptr;
};
extern DiagramHostRec DiagramHost;

uint8_t Diagram_edit_state();
// The node's entry points; all null without a host or a node.
DiagramPage Diagram_page(PageNode* node);
