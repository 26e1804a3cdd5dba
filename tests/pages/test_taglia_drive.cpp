// Reserved Setup page: grid texts by family and voltage class, the record's size and an unknown
// one, applying a size in both contexts and with a class the rows do not hold, the size lock.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "IdentEdit.h"
#include "controls/Utxgraph.h"
#include "page_fixture.h"
#include "pages/drive/Frm_taglia_drive.h"
#include "shell/Settings.h"

namespace pagetest {
namespace {

class TagliaTest : public PagesTest {
protected:
    void SetUp() override
    {
        PagesTest::SetUp();
        Frm_output_build_size_tables();
        family(false);
    }
    void TearDown() override
    {
        Frm_taglia_drive_destroy(0);
        Frm_taglia_drive_destroy(1);
        family(false);
        PagesTest::TearDown();
    }
    static void family(bool second)
    {
        SettingsBlock.flags = static_cast<uint8_t>(second ? SettingsBlock.flags | SettingsFlag::FamilyPelsan
                                                          : SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
        CurrentSizeTable = second ? SizeTablePelsan : SizeTableOrvel;
    }
    static void set_size(uint8_t slot, uint8_t code, uint16_t vclass)
    {
        DriveRecordBank[slot].b[RecOfs::SizeIndex] = code;
        Rec_set<uint16_t>(DriveRecordBank[slot], RecOfs::VoltageClass, vclass);
    }
    static QString text(const char* name, uint8_t ctx = 0)
    {
        return Utxgraph_text(Frm_taglia_drive_page().find<QWidget>(ctx, name));
    }
    static QTableWidget* grid(uint8_t ctx = 0)
    {
        return Frm_taglia_drive_page().find<QTableWidget>(ctx, "StringGrid_taglia_corrente");
    }
    // The user picks grid row `row` and applies it.
    static void apply_row(int row, uint8_t ctx = 0)
    {
        QTableWidget* g = grid(ctx);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, 1)).center());
        Frm_taglia_drive_page().find<QPushButton>(ctx, "BitBtn_carica_drive")->click();
    }
};

TEST_F(TagliaTest, GridCellsFollowTheTableAndTheVoltageClass)
{
    const char* const header[] = {"N°", "Name", "Probe", "I(pk)", "I(Nom)", "T. Max", "ID"};
    const char* const row3[] = {"3", "8,0-16,0", "26.05 A", "22.60 A", "11.30 A", "75.0°", "2"};
    for (int c = 0; c < 7; ++c) {
        EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 0, c, 0).text, QString::fromUtf8(header[c]));
        EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 3, c, 0).text, QString::fromUtf8(row3[c]));
    }
    EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 0, 0, 0).colour, bgr(0x800000));
    EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 3, 1, 0).colour, bgr(0xFF0000));
    EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 3, 2, 0).align, AlignRight);
    // Over-temperature limit by class: row 1 holds 650 and 700; classes 2 and 3 have none.
    for (const auto& [vclass, want] : {std::pair<uint16_t, const char*>{0, "65.0°"}, {1, "70.0°"}, {2, "-----"},
                                       {3, "-----"}})
        EXPECT_EQ(Frm_taglia_drive_cell(SizeTableOrvel, 1, 5, vclass).text, QString::fromUtf8(want)) << vclass;
    EXPECT_EQ(Frm_taglia_drive_cell(SizeTablePelsan, 5, 1, 0).text, "6,0-12,0");
    EXPECT_EQ(Frm_taglia_drive_cell(SizeTablePelsan, 6, 1, 0).text, "");
}

TEST_F(TagliaTest, ShowsTheRecordsSizeAndSelectsItsRow)
{
    set_size(0, 2, 0);
    Frm_taglia_drive_create(0, host());
    EXPECT_EQ(grid()->rowCount(), 7);
    EXPECT_EQ(grid()->currentRow(), 3);
    EXPECT_EQ(text("Panel_nome_taglia_corrente"), "8,0-16,0");
    EXPECT_EQ(text("Panel_num_taglia_corrente"), QString::fromUtf8(" [ 3° ] "));
    EXPECT_EQ(text("Panel_taglia_corrente_select"), "8,0-16,0");
    EXPECT_EQ(text("Panel_tensione_drive"), " 60 V");
    EXPECT_EQ(text("Panel_taglia_drive"), "Drive Size");
    EXPECT_EQ(Frm_taglia_drive_page().frame(0)->findChild<QTimer*>("Timer_com"), nullptr);
    pump_for(100);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(TagliaTest, UnknownSizeIsReportedOncePerRefresh)
{
    set_size(0, 7, 0);
    EditStateFlags = 1;  // link ready: the grid takes clicks
    Frm_taglia_drive_create(0, host());
    EXPECT_EQ(text("Panel_nome_taglia_corrente"), "-----");
    EXPECT_EQ(text("Panel_num_taglia_corrente"), "--");
    EXPECT_EQ(grid()->currentRow(), 1);
    EXPECT_TRUE(boxes.empty());  // 30 ms later
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 2000));
    pump_for(200);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Drive size unknown. Update the software!");
    EXPECT_EQ(boxes[0].title, "Attention");
    Frm_taglia_drive_refresh(0);
    ASSERT_TRUE(pump_until([this] { return boxes.size() == 2; }, 2000));
    pump_for(200);
    EXPECT_EQ(boxes.size(), 2u);
    // Applying a size repairs the record.
    apply_row(2);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], 1);
    Frm_taglia_drive_refresh(0);
    pump_for(200);
    EXPECT_EQ(boxes.size(), 2u);
    EditStateFlags = 0;
}

TEST_F(TagliaTest, ApplyWritesSizeThenLimitInTheMainWindowOnly)
{
    connect_drive(1);
    set_size(0, 3, 1);
    Rec_set<uint16_t>(DriveRecordBank[0], 48, 123);
    Frm_taglia_drive_create(0, host());
    const std::size_t writes = sim->param_writes().size();
    apply_row(1);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], 0);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 48), 700);
    EXPECT_EQ(Frm_taglia_drive_page().edit_of(0, 48)->memo()->text(), "70.0");
    for (const char* name : {"Panel_nome_taglia_corrente", "Panel_taglia_corrente_select"})
        EXPECT_EQ(text(name), "2,5-5,0");
    for (const char* name : {"Panel_num_taglia_corrente", "Panel_num_taglia_corrente_select"})
        EXPECT_EQ(text(name), QString::fromUtf8(" [ 1° ] "));
    ASSERT_TRUE(pump_until([&] { return sim->param_writes().size() >= writes + 2; }, 3000));
    auto w = sim->param_writes();
    ASSERT_EQ(w.size(), writes + 2);
    EXPECT_EQ(w[writes].key, 0x0002);
    EXPECT_EQ(w[writes].value_u32(), 0u);
    EXPECT_EQ(w[writes + 1].key, 0x002A);
    EXPECT_EQ(w[writes + 1].value_u32(), 700u);

    // Archive: slot 1 only, nothing sent; Enter in the grid applies too.
    const DriveRecord slot0 = DriveRecordBank[0];
    DriveRecordBank[1] = slot0;
    PageContext = 1;
    Frm_taglia_drive_create(1, host());
    {
        const QSignalBlocker quiet(grid(1));
        grid(1)->setCurrentCell(4, 0);
    }
    QTest::keyClick(grid(1), Qt::Key_Return);
    EXPECT_EQ(DriveRecordBank[1].b[RecOfs::SizeIndex], 3);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[1], 48), 850);
    pump_for(300);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &slot0, sizeof slot0), 0);
    EXPECT_EQ(sim->param_writes().size(), writes + 2);
}

// Classes 2 and 3 have no limit in the rows: the size is stored and sent, offset 48 kept.
TEST_F(TagliaTest, ClassWithoutLimitKeepsOffset48AndNoRowAppliesNothing)
{
    connect_drive(1);
    set_size(0, 0, 2);
    Rec_set<uint16_t>(DriveRecordBank[0], 48, 555);
    Frm_taglia_drive_create(0, host());
    EXPECT_EQ(text("Panel_tensione_drive"), "-----");
    const std::size_t writes = sim->param_writes().size();
    apply_row(2);
    EXPECT_EQ(DriveRecordBank[0].b[RecOfs::SizeIndex], 1);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], 48), 555);
    ASSERT_TRUE(pump_until([&] { return sim->param_writes().size() >= writes + 1; }, 3000));
    pump_for(300);
    auto w = sim->param_writes();
    ASSERT_EQ(w.size(), writes + 1);
    EXPECT_EQ(w[writes].key, 0x0002);
    EXPECT_EQ(w[writes].value_u32(), 1u);

    grid()->setCurrentCell(-1, -1);
    const DriveRecord before = DriveRecordBank[0];
    Frm_taglia_drive_page().find<QPushButton>(0, "BitBtn_carica_drive")->click();
    pump_for(300);
    EXPECT_EQ(std::memcmp(&DriveRecordBank[0], &before, sizeof before), 0);
    EXPECT_EQ(sim->param_writes().size(), writes + 1);
}

TEST_F(TagliaTest, SizeChangeLockAndVoltageByFamily)
{
    auto bar_shown = [] { return !Frm_taglia_drive_page().find<QWidget>(0, "ControlBar_set_taglia_cor")->isHidden(); };
    auto grid_enabled = [] { return Frm_taglia_drive_page().find<QWidget>(0, "Panel_taglia_corrente")->isEnabled(); };
    family(true);
    set_size(0, 1, 0);
    Frm_taglia_drive_create(0, host());
    EXPECT_FALSE(bar_shown());
    EXPECT_FALSE(grid_enabled());
    for (const auto& [vclass, want] : {std::pair<uint16_t, const char*>{0, " 230 V"}, {1, " 460 V"}, {2, "----"}}) {
        Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::VoltageClass, vclass);
        Frm_taglia_drive_refresh(0);
        EXPECT_EQ(text("Panel_tensione_drive"), want);
    }
    family(false);
    Frm_taglia_drive_refresh(0);
    EXPECT_TRUE(bar_shown());
    EXPECT_TRUE(grid_enabled());
    Drive_ident_edit([](DriveIdentRec& id) { id.flags = IdentFlag::BootCondition; });
    Frm_taglia_drive_refresh(0);
    EXPECT_FALSE(bar_shown());
    EXPECT_FALSE(grid_enabled());
    Drive_ident_edit([](DriveIdentRec& id) { id.flags = 0; });
}

TEST_F(TagliaTest, AccessFollowsTheLinkAndTheDriveState)
{
    set_size(0, 1, 0);
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 1);
    Frm_taglia_drive_create(0, host());
    auto* button = Frm_taglia_drive_page().find<QPushButton>(0, "BitBtn_carica_drive");
    for (const auto& [state, enabled] : {std::pair<uint8_t, bool>{0, false}, {1, true}, {3, false}}) {
        SCOPED_TRACE(state);
        EditStateFlags = state;
        Frm_taglia_drive_set_access(0);
        EXPECT_EQ(grid()->isEnabled(), enabled);
        EXPECT_EQ(Frm_taglia_drive_page().edit(0, 0)->memo()->isEnabled(), state & 1);
        EXPECT_EQ(button->isEnabled(), (state & 1) != 0);
    }
    // A bus type without a dictionary: locked, silently.
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 3);
    EditStateFlags = 1;
    Frm_taglia_drive_set_access(0);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(boxes.empty());
    EditStateFlags = 0;
}

}  // namespace
}  // namespace pagetest
