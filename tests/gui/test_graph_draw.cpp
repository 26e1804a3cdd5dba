#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <vector>

#include <QLabel>
#include <QLocale>
#include <jpeglib.h>

#include "controls/Graph_draw.h"
#include "gui_app.h"

namespace {

QImage blank(int w, int h, const QColor& c = Qt::white)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

QRgb px(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
QRgb rgb(const QColor& c) { return c.rgb() | 0xFF000000u; }

// Bounding box of pixels that differ from `bg`.
QRect changed_area(const QImage& img, QRgb bg)
{
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (px(img, x, y) != bg)
                box |= QRect(x, y, 1, 1);
    return box;
}

// Reference rendering of a centred, aliased percentage text: white glyph pixels on black.
QImage text_mask(QSize size, const QFont& base, int point_size, const QString& text)
{
    QImage m(size, QImage::Format_RGB32);
    m.fill(Qt::black);
    QFont f(base);
    f.setPointSize(point_size);
    f.setStyleStrategy(QFont::NoAntialias);
    QPainter p(&m);
    p.setFont(f);
    p.setPen(Qt::white);
    const QFontMetrics fm(f, &m);
    const int x = (size.width() - fm.horizontalAdvance(text)) / 2;
    const int y = (size.height() - fm.height()) / 2;
    p.drawText(x, y + fm.ascent(), text);
    return m;
}

QByteArray make_jpeg(int w, int h, QRgb colour)
{
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&info, &out, &out_size);
    info.image_width = w;
    info.image_height = h;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[x * 3] = qRed(colour);
        row[x * 3 + 1] = qGreen(colour);
        row[x * 3 + 2] = qBlue(colour);
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray data(reinterpret_cast<const char*>(out), int(out_size));
    jpeg_destroy_compress(&info);
    std::free(out);
    return data;
}

bool near(QRgb a, QRgb b, int tol = 12)
{
    return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol &&
           std::abs(qBlue(a) - qBlue(b)) <= tol;
}

}  // namespace

TEST(GraphColours, BgrValuesAndFixedColours)
{
    EXPECT_EQ(bgr(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(bgr(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(bgr(0x4080FF), QColor(0xFF, 0x80, 0x40));
    EXPECT_EQ(clNavy, QColor(0, 0, 0x80));
    EXPECT_EQ(clMaroon, QColor(0x80, 0, 0));
    EXPECT_EQ(clBtnFace, QColor(0xF0, 0xF0, 0xF0));
    EXPECT_EQ(clInactiveCaption, QColor(0xBF, 0xCD, 0xDB));

    gui_app();
    QLabel label("x");
    Graph_set_text_colour(&label, clNavy);
    label.setEnabled(false);
    EXPECT_EQ(label.palette().color(QPalette::Disabled, QPalette::WindowText), clNavy);
    EXPECT_EQ(label.palette().color(QPalette::Active, QPalette::WindowText), clNavy);
}

TEST(GraphText, FillsAlignsClipsAndUsesFontColour)
{
    gui_app();
    QImage img = blank(200, 40);
    Canvas c(&img);
    c.font.setStyleStrategy(QFont::NoAntialias);
    c.font.setPointSize(10);
    c.brush.setColor(clYellow);
    c.pen.setColor(clRed);
    c.font_colour = clBlue;
    const DrawRect r{20, 5, 120, 35};
    const int th = c.text_height(), tw = c.text_width("MMM");

    for (uint8_t align : {AlignLeft, AlignRight, AlignCentre}) {
        img.fill(Qt::white);
        Graph_draw_text_rect(c, r, align, "MMM");
        EXPECT_EQ(px(img, 20, 5), rgb(clYellow));    // background = brush
        EXPECT_EQ(px(img, 119, 34), rgb(clYellow));  // exclusive right/bottom
        EXPECT_EQ(px(img, 120, 20), rgb(Qt::white));
        EXPECT_EQ(px(img, 50, 35), rgb(Qt::white));
        QRect glyphs;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const QRgb p = px(img, x, y);
                EXPECT_NE(p, rgb(clRed));
                if (p == rgb(clBlue))
                    glyphs |= QRect(x, y, 1, 1);
            }
        ASSERT_FALSE(glyphs.isEmpty());
        // Vertically the glyphs sit in the centred text cell.
        const int cell_top = r.top + (r.height() - th) / 2;
        EXPECT_GE(glyphs.top(), cell_top);
        EXPECT_LE(glyphs.bottom(), cell_top + th);
        if (align == AlignLeft)
            EXPECT_NEAR(glyphs.left(), r.left + 1, 2);
        else if (align == AlignRight)
            EXPECT_NEAR(glyphs.right(), r.right - 1, 2);
        else
            EXPECT_NEAR(glyphs.left(), r.left + (r.width() - tw) / 2, 2);
    }

    // Text longer than the rectangle is cut at its edges.
    img.fill(Qt::white);
    Graph_draw_text_rect(c, {20, 5, 40, 35}, AlignLeft, "MMMMMMMMMMMM");
    EXPECT_EQ(changed_area(img, rgb(Qt::white)), QRect(20, 5, 20, 30));
}

TEST(GraphText, MeasuresText)
{
    gui_app();
    QFont f("DejaVu Sans");
    f.setPixelSize(20);
    const QSize one = Graph_draw_text_size("0", f);
    const QSize four = Graph_draw_text_size("0000", f);
    EXPECT_GT(one.width(), 0);
    EXPECT_NEAR(four.width(), 4 * one.width(), 2);
    EXPECT_EQ(four.height(), one.height());

    // Points to pixels at the resolution, rounded: 10 pt is 13.3 px at 96 ppi, 26.7 px at 192.
    const struct {
        int ppi;
        int pixels;
    } sizes[] = {{96, 13}, {192, 27}};
    for (const auto& s : sizes) {
        QFont arial("Arial");
        arial.setPixelSize(s.pixels);
        EXPECT_EQ(Graph_draw_text_size_font("I.0", "Arial", 10, s.ppi), Graph_draw_text_size("I.0", arial)) << s.ppi;
    }
}

TEST(GraphFill, FillsClipAndKeepsBrushColour)
{
    gui_app();
    QImage img = blank(30, 20);
    {
        Canvas c(&img);
        Graph_draw_fill(c, clLime);
        EXPECT_EQ(c.brush.color(), clLime);
        EXPECT_EQ(changed_area(img, rgb(clLime)), QRect());
        c.painter()->setClipRect(QRect(5, 5, 10, 4));
        Graph_draw_fill(c, clRed);
    }
    EXPECT_EQ(changed_area(img, rgb(clLime)), QRect(5, 5, 10, 4));
}

TEST(GraphBevel, ThinFrameAndWideBevels)
{
    gui_app();
    QImage img = blank(40, 30);
    Canvas c(&img);
    c.brush.setColor(clYellow);
    Graph_draw_bevel_frame(c, {5, 5, 25, 20}, 0, clRed, clGreen, clBlue, clNavy);
    EXPECT_EQ(c.brush.color(), clYellow);
    EXPECT_EQ(px(img, 5, 12), rgb(clRed));     // left column
    EXPECT_EQ(px(img, 15, 5), rgb(clGreen));   // top row
    EXPECT_EQ(px(img, 24, 12), rgb(clBlue));   // right column at right - 1
    EXPECT_EQ(px(img, 15, 19), rgb(clNavy));   // bottom row at bottom - 1
    EXPECT_EQ(px(img, 6, 12), rgb(Qt::white)); // one pixel only
    EXPECT_EQ(px(img, 15, 6), rgb(Qt::white));
    EXPECT_EQ(px(img, 25, 12), rgb(Qt::white));
    EXPECT_EQ(px(img, 15, 20), rgb(Qt::white));

    img.fill(Qt::white);
    Graph_draw_bevel_frame(c, {5, 5, 25, 25}, 2, clRed, clGreen, clBlue, clNavy);
    EXPECT_EQ(px(img, 5, 15), rgb(clRed));
    EXPECT_EQ(px(img, 6, 15), rgb(clRed));
    EXPECT_EQ(px(img, 15, 6), rgb(clGreen));
    EXPECT_EQ(px(img, 23, 15), rgb(clBlue));
    EXPECT_EQ(px(img, 15, 23), rgb(clNavy));
    EXPECT_EQ(px(img, 15, 15), rgb(Qt::white));  // inside untouched
}

TEST(GraphButton, RaisedSunkenOutlineFaceAndCaption)
{
    gui_app();
    QImage img = blank(60, 30);
    Canvas c(&img);
    c.brush.setColor(clLime);
    Graph_draw_button(c, {0, 0, 60, 30}, clBtnFace, 1, 1, 0, AlignCentre, QString());
    EXPECT_EQ(c.brush.color(), clLime);
    EXPECT_EQ(px(img, 0, 15), rgb(clWhite));
    EXPECT_EQ(px(img, 30, 0), rgb(clWhite));
    EXPECT_EQ(px(img, 59, 15), rgb(clGray));
    EXPECT_EQ(px(img, 30, 29), rgb(clGray));
    EXPECT_EQ(px(img, 30, 15), rgb(clBtnFace));

    for (uint8_t flag : {uint8_t(0), uint8_t(2)}) {  // anything but 1 is sunken
        img.fill(Qt::white);
        Graph_draw_button(c, {0, 0, 60, 30}, clBtnFace, 1, flag, 0, AlignCentre, QString());
        EXPECT_EQ(px(img, 0, 15), rgb(clGray));
        EXPECT_EQ(px(img, 59, 15), rgb(clWhite));
    }

    img.fill(Qt::white);
    c.font_colour = clBlack;
    Graph_draw_button(c, {0, 0, 60, 30}, clYellow, 2, 1, 1, AlignCentre, "Ab");
    EXPECT_EQ(px(img, 0, 0), rgb(clBlack));
    EXPECT_EQ(px(img, 59, 29), rgb(clBlack));
    EXPECT_EQ(px(img, 30, 0), rgb(clBlack));
    EXPECT_EQ(px(img, 1, 15), rgb(clWhite));
    EXPECT_EQ(px(img, 4, 4), rgb(clYellow));  // caption background is the face
    bool text = false;
    for (int x = 10; x < 50; ++x)
        for (int y = 5; y < 25; ++y)
            text |= qGray(px(img, x, y)) < 100;
    EXPECT_TRUE(text);
    EXPECT_EQ(c.brush.color(), clLime);
}

TEST(GraphProgress, NothingForZeroMaximumOrEmptyRectangle)
{
    gui_app();
    QImage img = blank(120, 30, clLime);
    Canvas c(&img);
    Graph_draw_progress_bar(c, {0, 0, 120, 30}, clBlue, 0, 0, 9);
    Graph_draw_progress_bar(c, {0, 0, 120, 30}, clBlue, 0, 50, 9);
    Graph_draw_progress_bar(c, {50, 0, 50, 30}, clBlue, 100, 50, 9);
    Graph_draw_progress_bar(c, {0, 10, 120, 5}, clBlue, 100, 50, 9);
    EXPECT_EQ(changed_area(img, rgb(clLime)), QRect());
}

TEST(GraphProgress, ClampsAndShowsInvertedPercentage)
{
    gui_app();
    const QSize size(160, 40);
    auto render = [&](uint32_t max, uint32_t pos) {
        QImage img = blank(size.width(), size.height(), clLime);
        Canvas c(&img);
        c.brush.setColor(clRed);
        Graph_draw_progress_bar(c, {0, 0, size.width(), size.height()}, clBlue, max, pos, 9);
        EXPECT_EQ(c.brush.color(), clRed);
        return img;
    };
    const QFont font = Canvas().font;

    // Beyond the maximum: the full bar, same as at the maximum, with "100%" inverted over blue.
    const QImage full = render(100, 150);
    EXPECT_EQ(full, render(100, 100));
    const QImage mask100 = text_mask(size, font, 9, "100%");
    int glyphs = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const bool glyph = px(mask100, x, y) == rgb(Qt::white);
            glyphs += glyph;
            ASSERT_EQ(px(full, x, y), glyph ? qRgb(255, 255, 0) : rgb(clBlue)) << x << "," << y;
        }
    EXPECT_GT(glyphs, 10);

    // At 0: white box with black "0%".
    const QImage zero = render(100, 0);
    const QImage mask0 = text_mask(size, font, 9, "0%");
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ASSERT_EQ(px(zero, x, y), px(mask0, x, y) == rgb(Qt::white) ? rgb(Qt::black) : rgb(Qt::white));
}

TEST(GraphProgress, LargeValuesComputeInSixtyFourBits)
{
    gui_app();
    const QSize size(200, 40);
    QImage img = blank(size.width(), size.height());
    Canvas c(&img);
    Graph_draw_progress_bar(c, {0, 0, 200, 40}, clBlue, 4000000000u, 3000000000u, 9);
    EXPECT_EQ(px(img, 149, 0), rgb(clBlue));  // 200 x 3/4 = 150 columns of bar
    EXPECT_EQ(px(img, 150, 0), rgb(clWhite));
    const QImage mask = text_mask(size, Canvas().font, 9, "75%");
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const QRgb under = x < 150 ? rgb(clBlue) : rgb(clWhite);
            const QRgb want = px(mask, x, y) == rgb(Qt::white) ? (~under | 0xFF000000u) : under;
            ASSERT_EQ(px(img, x, y), want) << x << "," << y;
        }
}

namespace {

// Colour runs up the gauge's centre column, from the interior bottom: 'G' green, 'Y' yellow,
// 'S' silver. Returns the run letters and the height above the bottom where each run ends.
struct Runs {
    std::string letters;
    std::vector<int> tops;
};

Runs gauge_runs(const QImage& img, int x, int bottom)
{
    Runs runs;
    for (int y = bottom; y >= 0; --y) {
        const QRgb p = px(img, x, y);
        char ch = p == rgb(clGreen) ? 'G' : p == rgb(clYellow) ? 'Y' : p == rgb(clSilver) ? 'S' : 0;
        if (!ch)
            continue;
        if (runs.letters.empty() || runs.letters.back() != ch) {
            runs.letters += ch;
            runs.tops.push_back(0);
        }
        runs.tops.back() = bottom - y;
    }
    return runs;
}

QImage gauge(double v, double n, double k, double f)
{
    QImage img = blank(60, 250, clBtnFace);
    Canvas c(&img);
    Graph_draw_gauge(c, {0, 0, 60, 250}, v, n, k, f, "0.00", "A");
    return img;
}

}  // namespace

TEST(GraphGauge, SegmentColoursFollowTheValue)
{
    gui_app();
    const int bottom = 250 - 7;  // interior bottom
    const int height = bottom - (Canvas().text_height() + 8 + 7);

    // Between F x N and N: green up to the warning level, yellow up to the value.
    Runs r = gauge_runs(gauge(95, 100, 1.4, 0.9), 30, bottom);
    ASSERT_EQ(r.letters, "GYS");
    EXPECT_NEAR(r.tops[0], height * 0.9 / 1.4, 8);
    EXPECT_NEAR(r.tops[1], height * 95 / 140.0, 8);

    // Above N: lit segments all green.
    r = gauge_runs(gauge(120, 100, 1.4, 0.9), 30, bottom);
    ASSERT_EQ(r.letters, "GS");
    EXPECT_NEAR(r.tops[0], height * 120 / 140.0, 8);

    // Above full scale: the whole bar.
    EXPECT_EQ(gauge_runs(gauge(500, 100, 1.4, 0.9), 30, bottom).letters, "G");
    EXPECT_EQ(gauge_runs(gauge(50, 100, 1.4, 0.9), 30, bottom).letters, "GS");
}

TEST(GraphGauge, NoScaleOrBadValueLeavesSegmentsUnlit)
{
    gui_app();
    const int bottom = 250 - 7;
    EXPECT_EQ(gauge_runs(gauge(10, 0, 1.4, 0.9), 30, bottom).letters, "S");
    EXPECT_EQ(gauge_runs(gauge(10, -5, 1.4, 0.9), 30, bottom).letters, "S");
    EXPECT_EQ(gauge_runs(gauge(10, 100, 0, 0.9), 30, bottom).letters, "S");
    EXPECT_EQ(gauge_runs(gauge(NAN, 100, 1.4, 0.9), 30, bottom).letters, "S");
    EXPECT_EQ(gauge_runs(gauge(-20, 100, 1.4, 0.9), 30, bottom).letters, "S");
    EXPECT_EQ(gauge_runs(gauge(95, 100, 1.4, NAN), 30, bottom).letters, "YS");

    // Too small to hold a bar: only the caption, no crash.
    QImage img = blank(20, 10, clBtnFace);
    Canvas c(&img);
    Graph_draw_gauge(c, {0, 0, 20, 10}, 1, 1, 1.4, 0.9, "0.00", "A");
}

TEST(GraphFormat, PatternsAndLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(Graph_format_float("0.00", 95), "95.00");
    EXPECT_EQ(Graph_format_float("0.00", 1.005e3), "1005.00");
    EXPECT_EQ(Graph_format_float("#0.00", 3.14159), "3.14");
    EXPECT_EQ(Graph_format_float("0.0", -0.04), "0.0");
    EXPECT_EQ(Graph_format_float("0.0", -2.26), "-2.3");
    EXPECT_EQ(Graph_format_float("0.##", 2.5), "2.5");
    EXPECT_EQ(Graph_format_float("#.##", 0.5), ".5");
    EXPECT_EQ(Graph_format_float("000", 7), "007");
    EXPECT_EQ(Graph_format_float("#,##0", 1234567), "1,234,567");
    EXPECT_EQ(Graph_format_float("0.0 'mm'", 1.5), "1.5 mm");
    EXPECT_EQ(Graph_format_float("0", 2.5), "3");
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(Graph_format_float("0.00", 12.5), "12,50");
    QLocale::setDefault(saved);
}

TEST(GraphJpeg, SmallPictureIsCentredOpaque)
{
    gui_app();
    ImageBox box;
    box.resize(60, 40);
    box.canvas();  // picture at the box size, white
    const QByteArray jpeg = make_jpeg(20, 10, qRgb(0, 0, 255));
    ASSERT_TRUE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(jpeg.constData()),
                                            size_t(jpeg.size())));
    const QImage& img = box.image();
    EXPECT_EQ(changed_area(img, rgb(Qt::white)), QRect(20, 15, 20, 10));
    EXPECT_TRUE(near(px(img, 30, 20), qRgb(0, 0, 255)));
}

TEST(GraphJpeg, LargerPictureStartsTopLeft)
{
    gui_app();
    ImageBox box;
    box.resize(30, 20);
    box.canvas();
    const QByteArray jpeg = make_jpeg(50, 15, qRgb(255, 0, 0));
    ASSERT_TRUE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(jpeg.constData()),
                                            size_t(jpeg.size())));
    // Wider: x = 0; lower: centred vertically (y = 2).
    EXPECT_EQ(changed_area(box.image(), rgb(Qt::white)), QRect(0, 2, 30, 15));
}

TEST(GraphJpeg, BadDataDrawsNothing)
{
    gui_app();
    ImageBox box;
    box.resize(40, 30);
    box.canvas();
    const QImage before = box.image().copy();

    static const char bytes[] = "\xFF\xD8\xFF\xE0 this is not a picture at all";
    QByteArray garbage(bytes, sizeof bytes - 1);
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(garbage.constData()),
                                             size_t(garbage.size())));
    QByteArray text("plain text");
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(text.constData()),
                                             size_t(text.size())));
    const QByteArray good = make_jpeg(8, 8, qRgb(0, 255, 0));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(good.constData()), 20));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&box, nullptr, 100));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(good.constData()), 0));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(nullptr, reinterpret_cast<const uint8_t*>(good.constData()),
                                             size_t(good.size())));
    EXPECT_EQ(box.image(), before);
}
