#pragma once
// Writes a drive data set prepared in Ser_block_job after the user presses Send All; calls the
// job's completion routine once the drive has written it.
#ifndef Q_MOC_RUN  // moc cannot parse the standard headers Busx.h needs
#include "drivedata/Busx.h"
#endif
#include "drivedata/Record.h"
#include "shell/Formdattxrx.h"

class QPushButton;

class TForm_send_drive : public Formdattxrx_send {
    Q_OBJECT
public:
    explicit TForm_send_drive(QWidget* parent = nullptr);
    ~TForm_send_drive() override;

    void BitBtn_send_allClick();
    void Timer_monitor_serialeTimer();

    QWidget* Panel_buttons = nullptr;
    QPushButton* BitBtn_send_all = nullptr;
    QPushButton* BitBtn_close = nullptr;
    QWidget* PanelSend_DRVStb = nullptr;

    // The parameter written before the block (its value is taken when queued): the size index of
    // slot 0 unless the caller names another.
    Loc SizeField = RecLoc(RecOfs::SizeIndex);
    // Send All also waits for this connection's whole image (data bit 2). Callers that build their
    // own record (EEPROM dialogs) clear it.
    bool RequireImage = true;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;  // Panel_buttons resized

private:
    void place_buttons();
};

// The open dialog, null while none is open.
extern TForm_send_drive* Form_send_drive;
