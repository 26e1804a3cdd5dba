#include "controls/Grid_cells.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <utility>

namespace {

class GridCells : public QStyledItemDelegate {
public:
    GridCells(GridCellPaint paint, int first_row, QObject* parent)
        : QStyledItemDelegate(parent), paint_(std::move(paint)), first_row_(first_row)
    {
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Canvas canvas(painter);
        paint_(canvas, Grid_draw_rect(option.rect), index.row() + first_row_, index.column(),
               (option.state & QStyle::State_Selected) != 0);
    }

private:
    GridCellPaint paint_;
    int first_row_;
};

class GridHeader : public QHeaderView {
public:
    GridHeader(GridCellPaint paint, QWidget* parent) : QHeaderView(Qt::Horizontal, parent), paint_(std::move(paint)) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override
    {
        Canvas canvas(painter);
        paint_(canvas, Grid_draw_rect(rect), 0, logical, false);
    }

private:
    GridCellPaint paint_;
};

}  // namespace

DrawRect Grid_draw_rect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

QAbstractItemDelegate* Grid_cell_delegate(GridCellPaint paint, int first_row, QObject* parent)
{
    return new GridCells(std::move(paint), first_row, parent);
}

QHeaderView* Grid_cell_header(GridCellPaint paint, QWidget* parent)
{
    return new GridHeader(std::move(paint), parent);
}
