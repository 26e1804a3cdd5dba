// The main window's calibration command with the tool windows registered.
#include "control_fixture.h"
#include "files_fixture.h"

#include <QPushButton>

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

}  // namespace
