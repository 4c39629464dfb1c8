#pragma once

#include <QLCDNumber>

// A seven-segment counter showing a non-negative integer with a fixed number
// of digits (leading zeros shown). The mouse wheel steps it by one, within
// 0 .. the largest value its digits can show.
class SevenSegmentCounter : public QLCDNumber {
    Q_OBJECT
  public:
    SevenSegmentCounter(int digits, QWidget *parent = nullptr);

    int Value() const { return value_; }
    // Clamps to 0 .. the largest value the digits show; emits ValueChanged
    // when the value changes.
    void SetValue(int value);

  signals:
    void ValueChanged(int value);

  protected:
    void wheelEvent(QWheelEvent *event) override;

  private:
    int value_ = -1;
    int maximum_;
};
