// Every page unit through its node: frames per context, re-create, size, the entry points without
// a frame, poll lists on the simulator, the archive's silence, and the read-back rule.
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

#include "link/Serrx.h"
#include "link/Seriale.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class PageUnitTest : public PagesTest, public ::testing::WithParamInterface<UnitRow> {
protected:
    void set_bus(uint8_t slot, uint16_t type) { Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, type); }
};

TEST_P(PageUnitTest, CreateRecreateSizeAndDestroyInBothContexts)
{
    const UnitRow& u = GetParam();
    PageNode& node = *u.node;
    ASSERT_TRUE(node.PageCreate && node.PageDestroy && node.PageRefresh && node.PageSetLanguage &&
                node.PageSetAccess && node.PageGetSize);
    ParamPage& page = u.page();
    for (uint8_t ctx = 0; ctx < 2; ++ctx) {
        SCOPED_TRACE(ctx);
        set_bus(ctx, u.buses.front());
        PageContext = ctx;
        node.PageCreate(ctx, host());
        QWidget* frame = page.frame(ctx);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->objectName(), u.frame_class);
        QWidget* panel = u.bare ? frame : frame->findChild<QFrame*>("Panel_frm");
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(frame->findChild<QFrame*>("Panel_frm") == nullptr, u.bare);
        if (u.group_box != nullptr) {
            EXPECT_NE(frame->findChild<QGroupBox*>(u.group_box), nullptr);
        }
        for (const char* name : u.panels)
            EXPECT_NE(frame->findChild<FlowPanel*>(name), nullptr) << name;
        auto* timer = frame->findChild<QTimer*>("Timer_com");
        EXPECT_TRUE(u.timer || timer == nullptr);
        if (timer != nullptr) {
            EXPECT_EQ(timer->isActive(), ctx == 0 || u.archive_timer);
        } else {
            EXPECT_TRUE(u.modbus.empty());
        }
        EXPECT_EQ(page.ready(), 1);
        // Without the link only the main window's edits are locked.
        if (!u.panels.empty()) {
            EXPECT_EQ(page.edit(ctx, 0)->memo()->isEnabled(), ctx == 1);
        }

        MemoUpDwxBase* first = page.edit(ctx, 0);
        QWidget other(host());
        node.PageCreate(ctx, &other);
        EXPECT_EQ(page.frame(ctx), frame);
        EXPECT_EQ(page.edit(ctx, 0), first);
        EXPECT_EQ(frame->parentWidget(), &other);

        PageSize size{-1, -1};
        node.PageGetSize(ctx, &size);
        EXPECT_EQ(size.height, panel->height());
        EXPECT_EQ(size.width, panel->width());
        EXPECT_GT(size.height, 0);
        node.PageGetSize(ctx, nullptr);

        node.PageDestroy(ctx);
        EXPECT_EQ(page.frame(ctx), nullptr);
        EXPECT_EQ(page.edit(ctx, 0), nullptr);
        // Without a frame the entry points change nothing.
        node.PageDestroy(ctx);
        node.PageRefresh(ctx);
        node.PageSetLanguage(ctx);
        node.PageSetAccess(0xFF);
        size = {-1, -1};
        node.PageGetSize(ctx, &size);
        EXPECT_EQ(size.height, -1);
        EXPECT_EQ(size.width, -1);
        EXPECT_EQ(page.frame(ctx), nullptr);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_P(PageUnitTest, PollsItsListPerBusType)
{
    const UnitRow& u = GetParam();
    for (uint16_t bus : u.buses) {
        SCOPED_TRACE(bus);
        connect_drive(bus, false, u.image);
        sim->clear_log();
        const auto start = SimClock::now();
        u.node->PageCreate(0, host());
        if ((bus == 2 ? u.canopen : u.modbus).empty()) {
            pump_for(400);
            EXPECT_EQ(sim->request_count(30), 0u);
        } else {
            ASSERT_TRUE(pump_until([this] { return sim->request_count(30) >= 4; }, 3000));
        }
        u.node->PageDestroy(0);
        const auto window = SimClock::now() - start;
        const auto reqs = sim->requests(30);
        for (const SimLogEntry& e : reqs)
            EXPECT_EQ(list_keys(e), bus == 2 ? u.canopen : u.modbus);
        // At most one list per 100 ms is queued; the line may bunch two of them.
        EXPECT_LE(reqs.size(), static_cast<std::size_t>(window / std::chrono::milliseconds(90)) + 2);
        for (const MsgRequest& m : boxes)
            ADD_FAILURE() << m.text;
        close_window();
        sim.reset();
    }
}

TEST_P(PageUnitTest, ArchiveEditsChangeSlotOneOnly)
{
    const UnitRow& u = GetParam();
    connect_drive(u.buses.front(), false, u.image);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);  // the main window's page and its requests
    // What that page queued goes out first: once the queue is empty, two more status polls.
    ASSERT_TRUE(pump_until([] { return Seriale_count() == 0; }, 3000));
    const std::size_t polls = sim->request_count(0);
    ASSERT_TRUE(pump_until([&] { return sim->request_count(0) >= polls + 2; }, 3000));
    const DriveRecord slot0 = DriveRecordBank[0];
    DriveRecordBank[1] = slot0;
    PageContext = 1;
    u.node->PageCreate(1, host());
    ParamPage& page = u.page();
    if (auto* timer = page.frame(1)->findChild<QTimer*>("Timer_com")) {
        EXPECT_EQ(timer->isActive(), u.archive_timer);
    }
    sim->clear_log();
    for (std::size_t i = 0; i < u.panels.size(); ++i) {
        MemoUpDwxBase* e = page.edit(1, static_cast<int>(i));
        const double raw = e->bound_value() == e->min + 1 ? e->min + 2 : e->min + 1;
        e->memo()->setFocus();
        e->memo()->clear();
        QTest::keyClicks(e->memo(), e->format(raw));
        QTest::keyClick(e->memo(), Qt::Key_Return);
        EXPECT_EQ(e->bound_value(), raw) << u.panels[i];
    }
    pump_for(300);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &slot0, sizeof slot0), 0);
    EXPECT_EQ(sim->request_count(4) + sim->request_count(3) + sim->request_count(7), 0u);
    u.node->PageDestroy(1);
}

INSTANTIATE_TEST_SUITE_P(Units, PageUnitTest, ::testing::ValuesIn(page_units()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the read-back rule ----

class ReadBackTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
        Rec_set<uint16_t>(DriveRecordBank[0], 186, 50);
        Frm_pid_vel_create(0, host());
    }
    void TearDown() override
    {
        Frm_pid_vel_destroy(0);
        PagesTest::TearDown();
    }
    void tick_now()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(110));
        Frm_pid_vel_page().tick();
    }
};

TEST_F(ReadBackTest, CopiesOnlyValuesOfAReplyAfterItsListWasSent)
{
    // Link down: the list "goes out" without a request; an old read-back stays out.
    Rec_set<uint16_t>(DriveReadBack, 186, 999);
    tick_now();
    tick_now();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 186), 50);
    // A reply since the list was sent: copied and shown.
    Ser_list_reply_count.fetch_add(1);
    tick_now();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 186), 999);
    EXPECT_EQ(Frm_pid_vel_page().edit(0, 0)->memo()->text(), "999");
}

TEST_F(ReadBackTest, NothingCopiedForIoControlOrWhileFrozen)
{
    Ser_list_reply_count.fetch_add(1);
    tick_now();
    Ser_list_reply_count.fetch_add(1);
    Rec_set<uint16_t>(DriveReadBack, 186, 999);
    DriveUiFlags.fetch_or(UiFlag::Remote);
    tick_now();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 186), 50);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 0);
    tick_now();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 186), 50);
}

TEST_F(PagesTest, UnknownBusTypeSendsNoListAndLocksMainControls)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 3);
    EditStateFlags = EditState::Linked;
    Frm_pid_vel_create(0, host());
    uint16_t n = 99;
    EXPECT_EQ(Frm_pid_vel_page().next_list(&n), nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_TRUE(boxes.empty());
    MemoUpDwxBase* kp = Frm_pid_vel_page().edit(0, 0);
    EXPECT_FALSE(kp->memo()->isEnabled());
    EXPECT_EQ(kp->panel()->caption(), "Speed Kp");
    Frm_pid_vel_destroy(0);
    EditStateFlags = 0;
}


// The page suite covers every page of the tree: each node has its six entry points and a row above.
TEST_F(PagesTest, EveryPageNodeHasItsEntryPointsAndARowOfTheSuite)
{
    std::size_t filled = 0;
    for (PageNode* node : PageNodeTable) {
        const bool has_all = node->PageCreate && node->PageDestroy && node->PageRefresh && node->PageSetLanguage &&
                             node->PageSetAccess && node->PageGetSize;
        EXPECT_TRUE(has_all) << node->text[1];
        filled += has_all;
        EXPECT_TRUE(std::any_of(page_units().begin(), page_units().end(),
                                [node](const UnitRow& u) { return u.node == node; }))
            << node->text[1];
    }
    EXPECT_EQ(filled, std::size_t{PAGE_NODE_COUNT});
}

}  // namespace
}  // namespace pagetest
