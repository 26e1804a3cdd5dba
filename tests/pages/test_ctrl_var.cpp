// Control setting pages: option values and items (the quick stop's map), the first poll a whole
// interval after Create, and the time-out deceleration's lower bound.
#include <QComboBox>
#include <QLineEdit>

#include <string>
#include <vector>

#include "controls/FlowPanel.h"
#include "page_fixture.h"
#include "page_units.h"
#include "pages/fieldbus/Option_combo.h"

namespace pagetest {
namespace {

TEST(OptionCombo, ItemsOfValuesAndValuesOfItems)
{
    const char* const items[] = {"a", "b", "c", "d", "e"};
    const ComboSpec spec = {{items, items, items}, 3};
    const ComboSpec five = {{items, items, items}, 5};
    const OptionCombo plain = {"c", "p", 0, &spec};
    const OptionCombo quick = {"c", "p", 0, &five, true};
    const struct {
        const OptionCombo& o;
        int16_t value;
        int index;
    } rows[] = {{plain, 0, 0}, {plain, 2, 2}, {plain, 3, -1}, {plain, -1, -1}, {quick, 1, 1}, {quick, 5, 3},
                {quick, 6, 4}, {quick, 3, 0},  {quick, 4, 0},  {quick, 7, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(Option_index(r.o, r.value), r.index) << r.value;
    const int16_t quick_values[] = {0, 1, 2, 5, 6};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Option_value(quick, i), quick_values[i]);
    EXPECT_EQ(Option_value(plain, 2), 2);
}

class CtrlVarTest : public PagesTest {};

TEST_F(CtrlVarTest, QuickStopWithoutItemShowsTheFirstAndPickingItWritesZero)
{
    connect_drive(2);
    Rec_set<int16_t>(DriveRecordBank[0], 2048, 3);
    sim->clear_log();
    const auto start = SimClock::now();
    Frm_cands402_ctrl_var_create(0, host());
    auto* combo = Frm_cands402_ctrl_var_page().find<QComboBox>(0, "ComboBox_quick_stop_option_code");
    EXPECT_EQ(combo->currentText(), "[0] Disable drive");
    Q_EMIT combo->activated(0);
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x605A).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x605A).back().value_u32(), 0u);
    Q_EMIT combo->activated(3);
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 2048), 5);
    ASSERT_TRUE(pump_until([this] { return writes_of(0x605A).size() >= 2; }, 3000));
    EXPECT_EQ(writes_of(0x605A).back().value_u32(), 5u);
    for (const SimLogEntry& e : sim->requests(30))
        EXPECT_GE(e.start - start, std::chrono::milliseconds(100));
    Frm_cands402_ctrl_var_destroy(0);
}

TEST_F(CtrlVarTest, TimeOutDecelerationRefusesNineAndTakesTen)
{
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    Rec_set<uint32_t>(DriveRecordBank[1], 500, 100);
    Frm_mdb_ctrl_var_create(1, host());
    MemoUpDwxBase* e = Frm_mdb_ctrl_var_page().edit_of(1, 500);
    const struct {
        const char* typed;
        uint32_t stored;
    } rows[] = {{"9", 100}, {"10", 10}};
    for (const auto& r : rows) {
        e->memo()->setFocus();
        e->memo()->clear();
        QTest::keyClicks(e->memo(), r.typed);
        QTest::keyClick(e->memo(), Qt::Key_Return);
        EXPECT_EQ(Rec_get<uint32_t>(DriveRecordBank[1], 500), r.stored) << r.typed;
        boxes.clear();
    }
    Frm_mdb_ctrl_var_destroy(1);
}

// The timer step takes a changed option code and the combo follows.
TEST_F(CtrlVarTest, UpdateStepTakesPolledOptionCodes)
{
    quiet_link(1);
    Rec_set<int16_t>(DriveRecordBank[0], 514, 0);
    Frm_mdb_ctrl_var_create(0, host());
    Rec_set<int16_t>(DriveReadBack, 514, 2);
    poll_and_reply(Frm_mdb_ctrl_var_page());
    Frm_mdb_ctrl_var_update();
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 514), 2);
    EXPECT_EQ(Frm_mdb_ctrl_var_page().find<QComboBox>(0, "ComboBox_modo_halt")->currentIndex(), 2);
    Frm_mdb_ctrl_var_destroy(0);
}

}  // namespace
}  // namespace pagetest

namespace pagetest {
namespace {

// Every option combo's items in each language, as the drive's option codes name them; each fits
// its fixed row (35 or 40 characters, the terminator included) and is shown without padding.
TEST_F(CtrlVarTest, OptionItemsByLanguage)
{
    struct Combo {
        bool modbus;
        const char* name;
        int row;
        std::vector<const char*> items[3];
    };
    const Combo combos[] = {
        {false, "ComboBox_abort_connection_option_code", 35,
         {{"[0] Nessuna azione", "[1] Malfunzionamento", "[2] Disabilta Tensione", "[3] Stop veloce"},
          {"[0] No action", "[1] Malfunction", "[2] Disable Voltage", "[3] Quick stop"},
          {"[0] Aucune action", "[1] Anomalie", "[2] Désactiver la tension", "[3] Arrêt rapide"}}},
        {false, "ComboBox_quick_stop_option_code", 40,
         {{"[0] Disabilita drive", "[1] Rampa lenta", "[2] Rampa veloce", "[5] Rampa lenta(Q.S.)", "[6] Rampa veloce(Q.S.)"},
          {"[0] Disable drive", "[1] Slow down ramp", "[2] Quick stop ramp", "[5] Slow stop ramp(Q.S.)",
           "[6] Quick stop ramp(Q.S.)"},
          {"[0] Désactiver drive", "[1] Ralent. rampe", "[2] Arrêt rapide", "[5] Ralent. rampe(Q.S.)",
           "[6] Arrêt rapide(Q.S.)"}}},
        {false, "ComboBox_halt_option_code", 40,
         {{"[0] Disabilita drive", "[1] Rampa lenta", "[2] Rampa veloce"},
          {"[0] Disable drive", "[1] Slow down ramp", "[2] Quick stop ramp"},
          {"[0] Désactiver drive", "[1] Ralent. rampe", "[2] Arrêt rapide"}}},
        {false, "ComboBox_fault_reaction_option_code", 40,
         {{"[0] Disabilita drive", "[1] Rampa lenta", "[2] Rampa veloce", "[3] Limite coppia"},
          {"[0] Disable drive", "[1] Slow down ramp", "[2] Quick stop ramp", "[3] Torque limit"},
          {"[0] Désactiver drive", "[1] Ralent. rampe", "[2] Arrêt rapide", "[3] Limite couple"}}},
        {true, "ComboBox_modo_com_time_out", 35,
         {{"[0] Nessuna azione", "[1] Disabilita potenza", "[2] Decelerazione"},
          {"[0] No action", "[1] Disable power", "[2] Deceleration"},
          {"[0] Aucune action", "[1] Désactiver l'énergie", "[2] Décélération"}}},
        {true, "ComboBox_modo_fault_reaction", 40,
         {{"[0] Disabilita potenza", "[1] Rampa decelerazione", "[2] Limite coppia"},
          {"[0] Disable power", "[1] Deceleration ramp", "[2] Torque limit"},
          {"[0] Désactiver l'énergie", "[1] Ralent. rampe", "[2] Limite couple"}}},
        {true, "ComboBox_modo_halt", 40,
         {{"[0] Disabilita potenza", "[1] Rampa power off", "[2] Rampa power on"},
          {"[0] Disable power", "[1] Ramp power off", "[2] Ramp power on"},
          {"[0] Désactiver l'énergie", "[1] Rampe power off", "[2] Rampe power on"}}},
    };
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_mdb_ctrl_var_create(0, host());
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    Frm_cands402_ctrl_var_create(0, host());
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        Frm_mdb_ctrl_var_set_language(0);
        Frm_cands402_ctrl_var_set_language(0);
        for (const Combo& c : combos) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(lang));
            ParamPage& page = c.modbus ? Frm_mdb_ctrl_var_page() : Frm_cands402_ctrl_var_page();
            auto* combo = page.find<QComboBox>(0, c.name);
            ASSERT_EQ(combo->count(), static_cast<int>(c.items[lang].size()));
            for (int i = 0; i < combo->count(); ++i) {
                EXPECT_EQ(combo->itemText(i), QString::fromUtf8(c.items[lang][i]));
                EXPECT_LT(combo->itemText(i).size(), c.row);
            }
        }
    }
    Frm_cands402_ctrl_var_destroy(0);
    Frm_mdb_ctrl_var_destroy(0);
}

// Captions from the dictionary (CiA 402) or the page's text after the tag (Modbus); without a link
// the main window's combos are locked.
TEST_F(CtrlVarTest, CaptionsAndAccessOfTheCombos)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_mdb_ctrl_var_create(0, host());
    EXPECT_EQ(Frm_mdb_ctrl_var_page().find<FlowPanel>(0, "Panel_modo_com_time_out")->caption(), "[0411h] Mode timeout");
    EXPECT_FALSE(Frm_mdb_ctrl_var_page().find<QComboBox>(0, "ComboBox_modo_halt")->isEnabled());
    Frm_mdb_ctrl_var_destroy(0);
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    Frm_cands402_ctrl_var_create(1, host());
    EXPECT_EQ(Frm_cands402_ctrl_var_page().find<FlowPanel>(1, "Panel_halt_option_code")->caption(),
              "[605Dh,0] Halt option code");
    EXPECT_TRUE(Frm_cands402_ctrl_var_page().find<QComboBox>(1, "ComboBox_halt_option_code")->isEnabled());
    Frm_cands402_ctrl_var_destroy(1);
}

}  // namespace
}  // namespace pagetest
