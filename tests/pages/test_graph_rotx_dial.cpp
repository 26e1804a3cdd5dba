#include <gtest/gtest.h>

#include <numbers>

#include "controls/Graph_rotx.h"

namespace {

constexpr double QUARTER = std::numbers::pi / 2;

QImage dial(int size, double angle, uint8_t flags)
{
    ImageBox box;
    box.set_image_size(size, size);
    Graph_rotx_dial(&box, angle, flags);
    return box.image().copy();
}

TEST(GraphRotxDial, PixelsOfTheElements)
{
    struct Row {
        int size;
        double angle;
        uint8_t flags;
        int x, y;
        QRgb want;
        const char* what;
    };
    const QRgb background = qRgb(249, 254, 226);
    const Row rows[] = {
        {162, 0.0, 3, 81, 13, qRgb(255, 0, 0), "arrow at 12"},
        {162, 0.0, 3, 81, 81, qRgb(0, 64, 128), "hub centre"},
        {162, 0.0, 3, 81, 61, qRgb(128, 128, 64), "notch at 12"},
        {162, 0.0, 3, 101, 81, qRgb(128, 64, 64), "hub ring at 3"},
        {162, 0.0, 3, 129, 33, background, "no sweep at angle 0"},
        {162, 0.0, 0, 81, 13, background, "no arrow with flags 0"},
        {162, 0.0, 0, 81, 81, qRgb(0, 64, 128), "hub with flags 0"},
        {162, QUARTER, 3, 129, 33, qRgb(255, 255, 0), "sweep 12 to 3"},
        {162, QUARTER, 3, 33, 129, background, "no sweep past the angle"},
        {162, QUARTER, 3, 137, 81, qRgb(192, 192, 192), "tooth at 3"},
        {162, QUARTER, 3, 101, 81, qRgb(128, 128, 64), "notch at 3"},
        {162, QUARTER, 3, 81, 61, qRgb(128, 64, 64), "hub ring at 12"},
        {162, QUARTER, 3, 153, 81, qRgb(255, 0, 0), "arrow at 3"},
        {162, 4 * QUARTER, 1, 81, 61, qRgb(128, 128, 64), "a whole turn is 0"},
        {162, -QUARTER, 3, 33, 129, qRgb(255, 255, 0), "minus a quarter fills three"},
        {100, 0.0, 3, 50, 50, qRgb(128, 128, 64), "below 144 px: no hub"},
        {20, 0.0, 3, 10, 10, background, "20 px: background only"},
        {20, 0.0, 3, 10, 1, background, "20 px: no arrow"},
    };
    for (const Row& r : rows) {
        const QImage img = dial(r.size, r.angle, r.flags);
        EXPECT_EQ(img.pixel(r.x, r.y) & 0xFFFFFF, r.want & 0xFFFFFF) << r.what;
    }
}

TEST(GraphRotxDial, SmallDialsDrawOnlyBackground)
{
    for (const int size : {1, 2, 11}) {  // R below 6: not even the sweep
        const QImage img = dial(size, 1.0, 3);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                ASSERT_EQ(img.pixel(x, y) & 0xFFFFFF, qRgb(249, 254, 226) & 0xFFFFFF) << size;
    }
}

TEST(GraphRotxDial, FloodFillStopsAtBlackAndIgnoresOutsideSeeds)
{
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < 10; ++y)
        img.setPixel(5, y, qRgb(0, 0, 0));
    Canvas c(&img);
    c.brush = QBrush(Qt::red);
    Graph_rotx_flood_fill(c, -1, 3);
    Graph_rotx_flood_fill(c, 10, 3);
    Graph_rotx_flood_fill(c, 5, 3);  // on black
    c.painter()->end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
    c.begin(&img);
    Graph_rotx_flood_fill(c, 2, 7);
    c.end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(4, 9), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(5, 9), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(6, 0), qRgb(255, 255, 255));
}

TEST(GraphRotxDial, GaugeInHundredths)
{
    ImageBox gauge;
    gauge.set_image_size(60, 120);
    Graph_rotx_gauge(&gauge, 150, 100, "0.00", "A");
    ImageBox direct;
    direct.set_image_size(60, 120);
    Canvas& c = direct.canvas();
    c.font = QFont("Arial");
    c.font.setPointSize(8);
    Graph_draw_fill(c, clBtnFace);
    Graph_draw_gauge(c, {0, 0, 60, 120}, 1.5, 1.0, 1.4, 0.9, "0.00", "A");
    EXPECT_EQ(gauge.image(), direct.image());
    Graph_rotx_gauge(&gauge, 100, 100, "0.00", "A");
    EXPECT_NE(gauge.image(), direct.image());
}

TEST(GraphRotxDial, MarkerPointsOutward)
{
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        Canvas c(&img);
        Graph_rotx_marker(c, 50, 50, 40, QUARTER);
    }
    EXPECT_EQ(img.pixel(84, 50), bgr_to_rgb(0xF0CAA6));  // inside, at 3 o'clock
    EXPECT_EQ(img.pixel(50, 16), qRgb(255, 255, 255));
}

}  // namespace
