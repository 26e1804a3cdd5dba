#pragma once
// Procedure values the drive reports to the calibration, zeroing and cogging windows
// (information sub-replies 2, 8, 9 and 10). Written by the receive thread before it sets
// Ser_data_flags bit 6; read by the windows after they saw that bit.
#include <atomic>
#include <cstdint>

struct ProcReplyRec {
    // position-sensor calibration (sub-reply 2)
    uint16_t calib_value1;
    uint16_t calib_value2;
    // encoder zeroing (8) and absolute-encoder zeroing (10) share the two values
    uint8_t zero_result;
    uint8_t abs_zero_result;
    uint16_t zero_value1;
    uint16_t zero_value2;
    // cogging acquisition (9)
    uint8_t cog_step;
    uint16_t cog_value16;
    uint32_t cog_value32;
    uint16_t cog_index;     // first table entry of the last reply
    uint16_t cog_count;     // entries of the last reply minus one
    uint16_t cog_end_mark;  // table index of the last reply plus its count
};
extern ProcReplyRec ProcReply;
extern std::atomic<uint8_t> ProcState;

namespace CoggingFlag {
constexpr uint8_t TableUpdated = 1u << 3;  // the cogging sub-reply filled table entries
}
extern std::atomic<uint8_t> CoggingFlags;
