// Digital input pages: names and rows by bus type and control type (types outside the table as
// type 0), one bit per control with its echoes, polled bits set without writing.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "controls/Graph_draw.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class InputPagesTest : public PagesTest {
protected:
    static void setup(uint8_t slot, uint16_t bus, int16_t io_type, int16_t mdb_type, uint16_t word)
    {
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::BusType, bus);
        Rec_set<int16_t>(DriveRecordBank[slot], 118, io_type);
        Rec_set<int16_t>(DriveRecordBank[slot], 466, mdb_type);
        Rec_set<uint16_t>(DriveRecordBank[slot], 504, word);
    }
    template <typename W = QWidget>
    static W* w(const char* name, uint8_t ctx = 1) { return Frm_mdb_input_page().find<W>(ctx, name); }
    static bool shown(const char* name) { return !w(name)->isHidden(); }
};

TEST_F(InputPagesTest, NamesByBusAndControlTypeWithTypesOutsideTheTableAsTypeZero)
{
    const struct {
        uint16_t bus;
        int16_t io, mdb;
        DigitalInputGroup group;
    } rows[] = {{0, 1, 0, InputIo1}, {0, 5, 0, InputIo0}, {0, -1, 3, InputIo0}, {1, 0, 3, InputMdb3},
                {1, 2, 9, InputMdb0}, {1, 0, -1, InputMdb0}, {2, 1, 1, InputOther}};
    for (const auto& r : rows) {
        setup(1, r.bus, r.io, r.mdb, 0);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(&Frm_mdb_input_name(1, i), &DigitalInputNameTable[r.group][i]) << r.bus << "/" << r.io << "/" << r.mdb;
    }
}

TEST_F(InputPagesTest, ModbusTorqueTypeShowsNotUsedInGreyAndOnlyTheCaptureRow)
{
    PageContext = 1;
    setup(1, 1, 0, 1, 0);
    Frm_mdb_input_create(1, host());
    for (const char* name : {"Panel_input_0", "Panel_input_1", "Panel_input_2", "Panel_input_3", "Panel_input_4"}) {
        EXPECT_EQ(w<QLabel>(name)->text(), "Not Used") << name;
        EXPECT_EQ(w(name)->palette().color(QPalette::WindowText), clGray) << name;
    }
    for (const char* name : {"CheckBox_fine_corsa_CW_enable", "ComboBox_fine_corsa_CCW_volt", "Panel_modo_input_power",
                             "ComboBox_fine_corsa_home_volt"})
        EXPECT_FALSE(shown(name)) << name;
    for (const char* name : {"CheckBox_in5_pos_mis_enable", "ComboBox_in5_pos_mis_volt", "GroupBox_dati_misura_pos"})
        EXPECT_TRUE(shown(name)) << name;
    Frm_mdb_input_destroy(1);
}

TEST_F(InputPagesTest, IoTorqueTypeHidesLimitsAndReverseAndKeepsPower)
{
    PageContext = 1;
    setup(1, 0, 1, 0, 0);
    Frm_mdb_input_create(1, host());
    for (const char* name : {"CheckBox_fine_corsa_CW_enable", "CheckBox_fine_corsa_CCW_enable",
                             "CheckBox_enable_input_reverse", "CheckBox_in5_pos_mis_enable"})
        EXPECT_FALSE(shown(name)) << name;
    EXPECT_TRUE(shown("Panel_modo_input_power"));
    EXPECT_EQ(w<QLabel>("Panel_input_2")->text(), "Not Used");
    // Types outside the table lay out as type 0: limits and reverse shown, names in the boxes.
    for (int16_t io : {5, -1}) {
        Rec_set<int16_t>(DriveRecordBank[1], 118, io);
        Frm_mdb_input_layout(1);
        EXPECT_TRUE(shown("CheckBox_fine_corsa_CW_enable"));
        EXPECT_TRUE(shown("CheckBox_enable_input_reverse"));
        EXPECT_EQ(w<QLabel>("Panel_input_2")->text(), "");
    }
    Frm_mdb_input_destroy(1);
}

TEST_F(InputPagesTest, ContactLevelSetsItsBitAloneAndEveryEchoShowsTheWord)
{
    connect_drive(1);
    setup(0, 1, 0, 3, 0x0138);
    Frm_mdb_input_create(0, host());
    auto* cw = w<QComboBox>("ComboBox_fine_corsa_CW_volt", 0);
    EXPECT_EQ(cw->itemText(1), "Contact 24 V");
    Q_EMIT cw->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 504), 0x013A);
    for (const char* echo : {"Panel_par_inset_fine_corsa_CW", "Panel_par_inset_fine_corsa_CCW",
                             "Panel_par_inset_fine_corsa_home", "Panel_in5_pos_mis_dat", "Panel_in5_pos_mis_mode_dat"})
        EXPECT_EQ(w<QLabel>(echo, 0)->text(), "013Ah") << echo;
    ASSERT_TRUE(pump_until([this] { return !writes_of(0x0414).empty(); }, 3000));
    EXPECT_EQ(writes_of(0x0414).back().value_u32(), 0x013Au);
    Q_EMIT w<QComboBox>("ComboBox_modo_input_power", 0)->activated(1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 504), 0x013Au | 0x20u);
    Frm_mdb_input_destroy(0);

    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    DriveRecordBank[0].b[2266] = 0x58;
    Frm_cands402_input_create(0, host());
    Q_EMIT Frm_cands402_input_page().find<QComboBox>(0, "ComboBox_fine_corsa_CW_volt")->activated(1);
    EXPECT_EQ(DriveRecordBank[0].b[2266], 0x5A);
    EXPECT_EQ(Frm_cands402_input_page().find<QLabel>(0, "Panel_in5_pos_mis_enable")->text(), "5Ah");
    Q_EMIT Frm_cands402_input_page().find<QComboBox>(0, "ComboBox_fine_corsa_CCW_volt")->activated(0);
    EXPECT_EQ(DriveRecordBank[0].b[2266], 0x52);
    Frm_cands402_input_destroy(0);
}

// A polled bit sets its box and label without a write; a new control type lays the page out.
TEST_F(InputPagesTest, PolledBitAndControlTypeFollowTheDriveWithoutWriting)
{
    quiet_link(1);
    setup(0, 1, 0, 0, 0x0000);
    Frm_mdb_input_create(0, host());
    EXPECT_FALSE(w("ComboBox_fine_corsa_home_volt", 0)->isVisibleTo(w("Panel_input_4", 0)->parentWidget()));
    Rec_set<uint16_t>(DriveReadBack, 504, 0x0021);
    Rec_set<int16_t>(DriveReadBack, 466, 3);
    poll_and_reply(Frm_mdb_input_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 504), 0x0001);  // bit 5 is not taken
    EXPECT_TRUE(w<QCheckBox>("CheckBox_fine_corsa_CW_enable", 0)->isChecked());
    EXPECT_EQ(w<QLabel>("Panel_fine_corsa_CW_enable_on_off", 0)->text(), "On");
    EXPECT_FALSE(w("ComboBox_fine_corsa_home_volt", 0)->isHidden());
    EXPECT_EQ(Seriale_count(), 0);
    Frm_mdb_input_destroy(0);
}

TEST_F(InputPagesTest, IoControlTakesNoSettingsButCaptureResultsFollow)
{
    quiet_link(0);
    setup(0, 0, 1, 0, 0x0000);
    Frm_mdb_input_create(0, host());
    Rec_set<uint16_t>(DriveReadBack, 504, 0x0001);
    std::memcpy(Loc_ptr_n(Loc_readback(LiveLoc::PositionDelta), 4), "\x07\x00\x00\x00", 4);
    Frm_mdb_input_update();
    poll_and_reply(Frm_mdb_input_page());
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 504), 0);
    EXPECT_EQ(w<QLabel>("Panel_pos_delta_mis_dat", 0)->text(), "7");
    Frm_mdb_input_destroy(0);
}

}  // namespace
}  // namespace pagetest

namespace pagetest {
namespace {

// Check-box and combo captions: the setting field's address tag, then the page's own text.
TEST_F(InputPagesTest, CaptionsCarryTheSettingFieldsTag)
{
    PageContext = 1;
    setup(1, 1, 0, 3, 0);
    Frm_mdb_input_create(1, host());
    EXPECT_EQ(w<QCheckBox>("CheckBox_fine_corsa_CW_enable")->text(), "[0414h] End Stop CW");
    EXPECT_EQ(w<QCheckBox>("CheckBox_fine_corsa_CCW_enable")->text(), "[0414h] End Run CCW");
    EXPECT_EQ(w<QLabel>("Panel_input_4")->text(), "[0414h] Limit Switch Home");
    Frm_mdb_input_destroy(1);
}

}  // namespace
}  // namespace pagetest
