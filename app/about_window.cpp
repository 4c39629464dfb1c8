#include "app/about_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/window_placement.h"

TAboutBox::TAboutBox(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setWindowTitle(tr("About"));
    setFixedSize(837, 553);
    setAutoFillBackground(true);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(40, 40, 40, 30);
    auto *product =
        new QLabel(tr("Halvesk\u00ae Omtrix for High-Res Tervulon Planetary Imager && AutoGuider")
                       .replace(QStringLiteral("&&"), QStringLiteral("&")),
                   this);
    product->setStyleSheet(QStringLiteral("font: bold 16pt;"));
    product->setWordWrap(true);
    ProductVersion = new QLabel(tr("Version") + VERSION_TEXT, this);
    notice_ = new QLabel(InterfaceTexts().TXT_ABOUT, this);
    auto *maker = new QLabel(QStringLiteral("Halvesk"), this);
    auto *HTMLabel1 = new QLabel(
        QStringLiteral("<a href=\"https://www.halvesk.example/omtrix\">www.halvesk.example</a>"),
        this);
    HTMLabel1->setOpenExternalLinks(true);
    auto *ok = new QPushButton(tr("OK"), this);
    ok->setFixedWidth(100);

    column->addStretch(1);
    for (QWidget *line : {static_cast<QWidget *>(product), static_cast<QWidget *>(ProductVersion),
                          static_cast<QWidget *>(notice_), static_cast<QWidget *>(maker),
                          static_cast<QWidget *>(HTMLabel1)}) {
        column->addWidget(line, 0, Qt::AlignHCenter);
    }
    column->addStretch(1);
    column->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void TAboutBox::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.ABOUT);
    ProductVersion->setText(texts.LBL_VERSION + QLatin1String(VERSION_TEXT));
    notice_->setText(texts.TXT_ABOUT);
}

void TAboutBox::showEvent(QShowEvent *event) {
    if (const QScreen *where = screen()) {
        move(CentredOnScreen(frameGeometry().size(), where->availableGeometry()));
    }
    QWidget::showEvent(event);
}
