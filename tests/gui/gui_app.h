#pragma once
// One QApplication shared by every GUI test of the executable (created on first use), and the
// objects that belong to the running test only.
#include <QApplication>
#include <QPointer>

#include <vector>

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

// Objects that must not outlive the test that made them (a pending dialog script captures the
// test's locals): deleted by end_test_objects, which the fixtures and the test entry call.
inline std::vector<QPointer<QObject>>& test_objects()
{
    static std::vector<QPointer<QObject>> objects;
    return objects;
}

inline void end_test_objects()
{
    std::vector<QPointer<QObject>> objects;
    objects.swap(test_objects());
    for (const QPointer<QObject>& o : objects)
        delete o.data();
}
