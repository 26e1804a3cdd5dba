// Homing pages: the method rows and their numbers, method and row both ways, and methods
// without a row from the drive (above 35, or negative on CiA 402).
#include <QComboBox>

#include "drivedata/Utx.h"
#include "fieldbus_fixture.h"
#include "page_units.h"
#include "pages/fieldbus/HomingMethodList.h"

namespace pagetest {
namespace {

TEST(HomingMethodListTest, EachRowNamesItsMethodInEveryLanguage)
{
    for (int lang = 0; lang < 3; ++lang)
        for (int row = 0; row < HOMING_METHOD_ROWS; ++row) {
            const std::string text = HomingMethodList_text(lang, row);
            EXPECT_EQ(text.substr(0, text.find('-')), std::to_string(Utx_index_to_homing_method(row))) << text;
            EXPECT_LT(text.size(), static_cast<std::size_t>(HOMING_METHOD_TEXT));
        }
    EXPECT_STREQ(HomingMethodList_text(0, 15), "17-Fine Corsa CCW");
    EXPECT_STREQ(HomingMethodList_text(1, 3), "3-Home Switch (i.p.)");
    EXPECT_STREQ(HomingMethodList_text(2, 17), "19-Home Switch");
    EXPECT_STREQ(HomingMethodList_text(1, 31), "35-Current Pos");
    EXPECT_EQ(HomingMethodList_text(1, 32), nullptr);
    EXPECT_EQ(HomingMethodList_text(1, -1), nullptr);
    EXPECT_EQ(HomingMethodList_text(3, 0), nullptr);
}

class HomingTest : public FieldbusTest {};

TEST_F(HomingTest, MethodsShowTheirRowsAndRowsStoreTheirMethods)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    ParamPage& page = Frm_mdb_pos_hp_page();
    Frm_mdb_pos_hp_create(0, host());
    auto* combo = find<QComboBox>(page, "ComboBox_hp_modo");
    ASSERT_EQ(combo->count(), HOMING_METHOD_ROWS);
    // The unsupported methods show a neighbour's row and keep their value.
    for (const auto& [method, row] : {std::pair<uint16_t, int>{0, 0}, {16, 14}, {31, 27}, {35, 31}, {36, -1},
                                      {40, -1}, {0xFFFF, -1}}) {
        Rec_set<uint16_t>(DriveRecordBank[0], 712, method);
        Frm_mdb_pos_hp_refresh(0);
        EXPECT_EQ(combo->currentIndex(), row) << method;
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 712), method);
    }
    Rec_set<uint16_t>(DriveRecordBank[0], 712, 16);
    Frm_mdb_pos_hp_refresh(0);
    EXPECT_EQ(combo->currentText(), "14-Home Switch (i.p.)");
    for (const auto& [row, method] : {std::pair<int, uint16_t>{15, 17}, {29, 33}, {14, 14}, {31, 35}}) {
        Q_EMIT combo->activated(row);
        EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 712), method) << row;
    }
    Q_EMIT combo->activated(32);  // no such row
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 712), 35);
    LanguageIndex = 0;
    Frm_mdb_pos_hp_set_language(0);
    EXPECT_EQ(combo->itemText(15), "17-Fine Corsa CCW");
    Frm_mdb_pos_hp_destroy(0);
}

// A method without a row from the drive selects nothing and is not written back.
TEST_F(HomingTest, MethodsWithoutARowFromTheDriveAreKept)
{
    struct Row {
        uint16_t bus;
        ParamPage& (*page)();
        const char* combo;
        uint16_t key;
        SimBytes raw;  // as the read-back holds it
        uint16_t ofs;
        int32_t kept;
    };
    const Row rows[] = {
        {2, Frm_cands402_homing_page, "ComboBox_hp_homing_method", 0x6098, {0xFF}, 2184, -1},
        {1, Frm_mdb_pos_hp_page, "ComboBox_hp_modo", 0x0640, {0x28, 0x00}, 712, 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        connect_drive(r.bus);
        if (PageNode* shown = CurrentPageNode[0]; shown != nullptr && shown->PageDestroy != nullptr)
            shown->PageDestroy(0);
        sim->set_list_value(r.key, 0, r.raw);
        ParamPage& page = r.page();
        page.create(0, host());
        sim->clear_log();
        const auto value = [&] {
            return r.bus == 2 ? static_cast<int32_t>(static_cast<int8_t>(DriveRecordBank[0].b[r.ofs]))
                              : static_cast<int32_t>(Rec_get<uint16_t>(DriveRecordBank[0], r.ofs));
        };
        EXPECT_TRUE(pump_until([&] { return value() == r.kept; }, 1000));
        pump_for(1000);
        EXPECT_EQ(value(), r.kept);
        EXPECT_EQ(find<QComboBox>(page, r.combo)->currentIndex(), -1);
        EXPECT_EQ(sim->request_count(4), 0u);
        page.destroy(0);
        close_window();
        sim.reset();
    }
}

}  // namespace
}  // namespace pagetest
