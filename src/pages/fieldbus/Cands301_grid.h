#pragma once
// The grids of the CiA 301 pages: a QTableWidget whose cells a page paints, and the cell looks
// they share (bold blue header, raised row-number button, white value cells).
#include <cstdint>

#include <QColor>
#include <QString>

#include "pages/Page_controls.h"

class Canvas;
class QBoxLayout;
class QTableWidget;
class QWidget;
struct DrawRect;

// A grid named `name` of rows x widths.size() cells of 20 pixels, no editing, every cell painted
// by paint for context ctx; added to layout when one is given.
QTableWidget* Cands301_grid(QWidget* parent, QBoxLayout* layout, const char* name, uint8_t ctx, int rows,
                            std::initializer_list<int> widths, PageCellPaint paint);
// Header cell: bold, blue, centred.
void Cands301_header_cell(Canvas& canvas, const DrawRect& r, const QString& text);
// A row cell filled white; returns the text rectangle (1 pixel in at left and right).
DrawRect Cands301_white_cell(Canvas& canvas, const DrawRect& r);
// The row number in a raised button cell, bold, in colour.
void Cands301_number_cell(Canvas& canvas, const DrawRect& r, int row, const QColor& colour);
// Text in a cell: bold or regular, colour, alignment (AlignLeft draws 1 pixel in).
void Cands301_text_cell(Canvas& canvas, const DrawRect& text_rect, const QString& text, bool bold, const QColor& colour,
                        uint8_t align);
// A u32 as 8 hex digits and "h"; 0 as "0h".
QString Cands301_word_text(uint32_t v);
// Repaints the named grid of the frame of ctx.
void Cands301_repaint(QWidget* frame, const char* name);
