#include "controls/FlowPanel.h"

#include <algorithm>

#include <QApplication>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QHideEvent>
#include <QMouseEvent>
#include <QTimerEvent>
#include <QLabel>

FlowPanel::FlowPanel(QWidget* parent) : QFrame(parent)
{
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(2, 0, 0, 0);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("caption"));
    row_->addWidget(caption_, 0, Qt::AlignVCenter);
    row_->addStretch(1);

    host_ = new QBoxLayout(QBoxLayout::RightToLeft);
    host_->setContentsMargins(0, 0, 0, 0);
    host_->setSpacing(0);
    row_->addLayout(host_);
    apply_gaps();
}

FlowPanel::FlowPanel(const QString& objectName, QWidget* parent) : FlowPanel(parent)
{
    setObjectName(objectName);
}

QString FlowPanel::caption() const { return caption_->text(); }

void FlowPanel::setCaption(const QString& text)
{
    if (caption_->text() != text)
        caption_->setText(text);
}

void FlowPanel::addRightToLeft(QWidget* control)
{
    // An edit and its up-down form one spin box; other neighbours keep a blank apart.
    if (last_ != nullptr && qobject_cast<UpDownButton*>(last_) == nullptr)
        host_->addSpacing(gap());
    host_->addWidget(control, 0, Qt::AlignVCenter);
    last_ = control;
}

int FlowPanel::gap() const
{
    return std::max(2, fontMetrics().horizontalAdvance(QLatin1Char(' ')));
}

void FlowPanel::apply_gaps()
{
    row_->setSpacing(gap());
    for (int i = 0; i < host_->count(); ++i) {
        if (QSpacerItem* s = host_->itemAt(i)->spacerItem())
            s->changeSize(gap(), 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    }
    host_->invalidate();
}

void FlowPanel::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        apply_gaps();
}

// ---- arrows ----

RepeatArrow::RepeatArrow(Qt::ArrowType arrow, QWidget* parent) : QToolButton(parent)
{
    setArrowType(arrow);
    // The arrow never holds the focus itself: with a buddy a click gives the focus to the buddy,
    // and without one nothing takes it (the page's scroll box would, and make the edit's field be
    // left while its arrow is pressed).
    setFocusPolicy(Qt::NoFocus);
    setAutoRepeat(false);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    setMinimumHeight(1);
}

void RepeatArrow::setBuddy(QWidget* buddy)
{
    buddy_ = buddy;
    setFocusProxy(buddy);
    setFocusPolicy(buddy != nullptr ? Qt::ClickFocus : Qt::NoFocus);
}

bool RepeatArrow::still_held() const
{
    if (held_ == Qt::NoButton || !isVisible() || !isEnabled())
        return false;
    if (buddy_ && (!buddy_->isVisible() || !buddy_->isEnabled()))
        return false;
    if (!(QGuiApplication::mouseButtons() & held_))
        return false;  // released where the arrow did not see it
    const QWidget* modal = QApplication::activeModalWidget();
    return modal == nullptr || modal->isAncestorOf(this);
}

void RepeatArrow::mousePressEvent(QMouseEvent* event)
{
    QToolButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isDown())
        return;
    held_ = event->button();
    // A modal box that came up on the way here (another field left) may have taken the release.
    if (!still_held()) {
        end_repeat();
        return;
    }
    repeat_.start(DelayMs, this);
    Q_EMIT step();
}

void RepeatArrow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == held_)
        end_repeat();
    QToolButton::mouseReleaseEvent(event);
}

void RepeatArrow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != repeat_.timerId()) {
        QToolButton::timerEvent(event);
        return;
    }
    if (!still_held()) {
        end_repeat();
        return;
    }
    repeat_.start(IntervalMs, this);
    Q_EMIT step();
}

void RepeatArrow::end_repeat()
{
    repeat_.stop();
    held_ = Qt::NoButton;
    if (isDown())
        setDown(false);
}

void RepeatArrow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        end_repeat();
    QToolButton::changeEvent(event);
}

void RepeatArrow::hideEvent(QHideEvent* event)
{
    end_repeat();
    QToolButton::hideEvent(event);
}

bool RepeatArrow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowBlocked:     // a modal window opened
    case QEvent::WindowDeactivate:  // another window took the focus
        end_repeat();
        break;
    default: break;
    }
    return QToolButton::event(event);
}

// ---- up-down ----

namespace {

RepeatArrow* make_arrow(QWidget* parent, Qt::ArrowType arrow, const char* name)
{
    auto* b = new RepeatArrow(arrow, parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedWidth(UpDownButton::Width);
    return b;
}

}  // namespace

UpDownButton::UpDownButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setFixedWidth(Width);
    auto* col = new QVBoxLayout(this);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    up_ = make_arrow(this, Qt::UpArrow, "up");
    down_ = make_arrow(this, Qt::DownArrow, "down");
    col->addWidget(up_);
    col->addWidget(down_);
    connect(up_, &RepeatArrow::step, this, [this] { Q_EMIT changing(1); });
    connect(down_, &RepeatArrow::step, this, [this] { Q_EMIT changing(2); });
}

void UpDownButton::setBuddy(QWidget* buddy)
{
    up_->setBuddy(buddy);
    down_->setBuddy(buddy);
}
