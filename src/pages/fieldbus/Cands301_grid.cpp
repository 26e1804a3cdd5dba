#include "pages/fieldbus/Cands301_grid.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QBoxLayout>

#include "controls/Graph_draw.h"
#include "pages/ParamPage.h"

namespace {
constexpr int ROW_HEIGHT = 20;
}  // namespace

QTableWidget* Cands301_grid(QWidget* parent, QBoxLayout* layout, const char* name, uint8_t ctx, int rows,
                            std::initializer_list<int> widths, PageCellPaint paint)
{
    return Page_grid(parent, layout, name, ctx, rows, widths.begin(), static_cast<int>(widths.size()), ROW_HEIGHT, paint);
}

namespace {
void font(Canvas& canvas, bool bold)
{
    QFont f = canvas.font;
    f.setBold(bold);
    canvas.font = f;
}
}  // namespace

void Cands301_header_cell(Canvas& canvas, const DrawRect& r, const QString& text)
{
    canvas.brush = QBrush(clBtnFace);
    font(canvas, true);
    canvas.font_colour = clBlue;
    Graph_draw_text_rect(canvas, r, AlignCentre, text);
}

DrawRect Cands301_white_cell(Canvas& canvas, const DrawRect& r)
{
    canvas.brush = QBrush(clWhite);
    canvas.fill_rect(r);
    return {r.left + 1, r.top, r.right - 1, r.bottom};
}

void Cands301_number_cell(Canvas& canvas, const DrawRect& r, int row, const QColor& colour)
{
    font(canvas, true);
    canvas.font_colour = colour;
    Graph_draw_button(canvas, r, clBtnFace, 1, 1, 0, AlignCentre, QString::number(row));
}

void Cands301_text_cell(Canvas& canvas, const DrawRect& text_rect, const QString& text, bool bold, const QColor& colour,
                        uint8_t align)
{
    canvas.brush = QBrush(clWhite);
    font(canvas, bold);
    canvas.font_colour = colour;
    const DrawRect r = align == AlignLeft ? DrawRect{text_rect.left + 1, text_rect.top, text_rect.right, text_rect.bottom}
                                          : text_rect;
    Graph_draw_text_rect(canvas, r, align, text);
}

QString Cands301_word_text(uint32_t v) { return v == 0 ? QStringLiteral("0h") : Page_hex_text(v, 4); }

void Cands301_repaint(QWidget* frame, const char* name)
{
    if (frame == nullptr)
        return;
    if (auto* grid = frame->findChild<QTableWidget*>(QString::fromLatin1(name)))
        grid->viewport()->update();
}
