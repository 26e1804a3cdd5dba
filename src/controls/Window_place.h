#pragma once
// Where a top-level window opens: inside its screen's available area, frame and title bar included.
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

// Gives the window that geometry on its screen. Its frame is taken from the window manager when
// known, else guessed; the window is placed again once the window manager reports the real frame.
void Window_place(QWidget* window, const QSize& size, std::optional<QPoint> at = std::nullopt);
