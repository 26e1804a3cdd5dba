#pragma once
// The gear box and position diagrams: one chain behind a different first block.
#include "diagrams/Blocks_dat.h"

void Blocks_position_chain_draw(BlockRec& first, Canvas& canvas, BlockRec** blocks, uint16_t count,
                                const DriveRecord& rec, uint16_t ctx, int16_t dx, int16_t dy, uint8_t paint);
