#include "diagrams/Blocks_chain.h"

void Blocks_position_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                          int16_t dx, int16_t dy, uint8_t paint)
{
    Blocks_position_chain_draw(Block_positioner, canvas, blocks, count, rec, ctx, dx, dy, paint);
}
