#include "pages/Page_controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/Grid_cells.h"
#include "controls/FlowPanel.h"
#include "controls/Graph_draw.h"
#include "controls/MemoUpDwx.h"
#include "controls/Utxgraph.h"
#include "drivedata/Globvar.h"

FlowPanel* Page_flow(QWidget* parent, QBoxLayout* layout, const char* name, const char* caption)
{
    auto* p = new FlowPanel(QString::fromLatin1(name), parent);
    if (caption != nullptr)
        p->setCaption(QString::fromUtf8(caption));
    if (layout != nullptr)
        layout->addWidget(p);
    return p;
}

QComboBox* Page_combo(FlowPanel* panel, const char* name)
{
    auto* c = new QComboBox(panel);
    c->setObjectName(QString::fromLatin1(name));
    panel->addRightToLeft(c);
    return c;
}

namespace {

// A widget named `name` in parent, added to layout when one is given.
template <typename W>
W* named_widget(QWidget* parent, QBoxLayout* layout, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if (layout != nullptr)
        layout->addWidget(w);
    return w;
}

}  // namespace

QLabel* Page_label(QWidget* parent, QBoxLayout* layout, const char* name)
{
    return named_widget<QLabel>(parent, layout, name);
}

QGroupBox* Page_group(QWidget* parent, QBoxLayout* layout, const char* name)
{
    return named_widget<QGroupBox>(parent, layout, name);
}

void Page_set_colour(QWidget* w, const QColor& colour)
{
    if (w == nullptr)
        return;
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

void Page_set_state(QWidget* w, bool enabled, const QColor& colour)
{
    if (w == nullptr)
        return;
    w->setEnabled(enabled);
    Page_set_colour(w, colour);
}

void Page_set_state(MemoUpDwxBase* edit, bool enabled, const QColor& colour)
{
    if (edit == nullptr)
        return;
    Page_set_state(edit->memo(), enabled, colour);
    edit->updown()->setEnabled(enabled);
}

void Page_group_look(QGroupBox* box, bool active)
{
    if (box == nullptr)
        return;
    Page_set_colour(box, active ? bgr(0x008000) : bgr(0x808080));
    QFont f = box->font();
    f.setBold(active);
    box->setFont(f);
}

void Page_set_captions(QWidget* frame, const PageCaption* captions, std::size_t count)
{
    if (frame == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i)
        Utxgraph_set_text(frame->findChild<QWidget*>(QString::fromLatin1(captions[i].control)),
                          QString::fromUtf8(captions[i].text[Lang_index()]));
}

QAbstractItemDelegate* Page_cell_delegate(uint8_t ctx, PageCellPaint paint, QObject* parent)
{
    return Grid_cell_delegate(
        [ctx, paint](Canvas& canvas, const DrawRect& rect, int row, int column, bool selected) {
            paint(ctx, canvas, rect, row, column, selected);
        },
        0, parent);
}

QTimer* Page_frame_timer(QWidget* frame, const char* name, int ms, void (*tick)())
{
    auto* timer = new QTimer(frame);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(ms);
    QObject::connect(timer, &QTimer::timeout, timer, tick);
    timer->start();
    return timer;
}

QTableWidget* Page_grid(QWidget* parent, QBoxLayout* layout, const char* name, uint8_t ctx, int rows,
                        const int* widths, int columns, int row_height, PageCellPaint paint)
{
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(row_height);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    int width = 2 * grid->frameWidth();
    for (int c = 0; c < columns; ++c) {
        grid->setColumnWidth(c, widths[c]);
        width += widths[c];
    }
    grid->setFixedSize(width, rows * row_height + 2 * grid->frameWidth());
    grid->setItemDelegate(Page_cell_delegate(ctx, paint, grid));
    if (layout != nullptr)
        layout->addWidget(grid);
    return grid;
}
