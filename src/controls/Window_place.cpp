// Window placement inside the screen's available area.
#include "controls/Window_place.h"

#include <algorithm>

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
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
constexpr char PLACED_PROPERTY[] = "window_placed";
constexpr char SCROLLER_NAME[] = "ScrollBox_window";

std::optional<QMargins> platform_frame(const QWidget* w)
{
    const QRect f = w->frameGeometry();
    const QRect g = w->geometry();
    if (!w->isVisible() || f == g)
        return std::nullopt;
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

WindowFrameReport frame_report = platform_frame;

// The frame reported around w, when it encloses w: a window manager that has just made the frame
// may report it before giving it its size (1 x 1 at the screen's origin), which is no frame yet.
std::optional<QMargins> reported_frame(const QWidget* w)
{
    const std::optional<QMargins> frame = frame_report(w);
    if (frame && (frame->left() < 0 || frame->top() < 0 || frame->right() < 0 || frame->bottom() < 0))
        return std::nullopt;
    return frame;
}

// The window's frame when the window manager has reported it; else that of a shown window of the
// same type (the window manager decorates it alike); else a title bar of the style's height.
QMargins frame_margins(const QWidget* window)
{
    if (window->windowFlags() & Qt::FramelessWindowHint)
        return {};
    if (const std::optional<QMargins> frame = reported_frame(window))
        return *frame;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != window && w->windowType() == window->windowType())
            if (const std::optional<QMargins> frame = reported_frame(w))
                return *frame;
    const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    return {border, window->style()->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

QPointer<QWidget> main_window;

// The screen the window opens on: its parent's window's; without a parent, the active window's,
// else the main window's; the first window's own.
QRect available_area(const QWidget* window)
{
    const QWidget* anchor = window->parentWidget() != nullptr ? window->parentWidget()->window()
                                                              : QApplication::activeWindow();
    if (anchor == nullptr)
        anchor = main_window != nullptr ? main_window.data() : window;
    const QScreen* screen = anchor->screen();
    return screen != nullptr ? screen->availableGeometry() : QRect(QPoint(), window->size());
}

// Places the window again, once, when the window manager first reports a frame (one that encloses
// the window) other than the one it was placed with. A window's frame is known once it is shown:
// at latest at its first paint, where the geometry must not change, hence the queued call.
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
            reported_frame(window_)) {
            window_->removeEventFilter(this);
            QMetaObject::invokeMethod(this, [this] { place(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void place()
    {
        const std::optional<QMargins> frame = reported_frame(window_);
        if (!frame) {
            window_->installEventFilter(this);  // no longer reported: wait for it again
            return;
        }
        if (*frame != used_)
            window_->setGeometry(Window_place_rect(available_area(window_), *frame, size_, at_));
        deleteLater();
    }

    QWidget* window_;
    QSize size_;
    std::optional<QPoint> at_;
    QMargins used_;
};

// Places the window now, at `size`: centred, or at `at` brought inside the available area. Its
// frame is taken from the window manager when reported, else guessed; the window is placed again
// once, when the window manager reports the real frame.
void place_window(QWidget* window, const QSize& size, std::optional<QPoint> at)
{
    delete window->findChild<QObject*>(REPLACER_NAME, Qt::FindDirectChildrenOnly);
    const QMargins frame = frame_margins(window);
    window->setGeometry(Window_place_rect(available_area(window), frame, size, at));
    if (!reported_frame(window) && frame != QMargins())
        new PlaceAgain(window, size, at, frame);
}

// A window's widgets, scrolled: no smaller than their layout takes, nor than the window's least size.
class ScrollContents : public QWidget {
public:
    explicit ScrollContents(QSize least) : least_(least) {}
    QSize minimumSizeHint() const override { return QWidget::minimumSizeHint().expandedTo(least_); }

private:
    QSize least_;
};

// The window's own widgets, moved into a scroll area that fills the window: a main window's
// central widget; else the window's layout, with the widgets it manages, and every other child
// widget. The window itself then takes any size.
void scroll_contents(QWidget* window)
{
    auto* scroller = new QScrollArea;
    scroller->setObjectName(SCROLLER_NAME);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    QWidget* contents = nullptr;
    if (auto* main = qobject_cast<QMainWindow*>(window)) {
        contents = main->takeCentralWidget();
        main->setCentralWidget(scroller);
    } else {
        contents = new ScrollContents(window->minimumSize());
        if (QLayout* layout = window->layout())
            contents->setLayout(layout);  // takes it from the window, and the widgets it manages
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (!child->isWindow())
                child->setParent(contents);  // a hidden one stays hidden, the others show with the contents
        auto* fill = new QVBoxLayout(window);
        fill->setContentsMargins(0, 0, 0, 0);
        fill->addWidget(scroller);
    }
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    scroller->setWidget(contents);
    scroller->show();
}

// The window's layouts brought up to date: texts and items its show handling set, and controls that
// size themselves to their contents when first shown, change the least size it takes. A change
// goes up one widget at a time (a posted layout request each), so as many passes as the widgets
// are deep; each pass lays out innermost first.
void settle_layouts(QWidget* window)
{
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    int depth = 0;
    for (const QWidget* w : widgets) {
        int d = 0;
        for (const QWidget* p = w; p != window; p = p->parentWidget())
            ++d;
        depth = std::max(depth, d);
    }
    for (int pass = 0; pass <= depth; ++pass) {
        for (QWidget* w : widgets)
            QCoreApplication::sendPostedEvents(w, QEvent::MetaCall);  // fits to contents queued by the widgets
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        for (auto it = widgets.crbegin(); it != widgets.crend(); ++it)
            if (!(*it)->isWindow() && (*it)->layout() != nullptr)
                (*it)->layout()->activate();
        if (window->layout() != nullptr)
            window->layout()->activate();
    }
}

// The window's size, its contents made to scroll when the least size they take does not fit the
// area with the window's frame (the scroll bar added to the side that does not scroll).
QSize fitted_size(QWidget* window)
{
    const QSize room = available_area(window).marginsRemoved(frame_margins(window)).size();
    const QSize least = window->minimumSize().expandedTo(window->minimumSizeHint());
    QSize size = window->size();
    if (least.width() <= room.width() && least.height() <= room.height())
        return size;
    scroll_contents(window);
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    if (size.height() > room.height())
        size.rwidth() += bar;
    if (size.width() > room.width())
        size.rheight() += bar;
    return size;
}

bool follows_rule(const QWidget* w)
{
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Tool:
    case Qt::SplashScreen: return true;
    default: return false;
    }
}

// The rule: at a window's first show, the window's own show handling first, then its place.
class PlaceRule : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() != QEvent::Show || event->spontaneous() || !object->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(object);
        if (!window->isWindow() || !follows_rule(window) || window->property(PLACED_PROPERTY).toBool())
            return false;
        window->setProperty(PLACED_PROPERTY, true);
        QCoreApplication::sendEvent(window, event);
        settle_layouts(window);
        const std::optional<QPoint> at =
            window->testAttribute(Qt::WA_Moved) ? std::optional<QPoint>(window->pos()) : std::nullopt;
        place_window(window, fitted_size(window), at);
        return true;
    }
};

}  // namespace

void Window_place_install()
{
    static QPointer<PlaceRule> rule;
    if (rule != nullptr)
        return;
    rule = new PlaceRule;
    rule->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(rule);
}

void Window_place_frame_report(WindowFrameReport report)
{
    frame_report = report != nullptr ? report : platform_frame;
}

void Window_place_main_window(QWidget* window)
{
    main_window = window;
}
