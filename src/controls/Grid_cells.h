#pragma once
// Grids whose cells their window paints: a delegate for the cells and a header view that paints
// its sections as row 0. A column whose painted text runs beyond its cell grows to fit it after
// that paint; the columns to its right move.
#include <functional>

#include "controls/Graph_draw.h"

class QAbstractItemDelegate;
class QHeaderView;
class QObject;
class QRect;
class QTableView;
class QWidget;

// Paints one cell: canvas and rectangle, row, column, and whether it is selected.
using GridCellPaint = std::function<void(Canvas& canvas, const DrawRect& rect, int row, int column, bool selected)>;

// The rectangle of a Qt cell, right and bottom exclusive.
DrawRect Grid_draw_rect(const QRect& r);
// A delegate painting every cell through paint, the model's row r as row r + first_row.
QAbstractItemDelegate* Grid_cell_delegate(GridCellPaint paint, int first_row, QObject* parent);
// A horizontal header painting each section through paint as row 0, never selected.
QHeaderView* Grid_cell_header(GridCellPaint paint, QWidget* parent);

// The columns of an item grid grow to fit their texts and header texts whenever the items or the
// column widths change (a width that was set stays the minimum).
void Grid_fit_columns(QTableView* grid);
