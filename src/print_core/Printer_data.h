#pragma once
// The page record of a printout: chosen printer, data set profile, page counters, the geometry of
// the target in pixels and the texts of the page head and foot. The parameter printout's instance
// is PrintPage; the trace print keeps another.
#include <cstdint>

#include <QString>

class QPaintDevice;

namespace PrintProfile {
constexpr uint16_t Io = 1;
constexpr uint16_t Modbus = 2;
constexpr uint16_t Canopen = 4;
}  // namespace PrintProfile

struct PrintPageRec {
    uint16_t printer_index = 0;  // entry of the printer list (Print_printers.h)
    uint16_t printer_count = 0;  // entries of the printer list (0: none)
    uint16_t profile = 0;        // PrintProfile value of the selection
    uint8_t preview_mode = 0;    // 1 started from a Preview button
    bool second_family = false;  // drive family of the printout (the drive box's name)
    uint32_t current_page = 0;   // page shown by the preview, from 1
    uint32_t page_count = 0;
    uint32_t first_page = 0;     // range to print, 1-based, inclusive
    uint32_t last_page = 0;
    QPaintDevice* canvas = nullptr;  // target of the next page pass
    bool canvas_is_printer = false;  // the canvas is the printer's (printer resolution, origin 0)
    uint16_t density = 0;        // pixels per inch of a non-printer canvas (96; the zoom changes it)
    uint16_t margin_left = 0;    // mm (15)
    uint16_t margin_top = 0;     // mm (15)
    // Geometry in pixels of the last pass's target.
    float origin_x = 0, origin_y = 0;  // page corner on a preview image
    float usable_width = 0, usable_height = 0;
    float paper_width = 0, paper_height = 0;
    float left = 0, top = 0;
    float offset_y = 0, bottom_band = 0, offset_x = 0, right_band = 0;
    float row_gap = 0, section_gap = 0;
    float param_need = 0, column_head_need = 0, title_need = 0, section_need = 0;
    float header_height = 0, footer_height = 0;
    float address_width = 0, name_width = 0, value_width = 0, unit_width = 0;
    float column_gap = 0, foot_gap = 0, text_inset = 0;
    QString time_text, date_text, file_text;
};

extern PrintPageRec PrintPage;
