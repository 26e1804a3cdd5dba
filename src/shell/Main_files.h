#pragma once
// Drive and motor data files, the whole-record send jobs and their completions, and the printout
// of a drive data set (the main window's commands are TForm_main members, Main_files.cpp).
#include <cstddef>
#include <cstdint>

#include <QString>
#include <QTime>

#include "drivedata/Record.h"
#include "link/Sertx.h"
#include "print_core/Printer_data.h"

class QWidget;

// The current drive data file name (absolute), empty for a default data set not yet saved.
extern QString DriveDataFileName;

// ---- writers ----
// Writes a whole file image through Savefile_write (a failure leaves the old file as it was); on
// failure one warning with the file name and the system's reason, and false.
bool Main_write_file_image(const QString& file_name, const void* data, std::size_t size);
// Write the whole file image through Savefile_write (a failure leaves the old file as it was); a
// missing folder is created. On failure a warning with the system's error text is shown and the
// result is false.
bool WriteDriveFile(const QString& file_name, const DriveRecord* record);
bool WriteMotorFile(const QString& file_name, const MotorRecord* motor);

// The file-name part of a path (no folder).
QString Main_file_part(const QString& path);

// ---- whole-record send jobs ----
// Prepares Ser_block_job for writing bytes 28-2407 of `record` (host order): keeps a private copy
// of the record, converts a copy to the drive's order in DriveRecordTx, start 28, total 2380,
// end 2408, target 4762, Ser_chunk_sent 0 and the completion routine `done`.
void Main_prepare_drive_job(const DriveRecord& record, void (*done)());
// The record the last prepared job sends (host order); completions take it as what the drive
// now holds.
const DriveRecord& Main_sent_record();

// Send all of slot 0 (the main window's send): the job for slot 0, no completion routine.
void PrepareSendAll();
// Completion of the main window's send: slot 0's bytes 28-2407 = the record sent, slot 2 = slot 0,
// data-modified cleared, main status bar repainted.
void Main_send_done();
// Completion of the load-defaults send: the same, then the page tree and page of context 0 are
// brought up to date, PageRefreshByte 255, image-complete set and the alarm memory read again.
void FinishDefaultsSend();
// Display markers of a whole-image read: PageRefreshByte 255 and the monitor's size and voltage
// class complemented, so both are shown anew once the image is in.
void Main_mark_image_display();
// Completion of the archive window's send: the same as FinishDefaultsSend.
void Main_archive_send_done();

// ---- printout ----
// Entries of the parameter printout, registered by the shell at start-up from the printout's unit
// (the print list itself is cleared with Print_list_clear_lines). Until every member and the
// three windows (SetPrint, PrintPreview, PrinterData) are available the print commands stay
// disabled.
using DriveAsk = ListSend (*)();
struct DrivePrintService {
    void (*field_bus)(const DriveRecord*) = nullptr;
    void (*io_profile)(const DriveRecord*) = nullptr;
    void (*modbus_profile)(const DriveRecord*) = nullptr;
    void (*canopen_profile)(const DriveRecord*, uint8_t context) = nullptr;
    QString (*time_text)(const QTime&) = nullptr;  // "hh:mm:ss"
    void (*count_pages)(PrintPageRec*) = nullptr;
    void (*print_job)(PrintPageRec*) = nullptr;
    // The requests that ask the connected drive for the live values the printout shows, sent in
    // turn; one refused for now is sent again. Optional.
    const DriveAsk* asks = nullptr;
    uint8_t ask_count = 0;
};
void Main_register_print_service(const DrivePrintService& service);
void Main_unregister_print_service();
bool PrintDriveData_available();

// 1 preview, 0 print: set before the print selection dialog shows; read by it and the printout.
extern uint8_t& PrintPreviewMode;  // PrintPage.preview_mode

// Print (mode 0) or preview (mode 1) the parameter list of a record; the file line shows the
// file-name part of DriveDataFileName when `file_name` is not empty. Nothing without the service.
void PrintDriveData(const DriveRecord* record, uint8_t mode, const QString& file_name);
// Asks the connected drive for the printout's live values through the service's requests; while
// one is refused, Main_print_ask_step (the display timer's) sends it again until all went out.
void Main_print_ask_drive();
void Main_print_ask_step();
// How the last print's wait for the answers to what it asked ended.
enum class PrintWaitEnd : uint8_t {
    NothingAsked,  // nothing sent in this link session, or the print dialog was cancelled
    Answered,      // every request went out and the last one was answered
    TimeLimit,
    LinkLost,      // the link session it asked in ended
    Refused,       // a request refused with no list outstanding
};
PrintWaitEnd Main_print_wait_end();
// The print and preview commands of a window: no printer gives "Nessuna Stampante Rilevata !";
// else the preview flag, the print selection dialog, and on its result 1 PrintDriveData.
void Main_print_command(QWidget* parent, const DriveRecord* record, uint8_t mode, const QString& file_name);
