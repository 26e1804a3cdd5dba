#include <gtest/gtest.h>

#include <QApplication>

#include "shell/Main.h"

namespace {
QApplication* app()
{
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* a = new QApplication(argc, argv);
    return a;
}
}  // namespace

TEST(MainWindow, OpensOffscreenWithItsName)
{
    app();
    TForm_main form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.objectName(), "TForm_main");
    EXPECT_EQ(form.windowTitle(), "Pendrix");
    EXPECT_TRUE(form.isVisible());
}
