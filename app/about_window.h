#pragma once

#include <QWidget>

#include "shell/interface_texts.h"

class QLabel;
class QPushButton;

// The About window: product, maker and version. Shown without blocking the
// main window; its OK button hides it.
class TAboutBox : public QWidget {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget *parent = nullptr);
    void SetTexts(const InterfaceTexts &texts);

    QLabel *ProductVersion = nullptr;
    QLabel *notice_ = nullptr;  // the maker's notice line

  protected:
    // Opens centred on its screen, kept on it when the screen is smaller.
    void showEvent(QShowEvent *event) override;
};
