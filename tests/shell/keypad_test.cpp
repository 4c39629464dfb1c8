#include "shell/keypad.h"

#include <gtest/gtest.h>

namespace {

struct KeyCase {
    Keypad keypad;
    int32_t value;
    int32_t key;
    bool fresh;
    int32_t expected;
};

const char *KeyName(int32_t key) {
    return key == KEYPAD_STAR ? "*" : key == KEYPAD_HASH ? "#" : "digit";
}

}  // namespace

TEST(KeypadValue, DigitsAppendWithinEachKeypadsLimit) {
    const KeyCase cases[] = {
        // "*" takes the last digit off, "#" clears, whatever the keypad.
        {Keypad::Count, 123, KEYPAD_STAR, false, 12},
        {Keypad::Count, 125, KEYPAD_STAR, false, 12},
        {Keypad::Count, 5, KEYPAD_STAR, false, 0},
        {Keypad::Count, 130, KEYPAD_STAR, false, 13},
        {Keypad::Count, 10, KEYPAD_STAR, false, 1},
        {Keypad::Delay, 0, KEYPAD_STAR, false, 0},
        {Keypad::Gain, 77, KEYPAD_HASH, false, 0},
        // Gain: at most 100; a refused digit leaves the value.
        {Keypad::Gain, 10, 5, true, 5},
        {Keypad::Gain, 5, 0, false, 50},
        {Keypad::Gain, 50, 1, false, 50},
        {Keypad::Gain, 10, 0, false, 100},
        // Count: four digits; a fifth is refused, the value kept as it was.
        {Keypad::Count, 1234, 5, false, 1234},
        {Keypad::Count, 1235, 0, false, 1235},
        {Keypad::Count, 999, 9, false, 9999},
        // Dark frames: two digits.
        {Keypad::Darks, 9, 9, false, 99},
        {Keypad::Darks, 99, 9, false, 99},
        // Delay: what its six-digit counter shows, and never past 32 bits.
        {Keypad::Delay, 99999, 9, false, 999999},
        {Keypad::Delay, 999999, 9, false, 999999},
        {Keypad::Delay, 2147483647, 9, false, 2147483647},
        // Exposure: its edit box's range, which clamps.
        {Keypad::Exposure, 1999, 9, false, 19999},
        {Keypad::Exposure, 2000, 0, false, 19999},
        {Keypad::Exposure, 100, 7, true, 7},
    };
    for (const KeyCase &c : cases) {
        EXPECT_EQ(KeypadValue(c.value, c.key, c.fresh, RuleOf(c.keypad)), c.expected)
            << "keypad " << static_cast<int>(c.keypad) << ", value " << c.value << ", "
            << KeyName(c.key) << " " << c.key << (c.fresh ? " (fresh)" : "");
    }
}

TEST(KeypadState, TheFirstDigitAfterOpeningReplacesTheValue) {
    KeypadState keypads;
    keypads.Toggle(Keypad::Count);
    int32_t count = 42;
    for (int32_t digit : {1, 2, 3, 4, 5}) {
        count = keypads.Press(count, digit);
    }
    EXPECT_EQ(count, 1234);
    EXPECT_EQ(count = keypads.Press(count, KEYPAD_STAR), 123);
    EXPECT_EQ(keypads.Press(count, KEYPAD_HASH), 0);

    // "*" straight after opening works on the old value and keeps the
    // next digit a fresh start.
    keypads.Toggle(Keypad::Gain);
    EXPECT_EQ(keypads.Press(80, KEYPAD_STAR), 8);
    EXPECT_TRUE(keypads.FreshEntry());
    EXPECT_EQ(keypads.Press(8, 3), 3);
    EXPECT_FALSE(keypads.FreshEntry());
}

TEST(KeypadState, AKeypadLeftAloneForTenTicksCloses) {
    KeypadState keypads;
    EXPECT_FALSE(keypads.Tick()) << "ticks with no keypad open do nothing";
    keypads.Toggle(Keypad::Gain);
    for (int tick = 1; tick < KeypadState::CLOSE_AFTER_TICKS; ++tick) {
        EXPECT_FALSE(keypads.Tick()) << tick;
    }
    keypads.Press(10, 2);  // a key starts the count again
    for (int tick = 1; tick < KeypadState::CLOSE_AFTER_TICKS; ++tick) {
        EXPECT_FALSE(keypads.Tick()) << tick;
    }
    EXPECT_TRUE(keypads.Tick());
    EXPECT_EQ(keypads.Open(), KeypadState::NONE);
    // Reopened, it gets its full ten ticks again.
    keypads.Toggle(Keypad::Gain);
    EXPECT_FALSE(keypads.Tick());
}

// The sub-frame keypads take sizes up to the connected camera's sensor; a
// digit that would go past it is refused.
TEST(KeypadState, SubframeKeypadsStopAtTheSensor) {
    struct Row {
        int32_t sensor_width, sensor_height;
        int32_t typed;     // four digits typed on the width keypad
        int32_t expected;  // the width they give
    };
    for (const Row row : {
             Row{2048, 1536, 2048, 2048},
             Row{2048, 1536, 4096, 409},
             Row{1304, 976, 1304, 1304},
             Row{1304, 976, 1308, 130},
             Row{4096, 3072, 4096, 4096},
         }) {
        KeypadState keypads;
        keypads.SetMaximum(Keypad::SubframeWidth, row.sensor_width);
        keypads.SetMaximum(Keypad::SubframeHeight, row.sensor_height);
        keypads.Toggle(Keypad::SubframeWidth);
        int32_t width = 640;
        for (int32_t place = 1000; place >= 1; place /= 10) {
            width = keypads.Press(width, row.typed / place % 10);
        }
        EXPECT_EQ(width, row.expected) << row.sensor_width << " typed " << row.typed;
        keypads.Toggle(Keypad::SubframeHeight);
        int32_t height = 480;
        for (int32_t digit : {3, 0, 7, 2}) {
            height = keypads.Press(height, digit);
        }
        EXPECT_EQ(height, row.sensor_height == 3072 ? 3072 : 307) << row.sensor_height;
    }
}
