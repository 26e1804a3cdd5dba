// Interpolated position page: the connected drive's values, time units unsigned and time index
// signed at Refresh and after a poll, in both contexts; nothing written.
#include "fieldbus_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class InterpTest : public FieldbusTest {};

TEST_F(InterpTest, ShowsTheDrivesValuesWithTheirSignedness)
{
    connect_drive(2);
    if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
        shown->PageDestroy(0);
    DriveRecordBank[0].b[2221] = 0xC8;
    DriveRecordBank[0].b[2222] = 0xFD;
    Rec_set<int16_t>(DriveRecordBank[0], 2204, -1);
    ParamPage& page = Frm_cands402_interp_page();
    sim->clear_log();
    Frm_cands402_interp_create(0, host());
    EXPECT_EQ(text(page, "Panel_ip_time_units_dat"), "200");
    EXPECT_EQ(text(page, "Panel_ip_time_index_dat"), "-3");
    EXPECT_EQ(text(page, "Panel_ip_interpol_mode_select_dat"), "-1");
    EXPECT_EQ(text(page, "Panel_ip_time_units_srt"), "[60C2h,1] Interpol. time units");
    sim->set_list_value(0x60C2, 1, {0xC9});
    sim->set_list_value(0x60C2, 2, {0xFC});
    EXPECT_TRUE(pump_until([&] { return text(page, "Panel_ip_time_units_dat") == "201"; }, 1000));
    EXPECT_TRUE(pump_until([&] { return text(page, "Panel_ip_time_index_dat") == "-4"; }, 1000));
    EXPECT_EQ(DriveRecordBank[0].b[2221], 0xC9);
    // The archive shows the connected drive's values too.
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 2);
    DriveRecordBank[1].b[2221] = 7;
    Frm_cands402_interp_create(1, host());
    EXPECT_EQ(text(page, "Panel_ip_time_units_dat", 1), "201");
    Frm_cands402_interp_destroy(1);
    PageContext = 0;
    Frm_cands402_interp_destroy(0);
    EXPECT_EQ(sim->request_count(4), 0u);
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace pagetest
