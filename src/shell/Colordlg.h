#pragma once
// The one gateway for the colour dialog. The GUI shows a QColorDialog; tests install a sink that
// records the request and scripts the choice. Colours are 0x00BBGGRR values (red in the low byte).
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

// Returns the chosen colour, or nothing when cancelled.
using ColordlgSink = std::function<std::optional<uint32_t>(uint32_t initial)>;

// Installs a sink and returns the previous one; an empty sink restores the QColorDialog.
ColordlgSink Colordlg_set_sink(ColordlgSink sink);

// Runs the dialog preset with `initial`.
std::optional<uint32_t> Colordlg_run(QWidget* parent, uint32_t initial);
