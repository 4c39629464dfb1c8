#include "widgets/wait_until_hidden.h"

#include <QEvent>
#include <QEventLoop>
#include <QWidget>

namespace {

class HideWatcher : public QObject {
  public:
    explicit HideWatcher(QEventLoop &loop) : loop_(loop) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Hide) {
            loop_.quit();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QEventLoop &loop_;
};

}  // namespace

void ShowAndWaitUntilHidden(QWidget *window) {
    QEventLoop waiting;
    HideWatcher watcher(waiting);
    window->installEventFilter(&watcher);
    window->show();
    window->raise();
    window->activateWindow();
    if (window->isVisible()) {
        waiting.exec();
    }
    window->removeEventFilter(&watcher);
}
