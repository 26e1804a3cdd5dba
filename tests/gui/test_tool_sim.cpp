// Procedures end to end: the main window connected to the drive simulator, a tool window running
// a scripted procedure in the drive.
#include "main_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

#include <cstring>

#include "link/Tools_link.h"
#include "tools/Formx_tar_cog.h"
#include "tools/Tar_pos_sensor.h"

namespace {

using namespace maintest;

class ToolSimTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        open_window();
        attach_simulator();
        connect_and_read();
        LanguageIndex = 0;
    }
    bool sent(const std::string& frame_start, int cmd) const
    {
        for (const std::string& r : linktest::hex_requests(*sim, cmd))
            if (r.rfind(frame_start, 0) == 0)
                return true;
        return false;
    }
};

TEST_F(ToolSimTest, CalibrationRunTakesPolesAndOffset)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
    DriveUiFlags.fetch_and(static_cast<uint8_t>(~UiFlag::CalibVariant));
    // phase, pole pairs, position (high byte first), mode; the drive stays in phase 2 until the
    // window has shown the pole pairs
    sim->set_procedure_script(0, 2, {sim_unhex("00 00 03 E8 03"), sim_unhex("02 04 40 00 03")});
    TForm_tar_pos_sensor w(main.get());
    w.show();
    ASSERT_TRUE(pump_until([&] { return w.BitBtn_start->isEnabled(); }, 5000));
    w.BitBtn_start->click();
    ASSERT_TRUE(pump_until([&] { return w.Panel_poli_motore->text() == "8  "; }, 10000))
        << w.Panel_poli_motore->text().toStdString();
    sim->add_procedure_step(sim_unhex("06 04 FF FF 03"));
    ASSERT_TRUE(pump_until([&] { return Tool_message_text(w.RichEdit_taratura).endsWith("Ok!"); }, 10000))
        << Tool_message_text(w.RichEdit_taratura).toStdString();
    EXPECT_EQ(Tool_message_text(w.RichEdit_taratura), "Taratura Poli Motore + Offset Ok!");
    EXPECT_TRUE(sent("06 08 00 01 40 AE", 8));
    EXPECT_TRUE(sent("05 07 02 E2 30", 7));
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::SensorOffset), 35999);
    EXPECT_EQ(Rec_get<uint16_t>(DriveRecordBank[0], MotorOfs::PolePairs), 4);
    EXPECT_EQ(w.Panel_poli_motore->text(), "8  ");
    EXPECT_FALSE(w.TarPosSensorRunning);
}

TEST_F(ToolSimTest, CoggingRunFillsTheTable)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
    std::memset(Cogging_table(0), 0, COGGING_ENTRIES);
    std::vector<SimBytes> steps;
    // phase, mode, position, counter, start index, count - 1, entries
    steps.push_back(sim_unhex("01 06 00 00 00 00 00 10 00 00 00 00"));
    for (int block = 0; block < 4; ++block) {
        SimBytes s = sim_unhex("02 06 40 00 00 00 00 00");
        s.push_back(0);
        s.push_back(static_cast<uint8_t>(block * 64));
        s.push_back(0);
        s.push_back(63);
        for (int i = 0; i < 64; ++i)
            s.push_back(static_cast<uint8_t>(static_cast<int8_t>((block * 64 + i) % 41 - 20)));
        steps.push_back(s);
    }
    steps.push_back(sim_unhex("04 00 00 00 00 00 00 00 00 00 00 00"));
    sim->set_procedure_script(8, 9, steps);
    TForm_tar_cog w(main.get());
    w.show();
    ASSERT_TRUE(pump_until([&] { return w.BitBtn_start->isEnabled(); }, 5000));
    w.BitBtn_start->click();
    ASSERT_TRUE(pump_until([&] { return Tool_message_text(w.RichEdit_taratura).endsWith("Ok!"); }, 10000))
        << Tool_message_text(w.RichEdit_taratura).toStdString();
    EXPECT_TRUE(sent("06 08 08 01 47 6E", 8));
    for (int i = 0; i < COGGING_ENTRIES; ++i)
        ASSERT_EQ(Cogging_table(0)[i], i % 41 - 20) << i;
    EXPECT_DOUBLE_EQ(w.chart->view.channels[0].fixed_maximum, 24.0);
    w.done(2);
}

}  // namespace
