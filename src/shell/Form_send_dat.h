#pragma once
// Writes the drive data set prepared in Ser_block_job without a question: starts when shown (once
// no progress request of an earlier transfer waits), restarts when the drive answers again after a
// loss, and closes itself once the drive has written it. While the drive does not answer it may be
// closed by the user; it then reports not finished.
#include "shell/Formdattxrx.h"

class TForm_send_dat : public Formdattxrx_send {
    Q_OBJECT
public:
    explicit TForm_send_dat(QWidget* parent = nullptr);
    ~TForm_send_dat() override;

    void Timer_monitor_serialeTimer();
    bool finished() const { return Finished != 0; }
    // Escape and the close box: only while the drive does not answer.
    void reject() override;

    uint8_t Restart = 0;
    uint8_t Finished = 0;
    uint32_t LastReplyMs = 0;  // time of the last progress reply below the target

protected:
    void showEvent(class QShowEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;

private:
    void start();
    void start_when_possible();
    bool closable() const;
    bool started_ = false;
};

extern TForm_send_dat* Form_send_dat;
