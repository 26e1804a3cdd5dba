// Voltage Threshold page: ranges by family and voltage class, the class label, the braking group
// and its own captions.
#include <QGroupBox>

#include "controls/Utxgraph.h"
#include "drive_page_helpers.h"
#include "pages/drive/Frm_soglie_tensione.h"

namespace pagetest {
namespace {

class SoglieTest : public PagesTest {
protected:
    void TearDown() override
    {
        Frm_soglie_tensione_destroy(1);
        set_family(false);
        PagesTest::TearDown();
    }
};

// The archive's edits are never locked, so typed values reach the range check there.
TEST_F(SoglieTest, RangesFollowFamilyAndClass)
{
    struct Row {
        bool second;
        uint16_t vclass;
        const char* label;
        const char* typed;
        const char* refusal;  // null: accepted
        bool braking;
    };
    const Row rows[] = {
        {false, 0, "60 V ", "120", "must be between : [30  and  100] !", false},
        {false, 1, "?????", "120", "[30  and  100] !", false},
        {true, 0, "230 V ", "500", "[15  and  440] !", true},
        {true, 1, "460 V ", "500", nullptr, true},
        {true, 3, "?????", "961", "[15  and  960] !", true},
    };
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.second << " " << r.vclass);
        set_family(r.second);
        Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::VoltageClass, static_cast<uint16_t>(0x1230 | r.vclass));
        Rec_set<uint16_t>(DriveRecordBank[1], 38, 40);
        boxes.clear();
        Frm_soglie_tensione_create(1, host());
        ParamPage& page = Frm_soglie_tensione_page();
        EXPECT_EQ(Utxgraph_text(page.find<QWidget>(1, "Panel_tensione_drive")), r.label);
        EXPECT_EQ(!page.find<QGroupBox>(1, "GroupBox_soglie_tensioni_res_fren")->isHidden(), r.braking);
        type_value(page.edit(1, 0), r.typed);
        if (r.refusal != nullptr) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_NE(boxes[0].text.find(r.refusal), std::string::npos) << boxes[0].text;
            EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 38), 40);
        } else {
            EXPECT_TRUE(boxes.empty());
            EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 38), 500);
        }
        Frm_soglie_tensione_destroy(1);
    }
}

TEST_F(SoglieTest, CaptionsAndNoPolling)
{
    set_family(true);
    PageContext = 1;
    Rec_set<uint16_t>(DriveRecordBank[1], RecOfs::BusType, 1);
    Frm_soglie_tensione_create(1, host());
    ParamPage& page = Frm_soglie_tensione_page();
    EXPECT_EQ(page.edit(1, 4)->panel()->caption(), "Max braking voltage");
    EXPECT_EQ(page.edit(1, 5)->panel()->caption(), "Braking voltage hysteresis");
    EXPECT_TRUE(page.edit(1, 0)->panel()->caption().startsWith("[0025h]")) << page.edit(1, 0)->panel()->caption().toStdString();
    EXPECT_EQ(page.edit(1, 4)->max, 960);
    EXPECT_EQ(page.next_list(nullptr), nullptr);
}

}  // namespace
}  // namespace pagetest
