// Printout figures: building and counting a whole CANopen printout of the default data set (the
// pipeline's work before the preview shows, target 200 ms) and one preview repaint of a page
// (the 50 ms timer's work when the page or the zoom changed).
#include <benchmark/benchmark.h>

#include <QImage>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Sortdat.h"
#include "platform/Msgbox.h"
#include "print_core/Print_preview.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print_core/Print_render.h"
#include "print/Print_sections.h"

namespace {

void prepare(DriveRecord& record)
{
    static const bool once = [] {
        Sortdat_sort(PrtDat, PRT_DAT_COUNT);
        Sortdat_sort(MdbDat, MDB_DAT_COUNT);
        Sortdat_sort(CanDat, CAN_DAT_COUNT);
        Frm_output_build_size_tables();
        return true;
    }();
    (void)once;
    Msgbox_set_sink([](const MsgRequest&) { return MsgOk; });
    Print_set_printer_source(PrinterSource{});
    Init_default_image(record, 0, 0, FAMILY_FLAG_ORVEL);
    Rec_set<uint16_t>(record, RecOfs::BusType, 2);
    PrintPage = {};
    PrintPage.density = 96;
    PrintPage.margin_left = PrintPage.margin_top = 15;
}

void build_and_count(const DriveRecord& record)
{
    Print_list_clear_lines();
    Print_list_field_bus(&record);
    Print_list_canopen_profile(&record, 0);
    Fz_print_count_pages(&PrintPage);
}

void BM_CanopenPrintoutBuildAndCount(benchmark::State& state)
{
    DriveRecordBank[0] = {};
    prepare(DriveRecordBank[0]);
    for (auto _ : state) {
        build_and_count(DriveRecordBank[0]);
        benchmark::DoNotOptimize(PrintPage.page_count);
    }
    state.counters["lines"] = static_cast<double>(PrintListLines.size());
    state.counters["pages"] = PrintPage.page_count;
}
BENCHMARK(BM_CanopenPrintoutBuildAndCount)->Unit(benchmark::kMillisecond);

void BM_PreviewRepaint(benchmark::State& state)
{
    DriveRecordBank[0] = {};
    prepare(DriveRecordBank[0]);
    build_and_count(DriveRecordBank[0]);
    QImage image(800, 600, QImage::Format_RGB32);
    PrintPage.canvas = &image;
    PrintPage.density = 94;  // 100 % on an 800-pixel panel
    PrintPage.origin_x = 10;
    PrintPage.origin_y = 0;
    uint32_t page = 1;
    for (auto _ : state) {
        Print_preview_draw_paper(image, PrintPage);
        PrintParameterPages(&PrintPage, page, PrintMode::Page);
        page = page % PrintPage.page_count + 1;
        benchmark::DoNotOptimize(image.constBits());
    }
    PrintPage.canvas = nullptr;
}
BENCHMARK(BM_PreviewRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
