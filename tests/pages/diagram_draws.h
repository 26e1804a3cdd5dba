#pragma once
// Counts drawings of a Control Set diagram, whichever frame holds it: a drawing disables the
// image while it paints and enables it again.
#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <functional>

namespace pagetest {

class DiagramDraws : public QObject {
public:
    DiagramDraws() { qApp->installEventFilter(this); }
    ~DiagramDraws() override { qApp->removeEventFilter(this); }
    int count = 0;
    std::function<void()> on_draw;  // at the start of each drawing

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange && watched->objectName() == QLatin1String("Image_block_control") &&
            !static_cast<QWidget*>(watched)->isEnabled()) {
            ++count;
            if (on_draw)
                on_draw();
        }
        return false;
    }
};

}  // namespace pagetest
