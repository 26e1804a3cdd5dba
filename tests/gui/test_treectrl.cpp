// The page tree: the bus pages by the data set's bus type, a rebuild only when the type changes,
// the archive's tree, the family and reserved pages, and the node table's invariants.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

#include <QPixmap>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "drivedata/Globvar.h"
#include "drivedata/Record.h"
#include "gui_app.h"
#include "shell/Mainstate.h"
#include "shell/Settings.h"
#include "shell/Treectrl.h"

namespace {

std::vector<const PageNode*> top_nodes(QTreeWidget& tree)
{
    std::vector<const PageNode*> out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out.push_back(PageNodeOf(tree.topLevelItem(i)));
    return out;
}

int count_items(QTreeWidget& tree, const PageNode* node)
{
    int n = 0;
    for (QTreeWidgetItemIterator it(&tree); *it; ++it)
        n += PageNodeOf(*it) == node;
    return n;
}

void set_bus(uint8_t slot, uint16_t bus) { Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, bus); }

class PageTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        gui_app();
        LanguageIndex = 1;
        State_reset_all();
        SettingsBlock.flags = 0;
    }
    void TearDown() override
    {
        State_reset_all();
        SettingsBlock.flags = 0;
        ImageList_tree.clear();
    }
    void init(uint16_t bus)
    {
        set_bus(0, bus);
        InitPageTree(&tree_, DrivePageRoots, 0);
    }
    QTreeWidget tree_;
};

PageNode* const FIXED[] = {&PageNode_field_bus, &PageNode_motore, &PageNode_setup_avanzato};

TEST_F(PageTree, TopLevelPagesByBusTypeAndAccess)
{
    const struct {
        uint16_t bus;
        uint8_t access;
        std::vector<const PageNode*> after_fixed;
    } cases[] = {
        {0, 0, {&PageNode_inout_control}},
        {1, 0, {&PageNode_mdb_stm}},
        {2, 0, {&PageNode_cands301, &PageNode_cands402_stm}},
        {2, Access::Reserved, {&PageNode_cands301, &PageNode_cands402_stm, &PageNode_taglia_drive}},
        {3, 0, {}},
        {0xFFFF, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bus);
        AccessFlags = c.access;
        init(c.bus);
        std::vector<const PageNode*> want(std::begin(FIXED), std::end(FIXED));
        want.insert(want.end(), c.after_fixed.begin(), c.after_fixed.end());
        EXPECT_EQ(top_nodes(tree_), want);
        EXPECT_EQ(BuiltBusType[0], c.bus);
        EXPECT_EQ(PageTreeOf(0), &tree_);
        EXPECT_EQ(tree_.currentItem(), tree_.topLevelItem(0));
        EXPECT_LE(count_items(tree_, &PageNode_mdb_speed_main), 1);  // never twice
    }
}

TEST_F(PageTree, TheSameBusTypeBuildsNothingAnotherReplacesTheBusPagesQuietly)
{
    init(1);
    QTreeWidgetItem* first = tree_.topLevelItem(0);
    std::memset(PageStateArea, 0, sizeof PageStateArea);
    BuildPageTree(0);
    EXPECT_EQ(tree_.topLevelItem(0), first);
    EXPECT_EQ(PageStateArea[0], 0);  // no rebuild, no reset

    tree_.setCurrentItem(FindPageNode(&tree_, &PageNode_mdb_ctrl_var));
    CurrentPageNode[0] = &PageNode_mdb_ctrl_var;
    int changes = 0;
    QObject::connect(&tree_, &QTreeWidget::currentItemChanged, [&] { ++changes; });
    set_bus(0, 2);
    BuildPageTree(0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(CurrentPageNode[0], &PageNode_mdb_ctrl_var);
    for (const PageNode* gone : {&PageNode_mdb_stm, &PageNode_mdb_ctrl_var, &PageNode_mdb_input})
        EXPECT_EQ(FindPageNode(&tree_, gone), nullptr);
    EXPECT_NE(FindPageNode(&tree_, &PageNode_cands402_stm), nullptr);
    EXPECT_EQ(count_items(tree_, &PageNode_input_flt), 1);
    for (uint8_t b : PageStateArea)
        EXPECT_EQ(b, 0xFF);
}

TEST_F(PageTree, ArchiveTreeHasNoAlarmMemoryAndFollowsItsOwnDataSet)
{
    init(0);
    EXPECT_NE(FindPageNode(&tree_, &PageNode_mem_alarm), nullptr);
    auto archive = std::make_unique<QTreeWidget>();
    set_bus(1, 1);
    InitPageTree(archive.get(), DrivePageRoots, 1);
    EXPECT_EQ(PageTreeOf(1), archive.get());
    EXPECT_EQ(FindPageNode(archive.get(), &PageNode_mem_alarm), nullptr);
    EXPECT_NE(FindPageNode(archive.get(), &PageNode_mdb_stm), nullptr);
    EXPECT_EQ(BuiltBusType[1], 1);
    archive.reset();
    EXPECT_EQ(PageTreeOf(1), nullptr);
    set_bus(1, 2);
    BuildPageTree(1);  // no archive tree: nothing happens
    EXPECT_EQ(BuiltBusType[1], 1);
}

TEST_F(PageTree, FamilyAndReservedPages)
{
    AccessFlags = Access::Reserved;
    init(0);
    Tree_apply_family_pages(&tree_, true);
    EXPECT_EQ(PageNodeOf(FindPageNode(&tree_, &PageNode_resistenza_fren)->parent()), &PageNode_setup_avanzato);
    EXPECT_EQ(PageNodeOf(FindPageNode(&tree_, &PageNode_fan_ctrl)->parent()), &PageNode_taglia_drive);
    Tree_apply_family_pages(&tree_, true);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 1);
    Tree_apply_family_pages(&tree_, false);
    EXPECT_EQ(count_items(tree_, &PageNode_resistenza_fren), 0);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 0);

    AccessFlags = 0;  // without Reserved Setup in the tree the fan has no parent
    init(1);
    Tree_apply_family_pages(&tree_, true);
    EXPECT_EQ(count_items(tree_, &PageNode_resistenza_fren), 1);
    EXPECT_EQ(count_items(tree_, &PageNode_fan_ctrl), 0);

    AccessFlags = Access::Reserved;
    uint16_t depth = 0;
    QTreeWidgetItem* added = AddPageNodes(&tree_, ReservedPageRoots, nullptr, &depth, 0);
    EXPECT_EQ(added, tree_.topLevelItem(tree_.topLevelItemCount() - 1));
    EXPECT_EQ(PageNodeOf(added), &PageNode_taglia_drive);
}

TEST_F(PageTree, NodeTableInvariantsAndItemTextsAndIcons)
{
    std::set<const PageNode*> distinct(std::begin(PageNodeTable), std::end(PageNodeTable));
    EXPECT_EQ(distinct.size(), std::size_t(PAGE_NODE_COUNT));
    for (const PageNode* n : PageNodeTable) {
        for (const char* t : n->text)
            EXPECT_TRUE(t != nullptr && *t != '\0');
        EXPECT_EQ(n->PageCreate == nullptr, n->PageDestroy == nullptr) << n->text[1];  // a page is made and freed
        for (PageNode* const* c = n->children; c && *c; ++c)
            EXPECT_TRUE(distinct.count(*c)) << n->text[1];
    }
    EXPECT_STREQ(PageNodeText(&PageNode_field_bus, 7), "Field Bus");  // an unknown language reads English

    for (int i = 0; i < 64; ++i) {
        QPixmap pm(4, 4);
        pm.fill(QColor(i * 4, 0, 0));
        ImageList_tree << QIcon(pm);
    }
    LanguageIndex = 0;
    init(0);
    for (QTreeWidgetItemIterator it(&tree_); *it; ++it) {
        const PageNode* n = PageNodeOf(*it);
        EXPECT_EQ((*it)->text(0), QString::fromUtf8(n->text[0]));
        EXPECT_EQ((*it)->icon(0).cacheKey(), ImageList_tree[n->icon].cacheKey());
    }
}

}  // namespace
