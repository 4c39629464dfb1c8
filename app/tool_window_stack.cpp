#include "app/tool_window_stack.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "app/window_placement.h"

ToolWindowStack::ToolWindowStack(QWidget *main_window, std::function<QRect()> free_picture,
                                 int keypad_strip)
    : QObject(main_window),
      main_window_(main_window),
      free_picture_(std::move(free_picture)),
      keypad_strip_(keypad_strip) {
    // Keypads, dialogs and message boxes are many and some are made by Qt
    // itself (the folder dialog): they are recognised as they show.
    qApp->installEventFilter(this);
}

ToolWindowStack::~ToolWindowStack() {
    qApp->removeEventFilter(this);
}

void ToolWindowStack::Add(QWidget *window, QAbstractButton *button) {
    QPointer<QAbstractButton> control(button);
    tools_.push_back({window, [control] {
                          if (control && control->isChecked()) {
                              control->click();
                          }
                      }});
}

void ToolWindowStack::Add(QWidget *window, QAction *item) {
    QPointer<QAction> control(item);
    tools_.push_back({window, [control] {
                          if (control && control->isChecked()) {
                              control->trigger();
                          }
                      }});
}

void ToolWindowStack::Add(QWidget *window) {
    tools_.push_back({window, {}});
}

void ToolWindowStack::Show(QWidget *window) {
    Tool *tool = Find(window);
    if (!tool || tool->placed) {
        window->show();
        return;
    }
    tool->placed = true;
    window->move(UsualPlace(window));
    window->show();
    window->move(UsualPlace(window));  // again, now that the window's frame is known
}

// Each window's place is found after the places of the windows added
// before it, so no two usual places overlap while there is room; a window
// too large for any free place lies over the others and takes nothing.
QPoint ToolWindowStack::UsualPlace(const QWidget *window) const {
    const QScreen *screen = main_window_->screen();
    const QRect free = screen ? screen->availableGeometry() : QRect();
    const QRect picture = free_picture_();
    QList<QRect> taken;
    for (const Tool &tool : tools_) {
        const QSize size = tool.window->frameGeometry().size().expandedTo(tool.window->size());
        const std::optional<QPoint> at =
            ToolWindowPlace(size, free, main_window_->frameGeometry(), picture, taken);
        if (tool.window == window) {
            return at ? *at : CrowdedToolWindowPlace(size, free, picture, keypad_strip_);
        }
        if (at) {
            taken.append(QRect(*at, size));
        }
    }
    return window->pos();
}

QList<QWidget *> ToolWindowStack::Stacking() const {
    QList<QWidget *> windows;
    for (const QPointer<QWidget> &window : stacking_) {
        if (window) {
            windows.append(window);
        }
    }
    return windows;
}

bool ToolWindowStack::IsFront(const QWidget *window) const {
    if (!window->isWindow() || window == main_window_ ||
        std::any_of(tools_.begin(), tools_.end(),
                    [window](const Tool &tool) { return tool.window == window; })) {
        return false;
    }
    const Qt::WindowType type = window->windowType();
    if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen) {
        return false;  // menus and tips close by themselves
    }
    for (const QWidget *parent = window->parentWidget(); parent; parent = parent->parentWidget()) {
        if (parent == main_window_) {
            return true;
        }
    }
    return false;
}

bool ToolWindowStack::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::WindowActivate) ||
        !watched->isWidgetType()) {
        return false;
    }
    auto *window = static_cast<QWidget *>(watched);
    // Before the main window shows and after it has gone nothing is stacked,
    // and the controls may be gone already.
    if (!window->isWindow() || !main_window_->isVisible()) {
        return false;
    }
    if (Tool *tool = Find(window)) {
        if (type == QEvent::Hide) {
            if (tool->release) {
                tool->release();
            }
        } else {
            Raised(window);
            RaiseFrontWindows();
        }
    } else if (type == QEvent::Show && IsFront(window)) {
        window->raise();
        Raised(window);
    }
    return false;
}

ToolWindowStack::Tool *ToolWindowStack::Find(const QWidget *window) {
    const auto found = std::find_if(tools_.begin(), tools_.end(),
                                    [window](const Tool &tool) { return tool.window == window; });
    return found == tools_.end() ? nullptr : &*found;
}

void ToolWindowStack::Raised(QWidget *window) {
    stacking_.removeAll(QPointer<QWidget>(window));
    stacking_.removeAll(QPointer<QWidget>());
    stacking_.append(window);
}

// In the order they were opened, so that the newest stays topmost.
void ToolWindowStack::RaiseFrontWindows() {
    for (QWidget *window : Stacking()) {
        if (window->isVisible() && IsFront(window)) {
            window->raise();
            Raised(window);
        }
    }
}
