#include "app/splash_window.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>

#include "app/main_window.h"
#include "app/window_placement.h"

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setFixedSize(677, 443);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(CentredOnScreen(size(), screen->availableGeometry()));
    }

    Label1 = new QLabel(QString::fromUtf8(PROGRAM_TITLE) + VERSION_TEXT, this);
    Label1->setStyleSheet(QStringLiteral("color: #800000; font: bold 11pt 'Tahoma';"));
    Label1->adjustSize();
    Label1->move(17, 408);

    Label2 = new QLabel(QStringLiteral("."), this);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label2->setGeometry(263, 410, 400, 20);  // right edge at 663
    ShowStatus(QStringLiteral("."), Qt::red);
}

void TSplash::ShowStatus(const QString &text, const QColor &colour) {
    Label2->setText(text);
    Label2->setStyleSheet(
        QStringLiteral("color: %1; font: bold 10pt 'Verdana';").arg(colour.name()));
    QApplication::processEvents();
}

void TSplash::paintEvent(QPaintEvent *) {
    // The picture: a banded planet on a white ground.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Qt::white);
    const QPointF centre(338, 190);
    const double radius = 150;
    QRadialGradient limb(centre, radius);
    limb.setColorAt(0.0, QColor(236, 214, 178));
    limb.setColorAt(0.85, QColor(205, 170, 128));
    limb.setColorAt(1.0, QColor(120, 90, 60));
    painter.setPen(Qt::NoPen);
    painter.setBrush(limb);
    painter.drawEllipse(centre, radius, radius * 0.94);
    painter.setClipRegion(QRegion(QRect(188, 49, 300, 282), QRegion::Ellipse));
    painter.setBrush(QColor(150, 100, 70, 120));
    for (const double band : {-0.45, -0.15, 0.2, 0.5}) {
        painter.drawRect(QRectF(188, centre.y() + band * radius - 9, 300, 18));
    }
}
