// Speed reference pages: the reference type and its tab, the frequency mode and enable bits alone,
// and values of another tab's list never taken.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include <string>

#include "controls/FlowPanel.h"
#include "diagram_draws.h"
#include "diagrams/Blocks_dat.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class SpeedPagesTest : public PagesTest {
protected:
    static uint16_t u16(uint8_t slot, uint16_t ofs) { return Rec_get<uint16_t>(DriveRecordBank[slot], ofs); }
    static void set16(uint8_t slot, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[slot], ofs, v); }
    template <typename W = QWidget>
    static W* main_w(const char* name) { return Frm_mdb_speed_main_page().find<W>(0, name); }
    template <typename W = QWidget>
    static W* aux_w(const char* name) { return Frm_mdb_speed_aux_page().find<W>(0, name); }
    bool written(uint16_t key, uint32_t value)
    {
        return pump_until([&] { return !writes_of(key).empty() && writes_of(key).back().value_u32() == value; }, 3000);
    }
};

TEST_F(SpeedPagesTest, MainSpeedTypeAndFrequencyModeAreStoredShownAndSent)
{
    connect_drive(1);
    LanguageIndex = 0;
    set16(0, 596, 0);
    set16(0, 594, 0x001D);
    Frm_mdb_speed_main_create(0, host());
    auto* type = main_w<QComboBox>("ComboBox_rif_main_vel");
    ASSERT_EQ(type->itemText(2), "Frequenza");
    Q_EMIT type->activated(2);
    EXPECT_EQ(u16(0, 596), 2);
    EXPECT_EQ(main_w<QTabWidget>("PageControl_rif_main_vel")->currentIndex(), 2);
    EXPECT_TRUE(written(0x0501, 2));

    auto* mode = main_w<QComboBox>("ComboBox_rif_freq_modo");
    EXPECT_EQ(mode->currentIndex(), 1);
    EXPECT_EQ(mode->itemText(2), "Impulsi CW/CCW");
    Q_EMIT mode->activated(2);
    EXPECT_EQ(u16(0, 594), 0x001E);
    EXPECT_EQ(main_w<QLabel>("Panel_par_cm_vel_flg_dat_freq_modo")->text(), "001Eh");
    EXPECT_TRUE(written(0x0500, 0x001E));
    Frm_mdb_speed_main_destroy(0);

    PageContext = 1;
    set16(1, RecOfs::BusType, 1);
    Frm_mdb_speed_main_create(1, host());
    MemoUpDwxBase* offset = Frm_mdb_speed_main_page().edit_of(1, 552);
    offset->memo()->setFocus();
    offset->memo()->clear();
    QTest::keyClicks(offset->memo(), "-12.5");
    QTest::keyClick(offset->memo(), Qt::Key_Return);
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[1], 552), -125);
    Frm_mdb_speed_main_destroy(1);
}

TEST_F(SpeedPagesTest, MainSpeedTypeWithoutItemSelectsNothingAndKeepsItsTab)
{
    quiet_link();
    set16(0, 596, 3);
    set16(0, 594, 0x0003);
    Frm_mdb_speed_main_create(0, host());
    EXPECT_EQ(main_w<QComboBox>("ComboBox_rif_main_vel")->currentIndex(), -1);
    EXPECT_EQ(main_w<QComboBox>("ComboBox_rif_freq_modo")->currentIndex(), -1);
    EXPECT_EQ(main_w<QLabel>("Panel_par_cm_vel_flg_dat_freq_modo")->text(), "0003h");
    uint16_t n = 0;
    EXPECT_NE(Frm_mdb_speed_main_page().next_list(&n), nullptr);
    Frm_mdb_speed_main_destroy(0);
}

// Only the two mode bits are taken from the drive; the type sets the combo, not the tab.
TEST_F(SpeedPagesTest, MainSpeedTakesTheModeBitsAloneAndKeepsTheTab)
{
    quiet_link();
    set16(0, 596, 2);
    set16(0, 594, 0x0018);
    Frm_mdb_speed_main_create(0, host());
    Rec_set<uint16_t>(DriveReadBack, 594, 0x0002);
    Rec_set<uint16_t>(DriveReadBack, 596, 2);
    poll_and_reply(Frm_mdb_speed_main_page());
    EXPECT_EQ(u16(0, 594), 0x001A);
    EXPECT_EQ(main_w<QComboBox>("ComboBox_rif_freq_modo")->currentIndex(), 2);
    Rec_set<uint16_t>(DriveReadBack, 596, 0);
    poll_and_reply(Frm_mdb_speed_main_page());
    EXPECT_EQ(u16(0, 596), 0);
    EXPECT_EQ(main_w<QComboBox>("ComboBox_rif_main_vel")->currentIndex(), 0);
    EXPECT_EQ(main_w<QTabWidget>("PageControl_rif_main_vel")->currentIndex(), 2);
    Frm_mdb_speed_main_destroy(0);
}

// A value of another tab's list is never taken; after its tab is shown and its list answered it is.
TEST_F(SpeedPagesTest, MainSpeedTakesInsideSpeedOnlyFromItsOwnList)
{
    quiet_link();
    set16(0, 596, 0);
    Rec_set<int32_t>(DriveRecordBank[0], 556, 5);
    Frm_mdb_speed_main_create(0, host());
    Rec_set<int32_t>(DriveReadBack, 556, 7);
    for (int i = 0; i < 3; ++i)
        poll_and_reply(Frm_mdb_speed_main_page());
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 556), 5);
    main_w<QTabWidget>("PageControl_rif_main_vel")->setCurrentIndex(1);
    EXPECT_EQ(Frm_mdb_speed_main_page().edit_of(0, 556)->memo()->text(), "5");
    Rec_set<int32_t>(DriveReadBack, 556, 9);
    Frm_mdb_speed_main_page().tick();
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 556), 5);
    poll_and_reply(Frm_mdb_speed_main_page());
    EXPECT_EQ(Rec_get<int32_t>(DriveRecordBank[0], 556), 9);
    EXPECT_EQ(u16(0, 596), 0);
    Frm_mdb_speed_main_destroy(0);
}

TEST_F(SpeedPagesTest, ShownTabShowsItsValuesOfTheRecord)
{
    quiet_link();
    set16(0, 596, 1);
    Frm_mdb_speed_main_create(0, host());
    Rec_set<uint32_t>(DriveRecordBank[0], 548, 4321);
    main_w<QTabWidget>("PageControl_rif_main_vel")->setCurrentIndex(0);
    EXPECT_EQ(Frm_mdb_speed_main_page().edit_of(0, 548)->memo()->text(), "4321");
    Frm_mdb_speed_main_destroy(0);
}

TEST_F(SpeedPagesTest, MeasuredSpeedFollowsAlsoWhileTheOtherValuesAreHeld)
{
    quiet_link();
    set16(0, 596, 1);
    Frm_mdb_speed_main_create(0, host());
    DriveUiFlags.fetch_or(UiFlag::Remote);
    Rec_set<int32_t>(DriveReadBack, 556, 9);
    std::memcpy(Loc_ptr_n(Loc_readback(LiveLoc::MeasuredSpeed), 4), "\x9c\xff\xff\xff", 4);  // -100
    poll_and_reply(Frm_mdb_speed_main_page());
    EXPECT_EQ(main_w<QLabel>("Panel_vel_speed_mis_dat")->text(), "-100");
    EXPECT_EQ(main_w<FlowPanel>("Panel_vel_speed_mis_str")->caption(), "[051Dh,051Eh] Meas. Speed.");
    EXPECT_NE(Rec_get<int32_t>(DriveRecordBank[0], 556), 9);
    Frm_mdb_speed_main_destroy(0);
}

TEST_F(SpeedPagesTest, AuxSpeedStoredTypeSwitchesTheTabOnlyAndEnableSetsBitTwo)
{
    connect_drive(1);
    set16(0, 598, 1);
    set16(0, 594, 0x0019);
    Frm_mdb_speed_aux_create(0, host());
    auto* tabs = aux_w<QTabWidget>("PageControl_rif_aux_vel");
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(aux_w<QLabel>("Panel_par_cm_vel_flg_dat_enable_aux_speed")->text(), "0019h");
    tabs->setCurrentIndex(0);
    const std::size_t writes = sim->param_writes().size();
    Q_EMIT aux_w<QComboBox>("ComboBox_rif_aux_vel")->activated(1);
    EXPECT_EQ(tabs->currentIndex(), 1);
    auto* box = aux_w<QCheckBox>("CheckBox_enable_aux_speed");
    box->setEnabled(true);
    box->click();
    EXPECT_EQ(u16(0, 594), 0x001D);
    EXPECT_EQ(aux_w<QLabel>("Panel_par_cm_vel_flg_dat_enable_aux_speed")->text(), "001Dh");
    EXPECT_EQ(aux_w<QLabel>("Panel_dato_enable_aux_on_off")->text(), "On");
    EXPECT_TRUE(written(0x0500, 0x001D));
    EXPECT_TRUE(writes_of(0x0502).empty());
    EXPECT_EQ(sim->param_writes().size(), writes + 1);

    Q_EMIT aux_w<QComboBox>("ComboBox_rif_aux_vel")->activated(2);
    EXPECT_EQ(u16(0, 598), 2);
    EXPECT_TRUE(written(0x0502, 2));
    Frm_mdb_speed_aux_destroy(0);
}

// The polled type sets the combo, not the tab; a tab the user shows shows its record values.
TEST_F(SpeedPagesTest, AuxSpeedTakesThePolledTypeAndShowsTheChosenTab)
{
    quiet_link();
    set16(0, 598, 0);
    Frm_mdb_speed_aux_create(0, host());
    EXPECT_TRUE(aux_w<FlowPanel>("Panel_tipo_aux_speed")->caption().startsWith("[0502h] "));
    Rec_set<uint16_t>(DriveReadBack, 598, 2);
    Rec_set<uint16_t>(DriveReadBack, 594, 0);
    poll_and_reply(Frm_mdb_speed_aux_page());
    EXPECT_EQ(u16(0, 598), 2);
    EXPECT_EQ(aux_w<QComboBox>("ComboBox_rif_aux_vel")->currentIndex(), 2);
    EXPECT_EQ(aux_w<QTabWidget>("PageControl_rif_aux_vel")->currentIndex(), 0);
    Rec_set<int32_t>(DriveRecordBank[0], 568, 321);
    aux_w<QTabWidget>("PageControl_rif_aux_vel")->setCurrentIndex(1);
    EXPECT_EQ(Frm_mdb_speed_aux_page().edit_of(0, 568)->memo()->text(), "321");
    Frm_mdb_speed_aux_destroy(0);
}

// Tab captions and reference type items of both pages, in each language (the Aux Speed items
// replaced in place).
TEST_F(SpeedPagesTest, TabsAndTypeItemsByLanguage)
{
    set16(0, RecOfs::BusType, 1);
    Frm_mdb_speed_main_create(0, host());
    Frm_mdb_speed_aux_create(0, host());
    const struct {
        ParamPage& (*page)();
        const char* tabs;
        const char* combo;
        const char* tab[3][3];
        const char* item[3][3];
    } pages[] = {
        {Frm_mdb_speed_main_page, "PageControl_rif_main_vel", "ComboBox_rif_main_vel",
         {{"Analogica", "Interna", "Frequenza"}, {"Analog", "Inside", "Frequency"}, {"Analogique", "Intérieure", "Fréquence"}},
         {{"Analogica", "Interna", "Frequenza"}, {"Analog", "Inside", "Frequency"}, {"Analogique", "Intérieure", "Fréquence"}}},
        {Frm_mdb_speed_aux_page, "PageControl_rif_aux_vel", "ComboBox_rif_aux_vel",
         {{"Analogica", "Interna", "Limite coppia"},
          {"Analog", "Inside", "Torque limit"},
          {"Analogique", "Intérieure", "Limite de la couple"}},
         {{"Velocità Analogica", "Velocità  Interna", "Limite coppia"},
          {"Analog Speed", "Inside Speed", "Torque limit"},
          {"Vitesse Analogique", "Vitesse Intérieure", "Limite de la couple"}}},
    };
    for (uint8_t lang = 0; lang < 3; ++lang) {
        LanguageIndex = lang;
        for (const auto& p : pages) {
            SCOPED_TRACE(std::string(p.combo) + " " + std::to_string(lang));
            p.page().set_language(0);
            auto* tabs = p.page().find<QTabWidget>(0, p.tabs);
            auto* combo = p.page().find<QComboBox>(0, p.combo);
            ASSERT_EQ(combo->count(), 3);
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(p.tab[lang][i]));
                EXPECT_EQ(combo->itemText(i), QString::fromUtf8(p.item[lang][i]));
            }
        }
    }
    Frm_mdb_speed_aux_destroy(0);
    Frm_mdb_speed_main_destroy(0);
}

// With the Control Set page open, the enable box and a new reference type each draw its diagram
// once; picking the type already stored draws nothing.
TEST_F(SpeedPagesTest, AuxSpeedRedrawsTheControlDiagramOnceForEachChange)
{
    quiet_link();
    set16(0, 466, 0);
    set16(0, 598, 0);
    set16(0, 594, 0x0019);
    Frm_mdb_control_create(0, host());
    Frm_mdb_speed_aux_create(0, host());
    DiagramDraws draws;
    auto* box = aux_w<QCheckBox>("CheckBox_enable_aux_speed");
    box->setEnabled(true);
    box->click();
    EXPECT_EQ(u16(0, 594), 0x001D);
    EXPECT_EQ(draws.count, 1);
    auto* type = aux_w<QComboBox>("ComboBox_rif_aux_vel");
    Q_EMIT type->activated(2);
    EXPECT_EQ(draws.count, 2);
    EXPECT_EQ(std::find(Blocks_speed, Blocks_speed + BLOCKS_SPEED, &Block_sum_aux), Blocks_speed + BLOCKS_SPEED);
    Q_EMIT type->activated(2);
    EXPECT_EQ(draws.count, 2);
    Frm_mdb_speed_aux_destroy(0);
    Frm_mdb_control_destroy(0);
}

TEST_F(SpeedPagesTest, ArchiveAuxEnableChangesSlotOneAndTheItalianItemKeepsItsTwoBlanks)
{
    quiet_link();
    LanguageIndex = 0;
    PageContext = 1;
    set16(1, RecOfs::BusType, 1);
    set16(1, 594, 0x0001);
    Frm_mdb_speed_aux_create(1, host());
    auto* type = Frm_mdb_speed_aux_page().find<QComboBox>(1, "ComboBox_rif_aux_vel");
    EXPECT_EQ(type->count(), 3);
    EXPECT_EQ(type->itemText(1), QString::fromUtf8("Velocità  Interna"));
    Frm_mdb_speed_aux_page().find<QCheckBox>(1, "CheckBox_enable_aux_speed")->click();
    EXPECT_EQ(u16(1, 594), 0x0005);
    EXPECT_EQ(Seriale_count(), 0);
    Frm_mdb_speed_aux_destroy(1);
}

}  // namespace
}  // namespace pagetest
