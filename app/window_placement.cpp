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
