// Send dialog of a drive data set: Send All starts the block write, the timer follows the drive's
// progress and calls the job's completion routine when the drive has written the data.
#include "shell/Form_send_drive.h"

#include <algorithm>

#include <QPushButton>
#include <QEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "drivedata/Globvar.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"

TForm_send_drive* Form_send_drive = nullptr;

namespace {

constexpr int TIMER_MS = 10;
constexpr int BUTTON_PANEL_HEIGHT = 44;
constexpr int BUTTON_WIDTH = 100, BUTTON_HEIGHT = 28;

}  // namespace

TForm_send_drive::TForm_send_drive(QWidget* parent) : Formdattxrx_send(Part::SendDrive, TIMER_MS, parent)
{
    setObjectName("TForm_send_drive");
    Panel_buttons = new QWidget(this);
    Panel_buttons->setObjectName("Panel_buttons");
    Panel_buttons->setFixedHeight(BUTTON_PANEL_HEIGHT);
    BitBtn_send_all = make_send_buttons(Panel_buttons, "BitBtn_send_all", BitBtn_close,
                                        [this] { BitBtn_send_allClick(); });
    for (QPushButton* b : {BitBtn_send_all, BitBtn_close})
        b->resize(std::max(BUTTON_WIDTH, b->sizeHint().width()), BUTTON_HEIGHT);  // the text whole
    layout()->addWidget(Panel_buttons);
    Panel_buttons->installEventFilter(this);
    PanelSend_DRVStb = add_status_bar("PanelSend_DRVStb");

    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { Timer_monitor_serialeTimer(); });
    Form_send_drive = this;
}

TForm_send_drive::~TForm_send_drive()
{
    if (Form_send_drive == this)
        Form_send_drive = nullptr;
}

void TForm_send_drive::place_buttons()
{
    const int gap = (Panel_buttons->width() - BitBtn_send_all->width() - BitBtn_close->width()) / 8;
    const int top = (Panel_buttons->height() - BitBtn_send_all->height()) / 2;
    BitBtn_send_all->move(gap, top);
    BitBtn_close->move(Panel_buttons->width() - gap - BitBtn_close->width(), top);
}

bool TForm_send_drive::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel_buttons && event->type() == QEvent::Resize)
        place_buttons();
    return Formdattxrx_send::eventFilter(watched, event);
}

void TForm_send_drive::BitBtn_send_allClick()
{
    if (!send_allowed(RequireImage))
        return;
    start_drive_transfer(SizeField);
    Sending = 1;
    BitBtn_send_all->setEnabled(false);
}

void TForm_send_drive::Timer_monitor_serialeTimer()
{
    if (!follow_link(BitBtn_send_all, RequireImage) || !Sending)
        return;
    if (follow_progress() != Progress::Finished)
        return;
    Sending = 0;
    show_finished();
    if (Ser_chunk_sent.load() == 1) {
        if (void (*done)() = Ser_block_job.done.exchange(nullptr))
            done();
    }
    BitBtn_send_all->setEnabled(send_allowed(RequireImage));
}
