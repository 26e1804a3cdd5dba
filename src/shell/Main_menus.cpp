// Main window menus and tool buttons: new data sets from defaults, motor data files, print and
// preview, send all, auto-save, and the commands that open the tool windows.
#include "shell/Main.h"

#include <filesystem>

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Record.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "print_core/Printer_data.h"
#include "shell/About.h"
#include "shell/Form_send_drive.h"
#include "shell/Main_files.h"
#include "shell/Main_menus.h"
#include "shell/Mainstate.h"
#include "shell/Monitor_i2t.h"
#include "shell/Password.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Terminal.h"
#include "shell/Toolwin.h"

MotorRecord MotorEditCopy{};
MotorRecord MotorEditRef{};
QString MotorDataFileName;
ToolsEntriesRec ToolsEntries;

namespace {

const char* const DATA_SAVED[3] = {"Dati Salvati !", "Data Saved !", "Données Enregistrées !"};
const char* const SEND_ALL_TITLE[3] = {"salva tutti dati", "Saves all data", "Enregistre toutes les données"};
constexpr uint8_t MAX_VOLTAGE_CLASS = 1;

FileDialogSpec motor_dialog(const QString& title, bool save)
{
    FileDialogSpec spec;
    spec.title = title;
    spec.folder = Filedlg_folder(MotorDataFolder);
    spec.filter = MOTOR_FILE_FILTER;
    spec.default_suffix = "mot";
    spec.save = save;
    return spec;
}

bool motor_editor_available() { return Toolwin_available(ToolWin::LoadMotor); }
bool motor_loader_available() { return motor_editor_available() && ToolsEntries.load_motor_file != nullptr; }

// Creates a window of a registered kind, shows it modally and deletes it; -1 when none was made.
int run_modal(ToolWin kind, QWidget* parent)
{
    QPointer<QWidget> window = Toolwin_create(kind, parent);
    if (!window)
        return -1;
    int result = -1;
    if (auto* dialog = qobject_cast<QDialog*>(window.data()))
        result = dialog->exec();
    delete window.data();
    return result;
}

void set_enabled(QAction* action, QToolButton* button, bool on)
{
    if (action)
        action->setEnabled(on);
    if (button)
        button->setEnabled(on);
}

QAction* button_action(QObject* owner, const char* name)
{
    auto* a = new QAction(owner);
    a->setObjectName(name);
    return a;
}

}  // namespace

// ---- binding ----

void TForm_main::Main_menus_connect()
{
    if (menus_connected_)
        return;
    menus_connected_ = true;
    Act_open_dati_drive_def = button_action(this, "Act_open_dati_drive_def");
    Act_open_dati_motor_def = button_action(this, "Act_open_dati_motor_def");
    Act_invia = button_action(this, "Act_invia");
    Act_oscx = button_action(this, "Act_oscx");
    Act_oscx_open = button_action(this, "Act_oscx_open");

    struct Binding {
        QAction* action;
        QToolButton* button;
        void (TForm_main::*handler)();
    };
    const Binding bindings[] = {
        {Act_open_dati_drive_def, BitBtn_open_dati_drive_def, &TForm_main::BitBtn_open_dati_drive_defClick},
        {Act_open_dati_motor_def, BitBtn_open_dati_motor_def, &TForm_main::BitBtn_open_dati_motor_defClick},
        {Menu_Carica_Motore, BitBtn_load_dati_motor, &TForm_main::BitBtn_load_dati_motorClick},
        {Menu_Salva_Motore, BitBtn_salva_dati_motor, &TForm_main::BitBtn_salva_dati_motorClick},
        {Menu_AnteprimadiStampa, BitBtn_preview, &TForm_main::BitBtn_previewClick},
        {Menu_Stampa, BitBtn_print, &TForm_main::BitBtn_printClick},
        {Act_invia, BitBtn_invia, &TForm_main::BitBtn_inviaClick},
        {Act_oscx, BitBtn_oscx, &TForm_main::BitBtn_oscxClick},
        {Act_oscx_open, BitBtn_oscx_open, &TForm_main::BitBtn_oscx_openClick},
        {FlashWrite, nullptr, &TForm_main::FlashWriteClick},
        {Menu_Password, nullptr, &TForm_main::Menu_PasswordClick},
        {Menu_Ver_Drive, nullptr, &TForm_main::Menu_Ver_DriveClick},
        {Menu_MonitorI2t, nullptr, &TForm_main::Menu_MonitorI2tClick},
        {Menu_Autosalva1, nullptr, &TForm_main::Menu_Autosalva1Click},
        {Menu_Terminal, nullptr, &TForm_main::Menu_TerminalClick},
    };
    for (const Binding& b : bindings) {
        const auto handler = b.handler;
        connect(b.action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        if (b.button) {
            QAction* action = b.action;
            connect(b.button, &QToolButton::clicked, action, [action] { action->trigger(); });
        }
    }
    connect(BitBtn_pos_test, &QToolButton::clicked, this, [this] { BitBtn_pos_testClick(); });
    Main_menus_update();
}

void TForm_main::Main_menus_update()
{
    set_enabled(Act_open_dati_motor_def, BitBtn_open_dati_motor_def, motor_editor_available());
    set_enabled(Menu_Carica_Motore, BitBtn_load_dati_motor, motor_loader_available());
    set_enabled(Act_oscx_open, BitBtn_oscx_open, Toolwin_available(ToolWin::OscxLoadDat));
    set_enabled(FlashWrite, nullptr, Toolwin_available(ToolWin::FlashSH));
    // Enabled by the first whole image of a drive when their work exists.
    if (!PrintDriveData_available()) {
        set_enabled(Menu_AnteprimadiStampa, BitBtn_preview, false);
        set_enabled(Menu_Stampa, BitBtn_print, false);
    }
    if (!Toolwin_available(ToolWin::Oscx))
        set_enabled(nullptr, BitBtn_oscx, false);
}

// ---- data sets ----

void TForm_main::BitBtn_open_dati_drive_defClick()
{
    // A size or class the current family does not have (read before a family switch) gives way
    // to the first size and class 0.
    const DriveSizeReadRec read = DriveSizeRead;
    const bool valid = read.size_index < CurrentSizeTable->count && read.voltage_class <= MAX_VOLTAGE_CLASS;
    PageContext.store(1);
    Init_default_image(DriveRecordBank[1], valid ? read.size_index : 0, valid ? read.voltage_class : 0,
                       Settings_second_family() ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL);
    DriveDataFileName.clear();
    Main_open_archive();
    PageContext.store(0);
}

void TForm_main::BitBtn_open_dati_motor_defClick()
{
    if (!motor_editor_available())
        return;
    MotorEditCopy = MotorRecord{};
    Init_motor_defaults(MotorEditCopy);
    MotorEditRef = MotorEditCopy;
    MotorDataFileName.clear();
    run_modal(ToolWin::LoadMotor, this);
    RefreshCurrentPage();
}

void TForm_main::BitBtn_load_dati_motorClick()
{
    if (!motor_loader_available())
        return;
    const QString name = Filedlg_run(this, motor_dialog(OpenDialog_open_motor, false));
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    FileDialogSpec save = motor_dialog(SaveDialog_dati_motor, true);
    if (!Load_motor_load_file(name, &MotorEditCopy, save))
        return;
    MotorEditRef = MotorEditCopy;
    run_modal(ToolWin::LoadMotor, this);
    RefreshCurrentPage();
}

void TForm_main::BitBtn_salva_dati_motorClick()
{
    const QString name = Filedlg_run(this, motor_dialog(SaveDialog_dati_motor, true));
    if (name.isEmpty())
        return;
    MotorRecord motor;
    std::memcpy(motor.b, DriveRecordBank[0].b + RecOfs::Motor, MOTOR_RECORD_SIZE);
    if (!WriteMotorFile(name, &motor))
        return;  // the writer has reported the failure
    const unsigned l = Lang_index();
    Msgbox_show({MsgIcon::Information, Msgbox_title(l), DATA_SAVED[l], MsgOk});
}

// ---- print ----

void TForm_main::Main_print(uint8_t mode)
{
    if (PrintPage.printer_count != 0) {
        if (!PrintDriveData_available())
            return;
        DriveDataFileName.clear();
        Sertx_read_alarm_mem();
        Main_print_ask_drive();
    }
    // Without a printer this only says so.
    Main_print_command(this, &DriveRecordBank[0], mode, QString());
}

void TForm_main::BitBtn_previewClick() { Main_print(1); }

void TForm_main::BitBtn_printClick() { Main_print(0); }

// ---- send all ----

void TForm_main::BitBtn_inviaClick()
{
    if (!(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    PrepareSendAll();
    Ser_block_job.done.store(Main_send_done);
    TForm_send_drive dialog(this);
    dialog.Panel_dat_send->setText(QString::fromUtf8(SEND_ALL_TITLE[Lang_index()]));
    dialog.set_message(Formdattxrx_rewrite_lines());
    dialog.exec();
}

// ---- tool windows ----

void TForm_main::BitBtn_oscxClick()
{
    if (!Form_Oscx) {
        Form_Oscx = Toolwin_create(ToolWin::Oscx, nullptr);
        if (!Form_Oscx)
            return;
    }
    Form_Oscx->show();
    Form_Oscx->raise();
    Form_Oscx->activateWindow();
    RefreshCurrentPage();
}

void TForm_main::BitBtn_oscx_openClick()
{
    if (run_modal(ToolWin::OscxLoadDat, this) >= 0)
        RefreshCurrentPage();
}

void TForm_main::BitBtn_pos_testClick()
{
    QWidget* bench = Toolwin_open(ToolWin::PosQuoteTest);
    if (bench == nullptr)
        bench = Toolwin_create(ToolWin::PosQuoteTest, this);  // null when the bench cannot run
    if (bench == nullptr)
        return;
    bench->show();
    bench->raise();
    bench->activateWindow();
}

void TForm_main::FlashWriteClick()
{
    Form_FlashSH = Toolwin_create(ToolWin::FlashSH, this);
    if (!Form_FlashSH)
        return;
    if (auto* dialog = qobject_cast<QDialog*>(Form_FlashSH.data()))
        dialog->exec();
    delete Form_FlashSH.data();
    Form_FlashSH = nullptr;
}

void TForm_main::Menu_PasswordClick()
{
    TForm_Password dialog(this);
    dialog.exec();
}

void TForm_main::Menu_Ver_DriveClick()
{
    TForm_AboutBox dialog(this);
    dialog.exec();
}

void TForm_main::Menu_MonitorI2tClick()
{
    if (!Form_monitor_I2t)
        Form_monitor_I2t = new TForm_monitor_I2t;
    Form_monitor_I2t->show();
    Form_monitor_I2t->raise();
    Form_monitor_I2t->activateWindow();
}

void TForm_main::Menu_TerminalClick()
{
    TerminalOpen = 1;
    Terminal_show();
}

// ---- options ----

void TForm_main::Menu_Autosalva1Click()
{
    // The item toggles its own check mark; the settings follow it (written with the next save).
    if (Menu_Autosalva1->isChecked())
        SettingsBlock.flags |= SettingsFlag::AutoSave;
    else
        SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::AutoSave);
    Settings_publish_link();
    Stbarx_repaint_pane(MainStb, MAIN_PANE_AUTO_SAVE);
}

bool Load_motor_load_file(const QString& file_name, MotorRecord* destination, FileDialogSpec& save_dialog)
{
    return ToolsEntries.load_motor_file != nullptr && ToolsEntries.load_motor_file(file_name, destination, save_dialog);
}
