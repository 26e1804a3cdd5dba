#include <gtest/gtest.h>

#include <QDialog>

#include "shell/Toolwin.h"

TEST(ToolWindows, OnlyRegisteredKindsOpenAndTheOpenWindowIsForgottenWhenDestroyed)
{
    EXPECT_FALSE(Toolwin_available(ToolWin::E2pChks));
    EXPECT_EQ(Toolwin_create(ToolWin::E2pChks, nullptr), nullptr);

    int made = 0;
    Toolwin_register(ToolWin::E2pChks, [&](QWidget* parent) {
        ++made;
        return new QDialog(parent);
    });
    ASSERT_TRUE(Toolwin_available(ToolWin::E2pChks));
    QWidget* w = Toolwin_create(ToolWin::E2pChks, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(Toolwin_open(ToolWin::E2pChks), w);
    EXPECT_EQ(Toolwin_open(ToolWin::E2pOffsetEr), nullptr);
    delete w;
    EXPECT_EQ(Toolwin_open(ToolWin::E2pChks), nullptr);

    Toolwin_unregister(ToolWin::E2pChks);
    EXPECT_FALSE(Toolwin_available(ToolWin::E2pChks));
}
