// Drive and motor data files, the whole-record send jobs and their completions, and the main
// window's drive data commands: save, open into the archive window, load defaults, position-sensor
// calibration, alarm list, and the enable rule of these commands.
#include "shell/Main_files.h"

#include <bit>
#include <cstring>
#include <filesystem>

#include <QPushButton>
#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>

#include "drivedata/Globvar.h"
#include "drivedata/Init.h"
#include "drivedata/Versoftw.h"
#include "link/Seriale.h"
#include "link/Serrx.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"
#include "shell/Allarmi.h"
#include "shell/Form_send_drive.h"
#include "shell/Form_send_dat.h"
#include "shell/Load_data_drive.h"
#include "shell/Main.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Toolwin.h"
#include "shell/Treectrl.h"

// Files hold the record byte for byte as it is in memory, which must be least significant byte first.
static_assert(std::endian::native == std::endian::little, "data files need a little-endian host");

QString DriveDataFileName;

namespace {

constexpr uint16_t FEEDBACK_TYPE_OFS = 162;  // u16, feedback type of the motor section
constexpr uint16_t FEEDBACK_NO_CALIBRATION = 2;
constexpr uint16_t MOTOR_TYPE_NO_CALIBRATION = 2;

const char* const SAVED_TEXT[3] = {"Dati Salvati !", "Data Saved !", "Données Enregistrées !"};
const char* const OPEN_TITLE[3] = {"Apri", "Open", "Ouvrir"};
const char* const DEFAULTS_TITLE[3] = {"Carica Dati Default", "Load Data Default", "Charger Données par Défaut"};
const char* const ALARM_TEXT[3] = {"Sistema in Allarme !", "Alarm System !", "Système d’Alarme Activé !"};
const char* const FEEDBACK_TEXT[3] = {"Funzione taratura non possibile per questo sensore di feedback!",
                                      "Calibration function is not possible for this sensor feedback!",
                                      "Fonction d'étalonnage n'est pas possible pour ce retour capteur!"};
constexpr const char* DRIVE_FILTER = "Inverter files (*.ivt)|*.ivt";
constexpr const char* DRIVE_SUFFIX = "ivt";

DriveRecord sent_record{};  // host-order copy of the record the prepared job sends

void message(MsgIcon icon, const QString& text)
{
    Msgbox_show({icon, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

// Slot 0 takes the bytes the drive was sent; slot 2 = slot 0; no longer modified.
void adopt_sent_record()
{
    std::memcpy(DriveRecordBank[0].b + RecOfs::WriteStart, sent_record.b + RecOfs::WriteStart, RecOfs::WriteLength);
    DriveRecordBank[2] = DriveRecordBank[0];
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Modified));
    Stbarx_repaint(MainStb);
}

}  // namespace

// ---- writers ----

bool Main_write_file_image(const QString& file_name, const void* data, std::size_t size)
{
    return Savefile_write_or_warn(QFileInfo(file_name).absoluteFilePath().toStdString(), data, size, Lang_index());
}

bool WriteDriveFile(const QString& file_name, const DriveRecord* record)
{
    if (record == nullptr)
        return false;
    const DriveFileImage image = DataFile_build_drive(*record);
    return Main_write_file_image(file_name, image.data(), image.size());
}

bool WriteMotorFile(const QString& file_name, const MotorRecord* motor)
{
    if (motor == nullptr)
        return false;
    const MotorFileImage image = DataFile_build_motor(*motor);
    return Main_write_file_image(file_name, image.data(), image.size());
}

QString Main_file_part(const QString& path)
{
    return QFileInfo(path).fileName();
}

// ---- send jobs and completions ----

void Main_prepare_drive_job(const DriveRecord& record, void (*done)())
{
    Seriale_remove_cmd(SerCmd::WriteBlock);  // no chunk of an interrupted transfer reads the new data
    sent_record = record;
    DriveRecordTx = record;
    Init_swap_image(DriveRecordTx.b);
    Ser_block_job_rec& job = Ser_block_job;
    job.start.store(RecOfs::WriteStart);
    job.length.store(RecOfs::WriteLength);
    job.end.store(RecOfs::WriteStart + RecOfs::WriteLength);
    job.offset.store(RecOfs::WriteStart);
    job.progress_max.store(2 * RecOfs::WriteLength + 2);
    std::memcpy(job.data + RecOfs::WriteStart, DriveRecordTx.b + RecOfs::WriteStart, RecOfs::WriteLength);
    Ser_chunk_sent.store(0);
    job.done.store(done);
}

const DriveRecord& Main_sent_record()
{
    return sent_record;
}

void PrepareSendAll()
{
    Main_prepare_drive_job(DriveRecordBank[0], nullptr);
}

void Main_send_done()
{
    adopt_sent_record();
}

void FinishDefaultsSend()
{
    adopt_sent_record();
    if (TForm_main* f = Form_main) {
        if (CurrentPageNode[0] != nullptr && f->TreeView_menu != nullptr) {
            if (!f->Main_rebuild_bus_pages())
                f->SelectPage(0, f->ScrollBox_Menu_host);
            if (PageNode* node = CurrentPageNode[0]; node != nullptr && node->PageRefresh != nullptr)
                node->PageRefresh(0);
        }
    }
    Main_mark_image_display();
    Ser_data_flags.fetch_or(DataFlag::ImageRead);
    Sertx_read_alarm_mem();
}

void Main_mark_image_display()
{
    if (TForm_main* f = Form_main) {
        f->SizeShown[0] = static_cast<uint8_t>(~DriveRecordBank[0].b[RecOfs::SizeIndex]);
        f->SizeShown[1] = static_cast<uint8_t>(~DriveRecordBank[0].b[RecOfs::VoltageClass]);
    }
    PageRefreshByte.store(255);
}

void Main_archive_send_done()
{
    FinishDefaultsSend();
}

bool Main_send_all_and_save()
{
    if (!(Ser_link_flags.load() & LinkFlag::Answers))
        return false;
    PrepareSendAll();
    static const char* const TITLE[3] = {"salva tutti dati!", "Saves all data!", "Enregistre toutes les données!"};
    TForm_send_dat dialog(Form_main);
    dialog.Panel_dat_send->setText(QString::fromUtf8(TITLE[Lang_index()]));
    dialog.exec();
    return dialog.finished();
}

// ---- main window commands ----

void TForm_main::Main_files_connect()
{
    if (files_connected_)
        return;
    files_connected_ = true;
    const auto on = [this](auto* sender, void (TForm_main::*handler)()) {
        if constexpr (std::is_same_v<std::remove_pointer_t<decltype(sender)>, QAction>)
            connect(sender, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        else
            connect(sender, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(BitBtn_salva_dati_drive, &TForm_main::BitBtn_salva_dati_driveClick);
    on(Menu_Salva_Drive, &TForm_main::BitBtn_salva_dati_driveClick);
    on(BitBtn_load_dati_drive, &TForm_main::BitBtn_load_dati_driveClick);
    on(Menu_Carica_Drive, &TForm_main::BitBtn_load_dati_driveClick);
    on(BitBtn_carica_default, &TForm_main::BitBtn_carica_defaultClick);
    on(Menu_CaricaDefault, &TForm_main::BitBtn_carica_defaultClick);
    on(BitBtn_tar_sensor_pos, &TForm_main::BitBtn_tar_sensor_posClick);
    on(Menu_tar_sensor_pos, &TForm_main::BitBtn_tar_sensor_posClick);
    on(BitBtn_stato, &TForm_main::BitBtn_statoClick);
    on(BitBtn_F6, &TForm_main::BitBtn_F6Click);
    BitBtn_F6->setEnabled(Toolwin_available(ToolWin::AzzeraEncCk));
    Main_apply_drive_commands(EditStateFlags);
}

QString TForm_main::Main_drive_folder() const
{
    const QString folder = QString::fromStdString(DriveDataFolder.string());
    std::error_code ec;
    if (!folder.isEmpty())
        std::filesystem::create_directories(DriveDataFolder, ec);
    return folder;
}

void TForm_main::BitBtn_salva_dati_driveClick()
{
    const FileDialogSpec spec{SaveDialog_dati_drive, Main_drive_folder(), DRIVE_FILTER, DRIVE_SUFFIX, true};
    const QString name = Filedlg_run(this, spec);
    if (name.isEmpty())
        return;
    if (WriteDriveFile(name, &DriveRecordBank[0]))
        message(MsgIcon::Information, QString::fromUtf8(SAVED_TEXT[Lang_index()]));
}

void TForm_main::BitBtn_load_dati_driveClick()
{
    OpenDialog_open_drive = QString::fromUtf8(OPEN_TITLE[Lang_index()]);
    const FileDialogSpec open{OpenDialog_open_drive, Main_drive_folder(), DRIVE_FILTER, {}, false};
    const QString name = Filedlg_run(this, open);
    if (name.isEmpty() || !QFileInfo::exists(name))
        return;
    FileDialogSpec save{SaveDialog_dati_drive, Main_drive_folder(), DRIVE_FILTER, DRIVE_SUFFIX, true};
    if (ReadDriveFile(name, &DriveRecordBank[1], save) != 1)
        return;
    Main_open_archive();
}

void TForm_main::Main_open_archive()
{
    PageContext.store(1);
    {
        TForm_load_data_drive archive(this);
        archive.exec();
    }
    PageContext.store(0);
    Main_apply_drive_commands(EditStateFlags);
    RefreshCurrentPage();
}

void TForm_main::BitBtn_carica_defaultClick()
{
    if (!(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    DriveRecord defaults;
    Init_default_image(defaults, DriveSizeRead.size_index, DriveSizeRead.voltage_class,
                       Settings_second_family() ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL);
    Main_prepare_drive_job(defaults, FinishDefaultsSend);
    TForm_send_drive dialog(this);
    dialog.Panel_dat_send->setText(QString::fromUtf8(DEFAULTS_TITLE[Lang_index()]));
    dialog.set_message(Formdattxrx_rewrite_lines());
    dialog.exec();
}

void TForm_main::BitBtn_tar_sensor_posClick()
{
    if (!(Ser_link_flags.load() & LinkFlag::Ready))
        return;
    if (Drive_status_get().alarm_word != 0) {
        message(MsgIcon::Warning, QString::fromUtf8(ALARM_TEXT[Lang_index()]));
        return;
    }
    if (Rec_get<uint16_t>(DriveRecordBank[0], FEEDBACK_TYPE_OFS) == FEEDBACK_NO_CALIBRATION) {
        message(MsgIcon::Warning, QString::fromUtf8(FEEDBACK_TEXT[Lang_index()]));
        return;
    }
    if (Toolwin_run_modal(ToolWin::TarPosSensorCk, this) != 1 || Drive_status_get().alarm_word != 0)
        return;
    Toolwin_run_modal(ToolWin::TarPosSensor, this);
}

void TForm_main::BitBtn_F6Click()
{
    Toolwin_run_modal(ToolWin::AzzeraEncCk, this);
}

void TForm_main::BitBtn_statoClick()
{
    if (Form_allarmi == nullptr)
        return;
    Form_allarmi->show();
    Form_allarmi->raise();
}

void TForm_main::Main_apply_drive_commands(uint8_t edit_state)
{
    bool enabled = false;
    if (PageContext.load() != 0)
        enabled = true;
    else if (edit_state & EditState::Linked)
        enabled = !(edit_state & EditState::Status5);
    const bool calibration =
        enabled && Toolwin_available(ToolWin::TarPosSensorCk) && Toolwin_available(ToolWin::TarPosSensor);
    const bool image = Ser_data_flags.load() & DataFlag::ListReads;
    BitBtn_carica_default->setEnabled(enabled);
    Menu_CaricaDefault->setEnabled(enabled);
    BitBtn_invia->setEnabled(enabled && (PageContext.load() != 0 || image));
    Menu_tar_sensor_pos->setEnabled(calibration);
    BitBtn_tar_sensor_pos->setEnabled(
        calibration && Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::MotorType) != MOTOR_TYPE_NO_CALIBRATION);
    BitBtn_pos_test->setEnabled((edit_state & EditState::Linked) && Toolwin_available(ToolWin::PosQuoteTest));
}
