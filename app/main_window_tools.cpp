// The tool windows beside the main window: the time-stamp overlay's settings,
// the scope control, which nudges the mount through the camera's guide port,
// and the on-screen keyboard. All are created hidden and live until the
// program ends.
#include <QLineEdit>
#include <QPushButton>

#include "app/main_window.h"
#include "app/output_names_window.h"
#include "preview/overlay_window.h"
#include "shell/scope_control_window.h"
#include "shell/virtual_keyboard_window.h"
#include "widgets/preview_scroll_box.h"

namespace {

// Where the scope window first appears: over the picture's top-left corner.
constexpr QPoint SCOPE_FIRST_PLACE{20, 60};

}  // namespace

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
    ScopeCtrl->setVisible(Scope->isChecked());
    if (!scope_placed_) {
        scope_placed_ = true;
        ScopeCtrl->move(ScrollBox1->mapToGlobal(SCOPE_FIRST_PLACE));
    }
}
