#pragma once
// Drawing of the four block kinds and the step selector's behaviour: the step under the pointer,
// and reading and writing the selector's field (sent to the drive in context 0).
#include "diagrams/Blockx.h"

void Blockx_draw_regulator_block(Canvas& canvas, const BlockRec& block, uint16_t ctx, const DrawRect& r);
void Blockx_draw_picture_block(Canvas& canvas, const BlockRec& block, uint16_t ctx, const DrawRect& r);
void Blockx_draw_sum_node(Canvas& canvas, const BlockRec& block, uint16_t ctx, const DrawRect& r);
void Blockx_draw_caption_block(Canvas& canvas, const BlockRec& block, uint16_t ctx, const DrawRect& r,
                               uint8_t highlighted);
// By kind: regulator, selector (not highlighted), picture, summing node; other kinds nothing.
void Blockx_draw_block(Canvas& canvas, const BlockRec& block, uint16_t ctx, const DrawRect& r);

// The step under py (relative to the diagram origin); true when the hovered step changed.
// Allowed in context 1 always, in context 0 with the link ready and the field editable.
bool Blockx_scale_hover(BlockRec& block, int py);
void Blockx_scale_leave(BlockRec& block);
// The selector may be set: always in the archive (ctx 1); in context 0 when its field is in the
// drive's dictionary (looked up silently: a diagram of another bus type shows no message) and
// editable with the current edit state.
bool Blockx_editable(const BlockRec& block, uint16_t ctx);
// The cursor the last hover asked for: hand over a new step, default otherwise.
bool Blockx_hand_cursor();

// The selector's field of context ctx (slot ctx) and its value access. The set functions act
// only on a hovered step below the step count; in context 0 (PageContext) they send the field.
Loc Blockx_field(const BlockRec& block, uint16_t ctx);
int32_t Blockx_value_get(const BlockRec& block, uint16_t ctx);
void Blockx_value_set(BlockRec& block, uint16_t ctx);
int32_t Blockx_bit_get(const BlockRec& block, uint16_t ctx);
void Blockx_bit_set(BlockRec& block, uint16_t ctx);

// Smallest and largest of values[0..count-1] (none: both 0); returns max - min.
double Blockx_curve_range(const double* values, double* min, double* max, int count);
// Axes and the two curves in r; a span of 0 draws the axes only.
void Blockx_draw_mini_chart(Canvas& canvas, const DrawRect& r, const double* x, const double* c1, const double* c2,
                            int count);
