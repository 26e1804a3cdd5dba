// Save-all send dialog: starts at once, restarts after a link loss, closes itself once the drive
// has written the data set and no progress report below the target came for over 1000 ms.
#include "shell/Form_send_dat.h"

#include <QCloseEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "platform/Tick.h"

TForm_send_dat* Form_send_dat = nullptr;

namespace {

constexpr int TIMER_MS = 10;
constexpr uint32_t CLOSE_AFTER_MS = 1000;

}  // namespace

TForm_send_dat::TForm_send_dat(QWidget* parent) : Formdattxrx_send(Part::SendDat, TIMER_MS, parent)
{
    setObjectName("TForm_send_dat");
    connect(Timer_monitor_seriale, &QTimer::timeout, this, [this] { Timer_monitor_serialeTimer(); });
    Form_send_dat = this;
}

TForm_send_dat::~TForm_send_dat()
{
    if (Form_send_dat == this)
        Form_send_dat = nullptr;
}

void TForm_send_dat::start()
{
    start_drive_transfer(RecLoc(RecOfs::SizeIndex));
    Sending = 1;
    Restart = 0;
    Finished = 0;
    LastReplyMs = Tick_ms();
}

void TForm_send_dat::start_when_possible()
{
    // The requests are only queued for a compatible drive (it is identified again after a loss),
    // and the progress reply of an earlier transfer must not count for this one.
    if ((Ser_link_flags.load() & LinkFlag::Ready) && !Formdattxrx_progress_request_queued())
        start();
}

void TForm_send_dat::showEvent(QShowEvent* event)
{
    Formdattxrx_send::showEvent(event);
    if (started_)
        return;
    started_ = true;
    Restart = 1;  // until started
    start_when_possible();
}

void TForm_send_dat::Timer_monitor_serialeTimer()
{
    const bool lost = link_lost_since_last_tick();
    if (!(Ser_link_flags.load() & LinkFlag::Answers)) {
        if (!Restart && !Finished)
            drop_interrupted_transfer();
        Restart = 1;
        return;
    }
    if (lost)
        Restart = 1;  // lost and back between two ticks
    if (Restart && !Finished) {
        start_when_possible();
        return;
    }
    switch (follow_progress()) {
    case Progress::None:
        return;
    case Progress::Running:
        LastReplyMs = Tick_ms();
        return;
    case Progress::Finished:
        break;
    }
    if (!Finished)
        show_finished();
    Finished = 1;
    Sending = 0;
    if (Tick_diff(Tick_ms(), LastReplyMs) > CLOSE_AFTER_MS) {
        Timer_monitor_seriale->stop();
        accept();
    }
}

bool TForm_send_dat::closable() const
{
    return !(Ser_link_flags.load() & LinkFlag::Answers);
}

void TForm_send_dat::closeEvent(QCloseEvent* event)
{
    if (result() == QDialog::Accepted || closable())
        event->accept();
    else
        event->ignore();
}

void TForm_send_dat::reject()
{
    if (closable())
        Formdattxrx_send::reject();
}
