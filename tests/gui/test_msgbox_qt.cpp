#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>

#include "gui_app.h"
#include "platform/Msgbox.h"
#include "shell/Msgbox_qt.h"

namespace {

TEST(MsgboxQt, ShowsAModalBoxAndReturnsThePressedButton)
{
    gui_app();
    MsgSink old = Msgbox_set_sink(nullptr);
    Msgbox_install_qt_sink();

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        modal = box->isModal();
        box->button(QMessageBox::No)->click();
    });
    const MsgButton pressed =
        Msgbox_show({MsgIcon::Question, "Attenzione", "Salvare i dati?", MsgYes | MsgNo | MsgCancel});
    EXPECT_EQ(pressed, MsgNo);
    EXPECT_EQ(title, "Attenzione");
    EXPECT_EQ(text, "Salvare i dati?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(modal);

    int width = 0;
    int title_width = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        width = box->width();
        title_width = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(box->windowTitle());
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(Msgbox_show({MsgIcon::Error, "Attention", "Zéro exclus!", MsgOk}), MsgOk);
    EXPECT_EQ(icon, QMessageBox::Critical);
    // A short text still leaves the title bar room for the title, its icon and three buttons.
    EXPECT_GE(width, title_width + 3 * 24 + 24);

    Msgbox_set_sink(std::move(old));
}

}  // namespace
