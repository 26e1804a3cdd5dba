// Field Bus page: controls by bus type, the selector switch display and its requests, the
// time-out check box, and the bus change in both contexts.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>

#include <thread>

#include "link/Seriale.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class FieldBusTest : public PagesTest {
protected:
    template <typename W = QWidget>
    W* find(const char* name, uint8_t ctx = 0)
    {
        return Frm_field_bus_page().find<W>(ctx, name);
    }
    void set(uint8_t slot, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[slot], ofs, v); }
};

TEST_F(FieldBusTest, TabsFollowTheBusTypeAndUnknownValuesSelectNothing)
{
    set(0, RecOfs::BusType, 1);
    set(0, 96, 3);  // parity out of range
    Frm_field_bus_create(0, host());
    EXPECT_EQ(find<QComboBox>("ComboBox_modbus_parity")->currentIndex(), -1);
    set(0, 108, 4);  // CANopen time-out on
    Frm_field_bus_refresh(0);
    EXPECT_FALSE(find<QCheckBox>("CheckBox_mdb_timeout_enable")->isChecked());
    EXPECT_TRUE(find<QCheckBox>("CheckBox_can_timeout_enable")->isChecked());
    EXPECT_EQ(find<QLabel>("Panel_can_timeout_enable_on_off")->text(), "On");
    struct Row {
        uint16_t bus;
        const char* tab;  // null: tabs and source hidden
    };
    for (const Row r : {Row{0, nullptr}, Row{1, "TabSheet_ModBus"}, Row{2, "TabSheet_CanOpen"}}) {
        SCOPED_TRACE(r.bus);
        set(0, RecOfs::BusType, r.bus);
        Frm_field_bus_refresh(0);
        auto* tabs = find<QTabWidget>("PageControl_filed_bus");
        EXPECT_EQ(!tabs->isHidden(), r.tab != nullptr);
        EXPECT_EQ(!find("Panel_mode_addr_bit_rate")->isHidden(), r.tab != nullptr);
        if (r.tab != nullptr) {
            EXPECT_EQ(tabs->currentWidget()->objectName(), r.tab);
        }
    }
    Frm_field_bus_destroy(0);
}

TEST_F(FieldBusTest, SelectorAddressCaptionsByBusAndLanguage)
{
    set(0, RecOfs::BusType, 2);
    Frm_field_bus_create(0, host());
    const char* const modbus[3] = {"Indirizzo", "Address", "Adresse"};
    for (uint8_t lang : {0, 1, 2}) {
        LanguageIndex = static_cast<int8_t>(lang);
        Frm_field_bus_set_language(0);
        EXPECT_EQ(find<QLabel>("Panel_mdb_addr_selector")->text(), modbus[lang]);
        EXPECT_EQ(find<QLabel>("Panel_can_addr_selector")->text(), "Node-ID");
    }
    Frm_field_bus_destroy(0);
}

TEST_F(FieldBusTest, ArchiveBusChangeSendsNothingAndShowsNoSelector)
{
    connect_drive(1);
    set(1, RecOfs::BusType, 1);
    PageContext = 1;
    Frm_field_bus_create(1, host());
    sim->clear_log();
    Q_EMIT find<QComboBox>("ComboBox_bus_control_type", 1)->activated(2);
    pump_for(300);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::BusType), 2);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), 1);
    EXPECT_EQ(find<QTabWidget>("PageControl_filed_bus", 1)->currentWidget()->objectName(), "TabSheet_CanOpen");
    Q_EMIT find<QComboBox>("ComboBox_mode_addr_bit_rate", 1)->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 108) & 1, 1);
    pump_for(100);
    EXPECT_EQ(sim->request_count(3) + sim->request_count(4), 0u);
    for (const char* name : {"Panel_mdb_addr_selector_dat", "Panel_mdb_bit_rate_selector_dat",
                             "Panel_can_addr_selector_dat", "Panel_can_bit_rate_selector_dat"})
        EXPECT_EQ(find<QLabel>(name, 1)->text(), "---") << name;
    Frm_field_bus_destroy(1);
}

// The main window's own Field Bus page (context 0) against the simulator.
TEST_F(FieldBusTest, SelectorIsShownAndAskedForEveryHundredMilliseconds)
{
    connect_drive(1);
    ASSERT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    sim->set_info_reply(7, {0x25});
    sim->clear_log();
    ASSERT_TRUE(pump_until([this] { return find<QLabel>("Panel_mdb_addr_selector_dat")->text() == "5"; }, 2000));
    EXPECT_EQ(find<QLabel>("Panel_mdb_bit_rate_selector_dat")->text(), "38400");
    EXPECT_EQ(find<QLabel>("Panel_can_addr_selector_dat")->text(), "5");
    EXPECT_EQ(find<QLabel>("Panel_can_bit_rate_selector_dat")->text(), "800");
    pump_for(600);
    std::size_t sevens = 0;
    for (const SimLogEntry& e : sim->requests(7))
        sevens += e.bytes.at(2) == 7;
    EXPECT_GE(sevens, 3u);
    EXPECT_LE(sevens, 9u);
}

TEST_F(FieldBusTest, TimeoutCheckBoxSetsItsBitAndWritesTheFlags)
{
    connect_drive(1);
    set(0, 108, 0);
    Frm_field_bus_refresh(0);
    auto* box = find<QCheckBox>("CheckBox_mdb_timeout_enable");
    ASSERT_TRUE(pump_until([box] { return box->isEnabled(); }, 2000));
    box->click();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 108) & 2, 2);
    auto* label = find<QLabel>("Panel_mdb_timeout_enable_on_off");
    EXPECT_EQ(label->text(), "On");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), clRed);
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x0047).empty(); }, 2000));
    EXPECT_EQ(writes_of(0x0047).back().value_u32() & 2, 2u);
}

TEST_F(FieldBusTest, BusChangeWritesTheTypeRereadsTheImageAndRebuildsTheTree)
{
    connect_drive(1);
    ASSERT_EQ(CurrentPageNode[0], &PageNode_field_bus);
    QWidget* frame = Frm_field_bus_page().frame(0);
    auto* type = find<QComboBox>("ComboBox_bus_control_type");
    sim->clear_log();
    Q_EMIT type->activated(1);  // the stored type
    pump_for(200);
    EXPECT_TRUE(writes_of(0x0048).empty());
    EXPECT_EQ(sim->request_count(3), 0u);

    sim->set_image_bytes(RecOfs::BusType, {0, 2});
    Q_EMIT type->activated(2);
    ASSERT_TRUE(pump_until([] { return QApplication::activeModalWidget() == nullptr; }, 5000));
    pump_for(300);
    const auto w = writes_of(0x0048);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].value_u32(), 2u);
    const auto reads = sim->requests(3);
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(SimBytes(reads[0].bytes.begin() + 2, reads[0].bytes.begin() + 5), (SimBytes{0x00, 0x00, 0xFB}));
    EXPECT_GT(reads[0].start, sim->requests(4).front().start);
    std::vector<QString> top;
    for (int i = 0; i < main->TreeView_menu->topLevelItemCount(); ++i)
        top.push_back(main->TreeView_menu->topLevelItem(i)->text(0));
    EXPECT_EQ(top, (std::vector<QString>{"Field Bus", "Motor Data", "Advanced Setup", "CanOpen DS301", "CanOpen 402"}));
    EXPECT_EQ(Frm_field_bus_page().frame(0), frame);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), 2);
}

// Source from memory or from the selector decides which group is live; without the link
// every control is off and every group grey.
TEST_F(FieldBusTest, AccessFollowsTheSourceAndTheLink)
{
    set(0, RecOfs::BusType, 1);
    Frm_field_bus_create(0, host());
    struct Row {
        uint8_t state;
        uint16_t flags;
        bool memory_on, memory_look, selector_look, type_on;
    };
    for (const Row r : {Row{EditState::Linked, 1, true, true, false, true},
                        Row{EditState::Linked, 0, false, false, true, true},
                        Row{EditState::Linked | EditState::Status5, 1, false, true, false, false},
                        Row{0, 1, false, false, false, false}}) {
        SCOPED_TRACE(r.state * 10 + r.flags);
        set(0, 108, r.flags);
        EditStateFlags = r.state;
        Frm_field_bus_set_access(0);
        EXPECT_EQ(Frm_field_bus_page().edit_of(0, 94)->memo()->isEnabled(), r.memory_on);
        EXPECT_EQ(find("ComboBox_canopen_bit_rate")->isEnabled(), r.memory_on);
        EXPECT_EQ(find("ComboBox_bus_control_type")->isEnabled(), r.type_on);
        EXPECT_EQ(find("CheckBox_can_timeout_enable")->isEnabled(), r.type_on);
        for (const char* group : {"GroupBox_mdb_memoria", "GroupBox_can_memoria"}) {
            EXPECT_EQ(find(group)->font().bold(), r.memory_look) << group;
            EXPECT_EQ(find(group)->palette().color(QPalette::WindowText), bgr(r.memory_look ? 0x008000 : 0x808080));
        }
        for (const char* group : {"GroupBox_mdb_selettore", "GroupBox_can_selettore"})
            EXPECT_EQ(find(group)->font().bold(), r.selector_look) << group;
    }
    EditStateFlags = 0;
    Frm_field_bus_destroy(0);
}

TEST_F(FieldBusTest, ArchiveBusChangeRebuildsTheArchiveTree)
{
    auto archive = std::make_unique<QTreeWidget>();
    set(1, RecOfs::BusType, 1);
    InitPageTree(archive.get(), DrivePageRoots, 1);
    ASSERT_NE(FindPageNode(archive.get(), &PageNode_mdb_stm), nullptr);
    PageContext = 1;
    Frm_field_bus_create(1, host());
    Q_EMIT find<QComboBox>("ComboBox_bus_control_type", 1)->activated(2);
    EXPECT_EQ(FindPageNode(archive.get(), &PageNode_mdb_stm), nullptr);
    EXPECT_NE(FindPageNode(archive.get(), &PageNode_cands402_stm), nullptr);
    EXPECT_EQ(BuiltBusType[1], 2);
    Frm_field_bus_destroy(1);
    PageContext = 0;
}

// The selector request waits while ten requests wait; the link is "ready" without a thread, so
// the queue only grows.
TEST_F(FieldBusTest, NoSelectorRequestWhileTenRequestsWait)
{
    Seriale_init();
    Seriale_clear_queue();
    Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
    set(0, RecOfs::BusType, 1);
    Frm_field_bus_create(0, host());
    auto selector_requests = [] {
        std::size_t n = 0;
        for (const auto& e : Seriale_view().entries)
            n += e.frame.size() > 2 && e.frame[1] == 7 && e.frame[2] == 7;
        return n;
    };
    for (const std::size_t waiting : {10u, 9u}) {
        SCOPED_TRACE(waiting);
        Seriale_clear_queue();
        for (std::size_t i = 0; i < waiting; ++i)
            Sertx_read_info(1);
        ASSERT_EQ(Seriale_count(), waiting);
        std::this_thread::sleep_for(std::chrono::milliseconds(110));
        Frm_field_bus_page().tick();
        EXPECT_EQ(selector_requests(), waiting < 10 ? 1u : 0u);
    }
    Frm_field_bus_destroy(0);
    Seriale_clear_queue();
    Ser_link_flags.store(0);
}

TEST_F(FieldBusTest, RepairsAnUnknownBusType)
{
    set(0, RecOfs::BusType, 3);
    Frm_field_bus_create(0, host());
    EXPECT_TRUE(boxes.empty());
    Q_EMIT find<QComboBox>("ComboBox_bus_control_type")->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::BusType), 1);
    Frm_field_bus_destroy(0);
}

}  // namespace
}  // namespace pagetest
