// Page rendering: geometry, pagination rules, drawing passes and the print job on "PDF file".
#include "print_fixture.h"

#include <QImage>
#include <QTemporaryDir>

#include "files_fixture.h"
#include "print/Print_job.h"
#include "print_core/Print_render.h"
#include "print/Print_sections.h"
#include "print_pdf.h"

namespace {

class PrintRender : public PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        PrintPage.density = 96;
        PrintPage.margin_left = 15;
        PrintPage.margin_top = 15;
    }
    static void params(int n)
    {
        for (int i = 0; i < n; ++i)
            PrintLineAdd("----", QStringLiteral("Param %1").arg(i), "1", "", 1, 0, PrintKind::Param);
    }
    static std::vector<uint32_t> marks()
    {
        std::vector<uint32_t> out;
        for (uint32_t p = 1; p <= PrintPage.page_count; ++p)
            out.push_back(PrintMarkFind(p).value_or(UINT32_MAX));
        return out;
    }
};

TEST_F(PrintRender, GeometryWithoutAPrinterAt96Ppi)
{
    Fz_print_page_geometry(96, &PrintPage);
    EXPECT_NEAR(PrintPage.paper_width, 793.6, 0.01);
    EXPECT_NEAR(PrintPage.paper_height, 1122.4, 0.01);
    EXPECT_NEAR(PrintPage.left, 56.69, 0.01);
    EXPECT_NEAR(PrintPage.top, 56.69, 0.01);
    EXPECT_NEAR(PrintPage.usable_width, 680.21, 0.01);
    EXPECT_NEAR(PrintPage.usable_height, 1008.01, 0.01);
    // margins below the unprintable borders are raised to them
    PrintPage.margin_left = 1;
    PrintPage.margin_top = 1;
    Fz_print_page_geometry(360, &PrintPage);
    EXPECT_NEAR(PrintPage.left, 42, 0.01);
    EXPECT_NEAR(PrintPage.top, 42, 0.01);
    EXPECT_EQ(Fz_print_mm_to_px(15, 96), 56);
    EXPECT_EQ(Fz_print_tenth_mm_to_px(5, 600), 11);
    EXPECT_EQ(Fz_print_time_text(QTime(7, 5, 9)), "07:05:09");
    EXPECT_EQ(Fz_print_device_caps(0, DeviceCap::PhysicalOffsetY), 42);
    EXPECT_EQ(Fz_print_device_caps(0, DeviceCap::Other), 0);
    struct Style {
        int code;
        bool bold, italic;
    } styles[] = {{0, false, false}, {1, true, false}, {2, false, true}, {7, false, false}};
    for (const Style& s : styles) {
        EXPECT_EQ(Fz_print_font_style(s.code).bold, s.bold) << s.code;
        EXPECT_EQ(Fz_print_font_style(s.code).italic, s.italic) << s.code;
    }
}

TEST_F(PrintRender, CountingRecordsOneMarkPerPage)
{
    Fz_print_count_pages(&PrintPage);
    EXPECT_EQ(PrintPage.page_count, 1u) << "an empty list is one page";
    params(300);
    Fz_print_count_pages(&PrintPage);
    ASSERT_GT(PrintPage.page_count, 3u);
    EXPECT_EQ(PrintPage.first_page, 1u);
    EXPECT_EQ(PrintPage.last_page, PrintPage.page_count);
    EXPECT_EQ(PrintPage.current_page, 1u);
    const auto m = marks();
    EXPECT_EQ(m[0], 0u);
    for (std::size_t i = 1; i < m.size(); ++i)
        EXPECT_GT(m[i], m[i - 1]);
    // page 2 holds more lines than page 1, which carries the drive box
    EXPECT_GT(m[2] - m[1], m[1] - m[0]);
}

TEST_F(PrintRender, HeadingsKeepCompanyAcrossAPageEnd)
{
    // Wherever the page ends, a column head never starts a page and a page title never ends one.
    for (int before = 30; before < 90; ++before) {
        Print_list_clear_lines();
        params(before);
        PrintTitleLine("Titolo");
        PrintSectionLine("Sezione", 1);
        params(3);
        Fz_print_count_pages(&PrintPage);
        for (uint32_t m : marks()) {
            ASSERT_LT(m, PrintListLines.size());
            EXPECT_NE(PrintListLines[m].kind, PrintKind::ColumnHead) << before;
            EXPECT_NE(m, static_cast<uint32_t>(before) + 1) << "title left behind, " << before;
        }
    }
}

TEST_F(PrintRender, APageTooSmallForALineEndsTheCountWithOneWarning)
{
    Print_set_printer_source(PrinterSource{{"A"}, 0, {96, 26, 5, 100, 20, 100, 20, 0, 0}});
    PrintPage.margin_left = 0;
    PrintPage.margin_top = 0;
    params(5);
    Fz_print_count_pages(&PrintPage);
    EXPECT_LE(PrintPage.page_count, 2u);
    const auto m = take_messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "Pagina troppo piccola per la stampa!");
}

TEST_F(PrintRender, DrawingAPageOfAnImageAtAnyResolution)
{
    params(300);
    Fz_print_count_pages(&PrintPage);
    const std::vector<uint32_t> counted = marks();
    QImage image(900, 1200, QImage::Format_RGB32);
    image.fill(Qt::white);
    PrintPage.canvas = &image;
    for (uint16_t ppi : {96, 300, 600}) {
        PrintPage.density = ppi;
        EXPECT_EQ(PrintParameterPages(&PrintPage, 2, PrintMode::Page), 2u);
        EXPECT_EQ(marks(), counted) << "drawing leaves the count's marks";
    }
    const QImage before = image.copy();
    EXPECT_EQ(PrintParameterPages(&PrintPage, PrintPage.page_count + 1, PrintMode::Page), PrintPage.page_count + 1);
    EXPECT_EQ(image, before) << "a page without a mark draws nothing";
    PrintPage.canvas = nullptr;
}

class PrintJob : public PrintRender {
protected:
    void SetUp() override
    {
        PrintRender::SetUp();
        Print_set_printer_source(PrinterSource{{"A"}, 0, PRINT_A4_CAPS});
        PrintPage.printer_index = 1;  // "PDF file"
        PrintPage.time_text = "10:11:12";
        PrintPage.date_text = "07/12/2026";
    }
    filestest::DialogScript dialogs;
    QTemporaryDir dir;
};

TEST_F(PrintJob, ARangeOfPagesGoesToThePdfFile)
{
    params(300);
    Fz_print_count_pages(&PrintPage);
    ASSERT_GE(PrintPage.page_count, 5u);
    PrintPage.first_page = 2;
    PrintPage.last_page = 3;
    const QString file = dir.filePath("range.pdf");
    dialogs.names.push_back(file);
    Fz_print_job(&PrintPage);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].filter, "File PDF (*.pdf)|*.pdf");
    EXPECT_EQ(printpdf::info(file, "Pages"), "2");
    EXPECT_EQ(printpdf::info(file, "Title"), "Pendrix Data Print");
    for (int page : {1, 2}) {
        const QString text = printpdf::page_text(file, page);
        EXPECT_TRUE(text.contains(QStringLiteral("Pag.: %1").arg(page + 1))) << text.toStdString();
        EXPECT_FALSE(text.contains("DRIVE ORVEL"));
        EXPECT_TRUE(text.contains("Ore: 10:11:12"));
        // the page holds what the count gave it
        const uint32_t first = *PrintMarkFind(page + 1);
        const uint32_t last = *PrintMarkFind(page + 2) - 1;
        EXPECT_TRUE(text.contains(PrintListLines[first].name + " ")) << page;
        EXPECT_TRUE(text.contains(PrintListLines[last].name + " ")) << page;
        EXPECT_FALSE(text.contains(PrintListLines[last + 1].name + " ")) << page;
    }
}

TEST_F(PrintJob, TheDriveBoxNamesTheFamilyOfThePrintout)
{
    params(3);
    PrintPage.second_family = true;
    Fz_print_count_pages(&PrintPage);
    const QString file = dir.filePath("box.pdf");
    dialogs.names.push_back(file);
    Fz_print_job(&PrintPage);
    const QString text = printpdf::page_text(file, 1);
    EXPECT_TRUE(text.contains("DRIVE PELSAN")) << text.toStdString();
    EXPECT_TRUE(text.contains("Pag.: 1"));
}

TEST_F(PrintJob, CancelledFilesAndRefusingPrintersPrintNothing)
{
    params(3);
    Fz_print_count_pages(&PrintPage);
    Fz_print_job(&PrintPage);  // the dialog is cancelled
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(take_messages().empty());
    PrintPage.printer_index = 0;  // a test printer cannot begin
    Fz_print_job(&PrintPage);
    const auto m = take_messages();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].text, "Stampa non riuscita: A");
    EXPECT_FALSE(Fz_print_job_running());
}

TEST_F(PrintJob, APdfThatCannotBeSavedKeepsTheOldFileWithOneWarning)
{
    params(3);
    Fz_print_count_pages(&PrintPage);
    expect_each_unsaveable_pdf_target_refused([this](const QString& file) {
        dialogs.names.push_back(file);
        Fz_print_job(&PrintPage);
    });
    EXPECT_FALSE(Fz_print_job_running());
}

TEST_F(PrintJob, TextsWiderThanTheirCellsPrintWhole)
{
    // Wider than their cells in any font: the value column (50 mm) and the name column (the rest).
    const QString value = QStringLiteral("CanOpen Commande à Distance par le sélecteur de la mémoire");
    const QString name = QStringLiteral("PARAMÈTRE DONT LE NOM REMPLIT TOUS LES SOIXANTE HUIT CARACTÈRES");
    PrintLineAdd("----", name, value, "mm/s", 1, 0, PrintKind::Param);
    Fz_print_count_pages(&PrintPage);
    const QString file = dir.filePath("wide.pdf");
    dialogs.names.push_back(file);
    Fz_print_job(&PrintPage);
    const QString words = printpdf::run("pdftotext", {"-bbox", file, "-"});
    const auto box = [&words](const QString& word) {
        const auto m = QRegularExpression(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re" +
                                          QRegularExpression::escape(word) + "<")
                           .match(words);
        return m.hasMatch() ? QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                     QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))
                            : QRectF();
    };
    // Cells in mm from the paper's left edge: margin 15, address 25, name, value 50, unit 15,
    // column gaps 0.5, inset 1.5 before a name and after a value.
    const struct {
        const QString& text;
        double left, right;
    } rows[] = {{name, 15 + 25 + 0.5 + 1.5, 195 - 15 - 0.5 - 50 - 0.5}, {value, 195 - 15 - 0.5 - 50, 195 - 15 - 0.5 - 1.5}};
    constexpr double PT_PER_MM = 72 / 25.4;
    for (const auto& r : rows) {
        for (const QString& word : r.text.split(' ')) {
            const QRectF b = box(word);
            ASSERT_FALSE(b.isNull()) << word.toStdString();
            EXPECT_GE(b.left(), r.left * PT_PER_MM - 1) << word.toStdString();
            EXPECT_LE(b.right(), r.right * PT_PER_MM + 1) << word.toStdString();
        }
    }
    // The unit beside them keeps the size of the page head's font, the parameter font.
    EXPECT_NEAR(box("mm/s").height(), box("Ore:").height(), 0.01);
}

}  // namespace
