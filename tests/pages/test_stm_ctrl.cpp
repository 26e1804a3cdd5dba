// State-machine diagrams and pages, control and status word pages: placement and colours painted
// into a picture, state decoding on the page, the bit tables of each mode, the mode combo and the
// pages' live and silent states.
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QTimer>

#include "controls/Graph_draw.h"
#include "diagrams/Blocks_stm.h"
#include "drivedata/Canopen.h"
#include "drivedata/Globvar.h"
#include "link/Seriale.h"
#include "page_fixture.h"
#include "pages/fieldbus/Frm_cands402_ctrl.h"
#include "pages/fieldbus/Frm_cands402_stm.h"
#include "pages/fieldbus/Frm_mdb_ctrl.h"
#include "pages/fieldbus/Frm_mdb_stm.h"

namespace pagetest {
namespace {

QRgb pixel(const ImageBox& box, int x, int y) { return box.image().pixel(x, y) & 0xFFFFFFu; }

// Pixels of colour rgb inside the rectangle.
int count(const ImageBox& box, const DrawRect& r, QRgb rgb)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += pixel(box, x, y) == rgb;
    return n;
}

const StateRec& state_of(StateRec* const* list, uint16_t count, uint32_t number)
{
    for (uint16_t i = 0; i < count; ++i)
        if (list[i]->reserved1 == number)
            return *list[i];
    ADD_FAILURE() << "no state " << number;
    return *list[0];
}

DrawRect inner(const StateRec& s, int dx, int dy) { return {s.x + dx + 4, s.y + dy + 4, s.x + dx + s.w - 3, s.y + dy + s.h - 3}; }

class StmDiagramTest : public ::testing::Test {
protected:
    ImageBox box;
    void size(int h) { box.set_image_size(358, h); }
};

TEST_F(StmDiagramTest, CanPlacesCentredAndHighlightsTheState)
{
    size(337);
    Blocks_can_stm_draw(&box, 5, 1);
    struct { uint32_t state; int x, y; } where[] = {{0, 0, 0}, {5, 0, 250}, {6, 120, 250}, {7, 120, 0}, {8, 140, 50}};
    for (const auto& w : where) {
        const StateRec& s = state_of(Ds402StateList, DS402_STATE_LIST_COUNT, w.state);
        EXPECT_EQ(s.x, w.x) << w.state;
        EXPECT_EQ(s.y, w.y) << w.state;
    }
    EXPECT_EQ(pixel(box, 75, 282), 0xFFFF8Au);
    EXPECT_EQ(pixel(box, 69 + 3, 276 + 17), 0xFF0000u);  // frame
    const StateRec& s4 = state_of(Ds402StateList, DS402_STATE_LIST_COUNT, 4);
    EXPECT_EQ(s4.frame_colour, 0xF0C002u);
    EXPECT_EQ(pixel(box, 69 + 3, 26 + 200 + 17), 0xF0C002u);
    EXPECT_EQ(pixel(box, 69 + 6, 26 + 200 + 6), 0xFFFFFFu);
    // The text of the highlighted box is blue, not red.
    const DrawRect in5 = inner(state_of(Ds402StateList, DS402_STATE_LIST_COUNT, 5), 69, 26);
    EXPECT_GT(count(box, in5, 0x0000FF), 0);
    EXPECT_EQ(count(box, in5, 0xFF0000), 0);
}

TEST_F(StmDiagramTest, CanFaultTextRedAndToolTipFillForEarlyStates)
{
    size(337);
    Blocks_can_stm_draw(&box, 8, 1);
    const DrawRect fault = inner(state_of(Ds402StateList, DS402_STATE_LIST_COUNT, 8), 69, 26);
    EXPECT_GT(count(box, fault, 0xFF0000), 0);
    Blocks_can_stm_draw(&box, 1, 1);
    const QRgb tip = QGuiApplication::palette().color(QPalette::ToolTipBase).rgb() & 0xFFFFFFu;
    EXPECT_EQ(pixel(box, 69 + 6, 26 + 50 + 6), tip);
    // Not live: grey frames, white fills.
    Blocks_can_stm_draw(&box, 1, 0);
    EXPECT_EQ(pixel(box, 69 + 6, 26 + 50 + 6), 0xFFFFFFu);
    EXPECT_EQ(pixel(box, 69 + 3, 26 + 50 + 17), 0x808080u);
}

TEST_F(StmDiagramTest, ModbusPlacement)
{
    size(367);
    Blocks_mdb_stm_draw(&box, 7, 1);
    struct { uint32_t state; int x, y; } where[] = {{0, 0, 0},   {1, 0, 50},   {2, 0, 100}, {4, 35, 150},
                                                     {3, 0, 200}, {5, 125, 100}, {6, 150, 0}, {7, 170, 42}};
    for (const auto& w : where) {
        const StateRec& s = state_of(MdbStateList, MDB_STATE_LIST_COUNT, w.state);
        EXPECT_EQ(s.x, w.x) << w.state;
        EXPECT_EQ(s.y, w.y) << w.state;
    }
    EXPECT_EQ(pixel(box, 224 + 6, 108 + 6), 0xFFFF8Au);
    EXPECT_GT(count(box, inner(state_of(MdbStateList, MDB_STATE_LIST_COUNT, 7), 54, 66), 0xFF0000), 0);
}

TEST_F(StmDiagramTest, ConnectorsFillGreenWhenLiveGreyOtherwise)
{
    size(337);
    // Start to Not Ready: a vertical connector below the Start box, at its middle.
    Blocks_can_stm_draw(&box, 5, 1);
    EXPECT_GT(count(box, {69 + 40, 26 + 36, 69 + 50, 26 + 49}, 0xB5F0B6), 0);
    Blocks_can_stm_draw(&box, 5, 0);
    EXPECT_EQ(count(box, {69 + 40, 26 + 36, 69 + 50, 26 + 49}, 0xB5F0B6), 0);
    EXPECT_GT(count(box, {69 + 40, 26 + 36, 69 + 50, 26 + 49}, 0xDFDFDF), 0);
}

// ---- pages ----

class StmPageTest : public PagesTest {
protected:
    static QString text(ParamPage& p, uint8_t ctx, const char* name)
    {
        return Utxgraph_text(p.find<QWidget>(ctx, name));
    }
    void status(uint16_t bus_status, uint16_t bus_second = 0, uint8_t mode = 0)
    {
        SimBytes s(DriveSim::kStatusSize, 0);
        s[3] = mode;
        put_be16(s, 8, static_cast<uint16_t>(bus_status | 0x0200));
        put_be16(s, 10, bus_second);
        sim->set_status(s);
    }
};

TEST_F(StmPageTest, CanPageShowsTheStateAndRedrawsOnlyOnChange)
{
    connect_drive(2);
    status(0x0037);
    Frm_cands402_stm_create(0, host());
    ParamPage& p = Frm_cands402_stm_page();
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_state_machine_dat") == "Operation enabled"; }, 3000));
    EXPECT_EQ(text(p, 0, "Panel_can_status_word"), "0237h");
    auto* image = p.find<ImageBox>(0, "Image_block_control");
    EXPECT_EQ(pixel(*image, 75, 282), 0xFFFF8Au);
    // The same word does not draw again.
    image->canvas().brush = QBrush(Qt::black);
    image->canvas().fill_rect({75, 282, 76, 283});
    pump_for(300);
    EXPECT_EQ(pixel(*image, 75, 282), 0u);
    status(0x0001);
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_state_machine_dat") == "Start"; }, 3000));
    EXPECT_EQ(pixel(*image, 75, 282), 0xFFFFFFu);
    Frm_cands402_stm_destroy(0);
}

TEST_F(StmPageTest, ModbusPageNamesByLanguage)
{
    connect_drive(1);
    status(0x4010);
    Frm_mdb_stm_create(0, host());
    ParamPage& p = Frm_mdb_stm_page();
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_state_machine_dat") == "Fault"; }, 3000));
    status(0);
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_state_machine_dat") == "Switch on disabled"; }, 3000));
    EXPECT_EQ(text(p, 0, "Panel_state_machine_str"), "State Machine");
    EXPECT_EQ(p.find<QGroupBox>(0, "GroupBox_state_machine")->title(), "State Machine");
    LanguageIndex = 0;
    Frm_mdb_stm_set_language(0);
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_state_machine_dat") == "Potenza Off"; }, 3000));
    EXPECT_EQ(text(p, 0, "Panel_state_machine_str"), "Macchina Stati");
    EXPECT_EQ(p.find<QGroupBox>(0, "GroupBox_state_machine")->title(), "Macchina Stati");
    Frm_mdb_stm_destroy(0);
}

TEST_F(StmPageTest, SilentDriveAndArchiveShowGreyAndNoValues)
{
    Rec_set<uint16_t>(DriveRecordBank[0], RecOfs::BusType, 2);
    Frm_cands402_stm_create(0, host());
    Frm_cands402_stm_update();
    ParamPage& p = Frm_cands402_stm_page();
    for (const char* n : {"Panel_can_control_word", "Panel_can_status_word", "Panel_state_machine_dat",
                          "Panel_can_error_code_dat"})
        EXPECT_EQ(text(p, 0, n), "-----") << n;
    auto* image = p.find<ImageBox>(0, "Image_block_control");
    EXPECT_EQ(pixel(*image, 69 + 3, 276 + 17), 0x808080u);
    image->canvas().brush = QBrush(Qt::black);  // one grey drawing: later silent ticks draw nothing
    image->canvas().fill_rect({72, 293, 73, 294});
    Frm_cands402_stm_update();
    EXPECT_EQ(pixel(*image, 69 + 3, 276 + 17), 0u);
    EXPECT_EQ(text(p, 0, "Panel_can_error_code_str"), "[603Fh,0] Error code");
    EXPECT_EQ(text(p, 0, "Panel_prf_nome_control_word"), "Control Word[Hex]");
    EXPECT_EQ(text(p, 0, "Panel_prf_nome_status_word"), "Status Word[Hex]");
    Frm_cands402_stm_destroy(0);

    PageContext = 1;
    Frm_mdb_stm_create(1, host());
    ParamPage& m = Frm_mdb_stm_page();
    for (const char* n : {"Panel_mdb_control_word", "Panel_mdb_status_word", "Panel_state_machine_dat"})
        EXPECT_EQ(text(m, 1, n), "-----") << n;
    EXPECT_FALSE(m.find<QTimer>(1, "Timer_com")->isActive());
    EXPECT_EQ(pixel(*m.find<ImageBox>(1, "Image_block_control"), 224 + 3, 108 + 17), 0x808080u);
    Frm_mdb_stm_destroy(1);
}

// ---- control and status word pages ----

TEST(WordBitsTables, ModeAndTypeSelectTheirNames)
{
    struct Row {
        const WordBits& table;
        int bit;
        const char* en;
        bool used;
    } rows[] = {
        {Ds402ControlBits[0], 4, "New set-point", true},       {Ds402ControlBits[6], 9, "Shift", true},
        {Ds402ControlBits[2], 4, "Reserved", false},           {Ds402ControlBits[0], 11, "Manufac. specific", false},
        {Ds402ControlBits[1], 10, "Reserved", false},          {Ds402StatusBits[2], 12, "Zero Speed", true},
        {Ds402StatusBits[6], 8, "Shift active", true},         {Ds402StatusBits[0], 8, "Manufac. specific", false},
        {Ds402StatusBits[1], 10, "Reserved", false},           {Ds402StatusBits[4], 10, "Target reached", true},
        {MdbControlBits[0], 4, "Manufac. specific", false},    {MdbControlBits[3], 8, "Position abs / rel", true},
        {MdbControlBits[2], 8, "Manufac. specific", false},    {MdbStatusBits[0], 15, "Speed reached", true},
        {MdbStatusBits[1], 15, "Manufac. specific", false},    {MdbStatusBits[2], 6, "Gear box enabled", true},
        {MdbStatusAuxBits[1], 4, "Measuring position", true},  {MdbStatusAuxBits[3], 2, "Jog Mode", true},
        {MdbStatusAuxBits[0], 2, "Manufac. specific", false},
    };
    for (const Row& r : rows) {
        EXPECT_STREQ(r.table[r.bit].name[1], r.en) << r.en;
        EXPECT_EQ(r.table[r.bit].used != 0, r.used) << r.en;
    }
    // Rows in use per mode or type: the common rows and the mode's own.
    auto used = [](const WordBits& t) {
        int n = 0;
        for (const BitNameRow& r : t)
            n += r.used != 0;
        return n;
    };
    const int ds402_control[] = {9, 9, 6, 6, 7, 7, 10}, ds402_status[] = {15, 11, 13, 12, 14, 13, 15};
    for (int m = 0; m < DS402_MODE_COUNT; ++m) {
        EXPECT_EQ(used(Ds402ControlBits[m]), ds402_control[m]) << m;
        EXPECT_EQ(used(Ds402StatusBits[m]), ds402_status[m]) << m;
    }
    const int mdb_control[] = {4, 4, 8, 9}, mdb_status[] = {11, 10, 12, 16}, mdb_aux[] = {1, 1, 1, 5};
    for (int t = 0; t < MDB_TYPE_COUNT; ++t) {
        EXPECT_EQ(used(MdbControlBits[t]), mdb_control[t]) << t;
        EXPECT_EQ(used(MdbStatusBits[t]), mdb_status[t]) << t;
        EXPECT_EQ(used(MdbStatusAuxBits[t]), mdb_aux[t]) << t;
    }
    EXPECT_STREQ(Ds402ControlBits[2][4].name[0], "Riservato");
    EXPECT_STREQ(Ds402StatusBits[1][10].name[0], "Reserved");
    EXPECT_STREQ(MdbControlBits[0][0].name[0], "Potenza On");
}

TEST_F(StmPageTest, Cia402ModeComboFollowsTheDriveAndWrites)
{
    quiet_link(2);
    DriveRecordBank[0].b[2052] = 5;  // not listed: item 0
    Frm_cands402_ctrl_create(0, host());
    ParamPage& p = Frm_cands402_ctrl_page();
    auto* combo = p.find<QComboBox>(0, "ComboBox_modes_of_operation");
    EXPECT_EQ(combo->currentText(), "[1]Position Mode");
    // The drive reports FFh in its status block: slot 0 follows.
    Drive_status ds{};
    ds.control_mode = 0xFF;
    ds.bus_status = 0x0237;
    ds.bus_second = 0x000F;
    Drive_status_publish(ds);
    Frm_cands402_ctrl_update();
    EXPECT_EQ(static_cast<int8_t>(DriveRecordBank[0].b[2052]), -1);
    EXPECT_EQ(combo->currentText(), "[-1]GearBox Mode");
    EXPECT_EQ(text(p, 0, "Panel_status_word_dat"), "0237h");
    EXPECT_EQ(text(p, 0, "Panel_control_word_dat"), "000Fh");
    // The user picks Prof. Vel.: 3 stored and a write queued.
    Seriale_clear_queue();
    Q_EMIT combo->activated(2);
    EXPECT_EQ(DriveRecordBank[0].b[2052], 3);
    EXPECT_EQ(Seriale_count(), 1);
    // List reads off: grey tables (no set bit's light face), word panels "----", the display
    // keeps its text.
    const QString display = text(p, 0, "Panel_modes_of_operation_display");
    auto* status_bits = p.find<ImageBox>(0, "Image_status_word");
    auto* control_bits = p.find<ImageBox>(0, "Image_control_word");
    const auto set_faces = [](const ImageBox* b) {
        return count(*b, {0, 0, b->image().width(), b->image().height()}, 0xEAFAFB);
    };
    EXPECT_GT(set_faces(status_bits), 0);
    EXPECT_GT(set_faces(control_bits), 0);
    Ser_data_flags.fetch_and(static_cast<uint8_t>(~DataFlag::ListReads));
    Frm_cands402_ctrl_update();
    const uint16_t m = Canopen_mode_to_index(3) % DS402_MODE_COUNT;
    for (const auto& [shown, table] :
         {std::pair{status_bits, &Ds402StatusBits[m]}, std::pair{control_bits, &Ds402ControlBits[m]}}) {
        ImageBox grey;
        grey.resize(shown->size());
        Utxgraph_draw_word_bits(&grey, 0, table->data(), 0);
        EXPECT_EQ(shown->image(), grey.image());
    }
    EXPECT_EQ(text(p, 0, "Panel_status_word_dat"), "----");
    EXPECT_EQ(text(p, 0, "Panel_control_word_dat"), "----");
    EXPECT_EQ(text(p, 0, "Panel_modes_of_operation_display"), display);
    Frm_cands402_ctrl_destroy(0);
}

TEST_F(StmPageTest, Cia402ArchiveComboChangesSlotOneOnly)
{
    quiet_link(2);
    DriveRecordBank[0].b[2052] = 1;
    DriveRecordBank[1].b[2052] = 1;
    PageContext = 1;
    Frm_cands402_ctrl_create(1, host());
    ParamPage& p = Frm_cands402_ctrl_page();
    EXPECT_EQ(text(p, 1, "Panel_modes_of_operation_display"), "----");
    Seriale_clear_queue();
    Q_EMIT p.find<QComboBox>(1, "ComboBox_modes_of_operation")->activated(6);
    EXPECT_EQ(static_cast<int8_t>(DriveRecordBank[1].b[2052]), -1);
    EXPECT_EQ(DriveRecordBank[0].b[2052], 1);
    EXPECT_EQ(Seriale_count(), 0);
    Frm_cands402_ctrl_destroy(1);
}

TEST_F(StmPageTest, ModbusControlRedrawsAllTablesOnANewType)
{
    connect_drive(1);
    status(0x0003, 0x0001, 2);
    Frm_mdb_ctrl_create(0, host());
    ParamPage& p = Frm_mdb_ctrl_page();
    EXPECT_EQ(p.find<QTimer>(0, "Timer_com")->interval(), 40);
    ASSERT_TRUE(pump_until([&] { return text(p, 0, "Panel_status_word_dat") == "0203h"; }, 3000));
    EXPECT_EQ(text(p, 0, "Panel_control_word_dat"), "0001h");
    const QImage control = p.find<ImageBox>(0, "Image_control_word")->image().copy();
    const QImage aux = p.find<ImageBox>(0, "Image_status_word_aux")->image().copy();
    status(0x0003, 0x0001, 3);  // the type alone changes
    ASSERT_TRUE(pump_until([&] { return p.find<ImageBox>(0, "Image_control_word")->image() != control; }, 3000));
    EXPECT_NE(p.find<ImageBox>(0, "Image_status_word_aux")->image(), aux);
    Frm_mdb_ctrl_destroy(0);
}

}  // namespace
}  // namespace pagetest
