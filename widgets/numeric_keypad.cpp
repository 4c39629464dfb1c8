#include "widgets/numeric_keypad.h"

#include <QGridLayout>
#include <QPushButton>

namespace {

constexpr int KEY_SIDE = 45;
constexpr int MARGIN = 2;  // with the 1-pixel border: 143 x 189 in all
constexpr int SPACING = 1;

}  // namespace

NumericKeypad::NumericKeypad(QWidget *parent) : QFrame(parent) {
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral(
        "NumericKeypad { background: #202022; border: 1px solid #606064; }"
        "QPushButton { background: #3c3c40; color: #f0f0f0; border: 1px solid #18181a;"
        " border-radius: 6px; font: bold 18px; }"
        "QPushButton:pressed { background: #963030; }"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(MARGIN, MARGIN, MARGIN, MARGIN);
    grid->setSpacing(SPACING);
    static const char *const captions[12] = {"1", "2", "3", "4", "5", "6",
                                             "7", "8", "9", "*", "0", "#"};
    for (int i = 0; i < 12; ++i) {
        auto *key = new QPushButton(QLatin1String(captions[i]), this);
        key->setFixedSize(KEY_SIDE, KEY_SIDE);
        key->setFocusPolicy(Qt::NoFocus);
        grid->addWidget(key, i / 3, i % 3);
        const char caption = *captions[i];
        if (caption == '*') {
            connect(key, &QPushButton::clicked, this, &NumericKeypad::StarClicked);
        } else if (caption == '#') {
            connect(key, &QPushButton::clicked, this, &NumericKeypad::HashClicked);
        } else {
            connect(key, &QPushButton::clicked, this,
                    [this, digit = caption - '0'] { emit DigitClicked(digit); });
        }
    }
}
