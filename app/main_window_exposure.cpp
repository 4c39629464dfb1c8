// Exposure length, gain, vertical blanking and transfer mode.
#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

#include "app/main_window.h"
#include "camera/exposure_controls.h"

void TForm1::expoChange() {
    Cap->length = expo->value();
    Cap->CancelForNewSettings();
    mirror_.EXPOLENGTH = QString::number(expo->value());
    Label5->setText(QString::number(expo->value()) + "ms");
    if (from_slider_) {
        from_slider_ = false;
        return;
    }
    Preview->focus.Restart();
    const int32_t position = ExposureSliderPosition(expo->value(), _expot->maximum());
    // The echo flag is only raised when the slider will really move: a flag
    // left standing would swallow the observer's next drag.
    if (position != _expot->value()) {
        slider_echo_ = true;
        _expot->setValue(position);
    }
}

void TForm1::_expotChange() {
    if (slider_echo_) {
        slider_echo_ = false;
        return;
    }
    if (_expot->value() != expo->value()) {
        from_slider_ = true;
        expo->setValue(_expot->value());
    }
}

void TForm1::MenuItem3Click(QAction *item) {
    const int32_t n = PresetMilliseconds(item->text().toStdString());
    if (n < 0) {
        return;
    }
    if (n < _expot->value()) {
        _expot->setValue(n);
    }
    _expot->setMaximum(n);
    _expot->setTickInterval(n / 10);
}

void TForm1::GAINChange() {
    UpdateRectangle();
}

void TForm1::vblankChange() {
    driver_.SetVBLANK(vblank->value());
    Label10->setText(QString::asprintf("%03d", vblank->value() + 25));
}

void TForm1::C1Click() {
    Cap->_USB = C1->isChecked() ? 1 : 0;
}
