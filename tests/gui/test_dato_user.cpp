// The scope's value bindings on a memo and an up-down button: keys, leaving, Enter, stepping.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "controls/FlowPanel.h"
#include "drivedata/Globvar.h"
#include "gui_app.h"
#include "platform/Msgbox.h"
#include "scope/Dato_user.h"

namespace {

class DatoUserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        QLocale::setDefault(QLocale::c());
        LanguageIndex = 0;
        old_ = Msgbox_set_sink([this](const MsgRequest& r) {
            boxes.push_back(r);
            return MsgOk;
        });
        window = std::make_unique<QWidget>();
        memo = new QLineEdit(window.get());
        other = new QLineEdit(window.get());
        updown = new UpDownButton(window.get());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        Msgbox_set_sink(std::move(old_));
    }
    template <typename T>
    void bind(Dato_user<T>& b, const char* name = "Corrente [%]")
    {
        Dato_connect(b, memo, updown, QString::fromUtf8(name));
        b.Setup_updown(memo, updown);
        memo->setFocus();
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);  // the engineer tabs into it
        QApplication::sendEvent(memo, &in);
    }
    void type(const char* keys)
    {
        memo->setFocus();
        QTest::keyClicks(memo, QString::fromUtf8(keys));
    }
    void replace(const char* text)
    {
        memo->setFocus();
        memo->selectAll();
        QTest::keyClicks(memo, QString::fromUtf8(text));
    }
    void leave()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(memo, &out);
    }

    std::unique_ptr<QWidget> window;
    QLineEdit* memo = nullptr;
    QLineEdit* other = nullptr;
    UpDownButton* updown = nullptr;
    std::vector<MsgRequest> boxes;

private:
    MsgSink old_;
};

TEST_F(DatoUserTest, LeavingOutOfRangeWarnsAndKeepsTheValue)
{
    int32_t v = 500;
    Dato_long b(&v, 1000, 0, 1);
    bind(b);
    EXPECT_EQ(memo->text(), "50.0");
    EXPECT_EQ(memo->toolTip(), QString::fromUtf8("Range: [0.0 \u00F7 100.0]"));
    replace("120.5");
    leave();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Attenzione");
    EXPECT_EQ(boxes[0].text, "Il valore deve essere compreso tra : [0.0  e  100.0] !");
    EXPECT_EQ(v, 500);
    EXPECT_EQ(memo->text(), "50.0");
    replace("12.34");
    leave();
    EXPECT_EQ(v, 123);
}

TEST_F(DatoUserTest, EnterUsesTheEditsNameAndLeavesTheText)
{
    int32_t v = 500;
    Dato_long b(&v, 1000, 0, 1);
    bind(b);
    replace("120.5");
    QTest::keyClick(memo, Qt::Key_Return);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Corrente [%] deve essere tra : [0.0  e  100.0] !");
    EXPECT_EQ(memo->text(), "120.5");
    EXPECT_EQ(v, 500);
    replace("7");
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(v, 70);
    EXPECT_EQ(Dato_look_colour(memo), 0xFF0000u);  // the red flash gives the focus look back
    EXPECT_TRUE(memo->font().bold());
    leave();
    EXPECT_EQ(Dato_look_colour(memo), 0x000000u);
    EXPECT_FALSE(memo->font().bold());
}

TEST_F(DatoUserTest, APastedMinusMovesToTheFront)
{
    int32_t v = 0;
    Dato_long b(&v, 10000, -10000, 0);
    bind(b);
    memo->selectAll();
    memo->insert("12-3");  // as a paste: an edit by the user
    EXPECT_EQ(memo->text(), "-123");
}

TEST_F(DatoUserTest, SignKeysAndSeparators)
{
    int32_t v = 0;
    Dato_long b(&v, 100, -100, 0);
    bind(b);
    replace("12");
    memo->setCursorPosition(1);
    QTest::keyClick(memo, '-');
    EXPECT_EQ(memo->text(), "-12");
    QTest::keyClick(memo, '-');
    EXPECT_EQ(memo->text(), "12");
    EXPECT_EQ(memo->cursorPosition(), 1);
    type(".");
    EXPECT_EQ(memo->text(), "12");  // no separator with 0 decimals
    uint16_t u = 5;
    Dato_usn_short s(&u, 2000, 1, 0);
    Dato_connect(s, other, nullptr, "n");
    other->setFocus();
    other->selectAll();
    QTest::keyClicks(other, "-7");
    EXPECT_EQ(other->text(), "7");
}

TEST_F(DatoUserTest, UpDownClampsFirstThenSteps)
{
    int32_t v = 0;
    Dato_long b(&v, 100, -100, 0);
    bind(b);
    replace("500");
    Q_EMIT updown->changing(1);
    EXPECT_EQ(v, 100);
    EXPECT_EQ(memo->text(), "100");
    replace("-500");
    Q_EMIT updown->changing(1);
    EXPECT_EQ(v, -99);
    Q_EMIT updown->changing(2);
    Q_EMIT updown->changing(2);
    EXPECT_EQ(v, -100);  // not below the minimum
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DatoUserTest, BeyondThirtyTwoBitsIsOutOfRangeAndDecimalsStopAtFour)
{
    int32_t v = 3;
    Dato_long b(&v, INT32_MAX, INT32_MIN, 0);
    bind(b);
    replace("4294967297");
    leave();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Il valore deve essere compreso tra : [-2147483648  e  2147483647] !");
    EXPECT_EQ(v, 3);
    b.Set_range(100000, 0, 9);
    EXPECT_EQ(b.decimals, 4);
    EXPECT_EQ(b.scale, 10000);
    EXPECT_EQ(b.format, "0.0000");
    b.Set_range(0, 10, 0);  // an empty range takes nothing
    replace("5");
    leave();
    EXPECT_EQ(v, 3);
    EXPECT_EQ(boxes.size(), 2u);
}

}  // namespace
