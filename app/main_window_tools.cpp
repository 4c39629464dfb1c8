// The tool windows beside the main window: the time-stamp overlay's settings,
// the scope control, which nudges the mount through the camera's guide port,
// and the on-screen keyboard. All are created hidden and live until the
// program ends.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "app/main_window.h"
#include "app/output_names_window.h"
#include "app/tool_window_stack.h"
#include "preview/focus_window.h"
#include "preview/histogram_window.h"
#include "preview/measurement_window.h"
#include "preview/overlay_window.h"
#include "preview/roddier_window.h"
#include "preview/solar_window.h"
#include "shell/scope_control_window.h"
#include "shell/virtual_keyboard_window.h"
#include "widgets/preview_scroll_box.h"

void TForm1::CreateToolWindows() {
    ConfText = new TConfText(Cap->stamp_settings, overlay_look_, this);
    Preview->overlay = &overlay_look_;
    Recorder->overlay = &overlay_look_;

    // The on-screen keyboard types into the two text fields of our windows.
    Form4 = new TForm4(this);
    Form4->HideWith(Form5);
    Form4->HideWith(ConfText);
    connect(Form5->KeyboardButton, &QPushButton::clicked, Form4,
            [this] { Form4->ToggleBelow(Form5, Form5->TypingField()); });
    connect(ConfText->AdvGlassButton1, &QPushButton::clicked, Form4,
            [this] { Form4->ToggleBelow(ConfText, ConfText->fixed); });
    ScopeCtrl = new TScopeCtrl(driver_.GuideCommand, this);
}

void TForm1::ScopeClick() {
    if (Scope->isChecked()) {
        tool_windows_->Show(ScopeCtrl);
    } else {
        ScopeCtrl->hide();
    }
}

// The usual places are handed out in this order: the histogram, most used,
// first.
void TForm1::StackToolWindows() {
    tool_windows_ = new ToolWindowStack(
        this, [this] { return FreePicture(); }, KeypadStripWidth());
    tool_windows_->Add(HistogramForm, Histogram1);
    tool_windows_->Add(Form8, Measure);
    tool_windows_->Add(FocusForm);
    tool_windows_->Add(RoddierForm, Roddier);
    tool_windows_->Add(Form7, solar);
    tool_windows_->Add(ScopeCtrl, Scope);
}

// The picture without its scroll bars and without the strip along its left
// edge where the keypads open.
QRect TForm1::FreePicture() const {
    const QRect box(ScrollBox1->mapToGlobal(QPoint(0, 0)), ScrollBox1->size());
    return box.adjusted(KeypadStripWidth(), 0, -ScrollBox1->verticalScrollBar()->sizeHint().width(),
                        -ScrollBox1->horizontalScrollBar()->sizeHint().height());
}
