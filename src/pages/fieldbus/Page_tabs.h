#pragma once
// Tabs of the field-bus pages: a named tab widget whose sheets take the page's flow panels, the
// sheet of a context's frame that shows a set of edits, and the tab shown in the main window.
#include <cstdint>
#include <initializer_list>

class ParamPage;
class QGroupBox;
class QTabWidget;
class QVBoxLayout;
class QWidget;

// A tab widget `name` added to layout, one sheet per name (with a column layout; caption = name);
// never narrower than its row of tabs.
QTabWidget* Page_tabs(QWidget* parent, QVBoxLayout* layout, const char* name, std::initializer_list<const char*> sheets);
// Moves the flow panel `panel` (a child of box) to the end of sheet's column.
void Page_move_flow(QGroupBox* box, QWidget* sheet, const char* panel);
// Shows the edits of ctx whose panels lie on sheet (ready byte 0 meanwhile).
void Page_show_sheet(ParamPage& page, uint8_t ctx, QWidget* sheet);
// Index of the tab shown by tab widget `tabs` of the main window's frame; -1 without one.
int Page_tab_shown(const ParamPage& page, const char* tabs);
// Selects tab index of `tabs` in ctx's frame without running its show handler; an index out of
// range changes nothing.
void Page_select_tab(const ParamPage& page, uint8_t ctx, const char* tabs, int index);
