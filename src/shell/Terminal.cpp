// Terminal window: the window itself and the hooks the display timer calls. The message drain,
// the live values, the key handling and the reply-rate pane belong to the terminal's own unit.
#include "shell/Terminal.h"

#include <QVBoxLayout>

TForm_terminal* Form_terminal = nullptr;
Stbarx* TerminalStb = nullptr;
uint8_t TerminalOpen = 0;

TForm_terminal::TForm_terminal(QWidget* parent) : QDialog(parent)
{
    setObjectName("TForm_terminal");
    setWindowTitle("Terminal");
    resize(640, 480);
    PanelTermStb = new QWidget(this);
    PanelTermStb->setObjectName("PanelTermStb");
    PanelTermStb->setFixedHeight(22);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    layout->addWidget(PanelTermStb);
    if (!Form_terminal)
        Form_terminal = this;
}

TForm_terminal::~TForm_terminal()
{
    if (Form_terminal == this)
        Form_terminal = nullptr;
}

// The terminal's unit fills these two; until then the window shows nothing of the drive.
void TerminalRefresh() {}
void TerminalUpdateRate() {}
