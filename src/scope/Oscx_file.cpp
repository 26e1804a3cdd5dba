// Saving the scope chart as a recording.
#include "scope/Oscx_file.h"

#include <QApplication>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "platform/Msgbox.h"
#include "scope/Diagramx.h"
#include "shell/Filedlg.h"
#include "shell/Main_files.h"
#include "shell/Settings.h"

namespace {

const char* const NO_DATA[3] = {"Nessun dato da salvare!", "No Data to save!", "Pas de Données à Enregistrer!"};
const char* const SAVED[3] = {"Dati salvati!", "Data saved!", "Données Enregistrées!"};
const char* const SAVE_TITLE[3] = {"Salva", "Save", "Enregistrer"};

void message(MsgIcon icon, const char* const text[3])
{
    Msgbox_show({icon, Msgbox_title(Lang_index()), text[Lang_index()], MsgOk});
}

}  // namespace

std::vector<ScopeSamplePiece> Scope_chart_pieces(const Diagramx& chart)
{
    if (chart.Sample_count() == 0)
        return {};
    const uint32_t start = chart.ring_start, end = chart.ring_end;
    if (start < end)
        return {{chart.Row(start), end - start}};
    return {{chart.Row(start), chart.capacity - start}, {chart.Row(0), end}};
}

void ScopeSaveFile(QWidget* parent, const std::function<Diagramx*()>& chart)
{
    if (chart() == nullptr || chart()->Sample_count() == 0) {
        message(MsgIcon::Warning, NO_DATA);
        return;
    }
    FileDialogSpec spec;
    spec.title = QString::fromUtf8(SAVE_TITLE[Lang_index()]);
    spec.folder = Filedlg_folder(StartFolder);
    spec.filter = QStringLiteral("(*.dmg)|*.dmg");
    spec.default_suffix = QStringLiteral("dmg");
    spec.save = true;
    const QString name = Filedlg_run(parent, spec);
    if (name.isEmpty())
        return;
    const Diagramx* c = chart();  // the window may have gone, or its chart emptied, meanwhile
    if (c == nullptr)
        return;
    const std::vector<ScopeSamplePiece> pieces = Scope_chart_pieces(*c);
    if (pieces.empty()) {
        message(MsgIcon::Warning, NO_DATA);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<uint8_t> image =
        Scope_recording_image(ScopeSettings, *CurrentFamily, Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::MotorType),
                              pieces.data(), pieces.size());
    const bool written = Main_write_file_image(name, image.data(), image.size());
    QApplication::restoreOverrideCursor();
    if (written)
        message(MsgIcon::Information, SAVED);
}
