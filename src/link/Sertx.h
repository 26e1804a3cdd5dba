#pragma once
// Send side of the link: the send thread's steps (link modes, offline and online states, first
// contact, retries, link loss, boot-loader poll) and every request builder.
//
// Builders may run on any thread (GUI, receive thread chaining the next request); they build
// nothing when their condition fails and never report failure, except Sertx_read_var_list.
// Step functions run on the send thread only.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "drivedata/Busx.h"
#include "link/Seriale.h"

// ---- send-side state ----
extern std::atomic<uint8_t> Ser_mode_changed;     // set when the mode in force changes; the GUI clears it
extern std::atomic<uint16_t> Ser_ok_count;        // replies since the last time-out
extern std::atomic<uint32_t> Ser_lost_count;      // link losses since start
extern std::atomic<uint32_t> Ser_last_answer_ms;  // Tick_ms of the last answered identification
extern std::atomic<uint8_t> SimInputMask;         // simulated drive inputs (drive function 4)
extern std::atomic<uint16_t> PageContext;         // 0 main window, 1 archive window

// The whole-image read: offset reached and count of the block requested last. active while
// the read runs (first contact until the image is committed or the link is lost).
struct Ser_image_read_rec {
    std::atomic<uint16_t> offset{0};
    std::atomic<uint16_t> count{0};
    std::atomic<uint8_t> active{0};
    std::atomic<uint32_t> session{0};  // link session the read belongs to
};
extern Ser_image_read_rec Ser_image_read_pos;

// The one block-write job (commands 6 and 18). The caller fills it before the first chunk;
// the reply handlers advance it.
struct Ser_block_job_rec {
    std::atomic<uint16_t> length{0};        // bytes to write (2380 for a drive image)
    std::atomic<uint16_t> chunk{0};         // length of the chunk sent last
    std::atomic<uint16_t> offset{0};        // image offset of the next chunk
    std::atomic<uint16_t> start{0};         // first image offset (28)
    std::atomic<uint16_t> end{0};           // start + length (2408)
    std::atomic<uint16_t> block_id{0};      // id of the next chunk (command 18)
    std::atomic<void (*)()> done{nullptr};  // completion routine of the caller, or null
    std::atomic<uint16_t> progress{0};      // drive's progress report (information sub-reply 1)
    std::atomic<uint16_t> progress_max{0};  // length x 2 + 2
    uint8_t data[2412] = {};                // chunks are taken at their image offsets
};
extern Ser_block_job_rec Ser_block_job;
extern std::atomic<uint8_t> Ser_chunk_sent;  // set when a reply handler queued a further chunk

// ---- transmissions ----
// Every frame sent gets a new transmission number. The receive side starts a fresh frame when
// the number changes and dispatches at most one reply per transmission: the one whose number is
// still armed (claimed by exchanging Ser_armed_seq for 0). A timed-out transmission is disarmed
// the same way, so a reply and a time-out never both count.
extern std::atomic<uint32_t> Ser_tx_seq;
extern std::atomic<uint32_t> Ser_armed_seq;
// Command of the armed transmission. Identification, block and list requests are answered only
// by their own replies: a reply left over from before a reconnect or a time-out must not pass for
// the drive's answer.
extern std::atomic<uint8_t> Ser_armed_cmd;
// Held while a transmission is armed (the line checked quiet first), while the receive thread
// reads a chunk and assembles, claims, handles and signals a reply, and while a wait decides
// between reply and time-out.
extern std::mutex Ser_dispatch_lock;

// When the receive side last read bytes (Tick_us; written under Ser_dispatch_lock).
extern std::atomic<uint64_t> Ser_last_rx_us;
// Forgets it (a port opened: another line).
void Sertx_line_reset();
// Dispatch lock held: the driver holds unread bytes, or the receive side has bytes that are not a
// whole frame yet and the line has not been silent long enough to end it (80 ms): a frame arrives.
bool Sertx_line_busy(uint64_t now_us);
// Whether the armed transmission is a fence (dispatch lock held): only its own replies answer it.
bool Sertx_armed_fence();
// Wire time of n bytes at the open port's rate (10 bits a byte), 0 when no rate is known.
uint64_t Sertx_wire_us(std::size_t n);

// Writes the CRC into f, waits (at most wait_ms) while a frame is arriving, so that no reply is
// cut by a send, starts a new transmission (draining a stale reply signal) and writes the frame
// when the port is open. `fence`: f is answered only by its own replies (see Sertx_fence).
// Returns the number.
uint32_t Sertx_send_frame(Ser_tx_frame& f, bool fence = false, uint32_t wait_ms = 0);
// A transmission without a frame (the boot loader's raw bytes): armed like Sertx_send_frame, no
// CRC; n bytes are written when the port is open (0: a wait for bytes the drive sends by itself).
// The receive side starts a fresh buffer and hands the bytes to the boot-loader receiver, which
// ends the wait through Serrx_raw_reply_done. Returns the transmission number.
constexpr uint8_t SER_RAW_CMD = 0xFF;  // Ser_armed_cmd of a raw transmission
uint32_t Sertx_send_raw(const uint8_t* bytes, std::size_t n);
// Waits up to ms for the reply of transmission seq; a reply arriving when the time runs out is
// awaited to its end. False on time-out, and when the wait was ended by a stop (the send thread
// then leaves its step).
bool Sertx_wait_reply(uint32_t seq, uint32_t ms);
// After a repeated request of command cmd was answered, the drive may still owe the answer to one
// of its two tries, at any time. A fence is a request that no such answer can pass for: a status
// poll, or an identification after a status poll or terminal character (answered by status or
// text frames); everything before the fence's answer is dropped. Its second try, after wait_ms
// without an answer, is an identification: after a status-poll fence, one that the first fence's
// late answer cannot pass for either. False when neither was answered.
bool Sertx_fence(uint8_t cmd, uint32_t wait_ms);

// ---- steps (send thread) ----
void Sertx_step();
void Sertx_drive_step();
// Offline part of a step: identification request, 100 ms wait, boot-loader poll or link bit 0,
// link bit 2. False when nothing answered (the port is then purged, link bits 0 and 5 cleared).
bool Sertx_hello_step();
// Online part of a step: the queue head or a status poll, answered or retried once; the link is
// lost after the second silence. An answered repeat is followed by a fence (Sertx_fence); the link
// is lost when that is not answered either.
void Sertx_online_step();
// First contact with a compatible drive: i2t test and input simulation off, whole-image read.
void Sertx_first_contact();
// Starts a whole-image read (first block, position 0, the rest chained by the reply handler).
// False, nothing queued, when the link is not ready or a whole-image read runs.
bool Sertx_read_image();
// Link loss: block reads dequeued, link bits 0, 2, 5 and data bits 1, 2 cleared, read list
// forgotten, FlashModeFlags bit 3 cleared, Ser_lost_count + 1.
void Sertx_link_lost();
// Polls a drive that answers from its boot loader until it leaves it, stops answering, the link
// is stopped or another link mode is asked for.
void Sertx_boot_poll();

// ---- request builders ----
// Ready: link bit 5, status-word bit 0 clear, link mode 1.
bool Sertx_ready();

void Sertx_read_status();                           // 0, link bit 0
void Sertx_terminal_char(uint8_t ch);               // 1, link bit 0
void Sertx_read_block(uint16_t offset, uint16_t& count);  // 3; count limited to 251 in place
void Sertx_write_var_ex(Loc field, uint8_t merge, uint8_t store);  // 4, ready and PageContext 0
void Sertx_write_var(Loc field);         // merge, stored when the settings ask for auto-save
void Sertx_write_var_nosave(Loc field);  // merge, not stored
void Sertx_read_alarm_mem();             // 5
void Sertx_write_block(Ser_block_job_rec& job, uint8_t mode);  // 6; mode 3 marks the first chunk
void Sertx_read_info(uint8_t sub);                  // 7, sub-codes 1..10
void Sertx_drive_func(uint8_t code, uint8_t value);  // 8
void Sertx_write_motor(const uint8_t* bytes, uint16_t n);  // 9, at most 251 bytes
void Sertx_scope_ack(uint16_t position);            // 11; position 0 appends, 2 third in queue
void Sertx_scope_start();                           // 12
void Sertx_signal_gen(uint8_t field);               // 14, fields 0..5, not while capturing
// 18: chunk of `total` bytes of data from offset, sent with block id; flag adds the first-chunk
// mark. chunk receives the chunk length.
void Sertx_write_id_block(uint16_t offset, uint16_t id, uint16_t& chunk, uint16_t total, const uint8_t* data,
                          uint8_t flag);
// 30: Nothing without sending when not ready, list reads are disabled or the list is empty;
// Refused while a list is outstanding or the request could not be queued; else queues it. The
// reply of a list sent with counted false is not counted in Ser_list_reply_count (no page copies
// from it).
enum class ListSend : uint8_t { Sent, Nothing, Refused };
ListSend Sertx_send_read_list(const PollItem* list, uint16_t n, bool counted = true);
// Sertx_send_read_list; false only when refused.
bool Sertx_read_var_list(const PollItem* list, uint16_t n, bool counted = true);

// First changed signal-generator field (1 on/off, 2 waveform, 3..5 items) and its value, copied
// to its last-sent copy; false when none changed.
bool Sertx_gen_changed(uint8_t& id, uint16_t& value);
// Copies a field's bytes from slot 0 into slot 2 (a value stored permanently is no longer a
// modification).
void Sertx_copy_to_shadow(Loc field, uint8_t size);

// ---- outstanding read list ----
constexpr uint16_t SER_READ_LIST_MAX = 32;
struct Ser_read_item {
    uint16_t key;
    uint8_t subindex;
    uint8_t size;  // bytes of the value in the reply
    Loc readback;  // where the value goes
};
struct Ser_read_list {
    const PollItem* list = nullptr;  // the caller's list, for identification only
    uint32_t session = 0;            // Serrx_session() when it was sent
    uint16_t count = 0;
    uint8_t count_byte = 0;
    bool counted = true;  // the reply counts in Ser_list_reply_count
    Ser_read_item item[SER_READ_LIST_MAX] = {};
};
// Copies the outstanding list into out and marks none outstanding; false when none was.
bool Sertx_take_read_list(Ser_read_list& out);
// The receive thread has stored the values of the list it took.
void Sertx_read_list_stored();
// Waits up to timeout_ms until no list is outstanding and the last one's values are stored (or it
// was forgotten); false on time-out.
bool Sertx_wait_read_list(int32_t timeout_ms);
bool Sertx_read_list_outstanding();
void Sertx_forget_read_list();
