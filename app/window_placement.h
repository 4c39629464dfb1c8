#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the program's windows open on a screen (`screen`: the part of the
// screen windows may use, in the window system's logical pixels).

// The top-left corner nearest to `wanted` that keeps a window of `size`
// wholly on the screen; a window larger than the screen keeps its top-left
// corner on it, so its title and menus stay reachable.
QPoint KeptOnScreen(QPoint wanted, QSize size, QRect screen);

// The top-left corner that centres a window of `size` on the screen, kept on it.
QPoint CentredOnScreen(QSize size, QRect screen);

// Moves a tool window to `at`, kept inside the screen it lands on.
void PlaceOnScreen(QWidget *window, QPoint at);
