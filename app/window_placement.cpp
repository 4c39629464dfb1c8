#include "app/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

int KeptInside(int wanted, int length, int first, int available) {
    return std::max(first, std::min(wanted, first + available - length));
}

}  // namespace

QPoint KeptOnScreen(QPoint wanted, QSize size, QRect screen) {
    return {KeptInside(wanted.x(), size.width(), screen.x(), screen.width()),
            KeptInside(wanted.y(), size.height(), screen.y(), screen.height())};
}

QPoint CentredOnScreen(QSize size, QRect screen) {
    const QPoint centred(screen.x() + (screen.width() - size.width()) / 2,
                         screen.y() + (screen.height() - size.height()) / 2);
    return KeptOnScreen(centred, size, screen);
}

void PlaceOnScreen(QWidget *window, QPoint at) {
    const QScreen *screen = QGuiApplication::screenAt(at);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        window->move(at);
        return;
    }
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    window->move(KeptOnScreen(at, size, screen->availableGeometry()));
}

std::optional<QPoint> ToolWindowPlace(QSize size, QRect screen, QRect main_window, QRect picture,
                                      const QList<QRect> &taken) {
    auto free_of_taken = [&](const QRect &place) {
        return std::none_of(taken.begin(), taken.end(),
                            [&](const QRect &other) { return other.intersects(place); });
    };
    // Beside the main window: right, left, below, then above, each time
    // first level with its edge, then after each place already taken there.
    QList<QPoint> beside;
    for (const int x : {main_window.right() + 1, main_window.left() - size.width()}) {
        beside.append({x, main_window.top()});
        for (const QRect &other : taken) {
            beside.append({x, other.bottom() + 1});
        }
    }
    for (const int y : {main_window.bottom() + 1, main_window.top() - size.height()}) {
        beside.append({main_window.left(), y});
        for (const QRect &other : taken) {
            beside.append({other.right() + 1, y});
        }
    }
    for (const QPoint at : beside) {
        const QRect place(at, size);
        if (screen.contains(place) && !place.intersects(main_window) && free_of_taken(place)) {
            return at;
        }
    }
    // Inside the picture: columns from the right edge leftwards, each filled
    // from the top down.
    QList<int> columns{picture.right() + 1 - size.width()};
    QList<int> rows{picture.top()};
    for (const QRect &other : taken) {
        columns.append(other.left() - size.width());
        rows.append(other.bottom() + 1);
    }
    rows.append(picture.bottom() + 1 - size.height());
    for (const int x : columns) {
        for (const int y : rows) {
            const QRect place(QPoint(x, y), size);
            if (picture.contains(place) && screen.contains(place) && free_of_taken(place)) {
                return place.topLeft();
            }
        }
    }
    return std::nullopt;
}

QPoint CrowdedToolWindowPlace(QSize size, QRect screen, QRect picture, int keypad_strip) {
    const int x = std::max(picture.right() + 1 - size.width(), picture.left() - keypad_strip);
    return KeptOnScreen(QPoint(x, picture.top()), size, screen);
}
