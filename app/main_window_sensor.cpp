// The sensor window: sub-frame, binning, and the gains handed to the camera
// with them.
#include <QLabel>
#include <QSlider>

#include "app/main_window.h"
#include "preview/colour_balance.h"
#include "widgets/preview_scroll_box.h"
#include "widgets/sensor_miniature.h"
#include "widgets/seven_segment_counter.h"

void TForm1::BinningClick(int32_t code) {
    Cap->binning_code = code;
    Preview->binning_shift = BinningShift(code);
    SetResolution();
    Preview->LineUpdate();  // a measured line now reads in the new binning's pixels
}

void TForm1::fullMouseDown(QPoint at) {
    DrawMini(at.x(), at.y());
    dragging = true;
}

void TForm1::fullMouseMove(QPoint at) {
    if (dragging) {
        DrawMini(at.x(), at.y());
    }
}

void TForm1::fullMouseUp(QPoint at) {
    dragging = false;
    DrawMini(at.x(), at.y());
    UpdateRectangle();
    ShowSubframeText();  // the window moved: the status bar follows
}

void TForm1::ShowSubframeText() {
    if (Recorder && Recorder->Recording()) {
        return;  // the panel holds the recording's figures
    }
    folder_link_->hide();
    status_panels_[1]->setMinimumWidth(subframe_panel_width_);
    status_panels_[1]->setText(
        texts_.STATUS_SUBFRAME + QLatin1Char(' ') +
        QString::fromStdString(SubframeCorners(sub_frame_, Cap->binning_code)));
}

void TForm1::DrawMini(int32_t x, int32_t y) {
    ::DrawMini(sub_frame_, x, y);
    DrawMini2();
}

void TForm1::DrawMini2() {
    QRect outline = full->Subframe();
    outline.moveTo(sub_frame_.sx / MINI_SCALE, sub_frame_.sy / MINI_SCALE);
    full->SetSubframe(outline);
}

void TForm1::SetResolution() {
    const FrameSize shown =
        ::SetResolution(sub_frame_, __width->value(), __height->value(), Cap->binning_code);
    if (shown.width != HRES->Value() || shown.height != VRES->Value()) {
        ScrollBox1->ShowMiddle();
    }
    HRES->SetValue(shown.width);
    VRES->SetValue(shown.height);
    full->SetSubframe(QRect(full->Subframe().topLeft(),
                            QSize(sub_frame_.sw / MINI_SCALE, sub_frame_.sheight / MINI_SCALE)));
    DrawMini2();
    UpdateRectangle();
    ShowSubframeText();
}

void TForm1::UpdateRectangle() {
    KeepOnSensor(sub_frame_);
    Preview->focus.Restart();
    const ChannelGains gains = ComputeChannelGains(RED->value(), GREEN->value(), BLUE->value(),
                                                   Gain->value(), ColorCamera1->isChecked());
    Cap->_rgain = static_cast<uint32_t>(gains.red);
    Cap->_ggain = static_cast<uint32_t>(gains.green);
    Cap->_bgain = static_cast<uint32_t>(gains.blue);
    RequestSubFrame(*Cap, sub_frame_);
    Cap->CancelForNewSettings();
    Label1->setText(QString::asprintf("%03d", RED->value()));
    Label4->setText(QString::asprintf("%03d", GREEN->value()));
    Label7->setText(QString::asprintf("%03d", BLUE->value()));
    Label6->setText(QString::asprintf("%03d%%", Gain->value()));
    mirror_.REDBALANCE = QString::number(RED->value());
    mirror_.GREENBALANCE = QString::number(GREEN->value());
    mirror_.BLUEBALANCE = QString::number(BLUE->value());
    mirror_.GAIN = QString::number(Gain->value());
}
