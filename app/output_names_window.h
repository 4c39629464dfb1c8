#pragma once

#include <QWidget>

#include "app/observation_fields.h"
#include "shell/interface_texts.h"

class QLabel;
class QLineEdit;
class QPushButton;

// "Output File Names": where the observer types the base name of the files
// a recording writes, and the observation they describe. Shown without blocking the main window;
// the caller waits (with the event loop running) until it hides.
class TForm5 : public QWidget {
    Q_OBJECT
  public:
    explicit TForm5(QWidget *parent = nullptr);

    QString BaseName() const;
    void SetBaseName(const QString &name);
    void SetTexts(const InterfaceTexts &texts);

    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *KeyboardButton = nullptr;  // shows or hides the on-screen keyboard
    QLabel *Label2 = nullptr;
    QLabel *Label4 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    ObservationFields *Observation = nullptr;
    // Where the on-screen keyboard types: the field last typed in.
    QWidget *TypingField() const;

  private:
    void Edit1Change();
    void Button1Click();
};
