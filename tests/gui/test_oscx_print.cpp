// Printing a chart: the print dialog, the page geometry on an image, displayed and complete
// graphs, the preview's zoom, a PDF printed and read back, and a chart that goes away while the
// dialog is open.
#include <limits>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <QTimer>

#include "files_fixture.h"
#include "oscx_viewer_fixture.h"
#include "print_core/Print_printers.h"
#include "print_pdf.h"
#include "shell/Toolwin.h"

using filestest::when_modal;

namespace {

class OscxPrintTest : public OscxViewerTest {
protected:
    void SetUp() override
    {
        OscxViewerTest::SetUp();
        saved_prw_ = PrwDat;
        PrwDat = {};
        TracePrintMode = 0;
    }
    void TearDown() override
    {
        Toolwin_unregister(ToolWin::OscxPrintPreview);
        PrwDat = saved_prw_;
        TracePrintMode = 0;
        OscxViewerTest::TearDown();
    }
    // The viewer with 1,001 samples at 1 ms.
    TForm_Oscx_load_dat& loaded(ScopeSettingsRec s = settings())
    {
        TForm_Oscx_load_dat& w = open_viewer();
        open_file(write("rec.dmg", recording(s, samples(1001))));
        return w;
    }
    // Prints the viewer's graph through its print dialog on the "PDF file" printer; false when the
    // dialog did not come up.
    bool print_to_pdf(TForm_Oscx_load_dat& w, const QString& pdf)
    {
        Filedlg_set_sink([pdf](const FileDialogSpec& spec) { return spec.save ? pdf : QString(); });
        bool ran = false;
        when_modal<TForm_Oscx_Set_Print>(
            [](TForm_Oscx_Set_Print* d) {
                d->ComboBox_list_printer->setCurrentIndex(1);  // "PDF file"
                d->BitBtn_print->click();
            },
            &ran);
        w.BitBtn_printClick();
        return ran;
    }
    // The page on an image at 96 ppi, margins 13 mm, origin 0.
    QImage page_image(Diagramx* chart)
    {
        QImage image(800, 1130, QImage::Format_RGB32);
        image.fill(Qt::white);
        PrwDat.density = 96;
        PrwDat.margin_left = PrwDat.margin_top = 13;
        PrwDat.origin_x = PrwDat.origin_y = 0;
        PrwDat.canvas = &image;
        PrwDat.canvas_is_printer = false;
        Oscx_print_page(&PrwDat, chart);
        PrwDat.canvas = nullptr;
        return image;
    }
    PrintPageRec saved_prw_;
};

TEST_F(OscxPrintTest, DialogOpensOnTheDisplayedGraph)
{
    TForm_Oscx_load_dat& w = loaded();
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    bool ran = false;
    std::string seen;
    when_modal<TForm_Oscx_Set_Print>(
        [&](TForm_Oscx_Set_Print* d) {
            seen = ::ui("c:RadioButton_grafico_visualiz t:RadioButton_grafico_visualiz v:BitBtn_preview "
                        "t:BitBtn_preview v:BitBtn_print t:ComboBox_list_printer t:TForm_Oscx_Set_Print "
                        "t:GroupBox_printer t:GroupBox_mode t:BitBtn_cancel",
                        d);
            d->RadioButton_grafico_completo->click();
            d->BitBtn_cancel->click();
        },
        &ran);
    w.BitBtn_previewClick();
    ASSERT_TRUE(ran);
    EXPECT_EQ(seen, "1 Grafico Visulizzato 1 Anteprima 0 Laser Stampa Imposta Stampante Modo Annulla");
    EXPECT_EQ(TracePrintMode, 1);
    EXPECT_EQ(PrwDat.preview_mode, 1);
    when_modal<TForm_Oscx_Set_Print>(
        [&](TForm_Oscx_Set_Print* d) {
            seen = ::ui("c:RadioButton_grafico_visualiz v:BitBtn_print v:BitBtn_preview", d);
            d->BitBtn_cancel->click();
        },
        &ran);
    w.BitBtn_printClick();
    EXPECT_EQ(seen, "1 1 0");
    EXPECT_EQ(TracePrintMode, 0);
}

TEST_F(OscxPrintTest, PageGeometryWithoutAPrinter)
{
    TForm_Oscx_load_dat& w = loaded();
    page_image(w.chart());
    const ChartRegion& t = w.chart()->print_target;
    EXPECT_EQ(t.left, 60);
    EXPECT_EQ(t.width, 673);
    EXPECT_EQ(t.height, 589);
    EXPECT_EQ(w.chart()->print_view.background, 0xFFFFFFu);
}

TEST_F(OscxPrintTest, DisplayedAndCompleteGraphs)
{
    TForm_Oscx_load_dat& w = loaded();
    Diagramx& c = *w.chart();
    for (ChartChannelView& ch : c.view.channels) {
        ch.zoom_maximum = 100;
        ch.zoom_minimum = -100;
    }
    c.view.automatic = 0;
    c.view.window_offset = 100;
    c.view.window_width = 200;
    c.Redraw();
    const uint32_t start = c.window_start, end = c.window_end;
    const QImage displayed = page_image(&c);
    EXPECT_NEAR(c.print_view.time_start, 0.1, 1e-9);
    EXPECT_NEAR(c.print_view.time_end, 0.3, 1e-9);
    EXPECT_EQ(c.print_view.channels[0].maximum, 100);
    TracePrintMode = 1;
    page_image(&c);
    EXPECT_NEAR(c.print_view.time_start, 0.0, 1e-9);
    EXPECT_GE(c.print_view.time_end, 1.0 - 1e-9);
    EXPECT_EQ(c.view.automatic, 0);  // the screen keeps its zoom
    EXPECT_EQ(c.window_start, start);
    EXPECT_EQ(c.window_end, end);
    // Cursors, zoom box and trigger marks of the screen never reach the page.
    TracePrintMode = 0;
    c.time_cursors_shown = c.level_cursors_shown = 1;
    c.trigger_shown = 1;
    c.Redraw();
    EXPECT_EQ(page_image(&c), displayed);
}

TEST_F(OscxPrintTest, PreviewZoom)
{
    loaded();
    TForm_Oscx_print_preview::fixed_panel = QSize(800, 600);
    std::string seen[3];
    int base = 0, fit_height_ppi = 0;
    bool ran = false;
    when_modal<TForm_Oscx_print_preview>(
        [&](TForm_Oscx_print_preview* p) {
            base = PreviewBasePpi;
            seen[0] = ::ui("t:Panel_px_inchx t:BitBtn_close", p);
            p->BitBtn_widthClick();
            seen[1] = ::ui("t:Panel_px_inchx", p);
            p->BitBtn_heightClick();
            seen[2] = ::ui("t:Panel_px_inchx", p);
            fit_height_ppi = PrwDat.density;
            Oscx_print_preview_refresh(p);
            p->BitBtn_close->click();
        },
        &ran);
    Oscx_print_preview_open(viewer_.get(), viewer_->chart());
    ASSERT_TRUE(ran);
    EXPECT_EQ(base, 94);
    EXPECT_EQ(seen[0], "100 % Chiudi");
    EXPECT_EQ(seen[1], "100 %");
    EXPECT_EQ(seen[2], "54 %");
    EXPECT_EQ(fit_height_ppi, 50);
    EXPECT_EQ(PrwDat.canvas, nullptr);  // the closed preview's image is no target any more

    TForm_Oscx_print_preview::fixed_panel = QSize(20, 600);
    when_modal<TForm_Oscx_print_preview>(
        [&](TForm_Oscx_print_preview* p) {
            base = PreviewBasePpi;
            p->BitBtn_widthClick();
            p->BitBtn_heightClick();
            Oscx_print_preview_refresh(p);
            p->BitBtn_close->click();
        },
        &ran);
    Oscx_print_preview_open(viewer_.get(), viewer_->chart());
    EXPECT_EQ(base, 1);
    EXPECT_GE(PrwDat.density, 1);
}

TEST_F(OscxPrintTest, PrintedToPdf)
{
    ScopeSettingsRec s = settings();
    s.channel[1].flags = 0x00;  // hidden: no trace, still in the legend
    TForm_Oscx_load_dat& w = loaded(s);
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    const QString pdf = dir_.path() + "/trace.pdf";
    ASSERT_TRUE(print_to_pdf(w, pdf));
    EXPECT_EQ(printpdf::info(pdf, "Pages"), "1");
    EXPECT_EQ(printpdf::info(pdf, "Title"), "Pendrix Data Print");
    const QString text = printpdf::page_text(pdf, 1);
    for (const char* expected : {"DRIVE ORVEL", "Ore:", "Data:", "CH 1", "CH 2", "CH 3", "CH 4", "Velocità Rif. [rpm]",
                                 "Velocità Mis. [rpm]", "Corrente Rif.", "Corrente Mis."})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
}

TEST_F(OscxPrintTest, APdfThatCannotBeSavedKeepsTheOldFileWithOneWarning)
{
    TForm_Oscx_load_dat& w = loaded();
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    PrwDat.printer_index = 1;  // "PDF file"
    expect_each_unsaveable_pdf_target_refused([&w](const QString& file) {
        Filedlg_set_sink([file](const FileDialogSpec& spec) { return spec.save ? file : QString(); });
        Oscx_print_job(&PrwDat, w.chart());
    });
}

TEST_F(OscxPrintTest, ACancelledPdfFileChoicePrintsNothingAndSaysNothing)
{
    TForm_Oscx_load_dat& w = loaded();
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    PrwDat.printer_index = 1;  // "PDF file"
    int asked = 0;
    Filedlg_set_sink([&asked](const FileDialogSpec& spec) {
        asked += spec.save ? 1 : 0;
        return QString();
    });
    Oscx_print_job(&PrwDat, w.chart());
    Filedlg_set_sink({});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(message_texts(), "");
    EXPECT_TRUE(QDir(dir_.path()).entryList({"*.pdf"}).isEmpty());
}

// Recordings no drive writes but a file may hold (each channel alternates between two values):
// they open, paint and print to a PDF; a subnormal range is drawn widened as a zero one.
TEST_F(OscxPrintTest, DegenerateRecordingsOpenPaintAndPrint)
{
    constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double INF = std::numeric_limits<double>::infinity();
    constexpr double MAX = std::numeric_limits<double>::max();
    const struct {
        const char* name;
        double values[SCOPE_CHANNELS][2];
        double left_range;  // of channel 0; 0: not checked
    } cases[] = {
        {"subnormal range", {{0.0, 1.5e-323}, {1, 2}, {1, 2}, {1, 2}}, 2},
        {"not finite", {{NaN, NaN}, {INF, INF}, {-INF, -INF}, {NaN, INF}}, 2},
        {"largest", {{MAX, MAX}, {-MAX, -MAX}, {MAX, -MAX}, {0.0, 4.9e-324}}, 0},
    };
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> rows;
        for (int i = 0; i < 100; ++i)
            for (const auto& channel : c.values)
                rows.push_back(channel[i % 2]);
        TForm_Oscx_load_dat& w = open_viewer();
        open_file(write("degenerate.dmg", recording(settings(), rows)));
        ASSERT_EQ(w.chart()->Sample_count(), 100u);
        if (c.left_range != 0) {
            const ChartChannelView& ch = w.chart()->view.channels[0];
            EXPECT_EQ(ch.maximum - ch.minimum, c.left_range);
        }
        const QString pdf = dir_.path() + "/degenerate.pdf";
        QFile::remove(pdf);
        ASSERT_TRUE(print_to_pdf(w, pdf));
        EXPECT_EQ(printpdf::info(pdf, "Pages"), "1");
        EXPECT_EQ(message_texts(), "");
    }
}

TEST_F(OscxPrintTest, ChartGoneWhileTheDialogIsOpen)
{
    TForm_Oscx_load_dat& w = loaded();
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    int previews = 0;
    Toolwin_register(ToolWin::OscxPrintPreview, [&previews](QWidget* parent) -> QWidget* {
        ++previews;
        return TForm_Oscx_print_preview_new(parent);
    });
    bool ran = false;
    when_modal<TForm_Oscx_Set_Print>(
        [&w](TForm_Oscx_Set_Print* d) {
            w.ViewerChart.reset();  // its window destroyed the chart
            d->BitBtn_preview->click();
        },
        &ran);
    w.BitBtn_previewClick();
    ASSERT_TRUE(ran);
    EXPECT_EQ(previews, 0);
    EXPECT_EQ(TracePrintChart.get(), nullptr);
}

}  // namespace

namespace {

// The main and scope windows with the viewer and the trace print registered.
class OscxPrintScopeTest : public maintest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Oscx_register_window();
        Oscx_register_windows([this](OscxWindow w, OscxWindowFactory make) {
            if (w == OscxWindow::LoadDat)
                Toolwin_register(ToolWin::OscxLoadDat, make);
            if (w == OscxWindow::PrintPreview)
                Toolwin_register(ToolWin::OscxPrintPreview, [this, make](QWidget* parent) {
                    ++previews;
                    return make(parent);
                });
        });
        Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    }
    void TearDown() override
    {
        Print_set_printer_source(std::nullopt);
        MainWindowTest::TearDown();
        for (ToolWin k : {ToolWin::Oscx, ToolWin::OscxPrintPreview, ToolWin::OscxLoadDat})
            Toolwin_unregister(k);
        ScopeEntries = {};
    }
    int previews = 0;
};

TEST_F(OscxPrintScopeTest, ScopeClosedWhileItsPrintDialogIsOpen)
{
    for (const uint8_t preview : {0, 1}) {
        SCOPED_TRACE(int(preview));
        if (!main)
            open_window();
        main->BitBtn_oscxClick();
        QPointer<TForm_Oscx> scope = Oscx_open_window();
        ASSERT_NE(scope, nullptr);
        for (int i = 0; i < 5; ++i) {
            const double v[4] = {double(i), 1, 2, 3};
            scope->chart()->Add_sample(v, 4);
        }
        bool ran = false;
        when_modal<TForm_Oscx_Set_Print>(
            [this](TForm_Oscx_Set_Print* d) {
                main->Main_close_tool_windows();
                QPointer<TForm_Oscx_Set_Print> dialog(d);
                QTimer::singleShot(20, [dialog] {
                    if (dialog)
                        dialog->BitBtn_printClick();  // OK, once the scope window is gone
                });
            },
            &ran);
        (preview ? scope->BitBtn_previewClick() : scope->BitBtn_printClick());
        EXPECT_TRUE(ran);
        pump_until([&scope] { return scope.isNull(); }, 5000);
        EXPECT_TRUE(scope.isNull());
        EXPECT_EQ(previews, 0);
        EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes.front().text);
    }
}

}  // namespace

namespace {

TEST_F(OscxPrintScopeTest, ViewerOpensFromTheMainAndTheScopeWindows)
{
    open_window();
    main->Main_menus_update();
    ASSERT_TRUE(main->BitBtn_oscx_open->isEnabled());
    int viewers = 0;
    when_modal<TForm_Oscx_load_dat>([&viewers](TForm_Oscx_load_dat* v) {
        ++viewers;
        v->close();
    });
    main->BitBtn_oscx_openClick();
    main->BitBtn_oscxClick();
    TForm_Oscx* scope = Oscx_open_window();
    ASSERT_NE(scope, nullptr);
    scope->Timer_monitorTimer();
    EXPECT_EQ(::ui("e:BitBtn_open e:Menu_open e:BitBtn_print e:BitBtn_preview e:Menu_Stampa", scope), "1 1 1 1 1");
    when_modal<TForm_Oscx_load_dat>([&viewers](TForm_Oscx_load_dat* v) {
        ++viewers;
        v->close();
    });
    scope->BitBtn_openClick();
    EXPECT_EQ(viewers, 2);
    EXPECT_EQ(Toolwin_open(ToolWin::OscxLoadDat), nullptr);
}

}  // namespace
