// Registration of the printout with the shell.
#include "print/Print_install.h"

#include <iterator>

#include "pages/fieldbus/Frm_cands301.h"
#include "pages/fieldbus/Frm_cands301_dat_com.h"
#include "print/Print_dialogs.h"
#include "print/Print_job.h"
#include "print_core/Print_render.h"
#include "print/Print_sections.h"
#include "shell/Main_files.h"
#include "shell/Toolwin.h"

namespace {

// What the CANopen printout shows of the connected drive, asked with the lists of the pages that
// show it (each once, its reply counted for no page): the identity with its two texts, and 1005h.
constexpr DriveAsk ASKS[] = {+[] { return Frm_cands301_page().ask_once(); },
                             +[] { return Frm_cands301_dat_com_page().ask_once(); }};

}  // namespace

void Print_install()
{
    DrivePrintService service;
    service.field_bus = Print_list_field_bus;
    service.io_profile = Print_list_io_profile;
    service.modbus_profile = Print_list_modbus_profile;
    service.canopen_profile = Print_list_canopen_profile;
    service.time_text = Fz_print_time_text;
    service.count_pages = Fz_print_count_pages;
    service.print_job = Fz_print_job;
    service.asks = ASKS;
    service.ask_count = static_cast<uint8_t>(std::size(ASKS));
    Main_register_print_service(service);
    Toolwin_register(ToolWin::SetPrint, [](QWidget* parent) { return new TForm_Set_Print(parent); });
    Toolwin_register(ToolWin::PrinterData, [](QWidget* parent) { return new TForm_printer_data(parent); });
    Toolwin_register(ToolWin::PrintPreview, [](QWidget* parent) { return new TForm_print_preview(parent); });
}
