// The analysis aids beside the live picture: the histogram window and the
// measurement line with its profile.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

#include "app/main_window.h"
#include "app/tool_window_stack.h"
#include "preview/focus_window.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "widgets/preview_image.h"
#include "widgets/preview_scroll_box.h"

bool TForm1::AnalysisWanted() const {
    return HistogramForm->isVisible() || FocusForm->isVisible();
}

void TForm1::Histogram1Click() {
    if (!Histogram1->isChecked()) {
        HistogramForm->hide();
        return;
    }
    tool_windows_->Show(HistogramForm);
}

void TForm1::MeasureClick() {
    if (!Measure->isChecked()) {
        Form8->hide();
        Preview->LineUpdate();  // takes the line off the picture now, not at the next frame
        return;
    }
    tool_windows_->Show(Form8);
    FocusForm->hide();  // a press on the picture now draws the line, not a focus pick
}

bool TForm1::MeasureMouseDown(QPoint position) {
    if (!Form8->isVisible()) {
        return false;
    }
    Preview->measurement_line.Press(position);
    return true;
}

void TForm1::Image2MouseMove(QPoint position) {
    if (!Form8->isVisible()) {
        return;
    }
    // The line ends on the picture even when the mouse leaves it.
    const QPoint inside(std::clamp(position.x(), 0, std::max(0, Image1->width() - 1)),
                        std::clamp(position.y(), 0, std::max(0, Image1->height() - 1)));
    if (Preview->measurement_line.Drag(inside)) {
        Preview->profile_range.Reset();
        Preview->LineUpdate();
    }
}

void TForm1::Image2MouseUp() {
    Preview->measurement_line.Release(Form8->isVisible());
    if (!Form8->isVisible()) {
        status_panels_[0]->clear();
    }
}
