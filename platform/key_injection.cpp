#include "platform/key_injection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

KeyStroke StrokeOfVirtualKey(int32_t virtual_key, bool with_shift) {
    KeyStroke stroke;
    if (with_shift) {
        stroke.modifiers |= Qt::ShiftModifier;
    }
    if (virtual_key >= 'A' && virtual_key <= 'Z') {
        stroke.key = static_cast<Qt::Key>(Qt::Key_A + (virtual_key - 'A'));
        const QChar letter(virtual_key);
        stroke.text = with_shift ? QString(letter) : QString(letter.toLower());
        return stroke;
    }
    if (virtual_key >= vk::NUMPAD0 && virtual_key <= vk::NUMPAD0 + 9) {
        const int digit = virtual_key - vk::NUMPAD0;
        stroke.key = static_cast<Qt::Key>(Qt::Key_0 + digit);
        stroke.modifiers |= Qt::KeypadModifier;
        stroke.text = QString::number(digit);
        return stroke;
    }
    switch (virtual_key) {
        case vk::BACK:
            stroke.key = Qt::Key_Backspace;
            stroke.text = QStringLiteral("\b");
            break;
        case vk::RETURN:
            stroke.key = Qt::Key_Return;
            stroke.text = QStringLiteral("\r");
            break;
        case vk::SPACE:
            stroke.key = Qt::Key_Space;
            stroke.text = QStringLiteral(" ");
            break;
        case vk::SUBTRACT:
            stroke.key = Qt::Key_Minus;
            stroke.modifiers |= Qt::KeypadModifier;
            stroke.text = QStringLiteral("-");
            break;
        case vk::DECIMAL:
            stroke.key = Qt::Key_Period;
            stroke.modifiers |= Qt::KeypadModifier;
            stroke.text = QStringLiteral(".");
            break;
        case vk::OEM_MINUS:
            stroke.key = with_shift ? Qt::Key_Underscore : Qt::Key_Minus;
            stroke.text = with_shift ? QStringLiteral("_") : QStringLiteral("-");
            break;
        default:
            break;
    }
    return stroke;
}

void SendKey(int32_t virtual_key, bool with_shift) {
    QObject *target = QGuiApplication::focusObject();
    const KeyStroke stroke = StrokeOfVirtualKey(virtual_key, with_shift);
    if (!target || stroke.key == Qt::Key_unknown) {
        return;
    }
    auto post = [target](QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
                         const QString &text) {
        QCoreApplication::postEvent(target, new QKeyEvent(type, key, modifiers, text));
    };
    if (with_shift) {
        post(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, QString());
    }
    post(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
    post(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
    if (with_shift) {
        post(QEvent::KeyRelease, Qt::Key_Shift, Qt::NoModifier, QString());
    }
}
