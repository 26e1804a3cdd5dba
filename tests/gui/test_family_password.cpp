// The drive family switch (menu, connected drive, page trees, open family page) and the password
// dialog with the effects of the access bits.
#include "control_fixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidgetItemIterator>

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Versoftw.h"
#include "shell/Password.h"

using namespace controltest;

namespace {

int items_of(QTreeWidget* tree, const PageNode* node)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        n += PageNodeOf(*it) == node;
    return n;
}

const PageNode* parent_of(QTreeWidget* tree, const PageNode* node)
{
    QTreeWidgetItem* item = FindPageNode(tree, node);
    return item != nullptr ? PageNodeOf(item->parent()) : nullptr;
}

QByteArray settings_bytes()
{
    QFile f(SETTINGS_FILE_NAME);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

using Family = ControlTest;

}  // namespace

TEST_F(Family, OnlyTheOtherFamilysDriveSwitchesAndTheMenuSwitchesBackPastAnOpenFanPage)
{
    CommandLine = SERVICE_SWITCH;  // Reserved Setup, where the fan page goes
    auto fan_page = CountingNode::make<5>(PageNode_fan_ctrl);
    open_controlled();
    QTreeWidget* tree = main->TreeView_menu;
    QTreeWidget archive;
    InitPageTree(&archive, DrivePageRoots, 1);
    const QByteArray saved = settings_bytes();
    for (uint32_t id : {0x12345u, DRIVE_TYPE_ORVEL}) {
        DriveDeviceId.store(id);
        main->Main_family_from_drive();
        EXPECT_FALSE(Settings_second_family()) << std::hex << id;
    }
    EXPECT_EQ(items_of(tree, &PageNode_fan_ctrl) + items_of(tree, &PageNode_resistenza_fren), 0);

    DriveDeviceId.store(DRIVE_TYPE_PELSAN);
    main->Main_family_from_drive();
    EXPECT_TRUE(Settings_second_family());
    EXPECT_EQ(ui("c:Menu_PELSAN1 c:Menu_ORVEL1"), "1 0");
    EXPECT_EQ(parent_of(tree, &PageNode_resistenza_fren), &PageNode_setup_avanzato);
    QTreeWidgetItem* advanced = FindPageNode(tree, &PageNode_setup_avanzato);
    EXPECT_EQ(PageNodeOf(advanced->child(advanced->childCount() - 1)), &PageNode_resistenza_fren);
    EXPECT_EQ(parent_of(tree, &PageNode_fan_ctrl), &PageNode_taglia_drive);
    EXPECT_EQ(items_of(&archive, &PageNode_resistenza_fren), 1);  // the archive's tree follows
    EXPECT_TRUE(main->windowTitle().contains("[PELSAN] "));
    EXPECT_EQ(CurrentFamily, &FamilyPelsan);
    EXPECT_EQ(CurrentSizeTable.get().src, SizeTablePelsan.src);
    const IoGeometry& g = main->IoGeometryOutput;
    EXPECT_EQ(main->Image_Output->image().height(), 3 * g.row_height + 1);
    EXPECT_EQ(settings_bytes(), saved) << "a drive's family is not saved";

    // The checked item again: applied again, nothing added twice; the fan page open, the menu back
    // to the first family closes it first.
    main->Menu_PELSAN1->trigger();
    EXPECT_NE(settings_bytes(), saved) << "the menu saves";
    EXPECT_EQ(items_of(tree, &PageNode_fan_ctrl), 1);
    tree->setCurrentItem(FindPageNode(tree, &PageNode_fan_ctrl));
    ASSERT_EQ(CurrentPageNode[0], &PageNode_fan_ctrl);
    page_calls().log.clear();
    main->Menu_ORVEL1->trigger();
    EXPECT_FALSE(Settings_second_family());
    EXPECT_EQ(items_of(tree, &PageNode_fan_ctrl) + items_of(tree, &PageNode_resistenza_fren), 0);
    EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0));
    EXPECT_EQ(CurrentPageNode[0], PageNodeOf(tree->topLevelItem(0)));
    ASSERT_FALSE(page_calls().log.empty());
    EXPECT_EQ(page_calls().log.front(), "D5/0");
    EXPECT_TRUE(main->windowTitle().contains("[ORVEL] "));
    EXPECT_EQ(main->Image_Output->image().height(), 2 * g.row_height + 1);
    EXPECT_EQ(settings_bytes(), saved) << "the menu saves the first family again";
}

TEST_F(Family, TheScopeCatalogueFollowsTheFamilyAndAnOpenScopeIsRefreshed)
{
    open_controlled();
    static ScopeSignal first[2]{};
    static ScopeSignal second[3]{};
    static int refreshed = 0;
    refreshed = 0;
    const ScopeSignalTableRec saved_table = ScopeSignalTable;
    ScopeFamilyCatalogue[0] = {first, 2};
    ScopeFamilyCatalogue[1] = {second, 3};
    ScopeEntries.apply_channels = [] { ++refreshed; };

    main->Menu_PELSAN1->trigger();
    EXPECT_EQ(ScopeSignalTable.entries, second);
    EXPECT_EQ(ScopeSignalTable.count, 3);
    EXPECT_EQ(refreshed, 0);  // no scope window

    Toolwin_register(ToolWin::Oscx, [](QWidget* p) { return new QWidget(p); });
    Toolwin_create(ToolWin::Oscx, main.get());
    main->Menu_ORVEL1->trigger();
    EXPECT_EQ(ScopeSignalTable.entries, first);
    EXPECT_EQ(refreshed, 1);

    ScopeFamilyCatalogue[0] = {};
    ScopeFamilyCatalogue[1] = {};
    ScopeEntries.apply_channels = nullptr;
    main->Menu_PELSAN1->trigger();
    EXPECT_EQ(ScopeSignalTable.entries, first);  // no catalogue: the current one stays
    ScopeSignalTable = saved_table;
}

// ---- password dialog ----

namespace {

class PasswordTest : public ControlTest {
protected:
    // Enters a text and presses OK; the result of the dialog afterwards.
    int enter(const QString& text)
    {
        TForm_Password dlg(main.get());
        EXPECT_EQ(Form_Password.data(), &dlg);
        dlg.Password->setText(text);
        dlg.BitBtn1->click();
        EXPECT_EQ(dlg.Password->text(), "");
        return dlg.result();
    }

    // Types a text into the entry with key events, holding Shift over each run of capitals.
    static void type(QLineEdit* entry, const QString& text)
    {
        bool shift = false;
        for (const QChar c : text) {
            const bool capital = c.isUpper();
            if (capital != shift)
                capital ? QTest::keyPress(entry, Qt::Key_Shift) : QTest::keyRelease(entry, Qt::Key_Shift);
            shift = capital;
            QTest::keyClick(entry, c.toLatin1(), capital ? Qt::ShiftModifier : Qt::NoModifier);
        }
        if (shift)
            QTest::keyRelease(entry, Qt::Key_Shift);
    }
};

}  // namespace

TEST_F(PasswordTest, WrongTextsAreReportedAndRaiseNothing)
{
    open_controlled();
    const QString wrong[] = {"qwt4821", "QWT4821 ", " QWT4821", "", "QWT48210", "0729\n",
                             QString::fromUtf8("QWT4821é"), QString(5000, 'Q')};
    for (const QString& text : wrong) {
        boxes.clear();
        EXPECT_EQ(enter(text), QDialog::Rejected);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Incorrect Password !");
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
        EXPECT_EQ(AccessFlags, 0);
    }
    EXPECT_EQ(ui("v:FlashWrite v:Menu_Monitor"), "0 0");
}

TEST_F(PasswordTest, ServicePasswordAddsReservedSetupOnceAndTheMonitorMenu)
{
    open_controlled();
    QTreeWidget* tree = main->TreeView_menu;
    ASSERT_EQ(items_of(tree, &PageNode_taglia_drive), 0);
    EXPECT_EQ(enter("QWT4821"), QDialog::Accepted);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Correct Password !");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Information);
    EXPECT_EQ(AccessFlags, Access::Reserved);
    EXPECT_EQ(items_of(tree, &PageNode_taglia_drive), 1);
    EXPECT_TRUE(FindPageNode(tree, &PageNode_taglia_drive)->isExpanded());
    EXPECT_EQ(items_of(tree, &PageNode_fan_ctrl), 0);  // first family
    EXPECT_EQ(ui("v:Menu_Monitor v:FlashWrite"), "1 0");

    EXPECT_EQ(enter("QWT4821"), QDialog::Accepted);
    EXPECT_EQ(items_of(tree, &PageNode_taglia_drive), 1);
    EXPECT_EQ(boxes.back().text, "Correct Password !");
}

TEST_F(PasswordTest, FlashAndRemotePasswordsUnlockOnlyTheirItems)
{
    open_controlled();
    EXPECT_EQ(enter("KPZRN7364"), QDialog::Accepted);
    EXPECT_EQ(AccessFlags, Access::FlashWrite);
    EXPECT_EQ(ui("v:FlashWrite e:FlashWrite v:Menu_Monitor"), "1 0 0");  // no firmware window yet
    EXPECT_EQ(items_of(main->TreeView_menu, &PageNode_taglia_drive), 0);

    Toolwin_register(ToolWin::FlashSH, [](QWidget* p) { return new QDialog(p); });
    enter("KPZRN7364");
    EXPECT_TRUE(main->FlashWrite->isEnabled());

    link_ready(BusTypeId::Canopen, BIT9);
    main->UpdateCommandButtons(1);
    EXPECT_FALSE(main->SpeedButton_bus_remote->isEnabled());
    EXPECT_EQ(enter("0729"), QDialog::Accepted);
    EXPECT_EQ(AccessFlags, Access::FlashWrite | Access::Remote);
    EXPECT_FALSE(main->SpeedButton_bus_remote->isEnabled());  // until the next ready tick
    main->UpdateCommandButtons(1);
    EXPECT_TRUE(main->SpeedButton_bus_remote->isEnabled());
}

TEST_F(PasswordTest, TheThreePasswordsTypedWithShiftForTheCapitalsAreAccepted)
{
    open_controlled();
    const struct {
        const char* text;
        uint8_t bit;
    } cases[] = {{"QWT4821", Access::Reserved}, {"KPZRN7364", Access::FlashWrite}, {"0729", Access::Remote}};
    for (const auto& c : cases) {
        boxes.clear();
        TForm_Password dlg(main.get());
        dlg.show();
        type(dlg.Password, c.text);
        QTest::keyClick(dlg.Password, Qt::Key_Return);  // the default button
        EXPECT_EQ(dlg.result(), QDialog::Accepted) << c.text;
        ASSERT_EQ(boxes.size(), 1u) << c.text;
        EXPECT_EQ(boxes[0].text, "Correct Password !") << c.text;
        EXPECT_TRUE(AccessFlags & c.bit) << c.text;
    }
}

TEST_F(PasswordTest, AKeyOnTheDialogEmptiesTheEntryBarModifiersAndCancelChangesNothing)
{
    open_controlled();
    TForm_Password dlg(main.get());
    const struct {
        Qt::Key key;
        const char* left;
    } cases[] = {{Qt::Key_Shift, "QWT48"},   {Qt::Key_Control, "QWT48"}, {Qt::Key_Alt, "QWT48"},
                 {Qt::Key_AltGr, "QWT48"},   {Qt::Key_Meta, "QWT48"},    {Qt::Key_Super_L, "QWT48"},
                 {Qt::Key_Super_R, "QWT48"}, {Qt::Key_CapsLock, "QWT48"}, {Qt::Key_A, ""},
                 {Qt::Key_1, ""},            {Qt::Key_Delete, ""}};
    for (const auto& c : cases) {
        dlg.Password->setText("QWT48");
        QTest::sendKeyEvent(QTest::Press, &dlg, c.key, QString(), Qt::NoModifier);  // also keys QTest cannot click
        EXPECT_EQ(dlg.Password->text(), c.left) << c.key;
    }
    dlg.Password->setText("nope");
    dlg.BitBtn1->click();
    dlg.BitBtn2->click();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(AccessFlags, 0);
    EXPECT_EQ(dlg.windowTitle(), "Password Dialog");
}
