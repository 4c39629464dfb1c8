#include "platform/messages.h"

#include <QCoreApplication>

#if defined(__SANITIZE_THREAD__)
// Qt's event queue hands the event over under a lock the thread checker
// cannot see (Qt is not built with it); these say what the lock does.
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
#define HAND_OVER(event) __tsan_release(event)
#define TAKE_OVER(event) __tsan_acquire(event)
#else
#define HAND_OVER(event)
#define TAKE_OVER(event)
#endif

void QtMessagePoster::Post(MainWindowMessage message) {
    auto *event = new QEvent(static_cast<QEvent::Type>(message));
    HAND_OVER(event);
    QCoreApplication::postEvent(receiver_, event);
}

int ReceivedMessage(QEvent *event) {
    TAKE_OVER(event);
    switch (static_cast<int>(event->type())) {
        case MSG_FRAME_READY:
        case MSG_RENDER_PREVIEW:
        case MSG_RECORD_FRAME:
        case MSG_COVER_CAMERA:
        case MSG_UNCOVER_CAMERA:
        case MSG_DARK_PROGRESS:
            return static_cast<int>(event->type());
        default:
            return 0;
    }
}
