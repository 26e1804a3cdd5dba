#pragma once
// The link-wait dialog: a progress bar shown modally while the link check before firmware
// programming waits for the drive (at most `maximum_ms`).
#include <cstdint>

#include <QString>

// Shows the dialog modally unless it is already open; returns when it closes.
void ShowLinkWait(uint32_t maximum_ms, const QString& caption);
// True while the dialog is open.
bool LinkWaitOpen();
