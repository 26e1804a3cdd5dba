// Cogging acquisition: frames, the zero-search failure, phase texts, the table arriving in the
// grid and the curve with its growing range.
#include "tool_fixture.h"

#include <QProgressBar>

#include <atomic>
#include <cstring>
#include <thread>
#include <QPushButton>
#include <QTextEdit>

#include "link/Serrx.h"
#include "tools/Formx_tar_cog.h"
#include "tools/Tar_pos_sensor.h"
#include "tools/Tools.h"

namespace {

using namespace tooltest;

class CoggingTest : public ToolTest {
protected:
    void SetUp() override
    {
        ToolTest::SetUp();
        Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
        std::memset(Cogging_table(0), 0, COGGING_ENTRIES);
        Cogging_clear_staged();
    }
    std::unique_ptr<TForm_tar_cog> started()
    {
        auto w = std::make_unique<TForm_tar_cog>();
        stop_timers(w.get());
        w->show();
        w->BitBtn_startClick();
        reply(0);  // the first reply notes the procedure mode
        w->CoggingMonitorTick(0);
        Seriale_clear_queue();
        return w;
    }
    static void reply(uint8_t phase, int32_t counter = 0, uint16_t position = 0, uint8_t mode = ProcMode::Cogging)
    {
        CoggingMonitor.phase.store(phase);
        CoggingMonitor.counter.store(counter);
        CoggingMonitor.position.store(position);
        DriveProcMode.store(mode);
        Ser_data_flags.fetch_or(DataFlag::ProcReply);
    }
    static void table_bytes(uint16_t index, std::initializer_list<int8_t> values)
    {
        std::vector<uint8_t> bytes;
        for (int8_t v : values)
            bytes.push_back(static_cast<uint8_t>(v));
        Cogging_stage(index, bytes.data(), bytes.size());
        CoggingMonitor.flags.fetch_or(CoggingFlag::TableArrived);
    }
};

TEST_F(CoggingTest, ConfirmationDialog)
{
    TForm_tar_cog_ck d;
    d.show();
    EXPECT_EQ(Tool_message_text(d.RichEdit_dialog),
              "      \nIl rotore deve essere libero di ruotare\nprima di iniziare l'acquisizione!");
    d.BitBtn_close->click();
    EXPECT_EQ(d.result(), 7);
    TForm_tar_cog_ck go;
    go.show();
    go.BitBtn_continua->click();
    EXPECT_EQ(go.result(), 1);
}

TEST_F(CoggingTest, EncoderOnlyDriveIsPolledOnlyWithStatusBit7)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 0);
    auto w = std::make_unique<TForm_tar_cog>();
    stop_timers(w.get());
    w->show();
    w->BitBtn_startClick();
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 08 01"});
    Seriale_clear_queue();
    w->CoggingMonitorTick(10);
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(w->BitBtn_close->isEnabled());
    set_status(1u << 7);
    w->CoggingMonitorTick(11);
    EXPECT_EQ(queued(), std::vector<std::string>{"05 07 09"});
}

TEST_F(CoggingTest, ZeroSearchFailureIsReportedOnce)
{
    auto w = started();
    reply(1, 196608);
    w->CoggingMonitorTick(10);
    EXPECT_FALSE(w->Timer_ctrl->isActive());
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione\nRicerca dello zero del sensore");
    reply(1, 196609);
    w->CoggingMonitorTick(11);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    reply(1, 196609);
    w->CoggingMonitorTick(12);
    ASSERT_TRUE(pump_until([this] { return !boxes.empty(); }, 5000));
    pump_for(100);
    EXPECT_EQ(boxes, std::vector<std::string>{"Errore: Ricerca dello zero del sensore!"});
    int stops = 0;
    for (const std::string& f : queued())
        stops += f == "06 08 08 00";
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(w->running);
    EXPECT_TRUE(w->BitBtn_start->isEnabled());
}

TEST_F(CoggingTest, PhaseTextsAndTheEnd)
{
    auto w = started();
    reply(3, 0, 65535);
    w->CoggingMonitorTick(10);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione");
    EXPECT_EQ(w->Panel_posizione->text(), "359.99 °");
    reply(2);
    w->CoggingMonitorTick(11);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione\nAcquisizione cogging motore");
    EXPECT_EQ(w->Panel_posizione->text(), "0.00 °");
    EXPECT_FALSE(w->BitBtn_close->isEnabled());
    reply(4, 0, 0, 0);
    w->CoggingMonitorTick(12);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Acquisizione cogging motore Ok!");
    EXPECT_FALSE(w->running);
    EXPECT_EQ(w->ProgressBar_tar_sensor->value(), 100);

    auto left = started();
    reply(2);
    left->CoggingMonitorTick(20);
    reply(2, 0, 0, 0);  // the drive left the procedure before its end
    left->CoggingMonitorTick(21);
    EXPECT_EQ(Tool_message_text(left->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_FALSE(left->running);
}

TEST_F(CoggingTest, TableArrivesInGridAndCurveAndTheRangeOnlyGrows)
{
    auto w = started();
    EXPECT_EQ(w->StringGrid_cog->cell_text(0, 1), "Dati");
    reply(2);
    table_bytes(0, {20, -20, 5});
    w->CoggingMonitorTick(10);
    EXPECT_EQ(Cogging_table(0)[1], -20);
    EXPECT_EQ(w->StringGrid_cog->cell_text(2, 1), "-20");
    EXPECT_EQ(w->StringGrid_cog->cell_text(2, 0), "1");
    EXPECT_DOUBLE_EQ(w->chart->view.channels[0].fixed_maximum, 24.0);
    EXPECT_DOUBLE_EQ(w->chart->view.channels[0].fixed_minimum, -24.0);
    EXPECT_DOUBLE_EQ(w->chart->Row(1)[0], -20.0);
    reply(2);
    table_bytes(0, {10, -10, 5});
    w->CoggingMonitorTick(11);
    EXPECT_DOUBLE_EQ(w->chart->view.channels[0].fixed_maximum, 24.0);
    EXPECT_DOUBLE_EQ(w->chart->Row(0)[0], 10.0);

    // Closing takes what is still staged.
    table_bytes(255, {-7});
    w->done(2);
    EXPECT_EQ(Cogging_table(0)[255], -7);
}

TEST_F(CoggingTest, TableFromTheLinkUnderLoad)
{
    // Receive thread and window at once: the staged copy is the only shared table (TSan run).
    auto w = started();
    std::atomic<bool> done{false};
    std::thread rx([&] {
        uint8_t bytes[16];
        for (uint16_t i = 0; i < 4 * COGGING_ENTRIES; i = static_cast<uint16_t>(i + 16)) {
            for (uint8_t k = 0; k < 16; ++k)
                bytes[k] = static_cast<uint8_t>((i + k) & 0x3F);
            Cogging_stage(i & 0xFF, bytes, sizeof bytes);
            CoggingMonitor.flags.fetch_or(CoggingFlag::TableArrived);
            Ser_data_flags.fetch_or(DataFlag::ProcReply);
        }
        done.store(true);
    });
    CoggingMonitor.phase.store(2);
    DriveProcMode.store(ProcMode::Cogging);
    for (uint32_t t = 1; !done.load(); ++t)
        w->CoggingMonitorTick(t);
    rx.join();
    w->done(2);
    for (int i = 0; i < COGGING_ENTRIES; ++i)
        ASSERT_EQ(Cogging_table(0)[i], i & 0x3F) << i;
}

TEST_F(CoggingTest, LinkLossEndsTheAcquisition)
{
    auto w = started();
    w->CoggingMonitorTick(1000);
    Ser_link_flags.store(0);
    w->CoggingMonitorTick(1300);
    EXPECT_EQ(Tool_message_text(w->RichEdit_taratura), "Attenzione: Taratura Incompleta!");
    EXPECT_FALSE(w->BitBtn_start->isEnabled());
    EXPECT_TRUE(w->BitBtn_close->isEnabled());
    Seriale_clear_queue();
    w->done(2);
    EXPECT_TRUE(queued().empty());
}

TEST_F(CoggingTest, ClosingWhileRunningStops)
{
    auto w = started();
    w->done(2);
    EXPECT_EQ(queued(), std::vector<std::string>{"06 08 08 00"});
}

}  // namespace
