#include "shell/virtual_keyboard.h"

#include "platform/key_injection.h"

namespace {

constexpr int KEY_WIDTH = 40;
constexpr int KEY_HEIGHT = 45;
constexpr int ROW_TOP[4] = {8, 54, 100, 146};

constexpr QRect At(int left, int row, int width = KEY_WIDTH) {
    return QRect(left, ROW_TOP[row], width, KEY_HEIGHT);
}

KeyboardKey Letter(const char *name, int left, int row, const char *azerty,
                   const char *qwerty = nullptr) {
    return {name, At(left, row), azerty, qwerty ? qwerty : azerty, KeyRole::Caption};
}

KeyboardKey Fixed(const char *name, QRect place, const char *caption, int32_t virtual_key,
                  bool shift = false) {
    return {name, place, caption, caption, KeyRole::Fixed, virtual_key, shift};
}

}  // namespace

// Three letter rows with the editing keys at their ends, the layout key and
// the space bar below, and the numeric block on the right. The two layouts
// differ in six keys: A/Q, Z/W, Q/A, W/Z and the M key, which QWERTY moves
// into the third row in place of ".".
const std::array<KeyboardKey, KEYBOARD_KEY_COUNT> KEYBOARD_KEYS = {{
    Letter("Panel1", 16, 0, "A", "Q"),
    Letter("Panel2", 56, 0, "Z", "W"),
    Letter("Panel3", 96, 0, "E"),
    Letter("Panel4", 136, 0, "R"),
    Letter("Panel5", 176, 0, "T"),
    Letter("Panel6", 216, 0, "Y"),
    Letter("Panel7", 256, 0, "U"),
    Letter("Panel8", 296, 0, "I"),
    Letter("Panel9", 336, 0, "O"),
    Letter("Panel10", 376, 0, "P"),
    Fixed("Panel44", At(416, 0), "\u2190", vk::BACK),
    Letter("Panel11", 46, 1, "Q", "A"),
    Letter("Panel12", 86, 1, "S"),
    Letter("Panel13", 126, 1, "D"),
    Letter("Panel14", 166, 1, "F"),
    Letter("Panel15", 206, 1, "G"),
    Letter("Panel16", 246, 1, "H"),
    Letter("Panel17", 286, 1, "J"),
    Letter("Panel18", 326, 1, "K"),
    Letter("Panel19", 366, 1, "L"),
    Letter("Panel20", 406, 1, "M", "."),
    {"Panel42", At(8, 2, 47), "\u21e7", "\u21e7", KeyRole::Shift},
    Letter("Panel22", 56, 2, "W", "Z"),
    Letter("Panel23", 96, 2, "X"),
    Letter("Panel24", 136, 2, "C"),
    Letter("Panel25", 176, 2, "V"),
    Letter("Panel26", 216, 2, "B"),
    Letter("Panel27", 256, 2, "N"),
    Letter("Panel39", 296, 2, ".", "M"),
    Fixed("Panel40", At(336, 2), "_", vk::OEM_MINUS, true),
    Fixed("Panel41", At(376, 2), "-", vk::SUBTRACT),
    Fixed("Panel45", At(416, 2, 44), "\u21b5", vk::RETURN),
    {"KTYPE", At(8, 3, 47), "QWERTY", "AZERTY", KeyRole::Layout},
    Fixed("Panel43", At(56, 3, 404), "SPACE", vk::SPACE),
    Fixed("Panel28", At(462, 0), "7", vk::NUMPAD0 + 7),
    Fixed("Panel29", At(502, 0), "8", vk::NUMPAD0 + 8),
    Fixed("Panel30", At(542, 0), "9", vk::NUMPAD0 + 9),
    Fixed("Panel31", At(462, 1), "4", vk::NUMPAD0 + 4),
    Fixed("Panel32", At(502, 1), "5", vk::NUMPAD0 + 5),
    Fixed("Panel33", At(542, 1), "6", vk::NUMPAD0 + 6),
    Fixed("Panel34", At(462, 2), "1", vk::NUMPAD0 + 1),
    Fixed("Panel35", At(502, 2), "2", vk::NUMPAD0 + 2),
    Fixed("Panel36", At(542, 2), "3", vk::NUMPAD0 + 3),
    Fixed("Panel37", At(461, 3, 81), "0", vk::NUMPAD0),
    Fixed("Panel38", At(542, 3), ".", vk::DECIMAL),
}};

QString LayoutName(KeyboardLayout layout) {
    return layout == KeyboardLayout::Azerty ? QStringLiteral("AZERTY") : QStringLiteral("QWERTY");
}

KeyboardLayout LayoutFromSetting(const QString &text) {
    return text == QLatin1String("AZERTY") ? KeyboardLayout::Azerty : KeyboardLayout::Qwerty;
}

KeyboardLayout OtherLayout(KeyboardLayout layout) {
    return layout == KeyboardLayout::Azerty ? KeyboardLayout::Qwerty : KeyboardLayout::Azerty;
}

QString KeyCaption(const KeyboardKey &key, KeyboardLayout layout) {
    return QString::fromUtf8(layout == KeyboardLayout::Azerty ? key.azerty : key.qwerty);
}

TypedKey KeyTyped(const KeyboardKey &key, KeyboardLayout layout, bool shift_lock) {
    switch (key.role) {
        case KeyRole::Fixed:
            return {key.virtual_key, key.shift};
        case KeyRole::Caption: {
            // A letter is its own virtual key; "." is the numeric block's
            // decimal key, whatever the shift lock.
            const char shown = *(layout == KeyboardLayout::Azerty ? key.azerty : key.qwerty);
            if (shown >= 'A' && shown <= 'Z') {
                return {shown, shift_lock};
            }
            return {vk::DECIMAL, false};
        }
        case KeyRole::Shift:
        case KeyRole::Layout:
            break;
    }
    return {};
}
