// The sensor window: sub-frame, binning, and the gains handed to the camera
// with them.
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QToolButton>
#include <QWidgetAction>

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
    const int32_t scale = MiniatureScale(sub_frame_.sensor);
    QRect outline = full->Subframe();
    outline.moveTo(sub_frame_.sx / scale, sub_frame_.sy / scale);
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
    const int32_t scale = MiniatureScale(sub_frame_.sensor);
    full->SetSubframe(QRect(full->Subframe().topLeft(),
                            QSize(sub_frame_.sw / scale, sub_frame_.sheight / scale)));
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

QToolButton *TForm1::BuildSubframeSizes() {
    subframe_sizes_ = new QToolButton(resolution);
    subframe_sizes_->setText(QStringLiteral("\u2026"));
    subframe_sizes_->setFixedSize(22, 20);
    subframe_sizes_->setFocusPolicy(Qt::NoFocus);
    subframe_sizes_->setPopupMode(QToolButton::InstantPopup);
    subframe_sizes_->setToolTip(texts_.SUB_PRESETS);
    auto *menu = new QMenu(subframe_sizes_);
    for (size_t i = 0; i < SUBFRAME_PRESETS.size(); ++i) {
        const FrameSize preset = SUBFRAME_PRESETS[i];
        subframe_presets_[i] =
            menu->addAction(QStringLiteral("%1 \u00d7 %2").arg(preset.width).arg(preset.height));
        connect(subframe_presets_[i], &QAction::triggered, this,
                [this, preset] { SetSubframeSize(preset.width, preset.height); });
    }
    subframe_full_ = menu->addAction(texts_.SUB_FULL);
    connect(subframe_full_, &QAction::triggered, this,
            [this] { SetSubframeSize(sub_frame_.sensor.width, sub_frame_.sensor.height); });
    menu->addSeparator();
    // A size typed in the menu itself, taken with Enter.
    auto *typed = new QWidget(menu);
    auto *row = new QHBoxLayout(typed);
    row->setContentsMargins(6, 2, 6, 2);
    subframe_typed_label_ = new QLabel(texts_.SUB_TYPED, typed);
    subframe_typed_ = new QLineEdit(typed);
    subframe_typed_->setPlaceholderText(QStringLiteral("640 \u00d7 480"));
    subframe_typed_->setMaximumWidth(100);
    row->addWidget(subframe_typed_label_);
    row->addWidget(subframe_typed_);
    auto *typed_item = new QWidgetAction(menu);
    typed_item->setDefaultWidget(typed);
    menu->addAction(typed_item);
    connect(subframe_typed_, &QLineEdit::returnPressed, this, &TForm1::SubframeTypedEntered);
    connect(menu, &QMenu::aboutToShow, this, [this] {
        subframe_typed_->setText(
            QStringLiteral("%1 \u00d7 %2").arg(sub_frame_.sw).arg(sub_frame_.sheight));
        subframe_typed_->selectAll();
    });
    subframe_sizes_->setMenu(menu);
    return subframe_sizes_;
}

void TForm1::SubframeTypedEntered() {
    FrameSize size;
    if (!ParseFrameSize(subframe_typed_->text().toStdString(), size)) {
        subframe_typed_->selectAll();  // stays open for a better try
        return;
    }
    subframe_sizes_->menu()->hide();
    SetSubframeSize(size.width, size.height);
}

// The sliders take the size (their steps are 4 sensor pixels) and
// SetResolution keeps the centre, holding the window on the sensor.
void TForm1::SetSubframeSize(int32_t width, int32_t height) {
    {
        const QSignalBlocker quiet_width(__width);
        const QSignalBlocker quiet_height(__height);
        __width->setValue(SizeSliderPosition(width, __width->maximum()));
        __height->setValue(SizeSliderPosition(height, __height->maximum()));
    }
    SetResolution();
}

void TForm1::FollowCamera() {
    std::string complaint;
    camera_ = DescribeCamera(driver_, complaint);
    if (!complaint.empty()) {
        const QString text =
            texts_.CAMERA_DESCRIPTION + QLatin1Char(' ') + QString::fromStdString(complaint);
        qWarning("Omtrix: %s", qUtf8Printable(text));
        ShowNotice(text);
    }
    SetFrameBlockBytes(FrameBlockBytes(camera_.width, camera_.height, camera_.bit_depth));
    // The camera's depth decides the frames' depth and the "16-bit" choice.
    Cap->SetSensorBitDepth(camera_.bit_depth);
    ShowSixteenBitChoice();
    sub_frame_.sensor = {camera_.width, camera_.height};
    KeepOnSensor(sub_frame_);
    const FrameSize most = SliderMaxima(sub_frame_.sensor);
    {
        const QSignalBlocker quiet_width(__width);
        const QSignalBlocker quiet_height(__height);
        __width->setMaximum(most.width);
        __height->setMaximum(most.height);
        __width->setValue(sub_frame_.sw / 4);
        __height->setValue(sub_frame_.sheight / 4);
    }
    keypad_state_.SetMaximum(Keypad::SubframeWidth, camera_.width);
    keypad_state_.SetMaximum(Keypad::SubframeHeight, camera_.height);
    for (size_t i = 0; i < SUBFRAME_PRESETS.size(); ++i) {
        subframe_presets_[i]->setVisible(PresetFits(SUBFRAME_PRESETS[i], sub_frame_.sensor));
    }
    FollowCameraExposures();
    ShowWhoSettlesColour();
}
