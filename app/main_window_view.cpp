// Picture controls: black and white points, colour balance and the colour
// switch, flip, zoom, side panels, white balance by right click and the time
// stamp overlay.
#include <QAction>
#include <QPushButton>
#include <QSlider>

#include "app/main_window.h"
#include "preview/colour_balance.h"
#include "preview/overlay_window.h"
#include "widgets/preview_image.h"
#include "widgets/preview_scroll_box.h"
#include "widgets/wait_until_hidden.h"

void TForm1::_BLACKChange() {
    if (_BLACK->value() >= _WHITE->value()) {
        _BLACK->setValue(_BLACK->value() - 1);  // runs this handler again with the new value
        return;
    }
    Preview->_BlackPoint = _BLACK->value();
}

void TForm1::_WHITEChange() {
    if (_BLACK->value() >= _WHITE->value()) {
        _WHITE->setValue(_WHITE->value() + 1);
        return;
    }
    Preview->_WhitePoint = _WHITE->value();
}

// In grey mode the three bars move together; in either mode the gains follow.
void TForm1::BalanceChange(QSlider *changed) {
    if (!ColorCamera1->isChecked()) {
        for (QSlider *bar : {RED, GREEN, BLUE}) {
            if (bar != changed) {
                const QSignalBlocker quiet(bar);
                bar->setValue(changed->value());
            }
        }
    }
    UpdateRectangle();
}

void TForm1::ColorCamera1Click() {
    const bool colour = ColorCamera1->isChecked();
    if (!CameraSettlesColour(camera_)) {
        observer_colour_ = colour;
    }
    Cap->__color = colour;
    Preview->__color = colour;
    mirror_.COLORMODE = observer_colour_ ? QStringLiteral("T") : QStringLiteral("F");
    if (!colour) {
        for (QSlider *bar : {RED, GREEN, BLUE}) {
            const QSignalBlocker quiet(bar);
            bar->setValue(50);
        }
        CBVisible = false;
        CBButton->setChecked(false);
        FormResize();
        UpdateRectangle();
    }
    CBButton->setVisible(colour);
    ShowSolarButton(colour);
    for (QSlider *bar : {RED, GREEN, BLUE}) {
        bar->setEnabled(colour);
    }
    AcceptBaseName();
}

// A camera that describes itself is colour or mono whatever was stored
// (ApplyCaptureState follows it): its tick is out of the observer's reach.
void TForm1::ShowWhoSettlesColour() {
    ColorCamera1->setEnabled(!CameraSettlesColour(camera_));
    ColorCamera1->setToolTip(ColourTickTip(texts_));
}

QString TForm1::ColourTickTip(const InterfaceTexts &texts) const {
    if (!CameraSettlesColour(camera_)) {
        return {};
    }
    return CameraIsColour(camera_, false) ? texts.TIP_CAMERACOLOR : texts.TIP_CAMERAMONO;
}

void TForm1::HorizontalFlip1Click() {
    Preview->HFLIP = HorizontalFlip1->isChecked();
}

void TForm1::ZoomClick(int32_t scale_percent) {
    Preview->measurement_line.Rescale(Preview->_SCALE, scale_percent);
    if (scale_percent != Preview->_SCALE) {
        ScrollBox1->ShowMiddle();
    }
    Preview->_SCALE = scale_percent;
}

void TForm1::BWPButtonClick() {
    BWPVisible = !BWPVisible;
    if (BWPVisible) {
        CBVisible = false;
    }
    FormResize();
}

void TForm1::CBButtonClick() {
    CBVisible = !CBVisible;
    if (CBVisible) {
        BWPVisible = false;
    }
    FormResize();
}

// Shows the side panel that is switched on, if any; the layout gives the
// picture whatever width is left.
void TForm1::FormResize() {
    _BLACK->setVisible(BWPVisible);
    _WHITE->setVisible(BWPVisible);
    Panel1->setVisible(CBVisible);
    BWPButton->setChecked(BWPVisible);
    CBButton->setChecked(CBVisible);
}

void TForm1::Image1MouseDown(Qt::MouseButton button, QPoint position) {
    if (Roddier->isChecked()) {
        RoddierMouseDown(button, position);
        return;
    }
    // The measurement window owns the press while it is open; otherwise a
    // left click with a keypad open only closes the keypad.
    if (MeasureMouseDown(position)) {
        return;
    }
    if (button == Qt::LeftButton && CloseKeypadsOnPictureClick()) {
        return;
    }
    if (button == Qt::LeftButton) {
        FocusPick(position);
        return;
    }
    if (button != Qt::RightButton) {
        return;
    }
    // The patch is read from the picture as drawn (mirrored and stretched),
    // in its own pixels: the zoom and the screen's scale only decide which
    // picture pixel lies under the pointer.
    const QImage *picture = Image1->Picture();
    if (!picture || picture->isNull()) {
        return;
    }
    const QPoint at = PicturePixelAt(position, Image1->size(), picture->size());
    const BalancePositions balance = WhiteBalanceFromPatch(
        *picture, at.x(), at.y(), {RED->value(), GREEN->value(), BLUE->value()});
    RED->setValue(balance.red);
    GREEN->setValue(balance.green);
    BLUE->setValue(balance.blue);
}

void TForm1::Visible1Click() {
    overlay_look_.visible = Visible1->isChecked();
}

// The overlay window opens centred over the main window, below its menu; the
// picture stays live meanwhile and shows each change with the next frame.
void TForm1::Configure1Click() {
    ConfText->move(x() + (width() - ConfText->width()) / 2, y() + 55);
    ShowAndWaitUntilHidden(ConfText);
}
