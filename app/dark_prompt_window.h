#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// The dark-frame prompt: asks the observer to cover or uncover the camera.
// Not modal: the picture and the menus keep working while it is open, and
// the camera thread waits for its OK.
class TForm3 : public QFrame {
    Q_OBJECT
  public:
    explicit TForm3(QWidget *parent = nullptr);

    // Which buttons the prompt offers.
    enum Buttons { OkOnly, OkAndCancel, CancelOnly };
    // Shows `text`, centred, in the window centred on the screen.
    void Ask(const QString &text, Buttons buttons = OkOnly);
    void SetCancelText(const QString &text);

    QLabel *MSG = nullptr;
    QPushButton *Button1 = nullptr;  // OK
    QPushButton *Button2 = nullptr;  // Cancel

  signals:
    // The observer pressed OK.
    void Answered();
    // The observer pressed Cancel: the recording is to end without a file.
    void Cancelled();

  private:
    void Button1Click();
    void PlaceButtons(Buttons buttons);
};
