#pragma once
// Where a top-level window opens: on the screen of the window it belongs to, inside that screen's
// available area, frame and title bar included.
#include <optional>

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The window's geometry (its frame excluded) for a window of `size` whose frame adds `frame`:
// no larger than `area` holds with the frame, and with the frame centred in `area`, or with the
// frame's top-left at `at` moved as little as it takes to bring the whole frame inside.
QRect Window_place_rect(const QRect& area, const QMargins& frame, const QSize& size,
                        std::optional<QPoint> at = std::nullopt);

// The placement rule of every top-level window and dialog the program opens, installed once on the
// application. At a window's first show, after the window's own show handling has given it its
// size, the window is placed at that size: centred, or at the position it was moved to before,
// on the screen of its parent's window (without a parent: of the active window, else of the main
// window; the first window: its own). A window whose contents need more room than the screen's
// available area has gets them in a scroll area first. A later show leaves the window where it is.
void Window_place_install();

// The program's main window: a window without a parent opens on its screen while no window is
// active. Forgotten when it is destroyed.
void Window_place_main_window(QWidget* window);

// The frame the window manager reports around a shown window, none while it has reported none:
// the platform's, unless a test plays the window manager (nullptr: the platform's again).
using WindowFrameReport = std::optional<QMargins> (*)(const QWidget* window);
void Window_place_frame_report(WindowFrameReport report);
