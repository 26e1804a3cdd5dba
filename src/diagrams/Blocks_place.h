#pragma once
// What the four diagrams' draw functions share: placing a block into the list (drawn at once
// when painting), the connectors (drawn only when painting), the record's switches, and the
// chain from the speed regulator to the power stage.
#include "diagrams/Blocks_dat.h"

class BlockPlacer {
public:
    BlockPlacer(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx, int16_t dx,
                int16_t dy, uint8_t paint);
    // Nulls the rest of the list.
    ~BlockPlacer();
    BlockPlacer(const BlockPlacer&) = delete;
    BlockPlacer& operator=(const BlockPlacer&) = delete;

    void place(BlockRec& b, int x, int y);
    // At x, centred on y.
    void centre(BlockRec& b, int x, int y) { place(b, x, y - b.h / 2); }
    // 25 px right of prev, centred on y.
    void after(BlockRec& b, const BlockRec& prev, int y) { centre(b, prev.x + prev.w + 25, y); }
    void arrow(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour = BLOCK_GREEN,
               BlockPen pen = BlockPen::Solid);
    void bar(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour = BLOCK_GREEN);
    void bent(const BlockRec& a, const BlockRec& b, int side, int attach, uint32_t colour = BLOCK_GREEN,
              BlockPen pen = BlockPen::Solid);

    uint16_t word(uint16_t ofs) const;
    bool notch_on() const { return word(BlockSwitch::FilterFlags) & 0x01; }
    bool iq_on() const { return word(BlockSwitch::FilterFlags) & 0x02; }
    bool aux_on() const { return word(BlockSwitch::SpeedFlags) & 0x04; }
    bool ramps_on() const { return word(BlockSwitch::SpeedFlags) & 0x08; }

    // Speed regulator after the speed node, current limit, the filters that are on, current node,
    // current regulator and the power stage power_gap below it, with their connectors.
    void current_chain(int y, int power_gap);
    // The motor left of the power stage (d: the spacing of the feedback row); returns d.
    int motor_after_power();

    Canvas& canvas;
    const uint16_t ctx;
    const int16_t dx, dy;
    const bool paint;

private:
    BlockRec** blocks_;
    uint16_t count_;
    uint16_t n_ = 0;
    const DriveRecord& rec_;
};
