// Queue wait dialog, pending-write mark and the shared part of the send dialogs.
#include "shell/Formdattxrx.h"

#include <algorithm>
#include <vector>

#include <QAbstractButton>
#include <QGroupBox>
#include <QHideEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "link/Sertx.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"
#include "shell/Main.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

namespace {

// The main window's slot for the bar of a send dialog.
TForm_main::OtherBar main_bar(bool motor)
{
    return motor ? TForm_main::BarSendMotor : TForm_main::BarSendDrive;
}

constexpr int QUEUE_TIMER_MS = 30;
constexpr uint16_t PROGRESS_QUEUE_LIMIT = 10;  // a progress request only while fewer wait
constexpr uint8_t INFO_PROGRESS = 1;           // its sub-code for the block transfer progress
constexpr int16_t STATUS_PANE_WIDTH = 115;
constexpr int GAUGE_HEIGHT = 22;
constexpr int STATUS_BAR_HEIGHT = 20;

const char* const TRANSFER_TITLE[3] = {"Trasferimento dati", "Data transfer", "Le transfert de données"};
const char* const WRITING_TEXT[3] = {"Scrittura Dati...", "Data Writing...", "Écriture Données..."};
const char* const FINISHED_TEXT[3] = {"Scrittura Terminata", "Write Finished", "Écriture terminée"};
// A transfer cut by a lost link: what the drive now holds may be a mix of old and new data.
const char* const INTERRUPTED_DRIVE_TEXT[3] = {
    "Trasferimento interrotto: i dati nel drive possono essere incompleti. Inviarli di nuovo!",
    "Transfer interrupted: the data in the drive may be incomplete. Send them again!",
    "Transfert interrompu : les données du variateur peuvent être incomplètes. Envoyez-les à nouveau!"};
const char* const INTERRUPTED_MOTOR_TEXT[3] = {
    "Trasferimento interrotto: i dati motore nel drive possono essere incompleti. Inviarli di nuovo!",
    "Transfer interrupted: the motor data in the drive may be incomplete. Send them again!",
    "Transfert interrompu : les données moteur du variateur peuvent être incomplètes. Envoyez-les à nouveau!"};
constexpr int MESSAGE_LINES = 5;  // room for the interrupted text, wrapped, below the caller's line
const char* const REWRITE_TEXT[3] = {"Tutti i dati saranno riscritti!", "All data will be rewritten!",
                                     "Toutes les données vont être réécrites!"};
constexpr const char* BLANK_LINE = "      ";
const char* const CLOSE_TEXT[3] = {"Chiudi", "Close", "Fermer"};
const char* const SEND_TEXT[3] = {"Invia Dati", "Data Send", "Envoye Données"};

void clear_data_flag(uint8_t bit)
{
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~bit));
}

bool is_progress_request(const std::vector<uint8_t>& frame)
{
    return frame.size() > 2 && frame[1] == SerCmd::Info && frame[2] == INFO_PROGRESS;
}

}  // namespace

// ---- queue wait ----

uint8_t Formdattxrx_wait_queue(uint16_t threshold)
{
    TForm_DatTxRx dialog(threshold == 0 ? 1 : threshold, Form_main);
    dialog.exec();
    return 0;
}

bool Formdattxrx_progress_request_queued()
{
    for (const Ser_queue_entry& e : Seriale_view().entries)
        if (is_progress_request(e.frame))
            return true;
    return false;
}

void Formdattxrx_begin_write()
{
    WritePending = 1;
    WriteReplyFlag = 0;
    WriteStartMs = Tick_ms();
}

TForm_DatTxRx::TForm_DatTxRx(uint16_t threshold, QWidget* parent) : QDialog(parent), threshold_(threshold)
{
    setObjectName("TForm_DatTxRx");
    setWindowTitle(QString::fromUtf8(TRANSFER_TITLE[Lang_index()]));
    setModal(true);
    ProgressBar_DatTxRx = new QProgressBar(this);
    ProgressBar_DatTxRx->setObjectName("ProgressBar_DatTxRx");
    ProgressBar_DatTxRx->setMinimum(0);
    ProgressBar_DatTxRx->setMaximum(Seriale_count());
    ProgressBar_DatTxRx->setValue(0);
    ProgressBar_DatTxRx->setMinimumWidth(300);
    (new QVBoxLayout(this))->addWidget(ProgressBar_DatTxRx);
    Timer_com = new QTimer(this);
    Timer_com->setObjectName("Timer_com");
    Timer_com->setInterval(QUEUE_TIMER_MS);
    connect(Timer_com, &QTimer::timeout, this, [this] { Timer_comTimer(); });
    Timer_com->start();
}

void TForm_DatTxRx::Timer_comTimer()
{
    const int queued = Seriale_count();
    const int maximum = ProgressBar_DatTxRx->maximum();
    ProgressBar_DatTxRx->setValue(std::clamp(maximum - (queued - threshold_), 0, maximum));
    if (queued < threshold_ || !(Ser_link_flags.load() & LinkFlag::Answers)) {
        Timer_com->stop();
        accept();
    }
}

// ---- gauge ----

Formdattxrx_gauge::Formdattxrx_gauge(QWidget* parent) : QWidget(parent)
{
    setObjectName("CGauge_dat_check");
    setMinimumHeight(GAUGE_HEIGHT);
}

void Formdattxrx_gauge::set_maximum(uint32_t maximum)
{
    maximum_ = maximum;
    position_ = std::min(position_, maximum_);
    update();
}

void Formdattxrx_gauge::set_position(uint32_t position)
{
    position = std::min(position, maximum_);
    if (position == position_)
        return;
    position_ = position;
    update();
}

void Formdattxrx_gauge::paintEvent(QPaintEvent*)
{
    Canvas canvas(this);
    Graph_draw_progress_bar(canvas, DrawRect{0, 0, width(), height()}, clNavy, maximum_, position_, 9);
}

// ---- send dialogs ----

QStringList Formdattxrx_rewrite_lines()
{
    return {QString::fromUtf8(BLANK_LINE), QString::fromUtf8(REWRITE_TEXT[Lang_index()])};
}

Formdattxrx_send::Formdattxrx_send(Part part, int timer_ms, QWidget* parent) : QDialog(parent), part_(part)
{
    setModal(true);
    auto* column = new QVBoxLayout(this);
    Panel_dat_send = new QLabel(this);
    Panel_dat_send->setObjectName("Panel_dat_send");
    Panel_dat_send->setAlignment(Qt::AlignCenter);
    Panel_dat_send->setFrameShape(QFrame::Panel);
    Panel_dat_send->setFrameShadow(QFrame::Raised);
    QFont bold = Panel_dat_send->font();
    bold.setBold(true);
    Panel_dat_send->setFont(bold);
    column->addWidget(Panel_dat_send);

    GroupBox_attenzione = new QGroupBox(QString::fromUtf8(Msgbox_title(Lang_index())), this);
    GroupBox_attenzione->setObjectName("GroupBox_attenzione");
    auto* group = new QVBoxLayout(GroupBox_attenzione);
    if (part != Part::SendDat) {
        RichEdit_dialog = new QTextEdit(GroupBox_attenzione);
        RichEdit_dialog->setObjectName("RichEdit_dialog");
        RichEdit_dialog->setReadOnly(true);
        QFont bold_text = RichEdit_dialog->font();
        bold_text.setBold(true);
        RichEdit_dialog->setFixedHeight(MESSAGE_LINES * QFontMetrics(bold_text).lineSpacing() +
                                        2 * RichEdit_dialog->frameWidth() +
                                        2 * static_cast<int>(RichEdit_dialog->document()->documentMargin()));
        group->addWidget(RichEdit_dialog);
    }
    Panel_CGauge_dat_check = new QWidget(GroupBox_attenzione);
    Panel_CGauge_dat_check->setObjectName("Panel_CGauge_dat_check");
    auto* gauge_box = new QVBoxLayout(Panel_CGauge_dat_check);
    gauge_box->setContentsMargins(0, 0, 0, 0);
    CGauge_dat_check = new Formdattxrx_gauge(Panel_CGauge_dat_check);
    gauge_box->addWidget(CGauge_dat_check);
    group->addWidget(Panel_CGauge_dat_check);
    column->addWidget(GroupBox_attenzione);

    losses_seen_ = Ser_lost_count.load();
    Timer_monitor_seriale = new QTimer(this);
    Timer_monitor_seriale->setObjectName("Timer_monitor_seriale");
    Timer_monitor_seriale->setInterval(timer_ms);
    setMinimumWidth(360);
}

Formdattxrx_send::~Formdattxrx_send()
{
    Timer_monitor_seriale->stop();
    free_status_bar();
}

void Formdattxrx_send::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Timer_monitor_seriale->start();
}

void Formdattxrx_send::hideEvent(QHideEvent* event)
{
    Timer_monitor_seriale->stop();
    QDialog::hideEvent(event);
}

void Formdattxrx_send::set_message(const QStringList& lines)
{
    if (RichEdit_dialog == nullptr)
        return;
    RichEdit_dialog->clear();
    QFont f = RichEdit_dialog->font();
    f.setBold(true);
    RichEdit_dialog->setFont(f);
    Graph_set_text_colour(RichEdit_dialog, clRed);
    RichEdit_dialog->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList Formdattxrx_send::message_lines() const
{
    return RichEdit_dialog ? RichEdit_dialog->toPlainText().split(QLatin1Char('\n')) : QStringList{};
}

QColor Formdattxrx_send::message_colour() const
{
    return RichEdit_dialog ? RichEdit_dialog->palette().color(QPalette::Text) : QColor();
}

void Formdattxrx_send::set_line(int index, const QString& text)
{
    if (RichEdit_dialog == nullptr)
        return;
    QStringList lines = message_lines();
    while (lines.size() <= index)
        lines.append(QString());
    lines[index] = text;
    RichEdit_dialog->setPlainText(lines.join(QLatin1Char('\n')));
}

void Formdattxrx_send::show_writing()
{
    if (RichEdit_dialog == nullptr)
        return;
    Graph_set_text_colour(RichEdit_dialog, clRed);
    set_line(1, QString::fromUtf8(WRITING_TEXT[Lang_index()]));
}

void Formdattxrx_send::show_finished()
{
    const QString text = QString::fromUtf8(FINISHED_TEXT[Lang_index()]);
    if (RichEdit_dialog == nullptr) {
        Panel_dat_send->setText(text);
        return;
    }
    Graph_set_text_colour(RichEdit_dialog, clGreen);
    set_line(1, text);
}

void Formdattxrx_send::show_interrupted()
{
    if (RichEdit_dialog == nullptr)
        return;
    const char* const* text = part_ == Part::SendMotor ? INTERRUPTED_MOTOR_TEXT : INTERRUPTED_DRIVE_TEXT;
    Graph_set_text_colour(RichEdit_dialog, clRed);
    set_line(1, QString::fromUtf8(text[Lang_index()]));
}

void Formdattxrx_send::drop_interrupted_transfer()
{
    Seriale_remove_cmd(SerCmd::WriteBlock);
    Seriale_remove_cmd(SerCmd::WriteMotor);
    for (const Ser_queue_entry& e : Seriale_view().entries)
        if (is_progress_request(e.frame))
            Seriale_pop(e.id);
}

void Formdattxrx_send::begin_progress()
{
    Ser_block_job.progress.store(0);
    clear_data_flag(DataFlag::InfoSub1);
    CGauge_dat_check->set_maximum(Ser_block_job.progress_max.load());
    CGauge_dat_check->set_position(0);
}

void Formdattxrx_send::start_drive_transfer(const Loc& size_field)
{
    Ser_block_job_rec& job = Ser_block_job;
    // A chain of chunks left queued by an earlier, interrupted transfer would advance this job too.
    Seriale_remove_cmd(SerCmd::WriteBlock);
    Sertx_write_var_ex(size_field, 0, 1);
    job.offset.store(job.start.load());
    begin_progress();
    show_writing();
    job.chunk.store(0);
    Sertx_write_block(job, 3);
    Sertx_read_info(INFO_PROGRESS);
}

Formdattxrx_send::Progress Formdattxrx_send::follow_progress()
{
    if (!(Ser_data_flags.load() & DataFlag::InfoSub1))
        return Progress::None;
    const uint16_t progress = Ser_block_job.progress.load();
    CGauge_dat_check->set_position(progress);
    if (progress >= Ser_block_job.progress_max.load() && !(Drive_status_word() & StatusBit::WritesHeld))
        return Progress::Finished;
    if (Seriale_count() < PROGRESS_QUEUE_LIMIT) {
        clear_data_flag(DataFlag::InfoSub1);
        Sertx_read_info(INFO_PROGRESS);
    }
    return Progress::Running;
}

bool Formdattxrx_send::send_allowed(bool require_image) const
{
    return (Ser_link_flags.load() & LinkFlag::Ready) && !(Drive_status_word() & StatusBit::State5) && !Sending &&
           (!require_image || (Ser_data_flags.load() & DataFlag::ListReads)) && !Formdattxrx_progress_request_queued();
}

bool Formdattxrx_send::link_lost_since_last_tick()
{
    const uint32_t losses = Ser_lost_count.load();
    const bool lost = losses != losses_seen_;
    losses_seen_ = losses;
    return lost;
}

bool Formdattxrx_send::follow_link(QAbstractButton* send, bool require_image)
{
    // A loss and reconnect between two ticks counts as a loss too.
    const bool lost = link_lost_since_last_tick();
    const bool ready = Ser_link_flags.load() & LinkFlag::Ready;
    if (!ready || lost) {
        if (LinkWasUp) {
            LinkWasUp = 0;
            send->setEnabled(false);
            // What was still queued of the write must not go out after a reconnect; the text
            // says so until the user sends again.
            if (Sending) {
                drop_interrupted_transfer();
                show_interrupted();
            }
            Sending = 0;
        }
        if (!ready)
            return false;
    }
    send->setEnabled(send_allowed(require_image));
    LinkWasUp = 1;
    return true;
}

QPushButton* Formdattxrx_send::make_send_buttons(QWidget* panel, const char* send_name, QPushButton*& close,
                                                 const std::function<void()>& on_send)
{
    auto* send = new QPushButton(QString::fromUtf8(SEND_TEXT[Lang_index()]), panel);
    send->setObjectName(send_name);
    send->setEnabled(false);
    close = new QPushButton(QString::fromUtf8(CLOSE_TEXT[Lang_index()]), panel);
    close->setObjectName("BitBtn_close");
    for (QPushButton* b : {send, close})
        b->setAutoDefault(false);
    connect(send, &QPushButton::clicked, this, on_send);
    connect(close, &QPushButton::clicked, this, [this] { accept(); });
    return send;
}

QWidget* Formdattxrx_send::add_status_bar(const char* panel_name)
{
    auto* panel = new QWidget(this);
    panel->setObjectName(panel_name);
    panel->setFixedHeight(STATUS_BAR_HEIGHT);
    layout()->addWidget(panel);
    panes_[0].width = STATUS_PANE_WIDTH;
    panes_[0].paint = Stbarcmx_paint_link;
    panes_[1].width = STATUS_PANE_WIDTH;
    panes_[1].paint = Stbarcmx_paint_drive;
    pane_list_[0] = &panes_[0];
    pane_list_[1] = &panes_[1];
    pane_list_[2] = nullptr;
    Stb = new Stbarx(panel, pane_list_, 0);
    Main_attach_bar(main_bar(part_ == Part::SendMotor), Stb);
    return panel;
}

void Formdattxrx_send::free_status_bar()
{
    if (Stb == nullptr)
        return;
    Main_detach_bar(main_bar(part_ == Part::SendMotor), Stb);
    Stbarx_free(Stb);
}
