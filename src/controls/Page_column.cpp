#include "controls/Page_column.h"

#include <QChildEvent>
#include <QVBoxLayout>

PageColumn::PageColumn(QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
}

// A child is polished when first shown and again when it is re-parented here.
bool PageColumn::event(QEvent* e)
{
    if (e->type() == QEvent::ChildPolished) {
        auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(e)->child());
        auto* column = static_cast<QVBoxLayout*>(layout());
        if (child != nullptr && !child->isWindow() && column->indexOf(child) < 0) {
            const bool fills = (child->sizePolicy().verticalPolicy() & QSizePolicy::ExpandFlag) != 0;
            column->addWidget(child, fills ? 1 : 0, fills ? Qt::Alignment() : Qt::AlignTop);
        }
    }
    return QWidget::event(e);
}
