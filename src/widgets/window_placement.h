#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a tool window of the main window's opens: beside the main window where the screen has room
// (right, else left), else over it, centred; always whole on the screen where it fits. `anchor` is
// the main window's frame, `size` the new window's frame size, `screen` the screen's available area.
// Answers the new window's frame position.
QPoint window_beside(const QRect& anchor, const QSize& size, const QRect& screen);
