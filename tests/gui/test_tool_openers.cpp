// The main window's calibration command with the tool windows registered.
#include "control_fixture.h"
#include "files_fixture.h"

#include <QPushButton>

#include "shell/Main_page_host.h"
#include "tools/Formx_azzera_enc.h"
#include "tools/Formx_azzera_enc_abs.h"
#include "tools/Formx_cog_dat.h"
#include "tools/Formx_tar_cog.h"
#include "tools/Tar_pos_sensor.h"
#include "tools/Tools.h"

namespace {

using namespace controltest;

class ToolOpenerTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        Tools_install();
        open_controlled();
        link_ready(1, 0);
        LanguageIndex = 0;
    }
};

TEST_F(ToolOpenerTest, CalibrationCommand)
{
    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 2);
    main->BitBtn_tar_sensor_posClick();
    EXPECT_EQ(box_texts(), "Funzione taratura non possibile per questo sensore di feedback!");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    Rec_set<uint16_t>(DriveRecordBank[0], MotorOfs::FeedbackType, 1);
    bool closed = false;
    filestest::when_modal<TForm_tar_pos_sensor_ck>([](TForm_tar_pos_sensor_ck* d) { d->BitBtn_close->click(); },
                                                   &closed);
    main->BitBtn_tar_sensor_posClick();
    EXPECT_TRUE(closed);
    EXPECT_EQ(Toolwin_open(ToolWin::TarPosSensor), nullptr);  // never created

    bool confirmed = false;
    bool calibrating = false;
    filestest::when_modal<TForm_tar_pos_sensor_ck>(
        [](TForm_tar_pos_sensor_ck* d) {
            d->BitBtn_conferma_corrente->click();
            d->BitBtn_continua->click();
        },
        &confirmed);
    filestest::when_modal<TForm_tar_pos_sensor>([](TForm_tar_pos_sensor* w) {
        EXPECT_TRUE(pump_until([w] { return w->BitBtn_close->isEnabled(); }, 5000));  // by the monitor
        w->BitBtn_close->click();
    },
                                                &calibrating);
    main->BitBtn_tar_sensor_posClick();
    EXPECT_TRUE(confirmed);
    EXPECT_TRUE(calibrating);
}

// The debug tool bar's button shows the zeroing check dialog modally and destroys it.
TEST_F(ToolOpenerTest, DebugButtonShowsTheZeroingCheck)
{
    ASSERT_TRUE(main->BitBtn_F6->isEnabled());
    bool shown = false;
    filestest::when_modal<TForm_Azzera_Enc_Ck>([](TForm_Azzera_Enc_Ck* d) { d->reject(); }, &shown);
    main->BitBtn_F6->click();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Toolwin_open(ToolWin::AzzeraEncCk), nullptr);
}

// The Feedback page reaches the six windows through the host's registry mapping.
TEST_F(ToolOpenerTest, PageToolsAreTheToolWindows)
{
    const PageHostRec host = Main_page_host();
    struct Row {
        PageTool tool;
        const char* name;
    };
    const Row rows[] = {{PageTool::AzzeraEncCk, "Form_Azzera_Enc_Ck"}, {PageTool::AzzeraEnc, "Form_Azzera_Enc"},
                        {PageTool::AzzeraEncAbs, "Form_Azzera_Enc_ABS"}, {PageTool::TarCogCk, "Form_tar_cog_ck"},
                        {PageTool::TarCog, "Form_tar_cog"},           {PageTool::CogDat, "Form_cog_dat"}};
    for (const Row& r : rows) {
        ASSERT_TRUE(host.tool_available(r.tool)) << r.name;
        std::unique_ptr<QWidget> w(host.tool_create(r.tool, main.get()));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->objectName(), r.name);
    }
}

TEST_F(ToolOpenerTest, TerminalButtonShowsTheTerminal)
{
    TForm_Azzera_Enc w(main.get());
    terminal->hide();
    w.BitBtn_terminal->click();
    EXPECT_TRUE(terminal->isVisible());
}

}  // namespace
