#pragma once
// The terminal window: created at start-up, lives for the whole run, closing it only hides it.
// The display timer calls TerminalRefresh and TerminalUpdateRate on every tick.
#include <cstdint>

#include <QDialog>

class QWidget;
class Stbarx;

class TForm_terminal : public QDialog {
    Q_OBJECT
public:
    explicit TForm_terminal(QWidget* parent = nullptr);
    ~TForm_terminal() override;

    QWidget* PanelTermStb = nullptr;  // host of the terminal's status bar
};

extern TForm_terminal* Form_terminal;
// The terminal's status bar; null while it has none.
extern Stbarx* TerminalStb;
extern uint8_t TerminalOpen;  // set by the Terminal menu item, cleared when the window closes

// Drains the drive's text messages into the window; shows the live values.
void TerminalRefresh();
// Reply rate on the link, repainted into the terminal's status bar.
void TerminalUpdateRate();
