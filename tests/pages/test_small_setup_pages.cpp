// Braking resistor, fan and input filter pages: typed values at their limits.
#include "drive_page_helpers.h"
#include "pages/drive/Frm_fan_ctrl.h"
#include "pages/drive/Frm_input_flt.h"
#include "pages/drive/Frm_resistenza_fren.h"

namespace pagetest {
namespace {

struct TypedRow {
    const char* name;
    ParamPage& (*page)();
    int edit;
    uint16_t ofs;
    const char* typed;
    int stored;             // -1: refused
    const char* refusal = "";
};

std::string PrintToString(const TypedRow& r) { return r.name; }

class SmallSetupPagesTest : public PagesTest, public ::testing::WithParamInterface<TypedRow> {};

// In the archive, whose edits are never locked.
TEST_P(SmallSetupPagesTest, TypedValue)
{
    const TypedRow& r = GetParam();
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    Rec_set<uint16_t>(DriveRecordBank[1], r.ofs, 77);
    ParamPage& page = r.page();
    page.create(1, host());
    type_value(page.edit(1, r.edit), r.typed);
    if (r.stored < 0) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(r.refusal), std::string::npos) << boxes[0].text;
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], r.ofs), 77);
    } else {
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], r.ofs), r.stored);
    }
    page.destroy(1);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SmallSetupPagesTest,
    ::testing::Values(TypedRow{"power_20", Frm_resistenza_fren_page, 1, 56, "20", -1, "[30  and  10000] !"},
                      TypedRow{"power_30", Frm_resistenza_fren_page, 1, 56, "30", 30},
                      TypedRow{"overload_256", Frm_resistenza_fren_page, 2, 58, "256", -1, "[1  and  255] !"},
                      TypedRow{"fan_0", Frm_fan_ctrl_page, 0, 50, "0.0", 0},
                      TypedRow{"fan_hysteresis_0", Frm_fan_ctrl_page, 1, 52, "0.9", -1, "[1.0  and  200.0] !"},
                      TypedRow{"filter_0", Frm_input_flt_page, 0, 250, "0.0", 0},
                      TypedRow{"filter_max", Frm_input_flt_page, 5, 260, "6000.0", 60000},
                      TypedRow{"filter_over", Frm_input_flt_page, 3, 256, "6000.1", -1, "[0.0  and  6000.0] !"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pagetest
