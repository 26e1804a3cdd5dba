#pragma once
// The power state machines of the CiA 402 and Modbus profiles as state diagrams: the static state
// lists, their placement and transitions, and the drawing of a whole diagram with one state
// highlighted.
//
// A StateRec here carries its state number in reserved1 and its highlight fill in reserved2
// (0x00BBGGRR, or STM_TOOLTIP_FILL for the platform's tool-tip background). Positions are
// relative to the diagram origin and recomputed at every draw; the records are shared by all
// frames. GUI thread only.
#include <cstdint>

#include "diagrams/Blockx.h"

class ImageBox;

// Highlight fill standing for QPalette::ToolTipBase.
constexpr uint32_t STM_TOOLTIP_FILL = 0xFFFFFFFFu;

constexpr uint16_t DS402_STATE_LIST_COUNT = 10;  // states 0 to 6, state 0 again, 7 and 8
constexpr uint16_t MDB_STATE_LIST_COUNT = 8;
extern StateRec* const Ds402StateList[DS402_STATE_LIST_COUNT];
extern StateRec* const MdbStateList[MDB_STATE_LIST_COUNT];

// Colours every entry for state (live) or grey (not live), places the boxes, and draws the whole
// diagram centred in the image's picture. A null image is skipped.
void Blocks_can_stm_draw(ImageBox* image, uint16_t state, uint8_t live);
void Blocks_mdb_stm_draw(ImageBox* image, uint16_t state, uint8_t live);

// Computes the positions of the list's boxes and, when draw is set, draws boxes and transitions
// at (dx, dy) with the connector fill of live (light green) or not (light grey).
void Blocks_can_stm_place(Canvas& canvas, StateRec* const* list, uint16_t count, int16_t dx, int16_t dy,
                          uint8_t draw, uint8_t live);
void Blocks_mdb_stm_place(Canvas& canvas, StateRec* const* list, uint16_t count, int16_t dx, int16_t dy,
                          uint8_t draw, uint8_t live);
