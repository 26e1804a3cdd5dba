#pragma once
// Runs a fit of a widget once after a burst of changes (a refill changes its items one by one):
// queued to the widget's event loop; requests made before it runs are dropped.
#include <QPointer>
#include <QWidget>

template <typename W>
void Fit_later(W* widget, void (*fit)(W*))
{
    static constexpr char PENDING[] = "fit_later_pending";
    if (widget->property(PENDING).toBool())
        return;
    widget->setProperty(PENDING, true);
    QMetaObject::invokeMethod(
        widget,
        [w = QPointer<W>(widget), fit] {
            if (w) {
                w->setProperty(PENDING, false);
                fit(w);
            }
        },
        Qt::QueuedConnection);
}
