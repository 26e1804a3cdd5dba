#pragma once
// The Feedback page's Hall display, as its page file uses it: building the controls of a sheet,
// forcing a redraw, and the archive window's blank display.
#include <cstdint>

class QBoxLayout;
class QWidget;

// Picture, index grid and labels of the encoder-with-Halls sheet (encoder true) or the
// Halls-only sheet, for the frame of ctx.
void Frm_mot_feedback_build_hall(uint8_t ctx, QWidget* sheet, QBoxLayout* layout, bool encoder);
// The next update repaints everything: last shown index 255 / last shown offset the complement of
// the current one.
void Frm_mot_feedback_force_hall();
void Frm_mot_feedback_force_hall_offset();
// Both dials blank and the index and angle labels "-----".
void Frm_mot_feedback_blank_halls(uint8_t ctx);
void Frm_mot_feedback_repaint_hall_grids(uint8_t ctx);
