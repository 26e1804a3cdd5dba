#include "diagrams/Blocks_place.h"

void Blocks_torque_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                        int16_t dx, int16_t dy, uint8_t paint)
{
    BlockPlacer p(canvas, blocks, count, rec, ctx, dx, dy, paint);
    p.place(Block_torque, 0, 0);
    const int y = Block_torque.y + Block_torque.h / 2;
    const BlockRec* prev = &Block_torque;
    if (p.iq_on()) {  // no notch block in this diagram
        p.after(Block_iq_filter, *prev, y);
        p.bar(*prev, Block_iq_filter, 1, 1);
        prev = &Block_iq_filter;
    }
    p.after(Block_sum_current, *prev, y);
    p.arrow(*prev, Block_sum_current, 1, 1);
    p.after(Block_current_regulator, Block_sum_current, y);
    p.bar(Block_sum_current, Block_current_regulator, 1, 1);
    p.place(Block_power, Block_current_regulator.x, Block_current_regulator.y + Block_current_regulator.h + 65);
    p.arrow(Block_current_regulator, Block_power, 3, 1);
    p.bent(Block_power, Block_sum_current, 0, 0, BLOCK_ORANGE);
    p.centre(Block_motor, Block_sum_current.x - 25 - Block_motor.w, Block_power.y + Block_power.h / 2);
    p.arrow(Block_power, Block_motor, 0, 2);
}
