// Test entry of the GUI tests: one QApplication exists before any fixture builds its widgets.
#include <gtest/gtest.h>

#include "gui_app.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    gui_app();
    return RUN_ALL_TESTS();
}
