#pragma once
// The page set-up of a parameter printout: chosen printer, data set profile, density, margins,
// page counters and the texts of the printout header.
#include <cstdint>

namespace PrintProfile {
constexpr uint16_t Io = 1;
constexpr uint16_t Modbus = 2;
constexpr uint16_t Canopen = 4;
}  // namespace PrintProfile

constexpr int PRINT_TIME_TEXT = 16;
constexpr int PRINT_DATE_TEXT = 16;
constexpr int PRINT_FILE_TEXT = 104;

struct PrintPageRec {
    uint16_t printer_index;  // current printer among the installed ones
    uint16_t printer_count;  // installed printers (0: none)
    uint16_t profile;        // PrintProfile bits of the data set
    uint16_t density;        // dots per inch of the layout (96)
    uint16_t margin_left;    // mm (15)
    uint16_t margin_top;     // mm (15)
    uint16_t page_count;
    uint16_t first_page;
    uint16_t last_page;
    uint16_t current_page;
    char time_text[PRINT_TIME_TEXT];  // header texts, zero-terminated
    char date_text[PRINT_DATE_TEXT];
    char file_text[PRINT_FILE_TEXT];
};
constexpr int PRINT_PAGE_CLEAR_BYTES = 156;  // what the first showing of the main window clears
static_assert(sizeof(PrintPageRec) == PRINT_PAGE_CLEAR_BYTES);

extern PrintPageRec PrintPage;
