// Page hosting through the page nodes, the window caption, the language switch and the small
// helpers for the pages.
#include "main_fixture.h"

#include "shell/Password.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QScrollArea>
#include <QSplitter>
#include <QTest>
#include <QTreeWidgetItemIterator>

using namespace maintest;

namespace {

void click_item(QTreeWidget* tree, QTreeWidgetItem* item)
{
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

QTreeWidgetItem* item_of(QTreeWidget* tree, const PageNode& node)
{
    return FindPageNode(tree, &node);
}

std::vector<std::string> log_since(std::size_t from)
{
    const auto& log = page_calls().log;
    return std::vector<std::string>(log.begin() + static_cast<long>(std::min(from, log.size())), log.end());
}

uint8_t language_byte_in_file()
{
    QFile f(SETTINGS_FILE_NAME);
    if (!f.open(QIODevice::ReadOnly))
        return 0xFF;
    const QByteArray b = f.readAll();
    return b.size() == 593 ? static_cast<uint8_t>(b[1 + 276]) : 0xFE;
}

// Inside every ancestor's rectangle up to the window: nothing of it is cut off.
bool unclipped(const QWidget* w)
{
    if (!w->isVisible() || w->width() <= 0 || w->height() <= 0)
        return false;
    for (const QWidget* a = w->parentWidget(); a != nullptr; a = a->parentWidget()) {
        if (!a->rect().contains(QRect(w->mapTo(a, QPoint(0, 0)), w->size())))
            return false;
        if (a->isWindow())
            break;
    }
    return true;
}

// Rows of the tree whose whole height lies in its viewport.
int whole_rows(QTreeWidget* tree)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QRect r = tree->visualItemRect(*it);
        n += r.isValid() && r.top() >= 0 && r.bottom() < tree->viewport()->height();
    }
    return n;
}

}  // namespace

using MainPages = MainWindowTest;

TEST_F(MainPages, ClickingTheOpenNodeCreatesNothingSwitchingDestroysFirst)
{
    open_window();
    QTreeWidget* tree = main->TreeView_menu;
    ASSERT_EQ(page_calls().log, (std::vector<std::string>{"C1/0", "L1/0"}));
    QPointer<QWidget> first_frame = page_frame<1>(0);

    click_item(tree, item_of(tree, PageNode_field_bus));
    pump_for(20);
    EXPECT_EQ(page_calls().log.size(), 2u);
    EXPECT_TRUE(first_frame);

    const std::size_t mark = page_calls().log.size();
    click_item(tree, item_of(tree, PageNode_motore));
    pump_for(20);
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{"D1/0", "C2/0"}));
    EXPECT_FALSE(first_frame);
    EXPECT_EQ(CurrentPageNode[0], &PageNode_motore);
    ASSERT_TRUE(page_frame<2>(0));
    EXPECT_TRUE(main->ScrollBox_Menu->isAncestorOf(page_frame<2>(0)));

    // A programmatic selection reaches the page too.
    const std::size_t mark2 = page_calls().log.size();
    tree->setCurrentItem(item_of(tree, PageNode_field_bus));
    EXPECT_EQ(log_since(mark2), (std::vector<std::string>{"D2/0", "C1/0"}));
    EXPECT_EQ(page_calls().live, 1);

    // A node without a create entry point opens nothing, but the old page is left.
    const std::size_t mark3 = page_calls().log.size();
    tree->setCurrentItem(item_of(tree, PageNode_setup_avanzato));
    EXPECT_EQ(log_since(mark3), std::vector<std::string>{"D1/0"});
    EXPECT_EQ(CurrentPageNode[0], &PageNode_setup_avanzato);
    EXPECT_EQ(page_calls().live, 0);
}

TEST_F(MainPages, LanguageSwitchRewritesTheWindowsAndThePageAndSavesAtOnce)
{
    open_window();
    const std::size_t mark = page_calls().log.size();
    const struct {
        QAction* TForm_main::*item;
        uint8_t index;
        const char* title;
        const char* tree_top;
        const char* alarms_title;
        const char* cancel;  // Qt's standard button
    } cases[] = {{&TForm_main::Menu_Francese, 2, "Pendrix[ORVEL] Version: 3.20", "Bus de Terrain", "ÉTAT SYSTÈME", "Annuler"},
                 {&TForm_main::Menu_Italiano, 0, "Pendrix[ORVEL] Versione: 3.20", "Bus di Campo", nullptr, "Annulla"},
                 {&TForm_main::Menu_Inglese, 1, "Pendrix[ORVEL] Version: 3.20", "Field Bus", nullptr, "Cancel"}};
    for (const auto& c : cases) {
        (main.get()->*c.item)->trigger();
        EXPECT_EQ(LanguageIndex, c.index);
        EXPECT_EQ(language_byte_in_file(), c.index);
        EXPECT_TRUE((main.get()->*c.item)->isChecked());
        EXPECT_EQ(main->windowTitle(), QString::fromUtf8(c.title));
        EXPECT_EQ(main->TreeView_menu->topLevelItem(0)->text(0), QString::fromUtf8(c.tree_top));
        if (c.alarms_title) {
            EXPECT_EQ(Form_allarmi->windowTitle(), QString::fromUtf8(c.alarms_title));
        }
        QDialogButtonBox box(QDialogButtonBox::Cancel);
        EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), c.cancel);
        EXPECT_EQ(TForm_Password(main.get()).BitBtn2->text().toStdString(), c.cancel);
    }
    EXPECT_FALSE(main->Menu_Francese->isChecked());
    EXPECT_EQ(log_since(mark), (std::vector<std::string>{"L1/0", "L1/0", "L1/0"}));
}

// The tree takes what the monitor panels leave: at the default size it shows at least 8 rows while
// every monitor value, input and output row stays whole; the splitter moves the boundary.
TEST_F(MainPages, DefaultSizeShowsEightTreeRowsAndEveryMonitorRowAndTheSplitterMovesTheBoundary)
{
    open_window();
    main->TreeView_menu->expandAll();
    main->resize(800, 560);
    pump_for(50);
    ASSERT_EQ(main->size(), QSize(800, 560));
    const auto monitor_whole = [this] {
        std::string cut;
        for (const char* name :
             {"Panel_taglia_drive", "Panel_crtl_type", "Panel_speed", "Panel_vel_unit_mis", "Panel_corr", "Panel_radtemp",
              "Panel_giri", "Panel_offset_giro", "Panel_pos_unit_mis", "Panel_pos_mis", "Panel_Image_Input",
              "Panel_Image_Output"}) {
            auto* w = main->findChild<QWidget*>(name);
            if (w == nullptr || !unclipped(w))
                cut += std::string(" ") + name;
        }
        return cut;
    };
    EXPECT_EQ(monitor_whole(), "");
    EXPECT_GE(main->Panel_Image_Input->height(), 6 * main->IoGeometryInput.row_height + 1);
    EXPECT_GE(main->Panel_Image_Output->height(), 2 * main->IoGeometryOutput.row_height + 1);
    const int rows = whole_rows(main->TreeView_menu);
    EXPECT_GE(rows, 8);

    // Dragging the splitter's handle up gives the height to the monitor side.
    QSplitter* splitter = main->Splitter_menu_monitor;
    QWidget* handle = splitter->handle(1);
    const int tree_height = main->TreeView_menu->height();
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip - QPoint(0, 60));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip - QPoint(0, 60));
    pump_for(20);
    EXPECT_EQ(main->TreeView_menu->height(), tree_height - 60);
    EXPECT_LT(whole_rows(main->TreeView_menu), rows);
    EXPECT_EQ(monitor_whole(), "");
}

TEST_F(MainPages, CaptionFollowsTheFamily)
{
    open_window();
    SettingsBlock.flags |= SettingsFlag::FamilyPelsan;
    main->ApplyCaptionAndVersion();
    EXPECT_EQ(main->windowTitle(), "Pendrix[PELSAN] Version: 3.20");
    EXPECT_EQ(main->Menu_Ver_Drive->text(), "Pelsan Drive");
    SettingsBlock.flags &= static_cast<uint8_t>(~SettingsFlag::FamilyPelsan);
}

TEST(MainPageHelpers, CheckBoxOnOffLabel)
{
    gui_app();
    QCheckBox box;
    QLabel label;
    Main_set_check_on_off(&box, &label, true);
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(label.text(), "On");
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0xFF, 0x00, 0x00));
    Main_set_check_on_off(&box, &label, false);
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(label.text(), "Off");
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0x80, 0x80, 0x80));

    box.setChecked(true);
    EXPECT_EQ(Main_get_check_on_off(&box, &label), 1);
    EXPECT_EQ(label.text(), "On");
    box.setChecked(false);
    EXPECT_EQ(Main_get_check_on_off(&box, &label), 0);
    EXPECT_EQ(label.text(), "Off");
}

TEST(MainPageHelpers, DateTextUsesTheLocaleSeparator)
{
    const QDate date(2024, 3, 7);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Main_date_text(date), "07.03.2024");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(Main_date_text(date), "07/03/2024");
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    EXPECT_EQ(Main_date_text(QDate(987, 12, 31)), "31-12-987");
    QLocale::setDefault(QLocale::c());  // "d MMM yyyy": no separator in the format
    EXPECT_EQ(Main_date_text(date), "07/03/2024");
    QLocale::setDefault(QLocale::system());
}
