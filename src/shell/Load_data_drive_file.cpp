// Drive data files read back: size, check byte, family and data version; a file of data version 2
// is converted (drivedata/Load_data_drive_convert.cpp) and saved at once under a new name.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <QApplication>
#include <QFileInfo>

#include "drivedata/Globvar.h"
#include "drivedata/Versoftw.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"
#include "shell/Load_data_drive.h"
#include "shell/Main_files.h"

namespace {

const char* const CORRUPT_TEXT[3] = {"Dati Corrotti oppure File non valido !", "Corrupted Data or Invalid File !",
                                     "Données Altérées ou Fichier Non Valide!"};
const char* const INCOMPATIBLE_TEXT[3] = {"Dati incompatibili!", "Incompatible data file!",
                                          "Données Fichier Incompatibles!"};
const char* const FAMILY_TEXT[3][2] = {{"Dati per drive: ", ", non compatibile con drive: "},
                                       {"Data for drive:  ", ", not compatible with drive: "},
                                       {"Les données pour variateur: ", ", pas compatibles avec le variateur: "}};
const char* const CONVERT_TEXT[3][3] = {{"Convertire i dati", "da", "a"},
                                        {"Do you want to convert data", "from", "to"},
                                        {"Convertir les données", "de", "à"}};
const char* const SAVE_AS_TITLE[3] = {"Salva con Nome", "Save as", "Enregistrer sous"};

void warn(const QString& text)
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

QString family_name(const DriveFamilyRecord& f)
{
    return QString::fromLatin1(f.name, static_cast<qsizetype>(strnlen(f.name, FAMILY_NAME_SIZE)));
}

QString convert_question(uint8_t major, uint8_t minor)
{
    const auto* t = CONVERT_TEXT[Lang_index()];
    const auto version = [](unsigned ma, unsigned mi) {
        return QString::number(ma) + "." + QString("%1").arg(mi, 2, 10, QLatin1Char('0'));
    };
    return QString::fromUtf8(t[0]) + " " + QString::fromUtf8(t[1]) + " Ver. " + version(major, minor) + " " +
           QString::fromUtf8(t[2]) + " Ver. " + version(ProgramVersion.major, ProgramVersion.minor) + " ?";
}

// Version 2: asks, converts into a copy and saves it under a new name. Only a saved conversion
// fills destination.
uint8_t convert_file(const std::array<uint8_t, DRIVE_FILE_SIZE>& buffer, const uint8_t version[2],
                     DriveRecord* destination, FileDialogSpec& save_dialog)
{
    const MsgButton answer = Msgbox_show({MsgIcon::Question, Msgbox_title(Lang_index()),
                                          convert_question(version[0], version[1]).toStdString(), MsgYes | MsgNo});
    if (answer != MsgYes)
        return 0;
    save_dialog.title = QString::fromUtf8(SAVE_AS_TITLE[Lang_index()]);
    save_dialog.save = true;
    const QString name = Filedlg_run(QApplication::activeWindow(), save_dialog);
    if (name.isEmpty())
        return 0;
    DriveRecord converted;
    ConvertDriveData(version[0], &converted, buffer.data() + DataFileOfs::Payload);
    if (!WriteDriveFile(name, &converted))
        return 0;
    *destination = converted;
    DriveDataFileName = name;
    return 1;
}

}  // namespace

DriveFileRead ReadDriveFileRaw(const QString& file_name, std::array<uint8_t, DRIVE_FILE_SIZE>& buffer,
                               uint8_t version[2], QString* error)
{
    if (file_name.isEmpty() || !QFileInfo::exists(file_name))
        return DriveFileRead::Missing;
    std::vector<uint8_t> bytes;
    switch (const int err = Savefile_read(file_name.toStdString(), bytes, DRIVE_FILE_SIZE)) {
    case 0:
        break;
    case EINVAL:  // not a regular file: never opened
    case EFBIG:
        return DriveFileRead::Corrupt;
    default:
        if (error != nullptr)
            *error = QString::fromStdString(Savefile_error_text(err));
        return DriveFileRead::Unreadable;
    }
    if (bytes.size() != DRIVE_FILE_SIZE || DataFile_xor(bytes.data(), bytes.size()) != 0)
        return DriveFileRead::Corrupt;
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    version[0] = buffer[DataFileOfs::VersionMajor];
    version[1] = buffer[DataFileOfs::VersionMinor];
    return DriveFileRead::Ok;
}

uint8_t ReadDriveFile(const QString& file_name, DriveRecord* destination, FileDialogSpec& save_dialog)
{
    if (destination == nullptr)
        return 0;
    std::array<uint8_t, DRIVE_FILE_SIZE> buffer{};
    uint8_t version[2] = {0, 0};
    QString error;
    switch (ReadDriveFileRaw(file_name, buffer, version, &error)) {
    case DriveFileRead::Missing:
        return 0;
    case DriveFileRead::Unreadable:
        warn(QFileInfo(file_name).fileName() + "\n" + error);
        return 0;
    case DriveFileRead::Corrupt:
        warn(QString::fromUtf8(CORRUPT_TEXT[Lang_index()]));
        return 0;
    case DriveFileRead::Ok:
        break;
    }

    uint8_t result = 0;
    switch (DataFile_check(DataFileKind::Drive, buffer.data(), buffer.size())) {
    case DataFileCheck::Corrupt:
        warn(QString::fromUtf8(CORRUPT_TEXT[Lang_index()]));
        return 0;
    case DataFileCheck::OtherFamily:
        if (const DriveFamilyRecord* other = Versoftw_other_family(buffer[DataFileOfs::FamilyCode])) {
            const auto* t = FAMILY_TEXT[Lang_index()];
            warn(QString::fromUtf8(t[0]) + family_name(*other) + QString::fromUtf8(t[1]) + family_name(*CurrentFamily) +
                 "!");
        } else {
            warn(QString::fromUtf8(INCOMPATIBLE_TEXT[Lang_index()]));
        }
        return 0;
    case DataFileCheck::Newer:
        warn(QString::fromUtf8(INCOMPATIBLE_TEXT[Lang_index()]));
        return 0;
    case DataFileCheck::Older:
        if (version[0] != DRIVE_DATA_CONVERTIBLE_MAJOR) {  // 0 and 1 have no conversion
            warn(QString::fromUtf8(INCOMPATIBLE_TEXT[Lang_index()]));
            return 0;
        }
        result = convert_file(buffer, version, destination, save_dialog);
        break;
    case DataFileCheck::Ok:
        std::memcpy(destination->b, buffer.data() + DataFileOfs::Payload, DRIVE_RECORD_SIZE);
        DriveDataFileName = QFileInfo(file_name).absoluteFilePath();
        result = 1;
        break;
    }
    if (result == 1 && destination->b[RecOfs::VersionMajor] == 0)
        Load_data_drive_stamp_version(*destination);
    return result;
}
