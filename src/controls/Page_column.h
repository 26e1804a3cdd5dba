#pragma once
// The widget a page frame is created in. Every child widget it gets joins its column layout: at
// the top with its preferred height, or with the whole height when its vertical size policy
// expands (a page that fills the area). The column's least size is then the page's, and the page
// follows the column's size.
#include <QWidget>

class PageColumn : public QWidget {
public:
    explicit PageColumn(QWidget* parent = nullptr);

protected:
    bool event(QEvent* e) override;
};
