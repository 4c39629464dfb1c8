#include "widgets/seven_segment_counter.h"

#include <QWheelEvent>
#include <algorithm>

SevenSegmentCounter::SevenSegmentCounter(int digits, QWidget *parent)
    : QLCDNumber(digits, parent), maximum_(1) {
    for (int i = 0; i < digits; ++i) {
        maximum_ *= 10;
    }
    maximum_ -= 1;
    setSegmentStyle(QLCDNumber::Flat);
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, QColor(255, 64, 32));
    setPalette(colours);
    SetValue(0);
}

void SevenSegmentCounter::SetValue(int value) {
    value = std::clamp(value, 0, maximum_);
    if (value == value_) {
        return;
    }
    value_ = value;
    display(QString::number(value).rightJustified(digitCount(), QLatin1Char('0')));
    emit ValueChanged(value);
}

void SevenSegmentCounter::wheelEvent(QWheelEvent *event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0) {
        SetValue(value_ + steps);
    }
    event->accept();
}
