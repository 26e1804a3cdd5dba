#pragma once
// Grids whose cells their window paints: a delegate for the cells and a header view that paints
// its sections as row 0.
#include <functional>

#include "controls/Graph_draw.h"

class QAbstractItemDelegate;
class QHeaderView;
class QObject;
class QRect;
class QWidget;

// Paints one cell: canvas and rectangle, row, column, and whether it is selected.
using GridCellPaint = std::function<void(Canvas& canvas, const DrawRect& rect, int row, int column, bool selected)>;

// The rectangle of a Qt cell, right and bottom exclusive.
DrawRect Grid_draw_rect(const QRect& r);
// A delegate painting every cell through paint, the model's row r as row r + first_row.
QAbstractItemDelegate* Grid_cell_delegate(GridCellPaint paint, int first_row, QObject* parent);
// A horizontal header painting each section through paint as row 0, never selected.
QHeaderView* Grid_cell_header(GridCellPaint paint, QWidget* parent);
