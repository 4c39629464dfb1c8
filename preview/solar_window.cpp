#include "preview/solar_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

namespace {

QSlider *LevelBar(QWidget *parent) {
    auto *bar = new QSlider(Qt::Horizontal, parent);
    bar->setRange(0, 255);
    bar->setValue(255);
    bar->setMinimumWidth(220);
    return bar;
}

}  // namespace

TForm7::TForm7(SolarMode &mode, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), mode_(mode) {
    mode_.limit = 255;
    mode_.shade = 255;

    Limit = LevelBar(this);
    Shade = LevelBar(this);
    Label2 = new QLabel(QStringLiteral("255"), this);
    Label4 = new QLabel(QStringLiteral("255"), this);
    auto *grid = new QGridLayout(this);
    limit_label_ = new QLabel(this);
    shade_label_ = new QLabel(this);
    grid->addWidget(limit_label_, 0, 0);
    grid->addWidget(Label2, 0, 1, Qt::AlignRight);
    grid->addWidget(Limit, 1, 0, 1, 2);
    grid->addWidget(shade_label_, 2, 0);
    grid->addWidget(Label4, 2, 1, Qt::AlignRight);
    grid->addWidget(Shade, 3, 0, 1, 2);
    SetTexts(InterfaceTexts());

    connect(Limit, &QSlider::valueChanged, this, &TForm7::LimitChange);
    connect(Shade, &QSlider::valueChanged, this, &TForm7::ShadeChange);
    setObjectName(QStringLiteral("Form7"));
    for (auto [control, name] : {std::pair<QObject *, const char *>{Limit, "Limit"},
                                 {Shade, "Shade"},
                                 {Label2, "Label2"},
                                 {Label4, "Label4"}}) {
        control->setObjectName(QLatin1String(name));
    }
}

void TForm7::SetLevels(int32_t limit, int32_t shade) {
    Limit->setValue(limit);
    Shade->setValue(shade);
}

void TForm7::LimitChange() {
    Label2->setText(QString::number(Limit->value()));
    mode_.limit = Limit->value();
}

void TForm7::ShadeChange() {
    Label4->setText(QString::number(Shade->value()));
    mode_.shade = Shade->value();
}

void TForm7::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    mode_.on = true;
}

void TForm7::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    mode_.on = false;
}

void TForm7::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.WIN_SOLAR);
    limit_label_->setText(texts.LBL_SATLIMIT);
    shade_label_->setText(texts.LBL_SATSHADE);
    setFixedSize(sizeHint());
}
