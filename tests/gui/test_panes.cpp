// Status panes: one table of link and drive states with the texts and indicator colours of the
// main window's six panes and the three standard panes. A pane shows a text when the text, painted
// alone in the same font, colour and weight, is found in its content area.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include <QFrame>

#include "IdentEdit.h"
#include "drivedata/Globvar.h"
#include "gui_app.h"
#include "link/Flash_progress.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "shell/Main.h"
#include "shell/Settings.h"
#include "shell/Stbar.h"
#include "shell/Stbarcmx.h"

namespace {

QColor colour_of(char c)
{
    switch (c) {
    case 'k': return clBlack;
    case 'r': return clRed;
    case 'n': return clNavy;
    case 'b': return clBlue;
    case 'm': return clMaroon;
    case 'g': return clGray;
    case 'w': return clWhite;
    case 'L': return clLime;
    case 'y': return clYellow;
    case 'o': return bgr(0x4080FF);
    default: return clBtnFace;  // 'f'
    }
}

// The text painted alone on button face over a content-sized area.
QImage text_alone(QSize size, const QString& text, const QColor& colour, bool bold)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(clBtnFace);
    Canvas c(&img);
    c.brush = QBrush(clBtnFace, Qt::SolidPattern);
    c.font.setBold(bold);
    c.font_colour = colour;
    Graph_draw_text_rect(c, {0, 0, size.width(), size.height()}, AlignLeft, text);
    c.end();
    return img;
}

// Columns of the pane picture inside `area` (content coordinates) not yet explained by a text.
class PaneReader {
public:
    PaneReader(const QImage& img, const DrawRect& area) : img_(img), area_(area), covered_(area.width(), false) {}

    // Finds the text anywhere along the area (vertically within two pixels); marks its columns.
    bool find(const QString& text, const QColor& colour, bool bold)
    {
        const QImage ref = text_alone(QSize(area_.width(), area_.height()), text, colour, bold);
        QRect glyphs;
        for (int x = 0; x < ref.width(); ++x)
            for (int y = 0; y < ref.height(); ++y)
                if (ref.pixel(x, y) != clBtnFace.rgb())
                    glyphs |= QRect(x, y, 1, 1);
        if (glyphs.isEmpty())
            return false;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -glyphs.left(); dx + glyphs.right() < area_.width(); ++dx)
                if (matches(ref, glyphs, dx, dy)) {
                    for (int x = glyphs.left(); x <= glyphs.right(); ++x)
                        covered_[x + dx] = true;
                    return true;
                }
        return false;
    }
    // Whether any pixel of the area has the colour.
    bool contains(const QColor& colour) const
    {
        for (int y = area_.top; y < area_.bottom; ++y)
            for (int x = area_.left; x < area_.right; ++x)
                if (QColor(img_.pixel(x, y)) == colour)
                    return true;
        return false;
    }
    // Columns holding anything but button face that no found text explains.
    int stray_columns(int right_limit) const
    {
        int n = 0;
        for (int x = 0; x < std::min(right_limit, area_.width()); ++x) {
            if (covered_[x])
                continue;
            for (int y = area_.top; y < area_.bottom; ++y)
                if (img_.pixel(area_.left + x, y) != clBtnFace.rgb()) {
                    ++n;
                    break;
                }
        }
        return n;
    }

private:
    bool matches(const QImage& ref, const QRect& glyphs, int dx, int dy) const
    {
        if (glyphs.top() + dy < 0 || glyphs.bottom() + dy >= area_.height())
            return false;
        for (int x = glyphs.left(); x <= glyphs.right(); ++x)
            for (int y = glyphs.top(); y <= glyphs.bottom(); ++y)
                if (img_.pixel(area_.left + x + dx, area_.top + y + dy) != ref.pixel(x, y))
                    return false;
        return true;
    }

    const QImage& img_;
    DrawRect area_;
    std::vector<bool> covered_;
};

// A link and drive state.
struct PaneState {
    bool running;
    uint8_t mode;
    uint8_t link_flags;
    uint16_t status_word;
    uint32_t alarm_word;
    uint8_t ui_flags;
    uint8_t settings_flags;
    uint8_t state_index;
    uint8_t language;
};

// Pane expectations: "<box>:<texts>", the box colour of the indicator ('.' for a pane without
// one) and the texts separated by '|', each "text/<colour>" with '*' for bold. "#<colour>" asks for
// a colour anywhere; a leading '~' allows other drawing (buttons, bars). nullptr: not checked.
// Colours: k black, r red, n navy, b blue, m maroon, g gray, w white, L lime, y yellow, o orange,
// f button face.
struct PaneCase {
    const char* what;
    PaneState state;
    const char* main[6];   // link, drive, state, DC bus, firmware, auto-save
    const char* standard[3];  // link, drive, state
};

constexpr uint8_t ANSWERS = LinkFlag::Answers;
constexpr uint8_t READY = LinkFlag::Answers | LinkFlag::Ready;
constexpr uint8_t NORMAL = LinkMode::Normal;
constexpr uint8_t FLASH = LinkMode::Flash;

const PaneCase CASES[] = {
    {"port closed", {false, NORMAL, 0, 0, 0, 0, 0, 0, 1},
     {"f:COM - OFF/k", "f:", "f:--------/k", ".:DC-Bus/k|-----/k", ".:Fir.: /k|--.--/g", ".:-/g"},
     {"f:COM - OFF/k", "f:", "f:--------/k"}},
    {"drive ready", {true, NORMAL, READY, 0, 0, 0, 0, 2, 1},
     {"L:COM - OK/k*|[57600]/n", "L:Drive-OK/k*", "L:Stop/k*", ".:DC-Bus/k|325/b*|V/k",
      ".:Fir.: /k|3.20/n*|[mot]/m*", ".:S/g"},
     {"L:COM - OK/k*", "L:Drive-OK/k*", "L:Stop/k*"}},
    {"modified", {true, NORMAL, READY, 0, 0, UiFlag::Modified, 0, 3, 1},
     {nullptr, nullptr, "o:Power On/k*", nullptr, nullptr, "~.:S/r*"}, {nullptr, nullptr, "o:Power On/k*"}},
    {"auto-save", {true, NORMAL, READY, 0, 0, UiFlag::Modified, SettingsFlag::AutoSave, 4, 1},
     {nullptr, nullptr, "y:Operat./k*", nullptr, nullptr, "~.:A/n*"}, {nullptr, nullptr, "y:Operat./k*"}},
    {"link error, blink on", {true, NORMAL, LinkUiFlag::ErrorBlink, 0, 0, 0, 0, 9, 1},
     {"r:COM - ER/r*|[57600]/n", "f:", "f:--------/k", ".:DC-Bus/k|-----/k", ".:Fir.: /k|--.--/g", ".:-/g"},
     {"r:COM - ER/r*", "f:", "f:--------/k"}},
    {"link error, blink off", {true, NORMAL, 0, 0, 0, 0, 0, 0, 1},
     {"f:[57600]/n", nullptr, nullptr, nullptr, nullptr, nullptr}, {"f:", nullptr, nullptr}},
    {"alarm, blink on", {true, NORMAL, READY | LinkUiFlag::AlarmBlink, 0, 0x1, 0, 0, 2, 1},
     {"L:COM - OK/k*|[57600]/n", "r: AL - E2prom [1]/r*", nullptr, nullptr, nullptr, nullptr},
     {nullptr, "r:ALARM/r*", nullptr}},
    {"alarm, blink off", {true, NORMAL, READY, 0, 0x1, 0, 0, 2, 1},
     {nullptr, "f:", nullptr, nullptr, nullptr, nullptr}, {nullptr, "f:", nullptr}},
    {"warning", {true, NORMAL, READY | LinkUiFlag::AlarmBlink, 0, 0x10, 0, 0, 2, 0},
     {nullptr, "y: WR - ----- [5]/r*", nullptr, nullptr, nullptr, nullptr}, {nullptr, "y:ALLARME/y*", nullptr}},
    {"bits above 25 only", {true, NORMAL, READY | LinkUiFlag::AlarmBlink, 0, 0xC0000000u, 0, 0, 2, 1},
     {nullptr, "y: WR - ----- [27]/r*", nullptr, nullptr, nullptr, nullptr}, {nullptr, "y:ALARM/y*", nullptr}},
    {"boot loader", {true, NORMAL, ANSWERS, StatusBit::Boot, 0, 0, 0, 0, 1},
     {"L:COM - OK/k*|[57600]/n", "L:BootLoader Control 1.05/b*", nullptr, ".:DC-Bus/k|-----/k", ".:Fir.: /k|3.20/n*",
      ".:S/g"},
     {nullptr, "f:", nullptr}},
    {"firmware update, drive silent", {true, FLASH, 0, 0, 0, 0, 0, 2, 2},
     {"f:[57600]/n", ".:- - - - - - -/k", "y:Prog/k*", ".:DC-Bus/k|-----/k", ".:Fir.: /k|--.--/g", ".:-/g"},
     {"f:COM - OFF/k", "f:", "y:Prog/k*"}},
    {"firmware update, no progress yet", {true, FLASH, ANSWERS, 0, 0, 0, 0, 0, 1},
     {nullptr, "~.:#w", nullptr, nullptr, nullptr, nullptr}, {nullptr, nullptr, nullptr}},
    {"French, no state", {false, NORMAL, 0, 0, 0, 0, 0, 0, 2},
     {nullptr, nullptr, "f:", nullptr, nullptr, nullptr}, {nullptr, nullptr, "f:"}},
};

class PaneTest : public ::testing::TestWithParam<PaneCase> {
protected:
    void SetUp() override
    {
        gui_app();
        old_sink_ = Msgbox_set_sink([](const MsgRequest& r) {
            ADD_FAILURE() << "unexpected message box: " << r.text;
            return MsgOk;
        });
        window_ = std::make_unique<QWidget>();
        window_->resize(800, 40);
        panel_ = new QFrame(window_.get());
        panel_->setGeometry(0, 10, 760, 20);
        Ser_baud.store(57600);
        SettingsBlock.baud = 57600;
        Drive_ident_edit([](DriveIdentRec& id) { id.flags = 0; });
        DriveDeviceId.store(DRIVE_TYPE_ORVEL);
        DriveFwVersion.store(0x0314);
        DriveBootVersion.store(0x0105);
        FlashProgressCount.store(0);
        FlashProgressMax.store(0);
    }
    void TearDown() override
    {
        apply({false, NORMAL, 0, 0, 0, 0, 0, 0, 1});
        Msgbox_set_sink(std::move(old_sink_));
    }

    static void apply(const PaneState& s)
    {
        Ser_tx_state.store(s.running ? LinkState::Run : LinkState::Stop);
        Ser_link_mode.store(s.mode);
        Ser_link_flags.store(s.link_flags);
        Drive_status st{};
        st.status_word = s.status_word;
        st.alarm_word = s.alarm_word;
        st.voltage = 325;
        Drive_status_publish(st);
        DriveUiFlags.store(s.ui_flags);
        SettingsBlock.flags = s.settings_flags;
        DriveStateIndex = s.state_index;
        LanguageIndex = s.language;
    }

    QImage paint(StbarPane* const* panes)
    {
        Stbarx bar(panel_, panes, 0);
        return bar.picture()->image().copy();
    }

    // Checks one pane against its expectation.
    static void check(const QImage& img, const StbarPane& pane, const char* expected)
    {
        if (expected == nullptr)
            return;
        SCOPED_TRACE(expected);
        std::string spec = expected;
        const bool partial = spec[0] == '~';
        if (partial)
            spec.erase(0, 1);
        const char box = spec[0];
        const DrawRect r = Stbarcmx_content(pane);
        const int text_right = box == '.' ? r.width() : r.width() - 12;
        if (box != '.') {
            EXPECT_EQ(QColor(img.pixel(r.right - 6, (r.top + r.bottom) / 2)), colour_of(box));
        }
        PaneReader reader(img, r);
        std::istringstream texts(spec.substr(2));
        std::string item;
        while (std::getline(texts, item, '|')) {
            if (item[0] == '#') {
                EXPECT_TRUE(reader.contains(colour_of(item[1]))) << item;
                continue;
            }
            const std::size_t slash = item.rfind('/');
            const bool bold = item.back() == '*';
            EXPECT_TRUE(reader.find(QString::fromUtf8(item.substr(0, slash)), colour_of(item[slash + 1]), bold))
                << "\"" << item << "\" not shown";
        }
        if (!partial) {
            EXPECT_EQ(reader.stray_columns(text_right), 0) << "drawing beyond the texts";
        }
    }

    std::unique_ptr<QWidget> window_;
    QFrame* panel_ = nullptr;
    MsgSink old_sink_;
};

void PrintTo(const PaneCase& c, std::ostream* os) { *os << c.what; }

}  // namespace

TEST_P(PaneTest, StateToPaneTexts)
{
    const PaneCase& c = GetParam();
    apply(c.state);
    const QImage main = paint(MainStbPanes);
    for (int i = 0; i < 6; ++i)
        check(main, *MainStbPanes[i], c.main[i]);

    StbarPane standard[3] = {{0, 0, 0, 115, Stbarcmx_paint_link, 0},
                             {0, 0, 0, 115, Stbarcmx_paint_drive, 0},
                             {0, 0, 0, 85, Stbarcmx_paint_state, 0}};
    StbarPane* array[4] = {&standard[0], &standard[1], &standard[2], nullptr};
    const QImage img = paint(array);
    for (int i = 0; i < 3; ++i)
        check(img, standard[i], c.standard[i]);
}

INSTANTIATE_TEST_SUITE_P(Panes, PaneTest, ::testing::ValuesIn(CASES));

TEST(FlashPane, TheDrivePaneIsAProgressBarInTheBarsColour)
{
    gui_app();
    QFrame panel;
    panel.resize(760, 20);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_mode.store(LinkMode::Flash);
    Ser_link_flags.store(LinkFlag::Answers);
    FlashBarColour.store(0x0000FF);
    FlashProgressMax.store(200);
    FlashProgressCount.store(150);
    const QImage img = [&] {
        Stbarx bar(&panel, MainStbPanes, 0);
        return bar.picture()->image().copy();
    }();
    const DrawRect r = Stbarcmx_content(*MainStbPanes[1]);
    EXPECT_EQ(QColor(img.pixel(r.left + r.width() * 3 / 4 - 3, r.top + 1)), clRed);  // three quarters of the bar
    EXPECT_EQ(QColor(img.pixel(r.left + r.width() * 3 / 4 + 3, r.top + 1)), clWhite);
    FlashProgressCount.store(0);
    FlashProgressMax.store(0);
    Ser_tx_state.store(LinkState::Stop);
    Ser_link_mode.store(LinkMode::Normal);
    Ser_link_flags.store(0);
}
