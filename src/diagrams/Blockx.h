#pragma once
// Block diagram engine: the static records of control diagrams (BlockRec) and state diagrams
// (StateRec), and the geometry between them: connectors, bevels, bounds, hit test, state boxes.
// The diagrams place their records (x, y) and call the engine; the engine keeps no state.
//
// Colours are RGB (0xRRGGBB). Rectangles are DrawRect (right and bottom exclusive) with the
// origin offset (dx, dy) applied. Drawing needs a canvas on a QImage with antialiasing off:
// connectors are outlined black and filled by a flood fill bounded by black.
#include <cstdint>

#include <QColor>

#include "controls/Graph_draw.h"
#include "drivedata/Busx.h"

struct PageNode;
struct BlockRec;

// A text in the three languages, indexed by LanguageIndex.
using BlockText = const char* const*;

using BlockGetFn = int32_t (*)(const BlockRec& block, uint16_t ctx);
using BlockSetFn = void (*)(BlockRec& block, uint16_t ctx);

namespace BlockKind {
constexpr uint16_t Regulator = 0;
constexpr uint16_t Selector = 1;
constexpr uint16_t Picture = 2;
constexpr uint16_t Sum = 3;
}  // namespace BlockKind

constexpr uint16_t BLOCK_NO_STEP = 0xFFFF;

struct BlockRec {
    uint16_t kind;
    uint16_t id;  // 1: the "Aux Speed" selector, whose value changes the speed diagram's layout
    // Kinds 0 and 2: caption lines text[0], text[1]; kind 1: caption text[0]; kind 3: the signs at
    // the upper left, upper right, lower right and lower left (BlockSigns entries), null for none.
    BlockText text[4] = {};
    // Kind 1: step labels, rows of label_width bytes: all Italian, then English, then French.
    const char* labels = nullptr;
    uint16_t label_width = 0;
    uint16_t label_count = 0;
    // Kind 2: data[0] a Windows bitmap of picture_size bytes. Kind 0: x values, curve 1, curve 2
    // (step_count doubles each).
    const void* data[3] = {};
    uint32_t picture_size = 0;
    uint16_t step_count = 0;
    uint16_t hovered = BLOCK_NO_STEP;
    uint32_t frame_colour = 0;
    uint32_t picture_colour = 0;
    PageNode* node = nullptr;  // page opened by a double-click
    int32_t field = -1;        // kind 1: the shown DriveRecord offset (slot = context), -1 none
    uint8_t value_type = 0;    // 0 u8, 1 i8, 2 u16, 3 i16, 4 and 5 u32
    uint8_t clickable = 0;
    BlockGetFn get = nullptr;
    BlockSetFn set = nullptr;
    BlockSetFn callback = nullptr;  // run by a double-click when there is no page node
    int16_t x = 0, y = 0, w = 0, h = 0;
};

// The signs of a summing node: "+" and "-".
extern const char* const BlockSigns[2][3];

// One diagram's placed blocks, in placing order, then nulls.
struct BlockSet {
    BlockRec** blocks;
    uint16_t count;
};

// A state of a state diagram.
struct StateRec {
    uint16_t kind;  // 4 bevelled box, 5 box with curved corners
    BlockText line1;
    BlockText line2;
    uint32_t reserved1;
    uint32_t frame_colour;  // kind 4
    uint32_t fill_colour;
    uint32_t reserved2;
    uint32_t text_colour;
    int16_t x, y, w, h;
};

QColor Blockx_rgb(uint32_t rgb);

// Fills the region around (x, y) that is not black (#000000) with colour, four-connected.
// Reads the canvas's image; a point outside it or on black fills nothing.
void Blockx_flood_fill(Canvas& canvas, int x, int y, const QColor& colour);

// ---- shapes ----
enum class BlockPen : uint8_t { Solid, Dot };

void Blockx_draw_bevel(Canvas& canvas, const DrawRect& r, int t, uint32_t c1, uint32_t c2, uint32_t c3, uint32_t c4);
void Blockx_draw_select_bevel(Canvas& canvas, const DrawRect& r);
void Blockx_draw_plain_bevel(Canvas& canvas, const DrawRect& r);
void Blockx_draw_straight_arrow(Canvas& canvas, int width, const int x[2], const int y[2], uint32_t colour,
                                BlockPen pen);
void Blockx_draw_bar(Canvas& canvas, int width, const int x[2], const int y[2], uint32_t colour, BlockPen pen);
void Blockx_draw_bent_band_arrow(Canvas& canvas, int width, const int x[3], const int y[3], uint32_t colour,
                                 BlockPen pen);
void Blockx_draw_detour_arrow(Canvas& canvas, int width, const int x[4], const int y[4], uint32_t colour,
                              BlockPen pen);

// ---- blocks ----
DrawRect Blockx_block_rect(const BlockRec& block, int dx, int dy);
// Point along a side of length n: code 0 n/3, 1 n/2, 2 2n/3.
int Blockx_side_point(int n, int code);
// Sides: 0 left, 1 right, 2 top, 3 bottom.
void Blockx_connect_arrow(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                          uint32_t colour, BlockPen pen, int dx, int dy);
void Blockx_connect_bar(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                        uint32_t colour, BlockPen pen, int dx, int dy);
void Blockx_connect_bent_arrow(Canvas& canvas, const BlockRec& a, const BlockRec& b, int side, int attach, int width,
                               uint32_t colour, BlockPen pen, int dx, int dy);
// Union of the rectangles (origin 0, 0) of the first count blocks up to a null, from (0,0,0,0).
DrawRect Blockx_list_bounds(BlockRec* const* blocks, uint16_t count);
// The first block whose rectangle holds (x, y) strictly; null when none or x or y below 1.
BlockRec* Blockx_hit_test(BlockRec* const* blocks, uint16_t count, int x, int y);
void Blockx_draw_select_frame(Canvas& canvas, const BlockRec& block, int dx, int dy);
void Blockx_draw_plain_frame(Canvas& canvas, const BlockRec& block, int dx, int dy);

// ---- state diagrams ----
DrawRect Blockx_stm_state_rect(const StateRec& state, int dx, int dy);
void Blockx_stm_connect_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach, int width,
                              uint32_t colour, BlockPen pen, int dx, int dy);
void Blockx_stm_connect_bent_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach_a,
                                   int attach_b, int width, uint32_t colour, BlockPen pen, int dx, int dy);
void Blockx_stm_connect_wide_arrow(Canvas& canvas, const StateRec& a, const StateRec& b, int side, int attach_a,
                                   int attach_b, int width, int d, uint32_t colour, BlockPen pen, int dx, int dy);
void Blockx_stm_draw_state_box(Canvas& canvas, const StateRec& state, uint16_t ctx, const DrawRect& r);
void Blockx_stm_draw_curved_state_box(Canvas& canvas, const StateRec& state, uint16_t ctx, const DrawRect& r);
void Blockx_stm_draw_state(Canvas& canvas, const StateRec& state, uint16_t ctx, const DrawRect& r);
DrawRect Blockx_stm_bounds(const StateRec* const* states, uint16_t count);

// Font of the diagrams: size in points at 96 pixels per inch.
QFont Blockx_font(const char* family, int points, bool bold);
