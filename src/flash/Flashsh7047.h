#pragma once
// The firmware window: loads a firmware file, chooses the device data of a boot-program image,
// starts a flash run by asking for a link mode and follows it with two timers that only read the
// run state. Also the painters of the firmware-file panel and of the flash-zone map, which the
// main window uses too, and the registration of the window with the shell.
#include <cstdint>

#include <QDialog>
#include <QFont>
#include <QPolygon>
#include <QString>
#include <vector>

#include "shell/Stbar.h"

class ImageBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
struct FirmwareImageRec;

class TForm_FlashSH : public QDialog {
    Q_OBJECT
public:
    explicit TForm_FlashSH(QWidget* parent = nullptr);
    ~TForm_FlashSH() override;

    void FormCreate();
    void FormShow();
    // True when the window may close (no run in progress); otherwise the waiting message.
    bool Flashsh7047_can_close();
    void FormClose();
    void BitBtn_loadClick();
    void BitBtn_progClick();
    void ComboBox_porta_comChange();
    void CheckBox_flash_verifyClick();
    void ComboBox_index_devChange();
    void ComboBox_index_taglia_corChange();
    void ComboBox_index_taglia_voltChange();
    void Timer_aggiornaTimer();
    void Timer_messageTimer();

    QPushButton* BitBtn_exit = nullptr;
    QPushButton* BitBtn_disconnect = nullptr;
    QPushButton* BitBtn_prog = nullptr;
    QPushButton* BitBtn_load = nullptr;
    QPushButton* BitBtn_connect = nullptr;  // hidden
    QPushButton* BitBtn_F1 = nullptr;       // hidden
    QPushButton* BitBtn_F2 = nullptr;       // hidden
    QPushButton* BitBtn_F3 = nullptr;       // hidden
    QComboBox* ComboBox_porta_com = nullptr;
    QWidget* Panel_verify = nullptr;  // hidden, holds the verify check box
    QCheckBox* CheckBox_flash_verify = nullptr;
    ImageBox* Image_file_flash = nullptr;
    ImageBox* Image_buf_bar = nullptr;
    ImageBox* Image_flash = nullptr;
    QLabel* StaticText_dat_file_dati = nullptr;
    QLabel* StaticText_dat_address_start = nullptr;
    QLabel* StaticText_dat_address_end = nullptr;
    QLabel* StaticText_dat_size_firmware = nullptr;
    QLabel* Panel_riga_1 = nullptr;
    QLabel* Panel_riga_2 = nullptr;
    QGroupBox* GroupBox_device_data = nullptr;
    QLabel* Panel_device = nullptr;
    QLabel* Panel_taglia_corrente = nullptr;
    QLabel* Panel_taglia_tensione = nullptr;
    QGroupBox* GroupBox_device_data_set = nullptr;
    QComboBox* ComboBox_index_dev = nullptr;
    QComboBox* ComboBox_index_taglia_cor = nullptr;
    QComboBox* ComboBox_index_taglia_volt = nullptr;
    QWidget* PanelFlashStb = nullptr;
    QTimer* Timer_aggiorna = nullptr;
    QTimer* Timer_message = nullptr;
    Stbarx* Stb = nullptr;

    int full_height() const { return full_height_; }
    uint32_t blink_ms = 0;  // the running lines' last change
    bool blink_on = false;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public:
    void reject() override;  // Escape: as the close box

private:
    void fill_selection_lists();
    void show_selection_group(bool on);

    StbarPane panes_[3];
    StbarPane* pane_list_[4] = {&panes_[0], &panes_[1], &panes_[2], nullptr};
    int full_height_ = 0;
    bool group_shown_ = true;
    bool closing_ = false;
};

// ---- run ----
// Starts a run of the loaded file (nothing without one); also the main window's program button.
void Flashsh7047_start_prog();
// Timer_aggiorna's state refresh of the window's buttons, lines and status bar.
void Flashsh7047_refresh_state(TForm_FlashSH& w);
// The connected drive's family, current size and voltage class in the three device-data panels.
void Flashsh7047_show_drive_data(TForm_FlashSH& w);
// Path, start, end and size of the loaded image and the flash-zone map; "-----" with none.
void Flashsh7047_show_image_data(TForm_FlashSH& w);
// The progress bar of the open window (nothing without one); installed as Flashsh7047_draw_buf_bar.
void Flashsh7047_paint_buf_bar(uint32_t maximum, uint32_t position, uint32_t colour);
// Status-bar panes: the run's phase with its lamp, the programming time.
void Flashsh7047_paint_phase_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index);
void Flashsh7047_paint_time_pane(ImageBox* picture, StbarPane* const* panes, uint16_t index);

// ---- painters ----
constexpr uint32_t FLASH_ZONE_SIZE = 0x40000;  // the drive's flash
// The firmware-file panel by the file state: lamp, path (shortened to fit) and the file's date.
void Flashctrl_draw_file_panel(ImageBox* box);
// Leading folders of path replaced by "../" one by one until it fits width in font; the bare
// name cut at the right when even it does not fit.
QString Flashctrl_shorten_path(const QString& path, int width, const QFont& font);
// The flash-zone map of image in a flash of flash_size bytes.
void drawFlashZone(ImageBox* box, const FirmwareImageRec& image, uint32_t flash_size);
// A label of the map: "[0x" with 8 hexadecimal digits and "]", or "[----------]" with nothing loaded.
QString Flashctrl_zone_label(bool loaded, uint32_t address);
// Rectangles or the polygon covering the bytes start..end (exclusive) in a box whose area stands
// for flash_size bytes in rows of 2 pixels; empty for an empty box or range.
std::vector<QPolygon> Flashctrl_zone_polygon(const QRect& box, uint32_t start, uint32_t end, uint32_t flash_size);

// Registers the window with the shell's registry (enabling Flash Write and the control timer's
// opening) and installs its hooks: file panels, image data, progress bar.
void Flashsh7047_register();
