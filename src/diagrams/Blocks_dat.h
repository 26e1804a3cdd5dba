#pragma once
// The blocks of the four control diagrams, their lists and charts. Records are plain static
// data: the diagrams' draw functions set their positions, the host their hovered steps, and the
// shell points them at the pages they open (node).
#include "diagrams/Blockx.h"

extern BlockRec Block_aux_speed, Block_main_speed, Block_torque, Block_ramps, Block_speed_limit,
    Block_current_limit, Block_notch, Block_iq_filter, Block_power, Block_motor, Block_speed_feedback,
    Block_positioner, Block_gear_box, Block_cam, Block_speed_regulator, Block_current_regulator,
    Block_position_regulator, Block_sum_aux, Block_sum_speed, Block_sum_current, Block_sum_position;

// Every record above, in this order.
extern BlockRec* const BlockRecords[21];

// The diagrams' lists, rewritten by every draw.
constexpr uint16_t BLOCKS_SPEED = 15, BLOCKS_TORQUE = 6, BLOCKS_GEAR_BOX = 13, BLOCKS_POSITION = 13;
extern BlockRec* Blocks_speed[BLOCKS_SPEED];
extern BlockRec* Blocks_torque[BLOCKS_TORQUE];
extern BlockRec* Blocks_gear_box[BLOCKS_GEAR_BOX];
extern BlockRec* Blocks_position[BLOCKS_POSITION];

// Connector colours: the signal path and the feedback paths.
constexpr uint32_t BLOCK_GREEN = 0xB5F0B6;
constexpr uint32_t BLOCK_ORANGE = 0xF7B131;
constexpr uint32_t BLOCK_WHITE = 0xFFFFFF;
constexpr int BLOCK_WIDTH = 10;

// Record switches the diagrams read.
namespace BlockSwitch {
constexpr uint16_t AuxType = 598;     // aux speed reference type; 2 limits the torque
constexpr uint16_t SpeedFlags = 594;  // bit 2 aux speed on, bit 3 ramps on
constexpr uint16_t FilterFlags = 182; // bit 0 notch filter on, bit 1 Iq filter on
constexpr uint16_t MainType = 596;
constexpr uint16_t TorqueFlags = 792;
}  // namespace BlockSwitch

// Draw functions of the four diagrams: place every block (x, y) and rewrite the list; with
// paint set, draw the blocks and connectors at (dx, dy).
using BlockDrawFn = void (*)(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec,
                             uint16_t ctx, int16_t dx, int16_t dy, uint8_t paint);
void Blocks_speed_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                       int16_t dx, int16_t dy, uint8_t paint);
void Blocks_torque_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                        int16_t dx, int16_t dy, uint8_t paint);
void Blocks_gear_box_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                          int16_t dx, int16_t dy, uint8_t paint);
void Blocks_position_draw(Canvas& canvas, BlockRec** blocks, uint16_t count, const DriveRecord& rec, uint16_t ctx,
                          int16_t dx, int16_t dy, uint8_t paint);
