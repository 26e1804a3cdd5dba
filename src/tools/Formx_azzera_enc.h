#pragma once
// Encoder zeroing: the settings check dialog (shared with the absolute-encoder zeroing) and the
// zeroing window that starts the procedure in the drive, follows its electrical angle, sensor
// offset and Hall code, and tells when to wait and when the sensor may be moved. The monitor,
// buttons and messages are shared with the absolute-encoder window (ZeroingWindow).
#include <atomic>
#include <cstdint>
#include <memory>

#include "tools/Tar_pos_sensor.h"
#include "tools/Tool_common.h"

class ImageBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTextEdit;
class QTimer;

// Sector of each Hall code (C x 4 + B x 2 + A); 255 for the invalid codes 0 and 7.
extern const uint8_t HallSectorTable[8];
// Sector angle in counts (60 degrees = 10923 counts), in 16 bits.
uint16_t Zeroing_sector_angle(uint8_t hall_code);
// Degrees of a count (65536 a turn), shown signed above 32768.
double Zeroing_offset_degrees(uint16_t offset);
// "0.00°".
QString Zeroing_degrees_text(double degrees);

class TForm_Azzera_Enc_Ck : public ToolSettingsDialog {
    Q_OBJECT
public:
    explicit TForm_Azzera_Enc_Ck(QWidget* parent = nullptr);
    ~TForm_Azzera_Enc_Ck() override;

    void FormShow() override;
    void BitBtn_conferma_correnteClick() override;

    QLabel* Panel_poli_motore;
    QComboBox* ComboBox_poli_motore_rotativo;
};

// What tells the two zeroing windows apart.
struct ZeroingKind {
    const char* name;
    uint8_t info_sub;    // information request
    uint8_t mode;        // DriveProcMode while it runs
    uint8_t start_code;  // drive function started with 1
    uint8_t stop_code;   // drive function stopped with 0 by Stop
    uint8_t close_code;  // and on closing while running
    uint8_t move_phase;  // phase from which the sensor may be moved
    std::atomic<uint8_t>* phase;
    uint8_t bar;         // TForm_main::OtherBar
    bool halls;          // Hall row, grid and offset edit
};

class ZeroingWindow : public ToolDialog {
    Q_OBJECT
public:
    ZeroingWindow(QWidget* parent, const ZeroingKind& kind);
    ~ZeroingWindow() override;

    void FormShow() override;
    void BitBtn_startClick();
    void BitBtn_stopClick();
    // One monitor tick at time now (ms).
    void monitor_tick(uint32_t now);
    void done(int result) override;

    QGroupBox* GroupBox_azzera_offset_encoder;
    ImageBox* Image_encoder_and_hall;
    ImageBox* Image_bar_current;
    QLabel* Panel_offset_sensor;
    QLabel* Panel_offset_pos_sensor_count;
    QLabel* Panel_offset_pos_sensor_grad;
    QLabel* Panel_angolo_elettrico;
    QLabel* Panel_angolo_elettrico_count;
    QLabel* Panel_angolo_elettrico_grad;
    QProgressBar* ProgressBar_tar_sensor;
    QTextEdit* RichEdit_taratura;
    QPushButton* BitBtn_start;
    QPushButton* BitBtn_stop;
    QPushButton* BitBtn_close;
    QPushButton* BitBtn_terminal;
    QWidget* PanelTar_Pos_SensorStb;
    QTimer* Timer_monitor_seriale;

    // Window state.
    bool running = false;
    bool armed = false;
    uint8_t flags = 0;  // bit 0 blink, bit 1 the move-the-sensor message shown
    uint32_t blink_tick = 0;
    uint32_t progress_tick = 0;
    int16_t last_current = 0;
    uint16_t last_offset = 0;
    uint16_t last_angle = 0;
    ToolLinkWatch link;

protected:
    // Redisplays offset, angle (and the Hall code) when one of them changed.
    virtual void show_values() = 0;
    // Forces the next show_values to redraw.
    virtual void invalidate() = 0;
    // The values' picture: circle, angles, arc, sector, labels, marker.
    void paint_picture(uint8_t hall_code, uint16_t angle, uint16_t offset, bool halls_only, bool grey);
    void show_counts(uint16_t offset, uint16_t angle, double offset_deg, double angle_deg);
    QWidget* values_box() const { return values_; }

private:
    void gauge(int16_t current);
    void waiting_message(bool attention);
    void incomplete();
    void follow_reply(uint32_t now);

    const ZeroingKind& kind_;
    QWidget* values_;
    std::unique_ptr<ToolStatusBar> status_;
    bool closed_ = false;
};

class TForm_Azzera_Enc : public ZeroingWindow {
    Q_OBJECT
public:
    explicit TForm_Azzera_Enc(QWidget* parent = nullptr);
    ~TForm_Azzera_Enc() override;
    void FormShow() override;
    void ZeroingMonitorTick(uint32_t now) { monitor_tick(now); }
    void Zeroing_show_values() { show_values(); }
    void done(int result) override;

    QLabel* Panel_encoder_and_hall_indice_hall;
    QLabel* Panel_encoder_and_hall_indice_hall_dat;
    QTableWidget* StringGrid_encoder_and_hall_indice_hall;
    FlowPanel* FlowPanel_encoder_offset_only_halls;
    std::unique_ptr<MemoUpDwx<uint16_t>> offset_edit;
    uint8_t last_hall = 0;

protected:
    void show_values() override;
    void invalidate() override;

private:
    void show_hall(uint8_t code);
};
