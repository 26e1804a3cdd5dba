// The field-bus positioning pages' edits: typed values are stored, or refused with the range
// message and the field kept, by each profile's limits.
#include "fieldbus_fixture.h"
#include "page_units.h"

namespace pagetest {
namespace {

class FieldbusLimitsTest : public FieldbusTest {};

// Typed values in the archive (no link needed): stored, or refused with the range message.
TEST_F(FieldbusLimitsTest, TypedValuesStoredOrRefusedWithTheRangeMessage)
{
    struct Row {
        ParamPage& (*page)();
        uint16_t bus;
        const char* panel;
        const char* text;
        int64_t stored;        // raw value after leaving the field
        const char* message;   // null: no message
    };
    const Row rows[] = {
        {Frm_mdb_gearbox_page, 1, "FlowPanel_grbx_ratio_den", "0", 7, "Value must be between : [1  and  32767] !"},
        {Frm_mdb_gearbox_page, 1, "FlowPanel_grbx_ratio_num", "-5", -5, nullptr},
        {Frm_mdb_gearbox_page, 1, "FlowPanel_grbx_enc_imp", "100000", 100000, nullptr},
        {Frm_cands402_gearbox_page, 2, "FlowPanel_grbx_enc_imp", "99999", 7,  // 100000 is too long to type
         "Value must be between : [100  and  65536] !"},
        {Frm_mdb_gearbox_aggc_page, 1, "FlowPanel_grbx_vel_aggc_acc", "6000001", 6000001, nullptr},
        {Frm_cands402_gearbox_aggc_page, 2, "FlowPanel_grbx_vel_aggc_acc", "6000001", 7,
         "Value must be between : [1  and  6000000] !"},
        {Frm_mdb_gearbox_aggc_page, 1, "FlowPanel_grbx_pos_aggc_quota", "-1", 1, nullptr},  // "-" cannot be typed
        {Frm_cands402_gearbox_aggc_page, 2, "FlowPanel_grbx_pos_aggc_quota", "-1", 1, nullptr},
        {Frm_mdb_gearbox_sgnc_page, 1, "FlowPanel_grbx_pos_sgnc_quota", "-1", -1, nullptr},
        {Frm_cands402_gearbox_sgnc_page, 2, "FlowPanel_grbx_pos_sgnc_quota", "-1", -1, nullptr},
        {Frm_cands402_position_page, 2, "FlowPanel_pos_rif", "-2147483648", 7,
         "Value must be between : [-2147483647  and  2147483647] !"},
        {Frm_mdb_pos_page, 1, "FlowPanel_pos_rif", "-2147483648", -2147483648LL, nullptr},
        {Frm_mdb_pos_ctrl_page, 1, "FlowPanel_error_time", "9", 7, "Value must be between : [10  and  10000] !"},
        {Frm_cands402_pos_crtl_page, 2, "FlowPanel_pos_error_time_out", "1", 1, nullptr},
        {Frm_mdb_pos_par_page, 1, "FlowPanel_pos_limit_min", "2000", 2000, nullptr},  // above the maximum limit
        {Frm_mdb_pos_in1_tac_page, 1, "FlowPanel_pos_tac", "-1", 1, nullptr},
        {Frm_cands402_pos_in1_tac_page, 2, "FlowPanel_pos_tac", "-1", 1, nullptr},
        {Frm_mdb_pos_jog_page, 1, "FlowPanel_pos_jog_rif", "0", 7, "Value must be between : [1  and  2147483647] !"},
        {Frm_mdb_pos_jog_page, 1, "FlowPanel_pos_jog_rif", "500", 500, nullptr},
    };
    PageContext = 1;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.panel);
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, r.bus);
        ParamPage& page = r.page();
        page.create(1, host());
        const int i = field_index(page, r.panel);
        ASSERT_GE(i, 0);
        const FieldSpec& f = page.spec().fields[i];
        set_raw(1, f, 7);  // a refused value leaves 7
        page.refresh(1);
        boxes.clear();
        enter(page, 1, r.panel, r.text);
        EXPECT_EQ(static_cast<int64_t>(page.edit(1, i)->bound_value()), r.stored);
        if (r.message != nullptr) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, r.message);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        page.destroy(1);
    }
}

}  // namespace
}  // namespace pagetest
