#pragma once
// The link-wait dialog: a progress bar shown modally while the link check before firmware
// programming waits for the drive (at most `maximum_ms`). It closes when the check is over
// (Ser_wait_ms reached the maximum), and also when the check is abandoned: the waiting flag
// (FlashProgressFlags bit 0) cleared, the link stopped or out of the check mode, or the maximum
// plus one second passed by the dialog's own clock.
#include <cstdint>

#include <QDialog>
#include <QPointer>
#include <QString>

class QProgressBar;
class QTimer;

class TForm_DatChk : public QDialog {
    Q_OBJECT
public:
    explicit TForm_DatChk(QWidget* parent = nullptr);
    ~TForm_DatChk() override;

    // The 30 ms tick: progress = Ser_wait_ms; closes the dialog when the check is over or gone.
    void Timer_comTimer();

    QProgressBar* ProgressBar_DatChk = nullptr;
    QTimer* Timer_com = nullptr;  // 30 ms, started by ShowLinkWait
    uint32_t OpenedMs = 0;        // Tick_ms when the dialog was shown
};

// The open dialog, null while none is open.
extern QPointer<TForm_DatChk> Form_DatChk;

// Shows the dialog modally unless it is already open; returns when it closes.
void ShowLinkWait(uint32_t maximum_ms, const QString& caption);
// True while the dialog is open.
bool LinkWaitOpen();
