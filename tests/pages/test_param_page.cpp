// The page base's own tables and hooks on a test page: bit controls of a flags word with their hex
// label, live values, and a unit's own order of steps. The link is "ready" without a thread, so
// what a page sends stays in the queue.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <string>
#include <thread>

#include "controls/FlowPanel.h"
#include "link/Seriale.h"
#include "page_fixture.h"

namespace pagetest {
namespace {

constexpr uint16_t OFS_WORD = 182;
const FieldSpec FIELDS[] = {{"FlowPanel_test", "Test", 198, EditType::U16, 2, 400, 0}};
const BitSpec BITS[] = {
    {"CheckBox_test", 1u << 0, false, "Panel_test_hex", OFS_WORD, "Panel_test_on_off"},
    {"ComboBox_test", 1u << 1, true, "Panel_test_hex", OFS_WORD},
};
const LiveSpec LIVES[] = {{LiveLoc::MdbStatusWord, "Panel_test_live", LiveSpec::Hex, 2}};
const PollSpec POLL[] = {{198, 198},
                         {OFS_WORD, OFS_WORD},
                         {LiveLoc::MdbStatusWord.ofs, LiveLoc::MdbStatusWord.ofs, false, 0, 0, Area::Live}};
const PollList LISTS[] = {{POLL, std::size(POLL)}};

std::string& steps() { static std::string s; return s; }
int changed_bits = 0;

void build(ParamPage&, uint8_t, QGroupBox* box, QVBoxLayout* layout)
{
    auto* check = new QCheckBox(box);
    check->setObjectName("CheckBox_test");
    layout->addWidget(check);
    auto* combo = new QComboBox(box);
    combo->setObjectName("ComboBox_test");
    combo->addItems({"off", "on"});
    layout->addWidget(combo);
    for (const char* name : {"Panel_test_on_off", "Panel_test_hex", "Panel_test_live"}) {
        auto* label = new QLabel(box);
        label->setObjectName(name);
        layout->addWidget(label);
    }
}

const PageSpec PLAIN = {"TFrame_test", "GroupBox_test", {"T", "T", "T"}, FIELDS, 1, LISTS, 1,
                        PageHooks{.build = build, .bit_changed = [](ParamPage&, uint8_t, int) { ++changed_bits; }},
                        BITS, std::size(BITS), LIVES, std::size(LIVES)};

// Own order: the edits' captions before the title, the hook's step before the edits are shown.
void record(ParamPage& p, char c) { steps() += static_cast<char>(p.ready() == 0 ? c : c - 32); }
const PageSpec ORDERED = {
    "TFrame_test", "GroupBox_test", {"T", "T", "T"}, FIELDS, 1, LISTS, 1,
    PageHooks{.build = build,
              .create_steps = [](ParamPage& p,
                                 uint8_t ctx) {
                  p.set_language(ctx);
                  p.refresh(ctx);
                  record(p, 'c');
              },
              .refresh_steps = [](ParamPage& p,
                                  uint8_t ctx) {
                  record(p, 'r');
                  p.step_show_edits(ctx);
              },
              .language_steps = [](ParamPage& p,
                                   uint8_t ctx) {
                  p.step_caption_edits(ctx);
                  record(p, 'l');
                  p.step_title(ctx);
              },
              .access_steps = [](ParamPage& p, uint8_t state) {
                  record(p, 'a');
                  p.step_access_edits(state);
              }}};

class ParamPageTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        quiet_link();
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
        EditStateFlags = EditState::Linked;
        changed_bits = 0;
    }
    void TearDown() override
    {
        page_.destroy(0);
        page_.destroy(1);
        PagesTest::TearDown();
    }
    template <typename W = QWidget>
    W* find(const char* name, uint8_t ctx = 0)
    {
        return page_.find<W>(ctx, name);
    }
    // Parameter writes waiting in the queue (command 4).
    std::size_t queued_writes() const
    {
        std::size_t n = 0;
        for (const auto& e : Seriale_view().entries)
            n += e.frame.size() > 1 && e.frame[1] == 4;
        return n;
    }
    ParamPage page_{PLAIN};
};

TEST_F(ParamPageTest, BitControlsChangeOnlyTheirBitShowTheWordAndSendOnlyInContextZero)
{
    struct Row {
        uint8_t ctx;
        const char* control;
        bool combo;
        uint16_t after;
    };
    for (const Row r : {Row{0, "CheckBox_test", false, 0x0083}, Row{1, "CheckBox_test", false, 0x0083},
                        Row{0, "ComboBox_test", true, 0x0080}, Row{1, "ComboBox_test", true, 0x0080}}) {
        SCOPED_TRACE(std::to_string(r.ctx) + r.control);
        Rec_set<uint16_t>(DriveRecordBank[r.ctx], OFS_WORD, 0x0082);
        PageContext = r.ctx;
        page_.create(r.ctx, host());
        EXPECT_EQ(find<QLabel>("Panel_test_hex", r.ctx)->text(), "0082h");
        EXPECT_EQ(find<QComboBox>("ComboBox_test", r.ctx)->currentIndex(), 1);
        Seriale_clear_queue();
        if (r.combo)
            Q_EMIT find<QComboBox>(r.control, r.ctx)->activated(0);
        else
            find<QCheckBox>(r.control, r.ctx)->click();
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[r.ctx], OFS_WORD), r.after);
        EXPECT_EQ(find<QLabel>("Panel_test_hex", r.ctx)->text(), QString::asprintf("%04Xh", r.after));
        EXPECT_EQ(queued_writes(), r.ctx == 0 ? 1u : 0u);
        EXPECT_EQ(changed_bits, 1);
        if (!r.combo) {
            EXPECT_EQ(find<QLabel>("Panel_test_on_off", r.ctx)->text(), "On");
        }
        changed_bits = 0;
        page_.destroy(r.ctx);
    }
    PageContext = 0;
}

TEST_F(ParamPageTest, DisabledCheckBoxBusyPageAndRefreshChangeNothing)
{
    Rec_set<uint16_t>(DriveRecordBank[0], OFS_WORD, 0x0000);
    page_.create(0, host());
    Seriale_clear_queue();
    EXPECT_EQ(find<QTimer>("Timer_com")->interval(), 10);
    auto* box = find<QCheckBox>("CheckBox_test");
    page_.set_ready(0);  // the page sets its controls
    box->click();
    page_.set_ready(1);
    box->setEnabled(false);
    Q_EMIT box->clicked(true);
    Rec_set<uint16_t>(DriveRecordBank[0], OFS_WORD, 0x0003);
    page_.refresh(0);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(find<QComboBox>("ComboBox_test")->currentIndex(), 1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], OFS_WORD), 0x0003);
    EXPECT_EQ(queued_writes(), 0u);
    EXPECT_EQ(changed_bits, 0);
}

TEST_F(ParamPageTest, TickCopiesOnlyThePagesBitsOfAPolledWord)
{
    Rec_set<uint16_t>(DriveRecordBank[0], OFS_WORD, 0x0002);
    page_.create(0, host());
    Rec_set<uint16_t>(DriveReadBack, OFS_WORD, 0x00F1);
    page_.tick();  // no reply since the list went out: nothing
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], OFS_WORD), 0x0002);
    poll_and_reply(page_);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], OFS_WORD), 0x0001);  // bits 0 and 1 only
    EXPECT_TRUE(find<QCheckBox>("CheckBox_test")->isChecked());
    EXPECT_EQ(find<QComboBox>("ComboBox_test")->currentIndex(), 0);
    EXPECT_EQ(find<QLabel>("Panel_test_hex")->text(), "0001h");
    EXPECT_EQ(queued_writes(), 0u);
    EXPECT_EQ(changed_bits, 0);
}

TEST_F(ParamPageTest, AListAskedForBeforeAWriteNeverBringsBackTheValueWritten)
{
    Rec_set<uint16_t>(DriveRecordBank[0], 198, 10);
    Rec_set<uint16_t>(DriveReadBack, 198, 10);
    page_.create(0, host());
    poll_and_reply(page_);
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
    page_.tick();  // the next list goes out
    ASSERT_TRUE(Sertx_read_list_outstanding());
    Rec_set<uint16_t>(DriveRecordBank[0], 198, 50);  // typed while that list waits for its reply
    Sertx_write_var(RecLoc(198));
    Sertx_forget_read_list();  // its reply: read before the write went out
    Ser_list_reply_count.fetch_add(1);
    page_.tick();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 198), 50);
    Rec_set<uint16_t>(DriveReadBack, 198, 77);  // a list asked for after the write
    poll_and_reply(page_);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 198), 77);
}

TEST_F(ParamPageTest, LiveValuesShowDashesInTheArchiveAndWhileTheDriveIsSilent)
{
    BusLiveValues.ctrl.mdb_status = 0x0237;
    page_.create(1, host());
    EXPECT_EQ(find<QLabel>("Panel_test_live", 1)->text(), "-----");
    Ser_link_flags.store(LinkFlag::Ready);  // not answering
    page_.create(0, host());
    auto* live = find<QLabel>("Panel_test_live");
    EXPECT_EQ(live->text(), "-----");
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    page_.tick();
    EXPECT_EQ(live->text(), "0237h");
    BusLiveReadBack.ctrl.mdb_status = 0xBEEF;
    poll_and_reply(page_);
    EXPECT_EQ(BusLiveValues.ctrl.mdb_status, 0xBEEF);
    EXPECT_EQ(live->text(), "BEEFh");
    Ser_link_flags.store(LinkFlag::Ready);
    page_.tick();
    EXPECT_EQ(live->text(), "-----");
}

TEST_F(ParamPageTest, LiveItemsAreAskedForFromTheLiveDictionary)
{
    page_.create(0, host());
    uint16_t n = 0;
    const PollItem* list = page_.next_list(&n);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(list[2].key, 0x0301);
    EXPECT_EQ(list[2].var, LiveLoc::MdbStatusWord);
    EXPECT_EQ(list[2].readback, Loc_readback(LiveLoc::MdbStatusWord));
    EXPECT_EQ(list[1].readback, (Loc{Area::ReadBack, OFS_WORD}));
}

TEST(PageHex, DigitsFollowTheSize)
{
    struct Row {
        uint32_t value;
        uint8_t size;
        const char* text;
    };
    for (const Row r : {Row{6, 2, "0006h"}, Row{6, 1, "06h"}, Row{0x1ABCD, 2, "ABCDh"}, Row{0x1FF, 1, "FFh"},
                        Row{0xBEEF, 4, "0000BEEFh"}})
        EXPECT_EQ(Page_hex_text(r.value, r.size), r.text) << r.text;
    BusLiveValues.ctrl.mdb_ctrl = 0xFFFE;
    EXPECT_EQ(Live_text(LiveLoc::MdbCtrlWord, LiveSpec::Int, 2), "-2");
    EXPECT_EQ(Live_text(LiveLoc::MdbCtrlWord, LiveSpec::Uint, 2), "65534");
    EXPECT_EQ(Live_text(LiveLoc::MdbCtrlWord, LiveSpec::Uint, 3), "-----");
}

TEST_F(ParamPageTest, AUnitsOwnOrderRunsInPlaceOfTheBaseStepsWithTheReadyByteClear)
{
    ParamPage ordered(ORDERED);
    steps().clear();
    ordered.create(0, host());
    // Create: language (captions, then title), refresh, own step; all with the ready byte 0.
    EXPECT_EQ(steps(), "lrc");
    EXPECT_EQ(ordered.ready(), 1);
    EXPECT_EQ(ordered.edit(0, 0)->panel()->caption(), "[0208h] Notch Frequency [Hz]");
    steps().clear();
    ordered.refresh(0);
    ordered.set_language(0);
    ordered.set_access(0);
    EXPECT_EQ(steps(), "rLA");
    EXPECT_TRUE(ordered.edit(0, 0)->memo()->isEnabled());
    // Own Refresh left the timer alone; own Create gave no SetAccess.
    EXPECT_FALSE(ordered.find<QTimer>(0, "Timer_com")->isActive());
    ordered.destroy(0);
}

}  // namespace
}  // namespace pagetest
