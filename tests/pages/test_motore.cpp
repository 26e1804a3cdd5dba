// Motor Data page: controls by motor type, the poles combo, the motor-type and poles handlers,
// the pole pitch register pair and the magnet flow left out of the copy.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "link/Serrx.h"
#include "page_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class MotoreTest : public PagesTest {
protected:
    QComboBox* combo(const char* name, uint8_t ctx = 0) { return Frm_motore_page().find<QComboBox>(ctx, name); }
    bool shown(const char* name) { return !Frm_motore_page().find<QWidget>(0, name)->isHidden(); }
    void set(uint8_t slot, uint16_t ofs, uint16_t v) { Rec_set<uint16_t>(DriveRecordBank[slot], ofs, v); }
};

TEST_F(MotoreTest, ControlsFollowTheMotorType)
{
    set(0, RecOfs::BusType, 1);
    Frm_motore_create(0, host());
    struct Row {
        uint16_t type;
        bool poles, combo, linear, pitch;
    };
    // Type 2 keeps the combo and linear panel as type 0 left them.
    for (const Row r : {Row{0, true, true, false, false}, Row{2, false, true, false, false},
                        Row{1, true, false, true, true}, Row{0, true, true, false, false}, Row{3, true, true, false, false}}) {
        SCOPED_TRACE(r.type);
        set(0, RecOfs::MotorType, r.type);
        Frm_motore_refresh(0);
        EXPECT_EQ(shown("Panel_poli_motore"), r.poles);
        EXPECT_EQ(shown("ComboBox_poli_motore_rotativo"), r.combo);
        EXPECT_EQ(shown("Panel_poli_motore_linear"), r.linear);
        EXPECT_EQ(shown("FlowPanel_passo_polare"), r.pitch);
        EXPECT_EQ(combo("ComboBox_motor_type")->currentIndex(), r.type < 3 ? r.type : -1);
    }
    QComboBox* poles = combo("ComboBox_poli_motore_rotativo");
    ASSERT_EQ(poles->count(), 25);
    EXPECT_EQ(poles->itemText(0), "2");
    EXPECT_EQ(poles->itemText(24), "50");
    for (const auto& [pairs, text] : {std::pair<uint16_t, const char*>{0, ""}, {3, "6"}, {26, ""}}) {
        set(0, 150, pairs);
        Frm_motore_refresh(0);
        EXPECT_EQ(poles->currentText(), text);
    }
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Frm_motore_page().find<FlowPanel>(0, "Panel_motor_type")->caption(), "[0151h] Type Motor");
    EXPECT_EQ(Frm_motore_page().find<FlowPanel>(0, "Panel_poli_motore")->caption(), "[015Ah] Motor Poles");
    Frm_motore_destroy(0);
}

TEST_F(MotoreTest, ArchiveCombosChangeSlotOneOnly)
{
    set(1, RecOfs::BusType, 1);
    const DriveRecord slot0 = DriveRecordBank[0];
    PageContext = 1;
    Frm_motore_create(1, host());
    Q_EMIT combo("ComboBox_motor_type", 1)->activated(2);
    Q_EMIT combo("ComboBox_poli_motore_rotativo", 1)->activated(4);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], RecOfs::MotorType), 2);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 150), 5);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &slot0, sizeof slot0), 0);
    Frm_motore_destroy(1);
}

TEST_F(MotoreTest, UnknownBusTypeOpensSilentlyWithoutAList)
{
    set(0, RecOfs::BusType, 3);
    Frm_motore_create(0, host());
    EXPECT_EQ(Frm_motore_page().next_list(nullptr), nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(combo("ComboBox_motor_type")->isEnabled());
    EXPECT_FALSE(combo("ComboBox_poli_motore_rotativo")->isEnabled());
    Frm_motore_destroy(0);
}

// A polled motor type and pole count reach the combos and the controls by type.
TEST_F(MotoreTest, PolledMotorTypeAndPolesAreShown)
{
    set(0, RecOfs::BusType, 1);
    set(0, RecOfs::MotorType, 0);
    Ser_data_flags.fetch_or(DataFlag::ListReads);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::Remote));
    Frm_motore_create(0, host());
    DriveReadBack = DriveRecordBank[0];
    std::this_thread::sleep_for(std::chrono::milliseconds(110));
    Frm_motore_page().tick();  // the list goes out (no link: at once)
    Rec_set<uint16_t>(DriveReadBack, RecOfs::MotorType, 1);
    Rec_set<uint16_t>(DriveReadBack, 150, 3);
    Ser_list_reply_count.fetch_add(1);
    Frm_motore_page().tick();
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], RecOfs::MotorType), 1);
    EXPECT_EQ(combo("ComboBox_motor_type")->currentIndex(), 1);
    EXPECT_TRUE(shown("FlowPanel_passo_polare"));
    EXPECT_EQ(combo("ComboBox_poli_motore_rotativo")->currentText(), "6");
    Frm_motore_destroy(0);
}

TEST_F(MotoreTest, HandlersWriteAndPolledPairFormsThePolePitch)
{
    connect_drive(1);
    set(0, RecOfs::MotorType, 0);
    sim->set_list_value(0x0165, 0, {0x01, 0x00});
    sim->set_list_value(0x0166, 0, {0xA0, 0x86});
    const uint16_t flux = Rec_get<uint16_t>(DriveRecordBank[0], 168);
    Rec_set<uint16_t>(DriveReadBack, 168, static_cast<uint16_t>(flux + 1));
    Frm_motore_create(0, main->ScrollBox_Menu_host);
    auto pitch_shown = [] {
        return Rec_get<uint32_t>(DriveRecordBank[0], 124) == 100000 &&
               Frm_motore_page().edit_of(0, 124)->memo()->text() == "100.000";
    };
    EXPECT_TRUE(pump_until(pitch_shown, 1000));
    pump_for(1000);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 168), flux);
    EXPECT_EQ(Frm_motore_page().edit_of(0, 168)->memo()->text(), Frm_motore_page().edit_of(0, 168)->format(flux));
    sim->clear_list_values();  // the poll would bring the simulator's values back

    auto* speed = Frm_motore_page().find<FlowPanel>(0, "FlowPanel_vel_nom");
    EXPECT_EQ(speed->caption(), "[0152h] Nominal Speed [rpm]");
    const std::size_t writes = sim->param_writes().size();
    Q_EMIT combo("ComboBox_motor_type")->activated(1);
    EXPECT_EQ(speed->caption(), "[0152h] Nominal Speed [mm/s]");
    EXPECT_EQ(main->findChild<QLabel*>("Panel_vel_unit_mis")->text(), "mm/s");
    set(0, RecOfs::MotorType, 0);
    Frm_motore_refresh(0);
    Q_EMIT combo("ComboBox_poli_motore_rotativo")->activated(2);
    ASSERT_TRUE(pump_until([&] { return sim->param_writes().size() >= writes + 2; }, 2000));
    const auto w = sim->param_writes();
    ASSERT_EQ(w.size(), writes + 2);
    EXPECT_EQ(w[writes].key, 0x0151);
    EXPECT_EQ(w[writes].value_u32(), 1u);
    EXPECT_EQ(w[writes + 1].key, 0x015A);
    EXPECT_EQ(w[writes + 1].value_u32(), 3u);
    Frm_motore_destroy(0);
}

}  // namespace
}  // namespace pagetest
