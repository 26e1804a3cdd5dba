// Diagram host: centring in the scroll box, hover and click on selectors in both contexts, the
// positions of the context under the pointer, and the popup of a block's page.
#include <QPushButton>
#include <QScrollArea>

#include "diagrams/Blockgraph.h"
#include "diagrams/Form_block.h"
#include "gui/files_fixture.h"
#include "link/Seriale.h"
#include "page_fixture.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

// A page node whose entry points count their calls.
struct PopupCalls {
    int create = 0, destroy = 0, refresh = 0;
    uint8_t ctx = 9;
    QWidget* parent = nullptr;
};
PopupCalls& calls() { static PopupCalls c; return c; }
PageNode popup_node = {{"P", "P", "P"}, nullptr, 0, 0,
                       [](uint8_t ctx, QWidget* parent) { ++calls().create, calls().ctx = ctx, calls().parent = parent; },
                       [](uint8_t ctx) { ++calls().destroy, calls().ctx = ctx; },
                       [](uint8_t) { ++calls().refresh; }};

class BlockgraphTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Seriale_init();
        Seriale_clear_queue();
        for (uint8_t slot : {0, 1}) {
            DriveRecordBank[slot] = DriveRecord{};
            Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, 1);
        }
        scroll_ = new QScrollArea(host());
        scroll_->setFrameShape(QFrame::NoFrame);
        scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        image_ = new ImageBox;
        scroll_->setWidget(image_);
        scroll_->resize(800, 400);
        scroll_->show();
        Blockgraph_current[0] = Blockgraph_current[1] = nullptr;
        calls() = PopupCalls{};
    }
    void TearDown() override
    {
        for (BlockRec* b : BlockRecords)
            b->hovered = BLOCK_NO_STEP;
        Block_speed_limit.node = &PageNode_limiti;
        Seriale_clear_queue();
        Ser_link_flags.store(0);
        EditStateFlags = 0;
        PageContext = 0;
        PagesTest::TearDown();
    }
    void draw(uint8_t ctx, uint16_t row = 0)
    {
        Blockgraph_draw(image_, scroll_, Blockgraph_diagram_table[row], row, ctx);
    }
    // Pointer at (x, y) relative to the origin of the context's diagram.
    void move(uint8_t ctx, int x, int y, uint16_t row = 0)
    {
        PageContext = ctx;
        const QPoint o = Blockgraph_origin[ctx];
        Blockgraph_mouse_move(image_, Blockgraph_diagram_table[row], o.x() + x, o.y() + y);
    }
    void click(uint16_t row = 0) { Blockgraph_click(image_, scroll_, Blockgraph_diagram_table[row], row); }
    bool listed(const BlockRec* b) const
    {
        return std::find(Blocks_speed, Blocks_speed + BLOCKS_SPEED, b) != Blocks_speed + BLOCKS_SPEED;
    }

    QScrollArea* scroll_ = nullptr;
    ImageBox* image_ = nullptr;
};

TEST_F(BlockgraphTest, ADiagramIsCentredWhenItFitsElseStartsAtTheMargin)
{
    draw(0);
    EXPECT_TRUE(image_->isEnabled());
    EXPECT_EQ(image_->image().size(), QSize(800, 400));
    EXPECT_EQ(Blockgraph_origin[0], QPoint(87, 55));
    scroll_->resize(500, 400);
    draw(0);
    EXPECT_EQ(image_->image().width(), 646);
    EXPECT_EQ(Blockgraph_origin[0], QPoint(10, 55));
}

TEST_F(BlockgraphTest, ArchiveSelectorTakesTheHoveredStepAndSendsNothing)
{
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    draw(1);
    move(1, 60, 30);
    EXPECT_EQ(Blockgraph_current[1], &Block_aux_speed);
    EXPECT_EQ(Block_aux_speed.hovered, 0);
    move(1, 60, 80);
    EXPECT_EQ(Block_aux_speed.hovered, 2);
    click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 598), 2);
    EXPECT_FALSE(listed(&Block_sum_aux));  // redrawn in the torque-limit layout
    EXPECT_EQ(Seriale_count(), 0u);

    Rec_set<uint16_t>(DriveRecordBank[1], 792, 0x0004);
    draw(1, 1);
    move(1, 50, 50, 1);
    ASSERT_EQ(Blockgraph_current[1], &Block_torque);
    click(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 792), 0x0005);
}

TEST_F(BlockgraphTest, MainWindowSelectorNeedsTheLinkAndAStepOnTheScale)
{
    EditStateFlags = EditState::Linked | EditState::Remote;
    draw(0);
    move(0, 60, 50);  // link not ready: framed, no step
    EXPECT_EQ(Blockgraph_current[0], &Block_aux_speed);
    EXPECT_EQ(Block_aux_speed.hovered, BLOCK_NO_STEP);
    EXPECT_EQ(image_->cursor().shape(), Qt::ArrowCursor);
    click();
    EXPECT_EQ(Seriale_count(), 0u);

    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    move(0, 60, 10);  // through the caption strip: still no step
    click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 598), 0);
    EXPECT_EQ(Seriale_count(), 0u);

    move(0, 60, 50);
    EXPECT_EQ(Block_aux_speed.hovered, 1);
    EXPECT_EQ(image_->cursor().shape(), Qt::PointingHandCursor);  // a step under the pointer
    click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 598), 1);
    EXPECT_EQ(Seriale_count(), 1u);
}

// A click with no block under the pointer, or on a block that is not a selector, does nothing.
TEST_F(BlockgraphTest, AClickOffTheSelectorsChangesNothing)
{
    EditStateFlags = EditState::Linked | EditState::Remote;
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    draw(0);
    Blockgraph_current[0] = nullptr;
    click();
    Blockgraph_current[0] = &Block_motor;
    click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 598), 0);
    EXPECT_EQ(Seriale_count(), 0u);
}

TEST_F(BlockgraphTest, HitTestUsesThePositionsOfTheContextUnderThePointer)
{
    Rec_set<uint16_t>(DriveRecordBank[0], 594, 0x08);  // ramps on in the main window only
    draw(1);
    draw(0);
    move(1, 150, 130);
    EXPECT_EQ(Blockgraph_current[1], &Block_speed_limit);
    move(1, 5, 110);  // off every block: unframed
    EXPECT_EQ(Blockgraph_current[1], nullptr);
}

TEST_F(BlockgraphTest, DoubleClickShowsTheBlocksPageUntilTheUserClosesIt)
{
    Block_speed_limit.node = &popup_node;
    draw(1);
    move(1, 150, 130);
    PageContext = 1;
    bool ran = false;
    filestest::when_modal<TForm_block_dat>(
        [](TForm_block_dat* d) {
            EXPECT_EQ(Main_popup_page(), &popup_node);
            EXPECT_EQ(calls().parent, d->Panel_block_dat);
            EXPECT_EQ(d->BitBtn_close->text(), "Close");
            EXPECT_EQ(d->width(), 314);
            d->BitBtn_close->click();
        },
        &ran);
    Blockgraph_dbl_click(image_);
    EXPECT_EQ(calls().create, 0);  // queued: the handler returns first
    EXPECT_EQ(Blockgraph_current[1], nullptr);
    ASSERT_TRUE(pump_until([&ran] { return ran && Form_block_dat == nullptr; }, 5000));
    EXPECT_EQ(calls().create, 1);
    EXPECT_EQ(calls().refresh, 1);
    EXPECT_EQ(calls().destroy, 1);
    EXPECT_EQ(calls().ctx, 1);
    EXPECT_EQ(Main_popup_page(), nullptr);

    // "Power" opens nothing, nor does a node without a page.
    move(1, Block_power.x + 40, Block_power.y + 40);
    ASSERT_EQ(Blockgraph_current[1], &Block_power);
    Blockgraph_dbl_click(image_);
    move(1, Block_speed_regulator.x + 40, Block_speed_regulator.y + 40);
    PageNode_pid_vel.PageCreate = nullptr;
    Blockgraph_dbl_click(image_);
    pump_for(50);
    EXPECT_EQ(calls().create, 1);
    EXPECT_EQ(Form_block_node, nullptr);
}

TEST(BlockgraphRow, ControlTypeOutsideTheTableIsTheSpeedDiagram)
{
    DriveRecord rec{};
    struct Row {
        uint16_t bus, io, mdb, row;
    };
    for (const Row r : {Row{1, 0, 3, 3}, Row{1, 0, 7, 0}, Row{1, 0, 0xFFFF, 0}, Row{0, 2, 3, 2}, Row{0, 4, 0, 0},
                        Row{2, 1, 1, 0}}) {
        Rec_set<uint16_t>(rec, RecOfs::BusType, r.bus);
        Rec_set<uint16_t>(rec, 118, r.io);
        Rec_set<uint16_t>(rec, 466, r.mdb);
        EXPECT_EQ(Blockgraph_control_row(rec), r.row) << r.bus << " " << r.io << " " << r.mdb;
    }
}

}  // namespace
}  // namespace pagetest
