#pragma once
// Small builders and looks shared by the page units that lay out controls beyond their bound
// edits: named panels, combos, labels and group boxes added to a layout, and the enabled state
// and font colour of a plain control.
#include <cstddef>
#include <cstdint>

#include <QColor>

class Canvas;
class FlowPanel;
class MemoUpDwxBase;
class QAbstractItemDelegate;
class QTableWidget;
class QObject;
struct DrawRect;
class QBoxLayout;
class QComboBox;
class QGroupBox;
class QLabel;
class QTimer;
class QWidget;

// Named controls, added to layout when one is given.
FlowPanel* Page_flow(QWidget* parent, QBoxLayout* layout, const char* name, const char* caption = nullptr);
// A combo named `name` at the right end of panel.
QComboBox* Page_combo(FlowPanel* panel, const char* name);
QLabel* Page_label(QWidget* parent, QBoxLayout* layout, const char* name);
QGroupBox* Page_group(QWidget* parent, QBoxLayout* layout, const char* name);

// Font colour (window text and text) of a control; null is skipped.
void Page_set_colour(QWidget* w, const QColor& colour);
// Enabled state and font colour; null is skipped.
void Page_set_state(QWidget* w, bool enabled, const QColor& colour);
// An edit takes a state: memo and up-down button enabled or not, the memo's font colour.
void Page_set_state(MemoUpDwxBase* edit, bool enabled, const QColor& colour);
// Group caption green (008000h) and bold when active, grey (808080h) and regular otherwise.
void Page_group_look(QGroupBox* box, bool active);

// A fixed caption of a named control, by language.
struct PageCaption {
    const char* control;
    const char* text[3];
};
// Sets each caption found under frame in LanguageIndex (Utxgraph_set_text); a null frame is skipped.
void Page_set_captions(QWidget* frame, const PageCaption* captions, std::size_t count);

// A grid cell painter: the frame's context, the cell's canvas and rectangle, its row and column,
// and whether it is selected.
using PageCellPaint = void (*)(uint8_t ctx, Canvas& canvas, const DrawRect& rect, int row, int column, bool selected);
// A delegate for a grid of the frame of ctx that paints every cell through paint.
QAbstractItemDelegate* Page_cell_delegate(uint8_t ctx, PageCellPaint paint, QObject* parent);
// A painted grid named `name`: rows x columns cells of row_height pixels and the given column
// widths, no headers, scroll bars, editing or selection, sized to fit, every cell painted by paint
// for context ctx; added to layout when one is given.
QTableWidget* Page_grid(QWidget* parent, QBoxLayout* layout, const char* name, uint8_t ctx, int rows,
                        const int* widths, int columns, int row_height, PageCellPaint paint);

// A timer of the frame, named `name`, running every `ms` ms from now on and calling `tick`.
QTimer* Page_frame_timer(QWidget* frame, const char* name, int ms, void (*tick)());
