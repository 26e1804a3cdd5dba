#pragma once
// The printer list of the printouts: the system's printers, then "PDF file". Tests replace the
// system's printers with a source of their own.
#include <functional>
#include <memory>
#include <optional>

#include <QPagedPaintDevice>
#include <QString>
#include <QStringList>

class QBuffer;
class QPainter;
class QPdfWriter;
class QPrinter;

// Device capabilities of a printer in device pixels.
struct PrintDeviceCaps {
    int logpixelsx = 0;
    int horzsize = 0;  // mm of the paintable area
    int vertsize = 0;
    int horzres = 0;   // paintable area
    int vertres = 0;
    int physical_width = 0;
    int physical_height = 0;
    int physical_offset_x = 0;  // paintable area's corner on the paper
    int physical_offset_y = 0;
};

// A4 at 360 pixels per inch: the capabilities used while no printer is installed.
constexpr PrintDeviceCaps PRINT_A4_CAPS{360, 204, 280, 2892, 3969, 2976, 4209, 42, 42};

// The last entry, by language (Italian, English, French).
inline const char* const PRINT_PDF_ENTRY[3] = {"File PDF", "PDF file", "Fichier PDF"};

struct PrinterSource {
    QStringList names;         // system printers; empty: no printer at all (not even "PDF file")
    int default_index = -1;    // -1: no current printer
    PrintDeviceCaps caps = PRINT_A4_CAPS;  // of every named printer
    // Makes the printer of a named entry; unset: a PDF printer without a file, which cannot begin.
    std::function<std::unique_ptr<QPrinter>()> make{};
};

// Replaces the system's printers (nullopt: the system's again). Clears the cached list.
void Print_set_printer_source(std::optional<PrinterSource> source);

// The entries: the printers, then "PDF file"; none when the source has no printer.
QStringList Print_printer_names();
int Print_printer_count();
// The current printer's entry; -1 or an index beyond the list gives the first entry (0; -1 when
// the list is empty).
int Print_default_printer();
// Clamps an entry index the same way.
int Print_printer_entry(int index);
bool Print_printer_is_pdf(int index);
// Capabilities of the entry; PRINT_A4_CAPS when the list is empty.
PrintDeviceCaps Print_printer_caps(int index);
// A printer ready for the entry: the named system printer, or PDF output on A4; null for an
// entry beyond the list. A test source's named printers come from its `make`.
std::unique_ptr<QPrinter> Print_make_printer(int index);
// The device of one print job on an entry of the list, titled `document`. A system printer is
// painted directly; "PDF file" asks `choose_pdf` for the file (an empty name cancels the job)
// and is rendered into memory, then saved through Savefile_write when the job ends, so that a
// failed save leaves the old file as it was.
class PrintJobDevice {
public:
    PrintJobDevice(int index, const QString& document, const std::function<QString()>& choose_pdf);
    ~PrintJobDevice();
    PrintJobDevice(const PrintJobDevice&) = delete;
    PrintJobDevice& operator=(const PrintJobDevice&) = delete;

    // Null for an entry beyond the list or a cancelled file choice.
    QPagedPaintDevice* device() const { return device_; }
    // Begins the painter on the device; a device that cannot begin gives one warning naming the
    // printer or file ("Stampa non riuscita: " + target).
    bool begin(QPainter& painter);
    // Ends the painter and saves the PDF. A printer that fails gives the warning of begin; a save
    // that fails the warning of every save (Savefile_warn). True when printed or saved.
    bool end(QPainter& painter);

private:
    void warn_failed() const;

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QBuffer> pdf_bytes_;
    std::unique_ptr<QPdfWriter> pdf_;
    QPagedPaintDevice* device_ = nullptr;
    QString target_;  // the printer's name or the file
};
