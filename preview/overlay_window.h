#pragma once

#include <QWidget>

#include "preview/stamp_text.h"
#include "preview/text_overlay.h"
#include "shell/interface_texts.h"

class QButtonGroup;
class QFontDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class ColourBox;

// "Text Overlay Properties": what the time stamp says (date/time choice,
// prefix, hour offset), which the camera thread reads before every frame,
// and how it looks (font, background colour). Shown without blocking the
// main window; "OK" hides it. The settings last until the program ends.
class TConfText : public QWidget {
    Q_OBJECT
  public:
    // `stamp` and `look` outlive the window; the look gets the default font.
    TConfText(StampSettings &stamp, OverlayLook &look, QWidget *parent = nullptr);

    void SetTexts(const InterfaceTexts &texts);

    QGroupBox *RadioGroup1 = nullptr;
    QButtonGroup *choices = nullptr;  // the five items of RadioGroup1, id = choice index
    QLabel *Label2 = nullptr;
    QLineEdit *fixed = nullptr;
    QLabel *Label3 = nullptr;
    ColourBox *BGC = nullptr;
    QLabel *Label4 = nullptr;
    QSpinBox *SpinEdit1 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *AdvGlassButton1 = nullptr;  // shows or hides the on-screen keyboard
    QFontDialog *FD = nullptr;

  private:
    void FitToTexts();
    void RadioGroup1Click(int index);
    void fixedChange();
    void BGCChange();
    void SpinEdit1Change();
    void Button3Click();

    StampSettings &stamp_;
    OverlayLook &look_;
};
