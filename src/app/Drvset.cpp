// Program entry: keeps the command line, builds the application and the three start-up windows,
// runs the message loop. No exception crosses the event loop: it is shown and the program goes on.
#include <exception>

#include <QApplication>

#include "controls/Fonts.h"
#include "controls/Window_place.h"
#include "flash_core/Flashcom_mot.h"
#include "flash_core/Flashctrl.h"
#include "flash/Flashsh7047.h"
#include "platform/Msgbox.h"
#include "print/Print_install.h"
#include "scope/Oscx.h"
#include "scope/Oscx_set.h"
#include "pages/Pages.h"
#include "shell/Main_page_host.h"
#include "shell/Allarmi.h"
#include "shell/E2p_dialogs.h"
#include "link/Link_state.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Msgbox_qt.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"
#include "tools/Tools.h"

namespace {

const char* const APP_TITLE = "Pendrix";

// The standard exception box.
void show_exception(const char* what)
{
    Msgbox_show({MsgIcon::Error, APP_TITLE, what, MsgOk});
}

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            show_exception(e.what());
        } catch (...) {
            show_exception("Unknown exception");
        }
        return false;
    }
};

// The arguments after the program name, joined by single blanks (Qt's own options included).
QString join_arguments(int argc, char** argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(QLatin1Char(' '));
}

}  // namespace

int main(int argc, char** argv)
{
    ShellState::install();
    Pages_install(Main_page_host());
    State_reset_all();
    CommandLine = join_arguments(argc, argv);
    Fonts_install();
    TApplication app(argc, argv);
    Window_place_install();
    Msgbox_install_qt_sink();
    QApplication::setApplicationName(APP_TITLE);
    Flash_install();
    Flashcom_mot_set_kernel_folder((QCoreApplication::applicationDirPath() + "/bootloader").toStdString());
    try {
        Main_register_eeprom_dialogs();
        Print_install();
        Flashsh7047_register();
        Tools_install();
        Oscx_register_windows([](OscxWindow w, OscxWindowFactory make) {
            if (w == OscxWindow::Set)
                Toolwin_register(ToolWin::OscxSet, make);
            if (w == OscxWindow::LoadDat)
                Toolwin_register(ToolWin::OscxLoadDat, make);
            if (w == OscxWindow::PrintPreview)
                Toolwin_register(ToolWin::OscxPrintPreview, make);
        });
        Oscx_register_window();
        auto* main_window = new TForm_main;
        auto* terminal = new TForm_terminal;
        auto* alarms = new TForm_allarmi;
        main_window->show();
        app.exec();
        delete alarms;
        delete terminal;
        delete main_window;
    } catch (const std::exception& e) {
        show_exception(e.what());
    } catch (...) {
        show_exception("Unknown exception");
    }
    return 0;
}
