#pragma once
// The i2t monitor: the drive's and the motor's thermal-model values in degrees, polled every 50 ms
// while the window is visible. Created on first use, shown modelessly; closing it only hides it.
#include <cstdint>

#include <QDialog>
#include <QString>

#include "link/Serrx.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

// The two values of the information sub-reply 3 (drive, motor), as the receive side stores them.
inline uint8_t& InfoDriveTemp = I2tMonitorBytes[0];
inline uint8_t& InfoMotorTemp = I2tMonitorBytes[1];
// The values last written to the panels.
extern uint8_t I2tShownDriveTemp;
extern uint8_t I2tShownMotorTemp;

constexpr int I2T_POLL_MS = 50;
constexpr uint16_t I2T_QUEUE_LIMIT = 10;  // no request while this many are queued

class TForm_monitor_I2t : public QDialog {
    Q_OBJECT
public:
    explicit TForm_monitor_I2t(QWidget* parent = nullptr);
    ~TForm_monitor_I2t() override;

    void FormShow();
    void Timer_check_i2tTimer();
    void BitBtn_closeClick();

    QGroupBox* GroupBox_monitor = nullptr;
    QGroupBox* GroupBox_I2t_drive = nullptr;
    QLabel* Panel_I2t_drive = nullptr;
    QGroupBox* GroupBox_I2t_motor = nullptr;
    QLabel* Panel_I2t_motore = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QTimer* Timer_check_i2t = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

// Panel text of a value byte: the byte + 25 and " °".
QString I2t_value_text(uint8_t value);
