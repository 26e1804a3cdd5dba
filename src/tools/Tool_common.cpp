#include "tools/Tool_common.h"

#include <QBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include "controls/Graph_draw.h"
#include "controls/Utx_combo.h"
#include "drivedata/Globvar.h"
#include "platform/Msgbox.h"
#include "shell/Main.h"
#include "shell/Stbarcmx.h"
#include "shell/Terminal.h"

Text3 TOOL_CLOSE = {"Chiudi", "Close", "Fermer"};
Text3 TOOL_CONTINUE = {"Continua", "Continue", "Continuer"};
Text3 TOOL_ATTENTION = {"Attenzione", "Attention", "Attention"};
Text3 TOOL_INCOMPLETE = {"Attenzione: Taratura Incompleta!", "Attention: Incomplete Tuning!",
                         "Attention: Réglage Incomplet"};
Text3 TOOL_DONE = {"Procedura terminata", "Procedure completed", "Procédure terminée"};
Text3 TOOL_ROTOR_FREE = {"Il rotore deve essere libero di ruotare", "Rotor must be free to rotate",
                         "Le Rotor doit être libre de tourner"};
Text3 TOOL_CONFIRM_CURRENT = {"Conferma corrente", "Current confirmation", "Curren de confirm."};
Text3 TOOL_CURRENT_WARNING = {"L'errata impostazione della corrente\n può danneggiare il motore!",
                              "Incorrect setting of the current\n can damage the motor!",
                              "Mauvais réglage du courant\n peut endommager le moteur!"};
Text3 TOOL_MOVE_SENSOR = {"Ora è possibile muovere il sensore", "Now you can move the sensor",
                          "Maintenant, vous pouvez déplacer le capteur"};

namespace {
constexpr int STATUS_PANE_WIDTH = 115;
constexpr uint32_t LINK_LOST_MS = 300;
}  // namespace

QString Tool_text(const char* const text[3]) { return QString::fromUtf8(text[Lang_index()]); }

QString Tool_colour_name(uint32_t bgr_value) { return bgr(bgr_value).name(); }

QTextEdit* Tool_message_box(QWidget* parent, const char* name)
{
    auto* box = new QTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

void Tool_message(QTextEdit* box, const ToolMsgStyle& style, std::initializer_list<QString> lines)
{
    if (box == nullptr)
        return;
    QPalette pal = box->palette();
    pal.setColor(QPalette::Base, pal.color(style.info ? QPalette::ToolTipBase : QPalette::Window));
    pal.setColor(QPalette::Text, bgr(style.colour));
    box->setPalette(pal);
    QFont font = box->font();
    font.setPointSize(style.size);
    font.setBold(style.bold);
    box->setFont(font);
    QStringList text;
    for (const QString& line : lines)
        text << line;
    box->setPlainText(text.join('\n'));
    QTextCursor all(box->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignCenter);
    all.mergeBlockFormat(centred);
}

QString Tool_message_text(const QTextEdit* box) { return box ? box->toPlainText() : QString(); }

void Tool_warn(const QString& text)
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(Lang_index()), text.toStdString(), MsgOk});
}

QPushButton* Tool_button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QLabel* Tool_label(QWidget* parent, const char* name, bool value_panel)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    if (value_panel) {
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(80);
    }
    return l;
}

QTimer* Tool_timer(QObject* parent, const char* name, int ms)
{
    auto* t = new QTimer(parent);
    t->setObjectName(name);
    t->setInterval(ms);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

ToolRunControls Tool_run_controls(QWidget* window, QBoxLayout* root, const char* progress_name, bool terminal,
                                  const char* status_name)
{
    ToolRunControls c{};
    c.progress = new QProgressBar(window);
    c.progress->setObjectName(progress_name);
    c.progress->setRange(0, 100);
    c.progress->setValue(0);
    root->addWidget(c.progress);
    c.message = Tool_message_box(window, "RichEdit_taratura");
    root->addWidget(c.message);
    auto* buttons = new QHBoxLayout;
    c.start = Tool_button(window, "BitBtn_start", " Start");
    c.stop = Tool_button(window, "BitBtn_stop", "Stop");
    buttons->addWidget(c.start);
    buttons->addWidget(c.stop);
    if (terminal) {
        c.terminal = Tool_button(window, "BitBtn_terminal", "Terminal");
        QObject::connect(c.terminal, &QPushButton::clicked, window, [] { Terminal_show(); });
        buttons->addWidget(c.terminal);
    }
    c.close = Tool_button(window, "BitBtn_close", QString());
    buttons->addStretch(1);
    buttons->addWidget(c.close);
    root->addLayout(buttons);
    c.status_panel = new QWidget(window);
    c.status_panel->setObjectName(status_name);
    c.status_panel->setFixedHeight(22);
    root->addWidget(c.status_panel);
    return c;
}

void Tool_enable(QWidget* w, bool on)
{
    if (w != nullptr && w->isEnabled() != on)
        w->setEnabled(on);
}

void Tool_progress_step(QProgressBar* bar)
{
    if (bar == nullptr)
        return;
    bar->setValue(bar->value() < bar->maximum() ? std::min(bar->value() + 5, bar->maximum()) : 0);
}

ToolStatusBar::ToolStatusBar(QWidget* panel, uint8_t which, uint8_t option) : which_(which)
{
    link_.width = STATUS_PANE_WIDTH;
    link_.paint = Stbarcmx_paint_link;
    drive_.width = STATUS_PANE_WIDTH;
    drive_.paint = Stbarcmx_paint_drive;
    panes_[0] = &link_;
    panes_[1] = &drive_;
    panes_[2] = nullptr;
    bar_ = new Stbarx(panel, panes_, option);
    Main_attach_bar(static_cast<TForm_main::OtherBar>(which_), bar_);
}

ToolStatusBar::~ToolStatusBar()
{
    Main_detach_bar(static_cast<TForm_main::OtherBar>(which_), bar_);
    delete bar_;
}

bool ToolLinkWatch::lost(uint32_t now)
{
    if (Ser_link_flags.load() & LinkFlag::Ready) {
        link_tick = now;
        return false;
    }
    return static_cast<uint32_t>(now - link_tick) >= LINK_LOST_MS;
}

ToolDialog::ToolDialog(QWidget* parent, const char* name) : QDialog(parent)
{
    setObjectName(name);
    setWindowModality(Qt::WindowModal);
}

void ToolDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        Utx_fit_texts(this);
        FormShow();
    }
}
