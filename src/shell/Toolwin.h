#pragma once
// The windows that later subsystems provide, reached through one registry: per kind the window
// while it is open and the factory its subsystem registered. A kind without a factory cannot be
// opened, and the commands that need it stay disabled.
#include <functional>

#include <QPointer>
#include <QWidget>

enum class ToolWin {
    FlashSH,              // firmware update window
    E2pChks,              // EEPROM checksum-error dialog
    E2pOffsetEr,          // EEPROM offset-error dialog
    Oscx,                 // oscilloscope
    OscxLoadDat,          // recording viewer
    OscxPrintPreview,
    OscxSet,
    OscxPID,              // regulator panel
    TarPosSensorCk,       // position-sensor calibration pre-check
    TarPosSensor,         // position-sensor calibration
    PosQuoteTest,         // positioning test bench
    LoadMotor,            // motor data editor
    SetPrint,             // print selection
    PrintPreview,
    PrinterData,          // print dialog
    AzzeraEncCk,          // settings check before a zeroing
    AzzeraEnc,            // encoder and Hall offset zeroing
    AzzeraEncAbs,         // absolute-encoder zeroing
    TarCogCk,             // confirmation before a cogging acquisition
    TarCog,               // cogging acquisition
    CogDat,               // cogging table view
    Count
};

using ToolFactory = std::function<QWidget*(QWidget* parent)>;

void Toolwin_register(ToolWin kind, ToolFactory factory);
void Toolwin_unregister(ToolWin kind);
bool Toolwin_available(ToolWin kind);

// Creates the window through its factory (nullptr without one) and keeps it as the open window.
QWidget* Toolwin_create(ToolWin kind, QWidget* parent);
// Creates the window, runs it modally when it is a dialog and destroys it: its modal result, 0
// without a factory.
int Toolwin_run_modal(ToolWin kind, QWidget* parent);

// The open window of a kind, null while none is open (cleared when the window is destroyed).
QWidget* Toolwin_open(ToolWin kind);
