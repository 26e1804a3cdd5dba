#pragma once
// One QApplication shared by every GUI test of the executable (created on first use), and the
// objects that belong to the running test only.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>

#include <functional>
#include <vector>

// The user's folders of the test process: a temporary home, so that no test writes to the real one.
inline QString test_home()
{
    static QTemporaryDir dir;
    static const bool set = [] {
        qputenv("HOME", dir.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir.path() + "/.config").toUtf8());
        qunsetenv("XDG_DOCUMENTS_DIR");
        return true;
    }();
    (void)set;
    return dir.path();
}

inline QApplication* gui_app()
{
    test_home();
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

// Processes events until pred holds; false when timeout_ms passed first.
inline bool pump_until(const std::function<bool()>& pred, int timeout_ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() >= timeout_ms)
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

inline void pump_for(int ms)
{
    pump_until([] { return false; }, ms);
}
