#include "controls/FlowPanel.h"

#include <QBoxLayout>
#include <QLabel>
#include <QToolButton>

FlowPanel::FlowPanel(QWidget* parent) : QFrame(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(2);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("caption"));
    row->addWidget(caption_, 0, Qt::AlignVCenter);
    row->addStretch(1);

    host_ = new QBoxLayout(QBoxLayout::RightToLeft);
    host_->setContentsMargins(0, 0, 0, 0);
    host_->setSpacing(0);
    row->addLayout(host_);
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
    host_->addWidget(control, 0, Qt::AlignVCenter);
}

namespace {

QToolButton* make_arrow(QWidget* parent, Qt::ArrowType arrow, const char* name)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setArrowType(arrow);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRepeat(true);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
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
    up_->setMinimumHeight(1);
    down_->setMinimumHeight(1);
    col->addWidget(up_);
    col->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { Q_EMIT changing(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Q_EMIT changing(2); });
}
