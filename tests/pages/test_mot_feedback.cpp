// Feedback page: lists by type, tab and bus; the bit-count validators; tool buttons through test
// factories; the hold-off of the application offset; what the read-back copies; captions by
// motor type; the archive's silence; the Hall display.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>

#include "controls/Graph_draw.h"
#include "controls/Utxgraph.h"
#include "link/Serrx.h"
#include "page_fixture.h"
#include "pages/drive/Frm_mot_feedback.h"
#include "shell/Toolwin.h"

namespace pagetest {
namespace {

constexpr uint16_t OFS_TYPE = 162;

ParamPage& page() { return Frm_mot_feedback_page(); }
template <typename W>
W* find(const char* name, uint8_t ctx = 0) { return page().find<W>(ctx, name); }
QString text(const char* name, uint8_t ctx = 0) { return Utxgraph_text(find<QWidget>(name, ctx)); }
void set(uint8_t slot, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[slot], ofs, v); }
void set_status_word(uint16_t w) { Drive_status_update_word(0xFFFF, w); }

// Keys of the list the next poll sends: "0150h" (Modbus) or "2031h,0" (CANopen).
std::vector<std::string> next_keys()
{
    uint16_t n = 0;
    const PollItem* list = page().next_list(&n);
    std::vector<std::string> out;
    char buf[16];
    const bool can = Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType) == 2;
    for (uint16_t i = 0; list != nullptr && i < n; ++i) {
        if (can)
            std::snprintf(buf, sizeof buf, "%04Xh,%u", list[i].key, list[i].subindex);
        else
            std::snprintf(buf, sizeof buf, "%04Xh", list[i].key);
        out.push_back(buf);
    }
    return out;
}
using Keys = std::vector<std::string>;

class FeedbackTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        set(0, RecOfs::BusType, 1);
        set(0, RecOfs::MotorType, 0);
        set(0, OFS_TYPE, 0);
        set(0, 164, 0);
        set(0, 166, 0);
        EditStateFlags = 1;  // link ready: the main window's edits take typing
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
    }
    void TearDown() override
    {
        Frm_mot_feedback_destroy(0);
        Frm_mot_feedback_destroy(1);
        for (ToolWin k : {ToolWin::AzzeraEncCk, ToolWin::AzzeraEnc, ToolWin::AzzeraEncAbs, ToolWin::TarCogCk,
                          ToolWin::TarCog, ToolWin::CogDat})
            Toolwin_unregister(k);
        EditStateFlags = 0;
        PagesTest::TearDown();
    }
    // A tick after the current list went out and a reply to it arrived.
    static void replied_tick()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(110));
        page().tick();  // sends (no link: at once)
        Ser_list_reply_count.fetch_add(1);
        page().tick();
    }
    static void type_into(MemoUpDwxBase* e, const QString& s)
    {
        e->memo()->setFocus();
        e->memo()->selectAll();
        QTest::keyClicks(e->memo(), s);
        QTest::keyClick(e->memo(), Qt::Key_Return);
    }
};

TEST_F(FeedbackTest, ListsFollowTypeTabAndBus)
{
    Frm_mot_feedback_create(0, host());
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h", "015Bh", "015Ch"}));
    EXPECT_EQ(find<QStackedWidget>("PageControl_feedback_type")->currentIndex(), 0);
    set(0, OFS_TYPE, 4);
    Frm_mot_feedback_refresh(0);
    EXPECT_EQ(find<QStackedWidget>("PageControl_feedback_type")->currentIndex(), 4);
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h", "0216h", "0217h", "0218h", "0219h"}));
    auto* tabs = find<QTabWidget>("PageControl_klm");
    tabs->setCurrentIndex(1);
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h", "021Bh", "021Ch", "021Eh", "021Fh", "0220h", "0222h"}));
    tabs->setCurrentIndex(2);
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h", "021Ah", "0221h", "021Dh"}));
    // A type beyond the items: no item, the sheet kept, the Halls-only list.
    set(0, OFS_TYPE, 7);
    Frm_mot_feedback_refresh(0);
    EXPECT_EQ(find<QComboBox>("ComboBox_feedback_type")->currentIndex(), -1);
    EXPECT_EQ(find<QStackedWidget>("PageControl_feedback_type")->currentIndex(), 4);
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h"}));
    set(0, OFS_TYPE, 3);
    EXPECT_EQ(next_keys(), (Keys{"0150h", "0161h", "015Bh", "015Ch", "0167h", "0168h", "0163h", "0164h", "030Ch",
                                 "030Dh"}));
    Frm_mot_feedback_destroy(0);

    set(0, RecOfs::BusType, 2);
    set(0, OFS_TYPE, 1);
    Frm_mot_feedback_create(0, host());
    EXPECT_EQ(next_keys(), (Keys{"2031h,0", "2040h,0", "2032h,0", "2004h,0", "204Bh,0"}));
    set(0, OFS_TYPE, 3);
    EXPECT_EQ(next_keys(), (Keys{"2031h,0", "2040h,0", "2004h,0", "2041h,0", "2042h,0", "2044h,0", "2045h,0"}));
    set(0, OFS_TYPE, 9);
    EXPECT_EQ(next_keys(), (Keys{"2031h,0", "2040h,0", "2004h,0"}));
    EXPECT_TRUE(boxes.empty());
}

// At most one list per interval is queued (the line may bunch two of them); type 1 polls faster.
TEST_F(FeedbackTest, EncoderWithHallsIsPolledMoreOften)
{
    auto requests = [this](uint16_t type, int interval_ms) {
        connect_drive(1, false, {{OFS_TYPE, type}});
        if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
            shown->PageDestroy(0);
        sim->clear_log();
        const auto start = SimClock::now();
        Frm_mot_feedback_create(0, host());
        pump_for(1000);
        Frm_mot_feedback_destroy(0);
        const auto window = SimClock::now() - start;
        const std::size_t n = sim->request_count(30);
        EXPECT_LE(n, static_cast<std::size_t>(window / std::chrono::milliseconds(interval_ms)) + 2) << type;
        close_window();
        sim.reset();
        return n;
    };
    const std::size_t slow = requests(0, 90);
    const std::size_t fast = requests(1, 35);
    EXPECT_GT(fast, slow);
}

TEST_F(FeedbackTest, BitCountsAreRefusedAboveThirtyOneWithALateMessage)
{
    set(0, 166, 0);
    set(0, 164, 4);
    Frm_mot_feedback_create(0, host());
    MemoUpDwxBase* single = page().edit_of(0, 164);
    MemoUpDwxBase* multi = page().edit_of(0, 166);
    type_into(multi, "16");
    type_into(single, "15");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 166), 16);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 164), 15);
    type_into(single, "16");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 164), 15);
    EXPECT_TRUE(boxes.empty());  // no range message, the sum's comes 50 ms later
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 2000));
    pump_for(150);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Attention");
    EXPECT_EQ(boxes[0].text, "The sum of 'Bit single-turn'  and  'Bit multi-turn'\n must not exceed the value 31!");

    // Linear motor names; a stored count far above 31 does not wrap.
    boxes.clear();
    set(0, RecOfs::MotorType, 1);
    set(0, 166, 65535);
    Frm_mot_feedback_refresh(0);
    type_into(single, "4");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 164), 15);
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 2000));
    EXPECT_EQ(boxes[0].text,
              "The sum of 'Bit single magnet pitch'  and  'Bit multi magnet pitch'\n must not exceed the value 31!");
}

TEST_F(FeedbackTest, UnknownBusTypeOpensSilentlyWithControlsLocked)
{
    set(0, RecOfs::BusType, 3);
    Toolwin_register(ToolWin::CogDat, [](QWidget* parent) -> QWidget* { return new QDialog(parent); });
    Frm_mot_feedback_create(0, host());
    EXPECT_EQ(page().next_list(nullptr), nullptr);
    for (const char* c : {"ComboBox_feedback_type", "CheckBox_feedback_reverse", "BitBtn_home", "ComboBox_zero_cross"})
        EXPECT_FALSE(find<QWidget>(c)->isEnabled()) << c;
    EXPECT_TRUE(boxes.empty());
}

// A test factory: a dialog whose modal run returns a scripted result and is counted.
class ScriptedDialog : public QDialog {
public:
    ScriptedDialog(QWidget* parent, int result, int* runs) : QDialog(parent), result_(result), runs_(runs) {}
    int exec() override
    {
        ++*runs_;
        return result_;
    }

private:
    int result_;
    int* runs_;
};

TEST_F(FeedbackTest, ToolButtonsOpenTheirWindowsThroughTheRegistry)
{
    // Without factories the tool buttons stay disabled.
    Frm_mot_feedback_create(0, host());
    for (const char* b : {"BitBtn_azzera_encoder_and_hall", "BitBtn_cmp_cog_encoder_and_hall", "BitBtn_cog_dat_SSI"})
        EXPECT_FALSE(find<QWidget>(b)->isEnabled()) << b;
    Frm_mot_feedback_destroy(0);

    int check_result = 1;
    std::map<ToolWin, int> runs;
    for (ToolWin k : {ToolWin::AzzeraEncCk, ToolWin::AzzeraEnc, ToolWin::AzzeraEncAbs, ToolWin::TarCogCk,
                      ToolWin::TarCog, ToolWin::CogDat}) {
        const bool check = k == ToolWin::AzzeraEncCk || k == ToolWin::TarCogCk;
        Toolwin_register(k, [k, check, &runs, &check_result](QWidget* parent) -> QWidget* {
            return new ScriptedDialog(parent, check ? check_result : 2, &runs[k]);
        });
    }
    // The field-bus lock of the edits does not reach the tool buttons.
    DriveUiFlags.fetch_or(UiFlag::FieldBus);
    Frm_mot_feedback_create(0, host());
    EXPECT_FALSE(page().edit_of(0, 152)->memo()->isEnabled());
    for (const char* b : {"BitBtn_azzera_encoder_and_hall", "BitBtn_cmp_cog_encoder_and_hall", "BitBtn_cog_dat_SSI",
                          "BitBtn_azzera_encoder_SSI"})
        EXPECT_TRUE(find<QWidget>(b)->isEnabled()) << b;
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::FieldBus));
    auto click = [](const char* b) { Q_EMIT find<QPushButton>(b)->clicked(); };

    // Link not ready: nothing opens.
    click("BitBtn_azzera_encoder_and_hall");
    click("BitBtn_cmp_cog_SSI");
    EXPECT_TRUE(runs.empty() || std::all_of(runs.begin(), runs.end(), [](auto& r) { return r.second == 0; }));
    // Alarm: the message only.
    Ser_link_flags.fetch_or(LinkFlag::Ready);
    Drive_status st{};
    st.alarm_word = 1u << 4;
    Drive_status_publish(st);
    click("BitBtn_azzera_encoder_only_hall");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Alarm System  !");
    EXPECT_EQ(runs[ToolWin::AzzeraEncCk], 0);
    Drive_status_publish(Drive_status{});
    // Check dialog 1: the tool window once; 7: not at all.
    struct Case {
        const char* button;
        ToolWin check, tool;
    };
    for (const Case& c : {Case{"BitBtn_azzera_encoder_and_hall", ToolWin::AzzeraEncCk, ToolWin::AzzeraEnc},
                          Case{"BitBtn_azzera_encoder_SSI", ToolWin::AzzeraEncCk, ToolWin::AzzeraEncAbs},
                          Case{"BitBtn_cmp_cog_encoder_only", ToolWin::TarCogCk, ToolWin::TarCog}}) {
        SCOPED_TRACE(c.button);
        runs.clear();
        check_result = 1;
        click(c.button);
        EXPECT_EQ(runs[c.check], 1);
        EXPECT_EQ(runs[c.tool], 1);
        check_result = 7;
        click(c.button);
        EXPECT_EQ(runs[c.check], 2);
        EXPECT_EQ(runs[c.tool], 1);
        EXPECT_EQ(Toolwin_open(c.tool), nullptr);  // deleted after its run
    }
    // Cogging data: in the archive, link down.
    Ser_link_flags.fetch_and(static_cast<uint8_t>(~LinkFlag::Ready));
    runs.clear();
    PageContext = 1;
    Frm_mot_feedback_create(1, host());
    Q_EMIT find<QPushButton>("BitBtn_cog_dat_encoder_and_hall", 1)->clicked();
    EXPECT_EQ(runs[ToolWin::CogDat], 1);
    EXPECT_FALSE(find<QWidget>("BitBtn_cmp_cog_encoder_and_hall", 1)->isEnabled());
    EXPECT_TRUE(find<QWidget>("BitBtn_azzera_encoder_SSI", 1)->isHidden());
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(FeedbackTest, IoControlFollowsTheApplicationOffsetAfterAHoldOff)
{
    set(0, RecOfs::BusType, 0);
    set(0, OFS_TYPE, 3);
    Rec_set<int32_t>(DriveRecordBank[0], 120, 5);
    DriveReadBack = DriveRecordBank[0];
    BusLiveValues.encoder_position = 0;
    Frm_mot_feedback_create(0, host());
    Rec_set<int32_t>(DriveReadBack, 120, 77);
    BusLiveReadBack.encoder_position = -12;
    set_status_word(0x0080);
    replied_tick();  // the first difference: 1 tick of 40
    EXPECT_EQ(text("Panel_pos_encoder_mis_dat"), "-12");
    EXPECT_EQ(text("Panel_encoder_autofasa_dat"), "1");
    for (int i = 2; i <= 40; ++i)
        page().tick();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 120), 5);
    page().tick();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 120), 77);
    EXPECT_EQ(page().edit_of(0, 120)->memo()->text(), "77");
    // Nothing else follows the drive here.
    Rec_set<uint16_t>(DriveReadBack, 164, 9);
    page().tick();
    EXPECT_NE(Rec_get<uint16_t>(DriveRecordBank[0], 164), 9);
    set_status_word(0);
}

// A value the current list does not poll is never taken from the read-back.
TEST_F(FeedbackTest, ReadBackCopiesOnlyWhatTheListPolls)
{
    set(0, OFS_TYPE, 2);
    set(0, 130, 0x0001);
    DriveReadBack = DriveRecordBank[0];
    Frm_mot_feedback_create(0, host());
    type_into(page().edit(0, 3), "12.00");  // FlowPanel_encoder_offset_only_halls
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 128), 1200);
    Rec_set<uint16_t>(DriveReadBack, 128, 0);
    // Flags: bits 1 to 3 one by one, the others never.
    Rec_set<uint16_t>(DriveReadBack, 130, 0x80F4);
    replied_tick();
    for (int i = 0; i < 20; ++i)
        page().tick();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 128), 1200);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 130), 0x0005);
    EXPECT_EQ(text("Panel_hex_feedback_reverse"), "0005h");
    // The polled type switches the sheet.
    Rec_set<uint16_t>(DriveReadBack, OFS_TYPE, 1);
    page().tick();
    EXPECT_EQ(find<QStackedWidget>("PageControl_feedback_type")->currentIndex(), 1);
    EXPECT_EQ(find<QComboBox>("ComboBox_feedback_type")->currentIndex(), 1);
}

// Under a field bus the observer edits of the tab shown follow the drive; the others wait.
TEST_F(FeedbackTest, ObserverEditsOfTheTabShownFollowTheDrive)
{
    set(0, OFS_TYPE, 4);
    set(0, 224, 100);
    set(0, 234, 10);
    DriveReadBack = DriveRecordBank[0];
    Frm_mot_feedback_create(0, host());
    Rec_set<uint16_t>(DriveReadBack, 224, 500);  // covariance current, polled on the first tab
    Rec_set<uint16_t>(DriveReadBack, 234, 20);   // starting current, on the second tab
    replied_tick();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 224), 500);
    EXPECT_EQ(page().edit_of(0, 224)->memo()->text(), "5.00");
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 234), 10);
}

TEST_F(FeedbackTest, CaptionsFollowTheMotorType)
{
    set(0, RecOfs::MotorType, 1);
    Rec_set<uint32_t>(DriveRecordBank[0], 152, 1024);
    Frm_mot_feedback_create(0, host());
    for (const char* p : {"FlowPanel_encoder_imp_increment_only", "FlowPanel_encoder_imp_increment_and_halls"})
        EXPECT_EQ(find<FlowPanel>(p)->caption(), "[015Bh,015Ch] Pulses/magnet pitch");
    EXPECT_EQ(text("Panel_resolution_encoder_only"), "Resolution/magnet pitch");
    EXPECT_EQ(text("Panel_resolution_encoder_and_hall_dat"), "4096");
    EXPECT_EQ(text("Panel_motor_type_dat"), "1 - PM linear motor");
    type_into(page().edit(0, 0), "1000");
    EXPECT_EQ(text("Panel_resolution_encoder_only_dat"), "4000");
    set(0, RecOfs::MotorType, 0);
    Frm_mot_feedback_refresh(0);
    EXPECT_EQ(find<FlowPanel>("FlowPanel_encoder_bit_single_turn")->caption(), "[0163h] Bit single-turn");
    EXPECT_EQ(text("Panel_resolution_encoder_only"), "Resolution/revolution");
    set(0, RecOfs::MotorType, 5);
    Frm_mot_feedback_refresh(0);
    EXPECT_EQ(text("Panel_motor_type_dat"), "-----");
    EXPECT_EQ(find<QWidget>("BitBtn_cmp_cog_encoder_only")->toolTip(), "Acquisition motor cogging");
    EXPECT_TRUE(boxes.empty());
}

// The autophasing panel: hidden for a brushed DC motor and in the archive; Reset only while
// list reads are on.
TEST_F(FeedbackTest, AutophasingResetNeedsListReads)
{
    Frm_mot_feedback_create(0, host());
    auto* reset = find<QWidget>("BitBtn_reset_encoder_autofasa");
    EXPECT_TRUE(reset->isEnabled());
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    Frm_mot_feedback_set_access(0);
    EXPECT_FALSE(reset->isEnabled());
    EXPECT_FALSE(find<QWidget>("Panel_encoder_autofasa")->isHidden());
    set(0, RecOfs::MotorType, 2);
    Frm_mot_feedback_refresh(0);
    EXPECT_TRUE(find<QWidget>("Panel_encoder_autofasa")->isHidden());
    PageContext = 1;
    Frm_mot_feedback_create(1, host());
    EXPECT_TRUE(find<QWidget>("Panel_encoder_autofasa", 1)->isHidden());
}

TEST_F(FeedbackTest, ArchiveHandlersChangeSlotOneOnlyAndMainWindowWrites)
{
    connect_drive(1, false, {{OFS_TYPE, 0}, {130, 0}, {232, 0}});
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    const DriveRecord slot0 = DriveRecordBank[0];
    DriveRecordBank[1] = slot0;
    PageContext = 1;
    Frm_mot_feedback_create(1, host());
    sim->clear_log();
    Q_EMIT find<QComboBox>("ComboBox_feedback_type", 1)->activated(3);
    EXPECT_EQ(find<QStackedWidget>("PageControl_feedback_type", 1)->currentIndex(), 3);
    QTest::mouseClick(find<QCheckBox>("CheckBox_feedback_reverse", 1), Qt::LeftButton);
    Q_EMIT find<QComboBox>("ComboBox_enc_type_input_no_hall", 1)->activated(1);
    Q_EMIT find<QComboBox>("ComboBox_zero_cross", 1)->activated(1);
    Q_EMIT find<QPushButton>("BitBtn_reset_encoder_autofasa", 1)->clicked();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], OFS_TYPE), 3);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 130), 0x000A);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 232), 1);
    EXPECT_EQ(text("Panel_hex_feedback_reverse", 1), "000Ah");
    pump_for(300);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &slot0, sizeof slot0), 0);
    EXPECT_EQ(sim->request_count(4), 0u);
    Frm_mot_feedback_destroy(1);

    // Main window: the autophasing reset writes 0160h = 0; Home takes the encoder position.
    PageContext = 0;
    Frm_mot_feedback_create(0, host());
    const std::size_t writes = sim->param_writes().size();
    Q_EMIT find<QPushButton>("BitBtn_reset_encoder_autofasa")->clicked();
    BusLiveValues.encoder_position = 4321;
    Q_EMIT find<QPushButton>("BitBtn_home")->clicked();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 120), 4321);
    ASSERT_TRUE(pump_until([&] { return sim->param_writes().size() >= writes + 2; }, 3000));
    const auto w = sim->param_writes();
    EXPECT_EQ(w[writes].key, 0x0160);
    EXPECT_EQ(w[writes].value_u32(), 0u);
    EXPECT_EQ(w[writes + 1].key, 0x0167);
    EXPECT_EQ(w[writes + 1].value_u32(), 4321u);
}

// ---- Hall display ----

QRgb pixel_at(const char* image, double radius, double degrees)
{
    const QImage& img = find<ImageBox>(image)->image();
    const double a = degrees * 3.14159265358979 / 180;
    return img.pixel(img.width() / 2 + static_cast<int>(radius * std::sin(a)),
                     img.height() / 2 - static_cast<int>(radius * std::cos(a)));
}

TEST_F(FeedbackTest, HallDisplayFollowsIndexAngleAndOffset)
{
    set(0, OFS_TYPE, 1);
    set(0, 128, 0);
    set_status_word(0x4000);  // h = 4
    BusLiveReadBack.electrical_angle = 16384;
    Frm_mot_feedback_create(0, host());
    EXPECT_EQ(text("Panel_encoder_and_hall_indice_hall_dat"), "4");
    EXPECT_EQ(text("Panel_hall_only_dat"), "4");
    EXPECT_EQ(text("Panel_angolo_elettrico_dat"), QString::fromUtf8("90.00 °"));
    EXPECT_EQ(Frm_mot_feedback_hall_cell(0, 0, 0), "C");
    EXPECT_EQ(Frm_mot_feedback_hall_cell(0, 1, 0), "1");
    EXPECT_EQ(Frm_mot_feedback_hall_cell(0, 1, 1), "0");
    EXPECT_EQ(Frm_mot_feedback_hall_cell(0, 1, 2), "0");
    // Sector 0 (12 to 2 o'clock with offset 0) red, sector 1 white; the radius of 120 px is 58.
    for (const char* image : {"Image_encoder_and_hall", "Image_hall_only"}) {
        EXPECT_EQ(pixel_at(image, 48, 45), qRgb(255, 0, 0)) << image;
        EXPECT_EQ(pixel_at(image, 48, 105), qRgb(255, 255, 255)) << image;
    }
    EXPECT_EQ(Frm_mot_feedback_hall_sector(4), 0);
    // The rotor at 90 degrees: dark red half-ring there, grey opposite (radii 20 to 27).
    EXPECT_EQ(pixel_at("Image_encoder_and_hall", 24, 90), qRgb(128, 0, 0));
    EXPECT_EQ(pixel_at("Image_encoder_and_hall", 24, 270), qRgb(128, 128, 128));

    // Nothing changed: nothing painted.
    page().tick();
    const uint32_t paints = Frm_mot_feedback_hall_paints();
    for (int i = 0; i < 5; ++i)
        page().tick();
    EXPECT_EQ(Frm_mot_feedback_hall_paints(), paints);
    // The offset: the dials at the next tick, the sectors turned by a quarter.
    set(0, 128, 9000);
    EXPECT_EQ(Frm_mot_feedback_hall_paints(), paints);
    page().tick();
    EXPECT_EQ(Frm_mot_feedback_hall_paints(), paints + 2);
    EXPECT_EQ(pixel_at("Image_encoder_and_hall", 48, 135), qRgb(255, 0, 0));
    // No valid Hall state: three labels "-----", blank dials.
    for (uint16_t word : {0x0000, 0x7000}) {
        set_status_word(word);
        page().tick();
        for (const char* l : {"Panel_encoder_and_hall_indice_hall_dat", "Panel_hall_only_dat", "Panel_angolo_elettrico_dat"})
            EXPECT_EQ(text(l), "-----");
        EXPECT_EQ(pixel_at("Image_encoder_and_hall", 48, 45), qRgb(255, 255, 255));
    }
    // The archive: grids "-", blank dials.
    PageContext = 1;
    Frm_mot_feedback_create(1, host());
    EXPECT_EQ(Frm_mot_feedback_hall_cell(1, 1, 0), "-");
    EXPECT_EQ(text("Panel_hall_only_dat", 1), "-----");
    set_status_word(0);
}

// A picture too small for the ring keeps the fill, the disc and the hub.
TEST(FeedbackHall, SmallPictureDrawsNoRing)
{
    for (int size : {40, 83, 84}) {
        QImage img(size, size, QImage::Format_RGB32);
        img.fill(Qt::black);
        Canvas canvas(&img);
        Frm_mot_feedback_draw_hall_dial(canvas, size, size, 4, 0, 0, 1, 1);
        canvas.end();
        // At 45 degrees, 8 px inside the disc's edge: sector 0, red only when the ring is drawn.
        const int d = static_cast<int>((size / 2 - 2 - 8) * 0.7071);
        const QRgb ring = img.pixel(size / 2 + d, size / 2 - d);
        EXPECT_EQ(ring == qRgb(255, 0, 0), size >= 84) << size;
    }
}

}  // namespace
}  // namespace pagetest
