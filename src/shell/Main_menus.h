#pragma once
// What the main window's motor commands share with the motor data editor: its edit copy and
// reference copy of MotorRecord, the current motor file name, and the editor's entries.
#include <QString>

#include "drivedata/Record.h"
#include "shell/Filedlg.h"

extern MotorRecord MotorEditCopy;  // edited by the motor data editor
extern MotorRecord MotorEditRef;   // compared with the edit copy
extern QString MotorDataFileName;  // the current motor data file (absolute), empty for new data

// Reads and checks a motor data file into destination; false, after its own message, when the
// file is refused. save_dialog is offered for a converted file's new name.
using MotorFileLoader = bool (*)(const QString& file_name, MotorRecord* destination, FileDialogSpec& save_dialog);

// ---- entries of the commissioning tools ----
// Filled by the shell at start-up from the motor editor's unit (tools); null until then, and the
// motor load command stays disabled.
struct ToolsEntriesRec {
    MotorFileLoader load_motor_file = nullptr;
    // Closes the positioning test bench when it exists (its restore marks a pending write).
    void (*pos_test_close)() = nullptr;
};
extern ToolsEntriesRec ToolsEntries;
// The motor file reader of the motor editor (ToolsEntries.load_motor_file); false without it.
bool Load_motor_load_file(const QString& file_name, MotorRecord* destination, FileDialogSpec& save_dialog);

// The motor file filter of the open and save dialogs.
constexpr const char* MOTOR_FILE_FILTER = "Motor  files (*.mot)|*.mot";
