#include "shell/virtual_keyboard_window.h"

#include <QEvent>
#include <QPushButton>
#include <QScreen>

#include "app/window_placement.h"
#include "platform/key_injection.h"
#include "platform/settings_store.h"
#include "shell/settings.h"

namespace {

constexpr int GAP_BELOW_WINDOW = 20;

const char *const KEY_STYLE =
    "QPushButton { background: #505050; color: #f0f0f0; border: 1px solid #202020;"
    " font: bold 15px; }"
    "QPushButton:pressed { background: #808080; }"
    "QPushButton:checked { background: #963030; }"
    "QPushButton#KTYPE { font: bold 9px; }";  // a layout name in a key's width

}  // namespace

TForm4::TForm4(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    // Clicks on the keys must leave the focus in the window being typed into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(KEYBOARD_CLIENT_SIZE);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(64, 64, 64));
    setPalette(colours);
    setStyleSheet(QLatin1String(KEY_STYLE));

    for (int32_t i = 0; i < KEYBOARD_KEY_COUNT; ++i) {
        const KeyboardKey &key = KEYBOARD_KEYS[i];
        auto *button = new QPushButton(this);
        button->setObjectName(QLatin1String(key.name));
        button->setGeometry(key.place);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCheckable(key.role == KeyRole::Shift);
        connect(button, &QPushButton::clicked, this, [this, &key] { KeyClick(key); });
        keys_[i] = button;
    }
    layout_ = LayoutFromSetting(
        SettingsStore().ReadSetting(QStringLiteral("KEYBOARD"), DEFAULT_KEYBOARD));
    ShowLayout();
}

void TForm4::SetTexts(const KeyboardTexts &texts) {
    texts_ = texts;
    ShowLayout();
}

void TForm4::ShowLayout() {
    for (int32_t i = 0; i < KEYBOARD_KEY_COUNT; ++i) {
        keys_[i]->setText(KeyCaption(KEYBOARD_KEYS[i], layout_));
    }
    Key("Panel43")->setText(texts_.space);
    setWindowTitle(texts_.caption + QLatin1Char(' ') + LayoutName(layout_));
}

QPushButton *TForm4::Key(const char *name) const {
    for (int32_t i = 0; i < KEYBOARD_KEY_COUNT; ++i) {
        if (qstrcmp(KEYBOARD_KEYS[i].name, name) == 0) {
            return keys_[i];
        }
    }
    return nullptr;
}

void TForm4::KeyClick(const KeyboardKey &key) {
    switch (key.role) {
        case KeyRole::Shift:
            shift_lock_ = !shift_lock_;
            Key(key.name)->setChecked(shift_lock_);
            return;
        case KeyRole::Layout:
            ToggleLayout();
            return;
        case KeyRole::Caption:
        case KeyRole::Fixed: {
            const TypedKey typed = KeyTyped(key, layout_, shift_lock_);
            SendKey(typed.virtual_key, typed.shift);
            return;
        }
    }
}

void TForm4::ToggleLayout() {
    layout_ = OtherLayout(layout_);
    ShowLayout();
    SettingsStore store;
    store.WriteSetting(QStringLiteral("KEYBOARD"), LayoutName(layout_));
    if (!store.Flush()) {
        qWarning("Omtrix: the keyboard layout could not be stored");
    }
}

void TForm4::ToggleBelow(QWidget *window, QWidget *field) {
    if (isVisible()) {
        hide();
        field->setFocus();
        return;
    }
    const QRect frame = window->frameGeometry();
    const QPoint below(frame.left() - (width() - frame.width()) / 2,
                       frame.top() + frame.height() + GAP_BELOW_WINDOW);
    // On a small screen the place below the window may lie off the screen.
    const QScreen *screen = window->screen();
    move(screen ? KeptOnScreen(below, frameGeometry().size(), screen->availableGeometry()) : below);
    show();
    // Should the system have activated the keyboard after all, the window
    // being typed into takes the activation back.
    window->activateWindow();
    field->setFocus();
}

void TForm4::HideWith(QWidget *window) {
    window->installEventFilter(this);
}

bool TForm4::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        hide();
    }
    return QWidget::eventFilter(watched, event);
}
