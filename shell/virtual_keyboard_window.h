#pragma once

#include <QWidget>
#include <array>

#include "shell/virtual_keyboard.h"

class QPushButton;

struct KeyboardTexts {
    QString caption = QStringLiteral("Virtual Keyboard....");
    QString space = QStringLiteral("SPACE");
};

// The on-screen keyboard: letters in an AZERTY or a QWERTY layout, a numeric
// block and the editing keys. It never takes the focus, so what its keys type
// goes to the control that has the focus in the window the observer works
// in. The layout is stored as KEYBOARD at each change.
class TForm4 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm4(QWidget *parent = nullptr);

    void SetTexts(const KeyboardTexts &texts);

    // The keyboard button of a window with a text field: shows the keyboard
    // centred under `window` (kept on its screen), or hides it when it is
    // showing, and gives `field` the focus.
    void ToggleBelow(QWidget *window, QWidget *field);
    // Hides the keyboard whenever `window` hides.
    void HideWith(QWidget *window);

    KeyboardLayout Layout() const { return layout_; }
    bool ShiftLock() const { return shift_lock_; }
    // The key of that control name (Panel1 .. Panel45, KTYPE), for tests and tools.
    QPushButton *Key(const char *name) const;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void KeyClick(const KeyboardKey &key);
    void ToggleLayout();
    void ShowLayout();

    std::array<QPushButton *, KEYBOARD_KEY_COUNT> keys_{};
    KeyboardLayout layout_ = KeyboardLayout::Azerty;
    bool shift_lock_ = false;
    KeyboardTexts texts_;
};
