#pragma once
// Boot-loader flash of the drive's SH7047: the step table that the send thread runs in link mode 0
// (no container loaded) and the receiver the receive thread calls with the raw answer bytes. No Qt.
//
// Threads: steps and enter functions run on the send thread, reply handlers on the receive thread;
// every run-state field is an atomic with one writer (a handler stores what its answer carries
// before it wakes the send thread). The GUI thread prepares the boot-loader files and resets the
// run state before it asks for mode 0, and only reads the state while a run is active.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// ---- step table ----
struct FlashStep {
    int (*send)();                                  // 1: step complete, 0: call again
    uint16_t (*reply)(const uint8_t*, uint16_t);    // bytes of its complete, valid answer, else 0
    void (*enter)();                                // once when the index reaches the step
};
constexpr std::size_t FLASH_STEP_COUNT = 20;
extern const FlashStep FlashSteps[FLASH_STEP_COUNT + 1];  // the last entry ends the table

// ---- run state ----
namespace FlashError {
constexpr uint32_t BitRate = 1u << 0;  // bit rate refused
constexpr uint32_t Verify = 1u << 1;   // verify mismatch
}  // namespace FlashError
namespace FlashResult2 {
constexpr uint8_t VerifyDone = 1u << 0;
}  // namespace FlashResult2

// User-interface phase (FlashPhase): 0 idle, 1 boot phase, 2 erase and write, 3 verify.
namespace FlashUiPhase {
constexpr uint8_t Idle = 0;
constexpr uint8_t Boot = 1;
constexpr uint8_t Write = 2;
constexpr uint8_t Verify = 3;
}  // namespace FlashUiPhase

// Result bits: FlashProgressFlags. Phase, phase timer, its start tick and the progress bar: the
// atomics of link/Flash_progress.h.
struct FlashRunRec {
    std::atomic<uint16_t> step{0};
    std::atomic<uint8_t> sub_phase{0};
    std::atomic<uint8_t> prev_phase{0};      // the window's copy of the phase
    std::atomic<uint8_t> done{0};
    std::atomic<uint8_t> result2{0};         // FlashResult2
    std::atomic<uint8_t> result_copy{0};     // the window's copy of the result bits
    std::atomic<uint32_t> errors{0};         // FlashError
    std::atomic<uint32_t> errors_shown{0};
    std::atomic<uint32_t> boot_offset{0};    // boot-program bytes sent
    std::atomic<uint32_t> chunk_len{0};      // boot-program chunk in flight
    std::atomic<uint16_t> prog_unit{0};      // programming-unit answer (receive thread)
    std::atomic<uint32_t> current_baud{0};
    std::atomic<uint32_t> current_baud_not{0};  // complement kept by the window
    std::atomic<uint32_t> current_page{0};
    std::atomic<uint32_t> erase_index{0};
    std::atomic<uint32_t> verify_address{0};
    std::atomic<uint16_t> verify_length{0};
    std::atomic<uint16_t> boot_status{0};    // the two bytes of the last status answer (receive thread)
    std::atomic<uint8_t> verify{0};          // read-back verify for this run
};
extern FlashRunRec FlashRun;
// Set by the firmware window while a run is in progress (link mode 0 in force), cleared by the
// reset before a run and while no file is loaded; a run's result is shown only while it is set.
extern std::atomic<uint8_t> Flashsh7047_running;

// Link values of the boot loader: the send side's try counter and the kept RTS state.
extern std::atomic<uint8_t> Ser_try_count;
extern std::atomic<uint8_t> Ser_rts_state;

// ---- interfaces ----
// The link calls these through FlashEntries (Flash_install), as Flashcom_mot_step,
// Flashcom_mot_on_reply and Flashcom_mot_leave of link/Flash_seams.h.
// One tick of the send thread in this mode.
void Flashcom_mot_run_step();
// Receive thread: the bytes gathered, buf[0..count); they move into the boot-loader receiver,
// count becomes 0.
void Flashcom_mot_receive(uint8_t* buf, uint16_t& count);
// (-sum) mod 256 and the 8-bit sum.
uint8_t Flashcom_mot_checksum(const uint8_t* bytes, std::size_t count);
uint8_t Flashcom_mot_sum(const uint8_t* bytes, std::size_t count);
// The Reset button's drive reset (RTS cleared, set, set, cleared, 200 ms settle); port open only.
void Flashcom_mot_reset_drive();
// Kernel and read-back wait: 10 / baud x 2 x 1000 x n + 500 ms, rounded.
uint32_t Flashcom_mot_wait_ms(uint32_t baud, uint32_t bytes);
// The erase-and-write phase from its start: phase 2, its timer, the verify error, the bar of
// page-count steps, counters and the result bits of writing cleared.
void Flashcom_mot_write_phase();
// Send thread, at a mode change away from mode 0 before step 19: step 19's port part.
void Flashcom_mot_leave_run();

// The folder of the boot-loader files (main: "bootloader" beside the executable).
void Flashcom_mot_set_kernel_folder(const std::string& folder);
// GUI thread, before a run: reads the four boot-loader files (1..65,535 bytes each) and sets the
// progress maximum from the boot program's size. A file missing, empty or too big: one message
// naming each, false, nothing else changed. False without a message while a run is active.
bool Flashcom_mot_prepare();
// The run state before a run (boot-loader steps, container download, the window's copies);
// verify: read back after writing.
void Flashsh7047_reset_state(bool verify);

// The four boot-loader files, sent as opaque bytes.
struct BootKernelFile {
    const char* name;
    uint32_t spec_size;  // size of the drive's own files
};
constexpr BootKernelFile BootKernel[4] = {
    {"boot_program.bin", 2172}, {"kernel_1.bin", 985}, {"kernel_2.bin", 1297}, {"kernel_3.bin", 1429}};

// ---- test seam: the line sequences ----
struct FlashLineEvent {
    enum Kind { BootEntry, BootExit, DriveReset, Port } kind;
    uint32_t baud = 0;  // Port: the rate set
    uint8_t rts = 0;    // Port: the RTS code passed (the kept state)
    uint8_t dtr = 0;    // Port: the DTR code
};
// Called on the thread that drives the line, after each sequence and port set-up (null: none).
void Flashcom_mot_set_line_hook(std::function<void(const FlashLineEvent&)> hook);
