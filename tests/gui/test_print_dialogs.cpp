// Print dialogs and preview: the selection dialog, the page range, the preview's layout, zoom,
// paper and navigation.
#include "print_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>

#include "link/Sertx.h"
#include "print/Print_dialogs.h"
#include "print_core/Print_preview.h"
#include "print_core/Print_render.h"
#include "shell/Filedlg.h"

namespace {

class PrintDialogs : public PrintTest {
protected:
    void TearDown() override
    {
        PageContext.store(0);
        PrintTest::TearDown();
    }
};

TEST_F(PrintDialogs, SelectionPreselectsTheProfileAndListsThePrinters)
{
    Print_set_printer_source(PrinterSource{{"A", "B"}, -1, PRINT_A4_CAPS});
    PageContext.store(1);
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    PrintPage.preview_mode = 1;
    TForm_Set_Print d;
    d.show();
    EXPECT_EQ(d.ComboBox_list_printer->count(), 3);
    EXPECT_EQ(d.ComboBox_list_printer->currentText(), "A") << "no current printer: the first";
    EXPECT_EQ(d.ComboBox_list_printer->itemText(2), "File PDF");
    // The PDF entry, and the save dialog it asks through, in the three languages.
    const struct {
        uint8_t language;
        const char* entry;
        const char* filter;
    } pdf_texts[] = {{0, "File PDF", "File PDF (*.pdf)|*.pdf"},
                     {1, "PDF file", "PDF files (*.pdf)|*.pdf"},
                     {2, "Fichier PDF", "Fichiers PDF (*.pdf)|*.pdf"}};
    for (const auto& r : pdf_texts) {
        LanguageIndex = r.language;
        QString filter;
        Filedlg_set_sink([&filter](const FileDialogSpec& spec) {
            filter = spec.filter;
            return QString();
        });
        Filedlg_save_pdf(nullptr);
        Filedlg_set_sink({});
        EXPECT_EQ(Print_printer_names().back(), r.entry);
        EXPECT_EQ(filter, r.filter);
    }
    LanguageIndex = 0;
    EXPECT_TRUE(d.RadioItem[1]->isChecked());
    EXPECT_EQ(PrintPage.profile, PrintProfile::Modbus);
    EXPECT_TRUE(d.BitBtn_preview->isVisible());
    EXPECT_FALSE(d.BitBtn_print->isVisible());
    EXPECT_EQ(d.RadioItem[2]->text(), "Stampa dati modo controllo CanOpen");
    d.ComboBox_list_printer->setCurrentIndex(2);
    d.RadioItem[2]->click();
    d.BitBtn_preview->click();
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(PrintPage.printer_index, 2);
    EXPECT_EQ(PrintPage.profile, PrintProfile::Canopen);

    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 9);
    PrintPage.preview_mode = 0;
    TForm_Set_Print other;
    other.show();
    EXPECT_TRUE(other.RadioItem[0]->isChecked());
    EXPECT_TRUE(other.BitBtn_print->isVisible());
    other.RadioItem[1]->click();
    other.BitBtn_cancel->click();
    EXPECT_EQ(other.result(), 2);
    EXPECT_EQ(PrintPage.profile, PrintProfile::Io) << "cancel keeps the selection";
}

TEST_F(PrintDialogs, PageRangeRulesKeepTheDialogOpenOnABadRange)
{
    PrintPage.page_count = 5;
    PrintPage.current_page = 3;
    PrintPage.preview_mode = 1;
    struct Case {
        const char* start;
        const char* end;
        bool accepted;
    } cases[] = {{"3", "2", false}, {"0", "1", false}, {"", "2", false}, {"1", "6", false}, {"1", "5", true}, {"2", "2", true}};
    for (const Case& c : cases) {
        TForm_printer_data d;
        d.show();
        EXPECT_FALSE(d.Memo_page_start->isEnabled());
        d.RadioButtonl_page_interval->click();
        EXPECT_TRUE(d.Memo_page_start->isEnabled());
        d.Memo_page_start->setText(c.start);
        d.Memo_page_end->setText(c.end);
        d.BitBtn_print->click();
        EXPECT_EQ(d.isVisible(), !c.accepted) << c.start << ".." << c.end;
        const auto m = take_messages();
        EXPECT_EQ(m.size(), c.accepted ? 0u : 1u);
        if (!m.empty()) {
            EXPECT_EQ(m[0].text, "Intervallo di Stampa errato!");
        }
        if (c.accepted) {
            EXPECT_EQ(d.result(), 1);
            EXPECT_EQ(PrintPage.first_page, QString(c.start).toUInt());
            EXPECT_EQ(PrintPage.last_page, QString(c.end).toUInt());
        }
    }
    TForm_printer_data current;
    current.show();
    current.RadioButtonl_page_current->click();
    EXPECT_FALSE(current.Memo_page_end->isEnabled());
    current.BitBtn_print->click();
    EXPECT_EQ(PrintPage.first_page, 3u);
    EXPECT_EQ(PrintPage.last_page, 3u);
    TForm_printer_data all;
    all.show();
    EXPECT_EQ(all.Memo_page_end->text(), "5");
    all.BitBtn_print->click();
    EXPECT_EQ(PrintPage.first_page, 1u);
    EXPECT_EQ(PrintPage.last_page, 5u);
}

TEST_F(PrintDialogs, PageFieldsTakeDigitsOnly)
{
    TForm_printer_data d;
    d.show();
    d.RadioButtonl_page_interval->click();
    d.Memo_page_start->clear();
    QApplication::clipboard()->setText("1a2");
    d.Memo_page_start->paste();
    EXPECT_EQ(d.Memo_page_start->text(), "12");
    d.Memo_page_end->clear();
    QApplication::clipboard()->setText("12345678");
    d.Memo_page_end->paste();
    EXPECT_EQ(d.Memo_page_end->text(), "123456");
}

TEST_F(PrintDialogs, PreviewLayoutCentresOrScrollsThePaper)
{
    EXPECT_EQ(Print_preview_full_width_ppi(800), 94);
    EXPECT_EQ(Print_preview_full_width_ppi(20), 1);
    PrintPage.density = 18;
    const QSize paper = Print_preview_paper_size(PrintPage);
    EXPECT_EQ(paper, QSize(148, 210));
    const PreviewLayout small = Print_preview_layout({800, 600}, paper, 16, 50, 50);
    EXPECT_FALSE(small.bar_x || small.bar_y);
    EXPECT_EQ(small.origin_x, 326);
    EXPECT_EQ(small.origin_y, 195);
    PrintPage.density = 376;
    const QSize big = Print_preview_paper_size(PrintPage);
    const PreviewLayout zoomed = Print_preview_layout({800, 600}, big, 16, 100, 99999);
    EXPECT_TRUE(zoomed.bar_x && zoomed.bar_y);
    EXPECT_EQ(zoomed.image, QSize(784, 584));
    EXPECT_EQ(zoomed.origin_x, -100);
    EXPECT_EQ(zoomed.pos_y, big.height() - 584);
    EXPECT_EQ(zoomed.origin_y, -zoomed.pos_y);
    // a paper exactly as large as the panel needs no bar
    const PreviewLayout exact = Print_preview_layout({800, 600}, {800, 600}, 16, 0, 0);
    EXPECT_FALSE(exact.bar_x || exact.bar_y);
    EXPECT_EQ(exact.origin_x, 0);
    // a bar that appears takes room from the other side: a paper 790 wide and 700 high needs both
    const PreviewLayout both = Print_preview_layout({800, 600}, {790, 700}, 16, 0, 0);
    EXPECT_TRUE(both.bar_x && both.bar_y);
}

TEST_F(PrintDialogs, PaperOnSilverWithShadowOrWhiteWhenItCoversTheImage)
{
    QImage image(800, 600, QImage::Format_RGB32);
    PrintPage.density = 18;
    PrintPage.origin_x = 326;
    PrintPage.origin_y = 195;
    Print_preview_draw_paper(image, PrintPage);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(image.pixelColor(326 + 70, 195 + 100), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(326, 195 + 100), QColor(Qt::black)) << "outline";
    EXPECT_EQ(image.pixelColor(326 + 148 + 2, 195 + 100), QColor(Qt::black)) << "right shadow";
    EXPECT_EQ(image.pixelColor(326 + 148 + 2, 195 + 2), QColor(0xC0, 0xC0, 0xC0)) << "shadow starts 4 below the top";
    EXPECT_EQ(image.pixelColor(326 + 70, 195 + 210 + 2), QColor(Qt::black)) << "bottom shadow";
    PrintPage.density = 376;
    PrintPage.origin_x = -10;
    PrintPage.origin_y = -10;
    Print_preview_draw_paper(image, PrintPage);
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

TEST_F(PrintDialogs, PreviewZoomNavigationAndRepaint)
{
    for (int i = 0; i < 250; ++i)
        PrintLineAdd("----", QStringLiteral("P %1").arg(i), "1", "", 1, 0, PrintKind::Param);
    PrintPage.density = 96;
    PrintPage.margin_left = PrintPage.margin_top = 15;
    Fz_print_count_pages(&PrintPage);
    const uint32_t pages = PrintPage.page_count;
    ASSERT_GE(pages, 3u);
    auto* preview = new TForm_print_preview;
    preview->Panel_Img_preview->setFixedSize(800, 600);
    preview->show();
    QApplication::processEvents();
    preview->Timer_monitor->stop();
    ASSERT_EQ(preview->Panel_Img_preview->size(), QSize(800, 600));
    EXPECT_EQ(preview->full_width_ppi(), 94);
    EXPECT_EQ(preview->TrackBar_px_inchx->value(), 100);
    EXPECT_EQ(PrintPage.density, 94);
    EXPECT_EQ(preview->StatusBar_printer->text(), "No Printer");
    preview->TrackBar_px_inchx->setValue(20);
    EXPECT_EQ(PrintPage.density, 18);
    EXPECT_EQ(preview->Label_zoom->text(), "20 %");
    EXPECT_EQ(PrintPage.origin_x, 326);
    preview->TrackBar_px_inchx->setValue(400);
    EXPECT_TRUE(preview->ScrollBar_X->isVisible() && preview->ScrollBar_Y->isVisible());
    preview->ScrollBar_X->setValue(40);
    EXPECT_EQ(PrintPage.origin_x, -40);
    preview->BitBtn_width->click();
    EXPECT_EQ(preview->TrackBar_px_inchx->value(), 100);
    preview->BitBtn_height->click();
    EXPECT_EQ(preview->TrackBar_px_inchx->value(), 54);
    EXPECT_EQ(PrintPage.density, 50);

    preview->BitBtn_prn_prior_pg->click();
    EXPECT_EQ(PrintPage.current_page, 1u);
    preview->BitBtn_prn_next_pg->click();
    preview->Timer_monitorTimer();
    EXPECT_EQ(preview->StatusBar_page->text(), QStringLiteral("Pagina: 2 di %1").arg(pages));
    const QImage shown = preview->image().copy();
    preview->BitBtn_prn_last_pg->click();
    preview->BitBtn_prn_next_pg->click();
    EXPECT_EQ(PrintPage.current_page, pages);
    preview->Timer_monitorTimer();
    EXPECT_NE(preview->image(), shown) << "another page repainted";
    LanguageIndex = 1;
    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    QApplication::sendEvent(preview, &home);
    preview->Timer_monitorTimer();
    EXPECT_EQ(preview->StatusBar_page->text(), QStringLiteral("Page: 1 of %1").arg(pages));

    preview->BitBtn_close->click();
    EXPECT_TRUE(PrintListLines.empty()) << "closing frees the list";
    EXPECT_TRUE(PrintListMarks.empty());
    delete preview;
    EXPECT_EQ(PrintPage.canvas, nullptr);
}

}  // namespace
