// Gear box, engage and disengage pages: the master count with I/O control, the disengage position type bit, combos without an item, the phase-shift button.
#include <QComboBox>
#include <QPushButton>

#include "fieldbus_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class GearboxTest : public FieldbusTest {};

// With I/O control the edits keep their values; the master count, polled under list reads
// alone, is shown.
TEST_F(GearboxTest, IoControlShowsTheMasterCountOnly)
{
    connect_drive(0);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    Rec_set<uint16_t>(DriveRecordBank[0], 730, 1);
    // Received values as the read-back holds them (host order).
    sim->set_list_value(0x0701, 0, {0x05, 0x00});
    sim->set_list_value(0x0716, 0, {0xFF, 0xFF});
    sim->set_list_value(0x0717, 0, {0xFE, 0xFF});
    ParamPage& page = Frm_mdb_gearbox_page();
    Frm_mdb_gearbox_create(0, host());
    EXPECT_TRUE(pump_until([&] { return text(page, "Panel_grbx_enc_master_dat") == "-2"; }, 1500));
    pump_for(300);
    EXPECT_EQ(Rec_get<int16_t>(DriveRecordBank[0], 730), 1);
    EXPECT_EQ(text(page, "Panel_grbx_enc_master_str"), "Meas. Imp. Encoder");
    Frm_mdb_gearbox_destroy(0);
}

// Bit 0 of 0700h is the disengage position type: the user's choice keeps the other bits; the
// tick copies bit 0 alone.
TEST_F(GearboxTest, DisengagePositionTypeIsBitZeroOfTheGearWord)
{
    copy_on(1);
    Rec_set<uint16_t>(DriveRecordBank[0], 728, 0x0006);
    ParamPage& page = Frm_mdb_gearbox_sgnc_page();
    Frm_mdb_gearbox_sgnc_create(0, host());
    auto* combo = find<QComboBox>(page, "ComboBox_grbx_pos_sgnc_as_rel");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "[1] Relative");
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(text(page, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"), "0006h");
    EXPECT_EQ(text(page, "Panel_grbx_pos_sgnc_as_rel"), "[0700h] Position type");
    reply(page, [] { Rec_set<uint16_t>(DriveReadBack, 728, 0x0004); });
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 728), 0x0006);
    EXPECT_EQ(text(page, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"), "0006h");
    reply(page, [] { Rec_set<uint16_t>(DriveReadBack, 728, 0x0005); });
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 728), 0x0007);
    EXPECT_EQ(text(page, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"), "0007h");
    EXPECT_EQ(combo->currentIndex(), 1);
    LanguageIndex = 2;  // refilled items keep the choice
    Frm_mdb_gearbox_sgnc_set_language(0);
    EXPECT_EQ(combo->currentText(), "[1] Rélative");
    LanguageIndex = 1;
    Q_EMIT combo->activated(0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 728), 0x0006);
    EXPECT_EQ(text(page, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"), "0006h");
    Frm_mdb_gearbox_sgnc_destroy(0);
}

TEST_F(GearboxTest, ChoicesWriteTheirObjectsAndValuesWithoutAnItemSelectNothing)
{
    connect_drive(1);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    Rec_set<uint16_t>(DriveRecordBank[0], 728, 0x0006);
    Rec_set<uint16_t>(DriveRecordBank[0], 736, 3);
    ParamPage& page = Frm_mdb_gearbox_sgnc_page();
    Frm_mdb_gearbox_sgnc_create(0, host());
    EXPECT_EQ(find<QComboBox>(page, "ComboBox_grbx_mode_sgnc")->currentIndex(), -1);
    Q_EMIT find<QComboBox>(page, "ComboBox_grbx_pos_sgnc_as_rel")->activated(1);
    Q_EMIT find<QComboBox>(page, "ComboBox_grbx_mode_sgnc")->activated(2);
    ASSERT_TRUE(pump_until([&] { return writes_of(0x0700).size() == 1 && writes_of(0x0704).size() == 1; }, 2000));
    EXPECT_EQ(writes_of(0x0700)[0].value_u32(), 7u);
    EXPECT_EQ(writes_of(0x0704)[0].value_u32(), 2u);
    EXPECT_EQ(text(page, "Panel_par_cm_vel_flg_dat_pos_sgnc_as_rel"), "0007h");
    Frm_mdb_gearbox_sgnc_destroy(0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GearboxTest, CanopenEncoderTypeAndPhaseShiftButton)
{
    connect_drive(2);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    DriveRecordBank[0].b[2274] = 3;
    ParamPage& page = Frm_cands402_gearbox_page();
    Frm_cands402_gearbox_create(0, host());
    auto* encoder = find<QComboBox>(page, "ComboBox_grbx_mode_enc");
    EXPECT_EQ(encoder->currentIndex(), -1);
    EXPECT_EQ(encoder->itemText(1), "Freq. Direction");
    EXPECT_EQ(text(page, "Panel_grbx_mode_enc"), "[2204h,0] Encoder type");
    auto* send = find<QPushButton>(page, "BitBtn_invia_sfasamento");
    EXPECT_TRUE(find(page, "Panel_invia_sfasamento")->isHidden());
    EXPECT_EQ(send->toolTip(), "Send phase shift");
    Q_EMIT encoder->activated(1);
    Q_EMIT send->clicked();
    ASSERT_TRUE(pump_until([&] { return writes_of(0x2204).size() == 1 && writes_of(0x2210).size() == 1; }, 2000));
    EXPECT_EQ(writes_of(0x2204)[0].value_u32(), 1u);
    EXPECT_EQ(DriveRecordBank[0].b[2274], 1);
    PageContext = 1;  // the archive is open: the button sends nothing
    Q_EMIT send->clicked();
    pump_for(300);
    EXPECT_EQ(writes_of(0x2210).size(), 1u);
    PageContext = 0;
    Frm_cands402_gearbox_destroy(0);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace pagetest
