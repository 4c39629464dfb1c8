#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

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

// Where a tool window of `size` first opens, so that it covers no control of
// the main window and none of `taken` (the places of the tool windows placed
// before it): beside the main window (`main_window`, its frame) where the
// screen has room, else inside `picture` (the free part of the picture,
// without the strip where the keypads open) from its right edge leftwards.
// None where neither has room.
std::optional<QPoint> ToolWindowPlace(QSize size, QRect screen, QRect main_window, QRect picture,
                                      const QList<QRect> &taken);

// Where a tool window goes that has no such place: over the picture's
// top-right corner, spreading left over the keypads' strip (`keypad_strip`
// wide) before the controls, kept on the screen.
QPoint CrowdedToolWindowPlace(QSize size, QRect screen, QRect picture, int keypad_strip);
