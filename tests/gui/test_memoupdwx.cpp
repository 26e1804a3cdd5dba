// The bound edit: one table of keystroke scripts (typed text, keys, paste, up-down, leave and
// Enter) with the stored raw value, the text shown, the writes sent and the messages shown; then
// size, limits, lifetime and the refresh from the drive.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/MemoUpDwx.h"
#include "control_fixture.h"
#include "controls_fixture.h"
#include "pages/Pages.h"
#include "shell/Main_page_host.h"
#include "shell/Msgbox_qt.h"

namespace {

// Field types and their test fields (offsets in a data set).
enum class Ty { U8, I16, U16, I32, U32 };
struct TyInfo {
    uint16_t offset;
    uint8_t size;
    bool is_signed;
};
constexpr TyInfo TYPES[] = {{1578, 1, false}, {730, 2, true}, {198, 2, false}, {120, 4, true}, {2116, 4, false}};
const TyInfo& info(Ty t) { return TYPES[static_cast<int>(t)]; }
Loc field_of(Ty t, uint16_t record = 0) { return SlotLoc(static_cast<uint8_t>(record), info(t).offset); }

int64_t get_raw(Loc f, const TyInfo& t)
{
    uint32_t bits = 0;
    std::memcpy(&bits, Loc_ptr_n(f, t.size), t.size);
    if (!t.is_signed)
        return bits;
    return t.size == 2 ? int64_t(int16_t(bits)) : t.size == 4 ? int64_t(int32_t(bits)) : int64_t(int8_t(bits));
}
void put_raw(Loc f, const TyInfo& t, int64_t v)
{
    const uint32_t bits = static_cast<uint32_t>(v);
    std::memcpy(Loc_ptr_n(f, t.size), &bits, t.size);
}

using Edit = std::unique_ptr<MemoUpDwxBase, void (*)(MemoUpDwxBase*)>;

template <typename T>
Edit make_typed(FlowPanel* p, Loc f, uint16_t record, double max, double min, uint16_t dec, int w, int h,
                MemoUpDwx_write_fn write)
{
    return Edit(new MemoUpDwx<T>(p, f, record, max, min, dec, w, h, std::move(write)),
                [](MemoUpDwxBase* e) { delete static_cast<MemoUpDwx<T>*>(e); });
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
        column->addWidget(panel_);
        column->addWidget(other_);
        window_->show();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        // The real box takes the focus from the window while it is up.
        on_message = [](const MsgRequest&) {
            if (QWidget* w = QApplication::focusWidget()) {
                QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
                QCoreApplication::sendEvent(w, &out);
            }
        };
    }
    void TearDown() override
    {
        window_.reset();
        ControlsTest::TearDown();
    }

    Edit make(Ty t, double max, double min, uint16_t dec, uint16_t record = 0, int w = 0, int h = 0)
    {
        Edit e = [&] {
            const Loc f = field_of(t, record);
            auto write = [this](Loc f) { writes_.push_back(f); };
            switch (t) {
            case Ty::U8: return make_typed<uint8_t>(panel_, f, record, max, min, dec, w, h, write);
            case Ty::I16: return make_typed<int16_t>(panel_, f, record, max, min, dec, w, h, write);
            case Ty::U16: return make_typed<uint16_t>(panel_, f, record, max, min, dec, w, h, write);
            case Ty::I32: return make_typed<int32_t>(panel_, f, record, max, min, dec, w, h, write);
            default: return make_typed<uint32_t>(panel_, f, record, max, min, dec, w, h, write);
            }
        }();
        QCoreApplication::processEvents();  // controls added to a visible panel show
        return e;
    }

    // Runs a script of blank-separated steps on the edit:
    //   =text retype  +text type  !text set the text as a paste or a program leaves it  %text clipboard
    //   L leave  E Enter  U/D arrow keys  - minus key  B backspace  H home  X delete  A select all
    //   ^V ^X ^C ^A shortcuts  @n cursor  F focus  u/d up-down step  C click the up button
    //   W window deactivation and pop-up focus losses
    // In texts '_' stands for a blank.
    void run(MemoUpDwxBase& e, const std::string& script)
    {
        QLineEdit* m = e.memo();
        std::istringstream in(script);
        std::string step;
        while (in >> step) {
            const QString arg = QString::fromUtf8(step.substr(1)).replace('_', ' ');
            switch (step[0]) {
            case '=': m->setFocus(Qt::TabFocusReason); m->clear(); QTest::keyClicks(m, arg); break;
            case '+': QTest::keyClicks(m, arg); break;
            case '!': m->setFocus(Qt::TabFocusReason); m->setText(arg); break;
            case '%': QGuiApplication::clipboard()->setText(arg); break;
            case 'L': other_->setFocus(Qt::TabFocusReason); break;
            case 'E': QTest::keyClick(m, Qt::Key_Return); break;
            case 'U': QTest::keyClick(m, Qt::Key_Up); break;
            case 'D': QTest::keyClick(m, Qt::Key_Down); break;
            case '-': QTest::keyClick(m, Qt::Key_Minus); break;
            case 'B': QTest::keyClick(m, Qt::Key_Backspace); break;
            case 'H': QTest::keyClick(m, Qt::Key_Home); break;
            case 'X': QTest::keyClick(m, Qt::Key_Delete); break;
            case 'A': m->selectAll(); break;
            case '^': QTest::keyClick(m, step[1], Qt::ControlModifier); break;
            case '@': m->setCursorPosition(arg.toInt()); break;
            case 'F': m->setFocus(Qt::TabFocusReason); break;
            case 'u':
            case 'd': Q_EMIT e.updown()->changing(step[0] == 'u' ? 1 : 2); break;
            case 'C': QTest::mouseClick(e.updown()->upButton(), Qt::LeftButton); break;
            case 'W':
                for (Qt::FocusReason r : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
                    QFocusEvent out(QEvent::FocusOut, r);
                    QCoreApplication::sendEvent(m, &out);
                }
                break;
            default: ADD_FAILURE() << "bad step " << step;
            }
        }
    }

    std::string message_texts()
    {
        std::string s;
        for (const MsgRequest& r : take_messages())
            s += (s.empty() ? "" : "|") + r.text;
        return s;
    }
    static bool editing_look(const QLineEdit* m)
    {
        return m->palette().color(QPalette::Text) == clBlue && m->font().bold();
    }

    std::unique_ptr<QWidget> window_;
    FlowPanel* panel_ = nullptr;
    QLineEdit* other_ = nullptr;
    std::vector<Loc> writes_;
};

// ---- keystroke scripts ----

enum Opt : uint8_t { IT = 1, FR = 2, ARCHIVE = 4, NO_ZERO = 8, IT_LANG = 16 };

struct Script {
    Ty type;
    double max, min;
    uint16_t decimals;
    uint8_t opts;
    int64_t before;
    const char* steps;
    int64_t after;
    const char* shown;
    int writes;
    const char* messages;
    int look;  // 1 editing (blue, bold), 0 plain, -1 not checked
};

const char* const RANGE_IT_3000 = "Il valore deve essere compreso tra : [0  e  3000] !";

const Script SCRIPTS[] = {
    // Shown as raw / 10^decimals with the locale's separator.
    {Ty::U16, 1500, 0, 2, 0, 0, "", 0, "0.00", 0, "", -1},
    {Ty::I16, 32767, -32768, 0, 0, -1, "", -1, "-1", 0, "", -1},
    {Ty::U16, 3000, 0, 2, 0, 5, "", 5, "0.05", 0, "", -1},
    {Ty::I16, 100, -100, 1, 0, -5, "", -5, "-0.5", 0, "", -1},
    {Ty::U16, 3000, 0, 2, IT, 1250, "", 1250, "12,50", 0, "", -1},
    {Ty::U32, 4294967295.0, 0, 1, 0, 123456, "", 123456, "12345.6", 0, "", -1},
    // Leaving stores the parsed text (a fraction cut, not rounded) and sends it.
    {Ty::U16, 60000, 0, 2, IT, 0, "=12,5 L", 1250, "12,50", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 0, "=12,345 L", 1234, "12,34", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 0, "=7 L", 700, "7,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 0, "=3.25 L", 325, "3,25", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 0, "=,5 L", 50, "0,50", 1, "", 0},
    {Ty::U32, 4294967295.0, 0, 0, 0, 1, "=3000000000 L", 3000000000, "3000000000", 1, "", 0},
    {Ty::I16, 32767, -32768, 0, 0, 0, "=-32768 L", -32768, "-32768", 1, "", 0},
    // Untouched text stands for the bound value, even where it shows it rounded.
    {Ty::U32, 4294967295.0, 0, 5, 0, 170000, "F L", 170000, "2", 1, "", 0},
    // Separator keys follow the locale; a second separator and one without decimals are dropped.
    {Ty::U16, 60000, 0, 2, IT, 0, "=1.2.3", 0, "1,23", 0, "", 1},
    {Ty::U16, 60000, 0, 0, IT, 0, "=1,5.0 L", 150, "150", 1, "", 0},
    // Out of range: one message, the field kept, the bound value shown and sent again.
    {Ty::U16, 3000, 0, 0, IT | IT_LANG, 1200, "=5000 L", 1200, "1200", 1, RANGE_IT_3000, 0},
    {Ty::U8, 300, -5, 0, IT_LANG, 7, "=300 L", 7, "7", 1, "Il valore deve essere compreso tra : [0  e  255] !", 0},
    // Enter checks and stores but keeps editing; a refused value stays in the edit.
    {Ty::U16, 3000, 0, 0, IT | IT_LANG, 1200, "=5000 E", 1200, "5000", 1, "Freq deve essere tra : [0  e  3000] !", -1},
    {Ty::U16, 3000, 0, 0, IT, 1200, "=2000 E", 2000, "2000", 1, "", 1},
    {Ty::I16, 3000, -100, 1, IT_LANG, 0, "=301 E L", 0, "0.0", 2,
     "Freq deve essere tra : [-10.0  e  300.0] !|Il valore deve essere compreso tra : [-10.0  e  300.0] !", 0},
    {Ty::I16, 3000, -100, 1, 0, 0, "=301 E L", 0, "0.0", 2,
     "Freq must be between : [-10.0  and  300.0] !|Value must be between : [-10.0  and  300.0] !", 0},
    {Ty::I16, 3000, -100, 1, FR, 0, "=301 E L", 0, "0.0", 2,
     "Freq doit être compris entre : [-10.0  et  300.0] !|La valeur doit être comprise entre: [-10.0  et  300.0] !",
     0},
    // The minus key toggles the sign of a signed field wherever the cursor is.
    {Ty::I16, 100, -100, 0, 0, 12, "F @1 -", 12, "-12", 0, "", -1},
    {Ty::I16, 100, -100, 0, 0, 12, "F @1 - - @0 - - - L", -12, "-12", 1, "", 0},
    {Ty::U16, 100, 0, 0, 0, 12, "F -", 12, "12", 0, "", -1},
    // Paste moves the minus to the front and keeps the length limit (5 characters here).
    {Ty::I16, 3000, -3000, 0, 0, 0, "%12-3 F A ^V L", -123, "-123", 1, "", 0},
    {Ty::I16, 3000, -3000, 0, 0, 0, "%9876543 F A ^V", 0, "98765", 0, "", -1},
    // Shortcuts, letters and a character beyond the length are dropped; editing keys work.
    {Ty::U16, 3000, 0, 0, 0, 1234, "F A ^X @2 ^A +ab_e+ +5", 1234, "1234", 0, "", -1},
    {Ty::U16, 3000, 0, 0, 0, 1234, "F @2 B H X L", 34, "34", 1, "", 0},
    // Invalid text keeps the bound value and sends it again.
    {Ty::U16, 60000, 0, 2, IT, 1500, "!1,2,3 L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "!12a L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "!-5 L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "! L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "!, L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "!- L", 1500, "15,00", 1, "", 0},
    {Ty::U16, 60000, 0, 2, IT, 1500, "!1111111111111111111111111111111111111111 L", 1500, "15,00", 1, "", 0},
    // Up-down: one raw unit, clamped to the limits, stored and sent at once, the edit keeps the focus.
    {Ty::U16, 3000, 0, 0, 0, 3000, "u", 3000, "3000", 1, "", 1},
    {Ty::U16, 3000, 0, 0, 0, 3000, "=4000 u", 3000, "3000", 1, "", 1},
    {Ty::U16, 3000, 0, 0, 0, 3000, "F D U U", 3000, "3000", 3, "", 1},
    {Ty::U16, 3000, 0, 0, 0, 0, "d", 0, "0", 1, "", -1},
    {Ty::I32, 100000, -100000, 2, IT, -1, "F D", -2, "-0,02", 1, "", 1},
    {Ty::U16, 3000, 0, 0, 0, 10, "=20 C", 21, "21", 1, "", 1},
    // The archive's data set is stored but never sent.
    {Ty::U16, 3000, 0, 0, ARCHIVE, 10, "=11 E u L", 12, "12", 0, "", 0},
    // Zero excluded: refused with a message when entered, silently by a step.
    {Ty::I32, 1000, -1000, 0, NO_ZERO | IT_LANG, 1, "=0 L", 1, "1", 1, "Zero escluso!", 0},
    {Ty::I32, 1000, -1000, 0, NO_ZERO, 1, "=0 L", 1, "1", 1, "Zero excluded", 0},
    {Ty::I32, 1000, -1000, 0, NO_ZERO | FR, 1, "=0 L", 1, "1", 1, "Zéro exclus!", 0},
    {Ty::I32, 1000, -1000, 0, NO_ZERO, 1, "=0 E", 1, "0", 1, "Zero excluded", -1},
    {Ty::I32, 1000, -1000, 0, NO_ZERO, 1, "d", 1, "1", 1, "", -1},
    // Deactivating the window is not a leave.
    {Ty::U16, 3000, 0, 0, 0, 10, "=5000 W", 10, "5000", 0, "", 1},
};

TEST_F(MemoTest, KeystrokeScripts)
{
    for (const Script& s : SCRIPTS) {
        SCOPED_TRACE(std::string(s.steps) + " from " + std::to_string(s.before));
        QLocale::setDefault((s.opts & IT) ? QLocale(QLocale::Italian, QLocale::Italy) : QLocale::c());
        LanguageIndex = (s.opts & IT_LANG) ? 0 : (s.opts & FR) ? 2 : 1;
        const TyInfo& t = info(s.type);
        const uint16_t record = (s.opts & ARCHIVE) ? 1 : 0;
        const Loc f = field_of(s.type, record);
        const Loc after = SlotLoc(static_cast<uint8_t>(record), info(s.type).offset + t.size);
        put_raw(f, t, s.before);
        put_raw(after, {0, 4, false}, 0xA5A5A5A5);
        writes_.clear();
        Edit e = make(s.type, s.max, s.min, s.decimals, record);
        e->zero_excluded = s.opts & NO_ZERO;
        run(*e, s.steps);
        EXPECT_EQ(get_raw(f, t), s.after);
        EXPECT_EQ(e->memo()->text(), QString::fromUtf8(s.shown));
        EXPECT_EQ(static_cast<int>(writes_.size()), s.writes);
        for (const Loc& w : writes_)
            EXPECT_EQ(w, f);
        EXPECT_EQ(message_texts(), s.messages);
        if (s.look >= 0) {
            EXPECT_EQ(editing_look(e->memo()), s.look == 1);
        }
        EXPECT_EQ(get_raw(after, {0, 4, false}), 0xA5A5A5A5) << "only the field's bytes are written";
    }
}

TEST_F(MemoTest, MessageBoxAndClipboard)
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    Edit e = make(Ty::U16, 3000, 0, 0);
    run(*e, "=5000 L");
    const auto msgs = take_messages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].title, "Attenzione");
    EXPECT_EQ(msgs[0].icon, MsgIcon::Warning);
    EXPECT_EQ(msgs[0].buttons, static_cast<unsigned>(MsgOk));
    run(*e, "=34 A ^C");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("34"));
    run(*e, "=5 E");
    EXPECT_TRUE(e->memo()->hasFocus());
}

TEST_F(MemoTest, ValidatorRefusalIsSilent)
{
    put_raw(field_of(Ty::U16), info(Ty::U16), 5);
    std::vector<double> asked;
    auto check = [&](Loc f, double candidate, uint16_t record, double max, double min) -> uint8_t {
        EXPECT_EQ(f, field_of(Ty::U16));
        EXPECT_EQ(record, 0);
        EXPECT_EQ(max, 31);
        EXPECT_EQ(min, 4);
        asked.push_back(candidate);
        return candidate > 20 ? 1 : 0;
    };
    MemoUpDwx<uint16_t> e(panel_, field_of(Ty::U16), 0, 31, 4, 0, 70, 0, [](Loc) {}, check);
    QCoreApplication::processEvents();
    run(e, "=25 L =25 E");
    EXPECT_EQ(e.value(), 5);
    EXPECT_EQ(e.memo()->text(), QStringLiteral("25"));
    put_raw(field_of(Ty::U16), info(Ty::U16), 20);
    e.show();
    run(e, "u");
    EXPECT_EQ(e.value(), 20);
    run(e, "=12 L");
    EXPECT_EQ(e.value(), 12);
    EXPECT_EQ(asked, (std::vector<double>{25, 25, 21, 12}));
}

// ---- size, limits and lifetime ----

TEST_F(MemoTest, LimitsAndDecimalsAreKeptWithinTheType)
{
    MemoUpDwx<uint8_t> e(panel_, field_of(Ty::U8), 0, 300, -5, 0);
    EXPECT_EQ(e.max, 255);
    EXPECT_EQ(e.min, 0);
    EXPECT_EQ(e.memo()->toolTip(), QString::fromUtf8("Range: [0 \xC3\xB7 255]"));
    e.max = 1000;  // a page widening the limits past the type
    e.set_range();
    EXPECT_EQ(e.max, 255);

    put_raw(field_of(Ty::U32), info(Ty::U32), 3000000000u);
    MemoUpDwx<uint32_t> wide(panel_, field_of(Ty::U32), 0, 4294967295.0, 0, 12);
    EXPECT_EQ(wide.decimals(), 9);
    EXPECT_EQ(wide.divisor(), 1000000000u);
    EXPECT_EQ(wide.memo()->text(), QStringLiteral("3"));

    put_raw(field_of(Ty::U16), info(Ty::U16), 50);
    auto* r = MemoUpDwx_ushort_ctor_wh(panel_, field_of(Ty::U16), 0, 100, 0, 1, 80, 0, {});
    EXPECT_EQ(r->max_length(), 4);
    r->max = 20000;
    r->min = 10;
    MemoUpDwx_ushort_set_range(r);
    EXPECT_EQ(r->max_length(), 6);
    EXPECT_EQ(r->memo()->toolTip(), QString::fromUtf8("Range: [1.0 \xC3\xB7 2000.0]"));
    EXPECT_EQ(r->memo()->text(), QStringLiteral("5.0"));
    MemoUpDwx_ushort_dtor(r);
}

TEST_F(MemoTest, DeletingAFocusedEditOrItsPanelIsNotALeave)
{
    Edit e = make(Ty::U16, 3000, 0, 0);
    run(*e, "=5000");
    QPointer<QLineEdit> memo = e->memo();
    e.reset();
    EXPECT_TRUE(memo.isNull());
    EXPECT_EQ(panel_->findChild<UpDownButton*>(), nullptr);
    EXPECT_TRUE(writes_.empty());

    auto* panel = new FlowPanel(QStringLiteral("FlowPanel_gone"), window_.get());
    auto orphan = std::make_unique<MemoUpDwx<uint16_t>>(panel, field_of(Ty::U16), 0, 3000, 0, 0);
    delete panel;
    orphan.reset();  // no dangling widget is touched

    EXPECT_THROW(MemoUpDwx<uint32_t>(panel_, SlotLoc(0, 2410), 0, 10, 0, 0), std::invalid_argument);
    EXPECT_THROW(MemoUpDwx<uint16_t>(nullptr, field_of(Ty::U16), 0, 10, 0, 0), std::invalid_argument);
}

TEST_F(MemoTest, VariableOfTheCallersOwn)
{
    uint16_t own = 42;
    std::vector<Loc> seen;
    MemoUpDwx<uint16_t> e(panel_, &own, 0, 100, 0, 0, 0, 0, [&](Loc f) { seen.push_back(f); });
    QCoreApplication::processEvents();
    EXPECT_EQ(e.memo()->text(), QStringLiteral("42"));
    e.set_language(0);  // no dictionary entry to look for
    e.set_access(0);
    EXPECT_TRUE(e.memo()->isEnabled());
    run(e, "=43 L");
    EXPECT_EQ(own, 43);
    EXPECT_EQ(seen, std::vector<Loc>{MemoUpDwx_no_field});
}

TEST_F(MemoTest, UpdateCopiesAndShowsOnlyOnChange)
{
    const Loc f = field_of(Ty::U16);
    put_raw(f, info(Ty::U16), 100);
    auto* e = MemoUpDwx_ushort_ctor(panel_, f, 0, 3000, 0, 0, [this](Loc l) { writes_.push_back(l); });
    const Loc rb = Loc_readback(f);
    put_raw(rb, info(Ty::U16), 100);
    e->memo()->setText(QStringLiteral("7"));
    MemoUpDwx_ushort_update(e, f, rb, 2);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("7"));  // equal: nothing shown

    put_raw(rb, info(Ty::U16), 250);
    MemoUpDwx_ushort_update(e, f, rb, 3);
    MemoUpDwx_ushort_update(e, f, SlotLoc(0, 5000), 2);
    EXPECT_EQ(e->value(), 100);
    MemoUpDwx_ushort_update(e, f, rb, 2);
    EXPECT_EQ(e->value(), 250);
    EXPECT_EQ(e->memo()->text(), QStringLiteral("250"));

    MemoUpDwx_ushort_update(nullptr, f, rb, 2);  // no edit: nothing to show
    MemoUpDwx_ushort_show(nullptr);
    MemoUpDwx_ushort_dtor(e);
    EXPECT_TRUE(writes_.empty());
}

// ---- held arrows ----

// A press steps once; the repeat goes on only while the press is really held, and each step is
// one write.
TEST_F(MemoTest, HeldArrowRepeatsOnlyWhileItsButtonIsReallyHeldOnAShownEnabledEdit)
{
    struct Case {
        const char* name;
        std::function<void(MemoUpDwxBase&)> cut;  // after the press
        bool repeats;
    };
    QWidget elsewhere;
    const Case cases[] = {
        {"held", [](MemoUpDwxBase&) {}, true},
        {"released where the arrow does not see it",
         [this](MemoUpDwxBase&) { QTest::mouseRelease(other_, Qt::LeftButton); }, false},
        {"another window activated",
         [&](MemoUpDwxBase&) {
             elsewhere.show();
             elsewhere.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
         },
         false},
        {"edit hidden", [](MemoUpDwxBase& e) { e.memo()->hide(); }, false},
        {"edit disabled", [](MemoUpDwxBase& e) { e.memo()->setEnabled(false); }, false},
        {"arrows disabled", [](MemoUpDwxBase& e) { e.updown()->setEnabled(false); }, false},
    };
    const Loc f = field_of(Ty::U16);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        put_raw(f, info(Ty::U16), 10);
        writes_.clear();
        Edit e = make(Ty::U16, 3000, 0, 0);
        RepeatArrow* up = e->updown()->upButton();
        QTest::mousePress(up, Qt::LeftButton);
        EXPECT_EQ(get_raw(f, info(Ty::U16)), 11) << "the press steps at once";
        EXPECT_EQ(writes_.size(), 1u);
        EXPECT_TRUE(e->memo()->hasFocus());
        c.cut(*e);
        const std::size_t writes_at_cut = writes_.size();  // hiding or disabling is a leave
        if (c.repeats) {
            EXPECT_TRUE(pump_until([&] { return get_raw(f, info(Ty::U16)) >= 13; }, 5000));
        } else {
            pump_for(RepeatArrow::DelayMs + 3 * RepeatArrow::IntervalMs);
            EXPECT_EQ(get_raw(f, info(Ty::U16)), 11);
            EXPECT_FALSE(up->repeating());
            EXPECT_FALSE(up->isDown());
        }
        QTest::mouseRelease(up, Qt::LeftButton);
        const int64_t released = get_raw(f, info(Ty::U16));
        pump_for(2 * RepeatArrow::IntervalMs);
        EXPECT_EQ(get_raw(f, info(Ty::U16)), released) << "no step after the release";
        if (c.repeats) {
            EXPECT_EQ(static_cast<int64_t>(writes_.size()), released - 10) << "one write per step";
        } else {
            EXPECT_EQ(writes_.size(), writes_at_cut);
        }
        EXPECT_EQ(message_texts(), "");
        elsewhere.hide();
        window_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
}

// A modal box of another source while an arrow is held, whose release never reaches the arrow:
// no step from the moment the box opens, neither while it is up nor after it closed.
TEST_F(MemoTest, AModalBoxEndsTheHeldRepeatForGood)
{
    const Loc f = field_of(Ty::U16);
    put_raw(f, info(Ty::U16), 10);
    Edit e = make(Ty::U16, 3000, 0, 0);
    RepeatArrow* up = e->updown()->upButton();
    MsgSink recording = Msgbox_set_sink(nullptr);
    Msgbox_install_qt_sink();
    int64_t at_open = -1;
    int64_t at_close = -1;
    QTimer::singleShot(50, [&] {
        at_open = get_raw(f, info(Ty::U16));
        QTimer::singleShot(300, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Escape);
        });
        Msgbox_show({MsgIcon::Warning, "Attention", "Elsewhere", MsgOk});
        at_close = get_raw(f, info(Ty::U16));
    });
    QTest::mousePress(up, Qt::LeftButton);
    EXPECT_TRUE(pump_until([&] { return at_close >= 0; }, 10000));
    pump_for(RepeatArrow::DelayMs + 3 * RepeatArrow::IntervalMs);
    Msgbox_set_sink(std::move(recording));
    EXPECT_GE(at_open, 11);
    EXPECT_EQ(at_close, at_open);
    EXPECT_EQ(get_raw(f, info(Ty::U16)), at_open);
    EXPECT_FALSE(up->repeating());
    EXPECT_FALSE(up->isDown());
    QTest::mouseRelease(up, Qt::LeftButton);
    EXPECT_EQ(get_raw(f, info(Ty::U16)), at_open);
}

// ---- the arrows of a page on the main window ----

constexpr uint16_t SPEED_KP = 186;  // Speed Kp, 1 to 3000

// The main window with the page units installed (the page nodes restored afterwards) and a ready
// link whose queue keeps what the page sends, or a simulator.
class MainArrowTest : public controltest::ControlTest {
protected:
    void SetUp() override
    {
        for (PageNode* n : PageNodeTable)
            saved_nodes_.push_back(*n);
        ControlTest::SetUp();
        Pages_install(Main_page_host());
    }
    void TearDown() override
    {
        if (up_ != nullptr)
            QTest::mouseRelease(up_, Qt::LeftButton);
        ControlTest::TearDown();
        for (std::size_t i = 0; i < saved_nodes_.size(); ++i)
            *PageNodeTable[i] = saved_nodes_[i];
    }

    // Opens the Speed Regulator page; finds the Speed Kp edit and its up arrow.
    void open_speed_page()
    {
        main->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
        main->TreeView_menu->setCurrentItem(FindPageNode(main->TreeView_menu, &PageNode_pid_vel));
        auto* panel = main->ScrollBox_Menu->findChild<FlowPanel*>("FlowPanel_PID_speed_kp");
        ASSERT_NE(panel, nullptr);
        memo_ = panel->findChild<QLineEdit*>("memo");
        up_ = panel->findChild<RepeatArrow*>("up");
        ASSERT_NE(memo_, nullptr);
        ASSERT_NE(up_, nullptr);
        ASSERT_TRUE(pump_until([this] { return memo_->isEnabled(); }, 3000));
    }
    void type(const char* text)
    {
        memo_->setFocus(Qt::MouseFocusReason);
        memo_->selectAll();
        QTest::keyClicks(memo_, text);
    }
    static std::string queued_writes()
    {
        std::string w;
        std::istringstream in(controltest::queue_text());
        for (std::string item; in >> item;)
            if (item[0] == 'W')
                w += (w.empty() ? "" : " ") + item.substr(item.find('='));
        return w;
    }

    QLineEdit* memo_ = nullptr;
    RepeatArrow* up_ = nullptr;

private:
    std::vector<PageNode> saved_nodes_;
};

// The page's scroll box takes the focus of a click: the arrow must not let it, or the typed text
// is checked as a leave of the field while the arrow is pressed.
TEST_F(MainArrowTest, ArrowPressAfterAnOutOfRangeTextClampsSilentlyAndQueuesOneWrite)
{
    Rec_set<uint16_t>(DriveRecordBank[0], SPEED_KP, 1000);
    open_controlled();
    link_ready(0, 0);
    UpdateEditState(EditMode::Force);
    open_speed_page();
    type("9999");
    Seriale_clear_queue();
    QTest::mousePress(up_, Qt::LeftButton);
    EXPECT_EQ(box_texts(), "");
    EXPECT_TRUE(memo_->hasFocus());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], SPEED_KP), 3000);
    EXPECT_EQ(memo_->text(), "3000");
    EXPECT_EQ(queued_writes(), "=BB8");
    QTest::mouseRelease(up_, Qt::LeftButton);
    pump_for(1000);
    EXPECT_EQ(queued_writes(), "=BB8");
    EXPECT_EQ(box_texts(), "");
}

// Held for a second against the drive: no more writes reach it than steps were made, and it ends
// at the last step.
TEST_F(MainArrowTest, HoldingAnArrowSendsAtMostOneWritePerStepAndTheDriveEndsAtTheLast)
{
    open_window();
    attach_simulator();
    SimBytes image = linktest::test_image(7);
    maintest::put_be16(image, RecOfs::BusType, 0);
    maintest::put_be16(image, SPEED_KP, 1000);
    sim->set_image(image);
    connect_and_read();
    open_speed_page();
    ASSERT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], SPEED_KP), 1000);
    sim->clear_log();
    const std::size_t writes_before = sim->param_writes().size();
    memo_->setFocus(Qt::MouseFocusReason);
    QTest::mousePress(up_, Qt::LeftButton);
    pump_for(1000);
    QTest::mouseRelease(up_, Qt::LeftButton);
    const uint16_t last = Rec_get<uint16_t>(DriveRecordBank[0], SPEED_KP);
    const int steps = last - 1000;
    EXPECT_GE(steps, 1);
    ASSERT_TRUE(pump_until([] { return Seriale_count() == 0; }, 5000));
    const auto writes = sim->param_writes();
    ASSERT_GT(writes.size(), writes_before);
    EXPECT_LE(static_cast<int>(writes.size() - writes_before), steps);
    EXPECT_EQ(writes.back().value_u32(), last);
    EXPECT_EQ(box_texts(), "");
}

}  // namespace
