#include <gtest/gtest.h>

#include <QApplication>

#include "gui_app.h"
#include "shell/Main.h"

TEST(MainWindow, OpensOffscreenWithItsName)
{
    gui_app();
    TForm_main form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.objectName(), "TForm_main");
    EXPECT_EQ(form.windowTitle(), "Pendrix");
    EXPECT_TRUE(form.isVisible());
}
