#pragma once
// The diagram host behind a Control Set page's image: picks the diagram of the control type,
// draws it centred in the scroll box, frames the block under the pointer, lets the user pick a
// selector step and opens a block's page in the popup. The context is always PageContext.
//
// Positions are shared by both contexts and all diagrams: every hit test and every frame or
// selector redraw places the context's last diagram again first.
#include <QPoint>

#include "diagrams/Blocks_dat.h"

class ImageBox;
class QScrollArea;

struct DiagramTableEntry {
    BlockRec** blocks;
    BlockDrawFn draw;
    uint16_t count;
};
// By control type: speed, torque, gear box, position; then an all-zero row.
extern const DiagramTableEntry Blockgraph_diagram_table[5];

extern BlockRec* Blockgraph_current[2];  // the block under the pointer, per context
extern QPoint Blockgraph_origin[2];      // where each context's diagram was last painted
extern QPoint Blockgraph_pointer;        // the last pointer position over the diagram (context 0)

// The record's control type as a table row: I/O (bus type 0) offset 118, Modbus offset 466
// (Mdb_control_type_index); 4 or more, and any other bus type, give 0.
uint16_t Blockgraph_control_row(const DriveRecord& rec);

void Blockgraph_draw(ImageBox* image, QScrollArea* scroll, const DiagramTableEntry& entry, uint16_t control_type,
                     uint16_t ctx);
void Blockgraph_mouse_move(ImageBox* image, const DiagramTableEntry& entry, int x, int y);
void Blockgraph_click(ImageBox* image, QScrollArea* scroll, const DiagramTableEntry& entry, uint16_t control_type);
// Opens the current block's page in the popup, from a queued call once the caller has returned.
void Blockgraph_dbl_click(ImageBox* image);
// Context 0: the current selector's step under the pointer again (on) or none (off).
void Blockgraph_scale_hover(ImageBox* image, uint8_t on);
// Draws the Control Set diagram of PageContext again when that page is shown.
void Blockgraph_redraw_current();
