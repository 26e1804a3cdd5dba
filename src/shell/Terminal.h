#pragma once
// The terminal window: the drive's text messages, the keys typed sent to the drive one by one,
// five live values and the rate of good replies. Created at start-up, it lives for the whole run;
// closing it only hides it. The display timer calls TerminalRefresh and TerminalUpdateRate on
// every tick.
#include <cstdint>

#include <QDialog>
#include <QPlainTextEdit>
#include <QString>

#include "drivedata/Messaggi.h"

class ImageBox;
class QGroupBox;
class QLabel;
class QToolButton;
class QWidget;
class Stbarx;
struct StbarPane;

// The text area: shows what the drive sends; every character typed goes to the drive instead of
// into the text, and nothing can be pasted or dropped into it.
class TerminalText : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TerminalText(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

class TForm_terminal : public QDialog {
    Q_OBJECT
public:
    explicit TForm_terminal(QWidget* parent = nullptr);
    ~TForm_terminal() override;

    void FormCreate();
    void FormDestroy();
    void FormShow();
    void FormClose();
    void SpeedButton8Click();  // close
    void SpeedButton9Click();  // clear
    // Sends the characters of a key press; true when the key produced characters.
    bool RichEdit_ser_rxKeyPress(const QString& text);

    QWidget* ToolBar_terminal = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QGroupBox* GroupBox_vel = nullptr;
    QLabel* Panel_vel_disp = nullptr;
    QGroupBox* GroupBox_corr = nullptr;
    QLabel* Panel_corr_disp = nullptr;
    QGroupBox* GroupBox_volt = nullptr;
    QLabel* Panel_volt_disp = nullptr;
    QGroupBox* GroupBox_giri = nullptr;
    QLabel* Panel_giri_disp = nullptr;
    QGroupBox* GroupBox_offset_giro = nullptr;
    QLabel* Panel_offset_giro_disp = nullptr;
    TerminalText* RichEdit_ser_rx = nullptr;
    QWidget* PanelTermStb = nullptr;  // host of the terminal's status bar

    // Appends drive text (Windows-1252 bytes) at the end of the text area; a CR LF or a lone CR
    // is one line break, also when the pair is split between two appends.
    void AppendDriveText(const char* bytes, std::size_t n);
    // Takes what waits in a ring, from read_index on, in chunks of at most TERMINAL_CHUNK_MAX
    // characters, dropping the first line after a chunk that leaves more than TERMINAL_LINES_MAX
    // lines; the caret goes to the end. Returns the number of chunks appended.
    int DrainRing(const TerminalRingBuffer& ring, uint16_t& read_index);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool pending_cr_ = false;  // the last text appended ended with a CR
};

extern TForm_terminal* Form_terminal;
// The terminal's status bar; null while it has none.
extern Stbarx* TerminalStb;
extern uint8_t TerminalOpen;       // set by the Terminal menu item, cleared when the window closes
extern uint8_t TerminalRateShown;  // 1 while the rate pane shows a live rate
extern uint32_t TerminalRateTime;  // Tick_ms of the last rate computation
extern uint16_t ReplyRate;         // good replies per second
extern uint16_t TerminalReadIndex; // read index into TerminalRing (0..4200)

// The terminal's three panes (link, drive, reply rate), null-terminated.
extern StbarPane* const TerminalPanes[];
constexpr uint16_t TERMINAL_PANE_RATE = 2;
constexpr std::size_t TERMINAL_CHUNK_MAX = 489;  // characters per append
constexpr int TERMINAL_LINES_MAX = 1000;
constexpr uint32_t TERMINAL_RATE_MS = 150;

// Drains the drive's text messages into the window and shows the live values (only while the
// window is visible and the drive answers).
void TerminalRefresh();
// Reply rate on the link, repainted into the terminal's status bar.
void TerminalUpdateRate();
// Paint callback of the reply-rate pane.
void TerminalPaneRate(ImageBox* picture, StbarPane* const* panes, uint16_t index);
// Shows the terminal modelessly (the Terminal buttons of other windows).
void Terminal_show();

// Windows-1252 conversions of the terminal: a byte to its character, and a character to its byte
// (0 when the character has none).
QChar Terminal_cp1252_char(uint8_t byte);
uint8_t Terminal_cp1252_byte(QChar ch);
