// The printer list of the printouts.
#include "print_core/Print_printers.h"

#include <map>

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"

namespace {

std::optional<PrinterSource>& source()
{
    static std::optional<PrinterSource> s;
    return s;
}

std::map<int, PrintDeviceCaps>& caps_cache()
{
    static std::map<int, PrintDeviceCaps> c;
    return c;
}

QStringList system_names()
{
    return source() ? source()->names : QPrinterInfo::availablePrinterNames();
}

bool has_printers()
{
    return !source() || !source()->names.isEmpty();
}

PrintDeviceCaps caps_of(const QPrinter& p)
{
    const QRect paper = p.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = p.pageRect(QPrinter::DevicePixel).toRect();
    const QRectF page_mm = p.pageRect(QPrinter::Millimeter);
    return {p.resolution(),      qRound(page_mm.width()), qRound(page_mm.height()), page.width(), page.height(),
            paper.width(),       paper.height(),          page.x(),                 page.y()};
}

}  // namespace

void Print_set_printer_source(std::optional<PrinterSource> s)
{
    source() = std::move(s);
    caps_cache().clear();
}

QStringList Print_printer_names()
{
    if (!has_printers())
        return {};
    QStringList names = system_names();
    names.append(QString::fromUtf8(PRINT_PDF_ENTRY[Lang_index()]));
    return names;
}

int Print_printer_count()
{
    return static_cast<int>(Print_printer_names().size());
}

int Print_printer_entry(int index)
{
    const int count = Print_printer_count();
    if (count == 0)
        return -1;
    return index < 0 || index >= count ? 0 : index;
}

int Print_default_printer()
{
    if (source())
        return Print_printer_entry(source()->default_index);
    const QString def = QPrinterInfo::defaultPrinterName();
    return Print_printer_entry(def.isEmpty() ? -1 : static_cast<int>(system_names().indexOf(def)));
}

bool Print_printer_is_pdf(int index)
{
    const int count = Print_printer_count();
    return count > 0 && index == count - 1;
}

PrintDeviceCaps Print_printer_caps(int index)
{
    if (Print_printer_count() == 0)
        return PRINT_A4_CAPS;
    index = Print_printer_entry(index);
    if (source() && !Print_printer_is_pdf(index))
        return source()->caps;
    auto& cache = caps_cache();
    if (auto it = cache.find(index); it != cache.end())
        return it->second;
    const std::unique_ptr<QPrinter> printer = Print_make_printer(index);
    const PrintDeviceCaps caps = printer ? caps_of(*printer) : PRINT_A4_CAPS;
    cache[index] = caps;
    return caps;
}

std::unique_ptr<QPrinter> Print_make_printer(int index)
{
    const int count = Print_printer_count();
    if (index < 0 || index >= count)
        return nullptr;
    std::unique_ptr<QPrinter> printer;
    if (!Print_printer_is_pdf(index) && source() && source()->make) {
        printer = source()->make();
    } else if (Print_printer_is_pdf(index) || source()) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        if (!Print_printer_is_pdf(index))
            printer->setPrinterName(QString());
    } else {
        printer = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(system_names().at(index)), QPrinter::HighResolution);
    }
    printer->setPageOrientation(QPageLayout::Portrait);
    return printer;
}

PrintJobDevice::PrintJobDevice(int index, const QString& document, const std::function<QString()>& choose_pdf)
{
    printer_ = Print_make_printer(index);
    if (!printer_)
        return;
    target_ = Print_printer_names().value(index);
    if (!Print_printer_is_pdf(index)) {
        printer_->setDocName(document);
        printer_->setCreator(document);
        device_ = printer_.get();
        return;
    }
    target_ = choose_pdf ? choose_pdf() : QString();
    if (target_.isEmpty())
        return;
    pdf_bytes_ = std::make_unique<QBuffer>();
    pdf_bytes_->open(QIODevice::WriteOnly);
    pdf_ = std::make_unique<QPdfWriter>(pdf_bytes_.get());
    pdf_->setResolution(printer_->resolution());  // the geometry of the entry's capabilities
    pdf_->setPageLayout(printer_->pageLayout());
    pdf_->setTitle(document);
    pdf_->setCreator(document);
    device_ = pdf_.get();
}

PrintJobDevice::~PrintJobDevice() = default;

void PrintJobDevice::warn_failed() const
{
    static const char* const FAILED[3] = {"Stampa non riuscita: ", "Printing failed: ", "Échec de l'impression : "};
    const unsigned l = Lang_index();
    Msgbox_show({MsgIcon::Warning, Msgbox_title(l), std::string(FAILED[l]) + target_.toStdString(), MsgOk});
}

bool PrintJobDevice::begin(QPainter& painter)
{
    if (device_ != nullptr && painter.begin(device_))
        return true;
    warn_failed();
    return false;
}

bool PrintJobDevice::end(QPainter& painter)
{
    const bool ended = painter.end();
    if (ended && pdf_) {
        const QByteArray& bytes = pdf_bytes_->data();
        return Savefile_write_or_warn(target_.toStdString(), bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                      Lang_index());
    }
    if (ended && printer_->printerState() != QPrinter::Error)
        return true;
    warn_failed();
    return false;
}
