#include "preview/roddier_window.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/rounding.h"
#include "shell/interface_texts.h"
#include "widgets/circle_shape.h"

namespace {

constexpr int START_RADIUS = 100;
// Where the reference circle sits until it is first placed.
constexpr QPoint START_REFERENCE_CENTRE{160, 120};
constexpr int MEASURED_PEN_WIDTH = 2;

QString Coordinate(int value) {
    return QString::asprintf("%03d", value);
}

void ShowSwatch(QPushButton *button, QColor colour) {
    button->setStyleSheet(QStringLiteral("QPushButton { background: %1; border: 1px solid #909090;"
                                         " min-width: 48px; min-height: 18px; }")
                              .arg(colour.name()));
}

}  // namespace

TRoddier::TRoddier(CircleShape *cshape, CircleShape *rshape, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      cshape_(cshape),
      rshape_(rshape),
      reference_centre_(START_REFERENCE_CENTRE) {
    setWindowTitle(QStringLiteral("Roddier Capture Aid"));
    cshape_->SetPenWidth(MEASURED_PEN_WIDTH);

    Label5 = new QGroupBox(QStringLiteral("Size Check"), this);
    auto *points = new QGridLayout(Label5);
    Label1 = new QLabel(QStringLiteral("POINT A"), Label5);
    Label6 = new QLabel(QStringLiteral("POINT B"), Label5);
    Label7 = new QLabel(QStringLiteral("POINT C"), Label5);
    QLabel *const point_names[3] = {Label1, Label6, Label7};
    for (int i = 0; i < 3; ++i) {
        points->addWidget(point_names[i], i, 0);
        for (int k = 0; k < 2; ++k) {
            point_labels_[i][k] = new QLabel(QStringLiteral("000"), Label5);
            point_labels_[i][k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            points->addWidget(point_labels_[i][k], i, 1 + k);
        }
    }
    cc = new QLabel(QStringLiteral("c=---,---"), Label5);
    rc = new QLabel(QStringLiteral("r=----"), Label5);
    points->addWidget(cc, 3, 0, 1, 2);
    points->addWidget(rc, 3, 2);

    size = new QSlider(Qt::Horizontal, this);
    size->setRange(RODDIER_MIN_RADIUS, RODDIER_MAX_RADIUS);
    size->setValue(START_RADIUS);
    Label9 = new QLabel(QString::asprintf("%3d", START_RADIUS), this);
    SWidth = new QSlider(Qt::Horizontal, this);
    SWidth->setRange(1, 5);
    SWidth->setValue(1);
    AdvOfficeColorSelector1 = new QPushButton(this);
    ShowSwatch(AdvOfficeColorSelector1, rshape_->PenColour());
    colour_dialog_ = new QColorDialog(rshape_->PenColour(), this);
    CheckBox1 = new QCheckBox(QStringLiteral("Show size ref"), this);
    AdvGlassButton1 = new QPushButton(QStringLiteral("Use as Ref"), this);
    AdvGlassButton1->setEnabled(false);

    auto *reference = new QGridLayout;
    Label2 = new QLabel(QStringLiteral("Circle Size"), this);
    Label4 = new QLabel(QStringLiteral("Line Width"), this);
    Label3 = new QLabel(QStringLiteral("Indicator Color"), this);
    reference->addWidget(Label2, 0, 0);
    reference->addWidget(size, 0, 1);
    reference->addWidget(Label9, 0, 2);
    reference->addWidget(Label4, 1, 0);
    reference->addWidget(SWidth, 1, 1, 1, 2);
    reference->addWidget(Label3, 2, 0);
    reference->addWidget(AdvOfficeColorSelector1, 2, 1, 1, 2, Qt::AlignLeft);
    reference->addWidget(CheckBox1, 3, 0, 1, 3);

    auto *column = new QVBoxLayout(this);
    column->addWidget(Label5);
    column->addLayout(reference);
    column->addWidget(AdvGlassButton1);
    setFixedSize(sizeHint());

    connect(size, &QSlider::valueChanged, this, &TRoddier::sizeChange);
    connect(SWidth, &QSlider::valueChanged, this, &TRoddier::SWidthChange);
    connect(CheckBox1, &QCheckBox::toggled, this, &TRoddier::CheckBox1Click);
    connect(AdvGlassButton1, &QPushButton::clicked, this, &TRoddier::AdvGlassButton1Click);
    connect(AdvOfficeColorSelector1, &QPushButton::clicked, colour_dialog_,
            [this] { colour_dialog_->open(); });
    connect(colour_dialog_, &QColorDialog::colorSelected, this,
            &TRoddier::AdvOfficeColorSelector1SelectColor);
    CheckBox1Click();
    sizeChange();

    setObjectName(QStringLiteral("RoddierForm"));
    const std::pair<QObject *, const char *> names[] = {
        {point_labels_[0][0], "x1"},
        {point_labels_[0][1], "y1"},
        {point_labels_[1][0], "x2"},
        {point_labels_[1][1], "y2"},
        {point_labels_[2][0], "x3"},
        {point_labels_[2][1], "y3"},
        {cc, "cc"},
        {rc, "rc"},
        {size, "size"},
        {Label9, "Label9"},
        {SWidth, "SWidth"},
        {AdvOfficeColorSelector1, "AdvOfficeColorSelector1"},
        {CheckBox1, "CheckBox1"},
        {AdvGlassButton1, "AdvGlassButton1"},
    };
    for (auto [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
}

void TRoddier::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.WIN_RODDIER);
    Label5->setTitle(texts.WIN_RODSIZECHECK);
    Label1->setText(texts.WIN_RODPOINTA);
    Label6->setText(texts.WIN_RODPOINTB);
    Label7->setText(texts.WIN_RODPOINTC);
    Label2->setText(texts.WIN_RODCIRSIZE);
    Label4->setText(texts.WIN_RODCIRWIDTH);
    Label3->setText(texts.WIN_RODREFCOLOR);
    CheckBox1->setText(texts.WIN_ROD_SHOWSIZE);
    AdvGlassButton1->setText(texts.WIN_RODUSEREF);
    // Texts of another length: the window keeps fitting them.
    setFixedSize(sizeHint());
}

bool TRoddier::ShowsSizeReference() const {
    return CheckBox1->isChecked();
}

void TRoddier::PickPoint(QPoint point) {
    const bool complete = picks_.Add(point);
    ShowPoints();
    if (!complete) {
        cshape_->hide();
        AdvGlassButton1->setEnabled(false);
        return;
    }
    ShowCircle();
}

// Points of the current set show their coordinates; the others "000".
void TRoddier::ShowPoints() {
    for (int i = 0; i < 3; ++i) {
        const std::optional<QPoint> point = picks_.Point(i);
        point_labels_[i][0]->setText(Coordinate(point ? point->x() : 0));
        point_labels_[i][1]->setText(Coordinate(point ? point->y() : 0));
    }
}

void TRoddier::ShowCircle() {
    const auto &[a, b, c] = picks_.Points();
    const std::optional<Circle> circle = CircleThroughPoints(a, b, c);
    if (!circle) {
        cc->setText(QStringLiteral("c=---,---"));
        rc->setText(QStringLiteral("r=----"));
        cshape_->hide();
        AdvGlassButton1->setEnabled(false);
        return;
    }
    circle_ = *circle;
    cc->setText(QString::asprintf("c=%3.0f,%3.0f", circle_.cx, circle_.cy));
    rc->setText(QString::asprintf("r=%3.0f", circle_.r));
    const int diameter = RoundHalfEven(2 * circle_.r);
    cshape_->setGeometry(RoundHalfEven(circle_.cx - circle_.r),
                         RoundHalfEven(circle_.cy - circle_.r), diameter, diameter);
    cshape_->show();
    cshape_->raise();
    AdvGlassButton1->setEnabled(circle_.r >= RODDIER_MIN_RADIUS);
}

void TRoddier::MoveReference(QPoint centre) {
    reference_centre_ = centre;
    sizeChange();
}

void TRoddier::sizeChange() {
    const int radius = size->value();
    Label9->setText(QString::asprintf("%3d", radius));
    rshape_->setGeometry(reference_centre_.x() - radius, reference_centre_.y() - radius, 2 * radius,
                         2 * radius);
}

void TRoddier::SWidthChange() {
    rshape_->SetPenWidth(SWidth->value());
}

void TRoddier::AdvOfficeColorSelector1SelectColor(QColor colour) {
    rshape_->SetPenColour(colour);
    ShowSwatch(AdvOfficeColorSelector1, colour);
}

void TRoddier::CheckBox1Click() {
    rshape_->setVisible(CheckBox1->isChecked());
    size->setEnabled(CheckBox1->isChecked());
}

// The measured circle becomes the reference. "Show size ref" is ticked with
// it, so that the circle shown, the box and the size slider agree.
void TRoddier::AdvGlassButton1Click() {
    reference_centre_ = QPoint(RoundHalfEven(circle_.cx), RoundHalfEven(circle_.cy));
    {
        const QSignalBlocker quiet(size);
        size->setValue(RoundHalfEven(circle_.r));
    }
    CheckBox1->setChecked(true);
    rshape_->show();
    sizeChange();
}

void TRoddier::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    cshape_->hide();
    rshape_->hide();
    picks_.Clear();
}

void TRoddier::hideEvent(QHideEvent *event) {
    QWidget::hideEvent(event);
    rshape_->setVisible(CheckBox1->isChecked());
    cshape_->hide();
}
