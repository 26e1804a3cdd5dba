// Test entry of the GUI tests: one QApplication exists before any fixture builds its widgets.
#include <gtest/gtest.h>

#include "controls/Fonts.h"
#include "controls/Window_place.h"
#include "gui_app.h"
#include "shell/Mainstate.h"

namespace {

// Ends what a test left behind, for the tests whose fixture does not do it itself.
class EndTestObjects : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override { end_test_objects(); }
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Fonts_install();
    ShellState::install();  // State_reset_all resets the shell's state too
    gui_app();
    Window_place_install();
    ::testing::UnitTest::GetInstance()->listeners().Append(new EndTestObjects);
    return RUN_ALL_TESTS();
}
