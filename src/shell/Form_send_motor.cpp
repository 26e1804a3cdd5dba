// Send dialog of the motor record: Continue writes it (command 9), the timer follows the drive's
// progress; once written, slot 0 takes the editor's motor record.
#include "shell/Form_send_motor.h"

#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "link/Sertx.h"

TForm_send_motor* Form_send_motor = nullptr;

namespace {

constexpr int TIMER_MS = 1;

}  // namespace

TForm_send_motor::TForm_send_motor(const MotorRecord& motor, QWidget* parent)
    : Formdattxrx_send(Part::SendMotor, TIMER_MS, parent), motor_(motor)
{
    setObjectName("TForm_send_motor");
    Panel_buttons = new QWidget(this);
    Panel_buttons->setObjectName("Panel_buttons");
    auto* row = new QHBoxLayout(Panel_buttons);
    BitBtn_continua = make_send_buttons(Panel_buttons, "BitBtn_continua", BitBtn_close,
                                        [this] { BitBtn_continuaClick(); });
    row->addWidget(BitBtn_continua);
    row->addWidget(BitBtn_close);
    layout()->addWidget(Panel_buttons);
    PanelSend_MOTStb = add_status_bar("PanelSend_MOTStb");

    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { Timer_monitor_serialeTimer(); });
    Form_send_motor = this;
}

TForm_send_motor::~TForm_send_motor()
{
    if (Form_send_motor == this)
        Form_send_motor = nullptr;
}

void TForm_send_motor::BitBtn_continuaClick()
{
    if (!send_allowed(false))
        return;
    Ser_block_job_rec& job = Ser_block_job;
    job.progress_max.store(static_cast<uint16_t>(2 * job.length.load() + 2));
    begin_progress();
    show_writing();
    job.start.store(0);
    Sertx_write_motor(job.data, job.length.load());
    Sertx_read_info(1);
    Sending = 1;
    BitBtn_continua->setEnabled(false);
}

void TForm_send_motor::Timer_monitor_serialeTimer()
{
    if (!follow_link(BitBtn_continua, false) || !Sending)
        return;
    if (follow_progress() != Progress::Finished)
        return;
    Sending = 0;
    show_finished();
    std::memcpy(DriveRecordBank[0].b + RecOfs::Motor, motor_.b, MOTOR_RECORD_SIZE);
    Ser_data_flags.fetch_or(DataFlag::ImageRead);
    BitBtn_continua->setEnabled(send_allowed(false));
}
