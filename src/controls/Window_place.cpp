// Window placement inside the screen's available area.
#include "controls/Window_place.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>

QRect Window_place_rect(const QRect& area, const QMargins& frame, const QSize& size, std::optional<QPoint> at)
{
    const QSize room = area.marginsRemoved(frame).size().expandedTo(QSize(0, 0));
    QRect outer(QPoint(), size.boundedTo(room).grownBy(frame));
    outer.moveTopLeft(at.value_or(QPoint(area.left() + (area.width() - outer.width()) / 2,
                                         area.top() + (area.height() - outer.height()) / 2)));
    // Left and top last, so that they stay on screen should the frame alone be larger than the area.
    outer.moveLeft(std::max(area.left(), std::min(outer.left(), area.left() + area.width() - outer.width())));
    outer.moveTop(std::max(area.top(), std::min(outer.top(), area.top() + area.height() - outer.height())));
    return outer.marginsRemoved(frame);
}

namespace {

constexpr char REPLACER_NAME[] = "window_place_again";

bool frame_known(const QWidget* w)
{
    return w->isVisible() && w->frameGeometry() != w->geometry();
}

QMargins frame_of(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    return {g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom()};
}

// The window's frame when the window manager has reported it; else that of a shown window of the
// same type (the window manager decorates it alike); else a title bar of the style's height.
QMargins frame_margins(const QWidget* window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (frame_known(window))
        return frame_of(window);
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != window && w->windowType() == window->windowType() && frame_known(w))
            return frame_of(w);
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return {border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

QRect available_area(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen != nullptr ? screen->availableGeometry() : QRect(QPoint(), window->size());
}

// Places the window again, once, when the window manager first reports a frame other than the one
// it was placed with. A window's frame is known once it is shown: at latest at its first paint,
// where the geometry must not change, hence the queued call.
class PlaceAgain : public QObject {
public:
    PlaceAgain(QWidget* window, QSize size, std::optional<QPoint> at, QMargins used)
        : QObject(window), window_(window), size_(size), at_(at), used_(used)
    {
        setObjectName(REPLACER_NAME);
        window->installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type t = event->type();
        if ((t == QEvent::Show || t == QEvent::Move || t == QEvent::Resize || t == QEvent::Paint) &&
            frame_known(window_)) {
            window_->removeEventFilter(this);
            QMetaObject::invokeMethod(this, [this] { place(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void place()
    {
        const QMargins frame = frame_of(window_);
        if (frame != used_)
            window_->setGeometry(Window_place_rect(available_area(window_), frame, size_, at_));
        deleteLater();
    }

    QWidget* window_;
    QSize size_;
    std::optional<QPoint> at_;
    QMargins used_;
};

}  // namespace

void Window_place(QWidget* window, const QSize& size, std::optional<QPoint> at)
{
    delete window->findChild<QObject*>(REPLACER_NAME, Qt::FindDirectChildrenOnly);
    const QMargins frame = frame_margins(window);
    window->setGeometry(Window_place_rect(available_area(window), frame, size, at));
    if (!frame_known(window) && frame != QMargins())
        new PlaceAgain(window, size, at, frame);
}
