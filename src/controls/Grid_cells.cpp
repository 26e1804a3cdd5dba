#include "controls/Grid_cells.h"

#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <utility>

#include "controls/Fit_later.h"

namespace {

// After the paint that found it too narrow: the section grows to width.
void widen_later(const QHeaderView* header, int section, int width)
{
    QMetaObject::invokeMethod(
        const_cast<QHeaderView*>(header),
        [h = QPointer<QHeaderView>(const_cast<QHeaderView*>(header)), section, width] {
            if (h && h->sectionSize(section) < width)
                h->resizeSection(section, width);
        },
        Qt::QueuedConnection);
}

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
        if (auto* grid = qobject_cast<const QTableView*>(option.widget); grid != nullptr && canvas.text_overflow > 0)
            widen_later(grid->horizontalHeader(), index.column(), option.rect.width() + canvas.text_overflow);
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
        if (canvas.text_overflow > 0)
            widen_later(this, logical, rect.width() + canvas.text_overflow);
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

namespace {

constexpr char FITTED[] = "grid_fitted";

void fit_columns(QTableView* grid)
{
    QHeaderView* header = grid->horizontalHeader();
    for (int c = 0; c < header->count(); ++c) {
        if (grid->isColumnHidden(c))
            continue;
        int need = static_cast<const QAbstractItemView*>(grid)->sizeHintForColumn(c);
        if (!header->isHidden())
            need = std::max(need, header->sectionSizeHint(c));
        if (header->sectionSize(c) < need)
            header->resizeSection(c, need);
    }
}

}  // namespace

void Grid_fit_columns(QTableView* grid)
{
    if (grid == nullptr || grid->model() == nullptr || grid->property(FITTED).toBool())
        return;
    grid->setProperty(FITTED, true);
    const auto refit = [grid] { Fit_later(grid, fit_columns); };
    QAbstractItemModel* items = grid->model();
    QObject::connect(items, &QAbstractItemModel::dataChanged, grid, refit);
    QObject::connect(items, &QAbstractItemModel::headerDataChanged, grid, refit);
    QObject::connect(items, &QAbstractItemModel::rowsInserted, grid, refit);
    QObject::connect(items, &QAbstractItemModel::columnsInserted, grid, refit);
    QObject::connect(items, &QAbstractItemModel::modelReset, grid, refit);
    QObject::connect(grid->horizontalHeader(), &QHeaderView::sectionResized, grid, refit);
    refit();
}
