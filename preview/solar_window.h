#pragma once

#include <QWidget>

#include "preview/solar_mode.h"
#include "shell/interface_texts.h"

class QLabel;
class QSlider;

// Solar observation settings: while this window shows, every frame has its
// samples above the saturation limit replaced by the saturation shade.
class TForm7 : public QWidget {
    Q_OBJECT
  public:
    // `mode`: the camera thread's solar settings, which this window sets.
    TForm7(SolarMode &mode, QWidget *parent);
    // Moves the two sliders, as the observer would.
    void SetLevels(int32_t limit, int32_t shade);
    // The captions of the interface language.
    void SetTexts(const InterfaceTexts &texts);

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    void LimitChange();
    void ShadeChange();

    SolarMode &mode_;
    QSlider *Limit = nullptr;
    QSlider *Shade = nullptr;
    QLabel *Label2 = nullptr;  // the limit's value
    QLabel *Label4 = nullptr;  // the shade's value
    QLabel *limit_label_ = nullptr;
    QLabel *shade_label_ = nullptr;
};
