#pragma once
// Receive side of the link.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"

// ---- status block and identification ----

// Decodes a 28-byte status block (big-endian; the layout follows DriveFwVersion) and publishes it,
// then sets DriveUiFlags bit 7. A boot-loader status word (bit 0) keeps only the status word. The
// bytes are never modified. False, and nothing changed, when fewer than 28 bytes are given.
bool Serrx_status_decode(const uint8_t* bytes, std::size_t len);
// The two wire layouts: before firmware 3.09 and from 3.09 on. Fill out from the block; false,
// and out unchanged, when fewer than 28 bytes are given.
bool Serrx_status_pre309(const uint8_t* bytes, std::size_t len, Drive_status& out);
bool Serrx_status_309(const uint8_t* bytes, std::size_t len, Drive_status& out);

// Set by every status block decoded, cleared at first contact and link loss: the status the GUI
// reads was received from the drive in this contact (not the zeroed status of a new connection).
extern std::atomic<uint8_t> Ser_status_seen;

// Stores and decodes a 52-byte identification: the record (Drive_ident_publish), DriveFwVersion,
// the CANopen identity values, DriveNameText, DriveSwText or DriveBootVersion, DriveDeviceId, the
// size table of the drive type, FlashModeFlags bit 3, Ser_status_len, status-word bit 0 and
// Ser_link_flags bit 5 (set last). False, and nothing changed, when fewer than 52 bytes are given.
bool Serrx_reply_ident(const uint8_t* bytes, std::size_t len);

// ==== receive thread, frame assembly and reply table ====

constexpr std::size_t SER_RX_BUF_SIZE = 4000;
constexpr std::size_t SER_RX_OVERFLOW = 3990;  // bytes gathered + waiting at which all is purged
constexpr uint32_t SER_RX_GAP_MS = 80;         // a longer silence starts a new frame
constexpr uint8_t SER_REPLY_CMDS = 40;         // replies carry commands 0..39

// One receive round (receive thread): waits on the port, gathers the bytes waiting and checks
// and dispatches what they complete.
void Serrx_receive();
// Frame assembly of bytes read at now_ms (receive thread; tests feed it directly): a new
// transmission or a silence above 80 ms starts a fresh frame, 3990 bytes purge everything, then
// the bytes go to Serrx_parse (or to the boot-loader receiver in link mode 0).
void Serrx_feed(const uint8_t* bytes, std::size_t n, uint32_t now_ms);
// Checks the gathered bytes (Ser_dispatch_lock held): a leading frame whose length byte has been
// reached is accepted (CRC over all its bytes 0, command below 40) or the whole buffer is dropped;
// bytes after an accepted frame start the next one. An accepted frame is dispatched only to the
// transmission armed when its first bytes were read; identification, block and list requests
// and replies pair only with their own command, and a fence only with its own replies.
void Serrx_parse();
// Bytes gathered so far (receive thread, or Ser_dispatch_lock held).
uint16_t Serrx_count();
// Receive thread, link mode 0 without a container: the boot-loader receiver found the complete,
// valid answer of the raw transmission these bytes belong to. Claims it (Ser_dispatch_lock is
// held: the receiver runs inside the receive step) and wakes the send thread, like a dispatched frame; false when that transmission is no longer
// waiting (timed out, or already answered).
bool Serrx_raw_reply_done();

// A reply handler gets the whole frame (CRC checked). False drops it like a bad frame: the send
// thread is not woken. Handlers never read beyond the payload: missing numbers count as 0.
using Serrx_handler = bool (*)(const uint8_t* frame, uint16_t len);
extern const Serrx_handler Ser_reply_table[SER_REPLY_CMDS];

bool Serrx_reply_none(const uint8_t* frame, uint16_t len);
bool Serrx_reply_status(const uint8_t* frame, uint16_t len);        // 0
bool Serrx_reply_terminal(const uint8_t* frame, uint16_t len);      // 1
bool Serrx_reply_read_block(const uint8_t* frame, uint16_t len);    // 3
bool Serrx_reply_write_var(const uint8_t* frame, uint16_t len);     // 4
bool Serrx_reply_alarm_mem(const uint8_t* frame, uint16_t len);     // 5
bool Serrx_reply_write_block(const uint8_t* frame, uint16_t len);   // 6
bool Serrx_reply_info(const uint8_t* frame, uint16_t len);          // 7
bool Serrx_reply_ident_frame(const uint8_t* frame, uint16_t len);   // 10
bool Serrx_reply_scope_data(const uint8_t* frame, uint16_t len);    // 11
bool Serrx_reply_scope_start(const uint8_t* frame, uint16_t len);   // 12
bool Serrx_reply_id_block(const uint8_t* frame, uint16_t len);      // 18
bool Serrx_reply_write_block2(const uint8_t* frame, uint16_t len);  // 19
bool Serrx_reply_var_list(const uint8_t* frame, uint16_t len);      // 30

// Ends the whole image read into DriveRecordRx: host order and version stamp, then the commit
// (slots 0 and 2, data-modified cleared, pages refreshed, Ser_data_flags bit 1 set last).
void Serrx_commit_image();

// ---- record hand-over (Serrx_records) ----
// The records have no lock. Where another thread (the GUI) reads them, the receive thread leaves
// what it received for that thread to commit instead of writing slots 0 and 2 under its readers.
struct Ser_alarm_mem_rec {
    uint8_t entries[16] = {};  // record bytes from RecOfs::AlarmMem
    uint8_t last = 0;          // record byte RecOfs::AlarmMemByte
};
void Serrx_record_handover(bool on);
// Receive thread. A whole image (host order) of the given session, or the alarm memory: with the
// hand-over off they are committed at once (true, the caller announces them); with it on they
// wait for Serrx_take_records (false). An image supersedes an alarm memory waiting.
bool Serrx_post_image(const DriveRecord& image, uint32_t session);
bool Serrx_post_alarm_mem(const Ser_alarm_mem_rec& mem);
// Commits what waits, if it belongs to the current session and the drive still answers, and
// announces it (Ser_data_flags bit 1 for the image, bit 3 for the alarm memory). True when an
// image was committed.
bool Serrx_take_records();
// Starts a new session (first contact, lost link, stop, close): nothing received before is
// committed after, and no CiA 301 identity value counts as reported. Returns the new session number.
uint32_t Serrx_new_session();
uint32_t Serrx_session();  // the current session's number

// Channel value rebuilt from a decoded difference d, the previous value x1 and the value three
// samples back x3: d + x1 + (x1 - x3) / 2, the halving an arithmetic shift.
int32_t Serrx_scope_rebuild(int32_t d, int32_t x1, int32_t x3);

// ---- what the replies store (written by the receive thread before the flag announcing them) ----
struct Ser_write_ack_rec {
    std::atomic<uint16_t> index{0};
    std::atomic<uint8_t> subindex{0};
    std::atomic<uint8_t> flag{0};  // set by each write reply; the reader clears it
};
extern Ser_write_ack_rec Ser_write_ack;

struct BlockTxInfoRec {
    std::atomic<uint16_t> first{0};
    std::atomic<uint16_t> progress{0};
    uint8_t extra[4] = {};
};
extern BlockTxInfoRec BlockTxInfo;          // information sub-reply 1
extern uint8_t I2tMonitorBytes[2];          // sub-reply 3, as sent
extern char DriveDeviceName[32];            // sub-reply 4, not terminated when 32 long
extern char DriveSoftwareName[32];          // sub-reply 5, idem
extern uint8_t Ser_scope_status[DRIVE_STATUS_BLOCK_LEN];  // status block gathered from scope slices
extern std::atomic<uint8_t> PageRefreshByte;     // 255 after a whole image was read
// Read-list replies whose values were stored (receive thread, release); pages compare it with the
// count at which they sent their list, so they copy only values read after that.
extern std::atomic<uint32_t> Ser_list_reply_count;
// Ser_list_reply_count up to which list replies may hold values read before the last parameter
// write or block write was queued (a list already asked for is answered before the write goes
// out); pages copy read-backs only from later replies.
extern std::atomic<uint32_t> Ser_list_write_mark;
extern std::atomic<uint16_t> Ser_progress_mark;  // queue count + 1 when the image was committed
