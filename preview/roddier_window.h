#pragma once

#include <QWidget>

#include "analysis/roddier_circle.h"

class CircleShape;
class QCheckBox;
class QColorDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
struct InterfaceTexts;

// The Roddier capture aid: three clicks on the rim of a defocused star give
// the circle through them (drawn as `cshape` over the picture), which can
// become the reference circle (`rshape`) of adjustable size, colour and line
// width that stays on the picture. Both shapes lie on the picture widget;
// their coordinates are the picture's pixels at 100 % zoom.
class TRoddier : public QWidget {
    Q_OBJECT
  public:
    TRoddier(CircleShape *cshape, CircleShape *rshape, QWidget *parent);

    // A left click on the picture: the next rim point.
    void PickPoint(QPoint point);
    // A right click on the picture: the reference circle's new centre.
    void MoveReference(QPoint centre);
    // "Show size ref" is ticked.
    bool ShowsSizeReference() const;
    void AdvOfficeColorSelector1SelectColor(QColor colour);
    // The captions of the active language.
    void SetTexts(const InterfaceTexts &texts);

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void ShowPoints();
    void ShowCircle();
    void sizeChange();
    void SWidthChange();
    void CheckBox1Click();
    void AdvGlassButton1Click();

    CircleShape *cshape_;
    CircleShape *rshape_;
    RimPicks picks_;
    Circle circle_;            // the last measured circle
    QPoint reference_centre_;  // picture pixels

    QGroupBox *Label5 = nullptr;  // "Size Check"
    QLabel *Label1 = nullptr;     // "POINT A"
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *point_labels_[3][2] = {};  // x1, y1 .. x3, y3
    QLabel *cc = nullptr;
    QLabel *rc = nullptr;
    QSlider *size = nullptr;
    QLabel *Label2 = nullptr;  // "Circle Size"
    QLabel *Label9 = nullptr;  // the size's value
    QLabel *Label4 = nullptr;  // "Line Width"
    QLabel *Label3 = nullptr;  // "Indicator Color"
    QSlider *SWidth = nullptr;
    QPushButton *AdvOfficeColorSelector1 = nullptr;
    QColorDialog *colour_dialog_ = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QPushButton *AdvGlassButton1 = nullptr;
};
