#include "platform/messages.h"

#include <QCoreApplication>

void QtMessagePoster::Post(MainWindowMessage message) {
    QCoreApplication::postEvent(receiver_, new QEvent(static_cast<QEvent::Type>(message)));
}
