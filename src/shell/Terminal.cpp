// Terminal window: drive text from the terminal ring, typed keys to the drive, live values and
// the reply-rate pane.
#include "shell/Terminal.h"

#include <array>

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/Graph_draw.h"
#include "drivedata/Globvar.h"
#include "drivedata/Messaggi.h"
#include "link/Seriale_port.h"
#include "link/Sertx.h"
#include "platform/Tick.h"
#include "shell/Main.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

TForm_terminal* Form_terminal = nullptr;
Stbarx* TerminalStb = nullptr;
uint8_t TerminalOpen = 0;
uint8_t TerminalRateShown = 0;
uint32_t TerminalRateTime = 0;
uint16_t ReplyRate = 0;
uint16_t TerminalReadIndex = 0;

namespace {

// Characters of bytes 0x80-0x9F; the five bytes without one stand for the same code point.
constexpr std::array<char16_t, 32> CP1252_HIGH = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
constexpr bool cp1252_undefined(uint8_t byte)
{
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

constexpr int PANE_LINK_WIDTH = 140;
constexpr int PANE_DRIVE_WIDTH = 210;
constexpr int PANE_RATE_WIDTH = 80;

// Link and drive panes are the main window's painters; they are taken when the bar is created.
StbarPane TermPaneLink{0, 0, 0, PANE_LINK_WIDTH, nullptr, 0};
StbarPane TermPaneDrive{0, 0, 0, PANE_DRIVE_WIDTH, nullptr, 0};
StbarPane TermPaneRate{0, 0, 0, PANE_RATE_WIDTH, TerminalPaneRate, 0};
bool link_running() { return Ser_tx_state.load() == LinkState::Run; }
bool drive_answers() { return Ser_link_flags.load() & LinkFlag::Answers; }

QLabel* value_panel(QWidget* parent, QHBoxLayout* row, QGroupBox*& group, const char* group_name,
                    const char* caption, const char* name)
{
    group = new QGroupBox(QString::fromUtf8(caption), parent);
    group->setObjectName(group_name);
    auto* label = new QLabel("0", group);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(80);
    (new QVBoxLayout(group))->addWidget(label);
    row->addWidget(group);
    return label;
}

QToolButton* tool_button(QWidget* parent, QHBoxLayout* row, const char* name, const char* text,
                         QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(text);
    b->setIcon(Graph_tool_icon(parent->style()->standardIcon(icon)));
    b->setAutoRaise(true);
    row->addWidget(b);
    return b;
}

// Drops the first line of the text.
void drop_first_line(QPlainTextEdit* edit)
{
    QTextCursor c(edit->document());
    c.movePosition(QTextCursor::Start);
    c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    c.removeSelectedText();
}

void show_values(TForm_terminal& t)
{
    const Drive_status st = Drive_status_get();
    t.Panel_vel_disp->setText(QString::number(st.speed));
    t.Panel_corr_disp->setText(Graph_format_float("0.00", st.current * 0.01));
    t.Panel_volt_disp->setText(QString::number(st.voltage));
    t.Panel_giri_disp->setText(QString::number(st.turns));
    t.Panel_offset_giro_disp->setText(QString::number(st.turn_pos));
}

}  // namespace

StbarPane* const TerminalPanes[] = {&TermPaneLink, &TermPaneDrive, &TermPaneRate, nullptr};

// ---- Windows-1252 ----

QChar Terminal_cp1252_char(uint8_t byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(CP1252_HIGH[byte - 0x80]);
    return QChar(static_cast<char16_t>(byte));
}

uint8_t Terminal_cp1252_byte(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u == 0)
        return 0;
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<uint8_t>(u);
    for (std::size_t i = 0; i < CP1252_HIGH.size(); ++i) {
        const auto byte = static_cast<uint8_t>(0x80 + i);
        if (CP1252_HIGH[i] == u && !cp1252_undefined(byte))
            return byte;
    }
    return 0;
}

// ---- text area ----

TerminalText::TerminalText(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setAcceptDrops(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
}

void TerminalText::keyPressEvent(QKeyEvent* event)
{
    // Copy and select-all stay local; Delete produces no character of its own.
    const bool local = event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll) ||
                       event->key() == Qt::Key_Delete;
    auto* form = qobject_cast<TForm_terminal*>(window());
    if (!local && form && form->RichEdit_ser_rxKeyPress(event->text())) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool TerminalText::canInsertFromMimeData(const QMimeData*) const { return false; }

void TerminalText::insertFromMimeData(const QMimeData*) {}

// ---- window ----

TForm_terminal::TForm_terminal(QWidget* parent) : QDialog(parent)
{
    setObjectName("Form_terminal");
    setWindowTitle("Terminal");
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    resize(640, 480);

    ToolBar_terminal = new QWidget(this);
    ToolBar_terminal->setObjectName("ToolBar_terminal");
    auto* tools = new QHBoxLayout(ToolBar_terminal);
    tools->setContentsMargins(2, 2, 2, 2);
    SpeedButton8 = tool_button(ToolBar_terminal, tools, "SpeedButton8", "Close", QStyle::SP_DialogCloseButton);
    SpeedButton9 = tool_button(ToolBar_terminal, tools, "SpeedButton9", "Clear", QStyle::SP_DialogResetButton);
    tools->addStretch(1);

    auto* values = new QWidget(this);
    values->setObjectName("Panel_values");
    auto* row = new QHBoxLayout(values);
    row->setContentsMargins(2, 0, 2, 0);
    Panel_vel_disp = value_panel(values, row, GroupBox_vel, "GroupBox_vel", "Velocità[rpm]", "Panel_vel_disp");
    Panel_corr_disp = value_panel(values, row, GroupBox_corr, "GroupBox_corr", "Corrente[A]", "Panel_corr_disp");
    Panel_volt_disp = value_panel(values, row, GroupBox_volt, "GroupBox_volt", "Tensione[V]", "Panel_volt_disp");
    Panel_giri_disp = value_panel(values, row, GroupBox_giri, "GroupBox_giri", "Giri", "Panel_giri_disp");
    Panel_offset_giro_disp =
        value_panel(values, row, GroupBox_offset_giro, "GroupBox_offset_giro", "Offset Giro", "Panel_offset_giro_disp");

    RichEdit_ser_rx = new TerminalText(this);
    RichEdit_ser_rx->setObjectName("RichEdit_ser_rx");

    PanelTermStb = new QWidget(this);
    PanelTermStb->setObjectName("PanelTermStb");
    PanelTermStb->setFixedHeight(22);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(ToolBar_terminal);
    layout->addWidget(values);
    layout->addWidget(RichEdit_ser_rx, 1);
    layout->addWidget(PanelTermStb);

    connect(SpeedButton8, &QToolButton::clicked, this, [this] { SpeedButton8Click(); });
    connect(SpeedButton9, &QToolButton::clicked, this, [this] { SpeedButton9Click(); });

    if (!Form_terminal)
        Form_terminal = this;
    FormCreate();
}

TForm_terminal::~TForm_terminal()
{
    FormDestroy();
    if (Form_terminal == this)
        Form_terminal = nullptr;
}

void TForm_terminal::FormCreate()
{
    if (Form_terminal != this)
        return;
    TermPaneLink.paint = MainStbPanes[TForm_main::MAIN_PANE_LINK]->paint;
    TermPaneDrive.paint = MainStbPanes[TForm_main::MAIN_PANE_DRIVE]->paint;
    Stbarx_free(TerminalStb);
    TerminalStb = new Stbarx(PanelTermStb, TerminalPanes, 1);
}

void TForm_terminal::FormDestroy()
{
    if (Form_terminal == this)
        Stbarx_free(TerminalStb);
}

void TForm_terminal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_terminal::FormShow()
{
    RichEdit_ser_rx->setFocus();
}

void TForm_terminal::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TForm_terminal::FormClose()
{
    TerminalOpen = 0;
}

void TForm_terminal::SpeedButton8Click()
{
    close();
}

void TForm_terminal::SpeedButton9Click()
{
    RichEdit_ser_rx->clear();
    pending_cr_ = false;
}

bool TForm_terminal::RichEdit_ser_rxKeyPress(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar ch : text)
        if (const uint8_t byte = Terminal_cp1252_byte(ch); byte != 0)
            Sertx_terminal_char(byte);
    return true;
}

int TForm_terminal::DrainRing(const TerminalRingBuffer& ring, uint16_t& read_index)
{
    QPlainTextEdit* edit = RichEdit_ser_rx;
    int appended = 0;
    bool any = false;
    for (;;) {
        const uint16_t snapshot = ring.write_index();
        const uint16_t before = read_index;
        char chunk[TERMINAL_CHUNK_MAX + 1];
        const std::size_t n = ring.read_chunk(read_index, snapshot, chunk, TERMINAL_CHUNK_MAX);
        if (n == 0 && read_index == before)
            break;
        if (!any)
            edit->setUpdatesEnabled(false);
        any = true;
        if (n != 0) {
            AppendDriveText(chunk, n);
            ++appended;
        }
        if (edit->document()->blockCount() > TERMINAL_LINES_MAX)
            drop_first_line(edit);
    }
    if (any) {
        edit->moveCursor(QTextCursor::End);
        edit->setUpdatesEnabled(true);
    }
    return appended;
}

void TForm_terminal::AppendDriveText(const char* bytes, std::size_t n)
{
    QString text;
    text.reserve(static_cast<qsizetype>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        const bool after_cr = pending_cr_;
        pending_cr_ = byte == '\r';
        if (byte == '\n' && after_cr)
            continue;
        text += byte == '\r' ? QChar('\n') : Terminal_cp1252_char(byte);
    }
    QTextCursor c(RichEdit_ser_rx->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}

// ---- hooks of the display timer ----

void TerminalRefresh()
{
    if (!Form_terminal || !Form_terminal->isVisible() || !drive_answers())
        return;
    show_values(*Form_terminal);
    Form_terminal->DrainRing(TerminalRing, TerminalReadIndex);
}

void TerminalUpdateRate()
{
    if (link_running() && drive_answers()) {
        TerminalRateShown = 1;
        const uint32_t now = Tick_ms();
        const uint32_t elapsed = now - TerminalRateTime;
        if (elapsed <= TERMINAL_RATE_MS)
            return;
        TerminalRateTime = now;
        const uint32_t ok = Ser_ok_count.exchange(0);
        ReplyRate = static_cast<uint16_t>((ok * 1000u + elapsed / 2) / elapsed);
        Stbarx_repaint_pane(TerminalStb, TERMINAL_PANE_RATE);
    } else if (TerminalRateShown) {
        TerminalRateShown = 0;
        Stbarx_repaint_pane(TerminalStb, TERMINAL_PANE_RATE);
    }
}

void TerminalPaneRate(ImageBox* picture, StbarPane* const* panes, uint16_t index)
{
    if (!picture || !panes || !panes[index])
        return;
    const DrawRect r = Stbarcmx_content(*panes[index]);
    const bool running = link_running();
    const bool live = running && drive_answers();
    const QColor square = !running ? clBtnFace : live ? clLime : bgr(0x0000FF);
    const QString text = QString::fromUtf8("N°:") + QString::number(live ? ReplyRate : 0);

    Canvas& c = Stbarcmx_begin(picture);
    Stbarcmx_font(c, live, clNavy);
    c.fill_rect(r);
    if (QPainter* p = c.painter()) {
        p->save();
        p->setClipRect(r.to_qrect());
        c.text_out(r.left + 3, r.top + 2, text);
        p->restore();
    }
    Stbarcmx_indicator(c, r, square);
    Stbarcmx_done(picture, r);
}

void Terminal_show()
{
    if (!Form_terminal)
        return;
    Form_terminal->show();
    Form_terminal->raise();
    Form_terminal->activateWindow();
}
