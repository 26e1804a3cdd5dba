// Control Set pages: the control type chooses the diagram, the Modbus page takes over its six
// polled values together, values outside the items draw the speed diagram, and a block's page
// opens in the popup by a real double-click.
#include <QComboBox>
#include <QPushButton>
#include <QScrollArea>

#include "controls/FlowPanel.h"
#include "diagram_draws.h"
#include "diagrams/Blockgraph.h"
#include "diagrams/Blocks_dat.h"
#include "diagrams/Form_block.h"
#include "gui/files_fixture.h"
#include "gui/text_fit.h"
#include "page_fixture.h"
#include "page_units.h"
#include "shell/Treectrl.h"

namespace pagetest {
namespace {

class ControlSetTest : public PagesTest {
protected:
    template <typename W = QWidget>
    W* mdb(const char* name, uint8_t ctx = 0)
    {
        return Frm_mdb_control_page().find<W>(ctx, name);
    }
};

TEST_F(ControlSetTest, ChosenTypeIsStoredDrawnAndSentFromTheMainWindowOnly)
{
    connect_drive(1);
    LanguageIndex = 0;
    Frm_mdb_control_create(0, host());
    auto* combo = mdb<QComboBox>("ComboBox_type_control");
    EXPECT_EQ(mdb<FlowPanel>("Panel_type_control")->caption(), "[0401h] Controllo ModBus");
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), "[3]Posizionatore");
    Q_EMIT combo->activated(3);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 466), 3);
    EXPECT_EQ(Blocks_position[0], &Block_positioner);
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x0401).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x0401).back().value_u32(), 3u);
    Q_EMIT combo->activated(0);  // back to the speed diagram
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 466), 0);
    EXPECT_EQ(Blocks_speed[0], &Block_aux_speed);
    ASSERT_TRUE(pump_until([this] { return writes_of(0x0401).back().value_u32() == 0; }, 3000));
    Frm_mdb_control_destroy(0);

    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 0);
    Rec_set<uint16_t>(DriveRecordBank[1], 118, 0);
    PageContext = 1;
    Frm_inout_control_create(1, host());
    auto* io = Frm_inout_control_page().find<QComboBox>(1, "ComboBox_type_control");
    EXPECT_EQ(io->count(), 3);
    EXPECT_EQ(Frm_inout_control_page().find<FlowPanel>(1, "Panel_type_control")->caption(), "Controllo In Out");
    sim->clear_log();
    Q_EMIT io->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 118), 1);
    EXPECT_EQ(Blocks_torque[0], &Block_torque);
    pump_for(200);
    EXPECT_EQ(sim->request_count(4), 0u);
    Frm_inout_control_destroy(1);
}

TEST_F(ControlSetTest, ANewValueOfAnyOfTheSixTakesAllSixAndRedraws)
{
    quiet_link();
    for (uint16_t ofs : {466, 594, 792, 596, 598, 182})
        Rec_set<uint16_t>(DriveReadBack, ofs, Rec_get<uint16_t>(DriveRecordBank[0], ofs));
    Frm_mdb_control_create(0, host());
    poll_and_reply(Frm_mdb_control_page());  // the first reply takes the page's copies
    Blockgraph_current[0] = &Block_speed_limit;
    Rec_set<uint16_t>(DriveReadBack, 594, 0x0008);  // ramps on, control type unchanged
    Rec_set<uint16_t>(DriveReadBack, 182, 0x0003);
    poll_and_reply(Frm_mdb_control_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 594), 0x0008);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 182), 0x0003);
    EXPECT_NE(std::find(Blocks_speed, Blocks_speed + BLOCKS_SPEED, &Block_ramps), Blocks_speed + BLOCKS_SPEED);
    EXPECT_EQ(Blockgraph_current[0], &Block_speed_limit);
    Rec_set<uint16_t>(DriveReadBack, 466, 1);  // a new control type drops the block under the pointer
    poll_and_reply(Frm_mdb_control_page());
    EXPECT_EQ(mdb<QComboBox>("ComboBox_type_control")->currentIndex(), 1);
    EXPECT_EQ(Blockgraph_current[0], nullptr);
    EXPECT_EQ(Seriale_count(), 0u);  // nothing written back
    Frm_mdb_control_destroy(0);
}

TEST_F(ControlSetTest, ControlTypeOutsideTheItemsDrawsTheSpeedDiagramAndSelectsNothing)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    for (uint16_t bad : {7, 0xFFFF}) {
        Rec_set<uint16_t>(DriveRecordBank[0], 466, bad);
        std::fill(Blocks_speed, Blocks_speed + BLOCKS_SPEED, nullptr);
        Frm_mdb_control_create(0, host());
        EXPECT_EQ(Blocks_speed[0], &Block_aux_speed) << bad;
        EXPECT_EQ(mdb<QComboBox>("ComboBox_type_control")->currentIndex(), -1);
        Frm_mdb_control_destroy(0);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ControlSetTest, ResizingTheBuiltPageDrawsTheDiagramCentredAgain)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_mdb_control_create(0, host());
    QWidget* frame = Frm_mdb_control_page().frame(0);
    auto* scroll = mdb<QScrollArea>("ScrollBox_Block");
    frame->resize(1200, 700);
    pump_for(50);
    const int w = scroll->viewport()->width();
    EXPECT_EQ(Blockgraph_origin[0].x(), (w - (626 + 20)) / 2 + 10);
    frame->resize(1000, 700);
    pump_for(50);
    EXPECT_EQ(Blockgraph_origin[0].x(), (scroll->viewport()->width() - (626 + 20)) / 2 + 10);
    EXPECT_NE(scroll->viewport()->width(), w);
    // The control type stands under its caption.
    const QRect caption = mdb<FlowPanel>("Panel_type_control")->geometry();
    const QRect combo = mdb<QComboBox>("ComboBox_type_control")->geometry();
    EXPECT_GT(combo.top(), caption.bottom());
    EXPECT_EQ(combo.left(), caption.left());
    Frm_mdb_control_destroy(0);
}

// Resizes of the diagram's scroll box (its viewport), whichever frame holds it.
class ViewportResizes : public QObject {
public:
    explicit ViewportResizes(std::function<void()> on_resize) : on_resize_(std::move(on_resize))
    {
        qApp->installEventFilter(this);
    }
    ~ViewportResizes() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched->parent() != nullptr &&
            watched->parent()->objectName() == QLatin1String("ScrollBox_Block"))
            on_resize_();
        return false;
    }

private:
    std::function<void()> on_resize_;
};

// The frame is shown (and its scroll box resized) before Create's own steps: those resizes draw
// nothing; the first drawing is Refresh's, after Create cleared the block under the pointer.
TEST_F(ControlSetTest, AResizeDuringCreateDrawsNothing)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Blockgraph_current[0] = &Block_speed_limit;  // cleared by Create's steps, before Refresh
    int early_resizes = 0;
    int early_draws = 0;
    const ViewportResizes resizes([&] { early_resizes += Blockgraph_current[0] != nullptr; });
    DiagramDraws draws;
    draws.on_draw = [&] { early_draws += Blockgraph_current[0] != nullptr; };
    Frm_mdb_control_create(0, host());
    EXPECT_GT(early_resizes, 0) << "no resize reached the page during Create";
    EXPECT_EQ(early_draws, 0);
    EXPECT_EQ(draws.count, 1);
    Frm_mdb_control_destroy(0);
}

TEST_F(ControlSetTest, AccessFollowsTheFieldsRuleOrTheLinkAndTheDriveState)
{
    for (uint8_t slot : {0, 1})
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, 1);
    Frm_mdb_control_create(0, host());
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 0);
    Frm_inout_control_create(0, host());
    auto* mdb_combo = mdb<QComboBox>("ComboBox_type_control");
    auto* io_combo = Frm_inout_control_page().find<QComboBox>(0, "ComboBox_type_control");
    struct Row {
        uint8_t state;
        bool mdb_on, io_on;
    };
    for (const Row r : {Row{0, false, false}, Row{EditState::Linked | EditState::Remote, true, true},
                        Row{EditState::Linked | EditState::Remote | EditState::Status5, true, false}}) {
        SCOPED_TRACE(r.state);
        EditStateFlags = r.state;
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        Frm_mdb_control_set_access(0);
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 0);
        Frm_inout_control_set_access(0);
        EXPECT_EQ(mdb_combo->isEnabled(), r.mdb_on);
        EXPECT_EQ(io_combo->isEnabled(), r.io_on);
    }
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);  // no such field on CANopen
    Frm_mdb_control_set_access(0);
    EXPECT_FALSE(mdb_combo->isEnabled());
    EXPECT_TRUE(boxes.empty());
    Frm_inout_control_destroy(0);
    Frm_mdb_control_destroy(0);
}

// Real mouse events: a double-click on the speed limit opens the archive's Limit page; the
// Control Set page may go while the popup is open.
TEST_F(ControlSetTest, DoubleClickOpensTheBlocksPageInThePopup)
{
    for (uint8_t slot : {0, 1})
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, 1);
    PageContext = 1;
    Frm_mdb_control_create(1, host());
    host()->resize(900, 500);
    Frm_mdb_control_page().frame(1)->resize(900, 500);
    pump_for(50);
    auto* image = mdb<ImageBox>("Image_block_control", 1);
    const QPoint at = Blockgraph_origin[1] + QPoint(Block_speed_limit.x + 30, Block_speed_limit.y + 30);
    QTest::mouseMove(image, at - QPoint(1, 1));  // the pointer may rest at `at`: a move there sends nothing
    QTest::mouseMove(image, at);
    ASSERT_EQ(Blockgraph_current[1], &Block_speed_limit);
    bool ran = false;
    filestest::when_modal<TForm_block_dat>(
        [](TForm_block_dat* d) {
            EXPECT_EQ(Main_popup_page(), &PageNode_limiti);
            EXPECT_NE(Frm_limiti_page().frame(1), nullptr);
            EXPECT_EQ(Frm_limiti_page().frame(1)->parentWidget(), d->Panel_block_dat);
            Frm_mdb_control_destroy(1);
            d->BitBtn_close->click();
        },
        &ran);
    QTest::mouseDClick(image, Qt::LeftButton, {}, at);
    ASSERT_TRUE(pump_until([&ran] { return ran && Form_block_dat == nullptr; }, 5000));
    EXPECT_EQ(Frm_limiti_page().frame(1), nullptr);
    EXPECT_EQ(Main_popup_page(), nullptr);
    EXPECT_EQ(Frm_mdb_control_page().frame(1), nullptr);
}


// Every block a diagram links to opens its page whole, on either bus, in either context and
// language: no control's text, size or rectangle cut (by the popup or the box it lies in), the
// popup centred in the screen's available area, and a popup made smaller still showing it whole.
TEST_F(ControlSetTest, EachLinkedBlocksPopupShowsItsWholePage)
{
    struct Row {
        uint16_t bus_type;
        uint8_t ctx;
        uint8_t language;
    };
    std::vector<Row> rows;
    for (uint16_t bus : {0, 1})
        for (uint8_t ctx : {0, 1})
            for (uint8_t language : {0, 1, 2})
                rows.push_back({bus, ctx, language});
    std::string faults;
    const auto cut = [](const TForm_block_dat* d) {
        std::string out;
        for (const QWidget* w : d->Panel_block_dat->findChildren<QWidget*>())
            if (w->isVisibleTo(d))
                out += textfit::cut_of(w, d);
        return out;
    };
    for (const Row& r : rows) {
        Rec_set<uint16_t>(DriveRecordBank[r.ctx], RecOfs::BusType, r.bus_type);
        PageContext = r.ctx;
        LanguageIndex = r.language;
        for (BlockRec* block : BlockRecords) {
            if (block == nullptr || block->node == nullptr || block->node->PageCreate == nullptr)
                continue;
            const std::string name = std::string(PageNodeText(block->node, 1)) + " (bus " +
                                     std::to_string(r.bus_type) + ", context " + std::to_string(r.ctx) +
                                     ", language " + std::to_string(r.language) + ")";
            bool ran = false;
            filestest::when_modal<TForm_block_dat>(
                [&](TForm_block_dat* d) {
                    textfit::settle(d);
                    const QRect area = d->screen()->availableGeometry();
                    const QPoint off = d->frameGeometry().center() - area.center();
                    if (std::abs(off.x()) > 1 || std::abs(off.y()) > 1)
                        faults += name + ": popup not centred\n";
                    std::string page = cut(d);
                    d->resize(d->width() / 2, d->height() / 2);  // by the user
                    textfit::settle(d);
                    page += cut(d);
                    if (!page.empty())
                        faults += name + ":\n" + page;
                    d->BitBtn_close->click();
                },
                &ran);
            Form_block_show(block->node, r.ctx);
            EXPECT_TRUE(ran) << name;
        }
    }
    EXPECT_EQ(faults, "");
}

}  // namespace
}  // namespace pagetest
