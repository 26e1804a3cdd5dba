#pragma once
// Writes the 60-byte motor record prepared in Ser_block_job (drive order, total 60) after the user
// presses Continue; once written, slot 0's motor record becomes the editor's record.
#include "drivedata/Record.h"
#include "shell/Formdattxrx.h"

class QPushButton;

class TForm_send_motor : public Formdattxrx_send {
    Q_OBJECT
public:
    // motor: the editor's record in host order, taken into slot 0 when the write finished.
    explicit TForm_send_motor(const MotorRecord& motor, QWidget* parent = nullptr);
    ~TForm_send_motor() override;

    void BitBtn_continuaClick();
    void Timer_monitor_serialeTimer();

    QWidget* Panel_buttons = nullptr;
    QPushButton* BitBtn_continua = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QWidget* PanelSend_MOTStb = nullptr;

private:
    MotorRecord motor_;
};

extern TForm_send_motor* Form_send_motor;
