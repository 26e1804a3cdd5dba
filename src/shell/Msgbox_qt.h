#pragma once
// The GUI's sink for the message-box gateway (platform/Msgbox.h): a modal QMessageBox.

// Installs the sink. Boxes asked for from another thread are shown on the GUI thread, the caller
// waiting for the answer.
void Msgbox_install_qt_sink();
