// The drawing helpers: text, fill, button outline, progress bar, gauge, number patterns, pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QTableWidget>
#include <jpeglib.h>

#include "controls/Graph_draw.h"
#include "controls/Grid_cells.h"
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

TEST(GraphButton, OutlineOnlyWhenAskedAndTheBrushIsKept)
{
    gui_app();
    QImage img = blank(60, 30);
    Canvas c(&img);
    c.brush.setColor(clLime);
    c.pen.setStyle(Qt::NoPen);  // the outline is drawn whatever pen the canvas had
    for (uint8_t outline : {0, 1}) {
        img.fill(Qt::white);
        Graph_draw_button(c, {0, 0, 60, 30}, clYellow, 2, 1, outline, AlignCentre, "Ab");
        EXPECT_EQ(px(img, 0, 0) == rgb(clBlack), outline == 1);
        EXPECT_EQ(px(img, 30, 15 + 8), rgb(clYellow));
        EXPECT_EQ(c.brush.color(), clLime);
    }
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

TEST(GraphProgress, ClampsToTheMaximumAndComputesInSixtyFourBits)
{
    gui_app();
    const auto render = [](uint32_t max, uint32_t pos) {
        QImage img = blank(200, 40, clLime);
        Canvas c(&img);
        c.brush = QBrush(clRed, Qt::NoBrush);  // the bar fills whatever brush the canvas has
        Graph_draw_progress_bar(c, {0, 0, 200, 40}, clBlue, max, pos, 9);
        EXPECT_EQ(c.brush.color(), clRed);
        return img;
    };
    EXPECT_EQ(render(100, 150), render(100, 100));
    const QImage big = render(4000000000u, 3000000000u);
    EXPECT_EQ(big, render(4, 3));  // the same bar and the same "75%"
    EXPECT_NE(big, render(4, 2));
    EXPECT_EQ(px(big, 149, 0), rgb(clBlue));  // 200 x 3/4 = 150 columns of bar
    EXPECT_EQ(px(big, 150, 0), rgb(clWhite));
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

TEST(GraphGauge, SegmentColoursFollowTheValueAndTheScale)
{
    gui_app();
    const int bottom = 250 - 7;  // interior bottom
    const int height = bottom - (Canvas().text_height() + 8 + 7);
    const struct {
        double value, nominal, full, warning;
        const char* runs;
        std::vector<double> tops;  // run ends as shares of the bar's height
    } cases[] = {
        {95, 100, 1.4, 0.9, "GYS", {0.9 / 1.4, 95 / 140.0}},  // green to the warning level, yellow to the value
        {120, 100, 1.4, 0.9, "GS", {120 / 140.0}},             // above nominal: all green
        {500, 100, 1.4, 0.9, "G", {}},  {50, 100, 1.4, 0.9, "GS", {}},  {10, 0, 1.4, 0.9, "S", {}},
        {10, -5, 1.4, 0.9, "S", {}},    {10, 100, 0, 0.9, "S", {}},     {NAN, 100, 1.4, 0.9, "S", {}},
        {-20, 100, 1.4, 0.9, "S", {}},  {95, 100, 1.4, NAN, "YS", {}},
    };
    for (const auto& c : cases) {
        const Runs r = gauge_runs(gauge(c.value, c.nominal, c.full, c.warning), 30, bottom);
        EXPECT_EQ(r.letters, c.runs) << c.value << " of " << c.nominal;
        for (std::size_t i = 0; i < c.tops.size() && i < r.tops.size(); ++i)
            EXPECT_NEAR(r.tops[i], height * c.tops[i], 8);
    }
    QImage img = blank(20, 10, clBtnFace);  // too small to hold a bar: only the caption, no crash
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

// Decimals go from the right, rounded, until the text fits (here: a number of characters); when the
// integer digits alone do not fit, the exponent form, else the mark: never a number cut short.
TEST(GraphFormat, FitDropsDecimalsThenTakesTheExponentForm)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const struct {
        double value;
        int room;
        const char* text;
    } rows[] = {{8974.5958430, 12, "8974.5958430"}, {8974.5958430, 11, "8974.595843"},
                {8974.5958430, 8, "8974.596"},      {-30923.7875289, 12, "-30923.78753"},
                {-30923.7875289, 7, "-30924"},      {-30923.7875289, 6, "-30924"},
                {9.96, 3, "10"},                    {-0.04, 4, "0.0"},
                {-30923.7875289, 5, "-3e+4"},       {-3.0923787e12, 9, "-3.09e+12"},
                {99599900.0, 7, "9.96e+7"},         {995999.0, 5, "1e+6"},
                {-30923.7875289, 2, GRAPH_NO_FIT}};
    for (const auto& r : rows)
        EXPECT_EQ(Graph_format_fit(r.value, 7, [&r](const QString& t) { return t.size() <= r.room; }), r.text)
            << r.value << " in " << r.room;
    QLocale::setDefault(saved);
}

TEST(GraphToolIcon, DisabledModeIsAFadedGreyCopyOfEachSize)
{
    gui_app();
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(qRgba(255, 0, 0, 255));
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(255, 255, 255, 255));
    QIcon source;
    source.addPixmap(QPixmap::fromImage(picture));
    source.addPixmap(QPixmap::fromImage(picture.scaled(32, 32)));
    const QIcon icon = Graph_tool_icon(source);
    EXPECT_EQ(icon.availableSizes(QIcon::Normal), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    EXPECT_EQ(icon.availableSizes(QIcon::Disabled), icon.availableSizes(QIcon::Normal));
    const QImage normal = icon.pixmap(16, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage disabled = icon.pixmap(16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(normal, picture);
    // Grey lightened two thirds of the way to the button face, half as opaque; clear stays clear.
    EXPECT_EQ(disabled.pixel(5, 5), qRgba(189, 189, 189, 127));
    EXPECT_EQ(disabled.pixel(1, 0), qRgba(245, 245, 245, 127));
    EXPECT_EQ(qAlpha(disabled.pixel(0, 0)), 0);
    EXPECT_TRUE(Graph_tool_icon(QIcon()).isNull());
}

TEST(ImageBox, ShowsItsPictureAndTakesItsSizeOnlyWithAutoSize)
{
    gui_app();
    ImageBox box;
    box.resize(40, 30);
    box.set_image_size(20, 10);
    box.canvas().brush.setColor(clRed);
    box.canvas().fill_rect({0, 0, 20, 10});
    box.set_auto_size(false);
    EXPECT_EQ(box.size(), QSize(40, 30));
    box.set_auto_size(true);
    EXPECT_EQ(box.size(), QSize(20, 10));
    EXPECT_EQ(QColor(box.grab().toImage().pixel(5, 5)), clRed);
}

TEST(GraphJpeg, PicturesAreCentredOrStartTopLeftAndBadDataDrawsNothing)
{
    gui_app();
    const auto draw = [](ImageBox& box, const QByteArray& data, std::size_t size) {
        return Graph_draw_jpeg_from_memory(&box, reinterpret_cast<const uint8_t*>(data.constData()), size);
    };
    ImageBox box;
    box.resize(60, 40);
    box.canvas();  // picture at the box size, white
    const QByteArray small = make_jpeg(20, 10, qRgb(0, 0, 255));
    ASSERT_TRUE(draw(box, small, small.size()));
    EXPECT_EQ(changed_area(box.image(), rgb(Qt::white)), QRect(20, 15, 20, 10));
    EXPECT_TRUE(near(px(box.image(), 30, 20), qRgb(0, 0, 255)));

    ImageBox narrow;
    narrow.resize(30, 20);
    narrow.canvas();
    const QByteArray wide = make_jpeg(50, 15, qRgb(255, 0, 0));
    ASSERT_TRUE(draw(narrow, wide, wide.size()));
    EXPECT_EQ(changed_area(narrow.image(), rgb(Qt::white)), QRect(0, 2, 30, 15));  // wider: x = 0

    const QImage before = narrow.image().copy();
    const QByteArray bad("\xFF\xD8\xFF\xE0 this is not a picture at all");
    EXPECT_FALSE(draw(narrow, bad, bad.size()));
    EXPECT_FALSE(draw(narrow, small, 20));
    EXPECT_FALSE(draw(narrow, small, 0));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(&narrow, nullptr, 100));
    EXPECT_FALSE(Graph_draw_jpeg_from_memory(nullptr, reinterpret_cast<const uint8_t*>(small.constData()),
                                             std::size_t(small.size())));
    EXPECT_EQ(narrow.image(), before);
}

// A painted grid: the header's sections are row 0, the model's rows follow from the first row given.
TEST(GridCells, HeaderIsRowZeroAndTheRowsFollowIt)
{
    gui_app();
    QTableWidget grid(2, 3);
    std::set<std::pair<int, int>> seen;
    bool empty_rect = false;
    const GridCellPaint paint = [&](Canvas&, const DrawRect& r, int row, int column, bool) {
        seen.insert({row, column});
        empty_rect = empty_rect || r.width() <= 0 || r.height() <= 0;
    };
    grid.setHorizontalHeader(Grid_cell_header(paint, &grid));
    grid.setItemDelegate(Grid_cell_delegate(paint, 1, &grid));
    grid.resize(400, 200);
    QImage image(grid.size(), QImage::Format_RGB32);
    grid.render(&image);
    std::set<std::pair<int, int>> expected;
    for (int row = 0; row <= 2; ++row)
        for (int column = 0; column < 3; ++column)
            expected.insert({row, column});
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(empty_rect);
    EXPECT_EQ(Grid_draw_rect(QRect(5, 6, 10, 20)).right, 15);
    EXPECT_EQ(Grid_draw_rect(QRect(5, 6, 10, 20)).bottom, 26);
}

// A painted text wider than its cell widens the column after the paint (header and cells alike);
// the columns to its right move, a column whose texts fit keeps its width.
TEST(GridCells, AColumnGrowsToThePaintedTextItCut)
{
    gui_app();
    QTableWidget grid(2, 3);
    const QString texts[3] = {"1", "a text longer than its column", "2"};
    const GridCellPaint paint = [&](Canvas& canvas, const DrawRect& r, int row, int column, bool) {
        DrawRect inner = r;
        inner.right -= 4;  // as the windows leave a margin
        Graph_draw_text_rect(canvas, inner, AlignRight, row == 0 && column == 1 ? "Header" : texts[column]);
    };
    grid.setHorizontalHeader(Grid_cell_header(paint, &grid));
    grid.setItemDelegate(Grid_cell_delegate(paint, 1, &grid));
    for (int c = 0; c < 3; ++c)
        grid.setColumnWidth(c, 40);
    grid.resize(600, 200);
    grid.show();
    QImage image(grid.size(), QImage::Format_RGB32);
    grid.render(&image);
    QCoreApplication::processEvents();
    Canvas measure(&image);
    EXPECT_EQ(grid.columnWidth(1), measure.text_width(texts[1]) + 4);
    EXPECT_EQ(grid.columnWidth(0), 40);
    EXPECT_EQ(grid.columnWidth(2), 40);
    EXPECT_EQ(grid.columnViewportPosition(2), grid.columnViewportPosition(1) + grid.columnWidth(1));
}
