#pragma once
// Procedure values the drive reports to the calibration, zeroing and cogging windows
// (information sub-replies 2, 8, 9 and 10). The receive thread stores each field the frame holds
// whole, then sets Ser_data_flags bit 6; the windows take that bit with fetch_and and read the
// fields after it.
#include <atomic>
#include <cstddef>
#include <cstdint>

// Sub-reply 2: position-sensor calibration.
struct CalibReplyRec {
    std::atomic<uint8_t> CalibPhase{0};
    std::atomic<uint8_t> CalibPolePairs{0};
    std::atomic<uint16_t> CalibPosition{0};  // 65536 counts per turn
};
extern CalibReplyRec CalibReply;

// The drive's active procedure, reported by sub-replies 2, 8, 9 and 10.
namespace ProcMode {
constexpr uint8_t Calibration = 3;
constexpr uint8_t Zeroing = 5;
constexpr uint8_t Cogging = 6;
constexpr uint8_t AbsZeroing = 7;
}  // namespace ProcMode
extern std::atomic<uint8_t> DriveProcMode;

// Sub-replies 8 and 10: encoder and absolute-encoder zeroing share offset and angle.
struct ZeroingReplyRec {
    std::atomic<uint8_t> ZeroingPhase{0};
    std::atomic<uint16_t> ZeroingOffset{0};  // 65536 counts per electrical turn
    std::atomic<uint16_t> ZeroingAngle{0};
};
extern ZeroingReplyRec ZeroingReply;
struct AbsZeroingReplyRec {
    std::atomic<uint8_t> AbsZeroingPhase{0};
};
extern AbsZeroingReplyRec AbsZeroingReply;

// Sub-reply 9: cogging acquisition. largest and range_limit belong to the window (GUI thread).
namespace CoggingFlag {
constexpr uint8_t SearchFailed = 1u << 1;     // zero-search failure detected
constexpr uint8_t FailureReported = 1u << 2;  // and reported
constexpr uint8_t TableArrived = 1u << 3;     // table bytes were staged
}  // namespace CoggingFlag
struct CoggingMonitorRec {
    std::atomic<uint8_t> phase{0};
    std::atomic<uint16_t> position{0};
    std::atomic<int32_t> counter{0};  // zero-search counter (u32 on the wire)
    std::atomic<uint16_t> index{0};   // table start index of the last reply
    std::atomic<uint16_t> count{0};   // its count field (entries - 1)
    std::atomic<uint8_t> flags{0};
    double largest = 0.0;
    double range_limit = 0.0;
};
extern CoggingMonitorRec CoggingMonitor;

// One reply's fields read together: the receive thread stores a reply between Proc_reply_begin
// and Proc_reply_end, and a snapshot taken meanwhile is taken again, so a window never mixes the
// fields of two replies.
void Proc_reply_begin();
void Proc_reply_end();
struct ProcReplySnapshot {
    uint8_t mode;
    uint8_t calib_phase;
    uint8_t calib_poles;
    uint16_t calib_position;
    uint8_t zero_phase;
    uint8_t abs_phase;
    uint16_t zero_offset;
    uint16_t zero_angle;
    uint8_t cog_phase;
    uint16_t cog_position;
    int32_t cog_counter;
};
ProcReplySnapshot Proc_reply_snapshot();

// Table bytes of sub-reply 9 wait in a staging copy until the GUI takes them (the receive thread
// never writes the image the GUI paints). Stage: entries from `index` on, wrapping within 256.
void Cogging_stage(uint16_t index, const uint8_t* bytes, std::size_t n);
// Copies the staged entries into `table` (256 bytes) and unmarks them; true when there were any.
bool Cogging_take(uint8_t* table);
// Drops what is staged.
void Cogging_clear_staged();
