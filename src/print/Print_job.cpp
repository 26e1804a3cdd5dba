// The print job of the parameter printout: the chosen printer, or "PDF file" through the file
// dialog, prints PrintPage's page range.
#include "print/Print_job.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>

#include "drivedata/Globvar.h"
#include "print_core/Print_printers.h"
#include "print_core/Print_render.h"
#include "shell/Filedlg.h"

namespace {

const char* const DOCUMENT_NAME = "Pendrix Data Print";

bool job_running = false;
bool job_cancelled = false;

// Restores the override cursor however the job ends.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void Fz_print_job_cancel()
{
    if (job_running)
        job_cancelled = true;
}

bool Fz_print_job_running() { return job_running; }

void Fz_print_job(PrintPageRec* page)
{
    if (job_running)
        return;
    job_running = true;
    job_cancelled = false;
    struct Running {
        ~Running() { job_running = false; }
    } running;
    const int entry = Print_printer_entry(page->printer_index);
    PrintJobDevice job(entry, QString::fromLatin1(DOCUMENT_NAME), [] { return Filedlg_save_pdf(nullptr); });
    if (job.device() == nullptr || job_cancelled)
        return;
    WaitCursor wait;
    QPainter painter;
    if (!job.begin(painter))
        return;
    const uint16_t index = page->printer_index;
    QPaintDevice* canvas = page->canvas;
    const bool was_printer = page->canvas_is_printer;
    page->printer_index = static_cast<uint16_t>(entry);
    page->canvas = job.device();
    page->canvas_is_printer = true;
    PrintParameterPages(page, 0, PrintMode::Range, &painter);
    job.end(painter);
    page->canvas = canvas;
    page->canvas_is_printer = was_printer;
    page->printer_index = index;
}
