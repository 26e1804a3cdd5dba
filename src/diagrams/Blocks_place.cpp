#include "diagrams/Blocks_place.h"

#include "diagrams/Blockx_draw.h"

BlockPlacer::BlockPlacer(Canvas& c, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t context,
                         int16_t x, int16_t y, uint8_t p)
    : canvas(c), ctx(context), dx(x), dy(y), paint(p != 0), blocks_(blocks), count_(count), rec_(rec)
{
}

BlockPlacer::~BlockPlacer()
{
    for (uint16_t i = n_; blocks_ != nullptr && i < count_; ++i)
        blocks_[i] = nullptr;
}

void BlockPlacer::place(BlockRec& b, int x, int y)
{
    b.x = static_cast<int16_t>(x);
    b.y = static_cast<int16_t>(y);
    if (blocks_ != nullptr && n_ < count_)
        blocks_[n_++] = &b;
    if (paint)
        Blockx_draw_block(canvas, b, ctx, Blockx_block_rect(b, dx, dy));
}

void BlockPlacer::arrow(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour, BlockPen pen)
{
    if (paint)
        Blockx_connect_arrow(canvas, a, b, side, attach, BLOCK_WIDTH, colour, pen, dx, dy);
}

void BlockPlacer::bar(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour)
{
    if (paint)
        Blockx_connect_bar(canvas, a, b, side, attach, BLOCK_WIDTH, colour, BlockPen::Solid, dx, dy);
}

void BlockPlacer::bent(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour, BlockPen pen)
{
    if (paint)
        Blockx_connect_bent_arrow(canvas, a, b, side, attach, BLOCK_WIDTH, colour, pen, dx, dy);
}

uint16_t BlockPlacer::word(uint16_t ofs) const { return Rec_get<uint16_t>(rec_, ofs); }

void BlockPlacer::current_chain(int y, int power_gap)
{
    after(Block_speed_regulator, Block_sum_speed, y);
    bar(Block_sum_speed, Block_speed_regulator, 1, 1);
    after(Block_current_limit, Block_speed_regulator, y);
    bar(Block_speed_regulator, Block_current_limit, 1, 1);
    const BlockRec* prev = &Block_current_limit;
    for (auto [block, on] : {std::pair{&Block_notch, notch_on()}, std::pair{&Block_iq_filter, iq_on()}}) {
        if (!on)
            continue;
        after(*block, *prev, y);
        bar(*prev, *block, 1, 1);
        prev = block;
    }
    after(Block_sum_current, *prev, y);
    arrow(*prev, Block_sum_current, 1, 1);
    after(Block_current_regulator, Block_sum_current, y);
    bar(Block_sum_current, Block_current_regulator, 1, 1);
    place(Block_power, Block_current_regulator.x, Block_current_regulator.y + Block_current_regulator.h + power_gap);
    arrow(Block_current_regulator, Block_power, 3, 1);
    bent(Block_power, Block_sum_current, 0, 0, BLOCK_ORANGE);
}

int BlockPlacer::motor_after_power()
{
    const int d = (Block_power.x - Block_sum_speed.x - (Block_motor.w + Block_speed_feedback.w)) / 3;
    centre(Block_motor, Block_power.x - Block_motor.w - d - 10, Block_power.y + Block_power.h / 2);
    arrow(Block_power, Block_motor, 0, 2);
    return d;
}
