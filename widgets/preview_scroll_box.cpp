#include "widgets/preview_scroll_box.h"

#include <QEvent>
#include <QScrollBar>

PreviewScrollBox::PreviewScrollBox(QWidget *parent) : QScrollArea(parent) {
    setAlignment(Qt::AlignCenter);
    // Only the observer's own scrolling (drag, wheel, keys, arrows) triggers
    // an action; the scroll bars set from here do not.
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
        connect(bar, &QAbstractSlider::actionTriggered, this, [this] { keep_middle_ = false; });
    }
}

void PreviewScrollBox::ShowMiddle() {
    keep_middle_ = true;
    ScrollToMiddle();
}

// The picture changed size: the scroll area fits its scroll bars first.
bool PreviewScrollBox::eventFilter(QObject *watched, QEvent *event) {
    const bool handled = QScrollArea::eventFilter(watched, event);
    if (keep_middle_ && watched == widget() && event->type() == QEvent::Resize) {
        ScrollToMiddle();
    }
    return handled;
}

// The box or its viewport changed size (a scroll bar came or went).
void PreviewScrollBox::resizeEvent(QResizeEvent *event) {
    QScrollArea::resizeEvent(event);
    if (keep_middle_) {
        ScrollToMiddle();
    }
}

void PreviewScrollBox::ScrollToMiddle() {
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setValue((bar->minimum() + bar->maximum()) / 2);
    }
}
