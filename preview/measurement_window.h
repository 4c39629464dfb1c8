#pragma once

#include <QWidget>

#include "analysis/measurement.h"
#include "preview/preview_renderer.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class LineChart;
struct InterfaceTexts;

// "Measurement & Profile": the unit of the line's length, the telescope's
// focal length and the brightness profile along the line. GUI thread only.
class TForm8 : public QWidget, public MeasurementView {
    Q_OBJECT
  public:
    explicit TForm8(QWidget *parent = nullptr);

    // The main window's toggle button, raised when the window hides, and the
    // status panel that shows the length.
    QAbstractButton *Measure = nullptr;
    QLabel *StatusPanel = nullptr;

    void SetTexts(const InterfaceTexts &texts);
    bool Visible() const override { return isVisible(); }
    void ShowProfile(const Profile &profile, const ProfileRange &range) override;
    void ShowDistance(double pixels) override;

  protected:
    void hideEvent(QHideEvent *event) override;

  private:
    // The unit or the focal length changed: the shown length follows at once.
    void SettingsChanged();
    void FocalLengthEdited();
    MeasureUnit Unit() const;
    // The focal length the field's text stands for; with `correct_field` a
    // text that stands for none is replaced by the value used instead.
    double FocalLength(bool correct_field);

    QGroupBox *RG = nullptr;  // "Type of measurement"
    QLabel *focal_length_label_ = nullptr;
    QRadioButton *pixels_choice_ = nullptr;
    QRadioButton *arc_seconds_choice_ = nullptr;
    QLineEdit *FL = nullptr;
    LineChart *RChart1 = nullptr;

    // What the status text was made from, so that it is made again only
    // when one of them changes.
    bool distance_shown_ = false;
    double shown_pixels_ = -1;
    MeasureUnit shown_unit_ = MeasureUnit::Pixels;
    double shown_focal_length_ = 0;
    QString shown_text_;
    DistanceWords words_;  // of the interface language
};
