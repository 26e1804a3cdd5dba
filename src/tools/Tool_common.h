#pragma once
// What the calibration, zeroing and cogging windows share: their texts, the message box and its
// styles, the warning gateway, the status bar, the progress step and the monitor's link watch.
#include <cstdint>
#include <initializer_list>

#include <QDialog>
#include <QString>

class QAbstractButton;
class QBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QTimer;

#include "shell/Stbar.h"

// The monitors queue a request only while fewer than this many wait.
constexpr int TOOL_QUEUE_ROOM = 10;

// A text in Italian, English and French.
using Text3 = const char* const[3];
QString Tool_text(const char* const text[3]);

// Message box styles: font colour (0x00BBGGRR), bold, info background (else window), point size.
struct ToolMsgStyle {
    uint32_t colour;
    bool bold;
    bool info;
    int size;
};
namespace ToolStyle {
constexpr ToolMsgStyle Start{0xFF0000, false, false, 16};       // blue
constexpr ToolMsgStyle Progress{0x008000, false, false, 16};    // green: phase and end
constexpr ToolMsgStyle Stopped{0x000000, false, true, 16};      // black
constexpr ToolMsgStyle Incomplete{0x0000FF, true, true, 14};    // red bold
}  // namespace ToolStyle

// The read-only centred message box of a window.
QTextEdit* Tool_message_box(QWidget* parent, const char* name);
// Clears the box and writes the lines in the style.
void Tool_message(QTextEdit* box, const ToolMsgStyle& style, std::initializer_list<QString> lines);
// Text of the box, lines joined by '\n'.
QString Tool_message_text(const QTextEdit* box);

// A modal warning ("Attenzione").
void Tool_warn(const QString& text);

// The shared Texts.
extern Text3 TOOL_CLOSE;       // "Chiudi"
extern Text3 TOOL_CONTINUE;    // "Continua"
extern Text3 TOOL_ATTENTION;   // "Attenzione"
extern Text3 TOOL_INCOMPLETE;  // "Attenzione: Taratura Incompleta!"
extern Text3 TOOL_DONE;        // "Procedura terminata"
extern Text3 TOOL_MOVE_SENSOR; // "Ora è possibile muovere il sensore"
extern Text3 TOOL_ROTOR_FREE;       // "Il rotore deve essere libero di ruotare"
extern Text3 TOOL_CONFIRM_CURRENT;  // "Conferma corrente"
extern Text3 TOOL_CURRENT_WARNING;  // "L'errata impostazione della corrente ..."

// A push button with its objectName and text.
QPushButton* Tool_button(QWidget* parent, const char* name, const QString& text);
// A label; as a value panel sunken and centred.
QLabel* Tool_label(QWidget* parent, const char* name, bool value_panel = false);
// A precise timer of the interval (not started).
QTimer* Tool_timer(QObject* parent, const char* name, int ms);

// The lower part of a procedure window: progress bar (0 to 100), message box, Start, Stop, the
// terminal button when asked for, Close, and the status-bar panel.
struct ToolRunControls {
    QProgressBar* progress;
    QTextEdit* message;
    QPushButton* start;
    QPushButton* stop;
    QPushButton* terminal;  // null without
    QPushButton* close;
    QWidget* status_panel;
};
ToolRunControls Tool_run_controls(QWidget* window, QBoxLayout* root, const char* progress_name, bool terminal,
                                  const char* status_name = "PanelTar_Pos_SensorStb");

// Sets the enabled state only when it differs.
void Tool_enable(QWidget* w, bool on);
// Steps the bar by 5, or back to 0 at its maximum.
void Tool_progress_step(QProgressBar* bar);
// 0x00BBGGRR to a QColor name for style sheets.
QString Tool_colour_name(uint32_t bgr_value);

// Status bar of a tool window: link-state and drive-state panes of 115 px on its panel, kept as
// the main window's bar `which` (TForm_main::OtherBar) while it exists.
class ToolStatusBar {
public:
    ToolStatusBar(QWidget* panel, uint8_t which, uint8_t option);
    ~ToolStatusBar();
    ToolStatusBar(const ToolStatusBar&) = delete;
    ToolStatusBar& operator=(const ToolStatusBar&) = delete;

private:
    StbarPane link_;
    StbarPane drive_;
    StbarPane* panes_[3];
    Stbarx* bar_;
    uint8_t which_;
};

// The 300 ms link watch of the monitor ticks.
struct ToolLinkWatch {
    uint32_t link_tick = 0;
    // True when the link has not been ready for 300 ms or more; else notes now when it is.
    bool lost(uint32_t now);
};

// A tool window: Qt::WindowModal (the terminal, a top-level window, keeps its keys), FormShow on
// the first showing.
class ToolDialog : public QDialog {
    Q_OBJECT
public:
    ToolDialog(QWidget* parent, const char* name);
    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool shown_ = false;
};
