// Font mapping: every requested family draws its face.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>

#include "controls/Fonts.h"
#include "gui_app.h"

TEST(Fonts, EveryRequestedFamilyDrawsItsFace)
{
    gui_app();
    for (const FontMapping& m : Fonts_mappings())
        EXPECT_EQ(QFontInfo(QFont(QString::fromLatin1(m.requested))).family().toStdString(), m.face) << m.requested;
}

TEST(Fonts, TheDefaultFontIsTheFirstFace)
{
    gui_app();
    const QFont font = QApplication::font();
    EXPECT_EQ(font.families().join(',').toStdString(), Fonts_mappings()[0].face);
    EXPECT_EQ(font.pointSize(), FONT_DEFAULT_POINTS);
}
