// Control diagrams: blocks placed per record switches (positions relative to the diagram
// origin), lists ending in nulls, bounds; painting draws inside the image.
#include <gtest/gtest.h>

#include <QImage>

#include <string>
#include <vector>

#include "diagrams/Blocks_dat.h"
#include "diagrams/Blockx_draw.h"

namespace {

struct Pos {
    const BlockRec* block;
    int x, y;
};

struct Layout {
    const char* name;
    BlockDrawFn draw;
    BlockRec** list;
    uint16_t count;
    uint16_t aux_type, speed_flags, filter_flags;
    uint16_t placed;
    std::vector<Pos> at;
    std::vector<const BlockRec*> absent;
};

uint16_t placed(BlockRec* const* list, uint16_t count)
{
    uint16_t n = 0;
    while (n < count && list[n] != nullptr)
        ++n;
    for (uint16_t i = n; i < count; ++i)
        EXPECT_EQ(list[i], nullptr) << "gap at " << i;
    return n;
}

bool listed(BlockRec* const* list, uint16_t count, const BlockRec* b)
{
    return std::find(list, list + count, b) != list + count;
}

TEST(Blocks, DiagramsPlaceTheirBlocksByTheRecordsSwitches)
{
    const std::vector<Layout> layouts = {
        {"speed, all off", Blocks_speed_draw, Blocks_speed, BLOCKS_SPEED, 0, 0, 0, 12,
         {{&Block_aux_speed, 0, 0}, {&Block_speed_limit, 135, 93}, {&Block_current_regulator, 536, 95},
          {&Block_power, 536, 200}, {&Block_motor, 389, 200}, {&Block_speed_feedback, 272, 218}},
         {&Block_ramps, &Block_notch, &Block_iq_filter}},
        {"speed, ramps notch iq", Blocks_speed_draw, Blocks_speed, BLOCKS_SPEED, 0, 0x08, 0x03, 15,
         {{&Block_ramps, 126, 93}, {&Block_speed_limit, 226, 93}, {&Block_current_regulator, 827, 95},
          {&Block_motor, 614, 200}},
         {}},
        {"speed, aux limits torque", Blocks_speed_draw, Blocks_speed, BLOCKS_SPEED, 2, 0, 0, 11, {}, {&Block_sum_aux}},
        {"torque, notch", Blocks_torque_draw, Blocks_torque, BLOCKS_TORQUE, 0, 0, 0x01, 5, {}, {&Block_notch}},
        {"torque, iq", Blocks_torque_draw, Blocks_torque, BLOCKS_TORQUE, 0, 0, 0x02, 6, {{&Block_iq_filter, 125, -2}},
         {&Block_notch}},
        {"gear box", Blocks_gear_box_draw, Blocks_gear_box, BLOCKS_GEAR_BOX, 0, 0, 0, 11,
         {{&Block_gear_box, 0, 0}, {&Block_motor, 462, 155}, {&Block_speed_feedback, 282, 109}},
         {&Block_positioner}},
        {"position", Blocks_position_draw, Blocks_position, BLOCKS_POSITION, 0, 0, 0, 11,
         {{&Block_positioner, 0, 0}, {&Block_motor, 462, 155}, {&Block_speed_feedback, 282, 109}},
         {&Block_gear_box}},
    };
    DriveRecord rec{};
    QImage image(10, 10, QImage::Format_RGB32);
    Canvas canvas(&image);
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.name);
        Rec_set<uint16_t>(rec, BlockSwitch::AuxType, l.aux_type);
        Rec_set<uint16_t>(rec, BlockSwitch::SpeedFlags, l.speed_flags);
        Rec_set<uint16_t>(rec, BlockSwitch::FilterFlags, l.filter_flags);
        std::fill(l.list, l.list + l.count, &Block_cam);  // stale entries must go
        l.draw(canvas, l.list, l.count, rec, 0, 0, 0, 0);
        EXPECT_EQ(placed(l.list, l.count), l.placed);
        for (const Pos& p : l.at) {
            EXPECT_TRUE(listed(l.list, l.count, p.block)) << p.x << "," << p.y;
            EXPECT_EQ(p.block->x, p.x);
            EXPECT_EQ(p.block->y, p.y);
        }
        for (const BlockRec* b : l.absent)
            EXPECT_FALSE(listed(l.list, l.count, b));
    }
}

TEST(Blocks, SpeedDiagramBoundsAndPaintingStayInsideTheImage)
{
    DriveRecord rec{};
    QImage image(700, 360, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(&image);
    Blocks_speed_draw(canvas, Blocks_speed, BLOCKS_SPEED, rec, 1, 0, 0, 0);
    const DrawRect b = Blockx_list_bounds(Blocks_speed, BLOCKS_SPEED);
    EXPECT_EQ(b.width(), 626);
    EXPECT_EQ(b.height(), 290);
    Blocks_speed_draw(canvas, Blocks_speed, BLOCKS_SPEED, rec, 1, 10, 10, 1);
    canvas.end();
    auto rgb = [&image](int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; };
    EXPECT_EQ(rgb(5, 5), 0xFFFFFFu);
    EXPECT_EQ(rgb(690, 350), 0xFFFFFFu);
    // The bar from the speed node to the speed regulator is green, the power stage's frame yellow.
    const int bar_x = 10 + Block_sum_speed.x + Block_sum_speed.w + 10;
    EXPECT_EQ(rgb(bar_x, 10 + 130), BLOCK_GREEN);
    EXPECT_EQ(rgb(10 + Block_power.x + 4, 10 + Block_power.y + 45), 0xF0C002u);
}

TEST(Blocks, PicturesAreBitmapsOfTheirSize)
{
    struct Row {
        const BlockRec* block;
        int w, h;
    };
    for (const Row r : {Row{&Block_ramps, 51, 25}, Row{&Block_speed_limit, 51, 26}, Row{&Block_notch, 50, 27},
                        Row{&Block_iq_filter, 47, 27}, Row{&Block_power, 55, 53}, Row{&Block_motor, 56, 28},
                        Row{&Block_speed_feedback, 47, 30}, Row{&Block_positioner, 100, 64},
                        Row{&Block_gear_box, 61, 39}, Row{&Block_cam, 66, 94}}) {
        const QImage p = QImage::fromData(static_cast<const uchar*>(r.block->data[0]),
                                          static_cast<int>(r.block->picture_size), "BMP");
        EXPECT_EQ(p.size(), QSize(r.w, r.h)) << r.w;
    }
    EXPECT_EQ(Block_current_limit.data[0], Block_speed_limit.data[0]);
}

// The bitmap's background (its bottom-left pixel's colour) lets the picture area show through.
TEST(Blocks, PictureBackgroundIsTransparent)
{
    QImage image(100, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    Canvas canvas(&image);
    BlockRec motor = Block_motor;
    motor.x = motor.y = 0;
    Blockx_draw_block(canvas, motor, 0, Blockx_block_rect(motor, 0, 0));
    canvas.end();
    const QImage picture = QImage::fromData(static_cast<const uchar*>(motor.data[0]),
                                            static_cast<int>(motor.picture_size), "BMP");
    // Where the bitmap lies, centred in the picture area: its black lines, no white.
    ASSERT_FALSE(picture.isNull());
    int white = 0, black = 0;
    const QPoint centre(45, 52);
    const QRect at(centre.x() - picture.width() / 2 + 2, centre.y() - picture.height() / 2 + 2, picture.width() - 4,
                   picture.height() - 4);
    for (int y = at.top(); y <= at.bottom(); ++y)
        for (int x = at.left(); x <= at.right(); ++x) {
            const uint32_t c = image.pixel(x, y) & 0xFFFFFFu;
            white += c == 0xFFFFFFu;
            black += c == 0u;
        }
    EXPECT_EQ(white, 0);
    EXPECT_GT(black, 50);
}

}  // namespace
