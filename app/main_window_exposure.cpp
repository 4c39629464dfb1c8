// Exposure length, gain, vertical blanking and transfer mode.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <algorithm>

#include "app/main_window.h"

void TForm1::expoChange() {
    ApplyExposure(expo->value() * 1000);
}

void TForm1::SetExposureUs(int32_t exposure_us) {
    exposure_us = std::clamp(exposure_us, 0, expo->maximum() * 1000);
    {
        const QSignalBlocker quiet(expo);
        expo->setValue((exposure_us + 500) / 1000);
    }
    ApplyExposure(exposure_us);
}

void TForm1::ApplyExposure(int32_t exposure_us) {
    exposure_us_ = exposure_us;
    Cap->SetExposureUs(exposure_us);
    Cap->CancelForNewSettings();
    mirror_.EXPOLENGTH = QString::number(expo->value());
    Label5->setText(QString::fromStdString(ExposureCaption(exposure_us)));
    if (from_slider_) {
        from_slider_ = false;
        return;
    }
    Preview->focus.Restart();
    const int32_t position = ExposureSliderPosition(exposure_us, exposure_scale_);
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
    const int32_t exposure_us = _expot->value() * exposure_scale_.unit_us;
    if (exposure_us != exposure_us_) {
        from_slider_ = true;
        SetExposureUs(exposure_us);
    }
}

void TForm1::MenuItem3Click(QAction *item) {
    const int32_t n = PresetMilliseconds(item->text().toStdString());
    if (n >= 0) {
        SetExposureRange(n);
    }
}

void TForm1::SetExposureRange(int32_t range_ms) {
    // Where the slider stood decides, as its position always has: a range
    // shorter than that brings the exposure down to the range's end. An
    // exposure typed past the slider's end stays while the slider rests there.
    const int32_t stood_us = _expot->value() * exposure_scale_.unit_us;
    exposure_scale_ = ScaleForRange(range_ms, camera_);
    Label2->setText(ExposureLengthCaption(texts_));
    {
        const QSignalBlocker quiet(_expot);
        _expot->setRange(exposure_scale_.lowest, exposure_scale_.highest);
        _expot->setTickInterval(
            std::max((exposure_scale_.highest - exposure_scale_.lowest) / 10, 1));
        _expot->setValue(ExposureSliderPosition(exposure_us_, exposure_scale_));
    }
    const int32_t shortest_us = exposure_scale_.lowest * exposure_scale_.unit_us;
    const int32_t longest_us = exposure_scale_.highest * exposure_scale_.unit_us;
    if (stood_us > longest_us) {
        SetExposureUs(longest_us);
    } else if (exposure_us_ < shortest_us) {
        SetExposureUs(shortest_us);  // the fine range starts at the camera's shortest
    }
    keypad_state_.SetMaximum(Keypad::Exposure, exposure_scale_.Fine() ? 1000 : expo->maximum());
}

QString TForm1::ExposureLengthCaption(const InterfaceTexts &texts) const {
    return exposure_scale_.Fine() ? texts.LBL_LENGTHUS : texts.LBL_LENGTH;
}

void TForm1::FollowCameraExposures() {
    const int32_t longest_ms = LongestExposureMs(camera_);
    expo->setMaximum(longest_ms);
    fine_range_item_->setVisible(HasFineExposures(camera_));
    for (QAction *item : expopup->actions()) {
        if (item != fine_range_item_) {
            item->setVisible(PresetMilliseconds(item->text().toStdString()) <=
                             std::max(longest_ms, SHORTEST_MS_RANGE));
        }
    }
    SetExposureRange(exposure_scale_.range_ms);
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
