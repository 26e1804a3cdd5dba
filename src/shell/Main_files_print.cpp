// Printout of a drive data set through the services of the parameter printout.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

#include <QDate>
#include <QDialog>
#include <QTime>

#include "drivedata/Globvar.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "print_core/Print_list.h"
#include "shell/Main.h"
#include "shell/Main_files.h"
#include "shell/Settings.h"
#include "shell/Toolwin.h"

uint8_t& PrintPreviewMode = PrintPage.preview_mode;

namespace {

constexpr uint16_t PRINT_DENSITY = 96;
constexpr uint16_t PRINT_MARGIN = 15;
constexpr int32_t PRINT_WAIT_MS = 2000;  // for the drive's answers to what the print asked

const char* const NO_PRINTER_TEXT[3] = {"Nessuna Stampante Rilevata !", "No Printer Present !",
                                        "Pas d’Imprimante Détectée"};

// The print's requests of the drive's live values: the next one to send (none: nothing to ask),
// and the link session the last one sent went out in (none: no answer of the print outstanding).
constexpr uint8_t NO_ASK = UINT8_MAX;
uint8_t next_ask = NO_ASK;
std::optional<uint32_t> asked_in;
PrintWaitEnd wait_end = PrintWaitEnd::NothingAsked;

void forget_asks()
{
    next_ask = NO_ASK;
    asked_in.reset();
}

std::optional<DrivePrintService>& service()
{
    static std::optional<DrivePrintService> s;
    return s;
}

bool complete(const DrivePrintService& s)
{
    return s.field_bus && s.io_profile && s.modbus_profile && s.canopen_profile && s.time_text && s.count_pages &&
           s.print_job;
}

// Shows a window of the printout modally and deletes it; its result, or 0 without the window.
int run_window(ToolWin kind, QWidget* parent)
{
    QWidget* w = Toolwin_create(kind, parent);
    if (w == nullptr)
        return 0;
    int result = 0;
    if (auto* dialog = qobject_cast<QDialog*>(w))
        result = dialog->exec();
    delete w;
    return result;
}

}  // namespace

void Main_register_print_service(const DrivePrintService& s)
{
    service() = s;
}

void Main_unregister_print_service()
{
    service().reset();
    forget_asks();  // nothing asked for a service gone
}

bool PrintDriveData_available()
{
    return service() && complete(*service()) && Toolwin_available(ToolWin::SetPrint) &&
           Toolwin_available(ToolWin::PrintPreview) && Toolwin_available(ToolWin::PrinterData);
}

void PrintDriveData(const DriveRecord* record, uint8_t mode, const QString& file_name)
{
    if (record == nullptr || !PrintDriveData_available())
        return;
    const DrivePrintService& s = *service();
    Print_list_clear_lines();
    s.field_bus(record);
    switch (PrintPage.profile) {
    case PrintProfile::Io:
        s.io_profile(record);
        break;
    case PrintProfile::Modbus:
        s.modbus_profile(record);
        break;
    case PrintProfile::Canopen:
        s.canopen_profile(record, static_cast<uint8_t>(PageContext.load()));
        break;
    default:
        break;
    }
    PrintPage.density = PRINT_DENSITY;
    PrintPage.second_family = Settings_second_family();
    PrintPage.time_text = s.time_text(QTime::currentTime());
    PrintPage.date_text = Main_date_text(QDate::currentDate());
    PrintPage.margin_left = PRINT_MARGIN;
    PrintPage.margin_top = PRINT_MARGIN;
    s.count_pages(&PrintPage);
    PrintPage.file_text = file_name.isEmpty() ? QString() : Main_file_part(DriveDataFileName);
    if (mode == 1) {
        run_window(ToolWin::PrintPreview, Form_main);
    } else if (run_window(ToolWin::PrinterData, Form_main) == 1) {
        s.print_job(&PrintPage);
    }
}

void Main_print_ask_drive()
{
    next_ask = 0;
    Main_print_ask_step();
}

void Main_print_ask_step()
{
    const uint8_t count = service() ? service()->ask_count : 0;
    for (; next_ask < count; ++next_ask) {
        const uint32_t session = Serrx_session();
        const ListSend sent = service()->asks[next_ask]();
        if (sent == ListSend::Refused)
            break;
        if (sent == ListSend::Sent)
            asked_in = session;
    }
    if (next_ask >= count)
        next_ask = NO_ASK;
}

PrintWaitEnd Main_print_wait_end()
{
    return wait_end;
}

namespace {

// Before the list is built: sends what is left of the print's requests and waits up to timeout_ms
// for the answers; the last answer or the end of the link session they went out in ends it.
PrintWaitEnd wait_drive(int32_t timeout_ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    Main_print_ask_step();
    while (asked_in || next_ask != NO_ASK) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        // No list outstanding: the print's last one answered, or forgotten with the link; one of
        // another sender lets the next request of the print go out.
        if (left.count() <= 0 || !Sertx_wait_read_list(static_cast<int32_t>(left.count())))
            return PrintWaitEnd::TimeLimit;
        if (asked_in && *asked_in != Serrx_session())
            return PrintWaitEnd::LinkLost;
        if (next_ask == NO_ASK)
            return PrintWaitEnd::Answered;
        const uint8_t refused = next_ask;
        Main_print_ask_step();
        if (next_ask == refused)
            return PrintWaitEnd::Refused;
    }
    return PrintWaitEnd::NothingAsked;
}

}  // namespace

void Main_print_command(QWidget* parent, const DriveRecord* record, uint8_t mode, const QString& file_name)
{
    if (PrintPage.printer_count == 0) {
        const unsigned l = Lang_index();
        Msgbox_show({MsgIcon::Warning, Msgbox_title(l), NO_PRINTER_TEXT[l], MsgOk});
        return;
    }
    if (!PrintDriveData_available())
        return;
    PrintPreviewMode = mode;
    const bool chosen = run_window(ToolWin::SetPrint, parent) == 1;
    wait_end = chosen ? wait_drive(PRINT_WAIT_MS) : PrintWaitEnd::NothingAsked;
    forget_asks();  // the rest would come too late for this print
    if (chosen)
        PrintDriveData(record, mode, file_name);
}
