#pragma once
// Current-regulator gains of the motor edit copy (MotorEditCopy); they reach a file or the drive
// only through the motor editor's save or send.
#include <memory>

#include "controls/MemoUpDwx.h"
#include "tools/Tool_common.h"

class QGroupBox;
class QPushButton;

class TForm_PID_corrente : public ToolDialog {
    Q_OBJECT
public:
    explicit TForm_PID_corrente(QWidget* parent = nullptr);
    ~TForm_PID_corrente() override;

    void FormShow() override;
    void done(int result) override;

    QGroupBox* GroupBox_pid;
    FlowPanel* FlowPanel_PID_corr_kp;
    FlowPanel* FlowPanel_PID_corr_ki;
    FlowPanel* FlowPanel_PID_corr_kd;
    QPushButton* BitBtn_chiudi;

private:
    std::unique_ptr<MemoUpDwx<uint16_t>> kp_;
    std::unique_ptr<MemoUpDwx<uint16_t>> ki_;
    std::unique_ptr<MemoUpDwx<uint16_t>> kd_;
};
