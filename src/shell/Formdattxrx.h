#pragma once
// Data transfer dialogs: the wait for the request queue to drain (TForm_DatTxRx), the pending-write
// mark for the main window's close, and the part the three send dialogs share: the progress gauge,
// the message text, the start of a block write and the following of the drive's progress report.
#include <cstdint>
#include <functional>

#include <QDialog>
#include <QString>

#include "shell/Stbar.h"

struct Loc;
class QAbstractButton;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

// Shows a modal wait until fewer than `threshold` requests are queued (0 counts as 1) or the drive
// stops answering. Returns 0 after the dialog closed.
uint8_t Formdattxrx_wait_queue(uint16_t threshold);

// Marks a drive write as pending for the main window's close logic (WritePending 1, its reply
// flag 0, its time stamp now).
void Formdattxrx_begin_write();

// A block-transfer progress request is still queued or on the line (a link loss keeps it queued).
// Its reply reports the transfer it was asked for, so a new transfer starts only once it is gone.
bool Formdattxrx_progress_request_queued();

class TForm_DatTxRx : public QDialog {
    Q_OBJECT
public:
    TForm_DatTxRx(uint16_t threshold, QWidget* parent = nullptr);
    void Timer_comTimer();

    QProgressBar* ProgressBar_DatTxRx = nullptr;
    QTimer* Timer_com = nullptr;

private:
    uint16_t threshold_;
};

// Horizontal progress gauge (white box, bar and inverted percentage text); the position is clamped
// to the range.
class Formdattxrx_gauge : public QWidget {
    Q_OBJECT
public:
    explicit Formdattxrx_gauge(QWidget* parent = nullptr);
    void set_maximum(uint32_t maximum);
    void set_position(uint32_t position);
    uint32_t maximum() const { return maximum_; }
    uint32_t position() const { return position_; }

protected:
    void paintEvent(class QPaintEvent* event) override;

private:
    uint32_t maximum_ = 0;
    uint32_t position_ = 0;
};

// Base of the send dialogs.
class Formdattxrx_send : public QDialog {
    Q_OBJECT
public:
    ~Formdattxrx_send() override;

    QGroupBox* GroupBox_attenzione = nullptr;
    QLabel* Panel_dat_send = nullptr;      // title panel, set by the caller
    QTextEdit* RichEdit_dialog = nullptr;  // message text (not in TForm_send_dat)
    QWidget* Panel_CGauge_dat_check = nullptr;
    Formdattxrx_gauge* CGauge_dat_check = nullptr;
    QTimer* Timer_monitor_seriale = nullptr;

    // Caller's message: cleared, bold red, the given lines (the second is replaced by the state).
    void set_message(const QStringList& lines);
    QStringList message_lines() const;
    QColor message_colour() const;

    bool sending() const { return Sending != 0; }

    uint8_t Sending = 0;
    uint8_t LinkWasUp = 0;

protected:
    enum class Part : uint8_t { SendDrive, SendMotor, SendDat };
    Formdattxrx_send(Part part, int timer_ms, QWidget* parent);

    // Writing a drive data set from Ser_block_job: size write, progress from 0, "Scrittura
    // Dati...", first chunk, first progress request.
    void start_drive_transfer(const Loc& size_field);
    // A new transfer's progress: 0, data bit 4 cleared, the gauge from 0 to the job's target.
    void begin_progress();
    // The chunks and progress requests still queued, once the drive stopped answering (nothing is
    // on the line then): they would go out when it answers again.
    void drop_interrupted_transfer();
    // The message's second line and colour: writing (red), finished (green) or cut off by a lost
    // link (red, the drive's data may be incomplete).
    void show_writing();
    void show_finished();
    void show_interrupted();

    enum class Progress : uint8_t { None, Running, Finished };
    // After a progress reply: gauge, and Finished when the count reached the target and status
    // bit 3 is clear; else Running with a new progress request (fewer than 10 queued).
    Progress follow_progress();

    // The link and status side of the send-button dialogs: false without a compatible link (a
    // transfer under way ends, its message saying it was interrupted); the button follows status
    // bit 5, the sending state and, with require_image, data bit 2.
    bool follow_link(QAbstractButton* send, bool require_image);
    // True when the link was lost since the last call (also when it is back already).
    bool link_lost_since_last_tick();
    // Link ready, status bit 5 clear, not sending, with require_image data bit 2, and no progress
    // request of an earlier transfer waiting.
    bool send_allowed(bool require_image) const;

    // The send button (disabled, "Invia Dati") and Close of the send-button dialogs, in panel,
    // named; Close accepts, the send button calls on_send. Returns the send button.
    QPushButton* make_send_buttons(QWidget* panel, const char* send_name, QPushButton*& close,
                                   const std::function<void()>& on_send);
    // Below what the layout holds: the named panel with a two-pane status bar (link, drive), kept
    // in the main window's bar list.
    QWidget* add_status_bar(const char* panel_name);
    void free_status_bar();

    // The timer runs only while the dialog is shown.
    void showEvent(class QShowEvent* event) override;
    void hideEvent(class QHideEvent* event) override;

    Part part_;
    Stbarx* Stb = nullptr;

private:
    void set_line(int index, const QString& text);

    uint32_t losses_seen_ = 0;
    StbarPane* pane_list_[3] = {};
    StbarPane panes_[2];
};

// Texts shared by the send dialogs and their callers: "Tutti i dati saranno riscritti!" and the
// six-blank first line.
QStringList Formdattxrx_rewrite_lines();
