// The main window's display timer driven through the link globals: link transitions, headline,
// monitor panels, LED images, the drive state index and what an idle tick repaints.
#include "main_fixture.h"

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Record.h"
#include "link/Flash_progress.h"
#include "shell/Main_display.h"
#include "shell/Stbarcmx.h"

#include <set>

#include <QAction>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

using namespace maintest;

namespace {

constexpr uint8_t LINKED = LinkFlag::Answers | LinkFlag::Ready | LinkFlag::Connect;

// Widgets that received a paint event.
class PaintSpy : public QObject {
public:
    std::set<QObject*> painted;
    void watch(QWidget* w)
    {
        w->installEventFilter(this);
        for (QWidget* c : w->findChildren<QWidget*>())
            c->installEventFilter(this);
    }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted.insert(o);
        return false;
    }
};

// Delivers the paints that updates have asked for: they are posted events, so this needs no wait.
void settle_paints()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QRgb pixel(const ImageBox* image, int x, int y) { return image->image().pixel(x, y) | 0xFF000000u; }
QRgb rgb(const QColor& c) { return c.rgb() | 0xFF000000u; }

// Inner lamp and outer ring of the LED of row r.
QPoint lamp(const IoGeometry& g, int r)
{
    const int h = g.row_height;
    const int left = g.image_width - 1 - (h - 1);
    return {left + (h - 2) / 2, r * h + 1 + (h - 2) / 2};
}
QPoint ring(const IoGeometry& g, int r) { return lamp(g, r) - QPoint((g.row_height - 2) / 2 - 1, 0); }

class DisplayTimer : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        saved_locale_ = QLocale();
        QLocale::setDefault(QLocale::c());
        LanguageIndex = 1;
        open_window();
        main->Timer_com->stop();
        main->Timer_ctrl->stop();
        tick();  // the start's port-closed pass
    }

    void TearDown() override
    {
        Ser_tx_state.store(LinkState::Stop);
        State_reset_all();
        FlashPhase.store(0);
        FlashProgressCount.store(0);
        QLocale::setDefault(saved_locale_);
        MainWindowTest::TearDown();
    }

    void tick()
    {
        main->Timer_comTimer();
        main->Timer_com->stop();
    }

    void publish(const Drive_status& st) { Drive_status_publish(st); }

    // A drive answers and its whole image has just been read.
    void read_image(const Drive_status& st)
    {
        publish(st);
        Ser_tx_state.store(LinkState::Run);
        Ser_link_flags.fetch_or(LINKED);
        Ser_data_flags.fetch_or(DataFlag::ImageRead);
        tick();
    }

    QString headline() const { return alarms->Panel_alarm->text(); }
    QRgb headline_colour() const { return alarms->Panel_alarm->palette().color(QPalette::WindowText).rgb(); }

    static void set_u16(std::size_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[0], ofs, v); }

    QLocale saved_locale_;
};

Drive_status values(int32_t speed, int16_t current, int16_t turns, uint16_t pos, int16_t temp, int16_t volts)
{
    Drive_status st{};
    st.speed = speed;
    st.current = current;
    st.turns = turns;
    st.turn_pos = pos;
    st.heat_sink = temp;
    st.voltage = volts;
    return st;
}

// ---- values -> monitor texts ----

struct MonitorCase {
    const char* what;
    uint16_t motor_type;
    Drive_status values;
    uint8_t size_index;
    uint16_t voltage_class;
    bool second_family;
    // speed, current, turns, offset, position, heat sink (nullptr: not shown), -, speed unit,
    // position unit, box title
    const char* texts[10];
};

std::string size_name(bool second, int i)
{
    return (second ? SizeTablePelsan : SizeTableOrvel).src[i].name;
}

const MonitorCase MONITOR[] = {
    // After a disconnect every twin is 0xFF: values with that very pattern are still shown.
    {"rotary, all ones", 0, values(-1, -1, -1, 0xFFFF, -1, -1), 0xFF, 0xFF, false,
     {"-1", "-0.01", "-1", "65535", "-1", "-0.1", "-----", "rpm", "Counts", "Position (Rev/Offset)"}},
    {"rotary", 0, values(-1234, 250, 3, 1000, 452, 0), 1, 0, false,
     {"-1234", "2.50", "3", "1000", "197608", "45.2", "", "rpm", "Counts", "Position (Rev/Offset)"}},
    {"rotary, extreme turns", 0, values(0, 0, -32768, 1, 0, 0), 0, 1, false,
     {"0", "0.00", "-32768", "1", "-2147483647", "0.0", "", "rpm", "Counts", "Position (Rev/Offset)"}},
    {"linear", 1, values(-1234, 250, -1, 65436, 456, 320), 0, 0, false,
     {"-123.4", "2.50", nullptr, "-1.00", nullptr, "45.6", "", "mm/s", "mm", "Position"}},  // no turns
    {"second family", 0, values(0, 0, 0, 0, 0, 0), 1, 1, true,
     {"0", "0.00", "0", "0", "0", "0.0", "", "rpm", "Counts", "Position (Rev/Offset)"}},
};

// The size texts: the size name with the voltage of the class when the family has several.
const std::string SIZE_TEXTS[] = {"-----", size_name(false, 1) + " [60 V]", size_name(false, 0),
                                  size_name(false, 0) + " [60 V]", size_name(true, 1) + " [460 V]"};

class MonitorTexts : public DisplayTimer, public ::testing::WithParamInterface<int> {};

}  // namespace

TEST_P(MonitorTexts, ImageReadShowsTheValues)
{
    const MonitorCase& c = MONITOR[GetParam()];
    SCOPED_TRACE(c.what);
    DriveDeviceId.store(c.second_family ? DRIVE_TYPE_PELSAN : DRIVE_TYPE_ORVEL);  // the family follows
    set_u16(RecOfs::MotorType, c.motor_type);
    DriveRecordBank[0].b[RecOfs::SizeIndex] = c.size_index;
    set_u16(RecOfs::VoltageClass, c.voltage_class);
    read_image(c.values);
    const char* const labels[] = {"t:Panel_speed",     "t:Panel_corr",    "t:Panel_giri",
                                  "t:Panel_offset_giro", "t:Panel_pos_mis", "t:Panel_radtemp"};
    for (int i = 0; i < 6; ++i)
        if (c.texts[i] != nullptr) {
            EXPECT_EQ(ui(labels[i]), c.texts[i]) << labels[i];
        }
    EXPECT_EQ(ui("v:Panel_giri v:Panel_pos_mis_var"), c.motor_type == 1 ? "0 0" : "1 1");
    EXPECT_EQ(ui("t:Panel_taglia_drive"), SIZE_TEXTS[GetParam()]);
    EXPECT_EQ(ui("t:Panel_vel_unit_mis"), c.texts[7]);
    EXPECT_EQ(ui("t:Panel_pos_unit_mis"), c.texts[8]);
    EXPECT_EQ(ui("t:GroupBox_pos_mis"), c.texts[9]);
    DriveDeviceId.store(DRIVE_TYPE_ORVEL);
    main->Main_family_from_drive();
}

INSTANTIATE_TEST_SUITE_P(Display, MonitorTexts, ::testing::Range(0, int(std::size(MONITOR))));

TEST_F(DisplayTimer, ImageReadTakesTheDriveAndEnablesOnlyCommandsWithTheirWork)
{
    DriveRecordBank[0].b[RecOfs::SizeIndex] = 0xFF;
    set_u16(RecOfs::VoltageClass, 0xFF);
    bool saved_drive = false;
    QObject::connect(main->Menu_Salva_Drive, &QAction::triggered, main.get(), [&] { saved_drive = true; });
    read_image(values(1, 2, 3, 4, 5, 6));
    EXPECT_FALSE(linktest::data_bits(DataFlag::ImageRead));
    EXPECT_TRUE(linktest::data_bits(DataFlag::ListReads));
    EXPECT_EQ(std::memcmp(DriveReadBack.b, DriveRecordBank[0].b, DRIVE_RECORD_SIZE), 0);
    EXPECT_EQ(DriveSizeRead.size_index, 0xFF);
    EXPECT_EQ(DriveSizeRead.voltage_class, 3);
    EXPECT_TRUE(FlashModeFlags.load() & FlashModeFlag::DriveKnown);
    EXPECT_EQ(EditStateFlags & EditState::Linked, EditState::Linked);
    EXPECT_EQ(headline(), "DRIVE - OK");
    EXPECT_EQ(headline_colour(), bgr(0x008000).rgb());
    EXPECT_TRUE(main->Menu_Salva_Drive->isEnabled());
    EXPECT_FALSE(main->BitBtn_oscx->isEnabled());   // no oscilloscope yet
    EXPECT_FALSE(main->BitBtn_print->isEnabled());  // no printout yet
    EXPECT_FALSE(saved_drive);
}

TEST_F(DisplayTimer, FirstTickAfterStartRunsThePortClosedPassOnce)
{
    EXPECT_EQ(headline(), "COM - OFF");
    EXPECT_EQ(headline_colour(), clBlack.rgb());
    EXPECT_FALSE(linktest::link_bits(LinkFlag::Connect));
    alarms->Panel_alarm->setText("x");
    tick();
    EXPECT_EQ(headline(), "x");
}

TEST_F(DisplayTimer, SilentDriveBlinksThenPortClosedForgetsEverything)
{
    read_image(values(1500, 100, 2, 3, 250, 300));
    ASSERT_EQ(main->Panel_speed->text(), "1500");
    AlarmListCount = 3;
    main->BitBtn_oscx->setEnabled(true);  // as with a scope window registered

    Ser_link_flags.fetch_and(static_cast<uint8_t>(~(LinkFlag::Answers | LinkFlag::Ready)));
    tick();
    for (QLabel* l : {main->Panel_taglia_drive, main->Panel_speed, main->Panel_corr, main->Panel_giri,
                      main->Panel_offset_giro, main->Panel_radtemp, main->Panel_pos_mis})
        EXPECT_EQ(l->text(), "-----") << l->objectName().toStdString();
    EXPECT_EQ(EditStateFlags, 0);
    EXPECT_FALSE(main->BitBtn_oscx->isEnabled());
    EXPECT_FALSE(Ser_link_flags.load() & (LinkUiFlag::AnswerShown | LinkUiFlag::ReadyShown));
    EXPECT_EQ(headline(), "COM - ER");
    EXPECT_EQ(headline_colour(), clRed.rgb());
    EXPECT_TRUE(linktest::link_bits(LinkUiFlag::ErrorBlink));

    tick();  // within 500 ms: no change
    EXPECT_EQ(headline(), "COM - ER");
    main->BlinkErrorMs = Tick_ms() - 501;
    tick();
    EXPECT_EQ(headline(), "");
    EXPECT_FALSE(linktest::link_bits(LinkUiFlag::ErrorBlink));

    // Port closed: once, black "COM - OFF", every twin 0xFF.
    DriveUiFlags.fetch_or(UiFlag::Modified);
    Ser_tx_state.store(LinkState::Stop);
    tick();
    EXPECT_EQ(headline(), "COM - OFF");
    EXPECT_EQ(headline_colour(), clBlack.rgb());
    const auto* twins = reinterpret_cast<const uint8_t*>(&StatusShown);
    for (std::size_t i = 0; i < sizeof StatusShown; ++i)
        EXPECT_EQ(twins[i], 0xFF) << i;
    EXPECT_EQ(Ser_link_flags.load() & 0x73, 0);
    EXPECT_FALSE(linktest::data_bits(DataFlag::ListReads));
    EXPECT_FALSE(DriveUiFlags.load() & UiFlag::Modified);
    EXPECT_EQ(AlarmListCount, 0);
}

TEST_F(DisplayTimer, AlarmHeadlineBlinksAndReturnsToDriveOk)
{
    read_image(Drive_status{});
    Drive_status st{};
    st.alarm_word = 0x1;
    publish(st);
    main->BlinkAlarmMs = Tick_ms() - 501;
    tick();
    EXPECT_EQ(headline(), "ALARM");
    EXPECT_EQ(headline_colour(), clRed.rgb());
    EXPECT_TRUE(linktest::data_bits(DataUiFlag::AlarmShown));
    tick();
    EXPECT_EQ(headline(), "ALARM");
    main->BlinkAlarmMs = Tick_ms() - 501;
    tick();
    EXPECT_EQ(headline(), "");

    publish(Drive_status{});
    tick();
    EXPECT_EQ(headline(), "DRIVE - OK");
    EXPECT_EQ(headline_colour(), bgr(0x008000).rgb());
    EXPECT_FALSE(linktest::data_bits(DataUiFlag::AlarmShown));
}

TEST_F(DisplayTimer, InputSetsAndOutputSelectionsOutOfRangeDrawNoFunction)
{
    Drive_status st{};
    st.inputs[0] = 0x3F;
    st.inputs[1] = 0x3F;
    st.outputs = 0x07;
    set_u16(RecOfs::ControlType, 9);
    set_u16(LedOfs::SetOut1, 6);
    read_image(st);
    const IoGeometry& gi = main->IoGeometryInput;
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(pixel(main->Image_Input, lamp(gi, r).x(), lamp(gi, r).y()), rgb(clBtnFace)) << r;
        EXPECT_EQ(pixel(main->Image_Input, ring(gi, r).x(), ring(gi, r).y()), rgb(clBtnFace)) << r;
    }
    const IoGeometry& go = main->IoGeometryOutput;
    EXPECT_EQ(pixel(main->Image_Output, lamp(go, 0).x(), lamp(go, 0).y()), rgb(clLime));
    EXPECT_EQ(pixel(main->Image_Output, lamp(go, 1).x(), lamp(go, 1).y()), rgb(clBtnFace));

    // Within range the functions are back: the I2t alarm lamp of output 1 is red.
    set_u16(RecOfs::ControlType, 1);
    set_u16(LedOfs::SetOut1, 1);
    tick();
    EXPECT_EQ(pixel(main->Image_Output, lamp(go, 1).x(), lamp(go, 1).y()), rgb(clRed));
    EXPECT_EQ(pixel(main->Image_Input, lamp(gi, 0).x(), lamp(gi, 0).y()), rgb(bgr(0x4080FF)));
    // A disabled row keeps its lamp colours (grey text only).
    EXPECT_EQ(pixel(main->Image_Input, lamp(gi, 2).x(), lamp(gi, 2).y()), rgb(clLime));

    // Modbus control type 4: no input set either.
    set_u16(RecOfs::BusType, 1);
    set_u16(LedOfs::ModbusControl, 4);
    tick();
    EXPECT_EQ(pixel(main->Image_Input, lamp(gi, 5).x(), lamp(gi, 5).y()), rgb(clBtnFace));
}

TEST_F(DisplayTimer, IdleTickPaintsNothingAndAChangePaintsOnlyItsField)
{
    read_image(values(100, 200, 3, 4, 250, 300));
    for (int i = 0; i < 3; ++i)
        tick();
    // What the earlier ticks left to paint is painted now, however late this thread runs.
    settle_paints();
    PaintSpy spy;
    spy.watch(main.get());
    spy.watch(alarms.get());
    tick();
    settle_paints();
    EXPECT_TRUE(spy.painted.empty()) << spy.painted.size() << " widgets painted";

    Drive_status st = values(101, 200, 3, 4, 250, 300);
    publish(st);
    tick();
    settle_paints();
    EXPECT_TRUE(spy.painted.count(main->Panel_speed));
    EXPECT_FALSE(spy.painted.count(main->Panel_corr));
    EXPECT_FALSE(spy.painted.count(main->Image_Input));
    EXPECT_FALSE(spy.painted.count(MainStb->picture()));
}

TEST_F(DisplayTimer, DriveStateIndexRepaintsTheOtherBarsOnlyOnChange)
{
    static int repaints = 0;
    repaints = 0;
    StbarPane panes[5];
    StbarPane* array[6] = {&panes[0], &panes[1], &panes[2], &panes[3], &panes[4], nullptr};
    panes[4].paint = [](ImageBox*, StbarPane* const*, uint16_t) { ++repaints; };  // the scope's state pane
    QFrame host;
    Stbarx oscx_bar(&host, array, 0);
    main->OtherStb[TForm_main::BarOscx] = &oscx_bar;
    repaints = 0;
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    const struct {
        uint8_t data_flags;
        uint16_t status_word;
        uint8_t index;
        int repaints;
    } steps[] = {{DataFlag::ListReads, 0, 2, 1},
                 {DataFlag::ListReads, 0, 2, 1},
                 {DataFlag::ListReads, StatusBit::State5, 3, 2},
                 {DataFlag::ListReads, StatusBit::State5 | StatusBit::State6, 4, 3},
                 {0, StatusBit::State5, 0, 4}};
    for (const auto& s : steps) {
        Ser_data_flags.store(s.data_flags);
        Drive_status st{};
        st.status_word = s.status_word;
        publish(st);
        main->UpdateDriveStateIndex();
        EXPECT_EQ(DriveStateIndex, s.index);
        EXPECT_EQ(repaints, s.repaints);
    }
    main->OtherStb[TForm_main::BarOscx] = nullptr;
}

TEST_F(DisplayTimer, ImageReadWithANewBusTypeLeavesTheRemovedBusPageFirst)
{
    set_u16(RecOfs::BusType, 1);
    BuildPageTree(0);
    QTreeWidgetItem* item = FindPageNode(main->TreeView_menu, &PageNode_mdb_stm);
    ASSERT_NE(item, nullptr);
    main->TreeView_menu->setCurrentItem(item);
    ASSERT_EQ(CurrentPageNode[0], &PageNode_mdb_stm);
    page_calls().log.clear();

    set_u16(RecOfs::BusType, 2);
    read_image(Drive_status{});
    ASSERT_GE(page_calls().log.size(), 2u);
    EXPECT_EQ(page_calls().log[0], "D3/0");
    EXPECT_EQ(page_calls().log[1], "C1/0");
    EXPECT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    EXPECT_EQ(FindPageNode(main->TreeView_menu, &PageNode_mdb_stm), nullptr);
    EXPECT_NE(FindPageNode(main->TreeView_menu, &PageNode_cands402_stm), nullptr);
    EXPECT_EQ(page_calls().live, 1);
}

TEST_F(DisplayTimer, LostDriveClosesTheDriveDialogs)
{
    read_image(Drive_status{});
    auto* chks = new QDialog(main.get());
    auto* com_off = new QDialog(main.get());
    chks->show();
    com_off->show();
    main->Form_e2p_chks = chks;
    main->Form_com_off = com_off;
    tick();
    EXPECT_TRUE(chks->isVisible());
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Answers));
    tick();
    EXPECT_FALSE(chks->isVisible());
    EXPECT_FALSE(com_off->isVisible());
}

TEST_F(DisplayTimer, BootModeCountsFlashSecondsAndFollowsProgress)
{
    Ser_link_mode.store(LinkMode::Flash);
    Ser_tx_state.store(LinkState::Run);
    Ser_link_flags.store(LinkFlag::Answers);
    tick();
    EXPECT_EQ(headline(), "DRIVE - OK");
    EXPECT_TRUE(linktest::link_bits(LinkUiFlag::AnswerShown));

    const uint32_t stamp = Tick_ms() - 2500;
    FlashSecondStamp.store(stamp);
    FlashElapsedSeconds.store(0);
    FlashPhase.store(FLASH_PHASE_WRITE);
    tick();
    EXPECT_EQ(FlashElapsedSeconds.load(), 1u);
    EXPECT_EQ(FlashSecondStamp.load(), stamp + 1000);  // a late tick loses no second
    tick();
    EXPECT_EQ(FlashElapsedSeconds.load(), 2u);
    tick();
    EXPECT_EQ(FlashElapsedSeconds.load(), 2u);

    FlashProgressCount.store(17);
    tick();
    EXPECT_EQ(main->FlashCountShown, 17u);

    Ser_link_flags.store(0);
    tick();
    EXPECT_FALSE(linktest::link_bits(LinkUiFlag::AnswerShown));
    EXPECT_EQ(headline(), "COM - ER");
}
