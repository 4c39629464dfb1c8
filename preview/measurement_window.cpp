#include "preview/measurement_window.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/interface_texts.h"
#include "widgets/line_chart.h"

TForm8::TForm8(QWidget *parent) : QWidget(parent, Qt::Tool) {
    setWindowTitle(tr("Measurement & Profile"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);

    auto *settings = new QHBoxLayout;
    RG = new QGroupBox(tr("Type of measurement"), this);
    auto *choices = new QVBoxLayout(RG);
    choices->setContentsMargins(6, 2, 6, 2);
    pixels_choice_ = new QRadioButton(tr("Pixels "), RG);
    arc_seconds_choice_ = new QRadioButton(tr("ArcSeconds"), RG);
    pixels_choice_->setChecked(true);
    choices->addWidget(pixels_choice_);
    choices->addWidget(arc_seconds_choice_);
    settings->addWidget(RG);

    auto *optics = new QVBoxLayout;
    focal_length_label_ = new QLabel(tr("Focal Length (mm)"), this);
    optics->addWidget(focal_length_label_);
    FL = new QLineEdit(QStringLiteral("300"), this);
    FL->setMaximumWidth(90);
    optics->addWidget(FL);
    optics->addStretch(1);
    settings->addLayout(optics);
    column->addLayout(settings);

    RChart1 = new LineChart(this);
    RChart1->SetLineColour(Qt::red);
    RChart1->SetPlotColour(Qt::white);
    RChart1->SetYLabels(true);
    RChart1->setMinimumHeight(120);
    column->addWidget(RChart1, 1);

    connect(pixels_choice_, &QRadioButton::toggled, this, &TForm8::SettingsChanged);
    connect(FL, &QLineEdit::editingFinished, this, &TForm8::FocalLengthEdited);
    const std::pair<QObject *, const char *> names[] = {{RG, "RG"},
                                                        {pixels_choice_, "RGPixels"},
                                                        {arc_seconds_choice_, "RGArcSeconds"},
                                                        {FL, "FL"},
                                                        {RChart1, "RChart1"}};
    for (auto [control, name] : names) {
        control->setObjectName(QLatin1String(name));
    }
    resize(330, 290);
}

void TForm8::SetTexts(const InterfaceTexts &texts) {
    setWindowTitle(texts.MNU_MEAS);
    RG->setTitle(texts.FLD_MEASTYPE);
    focal_length_label_->setText(texts.FLD_FOCLEN);
    pixels_choice_->setText(texts.FLD_PIXELS);
    arc_seconds_choice_->setText(texts.FLD_ARCSEC);
    words_ = {texts.STATUS_DISTANCE, texts.STATUS_PIXELS, texts.STATUS_ARCSEC};
    SettingsChanged();  // a length shown now reads in the new language
    resize(size().expandedTo(minimumSizeHint()));
}

MeasureUnit TForm8::Unit() const {
    return arc_seconds_choice_->isChecked() ? MeasureUnit::ArcSeconds : MeasureUnit::Pixels;
}

double TForm8::FocalLength(bool correct_field) {
    bool replaced = false;
    const double focal_length = FocalLengthFromText(FL->text(), &replaced);
    if (replaced && correct_field) {
        FL->setText(QStringLiteral("1"));
    }
    return focal_length;
}

void TForm8::ShowDistance(double pixels) {
    const MeasureUnit unit = Unit();
    // Rewriting the field under the observer's fingers would make "300"
    // impossible to type: "3" is too short.
    const double focal_length = unit == MeasureUnit::ArcSeconds ? FocalLength(!FL->hasFocus()) : 0;
    if (!distance_shown_ || pixels != shown_pixels_ || unit != shown_unit_ ||
        focal_length != shown_focal_length_) {
        distance_shown_ = true;
        shown_pixels_ = pixels;
        shown_unit_ = unit;
        shown_focal_length_ = focal_length;
        shown_text_ = DistanceText(pixels, unit, focal_length, words_);
    }
    // The panel is shared with the frame rate: the length takes it back.
    if (StatusPanel && StatusPanel->text() != shown_text_) {
        StatusPanel->setText(shown_text_);
    }
}

void TForm8::FocalLengthEdited() {
    FocalLength(true);
    SettingsChanged();
}

void TForm8::SettingsChanged() {
    if (distance_shown_ && isVisible()) {
        distance_shown_ = false;  // made again even though the length is the same
        ShowDistance(shown_pixels_);
    }
}

void TForm8::ShowProfile(const Profile &profile, const ProfileRange &range) {
    RChart1->Clear();
    if (!profile.points.empty()) {
        RChart1->MoveTo(profile.points.front().x(), profile.points.front().y());
        for (size_t i = 1; i < profile.points.size(); ++i) {
            RChart1->DrawTo(profile.points[i].x(), profile.points[i].y());
        }
    }
    RChart1->SetAxes(0, profile.steps, range.Low(), range.High());
    RChart1->Show();
}

void TForm8::hideEvent(QHideEvent *event) {
    distance_shown_ = false;
    if (Measure) {
        Measure->setChecked(false);
    }
    QWidget::hideEvent(event);
}
