#pragma once

#include <QFrame>

// A phone-style keypad: 1 2 3 / 4 5 6 / 7 8 9 / * 0 #, keys of 45 x 45
// pixels. It reports each key and leaves the arithmetic to its owner; its
// keys never take the keyboard focus.
class NumericKeypad : public QFrame {
    Q_OBJECT
  public:
    explicit NumericKeypad(QWidget *parent = nullptr);

  signals:
    // 0..9 for a digit; the "*" and "#" keys have signals of their own.
    void DigitClicked(int digit);
    void StarClicked();
    void HashClicked();
};
