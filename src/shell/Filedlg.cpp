// Open and save file dialogs through one gateway.
#include "shell/Filedlg.h"

#include <QFileDialog>
#include <QFileInfo>

#include "drivedata/Globvar.h"

namespace {

FiledlgSink& sink()
{
    static FiledlgSink s;
    return s;
}

// "Inverter files (*.ivt)|*.ivt" -> "Inverter files (*.ivt)" for Qt's name filter.
QString qt_filter(const QString& filter)
{
    const qsizetype bar = filter.indexOf(QLatin1Char('|'));
    return bar < 0 ? filter : filter.left(bar);
}

QString run_qt(QWidget* parent, const FileDialogSpec& spec)
{
    QFileDialog dialog(parent, spec.title, spec.folder, qt_filter(spec.filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);  // Qt's own speaks the program's language
    if (spec.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(spec.default_suffix);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

}  // namespace

FiledlgSink Filedlg_set_sink(FiledlgSink s)
{
    FiledlgSink old = std::move(sink());
    sink() = std::move(s);
    return old;
}

QString Filedlg_folder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (folder.empty() || !std::filesystem::is_directory(folder, ec))
        return {};
    return QString::fromStdString(folder.string());
}

QString Filedlg_run(QWidget* parent, const FileDialogSpec& spec)
{
    QString name = sink() ? sink()(spec) : run_qt(parent, spec);
    if (name.isEmpty())
        return {};
    QFileInfo info(name);
    if (spec.save && info.suffix().isEmpty() && !spec.default_suffix.isEmpty())
        name += QLatin1Char('.') + spec.default_suffix;
    return QFileInfo(name).absoluteFilePath();
}

QString Filedlg_save_pdf(QWidget* parent)
{
    FileDialogSpec spec;
    static const char* const FILTER[3] = {"File PDF (*.pdf)|*.pdf", "PDF files (*.pdf)|*.pdf",
                                          "Fichiers PDF (*.pdf)|*.pdf"};
    spec.filter = QString::fromUtf8(FILTER[Lang_index()]);
    spec.default_suffix = QStringLiteral("pdf");
    spec.save = true;
    return Filedlg_run(parent, spec);
}
