// Modal QMessageBox for every message of the program.
#include "shell/Msgbox_qt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QThread>

#include "platform/Msgbox.h"

namespace {

struct ButtonPair {
    MsgButton ours;
    QMessageBox::StandardButton qt;
};
constexpr ButtonPair Buttons[] = {
    {MsgOk, QMessageBox::Ok},
    {MsgCancel, QMessageBox::Cancel},
    {MsgYes, QMessageBox::Yes},
    {MsgNo, QMessageBox::No},
};

QMessageBox::Icon qt_icon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// Room a window manager's title bar takes beside the title: icon, three buttons and margins.
constexpr int TITLE_BAR_EXTRA = 150;

// Title bars are often drawn larger and bold; the box sizes itself for the plain title font only.
int title_bar_width(const QString& title)
{
    QFont f = QApplication::font("QMdiSubWindowTitleBar");
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.25);
    return QFontMetrics(f).horizontalAdvance(title) + TITLE_BAR_EXTRA;
}

// A box sized for a short text cuts its title: a spacer under the contents keeps it wide enough.
void fit_title(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(title_bar_width(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

MsgButton show_box(const MsgRequest& r)
{
    QMessageBox box(qt_icon(r.icon), QString::fromStdString(r.title), QString::fromStdString(r.text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    QMessageBox::StandardButtons buttons;
    for (const ButtonPair& b : Buttons) {
        if (r.buttons & b.ours)
            buttons |= b.qt;
    }
    box.setStandardButtons(buttons ? buttons : QMessageBox::StandardButtons(QMessageBox::Ok));
    box.setWindowModality(Qt::ApplicationModal);
    fit_title(box);
    const int pressed = box.exec();
    for (const ButtonPair& b : Buttons) {
        if (pressed == b.qt)
            return b.ours;
    }
    // Closed without a button (Escape, window close): the box's escape answer.
    return (r.buttons & MsgCancel) ? MsgCancel : (r.buttons & MsgNo) ? MsgNo : MsgOk;
}

MsgButton first_button(const MsgRequest& r)
{
    for (const ButtonPair& b : Buttons) {
        if (r.buttons & b.ours)
            return b.ours;
    }
    return MsgOk;
}

MsgButton sink(const MsgRequest& r)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr)
        return first_button(r);  // no widgets to show a box with
    if (QThread::currentThread() == app->thread())
        return show_box(r);
    MsgButton answer = MsgOk;
    QMetaObject::invokeMethod(app, [&] { answer = show_box(r); }, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace

void Msgbox_install_qt_sink()
{
    Msgbox_set_sink(sink);
}
