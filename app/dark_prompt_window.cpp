#include "app/dark_prompt_window.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace {

constexpr QSize CLIENT_SIZE{439, 130};
constexpr int MARGIN = 10;
constexpr QSize BUTTON_SIZE{100, 30};
constexpr int BUTTON_GAP = 20;

}  // namespace

TForm3::TForm3(QWidget *parent)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    // Without a title bar, a thin line keeps the prompt apart from the
    // window of the same colour under it.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setWindowTitle(tr("Dark Frame(s)"));
    setFixedSize(CLIENT_SIZE);
    setAutoFillBackground(true);
    setObjectName(QStringLiteral("Form3"));

    MSG = new QLabel(this);
    QFont bold = MSG->font();
    bold.setBold(true);
    bold.setPixelSize(13);
    MSG->setFont(bold);
    MSG->setObjectName(QStringLiteral("MSG"));

    Button1 = new QPushButton(tr("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    Button2 = new QPushButton(tr("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, [this] {
        hide();
        emit Cancelled();
    });
    PlaceButtons(OkOnly);
    hide();
}

void TForm3::SetCancelText(const QString &text) {
    if (!text.isEmpty()) {
        Button2->setText(text);
    }
}

void TForm3::PlaceButtons(Buttons buttons) {
    Button1->setVisible(buttons != CancelOnly);
    Button2->setVisible(buttons != OkOnly);
    const int y = CLIENT_SIZE.height() - 44;
    const int middle = (CLIENT_SIZE.width() - BUTTON_SIZE.width()) / 2;
    if (buttons == OkAndCancel) {
        const int offset = (BUTTON_SIZE.width() + BUTTON_GAP) / 2;
        Button1->setGeometry(QRect(QPoint(middle - offset, y), BUTTON_SIZE));
        Button2->setGeometry(QRect(QPoint(middle + offset, y), BUTTON_SIZE));
    } else {
        Button1->setGeometry(QRect(QPoint(middle, y), BUTTON_SIZE));
        Button2->setGeometry(QRect(QPoint(middle, y), BUTTON_SIZE));
    }
}

void TForm3::Ask(const QString &text, Buttons buttons) {
    PlaceButtons(buttons);
    MSG->setText(text);
    // A text wider than the window (a long translation) wraps instead of
    // being cut.
    const int widest = CLIENT_SIZE.width() - 2 * MARGIN;
    const bool wraps = QFontMetrics(MSG->font()).horizontalAdvance(text) > widest;
    MSG->setWordWrap(wraps);
    MSG->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    if (wraps) {
        MSG->setFixedWidth(widest);
    } else {
        MSG->setMinimumWidth(0);
        MSG->setMaximumWidth(QWIDGETSIZE_MAX);
    }
    MSG->adjustSize();
    // Centred in the space above the button.
    MSG->move((width() - MSG->width()) / 2, std::max(MARGIN, (Button1->y() - MSG->height()) / 2));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
}

void TForm3::Button1Click() {
    emit Answered();
    hide();
}
