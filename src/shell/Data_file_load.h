#pragma once
// What the readers of drive and motor data files share once a file's bytes are in: the refusal
// messages and, for an older data version, the conversion question and the new file's name.
#include <cstddef>
#include <cstdint>

#include <QString>

#include "drivedata/Versoftw.h"
#include "shell/Filedlg.h"

enum class DataFileAccept : uint8_t {
    Refused,  // its message has been shown
    Current,  // the program's data version: load as it is
    Convert,  // the convertible older version: ask (DataFile_convert_name)
};

// Checks a whole file (DataFile_check) and shows the message of a refusal, caption "Attenzione",
// warning icon: corrupted, other family (named when it is the other known family), newer, or an
// older major other than convertible_major ("Dati incompatibili!").
DataFileAccept DataFile_accept(DataFileKind kind, const uint8_t* data, std::size_t size, uint8_t convertible_major);

// "Dati Corrotti oppure File non valido !".
void DataFile_warn_corrupt();

// Asks whether the data of version (major, minor) are to be converted to the program's version;
// on Yes shows save_dialog titled "Salva con Nome". The chosen name, empty on No or a cancel.
QString DataFile_convert_name(const uint8_t version[2], FileDialogSpec& save_dialog);
