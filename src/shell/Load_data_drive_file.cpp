// Drive data files read back: size, check byte, family and data version; a file of data version 2
// is converted (drivedata/Load_data_drive_convert.cpp) and saved at once under a new name.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <QFileInfo>

#include "drivedata/Globvar.h"
#include "drivedata/Versoftw.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"
#include "shell/Data_file_load.h"
#include "shell/Load_data_drive.h"
#include "shell/Main_files.h"

namespace {

void warn(const QString& text)
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

// Version 2: asks, converts into a copy and saves it under a new name. Only a saved conversion
// fills destination.
uint8_t convert_file(const std::array<uint8_t, DRIVE_FILE_SIZE>& buffer, const uint8_t version[2],
                     DriveRecord* destination, FileDialogSpec& save_dialog)
{
    const QString name = DataFile_convert_name(version, save_dialog);
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
        DataFile_warn_corrupt();
        return 0;
    case DriveFileRead::Ok:
        break;
    }

    uint8_t result = 0;
    switch (DataFile_accept(DataFileKind::Drive, buffer.data(), buffer.size(), DRIVE_DATA_CONVERTIBLE_MAJOR)) {
    case DataFileAccept::Refused:
        return 0;
    case DataFileAccept::Convert:
        result = convert_file(buffer, version, destination, save_dialog);
        break;
    case DataFileAccept::Current:
        std::memcpy(destination->b, buffer.data() + DataFileOfs::Payload, DRIVE_RECORD_SIZE);
        DriveDataFileName = QFileInfo(file_name).absoluteFilePath();
        result = 1;
        break;
    }
    if (result == 1 && destination->b[RecOfs::VersionMajor] == 0)
        Load_data_drive_stamp_version(*destination);
    return result;
}
