#pragma once
// Page rendering of the print list: device capabilities, unit conversions, page geometry, fonts,
// the page head, foot and drive box, the placing of one line, the page pass (print a range, draw
// one page, count pages). The trace print shares the geometry.
#include <cstdint>

#include <QString>

#include "print_core/Printer_data.h"

class QPainter;
class QTime;

enum class DeviceCap : uint8_t {
    LogPixelsX,
    HorzSize,
    VertSize,
    HorzRes,
    VertRes,
    PhysicalWidth,
    PhysicalHeight,
    PhysicalOffsetX,
    PhysicalOffsetY,
    Other,
};

// Capability of a printer entry (Print_printers.h); the A4 table without a printer.
int Fz_print_device_caps(int printer, DeviceCap cap);

int Fz_print_mm_to_px(int mm, int ppi);
int Fz_print_tenth_mm_to_px(int tenths, int ppi);
double Fz_print_mm_to_px_f(double mm, double ppi);
double Fz_print_tenth_mm_to_px_f(double tenths, double ppi);

// "hh:mm:ss".
QString Fz_print_time_text(const QTime& time);

// The seven fonts of the printout, measured in this order.
enum PrintFontUse : uint8_t { FontDriveBox, FontTitle, FontSection, FontParam, FontColumnHead, FontHead, FontFoot, FontCount };
struct PrintFont {
    const char* face;
    int points;
    int margin_mm;   // above and below the text
    uint32_t colour;  // 0x00BBGGRR
    int style;        // 0 regular, 1 bold, 2 italic
    double height;    // at the printer's resolution
    double scaled;    // at the target resolution
};
extern PrintFont PrintFonts[FontCount];

struct PrintFontStyle {
    bool bold;
    bool italic;
};
// 0 regular, 1 bold, 2 italic; any other code regular.
PrintFontStyle Fz_print_font_style(int style);

// Geometry fields of the page for a target resolution `ppi` (printer: page->printer_index).
void Fz_print_page_geometry(double ppi, PrintPageRec* page);
// Measures the fonts at the printer's resolution and fills the layout fields for `ppi`.
void Fz_print_fonts(PrintPageRec* page, double ppi);

// Heights used; nothing is drawn when `draw` is false (painter may be null then).
double DrawPrintTimeLine(QPainter* painter, const PrintPageRec* page, double x, double y, bool draw);
double DrawPrintFooter(QPainter* painter, const PrintPageRec* page, double x, double y, uint32_t page_number, bool draw);
double DrawPrintHeader(QPainter* painter, const PrintPageRec* page, double x, double y, bool draw);
// Places line `index` of the print list at (x, *y) above `limit`: true and *y advanced when it
// fits (every comparison strict).
bool DrawParameterTable(QPainter* painter, uint32_t index, const PrintPageRec* page, double x, double* y, double limit,
                        bool draw);

namespace PrintMode {
constexpr int Range = 0;  // print first_page..last_page on the printer
constexpr int Page = 1;   // draw one page
constexpr int Count = 2;  // count pages and record the marks
}  // namespace PrintMode

// The page pass. The count decides where pages break: a drawing pass draws page n from mark n
// up to mark n + 1 (or the list end). A line that cannot fit an empty page ends the count with
// one warning. The result is the page reached (the count in mode Count). With a printer canvas
// the caller's painter is used and new printer pages are started.
uint32_t PrintParameterPages(PrintPageRec* page, uint32_t page_number, int mode, QPainter* printer_painter = nullptr);

// Counts the pages on an off-screen image at the page's resolution: page count, first page 1,
// last page = count, current page 1.
void Fz_print_count_pages(PrintPageRec* page);
