// Copying a combo box (items, data and selection, the source left as it was) and fitting one to its
// items.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>

#include <algorithm>

#include "controls/Utx_combo.h"
#include "gui_app.h"

TEST(UtxCopyCombo, ReplacesItemsDataAndSelection)
{
    gui_app();
    QComboBox src, dst;
    for (int i = 0; i < 3; ++i)
        src.addItem(QString("item %1").arg(i), i * 2);
    src.setCurrentIndex(2);
    for (int i = 0; i < 4; ++i)
        dst.addItem("old");
    Utx_copy_combo(&dst, &src);
    ASSERT_EQ(dst.count(), 3);
    EXPECT_EQ(dst.itemText(2), "item 2");
    EXPECT_EQ(dst.itemData(2), 4);
    EXPECT_EQ(dst.currentIndex(), 2);
    EXPECT_EQ(src.count(), 3);

    src.setCurrentIndex(-1);
    Utx_copy_combo(&dst, &src);
    EXPECT_EQ(dst.currentIndex(), -1);
    QComboBox empty;
    Utx_copy_combo(&dst, &empty);
    EXPECT_EQ(dst.count(), 0);
    Utx_copy_combo(nullptr, &src);
    Utx_copy_combo(&src, nullptr);
    Utx_copy_combo(&src, &src);
    EXPECT_EQ(src.count(), 3);
}

// A fitted combo is as wide as its longest item, after each refill, and never narrower than the
// width it was given.
TEST(UtxComboFit, FollowsTheLongestItemAboveTheGivenWidth)
{
    gui_app();
    QComboBox box;
    box.setMinimumWidth(60);
    box.addItems({"a", "b"});
    Utx_combo_fit(&box);
    EXPECT_EQ(box.minimumWidth(), std::max(60, box.sizeHint().width()));
    const int given = box.minimumWidth();

    box.clear();
    box.addItems({"a", "an item much longer than the width the combo was given"});
    QCoreApplication::processEvents();
    const int text = box.fontMetrics().horizontalAdvance(box.itemText(1));
    EXPECT_GT(box.minimumWidth(), text);
    EXPECT_EQ(box.minimumWidth(), box.sizeHint().width());

    box.removeItem(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(box.minimumWidth(), given);
}

// Fitting a fitted combo again changes nothing: it keeps the width it was first given.
TEST(UtxComboFit, ASecondFitKeepsTheFirstGivenWidth)
{
    gui_app();
    QComboBox box;
    box.setMinimumWidth(60);
    box.addItems({"a", "an item much longer than the width the combo was given"});
    Utx_combo_fit(&box);
    const int wide = box.minimumWidth();
    ASSERT_GT(wide, 60);
    Utx_combo_fit(&box);
    EXPECT_EQ(box.minimumWidth(), wide);

    box.removeItem(1);
    QCoreApplication::processEvents();
    EXPECT_EQ(box.minimumWidth(), std::max(60, box.sizeHint().width()));
    EXPECT_LT(box.minimumWidth(), wide);
}
