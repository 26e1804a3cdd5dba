// Output page: the range check of the output functions by family and context, the tab of a
// chosen function and the list that follows the tab, the divider, the items by family.
#include <QComboBox>
#include <QTabWidget>

#include "controls/Utxgraph.h"
#include "drive_page_helpers.h"
#include "pages/drive/Frm_output.h"
#include "shell/Mainstate.h"

namespace pagetest {
namespace {

class OutputTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        set_family(false);
    }
    void TearDown() override
    {
        Frm_output_destroy(0);
        Frm_output_destroy(1);
        set_family(false);
        PagesTest::TearDown();
    }
    static QComboBox* combo(const char* name, uint8_t ctx = 0) { return Frm_output_page().find<QComboBox>(ctx, name); }
    static QTabWidget* tabs() { return Frm_output_page().find<QTabWidget>(0, "PageControl_output"); }
    // The next list request the simulator gets.
    std::vector<std::string> next_list()
    {
        sim->clear_log();
        if (!pump_until([this] { return sim->request_count(30) > 0; }, 1000))
            return {};
        return list_keys(sim->requests(30).front());
    }
};

TEST_F(OutputTest, FunctionBeyondTheFamilyIsResetOnceInTheMainWindowOnly)
{
    connect_drive(1, false, {{262, 0}, {216, 6}, {218, 9}});  // Out 2 is not tested for this family
    Frm_output_create(0, host());
    ASSERT_EQ(boxes.size(), 1u);
    const std::string text = boxes[0].text;
    EXPECT_NE(text.find("Set out 1"), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(": parameter out of range!\n Set default")) << text;
    EXPECT_EQ(boxes[0].title, "Attention");
    EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 216), 0);
    EXPECT_EQ(combo("ComboBox_out1set")->currentIndex(), 0);
    EXPECT_TRUE(pump_until([this] { auto w = written(*sim, 0x0212); return w.size() == 1 && w[0] == 0; }, 1000));
    Frm_output_refresh(0);
    EXPECT_EQ(boxes.size(), 1u);

    DriveRecordBank[1] = DriveRecordBank[0];
    Rec_set<uint16_t>(DriveRecordBank[1], 216, 6);
    PageContext = 1;
    Frm_output_create(1, host());
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 216), 6);
    EXPECT_EQ(combo("ComboBox_out1set", 1)->currentIndex(), -1);
}

TEST_F(OutputTest, ChosenFunctionBringsItsTabAndTheTabsList)
{
    connect_drive(1, false, {{262, 0}, {216, 0}, {218, 0}, {264, 12}});
    Frm_output_create(0, host());
    EXPECT_EQ(combo("ComboBox_freq_pos_div_out")->currentIndex(), -1);  // divider 12: no item
    EXPECT_TRUE(Frm_output_page().edit(0, 0)->panel()->caption().startsWith("[0210h] "));
    EXPECT_EQ(Utxgraph_text(Frm_output_page().find<QWidget>(0, "Panel_out1set")), "[0212h] Set out 1");
    MainStatusShadow = Drive_status_get().outputs;
    Q_EMIT combo("ComboBox_out1set")->activated(5);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 216), 5);
    EXPECT_EQ(MainStatusShadow, static_cast<uint8_t>(~Drive_status_get().outputs));  // I/O display redraws
    EXPECT_EQ(tabs()->currentWidget()->objectName(), "TabSheet_freq_1kHz");
    EXPECT_EQ(next_list(), (std::vector<std::string>{"44h", "0223h", "0212h", "0213h", "0215h"}));
    EXPECT_TRUE(pump_until([this] { auto w = written(*sim, 0x0212); return !w.empty() && w.back() == 5; }, 1000));

    tabs()->setCurrentIndex(1);
    EXPECT_EQ(next_list(), (std::vector<std::string>{"47h", "0223h", "0212h", "0213h", "020Bh", "020Ch", "020Eh", "020Fh"}));
    // A function without settings leaves the tab; Out 0's Pos-Freq shows the divider.
    Q_EMIT combo("ComboBox_out1set")->activated(3);
    EXPECT_EQ(tabs()->currentIndex(), 1);
    Q_EMIT combo("ComboBox_out0set")->activated(1);
    EXPECT_EQ(tabs()->currentWidget()->objectName(), "TabSheet_pos_freq");

    Q_EMIT combo("ComboBox_freq_pos_div_out")->activated(9);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 264), 9);
    EXPECT_TRUE(pump_until([this] { auto w = written(*sim, 0x0224); return !w.empty() && w.back() == 9; }, 1000));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(OutputTest, ItemsAndOutTwoByFamily)
{
    for (const bool second : {false, true}) {
        SCOPED_TRACE(second);
        set_family(second);
        Frm_output_create(0, host());
        EXPECT_EQ(Frm_output_page().find<QWidget>(0, "Panel_out2set")->isHidden(), !second);
        EXPECT_EQ(combo("ComboBox_out0set")->count(), 2);
        EXPECT_EQ(combo("ComboBox_out1set")->count(), second ? 7 : 6);
        EXPECT_EQ(combo("ComboBox_out1set")->itemText(5), "[5] Speed-Freq out");
        EXPECT_EQ(combo("ComboBox_freq_pos_div_out")->itemText(9), "512");
        if (second) {
            EXPECT_EQ(combo("ComboBox_out2set")->count(), 7);
            EXPECT_EQ(combo("ComboBox_out2set")->itemText(5), "[5] Reserved");
        }
        Frm_output_destroy(0);
    }
}

}  // namespace
}  // namespace pagetest
