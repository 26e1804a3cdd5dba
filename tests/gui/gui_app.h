#pragma once
// One QApplication shared by every GUI test of the executable (created on first use), and the
// objects that belong to the running test only.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "link/Link_state.h"

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

// A widget, action or menu by objectName: the root or one of its children.
inline QObject* find_named(const QObject* root, const QString& name)
{
    if (root->objectName() == name)
        return const_cast<QObject*>(root);
    return root->findChild<QObject*>(name);
}

// States of the named widgets of a window, blank-separated: "e:name" enabled, "v:name" visible (a
// widget: not hidden), "c:name" checked ("1" or "0"), "t:name" the text (label, button, combo box,
// line edit, group box title, window title). A name that is not found gives "?".
inline std::string ui(const std::string& spec, const QObject* root)
{
    std::istringstream in(spec);
    std::string item, out;
    while (in >> item) {
        QObject* o = find_named(root, QString::fromStdString(item.substr(2)));
        if (auto* m = qobject_cast<QMenu*>(o))
            o = m->menuAction();
        auto* w = qobject_cast<QWidget*>(o);
        auto* a = qobject_cast<QAction*>(o);
        auto* b = qobject_cast<QAbstractButton*>(o);
        std::string v = "?";
        const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
        if (item[0] == 'e' && (w || a))
            v = flag(w ? w->isEnabled() : a->isEnabled());
        else if (item[0] == 'v' && (w || a))
            v = flag(w ? !w->isHidden() : a->isVisible());
        else if (item[0] == 'c' && (b || a))
            v = flag(b ? b->isChecked() : a->isChecked());
        else if (item[0] == 't' && o) {
            QString t;
            if (auto* l = qobject_cast<QLabel*>(o))
                t = l->text();
            else if (b)
                t = b->text();
            else if (auto* c = qobject_cast<QComboBox*>(o))
                t = c->currentText();
            else if (auto* e = qobject_cast<QLineEdit*>(o))
                t = e->text();
            else if (auto* g = qobject_cast<QGroupBox*>(o))
                t = g->title();
            else if (a)
                t = a->text();
            else if (w)
                t = w->windowTitle();
            v = t.toStdString();
        }
        out += (out.empty() ? "" : " ") + v;
    }
    return out;
}

// How a shown window misses its place ("" when it has it): its frame inside its screen's available
// area and centred there (to a pixel), at `wanted` as far as the area holds it. TEST_SCREEN_SIZE
// names the screen a child run of the tests was given.
inline std::string placement_faults(const QWidget* w, QSize wanted)
{
    const QRect area = w->screen()->availableGeometry();
    const QRect frame = w->frameGeometry();
    const QSize room = area.size() - (frame.size() - w->size());
    std::ostringstream s;
    if (const QByteArray screen = qgetenv("TEST_SCREEN_SIZE");
        !screen.isEmpty() && screen != QByteArray::number(area.width()) + "x" + QByteArray::number(area.height()))
        s << "screen not " << screen.toStdString() << "; ";
    if (!area.contains(frame) || std::abs(frame.left() - area.left() - (area.right() - frame.right())) > 1 ||
        std::abs(frame.top() - area.top() - (area.bottom() - frame.bottom())) > 1 || w->size() != wanted.boundedTo(room))
        s << "frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " size "
          << w->width() << "x" << w->height() << " in " << area.width() << "x" << area.height();
    return s.str();
}
