#pragma once
// Helpers of the field-bus status and CiA 301 pages: the link-up test and the caption / value
// rows their frames are made of.
#include <cstdint>

class QBoxLayout;
class QLabel;
class QWidget;

// The COM port is open, the send thread runs and the drive answers.
bool Bus_link_up();
// Copy condition of the pages whose own display step checks the link itself.
inline bool Bus_copy_always() { return true; }
// A row of a caption label and a right-aligned white value label (width 0: automatic), added to
// layout. Returns the value label.
QLabel* Bus_value_row(QWidget* parent, QBoxLayout* layout, const char* caption, const char* value, int width);
// "-----" in each named label of the frame (null names end the list).
void Bus_no_values(QWidget* frame, const char* const* names);
