// Unit factors on the page contexts and the result dialogs: the overflow messages of the
// computation, the values shown and stored, the archive update, and context 0's send with its
// refusals (drive enabled, link down, link lost during the confirmation, an overflowed pair).
#include <QLabel>
#include <QPushButton>

#include "factors/Factor_tool.h"
#include "factors/Form_factor_tool.h"
#include "gui/files_fixture.h"
#include "link/Seriale.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

using filestest::when_modal;

constexpr uint16_t MDB_OFS[6] = {632, 636, 476, 480, 484, 488};
constexpr uint16_t CAN_OFS[6] = {2144, 2148, 2156, 2160, 2168, 2172};
const std::vector<std::string> DEFAULT_VALUES = {"1", "1", "16384", "15", "16384", "15"};

class FactorDialogTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        for (uint8_t ctx = 0; ctx < 2; ++ctx) {
            Factor_tool_set_defaults(&Factor_tool_record(ctx));
            Rec_set<uint16_t>(DriveRecordBank[ctx], RecOfs::MotorType, 0);
        }
    }
    FactorApplicationRec& rec(uint8_t ctx) { return Factor_tool_record(ctx); }
    static uint32_t field(uint8_t slot, uint16_t ofs) { return Rec_get<uint32_t>(DriveRecordBank[slot], ofs); }
    static void fill(uint8_t slot, const uint16_t (&ofs)[6], uint32_t v)
    {
        for (uint16_t o : ofs)
            Rec_set<uint32_t>(DriveRecordBank[slot], o, v);
    }
    static std::vector<std::string> shown(TForm_factor_tool* d)
    {
        std::vector<std::string> out;
        for (QLabel* l : d->value_panel)
            out.push_back(l->text().toStdString());
        return out;
    }
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const MsgRequest& m : boxes)
            out.push_back(m.text);
        return out;
    }
    // The link as answering and ready, without threads (nothing is sent from the queue).
    static void link_answering()
    {
        Ser_link_flags.store(LinkFlag::Answers | LinkFlag::Ready);
        Ser_tx_state.store(LinkState::Run);
        Ser_link_mode.store(LinkMode::Normal);
        Ser_data_flags.fetch_or(DataFlag::ListReads);
    }
    // The page's "Calcola fattori" in ctx; body runs inside the dialog D.
    template <typename D>
    bool calculate(const char* frame_unit, uint8_t ctx, const std::function<void(D*)>& body)
    {
        bool ran = false;
        when_modal<D>(body, &ran);
        ParamPage& page = std::string(frame_unit) == "mdb" ? Frm_mdb_factor_page() : Frm_cands402_factor_page();
        page.find<QPushButton>(ctx, "BitBtn_calcola_fattori")->click();
        return ran;
    }
};

TEST_F(FactorDialogTest, ComputeAllStopsAtTheFirstOverflowWithItsMessage)
{
    struct Row {
        const char* name;
        uint8_t sel[3];
        uint32_t diameter;
        uint16_t load_revs;
        const char* message;  // null: success
        int computed;         // pairs written
    };
    const Row rows[] = {
        {"defaults", {2, 11, 11}, 1000, 1, nullptr, 3},
        {"position label", {1, 11, 11}, 1000, 1, "Overflow calculation position factors!", 0},
        {"velocity label", {2, 1, 11}, 1000, 1, "Overflow calculation velocity factors!", 1},
        {"acceleration label", {2, 11, 1}, 1000, 1, "Overflow calculation acceleration factors!", 2},
        {"zero diameter", {0, 11, 11}, 0, 1, "Overflow calculation position factors!", 0},
        {"zero load revolutions", {0, 11, 11}, 1000, 0, "Overflow calculation position factors!", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        boxes.clear();
        FactorApplicationRec& a = rec(0);
        Factor_tool_set_defaults(&a);
        std::memcpy(a.b + FactorOfs::Selection, r.sel, 3);
        Rec_set<uint16_t>(a.b, FactorOfs::LabelRevs, 65535);
        a.b[FactorOfs::AppType] = r.diameter == 0 ? 1 : 0;
        Rec_set<uint32_t>(a.b, FactorOfs::DiskDiameter, r.diameter);
        Rec_set<uint16_t>(a.b, FactorOfs::GearLoad, r.load_revs);
        Factor_tool_results = {{-1, -1, -1}, {-1, -1, -1}};
        EXPECT_EQ(Factor_tool_compute_all(), r.message == nullptr ? 1 : 0);
        if (r.message == nullptr) {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(Factor_tool_results.num[1], 16384);
            EXPECT_EQ(Factor_tool_results.den[2], 15);
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, r.message);
            EXPECT_EQ(boxes[0].title, "Attention");
            EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
            for (int q = r.computed + 1; q < 3; ++q)
                EXPECT_EQ(Factor_tool_results.num[q], -1) << q;
        }
    }
}

TEST_F(FactorDialogTest, ShownValuesAreTruncatedToSixtyFourBits)
{
    EXPECT_EQ(TForm_factor_tool::shown_value(1e30), INT64_MAX);
    EXPECT_EQ(TForm_factor_tool::shown_value(-1e30), INT64_MIN);
    EXPECT_EQ(TForm_factor_tool::shown_value(-3.7), -3);
    EXPECT_EQ(TForm_factor_tool::shown_value(4294901760.9), 4294901760);
    EXPECT_EQ(TForm_factor_tool::shown_value(std::nan("")), 0);
}

TEST_F(FactorDialogTest, CaptionsCarryTheTagOfTheContextsBusType)
{
    struct Row {
        uint16_t bus;
        bool can;
        const char* first;
        const char* name;
    };
    for (const Row r : {Row{2, true, "[6093h] Pos factor", "Panel_position_factor"},
                        Row{1, false, "[0609h,060Ah] Pos factor - num", "Panel_pos_factor_num_str"},
                        Row{0, false, "Pos factor - num", "Panel_pos_factor_num_str"},
                        Row{7, false, "Pos factor - num", "Panel_pos_factor_num_str"}}) {
        SCOPED_TRACE(r.bus);
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, r.bus);
        std::unique_ptr<TForm_factor_tool> d;
        if (r.can)
            d = std::make_unique<TForm_can_factor_tool>(nullptr);
        else
            d = std::make_unique<TForm_mdb_factor_tool>(nullptr);
        d->set_language(1);
        EXPECT_EQ(d->findChild<QLabel*>(r.name)->text(), r.first);
        EXPECT_EQ(d->windowTitle(), "Result calculation factors");
        EXPECT_EQ(d->BitBtn_aggiorna->text(), "Updates");
        EXPECT_EQ(d->BitBtn_close->text(), "Close");
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FactorDialogTest, ArchiveUpdateStoresIntoRecordOneAndRefreshesThePage)
{
    connect_drive(1);
    DriveRecordBank[1] = DriveRecordBank[0];
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::MotorType, 0);
    fill(1, MDB_OFS, 7);
    const DriveRecord slot0 = DriveRecordBank[0];
    PageContext = 1;
    Frm_mdb_factor_create(1, host());
    sim->clear_log();
    std::vector<std::string> values;
    bool open_after = true;
    ASSERT_TRUE(calculate<TForm_mdb_factor_tool>("mdb", 1, [&](TForm_mdb_factor_tool* d) {
        values = shown(d);
        EXPECT_TRUE(d->BitBtn_aggiorna->isEnabled());
        d->BitBtn_aggiorna->click();
        open_after = d->isVisible();
    }));
    EXPECT_EQ(values, DEFAULT_VALUES);
    EXPECT_FALSE(open_after);
    const uint32_t expected[6] = {1, 1, 16384, 15, 16384, 15};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(field(1, MDB_OFS[i]), expected[i]) << MDB_OFS[i];
    EXPECT_EQ(texts(), (std::vector<std::string>{"Factors updated !"}));
    EXPECT_EQ(Frm_mdb_factor_page().edit_of(1, 476)->memo()->text(), "16384");
    pump_for(200);
    EXPECT_EQ(sim->request_count(4), 0u);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &slot0, sizeof slot0), 0);
    EXPECT_EQ(Form_mdb_factor_tool, nullptr);
    Frm_mdb_factor_destroy(1);
}

TEST_F(FactorDialogTest, SendWritesTheSixFactorsInOrderThenReports)
{
    connect_drive(1, true);  // polled values frozen: the page is refreshed after the send
    Frm_mdb_factor_create(0, host());
    sim->clear_log();
    ASSERT_TRUE(calculate<TForm_mdb_factor_tool>("mdb", 0, [&](TForm_mdb_factor_tool* d) {
        ASSERT_TRUE(pump_until([d] { return d->BitBtn_aggiorna->isEnabled(); }, 3000));
        d->BitBtn_aggiorna->click();
    }));
    EXPECT_EQ(texts(), (std::vector<std::string>{"Factors data will be overwritten !", "Factors updated !"}));
    const uint32_t expected[6] = {1, 1, 16384, 15, 16384, 15};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(field(0, MDB_OFS[i]), expected[i]);
    EXPECT_EQ(Frm_mdb_factor_page().edit_of(0, 476)->memo()->text(), "16384");
    ASSERT_TRUE(pump_until([this] { return sim->request_count(4) >= 6; }, 3000));
    std::vector<std::pair<uint16_t, uint32_t>> writes;
    for (const auto& w : sim->param_writes())
        if (w.key != 0x0300)  // the main window's control word
            writes.emplace_back(w.key, w.value_u32());
    EXPECT_EQ(writes, (std::vector<std::pair<uint16_t, uint32_t>>{
                          {0x0609, 1}, {0x060B, 1}, {0x0406, 16384}, {0x0408, 15}, {0x040A, 16384}, {0x040C, 15}}));
    EXPECT_TRUE(sim->violations().empty());
    Frm_mdb_factor_destroy(0);
}

// Context 0 without the simulator: the refusals and the link lost meanwhile.
TEST_F(FactorDialogTest, ContextZeroStoresNothingWhenTheSendCannotHappen)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    Frm_cands402_factor_create(0, host());
    struct Row {
        const char* name;
        bool answering;
        bool enabled;
        bool lose_link;       // during the confirmation
        MsgButton confirm;
        std::vector<std::string> messages;
        bool open_after;
    };
    const Row rows[] = {
        {"drive enabled", true, true, false, MsgOk, {"Disable the drive before sending the factors!"}, true},
        {"link down", false, false, false, MsgOk, {}, false},
        {"cancelled", true, false, false, MsgCancel, {"Factors data will be overwritten !"}, false},
        {"link lost", true, false, true, MsgOk, {"Factors data will be overwritten !"}, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        boxes.clear();
        fill(0, CAN_OFS, 7);
        Ser_link_flags.store(0);
        if (r.answering)
            link_answering();
        Drive_status_update_word(0xFFFF, r.enabled ? StatusBit::State5 : 0);
        const MsgSink test_sink = Msgbox_set_sink([&](const MsgRequest& m) {
            boxes.push_back(m);
            if (r.lose_link && m.text == "Factors data will be overwritten !")
                Ser_link_flags.store(0);
            return (m.buttons & MsgCancel) ? r.confirm : MsgOk;
        });
        bool open_after = false;
        ASSERT_TRUE(calculate<TForm_can_factor_tool>("can", 0, [&](TForm_can_factor_tool* d) {
            d->BitBtn_aggiorna->setEnabled(true);
            d->BitBtn_aggiorna->click();
            open_after = d->isVisible();
            if (open_after)
                d->BitBtn_close->click();
        }));
        Msgbox_set_sink(test_sink);
        EXPECT_EQ(texts(), r.messages);
        EXPECT_EQ(open_after, r.open_after);
        for (uint16_t o : CAN_OFS)
            EXPECT_EQ(field(0, o), 7u) << o;
        EXPECT_EQ(Seriale_count(), 0u);
    }
    Ser_link_flags.store(0);
    Drive_status_update_word(0xFFFF, 0);
    Frm_cands402_factor_destroy(0);
}

TEST_F(FactorDialogTest, AnOverflowedPairIsShownButNeverStored)
{
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    fill(1, CAN_OFS, 7);
    rec(1).b[FactorOfs::Selection] = 1;
    Rec_set<uint16_t>(rec(1).b, FactorOfs::LabelRevs, 65535);
    PageContext = 1;
    Frm_cands402_factor_create(1, host());
    std::vector<std::string> values;
    bool open_after = false;
    ASSERT_TRUE(calculate<TForm_can_factor_tool>("can", 1, [&](TForm_can_factor_tool* d) {
        values = shown(d);
        EXPECT_EQ(d->pair_ok(0), 0);
        d->BitBtn_aggiorna->click();
        open_after = d->isVisible();
        d->BitBtn_close->click();
    }));
    EXPECT_EQ(values[0], "4294901760");
    EXPECT_EQ(values[2], "16384");
    EXPECT_TRUE(open_after);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Overflow calculation position factors!"}));
    for (uint16_t o : CAN_OFS)
        EXPECT_EQ(field(1, o), 7u) << o;
    Frm_cands402_factor_destroy(1);
}

TEST_F(FactorDialogTest, UpdateButtonFollowsListReadsInContextZeroOnly)
{
    for (uint8_t ctx = 0; ctx < 2; ++ctx) {
        SCOPED_TRACE(ctx);
        PageContext = ctx;
        Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
        TForm_mdb_factor_tool d(nullptr, host());
        d.show();
        d.Timer_monitor_serialeTimer();
        EXPECT_EQ(d.BitBtn_aggiorna->isEnabled(), ctx == 1);
        EXPECT_EQ(d.Timer_monitor_seriale->isActive(), ctx == 0);
        Ser_data_flags.fetch_or(DataFlag::ListReads);
        ASSERT_TRUE(pump_until([&d] { return d.BitBtn_aggiorna->isEnabled(); }, 2000));
        Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
        if (ctx == 0) {
            ASSERT_TRUE(pump_until([&d] { return !d.BitBtn_aggiorna->isEnabled(); }, 2000));
        }
        d.Timer_monitor_serialeTimer();
        EXPECT_EQ(d.BitBtn_aggiorna->isEnabled(), ctx == 1);
    }
}

}  // namespace
}  // namespace pagetest
