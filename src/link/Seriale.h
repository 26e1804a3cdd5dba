#pragma once
// Link frames, CRC-16/MODBUS and the request queue.
//
// Frame: byte 0 total length (CRC included, 4..255), byte 1 command, payload (big-endian numbers),
// CRC low byte, CRC high byte. The CRC is written at send time over the first length-2 bytes.
//
// Requests are owned by the queue from the moment they are pushed. The send thread never works on
// a queued request directly: Seriale_next hands out a copy of its frame and its id, and
// Seriale_pop(id) removes it only if it is still queued.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// ---- CRC ----
uint16_t Crc16_modbus(const uint8_t* bytes, std::size_t count);
// Writes the CRC of the first length-2 bytes into the last two, low byte first.
void Ser_frame_set_crc(uint8_t* frame, std::size_t length);

// ---- requests ----
constexpr std::size_t SER_FRAME_MIN = 4;
constexpr std::size_t SER_FRAME_MAX = 255;
constexpr uint16_t SER_QUEUE_MAX = 200;

// Request command codes.
namespace SerCmd {
constexpr uint8_t Status = 0;
constexpr uint8_t Terminal = 1;
constexpr uint8_t ReadBlock = 3;
constexpr uint8_t WriteVar = 4;
constexpr uint8_t AlarmMem = 5;
constexpr uint8_t WriteBlock = 6;
constexpr uint8_t Info = 7;
constexpr uint8_t DriveFunc = 8;
constexpr uint8_t WriteMotor = 9;
constexpr uint8_t Ident = 10;
constexpr uint8_t ScopeAck = 11;
constexpr uint8_t ScopeStart = 12;
constexpr uint8_t SignalGen = 14;
constexpr uint8_t IdBlock = 18;
constexpr uint8_t ReadList = 30;
}  // namespace SerCmd

struct Ser_req {
    std::unique_ptr<Ser_req> next;     // following request, null at the tail
    uint16_t length = 0;               // total frame length, CRC included
    std::unique_ptr<uint8_t[]> frame;  // length bytes
    uint32_t id = 0;                   // given by Seriale_push, never 0 while queued
};
using Ser_req_ptr = std::unique_ptr<Ser_req>;

// A request with a zeroed frame of payload_len + 4 bytes: byte 0 the length, byte 1 the command.
// Null when the frame would exceed 255 bytes.
Ser_req_ptr Ser_req_new(uint8_t cmd, std::size_t payload_len);

// ---- fixed frames (never queued) ----
extern Ser_req_ptr Ser_poll_frame;   // 04 00, the status poll
extern Ser_req_ptr Ser_hello_frame;  // 06 0A 03 14, identification request with ProgramVersion
void Sertx_new_poll_frame();
void Sertx_new_hello_frame();
void Sertx_free_poll_frame();
void Sertx_free_hello_frame();

// ---- queue ----
// Enables the queue guard and creates the fixed frames.
void Seriale_init();
// Clears the queue, disables the guard (every later operation is abandoned) and frees the fixed
// frames.
void Seriale_queue_close();

// Adds a request. merge 1: a parameter write (command 4) replaces the value of a queued write of
// the same parameter behind the head instead of being queued. position 0 appends; n > 0 inserts it
// as the (n+1)-th entry, or at the tail when the queue is shorter. A request of length outside
// 4..255, one pushed onto a full queue, or one whose guard could not be taken is dropped (counted).
// True when the request was queued or merged.
bool Seriale_push(Ser_req_ptr req, uint8_t merge = 0, uint16_t position = 0);

// 1 when queued is a parameter write of the parameter of the 8-byte write item (index,
// subindex, bits byte, value; as sent), after copying item's value into it; else 0.
uint8_t Seriale_merge_var(Ser_req& queued, const uint8_t* item);

// What the send thread transmits: a copy of a queued frame, or of the poll frame (id 0).
struct Ser_tx_frame {
    uint32_t id = 0;  // 0: the poll frame, nothing to pop
    uint16_t length = 0;
    uint8_t bytes[SER_FRAME_MAX] = {};
};
// False when the guard was not obtained (nothing to send). Empty queue: the poll frame. With
// status-word bit 3 set, writes at the head are held back: the first terminal request behind them
// moves to the front and is returned, else the poll frame.
bool Seriale_next(Ser_tx_frame& out);
// Removes and frees the request with this id while it is still queued. False when it is not.
bool Seriale_pop(uint32_t id);
// Removes and frees every queued request of this command code.
void Seriale_remove_cmd(uint8_t code);
// Removes and frees every queued request.
void Seriale_clear_queue();

// Number of queued requests; read without the guard.
uint16_t Seriale_count();
// Requests dropped by push since start (guard, full queue, bad length).
uint32_t Seriale_dropped();

// Guarded copy of the queue order, for diagnostics and tests.
struct Ser_queue_entry {
    uint32_t id;
    std::vector<uint8_t> frame;
};
struct Ser_queue_view {
    std::vector<Ser_queue_entry> entries;  // head first
    uint32_t tail_id = 0;                  // id of the tail node, 0 when none
    uint16_t count = 0;
};
Ser_queue_view Seriale_view();
