// Page rendering of the print list and the print job.
#include "print_core/Print_render.h"

#include <cmath>
#include <limits>
#include <memory>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTime>

#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"

PrintFont PrintFonts[FontCount] = {
    {"Arial", 18, 5, 0xFF0000, 1, 0, 0},           // drive box
    {"Arial", 14, 1, 0x800000, 1, 0, 0},           // page title
    {"Arial", 12, 1, 0x800000, 1, 0, 0},           // section heading
    {"Arial", 10, 1, 0x000000, 0, 0, 0},           // parameter line
    {"Times New Roman", 10, 1, 0x000000, 1, 0, 0}, // column head
    {"Arial", 10, 1, 0x000000, 0, 0, 0},           // page head
    {"Arial", 10, 1, 0x000000, 0, 0, 0},           // page foot
};

namespace {

const char* const COLUMN_TEXT[3][3] = {
    {"Nome Parametro", "Valore", "Unità M."},
    {"Parameter Name", "Value", "Unit"},
    {"Nom Paramètre", "Valeur", "Unité"},
};
const char* const TIME_TEXT[3] = {"Ore", "Time", "Heure"};
const char* const DATE_TEXT[3] = {"Data", "Date", "Date"};
const char* const PAGE_TOO_SMALL[3] = {"Pagina troppo piccola per la stampa!", "Page too small for the printout!",
                                       "Page trop petite pour l'impression !"};

QColor colour(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QString lang_text(const char* const (&t)[3]) { return QString::fromUtf8(t[Lang_index()]); }

QFont font_of(const PrintFont& f, int less_points = 0)
{
    QFont font(QString::fromLatin1(f.face));
    font.setPointSizeF(f.points - less_points);
    const PrintFontStyle s = Fz_print_font_style(f.style);
    font.setBold(s.bold);
    font.setItalic(s.italic);
    return font;
}

void set_resolution(QImage& image, double ppi)
{
    const int dpm = static_cast<int>(std::lround(ppi / 0.0254));
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
}

double printer_ppi(const PrintPageRec* page) { return Fz_print_device_caps(page->printer_index, DeviceCap::LogPixelsX); }

// The painter's font, or a smaller size of it in which `text` is no wider than `width`.
QFont font_to_fit(const QPainter* p, const QString& text, double width)
{
    QFont font = p->font();
    for (int tries = 0; tries < 10; ++tries) {
        const double advance = QFontMetricsF(font, p->device()).horizontalAdvance(text);
        if (advance <= width || width <= 0)
            break;
        font.setPointSizeF(font.pointSizeF() * std::min(0.99, width / advance));
    }
    return font;
}

// Text in a rectangle with the frame drawn first; a text wider than the rectangle is drawn whole
// in a smaller size of the font.
void framed_text(QPainter* p, const QRectF& frame, const QRectF& text_rect, Qt::Alignment align, const QString& text,
                 const QColor& text_colour)
{
    p->setPen(QPen(Qt::black, 0));
    p->setBrush(Qt::NoBrush);
    p->drawRect(frame);
    p->setPen(text_colour);
    const QFont font = p->font();
    p->setFont(font_to_fit(p, text, text_rect.width()));
    p->drawText(text_rect, static_cast<int>(align | Qt::AlignVCenter | Qt::TextDontClip), text);
    p->setFont(font);
}

void draw_row(QPainter* p, const PrintPageRec* page, const PrintLine& line, double x, double y, double h,
              const PrintFont& font, const QString (&texts)[4], const QColor& value_colour)
{
    const double gap = page->column_gap;
    const double inset = page->text_inset;
    const double xa = x;
    const double xn = xa + page->address_width + gap;
    const double xv = xn + page->name_width + gap;
    const double xu = xv + page->value_width + gap;
    const QColor black(Qt::black);
    p->setFont(font_of(font, line.kind == PrintKind::Param ? 2 : 0));
    const QRectF a(xa, y, page->address_width, h);
    framed_text(p, a, a, Qt::AlignHCenter, texts[0], black);
    p->setFont(font_of(font));
    const QRectF n(xn, y, page->name_width, h);
    framed_text(p, n, n.adjusted(inset, 0, 0, 0), Qt::AlignLeft, texts[1], black);
    const QRectF v(xv, y, page->value_width, h);
    framed_text(p, v, v.adjusted(0, 0, -inset, 0), Qt::AlignRight, texts[2], value_colour);
    const QRectF u(xu, y, page->unit_width, h);
    framed_text(p, u, u, Qt::AlignHCenter, texts[3], black);
}

// Room below the position a line of this kind needs, and the height it takes.
struct KindSize {
    double need;
    double height;
};
KindSize kind_size(const PrintPageRec* page, uint8_t kind)
{
    switch (kind) {
    case PrintKind::Param: return {page->param_need, PrintFonts[FontParam].scaled};
    case PrintKind::ColumnHead: return {page->column_head_need, PrintFonts[FontColumnHead].scaled};
    case PrintKind::Section: return {page->section_need, PrintFonts[FontSection].scaled};
    case PrintKind::Title: return {page->title_need, PrintFonts[FontTitle].scaled};
    default: return {0, 0};
    }
}

double head_height(const PrintPageRec* page) { return DrawPrintTimeLine(nullptr, page, 0, 0, false); }

void draw_page(QPainter* p, const PrintPageRec* page, uint32_t number, double x0, double y0, double limit, uint32_t first,
               uint32_t end)
{
    double y = y0 + DrawPrintTimeLine(p, page, x0, y0, true);
    DrawPrintFooter(p, page, x0, limit, number, true);
    if (number == 1)
        y += DrawPrintHeader(p, page, x0, y, true) + page->section_gap;
    // The count decided what this page holds: its lines are drawn whatever this resolution's
    // rounding says.
    for (uint32_t i = first; i < end; ++i)
        DrawParameterTable(p, i, page, x0, &y, std::numeric_limits<double>::infinity(), true);
}

uint32_t count_pass(PrintPageRec* page, double x0, double y0, double limit)
{
    Print_list_clear_marks();
    PrintMarkAdd(0, 1);
    uint32_t number = 1;
    double y = y0 + head_height(page) + DrawPrintHeader(nullptr, page, x0, 0, false) + page->section_gap;
    uint32_t placed = 0;
    const auto count = static_cast<uint32_t>(PrintListLines.size());
    for (uint32_t i = 0; i < count;) {
        if (DrawParameterTable(nullptr, i, page, x0, &y, limit, false)) {
            ++placed;
            ++i;
            continue;
        }
        if (placed == 0 && number > 1) {
            const unsigned l = Lang_index();
            Msgbox_show({MsgIcon::Warning, Msgbox_title(l), PAGE_TOO_SMALL[l], MsgOk});
            return number;
        }
        ++number;
        PrintMarkAdd(i, number);
        y = y0 + head_height(page);
        placed = 0;
    }
    return number;
}

}  // namespace

// ---- geometry ----

int Fz_print_device_caps(int printer, DeviceCap cap)
{
    const PrintDeviceCaps c = Print_printer_caps(printer);
    switch (cap) {
    case DeviceCap::LogPixelsX: return c.logpixelsx;
    case DeviceCap::HorzSize: return c.horzsize;
    case DeviceCap::VertSize: return c.vertsize;
    case DeviceCap::HorzRes: return c.horzres;
    case DeviceCap::VertRes: return c.vertres;
    case DeviceCap::PhysicalWidth: return c.physical_width;
    case DeviceCap::PhysicalHeight: return c.physical_height;
    case DeviceCap::PhysicalOffsetX: return c.physical_offset_x;
    case DeviceCap::PhysicalOffsetY: return c.physical_offset_y;
    default: return 0;
    }
}

int Fz_print_mm_to_px(int mm, int ppi) { return mm * 10 * ppi / 254; }
int Fz_print_tenth_mm_to_px(int tenths, int ppi) { return tenths * ppi / 254; }
double Fz_print_mm_to_px_f(double mm, double ppi) { return mm * 10 * ppi / 254; }
double Fz_print_tenth_mm_to_px_f(double tenths, double ppi) { return tenths * ppi / 254; }

QString Fz_print_time_text(const QTime& time)
{
    return QStringLiteral("%1:%2:%3")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}

PrintFontStyle Fz_print_font_style(int style)
{
    switch (style) {
    case 1: return {true, false};
    case 2: return {false, true};
    default: return {false, false};
    }
}

void Fz_print_page_geometry(double t, PrintPageRec* page)
{
    const int printer = page->printer_index;
    auto cap = [printer](DeviceCap c) { return static_cast<double>(Fz_print_device_caps(printer, c)); };
    const double k = t / cap(DeviceCap::LogPixelsX);
    const double pw = cap(DeviceCap::PhysicalWidth);
    const double ph = cap(DeviceCap::PhysicalHeight);
    const double ox = cap(DeviceCap::PhysicalOffsetX);
    const double oy = cap(DeviceCap::PhysicalOffsetY);
    page->paper_width = static_cast<float>(pw * k);
    page->paper_height = static_cast<float>(ph * k);
    page->offset_x = static_cast<float>(ox * k);
    page->offset_y = static_cast<float>(oy * k);
    page->right_band = static_cast<float>((pw - (ox + cap(DeviceCap::HorzRes))) * k);
    page->bottom_band = static_cast<float>((ph - (oy + cap(DeviceCap::VertRes))) * k);
    double left = t * page->margin_left * 10 / 254;
    double top = t * page->margin_top * 10 / 254;
    left = std::max({left, double{page->offset_x}, double{page->right_band}});
    top = std::max(top, double{page->offset_y});
    const double paper_h = page->paper_height;
    double usable_h = paper_h - 2 * top;
    if (paper_h - page->bottom_band < top + usable_h)
        usable_h = paper_h - (top + page->bottom_band);
    page->left = static_cast<float>(left);
    page->top = static_cast<float>(top);
    page->usable_width = static_cast<float>(page->paper_width - 2 * left);
    page->usable_height = static_cast<float>(usable_h - 1);
}

void Fz_print_fonts(PrintPageRec* page, double t)
{
    const double p = printer_ppi(page);
    QImage scratch(1, 1, QImage::Format_RGB32);
    set_resolution(scratch, p);
    for (PrintFont& f : PrintFonts) {
        const QFontMetricsF metrics(font_of(f), &scratch);
        f.height = metrics.height() + 2 * Fz_print_mm_to_px_f(f.margin_mm, p);
        f.scaled = f.height * t / p;
    }
    auto tenths = [p, t](double v) { return static_cast<float>(Fz_print_tenth_mm_to_px_f(v, p) * t / p); };
    page->row_gap = tenths(5);
    page->section_gap = tenths(40);
    page->foot_gap = tenths(10);
    page->text_inset = tenths(15);
    page->column_gap = tenths(5);
    const double g = page->row_gap;
    const double hp = PrintFonts[FontParam].scaled;
    const double hs = PrintFonts[FontSection].scaled;
    const double ht = PrintFonts[FontTitle].scaled;
    page->param_need = static_cast<float>(hp + g);
    page->column_head_need = static_cast<float>(2 * (hp + g));
    page->section_need = static_cast<float>(2 * (hp + g) + hs + g);
    page->title_need = static_cast<float>(2 * (hp + g) + ht + g + hs + g);
    page->header_height = static_cast<float>(PrintFonts[FontHead].scaled + tenths(10));
    page->footer_height = static_cast<float>(PrintFonts[FontFoot].scaled + tenths(10));
    page->address_width = tenths(250);
    page->value_width = tenths(500);
    page->unit_width = tenths(150);
    page->name_width = page->usable_width - (3 * page->column_gap + page->address_width + page->unit_width + page->value_width);
}

// ---- drawing ----

double DrawPrintTimeLine(QPainter* p, const PrintPageRec* page, double x, double y, bool draw)
{
    const double h = PrintFonts[FontHead].scaled;
    if (draw) {
        p->setFont(font_of(PrintFonts[FontHead]));
        p->setPen(Qt::black);
        p->setBackground(Qt::white);
        const QRectF row(x, y, page->usable_width, h);
        p->drawText(row, Qt::AlignLeft | Qt::AlignVCenter, lang_text(TIME_TEXT) + ": " + page->time_text);
        p->drawText(row, Qt::AlignRight | Qt::AlignVCenter, lang_text(DATE_TEXT) + ": " + page->date_text);
        p->setPen(QPen(colour(PrintColour::Grey), 0));
        p->drawLine(QPointF(x, y + h), QPointF(x + page->usable_width, y + h));
    }
    return h + page->foot_gap;
}

double DrawPrintFooter(QPainter* p, const PrintPageRec* page, double x, double y, uint32_t number, bool draw)
{
    const double h = PrintFonts[FontFoot].scaled;
    if (draw) {
        const double rule = y + page->foot_gap;
        p->setPen(QPen(colour(PrintColour::Grey), 0));
        p->drawLine(QPointF(x, rule), QPointF(x + page->usable_width, rule));
        p->setFont(font_of(PrintFonts[FontFoot]));
        p->setPen(Qt::black);
        const QRectF row(x, rule, page->usable_width, h);
        if (!page->file_text.isEmpty())
            p->drawText(row, Qt::AlignLeft | Qt::AlignVCenter, "File: " + page->file_text);
        p->drawText(row, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Pag.: %1").arg(number));
    }
    return h + page->foot_gap;
}

double DrawPrintHeader(QPainter* p, const PrintPageRec* page, double x, double y, bool draw)
{
    const PrintFont& f = PrintFonts[FontDriveBox];
    if (draw) {
        p->setFont(font_of(f));
        const QRectF box(x, y, page->usable_width, f.scaled);
        framed_text(p, box, box, Qt::AlignHCenter, page->second_family ? "DRIVE PELSAN" : "DRIVE ORVEL", colour(f.colour));
    }
    return f.scaled;
}

bool DrawParameterTable(QPainter* p, uint32_t index, const PrintPageRec* page, double x, double* y, double limit, bool draw)
{
    if (index >= PrintListLines.size())
        return false;
    const PrintLine& line = PrintListLines[index];
    const KindSize size = kind_size(page, line.kind);
    if (!(*y + size.need < limit))
        return false;
    if (draw) {
        switch (line.kind) {
        case PrintKind::Param: {
            const QString texts[4] = {line.address, line.name, line.value, line.unit};
            draw_row(p, page, line, x, *y, size.height, PrintFonts[FontParam], texts, colour(line.colour));
            break;
        }
        case PrintKind::ColumnHead: {
            const unsigned l = Lang_index();
            const QString texts[4] = {line.address, QString::fromUtf8(COLUMN_TEXT[l][0]), QString::fromUtf8(COLUMN_TEXT[l][1]),
                                      QString::fromUtf8(COLUMN_TEXT[l][2])};
            draw_row(p, page, line, x, *y, size.height, PrintFonts[FontColumnHead], texts, Qt::black);
            break;
        }
        case PrintKind::Section: {
            const PrintFont& f = PrintFonts[FontSection];
            p->setFont(font_of(f));
            const QRectF frame(x, *y, page->usable_width, size.height);
            const Qt::Alignment align = line.align == 1 ? Qt::AlignRight : line.align == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
            framed_text(p, frame, frame.adjusted(page->text_inset, 0, 0, 0), align, line.name, colour(f.colour));
            break;
        }
        case PrintKind::Title: {
            const PrintFont& f = PrintFonts[FontTitle];
            p->setFont(font_of(f));
            const QRectF frame(x, *y, page->usable_width, size.height);
            framed_text(p, frame, frame, Qt::AlignHCenter, line.name, colour(f.colour));
            break;
        }
        default: break;
        }
    }
    *y += size.height + page->row_gap;
    if (index + 1 < PrintListLines.size()) {
        const uint8_t next = PrintListLines[index + 1].kind;
        if ((line.kind == PrintKind::Param && next == PrintKind::Section) || next == PrintKind::Title)
            *y += page->section_gap;
    }
    return true;
}

// ---- page pass ----

uint32_t PrintParameterPages(PrintPageRec* page, uint32_t n, int mode, QPainter* printer_painter)
{
    const bool printer = page->canvas_is_printer;
    const double t = printer ? printer_ppi(page) : page->density;
    if (t <= 0)
        return 0;
    Fz_print_page_geometry(t, page);
    Fz_print_fonts(page, t);
    double x0 = page->left + (printer ? 0.0 : page->origin_x);
    double y0 = page->top + (printer ? 0.0 : page->origin_y);
    if (printer) {
        x0 -= page->offset_x;
        y0 -= page->offset_y;
    }
    const double limit = y0 + page->usable_height - page->footer_height;
    if (mode == PrintMode::Count)
        return count_pass(page, x0, y0, limit);

    std::unique_ptr<QPainter> own;
    QPainter* painter = printer_painter;
    if (!printer) {
        if (page->canvas == nullptr)
            return 0;
        if (auto* image = dynamic_cast<QImage*>(page->canvas))
            set_resolution(*image, t);
        own = std::make_unique<QPainter>(page->canvas);
        painter = own.get();
    }
    if (painter == nullptr || !painter->isActive())
        return 0;
    painter->setRenderHint(QPainter::TextAntialiasing);
    const uint32_t first = mode == PrintMode::Range ? page->first_page : n;
    const uint32_t last = mode == PrintMode::Range ? page->last_page : n;
    uint32_t reached = first;
    bool started = false;
    for (uint32_t number = first; number >= 1 && number <= last; ++number) {
        const std::optional<uint32_t> start = PrintMarkFind(number);
        if (!start)
            break;
        const std::optional<uint32_t> next = PrintMarkFind(number + 1);
        const uint32_t end = next ? *next : static_cast<uint32_t>(PrintListLines.size());
        if (started) {
            if (auto* device = dynamic_cast<QPagedPaintDevice*>(page->canvas); device != nullptr && printer)
                device->newPage();
        }
        started = true;
        draw_page(painter, page, number, x0, y0, limit, *start, end);
        reached = number;
    }
    return reached;
}

void Fz_print_count_pages(PrintPageRec* page)
{
    QImage image(600, 600, QImage::Format_RGB32);
    set_resolution(image, page->density);
    QPaintDevice* canvas = page->canvas;
    const bool was_printer = page->canvas_is_printer;
    page->canvas = &image;
    page->canvas_is_printer = false;
    const uint32_t count = PrintParameterPages(page, 0, PrintMode::Count);
    page->canvas = canvas;
    page->canvas_is_printer = was_printer;
    page->page_count = count;
    page->first_page = 1;
    page->last_page = count;
    page->current_page = 1;
}
