#pragma once

class QWidget;

// Shows a non-modal window and returns once it has been hidden again, while
// the program's events keep being handled: the main window stays live, the
// picture keeps moving.
void ShowAndWaitUntilHidden(QWidget *window);
