// Diagram blocks: the step selector's hover and writes in both contexts, the fault of a step that
// is not on the scale, bit-0 selectors, and the drawing of every block kind.
#include <QImage>

#include <cstring>

#include "diagrams/Blockx_draw.h"
#include "link/Seriale.h"
#include "page_fixture.h"

namespace pagetest {
namespace {

const char AUX_LABELS[9][15] = {"Analogica", "Interna",   "Limite Coppia", "Analog",       "Inside",
                                "Torque Limit", "Analogique", "Intérieure", "Limite Couple"};
const char* const AUX_TEXT[3] = {"Velocità Aux", "Aux Speed", "Vitesse Aux"};

BlockRec selector(int32_t field, BlockGetFn get, BlockSetFn set)
{
    return BlockRec{.kind = BlockKind::Selector, .id = 1, .text = {AUX_TEXT}, .labels = &AUX_LABELS[0][0],
                    .label_width = 15, .label_count = 3, .step_count = 3, .field = field, .value_type = 2,
                    .clickable = 1, .get = get, .set = set, .x = 0, .y = 0, .w = 110, .h = 90};
}

class BlockSelectorTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        quiet_link();
        Ser_link_flags.store(0);
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    }
    std::size_t queued_writes() const { return Seriale_view().entries.size(); }
};

TEST_F(BlockSelectorTest, ArchiveHoverPicksTheStepUnderThePointerAndStoresItSilently)
{
    PageContext = 1;
    BlockRec b = selector(598, Blockx_value_get, Blockx_value_set);
    struct Row {
        int y;
        uint16_t step;  // BLOCK_NO_STEP: no change
    };
    for (const Row r : {Row{30, 0}, Row{50, 1}, Row{80, 2}, Row{21, BLOCK_NO_STEP}, Row{85, BLOCK_NO_STEP},
                        Row{10, BLOCK_NO_STEP}}) {
        b.hovered = 7;
        EXPECT_EQ(Blockx_scale_hover(b, r.y), r.step != BLOCK_NO_STEP) << r.y;
        EXPECT_EQ(b.hovered, r.step == BLOCK_NO_STEP ? 7 : r.step) << r.y;
    }
    Ser_link_flags.store(LinkFlag::Ready);
    b.hovered = 2;
    Blockx_value_set(b, 1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 598), 2);
    EXPECT_EQ(Blockx_value_get(b, 1), 2);
    EXPECT_EQ(queued_writes(), 0u);
}

TEST_F(BlockSelectorTest, MainWindowNeedsTheLinkAndAnEditableField)
{
    BlockRec b = selector(598, Blockx_value_get, Blockx_value_set);
    EditStateFlags = EditState::Linked | EditState::Remote;
    EXPECT_FALSE(Blockx_scale_hover(b, 50));  // link not ready
    EXPECT_EQ(b.hovered, BLOCK_NO_STEP);
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    ASSERT_TRUE(Blockx_scale_hover(b, 50));
    EXPECT_TRUE(Blockx_hand_cursor());
    Blockx_value_set(b, 0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 598), 1);
    ASSERT_EQ(queued_writes(), 1u);
    const auto view = Seriale_view();
    const auto& frame = view.entries.back().frame;  // 0502h = 1
    ASSERT_GE(frame.size(), 10u);
    EXPECT_EQ(frame[2] << 8 | frame[3], 0x0502);
    EXPECT_EQ(frame[6] << 24 | frame[7] << 16 | frame[8] << 8 | frame[9], 1);
    Blockx_scale_leave(b);
    EXPECT_FALSE(Blockx_hand_cursor());
}

TEST_F(BlockSelectorTest, AStepOffTheScaleIsNeverWritten)
{
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    EditStateFlags = EditState::Linked | EditState::Remote;
    Rec_set<uint16_t>(DriveRecordBank[0], 598, 1);
    Rec_set<uint16_t>(DriveRecordBank[0], 792, 0x0004);
    BlockRec value = selector(598, Blockx_value_get, Blockx_value_set);
    BlockRec bit = selector(792, Blockx_bit_get, Blockx_bit_set);
    bit.step_count = bit.label_count = 2;
    for (BlockRec* b : {&value, &bit}) {
        b->hovered = BLOCK_NO_STEP;
        b->set(*b, 0);
    }
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 598), 1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 792), 0x0004);
    EXPECT_EQ(queued_writes(), 0u);
    bit.hovered = 1;
    Blockx_bit_set(bit, 0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 792), 0x0005);
    EXPECT_EQ(Blockx_bit_get(bit, 0), 1);
    EXPECT_EQ(queued_writes(), 1u);
}

TEST_F(BlockSelectorTest, ValueTypesWriteTheirSizeOnly)
{
    PageContext = 1;
    struct Row {
        uint8_t type;
        int bytes;
    };
    for (const Row r : {Row{0, 1}, Row{1, 1}, Row{2, 2}, Row{3, 2}, Row{4, 4}, Row{5, 4}, Row{6, 0}}) {
        SCOPED_TRACE(r.type);
        std::memset(DriveRecordBank[1].b + 596, 0xEE, 8);
        BlockRec b = selector(598, Blockx_value_get, Blockx_value_set);
        b.value_type = r.type;
        b.hovered = 2;
        Blockx_value_set(b, 1);
        const uint8_t* p = DriveRecordBank[1].b + 598;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(p[i], i < r.bytes ? (i == 0 ? 2 : 0) : 0xEE) << i;
        EXPECT_EQ(p[-1], 0xEE);
        if (r.bytes != 0) {
            EXPECT_EQ(Blockx_value_get(b, 1), 2);
        }
    }
    std::memset(DriveRecordBank[1].b + 598, 0xFF, 2);
    BlockRec b = selector(598, Blockx_value_get, Blockx_value_set);
    b.value_type = 1;
    EXPECT_EQ(Blockx_value_get(b, 1), -1);
    b.value_type = 3;
    EXPECT_EQ(Blockx_value_get(b, 1), -1);
    b.value_type = 2;
    EXPECT_EQ(Blockx_value_get(b, 1), 0xFFFF);
}

// Light yellow marks the current row, a value off the scale marks none; the hovered step's label
// is blue only while the block is highlighted.
TEST_F(BlockSelectorTest, CurrentRowAndHoveredStepAreMarked)
{
    auto pixels = [](uint16_t value, uint16_t hovered, uint8_t highlighted, uint32_t rgb) {
        Rec_set<uint16_t>(DriveRecordBank[1], 598, value);
        QImage image(120, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        Canvas canvas(&image);
        BlockRec b = selector(598, Blockx_value_get, Blockx_value_set);
        b.hovered = hovered;
        Blockx_draw_caption_block(canvas, b, 1, Blockx_block_rect(b, 0, 0), highlighted);
        canvas.end();
        int n = 0;
        for (int y = 25; y < 84; ++y)  // the rows, inside the bevel
            for (int x = 8; x < 100; ++x)
                n += (image.pixel(x, y) & 0xFFFFFFu) == rgb;
        return n;
    };
    constexpr uint32_t YELLOW = 0xFCFBDC, BLUE = 0x0000FF;
    EXPECT_GT(pixels(1, BLOCK_NO_STEP, 1, YELLOW), 100);
    EXPECT_EQ(pixels(3, BLOCK_NO_STEP, 1, YELLOW), 0);
    EXPECT_EQ(pixels(0xFFFF, BLOCK_NO_STEP, 1, YELLOW), 0);
    EXPECT_GT(pixels(0, 2, 1, BLUE), 5);
    EXPECT_EQ(pixels(0, 2, 0, BLUE), 0);
    EXPECT_EQ(pixels(0, BLOCK_NO_STEP, 1, BLUE), 0);
}

TEST(BlockDraw, EveryKindDrawsInsideItsRectangleAndAFlatChartShowsTheAxesOnly)
{
    const double xs[3] = {0, 1, 2}, flat[3] = {5, 5, 5}, rise[3] = {0, 50, 100};
    const char* const cap[3] = {"Regolatore", "Regulator", "Régulateur"};
    for (const double* curve : {flat, rise}) {
        QImage image(140, 120, QImage::Format_RGB32);
        image.fill(Qt::white);
        Canvas canvas(&image);
        const BlockRec blocks[] = {
            {.kind = BlockKind::Regulator, .id = 2, .text = {cap, cap}, .data = {xs, curve, curve},
             .step_count = 3, .x = 10, .y = 10, .w = 90, .h = 70},
            {.kind = BlockKind::Picture, .id = 9, .text = {cap}, .frame_colour = 0xF0C002,
             .picture_colour = 0xEFFEE2, .x = 10, .y = 10, .w = 75, .h = 75},
            {.kind = BlockKind::Sum, .id = 6, .text = {nullptr, BlockSigns[0], BlockSigns[1]}, .x = 50, .y = 50,
             .w = 18, .h = 18},
        };
        bool red = false;
        for (const BlockRec& b : blocks)
            Blockx_draw_block(canvas, b, 0, Blockx_block_rect(b, 0, 0));
        canvas.end();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                red = red || (image.pixel(x, y) & 0xFFFFFFu) == 0xFF0000u;
        EXPECT_EQ(red, curve == rise);
        EXPECT_EQ(image.pixel(130, 110) & 0xFFFFFFu, 0xFFFFFFu);
    }
    double lo = 0, hi = 0;
    EXPECT_EQ(Blockx_curve_range(rise, &lo, &hi, 3), 100.0);
    EXPECT_EQ(lo, 0.0);
}

}  // namespace
}  // namespace pagetest
