#pragma once
// Saving the scope chart as a recording (*.dmg): the save dialog, the file image and the
// messages. The recording layout and checksum: Oscx_file_core.h.
#include <functional>

#include "scope_core/Oscx_file_core.h"

class Diagramx;
class QWidget;

// The chart's samples oldest first: one piece, or two when its ring has wrapped.
std::vector<ScopeSamplePiece> Scope_chart_pieces(const Diagramx& chart);

// Saves the chart the getter returns (null once its window is gone) to a file the user chooses:
// "Nessun dato da salvare!" for an empty chart, before and after the dialog; a failed write gives
// one warning and leaves the old file; "Dati salvati!" only for a written file.
void ScopeSaveFile(QWidget* parent, const std::function<Diagramx*()>& chart);
