#include <gtest/gtest.h>

#include <QComboBox>

#include "controls/Utx_combo.h"
#include "gui_app.h"

TEST(UtxCopyCombo, ReplacesItemsAndSelection)
{
    gui_app();
    QComboBox src;
    src.addItem("Profile position", 1);
    src.addItem("Velocity", 2);
    src.addItem("Homing", 6);
    src.setCurrentIndex(2);

    QComboBox dst;
    dst.addItem("old a");
    dst.addItem("old b");
    dst.addItem("old c");
    dst.addItem("old d");
    dst.setCurrentIndex(3);

    Utx_copy_combo(&dst, &src);
    ASSERT_EQ(dst.count(), 3);
    for (int i = 0; i < src.count(); ++i) {
        EXPECT_EQ(dst.itemText(i), src.itemText(i));
        EXPECT_EQ(dst.itemData(i), src.itemData(i));
    }
    EXPECT_EQ(dst.currentIndex(), 2);
    EXPECT_EQ(src.count(), 3);  // source untouched
}

TEST(UtxCopyCombo, EmptySourceAndNoSelection)
{
    gui_app();
    QComboBox src;
    QComboBox dst;
    dst.addItem("x");
    Utx_copy_combo(&dst, &src);
    EXPECT_EQ(dst.count(), 0);
    EXPECT_EQ(dst.currentIndex(), -1);

    src.addItem("a");
    src.addItem("b");
    src.setCurrentIndex(-1);
    Utx_copy_combo(&dst, &src);
    EXPECT_EQ(dst.count(), 2);
    EXPECT_EQ(dst.currentIndex(), -1);

    Utx_copy_combo(nullptr, &src);
    Utx_copy_combo(&dst, nullptr);
    Utx_copy_combo(&dst, &dst);
    EXPECT_EQ(dst.count(), 2);
}
