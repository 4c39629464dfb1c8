#include "shell/scope_control_window.h"

#include <QCheckBox>
#include <QEvent>
#include <QPushButton>

namespace {

constexpr QSize CLIENT_SIZE{113, 134};
constexpr QSize BUTTON_SIZE{49, 27};

}  // namespace

TScopeCtrl::TScopeCtrl(GuideFunction guide, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      guide_(guide) {
    setFixedSize(CLIENT_SIZE);
    // The cross of buttons: DEC+ on top, RA- left, RA+ right, DEC- below.
    const std::pair<QPushButton **, QPoint> buttons[] = {
        {&AdvGlassButton1, {32, 8}},
        {&AdvGlassButton2, {56, 35}},
        {&AdvGlassButton3, {8, 35}},
        {&AdvGlassButton4, {32, 62}},
    };
    for (auto [button, place] : buttons) {
        *button = new QPushButton(this);
        (*button)->setGeometry(QRect(place, BUTTON_SIZE));
        // The keyboard could hold a button down with no release to follow.
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->installEventFilter(this);
    }
    CheckBox2 = new QCheckBox(this);
    CheckBox3 = new QCheckBox(this);
    CheckBox2->setGeometry(8, 91, CLIENT_SIZE.width() - 8, 18);
    CheckBox3->setGeometry(8, 109, CLIENT_SIZE.width() - 8, 18);
    for (QWidget *box : {CheckBox2, CheckBox3}) {
        box->setFocusPolicy(Qt::NoFocus);
    }
    const std::pair<QObject *, const char *> names[] = {
        {AdvGlassButton1, "AdvGlassButton1"},
        {AdvGlassButton2, "AdvGlassButton2"},
        {AdvGlassButton3, "AdvGlassButton3"},
        {AdvGlassButton4, "AdvGlassButton4"},
        {CheckBox2, "CheckBox2"},
        {CheckBox3, "CheckBox3"},
    };
    for (auto [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
    SetTexts(ScopeCtrlTexts());
}

void TScopeCtrl::SetTexts(const ScopeCtrlTexts &texts) {
    setWindowTitle(texts.caption);
    AdvGlassButton1->setText(texts.dec_plus);
    AdvGlassButton2->setText(texts.ra_plus);
    AdvGlassButton3->setText(texts.ra_minus);
    AdvGlassButton4->setText(texts.dec_minus);
    CheckBox2->setText(texts.invert_ra);
    CheckBox3->setText(texts.invert_dec);
}

// Any mouse button starts a pulse, and its release stops it, wherever the
// pointer has gone meanwhile: the button keeps the mouse until the release.
bool TScopeCtrl::eventFilter(QObject *watched, QEvent *event) {
    const std::pair<QObject *, GuideButton> directions[] = {
        {AdvGlassButton1, GuideButton::DecPlus},
        {AdvGlassButton2, GuideButton::RaPlus},
        {AdvGlassButton3, GuideButton::RaMinus},
        {AdvGlassButton4, GuideButton::DecMinus},
    };
    for (auto [button, direction] : directions) {
        if (watched != button) {
            continue;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:  // the second press of a quick double click
                ButtonMouseDown(direction);
                break;
            case QEvent::MouseButtonRelease:
                StopPulse();
                break;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TScopeCtrl::ButtonMouseDown(GuideButton button) {
    guide_(GuideCode(button, CheckBox2->isChecked(), CheckBox3->isChecked()), GUIDE_PULSE_MS);
}

void TScopeCtrl::StopPulse() {
    guide_(0, 0);
}

// A button held while the window goes away gets no release: stop the mount
// here, and let the button come up.
void TScopeCtrl::hideEvent(QHideEvent *event) {
    StopPulse();
    for (QPushButton *button :
         {AdvGlassButton1, AdvGlassButton2, AdvGlassButton3, AdvGlassButton4}) {
        button->setDown(false);
    }
    QWidget::hideEvent(event);
}
