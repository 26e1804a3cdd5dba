#include "diagrams/Blocks_place.h"

#include "diagrams/Blocks_chain.h"

void Blocks_gear_box_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                          int16_t dx, int16_t dy, uint8_t paint)
{
    Blocks_position_chain_draw(Block_gear_box, canvas, blocks, count, rec, ctx, dx, dy, paint);
}

void Blocks_position_chain_draw(BlockRec& first, Canvas& canvas, BlockRec** blocks, uint16_t count,
                                const DriveRecord& rec, uint16_t ctx, int16_t dx, int16_t dy, uint8_t paint)
{
    BlockPlacer p(canvas, blocks, count, rec, ctx, dx, dy, paint);
    p.place(first, 0, 0);
    const int y = first.y + first.h / 2;
    p.after(Block_sum_position, first, y);
    p.arrow(first, Block_sum_position, 1, 1);
    p.after(Block_position_regulator, Block_sum_position, y);
    p.bar(Block_sum_position, Block_position_regulator, 1, 1);
    p.after(Block_sum_speed, Block_position_regulator, y);
    p.arrow(Block_position_regulator, Block_sum_speed, 1, 1);
    p.current_chain(y, 65);
    p.motor_after_power();
    p.place(Block_speed_feedback, Block_sum_speed.x + Block_sum_speed.w / 2 - Block_speed_feedback.w / 2,
            (Block_sum_speed.y + Block_sum_speed.h + Block_motor.y) / 2);
    p.bent(Block_motor, Block_sum_position, 0, 1, BLOCK_ORANGE);
    p.bent(Block_motor, Block_speed_feedback, 0, 1, BLOCK_ORANGE);
    p.arrow(Block_speed_feedback, Block_sum_speed, 2, 1, BLOCK_ORANGE);
    if (!paint)
        return;
    // The branch of the motor's feedback to both nodes.
    const DrawRect fb = Blockx_block_rect(Block_speed_feedback, dx, dy);
    const DrawRect motor = Blockx_block_rect(Block_motor, dx, dy);
    const int cx = (fb.left + fb.right) / 2;
    const int cy = (motor.top + motor.bottom) / 2;
    canvas.brush = QBrush(Blockx_rgb(BLOCK_ORANGE));
    canvas.fill_rect({cx - 4, fb.bottom + 20, cx + 5, cy + 4});
    canvas.fill_rect({cx - 15, cy - 4, cx, cy + 5});
    Blockx_flood_fill(canvas, cx - 17, cy - 2, Blockx_rgb(BLOCK_ORANGE));
}
