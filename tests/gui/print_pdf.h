#pragma once
// Reading printed PDF files back with poppler-utils (pdfinfo, pdftotext).
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace printpdf {

// Standard output of a tool; empty when it did not run or failed.
inline QString run(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A field of pdfinfo's listing ("Pages", "Title").
inline QString info(const QString& file, const QString& field)
{
    const QString out = run("pdfinfo", {file});
    const QRegularExpression re("^" + QRegularExpression::escape(field) + ":\\s*(.*)$", QRegularExpression::MultilineOption);
    const auto m = re.match(out);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The text of one page (1-based).
inline QString page_text(const QString& file, int page)
{
    return run("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), file, "-"});
}

}  // namespace printpdf
