#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include <QPixmap>
#include <QStringList>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "gui_app.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Treectrl.h"

namespace {

QStringList top_texts(QTreeWidget& tree)
{
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out << tree.topLevelItem(i)->text(0);
    return out;
}

QStringList child_texts(QTreeWidgetItem* item)
{
    QStringList out;
    for (int i = 0; item && i < item->childCount(); ++i)
        out << item->child(i)->text(0);
    return out;
}

// Every item as depth + text, in tree order.
QStringList whole_tree(QTreeWidget& tree)
{
    QStringList out;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        out << QString(depth, '.') + (*it)->text(0);
    }
    return out;
}

int count_items(QTreeWidget& tree, const PageNode* node)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        n += PageNodeOf(*it) == node;
    return n;
}

void set_bus(uint8_t slot, uint16_t bus)
{
    Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, bus);
}

class PageTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        LanguageIndex = 1;
        AccessFlags = 0;
        SettingsBlock.flags = 0;
        set_bus(0, 0);
        set_bus(1, 0);
    }
    void TearDown() override
    {
        AccessFlags = 0;
        SettingsBlock.flags = 0;
        ImageList_tree.clear();
        CurrentPageNode[0] = nullptr;
    }
    void init(uint16_t bus)
    {
        set_bus(0, bus);
        InitPageTree(&tree_, DrivePageRoots, 0);
    }
    QTreeWidget tree_;
};

TEST_F(PageTree, NoAccessIoBus)
{
    init(0);
    EXPECT_EQ(top_texts(tree_), (QStringList{"Field Bus", "Motor Data", "Advanced Setup", "Control Set"}));
    EXPECT_EQ(child_texts(tree_.topLevelItem(3)), (QStringList{"Digital Input", "Factors", "Position Setting",
                                                               "Main Speed", "Torque", "GearBox Mode"}));
    EXPECT_EQ(child_texts(tree_.topLevelItem(2)),
              (QStringList{"Speed Regulator", "Current Regulator", "Position Regulator", "Alarm Memory", "Alarm Mode",
                           "Limit", "Notch Filter", "Iq Filter", "Output"}));
    EXPECT_EQ(child_texts(FindPageNode(&tree_, &PageNode_mdb_input)), QStringList{"Filter Inputs"});
    EXPECT_EQ(BuiltBusType[0], 0);
    EXPECT_EQ(PageTreeOf(0), &tree_);
    EXPECT_EQ(tree_.currentItem(), tree_.topLevelItem(0));
    EXPECT_EQ(PageNodeOf(tree_.topLevelItem(0)), &PageNode_field_bus);
    EXPECT_EQ(count_items(tree_, &PageNode_mdb_speed_main), 1);  // the fixed part's copy went
}

TEST_F(PageTree, AccessAndCanopenOrder)
{
    AccessFlags = Access::Reserved;
    init(2);
    EXPECT_EQ(top_texts(tree_), (QStringList{"Field Bus", "Motor Data", "Advanced Setup", "CanOpen DS301",
                                             "CanOpen 402", "Reserved Setup"}));
    EXPECT_EQ(child_texts(tree_.topLevelItem(3)),
              (QStringList{"Comunication Dats", "Alarms", "RPDO Map", "TPDO Map"}));
    EXPECT_EQ(child_texts(tree_.topLevelItem(4)).size(), 12);
    EXPECT_EQ(child_texts(tree_.topLevelItem(5)), (QStringList{"I2t Test", "Voltage Threshold"}));  // first family
}

TEST_F(PageTree, UnknownBusTypeAndRepeatedBuild)
{
    init(3);
    EXPECT_EQ(top_texts(tree_), (QStringList{"Field Bus", "Motor Data", "Advanced Setup"}));
    EXPECT_EQ(BuiltBusType[0], 3);
    const QStringList before = whole_tree(tree_);
    QTreeWidgetItem* first = tree_.topLevelItem(0);
    std::memset(PageStateArea, 0, sizeof PageStateArea);
    BuildPageTree(0);
    EXPECT_EQ(whole_tree(tree_), before);
    EXPECT_EQ(tree_.topLevelItem(0), first);
    EXPECT_EQ(PageStateArea[0], 0);  // no rebuild, no reset
}

TEST_F(PageTree, BusTypeFFFFStillBuildsOnce)
{
    init(0xFFFF);
    EXPECT_EQ(top_texts(tree_), (QStringList{"Field Bus", "Motor Data", "Advanced Setup"}));
    EXPECT_EQ(FindPageNode(&tree_, &PageNode_mdb_speed_main), nullptr);
}

TEST_F(PageTree, ModbusToCanopenReplacesTheBusPagesQuietly)
{
    init(1);
    QTreeWidgetItem* modbus = FindPageNode(&tree_, &PageNode_mdb_stm);
    ASSERT_NE(modbus, nullptr);
    EXPECT_EQ(child_texts(modbus),
              (QStringList{"Control", "Control Set", "Control Setting", "Digital Input", "Factors",
                           "Position Setting", "Position", "Main Speed", "GearBox Mode", "Torque"}));
    EXPECT_EQ(child_texts(FindPageNode(&tree_, &PageNode_mdb_pos)).size(), 4);

    tree_.setCurrentItem(FindPageNode(&tree_, &PageNode_mdb_ctrl_var));
    CurrentPageNode[0] = &PageNode_mdb_ctrl_var;
    int changes = 0;
    QObject::connect(&tree_, &QTreeWidget::currentItemChanged, [&] { ++changes; });
    std::memset(PageStateArea, 0, sizeof PageStateArea);

    set_bus(0, 2);
    BuildPageTree(0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(CurrentPageNode[0], &PageNode_mdb_ctrl_var);
    for (const PageNode* gone : {&PageNode_mdb_stm, &PageNode_mdb_control, &PageNode_mdb_ctrl_var,
                                 &PageNode_mdb_pos_jog, &PageNode_mdb_input})
        EXPECT_EQ(FindPageNode(&tree_, gone), nullptr);
    EXPECT_EQ(top_texts(tree_),
              (QStringList{"Field Bus", "Motor Data", "Advanced Setup", "CanOpen DS301", "CanOpen 402"}));
    EXPECT_EQ(count_items(tree_, &PageNode_input_flt), 1);
    for (uint8_t b : PageStateArea)
        EXPECT_EQ(b, 0xFF);
}

TEST_F(PageTree, ArchiveContextHasNoAlarmMemory)
{
    init(0);
    EXPECT_NE(FindPageNode(&tree_, &PageNode_mem_alarm), nullptr);
    auto archive = std::make_unique<QTreeWidget>();
    set_bus(1, 1);
    InitPageTree(archive.get(), DrivePageRoots, 1);
    EXPECT_EQ(PageTreeOf(1), archive.get());
    EXPECT_EQ(FindPageNode(archive.get(), &PageNode_mem_alarm), nullptr);
    EXPECT_EQ(child_texts(archive->topLevelItem(2)).size(), 8);
    EXPECT_NE(FindPageNode(archive.get(), &PageNode_mdb_stm), nullptr);
    EXPECT_EQ(BuiltBusType[1], 1);
    archive.reset();
    EXPECT_EQ(PageTreeOf(1), nullptr);
    set_bus(1, 2);
    BuildPageTree(1);  // no archive tree: nothing happens
    EXPECT_EQ(BuiltBusType[1], 1);
}

TEST_F(PageTree, FamilyPagesOnlyForTheSecondFamily)
{
    AccessFlags = Access::Reserved;
    SettingsBlock.flags = SettingsFlag::FamilyPelsan;
    init(0);
    QTreeWidgetItem* advanced = FindPageNode(&tree_, &PageNode_setup_avanzato);
    EXPECT_EQ(child_texts(advanced).last(), "Braking resistor");
    EXPECT_EQ(child_texts(FindPageNode(&tree_, &PageNode_taglia_drive)).last(), "Fan");

    Tree_apply_family_pages(&tree_, true);
    EXPECT_EQ(count_items(tree_, &PageNode_resistenza_fren), 1);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 1);

    Tree_apply_family_pages(&tree_, false);
    EXPECT_EQ(count_items(tree_, &PageNode_resistenza_fren), 0);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 0);

    AccessFlags = 0;  // without Reserved Setup in the tree the fan has no parent
    init(0);
    Tree_apply_family_pages(&tree_, true);
    EXPECT_EQ(count_items(tree_, &PageNode_resistenza_fren), 1);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 0);
}

TEST_F(PageTree, ReservedPagesAddedLater)
{
    init(1);
    EXPECT_EQ(FindPageNode(&tree_, &PageNode_taglia_drive), nullptr);
    AccessFlags = Access::Reserved;
    uint16_t depth = 0;
    QTreeWidgetItem* added = AddPageNodes(&tree_, ReservedPageRoots, nullptr, &depth, 0);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(added, tree_.topLevelItem(tree_.topLevelItemCount() - 1));
    EXPECT_EQ(added->text(0), "Reserved Setup");
    EXPECT_EQ(added->childCount(), 3);
}

TEST_F(PageTree, NodeTableTextsAndIcons)
{
    std::set<const PageNode*> distinct(std::begin(PageNodeTable), std::end(PageNodeTable));
    EXPECT_EQ(distinct.size(), 60u);
    for (const PageNode* n : PageNodeTable) {
        EXPECT_EQ(n->PageCreate, nullptr);
        EXPECT_EQ(n->PageSetAccess, nullptr);
        EXPECT_EQ(n->PageGetSize, nullptr);
    }
    EXPECT_STREQ(PageNodeText(&PageNode_cands301_dat_com, 1), "Comunication Dats");
    EXPECT_STREQ(PageNodeText(&PageNode_resistenza_fren, 2), "Résisatnce freinage");
    EXPECT_STREQ(PageNodeText(&PageNode_cands402_torque, 2), "Mode Couple ");
    EXPECT_STREQ(PageNodeText(&PageNode_mdb_speed_main, 2), "Vitesse Principal");
    EXPECT_STREQ(PageNodeText(&PageNode_field_bus, 7), "Field Bus");

    for (int i = 0; i < 64; ++i) {
        QPixmap pm(4, 4);
        pm.fill(QColor(i * 4, 0, 0));
        ImageList_tree << QIcon(pm);
    }
    LanguageIndex = 0;
    init(0);
    EXPECT_EQ(tree_.topLevelItem(0)->text(0), "Bus di Campo");
    EXPECT_EQ(tree_.topLevelItem(0)->icon(0).cacheKey(), ImageList_tree[32].cacheKey());
    EXPECT_EQ(FindPageNode(&tree_, &PageNode_input_flt)->icon(0).cacheKey(), ImageList_tree[63].cacheKey());
}

}  // namespace
