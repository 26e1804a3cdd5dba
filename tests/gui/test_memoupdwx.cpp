#include <gtest/gtest.h>

#include <memory>

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/MemoUpDwx.h"
#include "controls_fixture.h"

namespace {

constexpr Loc F16 = SlotLoc(0, 198);    // u16 field
constexpr Loc F16_ARCHIVE = SlotLoc(1, 198);
constexpr Loc F32 = SlotLoc(0, 2116);   // u32 field
constexpr Loc FI16 = SlotLoc(0, 730);   // i16 field
constexpr Loc FI32 = SlotLoc(0, 120);   // i32 field
constexpr Loc F8 = SlotLoc(0, 1578);    // u8 field

template <typename T>
T get(Loc f)
{
    T v;
    std::memcpy(&v, Loc_ptr_n(f, sizeof v), sizeof v);
    return v;
}
template <typename T>
void put(Loc f, T v)
{
    std::memcpy(Loc_ptr_n(f, sizeof v), &v, sizeof v);
}

class MemoTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        window_ = std::make_unique<QWidget>();
        auto* column = new QVBoxLayout(window_.get());
        panel_ = new FlowPanel(QStringLiteral("FlowPanel_test"), window_.get());
        panel_->setCaption(QStringLiteral("Freq"));
        other_ = new QLineEdit(window_.get());
        other_->setObjectName(QStringLiteral("other"));
        column->addWidget(panel_);
        column->addWidget(other_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }

    void TearDown() override
    {
        window_.reset();
        ControlsTest::TearDown();
    }

    MemoUpDwx_write_fn writer()
    {
        return [this](Loc f) { writes_.push_back(f); };
    }

    template <typename T>
    std::unique_ptr<MemoUpDwx<T>> make(Loc field, double max, double min, uint16_t decimals, uint16_t record = 0)
    {
        return shown(std::make_unique<MemoUpDwx<T>>(panel_, field, record, max, min, decimals, 0, 0, writer()));
    }

    // Controls added to a visible panel show once the event loop runs.
    template <typename E>
    static E shown(E edit)
    {
        QCoreApplication::processEvents();
        return edit;
    }

    void focus(MemoUpDwxBase& e) { e.memo()->setFocus(Qt::TabFocusReason); }
    void leave() { other_->setFocus(Qt::TabFocusReason); }
    // Replaces the memo's text by typing.
    void retype(MemoUpDwxBase& e, const QString& text)
    {
        focus(e);
        e.memo()->clear();
        QTest::keyClicks(e.memo(), text);
    }
    void enter(MemoUpDwxBase& e) { QTest::keyClick(e.memo(), Qt::Key_Return); }

    static QColor text_colour(const QLineEdit* m) { return m->palette().color(QPalette::Text); }

    std::unique_ptr<QWidget> window_;
    FlowPanel* panel_ = nullptr;
    QLineEdit* other_ = nullptr;
    std::vector<Loc> writes_;
};

// ---- construction and display ----

TEST_F(MemoTest, WidthComesFromTheRawLimits)
{
    put<uint16_t>(F16, 0);
    const QFontMetrics fm(panel_->font());
    const int w0 = fm.horizontalAdvance(QLatin1Char('0')) + 5;
    struct Case {
        double max, min;
        int width;
    };
    const Case cases[] = {
        {3000, 0, 4 * w0},           // d(3000) = 3
        {1000, 0, 4 * w0},           // a power of ten counts exactly
        {999, 0, 3 * w0},
        {5, 0, 2 * w0},              // d(5) = 0, d(0) = 1
        {100, -100, 3 * w0 + w0 / 2},
        {0, -500, 2 * w0 + w0 / 2},
        {5, -100000, 2 * w0 + w0 / 2},  // d(-100000) = 1
    };
    for (const Case& c : cases) {
        auto e = make<int32_t>(FI32, c.max, c.min, 0);
        EXPECT_EQ(e->memo()->width(), c.width) << c.max << " " << c.min;
        EXPECT_EQ(e->memo()->height(), fm.height() + 6);
    }
    auto sized = std::make_unique<MemoUpDwx<uint16_t>>(panel_, F16, 0, 3000, 0, 0, 70, 0, writer());
    EXPECT_EQ(sized->memo()->width(), 70);
    EXPECT_EQ(sized->memo()->height(), fm.height() + 6);
    auto tall = std::make_unique<MemoUpDwx<uint16_t>>(panel_, F16, 0, 3000, 0, 0, 0, 30, writer());
    EXPECT_EQ(tall->memo()->width(), 4 * w0);
    EXPECT_EQ(tall->memo()->height(), 30);
    EXPECT_EQ(tall->updown()->height(), 30);
}

TEST_F(MemoTest, UpDownSitsRightOfTheMemoAndTakesNoFocus)
{
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    panel_->resize(300, 40);
    window_->adjustSize();
    QCoreApplication::processEvents();
    const QRect memo = e->memo()->geometry();
    const QRect ud = e->updown()->geometry();
    EXPECT_EQ(ud.width(), 18);
    EXPECT_GE(ud.left(), memo.right());
    EXPECT_EQ(e->updown()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(e->updown()->upButton()->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(e->updown()->upButton()->autoRepeat());
    EXPECT_EQ(e->memo()->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(panel_->findChild<QLineEdit*>(QStringLiteral("memo")), e->memo());
}

TEST_F(MemoTest, ShowsTheRawValueScaledWithTheLocaleSeparator)
{
    put<uint16_t>(F16, 0);
    auto range = make<uint16_t>(F16, 1500, 0, 2);
    EXPECT_EQ(range->memo()->toolTip(), QString::fromUtf8("Range: [0.00 \xC3\xB7 15.00]"));
    EXPECT_EQ(range->max_length(), 5);
    EXPECT_EQ(range->memo()->text(), QStringLiteral("0.00"));
    range.reset();

    put<uint16_t>(FI16, 0xFFFF);
    EXPECT_EQ(make<int16_t>(FI16, 32767, -32768, 0)->memo()->text(), QStringLiteral("-1"));
    EXPECT_EQ(make<uint16_t>(FI16, 65535, 0, 0)->memo()->text(), QStringLiteral("65535"));

    put<uint16_t>(F16, 5);
    EXPECT_EQ(make<uint16_t>(F16, 3000, 0, 2)->memo()->text(), QStringLiteral("0.05"));
    put<int16_t>(FI16, -5);
    EXPECT_EQ(make<int16_t>(FI16, 100, -100, 1)->memo()->text(), QStringLiteral("-0.5"));

    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 1250);
    EXPECT_EQ(make<uint16_t>(F16, 3000, 0, 2)->memo()->text(), QStringLiteral("12,50"));

    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    put<uint32_t>(F32, 123456);
    EXPECT_EQ(make<uint32_t>(F32, 4294967295.0, 0, 1)->memo()->text(), QStringLiteral("12345.6"));
}

TEST_F(MemoTest, LimitsAndDecimalsAreKeptWithinTheType)
{
    put<uint8_t>(F8, 7);
    auto e = make<uint8_t>(F8, 300, -5, 0);
    EXPECT_EQ(e->max, 255);
    EXPECT_EQ(e->min, 0);
    EXPECT_EQ(e->memo()->toolTip(), QString::fromUtf8("Range: [0 \xC3\xB7 255]"));
    retype(*e, QStringLiteral("300"));
    leave();
    auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, "Il valore deve essere compreso tra : [0  e  255] !");
    EXPECT_EQ(get<uint8_t>(F8), 7);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("7"));

    e->max = 1000;  // a page widening the limits past the type
    e->set_range();
    EXPECT_EQ(e->max, 255);

    put<uint32_t>(F32, 3000000000u);
    auto wide = make<uint32_t>(F32, 4294967295.0, 0, 12);
    EXPECT_EQ(wide->decimals(), 9);
    EXPECT_EQ(wide->divisor(), 1000000000u);
    EXPECT_EQ(wide->memo()->text(), QStringLiteral("3"));
}

TEST_F(MemoTest, UntouchedTextStandsForTheBoundValue)
{
    put<uint32_t>(F32, 170000);
    auto e = make<uint32_t>(F32, 4294967295.0, 0, 5);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("2"));
    focus(*e);
    leave();
    EXPECT_EQ(get<uint32_t>(F32), 170000u);
    ASSERT_EQ(writes_.size(), 1u);
    EXPECT_EQ(writes_[0], F32);
}

// ---- typing and leaving ----

TEST_F(MemoTest, LeavingStoresTheParsedText)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 0);
    auto e = make<uint16_t>(F16, 60000, 0, 2);
    struct Case {
        const char* typed;
        uint16_t raw;
        const char* shown;
    };
    const Case cases[] = {
        {"12,5", 1250, "12,50"}, {"12,345", 1234, "12,34"}, {"7", 700, "7,00"},
        {"3.25", 325, "3,25"},   {",5", 50, "0,50"},
    };
    for (const Case& c : cases) {
        retype(*e, QString::fromLatin1(c.typed));
        leave();
        EXPECT_EQ(get<uint16_t>(F16), c.raw) << c.typed;
        EXPECT_EQ(e->memo()->text(), QString::fromLatin1(c.shown));
    }
    EXPECT_EQ(writes_.size(), std::size(cases));
    EXPECT_EQ(text_colour(e->memo()), clBlack);
    EXPECT_FALSE(e->memo()->font().bold());
}

TEST_F(MemoTest, SeparatorKeysFollowTheLocaleAndTheDecimals)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 0);
    auto e = make<uint16_t>(F16, 60000, 0, 2);
    retype(*e, QStringLiteral("1.2.3"));
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1,23"));  // '.' becomes ',', a second one is dropped
    leave();
    e.reset();

    auto whole = make<uint16_t>(F16, 60000, 0, 0);
    retype(*whole, QStringLiteral("1,5.0"));
    EXPECT_EQ(whole->memo()->text(), QStringLiteral("150"));
    leave();
    EXPECT_EQ(get<uint16_t>(F16), 150);
}

TEST_F(MemoTest, U32TakesTenDigitsAndWritesOnlyItsFourBytes)
{
    put<uint32_t>(F32, 1);
    const Loc after = SlotLoc(0, 2120);
    put<uint32_t>(after, 0xA5A5A5A5u);
    auto e = make<uint32_t>(F32, 4294967295.0, 0, 0);
    retype(*e, QStringLiteral("3000000000"));
    leave();
    EXPECT_EQ(get<uint32_t>(F32), 3000000000u);
    EXPECT_EQ(get<uint32_t>(after), 0xA5A5A5A5u);

    put<uint16_t>(SlotLoc(0, 732), 0x5A5A);
    auto s = make<int16_t>(FI16, 32767, -32768, 0);
    retype(*s, QStringLiteral("-32768"));
    leave();
    EXPECT_EQ(get<int16_t>(FI16), -32768);
    EXPECT_EQ(get<uint16_t>(SlotLoc(0, 732)), 0x5A5A);
}

TEST_F(MemoTest, LeavingOutOfRangeShowsOneMessageAndKeepsTheField)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 1200);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    // The real box takes the focus from the window while it is up.
    on_message = [&](const MsgRequest&) {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(e->memo(), &out);
    };
    retype(*e, QStringLiteral("5000"));
    EXPECT_EQ(text_colour(e->memo()), clBlue);
    EXPECT_TRUE(e->memo()->font().bold());
    leave();
    const auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, "Il valore deve essere compreso tra : [0  e  3000] !");
    EXPECT_EQ(msgs[0].title, "Attenzione");
    EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);
    EXPECT_EQ(msgs[0].buttons, static_cast<unsigned>(MsgOk));
    EXPECT_EQ(get<uint16_t>(F16), 1200);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1200"));
    ASSERT_EQ(writes_.size(), 1u);
    EXPECT_EQ(writes_[0], F16);
    EXPECT_EQ(text_colour(e->memo()), clBlack);
    EXPECT_FALSE(e->memo()->font().bold());
}

TEST_F(MemoTest, RangeMessagesInEveryLanguage)
{
    put<int16_t>(FI16, 0);
    auto e = make<int16_t>(FI16, 3000, -100, 1);
    panel_->setCaption(QStringLiteral("Gain"));
    const char* leave_texts[3] = {"Il valore deve essere compreso tra : [-10.0  e  300.0] !",
                                  "Value must be between : [-10.0  and  300.0] !",
                                  "La valeur doit être comprise entre: [-10.0  et  300.0] !"};
    const char* enter_texts[3] = {"Gain deve essere tra : [-10.0  e  300.0] !",
                                  "Gain must be between : [-10.0  and  300.0] !",
                                  "Gain doit être compris entre : [-10.0  et  300.0] !"};
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        retype(*e, QStringLiteral("301"));
        enter(*e);
        leave();
        const auto msgs = take_messages();
        ASSERT_EQ(msgs.size(), 2u);
        EXPECT_EQ(msgs[0].text, enter_texts[lang]);
        EXPECT_EQ(msgs[1].text, leave_texts[lang]);
        EXPECT_EQ(msgs[0].title, lang == 0 ? "Attenzione" : "Attention");
    }
    EXPECT_EQ(get<int16_t>(FI16), 0);
}

TEST_F(MemoTest, EnterChecksStoresAndKeepsEditing)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 1200);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    retype(*e, QStringLiteral("5000"));
    enter(*e);
    auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, "Freq deve essere tra : [0  e  3000] !");
    EXPECT_EQ(e->memo()->text(), QStringLiteral("5000"));
    EXPECT_EQ(get<uint16_t>(F16), 1200);
    EXPECT_EQ(writes_.size(), 1u);  // sent also when refused

    retype(*e, QStringLiteral("2000"));
    enter(*e);
    EXPECT_EQ(get<uint16_t>(F16), 2000);
    EXPECT_EQ(writes_.size(), 2u);
    EXPECT_EQ(text_colour(e->memo()), clBlue);
    EXPECT_TRUE(e->memo()->font().bold());
    EXPECT_TRUE(e->memo()->hasFocus());
}

TEST_F(MemoTest, MinusTogglesTheSign)
{
    put<int16_t>(FI16, 12);
    auto e = make<int16_t>(FI16, 100, -100, 0);
    focus(*e);
    e->memo()->setCursorPosition(1);
    QTest::keyClick(e->memo(), Qt::Key_Minus);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("-12"));
    EXPECT_EQ(e->memo()->cursorPosition(), 2);
    QTest::keyClick(e->memo(), Qt::Key_Minus);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("12"));
    EXPECT_EQ(e->memo()->cursorPosition(), 1);
    e->memo()->setCursorPosition(0);
    QTest::keyClick(e->memo(), Qt::Key_Minus);
    QTest::keyClick(e->memo(), Qt::Key_Minus);
    EXPECT_EQ(e->memo()->cursorPosition(), 0);
    QTest::keyClick(e->memo(), Qt::Key_Minus);
    leave();
    EXPECT_EQ(get<int16_t>(FI16), -12);
    e.reset();

    put<uint16_t>(F16, 12);
    auto unsigned_edit = make<uint16_t>(F16, 100, 0, 0);
    focus(*unsigned_edit);
    QTest::keyClick(unsigned_edit->memo(), Qt::Key_Minus);
    EXPECT_EQ(unsigned_edit->memo()->text(), QStringLiteral("12"));
}

TEST_F(MemoTest, PasteMovesTheMinusAndKeepsTheLengthLimit)
{
    put<int16_t>(FI16, 0);
    auto e = make<int16_t>(FI16, 3000, -3000, 0);  // at most 5 characters
    focus(*e);
    e->memo()->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("12-3"));
    QTest::keyClick(e->memo(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("-123"));
    leave();
    EXPECT_EQ(get<int16_t>(FI16), -123);

    focus(*e);
    e->memo()->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("9876543"));
    QTest::keyClick(e->memo(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("98765"));
    leave();
    EXPECT_EQ(get<int16_t>(FI16), -123);  // 98765 is out of range
    EXPECT_EQ(take_messages().size(), 1u);
}

TEST_F(MemoTest, ShortcutsLettersAndLengthAreFiltered)
{
    put<uint16_t>(F16, 1234);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    focus(*e);
    e->memo()->selectAll();
    QTest::keyClick(e->memo(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1234"));
    e->memo()->setCursorPosition(2);
    QTest::keyClick(e->memo(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(e->memo()->hasSelectedText());
    QTest::keyClicks(e->memo(), QStringLiteral("a b+e"));
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1234"));
    QTest::keyClick(e->memo(), Qt::Key_5);  // the fifth character does not fit
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1234"));
    QTest::keyClick(e->memo(), Qt::Key_Backspace);
    QTest::keyClick(e->memo(), Qt::Key_Home);
    QTest::keyClick(e->memo(), Qt::Key_Delete);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("34"));
    e->memo()->selectAll();
    QTest::keyClick(e->memo(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("34"));
    leave();
    EXPECT_EQ(get<uint16_t>(F16), 34);
}

TEST_F(MemoTest, InvalidTextKeepsTheBoundValueAndWritesItAgain)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<uint16_t>(F16, 1500);
    auto e = make<uint16_t>(F16, 60000, 0, 2);
    const QString bad[] = {QStringLiteral("1,2,3"), QStringLiteral("12a"), QStringLiteral("-5"), QString(),
                           QStringLiteral(","), QStringLiteral("-"), QString(40, QLatin1Char('1'))};
    for (const QString& text : bad) {
        focus(*e);
        e->memo()->setText(text);  // as a paste or a program would leave it
        leave();
        EXPECT_EQ(get<uint16_t>(F16), 1500) << text.toStdString();
        EXPECT_EQ(e->memo()->text(), QStringLiteral("15,00"));
    }
    EXPECT_EQ(writes_.size(), std::size(bad));
}

// ---- up-down ----

TEST_F(MemoTest, UpDownStepsClampsAndCallsBack)
{
    put<uint16_t>(F16, 3000);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    Q_EMIT e->updown()->changing(1);
    EXPECT_EQ(get<uint16_t>(F16), 3000);
    EXPECT_EQ(writes_.size(), 1u);
    EXPECT_TRUE(e->memo()->hasFocus());
    EXPECT_EQ(text_colour(e->memo()), clBlue);

    retype(*e, QStringLiteral("4000"));
    Q_EMIT e->updown()->changing(1);
    EXPECT_EQ(get<uint16_t>(F16), 3000);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("3000"));

    QTest::keyClick(e->memo(), Qt::Key_Down);
    EXPECT_EQ(get<uint16_t>(F16), 2999);
    QTest::keyClick(e->memo(), Qt::Key_Up);
    QTest::keyClick(e->memo(), Qt::Key_Up);
    EXPECT_EQ(get<uint16_t>(F16), 3000);
    EXPECT_EQ(writes_.size(), 5u);

    put<uint16_t>(F16, 0);
    e->show();
    Q_EMIT e->updown()->changing(2);
    EXPECT_EQ(get<uint16_t>(F16), 0);
    EXPECT_TRUE(take_messages().empty());
}

TEST_F(MemoTest, StepIsOneRawUnit)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    put<int32_t>(FI32, -1);
    auto e = make<int32_t>(FI32, 100000, -100000, 2);
    focus(*e);
    QTest::keyClick(e->memo(), Qt::Key_Down);
    EXPECT_EQ(get<int32_t>(FI32), -2);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("-0,02"));
}

TEST_F(MemoTest, ClickOnTheUpDownDoesNotLeaveTheField)
{
    put<uint16_t>(F16, 10);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    retype(*e, QStringLiteral("20"));
    QTest::mouseClick(e->updown()->upButton(), Qt::LeftButton);
    EXPECT_TRUE(e->memo()->hasFocus());
    EXPECT_EQ(get<uint16_t>(F16), 21);
    EXPECT_EQ(writes_.size(), 1u);  // the step only, no leave
    EXPECT_EQ(text_colour(e->memo()), clBlue);
    EXPECT_TRUE(e->memo()->font().bold());
}

TEST_F(MemoTest, ArchiveRecordNeverCallsBack)
{
    put<uint16_t>(F16_ARCHIVE, 10);
    auto e = make<uint16_t>(F16_ARCHIVE, 3000, 0, 0, 1);
    retype(*e, QStringLiteral("11"));
    enter(*e);
    Q_EMIT e->updown()->changing(1);
    leave();
    EXPECT_EQ(get<uint16_t>(F16_ARCHIVE), 12);
    EXPECT_TRUE(writes_.empty());
}

// ---- refusals ----

TEST_F(MemoTest, ZeroExcludedRefusesAnEnteredZero)
{
    put<int32_t>(FI32, 1);
    auto e = make<int32_t>(FI32, 1000, -1000, 0);
    e->zero_excluded = true;
    const char* texts[3] = {"Zero escluso!", "Zero excluded", "Zéro exclus!"};
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        retype(*e, QStringLiteral("0"));
        leave();
        auto msgs = take_messages();
        ASSERT_EQ(msgs.size(), 1u);
        EXPECT_EQ(msgs[0].text, texts[lang]);
        EXPECT_EQ(get<int32_t>(FI32), 1);
    }
    retype(*e, QStringLiteral("0"));
    enter(*e);
    EXPECT_EQ(take_messages().size(), 1u);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("0"));
    e->show();
    Q_EMIT e->updown()->changing(2);  // onto 0: refused silently
    EXPECT_EQ(get<int32_t>(FI32), 1);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("1"));
}

TEST_F(MemoTest, ValidatorRefusalIsSilent)
{
    put<uint16_t>(F16, 5);
    std::vector<double> asked;
    auto check = [&](Loc f, double candidate, uint16_t record, double max, double min) -> uint8_t {
        EXPECT_EQ(f, F16);
        EXPECT_EQ(record, 0);
        EXPECT_EQ(max, 31);
        EXPECT_EQ(min, 4);
        asked.push_back(candidate);
        return candidate > 20 ? 1 : 0;
    };
    auto e = shown(std::make_unique<MemoUpDwx<uint16_t>>(panel_, F16, 0, 31, 4, 0, 70, 0, writer(), check));
    retype(*e, QStringLiteral("25"));
    leave();
    EXPECT_EQ(get<uint16_t>(F16), 5);
    retype(*e, QStringLiteral("25"));
    enter(*e);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("25"));
    EXPECT_EQ(get<uint16_t>(F16), 5);
    put<uint16_t>(F16, 20);
    e->show();
    Q_EMIT e->updown()->changing(1);
    EXPECT_EQ(get<uint16_t>(F16), 20);
    retype(*e, QStringLiteral("12"));
    leave();
    EXPECT_EQ(get<uint16_t>(F16), 12);
    EXPECT_EQ(asked, (std::vector<double>{25, 25, 21, 12}));
}

// ---- focus and lifetime ----

TEST_F(MemoTest, WindowDeactivationIsNotALeave)
{
    put<uint16_t>(F16, 10);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    retype(*e, QStringLiteral("5000"));
    for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(e->memo(), &out);
    }
    EXPECT_TRUE(writes_.empty());
    EXPECT_EQ(text_colour(e->memo()), clBlue);
    leave();
    EXPECT_EQ(take_messages().size(), 1u);
}

TEST_F(MemoTest, DeletingAFocusedEditIsNotALeave)
{
    put<uint16_t>(F16, 10);
    auto e = make<uint16_t>(F16, 3000, 0, 0);
    retype(*e, QStringLiteral("5000"));
    QPointer<QLineEdit> memo = e->memo();
    e.reset();
    EXPECT_TRUE(memo.isNull());
    EXPECT_EQ(panel_->findChild<UpDownButton*>(), nullptr);
    EXPECT_TRUE(writes_.empty());
}

TEST_F(MemoTest, DeletedPanelLeavesNothingDangling)
{
    auto* panel = new FlowPanel(QStringLiteral("FlowPanel_gone"), window_.get());
    auto e = std::make_unique<MemoUpDwx<uint16_t>>(panel, F16, 0, 3000, 0, 0, 0, 0, writer());
    delete panel;
    e.reset();
    SUCCEED();
}

TEST_F(MemoTest, BadBindingsAreRefused)
{
    EXPECT_THROW(MemoUpDwx<uint32_t>(panel_, SlotLoc(0, 2410), 0, 10, 0, 0), std::invalid_argument);
    EXPECT_THROW(MemoUpDwx<uint16_t>(nullptr, F16, 0, 10, 0, 0), std::invalid_argument);
}

TEST_F(MemoTest, VariableOfTheCallersOwn)
{
    uint16_t own = 42;
    std::vector<Loc> seen;
    auto e = shown(std::make_unique<MemoUpDwx<uint16_t>>(panel_, &own, 0, 100, 0, 0, 0, 0,
                                                         [&](Loc f) { seen.push_back(f); }));
    EXPECT_EQ(e->memo()->text(), QStringLiteral("42"));
    e->set_language(0);  // no dictionary entry to look for
    e->set_access(0);
    EXPECT_TRUE(e->memo()->isEnabled());
    retype(*e, QStringLiteral("43"));
    leave();
    EXPECT_EQ(own, 43);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], MemoUpDwx_no_field);
}

// ---- refresh from the drive ----

TEST_F(MemoTest, UpdateCopiesAndShowsOnlyOnChange)
{
    put<uint16_t>(F16, 100);
    auto* e = MemoUpDwx_ushort_ctor(panel_, F16, 0, 3000, 0, 0, writer());
    const Loc rb = Loc_readback(F16);
    put<uint16_t>(rb, 100);
    e->memo()->setText(QStringLiteral("7"));
    MemoUpDwx_ushort_update(e, F16, rb, 2);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("7"));  // equal: nothing shown

    put<uint16_t>(rb, 250);
    MemoUpDwx_ushort_update(e, F16, rb, 3);
    EXPECT_EQ(get<uint16_t>(F16), 100);
    MemoUpDwx_ushort_update(e, F16, SlotLoc(0, 5000), 2);
    EXPECT_EQ(get<uint16_t>(F16), 100);
    MemoUpDwx_ushort_update(e, F16, rb, 2);
    EXPECT_EQ(get<uint16_t>(F16), 250);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("250"));

    MemoUpDwx_ushort_update(nullptr, F16, rb, 2);  // no edit: nothing to show
    MemoUpDwx_ushort_show(nullptr);
    MemoUpDwx_ushort_dtor(e);
    EXPECT_TRUE(writes_.empty());
}

TEST_F(MemoTest, SetRangeAppliesNewLimits)
{
    put<uint16_t>(F16, 50);
    auto* e = MemoUpDwx_ushort_ctor_wh(panel_, F16, 0, 100, 0, 1, 80, 0, writer());
    EXPECT_EQ(e->max_length(), 4);
    e->max = 20000;
    e->min = 10;
    MemoUpDwx_ushort_set_range(e);
    EXPECT_EQ(e->max_length(), 6);
    EXPECT_EQ(e->memo()->toolTip(), QString::fromUtf8("Range: [1.0 \xC3\xB7 2000.0]"));
    EXPECT_EQ(e->memo()->text(), QStringLiteral("5.0"));
    MemoUpDwx_ushort_dtor(e);
}

}  // namespace
