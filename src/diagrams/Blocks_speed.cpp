#include "diagrams/Blocks_place.h"

void Blocks_speed_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                       int16_t dx, int16_t dy, uint8_t paint)
{
    BlockPlacer p(canvas, blocks, count, rec, ctx, dx, dy, paint);
    const bool torque_aux = p.word(BlockSwitch::AuxType) == 2;  // the aux input limits the torque
    p.place(Block_aux_speed, 0, 0);
    const int y = Block_aux_speed.y + Block_aux_speed.h + 40;
    if (!torque_aux)
        p.centre(Block_sum_aux, Block_aux_speed.x + Block_aux_speed.w / 2 - Block_sum_aux.w / 2, y);
    p.place(Block_main_speed, 0, Block_aux_speed.y + Block_aux_speed.h + 80);
    const BlockRec* prev = &Block_main_speed;
    if (p.ramps_on()) {
        p.centre(Block_ramps, Block_main_speed.x + Block_main_speed.w + 16, y);
        prev = &Block_ramps;
    }
    p.after(Block_speed_limit, *prev, y);
    if (p.ramps_on())
        p.bar(Block_ramps, Block_speed_limit, 1, 1);
    p.after(Block_sum_speed, Block_speed_limit, y);
    p.arrow(Block_speed_limit, Block_sum_speed, 1, 1);
    p.current_chain(y, 35);
    const int d = p.motor_after_power();
    p.centre(Block_speed_feedback, Block_motor.x - d - Block_speed_feedback.w, Block_power.y + Block_power.h / 2);
    p.bar(Block_motor, Block_speed_feedback, 0, 1, BLOCK_ORANGE);
    p.bent(Block_speed_feedback, Block_sum_speed, 0, 1, BLOCK_ORANGE);

    const uint32_t aux_colour = p.aux_on() ? BLOCK_GREEN : BLOCK_WHITE;
    const BlockPen aux_pen = p.aux_on() ? BlockPen::Solid : BlockPen::Dot;
    const BlockRec& first = p.ramps_on() ? Block_ramps : Block_speed_limit;
    if (!torque_aux) {
        p.arrow(Block_aux_speed, Block_sum_aux, 3, 1, aux_colour, aux_pen);
        p.arrow(Block_main_speed, Block_sum_aux, 2, 1);
        p.arrow(Block_sum_aux, first, 1, 1);
    } else {
        p.bent(Block_aux_speed, Block_current_limit, 1, 1, aux_colour, aux_pen);
        p.bent(Block_main_speed, first, 2, 1);
    }
}
