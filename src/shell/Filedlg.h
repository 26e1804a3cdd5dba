#pragma once
// The one gateway for open and save file dialogs. The GUI shows a QFileDialog; tests install a
// sink that records the request and scripts the chosen name. Names are absolute paths; the
// dialogs never change the process's current folder.
#include <filesystem>
#include <functional>

#include <QString>

class QWidget;

struct FileDialogSpec {
    QString title;
    QString folder;          // initial folder (absolute); empty: the last one used
    QString filter;          // "Inverter files (*.ivt)|*.ivt": description and pattern
    QString default_suffix;  // "ivt" (save only)
    bool save = false;       // save dialog (asks before overwriting), else open (file must exist)
};

// Returns the chosen absolute file name, or an empty string when cancelled.
using FiledlgSink = std::function<QString(const FileDialogSpec&)>;

// Installs a sink and returns the previous one; an empty sink restores the QFileDialog.
FiledlgSink Filedlg_set_sink(FiledlgSink sink);

// A dialog's initial folder: the folder when it exists, else empty (the last one used).
QString Filedlg_folder(const std::filesystem::path& folder);

// Runs the dialog. A chosen save name without a suffix gets the default suffix.
QString Filedlg_run(QWidget* parent, const FileDialogSpec& spec);

// The save dialog of a printout's "PDF file" entry.
QString Filedlg_save_pdf(QWidget* parent);
