// Alarm Memory page: the cells of the grid (order, texts, colours, squares, codes beyond the name
// table), the repaint when only the newest index moves, the requests of its timer and the clear
// button.
#include <QPushButton>
#include <QTableWidget>

#include "drive_page_helpers.h"
#include "pages/drive/Frm_mem_alarm.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

constexpr uint32_t NAVY = 0x800000, RED = 0x0000FF, GREY = 0x808080, BLACK = 0, YELLOW = 0x00FFFF, WHITE = 0xFFFFFF;

class MemAlarmTest : public PagesTest {
protected:
    void TearDown() override
    {
        Frm_mem_alarm_destroy(0);
        Frm_mem_alarm_destroy(1);
        AccessFlags = 0;
        PagesTest::TearDown();
    }
    // Newest index and the 16 ring bytes of slot.
    static void set_memory(uint8_t slot, uint8_t newest, std::initializer_list<std::pair<int, uint8_t>> entries)
    {
        uint8_t* mem = DriveRecordBank[slot].b + RecOfs::AlarmMemByte;
        std::memset(mem, 0, 17);
        mem[0] = newest;
        for (const auto& [i, v] : entries)
            mem[1 + i] = v;
    }
    static void expect_row(uint8_t slot, int row, std::array<const char*, 4> texts, uint32_t square)
    {
        SCOPED_TRACE(row);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(Frm_mem_alarm_cell(slot, row, c).text, QString::fromUtf8(texts[c])) << c;
        const MemAlarmCell type = Frm_mem_alarm_cell(slot, row, 3);
        EXPECT_TRUE(type.square);
        EXPECT_EQ(type.square_colour, square);
    }
};

TEST_F(MemAlarmTest, RowsShowTheRingNewestFirst)
{
    set_link(LinkFlag::Ready, true);
    set_memory(0, 0, {{0, 0x83}, {15, 0x43}});
    for (int c = 0; c < 4; ++c) {
        const MemAlarmCell h = Frm_mem_alarm_cell(0, 0, c);
        EXPECT_EQ(h.text, QString::fromUtf8(std::array{"N°", "Alarm", "Code", "Type"}[c]));
        EXPECT_EQ(h.colour, BLACK);
        EXPECT_EQ(h.align, AlignCentre);
    }
    expect_row(0, 1, {"1", "Overcurrent", "FA - [03]", "Alarm"}, RED);
    expect_row(0, 2, {"2", "Overcurrent", "F  - [03]", "Warning"}, YELLOW);
    expect_row(0, 3, {"3", "-----", "-----", "-----"}, WHITE);
    EXPECT_EQ(Frm_mem_alarm_cell(0, 1, 1).colour, NAVY);
    EXPECT_EQ(Frm_mem_alarm_cell(0, 1, 2).colour, RED);
    EXPECT_EQ(Frm_mem_alarm_cell(0, 1, 2).align, AlignRight);
    EXPECT_EQ(Frm_mem_alarm_cell(0, 1, 3).colour, NAVY);
    LanguageIndex = 0;
    expect_row(0, 1, {"1", "Sovracorrente", "FA - [03]", "Allarme"}, RED);
    LanguageIndex = 1;

    // Codes beyond the name table, a newest index above 15, the other slot.
    set_memory(0, 20, {{4, 0xAD}, {3, 0x0A}});
    expect_row(0, 1, {"1", "-----", "FA - [45]", "Alarm"}, RED);
    EXPECT_EQ(Frm_mem_alarm_cell(0, 2, 2).text, "F  - [10]");
    set_memory(1, 15, {{15, 0x81}});
    expect_row(1, 1, {"1", "E2prom", "FA - [01]", "Alarm"}, RED);

    set_link(LinkFlag::Ready, false);
    for (int c = 0; c < 4; ++c) {
        const MemAlarmCell cell = Frm_mem_alarm_cell(0, 16, c);
        EXPECT_EQ(cell.text, c == 0 ? "16" : "-----");
        EXPECT_EQ(cell.colour, GREY);
        EXPECT_FALSE(cell.square);
    }
}

TEST_F(MemAlarmTest, ClearButtonOnlyInTheMainWindowWithExtendedAccess)
{
    Frm_mem_alarm_create(0, host());
    auto* bar = Frm_mem_alarm_page().find<QWidget>(0, "ControlBar_mem_alarm");
    EXPECT_TRUE(bar->isHidden());
    AccessFlags = Access::Reserved;
    Frm_mem_alarm_refresh(0);
    EXPECT_FALSE(bar->isHidden());
    PageContext = 1;
    Frm_mem_alarm_create(1, host());
    EXPECT_TRUE(Frm_mem_alarm_page().find<QWidget>(1, "ControlBar_mem_alarm")->isHidden());
    auto* grid = Frm_mem_alarm_page().find<QTableWidget>(0, "StringGrid_alarm");
    EXPECT_EQ(grid->rowCount(), 17);
    EXPECT_EQ(grid->columnCount(), 4);
}

TEST_F(MemAlarmTest, RepaintsWhenTheLinkGoesAndComesBack)
{
    Frm_mem_alarm_create(0, host());
    for (const bool ready : {true, false, true}) {
        SCOPED_TRACE(ready);
        const uint32_t before = Frm_mem_alarm_repaints();
        set_link(LinkFlag::Ready, ready);
        EXPECT_TRUE(pump_until([&] { return Frm_mem_alarm_repaints() > before; }, 1000));
    }
    set_link(LinkFlag::Ready, false);
}

TEST_F(MemAlarmTest, AsksEveryTwoHundredMillisecondsAndRepaintsOnANewOrder)
{
    connect_drive(1);
    AccessFlags = Access::Reserved;
    SimBytes mem(DriveSim::kAlarmMemSize, 0x83);  // 16 entries, then the newest index
    mem[16] = 0;
    sim->set_alarm_memory(mem);
    Frm_mem_alarm_create(0, host());
    ASSERT_TRUE(pump_until([] { return DriveRecordBank[0].b[RecOfs::AlarmMem] == 0x83; }, 2000));
    pump_for(300);
    sim->clear_log();
    const uint32_t before = Frm_mem_alarm_repaints();
    pump_for(1000);
    EXPECT_EQ(Frm_mem_alarm_repaints(), before);  // nothing changed
    const std::size_t fives = sim->request_count(5);
    EXPECT_GE(fives, 3u);
    EXPECT_LE(fives, 8u);
    // Only the newest index moves: the order changes.
    mem[16] = 1;
    sim->set_alarm_memory(mem);
    ASSERT_TRUE(pump_until([&] { return Frm_mem_alarm_repaints() > before; }, 1000));
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::AlarmMemByte], 1);

    Frm_mem_alarm_page().find<QPushButton>(0, "BitBtn_canc_mem_alarm")->click();
    ASSERT_TRUE(pump_until([this] { return !drive_funcs(*sim).empty(); }, 1000));
    EXPECT_EQ(drive_funcs(*sim).back(), std::make_pair(1, 1));
}

// The alarm memory is asked for only while fewer than ten requests wait.
TEST_F(MemAlarmTest, NoRequestWhileTenWait)
{
    quiet_link();
    Frm_mem_alarm_create(0, host());
    auto alarm_requests = [] {
        std::size_t n = 0;
        for (const auto& e : Seriale_view().entries)
            n += e.frame.size() > 1 && e.frame[1] == SerCmd::AlarmMem;
        return n;
    };
    for (uint8_t waiting : {10, 9}) {
        SCOPED_TRACE(int{waiting});
        Seriale_clear_queue();
        for (uint8_t i = 0; i < waiting; ++i)
            Sertx_drive_func(2, i);
        ASSERT_EQ(Seriale_count(), waiting);
        if (waiting == 9) {
            ASSERT_TRUE(pump_until([&] { return alarm_requests() == 1; }, 3000));
        }
        pump_for(450);  // two ticks of the 200 ms timer
        EXPECT_EQ(alarm_requests(), waiting == 10 ? 0u : 1u);
    }
}

}  // namespace
}  // namespace pagetest
