#include "shell/Data_file_load.h"

#include <cstring>

#include <QApplication>

#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"

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

void warn(const char* const text[3]) { warn(QString::fromUtf8(text[Lang_index()])); }

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

}  // namespace

void DataFile_warn_corrupt() { warn(CORRUPT_TEXT); }

DataFileAccept DataFile_accept(DataFileKind kind, const uint8_t* data, std::size_t size, uint8_t convertible_major)
{
    switch (DataFile_check(kind, data, size)) {
    case DataFileCheck::Corrupt:
        warn(CORRUPT_TEXT);
        return DataFileAccept::Refused;
    case DataFileCheck::OtherFamily:
        if (const DriveFamilyRecord* other = Versoftw_other_family(data[DataFileOfs::FamilyCode])) {
            const auto* t = FAMILY_TEXT[Lang_index()];
            warn(QString::fromUtf8(t[0]) + family_name(*other) + QString::fromUtf8(t[1]) + family_name(*CurrentFamily) +
                 "!");
        } else {
            warn(INCOMPATIBLE_TEXT);
        }
        return DataFileAccept::Refused;
    case DataFileCheck::Newer:
        warn(INCOMPATIBLE_TEXT);
        return DataFileAccept::Refused;
    case DataFileCheck::Older:
        if (data[DataFileOfs::VersionMajor] != convertible_major) {  // no conversion for it
            warn(INCOMPATIBLE_TEXT);
            return DataFileAccept::Refused;
        }
        return DataFileAccept::Convert;
    case DataFileCheck::Ok:
        break;
    }
    return DataFileAccept::Current;
}

QString DataFile_convert_name(const uint8_t version[2], FileDialogSpec& save_dialog)
{
    const MsgButton answer = Msgbox_show({MsgIcon::Question, Msgbox_title(Lang_index()),
                                          convert_question(version[0], version[1]).toStdString(), MsgYes | MsgNo});
    if (answer != MsgYes)
        return {};
    save_dialog.title = QString::fromUtf8(SAVE_AS_TITLE[Lang_index()]);
    save_dialog.save = true;
    return Filedlg_run(QApplication::activeWindow(), save_dialog);
}
