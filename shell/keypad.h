#pragma once

#include <array>
#include <cstdint>

// The phone-style keypads of the main window: digits append to a setting's
// value, "*" takes the last digit off and "#" clears it. A keypad that has
// just been opened replaces the old value with the first digit typed.

// What a keypad does with a digit that would take the value past its maximum.
enum class PastMaximum {
    Clamp,   // the setting's own control clamps it (exposure)
    Refuse,  // the digit is ignored and the value stays (gain, delay, count, darks)
};

struct KeypadRule {
    int32_t maximum;
    PastMaximum past_maximum;
};

// The keypads, in the order of their opening buttons on the window; the
// sub-frame's width and height came later and open beside its counters.
enum class Keypad : int32_t { Exposure, Gain, Delay, Count, Darks, SubframeWidth, SubframeHeight };
inline constexpr int32_t KEYPAD_COUNT = 7;

inline constexpr std::array<KeypadRule, KEYPAD_COUNT> KEYPAD_RULES = {{
    {19999, PastMaximum::Clamp},    // exposure in ms, the range of its edit box
    {100, PastMaximum::Refuse},     // gain in percent
    {999999, PastMaximum::Refuse},  // delay in ms: what its six-digit counter shows
    {9999, PastMaximum::Refuse},    // frames or seconds: four digits
    {99, PastMaximum::Refuse},      // dark frames: two digits
    {2048, PastMaximum::Refuse},    // sub-frame width in sensor pixels (the sensor's: SetMaximum)
    {1536, PastMaximum::Refuse},    // sub-frame height
}};

inline const KeypadRule &RuleOf(Keypad keypad) {
    return KEYPAD_RULES[static_cast<int32_t>(keypad)];
}

// Keys other than the digits 0..9.
inline constexpr int32_t KEYPAD_STAR = -1;
inline constexpr int32_t KEYPAD_HASH = -2;

// The value after `key` (0..9, KEYPAD_STAR or KEYPAD_HASH) on a keypad with
// `rule`. `fresh_entry`: the keypad was just opened, so a digit starts a new
// value. The arithmetic is wide enough that no value overflows.
int32_t KeypadValue(int32_t value, int32_t key, bool fresh_entry, const KeypadRule &rule);

// Which keypad is open, whether the next digit starts a new value, and how
// long the open keypad has been left alone. At most one keypad is open.
class KeypadState {
  public:
    // Idle ticks (one a second) after which the open keypad closes.
    static constexpr int32_t CLOSE_AFTER_TICKS = 10;
    static constexpr int32_t NONE = -1;

    // The opening button of `keypad`: opens it (closing any other) or closes it.
    void Toggle(Keypad keypad);
    // A key of the open keypad: returns the new value of its setting.
    int32_t Press(int32_t value, int32_t key);
    // A maximum that is the connected camera's (the sub-frame's width and
    // height are its sensor's).
    void SetMaximum(Keypad keypad, int32_t maximum) {
        rules_[static_cast<int32_t>(keypad)].maximum = maximum;
    }
    // One idle tick; true when it closed the open keypad.
    bool Tick();
    // Closes the open keypad; true when one was open.
    bool CloseAll();

    // The open keypad's index, or NONE.
    int32_t Open() const { return open_; }
    bool IsOpen(Keypad keypad) const { return open_ == static_cast<int32_t>(keypad); }
    bool FreshEntry() const { return fresh_entry_; }

  private:
    std::array<KeypadRule, KEYPAD_COUNT> rules_ = KEYPAD_RULES;
    int32_t open_ = NONE;
    bool fresh_entry_ = false;
    int32_t idle_ticks_ = 0;
};
