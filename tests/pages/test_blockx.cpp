// Block diagram engine: connectors filled inside their black outlines, bounds and hit test.
#include <gtest/gtest.h>

#include <QImage>

#include "diagrams/Blockx.h"

namespace {

constexpr uint32_t GREEN = 0xB5F0B6;

class BlockxTest : public ::testing::Test {
protected:
    BlockxTest() : image_(200, 200, QImage::Format_RGB32)
    {
        image_.fill(Qt::white);
        canvas_.begin(&image_);
    }
    ~BlockxTest() override { canvas_.end(); }
    uint32_t at(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFFu; }

    QImage image_;
    Canvas canvas_;
};

TEST_F(BlockxTest, StraightArrowIsVerticalOnlyForEqualX)
{
    const int vx[2] = {50, 50}, vy[2] = {20, 120};
    Blockx_draw_straight_arrow(canvas_, 10, vx, vy, GREEN, BlockPen::Solid);
    EXPECT_EQ(at(50, 70), GREEN);  // band
    EXPECT_EQ(at(53, 70), GREEN);
    EXPECT_EQ(at(57, 70), 0xFFFFFFu);  // beside the band
    EXPECT_EQ(at(57, 110), GREEN);     // head, twice as wide
    EXPECT_EQ(at(50, 125), 0xFFFFFFu);  // past the tip

    const int hx[2] = {100, 190}, hy[2] = {150, 160};
    Blockx_draw_straight_arrow(canvas_, 10, hx, hy, GREEN, BlockPen::Solid);
    EXPECT_EQ(at(130, 152), GREEN);
    EXPECT_EQ(at(103, 140), 0xFFFFFFu);
    EXPECT_EQ(at(98, 150), 0xFFFFFFu);
    EXPECT_EQ(at(10, 10), 0xFFFFFFu);
}

TEST_F(BlockxTest, BarsAndBentArrowsAreFilledInsideTheirOutline)
{
    const int bx[2] = {10, 60}, by[2] = {30, 30};
    Blockx_draw_bar(canvas_, 10, bx, by, GREEN, BlockPen::Solid);
    EXPECT_EQ(at(30, 30), GREEN);
    EXPECT_EQ(at(30, 25), 0u);  // outline
    EXPECT_EQ(at(30, 23), 0xFFFFFFu);
    const int kx[3] = {20, 120, 120}, ky[3] = {80, 80, 180};
    Blockx_draw_bent_band_arrow(canvas_, 10, kx, ky, GREEN, BlockPen::Solid);
    EXPECT_EQ(at(60, 80), GREEN);
    EXPECT_EQ(at(120, 130), GREEN);
    EXPECT_EQ(at(123, 78), GREEN);  // corner
    EXPECT_EQ(at(60, 95), 0xFFFFFFu);
    EXPECT_EQ(at(140, 130), 0xFFFFFFu);
}

TEST_F(BlockxTest, FloodFillStopsAtBlackAndNeverStartsOnIt)
{
    canvas_.pen = QPen(Qt::black);
    canvas_.brush = QBrush(Qt::NoBrush);
    canvas_.rectangle({10, 10, 50, 50});
    Blockx_flood_fill(canvas_, 10, 10, Qt::red);
    EXPECT_EQ(at(20, 20), 0xFFFFFFu);
    Blockx_flood_fill(canvas_, 20, 20, Qt::red);
    EXPECT_EQ(at(20, 20), 0xFF0000u);
    EXPECT_EQ(at(48, 48), 0xFF0000u);
    EXPECT_EQ(at(49, 49), 0u);
    EXPECT_EQ(at(60, 60), 0xFFFFFFu);
}

TEST_F(BlockxTest, ConnectorsRunBetweenTheComputedSidePoints)
{
    BlockRec a{.kind = BlockKind::Picture, .id = 0, .x = 0, .y = 0, .w = 60, .h = 30};
    BlockRec b{.kind = BlockKind::Picture, .id = 0, .x = 100, .y = 0, .w = 60, .h = 30};
    Blockx_connect_arrow(canvas_, a, b, 1, 1, 10, GREEN, BlockPen::Solid, 10, 20);
    EXPECT_EQ(at(90, 35), GREEN);  // from (70, 35) to (110, 35)
    BlockRec c{.kind = BlockKind::Picture, .id = 0, .x = 100, .y = 100, .w = 60, .h = 40};
    Blockx_connect_bent_arrow(canvas_, a, c, 3, 1, 10, GREEN, BlockPen::Solid, 0, 0);
    // Down from (30, 30) to y 120, then right to c's left edge.
    EXPECT_EQ(at(30, 80), GREEN);
    EXPECT_EQ(at(70, 120), GREEN);
    EXPECT_EQ(at(70, 130), 0xFFFFFFu);
    EXPECT_EQ(Blockx_side_point(90, 0), 30);
    EXPECT_EQ(Blockx_side_point(90, 2), 60);
}

TEST(Blockx, BoundsAndHitTestStopAtTheFirstNullAndIncludeTheOrigin)
{
    BlockRec a{.kind = BlockKind::Selector, .id = 1, .x = 0, .y = 0, .w = 110, .h = 90};
    BlockRec b{.kind = BlockKind::Sum, .id = 6, .x = 46, .y = 121, .w = 18, .h = 18};
    BlockRec far{.kind = BlockKind::Picture, .id = 9, .x = 300, .y = 300, .w = 75, .h = 75};
    BlockRec* list[4] = {&a, &b, nullptr, &far};
    struct Row {
        int x, y;
        const BlockRec* hit;
    };
    for (const Row r : {Row{60, 45, &a}, Row{0, 45, nullptr}, Row{60, 0, nullptr}, Row{110, 45, nullptr},
                        Row{55, 130, &b}, Row{1, 1, &a}, Row{320, 320, nullptr}})
        EXPECT_EQ(Blockx_hit_test(list, 4, r.x, r.y), r.hit) << r.x << "," << r.y;
    const DrawRect u = Blockx_list_bounds(list, 4);
    EXPECT_EQ(u.right, 110);
    EXPECT_EQ(u.bottom, 139);
    BlockRec* only[1] = {&far};
    const DrawRect o = Blockx_list_bounds(only, 1);
    EXPECT_EQ(o.left, 0);
    EXPECT_EQ(o.top, 0);
    EXPECT_EQ(o.right, 375);
    EXPECT_EQ(Blockx_hit_test(only, 0, 320, 320), nullptr);
}

}  // namespace

namespace {

const char* const STATE_TEXT[3] = {"Pronto", "Ready", "Prêt"};

TEST_F(BlockxTest, StateBoxesAndTheDetourArrowBetweenStates)
{
    StateRec a{4, STATE_TEXT, nullptr, 0, 0xC0C0C0, 0x00FF00, 0, 0x000000, 10, 10, 60, 40};
    StateRec b{5, STATE_TEXT, STATE_TEXT, 0, 0, 0x0000FF, 0, 0xFFFFFF, 10, 120, 60, 40};
    Blockx_stm_draw_state(canvas_, a, 0, Blockx_stm_state_rect(a, 0, 0));
    Blockx_stm_draw_state(canvas_, b, 0, Blockx_stm_state_rect(b, 0, 0));
    EXPECT_EQ(at(16, 16), 0x00FF00u);  // fill inside the bevel
    EXPECT_EQ(at(11, 30), 0xFFFFFFu);  // white bevel edge
    EXPECT_EQ(at(15, 125), 0x0000FFu);
    StateRec other{7, nullptr, nullptr, 0, 0, 0xFF0000, 0, 0, 120, 10, 40, 40};
    Blockx_stm_draw_state(canvas_, other, 0, Blockx_stm_state_rect(other, 0, 0));
    EXPECT_EQ(at(140, 30), 0xFFFFFFu);  // another kind draws nothing
    // Out of a's right side and into b's right side, 30 px out.
    Blockx_stm_connect_wide_arrow(canvas_, a, b, 1, 1, 1, 10, 30, GREEN, BlockPen::Solid, 0, 0);
    EXPECT_EQ(at(100, 80), GREEN);  // the vertical leg at x 70 + 30
    EXPECT_EQ(at(85, 30), GREEN);
    const StateRec* states[3] = {&a, &b, nullptr};
    const DrawRect u = Blockx_stm_bounds(states, 3);
    EXPECT_EQ(u.right, 70);
    EXPECT_EQ(u.bottom, 160);
}

}  // namespace
