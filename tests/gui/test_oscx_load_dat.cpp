// The recording viewer: what a file shows (captions, buttons, panes, scales, units), refused
// files changing nothing, the catalogue of the file's family, colours and cursor readouts.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QAction>

#include <cstring>

#include "oscx_viewer_fixture.h"
#include "scope_core/Oscx_read_recording.h"
#include "shell/Settings.h"

#include <QDir>

namespace {

uint32_t shape_colour(QFrame* f)
{
    const QColor c = f->palette().color(QPalette::Window);
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

constexpr const char* PRINT_CONTROLS =
    "e:BitBtn_print e:BitBtn_preview e:BitBtn_unzoom e:Menu_Stampa e:Menu_AnteprimadiStampa";

TEST_F(OscxViewerTest, WithoutAFileShowsTheDefaults)
{
    open_viewer();
    EXPECT_EQ(ui("t:Panel_nome_CH0 t:Panel_nome_CH1 t:Panel_nome_CH2 t:Panel_nome_CH3"),
              "Velocità Rif. Velocità Mis. Corrente Rif. Corrente Mis.");
    EXPECT_EQ(ui("e:BitBtn_print e:BitBtn_preview e:Menu_Stampa e:Menu_AnteprimadiStampa"), "0 0 0 0");
    EXPECT_EQ(ViewerPaneText[0], "Tc: 1 ms");
    EXPECT_EQ(ViewerPaneText[1].trimmed(), "File:");
    EXPECT_EQ(viewer_->windowTitle(), "Oscilloscopio");
    EXPECT_EQ(ViewerSettings.record_length, 40000u);
    EXPECT_EQ(shape_colour(viewer_->Shape_color_CH[1]), 0xFF0000u);
    EXPECT_EQ(placement_faults(viewer_.get(), QSize(1000, 680)), "");
}

TEST_F(OscxViewerTest, RefusedFilesChangeNothing)
{
    TForm_Oscx_load_dat& w = open_viewer();
    open_file(write("good.dmg", recording(settings(), samples(3))));
    ASSERT_EQ(w.chart()->Sample_count(), 3u);
    const QString caption = w.windowTitle();
    const ScopeSettingsRec before = ViewerSettings;

    std::vector<uint8_t> spoiled = recording(settings(), samples(3));
    spoiled[200] ^= 0x40;
    std::vector<uint8_t> beyond = recording(settings(), samples(40002));
    std::vector<uint8_t> count2 = recording(settings(), samples(1));
    count2[28] = 2;  // 176 bytes claiming two samples, the sum mended
    for (std::vector<uint8_t>* b : {&count2})
        b->at(0) = b->at(1) = 0;
    uint16_t sum = 0;
    OnesComplementSum(count2.data(), &sum, static_cast<uint32_t>(count2.size()));
    count2[0] = static_cast<uint8_t>(~sum & 0xFF);
    count2[1] = static_cast<uint8_t>(~sum >> 8);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {{"short.dmg", std::vector<uint8_t>(144)}, {"spoiled.dmg", spoiled}, {"beyond.dmg", beyond},
                {"count.dmg", count2}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        open_file(write(r.name, r.bytes));
        EXPECT_EQ(message_texts(), "Attenzione: File Dati Errato!!;");
        EXPECT_EQ(w.chart()->Sample_count(), 3u);
        EXPECT_EQ(w.windowTitle(), caption);
        EXPECT_EQ(std::memcmp(&ViewerSettings, &before, sizeof before), 0);
    }
    DriveFamilyRecord newer = FamilyOrvel;
    newer.version_major = 4;
    open_file(write("newer.dmg", recording(settings(), samples(1), newer)));
    EXPECT_EQ(message_texts(), "Attenzione: Dati incompatibili!;");
    EXPECT_EQ(w.chart()->Sample_count(), 3u);
}

TEST_F(OscxViewerTest, EmptyRecordingEnablesPrintingWhichFindsNothing)
{
    TForm_Oscx_load_dat& w = open_viewer();
    std::vector<uint8_t> b(145);
    b[2] = 2;
    b[18] = 3;
    uint16_t sum = 0;
    OnesComplementSum(b.data(), &sum, 145);
    b[0] = static_cast<uint8_t>(~sum & 0xFF);
    b[1] = static_cast<uint8_t>(~sum >> 8);
    open_file(write("empty.dmg", b));
    EXPECT_EQ(w.chart()->Sample_count(), 0u);
    EXPECT_EQ(ui(PRINT_CONTROLS), "1 1 1 1 1");
    w.BitBtn_printClick();  // no printer at all
    EXPECT_EQ(message_texts(), "Attenzione: Nessuna Stampante Rilevata !;");
    Print_set_printer_source(PrinterSource{{"Laser"}, 0});
    w.BitBtn_previewClick();
    EXPECT_EQ(message_texts(), "Attenzione: Nessun dato da stampare!;");
}

TEST_F(OscxViewerTest, RecordingShowsItsSettings)
{
    TForm_Oscx_load_dat& w = open_viewer();
    ScopeSettingsRec s = settings();
    s.sample_time = 1;
    s.axis_left = 2;
    s.axis_right = 3;
    s.channel[1].flags = 0x00;
    s.channel[2].flags = 0x03;
    const std::vector<double> rows = samples(3);
    open_file(write("three.dmg", recording(s, rows)));
    const Diagramx& c = *w.chart();
    ASSERT_EQ(c.Sample_count(), 3u);
    EXPECT_EQ(std::memcmp(c.Row(0), rows.data(), rows.size() * sizeof(double)), 0);
    EXPECT_EQ(ui("t:ComboBox_index_asse_y_left t:ComboBox_index_asse_y_right c:SpeedButton_CH1 c:SpeedButton_CH2"),
              "CH 3 CH 4 0 1");
    EXPECT_EQ(c.shown[1], 0);
    EXPECT_EQ(c.sample_period, 0.002);
    EXPECT_EQ(ui("c:RadioButton_scala2_fix c:RadioButton_scala2_aut e:Memo_scala_ch2_max e:Memo_scala_ch1_max"),
              "1 0 1 0");
    EXPECT_EQ(Dato_look_colour(w.Memo_scala_max[2]), 0x000000u);
    EXPECT_EQ(c.view.channels[2].fixed, 1);
    EXPECT_EQ(ViewerPaneText[0], "Tc: 2 ms");
    EXPECT_EQ(ViewerPaneText[1], "File: three.dmg");
}

TEST_F(OscxViewerTest, OutOfRangeFieldsAreClamped)
{
    TForm_Oscx_load_dat& w = open_viewer();
    ScopeSettingsRec s = settings();
    s.record_length = 0;
    s.axis_left = s.axis_right = 7;
    for (ScopeChannel& ch : s.channel)
        ch.decimals = 9;
    open_file(write("clamp.dmg", recording(s, samples(100))));
    EXPECT_EQ(w.chart()->view.record_length, 99u);
    EXPECT_EQ(w.chart()->window_end - w.chart()->window_start, 100u);
    EXPECT_EQ(ui("t:ComboBox_index_asse_y_left t:ComboBox_index_asse_y_right"), "CH 1 CH 2");
    EXPECT_EQ(ui("t:Memo_scala_ch0_max"), "0.4000");
    s.record_length = 5;
    open_file(write("short_length.dmg", recording(s, samples(3))));
    EXPECT_EQ(w.chart()->view.record_length, 10u);
}

TEST_F(OscxViewerTest, FileFamilyPicksTheCatalogueUntilClosed)
{
    TForm_Oscx_load_dat& w = open_viewer();
    ScopeSettingsRec s = settings();
    s.channel[0].signal_code = 22;
    open_file(write("pelsan.dmg", recording(s, samples(2), FamilyPelsan)));
    EXPECT_EQ(w.windowTitle(), "Oscilloscopio [PELSAN]");
    EXPECT_EQ(ui("t:Panel_nome_CH0"), "Output: 2");
    EXPECT_EQ(ScopeSignalTable.entries, ScopeCataloguePelsan);
    open_file(write("orvel.dmg", recording(s, samples(2), FamilyOrvel)));
    EXPECT_EQ(w.windowTitle(), "Oscilloscopio [ORVEL]");
    EXPECT_EQ(ui("t:Panel_nome_CH0"), "Segnale Null");
    open_file(write("pelsan.dmg", recording(s, samples(2), FamilyPelsan)));
    w.close();
    EXPECT_EQ(w.chart(), nullptr);
    EXPECT_EQ(ScopeSignalTable.entries, ScopeCatalogueOrvel);
    EXPECT_EQ(ScopeSignalTable.count, 107);
}

TEST_F(OscxViewerTest, UnitsFollowTheRecordedMotorType)
{
    open_viewer();
    ScopeSettingsRec s = settings();
    s.channel[0].signal_code = 1;
    open_file(write("linear.dmg", recording(s, samples(2), FamilyOrvel, 1)));
    EXPECT_EQ(ui("t:Panel_cursor0_nome"), "Velocità Rif. [mm/s]");
    open_file(write("rotary.dmg", recording(s, samples(2), FamilyOrvel, 0)));
    EXPECT_EQ(ui("t:Panel_cursor0_nome t:Panel_scala0_nome"), "Velocità Rif. [rpm] Velocità Rif. [rpm]");
    EXPECT_EQ(ui("t:Panel_cursor_time_nome"), "Time [s]");
}

TEST_F(OscxViewerTest, CursorReadouts)
{
    TForm_Oscx_load_dat& w = open_viewer();
    const auto readouts = [&w] {
        std::vector<QLabel*> all;
        for (auto& row : w.Panel_cursor_y)
            all.insert(all.end(), std::begin(row), std::end(row));
        all.insert(all.end(), std::begin(w.Panel_cursor_time), std::end(w.Panel_cursor_time));
        return all;
    };
    ASSERT_EQ(readouts().size(), 15u);
    for (QLabel* l : readouts()) {
        EXPECT_EQ(l->text(), "-----") << l->objectName().toStdString();
        EXPECT_EQ(l->palette().color(QPalette::WindowText), clGray);
    }
    open_file(write("long.dmg", recording(settings(), samples(1001))));
    w.CheckBox_cursor_asseT->click();
    EXPECT_EQ(ui("t:Panel_cursor_time_t1 t:Panel_cursor_time_t2 t:Panel_cursor_time_dt"),
              "0.2500000 0.7500000 -0.5000000");
    EXPECT_EQ(w.Panel_cursor_time[0]->palette().color(QPalette::WindowText), clBlack);
    EXPECT_EQ(w.Panel_cursor_y[0][0]->text(), "-----");
}

TEST_F(OscxViewerTest, ColourDialog)
{
    TForm_Oscx_load_dat& w = open_viewer();
    std::optional<uint32_t> answer = 0x00FF00;
    uint32_t asked = 0;
    Colordlg_set_sink([&](uint32_t initial) {
        asked = initial;
        return answer;
    });
    w.SpeedButton_color_CH[1]->click();
    EXPECT_EQ(asked, 0xFF0000u);
    EXPECT_EQ(ViewerSettings.channel[1].colour, 0x00FF00u);
    for (QFrame* f : {w.Shape_color_CH[1], w.Shape_cursor[1], w.Shape_scala[1]})
        EXPECT_EQ(shape_colour(f), 0x00FF00u) << f->objectName().toStdString();
    EXPECT_EQ(w.chart()->colours[1], 0x00FF00u);
    answer.reset();
    w.SpeedButton_color_CH[1]->click();
    EXPECT_EQ(ViewerSettings.channel[1].colour, 0x00FF00u);
    EXPECT_EQ(w.chart()->colours[1], 0x00FF00u);
}

}  // namespace

namespace {

TEST_F(OscxViewerTest, CaptionsFollowTheLanguage)
{
    LanguageIndex = 1;
    open_viewer();
    EXPECT_EQ(ui("t:TForm_Oscx_load_dat t:CheckBox_cursor_asseY t:Panel_left_axis t:RadioButton_scala0_fix"),
              "Scope Cursors Axis Y Left Axis Fixed");
    EXPECT_EQ(viewer_->PageControl_scope->tabText(1), "Scale");
    EXPECT_EQ(viewer_->Menu_Chiudi->text(), "Close");
    LanguageIndex = 2;
    open_viewer();
    EXPECT_EQ(viewer_->BitBtn_preview->toolTip(), QString::fromUtf8("Aperçu avant Impression"));
    EXPECT_EQ(viewer_->PageControl_scope->tabText(1), QString::fromUtf8("Échelle"));
    // The tool buttons read as the scope's tool bar; the menus and the 1:1 button's tip.
    const struct {
        uint8_t language;
        const char* buttons;
        const char* menus;  // open, close, print menu, print, preview
        const char* unzoom_tip;
    } rows[] = {{0, "Apri Stampa Anteprima Stampa", "Apri|Chiudi|Stampa|Stampa|Anteprima Stampa", "Ripristina Grafico"},
                {1, "Open Print Print Preview", "Open|Close|Print|Print|Print Preview", "Refresh Graphic"},
                {2, "Ouvrir Imprimer Aperçu avant Impression",
                 "Ouvrir|Fermer|Imprimer|Imprimer|Aperçu avant Impression", "Actualiser Graphique"}};
    for (const auto& r : rows) {
        LanguageIndex = r.language;
        TForm_Oscx_load_dat& w = open_viewer();
        EXPECT_EQ(ui("t:BitBtn_open t:BitBtn_print t:BitBtn_preview"), r.buttons);
        QStringList menus;
        for (const QAction* a : {w.Menu_open, w.Menu_Chiudi, w.Menu_Printx, w.Menu_Stampa, w.Menu_AnteprimadiStampa})
            menus << a->text();
        EXPECT_EQ(menus.join('|'), QString::fromUtf8(r.menus));
        EXPECT_EQ(w.BitBtn_unzoom->text(), "1:1");
        EXPECT_EQ(w.BitBtn_unzoom->toolTip(), QString::fromUtf8(r.unzoom_tip));
    }
}

}  // namespace

namespace {

// The colour a swatch fills itself with (its background role), 0x00BBGGRR; 1 << 24 when it does
// not fill itself.
uint32_t fill_colour(const QFrame* f)
{
    if (!f->autoFillBackground())
        return 1u << 24;
    const QColor c = f->palette().color(f->backgroundRole());
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

// After a recording is loaded the swatches beside the channel buttons, on the Cursors tab and on
// the Scale tab show each channel's colour.
TEST_F(OscxViewerTest, SwatchesShowTheRecordedColours)
{
    TForm_Oscx_load_dat& w = open_viewer();
    ScopeSettingsRec s = settings();
    const uint32_t colours[SCOPE_CHANNELS] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808000};
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
        s.channel[c].colour = colours[c];
    open_file(write("colours.dmg", recording(s, samples(3))));
    for (unsigned c = 0; c < SCOPE_CHANNELS; ++c)
        for (const QFrame* f : {w.Shape_color_CH[c], w.Shape_cursor[c], w.Shape_scala[c]})
            EXPECT_EQ(fill_colour(f), colours[c]) << f->objectName().toStdString();
}

}  // namespace

namespace {

// Open starts in the program's folder of the user's documents, as the scope's Save does.
TEST_F(OscxViewerTest, OpenStartsInTheProgramsDocumentsFolder)
{
    TForm_Oscx_load_dat& w = open_viewer();
    const std::filesystem::path saved = StartFolder;
    StartFolder = QDir(QDir::tempPath()).absolutePath().toStdString();
    std::vector<QString> folders;
    Filedlg_set_sink([&](const FileDialogSpec& spec) {
        folders.push_back(spec.folder);
        return QString();
    });
    w.BitBtn_openClick();
    const std::filesystem::path asked = StartFolder;
    StartFolder = saved;
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].toStdString(), asked.string());
}

}  // namespace
