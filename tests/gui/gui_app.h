#pragma once
// One QApplication shared by every GUI test of the executable (created on first use).
#include <QApplication>

inline QApplication* gui_app()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return existing;
    static int argc = 1;
    static char name[] = "test_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return app;
}
