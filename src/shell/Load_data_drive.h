#pragma once
// Drive data files read back (checks, refusals, the version-2 conversion) and the offline archive
// window that edits a saved data set in DriveRecordBank slot 1 (page context 1).
#include <array>
#include <cstdint>

#include <QDialog>
#include <QString>

#include "drivedata/Load_data_drive_convert.h"
#include "drivedata/Record.h"
#include "drivedata/Records_ext.h"
#include "shell/Filedlg.h"

class QAction;
class QCloseEvent;
class QGroupBox;
class QMenu;
class QMenuBar;
class QScrollArea;
class QShowEvent;
class QTimer;
class QToolButton;
class QTreeWidget;
class ImageBox;
class Stbarx;
struct StbarPane;

// ---- reading ----
// Loads a drive data file into destination: 1 when filled, 0 otherwise (after a message, except
// for a missing file). A version-2 file is converted after a question and saved at once under a
// name chosen in save_dialog (its title is set here); No, a cancelled name or a failed save: 0,
// nothing loaded. DriveDataFileName changes only on acceptance.
uint8_t ReadDriveFile(const QString& file_name, DriveRecord* destination, FileDialogSpec& save_dialog);

enum class DriveFileRead : uint8_t {
    Ok,          // read, 2440 bytes, XOR 0
    Missing,     // no such file
    Unreadable,  // exists but cannot be opened or read (error text given)
    Corrupt,     // size other than 2440, or the bytes do not XOR to 0
};
// Reads the whole file into buffer and takes its version bytes (file bytes 17 and 18).
DriveFileRead ReadDriveFileRaw(const QString& file_name, std::array<uint8_t, DRIVE_FILE_SIZE>& buffer,
                               uint8_t version[2], QString* error = nullptr);

// ---- the archive window ----
class TForm_load_data_drive : public QDialog {
    Q_OBJECT
public:
    explicit TForm_load_data_drive(QWidget* parent = nullptr);
    ~TForm_load_data_drive() override;

    void FormShow();
    void Timer_runTimer();
    // Asks to save a modified data set: MsgYes (saved), MsgNo (or not modified), MsgCancel. With
    // with_cancel false the question has Yes and No; a cancelled or failed save after Yes gives
    // MsgCancel either way.
    unsigned AskSaveData(bool with_cancel);
    void MarkSaved();

    void BitBtn_open_dati_drive_defClick();
    void BitBtn_open_dati_driveClick();
    void BitBtn_salva_dati_driveClick();
    void Menu_Save_asClick();
    void BitBtn_inviaClick();
    void BitBtn_previewClick();
    void BitBtn_printClick();
    void Menu_ChiudiClick();

    bool modified() const { return Modified != 0; }
    // Escape, the close box and Close: the one save question; Cancel keeps the window.
    void reject() override;

    // Components.
    QMenuBar* MainMenu_archive = nullptr;
    QMenu* Menu_File = nullptr;
    QAction* Menu_Default = nullptr;
    QAction* Menu_Open = nullptr;
    QAction* Menu_Save = nullptr;
    QAction* Menu_Save_as = nullptr;
    QAction* Menu_Chiudi = nullptr;
    QMenu* Menu_Printx = nullptr;
    QAction* Menu_PrintPreview = nullptr;
    QAction* Menu_Print = nullptr;
    QToolButton* BitBtn_open_dati_drive_def = nullptr;
    QToolButton* BitBtn_open_dati_drive = nullptr;
    QToolButton* BitBtn_salva_dati_drive = nullptr;
    QToolButton* BitBtn_invia = nullptr;
    QToolButton* BitBtn_preview = nullptr;
    QToolButton* BitBtn_print = nullptr;
    QGroupBox* GroupBox_menu = nullptr;
    QTreeWidget* TreeView_menu = nullptr;
    QGroupBox* GroupBox_dati_drive = nullptr;
    QScrollArea* ScrollBox_Menu = nullptr;
    QWidget* ScrollBox_Menu_host = nullptr;  // parent of the page frames
    QWidget* PanelArchiveStb = nullptr;
    QTimer* Timer_run = nullptr;
    FileDialogSpec OpenDialog_open_drive;
    FileDialogSpec SaveDialog_dati_drive;

    uint8_t Modified = 0;
    Stbarx* Stb = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;  // routed through reject()

private:
    void build();
    void apply_captions();
    void select_page();
    void set_modified();
    void refresh_tree_and_page();
    bool save_to(const QString& name);
    bool save_with_dialog(const char* const (&title)[3]);
    void finish_close();

    bool shown_ = false;
    bool closed_ = false;
};

// The open archive window, null while none is open.
extern TForm_load_data_drive* Form_load_data_drive;

// Status-bar panes of the archive window: modified (index 2) and file (index 3).
void Load_data_drive_paint_modified(ImageBox* picture, StbarPane* const* panes, uint16_t index);
void Load_data_drive_paint_file(ImageBox* picture, StbarPane* const* panes, uint16_t index);
