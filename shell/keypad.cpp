#include "shell/keypad.h"

int32_t KeypadValue(int32_t value, int32_t key, bool fresh_entry, const KeypadRule &rule) {
    if (key == KEYPAD_HASH) {
        return 0;
    }
    if (key == KEYPAD_STAR) {
        // Takes the last digit off every value, 130 included (130 -> 13).
        return value / 10;
    }
    if (key < 0 || key > 9) {
        return value;
    }
    const int64_t appended = int64_t{fresh_entry ? 0 : value} * 10 + key;
    if (appended <= rule.maximum) {
        return static_cast<int32_t>(appended);
    }
    return rule.past_maximum == PastMaximum::Clamp ? rule.maximum : value;
}

void KeypadState::Toggle(Keypad keypad) {
    const int32_t index = static_cast<int32_t>(keypad);
    open_ = open_ == index ? NONE : index;
    fresh_entry_ = open_ != NONE;
    idle_ticks_ = 0;
}

int32_t KeypadState::Press(int32_t value, int32_t key) {
    if (open_ == NONE) {
        return value;
    }
    idle_ticks_ = 0;
    const int32_t result = KeypadValue(value, key, fresh_entry_, rules_[open_]);
    if (key >= 0) {
        fresh_entry_ = false;
    }
    return result;
}

bool KeypadState::Tick() {
    if (open_ == NONE) {
        return false;
    }
    if (++idle_ticks_ < CLOSE_AFTER_TICKS) {
        return false;
    }
    CloseAll();
    return true;
}

bool KeypadState::CloseAll() {
    const bool was_open = open_ != NONE;
    open_ = NONE;
    fresh_entry_ = false;
    idle_ticks_ = 0;
    return was_open;
}
