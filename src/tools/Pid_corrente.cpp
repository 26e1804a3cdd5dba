#include "tools/Pid_corrente.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Main_menus.h"
#include "tools_core/Load_motor_core.h"

namespace {

Text3 CAPTION = {"PID Corrente", "Current PID", "Courant PID"};
Text3 KP = {"Kp Corrente", "Current Kp", "Courant Kp"};
Text3 KI = {"Ki Corrente", "Current Ki", "Courant Ki"};
Text3 KD = {"Kd Corrente", "Current Kd", "Courant Kd"};
constexpr int EDIT_WIDTH = 70;

uint16_t* gain(std::size_t field) { return reinterpret_cast<uint16_t*>(MotorEditCopy.b + field); }

}  // namespace

TForm_PID_corrente::TForm_PID_corrente(QWidget* parent) : ToolDialog(parent, "Form_PID_corrente")
{
    auto* root = new QVBoxLayout(this);
    GroupBox_pid = new QGroupBox(this);
    GroupBox_pid->setObjectName("GroupBox_pid");
    auto* box = new QVBoxLayout(GroupBox_pid);
    FlowPanel_PID_corr_kp = new FlowPanel("FlowPanel_PID_corr_kp", GroupBox_pid);
    FlowPanel_PID_corr_ki = new FlowPanel("FlowPanel_PID_corr_ki", GroupBox_pid);
    FlowPanel_PID_corr_kd = new FlowPanel("FlowPanel_PID_corr_kd", GroupBox_pid);
    for (FlowPanel* p : {FlowPanel_PID_corr_kp, FlowPanel_PID_corr_ki, FlowPanel_PID_corr_kd})
        box->addWidget(p);
    root->addWidget(GroupBox_pid);
    BitBtn_chiudi = Tool_button(this, "BitBtn_chiudi", QString());
    root->addWidget(BitBtn_chiudi, 0, Qt::AlignRight);
    connect(BitBtn_chiudi, &QPushButton::clicked, this, [this] { done(2); });
}

TForm_PID_corrente::~TForm_PID_corrente() = default;

void TForm_PID_corrente::FormShow()
{
    kp_ = std::make_unique<MemoUpDwx<uint16_t>>(FlowPanel_PID_corr_kp, gain(MotorField::CurrentKp), 0, 2000, 1, 0,
                                                EDIT_WIDTH, 0);
    ki_ = std::make_unique<MemoUpDwx<uint16_t>>(FlowPanel_PID_corr_ki, gain(MotorField::CurrentKi), 0, 2000, 0, 0,
                                                EDIT_WIDTH, 0);
    kd_ = std::make_unique<MemoUpDwx<uint16_t>>(FlowPanel_PID_corr_kd, gain(MotorField::CurrentKd), 0, 1000, 0, 0,
                                                EDIT_WIDTH, 0);
    setWindowTitle(Tool_text(CAPTION));
    GroupBox_pid->setTitle(Tool_text(CAPTION));
    FlowPanel_PID_corr_kp->setCaption(Tool_text(KP));
    FlowPanel_PID_corr_ki->setCaption(Tool_text(KI));
    FlowPanel_PID_corr_kd->setCaption(Tool_text(KD));
    BitBtn_chiudi->setText(Tool_text(TOOL_CLOSE));
    for (MemoUpDwx<uint16_t>* e : {kp_.get(), ki_.get(), kd_.get()})
        e->show();
}

void TForm_PID_corrente::done(int result)
{
    kp_.reset();
    ki_.reset();
    kd_.reset();
    ToolDialog::done(result);
}
