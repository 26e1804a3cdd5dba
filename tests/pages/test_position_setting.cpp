// Position setting and Input-1 pages: a flag box changes its own bit and sends the whole flags, both hex
// panels follow; the tick takes the whole flags word; the archive keeps to slot 1.
#include <QCheckBox>
#include <QLabel>

#include "fieldbus_fixture.h"
#include "page_units.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

class PositionSettingTest : public FieldbusTest {};

TEST_F(PositionSettingTest, AFlagBoxSendsTheWholeFlags)
{
    struct Row {
        uint16_t bus;
        ParamPage& (*page)();
        const char* box;
        const char* caption;
        const char* hex[2];
        uint16_t key;
        uint16_t before, after;
    };
    const Row rows[] = {
        {1, Frm_mdb_pos_par_page, "CheckBox_limit_pos", "[0600h] Enable limits pos.",
         {"Panel_par_pos_flg_dat_enable_limit_pos", "Panel_par_pos_flg_dat_enable_torque_limit"}, 0x0600, 0x0008,
         0x000A},
        {2, Frm_cands402_pos_crtl_page, "CheckBox_enable_pos_limit", "[201Ah,0] Enable position limits",
         {"Panel_posflg_lim_pos", "Panel_posflg_torque_lim"}, 0x201A, 0x00, 0x01},
        {2, Frm_cands402_pos_in1_tac_page, "CheckBox_enable_in1_tac", "[201Ah,0] Enable positioning - input 1",
         {"Panel_flgx_pos", "Panel_flgx_pos"}, 0x201A, 0x05, 0x0D},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.box);
        connect_drive(r.bus);
        if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
            shown->PageDestroy(0);
        EditStateFlags = EditState::Linked | EditState::Remote;
        ParamPage& page = r.page();
        const BitSpec& bit = page.spec().bits[0];
        if (r.bus == 1)
            Rec_set<uint16_t>(DriveRecordBank[0], bit.ofs, r.before);
        else
            DriveRecordBank[0].b[bit.ofs] = static_cast<uint8_t>(r.before);
        page.create(0, host());
        auto* box = find<QCheckBox>(page, r.box);
        EXPECT_EQ(box->text(), r.caption);
        ASSERT_TRUE(box->isEnabled());
        box->click();
        const QString hex = Page_hex_text(r.after, bit.size);
        EXPECT_EQ(text(page, r.hex[0]), hex);
        EXPECT_EQ(text(page, r.hex[1]), hex);
        EXPECT_EQ(text(page, bit.on_off), "On");
        ASSERT_TRUE(pump_until([&] { return writes_of(r.key).size() == 1; }, 2000));
        EXPECT_EQ(writes_of(r.key)[0].value_u32(), r.after);
        page.destroy(0);
        EXPECT_TRUE(boxes.empty());
        close_window();
        sim.reset();
    }
    EditStateFlags = 0;
}

// The drive's whole flags word reaches both boxes and both hex panels.
TEST_F(PositionSettingTest, TheTickTakesTheWholeFlagsWord)
{
    copy_on(1);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0000);
    ParamPage& page = Frm_mdb_pos_par_page();
    Frm_mdb_pos_par_create(0, host());
    reply(page, [] { Rec_set<uint16_t>(DriveReadBack, 670, 0x0016); });
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 670), 0x0016);
    EXPECT_TRUE(find<QCheckBox>(page, "CheckBox_limit_pos")->isChecked());
    EXPECT_TRUE(find<QCheckBox>(page, "CheckBox_pos_torque_limit")->isChecked());
    EXPECT_EQ(text(page, "Panel_par_pos_flg_dat_enable_limit_pos"), "0016h");
    EXPECT_EQ(text(page, "Panel_par_pos_flg_dat_enable_torque_limit"), "0016h");
    EXPECT_EQ(text(page, "Panel_pos_torque_limit"), "On");
    Frm_mdb_pos_par_destroy(0);

    // The Input-1 boxes too take the whole word, not only their own bit.
    copy_on(2);
    DriveRecordBank[0].b[2265] = 0x00;
    ParamPage& in1 = Frm_cands402_pos_in1_tac_page();
    Frm_cands402_pos_in1_tac_create(0, host());
    reply(in1, [] { DriveReadBack.b[2265] = 0x0D; });
    EXPECT_EQ(DriveRecordBank[0].b[2265], 0x0D);
    EXPECT_EQ(text(in1, "Panel_flgx_pos"), "0Dh");
    Frm_cands402_pos_in1_tac_destroy(0);
}

// A flags change made elsewhere reaches the Input-1 box within one poll; the measured position
// comes by its 061Ch/061Dh pair.
TEST_F(PositionSettingTest, InputOneFollowsTheDrivesFlags)
{
    connect_drive(1);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    Rec_set<uint16_t>(DriveRecordBank[0], 670, 0x0000);
    sim->set_list_value(0x0600, 0, {0x18, 0x00});
    sim->set_list_value(0x061C, 0, {0x01, 0x00});
    sim->set_list_value(0x061D, 0, {0x02, 0x00});
    ParamPage& page = Frm_mdb_pos_in1_tac_page();
    Frm_mdb_pos_in1_tac_create(0, host());
    EXPECT_TRUE(pump_until([&] { return text(page, "Panel_flgx_pos") == "0018h"; }, 1000));
    EXPECT_TRUE(find<QCheckBox>(page, "CheckBox_enable_in1_tac")->isChecked());
    EXPECT_EQ(text(page, "Panel_enable_in1_tac_on_off"), "On");
    EXPECT_TRUE(pump_until([&] { return text(page, "Panel_mdb_pos_mis_dat") == QString::number(0x00010002); }, 1000));
    Frm_mdb_pos_in1_tac_destroy(0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PositionSettingTest, ArchiveClickChangesSlotOneOnly)
{
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    DriveRecordBank[0].b[2265] = 0x00;
    DriveRecordBank[1].b[2265] = 0x04;
    PageContext = 1;
    ParamPage& page = Frm_cands402_pos_crtl_page();
    Frm_cands402_pos_crtl_create(1, host());
    find<QCheckBox>(page, "CheckBox_pos_torque_limit", 1)->click();
    EXPECT_EQ(DriveRecordBank[1].b[2265], 0x06);
    EXPECT_EQ(DriveRecordBank[0].b[2265], 0x00);
    EXPECT_EQ(text(page, "Panel_posflg_lim_pos", 1), "06h");
    Frm_cands402_pos_crtl_destroy(1);
}

}  // namespace
}  // namespace pagetest
