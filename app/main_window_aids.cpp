// The analysis aids reached from the picture: the focus aid (left click),
// the Roddier aid (Tools menu) and solar mode (the Solar button).
#include <QAction>
#include <QMenu>
#include <QPushButton>

#include "app/main_window.h"
#include "app/tool_window_stack.h"
#include "preview/focus_window.h"
#include "preview/roddier_window.h"
#include "preview/solar_window.h"
#include "widgets/circle_shape.h"
#include "widgets/preview_image.h"
#include "widgets/preview_scroll_box.h"

void TForm1::CreateAidWindows(bool small_screen) {
    FocusForm = new TFocusForm(small_screen, this);
    Preview->focus._NO3D = small_screen || !FocusForm->HasPlot();
    Preview->focus_window = FocusForm;
    RoddierForm = new TRoddier(cshape, rshape, this);
    Form7 = new TForm7(Cap->solar, this);
}

void TForm1::ConnectAidHandlers() {
    // The camera thread pauses after each frame while the focus window shows,
    // leaving the GUI thread time for the plot; it learns of the window only
    // through this flag.
    connect(FocusForm, &TFocusForm::VisibilityChanged, this,
            [this](bool visible) { Cap->focus_window_visible = visible; });
    connect(Roddier, &QAction::triggered, this, &TForm1::RoddierClick);
    connect(rshape, &CircleShape::MouseDown, this, &TForm1::rshapeMouseDown);
    connect(rshape, &CircleShape::MouseMove, this, &TForm1::rshapeMouseMove);
    connect(rshape, &CircleShape::MouseUp, this, [this] { dragging_reference_ = false; });
    connect(solar, &QPushButton::clicked, this, &TForm1::solarClick);
}

void TForm1::FocusPick(QPoint position) {
    if (Recorder->Recording()) {
        return;
    }
    Preview->focus.Pick(PickCropCentre(position.x(), position.y(), Preview->_SCALE, Image1->width(),
                                       Image1->height()));
    tool_windows_->Show(FocusForm);
}

void TForm1::RoddierClick() {
    const bool on = Roddier->isChecked();
    if (on) {
        tool_windows_->Show(RoddierForm);
    } else {
        RoddierForm->hide();
    }
    FocusForm->hide();
    rshape->setVisible(on && RoddierForm->ShowsSizeReference());
    // While the aid is on, the reference circle is a handle that drags.
    rshape->setAttribute(Qt::WA_TransparentForMouseEvents, !on);
    // Circles are measured in picture pixels: the picture stays at 100 %.
    if (on) {
        N1001->setChecked(true);
        ZoomClick(100);
    }
    ZOOM1->menuAction()->setEnabled(!on);
}

void TForm1::RoddierMouseDown(Qt::MouseButton button, QPoint position) {
    if (button == Qt::LeftButton) {
        RoddierForm->PickPoint(position);
    } else if (button == Qt::RightButton && !Recorder->Recording()) {
        const int32_t scale = Preview->_SCALE;
        RoddierForm->MoveReference(QPoint(position.x() * 100 / scale, position.y() * 100 / scale));
    }
}

// A press on the reference circle counts as a press on the picture beneath,
// and dragging it moves the circle.
void TForm1::rshapeMouseDown(Qt::MouseButton button, QPoint position) {
    dragging_reference_ = true;
    Image1MouseDown(button, position + rshape->pos());
}

void TForm1::rshapeMouseMove(QPoint position) {
    if (dragging_reference_) {
        Image1MouseDown(Qt::RightButton, position + rshape->pos());
    }
}

void TForm1::solarClick() {
    if (solar->isChecked()) {
        tool_windows_->Show(Form7);
    } else {
        Form7->hide();
    }
}

// Solar mode is for grey cameras: in colour mode its button and window go.
void TForm1::ShowSolarButton(bool colour) {
    solar->setVisible(!colour);
    if (colour) {
        Form7->hide();
    }
    solar->setChecked(Form7->isVisible());
}
