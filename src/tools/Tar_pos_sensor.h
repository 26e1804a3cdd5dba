#pragma once
// Position-sensor calibration: the pre-check dialog (mode, nominal current, encoder settings,
// current confirmation) and the calibration window that starts, follows and stops the procedure
// in the drive and takes its poles and offset into slot 0.
#include <cstdint>
#include <memory>

#include <QDialog>

#include "controls/MemoUpDwx.h"
#include "link/Tools_link.h"
#include "tools_core/Load_motor_core.h"
#include "tools/Tool_common.h"

class ImageBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QTimer;

// Record offsets of the motor fields the tools use (slot 0).
namespace MotorOfs {
constexpr std::size_t SensorOffset = RecOfs::Motor + MotorField::EncoderOffset;
constexpr std::size_t MotorType = RecOfs::Motor + MotorField::MotorType;
constexpr std::size_t NominalCurrent = RecOfs::Motor + MotorField::NominalCurrent;
constexpr std::size_t PolePairs = RecOfs::Motor + MotorField::PolePairs;
constexpr std::size_t Pulses = RecOfs::Motor + MotorField::Pulses;
constexpr std::size_t FeedbackType = RecOfs::Motor + MotorField::FeedbackType;
constexpr std::size_t SingleTurn = RecOfs::Motor + MotorField::SingleTurn;
constexpr std::size_t MultiTurn = RecOfs::Motor + MotorField::MultiTurn;
}  // namespace MotorOfs

// Labels of the encoder settings by motor type (linear: per pole pitch).
enum ToolMotorLabel { ToolLabelPulses, ToolLabelResolution, ToolLabelSingle, ToolLabelMulti };
QString Tool_motor_label(int row, uint16_t motor_type);
// The message for SSI bit counts whose sum exceeds 31, with the labels of the motor type.
QString Tool_bit_sum_text(uint16_t motor_type);

// The bound edits and texts the pre-check dialogs of the calibration and the zeroing share.
class ToolSettingsEdits {
public:
    // sum_timer is started when a refused SSI bit count is to be reported.
    ToolSettingsEdits(FlowPanel* current, FlowPanel* pulses, FlowPanel* single, FlowPanel* multi, QLabel* resolution,
                      QTimer* sum_timer);
    ~ToolSettingsEdits();
    // Validators (true refuses): the resolution display, and SSI bit sums above 31.
    uint8_t show_resolution(double candidate);
    uint8_t check_single_turn(double candidate);
    uint8_t check_multi_turn(double candidate);
    // The bit-sum message with the labels of the motor type.
    static QString bit_sum_text();
    // Labels by motor type: pulses, resolution, single-turn, multi-turn.
    static QString label(int row);
    // When nominal current or pulses changed since the last look: the Motor Data page redisplays.
    void watch_motor_page();

    std::unique_ptr<MemoUpDwx<uint16_t>> current;
    std::unique_ptr<MemoUpDwx<uint32_t>> pulses;
    std::unique_ptr<MemoUpDwx<uint16_t>> single_turn;
    std::unique_ptr<MemoUpDwx<uint16_t>> multi_turn;

private:
    uint8_t check_sum(double candidate, std::size_t other_ofs);
    QLabel* resolution_;
    QTimer* sum_timer_;
    uint16_t current_copy_;
    uint32_t pulses_copy_;
};

// The settings check before a procedure: a top row of the caller's, the nominal current, the
// encoder page of the feedback type, the warning with the current confirmation, Close (7) and
// Continue (1, enabled by the confirmation).
class ToolSettingsDialog : public ToolDialog {
    Q_OBJECT
public:
    ToolSettingsDialog(QWidget* parent, const char* name);
    ~ToolSettingsDialog() override;

    virtual void BitBtn_conferma_correnteClick() = 0;
    void Timer_monitor_serialeTimer();
    void Timer_chkTimer();
    // Closing (FormClose) deletes the bound edits.
    void done(int result) override;

    QGroupBox* GroupBox_impostazioni;
    FlowPanel* FlowPanel_corr_nom;
    QTabWidget* PageControl_feedback_type;
    QWidget* TabSheet_mot_feedback_encoder_increment;
    QWidget* TabSheet_mot_feedback_encoder_serial_ssi;
    FlowPanel* FlowPanel_encoder_imp;
    QLabel* Panel_encoder_risoluzione_giro_increment;
    QLabel* Panel_encoder_risoluzione_giro_dat_increment;
    FlowPanel* FlowPanel_encoder_bit_single_turn;
    FlowPanel* FlowPanel_encoder_bit_multi_turn;
    QGroupBox* GroupBox_attenzione;
    QTextEdit* RichEdit_dialog;
    QPushButton* BitBtn_conferma_corrente;
    QPushButton* BitBtn_close;
    QPushButton* BitBtn_continua;
    QTimer* Timer_monitor_seriale;
    QTimer* Timer_chk;
    std::unique_ptr<ToolSettingsEdits> edits;

protected:
    // The row above the nominal current.
    QHBoxLayout* top_row() const { return top_row_; }
    // Texts, labels by motor type, edit values; the page of the feedback type (0, 1 increments,
    // 3 SSI); with Halls only (2) the page control is hidden when hide_for_halls, else kept.
    void show_settings(bool hide_for_halls);
    // The warning message, then Continue enabled.
    void confirm(const QString& warning);

private:
    QHBoxLayout* top_row_;
};

class TForm_tar_pos_sensor_ck : public ToolSettingsDialog {
    Q_OBJECT
public:
    explicit TForm_tar_pos_sensor_ck(QWidget* parent = nullptr);
    ~TForm_tar_pos_sensor_ck() override;

    void FormShow() override;
    void ComboBox_modo_tarChange(int index);
    void BitBtn_conferma_correnteClick() override;

    QLabel* Panel_modo;
    QComboBox* ComboBox_modo_tar;
};

class TForm_tar_pos_sensor : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_tar_pos_sensor(QWidget* parent = nullptr);
    ~TForm_tar_pos_sensor() override;

    void FormShow() override;
    void BitBtn_startClick();
    void BitBtn_stopClick();
    // One monitor tick at time now (ms).
    void TarPosSensorMonitor(uint32_t now);

    QGroupBox* GroupBox_taratura_pos_sensor;
    ImageBox* Image_rotor;
    QLabel* Panel_str_position;
    QLabel* Panel_posizione;
    QLabel* Panel_str_coppie;
    QLabel* Panel_poli_motore;
    QLabel* Panel_offset_pos_sensor;
    QLabel* Panel_offset_pos_sensor_grad;
    QProgressBar* ProgressBar_tar_resolv;
    QTextEdit* RichEdit_taratura;
    QPushButton* BitBtn_start;
    QPushButton* BitBtn_stop;
    QPushButton* BitBtn_close;
    QWidget* PanelTar_Pos_SensorStb;
    QTimer* Timer_monitor_seriale;

    // Window state.
    bool TarPosSensorRunning = false;
    bool TarPosSensorArmed = false;
    bool TarPosSensorBlink = false;
    uint8_t TarPosSensorLastMode = 0;
    uint8_t TarPosSensorLastPoles = 0;
    uint32_t TarPosSensorBlinkTick = 0;
    uint32_t TarPosSensorProgressTick = 0;
    ToolLinkWatch link;

    // Closing (FormClose) runs once, whatever closes the window.
    void done(int result) override;

private:
    void follow_reply(uint32_t now);
    void finish(const ProcReplySnapshot& reply);
    void incomplete();
    bool poles_only() const;
    QString mode_name() const;

    std::unique_ptr<ToolStatusBar> status_;
    bool closed_ = false;
};

// Rotor position (65536 counts a turn) in hundredths of a degree, 0 to 35999.
uint32_t Tool_position_hundredths(uint16_t position);
// "#0.00 °" of a position.
QString Tool_position_text(uint16_t position);
// Angle in radians of a position.
double Tool_position_angle(uint16_t position);
