#include "shell/virtual_keyboard.h"

#include <gtest/gtest.h>

#include <QSet>

#include "platform/key_injection.h"

namespace {

const KeyboardKey &KeyNamed(const char *name) {
    for (const KeyboardKey &key : KEYBOARD_KEYS) {
        if (qstrcmp(key.name, name) == 0) {
            return key;
        }
    }
    ADD_FAILURE() << "no key " << name;
    return KEYBOARD_KEYS[0];
}

}  // namespace

TEST(VirtualKeyboard, KeysLieInsideTheWindowWithoutOverlapping) {
    const QRect client(QPoint(0, 0), KEYBOARD_CLIENT_SIZE);
    QSet<QString> names;
    for (size_t i = 0; i < KEYBOARD_KEYS.size(); ++i) {
        const KeyboardKey &key = KEYBOARD_KEYS[i];
        EXPECT_TRUE(client.contains(key.place)) << key.name;
        names.insert(QLatin1String(key.name));
        for (size_t j = i + 1; j < KEYBOARD_KEYS.size(); ++j) {
            EXPECT_FALSE(key.place.intersects(KEYBOARD_KEYS[j].place))
                << key.name << " and " << KEYBOARD_KEYS[j].name;
        }
    }
    EXPECT_EQ(names.size(), KEYBOARD_KEY_COUNT) << "every key has a name of its own";
}

TEST(VirtualKeyboard, TheLayoutsDifferInSixKeysAndTheLayoutKeyNamesTheOther) {
    struct Case {
        const char *name;
        const char *azerty;
        const char *qwerty;
    };
    const Case cases[] = {
        {"Panel1", "A", "Q"},          {"Panel2", "Z", "W"},  {"Panel11", "Q", "A"},
        {"Panel22", "W", "Z"},         {"Panel20", "M", "."}, {"Panel39", ".", "M"},
        {"KTYPE", "QWERTY", "AZERTY"}, {"Panel3", "E", "E"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(KeyCaption(KeyNamed(c.name), KeyboardLayout::Azerty), c.azerty) << c.name;
        EXPECT_EQ(KeyCaption(KeyNamed(c.name), KeyboardLayout::Qwerty), c.qwerty) << c.name;
    }
}

TEST(VirtualKeyboard, OnlyExactlyAzertyIsStoredAzerty) {
    EXPECT_EQ(LayoutFromSetting("AZERTY"), KeyboardLayout::Azerty);
    for (const char *other : {"QWERTY", "azerty", "", "AZERTY "}) {
        EXPECT_EQ(LayoutFromSetting(other), KeyboardLayout::Qwerty) << other;
    }
    for (KeyboardLayout layout : {KeyboardLayout::Azerty, KeyboardLayout::Qwerty}) {
        EXPECT_EQ(LayoutFromSetting(LayoutName(layout)), layout);
        EXPECT_EQ(OtherLayout(OtherLayout(layout)), layout);
    }
}

TEST(VirtualKeyboard, KeysTypeLettersNumpadDigitsAndTheirFixedStrokes) {
    struct Case {
        const char *name;
        KeyboardLayout layout;
        bool shift_lock;
        int32_t virtual_key;
        bool shift;
    };
    const auto A = KeyboardLayout::Azerty;
    const auto Q = KeyboardLayout::Qwerty;
    const Case cases[] = {
        {"Panel1", A, false, 'A', false},
        {"Panel1", Q, true, 'Q', true},  // shift lock: Shift plus the letter
        {"Panel20", A, true, 'M', true},
        {"Panel20", Q, true, vk::DECIMAL, false},  // "." never takes the shift
        {"Panel39", A, false, vk::DECIMAL, false},
        {"Panel39", Q, false, 'M', false},
        {"Panel40", A, false, vk::OEM_MINUS, true},  // "_" is always Shift plus minus
        {"Panel41", A, true, vk::SUBTRACT, false},
        {"Panel28", A, true, vk::NUMPAD0 + 7, false},
        {"Panel37", Q, false, vk::NUMPAD0, false},
        {"Panel38", A, false, vk::DECIMAL, false},
        {"Panel43", A, false, vk::SPACE, false},
        {"Panel44", A, false, vk::BACK, false},
        {"Panel45", A, false, vk::RETURN, false},
        {"Panel42", A, false, 0, false},  // shift and layout keys type nothing
        {"KTYPE", A, false, 0, false},
    };
    for (const Case &c : cases) {
        const TypedKey typed = KeyTyped(KeyNamed(c.name), c.layout, c.shift_lock);
        EXPECT_EQ(typed.virtual_key, c.virtual_key) << c.name;
        EXPECT_EQ(typed.shift, c.shift) << c.name;
    }
}
