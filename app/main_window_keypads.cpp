// The keypads: exposure, gain, delay, frame count, dark frames and the
// sub-frame's size can be typed with the pointer alone. A small button beside
// each setting opens its keypad over the picture; one keypad is open at a time, and it closes again
// after ten seconds left alone or at a click on the picture.
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "app/main_window.h"
#include "widgets/numeric_keypad.h"
#include "widgets/preview_scroll_box.h"
#include "widgets/seven_segment_counter.h"
#include "widgets/toggle_button_style.h"

namespace {

constexpr QSize KEYPAD_SIZE{143, 190};
constexpr int KEYPAD_GAP = 2;  // between the picture's left edge and a keypad
constexpr int KEYPAD_TICK_MS = 1000;
constexpr QSize OPENER_SIZE{22, 20};

// Control names of the keypads and their buttons, in the order of `Keypad`.
constexpr const char *KEYPAD_NAMES[KEYPAD_COUNT] = {"KEY1", "KEY4", "KEY2", "KEY3",
                                                    "KEY5", "KEY6", "KEY7"};
constexpr const char *OPENER_NAMES[KEYPAD_COUNT] = {
    "AdvGlassButton4", "AdvGlassButton5", "AdvGlassButton6", "AdvGlassButton7",
    "AdvGlassButton8", "AdvGlassButton9", "AdvGlassButton10"};

// Three rows of three dots over a fourth: a keypad in little.
QIcon KeypadPicture() {
    QPixmap picture(14, 14);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(230, 230, 230));
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (row < 3 || column == 1) {
                painter.drawRect(1 + column * 5, row * 4 - (row == 3 ? 1 : 0) + 1, 3, 2);
            }
        }
    }
    return QIcon(picture);
}

}  // namespace

QToolButton *TForm1::KeypadButton(Keypad keypad, QWidget *parent) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(OPENER_NAMES[static_cast<int32_t>(keypad)]));
    button->setIcon(KeypadPicture());
    button->setFixedSize(OPENER_SIZE);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(texts_.TIP_KEYPAD);
    button->setStyleSheet(QLatin1String(TOGGLE_BUTTON_STYLE));
    connect(button, &QToolButton::clicked, this, [this, keypad] { KeypadButtonClick(keypad); });
    keypad_buttons_[static_cast<int32_t>(keypad)] = button;
    return button;
}

int TForm1::KeypadStripWidth() {
    return KEYPAD_GAP + KEYPAD_SIZE.width() + KEYPAD_GAP;
}

// The keypads float over the picture, beside the left column; they are
// placed when opened. Each is a window of its own, so that it can lie above
// the tool windows, which float above the main window; it never takes the
// keyboard focus from the main window.
void TForm1::BuildKeypads() {
    for (int32_t i = 0; i < KEYPAD_COUNT; ++i) {
        auto *keypad = new NumericKeypad(this);
        keypad->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus);
        keypad->setAttribute(Qt::WA_ShowWithoutActivating);
        keypad->setObjectName(QLatin1String(KEYPAD_NAMES[i]));
        keypad->setFixedSize(KEYPAD_SIZE);
        keypad->hide();
        connect(keypad, &NumericKeypad::DigitClicked, this, &TForm1::KeypadKeyClick);
        connect(keypad, &NumericKeypad::StarClicked, this, [this] { KeypadKeyClick(KEYPAD_STAR); });
        connect(keypad, &NumericKeypad::HashClicked, this, [this] { KeypadKeyClick(KEYPAD_HASH); });
        keypads_[i] = keypad;
    }
    _KEYTIMER = new QTimer(this);
    _KEYTIMER->setObjectName(QStringLiteral("_KEYTIMER"));
    _KEYTIMER->setInterval(KEYPAD_TICK_MS);
    connect(_KEYTIMER, &QTimer::timeout, this, &TForm1::_KEYTIMERTimer);
}

void TForm1::KeypadButtonClick(Keypad keypad) {
    subframe_keyed_ = {sub_frame_.sw, sub_frame_.sheight};
    keypad_state_.Toggle(keypad);
    ShowOpenKeypad();
    if (keypad_state_.Open() == KeypadState::NONE) {
        _KEYTIMER->stop();
        return;
    }
    PlaceOpenKeypad();
    keypads_[keypad_state_.Open()]->raise();
    _KEYTIMER->start();
}

// Level with its button, over the picture's left edge, inside the window;
// again whenever the main window moves or changes size.
void TForm1::PlaceOpenKeypad() {
    if (keypad_state_.Open() == KeypadState::NONE) {
        return;
    }
    QWidget *pad = keypads_[keypad_state_.Open()];
    const QWidget *button = keypad_buttons_[keypad_state_.Open()];
    const int top = button->mapTo(centralWidget(), QPoint(0, 0)).y();
    const int lowest = std::max(0, centralWidget()->height() - KEYPAD_SIZE.height());
    pad->move(centralWidget()->mapToGlobal(
        QPoint(ScrollBox1->x() + KEYPAD_GAP, std::clamp(top, 0, lowest))));
}

void TForm1::ShowOpenKeypad() {
    for (int32_t i = 0; i < KEYPAD_COUNT; ++i) {
        const bool open = keypad_state_.Open() == i;
        keypads_[i]->setVisible(open);
        keypad_buttons_[i]->setChecked(open);
    }
}

void TForm1::KeypadKeyClick(int32_t key) {
    const int32_t open = keypad_state_.Open();
    if (open == KeypadState::NONE) {
        return;
    }
    const auto keypad = static_cast<Keypad>(open);
    SetKeypadSetting(keypad, keypad_state_.Press(KeypadSetting(keypad), key));
}

void TForm1::_KEYTIMERTimer() {
    if (keypad_state_.Tick()) {
        ShowOpenKeypad();
        _KEYTIMER->stop();
    }
}

bool TForm1::CloseKeypadsOnPictureClick() {
    if (!keypad_state_.CloseAll()) {
        return false;
    }
    ShowOpenKeypad();
    _KEYTIMER->stop();
    return true;
}

int32_t TForm1::KeypadSetting(Keypad keypad) const {
    switch (keypad) {
        case Keypad::Exposure:
            return exposure_us_ / exposure_scale_.KeypadUnitUs();
        case Keypad::Gain:
            return Gain->value();
        case Keypad::Delay:
            return delays->Value();
        case Keypad::Count:
            return expos->Value();
        case Keypad::Darks:
            return VrCounter1->Value();
        case Keypad::SubframeWidth:
            return subframe_keyed_[0];
        case Keypad::SubframeHeight:
            return subframe_keyed_[1];
    }
    return 0;
}

// Each control runs its own change handler: the exposure moves its slider
// (in the fine range the keypad types microseconds),
// the gain recomputes the channel gains, the count refreshes its stored text.
void TForm1::SetKeypadSetting(Keypad keypad, int32_t value) {
    switch (keypad) {
        case Keypad::Exposure:
            SetExposureUs(value * exposure_scale_.KeypadUnitUs());
            break;
        case Keypad::Gain:
            Gain->setValue(value);
            break;
        case Keypad::Delay:
            delays->SetValue(value);
            break;
        case Keypad::Count:
            expos->SetValue(value);
            break;
        case Keypad::Darks:
            VrCounter1->SetValue(value);
            break;
        case Keypad::SubframeWidth:
        case Keypad::SubframeHeight:
            subframe_keyed_[keypad == Keypad::SubframeWidth ? 0 : 1] = value;
            SetSubframeSize(subframe_keyed_[0], subframe_keyed_[1]);
            break;
    }
}
