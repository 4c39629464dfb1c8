#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

// The on-screen keyboard's keys: where each lies, what it shows in either
// letter layout and which key stroke it types.

enum class KeyboardLayout { Azerty, Qwerty };

// The stored name of a layout, and the layout a stored text selects: exactly
// "AZERTY" is AZERTY, any other text QWERTY.
QString LayoutName(KeyboardLayout layout);
KeyboardLayout LayoutFromSetting(const QString &text);
KeyboardLayout OtherLayout(KeyboardLayout layout);

enum class KeyRole {
    Caption,  // types what it shows: a letter (shift lock applies) or "." (the decimal key)
    Fixed,    // always types its own virtual key
    Shift,    // switches the shift lock
    Layout,   // switches to the other letter layout
};

struct KeyboardKey {
    const char *name;  // the key's control name
    QRect place;       // in the window's client area
    const char *azerty;
    const char *qwerty;
    KeyRole role;
    int32_t virtual_key = 0;  // Fixed keys
    bool shift = false;       // Fixed keys that always type with shift
};

inline constexpr int32_t KEYBOARD_KEY_COUNT = 45;
extern const std::array<KeyboardKey, KEYBOARD_KEY_COUNT> KEYBOARD_KEYS;
inline constexpr QSize KEYBOARD_CLIENT_SIZE{591, 198};

// What a key shows in `layout`; the layout key names the other layout.
QString KeyCaption(const KeyboardKey &key, KeyboardLayout layout);

struct TypedKey {
    int32_t virtual_key = 0;  // 0: the key types nothing
    bool shift = false;
};
// The key stroke a click on `key` types.
TypedKey KeyTyped(const KeyboardKey &key, KeyboardLayout layout, bool shift_lock);
